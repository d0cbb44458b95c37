// Paragraphs in the item store: bounds, normalisation, merging adjacent text
// items, character steps and reading direction.
#include <gtest/gtest.h>

#include <vector>

#include "document/crvdata.h"
#include "document/rvstyle.h"
#include "tests/document/doctestdata.h"

namespace {

class ParasTest : public ::testing::Test {
protected:
    // An item continuing the line, of text style styleNo.
    void AddSameLine(const AnsiString& s, int styleNo) { Data.AddNL(s, styleNo, -1); }

    bool CanConcate(int i, bool ignorePara = false)
    {
        return Data.RV_CanConcateItems(i, Data.GetItem(i), Data.GetItem(i + 1), ignorePara);
    }

    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};
};

} // namespace

TEST_F(ParasTest, BoundsAndNormalisation)
{
    Data.AddNL("a", 0, 0);
    AddSameLine("b", 0);
    Data.SetAddParagraphMode(false);
    Data.AddNL("c", 0, 0);
    Data.SetAddParagraphMode(true);
    Data.AddNL("d", 0, 1);
    AddSameLine("e", 0);
    ASSERT_EQ(Shape(Data), "P0:a +b /0:c P1:d +e");
    EXPECT_EQ(Data.GetFirstParaItem(2), 0);
    EXPECT_EQ(Data.GetFirstParaItem(4), 3);
    EXPECT_EQ(Data.GetFirstParaSectionItem(2), 2);
    EXPECT_EQ(Data.GetFirstParaSectionItem(1), 0);
    int first = -1, last = -1;
    Data.ExpandToPara(1, 1, first, last);
    EXPECT_EQ(std::make_pair(first, last), std::make_pair(0, 2));
    Data.ExpandToPara(4, 4, first, last);
    EXPECT_EQ(std::make_pair(first, last), std::make_pair(3, 4));
    Data.ExpandToParaSection(1, 1, first, last);
    EXPECT_EQ(std::make_pair(first, last), std::make_pair(0, 1));
    int itemNo = 9;
    Data.AdjustInItemsRange(itemNo);
    EXPECT_EQ(itemNo, 4);
    itemNo = -3;
    Data.AdjustInItemsRange(itemNo);
    EXPECT_EQ(itemNo, 0);

    // Every item of a paragraph takes the style of its first; beyond the items: the last paragraph.
    Data.GetItem(1)->ParaNo = 5;
    Data.GetItem(2)->ParaNo = 6;
    Data.GetItem(4)->ParaNo = 7;
    Data.NormalizeParas(2);
    Data.NormalizeParas(100);
    EXPECT_EQ(Shape(Data), "P0:a +b /0:c P1:d +e");
    Data.AddBreak();
    Data.SetParagraphStyleToAll(1);
    EXPECT_EQ(Shape(Data), "P1:a +b /1:c P1:d +e P0:<break>");
}

namespace {

// A document built by Build, merged by MassSimpleConcate over every item.
struct TMergeCase {
    const char* Name;
    void (*Build)(TTestRVData&, TRVStyle&);
    const char* Merged; // after MassSimpleConcate over every item
};

// Each case merged gives its shape, and every checkpoint stays where its
// item is and counted.
void ExpectMerges(const std::vector<TMergeCase>& cases)
{
    for (const TMergeCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRVStyle style(nullptr);
        TTestRVData data(&style);
        c.Build(data, style);
        data.MassSimpleConcate(-5, 99);
        EXPECT_EQ(Shape(data), c.Merged);
        int cps = 0;
        for (TRVCPInfo* cp = data.FirstCP; cp; cp = cp->Next, ++cps)
            EXPECT_EQ(data.GetItemCheckpoint(data.GetCheckpointItemNo(cp)), cp);
        EXPECT_EQ(data.CPCount, cps);
    }
}

} // namespace

// An empty item joins the text beside it, which keeps its own style and encoding.
TEST(ParasMergeTest, EmptyItemsGoIntoTheirNeighbours)
{
    ExpectMerges({
        // The text keeps its own style; the item keeps its place as paragraph start.
        {"an empty first item",
         [](TTestRVData& d, TRVStyle&) {
             d.AddNL("", 0, 0);
             d.AddNL("text", 2, -1);
         },
         "P0:text@2"},
        {"an empty second item",
         [](TTestRVData& d, TRVStyle&) {
             d.AddNL("text", 2, 0);
             d.AddNL("", 0, -1);
         },
         "P0:text@2"},
        {"an empty item after concatenation-protected text",
         [](TTestRVData& d, TRVStyle& s) {
             s.TextStyles()->Items(1)->SetProtection(TRVProtectOptions{rvprConcateProtect});
             d.AddNL("a", 1, 0);
             d.AddNL("", 1, -1);
         },
         "P0:a@1"},
        // With an empty side, the merged item takes the encoding of the text it keeps.
        {"an empty Unicode item",
         [](TTestRVData& d, TRVStyle& s) {
             s.TextStyles()->Items(0)->SetUnicode(true);
             d.AddNL(AnsiString(), 0, 0);
             d.AddNL("xy", 1, -1);
         },
         "P0:xy@1"},
    });
}

TEST(ParasMergeTest, RunsOfOneStyleJoin)
{
    ExpectMerges({
        {"runs of one style",
         [](TTestRVData& d, TRVStyle&) {
             for (const char* s : {"A", "B", "C"})
                 d.AddNL(s, 0, -1);
             d.AddNL("D", 0, 0);
         },
         "P0:ABC P0:D"},
    });
}

// A paragraph start, protection, tags, a checkpoint, a non-text item or another
// encoding keep two items apart.
TEST(ParasMergeTest, WhatKeepsNeighboursApartKeepsThemApart)
{
    ExpectMerges({
        {"a new paragraph",
         [](TTestRVData& d, TRVStyle&) {
             d.AddNL("a", 0, 0);
             d.AddNL("b", 0, 0);
         },
         "P0:a P0:b"},
        {"concatenation-protected text",
         [](TTestRVData& d, TRVStyle& s) {
             s.TextStyles()->Items(1)->SetProtection(TRVProtectOptions{rvprConcateProtect});
             d.AddNL("a", 1, 0);
             d.AddNL("b", 1, -1);
         },
         "P0:a@1 +b@1"},
        {"modify-protected text",
         [](TTestRVData& d, TRVStyle& s) {
             s.TextStyles()->Items(2)->SetProtection(TRVProtectOptions{rvprModifyProtect});
             d.AddNL("c", 2, 0);
             d.AddNL("d", 2, -1);
         },
         "P0:c@2 +d@2"},
        {"different tags",
         [](TTestRVData& d, TRVStyle&) {
             d.AddNL("e", 0, 0);
             d.AddNLTag("f", 0, -1, 5);
         },
         "P0:e +f"},
        {"a checkpoint on the second",
         [](TTestRVData& d, TRVStyle&) {
             d.AddNL("e", 0, 0);
             d.AddNL("f", 0, -1);
             d.InsertCheckpoint(1, 0, "cp", false);
         },
         "P0:e +{cp}f"},
        {"a bullet",
         [](TTestRVData& d, TRVStyle&) {
             d.AddNL("e", 0, 0);
             d.AddBulletEx("b", 0, nullptr, -1);
         },
         "P0:e +<bullet>"},
        // An item of the same style whose text was stored as bytes never joins Unicode text.
        {"Unicode and byte text",
         [](TTestRVData& d, TRVStyle& s) {
             s.TextStyles()->Items(0)->SetUnicode(true);
             d.AddNL(AnsiString("a\0", 2), 0, 0);
             d.AddNL("bc", 1, -1);
             d.GetItem(1)->StyleNo = 0;
         },
         "P0:ua +bc"},
    });
}

TEST(ParasMergeTest, TheFirstCheckpointStays)
{
    ExpectMerges({
        // The first item's checkpoint stays, the second's goes; an item without one takes the other's.
        {"checkpoints",
         [](TTestRVData& d, TRVStyle&) {
             d.AddNamedCheckpointExTag("first", false, 0);
             d.AddNL("x", 0, 0);
             d.AddNL("", 0, -1);
             d.InsertCheckpoint(1, 0, "second", false);
             d.AddNL("y", 0, 0);
             d.AddNL("", 0, -1);
             d.InsertCheckpoint(3, 0, "third", false);
         },
         "P0:{first}x P0:{third}y"},
    });
}

TEST_F(ParasTest, ParagraphStartsMergeOnlyWhenToldToIgnoreThem)
{
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 0, 0);
    EXPECT_FALSE(CanConcate(0));
    EXPECT_TRUE(CanConcate(0, true));
}

TEST_F(ParasTest, CharacterSteps)
{
    Data.AddNL("abc", 0, 0);
    EXPECT_EQ(Data.NextChar(0, 1), 2);
    EXPECT_EQ(Data.PrevChar(0, 3), 2);
    Style.TextStyles()->Items(1)->SetUnicode(true);
    // e, combining acute, a surrogate pair, x.
    Data.AddNLWTag(std::u16string{u'e', 0x0301, 0xD83D, 0xDE00, u'x'}, 1, 0, 0);
    const int next[][2] = {{1, 3}, {3, 5}, {5, 6}, {9, 10}}; // outside the text: plain steps
    for (const auto& [from, to] : next)
        EXPECT_EQ(Data.NextChar(1, from), to) << from;
    const int prev[][2] = {{6, 5}, {5, 3}, {3, 1}, {1, 1}};
    for (const auto& [from, to] : prev)
        EXPECT_EQ(Data.PrevChar(1, from), to) << from;
    EXPECT_EQ(Data.NextCharStr(AnsiString("a\0b\0", 4), 0, 1), 2);
}

TEST_F(ParasTest, ReadingDirectionFallsBackToParagraphAndDocument)
{
    Data.BiDiMode = rvbdRightToLeft;
    Data.AddNL("a", 1, 1);
    Data.AddBreak();
    EXPECT_EQ(Data.GetItemBiDiMode(0), rvbdRightToLeft);
    Style.ParaStyles()->Items(1)->SetBiDiMode(rvbdLeftToRight);
    EXPECT_EQ(Data.GetItemBiDiMode(0), rvbdLeftToRight);
    Style.TextStyles()->Items(1)->SetBiDiMode(rvbdRightToLeft);
    EXPECT_EQ(Data.GetItemBiDiMode(0), rvbdRightToLeft);
    EXPECT_EQ(Data.GetItemBiDiMode(1), rvbdRightToLeft); // the rule: paragraph 0, then the document
    EXPECT_EQ(Data.GetParaBiDiMode(1), rvbdLeftToRight);
}
