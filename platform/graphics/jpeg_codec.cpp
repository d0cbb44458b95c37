// libjpeg calls for TJPEGImage. libjpeg reports fatal errors through a
// callback that must not return; here it jumps back to the function that
// started the work, which cleans up and answers false. So that the jump
// skips no C++ destructor, every object with one is declared before setjmp,
// and only libjpeg's own C frames lie between setjmp and the jump.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/graphics/graphic.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/jpeg.h"

namespace jpegcodec {

namespace {

// Progressive files can hold any number of scans, each a pass over the whole
// picture; damaged or hostile ones with thousands of them are refused.
constexpr int MaxScans = 1000;
constexpr long MaxLibjpegMemory = 512L << 20;

struct TErrorManager {
    jpeg_error_mgr Public; // first, so that libjpeg's pointer to it is ours too
    jmp_buf Jump;
};

void ErrorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<TErrorManager*>(cinfo->err)->Jump, 1);
}

void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MaxScans) {
        cinfo->err->msg_code = JERR_BAD_PROGRESSION;
        cinfo->err->error_exit(cinfo);
    }
}

void InstallErrorManager(TErrorManager& err)
{
    jpeg_std_error(&err.Public);
    err.Public.error_exit = ErrorExit;
    err.Public.output_message = OutputMessage;
}

bool HeaderAllowed(const jpeg_decompress_struct& cinfo)
{
    return graphicio::SizeAllowed(cinfo.image_width, cinfo.image_height) && cinfo.num_components >= 1 &&
           cinfo.num_components <= 4;
}

// CMYK samples as Adobe writes them (inverted) or plain, to opaque RGB.
uint32_t CmykToArgb(const JSAMPLE* s, bool inverted)
{
    unsigned c = s[0], m = s[1], y = s[2], k = s[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return 0xFF000000u | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
}

} // namespace

bool ReadHeader(const uint8_t* data, size_t size, int& width, int& height, bool& grayscale, int& errorCode)
{
    jpeg_decompress_struct cinfo;
    TErrorManager err;
    cinfo.err = &err.Public;
    InstallErrorManager(err);
    if (setjmp(err.Jump)) {
        errorCode = err.Public.msg_code;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    bool ok = HeaderAllowed(cinfo);
    width = static_cast<int>(cinfo.image_width);
    height = static_cast<int>(cinfo.image_height);
    grayscale = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    errorCode = ok ? 0 : JERR_IMAGE_TOO_BIG;
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

bool Decode(const uint8_t* data, size_t size, TPixelBuffer& out, int& errorCode)
{
    jpeg_decompress_struct cinfo;
    TErrorManager err;
    jpeg_progress_mgr progress;
    TPixelBuffer pixels;
    std::vector<JSAMPLE> row;
    cinfo.err = &err.Public;
    InstallErrorManager(err);
    progress.progress_monitor = ProgressMonitor;
    if (setjmp(err.Jump)) {
        errorCode = err.Public.msg_code;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    cinfo.mem->max_memory_to_use = MaxLibjpegMemory;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (!HeaderAllowed(cinfo)) {
        errorCode = JERR_IMAGE_TOO_BIG;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int width = static_cast<int>(cinfo.output_width);
    const int components = cinfo.output_components;
    if (width != static_cast<int>(cinfo.image_width) || components != (cmyk ? 4 : 3)) {
        errorCode = JERR_CONVERSION_NOTIMPL;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    pixels = TPixelBuffer(width, static_cast<int>(cinfo.output_height), 0xFFFFFFFFu);
    row.resize(static_cast<size_t>(width) * components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row.data()};
        int y = static_cast<int>(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1)
            break;
        uint32_t* d = &pixels.At(0, y);
        const JSAMPLE* s = row.data();
        for (int x = 0; x < width; ++x, s += components)
            d[x] = cmyk ? CmykToArgb(s, cinfo.saw_Adobe_marker)
                        : 0xFF000000u | (uint32_t(s[0]) << 16) | (uint32_t(s[1]) << 8) | s[2];
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out = std::move(pixels);
    errorCode = 0;
    return true;
}

bool Encode(const TPixelBuffer& pixels, int quality, std::vector<uint8_t>& out, int& errorCode,
            uint32_t background)
{
    if (pixels.Empty())
        return false;
    struct TDestination {
        unsigned char* Buffer = nullptr;
        unsigned long Size = 0;
    } dest;
    jpeg_compress_struct cinfo;
    TErrorManager err;
    std::vector<JSAMPLE> row(static_cast<size_t>(pixels.Width) * 3);
    cinfo.err = &err.Public;
    InstallErrorManager(err);
    if (setjmp(err.Jump)) {
        errorCode = err.Public.msg_code;
        jpeg_destroy_compress(&cinfo);
        std::free(dest.Buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &dest.Buffer, &dest.Size);
    cinfo.image_width = static_cast<JDIMENSION>(pixels.Width);
    cinfo.image_height = static_cast<JDIMENSION>(pixels.Height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint32_t* s = pixels.Pixels.data() + static_cast<size_t>(cinfo.next_scanline) * pixels.Width;
        for (int x = 0; x < pixels.Width; ++x) {
            uint32_t px = graphicio::OverBackground(s[x], background);
            row[3 * x] = static_cast<JSAMPLE>(px >> 16);
            row[3 * x + 1] = static_cast<JSAMPLE>(px >> 8);
            row[3 * x + 2] = static_cast<JSAMPLE>(px);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    out.assign(dest.Buffer, dest.Buffer + dest.Size);
    jpeg_destroy_compress(&cinfo);
    std::free(dest.Buffer);
    errorCode = 0;
    return true;
}

} // namespace jpegcodec
