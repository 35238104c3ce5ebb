// The texts of the trace page: the mode display name, the caption tables, frequency and time texts, and
// the rows of every parameter panel. Pure functions of the document; the renderer only draws them.
#pragma once

#include <string>
#include <vector>

namespace fl {

class CMyQuarnDoc;

// "Spectrum Analysis", "Channel Power", ... or the keyword itself.
std::string ModeDisplayName(const std::string& modeKeyword);

// Trace math on either trace: the instrument writes "NORMalize" as the setting and "NORMalized" as the
// state of a normalised trace.
bool NormalisationOn(const CMyQuarnDoc& d);
// A calibrated reflection or DTF measurement: the state is "YES" or "CALibrated", with calibration on.
bool CalibrationOn(const CMyQuarnDoc& d);
std::string DetectorCaption(int detector);             // "Pos./Neg." ... ; empty outside the table
std::string TraceModeCaption(int traceMode);           // "(ACT)" ... ; empty outside the table
std::string PanelKeyword(const std::string& keyword);  // "IMP50" -> "50 Ohm"; others unchanged

// A value and its unit prefix: 1.8e9 -> {1.8, "GHz"}; 0.0023 s -> {2.3, "ms"}.
struct Scaled {
    double value;
    std::string unit;
};
Scaled ScaleFrequency(double hz);
Scaled ScaleTime(double seconds);
// The frequency text of the panels: digits by magnitude, then a blank and the unit ("1.800000 GHz").
std::string FrequencyText(double hz);
std::string FrequencyNumber(const Scaled& f);  // the number alone; empty when kHz and up have no whole units

struct PanelRow {
    std::string caption;
    std::string value;
};

struct Panel {
    std::string heading;
    std::vector<PanelRow> rows;
};

// The panels of the page in their landscape or portrait rendering.
Panel LevelPanel(const CMyQuarnDoc& d, bool portrait);
Panel StatusPanel(const CMyQuarnDoc& d, bool portrait);
Panel TraceDetectorPanel(const CMyQuarnDoc& d);
Panel ExternalDevicePanel(const CMyQuarnDoc& d);
Panel InstrumentPanel(const CMyQuarnDoc& d);
Panel GpsPanel(const CMyQuarnDoc& d);

// The marker table rows of a trace, one per shown marker: "M1 -31.9 dBm 946.800000 MHz" and the like
// (name, level, level unit, x value, x unit). Delta markers start with "D" and hold differences.
std::vector<std::string> MarkerLines(const CMyQuarnDoc& d, char trace);
// The display point 0..500 of a marker's x value (frequency, time at zero span, distance in DTF).
double MarkerColumn(const CMyQuarnDoc& d, double position);
// The level under a marker position: the second sample of the column the position falls into.
double MarkerLevel(const CMyQuarnDoc& d, char trace, double position);
double MarkerPosition(const CMyQuarnDoc& d, char trace, int entry);

// True in the modes that have an External Device panel.
bool HasExternalDevicePanel(const std::string& modeName);

// Row counts used by the layout (the panel's rows; the Level panel has 7 in EMF).
int StatusLines(const CMyQuarnDoc& d);

}  // namespace fl
