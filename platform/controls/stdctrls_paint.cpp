// The pictures of the standard controls: a button's face with its caption, an
// edit box's or a memo's face inside its border with its text, drawn by our own
// painters in the system's colours (the widgets inside their windows are not
// painted through a canvas).
#include "platform/controls/stdctrls.h"

#include "platform/core/colors.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/drawedge.h"

namespace {

void DrawTextIn(TCanvas* canvas, const AnsiString& text, TRect rect, unsigned format)
{
    canvas->DrawTextA(text.data(), static_cast<int>(text.size()), rect, format);
}

} // namespace

void TButton::PaintImage(TCanvas* canvas, int x, int y)
{
    const TRect r{x, y, x + Width(), y + Height()};
    DrawFrameControl(canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH);
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    DrawTextIn(canvas, Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

TRect TCustomEdit::PaintImageFace(TCanvas* canvas, int x, int y)
{
    TRect r{x, y, x + Width(), y + Height()};
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    if (FBorderStyle == bsSingle && !Ctl3D()) {
        canvas->Rectangle(r);
        r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    } else if (FBorderStyle == bsSingle) {
        DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    canvas->SetFont(Font());
    return TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

void TEdit::PaintImage(TCanvas* canvas, int x, int y)
{
    DrawTextIn(canvas, Text(), PaintImageFace(canvas, x, y), DT_SINGLELINE | DT_EDITCONTROL | DT_NOPREFIX);
}

void TMemo::PaintImage(TCanvas* canvas, int x, int y)
{
    const TRect r = PaintImageFace(canvas, x, y);
    const unsigned align = FAlignment == taRightJustify ? DT_RIGHT
                           : FAlignment == taCenter     ? DT_CENTER
                                                        : DT_LEFT;
    DrawTextIn(canvas, FLines->Text(), r, DT_EDITCONTROL | DT_NOPREFIX | align);
}
