// The formats written through their libraries: PNG (libpng), JPEG (libjpeg-turbo), TIFF (libtiff) and
// JPEG 2000 (OpenJPEG). TIFF and JPEG 2000 go through a temporary file that is read back.
#include <png.h>
#include <zlib.h>

#include <stdio.h>
#include <tiffio.h>
#include <unistd.h>
#include <algorithm>
#include <thread>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern "C" {
#include <jpeglib.h>
}
#include <openjpeg.h>

#include "Encoders.h"

namespace fl::codec {

namespace {

std::string TempPath(const char* suffix) {
    char tmpl[] = "/tmp/fieldlink-img-XXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd >= 0) close(fd);
    std::string p = tmpl;
    std::remove(p.c_str());
    return p + suffix;
}

bool ReadBack(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    std::remove(path.c_str());
    return static_cast<bool>(in) || !out.empty();
}

}  // namespace

bool Png(const Bitmap24& b, std::string& out, std::string& error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        error = "PNG: out of memory";
        return false;
    }
    out.clear();
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "PNG: the encoder failed";
        return false;
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), n);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(b.width), static_cast<png_uint_32>(b.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Page images are large flat areas and thin lines: zlib level 3 with the "Up" filter gives files within
    // a few percent of the default settings' at a quarter of the time.
    png_set_compression_level(png, 3);
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_write_info(png, info);
    for (int y = 0; y < b.height; ++y)
        png_write_row(png, const_cast<png_bytep>(b.Row(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

namespace {
struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};
}  // namespace

bool Jpeg(const Bitmap24& b, int quality, std::string& out, std::string& error) {
    jpeg_compress_struct c{};
    JpegError err{};
    c.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr info) { longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); };
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        free(buffer);
        error = "JPEG: the encoder failed";
        return false;
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = static_cast<JDIMENSION>(b.width);
    c.image_height = static_cast<JDIMENSION>(b.height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(b.Row(static_cast<int>(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    out.assign(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&c);
    free(buffer);
    return true;
}

bool Tiff(const Bitmap24& b, std::string& out, std::string& error) {
    const std::string path = TempPath(".tif");
    TIFFSetWarningHandler(nullptr);
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) {
        error = "TIFF: cannot create the file";
        return false;
    }
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(b.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(b.height));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    bool ok = true;
    for (int y = 0; y < b.height && ok; ++y)
        ok = TIFFWriteScanline(t, const_cast<uint8_t*>(b.Row(y)), static_cast<uint32_t>(y), 0) >= 0;
    TIFFClose(t);
    if (!ok) {
        std::remove(path.c_str());
        error = "TIFF: the encoder failed";
        return false;
    }
    return ReadBack(path, out);
}

bool Jpeg2000(const Bitmap24& b, bool codestream, std::string& out, std::string& error) {
    opj_image_cmptparm_t params[3];
    std::memset(params, 0, sizeof params);
    for (auto& p : params) {
        p.prec = 8;
        p.sgnd = 0;
        p.dx = p.dy = 1;
        p.w = static_cast<OPJ_UINT32>(b.width);
        p.h = static_cast<OPJ_UINT32>(b.height);
    }
    opj_image_t* image = opj_image_create(3, params, OPJ_CLRSPC_SRGB);
    if (!image) {
        error = "JPEG 2000: out of memory";
        return false;
    }
    image->x1 = static_cast<OPJ_UINT32>(b.width);
    image->y1 = static_cast<OPJ_UINT32>(b.height);
    const size_t n = static_cast<size_t>(b.width) * static_cast<size_t>(b.height);
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c)
            image->comps[c].data[i] = b.rgb[3 * i + static_cast<size_t>(c)];
    opj_cparameters_t cp;
    opj_set_default_encoder_parameters(&cp);
    cp.tcp_numlayers = 1;
    cp.tcp_rates[0] = 0;  // lossless (reversible 5/3 wavelet)
    cp.cp_disto_alloc = 1;
    cp.irreversible = 0;
    cp.tcp_mct = 1;
    opj_codec_t* codec = opj_create_compress(codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
    const std::string path = TempPath(codestream ? ".j2k" : ".jp2");
    bool ok = codec && opj_setup_encoder(codec, &cp, image);
    // The code blocks are independent: let OpenJPEG use every core.
    if (ok) opj_codec_set_threads(codec, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    opj_stream_t* stream = ok ? opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE) : nullptr;
    ok = ok && stream && opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
         opj_end_compress(codec, stream);
    if (stream) opj_stream_destroy(stream);
    if (codec) opj_destroy_codec(codec);
    opj_image_destroy(image);
    if (!ok) {
        std::remove(path.c_str());
        error = "JPEG 2000: the encoder failed";
        return false;
    }
    return ReadBack(path, out);
}

}  // namespace fl::codec
