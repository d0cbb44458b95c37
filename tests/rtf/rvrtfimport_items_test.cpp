// RTF loads into a document: pictures, hyperlinks, headers and footers, list
// markers, and our own RTF writer's output read back.
#include <gtest/gtest.h>

#include "document/crvdata_rtfsave.h"
#include "document/rvitem_pictures.h"
#include "document/rvstyle_list.h"
#include "document/rvstyle_text.h"
#include "platform/core/colors.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/recordingcanvas.h"
#include "rtf/rvrtfrecords.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/picturebudget.h"
#include "tests/support/rtfimport.h"
#include "tests/support/streambytes.h"
#include "tests/support/tempdir.h"

namespace {

std::string Pict(const std::string& words, const std::string& hex)
{
    return "{\\pict" + words + " " + hex + "}";
}

// A document that writes its pictures' bytes into RVF.
class TPictureBodyData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    TRVFOptions GetRVFOptions() override { return TRVFOptions{rvfoSavePicturesBody}; }
};

TRVGraphicItemInfo* PictureAt(TCustomRVData& data, int itemNo)
{
    return dynamic_cast<TRVGraphicItemInfo*>(data.GetItem(itemNo));
}

} // namespace

TEST_F(TRTFImportTest, PictureScaleAppliesToTheSuggestedSize)
{
    const int goal = 200 * 1440 / ScreenPixelsPerInch();
    const std::string words = "\\pngblip\\picwgoal" + std::to_string(goal) + "\\pichgoal" +
                              std::to_string(goal) + "\\picscalex50\\picscaley25";
    ASSERT_EQ(Load("{\\rtf1 " + Pict(words, PngHex(10, 10)) + Pict("\\pngblip", PngHex(7, 5)) + "}"),
              rtf_ec_OK);
    ASSERT_EQ(Summary(), "[pic][pic]");
    EXPECT_EQ(PictureAt(Data, 0)->ImageWidth, 100);
    EXPECT_EQ(PictureAt(Data, 0)->ImageHeight, 50);
    // At 100 percent the picture keeps its own size.
    EXPECT_EQ(PictureAt(Data, 1)->ImageWidth, 0);
    EXPECT_EQ(PictureAt(Data, 1)->Image()->Width(), 7);
}

TEST_F(TRTFImportTest, PngIsPreferredToItsMetafileCopy)
{
    const std::string hex = PngHex(3, 2);
    ASSERT_EQ(Load("{\\rtf1 a{\\*\\shppict" + Pict("\\pngblip", hex) + "}{\\nonshppict" +
                   Pict("\\wmetafile8\\picw10\\pich10", "0100") + "}b}"),
              rtf_ec_OK);
    ASSERT_EQ(Summary(), "a[pic]b");
    const auto* png = dynamic_cast<TPNGImage*>(PictureAt(Data, 1)->Image());
    ASSERT_NE(png, nullptr);
    // The picture keeps the bytes it was read from.
    TMemoryStream saved;
    png->SaveToStream(saved);
    EXPECT_EQ(saved.Size() * 2, static_cast<int64_t>(hex.size()));
}

// An old-format metafile in RTF (its records without the placeable header,
// its size in 0.01 mm under the anisotropic mapping mode) is drawn as its
// records say: here a metafile of our own writer, red on the left, blue on the right.
TEST_F(TRTFImportTest, AWindowsMetafileIsDrawnAsItsRecordsSay)
{
    TMetafile source;
    source.SetEnhanced(false);
    source.SetWidth(40);
    source.SetHeight(20);
    {
        TMetafileCanvas canvas(&source);
        canvas.Canvas()->Brush()->SetColor(clRed);
        canvas.Canvas()->FillRect(TRect{0, 0, 20, 20});
        canvas.Canvas()->Brush()->SetColor(clBlue);
        canvas.Canvas()->FillRect(TRect{20, 0, 40, 20});
    }
    TMemoryStream bytes;
    source.SaveToStream(bytes);
    std::string hex;
    static const char digits[] = "0123456789abcdef";
    const auto* p = static_cast<const uint8_t*>(bytes.Memory());
    for (int64_t i = 22; i < bytes.Size(); ++i) {
        hex += digits[p[i] >> 4];
        hex += digits[p[i] & 15];
    }
    const std::string words = "\\wmetafile8\\picw" + std::to_string(source.MMWidth()) + "\\pich" +
                              std::to_string(source.MMHeight()) + "\\picwgoal600\\pichgoal300";
    ASSERT_EQ(Load("{\\rtf1 " + Pict(words, hex) + "}"), rtf_ec_OK);
    ASSERT_EQ(Summary(), "[pic]");
    auto* metafile = dynamic_cast<TMetafile*>(PictureAt(Data, 0)->Image());
    ASSERT_NE(metafile, nullptr);
    TBitmap shown;
    shown.SetSize(80, 40);
    shown.Canvas()->StretchDraw(TRect{0, 0, 80, 40}, metafile);
    EXPECT_EQ(shown.Pixels().At(10, 20), 0xFFFF0000u);
    EXPECT_EQ(shown.Pixels().At(70, 20), 0xFF0000FFu);
}

// RTF of 64 KiB holding one metafile (old-format or enhanced) of thousands
// of full-frame shapes, or one star polygon, as hex or after \bin: the
// picture shows at its frame of
// 5792 x 5792 pixels, and painting it draws it once into a bitmap within the
// decoded-pixel budget, its drawing stopped when its fill budget is spent.
TEST_F(TRTFImportTest, HostileMetafilesPaintWithinTheirBudgets)
{
    using namespace metafilebuilder;
    const int64_t Budget = int64_t(1) << 20;
    TSmallPixelBudgets Budgets(Budget, PictureLoadPixelBudget);
    for (THostileShape Shape : {THostileShape::Rectangles, THostileShape::StarPolygon})
        for (int Kind = 0; Kind < 3; ++Kind) {
            const bool Binary = Kind == 1, Enhanced = Kind == 2;
            SCOPED_TRACE(Kind);
            const std::string Rtf = Enhanced ? HostileEmfRtf(Shape, true) : HostileWmfRtf(Shape, Binary);
            EXPECT_LE(Rtf.size(), 65536u);
            Data.Clear();
            ASSERT_EQ(Load(Rtf), rtf_ec_OK);
            ASSERT_EQ(Summary(), "[pic]");
            TRVGraphicItemInfo* Item = PictureAt(Data, 0);
            auto* Metafile = dynamic_cast<TMetafile*>(Item->Image());
            ASSERT_NE(Metafile, nullptr);
            EXPECT_EQ(Item->GetImageWidth(&Style), HostileSide);
            EXPECT_EQ(Item->GetImageHeight(&Style), HostileSide);
            TRecordingCanvas Canvas(400, 600);
            for (int i = 0; i < 2; ++i)
                Item->Paint(0, -1000, &Canvas, TRVItemDrawStates(), &Style, nullptr);
            EXPECT_EQ(Metafile->Plays(), 1);
            const TSize Size = Metafile->RenderedSize();
            EXPECT_LE(int64_t(Size.cx) * Size.cy, Budget);
            EXPECT_EQ(Size.cx, Size.cy);
            EXPECT_TRUE(Metafile->LastPlay().Stopped);
            EXPECT_LE(Metafile->LastPlay().Filled, metafileplayer::FillBudget(Size.cx, Size.cy));
        }
}

TEST_F(TRTFImportTest, UndecodablePicturesBecomeTheInvalidPictureAndTheLoadGoesOn)
{
    const char* const broken[] = {"\\jpegblip", "\\pngblip", "\\dibitmap", "\\wmetafile8\\picw10\\pich10",
                                  "\\macpict"};
    for (const char* words : broken) {
        SCOPED_TRACE(words);
        Data.Clear();
        ASSERT_EQ(Load(std::string("{\\rtf1 a") + Pict(words, "0102030405") + "b\\par c}"), rtf_ec_OK);
        EXPECT_EQ(Summary(), "a[pic]b\nc");
        const TGraphic* shown = PictureAt(Data, 1)->Image();
        ASSERT_NE(shown, nullptr);
        EXPECT_STREQ(shown->ClassName(), Style.InvalidPicture()->Graphic()->ClassName());
    }
}

TEST_F(TRTFImportTest, IgnoredPicturesAreNotRead)
{
    Props.SetIgnorePictures(true);
    ASSERT_EQ(Load("{\\rtf1 a" + Pict("\\pngblip", PngHex(2, 2)) + "b}"), rtf_ec_OK);
    EXPECT_EQ(Summary(), "ab");
}

TEST_F(TRTFImportTest, HyperlinkTargets)
{
    struct TCase {
        const char* Instruction;
        const char* BasePath;
        const char* Target;
        const char* Extras;
    };
    const TCase cases[] = {
        {R"(HYPERLINK "page.html")", "/docs/", "/docs/page.html", ""},
        {R"(HYPERLINK "http://example.org/a")", "/docs/", "http://example.org/a", ""},
        {R"(HYPERLINK "page.html")", "", "page.html", ""},
        {R"(HYPERLINK "my page.html" \\o "a tip")", "/docs/", "/docs/my page.html", "\\o \"a tip\""},
        {R"( HYPERLINK  \\l  "anchor" )", "", "anchor", "\\l"},
        {R"(HYPERLINK "a.html" \\o "tip")", "", "a.html", "\\o \"tip\""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Instruction);
        Data.Clear();
        Data.Links.clear();
        Props.BasePath = c.BasePath;
        ASSERT_EQ(Load(std::string(R"({\rtf1 see {\field{\*\fldinst )") + c.Instruction +
                       R"(}{\fldrslt link}} now})"),
                  rtf_ec_OK);
        EXPECT_EQ(Summary(), "see link now");
        ASSERT_EQ(Data.Links.size(), 1u);
        EXPECT_EQ(Data.Links[0].Target, c.Target);
        EXPECT_EQ(Data.Links[0].Extras, c.Extras);
        EXPECT_EQ(Data.GetItemTag(1).AsString(), c.Target);
    }
}

TEST_F(TRTFImportTest, SymbolFieldsKeepTheirFontAndSize)
{
    Props.SetTextStyleMode(rvrsAddIfNeeded);
    const std::string field = R"({\field{\*\fldinst SYMBOL 183 \\f "Symbol" \\s 20}{\fldrslt }})";
    ASSERT_EQ(Load(R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 Arial;}}\f0\fs24 a)" + field + "b}"), rtf_ec_OK);
    ASSERT_EQ(Data.GetItemCount(), 3);
    // The character code stays the symbol font's glyph number.
    EXPECT_EQ(Data.GetItemText(1), "\xB7");
    const TFontInfo* symbol = Style.TextStyles()->Items(Data.GetItem(1)->StyleNo);
    EXPECT_EQ(symbol->FontName(), "Symbol");
    EXPECT_EQ(symbol->Size(), 20);
    EXPECT_EQ(symbol->Charset(), SYMBOL_CHARSET);
    // The text around the field keeps the run's font.
    const TFontInfo* body = Style.TextStyles()->Items(Data.GetItem(2)->StyleNo);
    EXPECT_EQ(body->FontName(), "Arial");
    EXPECT_EQ(body->Size(), 12);
}

TEST_F(TRTFImportTest, CustomImageItemsReplaceThePictureItem)
{
    struct TCall {
        bool HadGraphic, Hypertext, HadRecord;
        int64_t DataSize;
    };
    std::vector<TCall> calls;
    // The handler makes a bullet for an undecodable picture and keeps the
    // decoded one in a picture item of its own.
    Props.OnCustomImageItem = [&](TCustomRVData* rvData, TGraphic* graphic, bool hypertext,
                                  TCustomRVItemInfo*& item, bool& freeGraphic, TRVRTFPicture* picture) {
        calls.push_back(
            {graphic != nullptr, hypertext, picture != nullptr, picture ? picture->Data.Size() : -1});
        if (!graphic) {
            item = new TRVBulletItemInfo(rvData);
            item->StyleNo = rvsBullet;
            return;
        }
        item = new TRVGraphicItemInfo(rvData, graphic, rvvaMiddle);
        freeGraphic = false;
    };
    ASSERT_EQ(Load("{\\rtf1 a" + Pict("\\jpegblip", "0102030405") + "b" + Pict("\\pngblip", PngHex(4, 3)) +
                   "{\\field{\\*\\fldinst HYPERLINK \"x.html\"}{\\fldrslt " +
                   Pict("\\pngblip", PngHex(2, 2)) + "}}}"),
              rtf_ec_OK);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_FALSE(calls[0].HadGraphic);
    EXPECT_TRUE(calls[0].HadRecord);
    // The program can read the picture's own bytes.
    EXPECT_EQ(calls[0].DataSize, 5);
    EXPECT_TRUE(calls[1].HadGraphic);
    EXPECT_FALSE(calls[1].Hypertext);
    EXPECT_TRUE(calls[2].Hypertext);
    ASSERT_EQ(Data.GetItemCount(), 5);
    EXPECT_EQ(Data.GetItemStyle(1), rvsBullet);
    ASSERT_NE(PictureAt(Data, 3), nullptr);
    EXPECT_EQ(PictureAt(Data, 3)->VAlign, rvvaMiddle);
    EXPECT_EQ(PictureAt(Data, 3)->Image()->Width(), 4);
    // The link's item went through the document's hyperlink reading.
    ASSERT_EQ(Data.Links.size(), 1u);
    EXPECT_EQ(Data.GetItemTag(4).AsString(), "x.html");
}

TEST_F(TRTFImportTest, ACustomImageHandlerMayDropPictures)
{
    Props.OnCustomImageItem = [](TCustomRVData*, TGraphic*, bool, TCustomRVItemInfo*&, bool&,
                                 TRVRTFPicture*) {};
    ASSERT_EQ(Load("{\\rtf1 a" + Pict("\\pngblip", PngHex(4, 3)) + "b}"), rtf_ec_OK);
    EXPECT_EQ(Summary(), "ab");
}

TEST_F(TRTFImportTest, HeadersAndFootersGoToTheirTargets)
{
    const std::string rtf = R"({\rtf1\headery720{\header head\par line}{\footer foot}body})";
    ASSERT_EQ(Load(rtf), rtf_ec_OK);
    EXPECT_EQ(Summary(), "body");

    TTestSubRVData header(&Data), footer(&Data);
    header.AddNL("old", 0, 0);
    Props.SetHeader(&header);
    Props.SetFooter(&footer);
    Data.Clear();
    ASSERT_EQ(Load(rtf), rtf_ec_OK);
    EXPECT_EQ(Summary(), "body");
    EXPECT_EQ(RTFSummary(header), "head\nline");
    EXPECT_EQ(RTFSummary(footer), "foot");
    EXPECT_EQ(Props.HeaderYPx, ScreenPixelsPerInch() / 2);
}

// ---- List markers

namespace {

const char* const OldStyleList =
    R"({\rtf1{\fonttbl{\f0 Arial;}})"
    R"({\pntext 1.}\pard{\*\pn\pnlvlbody\pndec\pnstart1{\pntxta .}}\li720\fi-360 one\par)"
    R"({\pntext 2.}\pard{\*\pn\pnlvlbody\pndec\pnstart1{\pntxta .}}\li720\fi-360 two\par)"
    R"(\pard three})";

const char* const Word97Lists =
    R"({\rtf1{\fonttbl{\f0 Arial;}})"
    R"({\*\listtable{\list\listtemplateid1{\listlevel\levelnfc0\levelstartat1{\leveltext\'02\'00.;}{\levelnumbers\'01;}\li720\fi-360})"
    R"({\listlevel\levelnfc4\levelstartat1{\leveltext\'02\'01);}{\levelnumbers\'01;}\li1440\fi-360}\listid7})"
    R"({\list\listtemplateid2{\listlevel\levelnfc23{\leveltext\'01\'b7;}{\levelnumbers;}\li720\fi-360}\listid8}})"
    R"({\*\listoverridetable{\listoverride\listid7\listoverridecount0\ls1})"
    R"({\listoverride\listid99\listoverridecount0\ls2}{\listoverride\listid8\listoverridecount0\ls3}})"
    R"({\listtext 1.}\pard\ls1\ilvl0 a\par{\listtext a)}\pard\ls1\ilvl1 b\par)"
    R"(\pard\ls1\ilvl9 c\par\pard\ls2 d\par\pard\ls5 e\par\pard\ls3 f})";

} // namespace

TEST_F(TRTFImportTest, OldStyleNumberingSharesOneListStyle)
{
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    const int lists = Style.ListStyles()->Count();
    ASSERT_EQ(Load(OldStyleList), rtf_ec_OK);
    const std::string list = std::to_string(lists);
    EXPECT_EQ(Summary(), "#" + list + ".0one\n#" + list + ".0two\nthree");
    ASSERT_EQ(Style.ListStyles()->Count(), lists + 1);
    const TRVListLevel* level = Style.ListStyles()->Items(lists)->Levels()->Items(0);
    EXPECT_EQ(level->ListType(), rvlstDecimal);
    EXPECT_EQ(level->FormatString(), "%s.");
    ASSERT_NE(Data.Markers, nullptr);
    EXPECT_EQ(Data.Markers->Count(), 2);
    ExpectStylesInRange();
}

TEST_F(TRTFImportTest, Word97ListsBecomeListStyles)
{
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    const int lists = Style.ListStyles()->Count();
    ASSERT_EQ(Load(Word97Lists), rtf_ec_OK);
    const std::string first = std::to_string(lists), second = std::to_string(lists + 1);
    // A level beyond the list's is its last; an override of a missing list, or
    // a missing override, makes no marker.
    EXPECT_EQ(Summary(), "#" + first + ".0a\n#" + first + ".1b\n#" + first + ".1c\nd\ne\n#" + second + ".0f");
    ASSERT_EQ(Style.ListStyles()->Count(), lists + 2);
    const TRVListInfo* numbered = Style.ListStyles()->Items(lists);
    ASSERT_EQ(numbered->Levels()->Count(), 2);
    EXPECT_EQ(numbered->Levels()->Items(0)->FormatString(), "%0:s.");
    EXPECT_EQ(numbered->Levels()->Items(1)->ListType(), rvlstLowerAlpha);
    EXPECT_EQ(Style.ListStyles()->Items(lists + 1)->Levels()->Items(0)->ListType(), rvlstBullet);
    ASSERT_NE(Data.Markers, nullptr);
    EXPECT_EQ(Data.Markers->Count(), 4);
    // A second load uses the list styles the first one added.
    Data.Clear();
    ASSERT_EQ(Load(Word97Lists), rtf_ec_OK);
    EXPECT_EQ(Style.ListStyles()->Count(), lists + 2);
}

TEST_F(TRTFImportTest, ALaterListTableIsMergedAgain)
{
    // The first table's list has no level the reader knows; the second
    // replaces it with a two-level list. Paragraphs after the second table
    // take their markers from its lists, inside their levels.
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    const int lists = Style.ListStyles()->Count();
    const char* const rtf =
        R"({\rtf1{\listtable{\list{\listlevelx}\listid7}})"
        R"({\*\listoverridetable{\listoverride\listid7\listoverridecount0\ls1}})"
        R"(\pard\ls1 a\par)"
        R"({\listtable{\list{\listlevel\levelnfc0{\leveltext\'02\'00.;}{\levelnumbers\'01;}})"
        R"({\listlevel\levelnfc4{\leveltext\'02\'01);}{\levelnumbers\'01;}}\listid7}})"
        R"(\pard\ls1\ilvl1 b\par\pard\ls1\ilvl5 c})";
    ASSERT_EQ(Load(rtf), rtf_ec_OK);
    const std::string second = std::to_string(lists + 1);
    EXPECT_EQ(Summary(), "a\n#" + second + ".1b\n#" + second + ".1c");
    ASSERT_EQ(Style.ListStyles()->Count(), lists + 2);
    EXPECT_EQ(Style.ListStyles()->Items(lists + 1)->Levels()->Count(), 2);
    ExpectStylesInRange();
}

TEST_F(TRTFImportTest, WithoutMarkersTheNumberingTextIsKept)
{
    const int lists = Style.ListStyles()->Count();
    ASSERT_EQ(Load(OldStyleList), rtf_ec_OK);
    EXPECT_EQ(Summary(), "1.one\n2.two\nthree");
    Data.Clear();
    ASSERT_EQ(Load(Word97Lists), rtf_ec_OK);
    EXPECT_EQ(Summary(), "1.a\na)b\nc\nd\ne\nf");
    EXPECT_EQ(Style.ListStyles()->Count(), lists);
}

// ---- Our own writer's output

TEST_F(TRTFImportTest, OwnRTFReadsBackToEqualTextAndStyles)
{
    TRVStyle sourceStyle{nullptr};
    TTestRVData source(&sourceStyle);
    sourceStyle.TextStyles()->Clear();
    sourceStyle.TextStyles()->AddFont("Arial", 10, clWindowText, clNone, {});
    sourceStyle.TextStyles()->AddFont("Times New Roman", 14, clBlack, clNone, {fsBold});
    sourceStyle.TextStyles()->AddFont("Courier New", 12, clRed, clYellow, {fsItalic, fsUnderline});
    sourceStyle.ParaStyles()->Clear();
    sourceStyle.ParaStyles()->Add();
    TParaInfo* centred = sourceStyle.ParaStyles()->Add();
    centred->SetAlignment(rvaCenter);
    centred->SetLeftIndent(24);
    source.AddNL("plain text", 0, 0);
    source.AddNL(" bold", 1, -1);
    source.AddNL("centred italic", 2, 1);
    source.AddNL("plain again", 0, 0);
    TMemoryStream stream;
    ASSERT_TRUE(source.SaveRTFToStream(stream, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, 0));
    stream.SetPosition(0);

    Props.SetTextStyleMode(rvrsAddIfNeeded);
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    ASSERT_EQ(Props.ReadFromStream(stream, &Data), rtf_ec_OK);
    ASSERT_EQ(Summary(), RTFSummary(source));
    for (int i = 0; i < Data.GetItemCount(); ++i) {
        SCOPED_TRACE(i);
        const TFontInfo* want = sourceStyle.TextStyles()->Items(source.GetItemStyle(i));
        const TFontInfo* got = Style.TextStyles()->Items(Data.GetItemStyle(i));
        EXPECT_EQ(got->FontName(), want->FontName());
        EXPECT_EQ(got->Size(), want->Size());
        EXPECT_TRUE(got->Style() == want->Style());
        EXPECT_EQ(ColorToRGB(got->Color()), ColorToRGB(want->Color()));
        EXPECT_EQ(got->BackColor(), want->BackColor());
        const TParaInfo* wantPara = sourceStyle.ParaStyles()->Items(source.GetItemPara(i));
        const TParaInfo* gotPara = Style.ParaStyles()->Items(Data.GetItemPara(i));
        EXPECT_EQ(gotPara->Alignment(), wantPara->Alignment());
        EXPECT_EQ(gotPara->LeftIndent(), wantPara->LeftIndent());
    }
}

TEST_F(TRTFImportTest, OwnRTFReadsBackWithListsAndCheckpoints)
{
    TRVStyle sourceStyle{nullptr};
    TTestRVData source(&sourceStyle);
    TRVListInfo* numbered = sourceStyle.ListStyles()->Add();
    for (int i = 0; i < 2; ++i) {
        TRVListLevel* level = numbered->Levels()->Add();
        level->SetListType(i == 0 ? rvlstDecimal : rvlstLowerAlpha);
        level->SetFormatString(i == 0 ? "%0:s." : "%1:s)");
        level->SetLeftIndent(24 * (i + 1));
    }
    TRVListLevel* bullet = sourceStyle.ListStyles()->Add()->Levels()->Add();
    bullet->SetListType(rvlstBullet);
    bullet->SetFormatString("\xB7");
    TRVListLevel* unicodeBullet = sourceStyle.ListStyles()->Add()->Levels()->Add();
    unicodeBullet->SetListType(rvlstUnicodeBullet);
    unicodeBullet->SetFormatStringW(u"\u25CF");
    // Each paragraph: its marker when it is numbered, then its text with its checkpoint.
    struct TPara {
        const char* Text;
        int ListNo, Level, StartFrom;
        bool Reset;
        const char* Checkpoint;
    };
    const TPara paras[] = {
        {"intro", -1, 0, 0, false, "top"},   {"first", 0, 0, 5, true, "first"},
        {"second", 0, 0, 1, false, nullptr}, {"nested", 0, 1, 1, false, "inner"},
        {"third", 0, 0, 1, false, nullptr},  {"dot", 1, 0, 1, false, "dot"},
        {"disc", 2, 0, 1, false, nullptr},   {"end", -1, 0, 0, false, ""},
    };
    for (const TPara& p : paras) {
        if (p.ListNo >= 0)
            source.SetListMarkerInfo(-1, p.ListNo, p.Level, p.StartFrom, 0, p.Reset);
        if (p.Checkpoint)
            source.AddNamedCheckpointExTag(p.Checkpoint, false, TRVTag());
        source.AddNL(p.Text, 0, p.ListNo >= 0 ? -1 : 0);
    }
    source.AddNamedCheckpointExTag("after", false, TRVTag());
    TMemoryStream stream;
    ASSERT_TRUE(source.SaveRTFToStream(stream, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, 0));
    stream.SetPosition(0);

    Props.SetTextStyleMode(rvrsAddIfNeeded);
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    ASSERT_EQ(Props.ReadFromStream(stream, &Data), rtf_ec_OK);
    ASSERT_EQ(Summary(), RTFSummary(source));
    for (int i = 0; i < Data.GetItemCount(); ++i) {
        SCOPED_TRACE(i);
        const auto* want = dynamic_cast<TRVMarkerItemInfo*>(source.GetItem(i));
        const auto* got = dynamic_cast<TRVMarkerItemInfo*>(Data.GetItem(i));
        if (want && got && want->ListNo == 0) {
            // Numbering: levels, start values, and the numbers shown.
            EXPECT_EQ(got->Level, want->Level);
            EXPECT_EQ(got->StartFrom, want->StartFrom);
            EXPECT_EQ(got->Reset, want->Reset);
            EXPECT_EQ(got->Counter, want->Counter);
            const TRVListLevel* gotLevel =
                Style.ListStyles()->Items(got->ListNo)->Levels()->Items(got->Level);
            const TRVListLevel* wantLevel = numbered->Levels()->Items(want->Level);
            EXPECT_EQ(gotLevel->ListType(), wantLevel->ListType());
            EXPECT_EQ(gotLevel->FormatString(), wantLevel->FormatString());
        } else if (want && got) {
            // Bullets: the kind and the character.
            const TRVListLevel* gotLevel = Style.ListStyles()->Items(got->ListNo)->Levels()->Items(0);
            const TRVListLevel* wantLevel = sourceStyle.ListStyles()->Items(want->ListNo)->Levels()->Items(0);
            EXPECT_EQ(gotLevel->ListType(), wantLevel->ListType());
            if (wantLevel->ListType() == rvlstUnicodeBullet)
                EXPECT_EQ(gotLevel->FormatStringW(), wantLevel->FormatStringW());
            else
                EXPECT_EQ(gotLevel->FormatString(), wantLevel->FormatString());
        }
        // The checkpoints stand on the same items with the same names.
        const TRVCPInfo* wantCP = source.GetItemCheckpoint(i);
        const TRVCPInfo* gotCP = Data.GetItemCheckpoint(i);
        ASSERT_EQ(gotCP != nullptr, wantCP != nullptr);
        if (wantCP) {
            EXPECT_EQ(gotCP->Name, wantCP->Name);
        }
    }
    EXPECT_EQ(Data.CPCount, source.CPCount);
    // The checkpoint after the last item waits for the next item as it did.
    ASSERT_NE(Data.NotAddedCP, nullptr);
    EXPECT_EQ(Data.NotAddedCP->Name, "after");
}

// A document ending in an empty paragraph, with or without a checkpoint on
// that paragraph and one after it: each checkpoint reads back where it was,
// the one after the last item waiting for the next item, and the empty
// paragraph stays the last one.
TEST_F(TRTFImportTest, ACheckpointAfterAnEmptyLastParagraphStaysAfterIt)
{
    const struct {
        const char* OnEmpty;
        const char* After;
    } cases[] = {{nullptr, "after"}, {"empty", "after"}, {"empty", nullptr}, {nullptr, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.OnEmpty ? c.OnEmpty : "-") + " " + (c.After ? c.After : "-"));
        TRVStyle sourceStyle{nullptr};
        TTestRVData source(&sourceStyle);
        source.AddNL("text", 0, 0);
        if (c.OnEmpty)
            source.AddNamedCheckpointExTag(c.OnEmpty, false, TRVTag());
        source.AddNL("", 0, 0);
        if (c.After)
            source.AddNamedCheckpointExTag(c.After, false, TRVTag());
        ASSERT_EQ(ReadBack(source), rtf_ec_OK);
        ASSERT_EQ(Summary(), "text\n");
        const TRVCPInfo* onEmpty = Data.GetItemCheckpoint(1);
        EXPECT_EQ(onEmpty ? onEmpty->Name : AnsiString("-"), c.OnEmpty ? c.OnEmpty : "-");
        EXPECT_EQ(Data.NotAddedCP ? Data.NotAddedCP->Name : AnsiString("-"), c.After ? c.After : "-");
        EXPECT_EQ(Data.CPCount, source.CPCount);
    }
}

// Horizontal rules everywhere they can stand (first in the document, one
// after another, before and inside tables, last in a cell and in the
// document) read back as rules of their width and colour, each one item.
TEST_F(TRTFImportTest, OwnRulesReadBackAsRules)
{
    TRVStyle sourceStyle{nullptr};
    TTestRVData source(&sourceStyle);
    source.AddBreakEx(3, rvbsLine, clRed);
    source.AddNL("a", 0, 0);
    source.AddNamedCheckpointExTag("rule", false, TRVTag());
    source.AddBreak();
    source.AddBreakEx(1, rvbsLine, clBlue);
    source.AddNL("", 0, 0);
    auto* table = new TRVTableItemInfo(1, 2, &source);
    for (int c = 0; c < 2; ++c)
        table->GetCells(0, c)->Clear();
    table->GetCells(0, 0)->AddNL("x", 0, 0);
    table->GetCells(0, 0)->AddBreakEx(2, rvbsLine, clGreen);
    table->GetCells(0, 1)->AddBreak();
    table->GetCells(0, 1)->AddNL("y", 0, 0);
    source.AddItem(AnsiString(), table);
    source.AddNL("z", 0, 0);
    source.AddBreakEx(4, rvbsLine, clNone);
    TMemoryStream stream;
    ASSERT_TRUE(source.SaveRTFToStream(stream, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, 0));
    for (TRVReaderStyleMode mode : {rvrsUseClosest, rvrsAddIfNeeded}) {
        SCOPED_TRACE(mode);
        Data.Clear();
        stream.SetPosition(0);
        Props.SetTextStyleMode(mode);
        Props.SetParaStyleMode(mode);
        ASSERT_EQ(Props.ReadFromStream(stream, &Data), rtf_ec_OK);
        ASSERT_EQ(Summary(), "[hr]\na\n[hr]\n[hr]\n\n[1x2: x\n[hr] / [hr]\ny]\nz\n[hr]");
        auto* got = dynamic_cast<TRVTableItemInfo*>(Data.GetItem(5));
        ASSERT_NE(got, nullptr);
        const struct {
            TCustomRVData* Store;
            int ItemNo;
            int Width;
            TColor Color;
        } rules[] = {{&Data, 0, 3, clRed},  {&Data, 2, 1, clNone},
                     {&Data, 3, 1, clBlue}, {got->GetCells(0, 0), 1, 2, clGreen},
                     {&Data, 7, 4, clNone}, {got->GetCells(0, 1), 0, 1, clNone}};
        for (const auto& rule : rules) {
            SCOPED_TRACE(rule.ItemNo);
            auto* item = dynamic_cast<TRVBreakItemInfo*>(rule.Store->GetItem(rule.ItemNo));
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->LineWidth, rule.Width);
            EXPECT_EQ(item->Color, rule.Color);
            EXPECT_EQ(item->Style, rvbsLine);
        }
        const TRVCPInfo* checkpoint = Data.GetItemCheckpoint(2);
        ASSERT_NE(checkpoint, nullptr);
        EXPECT_EQ(checkpoint->Name, "rule");
        ExpectStylesInRange();
    }
}

// Empty paragraphs with borders that are not in the writer's form of a rule,
// and empty paragraphs after a rule that are not the one written with it,
// stay paragraphs.
TEST_F(TRTFImportTest, OtherBorderedParagraphsStayParagraphs)
{
    const std::string rule = R"(\pard\plain\fs6\brdrb\brdrs\brdrw15\par\pard)";
    const struct {
        const char* Name;
        std::string Body;
        const char* Summary;
    } cases[] = {
        {"the writer's form", rule + R"(\par b)", "a\n[hr]\nb"},
        {"another writer's copy of it",
         R"(\pard\plain\ql\brdrt\brdrnone\brdrl\brdrnone\brdrb\brdrs\brdrw15\brdrcf1\brsp0\brdrr\brdrnone\fs6\par)"
         R"(\pard\plain\fs6\par\pard\plain b)",
         "a\n[hr]\nb"},
        {"a bottom border at the text's size", R"(\pard\brdrb\brdrs\brdrw15\par b)", "a\n\nb"},
        {"space between border and text", R"(\pard\plain\fs6\brdrb\brdrs\brdrw15\brsp20\par b)", "a\n\nb"},
        {"a border above as well", R"(\pard\plain\fs6\brdrt\brdrs\brdrb\brdrs\brdrw15\par b)", "a\n\nb"},
        {"a double border", R"(\pard\plain\fs6\brdrb\brdrdb\brdrw15\par b)", "a\n\nb"},
        {"an indent", R"(\pard\plain\fs6\li360\brdrb\brdrs\brdrw15\par b)", "a\n\nb"},
        {"bold", R"(\pard\plain\fs6\b\brdrb\brdrs\brdrw15\par b)", "a\n\nb"},
        {"text in it", R"(\pard\plain\fs6\brdrb\brdrs\brdrw15 x\par b)", "a\nx\nb"},
        {"an empty paragraph of its own after the rule", rule + R"(\par\par b)", "a\n[hr]\n\nb"},
        {"a larger empty paragraph after the rule", rule + R"(\plain\par b)", "a\n[hr]\n\nb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        ASSERT_EQ(Load(std::string(R"({\rtf1 a\par)") + c.Body + "}"), rtf_ec_OK);
        EXPECT_EQ(Summary(), c.Summary);
    }
}

TEST_F(TRTFImportTest, BookmarksOfForeignDocumentsBecomeCheckpoints)
{
    // Bookmarks in a table cell, before hidden text (dropped with it), two at
    // one place (the second goes to the next item), and unnamed ones of our writer.
    ASSERT_EQ(Load(R"({\rtf1 a{\*\bkmkstart one}b\par)"
                   R"(\trowd\cellx1000\pard\intbl{\*\bkmkstart cell}{\*\bkmkend cell}in\cell\row\pard)"
                   R"({\v{\*\bkmkstart hidden}gone}{\*\bkmkstart x1}{\*\bkmkstart x2}c{\b d})"
                   R"({\*\bkmkstart RollViewCheckpoint7}e})"),
              rtf_ec_OK);
    ASSERT_EQ(Summary(), "ab\n[1x1: in]\ncde");
    // The checkpoint of each item with text, by its text.
    auto names = [](TCustomRVData& data) {
        std::string out;
        for (int i = 0; i < data.GetItemCount(); ++i)
            if (!data.GetItemText(i).empty()) {
                const TRVCPInfo* cp = data.GetItemCheckpoint(i);
                out += data.GetItemText(i) + (cp ? "[" + cp->Name + "] " : " ");
            }
        return out;
    };
    EXPECT_EQ(names(Data), "a b[one] c[x1] d[x2] e[] ");
    auto* table = dynamic_cast<TRVTableItemInfo*>(Data.GetItem(2));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(names(*table->GetCells(0, 0)), "in[cell] ");
    EXPECT_EQ(Data.CPCount, 4);

    // Cells of a row never ended go on as text, their checkpoints with them.
    Data.Clear();
    ASSERT_EQ(Load(R"({\rtf1\trowd\cellx1000\pard\intbl{\*\bkmkstart p}a\cell{\*\bkmkstart q}b})"),
              rtf_ec_OK);
    EXPECT_EQ(names(Data), "a[p] b[q] ");
    EXPECT_EQ(Data.CPCount, 2);
    EXPECT_EQ(Data.GetCheckpointItemNo(Data.FindCheckpointByName("q")), 1);
}

TEST_F(TRTFImportTest, PngPicturesAreWrittenAsTheyAre)
{
    TRVStyle sourceStyle{nullptr};
    TPictureBodyData source(&sourceStyle);
    const std::string hex = PngHex(4, 3);
    auto* png = new TPNGImage;
    {
        TMemoryStream bytes;
        ASSERT_EQ(Load("{\\rtf1" + Pict("\\pngblip", hex) + "}"), rtf_ec_OK);
        PictureAt(Data, 0)->Image()->SaveToStream(bytes);
        bytes.SetPosition(0);
        png->LoadFromStream(bytes);
        Data.Clear();
    }
    source.AddPictureEx("", png, 0, rvvaBaseline);
    const std::string original = [&] {
        TStringStream bytes;
        png->SaveToStream(bytes);
        return bytes.DataString();
    }();
    auto sameBytes = [&](const TGraphic* graphic) {
        ASSERT_NE(dynamic_cast<const TPNGImage*>(graphic), nullptr);
        TStringStream bytes;
        graphic->SaveToStream(bytes);
        EXPECT_EQ(bytes.DataString(), original);
    };

    TMemoryStream rtf;
    ASSERT_TRUE(source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, 0));
    EXPECT_NE(StreamBytes(rtf).find("\\pngblip"), std::string::npos);
    rtf.SetPosition(0);
    ASSERT_EQ(Props.ReadFromStream(rtf, &Data), rtf_ec_OK);
    ASSERT_EQ(Summary(), "[pic]");
    sameBytes(PictureAt(Data, 0)->Image());

    TMemoryStream rvf;
    ASSERT_TRUE(source.SaveRVFToStream(rvf, false, clWindow, nullptr, nullptr));
    rvf.SetPosition(0);
    TPictureBodyData readBack(&sourceStyle);
    TColor color = clNone;
    ASSERT_TRUE(readBack.LoadRVFFromStream(rvf, color, nullptr, nullptr));
    sameBytes(PictureAt(readBack, 0)->Image());

    TempDir dir;
    TMemoryStream html;
    int counter = 0;
    ASSERT_TRUE(source.SaveHTMLToStream(html, dir.Path() + "/", "t", "img", {}, clNone, counter, 0, 0, 0, 0,
                                        nullptr, nullptr));
    EXPECT_EQ(dir.Read("img1.png"), original);
}

// The pictures of one load share one pixel allowance: those past it show as
// the invalid picture and the load goes on. A run-length bitmap is written
// back to RTF and RVF as its own bytes, not as its decoded rows.
TEST_F(TRTFImportTest, PicturesShareTheLoadsPixelAllowanceAndKeepTheirBytes)
{
    const TSmallPixelBudgets budgets(int64_t(1) << 40, 25000);
    const std::string file = RleBmp(100, 0x204080);
    std::string hex;
    for (size_t i = 14; i < file.size(); ++i) {
        static const char digits[] = "0123456789abcdef";
        hex += digits[static_cast<unsigned char>(file[i]) >> 4];
        hex += digits[static_cast<unsigned char>(file[i]) & 15];
    }
    const std::string pict = Pict("\\dibitmap0\\picw100\\pich100", hex);
    ASSERT_EQ(Load("{\\rtf1 a" + pict + pict + pict + "b}"), rtf_ec_OK);
    ASSERT_EQ(Summary(), "a[pic][pic][pic]b");
    for (int itemNo : {1, 2}) {
        const auto* bitmap = dynamic_cast<const TBitmap*>(PictureAt(Data, itemNo)->Image());
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->Width(), 100);
        EXPECT_EQ(bitmap->Pixels().At(50, 50), 0xFF204080u);
    }
    EXPECT_TRUE(PictureAt(Data, 3)->Image()->Equals(Style.InvalidPicture()->Graphic()));

    TMemoryStream rvf;
    PictureAt(Data, 1)->Image()->SaveToStream(rvf);
    EXPECT_EQ(StreamBytes(rvf), file);
    TMemoryStream rtf;
    RVSaveImageToRTF(rtf, 15, PictureAt(Data, 1)->Image(), 0, 0, TRVRTFOptions());
    const std::string written = StreamBytes(rtf);
    EXPECT_NE(written.find("\\dibitmap0\\wbmwidthbytes100\\"), std::string::npos) << written.substr(0, 80);
    EXPECT_LT(written.size(), 2 * file.size() + 200);
    EXPECT_GT(written.size(), 2 * file.size() - 28);
}
