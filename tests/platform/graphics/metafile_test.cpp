// TMetafile and the minimal metafile writer: headers read, bytes kept, damaged
// files, and the old-format and enhanced files the writer makes.
#include "platform/graphics/metafile.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/recordingcanvas.h"

namespace {

using Bytes = std::string;

uint16_t U16(const Bytes& b, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}
uint32_t U32(const Bytes& b, size_t at)
{
    return U16(b, at) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}

Bytes Save(const TMetafile& metafile)
{
    TStringStream stream;
    metafile.SaveToStream(stream);
    return stream.DataString();
}

void Load(TMetafile& metafile, const Bytes& data)
{
    TStringStream stream(data);
    metafile.LoadFromStream(stream);
}

// A metafile of the given size with its left half red.
void DrawHalfRed(TMetafile& metafile, int width, int height)
{
    metafile.SetWidth(width);
    metafile.SetHeight(height);
    TMetafileCanvas canvas(&metafile);
    canvas.Canvas()->Brush()->SetColor(clRed);
    canvas.Canvas()->FillRect(Rect(0, 0, width / 2, height));
}

// The records of an old-format metafile after its placeable header: function -> offset.
std::vector<std::pair<uint16_t, size_t>> WmfRecords(const Bytes& file)
{
    std::vector<std::pair<uint16_t, size_t>> records;
    size_t at = 22 + 18;
    while (at + 6 <= file.size()) {
        uint32_t words = U32(file, at);
        records.push_back({U16(file, at + 4), at});
        if (words < 3)
            break;
        at += 2 * static_cast<size_t>(words);
    }
    return records;
}

} // namespace

TEST(MetafileWriter, OldFormatWrapsABitmap)
{
    TMetafile metafile;
    metafile.SetEnhanced(false);
    DrawHalfRed(metafile, 10, 6);
    EXPECT_FALSE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), 10);
    EXPECT_EQ(metafile.Height(), 6);
    EXPECT_EQ(metafile.Inch(), 96);
    const Bytes file = Save(metafile);

    // Placeable header: key, box (0, 0, 10, 6), 96 units per inch, checksum.
    EXPECT_EQ(U32(file, 0), 0x9AC6CDD7u);
    EXPECT_EQ(U16(file, 10), 10);
    EXPECT_EQ(U16(file, 12), 6);
    EXPECT_EQ(U16(file, 14), 96);
    uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= U16(file, 2 * i);
    EXPECT_EQ(U16(file, 20), checksum);
    // Metafile header: its size in words covers the rest of the file.
    EXPECT_EQ(U16(file, 22), 1);
    EXPECT_EQ(U16(file, 24), 9);
    EXPECT_EQ(2 * static_cast<size_t>(U32(file, 28)), file.size() - 22);

    auto records = WmfRecords(file);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].first, 0x0103); // mapping mode
    EXPECT_EQ(U16(file, records[0].second + 6), 8);
    EXPECT_EQ(records[3].first, 0x0F43);                         // the bitmap
    EXPECT_EQ(records[4].first, 0x0000);                         // end
    EXPECT_EQ(U32(file, 22 + 12), U32(file, records[3].second)); // largest record
    // The bitmap record holds the drawing.
    size_t dibAt = records[3].second + 28;
    TPixelBuffer pixels;
    ASSERT_TRUE(dib::DecodePacked(reinterpret_cast<const uint8_t*>(file.data()) + dibAt, file.size() - dibAt,
                                  pixels));
    EXPECT_EQ(pixels.Width, 10);
    EXPECT_EQ(pixels.At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(pixels.At(9, 5), 0xFFFFFFFFu);
}

TEST(MetafileWriter, EnhancedWrapsABitmap)
{
    TMetafile metafile; // enhanced unless told otherwise
    DrawHalfRed(metafile, 8, 4);
    EXPECT_TRUE(metafile.Enhanced());
    const Bytes file = Save(metafile);
    EXPECT_EQ(U32(file, 0), 1u);
    EXPECT_EQ(U32(file, 40), 0x464D4520u);
    EXPECT_EQ(U32(file, 48), file.size());
    EXPECT_EQ(U32(file, 52), 3u);
    size_t at = U32(file, 4);
    EXPECT_EQ(U32(file, at), 81u); // the bitmap record
    size_t dibAt = at + U32(file, at + 48);
    TPixelBuffer pixels;
    ASSERT_TRUE(dib::DecodePacked(reinterpret_cast<const uint8_t*>(file.data()) + dibAt, file.size() - dibAt,
                                  pixels));
    EXPECT_EQ(pixels.At(3, 0), 0xFFFF0000u);
    at += U32(file, at + 4);
    EXPECT_EQ(U32(file, at), 14u); // end record, the last
    EXPECT_EQ(at + 20, file.size());

    // Read back: same size, same bytes.
    TMetafile back;
    Load(back, file);
    EXPECT_TRUE(back.Enhanced());
    EXPECT_EQ(back.Width(), 8);
    EXPECT_EQ(back.Height(), 4);
    EXPECT_EQ(back.MMWidth(), metafile.MMWidth());
    EXPECT_EQ(Save(back), file);
}

TEST(MetafileFiles, PlaceableHeaderWithZeroInch)
{
    TMetafile metafile;
    metafile.SetEnhanced(false);
    DrawHalfRed(metafile, 96, 48);
    Bytes file = Save(metafile);
    file[14] = file[15] = 0; // Inch 0, checksum fixed below
    uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= U16(file, 2 * i);
    file[20] = static_cast<char>(checksum & 0xFF);
    file[21] = static_cast<char>(checksum >> 8);
    TMetafile loaded;
    Load(loaded, file);
    EXPECT_EQ(loaded.Inch(), 0);
    EXPECT_EQ(loaded.Width(), 96); // read at 96 units per inch
    EXPECT_EQ(Save(loaded), file);
}

TEST(MetafileFiles, DamagedFilesAreRejected)
{
    TMetafile wmfSource, emfSource;
    wmfSource.SetEnhanced(false);
    DrawHalfRed(wmfSource, 4, 4);
    DrawHalfRed(emfSource, 4, 4);
    for (const Bytes& file : {Save(wmfSource), Save(emfSource)})
        for (size_t length = 1; length < file.size(); ++length) {
            TMetafile metafile;
            EXPECT_THROW(Load(metafile, file.substr(0, length)), EInvalidGraphic) << length;
            EXPECT_TRUE(metafile.Empty());
        }
    Bytes badChecksum = Save(wmfSource);
    badChecksum[20] = static_cast<char>(badChecksum[20] ^ 1);
    Bytes badSignature = Save(emfSource);
    badSignature[40] = 'X';
    Bytes hugeLength = Save(emfSource);
    hugeLength[51] = '\x7F';
    for (const Bytes& file : {badChecksum, badSignature, hugeLength, Bytes("\x01\x00\x09\x00\x00\x03", 6)}) {
        TMetafile metafile;
        EXPECT_THROW(Load(metafile, file), EInvalidGraphic);
    }
    try {
        TMetafile metafile;
        Load(metafile, "nonsense");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Metafile is not valid");
    }
}

TEST(MetafileFiles, ReadsOnlyItsOwnBytesAndEmptyRoundTrips)
{
    TMetafile a, b;
    DrawHalfRed(a, 4, 4);
    b.SetEnhanced(false);
    DrawHalfRed(b, 6, 6);
    TStringStream stream(Save(a) + Save(b));
    TMetafile first, second;
    first.LoadFromStream(stream);
    second.LoadFromStream(stream);
    EXPECT_EQ(first.Width(), 4);
    EXPECT_EQ(second.Width(), 6);
    TMetafile empty;
    EXPECT_EQ(Save(empty), "");
    Load(second, "");
    EXPECT_TRUE(second.Empty());
}
