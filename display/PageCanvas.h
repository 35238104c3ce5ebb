// Drawing in page units on any QPainter device: page units are isotropic, y grows upwards, and text is
// placed by its top-left corner with fonts sized in page units.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <QTransform>
#include <map>
#include <string>
#include <vector>

#include "QtText.h"

namespace fl {

// Where a text went, in page units: left, top, width and height (the top is the larger y), and the box
// it had to stay in (empty: the page).
struct TextBox {
    QRectF box;  // x, y = left, top; y grows upwards, so the box spans y down to y - height
    QRectF within;
    std::string text;
};

class PageCanvas {
  public:
    // Maps the page rectangle starting at (originX, originY) with extent (fw, fh) onto the device rectangle.
    PageCanvas(QPainter& painter, const QRectF& device, int originX, int originY, int fw, int fh);

    QPointF Map(double x, double y) const;
    // The same mapping as a transform, page units to device pixels.
    QTransform PageToDevice() const;
    double Scale() const { return m_scale; }

    void SetPen(const QColor& c, double width, Qt::PenStyle style = Qt::SolidLine);
    void NoPen();
    void SetBrush(const QColor& c);
    void NoBrush();
    void Line(double x1, double y1, double x2, double y2);
    // A rectangle between two corners, outlined with the pen and filled with the brush.
    void Rect(double x1, double y1, double x2, double y2);
    void Ellipse(double x1, double y1, double x2, double y2);
    void Polygon(const QPolygonF& pagePoints);
    // Windows-1252 text at its top-left corner; `height` is the font height in page units.
    void Text(double x, double y, const std::string& text, int height, bool bold, const QColor& color);
    void TextQ(double x, double y, const QString& text, int height, bool bold, const QColor& color);
    void Text(double x, double y, const char* text, int height, bool bold, const QColor& color) {
        Text(x, y, std::string(text), height, bold, color);
    }
    // Text that must end before `right`: it gets a smaller font (down to 3/4 of `height`) and then an
    // ellipsis rather than run into what follows.
    void FitText(double x, double y, const std::string& text, int height, bool bold, const QColor& color,
                 double right);
    // Width of a text in page units.
    double TextWidth(const std::string& text, int height, bool bold) const;
    // Every text drawn from now on is recorded here (for layout checks); null stops recording.
    void RecordTexts(std::vector<TextBox>* boxes) { m_record = boxes; }
    // The box the following texts must stay in (a panel); an empty rectangle means the page.
    void SetTextArea(const QRectF& area) { m_area = area; }
    QPainter& Painter() { return m_p; }

  private:
    QFont FontFor(int height, bool bold) const;
    void Record(double x, double y, double width, int height, const QString& text);
    QPainter& m_p;
    QRectF m_device;
    int m_ox, m_oy;
    double m_scale;
    std::vector<TextBox>* m_record = nullptr;
    QRectF m_area;
    // Fonts by height and weight, built once per page rather than for each of the page's texts.
    mutable std::map<std::pair<int, bool>, QFont> m_fonts;
    mutable std::map<std::pair<int, bool>, QFontMetricsF> m_metrics;
};

}  // namespace fl
