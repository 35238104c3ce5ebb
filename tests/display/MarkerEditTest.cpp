#include <gtest/gtest.h>

#include "CMyQuarnDoc.h"
#include "HandSpectrum.h"
#include "MarkerEdit.h"
#include "PageRenderer.h"
#include "PanelText.h"

using namespace fl;

namespace {

// A spectrum trace from 999.5 to 1000.5 MHz (2 kHz per point) at -80 dBm, with peaks: column 0 at -5
// (outside what Max Peak scans), columns 10 and 400 at -20, 50 and 100 at -30, 200 at -50.
CMyQuarnDoc PeakTrace() {
    CMyQuarnDoc d = test::HandSpectrum(-80);
    auto set = [&](int c, double v) { d.m_arrTraceA[2 * c] = d.m_arrTraceA[2 * c + 1] = v; };
    set(0, -5);
    set(10, -20);
    set(400, -20);
    set(50, -30);
    set(100, -30);
    set(200, -50);
    return d;
}

std::vector<int> PlacedPoints(const CMyQuarnDoc& d, char t = 'A') {
    std::vector<int> out;
    for (int n = 1; n <= 10; ++n)
        if ((t == 'A' ? d.m_arrUserStateA : d.m_arrUserStateB)[n] != MARKER_OFF)
            out.push_back(MarkerPoint(d, t, n));
    return out;
}

}  // namespace

TEST(MarkerEdit, PointsAndValues) {
    CMyQuarnDoc d = PeakTrace();
    EXPECT_DOUBLE_EQ(PointValue(d, 0), 999.5e6);
    EXPECT_DOUBLE_EQ(PointValue(d, 250), 1e9);
    EXPECT_DOUBLE_EQ(PointValue(d, 10), 999.52e6);
    d.m_dSpan = 0;  // zero span: time
    EXPECT_DOUBLE_EQ(PointValue(d, 250), 0.05);
    d.m_strMode = "DTF";
    d.m_dCableLength = 50;
    EXPECT_DOUBLE_EQ(PointValue(d, 100), 10.0);
    PlaceMarker(d, 'A', 3, 600);  // clamped
    EXPECT_DOUBLE_EQ(d.m_arrUserDistA[3], 50.0);
    EXPECT_TRUE(d.IsModified());
}

TEST(MarkerEdit, PeakSearches) {
    CMyQuarnDoc d = PeakTrace();
    // Max Peak: columns 1..500 only, the first of the two -20 peaks.
    MaxPeak(d, 'A', 1);
    EXPECT_EQ(d.m_arrUserStateA[1], NORMal);
    EXPECT_EQ(MarkerPoint(d, 'A', 1), 10);
    EXPECT_DOUBLE_EQ(d.m_arrUserFreqA[1], 999.52e6);
    struct Step {
        int from;
        int to;  // -1: no lower peak, the marker stays
    };
    const Step steps[] = {
        {10, 50},   // -30 at 50 and 100: the lower column
        {50, 200},  // 100 is not strictly below -30
        {200, 2},   // the -80 floor: column 1 is below column 0's -5, column 2 is a (flat) peak
        {2, -1},    // nothing below -80
        {0, 10},    // from column 0 (-5): the two -20 peaks below it, the lower column
    };
    for (const auto& s : steps) {
        PlaceMarker(d, 'A', 2, s.from);
        const bool moved = NextPeak(d, 'A', 2);
        EXPECT_EQ(moved, s.to >= 0) << s.from;
        EXPECT_EQ(MarkerPoint(d, 'A', 2), s.to >= 0 ? s.to : s.from) << s.from;
    }
    // An off marker is switched on by either search.
    EXPECT_EQ(d.m_arrUserStateA[2], NORMal);
}

TEST(MarkerEdit, LabelAllPeaksAndTheThreshold) {
    struct Case {
        const char* unit;
        bool threshold;
        double dbm;
        std::vector<int> points;  // after the sort by x
    };
    const Case cases[] = {
        {"DBM", false, 0, {2, 10, 50, 200}},  // stops where no lower peak is left
        {"DBM", true, -40, {10, 50}},         // -50 at 200 is below the threshold
        {"DBM", true, -3, {}},                // above every peak: none
        {"DBUV", true, -40, {10, 50}},        // the same in a converted unit
        {"MV", true, -40, {10, 50}},
        {"DBUV", true, -3, {}},
    };
    for (const auto& c : cases) {
        CMyQuarnDoc d = PeakTrace();
        d.m_strRefLevelUnit = c.unit;
        d.ReselectDisplay();
        d.m_bThresholdSet = c.threshold;
        d.m_dMarkerThreshold = c.dbm;
        // Markers already on, deltas too, are cleared first.
        d.m_arrUserStateA[7] = DELTa;
        d.m_arrUserStateA[9] = NORMal;
        int selected = 7;
        const int placed = LabelAllPeaks(d, 'A', &selected);
        EXPECT_EQ(placed, static_cast<int>(c.points.size())) << c.unit << " " << c.dbm;
        EXPECT_EQ(PlacedPoints(d), c.points) << c.unit << " " << c.dbm;
        for (int n = 1; n <= static_cast<int>(c.points.size()); ++n)
            EXPECT_EQ(d.m_arrUserStateA[n], NORMal);
    }
}

TEST(MarkerEdit, SortingMovesOnlyNormalMarkersAndTheSelectionFollows) {
    CMyQuarnDoc d = PeakTrace();
    auto put = [&](int n, int state, int point) {
        d.m_arrUserStateA[n] = state;
        PlaceMarker(d, 'A', n, point);
    };
    // One taking part: nothing changes.
    put(1, NORMal, 300);
    put(2, DELTa, 100);
    int selected = 1;
    EXPECT_EQ(SortMarkers(d, 'A', MarkerSort::Position, &selected), 0);
    EXPECT_EQ(MarkerPoint(d, 'A', 1), 300);
    // Markers 1 and 3 exchange over the delta marker 2 and the counter marker 4, which stay.
    put(3, NORMal, 50);
    put(4, COUNter, 20);
    d.m_arrMarkerTextA[3] = "feeder";
    d.m_arrMarkerFlagA[3] = 1;
    selected = 3;
    EXPECT_EQ(SortMarkers(d, 'A', MarkerSort::Position, &selected), 1);
    EXPECT_EQ(MarkerPoint(d, 'A', 1), 50);
    EXPECT_EQ(MarkerPoint(d, 'A', 3), 300);
    EXPECT_EQ(d.m_arrMarkerTextA[1], "feeder");  // every property moves
    EXPECT_EQ(d.m_arrMarkerFlagA[1], 1);
    EXPECT_EQ(MarkerPoint(d, 'A', 2), 100);
    EXPECT_EQ(d.m_arrUserStateA[2], DELTa);
    EXPECT_EQ(MarkerPoint(d, 'A', 4), 20);
    EXPECT_EQ(selected, 1);
    // By level, highest first: 1 at -30 (50), 3 at -80 (300), 5 at -20 (10).
    put(5, NORMal, 10);
    EXPECT_GE(SortMarkers(d, 'A', MarkerSort::Level, &selected), 1);
    EXPECT_EQ(MarkerPoint(d, 'A', 1), 10);
    EXPECT_EQ(MarkerPoint(d, 'A', 3), 50);
    EXPECT_EQ(MarkerPoint(d, 'A', 5), 300);
    EXPECT_EQ(selected, 3);
}

TEST(MarkerEdit, SortingStopsAfterEightPasses) {
    CMyQuarnDoc d = PeakTrace();
    for (int n = 1; n <= 10; ++n) {
        d.m_arrUserStateA[n] = NORMal;
        PlaceMarker(d, 'A', n, 10 * (11 - n));  // 100, 90, ..., 10: nine passes would be needed
    }
    EXPECT_EQ(SortMarkers(d, 'A', MarkerSort::Position), 8);
    EXPECT_EQ(PlacedPoints(d), (std::vector<int>{20, 10, 30, 40, 50, 60, 70, 80, 90, 100}));
    // A trace that is not drawn has no placed markers: nothing takes part.
    d.m_bShowTraceA = 0;
    EXPECT_EQ(SortMarkers(d, 'A', MarkerSort::Position), 0);
}

TEST(MarkerEdit, ArrowKeysClampAtTheEnds) {
    CMyQuarnDoc d = PeakTrace();
    MarkerSelection s;
    EXPECT_FALSE(StepSelectedMarker(d, s, 1));  // no marker shown
    d.m_arrUserStateA[3] = NORMal;
    PlaceMarker(d, 'A', 3, 0);
    EXPECT_FALSE(StepSelectedMarker(d, s, -1));  // 0 stays 0; the shown marker became the selected one
    EXPECT_EQ(s.selected[0], 3);
    EXPECT_EQ(MarkerPoint(d, 'A', 3), 0);
    PlaceMarker(d, 'A', 3, 495);
    EXPECT_TRUE(StepSelectedMarker(d, s, 10));
    EXPECT_EQ(MarkerPoint(d, 'A', 3), 500);
    EXPECT_DOUBLE_EQ(d.m_arrUserFreqA[3], 1000.5e6);
    EXPECT_TRUE(StepSelectedMarker(d, s, -10));
    EXPECT_EQ(s.point[0], 490);
    // The front trace decides: trace B has no marker here.
    d.m_nFrontTrace = 1;
    EXPECT_FALSE(StepSelectedMarker(d, s, 1));
}

TEST(MarkerEdit, CancelAndRestore) {
    CMyQuarnDoc d = PeakTrace();
    d.m_arrMarkerStateA[2] = NORMal;  // the instrument's marker 2
    d.m_arrMarkerFreqA[2] = 1000.2e6;
    d.m_arrUserStateA = d.m_arrMarkerStateA;
    d.m_arrUserFreqA = d.m_arrMarkerFreqA;
    d.m_arrMarkerTextA[2] = "as read";
    const MarkerSnapshot asRead = TakeMarkerSnapshot(d);
    LabelAllPeaks(d, 'A');
    d.m_arrMarkerTextA[2] = "changed";
    d.m_arrUserStateB[4] = NORMal;
    const MarkerSnapshot changed = TakeMarkerSnapshot(d);
    RestoreDeviceMarkers(d, asRead);
    EXPECT_EQ(PlacedPoints(d), std::vector<int>{350});
    EXPECT_EQ(d.m_arrMarkerTextA[2], "as read");
    EXPECT_EQ(d.m_arrUserStateB[4], MARKER_OFF);
    RestoreMarkerSnapshot(d, changed);
    EXPECT_EQ(d.m_arrMarkerTextA[2], "changed");
    EXPECT_EQ(d.m_arrUserStateB[4], NORMal);
    EXPECT_EQ(PlacedPoints(d), (std::vector<int>{2, 10, 50, 200}));
}

TEST(MarkerEdit, MarkerLinesInEveryFormat) {
    struct Case {
        const char* mode;
        const char* unit;
        double stored;  // dBm or dB at the marker
        const char* line;
    };
    // Marker 1 at point 250 (1 GHz; 25 m in DTF over 50 m).
    const Case cases[] = {
        {"SANalyzer", "DBM", -31.94, "M1 -31.9 dBm 1.000000 GHz"},
        {"SANalyzer", "DBUV", -31.94, "M1 75.0 dB\xB5V 1.000000 GHz"},
        {"SANalyzer", "MW", -3.0, "M1 0.50 mW 1.000000 GHz"},       // 10^-0.3 = 0.501
        {"SANalyzer", "MV", 0.0, "M1 223.61 mV 1.000000 GHz"},      // sqrt(0.001 * 50) V
        {"SANalyzer", "UW", -33.0, "M1 0.501 \xB5W 1.000000 GHz"},  // 10^-3.3 mW
        {"SANalyzer", "V", 0.0, "M1 0.224 V 1.000000 GHz"},
        {"RFLection", "VSWR", -20.0, "M1 1.22 VSWR 1.000000 GHz"},  // (1 + 0.1) / (1 - 0.1)
        {"RFLection", "VSWR", -0.1, "M1 >100 VSWR 1.000000 GHz"},
        {"RFLection", "MRHO", -20.0, "M1 100 mRho 1.000000 GHz"},
        {"DTF", "DB", -12.345, "M1 -12.3 dB 25.00 m"},
    };
    for (const auto& c : cases) {
        CMyQuarnDoc d = PeakTrace();
        d.m_strMode = c.mode;
        d.m_strRefLevelUnit = c.unit;
        d.m_strRflRefUnit = c.unit;
        d.m_strDtfRefUnit = c.unit;
        d.m_dCableLength = 50;
        d.ReselectDisplay();
        d.m_arrTraceA[501] = c.stored;
        d.m_arrUserStateA[1] = NORMal;
        PlaceMarker(d, 'A', 1, 250);
        const auto lines = MarkerLines(d, 'A');
        ASSERT_EQ(lines.size(), 1u) << c.unit;
        EXPECT_EQ(lines[0], c.line) << c.mode << " " << c.unit;
    }
}

TEST(MarkerEdit, DeltaLinesAreSignedDifferences) {
    CMyQuarnDoc d = PeakTrace();
    d.m_arrUserStateA[1] = NORMal;
    PlaceMarker(d, 'A', 1, 50);  // -30 dBm at 999.6 MHz
    d.m_arrUserStateA[2] = DELTa;
    PlaceMarker(d, 'A', 2, 10);  // -20 dBm at 999.52 MHz: 80 kHz below, 10 dB above
    const auto lines = MarkerLines(d, 'A');
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "D2 10.0 dB -80.000 kHz");
}
