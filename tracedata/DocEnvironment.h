// What a trace document needs from the rest of the program when it takes a trace over: the display
// preferences for new documents, the GPS receiver's fix and the GPS display selections.
#pragma once

#include <optional>
#include <string>

namespace fl {

// View defaults of new trace documents (profile lines 13 to 22 and 26).
struct DisplayPreferences {
    // A first start shows every table and panel but GPS, in landscape.
    int showMarkersA = 1;
    int showMarkersB = 1;
    int showLevelPanel = 1;
    int showStatusPanel = 1;
    int showTracePanel = 1;
    int showInstrumentPanel = 1;
    int orientation = 1;  // 1 landscape, 0 portrait
    int showEdevPanel = 1;
    int showGrid = 1;
    int showGpsPanel = 0;
};

// The values a trace takes from a running GPS receiver.
struct GpsFixValues {
    double longitude = 0.0;  // signed decimal degrees, west negative
    double latitude = 0.0;   // signed decimal degrees, south negative
    int date = 0;            // ddmmyy
    int time = 0;            // hhmmss
    std::string quality;     // "OK", "WARNing" or "FAIL"
    int satellites = 0;
    double hdop = 0.0;
    double speed = 0.0;
    std::string speedUnit;
    double altitude = 0.0;
    std::string altitudeUnit;
};

// Implemented by the GPS receiver; gives a fix only while it runs and delivers positions.
class IGpsFixProvider {
  public:
    virtual ~IGpsFixProvider() = default;
    virtual std::optional<GpsFixValues> CurrentFix() const = 0;
};

struct DocEnvironment {
    DisplayPreferences prefs;
    const IGpsFixProvider* gps = nullptr;
    bool useGps = false;
    int gpsPositionFormat = 0;
    int gpsAltitudeUnit = 0;
    int gpsSpeedUnit = 0;
    std::string modifiedTraceFolder;  // starting folder of the save dialog for .qtm files
};

// The program's environment; the application fills it from its settings.
extern DocEnvironment s_docEnv;

}  // namespace fl
