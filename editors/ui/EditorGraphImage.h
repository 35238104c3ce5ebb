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

}  // namespace fl
