// Painting: text with its selection (from inside a draw item, over several,
// the whole document), pictures at the edges of a selection, only the visible
// lines of a long document, paragraph backgrounds and borders, hyperlink hover
// colours, text replaced after the layout, and text in capitals or Unicode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "platform/controls/controls.h"
#include "tests/view/crvfdata_test_helpers.h"
#include "view/rvback.h"

namespace {

constexpr TColor TextColor = 0x00112233;
constexpr TColor SelBack = 0x00808080; // the inactive selection: no control has the focus
constexpr TColor SelText = 0x000000FF;
constexpr TColor LinkColor = 0x00FF0000;
constexpr TColor LinkHover = 0x0000FF00;

// A text record: its text, left, top, font colour, and whether its cells were
// filled with the selection colour.
struct TText {
    std::string Text;
    int X;
    int Y;
    TColor Color;
    bool SelectedBack;
    bool operator==(const TText& o) const
    {
        return Text == o.Text && X == o.X && Y == o.Y && Color == o.Color && SelectedBack == o.SelectedBack;
    }
};

void PrintTo(const TText& t, std::ostream* os)
{
    *os << "{\"" << t.Text << "\", " << t.X << ", " << t.Y << ", " << std::hex << t.Color << std::dec << ", "
        << t.SelectedBack << "}";
}

class PaintTest : public ::testing::Test {
protected:
    PaintTest() : Style(nullptr), Data(&Style)
    {
        for (int i = 0; i < Style.TextStyles()->Count(); ++i)
            Style.TextStyles()->Items(i)->SetColor(TextColor);
        Style.SetInactiveSelColor(SelBack);
        Style.SetInactiveSelTextColor(SelText);
        TFontInfo* Link = Style.TextStyles()->Items(4);
        EXPECT_TRUE(Link->Jump());
        Link->SetColor(LinkColor);
        Link->SetHoverColor(LinkHover);
    }

    void Paint(int Width = 300, int Height = 200)
    {
        Canvas.Clear();
        Data.PaintTo(&Canvas, Rect(0, 0, Width, Height));
    }

    std::vector<TText> Texts() const
    {
        std::vector<TText> r;
        for (const TCanvasRecord* t : Canvas.RecordsOf(TCanvasOp::Text))
            r.push_back({t->TextUtf8(), t->X, t->Y, t->Font.Color, t->Opaque && t->Brush.Color == SelBack});
        return r;
    }

    void Select(int StartNo, int StartOffs, int EndNo, int EndOffs)
    {
        Data.SelStartNo = StartNo;
        Data.SelStartOffs = StartOffs;
        Data.SelEndNo = EndNo;
        Data.SelEndOffs = EndOffs;
    }

    TRVStyle Style;
    TTestRVFData Data;
    TRecordingCanvas Canvas{300, 200, 96};
};

// A full-width item that logs the span it is painted over.
class TTestRuleItem : public TRVFullLineItemInfo {
public:
    explicit TTestRuleItem(TCustomRVData* RVData) : TRVFullLineItemInfo(RVData) { StyleNo = rvsBreak; }
    void PaintFullWidth(int Left, int Right, int Top, TCanvas*, TRVItemDrawStates, TRVStyle*,
                        const TRect& Clip, TRVDrawLineInfo*) override
    {
        Spans.push_back({Left, Right, Top, Clip.Right, Clip.Bottom});
    }
    std::vector<std::vector<int>> Spans;
};

TEST_F(PaintTest, PieceSelectedFromItsThirdCharacter)
{
    Data.AddNL("abcdef", 0, 0);
    AddDrawItem(Data, 0, 10, 5, 42, 13, 1, 6, true);
    Select(0, 3, 0, 7);
    Paint();
    // The whole draw item unselected, then "cdef" over it after the width of "ab".
    EXPECT_EQ(Texts(),
              (std::vector<TText>{{"abcdef", 10, 5, TextColor, false}, {"cdef", 24, 5, SelText, true}}));
}

TEST_F(PaintTest, SelectionOverSeveralDrawItems)
{
    Data.AddNL("abcdef", 0, 0);
    Data.AddNL("ghij", 0, 0);
    Data.AddNL("klm", 0, 0);
    AddDrawItem(Data, 0, 0, 0, 42, 13, 1, 6, true);
    AddDrawItem(Data, 1, 0, 13, 28, 13, 1, 4, true);
    AddDrawItem(Data, 2, 0, 26, 21, 13, 1, 3, true);
    Select(2, 2, 0, 5); // made backwards: from "k|lm" up to "abcd|ef"
    Paint();
    EXPECT_EQ(Texts(), (std::vector<TText>{{"abcdef", 0, 0, TextColor, false},
                                           {"ef", 28, 0, SelText, true},
                                           {"ghij", 0, 13, SelText, true},
                                           {"klm", 0, 26, TextColor, false},
                                           {"k", 0, 26, SelText, true}}));

    // The whole document counts as selected, whatever the bounds.
    Select(-1, 0, -1, 0);
    Data.State.Include(rvstCompletelySelected);
    Paint();
    EXPECT_EQ(Texts(), (std::vector<TText>{{"abcdef", 0, 0, SelText, true},
                                           {"ghij", 0, 13, SelText, true},
                                           {"klm", 0, 26, SelText, true}}));
}

TEST_F(PaintTest, SelectionInTextWithADirectionIsDrawnByItsVisualStretches)
{
    Style.TextStyles()->Items(0)->SetBiDiMode(rvbdLeftToRight);
    Data.AddNL("abcdef", 0, 0);
    AddDrawItem(Data, 0, 10, 5, 42, 13, 1, 6, true);
    Select(0, 3, 0, 7);
    Paint();
    // The whole text again, clipped to the selected characters "cdef".
    const std::vector<const TCanvasRecord*> t = Canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1]->TextUtf8(), "abcdef");
    EXPECT_EQ(t[1]->X, 10);
    EXPECT_EQ(t[1]->Rect, Rect(24, 5, 52, 18));
    EXPECT_EQ(t[1]->Font.Color, SelText);
    EXPECT_EQ(t[1]->Brush.Color, SelBack);
}

TEST_F(PaintTest, PicturesAtTheEdgesOfASelection)
{
    Data.AddNL("abc", 0, 0);
    auto* Box = new TTestBoxItem(&Data, 20, 13);
    Box->ParaNo = -1;
    Data.AddItem("", Box);
    Data.AddNL("def", 0, -1);
    AddDrawItem(Data, 0, 0, 0, 21, 13, 1, 3, true);
    AddDrawItem(Data, 1, 21, 0, 20, 13, 1, 0, false);
    AddDrawItem(Data, 2, 41, 0, 21, 13, 1, 3, false);
    auto State = [&] { return Box->Paints.back().State; };

    Select(0, 1, 1, 0); // ends before the picture
    Paint();
    EXPECT_FALSE(State().Contains(rvidsSelected));
    Select(1, 1, 2, 3); // starts after it
    Paint();
    EXPECT_FALSE(State().Contains(rvidsSelected));
    Select(0, 2, 2, 2);
    Paint();
    EXPECT_TRUE(State().Contains(rvidsSelected));
}

TEST_F(PaintTest, OnlyTheVisibleLinesOfALongDocumentArePainted)
{
    Data.Width = 300;
    Data.Height = 130;
    for (int i = 0; i < 100000; ++i)
        Data.AddNL("line " + std::to_string(i), 0, 0);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 100000);
    ASSERT_EQ(Data.DrawItems[50000]->Top, 50000 * 13);
    Data.VOffs = 50000 * 13;
    Paint(300, 130);
    // A few lines round the view, not the document.
    const std::vector<TText> t = Texts();
    ASSERT_LT(t.size(), 20u);
    EXPECT_EQ(Canvas.Count(), int(t.size()));
    EXPECT_EQ(t[2], (TText{"line 50000", 0, 0, TextColor, false}));

    // The end of the document.
    Data.VOffs = 100000 * 13 - 130;
    Paint(300, 130);
    EXPECT_EQ(Texts().size(), 12u);
    EXPECT_EQ(Texts().back().Text, "line 99999");
}

TEST_F(PaintTest, OnlyThePiecesOfAVeryLongLineThatShowArePainted)
{
    // One unwrapped line of four items of 2,000 characters (14,000 px each),
    // scrolled to each in turn: the piece under the view is painted (with a
    // piece that ends or starts just beside it), the others are not.
    TParaInfo* unwrapped = Style.ParaStyles()->Add();
    unwrapped->SetOptions({rvpaoNoWrap});
    const int paraNo = Style.ParaStyles()->Count() - 1;
    for (char c : std::string("abcd"))
        Data.AddNL(std::string(2000, c), 0, Data.GetItemCount() == 0 ? paraNo : -1);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 4);
    struct TCase {
        int HOffs;
        std::string Painted; // first letters of the pieces painted
    };
    const TCase cases[] = {{0, "a"}, {20000, "b"}, {27990, "bc"}, {42000, "cd"}, {44000, "d"}, {80000, ""}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.HOffs);
        Data.HOffs = c.HOffs;
        Paint(300, 130);
        std::string painted;
        for (const TText& t : Texts())
            painted += t.Text[0];
        EXPECT_EQ(painted, c.Painted);
        for (const TText& t : Texts())
            EXPECT_EQ(t.X, 14000 * (t.Text[0] - 'a') - c.HOffs);
    }
}

TEST_F(PaintTest, TheLastLineOfManyPiecesPaintsEveryPieceThatShows)
{
    // A short line, then an unwrapped last line grown by 400 pieces, each laid
    // out as a pane lays out what arrives. Wherever the view stands, the
    // pieces drawn are exactly those that come near enough to it to show
    // (their cells with twice their height and 16 pixels around), whether
    // the line reads left to right or right to left, its letters stand
    // closer than their width, or a picture or a shown checkpoint far off the
    // view is painted as well.
    TParaInfo* unwrapped = Style.ParaStyles()->Add();
    unwrapped->SetOptions({rvpaoNoWrap});
    TParaInfo* rightToLeft = Style.ParaStyles()->Add();
    rightToLeft->SetOptions({rvpaoNoWrap});
    rightToLeft->SetBiDiMode(rvbdRightToLeft);
    const int ltr = Style.ParaStyles()->Count() - 2;
    Style.TextStyles()->Add()->SetCharSpacing(-10);
    const int close = Style.TextStyles()->Count() - 1;
    struct TCase {
        const char* Name;
        int ParaNo;
        int StyleNo;
        bool Checkpoint; // shown, on piece 300
        bool Picture;    // after piece 300
    };
    const TCase cases[] = {{"left to right", ltr, 0, false, false},
                           {"right to left", ltr + 1, 0, false, false},
                           {"letters closer than their width", ltr, close, false, false},
                           {"a checkpoint shown", ltr, 0, true, false},
                           {"a picture", ltr, 0, false, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        Data.Options = c.Checkpoint ? TRVOptions{rvoShowCheckpoints} : TRVOptions{};
        Data.AddNL("first", 0, 0);
        Data.FormatAll();
        TTestBoxItem* box = nullptr;
        for (int k = 0; k < 400; ++k) {
            Data.AddNL("piece " + std::to_string(1000 + k) + ' ', c.StyleNo, k == 0 ? c.ParaNo : -1);
            if (k == 300 && c.Picture) {
                box = new TTestBoxItem(&Data, 20, 13);
                box->ParaNo = -1;
                Data.AddItem("", box);
            }
            Data.FormatTail();
        }
        if (c.Checkpoint)
            Data.SetCheckpointInfo(300, TRVTag(), "far", false);
        const TRVDrawLines& di = Data.DrawItems;
        ASSERT_EQ(di.Count(), c.Picture ? 402 : 401);
        auto margin = [&](int i) { return 2 * di[i]->Height + 16; };
        // Views at the ends, inside, and where a piece just misses the view
        // or just meets it, on either side.
        std::vector<int> views = {0, 5000, 30700, 40000};
        for (int k : {50, 200})
            for (int meets : {0, 1}) {
                views.push_back(di[k]->Left + di[k]->Width + margin(k) - meets);
                views.push_back(di[k]->Left - margin(k) - 300 + meets);
            }
        for (const int hOffs : views) {
            SCOPED_TRACE(hOffs);
            Data.HOffs = hOffs;
            const size_t boxPaints = box ? box->Paints.size() : 0;
            Paint(300, 130);
            std::vector<int> expected;
            for (int i = 0; i < di.Count(); ++i)
                if (Data.IsTextItem(di[i]->ItemNo) && di[i]->Left - margin(i) < hOffs + 300 &&
                    di[i]->Left + di[i]->Width + margin(i) > hOffs)
                    expected.push_back(di[i]->Left - hOffs);
            std::vector<int> drawn;
            for (const TText& t : Texts())
                drawn.push_back(t.X);
            EXPECT_EQ(drawn, expected);
            EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::Ellipse).size(), c.Checkpoint ? 1u : 0u);
            if (box) {
                EXPECT_EQ(box->Paints.size(), boxPaints + 1);
            }
        }
    }
}

TEST_F(PaintTest, APieceFarWiderThanTheViewPaintsOnlyTheCharactersThatShow)
{
    // One unwrapped item of 100,000 characters (700,000 px): whatever part of
    // it is scrolled into view, the few characters under the view are drawn,
    // each where the whole piece places it.
    TParaInfo* unwrapped = Style.ParaStyles()->Add();
    unwrapped->SetOptions({rvpaoNoWrap});
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += static_cast<char>('a' + i % 26);
    Data.AddNL(text, 0, Style.ParaStyles()->Count() - 1);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 1);
    for (int hOffs : {0, 7 * 50000 + 3, 699800}) {
        SCOPED_TRACE(hOffs);
        Data.HOffs = hOffs;
        Paint(300, 130);
        const std::vector<TText> texts = Texts();
        ASSERT_EQ(texts.size(), 1u);
        const TText& t = texts[0];
        const int left = Data.DrawItems[0]->Left - hOffs;
        ASSERT_EQ((t.X - left) % 7, 0);
        EXPECT_EQ(t.Text, text.substr(static_cast<size_t>((t.X - left) / 7), t.Text.size()));
        EXPECT_LT(t.Text.size(), 200u);
        EXPECT_LE(t.X, 0);
        EXPECT_GE(t.X + 7 * static_cast<int>(t.Text.size()), std::min(300, left + 700000));
    }
}

TEST_F(PaintTest, ParagraphBackgroundAndBorderAroundAMultiLineParagraph)
{
    TParaInfo* Boxed = Style.ParaStyles()->Add(); // paragraph 2
    Boxed->Background()->SetColor(0x000000FF);
    Boxed->Border()->SetStyle(rvbSingle);
    Boxed->Border()->SetColor(0x00FF0000);
    Boxed->Border()->SetWidth(1);
    Boxed->SetLeftIndent(2);
    Boxed->SetFirstIndent(-1);
    Boxed->SetRightIndent(3);
    Data.LeftMargin = 5;
    Data.AddNL("one paragraph over three lines", 0, 2);
    Data.AddNL("plain", 0, 0);
    AddDrawItem(Data, 0, 6, 0, 70, 13, 1, 10, true);
    AddDrawItem(Data, 0, 7, 13, 63, 13, 12, 9, true);
    AddDrawItem(Data, 0, 7, 26, 70, 13, 22, 9, true);
    AddDrawItem(Data, 1, 5, 39, 35, 13, 1, 5, true);
    Data.VOffs = 10;
    Paint();

    // From the left margin and indents to the area's right edge less the
    // indent, over the three lines, moved by the scroll offset.
    const std::vector<const TCanvasRecord*> Fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_EQ(Fills.size(), 1u);
    EXPECT_EQ(Fills[0]->Brush.Color, 0x000000FFu);
    EXPECT_EQ(Fills[0]->Rect, Rect(6, -10, 298, 30)); // background rectangles include their far edges
    std::vector<TPoint> Corners;
    for (const TCanvasRecord* l : Canvas.RecordsOf(TCanvasOp::Line)) {
        EXPECT_EQ(l->Pen.Color, 0x00FF0000u);
        Corners.push_back(l->Points[0]);
    }
    for (const TPoint& p : {Point(6, -10), Point(297, -10), Point(297, 29), Point(6, 29)})
        EXPECT_NE(std::find(Corners.begin(), Corners.end(), p), Corners.end()) << p.X << ", " << p.Y;
    // The fill comes before the text.
    EXPECT_EQ(Canvas[0].Op, TCanvasOp::FillRect);
}

TEST_F(PaintTest, HyperlinkHoverColours)
{
    Data.AddNL("link", 4, 0);
    Data.AddNL("text", 0, -1);
    Data.GetItem(0)->SetJumpID(0);
    Data.GetItem(1)->SetJumpID(0); // not a hyperlink: never hovered
    AddDrawItem(Data, 0, 0, 0, 28, 13, 1, 4, true);
    AddDrawItem(Data, 1, 28, 0, 28, 13, 1, 4, false);

    Paint();
    EXPECT_EQ(Texts()[0].Color, LinkColor);
    Data.State.Include(rvstDrawHover);
    Data.HoverJumpId = 0;
    Paint();
    EXPECT_EQ(Texts()[0].Color, LinkHover);
    EXPECT_EQ(Texts()[1].Color, TextColor);
    // Another hyperlink hovered.
    Data.HoverJumpId = 1;
    Paint();
    EXPECT_EQ(Texts()[0].Color, LinkColor);
}

TEST_F(PaintTest, TextReplacedAfterTheLayoutIsCutToWhatIsThere)
{
    Data.AddNL("abcdefghij", 0, 0);
    AddDrawItem(Data, 0, 0, 0, 70, 13, 1, 10, true);
    Data.SetItemText(0, "abc");
    Select(0, 2, 0, 9);
    Paint();
    EXPECT_EQ(Texts(), (std::vector<TText>{{"abc", 0, 0, TextColor, false}, {"bc", 7, 0, SelText, true}}));
}

TEST_F(PaintTest, TextIsDrawnAsItsStyleShowsItIn8BitAndUnicodeWithAndWithoutCapitals)
{
    const int CapsNo = Style.TextStyles()->Count();
    TFontInfo* Caps = Style.TextStyles()->Add();
    Caps->SetStyleEx({rvfsAllCaps});
    TFontInfo* Uni = Style.TextStyles()->Add();
    Uni->SetUnicode(true);
    TFontInfo* UniCaps = Style.TextStyles()->Add();
    UniCaps->SetUnicode(true);
    UniCaps->SetStyleEx({rvfsAllCaps});
    for (TFontInfo* Added : {Caps, Uni, UniCaps})
        Added->SetColor(TextColor);
    const struct {
        int StyleNo;
        std::vector<std::string> Shown; // the two lines, then the selected "de"/"ok"
    } Cases[] = {
        {0, {"abc", " de", "de"}},
        {CapsNo, {"ABC", " DE", "DE"}},
        {CapsNo + 1, {"\u00e9t\u00e9", " ok", "ok"}},
        {CapsNo + 2, {"\u00c9T\u00c9", " OK", "OK"}},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.StyleNo);
        Data.Clear();
        ASSERT_EQ(Data.DrawItems.Count(), 0);
        if (Style.TextStyles()->Items(c.StyleNo)->Unicode())
            Data.AddNLWTag(u"\u00e9t\u00e9 ok", c.StyleNo, 0, TRVTag());
        else
            Data.AddNL("abc de", c.StyleNo, 0);
        // One item on two lines: the second draw item reads from its fourth
        // character on, and its last two characters are selected.
        AddDrawItem(Data, 0, 0, 0, 21, 13, 1, 3, true);
        AddDrawItem(Data, 0, 0, 13, 21, 13, 4, 3, true);
        Select(1, 2, 1, 4);
        Paint();
        EXPECT_EQ(Texts(), (std::vector<TText>{{c.Shown[0], 0, 0, TextColor, false},
                                               {c.Shown[1], 0, 13, TextColor, false},
                                               {c.Shown[2], 7, 13, SelText, true}}));
    }
}

TEST_F(PaintTest, FullWidthItemsSpanTheTextArea)
{
    auto* Rule = new TTestRuleItem(&Data);
    Data.AddItem("", Rule);
    AddDrawItem(Data, 0, 4, 20, 200, 11, 1, 0, true);
    Data.RightMargin = 6;
    Data.HOffs = 3;
    Paint(250, 100);
    EXPECT_EQ(Rule->Spans, (std::vector<std::vector<int>>{{1, 300 - 6 - 3, 20, 250, 100}}));
    // A maximal text width narrower than the area limits it.
    Data.MaxTextWidth = 100;
    Paint(250, 100);
    EXPECT_EQ(Rule->Spans.back()[1], 100 + 6 - 6 - 3);
}

} // namespace
