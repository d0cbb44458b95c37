// List markers: counter texts, the format of display strings, numbering over
// mixed lists and levels (alone and in an item store), size, painting,
// printing, RVF header fields, style numbers and plain text.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "document/rvfmisc.h"
#include "document/rvmarker.h"
#include "document/rvprintsvc.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/testrvdata.h"

// ---------------------------------------------------------------------------
// Counter texts and format strings

TEST(MarkerCounterText, NumeralsLettersAndLimits)
{
    const struct {
        int Counter;
        TRVListType Type;
        AnsiString Text;
    } Cases[] = {{1994, rvlstUpperRoman, "MCMXCIV"},
                 {4000, rvlstUpperRoman, "MMMM"},
                 {0, rvlstUpperRoman, "?"},
                 {-3, rvlstLowerRoman, "?"},
                 // Counters from files cannot make a numeral of millions of letters.
                 {100000, rvlstUpperRoman, AnsiString(100, 'M')},
                 {100001, rvlstUpperRoman, "100001"},
                 {27, rvlstLowerAlpha, "aa"},
                 {702, rvlstUpperAlpha, "ZZ"},
                 {0, rvlstLowerAlpha, ""},
                 {INT_MAX, rvlstUpperAlpha, "FXSHRXW"},
                 {-12, rvlstDecimal, "-12"},
                 {3, rvlstBullet, ""}};
    for (const auto& c : Cases)
        EXPECT_EQ(RVGetListCounterText(c.Counter, c.Type), c.Text) << c.Counter << " " << int(c.Type);
}

TEST(MarkerFormat, PlaceholdersOfTheLevelTexts)
{
    const AnsiString Texts[] = {"1", "2", "iii"};
    EXPECT_EQ(RVFormatMarkerString("%0:s.%1:s.", Texts, 3), "1.2.");
    EXPECT_EQ(RVFormatMarkerString("%s-%s-%s", Texts, 3), "1-2-iii");
    EXPECT_EQ(RVFormatMarkerString("%1:s %s", Texts, 3), "2 iii"); // "%s" goes on after an index
    EXPECT_EQ(RVFormatMarkerString("(%2:S)", Texts, 3), "(iii)");
    EXPECT_EQ(RVFormatMarkerString("100%%", Texts, 3), "100%");
    EXPECT_EQ(RVFormatMarkerString("%7:s|", Texts, 3), "|"); // a level not filled is empty
}

TEST(MarkerFormat, AnythingElseIsCopiedLiterally)
{
    const AnsiString Texts[] = {"1"};
    EXPECT_EQ(RVFormatMarkerString("%d %x %n %p", Texts, 1), "%d %x %n %p");
    EXPECT_EQ(RVFormatMarkerString("%256:s %99999999999:s", Texts, 1), "%256:s %99999999999:s");
    EXPECT_EQ(RVFormatMarkerString("%0: %0:x %0 %-5s %", Texts, 1), "%0: %0:x %0 %-5s %");
    EXPECT_EQ(RVFormatMarkerString("", Texts, 1), "");
    // Never more than the 256 level texts, however many "%s" a file holds.
    AnsiString Many;
    for (int i = 0; i < 300; ++i)
        Many += "%s";
    AnsiString Rest;
    for (int i = 256; i < 300; ++i)
        Rest += "%s";
    EXPECT_EQ(RVFormatMarkerString(Many, Texts, 1), "1" + Rest);
}

// ---------------------------------------------------------------------------
// Numbering

namespace {

class MarkerNumbering : public testing::Test {
protected:
    // List 0: decimal levels "%0:s." and "%0:s.%1:s."; list 1: upper alpha "%0:s)".
    void SetUp() override
    {
        TRVListInfo* Decimal = Style.ListStyles()->Add();
        AddLevel(Decimal, rvlstDecimal, "%0:s.");
        AddLevel(Decimal, rvlstDecimal, "%0:s.%1:s.");
        TRVListInfo* Alpha = Style.ListStyles()->Add();
        AddLevel(Alpha, rvlstUpperAlpha, "%0:s)");
    }

    static TRVListLevel* AddLevel(TRVListInfo* List, TRVListType Type, const AnsiString& Format)
    {
        TRVListLevel* Level = List->Levels()->Add();
        Level->SetListType(Type);
        Level->SetFormatString(Format);
        return Level;
    }
    TRVListLevel* Level(int ListNo, int LevelNo)
    {
        return Style.ListStyles()->Items(ListNo)->Levels()->Items(LevelNo);
    }

    TRVMarkerItemInfo* Add(int ListNo, int LevelNo, bool Reset = false, int StartFrom = 0)
    {
        Owned.push_back(std::make_unique<TRVMarkerItemInfo>(nullptr, ListNo, LevelNo, StartFrom, Reset));
        List.Add(Owned.back().get());
        return Owned.back().get();
    }
    // Renumbers every list from its first marker.
    std::vector<AnsiString> Shown()
    {
        std::vector<int> Done;
        for (int i = 0; i < List.Count(); ++i) {
            const int ListNo = List.Marker(i)->ListNo;
            if (std::find(Done.begin(), Done.end(), ListNo) == Done.end()) {
                Done.push_back(ListNo);
                List.RecalcCounters(i, &Style);
            }
        }
        std::vector<AnsiString> s;
        for (int i = 0; i < List.Count(); ++i)
            s.push_back(List.Marker(i)->DisplayString);
        return s;
    }

    TRVStyle Style{nullptr};
    TRVMarkerList List;
    std::vector<std::unique_ptr<TRVMarkerItemInfo>> Owned;
};

using Strings = std::vector<AnsiString>;

} // namespace

// Markers given as {list, level, reset, start from}.
TEST_F(MarkerNumbering, Sequences)
{
    struct TMark {
        int ListNo, LevelNo;
        bool Reset = false;
        int StartFrom = 0;
    };
    const struct {
        const char* Name;
        std::vector<TMark> Marks;
        Strings Expected;
    } Cases[] = {
        {"nested", {{0, 0}, {0, 1}, {0, 1}, {0, 0}, {0, 1}}, {"4.", "4.1.", "4.2.", "5.", "5.1."}},
        {"missing parent shows its start value", {{0, 1}, {0, 0}}, {"4.1.", "5."}},
        {"reset and start from", {{0, 0}, {0, 0, true, 5}, {0, 0}}, {"4.", "5.", "6."}},
        {"counters from files saturate", {{0, 0, true, INT_MAX}, {0, 0}}, {"2147483647.", "2147483647."}},
    };
    Level(0, 0)->SetStartFrom(4);
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.Name);
        List.Clear();
        Owned.clear();
        for (const TMark& m : c.Marks)
            Add(m.ListNo, m.LevelNo, m.Reset, m.StartFrom);
        EXPECT_EQ(Shown(), c.Expected);
    }
    // Without the level reset, deeper levels go on counting.
    Level(0, 1)->SetOptions(TRVListLevelOptions{rvloContinuous});
    List.Clear();
    Owned.clear();
    for (int l : {0, 1, 1, 0, 1})
        Add(0, l);
    EXPECT_EQ(Shown().back(), "5.3.");
    List.Clear();
}

TEST_F(MarkerNumbering, ListsCountApart)
{
    Add(0, 0);
    Add(1, 0);
    Add(0, 0);
    Add(1, 0);
    Add(1, 0);
    Add(0, 1);
    EXPECT_EQ(Shown(), (Strings{"1.", "A)", "2.", "B)", "C)", "2.1."}));
    // Renumbering from a marker touches only its own list.
    List.Marker(3)->Counter = 77;
    List.Marker(2)->DisplayString = "unchanged";
    List.RecalcCounters(3, &Style);
    EXPECT_EQ(List.Marker(3)->Counter, 2);
    EXPECT_EQ(List.Marker(2)->DisplayString, "unchanged");
}

TEST_F(MarkerNumbering, LegalNumberingShowsParentsInDecimal)
{
    Level(0, 0)->SetListType(rvlstUpperRoman);
    Level(0, 1)->SetOptions(TRVListLevelOptions{rvloLevelReset, rvloLegalStyleNumbering});
    Add(0, 0);
    Add(0, 0);
    Add(0, 1);
    EXPECT_EQ(Shown(), (Strings{"I.", "II.", "2.1."}));
    Level(0, 1)->SetOptions(TRVListLevelOptions{rvloLevelReset});
    EXPECT_EQ(Shown().back(), "II.1.");
}

TEST_F(MarkerNumbering, LevelsBeyondTheListAndTheTable)
{
    // Level 5 of a two-level list uses the last level; a level from a file far
    // beyond the 256 texts of a display string is clamped, not written past it.
    Add(0, 0);
    Add(0, 5);
    Add(0, 1000000);
    Add(0, INT_MAX);
    const Strings s = Shown();
    EXPECT_EQ(s[1], "1.1.");
    EXPECT_EQ(s[2], "1.1.");
    EXPECT_EQ(s[3], "1.1.");
    // A marker's own format may name any of the 256 texts.
    Level(0, 1)->SetFormatString("%0:s|%5:s|%255:s|%256:s");
    EXPECT_EQ(Shown()[1], "1|1||%256:s");
}

TEST_F(MarkerNumbering, BulletsAndMissingStyles)
{
    Level(1, 0)->SetListType(rvlstBullet);
    Level(1, 0)->SetFormatString("\xB7");
    Add(1, 0);
    TRVMarkerItemInfo* Orphan = Add(9, 0);
    Shown();
    EXPECT_EQ(List.Marker(0)->DisplayString, "\xB7");
    List.RecalcCounters(1, &Style);
    EXPECT_EQ(Orphan->DisplayString, "");
    EXPECT_EQ(Orphan->GetLevelInfo(&Style), nullptr);
    EXPECT_EQ(RVGetLevelInfo(&Style, 0, -1), nullptr);
    EXPECT_EQ(RVGetLevelInfo(nullptr, 0, 0), nullptr);
    // Nothing to renumber from outside the list or at a list-less marker.
    List.RecalcCounters(5, &Style);
    List.RecalcCounters(-1, &Style);
}

TEST_F(MarkerNumbering, ListIndexCacheAndInsertion)
{
    TRVMarkerItemInfo* First = Add(0, 0);
    TRVMarkerItemInfo* Third = Add(0, 0);
    auto Second = std::make_unique<TRVMarkerItemInfo>(nullptr, 0, 0, 0, false);
    List.InsertAfter(Second.get(), First);
    EXPECT_EQ(Third->GetIndexInList(&List), 2);
    // The cached index follows deletions.
    List.Delete(0);
    EXPECT_EQ(Third->GetIndexInList(&List), 1);
    EXPECT_EQ(First->GetIndexInList(&List), -1);
    auto Head = std::make_unique<TRVMarkerItemInfo>(nullptr, 0, 0, 0, false);
    List.InsertAfter(Head.get(), nullptr);
    EXPECT_EQ(List.IndexOf(Head.get()), 0);
    EXPECT_EQ(List.FindParentMarker(0), -1);
    List.Clear();
}

// ---------------------------------------------------------------------------
// Size, painting and printing

namespace {

class MarkerDrawing : public testing::Test {
protected:
    void SetUp() override
    {
        TRVListInfo* List = Style.ListStyles()->Add();
        Lvl = List->Levels()->Add();
        Lvl->SetListType(rvlstDecimal);
        Lvl->SetFormatString("%0:s.");
        Lvl->Font()->SetColor(clRed);
        Marker.DisplayString = "1.";
    }

    TRVStyle Style{nullptr};
    TRVListLevel* Lvl = nullptr;
    TRVMarkerItemInfo Marker{nullptr, 0, 0, 0, false};
    TRecordingCanvas Canvas{400, 400};
};

class TViewer : public TRVPrintingViewer {
public:
    explicit TViewer(TRVStyle* AStyle) : Style(AStyle) {}
    TRVStyle* GetPrintRVStyle() const override { return Style; }
    TRVStyle* Style;
};

} // namespace

TEST_F(MarkerDrawing, AlignmentDirectionAndPaint)
{
    // Left: the marker starts at the indent; right: it hangs to the left of
    // it, and to the right in right-to-left text; centre: half of it.
    Lvl->SetFirstIndent(30);
    const int Text = Marker.CalcSize(&Canvas, &Style, nullptr, false).ContentWidth;
    EXPECT_EQ(Marker.CalcSize(&Canvas, &Style, nullptr, false).Offset, 0);
    Lvl->SetMarkerAlignment(rvmaRight);
    EXPECT_EQ(Marker.CalcSize(&Canvas, &Style, nullptr, false).Offset, -Text);
    EXPECT_EQ(Marker.CalcSize(&Canvas, &Style, nullptr, true).Offset, Text);
    Lvl->SetMarkerAlignment(rvmaCenter);
    EXPECT_EQ(Marker.CalcSize(&Canvas, &Style, nullptr, false).Offset, -Text / 2);

    // The layout keeps screen sizes only: printing does not change them.
    TTestRVData Data(&Style);
    TRVDrawLineInfo dli, Printed;
    int HShift = -1, Desc = -1;
    Lvl->SetMarkerAlignment(rvmaRight);
    Marker.OnDocWidthChange(500, &dli, false, &Canvas, &Data, nullptr, HShift, Desc, true);
    const TRVScreenAndDevice sad{96, 96, 192, 192, 0, 0};
    Marker.OnDocWidthChange(500, &Printed, true, &Canvas, &Data, &sad, HShift, Desc, true);
    EXPECT_GT(Printed.Width, dli.Width);
    EXPECT_EQ(Marker.GetWidth(), dli.Width);

    // Painted at the marker offset in the level's font.
    Marker.Paint(100, 20, &Canvas, TRVItemDrawStates(), &Style, &dli);
    const auto Texts = Canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(Texts.size(), 1u);
    EXPECT_EQ(Texts[0]->X, 100 + dli.MarkerOffset);
    EXPECT_EQ(Texts[0]->TextUtf8(), "1.");
    EXPECT_EQ(Texts[0]->Font.Color, clRed);

    // Nothing for a marker without a list or level.
    Canvas.Clear();
    TRVMarkerItemInfo NoList(nullptr, -1, 0, 0, false);
    NoList.Paint(0, 0, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    TRVMarkerItemInfo NegativeLevel(nullptr, 0, -2, 0, false);
    NegativeLevel.Paint(0, 0, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    EXPECT_EQ(Canvas.Count(), 0);
}

TEST_F(MarkerDrawing, UnicodeBulletsAndImages)
{
    Lvl->SetListType(rvlstUnicodeBullet);
    Lvl->SetFormatStringW(u"\u2022");
    Marker.Paint(5, 6, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    auto Texts = Canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(Texts.size(), 1u);
    EXPECT_EQ(Texts[0]->Text, u"\u2022");

    TImageList Images(nullptr, 12, 10);
    for (int i = 0; i < 3; ++i)
        Images.AddPixels(TPixelBuffer(12, 10));
    Lvl->SetListType(rvlstImageListCounter);
    Lvl->SetImageList(&Images);
    Lvl->SetImageIndex(0);
    Marker.Counter = 3;
    Canvas.Clear();
    Marker.Paint(5, 6, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::Pixels).size(), 1u);
    // A counter past the images draws nothing.
    Marker.Counter = 4;
    Canvas.Clear();
    Marker.Paint(5, 6, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    Marker.Counter = INT_MAX;
    Marker.Paint(5, 6, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    EXPECT_EQ(Canvas.Count(), 0);
    Lvl->SetImageList(nullptr);
}

TEST_F(MarkerDrawing, PrintingUsesTheViewersStyleAndColourMode)
{
    TViewer Viewer(&Style);
    const TRVScreenAndDevice sad{96, 96, 96, 96, 0, 0};
    Marker.Print(&Canvas, 10, 10, 400, false, false, sad, &Viewer, nullptr, -1, rvcmBlackAndWhite, nullptr);
    const auto Texts = Canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(Texts.size(), 1u);
    EXPECT_EQ(Texts[0]->Font.Color, clBlack);
}

// ---------------------------------------------------------------------------
// Fields, styles and text

TEST(MarkerItem, RVFHeaderTail)
{
    TRVMarkerItemInfo Marker(nullptr, 2, 1, 7, true);
    EXPECT_EQ(Marker.SaveRVFHeaderTail(nullptr), "2 1 7 1");
    TRVMarkerItemInfo Read(nullptr);
    TRVFLineCursor P("3 0 -4 0");
    ASSERT_TRUE(Read.ReadRVFHeader(P, nullptr));
    EXPECT_EQ(Read.ListNo, 3);
    EXPECT_EQ(Read.StartFrom, -4);
    EXPECT_FALSE(Read.Reset);
    TRVFLineCursor Short("3 0 1");
    EXPECT_FALSE(Read.ReadRVFHeader(Short, nullptr));
}

TEST(MarkerItem, PlainTextAndRTFCounts)
{
    TRVStyle Style(nullptr);
    TTestRVData Data(&Style);
    TRVListLevel* Level = Style.ListStyles()->Add()->Levels()->Add();
    TRVMarkerItemInfo Marker(nullptr, 0, 0, 0, false);

    // A Symbol-font bullet reads as "*".
    Level->SetListType(rvlstBullet);
    Level->Font()->SetName("Symbol");
    Marker.DisplayString = "\xB7";
    EXPECT_EQ(Marker.AsText(80, &Data, "", "", false, false), "* ");
    Marker.DisplayString = "\xDE";
    EXPECT_EQ(Marker.AsText(80, &Data, "", "", false, false), "=> ");
    Level->SetListType(rvlstPicture);
    EXPECT_EQ(Marker.AsText(80, &Data, "", "", false, false), "* ");
    Level->SetListType(rvlstUnicodeBullet);
    Level->SetFormatStringW(u"o");
    EXPECT_EQ(Marker.AsText(80, &Data, "", "", false, true), AnsiString("o\0 \0", 4));
    EXPECT_EQ(Marker.AsText(80, nullptr, "", "", false, false), "");

    // Only a restarting numbered marker needs an override entry of its own.
    TRVIntegerList Overrides(1, 0);
    Level->SetListType(rvlstDecimal);
    Marker.FillRTFTables(nullptr, &Overrides, &Data);
    EXPECT_EQ(Overrides[0], 0);
    Marker.Reset = true;
    Marker.FillRTFTables(nullptr, &Overrides, &Data);
    EXPECT_EQ(Overrides[0], 1);
    Level->SetListType(rvlstImageListCounter);
    Marker.FillRTFTables(nullptr, &Overrides, &Data);
    EXPECT_EQ(Overrides[0], 1);
}

// ---------------------------------------------------------------------------
// HTML

namespace {

AnsiString HTMLOf(const std::function<void(TStream&)>& Write)
{
    TStringStream Stream;
    Write(Stream);
    return Stream.DataString();
}

} // namespace

TEST(MarkerHTML, ListTagsBetweenMarkers)
{
    TRVStyle Style(nullptr);
    TRVListInfo* Numbers = Style.ListStyles()->Add();
    Numbers->Levels()->Add()->SetListType(rvlstDecimal);
    Numbers->Levels()->Add()->SetListType(rvlstDecimal);
    Style.ListStyles()->Add()->Levels()->Add()->SetListType(rvlstBullet);

    TRVMarkerItemInfo Inner(nullptr, 0, 1, 0, false), Other(nullptr, 1, 0, 0, false);
    EXPECT_EQ(HTMLOf([&](TStream& s) { Inner.SaveHTMLSpecial(s, &Inner, &Style, false); }), "");
    const AnsiString Switch = HTMLOf([&](TStream& s) { Other.SaveHTMLSpecial(s, &Inner, &Style, false); });
    EXPECT_EQ(Switch.rfind("</OL></OL>\r\n<UL", 0), 0u) << Switch;
    // A level from a file does not make millions of tags.
    TRVMarkerItemInfo Deep(nullptr, 0, INT_MAX, 0, false);
    const AnsiString Many = HTMLOf([&](TStream& s) { Deep.SaveHTMLSpecial(s, nullptr, &Style, false); });
    EXPECT_LT(Many.size(), 256u * 64u);
}

TEST(MarkerItem, AssignLeavesTheCounterToTheNumbering)
{
    TRVMarkerItemInfo Plain(nullptr);
    TRVMarkerItemInfo Source(nullptr, 2, 1, 7, true);
    EXPECT_EQ(Source.StyleNo, rvsListMarker);
    Source.Counter = 9;
    Plain.Assign(&Source);
    EXPECT_EQ(Plain.StartFrom, 7);
    EXPECT_EQ(Plain.Counter, 1); // counters are the numbering's
}
