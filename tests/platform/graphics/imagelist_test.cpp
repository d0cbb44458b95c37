// Image lists: ImageList_DrawEx's blending and background.
#include "platform/graphics/imagelist.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/core/colors.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/recordingcanvas.h"

TEST(ImageListDrawEx, BlendingAndBackground)
{
    TImageList list(nullptr, 2, 1);
    TPixelBuffer p(2, 1, 0xFFFF0000u); // red, then transparent
    p.At(1, 0) = 0;
    list.AddPixels(p);
    auto draw = [&list](TColor bk, TColor fg, unsigned style) {
        TPixelBuffer target(2, 1, 0xFF000000u);
        std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(target);
        EXPECT_TRUE(ImageList_DrawEx(&list, 0, canvas.get(), 0, 0, 0, 0, bk, fg, style));
        return target;
    };
    // Selected bullets: half blended with the selection colour, the rest untouched.
    TPixelBuffer blended = draw(CLR_NONE, clBlue, ILD_TRANSPARENT | ILD_BLEND50);
    EXPECT_EQ(blended.At(0, 0), 0xFF800080u);
    EXPECT_EQ(blended.At(1, 0), 0xFF000000u);
    // No blend colour: half of the image over what is there.
    EXPECT_EQ(draw(CLR_NONE, CLR_NONE, ILD_BLEND50).At(0, 0), 0xFF800000u);
    // A background fills the transparent parts unless drawn transparent.
    EXPECT_EQ(draw(clLime, CLR_NONE, ILD_NORMAL).At(1, 0), 0xFF00FF00u);
    EXPECT_EQ(draw(clLime, CLR_NONE, ILD_TRANSPARENT).At(1, 0), 0xFF000000u);
    // Part of the image only.
    TRecordingCanvas canvas;
    EXPECT_TRUE(ImageList_DrawEx(&list, 0, &canvas, 3, 4, 1, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT));
    EXPECT_EQ(canvas.RecordsOf(TCanvasOp::Pixels)[0]->Rect, Rect(3, 4, 4, 5));
    EXPECT_FALSE(ImageList_DrawEx(&list, 1, &canvas, 0, 0, 0, 0, CLR_NONE, CLR_NONE, 0));
    EXPECT_FALSE(ImageList_DrawEx(nullptr, 0, &canvas, 0, 0, 0, 0, CLR_NONE, CLR_NONE, 0));
}
