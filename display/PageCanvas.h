// Drawing in page units on any QPainter device: page units are isotropic, y grows upwards, and text is
// placed by its top-left corner with fonts sized in page units.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>
#include <string>

namespace fl {

class PageCanvas {
  public:
    // Maps the page rectangle starting at (originX, originY) with extent (fw, fh) onto the device rectangle.
    PageCanvas(QPainter& painter, const QRectF& device, int originX, int originY, int fw, int fh);

    QPointF Map(double x, double y) const;
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
    // Width of a text in page units.
    double TextWidth(const std::string& text, int height, bool bold) const;
    QPainter& Painter() { return m_p; }

  private:
    QFont FontFor(int height, bool bold) const;
    QPainter& m_p;
    QRectF m_device;
    int m_ox, m_oy;
    double m_scale;
};

QString FromCp1252(const std::string& s);

}  // namespace fl
