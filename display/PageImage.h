// The page as a 24-bit bitmap for the image codecs.
#pragma once

#include <QImage>

#include "ImageCodec.h"

namespace fl {

Bitmap24 ToBitmap24(const QImage& image);

}  // namespace fl
