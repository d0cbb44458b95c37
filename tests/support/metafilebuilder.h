// Metafiles built record by record for tests, benchmarks and fuzz seeds:
// old-format (WMF) files with or without their placeable header, enhanced
// (EMF) files with their header and end record, and the hostile pictures
// that a file of at most 64 KiB can hold (thousands of full-frame shapes, a
// polyline of thousands of points drawn with a pen as wide as the frame, a
// star polygon, a small frame shown very large) wrapped in RTF.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"

namespace metafilebuilder {

inline void Put16(std::string& s, uint32_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

inline void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

inline std::string Word(int v)
{
    std::string s;
    Put16(s, static_cast<uint16_t>(v));
    return s;
}

// An old-format metafile built record by record. With a placeable header its
// frame is (0, 0) - (Right, Bottom) at Inch units per inch.
class TWmfBuilder {
public:
    TWmfBuilder(int right, int bottom, int inch, int objects)
        : FRight(right), FBottom(bottom), FInch(inch), FObjects(objects)
    {}
    // A record of 16-bit parameter words and then bytes (padded to a word).
    TWmfBuilder& Record(uint16_t function, const std::vector<int>& words,
                        const std::string& bytes = std::string())
    {
        std::string r;
        const size_t size = 3 + words.size() + (bytes.size() + 1) / 2;
        Put32(r, static_cast<uint32_t>(size));
        Put16(r, function);
        for (int w : words)
            Put16(r, static_cast<uint16_t>(w));
        r += bytes;
        if (bytes.size() % 2)
            r += '\0';
        FRecords += r;
        ++FCount;
        return *this;
    }
    // Raw bytes appended as they are (damaged records).
    TWmfBuilder& Raw(const std::string& bytes)
    {
        FRecords += bytes;
        return *this;
    }
    size_t RecordBytes() const { return FRecords.size(); }
    int Records() const { return FCount; }
    // The file: placeable header (unless left out), metafile header, the
    // records and the end record (unless left out).
    std::string Bytes(bool withEnd = true, bool placeable = true) const
    {
        std::string f;
        if (placeable) {
            const uint16_t header[10] = {
                0xCDD7, 0x9AC6, 0, 0, 0, uint16_t(FRight), uint16_t(FBottom), uint16_t(FInch), 0, 0};
            uint16_t checksum = 0;
            for (uint16_t w : header) {
                Put16(f, w);
                checksum ^= w;
            }
            Put16(f, checksum);
        }
        std::string records = FRecords;
        if (withEnd)
            records += std::string("\x03\0\0\0\0\0", 6);
        Put16(f, 1);
        Put16(f, 9);
        Put16(f, 0x300);
        Put32(f, static_cast<uint32_t>(9 + records.size() / 2));
        Put16(f, static_cast<uint16_t>(FObjects));
        Put32(f, 0);
        Put16(f, 0);
        return f + records;
    }

private:
    int FRight, FBottom, FInch, FObjects;
    int FCount = 0;
    std::string FRecords;
};

// An enhanced metafile built record by record: its frame is (0, 0) -
// (Width, Height) pixels of a reference device of 96 pixels an inch.
class TEmfBuilder {
public:
    TEmfBuilder(int width, int height, int handles = 8) : FWidth(width), FHeight(height), FHandles(handles) {}
    // A record of 32-bit values and then bytes (padded to four).
    TEmfBuilder& Record(uint32_t type, const std::vector<int32_t>& values,
                        const std::string& bytes = std::string())
    {
        std::string r;
        const size_t size = 8 + 4 * values.size() + (bytes.size() + 3) / 4 * 4;
        Put32(r, type);
        Put32(r, static_cast<uint32_t>(size));
        for (int32_t v : values)
            Put32(r, static_cast<uint32_t>(v));
        r += bytes;
        r.append((4 - bytes.size() % 4) % 4, '\0');
        FRecords += r;
        ++FCount;
        return *this;
    }
    TEmfBuilder& Raw(const std::string& bytes)
    {
        FRecords += bytes;
        return *this;
    }
    size_t RecordBytes() const { return FRecords.size(); }
    std::string Bytes(bool withEnd = true) const
    {
        std::string records = FRecords;
        if (withEnd) {
            Put32(records, 14);
            Put32(records, 20);
            Put32(records, 0);
            Put32(records, 0x10);
            Put32(records, 20);
        }
        std::string f;
        Put32(f, 1);
        Put32(f, 88);
        for (int32_t v : {0, 0, FWidth - 1, FHeight - 1}) // bounds, device pixels
            Put32(f, static_cast<uint32_t>(v));
        for (int32_t v : {0, 0, FWidth * 2540 / 96, FHeight * 2540 / 96}) // frame, 0.01 mm
            Put32(f, static_cast<uint32_t>(v));
        Put32(f, 0x464D4520u);
        Put32(f, 0x10000);
        Put32(f, static_cast<uint32_t>(88 + records.size()));
        Put32(f, static_cast<uint32_t>(FCount + 2));
        Put16(f, static_cast<uint16_t>(FHandles));
        Put16(f, 0);
        Put32(f, 0); // no description
        Put32(f, 0);
        Put32(f, 0); // no palette
        // A reference device of 96 pixels an inch: 1000 x 1000 pixels over
        // 264.58 x 264.58 mm.
        Put32(f, 1000);
        Put32(f, 1000);
        Put32(f, 265);
        Put32(f, 265);
        return f + records;
    }

private:
    int32_t FWidth, FHeight, FHandles;
    int FCount = 0;
    std::string FRecords;
};

// An old-format metafile without its placeable header given one of the
// frame (0, 0) - (Right, Bottom) at Inch units per inch.
inline std::string WithPlaceable(int right, int bottom, int inch, const std::string& wmf)
{
    return TWmfBuilder(right, bottom, inch, 0).Bytes(false).substr(0, 22) + wmf;
}

// The number of records of an old-format metafile without its placeable
// header, its end record left out.
inline int WmfRecords(const std::string& wmf)
{
    int count = 0;
    for (size_t at = 18; at + 6 <= wmf.size();) {
        const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(wmf[i])); };
        const size_t size = 2 * (byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24);
        if (size < 6 || (byte(at + 4) == 0 && byte(at + 5) == 0))
            break;
        ++count;
        at += size;
    }
    return count;
}

// The number of records of an enhanced metafile, its header and end record
// left out.
inline int EmfRecords(const std::string& emf)
{
    int count = 0;
    for (size_t at = 0; at + 8 <= emf.size();) {
        const auto word = [&](size_t i) {
            uint32_t v = 0;
            for (int k = 3; k >= 0; --k)
                v = v << 8 | static_cast<unsigned char>(emf[i + k]);
            return v;
        };
        const uint32_t type = word(at), size = word(at + 4);
        if (size < 8 || type == 14)
            break;
        count += type != 1;
        at += size;
    }
    return count;
}

// ---------------------------------------------------------------------------
// Hostile pictures: what a file of at most 64 KiB can ask to be drawn.

// The side of the largest frame a picture may have (5792 x 5792 pixels is
// the most pixels a picture may hold).
constexpr int HostileSide = 5792;

// Shapes across the whole frame, one polyline or polygon of thousands of
// points, whole-frame raster operations, flood fills and clip regions of
// thousands of rectangles, or (old format only) text in hundreds of fonts,
// each of a size and weight of its own.
enum class THostileShape {
    Rectangles,
    Ellipses,
    WidePolyline,
    StarPolygon,
    PatternInversions,
    FloodFills,
    ClipRegions,
    TextSizes,
    PatternBrushes
};

// A pattern brush's packed bitmap that claims Side x Side pixels of 8 bits
// in a few runs of its first colour (about 100 bytes, run-length coded).
inline std::string ClaimingPatternDib(int side)
{
    std::string dib;
    for (uint32_t v : {40u, uint32_t(side), uint32_t(side), 0x00080001u, 1u, 0u, 0u, 0u, 2u, 0u})
        Put32(dib, v);
    Put32(dib, 0x0000FF);
    Put32(dib, 0xFFFFFF);
    for (int run = 0; run < 24; ++run)
        dib += std::string("\xFF\x01", 2);
    return dib + std::string("\x00\x01", 2);
}

// An old-format metafile without its placeable header (as RTF holds one) of
// one of the hostile kinds, in a window of Side x Side units, its records
// taking about RecordBytes bytes.
inline std::string HostileWmf(THostileShape shape, int side, size_t recordBytes)
{
    TWmfBuilder b(side, side, 96, shape == THostileShape::TextSizes ? 3 : 2);
    b.Record(0x020B, {0, 0}).Record(0x020C, {side, side}); // window origin and extent
    const bool wide = shape == THostileShape::WidePolyline;
    b.Record(0x02FA, {0, wide ? side : 1, 0, 0x0000, 0x0080}); // pen
    b.Record(0x02FC, {0, 0x00FF, 0x0000, 0});                  // red brush
    b.Record(0x012D, {0}).Record(0x012D, {1});
    if (shape == THostileShape::Rectangles || shape == THostileShape::Ellipses) {
        const uint16_t function = shape == THostileShape::Rectangles ? 0x041B : 0x0418;
        while (b.RecordBytes() + 14 <= recordBytes)
            b.Record(function, {side, side, 0, 0});
    } else if (shape == THostileShape::PatternInversions) {
        // PATBLT with PATINVERT over the whole frame.
        while (b.RecordBytes() + 18 <= recordBytes)
            b.Record(0x061D, {0x0049, 0x005A, side, side, 0, 0});
    } else if (shape == THostileShape::PatternBrushes) {
        // DIBCREATEPATTERNBRUSH of a bitmap that claims 4096 x 4096 pixels,
        // selected, a rectangle filled with it, and the brush deleted.
        const std::string dib = ClaimingPatternDib(4096);
        while (b.RecordBytes() + dib.size() + 60 <= recordBytes)
            b.Record(0x0142, {5, 0}, dib)
                .Record(0x012D, {2})
                .Record(0x041B, {side / 2, side / 2, 0, 0})
                .Record(0x01F0, {2});
    } else if (shape == THostileShape::FloodFills) {
        // EXTFLOODFILL to a border of a colour nothing has: the whole frame.
        while (b.RecordBytes() + 16 <= recordBytes)
            b.Record(0x0548, {0, 0x3456, 0x12, side / 2, side / 2});
    } else if (shape == THostileShape::TextSizes) {
        // A font of a height (in pixels) and weight no other has, selected,
        // two letters written with it, and the font deleted again.
        for (int i = 0; b.RecordBytes() + 80 <= recordBytes; ++i) {
            std::string face = "Arial";
            face.resize(32, '\0');
            b.Record(0x02FB, {-(25 + i), 0, 0, 0, 1 + i * 7 % 1000, 0, 0, 0, 0}, face);
            b.Record(0x012D, {2});
            b.Record(0x0521, {2}, "Ab" + Word((i * 53) % side) + Word((i * 37) % side));
            b.Record(0x01F0, {2});
        }
    } else if (shape == THostileShape::ClipRegions) {
        // A region of rows of small squares made the clip, then rectangles
        // that cut it again and again.
        std::vector<int> region{0, 6, 0, 0, 0, 0, 0, 0, 0, side, side};
        int scans = 0;
        for (int y = 0; y + 2 <= side && region.size() * 2 + 300 < recordBytes / 2; y += 4, ++scans) {
            region.insert(region.end(), {64, y, y + 2});
            for (int x = 0; x < 32; ++x)
                region.insert(region.end(), {x * 4, x * 4 + 2});
            region.push_back(64);
        }
        region[5] = scans;
        b.Record(0x06FF, region).Record(0x012C, {2});
        while (b.RecordBytes() + 14 <= recordBytes)
            b.Record(0x0415, {side - 1, side - 1, 1, 1}).Record(0x041B, {side, side, 0, 0});
    } else {
        // One polyline or polygon of as many points as the bytes hold.
        const int points = static_cast<int>(std::min<size_t>((recordBytes - b.RecordBytes() - 8) / 4, 32767));
        std::vector<int> words{points};
        for (int i = 0; i < points; ++i) {
            if (wide) {
                // A zigzag from one side of the frame to the other.
                words.push_back(i % 2 ? side : 0);
                words.push_back(side * (i % 64) / 64);
            } else {
                // A star: each point across the circle from the one before.
                const double angle = 3.14159265358979 * (i * 0.999);
                words.push_back(side / 2 + static_cast<int>(side / 2 * std::cos(angle)));
                words.push_back(side / 2 + static_cast<int>(side / 2 * std::sin(angle)));
            }
        }
        b.Record(wide ? 0x0325 : 0x0324, words);
    }
    return b.Bytes(true, false);
}

// The same kinds as an enhanced metafile of a Side x Side frame.
inline std::string HostileEmf(THostileShape shape, int side, size_t recordBytes)
{
    TEmfBuilder b(side, side);
    const bool wide = shape == THostileShape::WidePolyline;
    b.Record(38, {1, 0, wide ? side : 1, 0, 0x800000}); // CREATEPEN 1: solid
    b.Record(39, {2, 0, 0x0000FF, 0});                  // CREATEBRUSHINDIRECT 2: red
    b.Record(37, {1}).Record(37, {2});                  // SELECTOBJECT
    if (shape == THostileShape::Rectangles || shape == THostileShape::Ellipses) {
        const uint32_t type = shape == THostileShape::Rectangles ? 43 : 42;
        while (b.RecordBytes() + 24 <= recordBytes)
            b.Record(type, {0, 0, side, side});
    } else if (shape == THostileShape::PatternInversions) {
        // BITBLT without a bitmap, PATINVERT over the whole frame.
        while (b.RecordBytes() + 100 <= recordBytes)
            b.Record(76, {0, 0, side, side, 0, 0, side, side, 0x005A0049, 0, 0, 0,
                          0, 0, 0,    0,    0, 0, 0,    0,    0,          0, 0});
    } else if (shape == THostileShape::PatternBrushes) {
        const std::string dib = ClaimingPatternDib(4096);
        while (b.RecordBytes() + dib.size() + 80 <= recordBytes)
            b.Record(94, {3, 0, 32, 48, 80, int32_t(dib.size()) - 48}, dib)
                .Record(37, {3})
                .Record(43, {0, 0, side / 2, side / 2})
                .Record(40, {3});
    } else if (shape == THostileShape::FloodFills) {
        while (b.RecordBytes() + 24 <= recordBytes)
            b.Record(53, {side / 2, side / 2, 0x123456, 0});
    } else if (shape == THostileShape::ClipRegions) {
        // A clip region of thousands of small squares, then rectangles that
        // cut it again and again.
        std::string rects;
        int count = 0;
        for (int y = 0; y + 2 <= side && rects.size() + 600 < recordBytes / 2; y += 4)
            for (int x = 0; x + 2 <= side && x < 256; x += 4, ++count)
                for (int v : {x, y, x + 2, y + 2})
                    Put32(rects, static_cast<uint32_t>(v));
        std::string data;
        for (int v : {32, 1, count, int(rects.size()), 0, 0, side, side})
            Put32(data, static_cast<uint32_t>(v));
        b.Record(75, {int32_t(data.size() + rects.size()), 5}, data + rects);
        while (b.RecordBytes() + 48 <= recordBytes)
            b.Record(29, {1, 1, side - 1, side - 1}).Record(43, {0, 0, side, side});
    } else {
        const int points = static_cast<int>((recordBytes - b.RecordBytes() - 28) / 4);
        std::vector<int32_t> values{0, 0, side, side, points}; // bounds, count
        std::string xy;
        for (int i = 0; i < points; ++i) {
            int x, y;
            if (wide) {
                x = i % 2 ? side : 0;
                y = side * (i % 64) / 64;
            } else {
                const double angle = 3.14159265358979 * (i * 0.999);
                x = side / 2 + static_cast<int>(side / 2 * std::cos(angle));
                y = side / 2 + static_cast<int>(side / 2 * std::sin(angle));
            }
            Put16(xy, static_cast<uint16_t>(x));
            Put16(xy, static_cast<uint16_t>(y));
        }
        b.Record(wide ? 87 : 86, values, xy); // POLYLINE16, POLYGON16
    }
    return b.Bytes();
}

inline std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2 + bytes.size() / 64);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        out += digits[c >> 4];
        out += digits[c & 15];
        if (i % 64 == 63)
            out += '\n';
    }
    return out;
}

// A picture group of RTF: Words (the picture's type and size) and the data,
// as hex or after \bin.
inline std::string RtfPicture(const std::string& words, const std::string& data, bool binary)
{
    if (binary)
        return "{\\pict" + words + "\\bin" + std::to_string(data.size()) + " " + data + "}";
    return "{\\pict" + words + " " + Hex(data) + "}";
}

// An RTF file of one hostile old-format metafile of a HostileSide frame
// (pixels: the text mapping mode), at most Limit bytes.
inline std::string HostileWmfRtf(THostileShape shape, bool binary, size_t limit = 65536)
{
    const std::string words =
        "\\wmetafile1\\picw" + std::to_string(HostileSide) + "\\pich" + std::to_string(HostileSide);
    const size_t overhead = 64 + words.size();
    const size_t room = binary ? limit - overhead : (limit - overhead) * 64 / 130;
    return "{\\rtf1 " + RtfPicture(words, HostileWmf(shape, HostileSide, room - 40), binary) + "}";
}

// The same with an enhanced metafile.
inline std::string HostileEmfRtf(THostileShape shape, bool binary, size_t limit = 65536)
{
    const int mm = HostileSide * 2540 / 96;
    const std::string words = "\\emfblip\\picw" + std::to_string(mm) + "\\pich" + std::to_string(mm);
    const size_t overhead = 64 + words.size();
    const size_t room = binary ? limit - overhead : (limit - overhead) * 64 / 130;
    return "{\\rtf1 " + RtfPicture(words, HostileEmf(shape, HostileSide, room - 120), binary) + "}";
}

// A picture of a 100 x 100 frame of full-frame ellipses, shown at 32767 x
// 32767 pixels by its goal size.
inline std::string HugeDisplayRtf(bool enhanced)
{
    const std::string data = enhanced ? HostileEmf(THostileShape::Ellipses, 100, 2000)
                                      : HostileWmf(THostileShape::Ellipses, 100, 2000);
    const std::string words = enhanced ? "\\emfblip\\picw2646\\pich2646" : "\\wmetafile1\\picw100\\pich100";
    return "{\\rtf1 " + RtfPicture(words + "\\picwgoal491505\\pichgoal491505", data, false) + "}";
}

// A metafile read from these bytes, as from a file.
inline std::unique_ptr<TMetafile> LoadMetafile(const std::string& bytes)
{
    TStringStream stream(bytes);
    auto metafile = std::make_unique<TMetafile>();
    metafile->LoadFromStream(stream);
    return metafile;
}

// Metafile drawn at Width x Height on a white bitmap: the bitmap's pixels.
inline TPixelBuffer ShownMetafile(TMetafile& metafile, int width, int height)
{
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    bitmap.Canvas()->StretchDraw(Rect(0, 0, width, height), &metafile);
    const TPinnedPixels pixels = bitmap.Pixels();
    return *pixels;
}

} // namespace metafilebuilder
