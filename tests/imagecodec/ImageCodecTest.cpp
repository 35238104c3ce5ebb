// Every format written and decoded back by an independent decoder (ImageMagick), pixel for pixel where
// the format is lossless.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "ImageCodec.h"
#include "TestUtil.h"

using namespace fl;

namespace {

Bitmap24 Pattern(int w, int h) {
    Bitmap24 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.Row(y) + 3 * x;
            p[0] = static_cast<uint8_t>(x * 255 / (w - 1));
            p[1] = static_cast<uint8_t>(y * 255 / (h - 1));
            p[2] = static_cast<uint8_t>((x / 8 + y / 8) % 2 ? 0xC7 : 0x11);  // PCX escape values too
        }
    return b;
}

bool HaveConvert() {
    return std::system("command -v convert >/dev/null 2>&1") == 0;
}

// The file decoded to raw 8-bit RGB by ImageMagick.
std::string Decode(const std::string& path) {
    test::TempDir dir;
    const std::string raw = dir / "out.rgb";
    const std::string cmd = "convert '" + path + "' -depth 8 rgb:'" + raw + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return {};
    return test::ReadFile(raw);
}

}  // namespace

TEST(ImageCodec, FormatTableAndNames) {
    struct Case {
        const char* name;
        int id;
    };
    const Case cases[] = {{"a.bmp", 1},       {"a.JPEG", 3}, {"a.jpg", 3},  {"a.png", 4},  {"a.TIF", 6},
                          {"a.tiff", 6},      {"a.tga", 7},  {"a.pcx", 8},  {"a.wmf", 10}, {"a.emf", 10},
                          {"a.jp2", 11},      {"a.j2k", 11}, {"a.jpc", 12}, {"a.j2c", 12}, {"a.pnm", 14},
                          {"a.pgm", 14},      {"a.ppm", 14}, {"a.ras", 15}, {"a.gif", 0},  {"noext", 0},
                          {"dir.v2/noext", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ImageFormatFromName(c.name), c.id) << c.name;
    EXPECT_EQ(ImageFormatTable().size(), 10u);
    EXPECT_EQ(ImageFilterString().substr(0, 16), "Supported files|");
    EXPECT_NE(ImageFilterString().find("|TGA - Truevision Targa|*.tga|"), std::string::npos);
}

TEST(ImageCodec, EveryFormatDecodesBack) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is not installed";
    const Bitmap24 b = Pattern(61, 37);
    test::TempDir dir;
    struct Case {
        const char* file;
        bool lossless;
        bool gray;
    };
    const Case cases[] = {{"p.bmp", true, false}, {"p.png", true, false}, {"p.tif", true, false},
                          {"p.tga", true, false}, {"p.pcx", true, false}, {"p.ppm", true, false},
                          {"p.pgm", true, true},  {"p.ras", true, false}, {"p.jp2", true, false},
                          {"p.j2k", true, false}, {"p.jpg", false, false}};
    for (const auto& c : cases) {
        std::string error;
        ASSERT_TRUE(SaveImage(b, dir / c.file, &error)) << c.file << ": " << error;
        const std::string rgb = Decode(dir / c.file);
        ASSERT_EQ(rgb.size(), b.rgb.size()) << c.file << " did not decode";
        long worst = 0, total = 0;
        for (size_t i = 0; i < rgb.size(); ++i) {
            int expect = b.rgb[i];
            if (c.gray) {
                const size_t p = i - i % 3;
                expect = (299 * b.rgb[p] + 587 * b.rgb[p + 1] + 114 * b.rgb[p + 2] + 500) / 1000;
            }
            const long d = std::labs(static_cast<long>(static_cast<uint8_t>(rgb[i])) - expect);
            worst = std::max(worst, d);
            total += d;
        }
        if (c.lossless)
            EXPECT_EQ(worst, 0) << c.file;
        else
            EXPECT_LT(total / static_cast<long>(rgb.size()), 12) << c.file;  // a hard pattern for JPEG
    }
}

TEST(ImageCodec, FailuresAreClearAndLeaveNoFile) {
    const Bitmap24 b = Pattern(8, 8);
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(SaveImage(b, dir / "x.gif", &error));
    EXPECT_NE(error.find("unknown image format"), std::string::npos);
    EXPECT_FALSE(SaveImage(b, dir / "x.emf", &error));
    EXPECT_FALSE(SaveImage(b, "/nonexistent-folder/x.png", &error));
    EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
    EXPECT_FALSE(SaveImage(Bitmap24(), dir / "empty.png", &error));
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.png"));
    Bitmap24 broken(4, 4);
    broken.rgb.resize(5);
    EXPECT_FALSE(SaveImage(broken, dir / "broken.bmp", &error));
}

TEST(ImageCodec, OddWidthsPadRowsCorrectly) {
    // Row padding differs by format: BMP to 4 bytes, RAS to 2, PCX planes to an even count.
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick is not installed";
    test::TempDir dir;
    for (int w : {1, 2, 3, 5, 7}) {
        const Bitmap24 b = Pattern(std::max(w, 2), 3);
        for (const char* ext : {".bmp", ".ras", ".pcx"}) {
            const std::string path = dir / ("w" + std::to_string(w) + ext);
            ASSERT_TRUE(SaveImage(b, path));
            EXPECT_TRUE(Decode(path) == std::string(b.rgb.begin(), b.rgb.end())) << path;
        }
    }
}

// netpbm as a second, independent reader of the lossless formats.
TEST(ImageCodec, NetpbmReadsTheLosslessFormats) {
    if (std::system("command -v bmptopnm >/dev/null 2>&1") != 0) GTEST_SKIP() << "netpbm is not installed";
    const Bitmap24 b = Pattern(33, 21);
    test::TempDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"n.bmp", "bmptopnm"}, {"n.png", "pngtopnm"},  {"n.tif", "tifftopnm"}, {"n.tga", "tgatoppm"},
        {"n.pcx", "pcxtoppm"}, {"n.ras", "rasttopnm"}, {"n.ppm", "pamtopnm"}};
    const std::string header = "P6\n33 21\n255\n";
    for (auto [file, tool] : cases) {
        ASSERT_TRUE(SaveImage(b, dir / file)) << file;
        const std::string out = dir / (std::string(file) + ".pnm");
        const std::string cmd = std::string(tool) + " '" + (dir / file) + "' > '" + out + "' 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << tool;
        const std::string pnm = test::ReadFile(out);
        ASSERT_EQ(pnm.substr(0, header.size()), header) << file;
        EXPECT_TRUE(pnm.substr(header.size()) == std::string(b.rgb.begin(), b.rgb.end())) << file;
    }
}
