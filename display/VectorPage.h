// The page as a vector file: PDF (Qt's PDF writer) or SVG (Qt's SVG generator), drawn by the same routine
// as the screen. The file is written whole or not at all.
#pragma once

#include <string>

#include "PageRenderer.h"

namespace fl {

// True for a name ending in .pdf or .svg (any case).
bool IsVectorPageName(const std::string& path);
// `width` x `height` is the page's size in points (1/72 inch); the page is drawn to fill it.
bool SaveVectorPage(const CMyQuarnDoc& doc, const std::string& path, int width, int height,
                    const RenderOptions& options, std::string* error, bool replace = true);

}  // namespace fl
