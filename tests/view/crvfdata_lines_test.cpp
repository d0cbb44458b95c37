// Line building: word wrap and long words, trimming, line heights of mixed
// sizes, hyperlink rectangles, inline and whole-line items, list
// markers, multi-byte and Unicode text, and the fit search on very long lines.
// The recording canvas measures every character 7 px wide and 13 px high
// (ascent 10, descent 3) unless a test says otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <string>
#include <vector>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "platform/core/compstream.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "tests/support/testrvfdata.h"

namespace {

// An inline box of a fixed size.
class TBoxItem : public TRVRectItemInfo {
public:
    TBoxItem(int AWidth, int AHeight) : TRVRectItemInfo(nullptr), W(AWidth), H(AHeight)
    {
        StyleNo = rvsPicture;
    }
    int GetWidth() const override { return W; }
    int GetHeight() const override { return H; }
    int W, H;
};

class LineBuilding : public ::testing::Test {
protected:
    LineBuilding() : Style(nullptr)
    {
        Style.TextStyles()->Add()->SetSize(20); // style 6: ascent 20, descent 6, 12 px a character
        UseLargeFontMetrics(Data.Canvas);
    }

    // Text of draw item i.
    std::string Text(int i) { return Data.DrawItems.GetString(i, Data.Items); }
    // The lengths of all draw items.
    std::vector<int> Lengths()
    {
        std::vector<int> lengths;
        for (int i = 0; i < Data.DrawItems.Count(); ++i)
            lengths.push_back(Data.DI(i)->Length);
        return lengths;
    }

    TRVStyle Style;
    TTestRVFData Data{&Style};
};

// Where text breaks into lines: the items of one document (text, paragraph
// number: -1 continues the line), the width, trimming, and the texts of the
// draw items that result.
TEST_F(LineBuilding, TextBreaksIntoPieces)
{
    struct TCase {
        const char* Name;
        std::vector<std::pair<const char*, int>> Items;
        int Width;
        bool Trim;
        std::vector<std::string> Pieces;
    };
    const TCase cases[] = {
        {"words wrap at spaces and the break space is dropped",
         {{"hello world again", 0}},
         56,
         true,
         {"hello", "world", "again"}},
        {"a long word splits on an empty line and moves whole otherwise",
         {{"abcdefghijklmnopqrstuvw", 0}, {"xy", 0}, {"abcdefghi", -1}},
         70,
         true,
         {"abcdefghij", "klmnopqrst", "uvw", "xy", "abcdefghi"}},
        {"trimming on: a continuation of a full line goes down and loses its space",
         {{"abcdefgh", 0}, {" xyz", -1}, {"abcd efgh", 0}},
         28,
         true,
         {"abcd", "efgh", "xyz", "abcd", "efgh"}},
        // The break space stays in a piece that starts its line; a piece after
        // another on its line loses it when the line closes; a continuation
        // keeps its leading space.
        {"trimming off",
         {{"hello world", 0}, {"ab", 0}, {"cd efghijk", -1}, {"abcdefgh", 0}, {" xyz", -1}},
         56,
         false,
         {"hello ", "world", "ab", "cd", "efghijk", "abcdefgh", " xyz"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        for (auto [text, paraNo] : c.Items)
            Data.AddNL(text, 0, paraNo);
        Data.Width = c.Width;
        if (c.Trim)
            Data.Flags.Include(rvflTrim);
        else
            Data.Flags.Exclude(rvflTrim);
        Data.FormatAll();
        std::vector<std::string> pieces;
        for (int i = 0; i < Data.DrawItems.Count(); ++i)
            pieces.push_back(Text(i));
        EXPECT_EQ(pieces, c.Pieces);
    }
}

TEST_F(LineBuilding, AtLeastOneCharacterGoesOnEveryLine)
{
    // Characters wider than the line (and than the 20 px minimum width).
    Data.Canvas.MetricsForFont = [](const TFont&) {
        TRecordingMetrics m;
        m.CharWidth = 30;
        return m;
    };
    Data.Width = 3;
    Data.AddNL("abc", 0, 0);
    Data.FormatAll();
    EXPECT_EQ(Lengths(), (std::vector<int>{1, 1, 1}));
}

TEST_F(LineBuilding, ATabInsideTextIsMeasuredLikeAnyOtherCharacter)
{
    // Text added through the add operations has its TABs turned into the
    // style sheet's spaces; a TAB that is in an item's text (set, read or
    // typed) has no tab stops: it is one character of the text's width, in an
    // ANSI item and in a Unicode one, and no place to break a line.
    const int uni = Style.AddTextStyle();
    Style.TextStyles()->Items(uni)->SetUnicode(true);
    Data.AddNL("col1\tcol2", 0, 0);
    EXPECT_EQ(Data.GetItemText(0), "col1        col2");
    Data.AddNL("", 0, 0);
    Data.SetItemText(1, "col1\tcol2");
    Data.AddNL("col1xcol2", 0, 0);
    Data.AddNLWTag(WideString(u"x"), uni, 0, TRVTag());
    Data.SetItemTextW(3, u"col1\tcol2");
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 4);
    EXPECT_EQ(Data.DI(0)->Width, 16 * 7);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(Data.DI(i)->Width, 9 * 7) << "draw item " << i;
    Data.Clear();
    Data.Width = 56; // 8 characters
    Data.AddNL("", 0, 0);
    Data.SetItemText(0, "ab\tcdefghij");
    Data.FormatAll();
    EXPECT_EQ(Text(0), "ab\tcdefg") << "the long word is split where it fills the line";
}

TEST_F(LineBuilding, MixedFontSizesOnOneLineMoveEarlierPiecesDown)
{
    Data.AddNL("small ", 0, 0);
    Data.AddNL("BIG", 6, -1);
    Data.AddNL("next", 0, 0);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 3);
    // Baseline at 20: the small piece (ascent 10) moved down by 10.
    EXPECT_EQ(Data.DI(0)->Top, 10);
    EXPECT_EQ(Data.DI(1)->Top, 0);
    // The next line starts below the deeper descent.
    EXPECT_EQ(Data.DI(2)->Top, 26);
}

TEST_F(LineBuilding, AHyperlinkOverThreeLinesGivesThreeRectanglesWithOneId)
{
    Data.Width = 70;
    Data.AddNL("aaaaaaa bbbbbbb ccccccc", 4, 0);
    Data.AddNL("other", 5, 0);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 4);
    ASSERT_EQ(Data.Jumps.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        const auto* j = static_cast<const TRVJumpInfo*>(Data.Jumps.Get(i));
        EXPECT_EQ(j->Id, i < 3 ? 0 : 1);
        EXPECT_EQ(j->Top, Data.DI(i)->Top);
    }
    EXPECT_EQ(Data.JumpCount, 2);
}

TEST_F(LineBuilding, JustifiedHyperlinkWordsShareOneId)
{
    Style.ParaStyles()->Items(0)->SetAlignment(rvaJustify);
    Data.Width = 70;
    Data.AddNL("aa bb cc dd ee ff gg", 4, 0);
    Data.FormatAll();
    // One rectangle per piece, also where a space piece was dropped at a line end.
    ASSERT_EQ(Data.Jumps.Count(), Data.DrawItems.Count());
    for (int i = 0; i < Data.Jumps.Count(); ++i) {
        const auto* j = static_cast<const TRVJumpInfo*>(Data.Jumps.Get(i));
        EXPECT_EQ(j->Id, 0);
        EXPECT_EQ(j->DrawItemNo, i);
        EXPECT_EQ(j->Left, Data.DI(i)->Left);
    }
    EXPECT_EQ(Data.JumpCount, 1);
}

TEST_F(LineBuilding, ATrailingSpaceDroppedAtALineEndTakesItsRectangleAlong)
{
    Data.Flags.Exclude(rvflTrim);
    Data.Width = 56;
    Data.AddNL("ab", 0, 0);
    Data.AddNL("cd efghijk", 4, -1);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 3);
    ASSERT_EQ(Data.Jumps.Count(), 2);
    const auto* j = static_cast<const TRVJumpInfo*>(Data.Jumps.Get(0));
    EXPECT_EQ(j->DrawItemNo, 1);
    EXPECT_EQ(j->Width, 14); // "cd" without its space
}

TEST_F(LineBuilding, EmptyTextRulesAndBoxes)
{
    Data.Width = 100;
    Data.AddNL("", 0, 0);
    Data.AddNL("", 4, 0); // an empty hyperlink gets no rectangle
    Data.AddBreak();
    Data.AddNL("ab", 0, 0);
    auto* Box25 = new TBoxItem(30, 25);
    Box25->ParaNo = -1; // continues the line
    Data.AddItem("box", Box25);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 5);
    EXPECT_GT(Data.DI(0)->Height, 0) << "an empty line has a height";
    EXPECT_EQ(Data.Jumps.Count(), 0);
    EXPECT_EQ(Data.DI(2)->Width, 100) << "a rule spans the line";
    // The box continues the line of "ab" on its baseline (descent 1).
    const TRVDrawLineInfo* Text2 = Data.DI(3);
    const TRVDrawLineInfo* Box = Data.DI(4);
    // Below the rule; moved down by 14 when the box raised the line's ascent
    // from 10 to 24.
    EXPECT_EQ(Text2->Top, Data.DI(2)->Top + Data.DI(2)->Height + 14);
    EXPECT_EQ(Box->Top + Box->Height - 1, Text2->Top + 10);
}

TEST_F(LineBuilding, BoxesWrapAndTakeTheirOwnLine)
{
    Data.Width = 50;
    Data.AddNL("abcd", 0, 0);
    auto* Box = new TBoxItem(30, 5);
    Box->ParaNo = -1;
    Data.AddItem("box", Box);
    auto* Tall = new TBoxItem(10, 40);
    Tall->VAlign = rvvaMiddle;
    Tall->ParaNo = -1;
    Data.AddItem("tall", Tall);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 3);
    EXPECT_TRUE(Data.DI(1)->FromNewLine);
    EXPECT_FALSE(Data.DI(2)->FromNewLine);
    // The middle-aligned box raises the line: ascent 20, the first box moves down.
    EXPECT_EQ(Data.DI(2)->Top, 13);
    EXPECT_EQ(Data.DI(1)->Top, 13 + 20 - 4);
}

TEST_F(LineBuilding, ListMarkerIndentsAndTextSplitAfterIt)
{
    TRVListInfo* List = Style.ListStyles()->Add();
    TRVListLevel* Level = List->Levels()->Add();
    Level->SetListType(rvlstDecimal);
    Level->SetMarkerIndent(7);
    Level->SetLeftIndent(35);
    Level->SetFirstIndent(0);
    Data.Width = 35 + 28;
    const int MarkerNo = Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    ASSERT_EQ(MarkerNo, 0);
    Data.AddNL("xxxxxxxxxxxx", 0, -1); // longer than the rest of the line
    Data.FormatAll();
    ASSERT_GE(Data.DrawItems.Count(), 3);
    const TRVDrawLineInfo* Marker = Data.DI(0);
    EXPECT_EQ(Data.GetItemStyle(Marker->ItemNo), rvsListMarker);
    EXPECT_EQ(Marker->Left, 7);
    // The text after the marker is split on the marker's line, not moved.
    EXPECT_FALSE(Data.DI(1)->FromNewLine);
    EXPECT_GT(Data.DI(1)->Length, 0);
    // The next lines start at the level's left indent.
    EXPECT_EQ(Data.DI(2)->Left, 35);
}

TEST_F(LineBuilding, MultiByteAnsiTextIsNeverCutInsideACharacter)
{
    const unsigned OldACP = GetACP();
    SetACP(65001);
    Data.Width = 14;                                              // two characters
    Data.AddNL("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 0, 0); // five e-acute
    Data.FormatAll();
    SetACP(OldACP);
    EXPECT_EQ(Lengths(), (std::vector<int>{4, 4, 2}));
}

TEST_F(LineBuilding, UnicodeTextBreaksByTheLineBreakRulesAndKeepsPairsWhole)
{
    TFontInfo* Uni = Style.TextStyles()->Add();
    Uni->SetUnicode(true);
    const int UniStyle = Style.TextStyles()->Count() - 1;
    Data.Canvas.MetricsForFont = [](const TFont&) {
        TRecordingMetrics m;
        m.CharWidth = 10;
        return m;
    };
    Data.Width = 30; // three characters
    // "ab-cd" breaks after the hyphen.
    Data.AddNLWTag(WideString(u"ab-cd"), UniStyle, 0, TRVTag());
    Data.FormatAll();
    EXPECT_EQ(Lengths(), (std::vector<int>{3, 2}));

    // The fit search lands between the two halves of the pair (units 3 and
    // 4: "xy" and a lone half measure 30 px); the piece takes the whole pair.
    Data.Clear();
    Data.AddNLWTag(WideString(u"xy\xD83D\xDE00zz"), UniStyle, 0, TRVTag());
    Data.FormatAll();
    EXPECT_EQ(Lengths(), (std::vector<int>{4, 2}));
}

TEST_F(LineBuilding, TheFitSearchHoldsOnVeryLongLines)
{
    // Characters times pixels go past 32 bits here: 120000 x 20000.
    const int Length = 120000;
    Data.Width = 20000;
    Data.AddNL(std::string(Length, 'a'), 0, 0);
    Data.FormatAll();
    const int PerLine = 20000 / 7;
    const int Lines = (Length + PerLine - 1) / PerLine;
    std::vector<int> expected(Lines, PerLine);
    expected.back() = Length - (Lines - 1) * PerLine;
    EXPECT_EQ(Lengths(), expected);
    // Each line measures what is left once and interpolates in a few more
    // steps; a search thrown off by an overflow steps through the line.
    int64_t Left = 0;
    for (int i = 0; i < Lines; ++i)
        Left += Length - int64_t(i) * PerLine;
    EXPECT_LT(Data.Canvas.CharsMeasured, Left + int64_t(Lines) * 8 * PerLine);
    EXPECT_LT(Data.Canvas.MetricsCalls, Lines * 8);
}

TEST_F(LineBuilding, EveryCharacterOfALongParagraphIsMeasuredABoundedNumberOfTimes)
{
    // A paragraph of 200,000 characters over about 5,000 lines, with and
    // without spaces, as ANSI and as Unicode text, by interpolation and by
    // character: the work stays a small multiple of the text, not of the text
    // times its lines.
    TFontInfo* uni = Style.TextStyles()->Add();
    uni->SetUnicode(true);
    const int uniStyle = Style.TextStyles()->Count() - 1;
    const int length = 200000;
    std::string words;
    for (int i = 0; static_cast<int>(words.size()) < length; ++i)
        words += "word" + std::to_string(i % 97) + ' ';
    words.resize(length);
    Data.Width = 280;
    for (const bool byCharacter : {false, true})
        for (const bool unicode : {false, true})
            for (const std::string& text : {words, std::string(length, 'x')}) {
                SCOPED_TRACE(std::string(unicode ? "unicode" : "ansi") +
                             (byCharacter ? ", by character" : "") +
                             (text[4] == 'x' ? ", no spaces" : ", words"));
                RollViewSafeFormatting = byCharacter;
                Data.Clear();
                if (unicode)
                    Data.AddNLWTag(WideString(text.begin(), text.end()), uniStyle, 0, TRVTag());
                else
                    Data.AddNL(text, 0, 0);
                Data.Canvas.CharsMeasured = 0;
                Data.FormatAll();
                EXPECT_GE(Data.DrawItems.Count(), length / 41);
                EXPECT_LT(Data.Canvas.CharsMeasured, int64_t(6) * length);
            }
    RollViewSafeFormatting = false;
}

TEST_F(LineBuilding, ExternalLeadingIsAddedOnlyWhenAskedFor)
{
    Data.Canvas.MetricsForFont = [](const TFont&) {
        TRecordingMetrics m;
        m.ExternalLeading = 2;
        return m;
    };
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 0, 0);
    Data.FormatAll();
    EXPECT_EQ(Data.DI(1)->Top, 15);
    Data.Flags.Exclude(rvflUseExternalLeading);
    Data.FormatAll();
    EXPECT_EQ(Data.DI(1)->Top, 13);
}

} // namespace

// Paragraph and list lengths of any size a style file can hold: read from an
// ini style sheet or from a stream of style collections (as RVF stores them),
// they come within the RTF import's limit of 22 inches (RVMaxStyleLength
// pixels either way), and paragraphs in those styles, plain and in lists, are
// laid out without a sum overflowing (the sanitizer build checks that).
TEST_F(LineBuilding, HostileStyleLengthsAreClampedWhenReadAndLaidOut)
{
    const int Extremes[] = {INT_MAX, INT_MIN, INT_MAX - 5, INT_MIN + 7, -RVMaxStyleLength - 1, 1000000, 10};
    TRVStyle Source(nullptr);
    Source.ParaStyles()->Clear();
    Source.ListStyles()->Clear();
    for (int v : Extremes) {
        TParaInfo* Para = Source.ParaStyles()->Add();
        Para->SetLeftIndent(v);
        Para->SetRightIndent(v);
        Para->SetFirstIndent(v);
        Para->SetSpaceBefore(v);
        Para->SetSpaceAfter(v);
        TRVListLevel* Level = Source.ListStyles()->Add()->Levels()->Add();
        Level->SetLeftIndent(v);
        Level->SetFirstIndent(v);
        Level->SetMarkerIndent(v);
    }
    auto within = [](int v, int want) { return v == std::clamp(want, -RVMaxStyleLength, RVMaxStyleLength); };
    for (const bool FromIni : {true, false}) {
        SCOPED_TRACE(FromIni ? "ini" : "stream");
        Data.Clear();
        if (FromIni) {
            TMemIniFile Ini("");
            Source.SaveToINI(&Ini, "S");
            Style.LoadFromINI(&Ini, "S");
        } else {
            TMemoryStream Stream;
            {
                TWriter Writer(Stream);
                Writer.WriteCollection(Source.ParaStyles());
                Writer.WriteCollection(Source.ListStyles());
            }
            Stream.SetPosition(0);
            TReader Reader(Stream);
            Reader.ReadCollection(Style.ParaStyles());
            Reader.ReadCollection(Style.ListStyles());
        }
        ASSERT_EQ(Style.ParaStyles()->Count(), static_cast<int>(std::size(Extremes)));
        ASSERT_EQ(Style.ListStyles()->Count(), static_cast<int>(std::size(Extremes)));
        for (int i = 0; i < Style.ParaStyles()->Count(); ++i) {
            SCOPED_TRACE(Extremes[i]);
            const TParaInfo* Para = Style.ParaStyles()->Items(i);
            for (int v : {Para->LeftIndent(), Para->RightIndent(), Para->FirstIndent(), Para->SpaceBefore(),
                          Para->SpaceAfter()})
                EXPECT_TRUE(within(v, Extremes[i])) << v;
            const TRVListLevel* Level = Style.ListStyles()->Items(i)->Levels()->Items(0);
            for (int v : {Level->LeftIndent(), Level->FirstIndent(), Level->MarkerIndent()})
                EXPECT_TRUE(within(v, Extremes[i])) << v;
            Data.AddNL("plain words", 0, i);
            Data.SetListMarkerInfo(-1, i, 0, 1, i, false);
            Data.AddNL("listed words", 0, -1);
        }
        for (int Width : {60, 5000}) {
            Data.Width = Width;
            Data.FormatAll();
            EXPECT_GT(Data.DocumentHeight, 0);
            EXPECT_GE(Data.DocumentWidth, 0);
        }
    }
}
