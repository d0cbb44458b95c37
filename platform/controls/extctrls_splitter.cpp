// TSplitter: finding the control to resize, the limits of its size, and the
// drag that resizes it.
#include "platform/controls/extctrls_splitter.h"

#include "platform/graphics/canvas.h"
#include "platform/graphics/gdiobjects.h"

TSplitter::TSplitter(TComponent* AOwner) : TCustomControl(AOwner)
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

void TSplitter::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_SETCURSOR || Message.Msg == WM_MOUSEMOVE)
        UpdateCursor();
    TCustomControl::WndProc(Message);
}

void TSplitter::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FControl)
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

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    UpdateCursor();
    StopSizing();
    TControl* control = FindResizeControl();
    if (!control)
        return;
    FControl = control;
    FreeNotification(FControl);
    FDownPos = Point(X, Y);
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

int TSplitter::CalcSplitSize(int X, int Y) const
{
    int split = Vertical() ? X - FDownPos.X : Y - FDownPos.Y;
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

bool TSplitter::DoCanResize(int& NewSize)
{
    bool accept = true;
    if (OnCanResize)
        OnCanResize(this, NewSize, accept);
    return accept;
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (!Shift.Contains(ssLeft) || !FControl)
        return;
    int size = CalcSplitSize(X, Y);
    if (DoCanResize(size))
        UpdateControlSize(size);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FControl) {
        int size = CalcSplitSize(X, Y);
        if (DoCanResize(size))
            UpdateControlSize(size);
    }
    if (Button == mbLeft)
        StopSizing();
}

void TSplitter::UpdateControlSize(int NewSize)
{
    int old = Vertical() ? FControl->Width() : FControl->Height();
    if (NewSize == old)
        return;
    switch (Align()) {
    case alLeft:
        FControl->SetWidth(NewSize);
        break;
    case alTop:
        FControl->SetHeight(NewSize);
        break;
    // A control on the right or at the bottom keeps its far edge.
    case alRight:
        FControl->SetBounds(FControl->Left() + FControl->Width() - NewSize, FControl->Top(), NewSize,
                            FControl->Height());
        break;
    case alBottom:
        FControl->SetBounds(FControl->Left(), FControl->Top() + FControl->Height() - NewSize,
                            FControl->Width(), NewSize);
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
