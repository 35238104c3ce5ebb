// The editors' graph as pure functions: the 410 x 320 plotting area, the position units the pointer works
// in, which point a pointer hits, and the overlay trace. The widget only draws what these give.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace fl {

class CMyQuarnDoc;

inline constexpr int kGraphWidth = 410;
inline constexpr int kGraphHeight = 320;

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// A point of a row in the editor's position units (hundredths of a division, or thousandths).
struct UnitPoint {
    double x = 0, y = 0;
};

// Which point the pointer holds: the row (0-based) and its start (0) or end (1) point.
struct GraphHit {
    int row = -1;
    int end = 0;
    bool operator==(const GraphHit&) const = default;
};

// The pointer protocol's search: the current row's end point, then its start point, then every row's
// start point from the first, then every end point. A point is hit when the pointer lies within
// `tolerance` units of its truncated position on both axes. `current` is 1-based (0: none).
std::optional<GraphHit> HitTest(const std::vector<std::array<UnitPoint, 2>>& rows, int current,
                                UnitPoint pointer, double tolerance);

// The limit lines editor: divisions (0..10 across, 0..8 up) to pixels, and a pointer pixel to hundredths
// of a division (0..1000, 0..800), clamped.
PixelPoint LimitPixel(double x, double y);
UnitPoint LimitPointerUnits(double px, double py);

// The EMF editor: (Hz, level) to pixels, and a pointer pixel to thousandths of the area (0..1000 both).
PixelPoint EmfPixel(double hz, double level, double maxHz, double reference, double scale);
UnitPoint EmfPointerUnits(double px, double py);
// Where an (Hz, level) point lies in thousandths, and back.
UnitPoint EmfUnits(double hz, double level, double maxHz, double reference, double scale);
double EmfHzAt(double ux, double maxHz);
double EmfLevelAt(double uy, double reference, double scale);

// The trace shown behind the segments: trace A's 1002 values (two per display point), its min/max flag,
// display unit, reference level, scale and impedance, taken from a loaded trace document.
struct OverlayTrace {
    std::vector<double> values;
    int minMax = 0;
    std::string unit;
    double reference = 0, scale = 10, impedance = 50;
};
OverlayTrace OverlayFrom(const CMyQuarnDoc& doc);
// The overlay as line segments in pixels: a polyline through the first value of each point (MRHO or no
// min/max), else a vertical stroke per point, joined to the previous one where they do not overlap.
std::vector<std::array<PixelPoint, 2>> OverlayLines(const OverlayTrace& t);

}  // namespace fl
