// Mapping modes of the canvas: the anisotropic mapping scales logical
// coordinates from the window extent to the viewport extent around the
// origins, for shapes, clips, pictures and text; saved states carry the mode
// and the extents; text drawn through a scaled mapping lands, scaled, where
// the mapping puts it.
#include <gtest/gtest.h>

#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/recordingcanvas.h"

namespace {

// Logical (0, 0)-(1000, 1000) onto device (10, 20)-(110, 70).
void MapPreview(TCanvas& Canvas)
{
    Canvas.SetMapMode(MM_ANISOTROPIC);
    Canvas.SetWindowExtEx(1000, 1000);
    Canvas.SetViewportExtEx(100, 50);
    Canvas.SetViewportOrgEx(10, 20);
}

TEST(CanvasMappingTest, AnisotropicMappingScalesShapesAndClips)
{
    TRecordingCanvas Canvas(200, 200);
    EXPECT_EQ(Canvas.GetMapMode(), MM_TEXT);
    MapPreview(Canvas);
    Canvas.FillRect(Rect(0, 0, 500, 500));
    Canvas.FillRect(Rect(1000, 1000, 1010, 1020));
    Canvas.IntersectClipRect(100, 200, 300, 400);
    Canvas.Rectangle(0, 0, 1000, 1000);
    const auto Fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_EQ(Fills.size(), 2u);
    EXPECT_EQ(Fills[0]->Rect, Rect(10, 20, 60, 45));
    EXPECT_EQ(Fills[1]->Rect, Rect(110, 70, 111, 71));
    const auto Shapes = Canvas.RecordsOf(TCanvasOp::Rectangle);
    ASSERT_EQ(Shapes.size(), 1u);
    EXPECT_EQ(Shapes[0]->Clip, Rect(20, 30, 40, 40));
    // The clip read back in logical coordinates.
    EXPECT_EQ(Canvas.ClipRect(), Rect(100, 200, 300, 400));
}

TEST(CanvasMappingTest, ExtentsCountOnlyInTheAnisotropicMode)
{
    TRecordingCanvas Canvas(200, 200);
    EXPECT_FALSE(Canvas.SetWindowExtEx(1000, 1000));
    Canvas.FillRect(Rect(0, 0, 50, 50));
    MapPreview(Canvas);
    EXPECT_FALSE(Canvas.SetWindowExtEx(0, 10)); // no zero extent
    EXPECT_EQ(Canvas.SetMapMode(MM_TEXT), MM_ANISOTROPIC);
    Canvas.FillRect(Rect(0, 0, 50, 50));
    const auto Fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_EQ(Fills.size(), 2u);
    EXPECT_EQ(Fills[0]->Rect, Rect(0, 0, 50, 50));
    EXPECT_EQ(Fills[1]->Rect, Rect(10, 20, 60, 70)); // the viewport origin stays
}

TEST(CanvasMappingTest, SavedStatesKeepTheMapping)
{
    TRecordingCanvas Canvas(200, 200);
    const int Level = Canvas.SaveDC();
    MapPreview(Canvas);
    Canvas.IntersectClipRect(0, 0, 500, 500);
    ASSERT_TRUE(Canvas.RestoreDC(Level));
    EXPECT_EQ(Canvas.GetMapMode(), MM_TEXT);
    EXPECT_EQ(Canvas.ViewportOrg(), (TPoint{0, 0}));
    EXPECT_EQ(Canvas.ClipRect(), Rect(0, 0, 200, 200));
    Canvas.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::FillRect)[0]->Rect, Rect(0, 0, 10, 10));
}

TEST(CanvasMappingTest, TextIsPlacedAndScaledByTheMapping)
{
    TRecordingCanvas Recording(200, 200);
    MapPreview(Recording);
    Recording.TextOut(100, 200, "ab");
    const auto Texts = Recording.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(Texts.size(), 1u);
    EXPECT_EQ(Texts[0]->X, 20);
    EXPECT_EQ(Texts[0]->Y, 30);

    // On pixels: a 200-pixel-high text scaled by a tenth and a twentieth.
    TPixelBuffer Buffer(200, 100);
    std::unique_ptr<TCanvas> Canvas = CreateBufferCanvas(Buffer);
    MapPreview(*Canvas);
    Canvas->Font()->SetHeight(-200);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->TextOut(0, 0, "MMMM");
    const int Width = Canvas->TextWidth("MMMM"); // logical
    int Inked = 0;
    int Outside = 0;
    for (int y = 0; y < Buffer.Height; ++y)
        for (int x = 0; x < Buffer.Width; ++x) {
            if (Buffer.At(x, y) == 0xFFFFFFFFu)
                continue;
            ++Inked;
            // The text's box on the device, a pixel of slack.
            if (x < 9 || x > 10 + Width / 10 + 1 || y < 19 || y > 20 + 200 / 20 + 1)
                ++Outside;
        }
    EXPECT_GT(Inked, 10);
    EXPECT_EQ(Outside, 0);
}

// The thickness of the ink in column X of Buffer.
int InkedRows(const TPixelBuffer& Buffer, int X)
{
    int n = 0;
    for (int y = 0; y < Buffer.Height; ++y)
        n += Buffer.At(X, y) != 0xFFFFFFFFu;
    return n;
}

TEST(CanvasMappingTest, PenWidthsScaleAsTheMappingScalesCoordinates)
{
    struct TCase {
        int PenWidth; // logical
        int Window;   // logical units onto 100 device pixels
        int Rows;     // device rows inked
    };
    // A 600-unit page on 100 pixels: 6 units are one pixel; never less than one.
    const TCase Cases[] = {{6, 600, 1}, {12, 600, 2}, {1, 600, 1}, {30, 600, 5}, {3, 100, 3}};
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.PenWidth);
        TPixelBuffer Buffer(100, 100);
        std::unique_ptr<TCanvas> Canvas = CreateBufferCanvas(Buffer);
        Canvas->SetMapMode(MM_ANISOTROPIC);
        Canvas->SetWindowExtEx(c.Window, c.Window);
        Canvas->SetViewportExtEx(100, 100);
        Canvas->Pen()->SetWidth(c.PenWidth);
        Canvas->MoveTo(0, c.Window / 2);
        Canvas->LineTo(c.Window, c.Window / 2);
        EXPECT_EQ(InkedRows(Buffer, 50), c.Rows);
        // The pen keeps the width it was given.
        EXPECT_EQ(Canvas->Pen()->Width(), c.PenWidth);
    }
}

} // namespace
