#include "PageImage.h"

#include <cstring>

namespace fl {

Bitmap24 ToBitmap24(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Bitmap24 b(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(b.Row(y), rgb.constScanLine(y), static_cast<size_t>(rgb.width()) * 3);
    return b;
}

}  // namespace fl
