// Limit lines land where the trace's own levels land, in every unit of every mode.
//
// Expected rows are worked out by hand: with every panel and marker table hidden a landscape page is
// 8300 x 6800 units; drawn into 1245 x 1020 pixels it is not refitted (1245/1020 = 8300/6800), so one unit
// is 0.15 pixels, the graph's top edge (y = 0) is pixel row 700 * 0.15 = 105 and its bottom (H = 900 - 6800
// = -5900) row 6600 * 0.15 = 990. A level v lies (R - v) / (8 S) of the way down from the top, so a simple
// limit at u divisions above the bottom is row 105 + 885 (8 - u) / 8 and a segment at y divisions below the
// reference is row 105 + 885 y / 8. The trace points that should coincide are given in the stored form
// (dBm, or dB for reflection), converted here with the unit table's own formulas.
#include <gtest/gtest.h>

#include <cmath>

#include "CMyQuarnDoc.h"
#include "LevelEdit.h"
#include "PageRenderer.h"
#include "PanelText.h"
#include "Units.h"

using namespace fl;

namespace {

constexpr int kW = 1245, kH = 1020;
constexpr double kTop = 105, kSpan = 885;

// Display value -> stored level, by the unit table (50 ohm).
double ToStored(double v, const std::string& u) {
    if (u == "DBUV" || u == "DBUVm") return v - 106.9897;
    if (u == "VM") return 10 * std::log10(v * v / 50 * 1000);
    if (u == "DBMV") return v - 46.9897;
    if (u == "DBV") return v + 13.0103;
    if (u == "V") return 10 * std::log10(v * v / 50 * 1000);
    if (u == "MV") return 10 * std::log10(v * 1e-3 * v * 1e-3 / 50 * 1000);
    if (u == "UV") return 10 * std::log10(v * 1e-6 * v * 1e-6 / 50 * 1000);
    if (u == "W") return 10 * std::log10(v * 1000);
    if (u == "MW") return 10 * std::log10(v);
    if (u == "UW") return 10 * std::log10(v * 0.001);
    if (u == "MRHO") return 20 * std::log10(v * 0.001);
    if (u == "%") return 20 * std::log10(v * 0.01);
    if (u == "VSWR") return 20 * std::log10((v - 1) / (v + 1));
    return v;  // DBM, DB
}

struct Case {
    const char* mode;
    const char* unit;
    double ref, scale;  // in the display unit
};

// A bare page: no panels, no marker tables; the reference and scale in the fields the mode reads.
CMyQuarnDoc Make(const Case& c) {
    CMyQuarnDoc d;
    d.m_strMode = c.mode;
    const std::string u = c.unit;
    d.m_bShowMarkersA = d.m_bShowMarkersB = 0;
    d.m_bShowLevelPanel = d.m_bShowStatusPanel = d.m_bShowTracePanel = 0;
    d.m_bShowInstrumentPanel = d.m_bShowEdevPanel = d.m_bShowGpsPanel = 0;
    d.m_nOrientation = 1;
    d.m_strImpedance = "IMP50";
    if (std::string(c.mode) == "RFLection") {
        d.m_strRflRefUnit = u;
        if (u == "VSWR")
            d.m_dRflRefVswr = c.ref, d.m_dScaleVswr = c.scale;
        else if (u == "MRHO")
            d.m_dRflRefRfactor = c.ref, d.m_dScaleRfactor = c.scale;
        else if (u == "%")
            d.m_dRflRefRpower = c.ref, d.m_dScaleRpower = c.scale;
        else
            d.m_dTransRef = c.ref, d.m_dScaleLog = c.scale;
    } else if (std::string(c.mode) == "EMF") {
        d.m_strEmfRefUnit = u;
        d.m_dEmfRef = c.ref;
        d.m_dScaleLog = d.m_dScaleVolt = c.scale;
    } else if (std::string(c.mode) == "DTF") {
        d.m_strDtfRefUnit = u;
        if (u == "MRHO")
            d.m_dDtfRefRfactor = c.ref, d.m_dScaleDtfRfactor = c.scale;
        else
            d.m_dDtfRef = c.ref, d.m_dScaleLog = c.scale;
    } else {
        d.m_strRefLevelUnit = u;
        d.m_dRefLevel = c.ref;
        d.m_dScaleLog = d.m_dScaleVolt = d.m_dScaleWatt = c.scale;
    }
    d.m_nTraceModeA = 0;
    d.m_nMinMaxA = 0;  // one value per column: a continuous line
    d.m_bShowTraceA = 1;
    // A flat trace exactly on the centre line (4 divisions down).
    d.m_arrTraceA.assign(1002, ToStored(c.ref - 4 * c.scale, u));
    return d;
}

// The rows of a colour's horizontal band in one pixel column, as the centre of each run.
std::vector<double> Bands(const QImage& img, int x, bool (*match)(QRgb)) {
    std::vector<double> centres;
    int start = -1;
    for (int y = 0; y <= img.height(); ++y) {
        const bool on = y < img.height() && match(img.pixel(x, y));
        if (on && start < 0) start = y;
        if (!on && start >= 0) {
            centres.push_back((start + y - 1) / 2.0);
            start = -1;
        }
    }
    return centres;
}

bool IsRed(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
}
bool IsDark(QRgb p) {
    return qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80;
}

QImage Draw(const CMyQuarnDoc& d) {
    QImage img(kW, kH, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    RenderPage(p, QRectF(0, 0, kW, kH), d);
    return img;
}

bool Contains(const std::vector<double>& rows, double expected) {
    for (double r : rows)
        if (std::abs(r - expected) <= 2.0) return true;
    return false;
}

std::string Rows(const std::vector<double>& rows) {
    std::string s;
    for (double r : rows)
        s += std::to_string(static_cast<int>(r)) + " ";
    return s;
}

const Case kCases[] = {
    {"SANalyzer", "DBM", -10, 10},   {"SANalyzer", "DBUV", 97, 10},
    {"SANalyzer", "DBMV", 37, 10},   {"SANalyzer", "DBV", -23, 10},
    {"SANalyzer", "V", 0.8, 0.1},    {"SANalyzer", "MV", 80, 10},
    {"SANalyzer", "UV", 800, 100},   {"SANalyzer", "W", 0.008, 0.001},
    {"SANalyzer", "MW", 8, 1},       {"SANalyzer", "UW", 800, 100},
    {"RFLection", "DB", 0, 5},       {"RFLection", "VSWR", 3.0, 0.25},
    {"RFLection", "MRHO", 800, 100}, {"RFLection", "%", 80, 10},
    {"DTF", "MRHO", 400, 50},        {"DTF", "DB", 0, 5},
    {"EMF", "DBUVm", 120, 10},       {"EMF", "VM", 0.8, 0.1},
};

}  // namespace

TEST(LimitLines, SimpleLimitsAndTheTraceShareTheLevelScale) {
    for (const Case& c : kCases) {
        CMyQuarnDoc d = Make(c);
        d.m_strLimitSimple = "ON";
        d.m_strLimitState = "UPPLow";
        d.m_dLimitUpper = 6;  // divisions above the bottom
        d.m_dLimitLower = 3;
        d.RunPostReadSteps();
        const QImage img = Draw(d);
        const int x = static_cast<int>((2000 + 400) * 0.15);  // inside the graph, away from the centre line
        const auto red = Bands(img, x, IsRed);
        const std::string what = std::string(c.mode) + " " + c.unit + ": red rows " + Rows(red);
        EXPECT_TRUE(Contains(red, kTop + kSpan * 2 / 8)) << what << " (upper limit)";
        EXPECT_TRUE(Contains(red, kTop + kSpan * 5 / 8)) << what << " (lower limit)";
        EXPECT_EQ(red.size(), 2u) << what;
        const auto dark = Bands(img, x, IsDark);
        EXPECT_TRUE(Contains(dark, kTop + kSpan * 4 / 8))
            << c.mode << " " << c.unit << ": trace rows " << Rows(dark);
    }
}

TEST(LimitLines, SegmentsAndUnitChangesKeepTheirLevel) {
    for (const Case& c : kCases) {
        CMyQuarnDoc d = Make(c);
        d.m_strLimitSimple = "OFF";
        d.m_strLimitState = "UPPLow";
        // Kind, column from, divisions below the reference, column to, divisions.
        d.m_arrLimitLines = {"UPP,0,1,500,1", "LOW,0,7,500,7"};
        d.RunPostReadSteps();
        const QImage img = Draw(d);
        const int x = static_cast<int>((2000 + 400) * 0.15);
        const auto red = Bands(img, x, IsRed);
        const std::string what = std::string(c.mode) + " " + c.unit + ": red rows " + Rows(red);
        EXPECT_TRUE(Contains(red, kTop + kSpan * 1 / 8)) << what << " (upper segment)";
        EXPECT_TRUE(Contains(red, kTop + kSpan * 7 / 8)) << what << " (lower segment)";
    }
    // Showing a dBm trace in dBµV relabels the axis: reference and limits stay where they were.
    CMyQuarnDoc d = Make(kCases[0]);
    d.m_strLimitSimple = "ON";
    d.m_strLimitState = "UPPer";
    d.m_dLimitUpper = 6;
    d.RunPostReadSteps();
    d.m_strRefLevelUnit = "DBUV";
    d.m_dRefLevel = -10 + 106.9897;
    d.RunPostReadSteps();
    const auto red = Bands(Draw(d), static_cast<int>(2400 * 0.15), IsRed);
    EXPECT_TRUE(Contains(red, kTop + kSpan * 2 / 8)) << Rows(red);
}

TEST(LimitLines, TheLevelDialogsUnitChangeMovesNothing) {
    // dBm to dBuV and back in the Level dialog: limit lines, threshold and trace stay on their rows.
    CMyQuarnDoc d = Make(kCases[0]);
    d.m_strLimitSimple = "ON";
    d.m_strLimitState = "UPPLow";
    d.m_dLimitUpper = 6;
    d.m_dLimitLower = 3;
    d.RunPostReadSteps();
    const int x = static_cast<int>(2400 * 0.15);
    const auto before = Bands(Draw(d), x, IsRed);
    LevelEdit e(d, ModeDisplayName(d.m_strMode));
    auto index = [&](const char* unit) {
        for (int i = 0; i < static_cast<int>(e.Units().size()); ++i)
            if (e.Units()[static_cast<size_t>(i)].keyword == unit) return i;
        return -1;
    };
    ASSERT_TRUE(e.SelectUnit(index("DBUV")));
    const auto inDbuv = Bands(Draw(d), x, IsRed);
    ASSERT_TRUE(e.SelectUnit(index("DBM")));
    const auto back = Bands(Draw(d), x, IsRed);
    ASSERT_EQ(before.size(), 2u);
    ASSERT_EQ(inDbuv.size(), 2u) << Rows(inDbuv);
    ASSERT_EQ(back.size(), 2u) << Rows(back);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(inDbuv[i], before[i], 1.0);
        EXPECT_NEAR(back[i], before[i], 1.0);
    }
    EXPECT_TRUE(Contains(Bands(Draw(d), x, IsDark), kTop + kSpan * 4 / 8));
}
