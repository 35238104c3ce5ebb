// The editor graph's plotting area drawn into an image: grid, overlay, rows, the current row on top. The
// graph widget shows it; fieldlink-cli plot saves it.
#pragma once

#include <QImage>
#include <array>
#include <vector>

#include "EditorGraph.h"

namespace fl {

void DrawEditorGraph(QImage& area, const std::vector<std::array<PixelPoint, 2>>& rows, int current,
                     const std::vector<std::array<PixelPoint, 2>>& overlay);

// The factor table's graph: the dotted 0 dB middle line, the curve from (0, 160) through the points in
// `curveColor`, each point marked by a blue line from the middle and a circle, the current one in red.
void DrawFactorGraph(QImage& area, const std::vector<PixelPoint>& points, int current,
                     const QColor& curveColor);

}  // namespace fl
