// Records the writers share: the layout block (binary and text, short and long
// forms, bad lengths), the RTF font table, and picture files beside HTML pages.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "document/crvdata.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/streambytes.h"
#include "tests/support/tempdir.h"
#include "tests/support/testrvdata.h"

namespace {

// Fills Info with distinct values.
TRVLayoutInfo& Sample(TRVLayoutInfo&& Info = TRVLayoutInfo())
{
    Info.LeftMargin = 1;
    Info.RightMargin = -2;
    Info.TopMargin = 3;
    Info.BottomMargin = 4;
    Info.MinTextWidth = 500;
    Info.MaxTextWidth = 0x12345678;
    Info.BiDiMode = rvbdRightToLeft;
    return Info;
}

void ExpectInvalid(const std::function<void()>& Call)
{
    try {
        Call();
        ADD_FAILURE() << "no error";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), "Invalid RVF format");
    }
}

} // namespace

TEST(LayoutInfoTest, ShortBlockRoundTrip)
{
    TMemoryStream Stream;
    Sample().SaveToStream(Stream, true);
    EXPECT_EQ(Stream.Size(), 4 + 8 + 25);
    const AnsiString s = StreamBytes(Stream);
    EXPECT_EQ(s.substr(0, 12), AnsiString("\x21\0\0\0\0\0\0\0\x19\0\0\0", 12));

    Stream.SetPosition(0);
    TRVLayoutInfo Read;
    Read.FirstParaAborted = 7; // not in a short block: stays
    Read.LoadFromStream(Stream, true);
    EXPECT_TRUE(Read.Loaded);
    EXPECT_EQ(Read.RightMargin, -2);
    EXPECT_EQ(Read.MaxTextWidth, 0x12345678);
    EXPECT_EQ(Read.BiDiMode, rvbdRightToLeft);
    EXPECT_EQ(Read.FirstParaAborted, 7);
    EXPECT_EQ(Stream.Position(), Stream.Size());
}

TEST(LayoutInfoTest, LongBlockCarriesThePageState)
{
    TRVLayoutInfo Info;
    Sample(std::move(Info));
    Info.LastParaAborted = 1;
    Info.FirstMarkerListNo = 3;
    Info.FirstMarkerLevel = 2;
    TMemoryStream Stream;
    Info.SaveToStream(Stream, false);
    EXPECT_EQ(Stream.Size(), 8 + 41);
    Stream.SetPosition(0);
    TRVLayoutInfo Read;
    Read.LoadFromStream(Stream, false);
    EXPECT_EQ(Read.FirstParaAborted, 0);
    EXPECT_EQ(Read.LastParaAborted, 1);
    EXPECT_EQ(Read.FirstMarkerListNo, 3);
    EXPECT_EQ(Read.FirstMarkerLevel, 2);
}

TEST(LayoutInfoTest, UnknownTailIsSkippedAndBadLengthsFail)
{
    TMemoryStream Stream;
    Sample().SaveToStream(Stream, false);
    AnsiString s = StreamBytes(Stream);
    s[4] = 30; // five bytes more than this version knows
    s += AnsiString("\x01\x02\x03\x04\x05!", 6);
    TStringStream Longer(s);
    TRVLayoutInfo Read;
    Read.LoadFromStream(Longer, false);
    EXPECT_EQ(Read.MinTextWidth, 500);
    EXPECT_EQ(Longer.Position(), 8 + 30);

    for (int Length : {24, 31, -1, 0x7FFFFFFF}) {
        AnsiString Bad = StreamBytes(Stream);
        Bad.replace(4, 4, Count32(static_cast<uint32_t>(Length)));
        TStringStream BadStream(Bad);
        TRVLayoutInfo Untouched;
        ExpectInvalid([&] { Untouched.LoadFromStream(BadStream, false); });
        EXPECT_FALSE(Untouched.Loaded);
        EXPECT_EQ(Untouched.LeftMargin, 0);
    }
    TMemoryStream Empty;
    TRVLayoutInfo Read2;
    ExpectInvalid([&] { Read2.LoadFromStream(Empty, true); });
}

TEST(LayoutInfoTest, TextAndBinaryRecordForms)
{
    TMemoryStream Text;
    Sample().SaveTextToStream(Text);
    AnsiString Line = StreamBytes(Text);
    ASSERT_GE(Line.size(), 2u);
    EXPECT_EQ(Line.substr(Line.size() - 2), "\r\n");
    Line.resize(Line.size() - 2);
    EXPECT_EQ(Line.size(), 2u * 33);
    TRVLayoutInfo Read;
    Read.LoadText(Line);
    EXPECT_EQ(Read.TopMargin, 3);
    ExpectInvalid([&] { TRVLayoutInfo().LoadText("00"); });

    TMemoryStream Raw;
    Sample().SaveToStream(Raw, false);
    TRVLayoutInfo FromBinary;
    FromBinary.LoadBinary(StreamBytes(Raw));
    EXPECT_EQ(FromBinary.BottomMargin, 4);
}

TEST(RTFFontTableTest, FindsIgnoringCaseWithTheSameCharset)
{
    TRVRTFFontTable Table;
    EXPECT_EQ(Table.AddUnique("Arial", 0), 0);
    EXPECT_EQ(Table.AddUnique("Courier", 0), 1);
    EXPECT_EQ(Table.AddUnique("arial", 0), 0);
    EXPECT_EQ(Table.AddUnique("Arial", 204), 2);
    EXPECT_EQ(Table.Find("COURIER", 0), 1);
    EXPECT_EQ(Table.Find("Courier", 1), -1);
    EXPECT_EQ(Table.Get(2)->Charset, 204);
}

TEST(PictureFilesTest, NextFileNameSkipsExistingAndReadOnlyFiles)
{
    TempDir Dir;
    TTestRVData Data;
    const AnsiString Path = Dir.Path() + "/";
    Dir.Write("img1.jpg", "x");
    Dir.Write("img2.jpg", "x");
    int No = 0;
    EXPECT_EQ(Data.GetNextFileName("img", Path, ".jpg", No, false), Path + "img3.jpg");
    EXPECT_EQ(No, 3);
    No = 0;
    EXPECT_EQ(Data.GetNextFileName("img", Path, ".jpg", No, true), Path + "img1.jpg");
    EXPECT_EQ(No, 1);
    // A file without write permission is not overwritten, even by root.
    ASSERT_EQ(chmod(Dir.File("img1.jpg").c_str(), 0444), 0);
    No = 0;
    EXPECT_EQ(Data.GetNextFileName("img", Path, ".jpg", No, true), Path + "img2.jpg");
}

TEST(PictureFilesTest, SavePictureWritesBesideThePage)
{
    TempDir Dir;
    TTestRVData Data;
    const AnsiString Path = Dir.Path() + "/";
    ASSERT_TRUE(ForceDirectories(Path + "pics"));
    TBitmap Bitmap;
    Bitmap.SetSize(4, 3);
    int No = 0;
    EXPECT_EQ(Data.SavePicture(rvsfHTML, "pics/p", Path, No, false, clNone, &Bitmap), "pics/p1.jpg");
    TJPEGImage Jpeg;
    Jpeg.LoadFromFile(Path + "pics/p1.jpg");
    EXPECT_EQ(Jpeg.Width(), 4);
    EXPECT_EQ(Jpeg.Height(), 3);

    // A JPEG picture is written as it is.
    EXPECT_EQ(Data.SavePicture(rvsfHTML, "p", Path, No, false, clNone, &Jpeg), "p2.jpg");
    EXPECT_EQ(Dir.Read("p2.jpg"), Dir.Read(Path + "pics/p1.jpg"));

    // Other formats get bitmaps.
    EXPECT_EQ(Data.SavePicture(rvsfRTF, "p", Path, No, false, clNone, &Bitmap), "p3.bmp");
    TBitmap Back;
    Back.LoadFromFile(Path + "p3.bmp");
    EXPECT_EQ(Back.Width(), 4);

    EXPECT_THROW(Data.SavePicture(rvsfHTML, "p", Path, No, false, clNone, nullptr), ERollViewError);
}

// A metafile goes beside the page as the bitmap it is shown with at its own
// size (drawn once), over the background colour where it draws nothing.
TEST(PictureFilesTest, AMetafileIsWrittenFromTheBitmapItIsShownWith)
{
    metafilebuilder::TWmfBuilder B(40, 30, 96, 2);
    B.Record(0x02FC, {0, 0x00FF, 0, 0}).Record(0x012D, {0}); // a red brush
    B.Record(0x02FA, {5, 0, 0, 0, 0}).Record(0x012D, {1});   // no pen
    B.Record(0x041B, {30, 20, 0, 0});                        // the left half
    TMetafile Metafile;
    TStringStream In(B.Bytes());
    Metafile.LoadFromStream(In);
    TBitmap Screen;
    Screen.SetSize(50, 50);
    Screen.Canvas()->Draw(0, 0, &Metafile);
    ASSERT_EQ(Metafile.Plays(), 1);

    TempDir Dir;
    TTestRVData Data;
    int No = 0;
    EXPECT_EQ(Data.SavePicture(rvsfHTML, "m", Dir.Path() + "/", No, false, clBlue, &Metafile), "m1.jpg");
    EXPECT_EQ(Metafile.Plays(), 1) << "the bitmap shown is written";
    TJPEGImage Jpeg;
    Jpeg.LoadFromFile(Dir.File("m1.jpg"));
    ASSERT_EQ(Jpeg.Width(), 40);
    EXPECT_EQ(Jpeg.Height(), 30);
    const auto Near = [](uint32_t Pixel, uint32_t Rgb) {
        for (int Shift : {0, 8, 16})
            if (std::abs(int((Pixel >> Shift) & 0xFF) - int((Rgb >> Shift) & 0xFF)) > 24)
                return false;
        return true;
    };
    EXPECT_TRUE(Near(Jpeg.Pixels().At(8, 15), 0xFF0000));
    EXPECT_TRUE(Near(Jpeg.Pixels().At(32, 15), 0x0000FF)) << "the background";
}

// The list of formats is the process's, and stays: the format registered is
// the icon's, which no other test here writes, so that the bitmaps of the
// other tests go as JPEG in any order.
TEST(PictureFilesTest, RegisteredFormatsAreWrittenInTheirOwnFormat)
{
    TIcon Icon;
    Icon.SetPixels(TPixelBuffer(2, 2, 0xFF0000FFu));
    EXPECT_FALSE(RV_IsHTMLGraphicFormat(&Icon));
    EXPECT_FALSE(RV_IsHTMLGraphicFormat(nullptr));
    TempDir Dir;
    TTestRVData Data;
    int No = 0;
    EXPECT_EQ(Data.SavePicture(rvsfHTML, "b", Dir.Path() + "/", No, false, clNone, &Icon), "b1.jpg");
    RegisterGraphicClasses();
    const int Index = RV_RegisterHTMLGraphicFormat(GraphicClassOf(&Icon));
    EXPECT_EQ(RV_RegisterHTMLGraphicFormat(GraphicClassOf(&Icon)), Index);
    EXPECT_TRUE(RV_IsHTMLGraphicFormat(&Icon));
    TBitmap Bitmap;
    EXPECT_FALSE(RV_IsHTMLGraphicFormat(&Bitmap)) << "only the class registered";
    EXPECT_EQ(Data.SavePicture(rvsfHTML, "b", Dir.Path() + "/", No, false, clNone, &Icon), "b2.ico");
}
