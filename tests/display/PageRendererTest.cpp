// Pixels where the page puts things: grid lines, the trace colour at its level, badges, panels, comment.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <set>

#include "CMyQuarnDoc.h"
#include "PageCanvas.h"
#include "PageRenderer.h"
#include "PanelText.h"
#include "TestUtil.h"
#include "Units.h"

using namespace fl;

namespace {

struct Rendered {
    QImage image;
    PageLayout layout;
    double scale;
    QPoint At(double x, double y) const {
        return QPoint(static_cast<int>((x + 400) * scale), static_cast<int>((700 - y) * scale));
    }
    QColor Pixel(double x, double y) const { return image.pixelColor(At(x, y)); }
};

Rendered Render(const CMyQuarnDoc& d, int w = 1660, int h = 1360, const RenderOptions& o = {}) {
    Rendered r;
    r.image = QImage(w, h, QImage::Format_RGB32);
    r.image.fill(Qt::white);
    QPainter p(&r.image);
    r.layout = RenderPage(p, QRectF(0, 0, w, h), d, o);
    p.end();
    r.scale = std::min(static_cast<double>(w) / r.layout.Fw, static_cast<double>(h) / r.layout.Fh);
    return r;
}

bool Near(const QColor& a, const QColor& b, int tol = 40) {
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
           std::abs(a.blue() - b.blue()) <= tol;
}

CMyQuarnDoc Sample(const std::string& name) {
    CMyQuarnDoc d;
    EXPECT_TRUE(d.Load(test::SamplePath(name)).ok());
    return d;
}

}  // namespace

TEST(PageRenderer, FontFamilyResolves) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    QFontInfo info(f);
    EXPECT_FALSE(info.family().isEmpty());
    EXPECT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts: text would not render";
}

TEST(PageRenderer, GridFrameAndTraceColour) {
    for (bool portrait : {false, true}) {
        CMyQuarnDoc d = Sample("CABLE_LOSS.qtr");
        d.m_nOrientation = portrait ? 0 : 1;
        Rendered r = Render(d);
        const int W = r.layout.W, H = r.layout.H;
        // A horizontal grid line, probed away from the trace and the vertical lines.
        const int gy = H * 3 / 8;
        bool gridFound = false;
        for (int dy = -6; dy <= 6 && !gridFound; ++dy)
            gridFound = Near(r.Pixel(W * 0.15, gy + dy), QColor(192, 192, 192), 60);
        EXPECT_TRUE(gridFound) << "portrait " << portrait;
        // The frame is black on the left edge.
        EXPECT_TRUE(Near(r.Pixel(0, H / 2), Qt::black, 60)) << portrait;
        // Trace A's colour where column 250's level maps.
        const double level = d.m_arrTraceA[2 * 250 + 1];
        const double y = LevelToY(d, H, level, true);
        bool traceFound = false;
        for (int dy = -40; dy <= 40 && !traceFound; dy += 4)
            traceFound = Near(r.Pixel(std::trunc(251.0 * W / 501), y + dy), PageColor::kTraceA, 50);
        EXPECT_TRUE(traceFound) << portrait;
    }
}

TEST(PageRenderer, BadgesAndLegend) {
    CMyQuarnDoc d = Sample("DTF_DB.qtr");
    Rendered r = Render(d);
    const int H = r.layout.H;
    // The sample is calibrated ("SENSe:DTF:CALibration CALibrated", enabled): the green "Calib'd" badge.
    EXPECT_TRUE(Near(r.Pixel(-380, H * 0.785), PageColor::kGreen));
    CMyQuarnDoc uncal = d;
    uncal.m_strDtfCal = "NO";
    const Rendered u = Render(uncal);
    EXPECT_TRUE(Near(u.Pixel(-380, u.layout.H * 0.785), PageColor::kRed));  // "Calibrate"
    // A normalised transmission trace ("SENSe:TRACe:MATH:A NORMalized") shows "Normal.'d" in light grey.
    const Rendered n = Render(Sample("TRANS_NORM.qtr"));
    EXPECT_TRUE(Near(n.Pixel(-30, n.layout.H * 0.64), PageColor::kLight, 10));
    // Trace mode badges black and blue.
    EXPECT_TRUE(Near(r.Pixel(-30, H * 0.885), Qt::black));
    // Trace B is hidden here: nothing of it is drawn, its badge neither; shown, it has one.
    EXPECT_FALSE(Near(r.Pixel(-30, H * 0.935), PageColor::kBadgeB));
    CMyQuarnDoc withB = Sample("SPEC_TRACEB.qtr");
    withB.m_bShowTraceB = 1;
    const Rendered b = Render(withB);
    EXPECT_TRUE(Near(b.Pixel(-30, b.layout.H * 0.935), PageColor::kBadgeB));
    // Trace A's legend box in its colour; trace B (OFF, hidden) has none.
    EXPECT_TRUE(Near(r.Pixel(4380, 460), PageColor::kTraceA));
    EXPECT_TRUE(Near(r.Pixel(4380, 210), Qt::white));
    // The front trace's red dot.
    EXPECT_TRUE(Near(r.Pixel(3635, 550), PageColor::kRed));
}

TEST(PageRenderer, PanelColumnAndComment) {
    CMyQuarnDoc d = Sample("SPECTRUM.qtr");
    // No column at all: no marker table, no panel.
    d.m_bShowMarkersA = d.m_bShowMarkersB = d.m_bShowTracePanel = d.m_bShowInstrumentPanel = 0;
    d.m_bShowLevelPanel = d.m_bShowStatusPanel = d.m_bShowEdevPanel = d.m_bShowGpsPanel = 0;
    Rendered plain = Render(d);
    d.m_bShowLevelPanel = d.m_bShowStatusPanel = 1;
    d.m_strComment = "after repair";
    Rendered r = Render(d);
    const int W = r.layout.W, H = r.layout.H;
    EXPECT_LT(W, plain.layout.W);
    EXPECT_EQ(H, plain.layout.H + 250);
    // The first panel's black heading bar in the column right of the graph.
    EXPECT_TRUE(Near(r.Pixel(W + 50 + 2100, r.layout.panelStartY - 160), Qt::black));
    // Its light body below the heading.
    EXPECT_TRUE(Near(r.Pixel(W + 50 + 2100, r.layout.panelStartY - 250), PageColor::kLight, 10))
        << r.Pixel(W + 50 + 2100, r.layout.panelStartY - 250).name().toStdString();
    // The comment boxes under the graph.
    EXPECT_TRUE(Near(r.Pixel(690, H - 410), PageColor::kLight, 10));
    // Without a comment that spot is inside the graph and nothing light is drawn there.
    EXPECT_FALSE(Near(plain.Pixel(690, plain.layout.H + 250 - 410), PageColor::kLight, 10));
}

TEST(PageRenderer, ValuesOutsideTheGraphClampToItsEdges) {
    CMyQuarnDoc d;
    d.m_dRefLevel = -10;
    d.m_dScaleLog = 10;
    d.RunPostReadSteps();
    const int H = -5000;
    EXPECT_EQ(LevelToY(d, H, 50.0, true), 0.0);
    EXPECT_EQ(LevelToY(d, H, -150.0, true), H);
    EXPECT_DOUBLE_EQ(LevelToY(d, H, -50.0, true), H / 2.0);
    EXPECT_LT(LevelToY(d, H, -150.0, false), H);
}

TEST(PageRenderer, EveryModeRendersInBothOrientations) {
    for (const char* name :
         {"SPECTRUM.qtr", "SPEC_TRACEB.qtr", "CPOWER.qtr", "ACPR.qtr", "OBW.qtr", "DTF_MRHO.qtr",
          "RFL_VSWR.qtr", "RFL_POWER.qtr", "TRANS_NORM.qtr", "EMF.qtr", "ZERO_SPAN.qtr", "SPEC_MV75.qtm"}) {
        CMyQuarnDoc d = Sample(name);
        d.m_bShowLevelPanel = d.m_bShowStatusPanel = d.m_bShowTracePanel = d.m_bShowInstrumentPanel =
            d.m_bShowEdevPanel = d.m_bShowGpsPanel = d.m_bShowTraceB = d.m_bShowMarkersB = 1;
        for (int o : {0, 1}) {
            d.m_nOrientation = o;
            Rendered r = Render(d, 900, 700);
            EXPECT_LT(r.layout.H, 0) << name;
            EXPECT_GT(r.layout.W, 0) << name;
        }
    }
}

TEST(PageRenderer, MarkerSymbolsStandAtTheirColumns) {
    struct Case {
        const char* sample;
        int selected;
    };
    const QColor kOther(123, 2, 4), kSelected(0, 161, 88);
    for (auto [sample, selected] :
         {Case{"SPECTRUM.qtr", 0}, Case{"SPECTRUM.qtr", 1}, Case{"DTF_DB.qtr", 0}}) {
        CMyQuarnDoc d = Sample(sample);
        const bool dtf = d.m_strMode == "DTF";
        RenderOptions o;
        o.markers.selected[0] = selected;
        const Rendered r = Render(d, 1660, 1360, o);
        const int W = r.layout.W, H = r.layout.H;
        int checked = 0;
        for (int n = 1; n <= 10; ++n) {
            if (d.m_arrUserStateA[n] != 1) continue;
            const double pos = MarkerPosition(d, 'A', n);
            const double x = std::trunc((MarkerColumn(d, pos) + 1) * W / 501);
            const double y = LevelToY(d, H, MarkerLevel(d, 'A', pos), true);
            const QColor want = n == selected ? kSelected : kOther;
            // The line through the graph (or, in DTF, the filled triangle above the level).
            const double probeY = dtf ? y + 60 : H * 0.97;
            bool found = false;
            for (int dx = -2; dx <= 2 && !found; ++dx) {
                const QPoint at = r.At(x, probeY) + QPoint(dx, 0);
                found = Near(r.image.pixelColor(at), want, 60);
            }
            EXPECT_TRUE(found) << sample << " marker " << n << " selected " << selected;
            ++checked;
        }
        EXPECT_GT(checked, 0) << sample;
    }
}

TEST(PageRenderer, MarkerLabelsNeverOverlap) {
    // Ten markers on each trace, all with descriptions, the last ones long and at the right edge.
    for (bool portrait : {false, true}) {
        CMyQuarnDoc d = Sample("SPEC_TRACEB.qtr");
        d.m_bShowTraceB = 1;
        d.m_nOrientation = portrait ? 0 : 1;
        d.m_bShowMarkersA = d.m_bShowMarkersB = 1;
        for (char t : {'A', 'B'})
            for (int n = 1; n <= 10; ++n) {
                auto& state = t == 'A' ? d.m_arrUserStateA : d.m_arrUserStateB;
                auto& text = t == 'A' ? d.m_arrMarkerTextA : d.m_arrMarkerTextB;
                auto& flag = t == 'A' ? d.m_arrMarkerFlagA : d.m_arrMarkerFlagB;
                state[n] = NORMal;
                PlaceMarker(d, t, n, n == 10 ? 500 : 45 * n + (t == 'B' ? 20 : 0));
                text[n] = std::string("Label ") + t + std::to_string(n) +
                          (n >= 9 ? " feeder joint behind the second antenna mast" : "");
                flag[n] = 1;
            }
        d.UpdatePageSize();
        std::vector<TextBox> boxes;
        RenderOptions o;
        o.textBoxes = &boxes;
        MarkerPlaces places;
        o.places = &places;
        const Rendered r = Render(d, portrait ? 1000 : 1660, portrait ? 1300 : 1000, o);
        const std::string name = portrait ? "portrait" : "landscape";
        // FIELDLINK_TEST_SHOTS=folder keeps the pages to look at.
        if (const char* dir = std::getenv("FIELDLINK_TEST_SHOTS"))
            r.image.save(QString::fromStdString(std::string(dir) + "/marker_labels_" + name + ".png"));
        std::vector<QRectF> labels;
        for (char t : {'A', 'B'})
            for (int n = 1; n <= 10; ++n) {
                const MarkerPlace& p = places.trace[TraceIndex(t)][n];
                ASSERT_TRUE(p.placed) << name << " " << t << n;
                ASSERT_FALSE(p.label.isNull()) << name << " " << t << n;
                labels.push_back(p.label.normalized());
            }
        for (size_t i = 0; i < labels.size(); ++i) {
            // Inside the graph: never over a panel, a table or the legend.
            EXPECT_GE(labels[i].left(), 0) << name << " " << i;
            EXPECT_LE(labels[i].right(), r.layout.W + 0.5) << name << " " << i;
            EXPECT_LE(labels[i].bottom(), 0.5) << name << " " << i;
            EXPECT_GE(labels[i].top(), r.layout.H - 0.5) << name << " " << i;
            for (size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(labels[i].intersects(labels[j])) << name << " labels " << i << " and " << j;
        }
        // The label texts stay in their boxes.
        for (const auto& b : boxes)
            if (b.text.rfind("Label ", 0) == 0) {
                // The recorded box spans from its top downwards.
                const QRectF text(b.box.x(), b.box.y() - b.box.height(), b.box.width(), b.box.height());
                bool inside = false;
                for (const auto& l : labels)
                    inside = inside || l.adjusted(-1, -1, 1, 1).contains(text);
                EXPECT_TRUE(inside) << name << " " << b.text;
            }
    }
}

TEST(PageRenderer, MarkerPlacesForHitTests) {
    CMyQuarnDoc d = Sample("SPECTRUM.qtr");
    MarkerPlaces places;
    RenderOptions o;
    o.places = &places;
    const Rendered r = Render(d, 1660, 1360, o);
    const MarkerPlace& m1 = places.trace[0][1];
    ASSERT_TRUE(m1.placed);
    EXPECT_DOUBLE_EQ(m1.x, std::trunc((MarkerPoint(d, 'A', 1) + 1) * r.layout.W / 501.0));
    // The name sits right of the line and below the level; its hit box reaches 40 units out.
    EXPECT_TRUE(m1.name.normalized().contains(QPointF(m1.x + 25 - 30, m1.y + 165 - 50)));
    EXPECT_FALSE(places.trace[0][4].placed);  // marker 4 is off
    EXPECT_FALSE(places.trace[1][1].placed);  // trace B is not drawn
    EXPECT_FALSE(places.table[0].isEmpty());
    EXPECT_TRUE(places.table[1].isEmpty());
}

TEST(PageRenderer, MarkerAboveTheReferenceStandsOnTheTopEdgeAndAnOffTraceHasNoTable) {
    CMyQuarnDoc d = Sample("SPECTRUM.qtr");  // reference -10 dBm, trace B OFF
    const int p = MarkerPoint(d, 'A', 1);
    d.m_arrTraceA[static_cast<size_t>(2 * p + 1)] = 5.0;
    d.m_arrUserStateB[1] = NORMal;  // a marker on the OFF trace
    MarkerPlaces places;
    RenderOptions o;
    o.places = &places;
    Render(d, 1660, 1360, o);
    ASSERT_TRUE(places.trace[0][1].placed);
    EXPECT_DOUBLE_EQ(places.trace[0][1].y, 0.0);
    EXPECT_FALSE(places.trace[1][1].placed);
    EXPECT_TRUE(places.table[1].isEmpty());
}

// Every level unit, both impedances, both orientations: the five tick values read differently and none is
// blank (a W axis of microwatts is labelled in uW, negative volts keep their sign); simple limits lie at
// their divisions; no verdict the instrument did not report ("NA"); nothing of the hidden trace B.
TEST(PageRenderer, EveryUnitReadsOnTheAxisAndKeepsItsLimits) {
    const struct {
        const char* sample;
        std::vector<const char*> units;
    } groups[] = {
        {"SPECTRUM.qtr", {"DBM", "DBUV", "DBMV", "DBV", "V", "MV", "UV", "W", "MW", "UW"}},
        {"EMF.qtr", {"DBUVm", "DBMVm", "DBVM", "VM", "MVM", "UVM", "WM2", "MWM2", "UWM2"}},
    };
    for (const auto& g : groups)
        for (const char* unit : g.units)
            for (const char* impedance : {"IMP50", "IMP75"})
                for (int orientation : {1, 0})
                    for (double dbm : {-20.0, -70.0}) {
                        const std::string where = std::string(unit) + " " + impedance + " " +
                                                  std::to_string(dbm) +
                                                  (orientation ? " landscape" : " portrait");
                        CMyQuarnDoc d = Sample(g.sample);
                        d.m_nOrientation = orientation;
                        d.UpdatePageSize();
                        d.m_strTraceDataLimit = "NA";
                        d.m_bShowTraceB = 0;
                        d.m_nTraceModeB = MAXHold;
                        d.m_bShowMarkersB = 1;
                        d.m_strImpedance = impedance;
                        (d.m_strMode == "EMF" ? d.m_strEmfRefUnit : d.m_strRefLevelUnit) = unit;
                        d.ReselectDisplay();
                        // A reference of -20 or -70 dBm in the unit, ten divisions of the instrument's linear
                        // default (a tenth of the reference; negative ticks at the bottom) or 10 dB.
                        const bool linear = IsLinearUnit(unit);
                        d.SelectedReference() = LevelFromDbm(dbm, unit, d.ReferenceImpedance());
                        d.SelectedScale() = linear ? d.SelectedReference() / 5 : 10;
                        d.m_strLimitSimple = "ON";
                        d.m_strLimitState = "UPPLow";
                        d.m_dLimitUpper = 6;
                        d.m_dLimitLower = 2;
                        std::vector<TextBox> boxes;
                        RenderOptions o;
                        o.textBoxes = &boxes;
                        const Rendered r = Render(d, 1660, 1360, o);
                        std::vector<std::string> ticks;
                        for (const TextBox& t : boxes) {
                            if (std::abs(t.box.left() + 360) < 1 && t.box.top() <= 700)
                                ticks.push_back(t.text);
                            EXPECT_EQ(t.text.find("PASS"), std::string::npos) << where;
                            EXPECT_EQ(t.text.find("FAIL"), std::string::npos) << where;
                            EXPECT_NE(t.text, "B (MAX)") << where;
                            EXPECT_NE(t.text, "Markers Trace B") << where;
                        }
                        EXPECT_GE(ticks.size(), 4u) << where;
                        for (size_t i = 0; i < ticks.size(); ++i) {
                            EXPECT_FALSE(ticks[i].empty()) << where;
                            for (size_t k = 0; k < i; ++k)
                                EXPECT_NE(ticks[i], ticks[k]) << where;
                        }
                        // The limit lines, red, at 6 and 2 divisions up from the bottom line.
                        const double H = r.layout.H;
                        for (double k : {6.0, 2.0}) {
                            bool red = false;
                            for (int dy = -8; dy <= 8 && !red; dy += 2)
                                red = Near(r.Pixel(r.layout.W * 0.97, H * (8 - k) / 8 + dy),
                                           QColor(255, 0, 0), 60);
                            EXPECT_TRUE(red) << where << " division " << k;
                        }
                    }
}

// A zoomed view labels what it shows: the x texts of its range, the tick values of its levels, and only
// the markers inside it, each at its column's place in the range.
TEST(PageRenderer, ZoomedViewLabelsItsRange) {
    const struct {
        const char* sample;
        ViewZoom zoom;
        std::vector<std::string> texts;
    } cases[] = {
        // 945..950 MHz: a tenth of the width from the middle is 947.5..948 MHz.
        {"SPECTRUM.qtr", {0.5, 0.6, 0, 8}, {"50.000 kHz/Div", "Center: 947.7500 MHz", "Span:  500.000 kHz"}},
        // Divisions 4..6 of -10 dBm at 10 dB/div: -30 dBm at the top, 2.5 dB per division.
        {"SPECTRUM.qtr", {0, 1, 4, 6}, {"-50.0", "-45.0", "-40.0", "-35.0", "-30.0", "Center: 947.5000 MHz"}},
        // 100 m of cable, 20 % to 70 % shown.
        {"DTF_DB.qtr", {0.2, 0.7, 0, 8}, {"5.00 m/div", "Shown: 20.0 - 70.0m"}},
    };
    for (const auto& c : cases) {
        CMyQuarnDoc d = Sample(c.sample);
        d.SelectedReference() = -10;
        d.SelectedScale() = 10;
        d.m_dCableLength = 100;
        d.m_strCableLengthUnit = "METer";
        std::vector<TextBox> boxes;
        MarkerPlaces places;
        RenderOptions o;
        o.textBoxes = &boxes;
        o.places = &places;
        o.zoom = c.zoom;
        const Rendered r = Render(d, 1660, 1360, o);
        if (const char* dir = std::getenv("FIELDLINK_TEST_SHOTS"))
            r.image.save(
                QString::fromStdString(std::string(dir) + "/zoomed_" + std::to_string(&c - cases) + ".png"));
        std::set<std::string> drawn;
        for (const TextBox& t : boxes)
            drawn.insert(t.text);
        for (const std::string& want : c.texts)
            EXPECT_TRUE(drawn.count(want)) << c.sample << ": no \"" << want << "\"";
        if (std::string(c.sample) == "SPECTRUM.qtr" && !c.zoom.XFit()) {
            // Markers 1 (point 180) and 2 (point 260): points 250..299 are shown.
            EXPECT_FALSE(places.trace[0][1].placed);
            ASSERT_TRUE(places.trace[0][2].placed);
            EXPECT_NEAR(places.trace[0][2].x, (261.0 / 501 - 0.5) / 0.1 * places.W, 1e-6);
        }
    }
}
