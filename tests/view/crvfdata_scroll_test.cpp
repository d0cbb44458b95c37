// The services of a laid-out document after its view changed: checkpoints
// reported while scrolling in both modes, scrolling a rectangle into view,
// and mouse capture by an item.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "tests/support/testrvfdata.h"
#include "tests/view/crvfdata_test_helpers.h"

namespace {

// Records the checkpoint-visible events.
class TCheckpointData : public TTestRVFData {
public:
    using TTestRVFData::TTestRVFData;
    TCPEventKind Kind = cpeWhenVisible;
    std::vector<TRVCPInfo*> Reported;
    bool IsAssignedCheckpointVisible() override { return true; }
    void DoCheckpointVisible(TRVCPInfo* cp) override { Reported.push_back(cp); }
    TCPEventKind GetCPEventKind() override { return Kind; }
};

// 40 lines of 13 pixels; checkpoints that raise the event on lines 5, 15 and
// 30, and a silent one on line 10. The view is 100 pixels high.
class CheckpointEvents : public ::testing::Test {
protected:
    CheckpointEvents()
    {
        D.Height = 100;
        for (int i = 0; i < 40; ++i) {
            if (i == 5 || i == 15 || i == 30)
                D.AddNamedCheckpointExTag("cp" + std::to_string(i), true, TRVTag());
            if (i == 10)
                D.AddNamedCheckpointExTag("silent", false, TRVTag());
            D.AddNL("line " + std::to_string(i), 0, 0);
        }
        D.FormatAll();
    }
    TRVCPInfo* CP(int Line) { return D.GetItemCheckpoint(Line); }
    void ScrollTo(int Y)
    {
        D.VOffs = Y;
        D.AfterVScroll();
    }

    TRVStyle Style{nullptr};
    TCheckpointData D{&Style};
};

TEST_F(CheckpointEvents, WhenVisibleReportsEachCheckpointAsItEntersAndNoneOnceWhenNoneShows)
{
    ScrollTo(0); // line 5 at 65
    ScrollTo(10);
    EXPECT_EQ(D.Reported, std::vector<TRVCPInfo*>({CP(5)}));
    ScrollTo(70); // 65 above, 195 below the view: none
    ScrollTo(80);
    EXPECT_EQ(D.Reported, std::vector<TRVCPInfo*>({CP(5), nullptr}));
    ScrollTo(100); // 195 in view
    ScrollTo(130); // the silent one at 130 does not count
    EXPECT_EQ(D.Reported, std::vector<TRVCPInfo*>({CP(5), nullptr, CP(15)}));
    ScrollTo(10);
    EXPECT_EQ(D.Reported.back(), CP(5));
    // Past every checkpoint: none, reported once.
    ScrollTo(420);
    ScrollTo(430);
    EXPECT_EQ(D.Reported.back(), nullptr);
    EXPECT_EQ(D.Reported.size(), 5u);
}

TEST_F(CheckpointEvents, AsSectionStartReportsTheCheckpointWhoseSectionTheViewShows)
{
    D.Kind = cpeAsSectionStart;
    ScrollTo(0);
    EXPECT_EQ(D.Reported, std::vector<TRVCPInfo*>({CP(5)}));
    // Between the checkpoints of lines 5 and 15: the one above.
    ScrollTo(70);
    ScrollTo(90);
    EXPECT_EQ(D.Reported, std::vector<TRVCPInfo*>({CP(5)}));
    ScrollTo(100);
    EXPECT_EQ(D.Reported.back(), CP(15));
    ScrollTo(250);
    EXPECT_EQ(D.Reported.back(), CP(15));
    // Below the last one: the last one.
    ScrollTo(400);
    EXPECT_EQ(D.Reported, std::vector<TRVCPInfo*>({CP(5), CP(15), CP(30)}));
    // Above the first one with none above it: nothing new.
    D.Reported.clear();
    D.LastReportedCP = nullptr;
    D.Height = 20;
    ScrollTo(0);
    EXPECT_TRUE(D.Reported.empty());
}

TEST_F(CheckpointEvents, ThePendingEndCheckpointCountsWhenTheDocumentEndShows)
{
    D.AddNamedCheckpointExTag("end", true, TRVTag());
    ScrollTo(470); // the document ends at 520, inside the view
    EXPECT_EQ(D.Reported, std::vector<TRVCPInfo*>({D.NotAddedCP}));
}

// ---------------------------------------------------------------------------

class ViewServices : public ::testing::Test {
protected:
    ViewServices()
    {
        D.AddNL("plain", 0, 0);
        D.AddNL("link", 4, 0);
        D.AddNL("plain", 0, 0);
        D.AddNL("link", 5, 0);
        D.FormatAll();
    }
    TRVStyle Style{nullptr};
    TTestRVFData D{&Style};
};

TEST_F(ViewServices, ShowRectangleScrollsOnlyWhenNeeded)
{
    D.ShowRectangle(0, 500, 10, 20);
    EXPECT_EQ(D.VOffs, 500 + 20 - 200 + 10);
    D.ShowRectangle(0, 100, 10, 20); // above the view
    EXPECT_EQ(D.VOffs, 100);
    D.ShowRectangle(0, 150, 10, 20); // inside
    EXPECT_EQ(D.VOffs, 100);
    D.ShowRectangle(0, 50, 10, 400); // taller than the view and covering it
    EXPECT_EQ(D.VOffs, 100);
    D.ShowRectangle(400, 150, 10, 10);
    EXPECT_EQ(D.HOffs, 400 - 300 / 4);
}

// An inline item that keeps the mouse input it gets.
class TMouseBox : public TTestBoxItem {
public:
    using TTestBoxItem::TTestBoxItem;
    bool MouseMove(TShiftState, int X, int Y, int ItemNo, TCustomRVData*) override
    {
        Moves.push_back({X, Y, ItemNo});
        return true;
    }
    std::vector<std::array<int, 3>> Moves;
};

TEST_F(ViewServices, AnItemThatCapturesTheMouseGetsEveryMove)
{
    auto* Box = new TMouseBox(&D, 20, 10);
    D.AddItem("box", Box);
    D.FormatAll();
    const TRVDrawLineInfo* dli = D.DI(D.GetItem(4)->DrawItemNo);
    int Left = -1, Top = -1;
    D.SetMouseCapture(Box, Left, Top);
    EXPECT_EQ(D.MouseCaptureItem, Box);
    EXPECT_EQ(Left, dli->Left);
    EXPECT_EQ(Top, dli->Top);
    D.MouseMove({}, 2, 3); // over the first line, far from the box
    ASSERT_EQ(Box->Moves.size(), 1u);
    EXPECT_EQ(Box->Moves[0], (std::array<int, 3>{2 - dli->Left, 3 - dli->Top, 4}));
    D.ReleaseMouseCapture(D.GetItem(0));
    EXPECT_EQ(D.MouseCaptureItem, Box);
    D.ReleaseMouseCapture(Box);
    EXPECT_EQ(D.MouseCaptureItem, nullptr);
    D.MouseMove({}, 2, 3);
    EXPECT_EQ(Box->Moves.size(), 1u);
}

} // namespace
