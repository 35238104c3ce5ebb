// The graph of the editors: a 410 x 320 plotting area drawn off-screen and shown in one step, scaled to
// the widget; pointer positions are handed on in the area's own pixels, whatever the widget's size.
#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "EditorGraph.h"

namespace fl {

class EditorGraphWidget : public QWidget {
    Q_OBJECT
  public:
    explicit EditorGraphWidget(QWidget* parent = nullptr);

    // What to draw: each row's segment (both end points marked), the current row (1-based, 0 none) and
    // the overlay lines.
    void SetContent(std::vector<std::array<PixelPoint, 2>> rows, int current,
                    std::vector<std::array<PixelPoint, 2>> overlay);
    // The factor table's graph instead of segments.
    void SetFactorContent(std::vector<PixelPoint> points, int current, const QColor& curve);
    // Labels beside the area: nine levels from the top line down, and three along the bottom (left,
    // middle, right). Empty lists: none, and the area takes the whole widget.
    void SetAxisLabels(QStringList levels, QStringList bottom);
    // The plotting area as last drawn (410 x 320 pixels).
    const QImage& Area() const { return m_area; }
    // The widget point of an area pixel, and back.
    QPointF WidgetPoint(double ax, double ay) const;
    QPointF AreaPoint(const QPointF& widget) const;

    // Pointer in area pixels: moved (button held or not), pressed and released with the left button.
    std::function<bool(QPointF area, bool held)> moved;  // returns whether a point is under the pointer
    std::function<void(QPointF area)> pressed;
    std::function<void(QPointF area)> released;

    QSize sizeHint() const override { return {410, 320}; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void Draw();
    QRectF Target() const;
    std::vector<std::array<PixelPoint, 2>> m_rows, m_overlay;
    QStringList m_levels, m_bottom;
    bool m_factor = false;
    std::vector<PixelPoint> m_points;
    QColor m_curve;
    int m_current = 0;
    QImage m_area;
    bool m_held = false;
};

}  // namespace fl
