// The work of drawing a metafile is bounded: its drawings may touch only so
// many pixels of the bitmap it is drawn into (files of thousands of
// full-frame shapes, a polyline with a pen as wide as the frame and a star
// polygon stop when that is spent, an ordinary picture does not), the bitmap
// is drawn once at the size shown and kept, a size beyond the decoded-pixel
// budget is drawn smaller and stretched, the bitmap is given back for other
// pictures, a picture outside the clip is not drawn, and a document load
// counts the frames of its metafiles; a fill's edges crowding the same rows
// are charged the sorting of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/picturebudget.h"

namespace {

using namespace metafilebuilder;

// A picture of Side x Side pixels of records of the hostile kind, in either format.
std::unique_ptr<TMetafile> Hostile(THostileShape shape, int side, size_t bytes, int* records = nullptr,
                                   bool enhanced = false)
{
    if (enhanced) {
        const std::string emf = HostileEmf(shape, side, bytes);
        if (records)
            *records = EmfRecords(emf);
        return LoadMetafile(emf);
    }
    const std::string wmf = HostileWmf(shape, side, bytes);
    if (records)
        *records = WmfRecords(wmf);
    return LoadMetafile(WithPlaceable(side, side, 96, wmf));
}

constexpr uint32_t Red = 0xFFFF0000u;

} // namespace

TEST(MetafileBudget, HostilePicturesStopWhenTheirFillBudgetIsSpent)
{
    struct TCase {
        const char* Name;
        THostileShape Shape;
        size_t Bytes;
        int Stops; // -1: it may or may not
    };
    const TCase Cases[] = {
        {"thousands of full-frame rectangles", THostileShape::Rectangles, 32000, true},
        {"thousands of full-frame ellipses", THostileShape::Ellipses, 32000, true},
        {"a polyline as wide as the frame", THostileShape::WidePolyline, 32000, true},
        {"a star polygon", THostileShape::StarPolygon, 32000, true},
        {"full-frame pattern inversions", THostileShape::PatternInversions, 32000, true},
        {"full-frame flood fills", THostileShape::FloodFills, 32000, true},
        {"clip regions cut again and again", THostileShape::ClipRegions, 32000, -1},
        {"a few full-frame rectangles", THostileShape::Rectangles, 200, false},
    };
    for (bool Enhanced : {false, true})
        for (const TCase& c : Cases) {
            SCOPED_TRACE(c.Name);
            SCOPED_TRACE(Enhanced);
            int Records = 0;
            auto Metafile = Hostile(c.Shape, HostileSide, c.Bytes, &Records, Enhanced);
            const TPinnedPixels PxPin = Metafile->Render(600, 600);
            const TPixelBuffer& Px = *PxPin;
            const TMetafilePlayStats& Stats = Metafile->LastPlay();
            EXPECT_EQ(Stats.FillBudget, metafileplayer::FillBudget(600, 600));
            EXPECT_LE(Stats.Filled, Stats.FillBudget);
            if (c.Stops >= 0) {
                EXPECT_EQ(Stats.Stopped, c.Stops == 1);
            }
            if (c.Stops == 1 && Records > 100) {
                EXPECT_LT(Stats.Records, Records / 10) << "of " << Records;
            } else if (c.Stops == 0) {
                EXPECT_EQ(Stats.Records, Records);
            }
            // What came before the budget was spent is drawn.
            if (c.Shape == THostileShape::Rectangles || c.Shape == THostileShape::Ellipses) {
                EXPECT_EQ(Px.At(300, 300), Red);
            }
        }
}

// A fill of thousands of edges that cross the same rows is charged the
// rasteriser's sorting of them, which grows with their square: a zigzag
// across a band of 20 rows of a figure as tall as the picture (spread evenly
// over its rows, its edges would cost little) stops the playing though its
// pixels and each edge's rows would fit; as many edges round a circle are drawn.
TEST(MetafileBudget, EdgesCrowdingTheSameRowsAreCharged)
{
    constexpr int Side = 600, Edges = 4000;
    for (const bool Band : {true, false}) {
        SCOPED_TRACE(Band ? "zigzag across a band of a tall figure" : "circle");
        std::string Points;
        const auto point = [&](double x, double y) {
            Put16(Points, static_cast<uint16_t>(std::lround(x)));
            Put16(Points, static_cast<uint16_t>(std::lround(y)));
        };
        for (int k = 0; k < Edges; ++k) {
            const double a = 2 * 3.14159265358979 * k / Edges;
            if (Band)
                point(double(Side - 1) * k / Edges, k == 0 ? 0 : k % 2 ? 310 : 290);
            else
                point(Side / 2 + 290 * std::cos(a), Side / 2 + 290 * std::sin(a));
        }
        if (Band)
            point(Side - 1, Side - 1);
        TEmfBuilder b(Side, Side);
        b.Record(38, {1, 5, 0, 0, 0}).Record(39, {2, 0, 0x0000FF, 0}); // no pen, a red brush
        b.Record(37, {1}).Record(37, {2});
        b.Record(86, {0, 0, Side, Side, int32_t(Points.size() / 4)}, Points); // POLYGON16
        auto Metafile = LoadMetafile(b.Bytes());
        const TPixelBuffer Px = ShownMetafile(*Metafile, Side, Side);
        EXPECT_EQ(Metafile->LastPlay().Stopped, Band);
        EXPECT_LE(Metafile->LastPlay().Filled, Metafile->LastPlay().FillBudget);
        const auto Filled = std::count(Px.Pixels.begin(), Px.Pixels.end(), Red);
        EXPECT_EQ(Filled > Side, !Band) << Filled << " pixels filled";
    }
}

// The budget goes with the bitmap's pixels: drawn twice as large, about the
// same records fit (the budget's floor counts for more in the smaller one).
TEST(MetafileBudget, TheBudgetGrowsWithTheBitmap)
{
    auto Metafile = Hostile(THostileShape::Ellipses, HostileSide, 32000, nullptr, true);
    Metafile->Render(1200, 1200);
    const int Small = Metafile->LastPlay().Records;
    Metafile->Render(2400, 2400);
    const int Large = Metafile->LastPlay().Records;
    EXPECT_EQ(Metafile->LastPlay().FillBudget, metafileplayer::FillBudget(2400, 2400));
    EXPECT_GT(Small, 6);
    EXPECT_NEAR(Small, Large, 3);
}

// The budget's floor is 4 Mi unless set; a smaller one, as the metafile fuzz
// target sets, stops a hostile picture sooner at the same checks. The setter
// gives the floor it replaces, and a floor below nothing is none.
TEST(MetafileBudget, ASmallerFloorStopsAHostilePictureSooner)
{
    constexpr int64_t Default = int64_t(1) << 22, Small = int64_t(1) << 19;
    struct TFloorScope {
        ~TFloorScope() { metafileplayer::SetFillBudgetFloor(Default); }
    } scope;
    ASSERT_EQ(metafileplayer::FillBudgetFloor(), Default);
    EXPECT_EQ(metafileplayer::FillBudget(100, 100), Default + 9 * 100 * 100);
    auto Metafile = Hostile(THostileShape::Rectangles, HostileSide, 32000, nullptr, true);
    Metafile->Render(200, 200);
    const TMetafilePlayStats Whole = Metafile->LastPlay();
    ASSERT_TRUE(Whole.Stopped);

    EXPECT_EQ(metafileplayer::SetFillBudgetFloor(Small), Default);
    Metafile->Render(201, 201);
    const TMetafilePlayStats Less = Metafile->LastPlay();
    EXPECT_EQ(Less.FillBudget, Small + 9 * 201 * 201);
    EXPECT_TRUE(Less.Stopped);
    EXPECT_LE(Less.Filled, Less.FillBudget);
    EXPECT_LT(Less.Records * 3, Whole.Records) << Less.Records << " of " << Whole.Records;

    EXPECT_EQ(metafileplayer::SetFillBudgetFloor(-5), Small);
    EXPECT_EQ(metafileplayer::FillBudget(10, 10), 900);
    EXPECT_EQ(metafileplayer::SetFillBudgetFloor(Default), 0);
}

TEST(MetafileBudget, TheBitmapIsDrawnOnceAtTheShownSizeAndKept)
{
    auto Metafile = Hostile(THostileShape::Rectangles, 100, 200);
    TBitmap Screen;
    Screen.SetSize(300, 200);
    TCanvas* Canvas = Screen.Canvas();
    for (int i = 0; i < 3; ++i)
        Canvas->StretchDraw(Rect(10, 10, 110, 60), Metafile.get());
    EXPECT_EQ(Metafile->Plays(), 1);
    EXPECT_EQ(Metafile->RenderedSize(), (TSize{100, 50}));
    EXPECT_EQ(Screen.Pixels().At(60, 35), Red);
    // Another size draws again; a scaled mapping draws at the device's size.
    Canvas->StretchDraw(Rect(0, 0, 150, 75), Metafile.get());
    EXPECT_EQ(Metafile->Plays(), 2);
    EXPECT_EQ(Metafile->RenderedSize(), (TSize{150, 75}));
    Canvas->SetMapMode(MM_ANISOTROPIC);
    Canvas->SetWindowExtEx(100, 100);
    Canvas->SetViewportExtEx(200, 200);
    Canvas->StretchDraw(Rect(0, 0, 50, 40), Metafile.get());
    EXPECT_EQ(Metafile->RenderedSize(), (TSize{100, 80}));
    // A recording canvas sees the bitmap stretched into the rectangle.
    TRecordingCanvas Recording(300, 200);
    Recording.StretchDraw(Rect(10, 10, 110, 60), Metafile.get());
    const auto Pixels = Recording.RecordsOf(TCanvasOp::Pixels);
    ASSERT_EQ(Pixels.size(), 1u);
    EXPECT_EQ(Pixels[0]->Rect, Rect(10, 10, 110, 60));
}

TEST(MetafileBudget, AShownSizeBeyondTheBudgetIsDrawnIntoABitmapWithinIt)
{
    const int64_t Budget = int64_t(1) << 20;
    TSmallPixelBudgets Budgets(Budget, PictureLoadPixelBudget);
    auto Metafile = Hostile(THostileShape::Ellipses, 100, 2000);
    TRecordingCanvas Canvas(400, 600);
    Canvas.StretchDraw(Rect(0, 0, 32767, 32767), Metafile.get());
    const TSize Size = Metafile->RenderedSize();
    EXPECT_EQ(Size.cx, Size.cy) << "the shape is kept";
    EXPECT_LE(int64_t(Size.cx) * Size.cy, Budget);
    EXPECT_GE(Size.cx, 1000);
    EXPECT_GE(pixelbudget::HeldPixels(), int64_t(Size.cx) * Size.cy);
    EXPECT_LE(Metafile->LastPlay().FillBudget, metafileplayer::FillBudget(1024, 1024));
    // Each side stays within the graphic limits too.
    const TPinnedPixels WidePin = Metafile->Render(GraphicMaxSide * 4, 20);
    const TPixelBuffer& Wide = *WidePin;
    EXPECT_LE(Wide.Width, GraphicMaxSide);
    EXPECT_EQ(Wide.Height, 20 * Wide.Width / (GraphicMaxSide * 4));
}

TEST(MetafileBudget, ItsBitmapIsGivenBackForOtherPictures)
{
    TSmallPixelBudgets Budgets(100 * 100 + 50, PictureLoadPixelBudget);
    auto A = Hostile(THostileShape::Rectangles, 100, 200);
    auto B = Hostile(THostileShape::Rectangles, 100, 200);
    A->Render(100, 100);
    B->Render(100, 100);
    EXPECT_EQ(A->RenderedSize(), (TSize{0, 0})) << "the least recently used gave its pixels back";
    EXPECT_EQ(B->RenderedSize(), (TSize{100, 100}));
    EXPECT_EQ(A->Render(100, 100).At(50, 50), Red);
    EXPECT_EQ(A->Plays(), 2);
    EXPECT_LE(pixelbudget::HeldPixels(), 100 * 100 + 50);
}

TEST(MetafileBudget, APictureOutsideTheClipIsNotDrawn)
{
    auto Metafile = Hostile(THostileShape::Rectangles, 100, 200);
    TRecordingCanvas Canvas(200, 200);
    Canvas.StretchDraw(Rect(300, 0, 400, 100), Metafile.get());
    Canvas.IntersectClipRect(0, 0, 50, 50);
    Canvas.StretchDraw(Rect(60, 60, 160, 160), Metafile.get());
    EXPECT_EQ(Metafile->Plays(), 0);
    Canvas.StretchDraw(Rect(40, 40, 140, 140), Metafile.get());
    EXPECT_EQ(Metafile->Plays(), 1);
}

TEST(MetafileBudget, ADocumentLoadCountsTheFramesOfItsMetafiles)
{
    TSmallPixelBudgets Budgets(PictureProcessPixelBudget, 200 * 200 + 100);
    const std::string Frame = WithPlaceable(200, 200, 96, HostileWmf(THostileShape::Rectangles, 200, 200));
    {
        TPictureLoadBudget Allowance;
        EXPECT_NO_THROW(LoadMetafile(Frame));
        EXPECT_THROW(LoadMetafile(Frame), EOutOfResources) << "a second frame has no room left";
    }
    EXPECT_NO_THROW(LoadMetafile(Frame)) << "outside a document load";
}
