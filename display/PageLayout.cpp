#include "PageLayout.h"

#include <algorithm>

#include "CMyQuarnDoc.h"
#include "PanelText.h"

namespace fl {

int PanelDrawnHeight(const CMyQuarnDoc& d, PanelPlace::Kind k, bool portrait) {
    // Heading 170, 30 of space, a 150 row each, and the 20 gap to the next panel; Trace/Detector is a
    // fixed 800 high.
    size_t rows = 0;
    switch (k) {
        case PanelPlace::Level:
            rows = LevelPanel(d, portrait).rows.size();
            break;
        case PanelPlace::Status:
            rows = StatusPanel(d, portrait).rows.size();
            break;
        case PanelPlace::TraceDetector:
            return 820;
        case PanelPlace::ExternalDevice:
            rows = ExternalDevicePanel(d).rows.size();
            break;
        case PanelPlace::Instrument:
            rows = InstrumentPanel(d).rows.size();
            break;
        case PanelPlace::Gps:
            rows = GpsPanel(d).rows.size();
            break;
    }
    return 220 + 150 * static_cast<int>(rows);
}

void FitPage(int pw, int ph, int cw, int ch, int& fw, int& fh) {
    if (cw <= 0 || ch <= 0) {
        fw = pw;
        fh = ph;
        return;
    }
    if (static_cast<double>(cw) / ch < static_cast<double>(pw) / ph) {
        fw = pw;
        fh = static_cast<int>(static_cast<double>(pw) * ch / cw);
    } else {
        fw = static_cast<int>(static_cast<double>(ph) * cw / ch);
        fh = ph;
    }
}

int ShownMarkers(const CMyQuarnDoc& d, char trace) {
    const auto& st = trace == 'A' ? d.m_arrUserStateA : d.m_arrUserStateB;
    int n = 0;
    for (size_t e = 1; e < st.size() && e <= 10; ++e)
        n += st[e] > 0;
    return n;
}

int PanelLines(const CMyQuarnDoc& d, PanelPlace::Kind k) {
    const std::string mode = ModeDisplayName(d.m_strMode);
    switch (k) {
        case PanelPlace::Level:
            return mode == "EMF (EMI)" ? 7 : 6;
        case PanelPlace::Status:
            return StatusLines(d);
        case PanelPlace::TraceDetector:
            return 5;
        case PanelPlace::ExternalDevice:
            return HasExternalDevicePanel(mode) ? 4 : 0;
        case PanelPlace::Instrument:
            return 8;
        case PanelPlace::Gps:
            return 4;
    }
    return 0;
}

namespace {

bool Shown(const CMyQuarnDoc& d, PanelPlace::Kind k) {
    switch (k) {
        case PanelPlace::Level:
            return d.m_bShowLevelPanel;
        case PanelPlace::Status:
            return d.m_bShowStatusPanel;
        case PanelPlace::TraceDetector:
            return d.m_bShowTracePanel;
        case PanelPlace::ExternalDevice:
            return d.m_bShowEdevPanel && HasExternalDevicePanel(ModeDisplayName(d.m_strMode));
        case PanelPlace::Instrument:
            return d.m_bShowInstrumentPanel;
        case PanelPlace::Gps:
            return d.m_bShowGpsPanel;
    }
    return false;
}

}  // namespace

PageLayout ComputeLayout(const CMyQuarnDoc& d, int cw, int ch) {
    PageLayout L;
    L.portrait = d.m_nOrientation == 0;
    // A hidden trace's marker table is left out with the trace.
    L.markersA =
        d.m_bShowMarkersA && d.m_bShowTraceA && d.m_nTraceModeA != TRACE_OFF ? ShownMarkers(d, 'A') : 0;
    L.markersB =
        d.m_bShowMarkersB && d.m_bShowTraceB && d.m_nTraceModeB != TRACE_OFF ? ShownMarkers(d, 'B') : 0;
    const bool comment = !d.m_strComment.empty();

    if (!L.portrait) {
        const PanelPlace::Kind order[] = {PanelPlace::Level,         PanelPlace::Status,
                                          PanelPlace::TraceDetector, PanelPlace::ExternalDevice,
                                          PanelPlace::Instrument,    PanelPlace::Gps};
        for (auto k : order)
            if (Shown(d, k)) L.lines += PanelLines(d, k);
        L.lines += L.markersA + L.markersB;
        L.pageW = 8300;
        L.pageH = 6800;
        FitPage(L.pageW, L.pageH, cw, ch, L.Fw, L.Fh);
        int panelY = 0;
        if (L.lines == 0) {
            L.W = L.Fw - 500;
            L.H = 900 - L.Fh;
        } else {
            L.W = L.Fw - 2700;
            L.H = 900 - L.Fh;
            if (L.lines * 150 <= L.Fh - 1200) {
                panelY = 0;
            } else if (L.lines * 150 <= L.Fh - 700) {
                panelY = 650;
            } else {
                L.pageH = 8600;
                FitPage(L.pageW, L.pageH, cw, ch, L.Fw, L.Fh);
                L.W = L.Fw - 2700;
                L.H = 900 - L.Fh;
                panelY = 650;
            }
        }
        if (comment) L.H += 250;
        for (auto k : order)
            if (Shown(d, k)) L.panels.push_back({k, L.W + 50, 2180, 0});
        L.panelStartY = panelY;
        L.markerTableX = L.W + 50;
        L.markerTableWidth = 2180;
        L.markerTableY = panelY;  // the marker tables continue the column
        return L;
    }

    L.pageW = 6700;
    L.pageH = 8600;
    FitPage(L.pageW, L.pageH, cw, ch, L.Fw, L.Fh);
    L.W = L.Fw - 500;
    int left = 0, right = 0, leftExtra = 0, rightExtra = 0;
    int drawn[2] = {0, 0};  // the columns' real heights, as the panels are drawn
    bool toLeft = true;
    std::vector<std::pair<PanelPlace::Kind, bool>> placed;  // kind, left column
    for (auto k : {PanelPlace::Status, PanelPlace::Level, PanelPlace::TraceDetector,
                   PanelPlace::ExternalDevice, PanelPlace::Instrument, PanelPlace::Gps}) {
        if (!Shown(d, k)) continue;
        const int extra = (k == PanelPlace::Instrument || k == PanelPlace::Gps) ? 55 : 0;
        (toLeft ? left : right) += PanelLines(d, k);
        (toLeft ? leftExtra : rightExtra) += extra;
        placed.push_back({k, toLeft});
        drawn[toLeft ? 0 : 1] += PanelDrawnHeight(d, k, true);
        toLeft = !toLeft;
    }
    L.lines = left + right;
    int panelY;
    if (L.lines > 0) {
        const bool leftTaller = left >= right;
        L.H = std::min(0, 150 * std::max(left, right) + 1050 + (leftTaller ? leftExtra : rightExtra) - L.Fh);
        panelY = L.H - 280;
    } else {
        L.H = 900 - L.Fh;
        panelY = L.H - 280;
    }
    if (comment) {
        // The graph gives the comment box 250 units; the panels stay 230 below where the graph ended
        // before, under the comment box (which spans H - 220 to H - 420).
        L.H += 250;
        panelY = L.H - 480;
    }
    const int tables = (L.markersA > 0) + (L.markersB > 0);
    L.H = std::min(0, L.H + 300 * tables + 150 * (L.markersA + L.markersB));
    // The line count leaves out the headings, so a tall column could run off the page: the graph gives
    // up what the panels need to end on it.
    const int pageBottom = 700 - L.Fh;
    const int stackBottom = panelY - std::max(drawn[0], drawn[1]);
    if (std::max(drawn[0], drawn[1]) > 0 && stackBottom < pageBottom) {
        const int shift = std::min(pageBottom - stackBottom, -L.H);
        L.H += shift;
        panelY += shift;
    }
    const int colWidth = L.W / 2 - 100;
    for (auto [k, isLeft] : placed)
        L.panels.push_back({k, isLeft ? 0 : L.W / 2 + 100, colWidth, isLeft ? 0 : 1});
    L.panelStartY = panelY;
    L.markerTableX = 0;
    L.markerTableWidth = L.W;
    L.markerTableY = comment ? L.H - 480 : L.H - 280;
    return L;
}

}  // namespace fl
