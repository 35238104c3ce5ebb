// The formats simple enough to write directly: BMP, PCX, PPM/PGM, Sun raster and Targa.
#include "Encoders.h"

#include <cstring>

namespace fl::codec {

namespace {
void Put16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put32BE(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
// One row as blue, green, red bytes, padded with zeros to `stride` bytes.
void PutBgrRow(std::string& s, const uint8_t* row, int width, uint32_t stride) {
    for (int x = 0; x < width; ++x) {
        s.push_back(static_cast<char>(row[3 * x + 2]));
        s.push_back(static_cast<char>(row[3 * x + 1]));
        s.push_back(static_cast<char>(row[3 * x]));
    }
    s.append(stride - static_cast<uint32_t>(width) * 3, '\0');
}
}  // namespace

std::string Bmp(const Bitmap24& b) {
    const uint32_t stride = (static_cast<uint32_t>(b.width) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(b.height);
    std::string s;
    s.reserve(54 + imageSize);
    s += "BM";
    Put32(s, 54 + imageSize);
    Put32(s, 0);
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, static_cast<uint32_t>(b.width));
    Put32(s, static_cast<uint32_t>(b.height));  // positive: rows bottom-up
    Put16(s, 1);
    Put16(s, 24);
    Put32(s, 0);
    Put32(s, imageSize);
    Put32(s, 2835);  // 72 dpi
    Put32(s, 2835);
    Put32(s, 0);
    Put32(s, 0);
    for (int y = b.height - 1; y >= 0; --y)
        PutBgrRow(s, b.Row(y), b.width, stride);
    return s;
}

std::string Pcx(const Bitmap24& b) {
    // Version 5, run-length encoded, three 8-bit planes per line (R, G, B), an even number of bytes each.
    const int bytesPerLine = (b.width + 1) & ~1;
    std::string s(128, '\0');
    s[0] = 10;
    s[1] = 5;
    s[2] = 1;
    s[3] = 8;
    auto put16at = [&](size_t at, uint16_t v) {
        s[at] = static_cast<char>(v & 0xFF);
        s[at + 1] = static_cast<char>(v >> 8);
    };
    put16at(8, static_cast<uint16_t>(b.width - 1));
    put16at(10, static_cast<uint16_t>(b.height - 1));
    put16at(12, 72);
    put16at(14, 72);
    s[65] = 3;
    put16at(66, static_cast<uint16_t>(bytesPerLine));
    put16at(68, 1);
    std::vector<uint8_t> plane(static_cast<size_t>(bytesPerLine));
    for (int y = 0; y < b.height; ++y) {
        const uint8_t* row = b.Row(y);
        for (int c = 0; c < 3; ++c) {
            for (int x = 0; x < bytesPerLine; ++x)
                plane[static_cast<size_t>(x)] = x < b.width ? row[3 * x + c] : 0;
            for (size_t i = 0; i < plane.size();) {
                size_t run = 1;
                while (i + run < plane.size() && run < 63 && plane[i + run] == plane[i])
                    ++run;
                if (run > 1 || (plane[i] & 0xC0) == 0xC0) s.push_back(static_cast<char>(0xC0 | run));
                s.push_back(static_cast<char>(plane[i]));
                i += run;
            }
        }
    }
    return s;
}

std::string Pnm(const Bitmap24& b, bool gray) {
    std::string s = std::string(gray ? "P5\n" : "P6\n") + std::to_string(b.width) + " " +
                    std::to_string(b.height) + "\n255\n";
    if (!gray) return s + std::string(reinterpret_cast<const char*>(b.rgb.data()), b.rgb.size());
    s.reserve(s.size() + static_cast<size_t>(b.width) * b.height);
    for (size_t i = 0; i + 2 < b.rgb.size(); i += 3) {
        // ITU-R BT.601 luma, rounded.
        const int y = (299 * b.rgb[i] + 587 * b.rgb[i + 1] + 114 * b.rgb[i + 2] + 500) / 1000;
        s.push_back(static_cast<char>(y));
    }
    return s;
}

std::string Ras(const Bitmap24& b) {
    const uint32_t stride = (static_cast<uint32_t>(b.width) * 3 + 1) & ~1u;  // rows padded to 16 bits
    std::string s;
    Put32BE(s, 0x59a66a95);
    Put32BE(s, static_cast<uint32_t>(b.width));
    Put32BE(s, static_cast<uint32_t>(b.height));
    Put32BE(s, 24);
    Put32BE(s, stride * static_cast<uint32_t>(b.height));
    Put32BE(s, 1);  // standard type: BGR
    Put32BE(s, 0);
    Put32BE(s, 0);
    for (int y = 0; y < b.height; ++y)
        PutBgrRow(s, b.Row(y), b.width, stride);
    return s;
}

std::string Tga(const Bitmap24& b) {
    std::string s(18, '\0');
    s[2] = 2;  // uncompressed true colour
    s[12] = static_cast<char>(b.width & 0xFF);
    s[13] = static_cast<char>(b.width >> 8);
    s[14] = static_cast<char>(b.height & 0xFF);
    s[15] = static_cast<char>(b.height >> 8);
    s[16] = 24;
    s[17] = 0x20;  // rows top-down
    s.reserve(18 + b.rgb.size());
    for (size_t i = 0; i + 2 < b.rgb.size(); i += 3) {
        s.push_back(static_cast<char>(b.rgb[i + 2]));
        s.push_back(static_cast<char>(b.rgb[i + 1]));
        s.push_back(static_cast<char>(b.rgb[i]));
    }
    return s;
}

}  // namespace fl::codec
