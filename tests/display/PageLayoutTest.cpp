#include <gtest/gtest.h>

#include "CMyQuarnDoc.h"
#include "PageLayout.h"

using namespace fl;

namespace {
CMyQuarnDoc Doc(bool panels, bool portrait = false) {
    CMyQuarnDoc d;
    d.m_bShowLevelPanel = d.m_bShowStatusPanel = d.m_bShowTracePanel = d.m_bShowInstrumentPanel = panels;
    d.m_bShowMarkersA = d.m_bShowMarkersB = 0;
    d.m_nOrientation = portrait ? 0 : 1;
    return d;
}
}  // namespace

TEST(PageLayout, FitFillsTheWindow) {
    int fw, fh;
    FitPage(8300, 6800, 1920, 1080, fw, fh);
    EXPECT_EQ(fh, 6800);
    EXPECT_EQ(fw, 12088);
    FitPage(8300, 6800, 800, 1000, fw, fh);
    EXPECT_EQ(fw, 8300);
    EXPECT_EQ(fh, 10375);
}

TEST(PageLayout, LandscapeGraphAndColumn) {
    const PageLayout none = ComputeLayout(Doc(false), 8300, 6800);
    EXPECT_EQ(none.W, 7800);
    EXPECT_EQ(none.H, 900 - 6800);
    EXPECT_TRUE(none.panels.empty());
    const PageLayout with = ComputeLayout(Doc(true), 8300, 6800);
    EXPECT_EQ(with.lines, 6 + 11 + 5 + 8);
    EXPECT_EQ(with.W, 5600);
    EXPECT_EQ(with.panels.front().x, 5650);
    EXPECT_EQ(with.panelStartY, 0);  // 30 lines fit below 6800 - 1200
    CMyQuarnDoc commented = Doc(true);
    commented.m_strComment = "feeder 2";
    EXPECT_EQ(ComputeLayout(commented, 8300, 6800).H, with.H + 250);
}

TEST(PageLayout, ManyMarkersMakeTheLandscapePageTaller) {
    CMyQuarnDoc d = Doc(true);
    d.m_bShowGpsPanel = d.m_bShowEdevPanel = 1;
    d.m_strMode = "DTF";
    d.m_bShowMarkersA = 1;
    for (int e = 1; e <= 10; ++e)
        d.m_arrUserStateA[e] = 1;
    const PageLayout L = ComputeLayout(d, 8300, 6800);
    EXPECT_EQ(L.markersA, 10);
    EXPECT_EQ(L.pageH, 8600);
    EXPECT_EQ(L.Fh, 8600);
    EXPECT_EQ(L.panelStartY, 650);
}

TEST(PageLayout, PortraitColumns) {
    CMyQuarnDoc d = Doc(true, true);
    const PageLayout L = ComputeLayout(d, 6700, 8600);
    EXPECT_TRUE(L.portrait);
    EXPECT_EQ(L.W, 6200);
    // Status (11) left, Level (6) right, Trace/Detector (5) left, Instrument (8, +55) right.
    ASSERT_EQ(L.panels.size(), 4u);
    EXPECT_EQ(L.panels[0].kind, PanelPlace::Status);
    EXPECT_EQ(L.panels[0].x, 0);
    EXPECT_EQ(L.panels[1].x, 6200 / 2 + 100);
    EXPECT_EQ(L.panels[0].width, 6200 / 2 - 100);
    EXPECT_EQ(L.H, 150 * 16 + 1050 - 8600);
    EXPECT_EQ(L.panelStartY, L.H - 280);
    const PageLayout bare = ComputeLayout(Doc(false, true), 6700, 8600);
    EXPECT_EQ(bare.H, 900 - 8600);
}
