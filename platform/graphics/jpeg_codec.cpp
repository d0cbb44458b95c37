// libjpeg calls for TJPEGImage. libjpeg reports fatal errors through a
// callback that must not return; here it jumps back to the function that
// started the work, which cleans up and answers false. So that the jump
// skips no C++ destructor, every object with one is declared before setjmp,
// and only libjpeg's own C frames lie between setjmp and the jump.
#include <algorithm>
#include <csetjmp>
#include <cstdint>
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
    void (*DefaultEmit)(j_common_ptr, int) = nullptr;
};

// The file's bytes in memory, as libjpeg reads them, noting the scans whose
// data ends before their last block: at the end of the bytes (libjpeg then
// reads an end-of-image marker) or at a marker other than a restart. libjpeg
// warns and goes on, making blocks of nothing.
struct TSource {
    jpeg_source_mgr Public; // first, so that libjpeg's pointer to it is ours too
    bool Ended = false;
    // Scans that ended early, the last of them, and the most rows of blocks
    // any of them had complete then.
    int EarlyScans = 0;
    int LastEarlyScan = 0;
    JDIMENSION EndRow = 0;
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

boolean FillInput(j_decompress_ptr cinfo);

void NoteEarlyEnd(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<TSource*>(cinfo->src);
    source->Ended = true;
    if (source->LastEarlyScan != cinfo->input_scan_number) {
        ++source->EarlyScans;
        source->LastEarlyScan = cinfo->input_scan_number;
    }
    source->EndRow = std::max(source->EndRow, cinfo->input_iMCU_row);
}

// A scan's data that stops at a marker before its last block: a restart
// marker goes on to the next interval, any other ends the scan.
void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->is_decompressor && cinfo->err->msg_code == JWRN_HIT_MARKER) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        const int marker = d->unread_marker;
        if (d->src && d->src->fill_input_buffer == FillInput &&
            !(marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7))
            NoteEarlyEnd(d);
    }
    reinterpret_cast<TErrorManager*>(cinfo->err)->DefaultEmit(cinfo, level);
}

void InstallErrorManager(TErrorManager& err)
{
    jpeg_std_error(&err.Public);
    err.Public.error_exit = ErrorExit;
    err.Public.output_message = OutputMessage;
    err.DefaultEmit = err.Public.emit_message;
    err.Public.emit_message = EmitMessage;
}

bool HeaderAllowed(const jpeg_decompress_struct& cinfo)
{
    return graphicio::SizeAllowed(cinfo.image_width, cinfo.image_height) && cinfo.num_components >= 1 &&
           cinfo.num_components <= 4;
}

const JOCTET FakeEoi[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<TSource*>(cinfo->src);
    // Past the end only while a scan is read: the header's own end is libjpeg's to report.
    if (cinfo->input_scan_number > 0)
        NoteEarlyEnd(cinfo);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source->Public.next_input_byte = FakeEoi;
    source->Public.bytes_in_buffer = 2;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0)
        return;
    while (static_cast<size_t>(count) > source->bytes_in_buffer) {
        count -= static_cast<long>(source->bytes_in_buffer);
        FillInput(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void UseSource(jpeg_decompress_struct& cinfo, TSource& source, const uint8_t* data, size_t size)
{
    source.Public.init_source = InitSource;
    source.Public.fill_input_buffer = FillInput;
    source.Public.skip_input_data = SkipInput;
    source.Public.resync_to_restart = jpeg_resync_to_restart;
    source.Public.term_source = TermSource;
    source.Public.next_input_byte = data;
    source.Public.bytes_in_buffer = size;
    cinfo.src = &source.Public;
}

// Output rows in a row of blocks of every component (an iMCU row), and the
// fewest blocks any component has in one.
JDIMENSION RowsPerBlockRow(const jpeg_decompress_struct& cinfo)
{
    return static_cast<JDIMENSION>(cinfo.max_v_samp_factor) * DCTSIZE;
}

uint64_t FewestBlocksInBlockRow(const jpeg_decompress_struct& cinfo)
{
    uint64_t fewest = UINT64_MAX;
    for (int c = 0; c < cinfo.num_components; ++c)
        fewest = std::min<uint64_t>(fewest, uint64_t(cinfo.comp_info[c].width_in_blocks) *
                                                std::max(cinfo.comp_info[c].v_samp_factor, 1));
    return std::max<uint64_t>(fewest, 1);
}

// The rows of blocks after the one being decoded when the data ran out that
// may still hold some of it: Huffman decoding reads up to 64 bits ahead,
// and every block costs at least one of them.
uint64_t ReadAheadBlockRows(const jpeg_decompress_struct& cinfo)
{
    return 1 + (64 + FewestBlocksInBlockRow(cinfo) - 1) / FewestBlocksInBlockRow(cinfo);
}

// The output rows that the data holds: all, when a scan met so far was read
// whole; else the rows of blocks that the scans cut short reached. Arithmetic
// coding can hold a whole picture in a few bytes: such a file is decoded whole.
JDIMENSION RowsHeld(const jpeg_decompress_struct& cinfo, const TSource& source)
{
    if (!source.Ended || cinfo.input_scan_number > source.EarlyScans || cinfo.arith_code)
        return cinfo.output_height;
    const uint64_t rows = (uint64_t(source.EndRow) + ReadAheadBlockRows(cinfo)) * RowsPerBlockRow(cinfo);
    return static_cast<JDIMENSION>(std::min<uint64_t>(rows, cinfo.output_height));
}

// The rows to make room for before decoding: those held when the data has
// been read already (a file of several scans); for one Huffman-coded scan
// not yet read, those its bytes can hold at two bits a block at least (a DC
// and an end-of-block code).
JDIMENSION RowsThatFit(jpeg_decompress_struct& cinfo, const TSource& source)
{
    if (source.Ended || jpeg_has_multiple_scans(&cinfo))
        return RowsHeld(cinfo, source);
    if (cinfo.arith_code)
        return cinfo.output_height;
    uint64_t blocksInRow = 0;
    for (int c = 0; c < cinfo.num_components; ++c)
        blocksInRow +=
            uint64_t(cinfo.comp_info[c].width_in_blocks) * std::max(cinfo.comp_info[c].v_samp_factor, 1);
    const uint64_t blocks = uint64_t(source.Public.bytes_in_buffer) * 8 / 2;
    const uint64_t blockRows = blocks / std::max<uint64_t>(blocksInRow, 1) + ReadAheadBlockRows(cinfo);
    return static_cast<JDIMENSION>(
        std::min<uint64_t>(blockRows * RowsPerBlockRow(cinfo), cinfo.output_height));
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
    TSource source;
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
    UseSource(cinfo, source, data, size);
    jpeg_read_header(&cinfo, TRUE);
    if (!HeaderAllowed(cinfo)) {
        errorCode = JERR_IMAGE_TOO_BIG;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    // A file of several scans is read whole here; a file of one is read as
    // its rows are asked for.
    jpeg_start_decompress(&cinfo);
    const int width = static_cast<int>(cinfo.output_width);
    const int components = cinfo.output_components;
    if (width != static_cast<int>(cinfo.image_width) || components != (cmyk ? 4 : 3)) {
        errorCode = JERR_CONVERSION_NOTIMPL;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // Room for the rows the data can hold; more is made only if they come.
    JDIMENSION room = RowsThatFit(cinfo, source);
    pixels.Width = width;
    pixels.Pixels.reserve(static_cast<size_t>(width) * room);
    row.resize(static_cast<size_t>(width) * components);
    while (cinfo.output_scanline < cinfo.output_height) {
        if (source.Ended && cinfo.output_scanline >= RowsHeld(cinfo, source))
            break;
        JSAMPROW rows[1] = {row.data()};
        const int y = static_cast<int>(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1)
            break;
        if (static_cast<JDIMENSION>(y) >= room) {
            room = std::min(cinfo.output_height, std::max<JDIMENSION>(2 * room, 1));
            pixels.Pixels.reserve(static_cast<size_t>(width) * room);
        }
        pixels.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(y + 1));
        pixels.Height = y + 1;
        uint32_t* d = &pixels.At(0, y);
        const JSAMPLE* s = row.data();
        for (int x = 0; x < width; ++x, s += components)
            d[x] = cmyk ? CmykToArgb(s, cinfo.saw_Adobe_marker)
                        : 0xFF000000u | (uint32_t(s[0]) << 16) | (uint32_t(s[1]) << 8) | s[2];
    }
    // A file cut short leaves rows unread, which finishing would refuse.
    if (cinfo.output_scanline >= cinfo.output_height)
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
