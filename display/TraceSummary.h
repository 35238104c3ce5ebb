// What a survey report, a site map and a trace comparison say about one trace: its mode, x range,
// headline result, limit verdict and GPS position. Plain texts and numbers; no drawing.
#pragma once

#include <optional>
#include <string>

namespace fl {

class CMyQuarnDoc;

// A position in signed decimal degrees (south and west negative) and the altitude in metres.
struct SitePosition {
    double latitude = 0;
    double longitude = 0;
    double altitudeMetres = 0;
};

// The trace's position when it carries a valid fix: quality "OK" and coordinates on the globe.
std::optional<SitePosition> ValidPosition(const CMyQuarnDoc& d);

// The limit verdict: "PASS", "FAIL" or empty when no limit was applied or the instrument gave none.
std::string LimitVerdict(const CMyQuarnDoc& d);
// The limit set: "Simple limits", the limit file, "not loaded", or empty when limits are off.
std::string LimitSetText(const CMyQuarnDoc& d);

// The x range of the graph: "Center 946.800000 MHz, Span 10.000000 MHz", "Sweep time 100.0 ms" at zero
// span, "Distance 0 to 50.0 m" in DTF.
std::string XRangeText(const CMyQuarnDoc& d);

// The mode's headline result: the channel power, ACPR, OBW, field strength or cable loss the instrument
// measured, else the highest point of the front trace ("Peak -31.9 dBm at 946.800000 MHz", "DTF peak
// ... at 12.3 m"). Empty for a trace without data.
std::string HeadlineResult(const CMyQuarnDoc& d);

// One row of a survey summary. Texts are Windows-1252, as the record holds them.
struct TraceSummary {
    std::string file;  // the path as given
    bool readable = true;
    std::string message;  // why the file could not be read
    std::string traceName;
    std::string mode;  // display name
    std::string dateTime;
    std::string xRange;
    std::string result;
    std::string limitSet;
    std::string verdict;  // "PASS", "FAIL" or empty
    int failCount = 0;
    std::optional<SitePosition> position;
};

TraceSummary Summarise(const CMyQuarnDoc& d, const std::string& file);
TraceSummary UnreadableSummary(const std::string& file, const std::string& message);

// A position as text: "48.117300 N, 11.516667 E, 545.4 m".
std::string PositionText(const SitePosition& p);

}  // namespace fl
