// Tables in a viewer on a real X server: tables with a merged cell in every
// border style are shown, and the window's pixels must be those that the
// same painting gives on the recording canvas (lines, rectangles and fills
// turned into pixels). Skipped when Xvfb is not installed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/testtable.h"
#include "tests/support/xvfbchild.h"
#include "view/rollview.h"

namespace {

// A colour as the window's pixels hold it (0xRRGGBB).
uint32_t PixelOf(TColor Color)
{
    const uint32_t c = static_cast<uint32_t>(ColorToRGB(Color));
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

} // namespace

TEST(TableXvfbTest, TablesShowAsTheRecordingCanvasPaintsThem)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    const TXvfbRun run = RunUnderXvfb("TableXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "shown");
}

TEST(TableXvfbChildTest, EveryBorderStyleWithAMergedCell)
{
    if (!InXvfbChild())
        GTEST_SKIP() << "runs under the Xvfb test";
    RV_RegisterTableItem();
    TForm Form(nullptr);
    Form.SetBounds(40, 40, 420, 560);
    auto* Style = new TRVStyle(&Form);
    Style->SetColor(clWhite);
    auto* View = new TRollView(&Form);
    View->SetAlign(alClient);
    View->SetStyle(Style);
    View->SetParent(&Form);
    const TRVTableBorderStyle Styles[] = {rvtbRaised, rvtbLowered, rvtbColor, rvtbRaisedColor,
                                          rvtbLoweredColor};
    for (TRVTableBorderStyle s : Styles) {
        auto* Table = new TRVTableItemInfo(2, 3, View->RVData);
        MergeBlock(Table, 0, 0, 2, 1);
        MergeBlock(Table, 0, 2, 1, 2);
        Table->BorderStyle = s;
        Table->CellBorderStyle = s;
        Table->BorderWidth = 2;
        Table->CellBorderWidth = 1;
        Table->BorderColor = 0x000000C0;
        Table->BorderLightColor = 0x0000C000;
        Table->CellBorderColor = 0x00C00000;
        Table->CellBorderLightColor = 0x0000C0C0;
        Table->GetCells(1, 1)->Color = 0x00E0E0FF;
        Table->VRuleWidth = 1;
        Table->VRuleColor = 0x00808000;
        View->RVData->AddItem(AnsiString(), Table);
    }
    Form.Show();
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(&Form); }, WaitDeadlineMs))
        << "the window did not map";
    View->Format();
    View->Update();
    TPixelBuffer Pixels;
    ASSERT_TRUE(GrabWindow(View, Pixels));
    TRect Window;
    ASSERT_TRUE(GetWindowRect(View->Handle(), Window));
    const TPoint Client = View->ClientOrigin();
    const int DX = Client.X - Window.Left;
    const int DY = Client.Y - Window.Top;

    TRecordingCanvas Recording(View->ClientWidth(), View->ClientHeight(), 96);
    View->RVData->PaintTo(&Recording, Rect(0, 0, View->ClientWidth(), View->ClientHeight()));
    const TPixelMap Expected(Recording);
    ASSERT_GT(Expected.Count(), 1000u);
    int Compared = 0;
    int Different = 0;
    int Lines = 0; // pixels of borders and rules, not of the white fills
    for (int y = 0; y < View->ClientHeight(); ++y)
        for (int x = 0; x < View->ClientWidth(); ++x) {
            const TColor c = Expected.At(x, y);
            const int px = x + DX;
            const int py = y + DY;
            if (c == clNone || px >= Pixels.Width || py >= Pixels.Height)
                continue;
            ++Compared;
            Lines += PixelOf(c) != 0xFFFFFF ? 1 : 0;
            if ((Pixels.At(px, py) & 0xFFFFFF) != PixelOf(c))
                ++Different;
        }
    ASSERT_GT(Compared, 1000);
    ASSERT_GT(Lines, 1000);
    EXPECT_EQ(Different, 0) << "of " << Compared << " pixels";
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("shown");
}
