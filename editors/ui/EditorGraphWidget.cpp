#include "EditorGraphWidget.h"

#include "EditorGraphImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace fl {

EditorGraphWidget::EditorGraphWidget(QWidget* parent)
    : QWidget(parent), m_area(kGraphWidth, kGraphHeight, QImage::Format_RGB32) {
    setMouseTracking(true);
    setMinimumSize(kGraphWidth, kGraphHeight);
    Draw();
}

void EditorGraphWidget::SetContent(std::vector<std::array<PixelPoint, 2>> rows, int current,
                                   std::vector<std::array<PixelPoint, 2>> overlay) {
    m_rows = std::move(rows);
    m_current = current;
    m_overlay = std::move(overlay);
    Draw();
    update();
}

void EditorGraphWidget::Draw() {
    if (m_factor)
        DrawFactorGraph(m_area, m_points, m_current, m_curve);
    else
        DrawEditorGraph(m_area, m_rows, m_current, m_overlay);
}

void EditorGraphWidget::SetFactorContent(std::vector<PixelPoint> points, int current, const QColor& curve) {
    m_factor = true;
    m_points = std::move(points);
    m_current = current;
    m_curve = curve;
    Draw();
    update();
}

void EditorGraphWidget::SetAxisLabels(QStringList levels, QStringList bottom) {
    m_levels = std::move(levels);
    m_bottom = std::move(bottom);
    update();
}

QRectF EditorGraphWidget::Target() const {
    // The area keeps its proportions and fills as much of the widget as it can, beside its labels.
    const double left = m_levels.isEmpty() ? 0 : fontMetrics().horizontalAdvance("-000.000 ") + 4;
    const double bottom = m_bottom.isEmpty() ? 0 : fontMetrics().height() + 4;
    const double w = width() - left, h = height() - bottom;
    const double s = std::min(w / double(kGraphWidth), h / double(kGraphHeight));
    const QSizeF size(kGraphWidth * s, kGraphHeight * s);
    return QRectF(QPointF(left + (w - size.width()) / 2, (h - size.height()) / 2), size);
}

QPointF EditorGraphWidget::WidgetPoint(double ax, double ay) const {
    const QRectF t = Target();
    return {t.left() + ax * t.width() / kGraphWidth, t.top() + ay * t.height() / kGraphHeight};
}

QPointF EditorGraphWidget::AreaPoint(const QPointF& w) const {
    const QRectF t = Target();
    return {(w.x() - t.left()) * kGraphWidth / t.width(), (w.y() - t.top()) * kGraphHeight / t.height()};
}

void EditorGraphWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF t = Target();
    p.drawImage(t, m_area);
    p.setPen(palette().windowText().color());
    const int fh = fontMetrics().height();
    for (int k = 0; k < m_levels.size(); ++k) {
        const double y = t.top() + k * t.height() / 8;
        p.drawText(QRectF(0, y - fh / 2.0, t.left() - 4, fh), Qt::AlignRight | Qt::AlignVCenter, m_levels[k]);
    }
    const Qt::Alignment align[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < m_bottom.size() && i < 3; ++i)
        p.drawText(QRectF(t.left(), t.bottom() + 2, t.width(), fh), align[i] | Qt::AlignTop, m_bottom[i]);
}

void EditorGraphWidget::mouseMoveEvent(QMouseEvent* e) {
    const bool onPoint = moved && moved(AreaPoint(e->position()), m_held);
    if (onPoint || m_held)
        setCursor(Qt::SizeAllCursor);
    else
        unsetCursor();
}

void EditorGraphWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    m_held = true;
    if (moved) moved(AreaPoint(e->position()), false);  // what lies under the press
    if (pressed) pressed(AreaPoint(e->position()));
}

void EditorGraphWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !m_held) return;
    m_held = false;
    if (released) released(AreaPoint(e->position()));
}

}  // namespace fl
