// The viewer under the user's mouse, offscreen, through the toolkit's own
// input events: a pane of 10,000 lines selected by drag and by double click,
// a drag below the window that scrolls, a drag that survives the pane being
// appended to, hyperlinks clicked and hovered, a Unicode word; checkpoints
// reported while the pane scrolls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "view/rollview.h"

namespace {

struct TSel {
    int StartItem, StartOffs, EndItem, EndOffs;
    bool operator==(const TSel& o) const
    {
        return StartItem == o.StartItem && StartOffs == o.StartOffs && EndItem == o.EndItem &&
               EndOffs == o.EndOffs;
    }
};

std::ostream& operator<<(std::ostream& os, const TSel& s)
{
    return os << "(" << s.StartItem << ":" << s.StartOffs << " - " << s.EndItem << ":" << s.EndOffs << ")";
}

class RollViewMouse : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 500, 400);
        Style = new TRVStyle(Form);
        View = new TRollView(Form);
        View->SetBounds(0, 0, 400, 300);
        View->SetStyle(Style);
        View->SetParent(Form);
        Form->Show();
        View->OnSelect = [this](TObject*) { ++Selects; };
        View->OnJump = [this](TObject*, int Id) { Jumps.push_back(Id); };
        View->OnRVDblClick = [this](TObject*, const AnsiString& Word, int) { Words.push_back(Word); };
        View->OnRVMouseMove = [this](TObject*, int Id) { Hovers.push_back(Id); };
    }
    void TearDown() override { Form->Free(); }

    // Lines "line <i> alpha beta gamma", each a paragraph of its own.
    void AddLines(int Count, int From = 0)
    {
        for (int i = From; i < From + Count; ++i)
            View->AddNL("line " + std::to_string(i) + " alpha beta gamma", 0, 0);
    }
    const TRVDrawLineInfo* DrawItemOf(int ItemNo)
    {
        return View->RVData->DrawItems[View->RVData->GetItem(ItemNo)->DrawItemNo];
    }
    // Shows item ItemNo near the top of the view.
    void ScrollToItem(int ItemNo) { View->SetVScrollPos(DrawItemOf(ItemNo)->Top / View->VSmallStep()); }
    // The client point over character Offs (1-based) of item ItemNo.
    TPoint At(int ItemNo, int Offs)
    {
        const TRVDrawLineInfo* dli = DrawItemOf(ItemNo);
        TCustomRVFormattedData* Data = View->RVData;
        // The middle of the character: measured on the pane's own canvas.
        TCanvas* Canvas = Data->GetCanvas();
        Style->ApplyStyle(Canvas, Data->GetItemStyle(ItemNo), rvbdUnspecified);
        const AnsiString& Text = Data->GetItemText(ItemNo);
        const TRVItemOptions Options = Data->GetItemOptions(ItemNo);
        const int Before = RVU_TextWidth(RVU_Copy(Text, 1, Offs - 1, Options), Canvas, Options);
        const int Width = RVU_TextWidth(RVU_Copy(Text, Offs, 1, Options), Canvas, Options);
        return {dli->Left + Before + Width / 2 - View->HPos(), dli->Top + dli->Height / 2 - Data->GetVOffs()};
    }
    TSel Selection()
    {
        TSel s;
        View->GetSelectionBounds(s.StartItem, s.StartOffs, s.EndItem, s.EndOffs, true);
        return s;
    }
    void Drag(TPoint From, TPoint To)
    {
        SimulateMouseDown(View, mbLeft, From.X, From.Y);
        SimulateMouseMove(View, (From.X + To.X) / 2, (From.Y + To.Y) / 2, {ssLeft});
        SimulateMouseMove(View, To.X, To.Y, {ssLeft});
        SimulateMouseUp(View, mbLeft, To.X, To.Y);
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollView* View = nullptr;
    int Selects = 0;
    std::vector<int> Jumps;
    std::vector<AnsiString> Words;
    std::vector<int> Hovers;
};

TEST_F(RollViewMouse, TenThousandLinesAreSelectedByDragInTheMiddleOfThePane)
{
    AddLines(10000);
    View->Format();
    ScrollToItem(5000);
    ASSERT_GT(View->VPos(), 0);
    const TPoint From = At(5001, 6); // the "1" of "line 5001"
    const TPoint To = At(5004, 12);  // the "a" of "alpha" four lines down
    Drag(From, To);
    EXPECT_EQ(Selection(), (TSel{5001, 6, 5004, 12}));
    EXPECT_TRUE(View->SelectionExists());
    EXPECT_EQ(Selects, 1);
    // The selected text, as the items give it.
    const TSel s = Selection();
    std::string Text = View->GetItemText(s.StartItem).substr(static_cast<size_t>(s.StartOffs - 1));
    for (int i = s.StartItem + 1; i < s.EndItem; ++i)
        Text += "\n" + View->GetItemText(i);
    Text += "\n" + View->GetItemText(s.EndItem).substr(0, static_cast<size_t>(s.EndOffs - 1));
    EXPECT_EQ(Text,
              "5001 alpha beta gamma\nline 5002 alpha beta gamma\nline 5003 alpha beta gamma\nline 5004 a");

    // Upwards from a later point: the same text, ends exchanged.
    Drag(To, From);
    EXPECT_EQ(Selection(), (TSel{5001, 6, 5004, 12}));
    // A click alone selects nothing.
    SimulateClick(View, mbLeft, At(5002, 3).X, At(5002, 3).Y);
    EXPECT_FALSE(View->SelectionExists());
}

TEST_F(RollViewMouse, ADoubleClickSelectsTheWordAndItsReleaseKeepsIt)
{
    AddLines(10000);
    View->Format();
    ScrollToItem(7000);
    const TPoint P = At(7002, 18); // in "beta"
    SimulateDoubleClick(View, mbLeft, P.X, P.Y);
    EXPECT_EQ(Selection(), (TSel{7002, 17, 7002, 21}));
    ASSERT_EQ(Words.size(), 1u);
    EXPECT_EQ(Words[0], "beta");
    // A Shift+click then extends the word's selection.
    const TPoint Q = At(7003, 5);
    SimulateClick(View, mbLeft, Q.X, Q.Y, {ssShift});
    EXPECT_EQ(Selection(), (TSel{7002, 17, 7003, 5}));
}

TEST_F(RollViewMouse, DraggingBelowThePaneScrollsItAndSelectsToItsBottom)
{
    AddLines(10000);
    View->Format();
    ScrollToItem(100);
    const int StartPos = View->VPos();
    const TPoint From = At(102, 1);
    SimulateMouseDown(View, mbLeft, From.X, From.Y);
    const int Below = View->ClientHeight() + 30;
    SimulateMouseMove(View, From.X, Below, {ssLeft});
    EXPECT_EQ(View->ScrollDeltaY, 10);
    // The auto-scroll timer moves the view ten units a tick.
    EXPECT_TRUE(ProcessMessagesUntil([&] { return View->VPos() >= StartPos + 30; }, 5000));
    SimulateMouseUp(View, mbLeft, From.X, Below);
    EXPECT_FALSE(View->ScrollTimerActive());
    // The moving end is on the last line the pane shows.
    const int LastShown = View->RVData->GetLastItemVisible();
    const TSel s = Selection();
    EXPECT_EQ(s.StartItem, 102);
    EXPECT_GE(s.EndItem, LastShown - 1);
    EXPECT_LE(s.EndItem, LastShown);
    const int PosAfter = View->VPos();
    ProcessMessagesUntil([] { return false; }, 250);
    EXPECT_EQ(View->VPos(), PosAfter); // released: no more scrolling
}

TEST_F(RollViewMouse, APaneAppendedToWhileTheUserDragsKeepsTheDrag)
{
    View->SetOptions(View->Options() - TRVOptions{rvoScrollToEnd});
    AddLines(8);
    View->Format();
    const int WidthBefore = View->ClientWidth();
    const TRVDrawLineInfo* FirstBefore = View->RVData->DrawItems[0];
    const TPoint From = At(1, 3);
    SimulateMouseDown(View, mbLeft, From.X, From.Y);
    SimulateMouseMove(View, At(2, 4).X, At(2, 4).Y, {ssLeft});
    // A poll appends enough lines to show the scroll bar: the pane is
    // narrower, and the whole document is laid out again for it.
    AddLines(200, 8);
    View->FormatTail();
    ASSERT_EQ(View->RVData->DrawItems.Count(), 208);
    ASSERT_LT(View->ClientWidth(), WidthBefore);
    ASSERT_NE(View->RVData->DrawItems[0], FirstBefore);
    EXPECT_TRUE(View->RVData->State.Contains(rvstMakingSelection));
    const TPoint To = At(5, 8);
    SimulateMouseMove(View, To.X, To.Y, {ssLeft});
    SimulateMouseUp(View, mbLeft, To.X, To.Y);
    EXPECT_EQ(Selection(), (TSel{1, 3, 5, 8}));
    EXPECT_EQ(Selects, 1);
}

TEST_F(RollViewMouse, APaneAppendedToKeepsTheHoveredAndThePressedHyperlink)
{
    View->SetOptions(View->Options() - TRVOptions{rvoScrollToEnd});
    AddLines(3);
    View->AddNL("open ", 0, 0);
    View->AddNL("the report", 4, -1); // item 4, hyperlink 0
    View->Format();
    const TPoint Link = At(4, 3);
    SimulateMouseMove(View, Link.X, Link.Y);
    SimulateMouseDown(View, mbLeft, Link.X, Link.Y);
    ASSERT_EQ(Hovers, std::vector<int>({0}));
    // The poll shows the scroll bar: everything is laid out again.
    AddLines(200, 3);
    View->FormatTail();
    ASSERT_LT(View->ClientWidth(), View->Width() - 10);
    EXPECT_EQ(Hovers, std::vector<int>({0})); // the pointer never left the hyperlink
    SimulateMouseMove(View, Link.X, Link.Y + 1, {ssLeft});
    EXPECT_EQ(Hovers, std::vector<int>({0}));
    SimulateMouseUp(View, mbLeft, Link.X, Link.Y + 1);
    EXPECT_EQ(Jumps, std::vector<int>({0}));
}

TEST_F(RollViewMouse, HyperlinksReactToHoverAndFireOnlyOnAClick)
{
    AddLines(50);
    View->AddNL("open ", 0, 0);
    View->AddNL("the report", 4, -1); // item 51, hyperlink 0
    AddLines(50, 50);
    View->SetFirstJumpNo(100);
    View->Format();
    ScrollToItem(48);
    const TPoint Link = At(51, 3);
    SimulateMouseMove(View, Link.X, Link.Y);
    EXPECT_EQ(Hovers, std::vector<int>({100}));
    // The window shows the hyperlink cursor; the viewer's own setting stays.
    EXPECT_EQ(View->TControl::Cursor(), Style->TextStyles()->Items(4)->JumpCursor());
    EXPECT_EQ(View->Cursor(), 0);
    SimulateMouseMove(View, At(49, 2).X, At(49, 2).Y);
    EXPECT_EQ(Hovers, std::vector<int>({100, -1}));
    EXPECT_EQ(View->TControl::Cursor(), 0);

    SimulateClick(View, mbLeft, Link.X, Link.Y);
    EXPECT_EQ(Jumps, std::vector<int>({100}));
    // A drag from the hyperlink selects and fires nothing.
    Drag(Link, At(51, 8));
    EXPECT_TRUE(View->SelectionExists());
    EXPECT_EQ(Jumps, std::vector<int>({100}));
    // Pressed on the hyperlink, released on plain text.
    SimulateMouseDown(View, mbLeft, Link.X, Link.Y);
    SimulateMouseUp(View, mbLeft, At(49, 2).X, At(49, 2).Y);
    EXPECT_EQ(Jumps, std::vector<int>({100}));
}

TEST_F(RollViewMouse, ScrollingThePaneReportsTheCheckpointsItBringsIntoView)
{
    std::vector<AnsiString> Seen;
    View->OnCheckpointVisible = [&](TObject*, TRVCPInfo* cp) {
        Seen.push_back(cp != nullptr ? cp->Name : "-");
    };
    for (int i = 0; i < 10000; ++i) {
        if (i % 1000 == 500)
            View->AddNamedCheckpointEx("cp" + std::to_string(i), true);
        View->AddNL("line " + std::to_string(i), 0, 0);
    }
    View->Format();
    View->SetCPEventKind(cpeWhenVisible);
    ScrollToItem(497);
    ScrollToItem(498);
    EXPECT_EQ(Seen, std::vector<AnsiString>({"cp500"}));
    ScrollToItem(700);
    ScrollToItem(800);
    EXPECT_EQ(Seen, std::vector<AnsiString>({"cp500", "-"}));
    ScrollToItem(1499);
    EXPECT_EQ(Seen.back(), "cp1500");

    View->SetCPEventKind(cpeAsSectionStart);
    Seen.clear();
    ScrollToItem(1700);        // inside the section that starts at line 1500
    EXPECT_TRUE(Seen.empty()); // the same checkpoint as last reported
    ScrollToItem(2700);
    EXPECT_EQ(Seen, std::vector<AnsiString>({"cp2500"}));
    // The wheel scrolls too: notch by notch until line 3500 shows.
    ScrollToItem(3450);
    EXPECT_EQ(Seen.size(), 1u);
    const int Top3500 = DrawItemOf(3500)->Top;
    for (int n = 0; n < 200 && View->RVData->GetVOffs() + View->ClientHeight() < Top3500; ++n)
        SimulateWheel(View, -120, 50, 50);
    ASSERT_GE(View->RVData->GetVOffs() + View->ClientHeight(), Top3500);
    EXPECT_EQ(Seen, std::vector<AnsiString>({"cp2500", "cp3500"}));

    View->SetCPEventKind(cpeNone);
    ScrollToItem(4600);
    EXPECT_EQ(Seen.back(), "cp3500");
}

TEST_F(RollViewMouse, AUnicodeWordIsReportedWhole)
{
    const int Uni = Style->AddTextStyle();
    Style->TextStyles()->Items(Uni)->SetUnicode(true);
    AddLines(10);
    View->AddTextNLW(u"Ärger über Straße, ещё раз", Uni, 0, 0, false);
    View->Format();
    const TPoint P = At(10, 21); // in "ещё"
    SimulateDoubleClick(View, mbLeft, P.X, P.Y);
    ASSERT_EQ(Words.size(), 1u);
    EXPECT_EQ(Words[0], u8"ещё");
    EXPECT_EQ(Selection(), (TSel{10, 20, 10, 23}));
}

} // namespace
