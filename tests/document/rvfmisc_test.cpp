// RVF tokens: line writers, hexadecimal text, binary blocks, field readers and
// tags; and the RVF data of objects: pictures and components as hexadecimal
// text and binary blocks, damaged data, and the style fields.
#include <gtest/gtest.h>

#include <climits>

#include "document/rvfmisc.h"
#include "document/rvstyle.h"
#include "platform/core/classreg.h"
#include "platform/core/component.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/jpeg.h"
#include "tests/support/streambytes.h"

namespace {

void Fill(TMemoryStream& stream, const AnsiString& bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

} // namespace

TEST(RVFWriteTest, LinesEndAsTheirKindAsks)
{
    TMemoryStream stream;
    RVFWrite(stream, "a b");
    RVFWriteLine(stream, "-8 1 3");
    RVFWriteLineX(stream, AnsiString("h\0i\0", 4), true);
    RVFWriteLineX(stream, "", false);
    EXPECT_EQ(StreamBytes(stream), AnsiString("a b-8 1 3\r\nh\0i\0\x29\x20\r\n", 19));
}

TEST(RVFHexTest, Strings)
{
    EXPECT_EQ(RVEncodeString(AnsiString("\x00\xAB", 2)), "00AB");
    EXPECT_EQ(RVDecodeString("00ab"), AnsiString("\x00\xAB", 2));
    EXPECT_EQ(RVDecodeString("00A"), "");
    EXPECT_EQ(RVDecodeString(""), "");
    // A bad pair ends the result at the bytes decoded before it.
    EXPECT_EQ(RVDecodeString("41G24243"), "A");
    EXPECT_EQ(RVDecodeString("41 2"), "A");
    EXPECT_EQ(RVDecodeString("zz41"), "");

    AnsiString all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    EXPECT_EQ(RVDecodeString(RVEncodeString(all)), all);
}

TEST(RVFHexTest, Streams)
{
    TMemoryStream stream;
    Fill(stream, "\x01\xFE\x7F");
    stream.SetPosition(2); // the whole content counts, whatever the position
    EXPECT_EQ(RVFStream2TextString(stream), "01FE7F");

    TMemoryStream decoded;
    Fill(decoded, "old content");
    EXPECT_TRUE(RVFTextString2Stream("01fe7F", decoded));
    EXPECT_EQ(StreamBytes(decoded), "\x01\xFE\x7F");
    EXPECT_EQ(decoded.Position(), 0);

    // A bad pair: false, and the stream holds only what was decoded.
    EXPECT_FALSE(RVFTextString2Stream("0102XX0304", decoded));
    EXPECT_EQ(StreamBytes(decoded), "\x01\x02");
    EXPECT_EQ(decoded.Position(), 0);

    EXPECT_FALSE(RVFTextString2Stream("012", decoded));
    EXPECT_EQ(decoded.Size(), 0);

    EXPECT_TRUE(RVFTextString2Stream("", decoded));
    EXPECT_EQ(decoded.Size(), 0);
}

TEST(RVFHexTest, WideStrings)
{
    EXPECT_EQ(RVEncodeWideString(u"\u20AC"), "20AC");
    EXPECT_EQ(RVEncodeWideString(u"\u00E9A"), "00E90041");
    EXPECT_EQ(RVDecodeWideString("20ac00E9"), u"\u20AC\u00E9");
    EXPECT_EQ(RVDecodeWideString("20AC0"), u"");
    EXPECT_EQ(RVDecodeWideString("20AC00G9FFFF"), u"\u20AC");
    const WideString surrogates = u"\U0001F600\uFFFF";
    EXPECT_EQ(RVDecodeWideString(RVEncodeWideString(surrogates)), surrogates);
}

TEST(RVFBinaryBlockTest, WriteAndRead)
{
    TMemoryStream stream;
    RVFWrite(stream, "head");
    const AnsiString data(100, 'x');
    RVFWriteBinaryBlock(stream, [&](TStream& s) { RVFWrite(s, data); });
    EXPECT_EQ(stream.Position(), 108); // left at the end of the data
    RVFWrite(stream, "tail");
    EXPECT_EQ(StreamBytes(stream), "head" + AnsiString("\x64\x00\x00\x00", 4) + data + "tail");

    stream.SetPosition(4);
    TMemoryStream block;
    ASSERT_TRUE(RVFReadBinaryBlock(stream, block));
    EXPECT_EQ(StreamBytes(block), data);
    EXPECT_EQ(block.Position(), 0);
    EXPECT_EQ(stream.Position(), 108);

    TMemoryStream empty;
    RVFWriteBinaryBlock(empty, [](TStream&) {});
    EXPECT_EQ(StreamBytes(empty), AnsiString(4, '\0'));
    empty.SetPosition(0);
    ASSERT_TRUE(RVFReadBinaryBlock(empty, block));
    EXPECT_EQ(block.Size(), 0);
}

TEST(RVFBinaryBlockTest, BadCountsFailWithoutReading)
{
    const AnsiString cases[] = {
        AnsiString("\xC8\x00\x00\x00", 4) + AnsiString(100, 'y'), // 200 announced, 100 present
        AnsiString("\xFF\xFF\xFF\xFF", 4) + "abc",                // negative
        AnsiString("\x05\x00", 2),                                // count cut short
        AnsiString(),
    };
    for (const AnsiString& bytes : cases) {
        TMemoryStream stream;
        Fill(stream, bytes);
        TMemoryStream block;
        Fill(block, "kept");
        EXPECT_FALSE(RVFReadBinaryBlock(stream, block));
        EXPECT_EQ(stream.Position(), 0);
        EXPECT_EQ(StreamBytes(block), "kept");
    }
}

TEST(RVFBinaryBlockTest, BytesToStream)
{
    TMemoryStream stream;
    Fill(stream, "longer old content");
    RVFBytesToStream(AnsiString("\x00\x01", 2), stream);
    EXPECT_EQ(StreamBytes(stream), AnsiString("\x00\x01", 2));
    EXPECT_EQ(stream.Position(), 0);
}

TEST(RVFLineCursorTest, StopsAtTheEndAndAtAZeroByte)
{
    TRVFLineCursor p(AnsiString("ab\0cd", 5));
    EXPECT_EQ(p.Peek(), 'a');
    EXPECT_EQ(p.Rest(), "ab");
    p.Next();
    p.Next();
    EXPECT_TRUE(p.AtEnd());
    EXPECT_EQ(p.Peek(), '\0');
    p.Next();
    EXPECT_EQ(p.Position(), 2u);
    EXPECT_EQ(p.Rest(), "");
}

TEST(RVFReadTest, Strings)
{
    TRVFLineCursor p("abc  def");
    AnsiString s;
    EXPECT_TRUE(RVFReadString(p, s));
    EXPECT_EQ(s, "abc");
    EXPECT_FALSE(RVFReadString(p, s)); // the second blank makes an empty token
    EXPECT_EQ(s, "");
    EXPECT_TRUE(RVFReadString(p, s));
    EXPECT_EQ(s, "def");
    EXPECT_TRUE(p.AtEnd());
    EXPECT_FALSE(RVFReadString(p, s));
}

// Each line: the text, whether an integer is read, its value (99 when left
// alone) and the character the cursor stops at.
TEST(RVFReadTest, Integers)
{
    const struct {
        const char* Text;
        bool Read;
        int Value;
        char Next;
    } Cases[] = {{"-12 7", true, -12, '7'}, {"12x", false, 99, 'x'}, {"x 1", false, 99, 'x'},
                 {"- 5", true, 0, '5'},     {"--1", false, 99, '-'}, {"7", true, 7, '\0'}};
    for (const auto& c : Cases) {
        TRVFLineCursor p(c.Text);
        int v = 99;
        EXPECT_EQ(RVFReadInteger(p, v), c.Read) << c.Text;
        EXPECT_EQ(v, c.Value) << c.Text;
        EXPECT_EQ(p.Peek(), c.Next) << c.Text;
    }
}

TEST(RVFReadTest, IntegersOutside32BitsFail)
{
    int v = 0;
    TRVFLineCursor max("2147483647");
    EXPECT_TRUE(RVFReadInteger(max, v));
    EXPECT_EQ(v, INT_MAX);
    TRVFLineCursor min("-2147483648");
    EXPECT_TRUE(RVFReadInteger(min, v));
    EXPECT_EQ(v, INT_MIN);

    for (const char* text : {"2147483648", "-2147483649", "4294967296", "99999999999999999999999"}) {
        TRVFLineCursor p(text);
        v = 5;
        EXPECT_FALSE(RVFReadInteger(p, v)) << text;
        EXPECT_EQ(v, 5) << text;
    }
}

TEST(RVFReadTest, QuotedText)
{
    TRVFLineCursor p("\"Heading \"\"1\"\"\" 5");
    EXPECT_EQ(RVFReadText(p), "Heading \"1\"");
    EXPECT_EQ(p.Rest(), "5");

    TRVFLineCursor empty("\"\"");
    EXPECT_EQ(RVFReadText(empty), "");
    EXPECT_TRUE(empty.AtEnd());

    TRVFLineCursor bare("12 x");
    EXPECT_EQ(RVFReadText(bare), "");
    EXPECT_EQ(bare.Position(), 0u);

    TRVFLineCursor open("\"never closed");
    EXPECT_EQ(RVFReadText(open), "never closed");
    EXPECT_TRUE(open.AtEnd());
}

TEST(RVFTagTest, ReadTags)
{
    TRVTag tag(AnsiString("before"));
    TRVFLineCursor strings("0 link#1 -3");
    ASSERT_TRUE(RVFReadTag(strings, true, tag));
    EXPECT_EQ(tag, TRVTag());
    ASSERT_TRUE(RVFReadTag(strings, true, tag));
    EXPECT_EQ(tag, TRVTag(AnsiString("link#1")));
    ASSERT_TRUE(RVFReadTag(strings, true, tag));
    EXPECT_EQ(tag, TRVTag(AnsiString("-3")));
    EXPECT_FALSE(RVFReadTag(strings, true, tag)); // no token left

    TRVFLineCursor numbers("42 -7 abc - 4294967296");
    ASSERT_TRUE(RVFReadTag(numbers, false, tag));
    EXPECT_EQ(tag, TRVTag(42));
    ASSERT_TRUE(RVFReadTag(numbers, false, tag));
    EXPECT_EQ(tag, TRVTag(-7));
    EXPECT_FALSE(RVFReadTag(numbers, false, tag));
    EXPECT_FALSE(RVFReadTag(numbers, false, tag));
    EXPECT_FALSE(RVFReadTag(numbers, false, tag));
    EXPECT_EQ(tag, TRVTag(-7));
}

TEST(RVFTagTest, SaveTags)
{
    EXPECT_EQ(RVFSaveTag(true, TRVTag(AnsiString(""))), "0");
    EXPECT_EQ(RVFSaveTag(true, TRVTag()), "0");
    EXPECT_EQ(RVFSaveTag(true, TRVTag(AnsiString("anchor"))), "anchor");
    EXPECT_EQ(RVFSaveTag(false, TRVTag(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(RVFSaveTag(false, TRVTag(AnsiString("text"))), "0");

    // What is saved reads back as the same tag.
    for (const TRVTag& original : {TRVTag(), TRVTag(AnsiString("x")), TRVTag(AnsiString("0a"))}) {
        TRVFLineCursor p(RVFSaveTag(true, original));
        TRVTag read;
        ASSERT_TRUE(RVFReadTag(p, true, read));
        EXPECT_EQ(read, original);
    }
    TRVFLineCursor p(RVFSaveTag(false, TRVTag(123456)));
    TRVTag read;
    ASSERT_TRUE(RVFReadTag(p, false, read));
    EXPECT_EQ(read, TRVTag(123456));
}

namespace {

// A small component with published properties, registered by name.
class TRVFSampleComponent : public TComponent {
public:
    explicit TRVFSampleComponent(TComponent* AOwner) : TComponent(AOwner) {}
    const char* ClassName() const override { return "TRVFSampleComponent"; }
    const TPropertyTable* PropertyTable() const override
    {
        using C = TRVFSampleComponent;
        static const TPropertyTable table =
            TPropTableBuilder<C>("TRVFSampleComponent", &ComponentPropertyTable())
                .Int("Value", &C::FValue, &C::FValue, 0)
                .Str("Caption", &C::FCaption, &C::FCaption)
                .Build();
        return &table;
    }
    int FValue = 0;
    AnsiString FCaption;
};

// A 3 x 2 bitmap with two coloured pixels.
void FillBitmap(TBitmap& Bitmap)
{
    Bitmap.SetPixelFormat(pf24bit);
    TPixelBuffer Pixels(3, 2);
    Pixels.At(1, 0) = 0xFF102030u;
    Pixels.At(2, 1) = 0xFF405060u;
    Bitmap.SetPixels(Pixels);
}

class RVFObjectsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterClass<TRVFSampleComponent>("TRVFSampleComponent"); }
};

} // namespace

TEST_F(RVFObjectsTest, PicturesAsText)
{
    TBitmap Bitmap;
    FillBitmap(Bitmap);
    TMemoryStream Data;
    Bitmap.SaveToStream(Data);
    const AnsiString Hex = RVFSavePicture(&Bitmap);
    EXPECT_EQ(Hex, RVFStream2TextString(Data));

    TBitmap Read;
    EXPECT_TRUE(RVFLoadPicture(Hex, &Read));
    EXPECT_TRUE(Read.Equals(&Bitmap));

    // A damaged text still hands what it decoded to the picture, which refuses it.
    TBitmap Damaged;
    EXPECT_THROW(RVFLoadPicture(Hex.substr(0, 60) + "zz", &Damaged), EInvalidGraphic);
    // Nothing at all is an empty picture.
    EXPECT_TRUE(RVFLoadPicture("", &Damaged));
    EXPECT_TRUE(Damaged.Empty());
}

TEST_F(RVFObjectsTest, PicturesAsBinaryBlocks)
{
    TBitmap Bitmap;
    FillBitmap(Bitmap);
    TJPEGImage Jpeg;
    Jpeg.Assign(&Bitmap);
    for (TGraphic* Graphic : std::initializer_list<TGraphic*>{&Bitmap, &Jpeg}) {
        TMemoryStream Data;
        Graphic->SaveToStream(Data);
        TMemoryStream Stream;
        Stream.WriteBuffer("x", 1);
        RVFSavePictureBinary(Stream, Graphic);
        EXPECT_EQ(StreamBytes(Stream), "x" + Count32(Data.Size()) + StreamBytes(Data));
        EXPECT_EQ(Stream.Position(), Stream.Size());

        std::unique_ptr<TGraphic> Read(CreateGraphic(GraphicClassOf(Graphic)));
        RVFLoadPictureBinary(StreamBytes(Data), Read.get());
        EXPECT_TRUE(Read->Equals(Graphic));

        std::unique_ptr<TGraphic> Read2(CreateGraphic(GraphicClassOf(Graphic)));
        Stream.SetPosition(1);
        RVFLoadPictureBinary2(Stream, Read2.get());
        EXPECT_TRUE(Read2->Equals(Graphic));
        EXPECT_EQ(Stream.Position(), Stream.Size());
    }
    // A JPEG picture keeps its bytes: saved again they are the same.
    std::unique_ptr<TGraphic> Jpeg2(new TJPEGImage);
    EXPECT_TRUE(RVFLoadPicture(RVFSavePicture(&Jpeg), Jpeg2.get()));
    EXPECT_EQ(RVFSavePicture(Jpeg2.get()), RVFSavePicture(&Jpeg));

    // A block that runs past the end of the stream.
    TMemoryStream Short;
    Short.WriteBuffer("\x10\0\0\0abc", 7);
    Short.SetPosition(0);
    TBitmap Read;
    EXPECT_THROW(RVFLoadPictureBinary2(Short, &Read), EReadError);
    EXPECT_EQ(Short.Position(), 0);
}

TEST_F(RVFObjectsTest, Components)
{
    TRVFSampleComponent Source(nullptr);
    Source.SetName("Sample");
    Source.FValue = 70000;
    Source.FCaption = "caption";
    const AnsiString Hex = RVFSaveControl(&Source);
    TMemoryStream Binary;
    RVFSaveControlBinary(Binary, &Source);
    EXPECT_EQ(RVDecodeString(Hex), StreamBytes(Binary).substr(4));

    // Into a component the caller made.
    auto* Made = new TRVFSampleComponent(nullptr);
    TComponent* Control = Made;
    EXPECT_TRUE(RVFLoadControl(Hex, Control, "", nullptr));
    ASSERT_EQ(Control, Made);
    EXPECT_EQ(Made->FValue, 70000);
    EXPECT_EQ(Made->FCaption, "caption");
    EXPECT_EQ(Made->Name(), "Sample");
    delete Control;

    // Into a new component of a registered class named by the caller.
    Control = nullptr;
    RVFLoadControlBinary(StreamBytes(Binary).substr(4), Control, "TRVFSampleComponent", nullptr);
    ASSERT_NE(Control, nullptr);
    EXPECT_EQ(static_cast<TRVFSampleComponent*>(Control)->FValue, 70000);
    EXPECT_EQ(Control->Owner(), nullptr);
    delete Control;

    // An unregistered class name, or a class that is no component, gives none.
    Control = nullptr;
    EXPECT_TRUE(RVFLoadControl(Hex, Control, "TNoSuchClass", nullptr));
    EXPECT_EQ(Control, nullptr);
    RVFLoadControl(Hex, Control, "TBitmap", nullptr);
    EXPECT_EQ(Control, nullptr);

    // Damaged data: the component is freed and the caller gets none.
    Control = new TRVFSampleComponent(nullptr);
    EXPECT_FALSE(RVFLoadControl(Hex.substr(0, Hex.size() - 7), Control, "", nullptr));
    EXPECT_EQ(Control, nullptr);
    Control = nullptr;
    RVFLoadControlBinary("TPF0garbage", Control, "TRVFSampleComponent", nullptr);
    EXPECT_EQ(Control, nullptr);
}

TEST(RVFStyleFieldsTest, NumbersAndNames)
{
    TRVStyle Style(nullptr);
    Style.ParaStyles()->Items(1)->SetStyleName("Centered \"x\"");
    EXPECT_EQ(RVFSaveText(&Style, true, 1), "\"Heading\"");
    EXPECT_EQ(RVFSaveText(&Style, false, 1), "1");
    EXPECT_EQ(RVFSaveText(&Style, true, -1), "-1");
    EXPECT_EQ(RVFSaveText(&Style, true, 99), "99");
    EXPECT_EQ(RVFSaveText(nullptr, true, 1), "1");
    EXPECT_EQ(RVFSavePara(&Style, true, 1), "\"Centered \"\"x\"\"\"");

    TRVFLineCursor P("\"Heading\" 5 \"Centered \"\"x\"\"\" \"nope\" x");
    int No = -7;
    EXPECT_TRUE(RVFReadTextStyle(P, No, &Style));
    EXPECT_EQ(No, 1);
    EXPECT_TRUE(RVFReadTextStyle(P, No, &Style));
    EXPECT_EQ(No, 5);
    EXPECT_TRUE(RVFReadParaStyle(P, No, &Style));
    EXPECT_EQ(No, 1);
    EXPECT_TRUE(RVFReadTextStyle(P, No, &Style));
    EXPECT_EQ(No, 0);
    EXPECT_FALSE(RVFReadTextStyle(P, No, &Style));
}

TEST(RVFLineTest, LinesAreMadeSafe)
{
    EXPECT_EQ(RVFMakeLineSafe(AnsiString("a\rb\nc\0d", 7), false), "a b c?d");
    EXPECT_EQ(RVFMakeLineSafe(AnsiString("a\0\x29\x20\0\0\r\0x", 9), true), AnsiString("a\0 \0?\0\r\0", 8));
    EXPECT_EQ(RVFSaveTag(true, TRVTag(AnsiString("a b\r\n\tc"))), "a_b__\tc");
    EXPECT_EQ(RVFSaveTag(false, TRVTag(AnsiString("a b"))), "0");
}
