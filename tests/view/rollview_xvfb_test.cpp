// The viewer on a real X server: when Xvfb is installed, it runs on a free
// display and this program runs again under it on the toolkit's X11
// platform, where the pixels of a shown viewer must have the text of a line in
// its special colour exactly where the layout put that line. Skipped when
// Xvfb is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/xvfbchild.h"
#include "view/rollview.h"

namespace {

bool IsRed(uint32_t Pixel)
{
    const int r = (Pixel >> 16) & 0xFF;
    const int g = (Pixel >> 8) & 0xFF;
    const int b = Pixel & 0xFF;
    return r > 150 && g < 100 && b < 100;
}

} // namespace

TEST(RollViewXvfbTest, TextInItsColourShowsWhereTheLayoutPutsIt)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    // The child reports "shown" when the pixels were right.
    const TXvfbRun run = RunUnderXvfb("RollViewXvfbChildTest.*", 170);
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "shown");
}

TEST(RollViewXvfbChildTest, ColouredLineShowsInItsDrawItem)
{
    if (!InXvfbChild())
        GTEST_SKIP() << "runs under the Xvfb test";
    TForm Form(nullptr);
    Form.SetBounds(40, 40, 360, 260);
    auto* Style = new TRVStyle(&Form);
    Style->SetColor(clWhite);
    Style->TextStyles()->Items(0)->SetColor(clBlack);
    TFontInfo* Special = Style->TextStyles()->Add();
    Special->SetColor(0x000000FF); // red
    Special->SetSize(14);
    const int SpecialStyle = Style->TextStyles()->Count() - 1;
    auto* View = new TRollView(&Form);
    View->SetAlign(alClient);
    View->SetStyle(Style);
    View->SetParent(&Form);
    for (int i = 0; i < 30; ++i)
        View->AddNL("an ordinary line " + std::to_string(i), i == 6 ? SpecialStyle : 0, 0);
    Form.Show();
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(&Form); }, 10000))
        << "the window did not map";
    View->Format();
    View->SetVScrollPos(2); // 20 pixels down: the layout's positions less the offset
    View->Update();
    TPixelBuffer Pixels;
    ASSERT_TRUE(GrabWindow(View, Pixels));
    TRect Window;
    ASSERT_TRUE(GetWindowRect(View->Handle(), Window));
    const TPoint Client = View->ClientOrigin();
    const int DX = Client.X - Window.Left;
    const int DY = Client.Y - Window.Top;
    // Where the red pixels of the client area are.
    int Left = INT32_MAX, Top = INT32_MAX, Right = -1, Bottom = -1;
    for (int y = 0; y < View->ClientHeight(); ++y)
        for (int x = 0; x < View->ClientWidth(); ++x) {
            const int px = x + DX, py = y + DY;
            if (px < 0 || py < 0 || px >= Pixels.Width || py >= Pixels.Height)
                continue;
            if (IsRed(Pixels.At(px, py))) {
                Left = std::min(Left, x);
                Top = std::min(Top, y);
                Right = std::max(Right, x);
                Bottom = std::max(Bottom, y);
            }
        }
    ASSERT_GE(Right, 0) << "no pixel of the special colour";
    const TRVDrawLineInfo* dli = View->RVData->DrawItems[View->RVData->GetItem(6)->DrawItemNo];
    const int VOffs = View->RVData->GetVOffs();
    ASSERT_EQ(VOffs, 20);
    // Every red pixel lies in the line's draw item, and the text covers much of it.
    EXPECT_GE(Left, dli->Left);
    EXPECT_LT(Right, dli->Left + dli->Width);
    EXPECT_GE(Top, dli->Top - VOffs);
    EXPECT_LT(Bottom, dli->Top - VOffs + dli->Height);
    EXPECT_GT(Right - Left, dli->Width / 2);
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("shown");
}
