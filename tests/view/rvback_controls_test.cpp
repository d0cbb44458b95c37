// Control images: a panel with a button and an edit box inside gives one
// picture with all three at their places (the drawing commands on the
// recording canvas and the pixels of the bitmap agree); edit boxes and memos
// by their border style, 3-D look and alignment; a control of a kind of its
// own, alone or inside a panel, is drawn by its own painter.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/controls/extctrls_panel.h"
#include "platform/controls/stdctrls.h"
#include "platform/core/colors.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/recordingcanvas.h"
#include "view/rvback.h"

namespace {

uint32_t Argb(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return 0xFF000000u | (uint32_t(GetRValue(rgb)) << 16) | (uint32_t(GetGValue(rgb)) << 8) |
           uint32_t(GetBValue(rgb));
}

bool Ink(uint32_t pixel)
{
    return ((pixel >> 16) & 0xFF) < 0x60 && ((pixel >> 8) & 0xFF) < 0x60 && (pixel & 0xFF) < 0x60;
}

// The bounding box of the dark pixels of Pixels inside R (empty when none).
TRect InkBox(const TPixelBuffer& pixels, const TRect& r)
{
    TRect box{r.Right, r.Bottom, r.Left, r.Top};
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (Ink(pixels.At(x, y))) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box;
}

const TCanvasRecord* TextRecord(const TRecordingCanvas& canvas, const char* text)
{
    for (const TCanvasRecord* r : canvas.RecordsOf(TCanvasOp::Text))
        if (r->TextUtf8() == text)
            return r;
    return nullptr;
}

class ControlImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Panel = std::make_unique<TPanel>(nullptr);
        Panel->SetBounds(0, 0, 200, 100);
        Button = new TButton(Panel.get());
        Button->SetParent(Panel.get());
        Button->SetBounds(10, 10, 80, 25);
        Button->SetCaption("OK");
        Edit = new TEdit(Panel.get());
        Edit->SetParent(Panel.get());
        Edit->SetBounds(10, 50, 120, 21);
        Edit->SetText("abc");
        Hidden = new TMemo(Panel.get());
        Hidden->SetParent(Panel.get());
        Hidden->SetBounds(140, 10, 50, 80);
        Hidden->Lines()->Add("hidden");
        Hidden->SetVisible(false);
    }
    std::unique_ptr<TPanel> Panel;
    TButton* Button = nullptr;
    TEdit* Edit = nullptr;
    TMemo* Hidden = nullptr;
};

TEST_F(ControlImageTest, PanelWithAButtonAndAnEditBoxGivesOnePictureOfAllThree)
{
    // The commands: the button's face and caption in its rectangle, the edit
    // box's face and text inside its sunken edge, nothing of the hidden memo.
    TRecordingCanvas Canvas(200, 100);
    DrawControlAt(&Canvas, Panel.get(), 0, 0);
    const TCanvasRecord* Caption = TextRecord(Canvas, "OK");
    const TCanvasRecord* Text = TextRecord(Canvas, "abc");
    ASSERT_NE(Caption, nullptr);
    ASSERT_NE(Text, nullptr);
    EXPECT_EQ(TextRecord(Canvas, "hidden"), nullptr);
    EXPECT_EQ(Caption->X, 10 + (80 - 14) / 2); // centred, 7 pixels a character
    EXPECT_EQ(Caption->Y, 10 + (25 - 13) / 2);
    EXPECT_EQ(Text->X, 13); // edge 2 and 1 pixel
    EXPECT_EQ(Text->Y, 53);
    bool ButtonFace = false, EditFace = false;
    for (const TCanvasRecord* r : Canvas.RecordsOf(TCanvasOp::FillRect)) {
        ButtonFace |= r->Rect == TRect{12, 12, 88, 33} && r->Brush.Color == clBtnFace;
        EditFace |= r->Rect == TRect{10, 50, 130, 71} && r->Brush.Color == clWindow;
        EXPECT_FALSE(r->Rect.Left >= 140 && r->Brush.Color == clWindow) << "the hidden memo is drawn";
    }
    EXPECT_TRUE(ButtonFace);
    EXPECT_TRUE(EditFace);

    // The pixels: the same places in one bitmap.
    std::unique_ptr<TBitmap> Image = DrawPanel(Panel.get());
    ASSERT_NE(Image, nullptr);
    ASSERT_EQ(Image->Width(), 200);
    ASSERT_EQ(Image->Height(), 100);
    const TPinnedPixels PxPin = Image->Pixels();
    const TPixelBuffer& Px = *PxPin;
    EXPECT_EQ(Px.At(0, 0), Argb(clBtnHighlight)) << "the panel's raised bevel";
    EXPECT_EQ(Px.At(199, 99), Argb(clBtnShadow));
    EXPECT_EQ(Px.At(100, 90), Argb(clBtnFace));
    EXPECT_EQ(Px.At(10, 10), Argb(clBtnHighlight)) << "the button's raised edge";
    EXPECT_EQ(Px.At(89, 34), Argb(cl3DDkShadow));
    EXPECT_EQ(Px.At(12, 12), Argb(clBtnFace));
    EXPECT_EQ(Px.At(10, 50), Argb(clBtnShadow)) << "the edit box's sunken edge";
    EXPECT_EQ(Px.At(11, 51), Argb(cl3DDkShadow));
    EXPECT_EQ(Px.At(125, 65), Argb(clWindow));
    EXPECT_EQ(Px.At(165, 50), Argb(clBtnFace)) << "the hidden memo is not drawn";
    // The caption in the middle of the button, the text at the edit box's left.
    const TRect CaptionInk = InkBox(Px, TRect{12, 12, 88, 33});
    ASSERT_FALSE(CaptionInk.IsEmpty());
    EXPECT_NEAR((CaptionInk.Left + CaptionInk.Right) / 2, 50, 2);
    EXPECT_NEAR((CaptionInk.Top + CaptionInk.Bottom) / 2, 22, 3);
    const TRect TextInk = InkBox(Px, TRect{12, 52, 128, 69});
    ASSERT_FALSE(TextInk.IsEmpty());
    EXPECT_GE(TextInk.Left, 13);
    EXPECT_LE(TextInk.Left, 15);
    // Each child on its own gives the same pixels as inside the panel.
    std::unique_ptr<TBitmap> Alone = DrawButton(Button);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(Alone->Pixels().At(x, y), Px.At(10 + x, 10 + y)) << x << "," << y;
    Alone = DrawEdit(Edit);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(Alone->Pixels().At(x, y), Px.At(10 + x, 50 + y)) << x << "," << y;
}

TEST_F(ControlImageTest, AChildReachingPastThePanelIsCutAtItsEdge)
{
    Button->SetBounds(180, 80, 80, 40);
    auto Inner = std::make_unique<TPanel>(nullptr);
    Inner->SetParent(Panel.get());
    Inner->SetBounds(20, 40, 30, 30);
    auto* Wide = new TButton(Inner.get());
    Wide->SetParent(Inner.get());
    Wide->SetBounds(0, 0, 100, 10);
    TRecordingCanvas Canvas(400, 400);
    DrawControlAt(&Canvas, Panel.get(), 0, 0);
    int Faces = 0;
    for (const TCanvasRecord* r : Canvas.RecordsOf(TCanvasOp::FillRect)) {
        if (r->Brush.Color != clBtnFace)
            continue;
        if (r->Rect.Left >= 180) {
            ++Faces;
            EXPECT_TRUE(r->Clip.Right <= 200 && r->Clip.Bottom <= 100) << "the button stays inside the panel";
        } else if (r->Rect.Left >= 20 && r->Rect.Top >= 40 && r->Rect.Top < 50 && r->Rect.Right > 50) {
            ++Faces;
            EXPECT_LE(r->Clip.Right, 50) << "the inner panel's button stays inside it";
        }
    }
    EXPECT_GE(Faces, 2);
    Inner->SetParent(nullptr);
}

TEST(ControlImageKinds, EditBoxesAndMemosByBorderLookAndAlignment)
{
    struct TCase {
        TBorderStyle Border;
        bool Ctl3D;
        int TextLeft; // where the text starts
        bool Outline; // a rectangle in the pen
    };
    const TCase Cases[] = {{bsSingle, true, 3, false}, {bsSingle, false, 2, true}, {bsNone, true, 1, false}};
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.TextLeft);
        TEdit Edit(nullptr);
        Edit.SetBounds(0, 0, 100, 20);
        Edit.SetBorderStyle(c.Border);
        Edit.SetCtl3D(c.Ctl3D);
        Edit.SetColor(clYellow);
        Edit.SetText("R&D");
        TRecordingCanvas Canvas(100, 20);
        DrawControlAt(&Canvas, &Edit, 0, 0);
        const TCanvasRecord* Text = TextRecord(Canvas, "R&D");
        ASSERT_NE(Text, nullptr) << "an edit box shows its '&'";
        EXPECT_EQ(Text->PrefixUnit, -1);
        EXPECT_EQ(Text->X, c.TextLeft);
        EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::Rectangle).size(), c.Outline ? 1u : 0u);
        EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::FillRect).at(0)->Brush.Color, clYellow);
    }

    // A memo's lines, each aligned at the inner edge it asks for.
    const std::pair<TAlignment, int> Aligns[] = {
        {taLeftJustify, 3}, {taRightJustify, 97 - 14}, {taCenter, 43}};
    for (const auto& a : Aligns) {
        SCOPED_TRACE(a.first);
        TMemo Memo(nullptr);
        Memo.SetBounds(0, 0, 100, 60);
        Memo.SetAlignment(a.first);
        Memo.Lines()->Add("ab");
        Memo.Lines()->Add("a&b");
        TRecordingCanvas Canvas(100, 60);
        DrawControlAt(&Canvas, &Memo, 0, 0);
        const TCanvasRecord* First = TextRecord(Canvas, "ab");
        const TCanvasRecord* Second = TextRecord(Canvas, "a&b");
        ASSERT_NE(First, nullptr);
        ASSERT_NE(Second, nullptr);
        EXPECT_EQ(First->X, a.second);
        EXPECT_EQ(Second->Y, First->Y + 13);
        EXPECT_EQ(First->Y, 3);
    }
    // A button's caption keeps its mnemonic, as the platform's buttons do.
    TButton Button(nullptr);
    Button.SetCaption("&Go");
    TRecordingCanvas Canvas(100, 40);
    DrawControlAt(&Canvas, &Button, 0, 0);
    ASSERT_NE(TextRecord(Canvas, "Go"), nullptr);
    EXPECT_EQ(TextRecord(Canvas, "Go")->PrefixUnit, 0);
}

// A control of a kind of its own that paints its picture as one colour.
template <class TBase> class TSwatch : public TBase {
public:
    TSwatch(TWinControl* parent, TColor fill, const TRect& bounds) : TBase(parent), Fill(fill)
    {
        this->SetParent(parent);
        this->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    }
    void PaintImage(TCanvas* canvas, int x, int y) override
    {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Fill);
        canvas->FillRect(TRect{x, y, x + this->Width(), y + this->Height()});
    }
    TColor Fill;
};

TEST(ControlImageOwnKinds, AControlOfItsOwnKindIsDrawnByItsOwnPainter)
{
    // Kinds derived from a control that is no window, from a button and from a
    // panel, inside a panel; the last one reaches past the panel's corner.
    TPanel Panel(nullptr);
    Panel.SetBounds(0, 0, 200, 100);
    TControl* Kinds[] = {new TSwatch<TControl>(&Panel, clRed, TRect{10, 10, 40, 30}),
                         new TSwatch<TButton>(&Panel, clLime, TRect{60, 10, 90, 30}),
                         new TSwatch<TPanel>(&Panel, clBlue, TRect{180, 80, 230, 130})};
    new TSwatch<TEdit>(&Panel, clYellow, TRect{10, 50, 100, 70});
    Panel.Controls(Panel.ControlCount() - 1)->SetVisible(false);

    std::unique_ptr<TBitmap> Image = DrawPanel(&Panel);
    const auto& Px = Image->Pixels();
    for (TControl* Kind : Kinds) {
        const TColor Fill = Kind == Kinds[0] ? clRed : Kind == Kinds[1] ? clLime : clBlue;
        SCOPED_TRACE(Kind->Left());
        const int Right = std::min(Kind->Left() + Kind->Width(), 200);
        const int Bottom = std::min(Kind->Top() + Kind->Height(), 100);
        EXPECT_EQ(Px->At(Kind->Left(), Kind->Top()), Argb(Fill));
        EXPECT_EQ(Px->At(Right - 1, Bottom - 1), Argb(Fill));
        // Alone it gives the same picture, by whichever function it is asked for.
        std::unique_ptr<TBitmap> Alone = Kind == Kinds[1]   ? DrawButton(static_cast<TButton*>(Kind))
                                         : Kind == Kinds[2] ? DrawPanel(static_cast<TPanel*>(Kind))
                                                            : DrawControl(Kind);
        EXPECT_EQ(Alone->Pixels().At(0, 0), Argb(Fill));
        EXPECT_EQ(Alone->Pixels().At(Kind->Width() - 1, Kind->Height() - 1), Argb(Fill));
    }
    EXPECT_EQ(Px->At(40, 30), Argb(clBtnFace)) << "drawn within its own bounds";
    EXPECT_EQ(Px->At(50, 60), Argb(clBtnFace)) << "a hidden one is not drawn";

    // On the recording canvas: the one reaching past the panel is cut at its edges.
    TRecordingCanvas Canvas(400, 400);
    DrawControlAt(&Canvas, &Panel, 0, 0);
    int Swatches = 0;
    for (const TCanvasRecord* r : Canvas.RecordsOf(TCanvasOp::FillRect))
        if (r->Brush.Color == clBlue) {
            ++Swatches;
            EXPECT_EQ(r->Rect, (TRect{180, 80, 230, 130}));
            EXPECT_TRUE(r->Clip.Right <= 200 && r->Clip.Bottom <= 100);
        }
    EXPECT_EQ(Swatches, 1);
}

} // namespace
