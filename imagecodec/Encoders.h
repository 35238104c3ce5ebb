// One encoder per format; each returns the whole file or fails with a message.
#pragma once

#include <string>

#include "ImageCodec.h"

namespace fl::codec {

std::string Bmp(const Bitmap24& b);
std::string Pcx(const Bitmap24& b);
std::string Pnm(const Bitmap24& b, bool gray);
std::string Ras(const Bitmap24& b);
std::string Tga(const Bitmap24& b);
bool Png(const Bitmap24& b, std::string& out, std::string& error);
bool Jpeg(const Bitmap24& b, int quality, std::string& out, std::string& error);
bool Tiff(const Bitmap24& b, std::string& out, std::string& error);
bool Jpeg2000(const Bitmap24& b, bool codestream, std::string& out, std::string& error);

}  // namespace fl::codec
