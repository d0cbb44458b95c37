// Image lists: adding from bitmaps, masks and icons, drawing plain, disabled
// and blended, copying images out, and ImageList_DrawEx's arguments.
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

namespace {

std::unique_ptr<TBitmap> Strip(int w, int h, std::initializer_list<uint32_t> colours)
{
    // Vertical bands of the colours, each w / count wide.
    auto b = std::make_unique<TBitmap>();
    TPixelBuffer p(w, h);
    int band = w / static_cast<int>(colours.size());
    int i = 0;
    for (uint32_t c : colours) {
        for (int y = 0; y < h; ++y)
            for (int x = i * band; x < (i + 1) * band; ++x)
                p.At(x, y) = c;
        ++i;
    }
    b->SetPixels(p);
    return b;
}

} // namespace

TEST(ImageList, AddSplitsWideBitmapsIntoImages)
{
    TImageList list(nullptr, 4, 2);
    TBitmap strip;
    strip.SetPixels(TPixelBuffer(12, 3, 0xFF00FF00u));
    strip.Canvas(); // a canvas made before has no effect on what is added
    EXPECT_EQ(list.Add(&strip, nullptr), 0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Image(2).Width, 4);
    EXPECT_EQ(list.Image(2).Height, 2);
    // A narrow bitmap gives one image, transparent where it does not reach.
    TBitmap narrow;
    narrow.SetPixels(TPixelBuffer(3, 1, 0xFFFF0000u));
    EXPECT_EQ(list.Add(&narrow, nullptr), 3);
    EXPECT_EQ(list.Image(3).At(2, 0), 0xFFFF0000u);
    EXPECT_EQ(list.Image(3).At(3, 0), 0u);
    EXPECT_EQ(list.Image(3).At(0, 1), 0u);
    TBitmap empty;
    EXPECT_EQ(list.Add(&empty, nullptr), -1);
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);
    EXPECT_THROW(list.Image(4), EListError);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_THROW(list.Delete(3), EListError);
    // A new size empties the list; sizes out of range are refused.
    list.SetWidth(8);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.SetHeight(0), EInvalidOperation);
    EXPECT_THROW(TImageList(nullptr, 300, 16), EInvalidOperation);
}

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
