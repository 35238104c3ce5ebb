// Where everything goes on a trace page: the fitted page, the graph size and the panel positions, for the
// landscape column layout and the two-column portrait layout. Computed at every paint.
#pragma once

#include <string>
#include <vector>

namespace fl {

class CMyQuarnDoc;

// A panel in drawing order. Panels of one column follow each other downwards from the column's start.
struct PanelPlace {
    enum Kind { Level, Status, TraceDetector, ExternalDevice, Instrument, Gps } kind;
    int x;  // left edge
    int width;
    int column;  // 0 the landscape column or the left portrait column, 1 the right portrait column
};

struct PageLayout {
    bool portrait = false;
    int pageW = 8300, pageH = 6800;  // the page size the layout settled on
    int Fw = 8300, Fh = 6800;        // the page fitted to the window
    int W = 0, H = 0;                // graph width and height (H <= 0)
    int lines = 0;                   // panel lines counted
    int markersA = 0, markersB = 0;  // markers in the shown marker tables
    std::vector<PanelPlace> panels;  // in drawing order
    int panelStartY = 0;             // top of the first panel of each column
    int markerTableX = 0, markerTableY = 0, markerTableWidth = 2180;
};

// Fits a page of pw x ph into a client area of cw x ch so that it fills it in both directions.
void FitPage(int pw, int ph, int cw, int ch, int& fw, int& fh);
// Lines of one panel, as the layout counts them.
int PanelLines(const CMyQuarnDoc& d, PanelPlace::Kind kind);
// The height a panel takes on the page as it is drawn, with the gap after it.
int PanelDrawnHeight(const CMyQuarnDoc& d, PanelPlace::Kind kind, bool portrait);
// Shown markers (state above 0, entries 1 to 10) of a trace.
int ShownMarkers(const CMyQuarnDoc& d, char trace);
PageLayout ComputeLayout(const CMyQuarnDoc& d, int clientWidth, int clientHeight);

}  // namespace fl
