// No text over text, no text off the page or out of its panel: every bundled sample in both orientations,
// at 4:3 and 16:9, with every panel, with none, with a comment, with limits, counter, external reference
// and GPS on. The canvas records the box of each text it draws; any two that overlap fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "CMyQuarnDoc.h"
#include "PageRenderer.h"
#include "TestUtil.h"
#include "Units.h"

using namespace fl;

namespace {

struct Variant {
    const char* name;
    void (*apply)(CMyQuarnDoc&);
};

void AllPanels(CMyQuarnDoc& d) {
    d.m_bShowLevelPanel = d.m_bShowStatusPanel = d.m_bShowTracePanel = 1;
    d.m_bShowInstrumentPanel = d.m_bShowEdevPanel = d.m_bShowGpsPanel = 1;
    d.m_bShowMarkersA = d.m_bShowMarkersB = 1;
}

const Variant kVariants[] = {
    {"all panels", AllPanels},
    {"no panels",
     [](CMyQuarnDoc& d) {
         d.m_bShowLevelPanel = d.m_bShowStatusPanel = d.m_bShowTracePanel = 0;
         d.m_bShowInstrumentPanel = d.m_bShowEdevPanel = d.m_bShowGpsPanel = 0;
         d.m_bShowMarkersA = d.m_bShowMarkersB = 0;
     }},
    {"comment",
     [](CMyQuarnDoc& d) {
         AllPanels(d);
         d.m_strComment = "Antenna replaced, feeder checked after the storm; values before the repair";
     }},
    {"limits, counter, external reference",
     [](CMyQuarnDoc& d) {
         AllPanels(d);
         d.m_strLimitState = "UPPLow";
         d.m_strLimitFile = "GSM_MASK_900";
         d.m_strTraceDataLimit = "FAIL";
         d.m_nLimitFailCount = 12;
         d.m_strExtRefFreq = "ON";
         if (d.m_arrUserStateA.size() > 1) d.m_arrUserStateA[1] = COUNter;
         d.m_dCounterFreq = 947612345;
     }},
    {"compared with three other traces",
     [](CMyQuarnDoc& d) {
         AllPanels(d);
         d.m_strCompareName = "TOWER12_SECTOR_A_BEFORE_REPAIR.qtm";
         for (const char* name : {"SITE 2.qtm", "SITE 3 after the storm.qtm", "SITE 4.qtr"})
             d.m_overlays.push_back({name, d.m_arrTraceA, d.m_nMinMaxA, 50.0});
     }},
    {"video trigger on a tick, negative peak, long cable, marker at the right edge",
     [](CMyQuarnDoc& d) {
         AllPanels(d);
         d.m_strTrigger = "VIDeo";
         d.m_dTriggerLevel = LevelToDbm(d.SelectedReference() - 4 * d.SelectedScale(), d.DisplayUnit(),
                                        d.ReferenceImpedance());
         d.m_nDetector = 3;  // "Neg. Peak"
         // A long cable, the markers moved along with it.
         const double stretch = d.m_dCableLength > 0 ? 12345.6 / d.m_dCableLength : 1;
         for (auto* dist : {&d.m_arrUserDistA, &d.m_arrUserDistB})
             for (double& x : *dist)
                 x *= stretch;
         d.m_dCableLength = 12345.6;
         if (d.m_arrUserStateA.size() > 10) {
             d.m_arrUserStateA[10] = NORMal;
             SetUserMarkerPosition(d, 'A', 10,
                                   d.m_strMode == "DTF" ? d.m_dCableLength : d.m_dCenter + d.m_dSpan / 2);
         }
     }},
    {"simple limits pass",
     [](CMyQuarnDoc& d) {
         AllPanels(d);
         d.m_strLimitSimple = "ON";
         d.m_strLimitState = "UPPer";
         d.m_strTraceDataLimit = "PASS";
         d.m_strComment = "ok";
     }},
};

bool Overlap(const QRectF& a, const QRectF& b) {
    // Boxes span y downwards from their top; a touch of a few units (rows set 150 apart) is no overlap.
    const double tol = 8;
    const bool x = a.left() < b.left() + b.width() - tol && b.left() < a.left() + a.width() - tol;
    const bool y = a.top() - a.height() < b.top() - tol && b.top() - b.height() < a.top() - tol;
    return x && y;
}

bool Inside(const QRectF& box, double left, double top, double right, double bottom) {
    const double tol = 8;
    return box.left() >= left - tol && box.left() + box.width() <= right + tol && box.top() <= top + tol &&
           box.top() - box.height() >= bottom - tol;
}

std::string Describe(const TextBox& t) {
    return "\"" + t.text + "\" at (" + std::to_string(static_cast<int>(t.box.left())) + ", " +
           std::to_string(static_cast<int>(t.box.top())) + ") w " +
           std::to_string(static_cast<int>(t.box.width()));
}

}  // namespace

TEST(PageTextLayout, NoTextOverTextNoTextOffThePage) {
    std::vector<std::string> samples;
    for (const auto& e : std::filesystem::directory_iterator(std::string(FIELDLINK_TEST_DATA) + "/samples"))
        if (e.path().extension() == ".qtr") samples.push_back(e.path().filename().string());
    std::sort(samples.begin(), samples.end());
    ASSERT_GE(samples.size(), 18u);
    int failures = 0;
    for (const std::string& name : samples)
        for (const Variant& v : kVariants)
            for (int orientation : {1, 0})
                for (QSize size : {QSize(1600, 1200), QSize(1920, 1080)}) {
                    CMyQuarnDoc d;
                    ASSERT_TRUE(d.Load(test::SamplePath(name)).ok());
                    v.apply(d);
                    d.m_nOrientation = orientation;
                    d.UpdatePageSize();
                    std::vector<TextBox> boxes;
                    RenderOptions o;
                    o.textBoxes = &boxes;
                    QImage img(size, QImage::Format_RGB32);
                    QPainter p(&img);
                    const PageLayout L = RenderPage(p, QRectF(0, 0, size.width(), size.height()), d, o);
                    p.end();
                    const std::string where =
                        name + " / " + v.name + " / " + (orientation ? "landscape " : "portrait ") +
                        std::to_string(size.width()) + "x" + std::to_string(size.height());
                    // The band above the page is paper-only (print header, file path).
                    std::vector<const TextBox*> page;
                    for (const TextBox& t : boxes)
                        if (t.box.top() <= 700 && !t.text.empty()) page.push_back(&t);
                    for (const TextBox* t : page) {
                        const bool onPage = Inside(t->box, -400, 700, L.Fw - 400, 700 - L.Fh);
                        const QRectF& a = t->within;
                        const bool inArea = a.isEmpty() || Inside(t->box, a.left(), a.top(),
                                                                  a.left() + a.width(), a.top() - a.height());
                        if ((!onPage || !inArea) && ++failures <= 40)
                            ADD_FAILURE() << where << ": " << Describe(*t)
                                          << (onPage ? " leaves its panel" : " leaves the page");
                    }
                    // The left margin's texts (ticks, captions, badges) end before the graph's frame.
                    for (const TextBox* t : page)
                        if (t->box.left() < -20 && t->box.left() + t->box.width() > 8 && t->box.top() < 0 &&
                            ++failures <= 40)
                            ADD_FAILURE() << where << ": " << Describe(*t) << " runs into the graph";
                    for (size_t i = 0; i < page.size(); ++i)
                        for (size_t j = i + 1; j < page.size(); ++j)
                            if (Overlap(page[i]->box, page[j]->box) && ++failures <= 40)
                                ADD_FAILURE() << where << ": " << Describe(*page[i]) << " overlaps "
                                              << Describe(*page[j]);
                }
    EXPECT_EQ(failures, 0);
}
