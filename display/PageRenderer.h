// The one routine that draws a trace page, for the screen, the printer and images.
#pragma once

#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "PageCanvas.h"
#include "PageLayout.h"

namespace fl {

class CMyQuarnDoc;

struct RenderOptions {
    std::string headLeft;  // print header texts (registry "PHeadLeft", "PHeadRight")
    std::string headRight;
    bool showFilePath = true;                   // "ShowFilePath"
    int selectedMarker = 0;                     // drawn highlighted on the front trace; 0 = none
    std::vector<TextBox>* textBoxes = nullptr;  // when set, receives the box of every text drawn
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

// Maps a stored level to the graph's y (page units), clamped to the graph or not.
double LevelToY(const CMyQuarnDoc& doc, int H, double value, bool clamp);

}  // namespace fl
