#include "PageCanvas.h"

#include <QFontMetricsF>
#include <QPen>
#include <algorithm>

#include "Text.h"

namespace fl {

PageCanvas::PageCanvas(QPainter& painter, const QRectF& device, int originX, int originY, int fw, int fh)
    : m_p(painter), m_device(device), m_ox(originX), m_oy(originY) {
    // Isotropic: the smaller of the two scales keeps the whole page extent visible.
    m_scale = std::min(device.width() / std::max(fw, 1), device.height() / std::max(fh, 1));
    m_p.setRenderHint(QPainter::Antialiasing, true);
    m_p.setRenderHint(QPainter::TextAntialiasing, true);
}

QPointF PageCanvas::Map(double x, double y) const {
    return {m_device.left() + (x - m_ox) * m_scale, m_device.top() + (m_oy - y) * m_scale};
}

QTransform PageCanvas::PageToDevice() const {
    return QTransform(m_scale, 0, 0, -m_scale, m_device.left() - m_ox * m_scale,
                      m_device.top() + m_oy * m_scale);
}

void PageCanvas::SetPen(const QColor& c, double width, Qt::PenStyle style) {
    QPen pen(c);
    pen.setWidthF(std::max(1.0, width * m_scale));
    pen.setStyle(style);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    m_p.setPen(pen);
}

void PageCanvas::NoPen() {
    m_p.setPen(Qt::NoPen);
}
void PageCanvas::SetBrush(const QColor& c) {
    m_p.setBrush(c);
}
void PageCanvas::NoBrush() {
    m_p.setBrush(Qt::NoBrush);
}

void PageCanvas::Line(double x1, double y1, double x2, double y2) {
    m_p.drawLine(Map(x1, y1), Map(x2, y2));
}

void PageCanvas::Rect(double x1, double y1, double x2, double y2) {
    m_p.drawRect(QRectF(Map(x1, y1), Map(x2, y2)).normalized());
}

void PageCanvas::Ellipse(double x1, double y1, double x2, double y2) {
    m_p.drawEllipse(QRectF(Map(x1, y1), Map(x2, y2)).normalized());
}

void PageCanvas::Polygon(const QPolygonF& page) {
    QPolygonF dev;
    for (const QPointF& p : page)
        dev << Map(p.x(), p.y());
    m_p.drawPolygon(dev);
}

QFont PageCanvas::FontFor(int height, bool bold) const {
    const auto key = std::make_pair(height, bold);
    auto it = m_fonts.find(key);
    if (it != m_fonts.end()) return it->second;
    // The page's Swiss family: Liberation Sans has Arial's metrics; any sans-serif face stands in.
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    // Heights are cell heights (ascent plus descent), as the page was designed with.
    f.setPixelSize(std::max(1, static_cast<int>(height * m_scale * 0.87 + 0.5)));
    f.setBold(bold);
    m_fonts.emplace(key, f);
    m_metrics.emplace(key, QFontMetricsF(f));
    return f;
}

double PageCanvas::TextWidth(const std::string& text, int height, bool bold) const {
    FontFor(height, bold);
    return m_metrics.at({height, bold}).horizontalAdvance(FromCp1252(text)) / m_scale;
}

void PageCanvas::Record(double x, double y, double width, int height, const QString& text) {
    if (!m_record) return;
    m_record->push_back({QRectF(x, y, width, height), m_area, ToCp1252(text)});
}

void PageCanvas::TextQ(double x, double y, const QString& text, int height, bool bold, const QColor& color) {
    const QFont f = FontFor(height, bold);
    const QFontMetricsF& m = m_metrics.at({height, bold});
    m_p.setFont(f);
    m_p.setPen(color);
    const QPointF at = Map(x, y);
    m_p.drawText(QPointF(at.x(), at.y() + m.ascent()), text);
    Record(x, y, m.horizontalAdvance(text) / m_scale, height, text);
}

void PageCanvas::Text(double x, double y, const std::string& text, int height, bool bold,
                      const QColor& color) {
    TextQ(x, y, FromCp1252(text), height, bold, color);
}

void PageCanvas::FitText(double x, double y, const std::string& text, int height, bool bold,
                         const QColor& color, double right) {
    const QString t = FromCp1252(text);
    const double room = right - x;
    int h = height;
    while (h > height * 3 / 4 && TextWidth(text, h, bold) > room)
        h -= std::max(1, height / 20);
    if (TextWidth(text, h, bold) <= room) {
        // Smaller text keeps its baseline band: it sits as low as the full-size text would.
        TextQ(x, y - (height - h) / 2.0, t, h, bold, color);
        return;
    }
    FontFor(h, bold);
    const QString shortened =
        m_metrics.at({h, bold}).elidedText(t, Qt::ElideRight, std::max(0.0, room) * m_scale);
    TextQ(x, y - (height - h) / 2.0, shortened, h, bold, color);
}

}  // namespace fl
