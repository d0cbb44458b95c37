// 3-D edges and the push-button frame, drawn as one-pixel strips in the
// system's colours.
#include "platform/graphics/drawedge.h"

#include "platform/core/colors.h"
#include "platform/graphics/canvas.h"

namespace {

void Strip(TCanvas* canvas, int left, int top, int right, int bottom, TColor color)
{
    if (right <= left || bottom <= top)
        return;
    canvas->Brush()->SetColor(color);
    canvas->FillRect(TRect{left, top, right, bottom});
}

// One border around Rect: TopLeft on the top and left sides, BottomRight on
// the bottom and right ones, which own the corners they share with the others.
void Border(TCanvas* canvas, const TRect& r, unsigned flags, TColor topLeft, TColor bottomRight)
{
    if (flags & BF_TOP)
        Strip(canvas, r.Left, r.Top, r.Right - 1, r.Top + 1, topLeft);
    if (flags & BF_LEFT)
        Strip(canvas, r.Left, r.Top, r.Left + 1, r.Bottom - 1, topLeft);
    if (flags & BF_BOTTOM)
        Strip(canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom, bottomRight);
    if (flags & BF_RIGHT)
        Strip(canvas, r.Right - 1, r.Top, r.Right, r.Bottom, bottomRight);
}

TRect Inside(const TRect& r, unsigned flags)
{
    TRect inner = r;
    if (flags & BF_LEFT)
        ++inner.Left;
    if (flags & BF_TOP)
        ++inner.Top;
    if (flags & BF_RIGHT)
        --inner.Right;
    if (flags & BF_BOTTOM)
        --inner.Bottom;
    return inner;
}

} // namespace

bool DrawEdge(TCanvas* canvas, TRect& rect, unsigned edge, unsigned flags)
{
    if (!canvas)
        return false;
    TBrush saved;
    saved.Assign(canvas->Brush());
    canvas->Brush()->SetStyle(bsSolid);
    const bool soft = (flags & BF_SOFT) != 0;
    TRect r = rect;
    // The outer border, then the inner one inside it.
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
        if (edge & BDR_RAISEDOUTER)
            Border(canvas, r, flags, soft ? clBtnHighlight : cl3DLight, cl3DDkShadow);
        else
            Border(canvas, r, flags, clBtnShadow, clBtnHighlight);
        r = Inside(r, flags);
    }
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) {
        if (edge & BDR_RAISEDINNER)
            Border(canvas, r, flags, soft ? cl3DLight : clBtnHighlight, clBtnShadow);
        else
            Border(canvas, r, flags, cl3DDkShadow, cl3DLight);
        r = Inside(r, flags);
    }
    if (flags & BF_MIDDLE)
        Strip(canvas, r.Left, r.Top, r.Right, r.Bottom, clBtnFace);
    canvas->SetBrush(&saved);
    if (flags & BF_ADJUST)
        rect = r;
    return true;
}

bool DrawFrameControl(TCanvas* canvas, const TRect& rect, unsigned type, unsigned state)
{
    if (!canvas || type != DFC_BUTTON || !(state & DFCS_BUTTONPUSH))
        return false;
    TRect r = rect;
    const unsigned edge = (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED;
    return DrawEdge(canvas, r, edge, BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST);
}
