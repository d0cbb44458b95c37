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
#include "tests/support/pumpevents.h"
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
    const TXvfbRun run = RunUnderXvfb("RollViewXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "shown");
}

TEST(RollViewXvfbChildTest, ColouredLineShowsInItsDrawItem)
{
    if (!InXvfbChild())
        GTEST_SKIP() << "runs under the Xvfb test";
    TForm form(nullptr);
    form.SetBounds(40, 40, 360, 260);
    auto* style = new TRVStyle(&form);
    style->SetColor(clWhite);
    style->TextStyles()->Items(0)->SetColor(clBlack);
    TFontInfo* special = style->TextStyles()->Add();
    special->SetColor(0x000000FF); // red
    special->SetSize(14);
    const int specialStyle = style->TextStyles()->Count() - 1;
    auto* view = new TRollView(&form);
    view->SetAlign(alClient);
    view->SetStyle(style);
    view->SetParent(&form);
    for (int i = 0; i < 30; ++i)
        view->AddNL("an ordinary line " + std::to_string(i), i == 6 ? specialStyle : 0, 0);
    form.Show();
    ASSERT_TRUE(WaitUntil([&] { return WindowExposed(&form); }, WaitDeadlineMs, PumpEvents))
        << "the window did not map";
    view->Format();
    view->SetVScrollPos(2); // 20 pixels down: the layout's positions less the offset
    view->Update();
    TPixelBuffer pixels;
    ASSERT_TRUE(GrabWindow(view, pixels));
    TRect window;
    ASSERT_TRUE(GetWindowRect(view->Handle(), window));
    const TPoint client = view->ClientOrigin();
    const int dx = client.X - window.Left;
    const int dy = client.Y - window.Top;
    // Where the red pixels of the client area are.
    TRect red = Rect(INT32_MAX, INT32_MAX, -1, -1);
    for (int y = 0; y < view->ClientHeight(); ++y)
        for (int x = 0; x < view->ClientWidth(); ++x) {
            const int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < pixels.Width && py < pixels.Height && IsRed(pixels.At(px, py)))
                red = Rect(std::min(red.Left, x), std::min(red.Top, y), std::max(red.Right, x),
                           std::max(red.Bottom, y));
        }
    ASSERT_GE(red.Right, 0) << "no pixel of the special colour";
    const TRVDrawLineInfo* dli = view->RVData->DrawItems[view->RVData->GetItem(6)->DrawItemNo];
    const int vOffs = view->RVData->GetVOffs();
    ASSERT_EQ(vOffs, 20);
    // Every red pixel lies in the line's draw item, and the text covers much of it.
    EXPECT_GE(red.Left, dli->Left);
    EXPECT_LT(red.Right, dli->Left + dli->Width);
    EXPECT_GE(red.Top, dli->Top - vOffs);
    EXPECT_LT(red.Bottom, dli->Top - vOffs + dli->Height);
    EXPECT_GT(red.Right - red.Left, dli->Width / 2);
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("shown");
}
