#include "MarkerEdit.h"

#include <algorithm>
#include <cmath>

#include "CMyQuarnDoc.h"
#include "PageRenderer.h"
#include "PanelText.h"
#include "Units.h"

namespace fl {

namespace {

std::vector<int>& States(CMyQuarnDoc& d, char t) {
    return t == 'B' ? d.m_arrUserStateB : d.m_arrUserStateA;
}
const std::vector<int>& States(const CMyQuarnDoc& d, char t) {
    return t == 'B' ? d.m_arrUserStateB : d.m_arrUserStateA;
}
const std::vector<double>& Points(const CMyQuarnDoc& d, char t) {
    return t == 'B' ? d.m_arrTraceB : d.m_arrTraceA;
}

// The second sample of column c (0..500); a column outside the trace counts as 0.0.
double Sample(const CMyQuarnDoc& d, char t, int c) {
    const auto& p = Points(d, t);
    const size_t i = static_cast<size_t>(2 * c + 1);
    return c >= 0 && c <= kLastMarkerPoint && i < p.size() ? p[i] : 0.0;
}

bool IsLocalPeak(const CMyQuarnDoc& d, char t, int c) {
    const double v = Sample(d, t, c);
    return !(v < Sample(d, t, c - 1)) && !(v < Sample(d, t, c + 1));
}

void SwitchOn(CMyQuarnDoc& d, char t, int n) {
    auto& s = States(d, t);
    if (s[static_cast<size_t>(n)] == MARKER_OFF) s[static_cast<size_t>(n)] = NORMal;
}

bool ValidMarker(int n) {
    return n >= 1 && n <= kUserMarkers;
}

template <class T>
void Swap(std::vector<T>& v, int a, int b) {
    std::swap(v[static_cast<size_t>(a)], v[static_cast<size_t>(b)]);
}

void ExchangeMarkers(CMyQuarnDoc& d, char t, int a, int b) {
    if (t == 'B') {
        Swap(d.m_arrUserStateB, a, b);
        Swap(d.m_arrUserFreqB, a, b);
        Swap(d.m_arrUserTimeB, a, b);
        Swap(d.m_arrUserDistB, a, b);
        Swap(d.m_arrMarkerTextB, a, b);
        Swap(d.m_arrMarkerFlagB, a, b);
    } else {
        Swap(d.m_arrUserStateA, a, b);
        Swap(d.m_arrUserFreqA, a, b);
        Swap(d.m_arrUserTimeA, a, b);
        Swap(d.m_arrUserDistA, a, b);
        Swap(d.m_arrMarkerTextA, a, b);
        Swap(d.m_arrMarkerFlagA, a, b);
    }
}

// The level the sort compares: where the marker stands on the graph (clamped to it), as its page y.
double SortLevel(const CMyQuarnDoc& d, char t, int n) {
    return LevelToY(d, -8000, MarkerStoredLevel(d, t, n), true);
}

}  // namespace

double PointValue(const CMyQuarnDoc& d, int point) {
    if (d.m_strMode == "DTF") return point * d.m_dCableLength * 0.002;
    if (d.m_dSpan != 0) return d.m_dCenter - d.m_dSpan / 2 + point * d.m_dSpan * 0.002;
    return point * d.m_dSweepTime * 0.002;
}

int MarkerPoint(const CMyQuarnDoc& d, char t, int n) {
    return static_cast<int>(MarkerColumn(d, UserMarkerPosition(d, t, n)));
}

void PlaceMarker(CMyQuarnDoc& d, char t, int n, int point) {
    if (!ValidMarker(n)) return;
    point = std::clamp(point, 0, kLastMarkerPoint);
    SetUserMarkerPosition(d, t, n, PointValue(d, point));
    d.SetModifiedFlag();
}

double MarkerStoredLevel(const CMyQuarnDoc& d, char t, int n) {
    return MarkerLevel(d, t, UserMarkerPosition(d, t, n));
}

bool TraceOffered(const CMyQuarnDoc& d, char t) {
    return (t == 'B' ? d.m_nTraceModeB : d.m_nTraceModeA) != TRACE_OFF;
}

bool TraceDrawn(const CMyQuarnDoc& d, char t) {
    if (!TraceOffered(d, t) || !(t == 'B' ? d.m_bShowTraceB : d.m_bShowTraceA)) return false;
    for (double p : Points(d, t))
        if (p != kNoPoint) return true;
    return false;
}

bool StepSelectedMarker(CMyQuarnDoc& d, MarkerSelection& s, int step) {
    const char t = d.m_nFrontTrace == 1 ? 'B' : 'A';
    const int ti = TraceIndex(t);
    const auto& state = States(d, t);
    int n = s.Highlighted(ti);
    if (!ValidMarker(n) || state[static_cast<size_t>(n)] == MARKER_OFF) {
        n = 0;
        for (int m = 1; m <= kUserMarkers && n == 0; ++m)
            if (state[static_cast<size_t>(m)] != MARKER_OFF) n = m;
        if (n == 0) return false;
        s.selected[static_cast<size_t>(ti)] = n;
        s.active = 0;
    }
    const int from = MarkerPoint(d, t, n);
    const int to = std::clamp(from + step, 0, kLastMarkerPoint);
    s.point[static_cast<size_t>(ti)] = to;
    if (to == from) return false;
    PlaceMarker(d, t, n, to);
    return true;
}

void MaxPeak(CMyQuarnDoc& d, char t, int n, PointRange range) {
    if (!ValidMarker(n)) return;
    SwitchOn(d, t, n);
    // Columns 1..500 (values 3, 5, ..., 1001); the first of equal values wins.
    const int last = std::clamp(range.last, 0, kLastMarkerPoint);
    int best = std::min(std::max(1, range.first), last);
    for (int c = best + 1; c <= last; ++c)
        if (Sample(d, t, c) > Sample(d, t, best)) best = c;
    PlaceMarker(d, t, n, best);
}

bool NextPeak(CMyQuarnDoc& d, char t, int n, PointRange range) {
    if (!ValidMarker(n)) return false;
    SwitchOn(d, t, n);
    const double level = Sample(d, t, MarkerPoint(d, t, n));
    double best = -1000.0;
    int found = -1;
    for (int c = std::max(0, range.first); c <= std::min(range.last, kLastMarkerPoint); ++c) {
        const double v = Sample(d, t, c);
        if (IsLocalPeak(d, t, c) && v < level && v > best) {
            best = v;
            found = c;
        }
    }
    if (found < 0) return false;
    PlaceMarker(d, t, n, found);
    return true;
}

void ClearAllMarkers(CMyQuarnDoc& d, char t) {
    auto& s = States(d, t);
    for (int n = 1; n <= kUserMarkers; ++n)
        s[static_cast<size_t>(n)] = MARKER_OFF;
    d.SetModifiedFlag();
}

void ClearDeltaMarkers(CMyQuarnDoc& d, char t) {
    auto& s = States(d, t);
    for (int n = 2; n <= kUserMarkers; ++n)
        if (s[static_cast<size_t>(n)] == DELTa) s[static_cast<size_t>(n)] = MARKER_OFF;
    d.SetModifiedFlag();
}

int LabelAllPeaks(CMyQuarnDoc& d, char t, int* selected, PointRange range) {
    ClearAllMarkers(d, t);
    ClearDeltaMarkers(d, t);
    // Levels are compared in the display unit, the threshold (held in dBm) converted into it.
    const auto toUnit = LevelFromDbmFor(d.DisplayUnit(), d.ReferenceImpedance());
    const bool threshold = d.m_bThresholdSet != 0;
    const double T = toUnit(d.m_dMarkerThreshold);
    double M = -1000.0;
    for (int c = std::max(0, range.first); c <= std::min(range.last, kLastMarkerPoint); ++c)
        M = std::max(M, Sample(d, t, c));
    int placed = 0;
    if (!threshold || toUnit(M) > T) {
        MaxPeak(d, t, 1, range);
        placed = 1;
        auto& s = States(d, t);
        for (int n = 2; n <= kUserMarkers; ++n) {
            s[static_cast<size_t>(n)] = NORMal;
            PlaceMarker(d, t, n, MarkerPoint(d, t, n - 1));
            // No lower peak left: the marker would only sit on the one before it.
            if (!NextPeak(d, t, n, range) || (threshold && toUnit(MarkerStoredLevel(d, t, n)) < T)) {
                s[static_cast<size_t>(n)] = MARKER_OFF;
                break;
            }
            placed = n;
        }
    }
    if (selected) *selected = placed;
    SortMarkers(d, t, MarkerSort::Position, selected);
    d.SetModifiedFlag();
    return placed;
}

int SortMarkers(CMyQuarnDoc& d, char t, MarkerSort key, int* selected) {
    const bool drawn = TraceDrawn(d, t);
    auto takesPart = [&](int n) { return drawn && States(d, t)[static_cast<size_t>(n)] == NORMal; };
    auto outOfOrder = [&](int a, int b) {
        if (key == MarkerSort::Level) return SortLevel(d, t, a) < SortLevel(d, t, b);
        return UserMarkerPosition(d, t, b) < UserMarkerPosition(d, t, a);
    };
    int passes = 0;
    for (int pass = 0; pass < 8; ++pass) {
        bool exchanged = false;
        int a = 0;  // the last taking part up to j
        for (int j = 1; j < kUserMarkers; ++j) {
            if (takesPart(j)) a = j;
            if (a == 0 || !takesPart(j + 1) || !outOfOrder(a, j + 1)) continue;
            ExchangeMarkers(d, t, a, j + 1);
            if (selected && *selected == a)
                *selected = j + 1;
            else if (selected && *selected == j + 1)
                *selected = a;
            exchanged = true;
        }
        if (!exchanged) break;
        ++passes;
    }
    if (passes > 0) d.SetModifiedFlag();
    return passes;
}

std::string PositionSortCaption(const CMyQuarnDoc& d) {
    if (d.m_strMode == "DTF") return "Sort by Distance";
    return d.m_dSpan != 0 ? "Sort by Frequency" : "Sort by Time";
}

MarkerSnapshot TakeMarkerSnapshot(const CMyQuarnDoc& d) {
    return {d.m_arrUserStateA,  d.m_arrUserStateB,  d.m_arrMarkerFlagA, d.m_arrMarkerFlagB,  d.m_arrUserFreqA,
            d.m_arrUserTimeA,   d.m_arrUserDistA,   d.m_arrUserFreqB,   d.m_arrUserTimeB,    d.m_arrUserDistB,
            d.m_arrMarkerTextA, d.m_arrMarkerTextB, d.m_bThresholdSet,  d.m_dMarkerThreshold};
}

void RestoreMarkerSnapshot(CMyQuarnDoc& d, const MarkerSnapshot& s) {
    d.m_arrUserStateA = s.stateA;
    d.m_arrUserStateB = s.stateB;
    d.m_arrMarkerFlagA = s.flagA;
    d.m_arrMarkerFlagB = s.flagB;
    d.m_arrUserFreqA = s.freqA;
    d.m_arrUserTimeA = s.timeA;
    d.m_arrUserDistA = s.distA;
    d.m_arrUserFreqB = s.freqB;
    d.m_arrUserTimeB = s.timeB;
    d.m_arrUserDistB = s.distB;
    d.m_arrMarkerTextA = s.textA;
    d.m_arrMarkerTextB = s.textB;
    d.m_bThresholdSet = s.thresholdSet;
    d.m_dMarkerThreshold = s.threshold;
    d.NormalizeShapes();
}

void RestoreDeviceMarkers(CMyQuarnDoc& d, const MarkerSnapshot& asRead) {
    ClearAllMarkers(d, 'A');
    ClearAllMarkers(d, 'B');
    d.m_arrUserStateA = d.m_arrMarkerStateA;
    d.m_arrUserFreqA = d.m_arrMarkerFreqA;
    d.m_arrUserTimeA = d.m_arrMarkerTimeA;
    d.m_arrUserDistA = d.m_arrMarkerDistA;
    d.m_arrUserStateB = d.m_arrMarkerStateB;
    d.m_arrUserFreqB = d.m_arrMarkerFreqB;
    d.m_arrUserTimeB = d.m_arrMarkerTimeB;
    d.m_arrUserDistB = d.m_arrMarkerDistB;
    d.m_arrMarkerTextA = asRead.textA;
    d.m_arrMarkerTextB = asRead.textB;
    d.m_arrMarkerFlagA = asRead.flagA;
    d.m_arrMarkerFlagB = asRead.flagB;
    d.NormalizeShapes();
    d.SetModifiedFlag();
}

std::vector<MarkerLabel> LabelledMarkers(const CMyQuarnDoc& d) {
    std::vector<std::pair<double, MarkerLabel>> list;
    for (char t : {'A', 'B'}) {
        if (!TraceDrawn(d, t)) continue;
        const auto& state = States(d, t);
        const auto& text = t == 'B' ? d.m_arrMarkerTextB : d.m_arrMarkerTextA;
        const auto& flag = t == 'B' ? d.m_arrMarkerFlagB : d.m_arrMarkerFlagA;
        for (int n = 1; n <= kUserMarkers; ++n) {
            const size_t i = static_cast<size_t>(n);
            if (state[i] == MARKER_OFF || i >= text.size() || text[i].empty() || i >= flag.size() || !flag[i])
                continue;
            list.push_back({static_cast<double>(MarkerPoint(d, t, n)), {t, n, text[i]}});
        }
    }
    // Smaller x first; markers on one point keep their order.
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<MarkerLabel> out;
    for (auto& [x, label] : list)
        out.push_back(std::move(label));
    return out;
}

}  // namespace fl
