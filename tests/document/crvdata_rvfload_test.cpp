// The RVF reader: round trips of a document with every item kind in text and
// binary form, style sheets replaced, merged and mapped, selections and pages,
// header checks, conversions and warnings, checkpoints, truncated and corrupt
// data, and the nesting limit.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "document/crvdata.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/imagelist.h"
#include "tests/document/doctestdata.h"
#include "tests/support/picturebudget.h"

namespace {

const AnsiString Version = "-8 1 2\r\n";

// Holds a document of its own, read from a binary block of its record, as a
// table cell holds one: the second line of its record is the block.
class TNestItem : public TRVNonTextItemInfo {
public:
    explicit TNestItem(TCustomRVData* RVData) : TRVNonTextItemInfo(RVData) {}
    TRVItemClass GetItemClass() const override { return RVItemClassOf<TNestItem>(); }
    bool ReadRVFLine(const AnsiString& s, TCustomRVData* RVData, int, int LineNo, int, AnsiString&,
                     TRVFReadMode& ReadMode, TRVFReadState&) override
    {
        if (LineNo == 0) {
            ReadMode = rmBeforeBinary;
            return true;
        }
        Sub = std::make_unique<TTestSubRVData>(RVData);
        TMemoryStream Stream;
        TColor Color = clNone;
        return Sub->LoadRVFFromStream(FillStream(Stream, s), Color, nullptr, nullptr);
    }
    std::unique_ptr<TTestSubRVData> Sub;
};
constexpr int rvsNest = -101;

// A record of a nest item around Inner.
AnsiString NestRecord(const AnsiString& Inner)
{
    return AnsiString("-101 2 0 0 2 0\r\nx\r\n") + Count32(Inner.size()) + Inner;
}

class RVFLoadTest : public ::testing::Test {
protected:
    RVFLoadTest() : Style(MakeRVFStyle()), Data(Style.get()), Images(nullptr)
    {
        Images.SetTag(3);
        Images.AddPixels(TPixelBuffer(16, 16));
        Images.AddPixels(TPixelBuffer(16, 16));
        Data.ImageLists.push_back(&Images);
        RegisterRollViewItemClass(rvsNest, RVItemClassOf<TNestItem>());
    }

    // Text, Unicode text, a checkpoint on an item and one pending at the end,
    // tags, breaks, bullets, hot spots, a numbered list of two levels, a page
    // break and a line break.
    void BuildDocument(TRVFTestData& D)
    {
        D.AddNamedCheckpointExTag("top", true, TRVTag(1));
        D.AddNL("Heading", 1, 1);
        D.AddNL("plain", 0, 0);
        D.AddNL("same style", 0, 0);
        D.AddNLTag("tagged", 0, 0, TRVTag(42));
        D.AddNL(" continued", 3, -1);
        D.AddNLWTag(u"\u0416\u20AC unicode", 6, 0, TRVTag());
        D.AddBreakEx(3, rvbs3d, clBlue);
        D.AddBulletEx("bullet", 1, &Images, 0);
        D.AddHotspotEx("hot", 0, 1, &Images, -1);
        static_cast<TRVRectItemInfo*>(D.GetItem(D.GetItemCount() - 1))->Spacing = 4;
        D.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
        D.AddNL("first", 0, -1);
        D.SetListMarkerInfo(-1, 0, 1, 1, 0, false);
        D.AddNL("nested", 0, -1);
        D.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
        D.AddNL("second", 0, -1);
        D.AddNamedCheckpointExTag("mid", false, TRVTag());
        D.AddNL("after checkpoint", 4, 0);
        D.AddNL("new page", 0, 0);
        D.SetPageBreaksBeforeItems(D.GetItemCount() - 1, true);
        D.SetAddParagraphMode(false);
        D.AddNL("line break", 0, 0);
        D.SetAddParagraphMode(true);
        D.AddNamedCheckpointExTag("end", false, TRVTag(9));
    }

    std::unique_ptr<TRVStyle> Style;
    TRVFTestData Data;
    TImageList Images;
};

} // namespace

TEST_F(RVFLoadTest, EveryItemKindSurvivesBothForms)
{
    BuildDocument(Data);
    for (bool Binary : {false, true}) {
        Data.RVFOptions.Set(rvfoSaveBinary, Binary);
        const AnsiString Saved = SaveRVFBytes(Data);
        // Into a style sheet that lacks the Unicode style and the list: the
        // document's collections replace its own.
        auto OtherStyle = std::make_unique<TRVStyle>(nullptr);
        OtherStyle->SetName("RVStyle1");
        TRVFTestData Read(OtherStyle.get());
        Read.RVFOptions = Data.RVFOptions;
        Read.ImageLists.push_back(&Images);
        Read.AddNL("replaced", 0, 0);
        ASSERT_TRUE(LoadRVFBytes(Read, Saved)) << Binary;
        EXPECT_TRUE(Read.Warnings.Empty());
        EXPECT_EQ(OtherStyle->TextStyles()->Count(), 7);
        EXPECT_TRUE(OtherStyle->TextStyles()->Items(6)->Unicode());
        EXPECT_EQ(OtherStyle->ListStyles()->Count(), 1);
        EXPECT_EQ(DumpItems(Read), DumpItems(Data));
        ASSERT_NE(Read.Markers, nullptr);
        EXPECT_EQ(Read.Markers->Count(), 3);
        // Saved again, the same bytes.
        EXPECT_EQ(SaveRVFBytes(Read), Saved) << Binary;
    }
}

TEST_F(RVFLoadTest, StringTagsSurvive)
{
    Data.Options.Include(rvoTagsArePChars);
    Data.AddNLTag("a", 0, 0, TRVTag(AnsiString("first")));
    Data.AddNLTag("b", 0, 0, TRVTag(AnsiString("first")));
    Data.AddNamedCheckpointExTag("cp", false, TRVTag(AnsiString("mark")));
    Data.AddBreakTag(TRVTag(AnsiString("rule")));
    const AnsiString Saved = SaveRVFBytes(Data);
    TRVFTestData Read(Style.get());
    Read.Options.Include(rvoTagsArePChars);
    ASSERT_TRUE(LoadRVFBytes(Read, Saved));
    EXPECT_EQ(DumpItems(Read), DumpItems(Data));
    EXPECT_EQ(SaveRVFBytes(Read), Saved);
}

TEST_F(RVFLoadTest, InsertedStylesAreMergedOrMapped)
{
    TFontInfo* Red = Style->TextStyles()->Add();
    Red->SetStyleName("Red");
    Red->SetColor(clRed);
    Red->SetSize(20);
    Data.AddNL("red", 7, 0);
    Data.AddNL("normal", 0, 1);
    const AnsiString Saved = SaveRVFBytes(Data);

    for (TRVFReaderStyleMode Mode : {rvf_sInsertMerge, rvf_sInsertMap, rvf_sIgnore}) {
        auto TargetStyle = MakeRVFStyle();
        TRVFTestData Target(TargetStyle.get());
        Target.TextMode = Mode;
        Target.AddNL("old", 0, 0);
        ASSERT_TRUE(InsertRVFBytes(Target, Saved, 1)) << Mode;
        ASSERT_EQ(Target.GetItemCount(), 3);
        EXPECT_EQ(Target.GetItemText(1), "red");
        EXPECT_EQ(Target.GetItemStyle(2), 0);
        EXPECT_EQ(Target.GetItemPara(2), 1);
        if (Mode == rvf_sInsertMerge) {
            // Appended, and the item renumbered to it.
            EXPECT_EQ(TargetStyle->TextStyles()->Count(), 8);
            EXPECT_EQ(Target.GetItemStyle(1), 7);
            EXPECT_TRUE(Target.Warnings.Empty());
        } else if (Mode == rvf_sInsertMap) {
            // Mapped onto an existing style.
            EXPECT_EQ(TargetStyle->TextStyles()->Count(), 7);
            EXPECT_LT(Target.GetItemStyle(1), 7);
            EXPECT_TRUE(Target.Warnings.Empty());
        } else {
            // Not read: style 7 is unknown and becomes 0 with a warning.
            EXPECT_EQ(TargetStyle->TextStyles()->Count(), 7);
            EXPECT_EQ(Target.GetItemStyle(1), 0);
            EXPECT_TRUE(Target.Warnings.Contains(rvfwConvUnknownStyles));
        }
    }

    // Loading replaces the collections.
    auto TargetStyle = MakeRVFStyle();
    TRVFTestData Target(TargetStyle.get());
    ASSERT_TRUE(LoadRVFBytes(Target, Saved));
    EXPECT_EQ(TargetStyle->TextStyles()->Count(), 8);
    EXPECT_EQ(TargetStyle->TextStyles()->Items(7)->StyleName(), "Red");
    EXPECT_EQ(Target.GetItemStyle(0), 7);
}

TEST_F(RVFLoadTest, InsertedMarkersFollowTheirLists)
{
    Data.SetListMarkerInfo(-1, 0, 1, 1, 0, false);
    Data.AddNL("item", 0, -1);
    const AnsiString Saved = SaveRVFBytes(Data);

    // The target has another list first: the file's list 0 is its list 1.
    auto TargetStyle = MakeRVFStyle();
    TRVListInfo* Other = TargetStyle->ListStyles()->Insert(0);
    Other->SetStyleName("Other");
    Other->Levels()->Add()->SetListType(rvlstUpperRoman);
    TRVFTestData Target(TargetStyle.get());
    Target.ParaMode = rvf_sInsertMerge;
    ASSERT_TRUE(InsertRVFBytes(Target, Saved, 0));
    EXPECT_EQ(TargetStyle->ListStyles()->Count(), 2);
    EXPECT_EQ(DumpItems(Target), "-11 0 0 tag=0 '' marker=1/1/1 '1.1.'\n0 0 1 tag=0 'item'\ncps=0\n");
}

TEST_F(RVFLoadTest, StyleMapsReachNestedDocuments)
{
    TFontInfo* Red = Style->TextStyles()->Add();
    Red->SetStyleName("Red");
    Red->SetColor(clRed);
    Data.AddNL("top", 7, 0);
    AnsiString Saved = SaveRVFBytes(Data);
    Saved += NestRecord(Version + "7 1 0 0 0 0\r\ncell\r\n");

    auto TargetStyle = MakeRVFStyle();
    TargetStyle->TextStyles()->Items(0)->SetColor(clGreen); // nothing equal to the file's style 0
    TRVFTestData Target(TargetStyle.get());
    Target.KeepMaps = true;
    ASSERT_TRUE(InsertRVFBytes(Target, Saved, 0));
    ASSERT_EQ(Target.GetItemCount(), 2);
    const int Mapped = Target.GetItemStyle(0);
    EXPECT_GE(Mapped, 7);
    auto* Nest = dynamic_cast<TNestItem*>(Target.GetItem(1));
    ASSERT_NE(Nest, nullptr);
    ASSERT_EQ(Nest->Sub->GetItemCount(), 1);
    EXPECT_EQ(Nest->Sub->GetItemStyle(0), Mapped);
    // The maps are released at the end of the read.
    EXPECT_EQ(Target.Maps[0].Count(), 0);
}

TEST_F(RVFLoadTest, SelectionIsInsertedElsewhere)
{
    Data.RVFOptions = TRVFOptions();
    Data.AddNL("alpha beta", 0, 0);
    Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    Data.AddNL("one two", 0, -1);
    Data.AddNL("three", 1, -1);
    Data.AddNL("gamma", 0, 0);
    Data.Limits = {true, 2, 4, 5, 3};
    const AnsiString Saved = SaveRVFBytes(Data, rvfss_Selection);
    // The marker of the paragraph first, the selected text continuing its line.
    EXPECT_EQ(Saved, Version + "-11 0 0 0 0 0 0 0 1 1\r\n0 1 -1 1 0 0\r\ntwo\r\n1 1 -1 1 0 0\r\nthree\r\n"
                               "0 1 0 0 0 0\r\nga\r\n");

    TRVFTestData Target(Style.get());
    Target.AddNL("x", 0, 0);
    Target.AddNL("y", 0, 0);
    TMemoryStream Stream;
    int Index = 1, NonFirst = 0;
    bool Reading = true, FullReformat = true;
    TColor Color = clNone;
    ASSERT_TRUE(Target.InsertRVFFromStream_(FillStream(Stream, Saved), Index, -1, false, false, false, Color,
                                            nullptr, nullptr, NonFirst, Reading, FullReformat));
    EXPECT_EQ(Index, 1);
    EXPECT_EQ(NonFirst, 3);
    EXPECT_FALSE(Reading);
    EXPECT_FALSE(FullReformat);
    EXPECT_EQ(DumpItems(Target), "0 0 0 tag=0 'x'\n"
                                 "-11 0 0 tag=0 '' marker=0/0/1 '1.'\n"
                                 "0 0 1 tag=0 'two'\n"
                                 "1 0 1 tag=0 'three'\n"
                                 "0 0 0 tag=0 'ga'\n"
                                 "0 0 0 tag=0 'y'\n"
                                 "cps=0\n");
    EXPECT_EQ(Target.Markers->Count(), 1);
}

TEST_F(RVFLoadTest, PageReloadsFromItsFirstCharacter)
{
    Data.RVFOptions = {rvfoSaveLayout, rvfoLoadLayout};
    Data.AddNL("alpha beta", 0, 1);
    Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    Data.AddNL("one two", 0, -1);
    Data.AddNL("last", 0, 0);
    TRVLayoutInfo Layout;
    Data.Limits = {true, 0, 2, 7, 4};
    const AnsiString Saved = SaveRVFBytes(Data, rvfss_Page, clNone, nullptr, &Layout);
    EXPECT_EQ(Layout.FirstParaAborted, 1);
    EXPECT_EQ(Layout.LastParaAborted, 1);
    EXPECT_EQ(Layout.FirstMarkerListNo, -1);

    TRVFTestData Page(Style.get());
    Page.RVFOptions = {rvfoLoadLayout};
    TRVLayoutInfo ReadLayout;
    ASSERT_TRUE(LoadRVFBytes(Page, Saved, nullptr, &ReadLayout));
    EXPECT_EQ(ReadLayout.FirstParaAborted, 1);
    EXPECT_EQ(ReadLayout.LastParaAborted, 1);
    // The first item keeps its paragraph style although it continues one.
    EXPECT_EQ(DumpItems(Page), "0 1 0 tag=0 'beta'\n"
                               "-11 0 0 tag=0 '' marker=0/0/1 '1.'\n"
                               "0 0 1 tag=0 'one'\n"
                               "cps=0\n");

    // A page that starts inside a numbered paragraph notes its marker.
    Data.Limits = {true, 2, 3, 5, 5};
    const AnsiString Second = SaveRVFBytes(Data, rvfss_Page, clNone, nullptr, &Layout);
    EXPECT_EQ(Layout.FirstParaAborted, 1);
    EXPECT_EQ(Layout.LastParaAborted, 0);
    EXPECT_EQ(Layout.FirstMarkerListNo, 0);
    EXPECT_EQ(Layout.FirstMarkerLevel, 0);
    ASSERT_TRUE(LoadRVFBytes(Page, Second, nullptr, &ReadLayout));
    EXPECT_EQ(Page.GetItemText(0), "two");
    EXPECT_EQ(ReadLayout.FirstMarkerListNo, 0);
}

TEST_F(RVFLoadTest, HeaderFieldsAreChecked)
{
    struct {
        AnsiString Data;
        bool Result;
        std::string Dump;
    } Cases[] = {
        // A negative line count, a paragraph below -1, a missing field.
        {Version + "0 1 0 0 0 0\r\na\r\n0 -1 0 0 0 0\r\nb\r\n", false, "0 0 0 tag=0 'a'\ncps=0\n"},
        {Version + "0 1 -2 0 0 0\r\nb\r\n", false, "cps=0\n"},
        {Version + "0 1 0 0 0\r\nb\r\n", false, "cps=0\n"},
        {Version + "x 1 0 0 0 0\r\nb\r\n", false, "cps=0\n"},
        // Only the four option bits are taken.
        {Version + "0 1 0 242 0 0\r\nb\r\n", true, "0 0 2 tag=0 'b'\ncps=0\n"},
        // Data without a version record has no option field.
        {"0 1 1 0 7\r\nold\r\n", true, "0 1 0 tag=7 'old'\ncps=0\n"},
        // Records of unknown items are passed over with their lines.
        {Version + "-77 2 0 0 0 0 1 2 3\r\nskip\r\nme\r\n0 1 0 0 0 0\r\nb\r\n", true,
         "0 0 0 tag=0 'b'\ncps=0\n"},
        // A list beyond the style sheet's lists: the marker shows no level.
        {Version + "-11 0 0 0 0 0 5 0 1 1\r\n0 1 -1 1 0 0\r\nb\r\n", true,
         "-11 0 0 tag=0 '' marker=-1/0/1 ''\n0 0 1 tag=0 'b'\ncps=0\n"},
    };
    for (const auto& Case : Cases) {
        TRVFTestData Read(Style.get());
        EXPECT_EQ(LoadRVFBytes(Read, Case.Data), Case.Result) << Case.Data;
        EXPECT_EQ(DumpItems(Read), Case.Dump) << Case.Data;
    }
    TRVFTestData Read(Style.get());
    ASSERT_TRUE(LoadRVFBytes(Read, Cases[7].Data));
    EXPECT_TRUE(Read.Warnings.Contains(rvfwConvUnknownStyles));
}

// Lines end at CR, LF or CR LF, mixed in one read, and a zero byte is part
// of its line; the ends are found alike after a record of many lines.
TEST_F(RVFLoadTest, LinesEndAtEitherByteMixedInOneRead)
{
    TRVFTestData Read(Style.get());
    ASSERT_TRUE(LoadRVFBytes(Read, Version + "0 4 -1 0 0 0\na\rb\r\n" + AnsiString("z\0z", 3) +
                                       "\n\r0 1 -1 0 0 0\re"));
    EXPECT_EQ(DumpItems(Read), "0 0 0 tag=0 'a'\n0 0 0 tag=0 'b'\n0 0 0 tag=0 'z?z'\n0 0 0 tag=0 ''\n"
                               "0 0 1 tag=0 'e'\ncps=0\n");
}

TEST_F(RVFLoadTest, LinesOfARecordStartParagraphsOfTheirOwn)
{
    Data.AddNL("x", 0, 1);
    Data.AddNL("y", 0, 0);
    ASSERT_TRUE(InsertRVFBytes(Data, Version + "0 3 -1 0 0 0\r\na\r\nb\r\nc\r\n", 1));
    EXPECT_EQ(DumpItems(Data), "0 1 0 tag=0 'x'\n0 1 1 tag=0 'a'\n0 0 0 tag=0 'b'\n0 0 0 tag=0 'c'\n"
                               "0 0 0 tag=0 'y'\ncps=0\n");
}

TEST_F(RVFLoadTest, UnknownStylesAndConversions)
{
    const AnsiString Unknown = Version + "9 1 0 0 0 0\r\na\r\n0 1 5 0 0 0\r\nb\r\n";
    TRVFTestData Read(Style.get());
    ASSERT_TRUE(LoadRVFBytes(Read, Unknown));
    EXPECT_EQ(DumpItems(Read), "0 0 0 tag=0 'a'\n0 0 0 tag=0 'b'\ncps=0\n");
    EXPECT_TRUE(Read.Warnings.Contains(rvfwConvUnknownStyles));

    Read.RVFOptions.Exclude(rvfoConvUnknownStylesToZero);
    EXPECT_FALSE(LoadRVFBytes(Read, Unknown));
    EXPECT_EQ(Read.GetItemCount(), 0);

    // ANSI text read into a Unicode style, and Unicode text into an ANSI one.
    const AnsiString Mixed = Version + "6 1 0 0 0 0\r\nabc\r\n0 1 0 8 0 0\r\n" +
                             AnsiString("d\0e\0\x29\x20", 6) + "0 1 0 0 0 0\r\nf\r\n";
    ASSERT_TRUE(LoadRVFBytes(Read, Mixed));
    EXPECT_EQ(DumpItems(Read), "6 0 8 tag=0 '610062006300'\n0 0 0 tag=0 'de'\n0 0 0 tag=0 'f'\ncps=0\n");
    EXPECT_TRUE(Read.Warnings.Contains(rvfwConvToUnicode));
    EXPECT_TRUE(Read.Warnings.Contains(rvfwConvFromUnicode));
    // Warnings belong to one read.
    ASSERT_TRUE(LoadRVFBytes(Read, Version + "0 1 0 0 0 0\r\nf\r\n"));
    EXPECT_TRUE(Read.Warnings.Empty());
}

TEST_F(RVFLoadTest, CheckpointsFindTheirItems)
{
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 0, 0);
    Data.InsertCheckpoint(1, TRVTag(3), "old", false);
    // Into the middle: linked in item order; a checkpoint that ends the
    // inserted data waits for no item there and is dropped.
    ASSERT_TRUE(InsertRVFBytes(Data,
                               Version + "-2 1 0 0 0 7 1\r\nnew\r\n0 1 0 0 0 0\r\nx\r\n"
                                         "-2 1 0 0 0 0 0\r\nlost\r\n",
                               1));
    EXPECT_EQ(Data.CPCount, 2);
    EXPECT_EQ(Data.FirstCP->Name, "new");
    EXPECT_EQ(Data.FirstCP->Next->Name, "old");
    EXPECT_EQ(Data.LastCP->Name, "old");
    EXPECT_EQ(Data.GetCheckpointItemNo(Data.FirstCP), 1);

    // Appended at the end, it becomes the pending checkpoint.
    TMemoryStream Stream;
    TColor Color = clNone;
    ASSERT_TRUE(Data.AppendRVFFromStream(
        FillStream(Stream, Version + "0 1 0 0 0 0\r\nz\r\n-2 1 0 0 0 0 0\r\nend\r\n"), -1, Color, nullptr));
    ASSERT_NE(Data.NotAddedCP, nullptr);
    EXPECT_EQ(Data.NotAddedCP->Name, "end");
    EXPECT_EQ(Data.CPCount, 3);
    // Appended with paragraph -1 the first item continues the last line.
    EXPECT_TRUE(Data.GetItem(Data.GetItemCount() - 1)->GetSameAsPrev());
    // The store's own pending checkpoint goes to the first item appended.
    ASSERT_TRUE(
        Data.AppendRVFFromStream(FillStream(Stream, Version + "0 1 0 0 0 0\r\nw\r\n"), 1, Color, nullptr));
    EXPECT_EQ(Data.NotAddedCP, nullptr);
    EXPECT_EQ(Data.GetItemCheckpoint(Data.GetItemCount() - 1)->Name, "end");
    EXPECT_EQ(Data.GetItemPara(Data.GetItemCount() - 1), 1);
    EXPECT_EQ(Data.CPCount, 3);
}

// A store whose first item read is refused, as an editor refuses a paste.
class TRefusingData : public TRVFTestData {
public:
    using TRVFTestData::TRVFTestData;
    bool InsertFirstRVFItem(int&, AnsiString&, TCustomRVItemInfo*&, bool, bool& FullReformat,
                            int& NewListNo) override
    {
        FullReformat = true;
        NewListNo = -1;
        return false;
    }
};

TEST_F(RVFLoadTest, RefusedFirstItemStopsTheReading)
{
    TRefusingData Target(Style.get());
    Target.AddNL("x", 0, 0);
    TMemoryStream Stream;
    int Index = 1, NonFirst = -1;
    bool Reading = false, FullReformat = false;
    TColor Color = clNone;
    EXPECT_TRUE(Target.InsertRVFFromStream_(
        FillStream(Stream, Version + "-2 1 0 0 0 0 0\r\ncp\r\n0 2 0 0 0 0\r\na\r\nb\r\n"), Index, -1, false,
        false, true, Color, nullptr, nullptr, NonFirst, Reading, FullReformat));
    EXPECT_TRUE(Reading);
    EXPECT_TRUE(FullReformat);
    EXPECT_EQ(NonFirst, 0);
    EXPECT_EQ(DumpItems(Target), "0 0 0 tag=0 'x'\ncps=0\n");
}

TEST_F(RVFLoadTest, ZerosNeverStallTheReader)
{
    const AnsiString Bytes = Version + "0 2 0 0 0 0\r\n" + AnsiString("a\0b\r\nc\r\n", 8) +
                             "6 1 0 8 0 0\r\n" + AnsiString("x\0\0\0y\0\x29\x20", 8) + "0 1 0 0 0 0\r\nd\r\n";
    TRVFTestData Read(Style.get());
    ASSERT_TRUE(LoadRVFBytes(Read, Bytes));
    EXPECT_EQ(DumpItems(Read), "0 0 0 tag=0 'a?b'\n0 0 0 tag=0 'c'\n6 0 8 tag=0 '78003F007900'\n"
                               "0 0 0 tag=0 'd'\ncps=0\n");
    // A zero where a header should be is a bad header.
    EXPECT_FALSE(LoadRVFBytes(Read, Version + AnsiString("\0\0\0\r\n", 5)));
}

TEST_F(RVFLoadTest, CorruptDataKeepsWhatWasRead)
{
    const AnsiString Good = Version + "0 1 0 0 0 0\r\ngood\r\n";
    const AnsiString Cases[] = {
        // A block count beyond the data, or negative.
        Good + "-7 2 0 0 2 0 1 0\r\nTBitmap\r\n" + Count32(1000) + "0123456789",
        Good + "-7 2 0 0 2 0 1 0\r\nTBitmap\r\n" + AnsiString("\xFF\xFF\xFF\xFF", 4) + "0123456789",
        // A line count beyond the data.
        Good + "0 1000000 0 0 0 0\r\na\r\n",
        // A binary block or a Unicode line not after CR LF.
        Good + "-7 2 0 0 2 0 1 0\r\nTBitmap\n" + Count32(0),
        Good + "6 1 0 8 0 0\n" + AnsiString("x\0", 2),
        // A style collection that is not one, and a damaged one.
        Good + "-9 2 0 0 0 0 1\r\nname\r\n0102\r\n",
        Good + "-9 2 0 0 0 0 2\r\nname\r\n0E0106\r\n",
        // A layout block too short.
        Good + "-9 2 0 0 0 0 3\r\n\r\n00000000FF000000\r\n",
        // A checkpoint record without its name, at the end.
        Good + "-2 1 0 0 0 0 0\r\n",
    };
    for (const AnsiString& Bytes : Cases) {
        TRVFTestData Read(Style.get());
        Read.RVFOptions.Include(rvfoLoadLayout);
        TRVLayoutInfo Layout;
        EXPECT_FALSE(LoadRVFBytes(Read, Bytes, nullptr, &Layout)) << Bytes;
        EXPECT_EQ(DumpItems(Read), "0 0 0 tag=0 'good'\ncps=0\n") << Bytes;
    }
}

// The item lines of a dump (without the checkpoint summary).
std::vector<std::string> ItemLines(const std::string& Dump)
{
    std::vector<std::string> Lines;
    std::istringstream In(Dump);
    for (std::string Line; std::getline(In, Line);)
        if (Line.compare(0, 4, "cps=") != 0 && Line.compare(0, 8, "pending ") != 0)
            Lines.push_back(Line);
    return Lines;
}

TEST_F(RVFLoadTest, TruncatedDataNeverFailsBadly)
{
    BuildDocument(Data);
    TTestBackground Background;
    Background.Style = 1;
    Background.Image.reset(new TBitmap);
    static_cast<TBitmap*>(Background.Image.get())->SetSize(3, 2);
    for (bool Binary : {false, true}) {
        Data.RVFOptions = {rvfoSaveBack, rvfoLoadBack};
        Data.RVFOptions.Set(rvfoSaveBinary, Binary);
        const AnsiString Saved = SaveRVFBytes(Data, rvfss_Full, clRed, &Background);
        const std::vector<std::string> Full = ItemLines(DumpItems(Data));
        int Failures = 0;
        for (size_t Size = 0; Size <= Saved.size(); ++Size) {
            TRVFTestData Read(Style.get());
            Read.RVFOptions = Data.RVFOptions;
            Read.ImageLists.push_back(&Images);
            TTestBackground ReadBack;
            TMemoryStream Stream;
            TColor Color = clNone;
            const bool Result =
                Read.LoadRVFFromStream(FillStream(Stream, Saved.substr(0, Size)), Color, &ReadBack, nullptr);
            Failures += Result ? 0 : 1;
            // What was read is the start of the document; the last item read
            // may be a line cut short.
            const std::vector<std::string> Lines = ItemLines(DumpItems(Read));
            ASSERT_LE(Lines.size(), Full.size()) << Size;
            for (size_t i = 0; i + 1 < Lines.size(); ++i)
                ASSERT_EQ(Lines[i], Full[i]) << Size;
            if (Size == Saved.size()) {
                EXPECT_TRUE(Result);
                EXPECT_EQ(Lines, Full);
            }
        }
        // Most cuts fall inside a record.
        EXPECT_GT(Failures, static_cast<int>(Saved.size() / 2)) << Binary;
    }
}

TEST_F(RVFLoadTest, NestingIsLimited)
{
    AnsiString Inner = Version + "0 1 0 0 0 0\r\nleaf\r\n";
    for (int Depth = 1; Depth <= TCustomRVData::RVFMaxNesting + 5; ++Depth) {
        Inner = Version + NestRecord(Inner);
        TRVFTestData Read(Style.get());
        // The outermost read is level 1; the leaf document is level Depth + 1.
        EXPECT_EQ(LoadRVFBytes(Read, Inner), Depth + 1 <= TCustomRVData::RVFMaxNesting) << Depth;
    }
}

// A background picture past the read's pixel allowance is left out with the
// invalid-picture warning; the items after it are read.
TEST_F(RVFLoadTest, BackgroundPastThePixelAllowanceIsLeftOut)
{
    const TSmallPixelBudgets Budgets(int64_t(1) << 40, 5000);
    Data.AddNL("text", 0, 0);
    TTestBackground Background;
    Background.Style = 1;
    Background.Image.reset(new TBitmap);
    static_cast<TBitmap*>(Background.Image.get())->SetSize(100, 100);
    for (bool Binary : {false, true}) {
        SCOPED_TRACE(Binary);
        Data.RVFOptions = {rvfoSaveBack, rvfoLoadBack};
        Data.RVFOptions.Set(rvfoSaveBinary, Binary);
        const AnsiString Saved = SaveRVFBytes(Data, rvfss_Full, clRed, &Background);
        TRVFTestData Read(Style.get());
        Read.RVFOptions = Data.RVFOptions;
        TTestBackground ReadBack;
        TMemoryStream Stream;
        TColor Color = clNone;
        EXPECT_TRUE(Read.LoadRVFFromStream(FillStream(Stream, Saved), Color, &ReadBack, nullptr));
        EXPECT_EQ(ReadBack.Image, nullptr);
        EXPECT_TRUE(Read.Warnings.Contains(rvfwInvalidPicture));
        ASSERT_EQ(Read.GetItemCount(), 1);
        EXPECT_EQ(Read.GetItemText(0), "text");
    }
}
