#include "ImageCodec.h"

#include <algorithm>
#include <cctype>

namespace fl {

const std::vector<ImageFormatRow>& ImageFormatTable() {
    static const std::vector<ImageFormatRow> rows = {
        {-1, "Supported files",
         "*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.tga;*.pcx;*.j2k;*.jp2;*.jpc;*.pgm;*.ppm;*.ras"},
        {IMG_BMP, "BMP - Windows Bitmap", "*.bmp"},
        {IMG_JPG, "JPG/JPEG - JPG Files", "*.jpg;*.jpeg"},
        {IMG_JP2, "JP2/J2K - JPEG2000 File Format", "*.jp2;*.j2k"},
        {IMG_PCX, "PCX - Zsoft Paintbrush Files", "*.pcx"},
        {IMG_PNG, "PNG - Portable Network Graphics", "*.png"},
        {IMG_PNM, "PPM/PGM - Portable Bitmaps", "*.ppm;*.pgm"},
        {IMG_RAS, "RAS - Sun Raster Files", "*.ras"},
        {IMG_TIF, "TIF/TIFF - Tagged Image File Format", "*.tif;*.tiff"},
        {IMG_TGA, "TGA - Truevision Targa", "*.tga"},
    };
    return rows;
}

std::string ImageFilterString() {
    std::string f;
    for (const auto& r : ImageFormatTable())
        f += std::string(r.description) + "|" + r.pattern + "|";
    return f;
}

int ImageFormatFromName(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return IMG_NONE;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "bmp") return IMG_BMP;
    if (ext == "jpg" || ext == "jpeg") return IMG_JPG;
    if (ext == "png") return IMG_PNG;
    if (ext == "tiff" || ext == "tif") return IMG_TIF;
    if (ext == "tga") return IMG_TGA;
    if (ext == "pcx") return IMG_PCX;
    if (ext == "wmf" || ext == "emf") return IMG_WMF;
    if (ext == "jp2" || ext == "j2k") return IMG_JP2;
    if (ext == "jpc" || ext == "j2c") return IMG_J2K;
    if (ext == "pnm" || ext == "pgm" || ext == "ppm") return IMG_PNM;
    if (ext == "ras") return IMG_RAS;
    return IMG_NONE;
}

}  // namespace fl
