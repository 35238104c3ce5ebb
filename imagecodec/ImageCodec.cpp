#include "ImageCodec.h"

#include <algorithm>
#include <cctype>

#include "Encoders.h"
#include "FileIo.h"

namespace fl {

bool EncodeImage(const Bitmap24& b, int id, const std::string& ext, std::string& out, std::string* error) {
    std::string err;
    if (b.width <= 0 || b.height <= 0 || b.width > 65535 || b.height > 65535 ||
        b.rgb.size() != static_cast<size_t>(b.width) * static_cast<size_t>(b.height) * 3) {
        if (error) *error = "The picture is empty or malformed.";
        return false;
    }
    std::string e = ext;
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return std::tolower(c); });
    bool ok = true;
    switch (id) {
        case IMG_BMP:
            out = codec::Bmp(b);
            break;
        case IMG_PCX:
            out = codec::Pcx(b);
            break;
        case IMG_PNM:
            out = codec::Pnm(b, e == "pgm");
            break;
        case IMG_RAS:
            out = codec::Ras(b);
            break;
        case IMG_TGA:
            out = codec::Tga(b);
            break;
        case IMG_PNG:
            ok = codec::Png(b, out, err);
            break;
        case IMG_JPG:
            ok = codec::Jpeg(b, 90, out, err);
            break;
        case IMG_TIF:
            ok = codec::Tiff(b, out, err);
            break;
        case IMG_JP2:
            ok = codec::Jpeg2000(b, e == "j2k", out, err);
            break;
        case IMG_J2K:
            ok = codec::Jpeg2000(b, true, out, err);
            break;
        default:
            ok = false;
            err = "This image format cannot be written.";
    }
    if (!ok && error) *error = err;
    return ok;
}

bool SaveImage(const Bitmap24& bitmap, const std::string& path, std::string* error, bool replace) {
    const int id = ImageFormatFromName(path);
    if (id == IMG_NONE || id == IMG_WMF) {
        if (error)
            *error = path +
                     ": unknown image format (use .bmp, .jpg, .jp2, .j2k, .pcx, .png, .ppm, .pgm, .ras, .tga "
                     "or .tif)";
        return false;
    }
    const size_t dot = path.rfind('.');
    std::string bytes;
    if (!EncodeImage(bitmap, id, path.substr(dot + 1), bytes, error)) return false;
    return WriteWholeFileAtomically(path, bytes, error, replace);
}

}  // namespace fl
