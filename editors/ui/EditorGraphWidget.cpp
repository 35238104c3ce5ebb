#include "EditorGraphWidget.h"

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
    m_area.fill(Qt::white);
    QPainter p(&m_area);
    // Grid: 10 columns of 41 pixels, 8 rows of 40; the middle lines 2 pixels wide.
    const QColor grid(230, 230, 230);
    for (int i = 1; i < 10; ++i) {
        p.setPen(QPen(grid, i == 5 ? 2 : 1));
        p.drawLine(41 * i, 0, 41 * i, kGraphHeight);
    }
    for (int k = 1; k < 8; ++k) {
        p.setPen(QPen(grid, k == 4 ? 2 : 1));
        p.drawLine(0, 40 * k, kGraphWidth, 40 * k);
    }
    p.setPen(QPen(Qt::black, 2));
    for (const auto& l : m_overlay)
        p.drawLine(l[0].x, l[0].y, l[1].x, l[1].y);
    p.setRenderHint(QPainter::Antialiasing);
    auto row = [&](const std::array<PixelPoint, 2>& r, const QColor& c) {
        p.setPen(QPen(c, 2));
        p.setBrush(c);
        p.drawLine(r[0].x, r[0].y, r[1].x, r[1].y);
        for (const auto& e : r)
            p.drawEllipse(QPointF(e.x, e.y), 4, 4);
    };
    // The current row last, on top.
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (static_cast<int>(i) + 1 != m_current) row(m_rows[i], QColor(0, 0, 255));
    if (m_current >= 1 && m_current <= static_cast<int>(m_rows.size()))
        row(m_rows[static_cast<size_t>(m_current - 1)], QColor(255, 0, 0));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, kGraphWidth - 1, kGraphHeight - 1);
}

QRectF EditorGraphWidget::Target() const {
    // The area keeps its proportions and fills as much of the widget as it can.
    const double s = std::min(width() / double(kGraphWidth), height() / double(kGraphHeight));
    const QSizeF size(kGraphWidth * s, kGraphHeight * s);
    return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
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
    p.drawImage(Target(), m_area);
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
