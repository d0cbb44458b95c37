// Selection bounds and position mapping: item and draw-item
// positions (a dropped line-end space, non-text items, stale draw items), hits
// for selecting on both sides of a line, inside text and on each half of a
// picture, right-to-left lines and list markers.
#include <gtest/gtest.h>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/view/crvfdata_test_helpers.h"

namespace {

class SelectTest : public ::testing::Test {
protected:
    SelectTest() : Style(nullptr), Data(&Style) {}

    // Two lines: "abc" + "def" on the first (items 0 and 1), "ghij" on the
    // second (item 2), and a 20 x 20 picture on a third (item 3).
    void BuildLines()
    {
        Data.AddNL("abc", 0, 0);
        Data.AddNL("def", 0, -1);
        Data.AddNL("ghij", 0, 0);
        Data.AddItem("", new TTestBoxItem(&Data, 20, 20));
        AddDrawItem(Data, 0, 10, 0, 21, 13, 1, 3, true);
        AddDrawItem(Data, 1, 31, 0, 21, 13, 1, 3, false);
        AddDrawItem(Data, 2, 10, 13, 28, 13, 1, 4, true);
        AddDrawItem(Data, 3, 10, 26, 20, 20, 1, 0, true);
    }

    TRVStyle Style;
    TTestRVFData Data;
};

// Item positions to draw-item positions and back: {item, offset} <-> {draw item, offset}.
struct TMapping {
    int Item, ItemOffs, DrawItem, DrawOffs;
    bool ToDrawItem, ToItem; // which directions hold
};

void ExpectMappings(TTestRVFData& data, const std::vector<TMapping>& mappings)
{
    for (const TMapping& m : mappings) {
        SCOPED_TRACE(testing::Message()
                     << m.Item << ":" << m.ItemOffs << " <-> " << m.DrawItem << ":" << m.DrawOffs);
        int a = -2, b = -2;
        if (m.ToDrawItem) {
            data.Item2DrawItem(m.Item, m.ItemOffs, a, b);
            EXPECT_EQ((std::vector<int>{a, b}), (std::vector<int>{m.DrawItem, m.DrawOffs}));
        }
        if (m.ToItem) {
            data.DrawItem2Item(m.DrawItem, m.DrawOffs, a, b);
            EXPECT_EQ((std::vector<int>{a, b}), (std::vector<int>{m.Item, m.ItemOffs}));
        }
    }
}

TEST_F(SelectTest, TextPositionsMapBothWaysAcrossADroppedSpace)
{
    // "hello world" wrapped after "hello": the space is dropped.
    Data.AddNL("hello world", 0, 0);
    AddDrawItem(Data, 0, 0, 0, 35, 13, 1, 5, true);
    AddDrawItem(Data, 0, 0, 13, 35, 13, 7, 5, true);
    ExpectMappings(Data, {{0, 1, 0, 1, true, true},
                          {0, 6, 0, 6, true, true}, // after "hello"
                          {0, 7, 1, 1, true, true}, // before "world"
                          {0, 12, 1, 6, true, false}});
    // Text replaced after the layout: the draw items are cut to it.
    Data.SetItemText(0, "hel");
    ExpectMappings(Data, {{0, 4, 1, 3, false, true}, {0, 9, 0, 4, true, false}});
    // "aaaa " ends its line with a dropped space; "bbbb" (same paragraph)
    // starts the next line: the place after the space is the next line's start.
    Data.Clear();
    Data.AddNL("aaaa ", 0, 0);
    Data.AddNL("bbbb", 0, -1);
    AddDrawItem(Data, 0, 0, 0, 28, 13, 1, 4, true);
    AddDrawItem(Data, 1, 0, 13, 28, 13, 1, 4, true);
    ExpectMappings(Data, {{0, 6, 1, 1, true, false}, {0, 5, 0, 5, true, false}});
}

TEST_F(SelectTest, ItemsWithoutOrWithAWronglyNotedDrawItem)
{
    BuildLines();
    int d, o;
    // An item that is not laid out has no draw item.
    Data.AddNL("new", 0, 0);
    Data.Item2DrawItem(4, 1, d, o);
    EXPECT_EQ(d, -1);
    EXPECT_EQ(Data.FindDrawItemByItem(4), -1);
    // A wrong note of the first draw item falls back to the search.
    Data.GetItem(2)->DrawItemNo = 0;
    EXPECT_EQ(Data.FindDrawItemByItem(2), 2);
}

TEST_F(SelectTest, HitsOnBothSidesOfALineInsideTextAndOnEachHalfOfAPicture)
{
    BuildLines();
    struct TCase {
        const char* Name;
        int X, Y;
        bool Strict;
        int DrawItemNo, DrawOffs;
    };
    const TCase cases[] = {
        {"left of the line: its first draw item, at its start", 0, 5, false, 0, 1},
        {"right of it: its last draw item, at its end", 200, 5, false, 1, 4},
        // Caret places of "abc" lie at 10, 17, 24 and 31: the nearest wins.
        {"nearer the second place", 20, 5, false, 0, 2},
        {"nearer the third place", 21, 5, false, 0, 3},
        {"where the next draw item starts", 31, 5, false, 1, 1},
        {"the second line", 12, 20, false, 2, 1},
        {"below the document: the last line", 15, 5000, false, 3, 0},
        {"strict, left of the text", 5, 5, true, -1, -1},
        {"strict, right of the text", 60, 5, true, -1, -1},
        {"strict, inside", 15, 5, true, 0, 2},
        {"the picture's left half", 15, 30, false, 3, 0},
        {"its middle is the left half", 20, 30, false, 3, 0},
        {"its right half", 25, 30, false, 3, 1},
        {"its right half, strict", 25, 30, true, 3, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        int drawItemNo = -2, drawOffs = -2;
        Data.FindDrawItemForSel(c.X, c.Y, drawItemNo, drawOffs, c.Strict);
        EXPECT_EQ(drawItemNo, c.DrawItemNo);
        if (c.DrawItemNo >= 0) {
            EXPECT_EQ(drawOffs, c.DrawOffs);
        }
    }
}

TEST_F(SelectTest, CharStopsMeasureWholeCharactersWithinTenTimesTheWidth)
{
    BuildLines();
    TRVCharStops stops;
    // "ghij" at x 10, 7 pixels a character: every place, all of them fitting.
    ASSERT_TRUE(Data.CharStops(2, stops, true));
    EXPECT_EQ(stops.X, (std::vector<int>{10, 17, 24, 31, 38}));
    EXPECT_EQ(stops.Fit, 4);
    EXPECT_FALSE(stops.CaretPlaces);
    // A limit given: only the characters that end within it.
    ASSERT_TRUE(Data.CharStops(2, stops, true, 15));
    EXPECT_EQ(stops.Fit, 2);
    // One pixel wide: ten pixels hold one character.
    Data.DrawItems[2]->Width = 1;
    ASSERT_TRUE(Data.CharStops(2, stops, true));
    EXPECT_EQ(stops.Fit, 1);
    // So wide that ten times the width does not fit 32 bits: the limit is
    // clamped, not wrapped negative, and every character still fits.
    Data.DrawItems[2]->Width = 300000000;
    ASSERT_TRUE(Data.CharStops(2, stops, true));
    EXPECT_EQ(stops.Fit, 4);
    EXPECT_EQ(stops.X.back(), 38);
    // A picture has no characters.
    EXPECT_FALSE(Data.CharStops(3, stops, true));
    EXPECT_TRUE(stops.X.empty());
}

TEST_F(SelectTest, RightToLeftLinesAreMirrored)
{
    TParaInfo* rtl = Style.ParaStyles()->Add();
    rtl->SetBiDiMode(rvbdRightToLeft);
    // Pictures A and b on one line, laid out right to left: b shows on the left.
    Data.AddItem("", new TTestBoxItem(&Data, 20, 20));
    Data.GetItem(0)->ParaNo = 2;
    auto* b = new TTestBoxItem(&Data, 20, 20);
    b->ParaNo = -1;
    Data.AddItem("", b);
    ASSERT_TRUE(b->GetSameAsPrev());
    AddDrawItem(Data, 0, 30, 0, 20, 20, 1, 0, true);
    AddDrawItem(Data, 1, 10, 0, 20, 20, 1, 0, false);
    // Left of the line is its end in reading order (after b), right of it its
    // start (before A); the halves of a picture are mirrored too.
    const int cases[][3] = {{0, 1, 1}, {100, 0, 0}, {35, 0, 1}, {45, 0, 0}}; // x, draw item, offset
    for (const auto& c : cases) {
        int d, o;
        Data.FindDrawItemForSel(c[0], 5, d, o, false);
        EXPECT_EQ((std::vector<int>{d, o}), (std::vector<int>{c[1], c[2]})) << c[0];
    }
}

TEST_F(SelectTest, AClickOnAListMarkerSelectsTheTextAfterIt)
{
    auto* marker = new TRVMarkerItemInfo(&Data, 0, 0, 0, false);
    Data.AddItem("", marker);
    Data.GetMarkers(true)->InsertAfter(marker, nullptr);
    Data.AddNL("xyz", 0, -1);
    AddDrawItem(Data, 0, 0, 0, 10, 13, 1, 0, true);
    AddDrawItem(Data, 1, 10, 0, 21, 13, 1, 3, false);
    int d, o;
    Data.FindDrawItemForSel(3, 5, d, o, false);
    EXPECT_EQ((std::vector<int>{d, o}), (std::vector<int>{1, 1}));
    Data.FindDrawItemForSel(3, 5, d, o, true); // strict: the marker itself
    EXPECT_EQ((std::vector<int>{d, o}), (std::vector<int>{0, 0}));
}

TEST_F(SelectTest, SelectionBoundsOnAListMarkerMoveToTheTextAfterIt)
{
    Style.ListStyles()->Add()->Levels()->Add()->SetListType(rvlstDecimal);
    Data.AddNL("intro", 0, 0);                     // item 0
    Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false); // item 1
    Data.AddNL("listed text", 0, -1);              // item 2
    Data.FormatAll();
    ASSERT_EQ(Data.GetItemStyle(1), rvsListMarker);
    struct TCase {
        TSel Asked, Got;
    };
    const TCase cases[] = {
        {{0, 2, 1, 0}, {0, 2, 2, 1}}, // the end on the marker
        {{0, 2, 1, 1}, {0, 2, 2, 1}},
        {{1, 0, 2, 4}, {2, 1, 2, 4}}, // the start on it
        {{2, 4, 1, 0}, {2, 4, 2, 1}}, // backwards, the moving end on it
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Asked));
        Data.SetSelectionBounds(c.Asked.StartItem, c.Asked.StartOffs, c.Asked.EndItem, c.Asked.EndOffs);
        EXPECT_EQ(SelectionOf(Data, false), c.Got);
        EXPECT_EQ(Data.GetSelText(false), c.Got.StartItem == 0 ? "ntro\r\n" : "lis");
    }
}

// A line cut inside a character (a space at its end, the combining marks
// after it on the next line) has an edge of characters at the cut, as the
// caret has a stop there: a selection's end stays at it. Inside a character
// of one line an end goes to the character's edges on that line; draw items
// laid out for a longer text name no edge past the item's end.
TEST_F(SelectTest, ALineCutInsideACharacterIsAnEdgeOfCharacters)
{
    Style.TextStyles()->Add()->SetUnicode(true);
    const int uni = Style.TextStyles()->Count() - 1;
    Data.AddNLWTag(u" \u0301\u0301x", uni, 0, TRVTag());
    AddDrawItem(Data, 0, 0, 0, 7, 13, 1, 1, true);
    AddDrawItem(Data, 0, 0, 13, 14, 13, 2, 3, true);
    const struct {
        int Offs;
        bool Forward;
        int Edge;
    } cases[] = {{2, true, 2}, {2, false, 2}, {3, true, 4}, {3, false, 2}, {4, false, 4}, {5, true, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(Data.CharacterEdge(0, c.Offs, c.Forward), c.Edge)
            << c.Offs << (c.Forward ? " forward" : "");
    Data.SetItemTextW(0, u"\u0301\u0301\u0301");
    EXPECT_EQ(Data.CharacterEdge(0, 3, true), 4);
}

TEST_F(SelectTest, EmptyDocument)
{
    int d = 0, o = 0;
    Data.FindDrawItemForSel(10, 10, d, o, false);
    EXPECT_EQ((std::vector<int>{d, o}), (std::vector<int>{-1, -1}));
    EXPECT_EQ(Data.FindDrawItemAtPos(10, 10), -1);
    EXPECT_EQ(Data.GetLastItemVisible(), -1);
}

TEST_F(SelectTest, DrawItemAtAPointInLinesOfUnevenHeight)
{
    // Line 2 holds text and a taller picture that starts above the text.
    Data.AddNL("abc", 0, 0);
    Data.AddNL("def", 0, 0);
    auto* tall = new TTestBoxItem(&Data, 20, 30);
    tall->ParaNo = -1;
    Data.AddItem("", tall);
    AddDrawItem(Data, 0, 10, 0, 21, 13, 1, 3, true);
    AddDrawItem(Data, 1, 10, 30, 21, 13, 1, 3, true);
    AddDrawItem(Data, 2, 31, 13, 20, 30, 1, 0, false);
    const int cases[][3] = {{15, 5, 0}, {5, 5, -1}, {35, 20, 2}, {15, 35, 1}, {15, 20, -1}, {15, 500, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(Data.FindDrawItemAtPos(c[0], c[1]), c[2]) << c[0] << "," << c[1];
}

} // namespace
