// Backgrounds: the placement of the picture in every style on the screen and on
// a device, the colour under it, clipping, and control images.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "document/rvprintsvc.h"
#include "platform/controls/controls.h"
#include "platform/core/colors.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/testrvdata.h"
#include "view/rvback.h"

namespace {

// A background owning a W x H bitmap, placed by Style.
std::unique_ptr<TRVBackground> MakeBackground(TBackgroundStyle Style, int W, int H, bool Transparent = false)
{
    auto back = std::make_unique<TRVBackground>(false);
    auto* bitmap = new TBitmap;
    bitmap->SetSize(W, H);
    bitmap->SetTransparent(Transparent);
    back->AssignImage(bitmap, nullptr, false);
    back->SetBackgroundStyle(Style);
    return back;
}

std::vector<TRect> RectsOf(const TRecordingCanvas& Canvas, TCanvasOp Op)
{
    std::vector<TRect> rects;
    for (const TCanvasRecord* r : Canvas.RecordsOf(Op))
        rects.push_back(r->Rect);
    return rects;
}

std::set<std::pair<int, int>> TopLefts(const std::vector<TRect>& Rects)
{
    std::set<std::pair<int, int>> points;
    for (const TRect& r : Rects)
        points.insert({r.Left, r.Top});
    return points;
}

// The printed page under transparent pictures: logs what it was asked to paint.
class TPageBack : public TRVPrintableDataServices {
public:
    struct TCall {
        int Left;
        int Top;
        int Width;
        int Height;
        int Layer;
        bool Relative;
    };
    std::vector<TCall> Calls;

    void DrawBackToBitmap(int Left, int Top, TBitmap* Bitmap, const TRVScreenAndDevice&,
                          int ItemBackgroundLayer, bool RelativeToItem) override
    {
        Calls.push_back({Left, Top, Bitmap->Width(), Bitmap->Height(), ItemBackgroundLayer, RelativeToItem});
    }
};

// Screen 96 ppi, device 192 ppi: every screen pixel is two device pixels.
TRVScreenAndDevice DoubleResolution()
{
    TRVScreenAndDevice sad;
    sad.ScreenPpiX = sad.ScreenPpiY = 96;
    sad.DevicePpiX = sad.DevicePpiY = 192;
    return sad;
}

} // namespace

TEST(RVBackgroundTest, OnlyPlacementsFixedToTheWindowRedrawEverythingOnScroll)
{
    TRVBackground empty(true);
    empty.SetBackgroundStyle(bsTiled);
    EXPECT_FALSE(empty.ScrollRequiresFullRedraw()) << "an empty picture needs no full redraw";
    auto back = MakeBackground(bsNoBitmap, 8, 8);
    const std::pair<TBackgroundStyle, bool> redraw[] = {{bsNoBitmap, false},
                                                        {bsStretched, true},
                                                        {bsTiled, true},
                                                        {bsTiledAndScrolled, false},
                                                        {bsCentered, true}};
    for (auto [style, full] : redraw) {
        back->SetBackgroundStyle(style);
        EXPECT_EQ(back->ScrollRequiresFullRedraw(), full) << style;
        EXPECT_EQ(back->IsSemitransparent(), style == bsCentered) << style;
    }
    back->GetBitmap()->SetTransparent(true);
    back->SetBackgroundStyle(bsTiled);
    EXPECT_TRUE(back->IsSemitransparent());
}

TEST(RVBackgroundDrawTest, ColourOnlyResolvedAndClipped)
{
    TRecordingCanvas canvas(300, 300);
    TRVBackground back(true);
    back.Draw(&canvas, Rect(10, 20, 110, 70), 0, 0, 0, 0, 200, 200, clNone, false);
    EXPECT_EQ(canvas.Count(), 0) << "no colour, no picture: nothing at all";
    canvas.Brush()->SetColor(clRed);
    back.Draw(&canvas, Rect(10, 20, 110, 70), 0, 0, 0, 0, 200, 200, clWindow, false);
    ASSERT_EQ(canvas.Count(), 1);
    EXPECT_EQ(canvas[0].Rect, Rect(0, 0, 100, 50)) << "placed at the canvas's origin";
    EXPECT_EQ(canvas.Brush()->Color(), clRed) << "the canvas's brush is left as it was";
    // Clipped: drawn at the rectangle itself and kept inside it.
    canvas.Clear();
    back.Draw(&canvas, Rect(10, 20, 110, 70), 0, 0, 0, 0, 200, 200, clBlue, true);
    ASSERT_EQ(canvas.Count(), 1);
    EXPECT_EQ(canvas[0].Rect, Rect(10, 20, 110, 70));
    EXPECT_EQ(canvas[0].Clip, Rect(10, 20, 110, 70));
    EXPECT_EQ(canvas.WindowOrg().X, 0) << "origin restored";
    EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 300, 300)) << "clip restored";
}

// Where each placement puts the picture on the screen: the part drawn, the
// scroll offsets, the area's origin and size, and what the canvas receives.
TEST(RVBackgroundDrawTest, ThePictureIsPlacedByItsStyle)
{
    using TOps = std::vector<std::pair<TCanvasOp, TRect>>;
    struct TCase {
        const char* Name;
        TBackgroundStyle Style;
        int W, H;
        bool Transparent;
        TRect Part;
        int HOffs, VOffs, AreaLeft, AreaTop, AreaWidth, AreaHeight;
        TColor Color;
        bool Clip;
        TOps Expected; // in order; CopyRect tiles compared as a set of places
    };
    const auto fill = TCanvasOp::FillRect;
    const auto copy = TCanvasOp::CopyRect;
    const auto ops = [](TOps o) { return o; };
    const auto tiles = [](std::vector<std::pair<int, int>> places, int w, int h) {
        TOps ops;
        for (auto [x, y] : places)
            ops.push_back({TCanvasOp::CopyRect, Bounds(x, y, w, h)});
        return ops;
    };
    // Scroll offsets, the area's origin and size: {h, v, left, top, width, height}.
    const TCase cases[] = {
        {"stretched over the whole area; an opaque picture covers the colour", bsStretched, 10, 10, false,
         Rect(0, 20, 100, 50), 0, 0, 0, 0, 100, 200, clYellow, false, ops({{copy, Rect(0, -20, 100, 180)}})},
        {"stretched, clipped", bsStretched, 10, 10, false, Rect(0, 20, 100, 50), 0, 0, 0, 0, 100, 200,
         clYellow, true, ops({{copy, Rect(0, 0, 100, 200)}})},
        {"a transparent picture over the colour, drawn by the picture itself", bsStretched, 10, 10, true,
         Rect(0, 0, 50, 40), 0, 0, 0, 0, 50, 40, clYellow, false,
         ops({{fill, Rect(0, 0, 50, 40)}, {TCanvasOp::Graphic, Rect(0, 0, 50, 40)}})},
        {"tiled to the area; the scroll offsets do not move the tiles", bsTiled, 30, 20, false,
         Rect(15, 20, 75, 50), 0, 999, 5, 5, 400, 400, clNone, false,
         tiles({{-10, -15}, {20, -15}, {50, -15}, {-10, 5}, {20, 5}, {50, 5}, {-10, 25}, {20, 25}, {50, 25}},
               30, 20)},
        {"tiled from before the area leaves no gap", bsTiled, 10, 10, false, Rect(0, 0, 10, 10), 0, 0, 5, 5,
         100, 100, clNone, false, tiles({{-5, -5}, {5, -5}, {-5, 5}, {5, 5}}, 10, 10)},
        {"tiled and scrolled vertically", bsTiledAndScrolled, 20, 10, false, Rect(0, 0, 20, 20), 0, 15, 0, 0,
         20, 20, clNone, false, tiles({{0, -5}, {0, 5}, {0, 15}}, 20, 10)},
        {"tiled and scrolled horizontally", bsTiledAndScrolled, 20, 10, false, Rect(0, 0, 20, 10), 7, 0, 0, 0,
         20, 10, clNone, false, tiles({{-7, 0}, {13, 0}}, 20, 10)},
        {"centred leaves room for the colour and does not scroll", bsCentered, 20, 10, false,
         Rect(0, 0, 100, 50), 0, 500, 0, 0, 100, 50, clAqua, false,
         ops({{fill, Rect(0, 0, 100, 50)}, {copy, Rect(40, 20, 60, 30)}})},
        {"centred and larger than the area: its middle shown", bsCentered, 100, 61, false, Rect(0, 0, 40, 40),
         0, 0, 0, 0, 40, 40, clNone, false, ops({{copy, Bounds(-30, -10, 100, 61)}})},
        {"no placement draws only the colour", bsNoBitmap, 20, 10, false, Rect(0, 0, 30, 30), 0, 0, 0, 0, 30,
         30, clGreen, false, ops({{fill, Rect(0, 0, 30, 30)}})},
    };
    for (const TCase& k : cases) {
        SCOPED_TRACE(k.Name);
        TRecordingCanvas canvas(300, 300);
        auto back = MakeBackground(k.Style, k.W, k.H, k.Transparent);
        back->Draw(&canvas, k.Part, k.HOffs, k.VOffs, k.AreaLeft, k.AreaTop, k.AreaWidth, k.AreaHeight,
                   k.Color, k.Clip);
        TOps got;
        for (int i = 0; i < canvas.Count(); ++i)
            if (canvas[i].Op == fill || canvas[i].Op == copy || canvas[i].Op == TCanvasOp::Graphic)
                got.push_back({canvas[i].Op, canvas[i].Rect});
        auto expected = k.Expected;
        auto byPlace = [](const auto& a, const auto& b) {
            return std::tie(a.second.Left, a.second.Top) < std::tie(b.second.Left, b.second.Top);
        };
        if (k.Style == bsTiled || k.Style == bsTiledAndScrolled) {
            std::sort(got.begin(), got.end(), byPlace);
            std::sort(expected.begin(), expected.end(), byPlace);
        }
        EXPECT_EQ(got, expected);
        if (k.Clip) {
            EXPECT_EQ(canvas[0].Clip, k.Part);
        }
    }
}

TEST(RVBackgroundPrintTest, TilesAndCentreAtDeviceResolution)
{
    const TRVScreenAndDevice sad = DoubleResolution();
    TRecordingCanvas canvas(1000, 1000, 192);
    auto back = MakeBackground(bsTiled, 10, 10);
    const TRect area = Rect(100, 100, 150, 140);
    back->Print(&canvas, area, area, sad, clNone, false, nullptr, nullptr, 0);
    // 10 screen pixels are 20 device pixels: 3 columns by 2 rows.
    const std::vector<TRect> tiles = RectsOf(canvas, TCanvasOp::Pixels);
    const std::set<std::pair<int, int>> expected = {{100, 100}, {120, 100}, {140, 100},
                                                    {100, 120}, {120, 120}, {140, 120}};
    EXPECT_EQ(TopLefts(tiles), expected);
    ASSERT_EQ(tiles.size(), 6u);
    EXPECT_EQ(tiles[0].Width(), 20);
    EXPECT_EQ(tiles[0].Height(), 20);
    for (const TCanvasRecord* r : canvas.RecordsOf(TCanvasOp::Pixels))
        EXPECT_EQ(r->Clip, area);
    EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 1000, 1000)) << "restored";

    canvas.Clear();
    back->SetBackgroundStyle(bsCentered);
    back->Print(&canvas, area, area, sad, clRed, false, nullptr, nullptr, 0);
    ASSERT_EQ(canvas.RecordsOf(TCanvasOp::FillRect).size(), 1u);
    EXPECT_EQ(canvas.RecordsOf(TCanvasOp::FillRect)[0]->Rect, area);
    EXPECT_EQ(RectsOf(canvas, TCanvasOp::Pixels), std::vector<TRect>{Rect(115, 110, 135, 130)});
}

TEST(RVBackgroundPrintTest, StretchedOverTheWholeArea)
{
    const TRVScreenAndDevice sad = DoubleResolution();
    TRecordingCanvas canvas(1000, 1000, 192);
    auto back = MakeBackground(bsStretched, 10, 10);
    const TRect full = Rect(100, 100, 150, 140);
    back->Print(&canvas, full, full, sad, clRed, true, nullptr, nullptr, 0);
    EXPECT_TRUE(canvas.RecordsOf(TCanvasOp::FillRect).empty()) << "covered by the picture";
    EXPECT_EQ(RectsOf(canvas, TCanvasOp::Graphic), std::vector<TRect>{full});

    // The lower half alone: the same picture, clipped, not squeezed into the half.
    canvas.Clear();
    const TRect half = Rect(100, 120, 150, 140);
    back->Print(&canvas, half, full, sad, clNone, true, nullptr, nullptr, 0);
    const auto pictures = canvas.RecordsOf(TCanvasOp::Graphic);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0]->Rect, full);
    EXPECT_EQ(pictures[0]->Clip, half);
}

TEST(RVBackgroundPrintTest, TransparentPictureOverWhatThePageShows)
{
    const TRVScreenAndDevice sad = DoubleResolution();
    TRecordingCanvas canvas(1000, 1000, 192);
    TPageBack page;
    auto back = MakeBackground(bsTiled, 10, 10, true);
    const TRect area = Rect(100, 100, 140, 120);
    back->Print(&canvas, area, area, sad, clNone, false, nullptr, &page, 3);
    // One call per tile, at the tile's place in the area in screen pixels.
    ASSERT_EQ(page.Calls.size(), 2u);
    EXPECT_EQ(page.Calls[0].Left, 0);
    EXPECT_EQ(page.Calls[1].Left, 10);
    EXPECT_EQ(page.Calls[1].Width, 10);
    EXPECT_EQ(page.Calls[1].Layer, 3);

    // With a colour the page is not asked: the colour is under the picture.
    page.Calls.clear();
    back->Print(&canvas, area, area, sad, clYellow, false, nullptr, &page, 0);
    EXPECT_TRUE(page.Calls.empty());

    // Stretched: the page under the whole area, at screen size.
    back->SetBackgroundStyle(bsStretched);
    back->Print(&canvas, area, area, sad, clNone, false, nullptr, &page, 0);
    ASSERT_EQ(page.Calls.size(), 1u);
    EXPECT_EQ(page.Calls[0].Width, 20);
}

TEST(RVBackgroundPrintTest, OnlyBitmapsReachAPrinter)
{
    const TRVScreenAndDevice sad = DoubleResolution();
    TRecordingCanvas canvas(1000, 1000, 192);
    // The picture is put on its own bitmap first, so a metafile prints too.
    TRVBackground back(false);
    auto* meta = new TMetafile;
    meta->SetWidth(10);
    meta->SetHeight(10);
    {
        TMetafileCanvas writer(meta);
    }
    back.AssignImage(meta, nullptr, false);
    back.SetBackgroundStyle(bsCentered);
    back.Print(&canvas, Rect(0, 0, 40, 40), Rect(0, 0, 40, 40), sad, clNone, false, nullptr, nullptr, 0);
    const auto pictures = canvas.RecordsOf(TCanvasOp::Pixels);
    ASSERT_EQ(pictures.size(), 1u) << "the bitmap's pixels, stretched onto the device";
    EXPECT_EQ(pictures[0]->Rect, Rect(10, 10, 30, 30));
}

namespace {

// A control that paints its client area in one colour.
class TSolidControl : public TCustomControl {
public:
    TSolidControl(TComponent* AOwner, TColor AFill) : TCustomControl(AOwner), Fill(AFill) {}
    TColor Fill;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
};

uint32_t Argb(TColor c)
{
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) |
           uint32_t(GetBValue(c));
}

} // namespace

TEST(RVControlImageTest, ControlAndItsChildrenAtTheirPlaces)
{
    TSolidControl panel(nullptr, clBlue);
    panel.SetBounds(0, 0, 60, 40);
    auto* child = new TSolidControl(&panel, clRed);
    child->SetParent(&panel);
    child->SetBounds(10, 5, 20, 10);
    auto* hidden = new TSolidControl(&panel, clLime);
    hidden->SetParent(&panel);
    hidden->SetBounds(40, 20, 10, 10);
    hidden->SetVisible(false);

    std::unique_ptr<TBitmap> image = DrawControl(&panel);
    ASSERT_NE(image, nullptr);
    {
        const TPinnedPixels pxPin = image->Pixels();
        const TPixelBuffer& px = *pxPin;
        EXPECT_EQ(px.At(0, 0), Argb(clBlue));
        EXPECT_EQ(px.At(10, 5), Argb(clRed));
        EXPECT_EQ(px.At(29, 14), Argb(clRed));
        EXPECT_EQ(px.At(30, 15), Argb(clBlue));
        EXPECT_EQ(px.At(45, 25), Argb(clBlue)) << "hidden children are not drawn";
    }

    TControl plain(nullptr);
    plain.SetBounds(0, 0, 8, 6);
    image = DrawControl(&plain);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Pixels().At(3, 3), 0xFFFFFFFFu) << "not a window: left white";
    EXPECT_EQ(DrawControl(nullptr), nullptr);
}

// The optional background of a table or cell: made for a placement, dropped
// when it is left with nothing to show, kept while it holds a picture.
TEST(RVBackgroundTest, ItemBackgroundIsMadeAndDroppedByItsPlacement)
{
    std::unique_ptr<TRVBackground> back;
    EXPECT_EQ(RV_GetItemBackgroundStyle(back.get()), rvbsColor);
    RV_SetItemBackgroundStyle(back, rvbsColor);
    EXPECT_EQ(back, nullptr) << "a colour needs no background";
    for (TRVItemBackgroundStyle style : {rvbsStretched, rvbsTiled, rvbsCentered}) {
        RV_SetItemBackgroundStyle(back, style);
        ASSERT_NE(back, nullptr) << style;
        EXPECT_EQ(RV_GetItemBackgroundStyle(back.get()), style);
    }
    RV_SetItemBackgroundStyle(back, rvbsColor);
    EXPECT_EQ(back, nullptr) << "no placement and no picture: dropped";

    back = MakeBackground(bsTiled, 4, 4);
    const TRVBackground* kept = back.get();
    RV_SetItemBackgroundStyle(back, rvbsColor);
    EXPECT_EQ(back.get(), kept) << "the picture keeps it";
    EXPECT_EQ(RV_GetItemBackgroundStyle(back.get()), rvbsColor);
    RV_SetItemBackgroundStyle(back, rvbsCentered);
    EXPECT_EQ(back.get(), kept);
    EXPECT_EQ(RV_GetItemBackgroundStyle(back.get()), rvbsCentered);
}
