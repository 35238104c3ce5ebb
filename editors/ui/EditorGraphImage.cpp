#include "EditorGraphImage.h"

#include <QPainter>

namespace fl {

namespace {

// 10 columns of 41 pixels, 8 rows of 40; the middle lines 2 pixels wide.
void DrawGrid(QPainter& p, bool middleHorizontal) {
    const QColor grid(230, 230, 230);
    for (int i = 1; i < 10; ++i) {
        p.setPen(QPen(grid, i == 5 ? 2 : 1));
        p.drawLine(41 * i, 0, 41 * i, kGraphHeight);
    }
    for (int k = 1; k < 8; ++k) {
        if (k == 4 && !middleHorizontal) continue;
        p.setPen(QPen(grid, k == 4 ? 2 : 1));
        p.drawLine(0, 40 * k, kGraphWidth, 40 * k);
    }
}

}  // namespace

void DrawEditorGraph(QImage& area, const std::vector<std::array<PixelPoint, 2>>& rows, int current,
                     const std::vector<std::array<PixelPoint, 2>>& overlay) {
    area.fill(Qt::white);
    QPainter p(&area);
    DrawGrid(p, true);
    p.setPen(QPen(Qt::black, 2));
    for (const auto& l : overlay)
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
    for (size_t i = 0; i < rows.size(); ++i)
        if (static_cast<int>(i) + 1 != current) row(rows[i], QColor(0, 0, 255));
    if (current >= 1 && current <= static_cast<int>(rows.size()))
        row(rows[static_cast<size_t>(current - 1)], QColor(255, 0, 0));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, kGraphWidth - 1, kGraphHeight - 1);
}

void DrawFactorGraph(QImage& area, const std::vector<PixelPoint>& points, int current,
                     const QColor& curveColor) {
    area.fill(Qt::white);
    QPainter p(&area);
    DrawGrid(p, false);  // the 0 dB line takes the middle horizontal line's place
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawLine(0, 160, kGraphWidth, 160);
    p.setPen(QPen(curveColor, 2));
    PixelPoint prev{0, 160};
    for (const PixelPoint& pt : points) {
        p.drawLine(prev.x, prev.y, pt.x, pt.y);
        prev = pt;
    }
    p.setRenderHint(QPainter::Antialiasing);
    auto mark = [&](const PixelPoint& pt, const QColor& c) {
        p.setPen(QPen(c, 2));
        p.setBrush(c);
        p.drawLine(pt.x, 160, pt.x, pt.y);
        p.drawEllipse(QPointF(pt.x, pt.y), 4, 4);
    };
    for (size_t i = 0; i < points.size(); ++i)
        if (static_cast<int>(i) + 1 != current) mark(points[i], QColor(0, 0, 255));
    if (current >= 1 && current <= static_cast<int>(points.size()))
        mark(points[static_cast<size_t>(current - 1)], QColor(255, 0, 0));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, kGraphWidth - 1, kGraphHeight - 1);
}

}  // namespace fl
