// RVF data of objects: pictures (bitmaps, JPEG pictures) and components as
// hexadecimal text and binary blocks, damaged data, and the style fields.
#include "document/rvfmisc.h"

#include <gtest/gtest.h>

#include "document/rvstyle.h"
#include "platform/core/classreg.h"
#include "platform/core/component.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/jpeg.h"

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

AnsiString Bytes(TMemoryStream& Stream)
{
    return AnsiString(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

// A 3 x 2 bitmap with two coloured pixels.
void FillBitmap(TBitmap& Bitmap)
{
    Bitmap.SetPixelFormat(pf24bit);
    TPixelBuffer Pixels(3, 2);
    Pixels.At(1, 0) = 0xFF102030u;
    Pixels.At(2, 1) = 0xFF405060u;
    Bitmap.SetPixels(Pixels);
}

// A 32-bit little-endian count.
AnsiString Count32(int64_t Value)
{
    const uint32_t v = static_cast<uint32_t>(Value);
    return AnsiString{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
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
        EXPECT_EQ(Bytes(Stream), "x" + Count32(Data.Size()) + Bytes(Data));
        EXPECT_EQ(Stream.Position(), Stream.Size());

        std::unique_ptr<TGraphic> Read(CreateGraphic(GraphicClassOf(Graphic)));
        RVFLoadPictureBinary(Bytes(Data), Read.get());
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
    EXPECT_EQ(RVDecodeString(Hex), Bytes(Binary).substr(4));

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
    RVFLoadControlBinary(Bytes(Binary).substr(4), Control, "TRVFSampleComponent", nullptr);
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
