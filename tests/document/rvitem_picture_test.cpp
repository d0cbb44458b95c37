// Pictures and hypertext pictures: sizes, capabilities, painting on the
// recording canvas, printing at 600 ppi, palette copies, the store's picture
// operations, and RVF, RTF and HTML output.
#include <gtest/gtest.h>

#include <memory>

#include "document/crvdata.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvfmisc.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvprintsvc.h"
#include "document/rvstr.h"
#include "document/rvstyle.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/png.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/document/doctestdata.h"
#include "tests/support/picturebudget.h"
#include "tests/support/tempdir.h"

namespace {

TBitmap* NewBitmap(int Width, int Height, TColor Color = clRed)
{
    auto* Bitmap = new TBitmap;
    Bitmap->SetSize(Width, Height);
    Bitmap->Canvas()->Brush()->SetColor(Color);
    Bitmap->Canvas()->FillRect(Rect(0, 0, Width, Height));
    return Bitmap;
}

// A metafile drawn by the library's own writer, in either format.
TMetafile* NewMetafile(int Width, int Height, bool Enhanced)
{
    auto* Metafile = new TMetafile;
    Metafile->SetEnhanced(Enhanced);
    Metafile->SetWidth(Width);
    Metafile->SetHeight(Height);
    {
        TMetafileCanvas Canvas(Metafile);
        Canvas.Canvas()->Brush()->SetColor(clBlue);
        Canvas.Canvas()->FillRect(Rect(0, 0, Width, Height));
    }
    return Metafile;
}

TJPEGImage* NewJpeg(int Width, int Height)
{
    std::unique_ptr<TBitmap> Bitmap(NewBitmap(Width, Height, clGreen));
    auto* Jpeg = new TJPEGImage;
    Jpeg->Assign(Bitmap.get());
    // Made into bytes now, as a picture read from a file holds them.
    TMemoryStream Stream;
    Jpeg->SaveToStream(Stream);
    Stream.SetPosition(0);
    Jpeg->LoadFromStream(Stream);
    return Jpeg;
}

AnsiString RTFOf(TGraphic* Graphic, int Width, int Height, TRVRTFOptions Options, double TwipsPerPixel = 15)
{
    TMemoryStream Stream;
    RVSaveImageToRTF(Stream, TwipsPerPixel, Graphic, Width, Height, Options);
    return StreamBytes(Stream);
}

TRVScreenAndDevice Resolutions(int Device)
{
    TRVScreenAndDevice sad;
    sad.ScreenPpiX = sad.ScreenPpiY = 96;
    sad.DevicePpiX = sad.DevicePpiY = Device;
    return sad;
}

class PictureItemTest : public ::testing::Test {
protected:
    PictureItemTest() : Data(&Style) {}
    TRVStyle Style{nullptr};
    TDocTestData Data;

    // Reads the record back: the load goes on, with the item holding the
    // style sheet's invalid picture and the warning given.
    std::unique_ptr<TRVGraphicItemInfo> ReadBackInvalid(const AnsiString& Bytes);
};

} // namespace

// Painted inside its spacing at its displayed size; a selection frame
// whose colour is none draws nothing.
TEST_F(PictureItemTest, PaintDrawsThePictureInsideItsSpacing)
{
    TRVGraphicItemInfo Item(&Data, NewBitmap(10, 10), rvvaBaseline);
    Item.Spacing = 2;
    Item.ImageWidth = 30;
    TRecordingCanvas Canvas;
    Item.Paint(100, 50, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    auto Pictures = Canvas.RecordsOf(TCanvasOp::Graphic);
    ASSERT_EQ(Pictures.size(), 1u);
    EXPECT_EQ(Pictures[0]->Rect, Rect(102, 52, 132, 62));
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::Rectangle).empty()) << "no frame without a state";
    Style.SetInactiveSelColor(clNone);
    Item.Paint(0, 0, &Canvas, TRVItemDrawStates{rvidsSelected}, &Style, nullptr);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::Rectangle).empty());
}

TEST_F(PictureItemTest, PaletteCopiesAreMadeAndDroppedByThePaletteMode)
{
    TRVGraphicItemInfo Item(&Data, NewBitmap(6, 4), rvvaBaseline);
    TLogPalette Palette;
    Palette.palPalEntry.resize(2);
    const HPALETTE Handle = CreatePalette(&Palette);

    Item.UpdatePaletteInfo(rvpaCreateCopies, false, Handle, &Palette);
    auto* Copy = dynamic_cast<TBitmap*>(Item.ImageCopy());
    ASSERT_NE(Copy, nullptr);
    EXPECT_TRUE(Copy->IgnorePalette());
    // The copy is what is painted.
    TRecordingCanvas Canvas;
    Item.Paint(0, 0, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::CopyRect).size(), 1u);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::Graphic).empty());

    // The same copy stays unless a new one is forced; other modes drop it.
    Item.UpdatePaletteInfo(rvpaCreateCopies, false, Handle, &Palette);
    EXPECT_EQ(Item.ImageCopy(), Copy);
    Item.UpdatePaletteInfo(rvpaDoNothing, false, Handle, &Palette);
    EXPECT_EQ(Item.ImageCopy(), nullptr);

    // A JPEG picture's copy for rvpaCreateCopiesEx is a bitmap.
    TRVGraphicItemInfo Jpeg(&Data, NewJpeg(8, 8), rvvaBaseline);
    Jpeg.UpdatePaletteInfo(rvpaCreateCopiesEx, false, Handle, &Palette);
    EXPECT_NE(dynamic_cast<TBitmap*>(Jpeg.ImageCopy()), nullptr);
    Jpeg.UpdatePaletteInfo(rvpaCreateCopies, true, Handle, &Palette);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(Jpeg.ImageCopy()), nullptr);
    // Moving to an undo list frees the copy.
    Jpeg.MovingToUndoList(0, &Data, nullptr);
    EXPECT_EQ(Jpeg.ImageCopy(), nullptr);
    DeletePalette(Handle);
}

TEST_F(PictureItemTest, PrintingDrawItemIsSplittableOnlyAtTheOwnHeight)
{
    TRVGraphicItemInfo Item(&Data, NewBitmap(40, 120), rvvaBaseline);
    const TRVScreenAndDevice sad = Resolutions(600);
    std::unique_ptr<TRVDrawLineInfo> Plain(Item.CreatePrintingDrawItem(&Data, sad));
    EXPECT_EQ(dynamic_cast<TRVMultiImagePrintInfo*>(Plain.get()), nullptr) << "MinHeightOnPage 0";

    Item.MinHeightOnPage = 50;
    std::unique_ptr<TRVDrawLineInfo> Split(Item.CreatePrintingDrawItem(&Data, sad));
    auto* Multi = dynamic_cast<TRVMultiImagePrintInfo*>(Split.get());
    ASSERT_NE(Multi, nullptr);
    EXPECT_EQ(Multi->Height, MulDiv(122, 600, 96));
    // Cut into two parts, the second is drawn shifted up by its top.
    ASSERT_TRUE(Multi->InitSplit());
    ASSERT_TRUE(Multi->SplitAt(MulDiv(60, 600, 96)));
    EXPECT_EQ(RVGetPrintPartOffset(Multi, 1), -60);
    EXPECT_EQ(RVGetPrintPartOffset(Multi, 7), 0);

    TBitmap Page;
    Page.SetSize(40, 60);
    TRecordingCanvas Unused;
    ASSERT_TRUE(Item.PrintToBitmap(&Page, false, nullptr, Multi, 1, rvcmColor));

    Item.ImageHeight = 100; // shown at another height: never split
    std::unique_ptr<TRVDrawLineInfo> Stretched(Item.CreatePrintingDrawItem(&Data, sad));
    EXPECT_EQ(dynamic_cast<TRVMultiImagePrintInfo*>(Stretched.get()), nullptr);
    Item.ImageHeight = 120; // its own height again
    std::unique_ptr<TRVDrawLineInfo> Own(Item.CreatePrintingDrawItem(&Data, sad));
    EXPECT_NE(dynamic_cast<TRVMultiImagePrintInfo*>(Own.get()), nullptr);

    TRVGraphicItemInfo Metafile(&Data, NewMetafile(40, 120, false), rvvaBaseline);
    Metafile.MinHeightOnPage = 50;
    std::unique_ptr<TRVDrawLineInfo> Vector(Metafile.CreatePrintingDrawItem(&Data, sad));
    EXPECT_EQ(dynamic_cast<TRVMultiImagePrintInfo*>(Vector.get()), nullptr);
}

TEST_F(PictureItemTest, PrintToBitmapResizesForAnotherDisplayedSize)
{
    TRVGraphicItemInfo Item(&Data, NewBitmap(10, 6, clBlue), rvvaBaseline);
    TBitmap Natural;
    Natural.SetSize(12, 8);
    EXPECT_TRUE(Item.PrintToBitmap(&Natural, false, nullptr, nullptr, -1, rvcmColor));
    EXPECT_EQ(Natural.Width(), 12) << "drawn at its own size into the bitmap as given";
    EXPECT_EQ(Natural.Pixels().At(0, 0), 0xFF0000FFu);

    Item.ImageWidth = 30;
    Item.ImageHeight = 20;
    TBitmap Shown;
    Shown.SetSize(30, 20);
    EXPECT_TRUE(Item.PrintToBitmap(&Shown, false, nullptr, nullptr, -1, rvcmColor));
    EXPECT_EQ(Shown.Width(), 10);
    EXPECT_EQ(Shown.Height(), 6);
    EXPECT_EQ(Shown.Pixels().At(9, 5), 0xFF0000FFu);

    TRVGraphicItemInfo Empty(&Data);
    EXPECT_FALSE(Empty.PrintToBitmap(&Shown, false, nullptr, nullptr, -1, rvcmColor));
}

TEST_F(PictureItemTest, AssignMakesItsOwnCopies)
{
    TRVGraphicItemInfo Source(&Data, NewJpeg(8, 6), rvvaMiddle);
    Source.ImageWidth = 16;
    Source.Spacing = 3;
    TRVGraphicItemInfo Copy(&Data, NewBitmap(2, 2), rvvaBaseline);
    Copy.Assign(&Source);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(Copy.Image()), nullptr);
    EXPECT_NE(Copy.Image(), Source.Image());
    EXPECT_TRUE(Copy.Image()->Equals(Source.Image()));
    Copy.Assign(&Copy);
    EXPECT_TRUE(Copy.GetBoolValue(rvbpValid)) << "assigning itself keeps its picture";

    std::unique_ptr<TCustomRVItemInfo> Duplicate(RV_DuplicateItem(&Source, &Data));
    auto* Picture = dynamic_cast<TRVGraphicItemInfo*>(Duplicate.get());
    ASSERT_NE(Picture, nullptr);
    EXPECT_NE(Picture->Image(), Source.Image());
}

// ---------------------------------------------------------------------------
// The store's operations

TEST_F(PictureItemTest, StoreAddsAndChangesPictures)
{
    Data.AddPictureExTag("logo", NewBitmap(10, 10), 0, rvvaMiddle, TRVTag(7));
    Data.AddHotPicture("link", NewBitmap(5, 5), -1, rvvaBaseline);
    AnsiString Name;
    TGraphic* Graphic = nullptr;
    TRVVAlign VAlign = rvvaBaseline;
    TRVTag Tag;
    // A hypertext picture answers as a picture.
    Data.GetPictureInfo(1, Name, Graphic, VAlign, Tag);
    EXPECT_EQ(Name, "link");

    // Same size and alignment: no new layout needed, but the picture is replaced (the old one freed).
    EXPECT_FALSE(Data.SetPictureInfo(0, "logo2", NewBitmap(10, 10, clBlue), rvvaMiddle, TRVTag(8)));
    Data.GetPictureInfo(0, Name, Graphic, VAlign, Tag);
    EXPECT_EQ(static_cast<TBitmap*>(Graphic)->Pixels().At(0, 0), 0xFF0000FFu);
    EXPECT_TRUE(Data.SetPictureInfo(0, "logo2", NewBitmap(11, 10), rvvaMiddle, TRVTag(8)));
    EXPECT_TRUE(Data.SetPictureInfo(0, "logo2", NewBitmap(11, 10), rvvaBaseline, TRVTag(8)));
    // The item's own picture given back changes nothing else.
    Data.GetPictureInfo(0, Name, Graphic, VAlign, Tag);
    EXPECT_FALSE(Data.SetPictureInfo(0, "logo3", Graphic, rvvaBaseline, TRVTag(8)));

    // No picture: an error, nothing changed.
    try {
        Data.SetPictureInfo(0, "none", nullptr, rvvaMiddle, TRVTag(1));
        FAIL() << "no error";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), errRVNilParameter);
    }
    Data.GetPictureInfo(0, Name, Graphic, VAlign, Tag);
    EXPECT_EQ(Name, "logo3");
    EXPECT_NE(Graphic, nullptr);
    EXPECT_THROW(Data.AddPictureEx("none", nullptr, 0, rvvaBaseline), ERollViewError);
    EXPECT_EQ(Data.GetItemCount(), 2);

    Data.AddNL("text", 0, 0);
    EXPECT_THROW(Data.GetPictureInfo(2, Name, Graphic, VAlign, Tag), ERollViewError);
}

// ---------------------------------------------------------------------------
// RVF

namespace {

// Reads a saved record back into a new item the way the RVF reader does.
std::unique_ptr<TRVGraphicItemInfo> ReadBack(const AnsiString& Bytes, TCustomRVData* RVData, bool& Accepted,
                                             AnsiString& Name)
{
    const TRVFRecord Record = SplitRVFRecord(Bytes);
    int StyleNo = 0, LineCount = 0, Options = 0, ReadType = 0;
    char Para[32] = {0}, TagText[64] = {0};
    std::sscanf(Record.Header.c_str(), "%d %d %31s %d %d %63s", &StyleNo, &LineCount, Para, &Options,
                &ReadType, TagText);
    auto Item = std::unique_ptr<TRVGraphicItemInfo>(
        static_cast<TRVGraphicItemInfo*>(CreateRollViewItem(StyleNo, RVData)));
    Item->SetTag(TRVTag(std::atoi(TagText)));
    TRVFReadMode Mode = rmText;
    TRVFReadState State = rstData;
    Accepted = true;
    for (int i = 0; i < static_cast<int>(Record.Lines.size()) && Accepted; ++i)
        Accepted = Item->ReadRVFLine(Record.Lines[i], RVData, ReadType, i, LineCount, Name, Mode, State);
    return Item;
}

} // namespace

std::unique_ptr<TRVGraphicItemInfo> PictureItemTest::ReadBackInvalid(const AnsiString& Bytes)
{
    bool Accepted = false;
    AnsiString Name;
    auto Back = ReadBack(Bytes, &Data, Accepted, Name);
    EXPECT_TRUE(Accepted) << "the load goes on";
    EXPECT_TRUE(Data.Warnings.Contains(rvfwInvalidPicture));
    EXPECT_NE(Back->Image(), nullptr);
    if (Back->Image() != nullptr) {
        EXPECT_TRUE(Back->Image()->Equals(Style.InvalidPicture()->Graphic()));
    }
    return Back;
}

TEST_F(PictureItemTest, RVFRecordWithAndWithoutBody)
{
    TRVGraphicItemInfo Item(&Data, NewBitmap(3, 2), rvvaMiddle);
    Item.SetTag(TRVTag(5));
    TMemoryStream Stream;
    Item.SaveRVF(Stream, &Data, 0, 0, "pic", nullptr, false);
    // Without rvfoSavePicturesBody: read mode 1, the name only (no width or height lines).
    EXPECT_EQ(StreamBytes(Stream), "-3 1 0 0 1 5 1\r\npic\r\n");

    Data.RVFOptions = TRVFOptions{rvfoSavePicturesBody};
    Item.ImageWidth = 50;
    Item.Spacing = 0;
    static_cast<TBitmap*>(Item.Image())->SetTransparent(true);
    static_cast<TBitmap*>(Item.Image())->SetTransparentColor(clRed);
    TMemoryStream Body;
    Item.SaveRVF(Body, &Data, 0, 1, "pic", nullptr, true);
    const TRVFRecord Record = SplitRVFRecord(StreamBytes(Body));
    EXPECT_EQ(Record.Header, "-3 8 -1 1 0 5 1");
    const std::vector<AnsiString> Expected = {"pic",           "TBitmap", "spacing=0", "width=50",
                                              "transparent=1", "tmode=1", "tcolor=255"};
    ASSERT_EQ(Record.Lines.size(), 8u);
    EXPECT_EQ(std::vector<AnsiString>(Record.Lines.begin(), Record.Lines.begin() + 7), Expected);
    EXPECT_EQ(Record.Lines[7], RVFSavePicture(Item.Image()));

    bool Accepted = false;
    AnsiString Name;
    auto Back = ReadBack(StreamBytes(Body), &Data, Accepted, Name);
    ASSERT_TRUE(Accepted);
    ASSERT_NE(dynamic_cast<TBitmap*>(Back->Image()), nullptr);
    EXPECT_TRUE(Back->Image()->Equals(Item.Image()));
    EXPECT_EQ(Back->ImageWidth, 50);
    EXPECT_EQ(static_cast<TBitmap*>(Back->Image())->TransparentColor(), clRed);
}

TEST_F(PictureItemTest, RVFBinaryBodyArrivesAsABlock)
{
    Data.RVFOptions = TRVFOptions{rvfoSavePicturesBody, rvfoSaveBinary};
    TRVHotGraphicItemInfo Item(&Data, NewJpeg(5, 5), rvvaBaseline);
    TMemoryStream Stream;
    Item.SaveRVF(Stream, &Data, 0, 0, "j", nullptr, false);
    const AnsiString Bytes = StreamBytes(Stream);
    EXPECT_EQ(Bytes.substr(0, Bytes.find("\r\n")), "-10 3 0 0 2 0 0");

    const TRVFRecord Record = SplitRVFRecord(Bytes);
    // The line before the block switches the reader to binary mode.
    TRVHotGraphicItemInfo Back(&Data);
    TRVFReadMode Mode = rmText;
    TRVFReadState State = rstData;
    AnsiString Name;
    ASSERT_TRUE(Back.ReadRVFLine(Record.Lines[0], &Data, 2, 0, 3, Name, Mode, State));
    EXPECT_EQ(Mode, rmText);
    ASSERT_TRUE(Back.ReadRVFLine(Record.Lines[1], &Data, 2, 1, 3, Name, Mode, State));
    EXPECT_EQ(Mode, rmBeforeBinary);
    ASSERT_TRUE(Back.ReadRVFLine(Record.Lines[2], &Data, 2, 2, 3, Name, Mode, State));
    EXPECT_EQ(State, rstSkip);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(Back.Image()), nullptr);
    EXPECT_TRUE(Back.Image()->Equals(Item.Image()));
}

TEST_F(PictureItemTest, RVFDamagedDataBecomesTheInvalidPicture)
{
    Data.RVFOptions = TRVFOptions{rvfoSavePicturesBody};
    TRVGraphicItemInfo Item(&Data, NewBitmap(4, 4), rvvaBaseline);
    TMemoryStream Stream;
    Item.SaveRVF(Stream, &Data, 0, 0, "x", nullptr, false);
    AnsiString Bytes = StreamBytes(Stream);
    // Damage the data line a little way in.
    const size_t DataLine = Bytes.find("TBitmap\r\n") + 9;
    Bytes[DataLine + 10] = 'Z';
    ReadBackInvalid(Bytes);
}

// A PNG header of 32768 x 32768 pixels (each side within the side limit, far
// beyond the pixel budget) in a record of a few hundred bytes is the invalid
// picture, not an item 32,768 pixels high.
TEST_F(PictureItemTest, RVFPictureBeyondThePixelBudgetBecomesTheInvalidPicture)
{
    RegisterGraphicClasses();
    Data.RVFOptions = TRVFOptions{rvfoSavePicturesBody};
    std::unique_ptr<TBitmap> Small(NewBitmap(4, 4));
    auto* Png = new TPNGImage;
    Png->Assign(Small.get());
    TRVGraphicItemInfo Item(&Data, Png, rvvaBaseline);
    TMemoryStream Stream;
    Item.SaveRVF(Stream, &Data, 0, 0, "x", nullptr, false);
    AnsiString Bytes = StreamBytes(Stream);
    // The IHDR width and height, as hex after the signature.
    const size_t At = Bytes.find("89504E470D0A1A0A");
    ASSERT_NE(At, AnsiString::npos);
    Bytes.replace(At + 32, 16, "0000800000008000");
    EXPECT_LT(ReadBackInvalid(Bytes)->GetHeight(), 100);
}

TEST_F(PictureItemTest, RVFUnknownPictureClassFailsUnlessIgnored)
{
    const AnsiString Record = "-3 3 0 0 0 0 0\r\np\r\nTNoSuchGraphic\r\n00\r\n";
    bool Accepted = true;
    AnsiString Name;
    auto Back = ReadBack(Record, &Data, Accepted, Name);
    EXPECT_FALSE(Accepted);
    EXPECT_TRUE(Data.Warnings.Contains(rvfwUnknownPicFmt));

    Data.Warnings = TRVFWarnings();
    Data.RVFOptions = TRVFOptions{rvfoIgnoreUnknownPicFmt};
    Back = ReadBack(Record, &Data, Accepted, Name);
    EXPECT_TRUE(Accepted);
    EXPECT_TRUE(Data.Warnings.Contains(rvfwUnknownPicFmt));
    EXPECT_FALSE(Back->GetBoolValue(rvbpValid));

    // A record too short to hold a body is damaged.
    Back = ReadBack("-3 2 0 0 0 0 0\r\np\r\nTBitmap\r\n", &Data, Accepted, Name);
    EXPECT_FALSE(Accepted);
}

TEST_F(PictureItemTest, RVFWithoutBodyAsksTheDocumentAndFixesOldMetafiles)
{
    AnsiString Asked;
    Data.PictureNeeded = [&](const AnsiString& Name, const TRVTag& Tag) -> TGraphic* {
        Asked = Name + "/" + IntToStr(Tag.AsInteger());
        return NewBitmap(7, 7);
    };
    bool Accepted = false;
    AnsiString Name;
    auto Back = ReadBack("-3 2 0 0 1 9 0\r\nsun\r\nheight=20\r\n", &Data, Accepted, Name);
    ASSERT_TRUE(Accepted);
    EXPECT_EQ(Asked, "sun/9");
    EXPECT_EQ(Back->Image()->Width(), 7);
    EXPECT_EQ(Back->ImageHeight, 20);

    // An old-format metafile whose header gives no resolution is read in twips.
    std::unique_ptr<TMetafile> Old(NewMetafile(20, 10, false));
    TMemoryStream Bytes;
    Old->SaveToStream(Bytes);
    // The placeable header's units per inch (bytes 14-15) set to 0, its checksum renewed.
    auto* Header = static_cast<uint8_t*>(Bytes.Memory());
    Header[14] = Header[15] = 0;
    uint16_t Sum = 0;
    for (int i = 0; i < 20; i += 2)
        Sum ^= static_cast<uint16_t>(Header[i] | (Header[i + 1] << 8));
    Header[20] = static_cast<uint8_t>(Sum);
    Header[21] = static_cast<uint8_t>(Sum >> 8);
    const AnsiString Record = "-3 3 0 0 0 0 0\r\nm\r\nTMetafile\r\n" + RVFStream2TextString(Bytes) + "\r\n";
    Back = ReadBack(Record, &Data, Accepted, Name);
    ASSERT_TRUE(Accepted);
    auto* Metafile = dynamic_cast<TMetafile*>(Back->Image());
    ASSERT_NE(Metafile, nullptr);
    EXPECT_EQ(Metafile->Inch(), 1440);
}

// ---------------------------------------------------------------------------
// RTF

// The picture group each kind of picture and option writes, and a scale
// when it is shown at another size.
TEST(PictureRTF, FormatByPictureAndOption)
{
    std::unique_ptr<TBitmap> Bitmap(NewBitmap(10, 10));
    std::unique_ptr<TMetafile> Old(NewMetafile(20, 10, false));
    std::unique_ptr<TMetafile> Made(NewMetafile(20, 10, true));
    std::unique_ptr<TJPEGImage> Jpeg(NewJpeg(6, 4));
    const struct {
        TGraphic* Graphic;
        int Width;
        TRVRTFOptions Options;
        const char* Start;
    } Cases[] = {
        {Bitmap.get(), 20, {}, "{\\pict\\picscalex200\\dibitmap0\\wbmwidthbytes32\\picw10"},
        {Bitmap.get(), 0, {}, "{\\pict\\dibitmap0"},
        {Old.get(), 0, {}, "{\\pict\\wmetafile8"},
        {Old.get(), 40, {}, "{\\pict\\picscalex200\\wmetafile8"},
        {Made.get(), 0, {}, "{\\pict\\emfblip"},
        {Made.get(), 0, {rvrtfSaveEMFAsWMF}, "{\\pict\\wmetafile8"},
        {Jpeg.get(), 0, {rvrtfSaveJpegAsJpeg}, "{\\pict\\jpegblip\\picw6\\pich4 "},
        {Jpeg.get(), 0, {rvrtfSaveBitmapDefault}, "{\\pict\\dibitmap0\\wbmwidthbytes20"},
        {Jpeg.get(), 0, {}, "{\\pict\\wmetafile1"},
        {Jpeg.get(), 0, {rvrtfSaveEMFDefault}, "{\\pict\\emfblip"},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.Start);
        const AnsiString RTF = RTFOf(c.Graphic, c.Width, 0, c.Options);
        EXPECT_EQ(RTF.rfind(c.Start, 0), 0u) << RTF.substr(0, 80);
        EXPECT_EQ(RTF.back(), '}');
    }
    EXPECT_TRUE(Made->Enhanced()) << "converted in a temporary copy";

    // A JPEG too large to write uncompressed keeps its own bytes whatever the
    // options, as the JPEG option writes them.
    std::unique_ptr<TJPEGImage> Large(NewJpeg(2049, 2049));
    const AnsiString Own = RTFOf(Large.get(), 0, 0, {rvrtfSaveJpegAsJpeg});
    for (TRVRTFOptions Options : {TRVRTFOptions(), TRVRTFOptions{rvrtfSaveBitmapDefault}})
        EXPECT_EQ(RTFOf(Large.get(), 0, 0, Options), Own);
    EXPECT_EQ(Own, "{\\pict\\jpegblip\\picw2049\\pich2049 " + RVFSavePicture(Large.get()) + "}");

    // Pictures larger than a block of text are written whole, their headers left out.
    std::unique_ptr<TBitmap> Wide(NewBitmap(300, 100));
    const AnsiString Dib = RTFOf(Wide.get(), 0, 0, {});
    const AnsiString Hex = RVFSavePicture(Wide.get()).substr(28);
    ASSERT_GT(Hex.size(), 65536u);
    EXPECT_EQ(Dib.substr(Dib.size() - Hex.size() - 1), Hex + "}");
    EXPECT_EQ(RTFOf(nullptr, 0, 0, TRVRTFOptions()), "");

    // A metafile read from bytes cannot be converted and keeps its own format.
    TMemoryStream Bytes;
    Made->SaveToStream(Bytes);
    Bytes.SetPosition(0);
    TMetafile Foreign;
    Foreign.LoadFromStream(Bytes);
    EXPECT_EQ(RTFOf(&Foreign, 0, 0, TRVRTFOptions{rvrtfSaveEMFAsWMF}).rfind("{\\pict\\emfblip", 0), 0u);
}

// ---------------------------------------------------------------------------
// HTML

TEST_F(PictureItemTest, HTMLWritesThePictureBesideThePage)
{
    TempDir Dir;
    const AnsiString Path = Dir.Path() + "/";
    TRVGraphicItemInfo Item(&Data, NewBitmap(10, 6), rvvaMiddle);
    Item.ImageWidth = 50;
    int Counter = 0;
    TMemoryStream Stream;
    Item.SaveToHTML(Stream, &Data, 0, "", Path, "img", Counter, clWhite, TRVSaveOptions(), false, nullptr);
    // The displayed size even without rvsoImageSizes.
    EXPECT_NE(StreamBytes(Stream).find("width=50 height=6 src=\"img1.jpg\""), AnsiString::npos);
    EXPECT_EQ(Counter, 1);
    TJPEGImage Written;
    Written.LoadFromFile(Dir.File("img1.jpg"));
    EXPECT_EQ(Written.Width(), 10);

    // The document may give the location itself; it is written escaped, with slashes.
    Data.HTMLLocations[0] = "pics\\a\"b<c>.png";
    TMemoryStream Given;
    Item.ImageWidth = 0;
    Item.VAlign = rvvaBaseline;
    Item.SaveToHTML(Given, &Data, 0, "", Path, "img", Counter, clWhite,
                    TRVSaveOptions{rvsoNoHypertextImageBorders}, false, nullptr);
    EXPECT_EQ(StreamBytes(Given), "<IMG border=0 src=\"pics/a&quot;b&lt;c&gt;.png\">");
    EXPECT_EQ(Counter, 1);

    // An empty location writes nothing.
    Data.HTMLLocations[0] = "";
    TMemoryStream None;
    Item.SaveToHTML(None, &Data, 0, "", Path, "img", Counter, clWhite, TRVSaveOptions(), false, nullptr);
    EXPECT_EQ(StreamBytes(None), "");
}

// The pictures of one read share one pixel allowance, in both forms: those
// past it become the invalid picture with the warning, the read goes on, and
// the next read has an allowance of its own. A kept run-length bitmap is
// written back as its own bytes.
TEST_F(PictureItemTest, RVFPicturesShareTheReadsPixelAllowance)
{
    const TSmallPixelBudgets Budgets(int64_t(1) << 40, 25000);
    const std::string File = RleBmp(100, 0x00FF00);
    for (bool Binary : {false, true}) {
        SCOPED_TRACE(Binary);
        Data.Clear();
        Data.RVFOptions = TRVFOptions{rvfoSavePicturesBody};
        if (Binary)
            Data.RVFOptions = Data.RVFOptions + TRVFOptions{rvfoSaveBinary};
        for (int i = 0; i < 3; ++i) {
            auto* Bitmap = new TBitmap;
            TStringStream In(File);
            Bitmap->LoadFromStream(In);
            Data.AddPictureEx("p", Bitmap, 0, rvvaBaseline);
        }
        TMemoryStream Saved;
        ASSERT_TRUE(Data.SaveRVFToStream(Saved, false, clNone, nullptr, nullptr));
        // Each picture is its run-length file (hex in the text form), not 30 KB of rows.
        EXPECT_LT(Saved.Size(), 3 * 2 * static_cast<int64_t>(File.size()) + 400);

        for (int Read = 0; Read < 2; ++Read) {
            Saved.SetPosition(0);
            Data.Warnings = TRVFWarnings();
            TColor Color = clNone;
            EXPECT_TRUE(Data.LoadRVFFromStream(Saved, Color, nullptr, nullptr));
            ASSERT_EQ(Data.GetItemCount(), 3);
            for (int i = 0; i < 2; ++i) {
                auto* Item = static_cast<TRVGraphicItemInfo*>(Data.GetItem(i));
                EXPECT_EQ(Item->Image()->Width(), 100) << i;
            }
            auto* Last = static_cast<TRVGraphicItemInfo*>(Data.GetItem(2));
            EXPECT_TRUE(Last->Image()->Equals(Style.InvalidPicture()->Graphic()));
            EXPECT_TRUE(Data.Warnings.Contains(rvfwInvalidPicture));
        }
    }
}
