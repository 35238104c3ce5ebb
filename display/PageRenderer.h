// The one routine that draws a trace page, for the screen, the printer and images.
#pragma once

#include <QImage>
#include <QPainter>
#include <array>
#include <string>
#include <vector>

#include "MarkerEdit.h"
#include "PageCanvas.h"
#include "PageLayout.h"
#include "ViewZoom.h"

namespace fl {

class CMyQuarnDoc;

// Where the last paint put the markers and what the mouse can hit, in page units (y grows upwards; the
// rectangles run from their lowest y up).
struct MarkerPlace {
    bool placed = false;
    double x = -1, y = -1;  // the marker's point on the graph
    QRectF name;            // the name's hit box: 40 units either side of the drawn name
    QRectF label;           // the description label, when one is drawn
};
struct MarkerPlaces {
    std::array<std::array<MarkerPlace, kUserMarkers + 1>, 2> trace;  // [0] trace A, [1] trace B
    std::array<QRectF, 2> table;                                     // the marker tables (empty: not drawn)
    int W = 0, H = 0;
    QTransform pageToDevice;
};

struct RenderOptions {
    std::string headLeft;  // print header texts (registry "PHeadLeft", "PHeadRight")
    std::string headRight;
    bool showFilePath = true;                   // "ShowFilePath"
    MarkerSelection markers;                    // the highlighted marker of the front trace
    MarkerPlaces* places = nullptr;             // when set, receives where the markers went
    std::vector<TextBox>* textBoxes = nullptr;  // when set, receives the box of every text drawn
    ViewZoom zoom;                              // the part of the graph shown (the whole by default)
};

// Draws the page of `doc` into `device` (the client area) with the screen mapping: page origin (-400, 700),
// extent of the fitted page. Returns the layout it used.
PageLayout RenderPage(QPainter& painter, const QRectF& device, const CMyQuarnDoc& doc,
                      const RenderOptions& options = {});
// The page on paper: laid out as in a window of 800 x 600 (landscape) or 664 x 800 (portrait) pixels and
// mapped onto `printable` with the band above the page: 300 units for the file path, 2000 with the print
// header texts.
PageLayout RenderPrintPage(QPainter& painter, const QRectF& printable, const CMyQuarnDoc& doc,
                           const RenderOptions& options = {});
// The page as an image of the given size (white background).
QImage RenderPageImage(const CMyQuarnDoc& doc, int width, int height, const RenderOptions& options = {});

// Colours of the page.
namespace PageColor {
inline const QColor kTraceA(0, 0, 8);
inline const QColor kTraceB(0, 150, 255);
inline const QColor kGrid(192, 192, 192);
inline const QColor kCentreGrid(116, 120, 114);
inline const QColor kLimit(255, 0, 0);
inline const QColor kGreen(0, 161, 88);
inline const QColor kRed(255, 0, 0);
inline const QColor kLight(230, 230, 230);
inline const QColor kGrey(116, 120, 114);
inline const QColor kBadgeB(0, 142, 255);
}  // namespace PageColor

// The colour of the i-th overlay of a comparison.
QColor OverlayColour(int i);

// The legend box of trace A or B, in page units.
QRectF LegendBox(char trace);  // from its lowest y up, like the places

// Maps a stored level to the graph's y (page units), clamped to the graph or not.
double LevelToY(const CMyQuarnDoc& doc, int H, double value, bool clamp);

}  // namespace fl
