// 24-bit bitmaps saved as BMP, JPEG, JPEG 2000, PCX, PNG, PPM/PGM, Sun raster, Targa or TIFF files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fl {

// Top-down rows of red, green, blue bytes, no padding.
struct Bitmap24 {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    Bitmap24() = default;
    Bitmap24(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3) {}
    uint8_t* Row(int y) { return rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3; }
    const uint8_t* Row(int y) const {
        return rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
    }
};

// The image formats by their ids: 0 none, 1 BMP, 3 JPEG, 4 PNG, 6 TIFF, 7 TGA, 8 PCX, 10 WMF/EMF (named
// only), 11 JPEG 2000 file, 12 JPEG 2000 code stream, 14 PNM (PPM/PGM), 15 Sun raster.
enum ImageFormatId {
    IMG_NONE = 0,
    IMG_BMP = 1,
    IMG_JPG = 3,
    IMG_PNG = 4,
    IMG_TIF = 6,
    IMG_TGA = 7,
    IMG_PCX = 8,
    IMG_WMF = 10,
    IMG_JP2 = 11,
    IMG_J2K = 12,
    IMG_PNM = 14,
    IMG_RAS = 15
};

struct ImageFormatRow {
    int id;
    const char* description;
    const char* pattern;
};
// The save dialog's rows, "Supported files" first.
const std::vector<ImageFormatRow>& ImageFormatTable();
// "description|pattern|" over every row.
std::string ImageFilterString();
// The text after the last '.', lower-cased and mapped to a format id; 0 when unknown.
int ImageFormatFromName(const std::string& path);

// Saves the bitmap to `path` in the format of its extension. Fails with a message for an unknown or
// unwritable format, an empty bitmap or a file that cannot be written; never leaves a partial file.
bool SaveImage(const Bitmap24& bitmap, const std::string& path, std::string* error = nullptr,
               bool replace = true);
// The encoded bytes of one format (`extension` chooses PPM or PGM, JP2 or code stream).
bool EncodeImage(const Bitmap24& bitmap, int formatId, const std::string& extension, std::string& out,
                 std::string* error = nullptr);

}  // namespace fl
