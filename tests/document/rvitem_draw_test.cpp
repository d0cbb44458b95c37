// Painting and printing of bullets, hot spots and horizontal rules on the
// recording canvas and on bitmaps, and the hyperlink answers of items.
#include <gtest/gtest.h>

#include "document/rvitem.h"
#include "document/rvprintsvc.h"
#include "document/rvstyle.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/testrvdata.h"

namespace {

constexpr uint32_t RedPixel = 0xFFFF0000u;
constexpr uint32_t GreenPixel = 0xFF00FF00u;

// Two 16 x 16 images: 0 red, 1 green.
class ItemDrawing : public testing::Test {
protected:
    void SetUp() override
    {
        Images.AddPixels(TPixelBuffer(16, 16, RedPixel));
        Images.AddPixels(TPixelBuffer(16, 16, GreenPixel));
    }

    TImageList Images{nullptr, 16, 16};
    TRVStyle Style{nullptr};
    TRecordingCanvas Canvas{300, 300};
};

class TViewer : public TRVPrintingViewer {
public:
    explicit TViewer(TRVStyle* AStyle) : Style(AStyle) {}
    TRVStyle* GetPrintRVStyle() const override { return Style; }
    TRVStyle* Style;
};

std::vector<const TCanvasRecord*> Lines(const TRecordingCanvas& Canvas)
{
    return Canvas.RecordsOf(TCanvasOp::Line);
}

} // namespace

TEST_F(ItemDrawing, CurrentItemGetsAHoverFrame)
{
    TRVBulletItemInfo Bullet(nullptr, 0, &Images, rvvaBaseline);
    Bullet.Paint(10, 20, &Canvas, TRVItemDrawStates{rvidsCurrent}, &Style, nullptr);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::Rectangle).empty()); // no hover colour: no frame

    Style.SetHoverColor(clRed);
    Bullet.Paint(10, 20, &Canvas, TRVItemDrawStates{rvidsCurrent}, &Style, nullptr);
    const auto Frames = Canvas.RecordsOf(TCanvasOp::Rectangle);
    ASSERT_EQ(Frames.size(), 1u);
    EXPECT_EQ(Frames[0]->Pen.Color, clRed);
}

TEST_F(ItemDrawing, HotspotShowsItsHotImageWhileHovered)
{
    TRVHotspotItemInfo Hotspot(nullptr, 0, 1, &Images, rvvaBaseline);
    TBitmap Bitmap;
    Bitmap.SetSize(40, 40);
    Hotspot.Paint(0, 0, Bitmap.Canvas(), TRVItemDrawStates{rvidsHover}, &Style, nullptr);
    EXPECT_EQ(Bitmap.Pixels().At(5, 5), GreenPixel);
    Hotspot.Paint(0, 0, Bitmap.Canvas(), TRVItemDrawStates(), &Style, nullptr);
    EXPECT_EQ(Bitmap.Pixels().At(5, 5), RedPixel);

    // Printing always shows the plain image.
    TBitmap Printed;
    Printed.SetSize(16, 16);
    EXPECT_TRUE(Hotspot.PrintToBitmap(&Printed, false, nullptr, nullptr, -1, rvcmColor));
    EXPECT_EQ(Printed.Pixels().At(8, 8), RedPixel);
}

TEST_F(ItemDrawing, SelectedBulletIsBlendedWithTheSelectionColour)
{
    TRVBulletItemInfo Bullet(nullptr, 0, &Images, rvvaBaseline);
    TBitmap Bitmap;
    Bitmap.SetSize(20, 20);
    Style.SetSelColor(clBlue);
    Bullet.Paint(0, 0, Bitmap.Canvas(), TRVItemDrawStates{rvidsSelected, rvidsControlFocused}, &Style,
                 nullptr);
    const uint32_t Mixed = Bitmap.Pixels().At(5, 5);
    EXPECT_NE(Mixed, RedPixel);
    EXPECT_NE(Mixed & 0x0000FFu, 0u); // blue mixed in

    // A selection colour of clNone leaves the image as it is.
    Style.SetInactiveSelColor(clNone);
    Bullet.Paint(0, 0, Bitmap.Canvas(), TRVItemDrawStates{rvidsSelected}, &Style, nullptr);
    EXPECT_EQ(Bitmap.Pixels().At(5, 5), RedPixel);
}

TEST_F(ItemDrawing, SelectedRuleHasSelectionLinesAroundIt)
{
    TRVBreakItemInfo Rule(nullptr, 1, rvbsLine, clBlack);
    Style.SetSelColor(clYellow);
    Rule.PaintFullWidth(20, 120, 0, &Canvas, TRVItemDrawStates{rvidsSelected, rvidsControlFocused}, &Style,
                        Rect(0, 0, 300, 300), nullptr);
    auto L = Lines(Canvas);
    ASSERT_EQ(L.size(), 3u);
    EXPECT_LT(L[1]->Points[0].Y, L[0]->Points[0].Y);
    EXPECT_GT(L[2]->Points[0].Y, L[0]->Points[0].Y);
    EXPECT_EQ(L[1]->Pen.Color, clYellow);

    // Unfocused: the inactive colour; clNone draws only the rule.
    Canvas.Clear();
    Style.SetInactiveSelColor(clNone);
    Rule.PaintFullWidth(20, 120, 0, &Canvas, TRVItemDrawStates{rvidsSelected}, &Style, Rect(0, 0, 300, 300),
                        nullptr);
    EXPECT_EQ(Lines(Canvas).size(), 1u);
}

TEST_F(ItemDrawing, RuleOnAPrinter)
{
    TRVBreakItemInfo Rule(nullptr, 2, rvbsLine, clRed);
    TViewer Viewer(&Style);
    const TRVScreenAndDevice sad{96, 96, 600, 600, 0, 0};
    Rule.Print(&Canvas, 100, 50, 1100, false, false, sad, &Viewer, nullptr, -1, rvcmColor, nullptr);
    auto L = Lines(Canvas);
    ASSERT_EQ(L.size(), 1u);
    EXPECT_GT(L[0]->Pen.Width, 2) << "the pen scales to the device";

    // Black and white printing, and the colour of text style 0 for clNone.
    Canvas.Clear();
    Rule.Print(&Canvas, 0, 0, 500, false, false, sad, &Viewer, nullptr, -1, rvcmBlackAndWhite, nullptr);
    EXPECT_EQ(Lines(Canvas)[0]->Pen.Color, clBlack);
    Canvas.Clear();
    Rule.Color = clNone;
    Style.TextStyles()->Items(0)->SetColor(clNavy);
    Rule.Print(&Canvas, 0, 0, 500, false, false, sad, &Viewer, nullptr, -1, rvcmColor, nullptr);
    EXPECT_EQ(Lines(Canvas)[0]->Pen.Color, clNavy);
    // A rule is never printed through a bitmap.
    TBitmap Bitmap;
    EXPECT_FALSE(Rule.PrintToBitmap(&Bitmap, false, &Viewer, nullptr, -1, rvcmColor));
}

TEST_F(ItemDrawing, TextItemsAnswerForTheirStyle)
{
    TRVTextItemInfo Plain(nullptr);
    TRVTextItemInfo Link(nullptr);
    Link.StyleNo = 4; // "Jump 1"
    EXPECT_FALSE(Plain.GetBoolValueEx(rvbpJump, &Style));
    EXPECT_TRUE(Link.GetBoolValueEx(rvbpJump, &Style));
    EXPECT_FALSE(Link.GetBoolValueEx(rvbpJump, nullptr));
    // Hover changes nothing until a hover colour is set for the style.
    const bool Sensitive = Style.StyleHoverSensitive(4);
    EXPECT_EQ(Link.GetBoolValueEx(rvbpHotColdJump, &Style), Sensitive);
    Style.OnStyleHoverSensitive = [](TRVStyle*, int, bool& S) { S = true; };
    EXPECT_TRUE(Link.GetBoolValueEx(rvbpHotColdJump, &Style));
    EXPECT_FALSE(Plain.GetBoolValueEx(rvbpHotColdJump, &Style));
    // A text item paints nothing itself: the layout engine draws its text.
    Plain.Paint(0, 0, &Canvas, TRVItemDrawStates(), &Style, nullptr);
    EXPECT_EQ(Canvas.Count(), 0);
}

namespace {

class TJumpData : public TTestRVData, public TRVJumpHandler {
public:
    using TTestRVData::TTestRVData;
    void DoJump(int ID) override { Jumps.push_back(ID); }
    std::vector<int> Jumps;
};

} // namespace

TEST_F(ItemDrawing, ExecuteJumpsThroughALaidOutDocument)
{
    TJumpData Data(&Style);
    Data.FirstJumpNo = 100;
    TRVTextItemInfo Link(nullptr);
    Link.StyleNo = 4;
    Link.SetJumpID(2);
    TRVTextItemInfo Plain(nullptr);
    TRVHotspotItemInfo Hotspot(nullptr, 0, 1, &Images, rvvaBaseline);
    Hotspot.SetJumpID(5);
    Link.Execute(&Data);
    Plain.Execute(&Data);
    Hotspot.Execute(&Data);
    EXPECT_EQ(Data.Jumps, (std::vector<int>{102, 105}));

    // A document that is not laid out has no jumps to make.
    TTestRVData Unformatted(&Style);
    EXPECT_NO_THROW(Link.Execute(&Unformatted));
    EXPECT_NO_THROW(Hotspot.Execute(nullptr));
}
