#include "PageRenderer.h"

#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

#include "CMyQuarnDoc.h"
#include "PageCanvas.h"
#include "PanelText.h"
#include "Text.h"
#include "Units.h"

namespace fl {

namespace {

using namespace PageColor;

bool HasData(const std::vector<double>& t) {
    for (double p : t)
        if (p != kNoPoint) return true;
    return false;
}

class Painter {
  public:
    Painter(PageCanvas& canvas, const CMyQuarnDoc& doc, const PageLayout& layout,
            const RenderOptions& options)
        : m_canvas(canvas),
          m_doc(doc),
          m_layout(layout),
          m_options(options),
          m_mode(ModeDisplayName(doc.m_strMode)),
          W(layout.W),
          H(layout.H),
          m_toUnit(LevelFromDbmFor(doc.DisplayUnit(), doc.ReferenceImpedance())),
          m_zoom(options.zoom),
          m_reference(doc.SelectedReference() - (8 - m_zoom.top) * doc.SelectedScale()),
          m_scale(doc.SelectedScale() * m_zoom.Height() / 8) {}

    void Draw();

  private:
    void ResultsHeader();
    void Legend();
    void CommentBox();
    void Panels();
    int DrawPanel(const Panel& p, int x, int y, int w, bool portrait, int forcedBottom = 0);
    void Grid();
    void Trace(char which);
    void MarkerSymbols(char which);
    void MarkerLabels();
    void Overlays();
    void OverlayLegend();
    MarkerPlace* Place(char which, int n) {
        return m_options.places
                   ? &m_options.places->trace[static_cast<size_t>(TraceIndex(which))][static_cast<size_t>(n)]
                   : nullptr;
    }
    void LimitLines();
    void Threshold();
    void Frame();
    void XLabels();
    void YAxis();
    void Badges();
    void TriggerLine();
    void Header();
    // The x of trace column k (1..501), and of fraction u of the whole graph width, in the shown range.
    double ColumnX(double k) const {
        return m_zoom.XFit() ? std::trunc(k * W / 501) : (k / 501 - m_zoom.left) / m_zoom.Width() * W;
    }
    double FractionX(double u) const {
        return m_zoom.XFit() ? u * W : (u - m_zoom.left) / m_zoom.Width() * W;
    }
    bool OnGraphX(double x) const { return x >= -0.5 && x <= W + 0.5; }
    // A level line lies in the shown y range (always so on the whole page, where it is clamped).
    bool ShownLevel(double v) const {
        if (m_zoom.Fit()) return true;
        const double y = Y(v, false);
        return y <= 0.5 && y >= H - 0.5;
    }
    // Draws clipped to the graph while zoomed (the whole page draws exactly as ever).
    void ClipToGraph() {
        m_canvas.Painter().save();
        if (!m_zoom.Fit())
            m_canvas.Painter().setClipRect(QRectF(m_canvas.Map(0, 0), m_canvas.Map(W, H)).normalized(),
                                           Qt::IntersectClip);
    }
    void EndClip() { m_canvas.Painter().restore(); }
    // LevelToY with the unit, reference and scale resolved once per page (the shown range's).
    double Y(double v, bool clamp = true) const {
        const double cval = m_toUnit(v);
        double y = m_scale != 0 ? -H * (cval - m_reference) / (8 * m_scale) : 0.0;
        if (!std::isfinite(y)) y = cval > m_reference ? 0.0 : H;
        if (clamp) y = std::clamp(y, static_cast<double>(std::min(H, 0)), 0.0);
        return y;
    }

    PageCanvas& m_canvas;
    const CMyQuarnDoc& m_doc;
    const PageLayout& m_layout;
    const RenderOptions& m_options;
    const std::string m_mode;
    const int W, H;
    const std::function<double(double)> m_toUnit;
    const ViewZoom m_zoom;
    const double m_reference, m_scale;  // the top line's level and the level per division of the shown range
};

void Painter::Draw() {
    if (m_options.places) {
        *m_options.places = MarkerPlaces{};
        m_options.places->W = W;
        m_options.places->H = H;
        m_options.places->pageToDevice = m_canvas.PageToDevice();
    }
    ResultsHeader();
    Legend();
    CommentBox();
    Panels();
    if (m_doc.m_bShowGrid) Grid();
    MarkerLabels();
    const char front = m_doc.m_nFrontTrace == 1 ? 'B' : 'A';
    Overlays();                       // under the page's own traces, which are the reference
    Trace(front == 'A' ? 'B' : 'A');  // the back trace first
    Trace(front);
    LimitLines();
    Threshold();
    Frame();
    XLabels();
    YAxis();
    Badges();
    if (m_doc.m_strTrigger == "VIDeo") TriggerLine();
    Header();
    OverlayLegend();
}

void Painter::ResultsHeader() {
    m_canvas.SetPen(kLight, 3);
    m_canvas.SetBrush(kLight);
    m_canvas.Rect(-550, 670, 3500, 470);
    m_canvas.FitText(0, 650, "Spectrum Analyzer " + m_doc.m_strModel, 170, false, Qt::black, 1950);
    m_canvas.FitText(2000, 620, "Device Name: " + m_doc.m_strDeviceName, 120, false, Qt::black, 3480);
    // The settings column at x = 2000; what stands right of it starts after its longest text.
    std::vector<std::string> settings;
    if (m_mode == "Distance to Fault" || m_mode == "Reflection" || m_mode == "Cable Loss") {
        const Scaled f = ScaleFrequency(m_doc.m_dRflFilter);
        const Scaled t = ScaleTime(m_doc.m_dSweepTime);
        settings = {Format("%s %.0f %s", "Filter: ", f.value, f.unit.c_str()),
                    Format("%s %s %s", "SWT: ", Format("%.1f", t.value).c_str(), t.unit.c_str())};
    } else {
        const Scaled rbw = ScaleFrequency(m_doc.m_dRbw), vbw = ScaleFrequency(m_doc.m_dVbw);
        const Scaled t = ScaleTime(m_doc.m_dSweepTime);
        settings = {Format("%s %.0f %s", "RBW: ", rbw.value, rbw.unit.c_str()),
                    Format("%s %.0f %s", "VBW: ", vbw.value, vbw.unit.c_str()),
                    Format("%s %s %s", "SWT: ", Format("%.1f", t.value).c_str(), t.unit.c_str())};
    }
    double settingsEnd = 2000;
    for (size_t i = 0; i < settings.size(); ++i) {
        m_canvas.FitText(2000, 450 - 150 * static_cast<double>(i), settings[i], 150, false, Qt::black, 3450);
        settingsEnd = std::max(settingsEnd, 2000 + m_canvas.TextWidth(settings[i], 150, false));
    }

    // The left block: three rows below the box, filled from the top. A result takes a row of its own,
    // its value after the caption; the status line and the pass/fail mark take the next free row, or
    // share the last used one when none is left. Nothing runs past x = 1900, where the settings begin.
    constexpr double kRight = 1900;
    const double rowY[3] = {450, 300, 150};
    double rowEnd[3] = {-1, -1, -1};
    int used = 0;
    auto text = [&](int row, double x, const std::string& t, int font = 150, bool bold = false,
                    const QColor& ink = Qt::black) {
        m_canvas.FitText(x, rowY[row], t, font, bold, ink, kRight);
        rowEnd[row] = std::max(rowEnd[row], std::min(kRight, x + m_canvas.TextWidth(t, font, bold)));
    };
    // A caption with its value: the value at x = 800 or after the caption, on the next row when the
    // caption leaves it no room.
    auto result = [&](const std::string& caption, const std::string& value) {
        if (used >= 3) return;
        const int row = used++;
        text(row, 0, caption);
        if (value.empty()) return;
        const double x = std::max(800.0, rowEnd[row] + 100);
        if (x + m_canvas.TextWidth(value, 150, false) <= kRight || used >= 3)
            text(row, x, value);
        else
            text(used++, 800, value);
    };
    // A free row, or the last used one after its content.
    auto place = [&](double width, double& x) -> int {
        if (used < 3) {
            x = 0;
            return used++;
        }
        x = rowEnd[2] + 150;
        return x + std::min(width, 400.0) <= kRight ? 2 : -1;
    };
    const std::string unit = UnitText(m_doc.DisplayUnit());
    auto orNa = [](double v, const std::string& t, const char* na) {
        return v != kNoResult ? t : std::string(na);
    };
    const Scaled obw = ScaleFrequency(m_doc.m_dResultObw);
    const std::string obwValue =
        orNa(m_doc.m_dResultObw, Format("%.3f %s", obw.value, obw.unit.c_str()), "   N / A");
    if (m_mode == "Channel Power") {
        const std::string& m = m_doc.m_strCpowerMeasure;
        const std::string channel = Format("Channel: # %d", m_doc.m_nCpowerChannel);
        if (m == "ACPR") {
            const bool have = m_doc.m_dResultAcprMain != kNoResult;
            result("ACPR main:", have ? Format("%.1f %s", m_doc.m_dResultAcprMain, unit.c_str()) : "N/A");
            result("ACPR left:", have ? Format("%.1f dB", m_doc.m_dResultAcprLower) : "N/A");
            result("ACPR right:", have ? Format("%.1f dB", m_doc.m_dResultAcprUpper) : "N/A");
            // The three results fill the left rows; the channel goes after the settings.
            m_canvas.FitText(std::max(2900.0, settingsEnd + 100), 150, channel, 150, false, Qt::black,
                             W - 1120);
        } else if (m == "OBW") {
            result(channel, "");
            result(Format("OBW  %d %c", m_doc.m_nCpowerObw, '%'), obwValue);
        } else {
            result(channel, "");
            result("Channel Power", orNa(m_doc.m_dResultCpower,
                                         Format("%.1f %s", m_doc.m_dResultCpower, unit.c_str()), "   N / A"));
        }
    } else if (m_mode == "Cable Loss") {
        result("Average Cable Loss", Format("%.1f %s", m_doc.m_dResultCableLoss, "dB"));
    } else if (m_mode == "EMF (EMI)") {
        result(m_doc.m_strEmfMeasure == "PDENsity" ? "Power density" : " Electrical field strength", "");
        result(FormatEmf(m_doc.m_dResultEmf, m_doc.m_strEmfMeasure), "");
    } else if (m_mode == "Spectrum Analysis" && m_doc.m_strMeasure == "OBW") {
        result(Format("OBW  %d %c", m_doc.m_nObwPercent, '%'), obwValue);
    }

    // One status line, and the pass/fail mark with the fail count when there is a limit result.
    // Simple limits draw only in an upper or lower state: with the state OFF there are none to judge by.
    const bool limits = m_doc.m_strLimitState != "OFF";
    // When the left rows are full, the rows right of the settings take what is left: clear of the
    // legend boxes (x 3750 on, y 650 to 200) and of the logo.
    const double overflowX = std::max(2900.0, settingsEnd + 100);
    bool overflowUsed =
        m_mode == "Channel Power" && m_doc.m_strCpowerMeasure == "ACPR";  // the channel is there
    const bool pass = m_doc.m_strTraceDataLimit == "PASS";
    const bool limitResult = m_doc.m_strTraceDataLimit == "PASS" || m_doc.m_strTraceDataLimit == "FAIL";
    std::string failCount;
    if (m_doc.m_nLimitFailCount >= 1) failCount = Format("Fail Count:  %d", m_doc.m_nLimitFailCount);
    // PASS or FAIL only as the instrument reported it; "NA" or nothing gives no verdict.
    const std::string verdict = limitResult ? (pass ? "PASS" : "FAIL") : "";
    if (m_doc.m_strLimitSimple == "ON" && limits) {
        double x;
        const std::string status = verdict.empty() ? "Simple Limits" : "Simple Limits " + verdict;
        if (int row = place(m_canvas.TextWidth(status, 150, false), x); row >= 0)
            text(row, x, status);
        else if (!overflowUsed) {
            m_canvas.FitText(overflowX, 150, status, 150, false, Qt::black, W - 1120);
            overflowUsed = true;
        }
    } else if (m_doc.m_strLimitSimple != "ON" && limits) {
        double x;
        const std::string status = m_doc.m_strLimitFile.empty() ? "Limits:  not loaded"
                                                                : "Limits:  " + m_doc.m_strLimitFile +
                                                                      (verdict.empty() ? "" : "  " + verdict);
        if (m_doc.m_strLimitFile.empty()) failCount.clear();
        if (int row = place(m_canvas.TextWidth(status, 150, false), x); row >= 0)
            text(row, x, status);
        else if (!overflowUsed) {
            m_canvas.FitText(overflowX, 150, status, 150, false, Qt::black, W - 1120);
            overflowUsed = true;
        }
    } else if (m_doc.m_arrUserStateA.size() > 1 && m_doc.m_arrUserStateA[1] == COUNter) {
        std::string hz = m_doc.m_dCounterFreq > 0 ? Format("%.0f", m_doc.m_dCounterFreq) : "";
        for (int i = static_cast<int>(hz.size()) - 3; i > 0; i -= 3)
            hz.insert(static_cast<size_t>(i), ".");
        result("Frequency Counter ", hz.empty() ? std::string("N/A") : Format("%s %s", hz.c_str(), "Hz"));
    }
    if (limits && (limitResult || !failCount.empty())) {
        double x;
        const int row = place(700, x);
        if (row < 0 && !overflowUsed) {
            // The mark beside the settings' middle row, the fail count below it.
            const double w = std::min(700.0, 3700 - overflowX);
            if (limitResult && w > 300) {
                m_canvas.SetPen(pass ? kGreen : kRed, 3);
                m_canvas.SetBrush(pass ? kGreen : kRed);
                m_canvas.Rect(overflowX, 310, overflowX + w, 155);
                m_canvas.FitText(
                    overflowX + w / 2 - m_canvas.TextWidth(pass ? "Pass" : "Fail", 140, true) / 2, 295,
                    pass ? "Pass" : "Fail", 140, true, Qt::white, overflowX + w);
            }
            if (!failCount.empty())
                m_canvas.FitText(overflowX, 150, failCount, 150, false, Qt::black, W - 1120);
        }
        if (row >= 0) {
            if (limitResult) {
                // The mark fills the row's height beside the texts.
                m_canvas.SetPen(pass ? kGreen : kRed, 3);
                m_canvas.SetBrush(pass ? kGreen : kRed);
                const double w = std::min(700.0, kRight - x);
                m_canvas.Rect(x, rowY[row] + 10, x + w, rowY[row] - 145);
                m_canvas.FitText(x + w / 2 - m_canvas.TextWidth(pass ? "Pass" : "Fail", 140, true) / 2,
                                 rowY[row] - 5, pass ? "Pass" : "Fail", 140, true, Qt::white, x + w);
                rowEnd[row] = x + w;
                x += w + 100;
            }
            if (!failCount.empty() && x < kRight) text(row, x, failCount);
        }
    }
    // Beside the date, clear of the legend.
    if (m_doc.m_strExtRefFreq == "ON")
        m_canvas.FitText(W - 1180, 480, "Ext. Ref. in (10 MHz)", 120, false, Qt::black, m_layout.Fw - 420);
}

void Painter::Legend() {
    struct Box {
        char t;
        int top, bottom, textY, dotTop, dotBottom;
        const QColor& colour;
    };
    const Box boxes[] = {{'A', 650, 450, 630, 610, 490, kTraceA}, {'B', 400, 200, 380, 360, 240, kTraceB}};
    for (const Box& b : boxes) {
        const bool visible = b.t == 'A' ? m_doc.m_bShowTraceA : m_doc.m_bShowTraceB;
        const int modeOf = b.t == 'A' ? m_doc.m_nTraceModeA : m_doc.m_nTraceModeB;
        if (!visible && modeOf == TRACE_OFF) continue;
        m_canvas.SetPen(visible ? b.colour : kGrey, 3);
        m_canvas.SetBrush(visible ? b.colour : kGrey);
        m_canvas.Rect(3750, b.top, 4400, b.bottom);
        m_canvas.Text(3800, b.textY, std::string("Trace ") + b.t, 170, true,
                      visible ? QColor(Qt::white) : kGrid);
        const bool front = (m_doc.m_nFrontTrace == 1) == (b.t == 'B');
        if (front && visible) {
            m_canvas.SetPen(kRed, 3);
            m_canvas.SetBrush(kRed);
            m_canvas.Ellipse(3570, b.dotTop, 3700, b.dotBottom);
        }
    }
}

void Painter::CommentBox() {
    if (m_doc.m_strComment.empty()) return;
    m_canvas.SetPen(kLight, 3);
    m_canvas.SetBrush(kLight);
    m_canvas.Rect(0, H - 220, 700, H - 420);
    m_canvas.Rect(710, H - 220, W, H - 420);
    m_canvas.Text(30, H - 250, "Comments:", 150, false, Qt::black);
    m_canvas.FitText(730, H - 250, m_doc.m_strComment, 150, false, Qt::black, W - 20);
}

// Draws one panel at (x, y); returns the cursor below it.
int Painter::DrawPanel(const Panel& p, int x, int y, int w, bool portrait, int forcedBottom) {
    const int n = static_cast<int>(p.rows.size());
    m_canvas.SetPen(Qt::black, 3);
    m_canvas.SetBrush(Qt::black);
    m_canvas.Rect(x, y, x + w, y - 170);
    const int bottom = forcedBottom ? y - forcedBottom : y - 200 - 150 * n;
    m_canvas.SetTextArea(QRectF(x, y, w, y - bottom));
    m_canvas.FitText(x + 20, y - 20, p.heading, 130, true, Qt::white, x + w - 20);
    m_canvas.SetPen(kLight, 3);
    m_canvas.SetBrush(kLight);
    m_canvas.Rect(x, y - 170, x + w, bottom);
    const int colon = portrait ? 1100 : 900;
    const int value = portrait ? 1300 : 1100;
    for (int i = 0; i < n; ++i) {
        const int ry = y - 190 - 150 * i;
        // A caption ends before the colon, a value before the panel's edge.
        m_canvas.FitText(x + 20, ry, p.rows[static_cast<size_t>(i)].caption, 150, false, Qt::black,
                         x + colon - 20);
        m_canvas.Text(x + colon, ry, ":", 150, false, Qt::black);
        m_canvas.FitText(x + value, ry, p.rows[static_cast<size_t>(i)].value, 150, false, Qt::black,
                         x + w - 20);
    }
    m_canvas.SetTextArea({});
    return bottom - 20;
}

void Painter::Panels() {
    int cursor[2] = {m_layout.panelStartY, m_layout.panelStartY};
    for (const PanelPlace& place : m_layout.panels) {
        int& y = cursor[place.column];
        switch (place.kind) {
            case PanelPlace::Level:
                y = DrawPanel(LevelPanel(m_doc, m_layout.portrait), place.x, y, place.width,
                              m_layout.portrait);
                break;
            case PanelPlace::Status:
                y = DrawPanel(StatusPanel(m_doc, m_layout.portrait), place.x, y, place.width,
                              m_layout.portrait);
                break;
            case PanelPlace::TraceDetector:
                y = DrawPanel(TraceDetectorPanel(m_doc), place.x, y, place.width, m_layout.portrait, 800);
                break;
            case PanelPlace::ExternalDevice:
                y = DrawPanel(ExternalDevicePanel(m_doc), place.x, y, place.width, m_layout.portrait);
                break;
            case PanelPlace::Instrument:
                y = DrawPanel(InstrumentPanel(m_doc), place.x, y, place.width, m_layout.portrait);
                break;
            case PanelPlace::Gps:
                y = DrawPanel(GpsPanel(m_doc), place.x, y, place.width, m_layout.portrait);
                break;
        }
    }
    // The marker tables continue the column (landscape) or span the graph width below it (portrait).
    int ty = m_layout.portrait ? m_layout.markerTableY : cursor[0];
    for (char t : {'A', 'B'}) {
        const int n = t == 'A' ? m_layout.markersA : m_layout.markersB;
        if (n == 0) continue;
        const std::vector<std::string> lines = MarkerLines(m_doc, t);
        const int x = m_layout.markerTableX;
        m_canvas.SetPen(Qt::black, 3);
        m_canvas.SetBrush(Qt::black);
        m_canvas.Rect(x, ty, x + m_layout.markerTableWidth, ty - 170);
        m_canvas.Text(x + 20, ty - 20, std::string("Markers Trace ") + t, 130, true, Qt::white);
        const int bottom = ty - 200 - 150 * static_cast<int>(lines.size());
        if (m_options.places)
            m_options.places->table[static_cast<size_t>(TraceIndex(t))] =
                QRectF(x, bottom, m_layout.markerTableWidth, ty - bottom);
        m_canvas.SetPen(kLight, 3);
        m_canvas.SetBrush(kLight);
        m_canvas.Rect(x, ty - 170, x + m_layout.markerTableWidth, bottom);
        m_canvas.SetTextArea(QRectF(x, ty, m_layout.markerTableWidth, ty - bottom));
        // Name, level, level unit, x value, x unit in columns that fit the longest entry of each: the
        // numbers right-aligned, so the rows line up, and no column starting inside the one before.
        static const int kColumns[] = {20, 290, 420, 1190, 1290};
        std::vector<std::array<std::string, 5>> rows;
        std::array<double, 5> widest{};
        for (const std::string& line : lines) {
            std::array<std::string, 5> f;
            std::string_view rest = line;
            for (int col = 0; col < 5 && !rest.empty(); ++col) {
                const size_t b = col == 4 ? std::string_view::npos : rest.find(' ');
                f[static_cast<size_t>(col)] = std::string(rest.substr(0, b));
                rest = b == std::string_view::npos ? std::string_view() : rest.substr(b + 1);
            }
            for (size_t col = 0; col < 5; ++col)
                widest[col] = std::max(widest[col], m_canvas.TextWidth(f[col], 150, false));
            rows.push_back(std::move(f));
        }
        const double nameLeft = x + kColumns[0];
        const double levelRight = std::max<double>(x + kColumns[1], nameLeft + widest[0] + 40) + widest[1];
        const double unitLeft = std::max<double>(x + kColumns[2], levelRight + 40);
        const double valueRight =
            std::max<double>(x + kColumns[4] - 30, unitLeft + widest[2] + 40 + widest[3]);
        const double xUnitLeft = valueRight + 30;
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto& f = rows[i];
            const int y = ty - 190 - 150 * static_cast<int>(i);
            m_canvas.Text(nameLeft, y, f[0], 150, false, Qt::black);
            m_canvas.Text(levelRight - m_canvas.TextWidth(f[1], 150, false), y, f[1], 150, false, Qt::black);
            m_canvas.Text(unitLeft, y, f[2], 150, false, Qt::black);
            m_canvas.Text(valueRight - m_canvas.TextWidth(f[3], 150, false), y, f[3], 150, false, Qt::black);
            m_canvas.Text(xUnitLeft, y, f[4], 150, false, Qt::black);
        }
        m_canvas.SetTextArea({});
        ty = bottom - 20;
    }
}

void Painter::Grid() {
    m_canvas.NoBrush();
    for (int i = 1; i <= 9; ++i) {
        const int x = static_cast<int>(static_cast<long long>(W) * i / 10);
        m_canvas.SetPen(i == 5 ? kCentreGrid : kGrid, 3, Qt::DotLine);
        m_canvas.Line(x, 0, x, H);
    }
    m_canvas.SetPen(kGrid, 3, Qt::DotLine);
    for (int k = 1; k <= 7; ++k) {
        const int y = static_cast<int>(static_cast<long long>(H) * k / 8);
        m_canvas.Line(0, y, W, y);
    }
}

namespace {

// moveTo/lineTo as QPainterPath has them, kept as separate line segments. Round caps close the joins.
class SegmentPath {
  public:
    void moveTo(QPointF p) { m_at = p; }
    void lineTo(QPointF p) {
        m_lines.append(QLineF(m_at, p));
        m_at = p;
    }
    void Draw(QPainter& p) const {
        QPen pen = p.pen();
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawLines(m_lines);
    }

  private:
    QPointF m_at;
    QVector<QLineF> m_lines;
};

}  // namespace

void Painter::Trace(char which) {
    const bool a = which == 'A';
    const auto& v = a ? m_doc.m_arrTraceA : m_doc.m_arrTraceB;
    if (!(a ? m_doc.m_bShowTraceA : m_doc.m_bShowTraceB) ||
        (a ? m_doc.m_nTraceModeA : m_doc.m_nTraceModeB) == TRACE_OFF || !HasData(v) ||
        v.size() < static_cast<size_t>(kTracePoints))
        return;
    const double r = H != 0 ? static_cast<double>(W) / std::abs(H) : 100.0;
    double width;
    if (!m_layout.portrait)
        width = r > 6.6 ? 100 : r > 4.2 ? 80 : r > 2.0 ? 50 : 30;
    else
        width = r > 12 ? 50 : r > 9 ? 30 : 25;
    m_canvas.SetPen(a ? kTraceA : kTraceB, width);
    m_canvas.NoBrush();
    const bool minMax = (a ? m_doc.m_nMinMaxA : m_doc.m_nMinMaxB) == 1;
    const bool mrho = m_doc.DisplayUnit() == "MRHO";
    // Strokes drawn one by one: a single path of a thousand self-crossing pieces makes the smoothing
    // rasteriser five times slower than the rest of the page.
    SegmentPath path;
    auto P = [&](double x, double y) { return m_canvas.Map(x, y); };
    auto y1Of = [&](int k) { return Y(v[static_cast<size_t>(2 * k - 2)]); };
    auto y2Of = [&](int k) { return Y(v[static_cast<size_t>(2 * k - 1)]); };
    path.moveTo(P(0, y2Of(1)));
    double y1p = 999, y2p = -999, xp = 0;
    const bool firstFromNext =
        m_doc.m_dCenter >= 500e6 && 2 * m_doc.m_dCenter <= m_doc.m_dSpan && m_mode != "Distance to Fault";
    for (int k = 1; k <= kTraceColumns; ++k) {
        const double x = ColumnX(k);
        double y1 = y1Of(k), y2 = y2Of(k);
        if (mrho || (!minMax && k != 1)) {
            path.lineTo(P(x, y2));
        } else if (k == 1 && firstFromNext) {
            y1 = Y(v[2]);
            y2 = Y(v[3]);
            path.moveTo(P(x, y1));
            path.lineTo(P(x, y2));
        } else if (y1 == y2 && k != 1) {
            // A flat stretch would be a row of zero-length strokes, which draw nothing: join it to the
            // previous column instead, so a flat trace stays visible.
            path.moveTo(P(y2p == y2 ? xp : x, y2p));
            path.lineTo(P(x, y2));
        } else if (y2p < y1 && k != 1) {
            path.lineTo(P(x, y2));
        } else if (y1p > y2 && k != 1) {
            path.moveTo(P(x, y1));
            path.lineTo(P(xp, y1p));
            path.moveTo(P(x, y2));
        } else {
            // A column whose minimum and maximum (nearly) coincide still gets a visible stroke.
            const double pad = std::max(0.0, (12 - std::abs(y1 - y2)) / 2);
            path.moveTo(P(x, y1 + (y1 >= y2 ? pad : -pad)));
            path.lineTo(P(x, y2 - (y1 >= y2 ? pad : -pad)));
        }
        y1p = y1;
        y2p = y2;
        xp = x;
    }
    ClipToGraph();
    path.Draw(m_canvas.Painter());
    EndClip();
    MarkerSymbols(which);
}

// The traces of other documents (Compare Traces), each in its own colour on this page's axes; each is
// converted into this page's unit with its own trace's impedance.
void Painter::Overlays() {
    const double r = H != 0 ? static_cast<double>(W) / std::abs(H) : 100.0;
    const double width = m_layout.portrait ? (r > 9 ? 25 : 20) : (r > 4.2 ? 50 : r > 2.0 ? 35 : 25);
    for (size_t i = 0; i < m_doc.m_overlays.size(); ++i) {
        const ComparedTrace& ov = m_doc.m_overlays[i];
        if (ov.points.size() < static_cast<size_t>(kTracePoints)) continue;
        const auto conv = LevelFromDbmFor(m_doc.DisplayUnit(), ov.impedance);
        auto y = [&](double v) {
            const double cval = conv(v);
            double yy = m_scale != 0 ? -H * (cval - m_reference) / (8 * m_scale) : 0.0;
            if (!std::isfinite(yy)) yy = cval > m_reference ? 0.0 : H;
            return std::clamp(yy, static_cast<double>(std::min(H, 0)), 0.0);
        };
        m_canvas.SetPen(OverlayColour(static_cast<int>(i)), width);
        m_canvas.NoBrush();
        SegmentPath path;
        bool open = false;
        const bool minMax = ov.minMax == 1 && m_doc.DisplayUnit() != "MRHO";
        for (int k = 1; k <= kTraceColumns; ++k) {
            const double x = ColumnX(k);
            const double v1 = ov.points[static_cast<size_t>(2 * k - 2)],
                         v2 = ov.points[static_cast<size_t>(2 * k - 1)];
            if (v2 == kNoPoint) {
                open = false;
                continue;
            }
            const QPointF p2 = m_canvas.Map(x, y(v2));
            if (!open) path.moveTo(p2);
            if (minMax && v1 != kNoPoint) {
                path.lineTo(m_canvas.Map(x, y(v1)));
                path.lineTo(p2);
            } else {
                path.lineTo(p2);
            }
            open = true;
        }
        ClipToGraph();
        path.Draw(m_canvas.Painter());
        EndClip();
    }
}

// The legend of a comparison: this page's traces and every overlay, a line of its colour and its name,
// in a white box in the graph's top left corner.
void Painter::OverlayLegend() {
    if (m_doc.m_overlays.empty()) return;
    struct Entry {
        std::string name;
        QColor colour;
    };
    std::vector<Entry> entries;
    const std::string own = m_doc.m_strCompareName.empty() ? m_doc.m_strTraceName : m_doc.m_strCompareName;
    const bool both = TraceDrawn(m_doc, 'A') && TraceDrawn(m_doc, 'B');
    for (char t : {'A', 'B'})
        if (TraceDrawn(m_doc, t))
            entries.push_back({own + (both ? std::string(" ") + t : ""), t == 'A' ? kTraceA : kTraceB});
    for (size_t i = 0; i < m_doc.m_overlays.size(); ++i)
        entries.push_back({m_doc.m_overlays[i].name, OverlayColour(static_cast<int>(i))});
    constexpr int kFont = 110;
    constexpr double kRow = 140, kLine = 200;
    const double maxW = std::max(600.0, W * 0.45);
    double textW = 0;
    for (const Entry& e : entries)
        textW = std::max(textW, m_canvas.TextWidth(e.name, kFont, false));
    const double boxW = std::min(maxW, 60 + kLine + 60 + textW + 60);
    const int rows = std::min<int>(static_cast<int>(entries.size()),
                                   std::max(1, static_cast<int>((std::abs(H) - 100) / kRow)));
    const double top = -40, bottom = top - 40 - rows * kRow;
    m_canvas.SetPen(Qt::black, 3);
    m_canvas.SetBrush(Qt::white);
    m_canvas.Rect(40, top, 40 + boxW, bottom);
    m_canvas.SetTextArea(QRectF(40, top, boxW, top - bottom));
    for (int i = 0; i < rows; ++i) {
        const Entry& e = entries[static_cast<size_t>(i)];
        const double rowTop = top - 20 - i * kRow;
        m_canvas.SetPen(e.colour, 40);
        m_canvas.Line(100, rowTop - kRow / 2, 100 + kLine, rowTop - kRow / 2);
        const bool last = i == rows - 1 && rows < static_cast<int>(entries.size());
        m_canvas.FitText(100 + kLine + 60, rowTop - 10,
                         last ? Format("... and %d more", static_cast<int>(entries.size()) - i) : e.name,
                         kFont, false, Qt::black, 40 + boxW - 30);
    }
    m_canvas.SetTextArea({});
}

// The shown markers of a drawn trace: a line through the graph with a tick (A) or cross (B) at the level
// and the number beside it; in DTF a triangle pointing at the level.
void Painter::MarkerSymbols(char which) {
    const bool a = which == 'A';
    const auto& state = a ? m_doc.m_arrUserStateA : m_doc.m_arrUserStateB;
    const bool dtf = m_mode == "Distance to Fault";
    const QColor kSelected(0, 161, 88), kOther(123, 2, 4);
    for (int n = 1; n <= 10 && static_cast<size_t>(n) < state.size(); ++n) {
        if (state[static_cast<size_t>(n)] <= 0) continue;
        const bool delta = state[static_cast<size_t>(n)] == 2;
        const double pos = MarkerPosition(m_doc, which, n);
        const double point = MarkerColumn(m_doc, pos);
        const double x = ColumnX(point + 1);
        if (!OnGraphX(x)) continue;  // outside the zoomed range
        const double y = Y(MarkerLevel(m_doc, which, pos));
        const bool front = which == (m_doc.m_nFrontTrace == 1 ? 'B' : 'A');
        const bool selected = front && n == m_options.markers.Highlighted(TraceIndex(which));
        m_canvas.SetPen(selected ? kSelected : kOther, 3);
        m_canvas.NoBrush();
        const std::string name = std::to_string(n);
        auto label = [&](double lx, double ly) {
            // A name beside a marker at the right edge stays on the graph, clear of the panel column.
            lx = std::min(lx, W - 20 - m_canvas.TextWidth(name, 175, true));
            if (MarkerPlace* p = Place(which, n)) {
                p->placed = true;
                p->x = x;
                p->y = y;
                const double w = m_canvas.TextWidth(name, 175, true);
                p->name = QRectF(lx - 40, ly - 175, w + 80, 175);
            }
            m_canvas.SetBrush(Qt::white);
            m_canvas.NoPen();
            m_canvas.Rect(lx, ly, lx + m_canvas.TextWidth(name, 175, true), ly - 175);
            m_canvas.Text(lx, ly, name, 175, true, Qt::black);
            m_canvas.SetPen(selected ? kSelected : kOther, 3);
            m_canvas.NoBrush();
        };
        auto deltaMark = [&](double x1, double y1, double x2, double y2, double x3, double y3) {
            m_canvas.SetBrush(Qt::black);
            m_canvas.Polygon(QPolygonF({QPointF(x1, y1), QPointF(x2, y2), QPointF(x3, y3)}));
            m_canvas.NoBrush();
        };
        if (!dtf) {
            m_canvas.Line(x, 0, x, H);
            if (a) {
                m_canvas.Line(x - 58, y, x + 55, y);
            } else {
                m_canvas.Line(x - 58, y + 55, x + 55, y - 55);
                m_canvas.Line(x - 58, y - 55, x + 55, y + 55);
            }
            if (delta) deltaMark(x + 15, y + 35, x + 40, y + 85, x + 65, y + 35);
            label(delta ? x + 70 : x + 25, y + 165);
        } else {
            if (a) m_canvas.SetBrush(selected ? kSelected : kOther);
            m_canvas.Polygon(QPolygonF({QPointF(x, y), QPointF(x - 50, y + 100), QPointF(x + 50, y + 100)}));
            m_canvas.NoBrush();
            if (delta) deltaMark(x - 55, y + 128, x - 30, y + 178, x - 5, y + 128);
            label(delta ? x + 10 : x - 40, y + 250);
        }
    }
}

// Descriptions of the shown markers, one row each from the top of the graph down, in the order of the
// markers' x; a leader line joins each to its marker.
void Painter::MarkerLabels() {
    const std::vector<MarkerLabel> labels = LabelledMarkers(m_doc);
    if (labels.empty()) return;
    const double count = static_cast<double>(labels.size());
    double spacing = 250;
    if (m_layout.portrait && 250 * (count + 1) > std::abs(H)) spacing = std::abs(H) / (count * 1.1 + 1);
    // Rows closer than a label is high would overlap: the font shrinks with the rows.
    const int rowFont = std::clamp(static_cast<int>(spacing - 40), 40, 150);
    for (size_t i = 0; i < labels.size(); ++i) {
        const MarkerLabel& l = labels[i];
        const double pos = MarkerPosition(m_doc, l.trace, l.n);
        const double mx = ColumnX(MarkerColumn(m_doc, pos) + 1);
        if (!OnGraphX(mx)) continue;
        const double my = Y(MarkerLevel(m_doc, l.trace, pos));
        const double top = -250 - spacing * static_cast<double>(i) + (spacing < 250 ? 250 - spacing : 0);
        int font = rowFont;
        double width = m_canvas.TextWidth(l.text, font, false) + 100;
        // Too wide for the graph: a smaller font, one unit at a time.
        while (width > W && font > 20)
            width = m_canvas.TextWidth(l.text, --font, false) + 100;
        double left = mx;
        if (left + width > W) left = std::max(0.0, W - width);
        const double bottom = top - font - 30;
        const bool onFront = l.trace == (m_doc.m_nFrontTrace == 1 ? 'B' : 'A');
        const bool selected = onFront && l.n == m_options.markers.Highlighted(TraceIndex(l.trace));
        const QColor pen = selected ? QColor(0, 161, 88) : QColor(123, 2, 4);
        m_canvas.SetPen(pen, 3);
        if (my < bottom)
            m_canvas.Line(mx, bottom, mx, my);
        else if (my > top)
            m_canvas.Line(mx, top, mx, my);
        m_canvas.SetBrush(Qt::white);
        m_canvas.Rect(left, top, left + width, bottom);
        m_canvas.NoBrush();
        m_canvas.Text(left + 50, top - 15, l.text, font, false, Qt::black);
        if (MarkerPlace* p = Place(l.trace, l.n)) p->label = QRectF(left, bottom, width, top - bottom);
    }
}

void Painter::LimitLines() {
    m_canvas.SetPen(kLimit, 30);
    m_canvas.NoBrush();
    if (m_doc.m_strMeasure != "NONe" && m_doc.m_dSpan > 0) {
        // Channel boundaries, in divisions (10 / span per hertz, the centre at 5 divisions).
        auto xAt = [&](double hz) {
            const double div = std::clamp(5.0 + (hz - m_doc.m_dCenter) * 10.0 / m_doc.m_dSpan, 0.0, 10.0);
            return m_zoom.XFit() ? div * W / 10.0 : FractionX(div / 10.0);
        };
        const double half = m_doc.m_dChannelWidth / 2;
        std::vector<double> edges = {m_doc.m_dCenter - half, m_doc.m_dCenter + half};
        if (m_doc.m_strMeasure == "ACPR") {
            edges.push_back(m_doc.m_dCenter - half - m_doc.m_dChannelSpacing);
            edges.push_back(m_doc.m_dCenter + half + m_doc.m_dChannelSpacing);
            const double left = xAt(m_doc.m_dCenter - half - m_doc.m_dChannelSpacing / 2);
            const double right = xAt(m_doc.m_dCenter + half + m_doc.m_dChannelSpacing / 2);
            if (OnGraphX(left)) m_canvas.Text(left - 150, -60, "Left", 120, false, kLimit);
            if (OnGraphX(right)) m_canvas.Text(right - 150, -60, "Right", 120, false, kLimit);
            m_canvas.SetPen(kLimit, 30);
        }
        for (double e : edges)
            if (OnGraphX(xAt(e))) m_canvas.Line(xAt(e), 0, xAt(e), H);
        return;
    }
    const std::string& st = m_doc.m_strLimitState;
    if (m_doc.m_strLimitSimple == "ON") {
        // Simple limits are grid divisions counted up from the bottom line: drawn there in every unit (a
        // level below zero volts has no place on a linear axis, a division has).
        auto atDivision = [&](double k) { return H * (m_zoom.top - k) / m_zoom.Height(); };
        auto line = [&](double k) {
            if (m_zoom.Fit() || (k >= m_zoom.bottom && k <= m_zoom.top))
                m_canvas.Line(0, atDivision(k), W, atDivision(k));
        };
        if (st == "UPPer" || st == "UPPLow") line(m_doc.m_dLimitUpper);
        if (st == "LOWer" || st == "UPPLow") line(m_doc.m_dLimitLower);
        return;
    }
    if (st == "OFF") return;
    // Segments in display levels, x in display columns; cut at the graph.
    m_canvas.Painter().save();
    m_canvas.Painter().setClipRect(QRectF(m_canvas.Map(0, 0), m_canvas.Map(W, H)).normalized());
    for (const std::string& seg : m_doc.m_arrLimitSegments) {
        std::string_view rest = seg;
        std::string f[5];
        for (auto& field : f) {
            size_t k = rest.find(',');
            field = std::string(rest.substr(0, k));
            rest = k == std::string_view::npos ? std::string_view() : rest.substr(k + 1);
        }
        const bool upper = f[0] == "UPP" || f[0] == "1";
        const bool lower = f[0] == "LOW" || f[0] == "2";
        if (!((upper && (st == "UPPer" || st == "UPPLow" || st == "ON")) ||
              (lower && (st == "LOWer" || st == "UPPLow" || st == "ON"))))
            continue;
        auto col = [&](double x) { return m_zoom.XFit() ? x * W / 500.0 : FractionX(x / 500.0); };
        m_canvas.Line(col(LeadingReal(f[1])), Y(LeadingReal(f[2]), false), col(LeadingReal(f[3])),
                      Y(LeadingReal(f[4]), false));
    }
    m_canvas.Painter().restore();
}

void Painter::Threshold() {
    if (!m_doc.m_bThresholdSet || !ShownLevel(m_doc.m_dMarkerThreshold)) return;
    m_canvas.SetPen(kRed, 3, Qt::DotLine);
    const double y = Y(m_doc.m_dMarkerThreshold);
    m_canvas.Line(0, y, W, y);
}

void Painter::Frame() {
    m_canvas.SetPen(Qt::black, 20);
    m_canvas.NoBrush();
    m_canvas.Rect(0, 0, W, H);
}

void Painter::XLabels() {
    const int y = H - 45;  // the labels end on the page's bottom edge
    // A zoomed view labels its own range: the centre and span of what is shown, a tenth of it per division.
    const double shown = m_zoom.Width();
    if (m_mode != "Distance to Fault") {
        const double span = m_doc.m_dSpan * shown;
        const double centre = m_doc.m_dCenter + ((m_zoom.left + m_zoom.right) / 2 - 0.5) * m_doc.m_dSpan;
        if (m_doc.m_dSpan != 0) {
            const Scaled f = ScaleFrequency(span / 10);
            m_canvas.Text(0, y, Format("%3.3f %s%s", f.value, f.unit.c_str(), "/Div"), 150, false, Qt::black);
        } else {
            const Scaled t = ScaleTime(m_doc.m_dSweepTime * shown / 10);
            m_canvas.Text(0, y, Format("%3.1f %s%s", t.value, t.unit.c_str(), "/Div"), 150, false, Qt::black);
        }
        const Scaled cf = ScaleFrequency(centre);
        m_canvas.Text(W / 2 - 390, y,
                      Format("%s %s %s", "Center:", FrequencyNumber(cf).c_str(), cf.unit.c_str()), 150, false,
                      Qt::black);
        const Scaled sf = ScaleFrequency(span);
        m_canvas.Text(W - 1250, y,
                      Format("%5s %8s %s", "Span:", FrequencyNumber(sf).c_str(), sf.unit.c_str()), 150, false,
                      Qt::black);
    } else {
        const std::string lu = LengthUnitText(m_doc.m_strCableLengthUnit);
        m_canvas.Text(0, y, Format("%3.2f %s%s", m_doc.m_dCableLength * shown / 10, lu.c_str(), "/div"), 150,
                      false, Qt::black);
        m_canvas.Text(
            W / 2 - 390, y,
            Format("%s %s", "Cable Type:",
                   m_doc.m_strCableTypeFile.empty() ? "user-defined" : m_doc.m_strCableTypeFile.c_str()),
            150, false, Qt::black);
        // A long length ends at the graph's right edge rather than running off the page.
        // Zoomed: the distances shown instead of the whole length.
        const std::string length =
            m_zoom.XFit() ? Format("%s %4.1f%s", "Cable Length:", m_doc.m_dCableLength, lu.c_str())
                          : Format("%s %.1f - %.1f%s", "Shown:", m_doc.m_dCableLength * m_zoom.left,
                                   m_doc.m_dCableLength * m_zoom.right, lu.c_str());
        m_canvas.Text(std::min<double>(W - 1200, W - m_canvas.TextWidth(length, 150, false)), y, length, 150,
                      false, Qt::black);
    }
}

void Painter::YAxis() {
    const std::string& u = m_doc.DisplayUnit();
    std::vector<std::string> cap;
    if (m_mode == "Transmission")
        cap = u == "DB" ? std::vector<std::string>{"Ref."} : std::vector<std::string>{"Ref.", "Level"};
    else if (m_mode == "Distance to Fault")
        cap = {"  Ref."};
    else if (m_mode == "EMF (EMI)" && (u == "WM2" || u == "MWM2" || u == "UWM2"))
        cap = {"Ref.", "Power", "Density"};
    else if (m_mode == "EMF (EMI)" && (u == "VM" || u == "MVM" || u == "UVM"))
        cap = {"Ref.", "Voltage", "per m"};
    else if (m_mode == "Cable Loss")
        cap = {"Ref."};
    else if (m_mode == "Reflection")
        cap = u == "VSWR"   ? std::vector<std::string>{"VSWR"}
              : u == "MRHO" ? std::vector<std::string>{"Refl.", "Factor"}
              : u == "%"    ? std::vector<std::string>{"Refl.", "Power"}
                            : std::vector<std::string>{"Ret.", "Loss"};
    else
        cap = {"Ref.", "Level"};
    const double two[] = {0.0625, 0.0875};
    const double three[] = {0.05625, 0.075, 0.09375};
    // On a short graph the caption lines keep a line's height apart, and a tick value that would fall
    // on the caption is left out.
    double y = 1e9;
    std::vector<std::pair<double, std::string>> lines;
    for (size_t i = 0; i < cap.size(); ++i)
        lines.push_back({H * (cap.size() == 3 ? three[i] : two[std::min<size_t>(i, 1)]), cap[i]});
    // The tick values, readable in any unit: W with ticks of microwatts reads in uW, not "0.000" five times.
    const int steps[] = {8, 6, 4, 2, 0};
    std::vector<double> values;
    for (int n : steps) {
        double v = m_reference - n * m_scale;
        if (std::abs(v) <= 1e-9 * std::abs(m_scale)) v = 0;  // no "-0.000" at the bottom
        values.push_back(v);
    }
    const LevelTexts ticks = ReadableLevels(values, u);
    lines.push_back({H * 0.125, ticks.unit});
    double captionTop = 0, captionBottom = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        y = std::min(lines[i].first, y - 125);
        if (i == 0) y = std::min(y, -100.0);  // below the top tick value
        m_canvas.Text(-390, y, lines[i].second, 120, false, Qt::black);
        if (i == 0) captionTop = y;
        captionBottom = y - 120;
    }
    for (size_t i = 0; i < std::size(steps); ++i) {
        const int n = steps[i];
        const double ty = n == 0 ? 30 : n == 8 ? H + 115 : 70 + n * H / 8.0;
        if (n != 0 && ty > captionBottom - 5 && ty - 120 < captionTop + 5) continue;
        // Beside the trigger box (x -150 to -20, 60 above and below its level) a tick value ends before it.
        double tx = -360;
        if (m_doc.m_strTrigger == "VIDeo") {
            const double trigger = Y(m_doc.m_dTriggerLevel);
            if (ty - 120 < trigger + 60 && ty > trigger - 60)
                tx = std::max(-400.0, -165 - m_canvas.TextWidth(ticks.texts[i], 120, false));
        }
        m_canvas.Text(tx, ty, ticks.texts[i], 120, false, Qt::black);
    }
}

void Painter::Badges() {
    const bool small = m_layout.portrait && std::abs(H) < 0.4 * m_layout.Fh;
    const int font = small ? 80 : 100;
    auto badge = [&](double top, double bottom, double textRow, int textX, const QColor& fill,
                     const std::string& text, const QColor& ink = Qt::white) {
        m_canvas.SetPen(fill, 3);
        m_canvas.SetBrush(fill);
        m_canvas.Rect(-400, H * top, -20, H * bottom);
        // The text stays in its box: a longer caption ("Neg. Peak") starts further left, and the font
        // gives way where even that is not enough.
        int size = font;
        double x = textX;
        while (x + m_canvas.TextWidth(text, size, false) > -25) {
            x = std::max(-395.0, -25 - m_canvas.TextWidth(text, size, false));
            if (x + m_canvas.TextWidth(text, size, false) <= -25 || size <= 60) break;
            size -= 5;
        }
        m_canvas.Text(x, H * textRow, text, size, false, ink);
    };
    if (m_doc.m_strExtRefFreq == "ON") badge(0.28, 0.3075, 0.2835, -350, kGrey, "Ext.Ref");
    if (m_doc.m_strEmfMeasure != "OFF")
        badge(0.53, 0.5575, 0.5335, -310, kGrey, m_doc.m_strEmfDirection + " -->");
    if (NormalisationOn(m_doc)) {
        if (m_doc.m_strTraceMath == "UNNormalized")
            badge(0.63, 0.6575, 0.635, -395, kRed, "Normalize");
        else
            badge(0.63, 0.6575, 0.635, -400, kLight, "Normal.'d", Qt::black);
    }
    const bool edev =
        (!m_doc.m_strEdevFile.empty() && m_doc.m_strEdevState != "OFF") ||
        (m_mode == "EMF (EMI)" && (m_doc.m_strAfactorState != "OFF" || m_doc.m_strCfactorState != "OFF"));
    if (edev) badge(0.68, 0.7075, 0.6825, -388, kGrey, "Ext.Dev.");
    if (m_mode == "Distance to Fault" || m_mode == "Reflection" || m_mode == "Cable Loss") {
        if (CalibrationOn(m_doc))
            badge(0.78, 0.8075, 0.7825, -350, kGreen, "Calib'd");
        else
            badge(0.78, 0.8075, 0.7825, -390, kRed, "Calibrate");
    } else if (m_doc.m_strSenseState == "ON") {
        badge(0.78, 0.8075, 0.7825, -360, kRed, "UNCAL");
    }
    const int det = m_doc.m_nDetector;
    if (det == 0 || det == 2 || det == 3)
        badge(0.83, 0.8575, 0.835, -400, kGrey, DetectorCaption(det));
    else
        badge(0.83, 0.8575, 0.8325, det == 4 ? -330 : -360, kGrey, DetectorCaption(det));
    // Nothing of a hidden trace is drawn, its badge neither.
    if (m_doc.m_bShowTraceA)
        badge(0.88, 0.9075, 0.8825, -370, QColor(0, 0, 0), "A " + TraceModeCaption(m_doc.m_nTraceModeA));
    if (m_doc.m_bShowTraceB)
        badge(0.93, 0.9575, 0.9325, -370, kBadgeB, "B " + TraceModeCaption(m_doc.m_nTraceModeB));
}

void Painter::TriggerLine() {
    if (!ShownLevel(m_doc.m_dTriggerLevel)) return;
    const double y = Y(m_doc.m_dTriggerLevel);
    m_canvas.SetPen(kGreen, 3);
    m_canvas.SetBrush(kGreen);
    m_canvas.Line(0, y, W, y);
    m_canvas.Rect(-150, y + 60, -20, y - 60);
    const bool up = m_doc.m_strTriggerEdge == "POSitive";
    m_canvas.SetPen(Qt::white, 3);
    m_canvas.SetBrush(Qt::white);
    QPolygonF arrow;
    if (up)
        arrow << QPointF(-85, y + 45) << QPointF(-125, y - 20) << QPointF(-45, y - 20);
    else
        arrow << QPointF(-85, y - 45) << QPointF(-125, y + 20) << QPointF(-45, y + 20);
    m_canvas.Polygon(arrow);
}

void Painter::Header() {
    m_canvas.Text(W - 1180, 650, StampText(m_doc.m_strCreated), 140, false, Qt::black);
    // The logo: a fixed 1033 x 200 picture.
    m_canvas.SetPen(Qt::black, 3);
    m_canvas.SetBrush(QColor(0, 46, 93));
    // In the header band above the graph, which has room for it.
    m_canvas.Rect(W - 1080, 310, W - 1080 + 1033, 110);
    m_canvas.Text(W - 1040, 290, "ZARNELL", 150, true, Qt::white);
    // The paper header (above the screen's top edge; visible on paper only).
    m_canvas.SetPen(Qt::black, 3);
    m_canvas.NoBrush();
    m_canvas.Rect(-400, 2600, m_layout.Fw - 400, 1100);
    m_canvas.Line((m_layout.Fw - 800) / 2.0, 2600, (m_layout.Fw - 800) / 2.0, 1100);
    auto lines = [&](const std::string& text, double x) {
        double y = 2500;
        size_t start = 0;
        while (start <= text.size() && !text.empty()) {
            size_t nl = text.find('\n', start);
            m_canvas.Text(x, y, text.substr(start, nl == std::string::npos ? std::string::npos : nl - start),
                          140, false, Qt::black);
            if (nl == std::string::npos) break;
            start = nl + 1;
            y -= 200;
        }
    };
    lines(m_options.headLeft, -200);
    lines(m_options.headRight, (m_layout.Fw - 800) / 2.0 + 200);
    if (m_options.showFilePath)
        m_canvas.Text(-400, 900, m_doc.m_strPathName.empty() ? m_doc.m_strTraceName : m_doc.m_strPathName,
                      140, false, Qt::black);
}

}  // namespace

double LevelToY(const CMyQuarnDoc& d, int H, double v, bool clamp) {
    const std::string& u = d.DisplayUnit();
    const double cval = LevelFromDbm(v, u, d.ReferenceImpedance());
    const double R = d.SelectedReference(), S = d.SelectedScale();
    double y = S != 0 ? -H * (cval - R) / (8 * S) : 0.0;
    if (!std::isfinite(y)) y = cval > R ? 0.0 : H;
    if (clamp) y = std::clamp(y, static_cast<double>(std::min(H, 0)), 0.0);
    return y;
}

QColor OverlayColour(int i) {
    // Apart from both trace colours, the limit red and from each other, also in grey print.
    static const QColor colours[] = {QColor(230, 120, 0), QColor(0, 150, 60),  QColor(190, 0, 190),
                                     QColor(140, 80, 20), QColor(0, 150, 150), QColor(110, 60, 200),
                                     QColor(128, 128, 0), QColor(240, 70, 140)};
    return colours[static_cast<size_t>(i) % std::size(colours)];
}

QRectF LegendBox(char trace) {
    return trace == 'B' ? QRectF(3750, 200, 650, 200) : QRectF(3750, 450, 650, 200);
}

PageLayout RenderPage(QPainter& painter, const QRectF& device, const CMyQuarnDoc& doc,
                      const RenderOptions& options) {
    const PageLayout layout =
        ComputeLayout(doc, static_cast<int>(device.width()), static_cast<int>(device.height()));
    PageCanvas canvas(painter, device, -400, 700, layout.Fw, layout.Fh);
    canvas.RecordTexts(options.textBoxes);
    Painter(canvas, doc, layout, options).Draw();
    return layout;
}

PageLayout RenderPrintPage(QPainter& painter, const QRectF& printable, const CMyQuarnDoc& doc,
                           const RenderOptions& options) {
    const bool landscape = doc.m_nOrientation != 0;
    const PageLayout layout = ComputeLayout(doc, landscape ? 800 : 664, landscape ? 600 : 800);
    const bool header = !options.headLeft.empty() || !options.headRight.empty();
    const int originY = header ? 2700 : 1000;
    const int extentY = layout.Fh + (header ? 2000 : 300);
    // Without header texts the paper header's frame lies above the band; on paper it would land in the
    // margin, so the page is clipped to its printable rectangle.
    painter.save();
    painter.setClipRect(printable, Qt::IntersectClip);
    PageCanvas canvas(painter, printable, -400, originY, layout.Fw, extentY);
    canvas.RecordTexts(options.textBoxes);
    Painter(canvas, doc, layout, options).Draw();
    painter.restore();
    return layout;
}

QImage RenderPageImage(const CMyQuarnDoc& doc, int width, int height, const RenderOptions& options) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    RenderPage(p, QRectF(0, 0, width, height), doc, options);
    p.end();
    return image;
}

}  // namespace fl
