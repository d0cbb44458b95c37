// TSplitter: finding the control to resize, the limits of its size, and the
// drag that resizes it.
#include "platform/controls/extctrls_splitter.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/gdiobjects.h"

TSplitter::TSplitter(TComponent* aOwner) : TCustomControl(aOwner)
{
    SetAlign(alLeft);
    SetWidth(3);
    SetCursor(crHSplit);
}

void TSplitter::UpdateCursor()
{
    // Only the splitter's own cursors follow the alignment; one set by the
    // program stays.
    if (Cursor() != crVSplit && Cursor() != crHSplit)
        return;
    SetCursor(Vertical() ? crHSplit : crVSplit);
}

void TSplitter::WndProc(TMessage& message)
{
    if (message.Msg == WM_SETCURSOR || message.Msg == WM_MOUSEMOVE)
        UpdateCursor();
    TCustomControl::WndProc(message);
}

void TSplitter::Notification(TComponent* aComponent, TOperation operation)
{
    TCustomControl::Notification(aComponent, operation);
    if (operation == opRemove && aComponent == FControl)
        FControl = nullptr;
}

void TSplitter::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
}

TControl* TSplitter::FindResizeControl() const
{
    TWinControl* parent = Parent();
    if (!parent)
        return nullptr;
    // The point just outside the splitter on the side of the control it resizes.
    TPoint p = Point(Left(), Top());
    switch (Align()) {
    case alLeft:
        p.X -= 1;
        break;
    case alRight:
        p.X += Width();
        break;
    case alTop:
        p.Y -= 1;
        break;
    case alBottom:
        p.Y += Height();
        break;
    default:
        return nullptr;
    }
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* control = parent->Controls(i);
        if (control == this || !control->Visible() || !control->Enabled())
            continue;
        TRect r = control->BoundsRect();
        // A control of no width or height still owns the line it sits on.
        if (r.Width() == 0)
            (Align() == alTop || Align() == alLeft) ? --r.Left : ++r.Right;
        if (r.Height() == 0)
            (Align() == alTop || Align() == alLeft) ? --r.Top : ++r.Bottom;
        if (r.Contains(p))
            return control;
    }
    return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    UpdateCursor();
    StopSizing();
    TControl* control = FindResizeControl();
    if (!control)
        return;
    FControl = control;
    FreeNotification(FControl);
    FDownPos = Point(x, y);
    // Room for the control: the client area less MinSize and less every visible
    // control aligned on this axis (this splitter too), the control's own size
    // given back.
    TWinControl* parent = Parent();
    FMaxSize = (Vertical() ? parent->ClientWidth() : parent->ClientHeight()) - FMinSize;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* sibling = parent->Controls(i);
        if (!sibling->Visible())
            continue;
        TAlign align = sibling->Align();
        if (Vertical() && (align == alLeft || align == alRight))
            FMaxSize -= sibling->Width();
        else if (!Vertical() && (align == alTop || align == alBottom))
            FMaxSize -= sibling->Height();
    }
    FMaxSize += Vertical() ? FControl->Width() : FControl->Height();
}

int TSplitter::CalcSplitSize(int x, int y) const
{
    int split = Vertical() ? x - FDownPos.X : y - FDownPos.Y;
    int size = 0;
    switch (Align()) {
    case alLeft:
        size = FControl->Width() + split;
        break;
    case alRight:
        size = FControl->Width() - split;
        break;
    case alTop:
        size = FControl->Height() + split;
        break;
    case alBottom:
        size = FControl->Height() - split;
        break;
    default:
        break;
    }
    if (size > FMaxSize)
        size = FMaxSize;
    // MinSize wins over the maximum when the parent is too small for both.
    if (size < FMinSize)
        size = FMinSize;
    return size;
}

bool TSplitter::DoCanResize(int& newSize)
{
    bool accept = true;
    if (OnCanResize)
        OnCanResize(this, newSize, accept);
    return accept;
}

void TSplitter::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!shift.Contains(ssLeft) || !FControl)
        return;
    int size = CalcSplitSize(x, y);
    if (DoCanResize(size))
        UpdateControlSize(size);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button == mbLeft && FControl) {
        int size = CalcSplitSize(x, y);
        if (DoCanResize(size))
            UpdateControlSize(size);
    }
    if (button == mbLeft)
        StopSizing();
}

void TSplitter::UpdateControlSize(int newSize)
{
    int old = Vertical() ? FControl->Width() : FControl->Height();
    if (newSize == old)
        return;
    switch (Align()) {
    case alLeft:
        FControl->SetWidth(newSize);
        break;
    case alTop:
        FControl->SetHeight(newSize);
        break;
    // A control on the right or at the bottom keeps its far edge.
    case alRight:
        FControl->SetBounds(FControl->Left() + FControl->Width() - newSize, FControl->Top(), newSize,
                            FControl->Height());
        break;
    case alBottom:
        FControl->SetBounds(FControl->Left(), FControl->Top() + FControl->Height() - newSize,
                            FControl->Width(), newSize);
        break;
    default:
        return;
    }
    if (OnMoved)
        OnMoved(this);
}

void TSplitter::StopSizing()
{
    if (FControl)
        RemoveFreeNotification(FControl);
    FControl = nullptr;
}
