// TPanel: a face in the panel's colour, a raised bevel and the caption; its
// picture holds its children's.
#include "platform/controls/extctrls_panel.h"

#include "platform/core/colors.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/drawedge.h"

TPanel::TPanel(TComponent* aOwner) : TCustomControl(aOwner)
{
    SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque | csSetCaption);
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TPanel::SetAlignment(TAlignment value)
{
    if (FAlignment == value)
        return;
    FAlignment = value;
    Invalidate();
}

void TPanel::Dispatch(TMessage& message)
{
    TCustomControl::Dispatch(message);
    if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_FONTCHANGED || message.Msg == CM_COLORCHANGED)
        Invalidate();
}

void TPanel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    DrawEdge(canvas, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    if (Caption().empty())
        return;
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    const unsigned align = FAlignment == taRightJustify ? DT_RIGHT
                           : FAlignment == taCenter     ? DT_CENTER
                                                        : DT_LEFT;
    canvas->DrawTextA(Caption().data(), static_cast<int>(Caption().size()), r,
                      align | DT_VCENTER | DT_SINGLELINE);
}

void TPanel::PaintImage(TCanvas* canvas, int x, int y)
{
    PaintTo(canvas, x, y);
    // A child is drawn within the panel, as its window is shown; a hidden
    // one is not drawn, as it is not shown.
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (!child->Visible())
            continue;
        const int saved = canvas->SaveDC();
        canvas->IntersectClipRect(x, y, x + Width(), y + Height());
        child->PaintImage(canvas, x + child->Left(), y + child->Top());
        canvas->RestoreDC(saved);
    }
}
