// What the user does with the markers of a trace: placing them on display points, the arrow keys, the
// peak searches, sorting, clearing and restoring. Works on the user marker arrays of the document; no
// widgets, so the view, the dialog and fieldlink-cli share it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ViewZoom.h"

namespace fl {

class CMyQuarnDoc;

constexpr int kLastMarkerPoint = 500;  // display points 0..500
constexpr int kUserMarkers = 10;       // markers 1..10 of each trace

inline int TraceIndex(char trace) {
    return trace == 'B' ? 1 : 0;
}

// The x value of display point `point`: a frequency, the time at zero span, the distance in DTF mode.
double PointValue(const CMyQuarnDoc& d, int point);
// The display point (0..500) a marker stands on.
int MarkerPoint(const CMyQuarnDoc& d, char trace, int n);
// Puts marker `n` on `point` (clamped to 0..500) and marks the document modified.
void PlaceMarker(CMyQuarnDoc& d, char trace, int n, int point);
// The level under marker `n` as stored (dBm or dB): the second sample of its column.
double MarkerStoredLevel(const CMyQuarnDoc& d, char trace, int n);
// A trace is drawn, and its markers placed, when it is visible, holds data and its mode is not OFF.
bool TraceDrawn(const CMyQuarnDoc& d, char trace);
// A trace whose mode is OFF has no markers tab and no marker table.
bool TraceOffered(const CMyQuarnDoc& d, char trace);

// The view's marker selection: per trace the selected marker (0 none) and its point, and the active
// marker (drawn highlighted; 0 none).
struct MarkerSelection {
    std::array<int, 2> selected{0, 0};
    std::array<int, 2> point{250, 250};
    int active = 0;
    // The marker drawn highlighted on the front trace.
    int Highlighted(int traceIndex) const { return active > 0 ? active : selected[traceIndex]; }
};

// The arrow keys: moves the front trace's highlighted marker by `step` points (Left -1, Right +1, Up +10,
// Down -10). With none selected the lowest shown marker is taken. Returns false when no marker moved.
bool StepSelectedMarker(CMyQuarnDoc& d, MarkerSelection& s, int step);

// The peak searches look at the points of `range`: the whole trace, or what a zoomed window shows.
// Max Peak: switches marker `n` on when it is off and puts it on the highest of columns 1..500 (the first
// one on a tie).
void MaxPeak(CMyQuarnDoc& d, char trace, int n, PointRange range = {});
// Next Peak: switches marker `n` on when it is off and moves it to the highest local peak below its
// present level (the lower column on a tie). Returns false, leaving it in place, when there is none.
bool NextPeak(CMyQuarnDoc& d, char trace, int n, PointRange range = {});
// Clear All under "Markers": every marker off; under "Delta Markers": delta markers 2..10 off.
void ClearAllMarkers(CMyQuarnDoc& d, char trace);
void ClearDeltaMarkers(CMyQuarnDoc& d, char trace);
// Label All Peaks: markers 1.. on the highest peaks in descending order, down to the threshold when one
// is set, then sorted by x. `selected` follows. Returns the number of markers placed.
int LabelAllPeaks(CMyQuarnDoc& d, char trace, int* selected = nullptr, PointRange range = {});

enum class MarkerSort { Level, Position };
// Sorts the normal markers of a drawn trace (highest level first, or smallest x first); delta, noise and
// counter markers keep their places. `selected` follows its marker. Returns the passes that exchanged.
int SortMarkers(CMyQuarnDoc& d, char trace, MarkerSort key, int* selected = nullptr);
// "Sort by Frequency", "Sort by Time" at zero span, "Sort by Distance" in DTF mode.
std::string PositionSortCaption(const CMyQuarnDoc& d);

// Every marker array of both traces, the descriptions, their show flags and the threshold.
struct MarkerSnapshot {
    std::vector<int> stateA, stateB, flagA, flagB;
    std::vector<double> freqA, timeA, distA, freqB, timeB, distB;
    std::vector<std::string> textA, textB;
    int thresholdSet = 0;
    double threshold = 0;
};
MarkerSnapshot TakeMarkerSnapshot(const CMyQuarnDoc& d);
void RestoreMarkerSnapshot(CMyQuarnDoc& d, const MarkerSnapshot& s);
// Restore Device Markers: the user markers of both traces become the instrument's again, and the
// descriptions those of `asRead` (taken when the trace was read).
void RestoreDeviceMarkers(CMyQuarnDoc& d, const MarkerSnapshot& asRead);

// Marker labels: the shown markers with a description whose show flag is set.
struct MarkerLabel {
    char trace;
    int n;
    std::string text;
};
std::vector<MarkerLabel> LabelledMarkers(const CMyQuarnDoc& d);

}  // namespace fl
