// Alignment of child controls: alTop, alBottom, alLeft, alRight and alClient
// children take the edges of the parent's client area in that order; within one
// alignment they keep their positions' order, and the control whose change asked
// for the alignment goes before those level with it.
#include <algorithm>

#include "platform/controls/controls.h"

namespace {

// True when C1 comes before C2 among the controls of one alignment.
bool InsertBefore(const TControl* C1, const TControl* C2, TAlign Align)
{
    switch (Align) {
    case alTop:
        return C1->Top() < C2->Top();
    case alBottom:
        return C1->Top() + C1->Height() >= C2->Top() + C2->Height();
    case alLeft:
        return C1->Left() < C2->Left();
    case alRight:
        return C1->Left() + C1->Width() >= C2->Left() + C2->Width();
    default:
        return false;
    }
}

// Places one control at its edge of Rect and takes its room from Rect.
void DoPosition(TControl* Control, TAlign Align, TRect& Rect)
{
    int newWidth = Rect.Right - Rect.Left;
    if (newWidth < 0 || Align == alLeft || Align == alRight)
        newWidth = Control->Width();
    int newHeight = Rect.Bottom - Rect.Top;
    if (newHeight < 0 || Align == alTop || Align == alBottom)
        newHeight = Control->Height();
    int newLeft = Rect.Left;
    int newTop = Rect.Top;
    switch (Align) {
    case alTop:
        Rect.Top += newHeight;
        break;
    case alBottom:
        Rect.Bottom -= newHeight;
        newTop = Rect.Bottom;
        break;
    case alLeft:
        Rect.Left += newWidth;
        break;
    case alRight:
        Rect.Right -= newWidth;
        newLeft = Rect.Right;
        break;
    default:
        break;
    }
    Control->SetBounds(newLeft, newTop, newWidth, newHeight);
    // Constraints may have given the control another size than asked.
    if (Control->Width() != newWidth || Control->Height() != newHeight) {
        switch (Align) {
        case alTop:
            Rect.Top -= newHeight - Control->Height();
            break;
        case alBottom:
            Rect.Bottom += newHeight - Control->Height();
            break;
        case alLeft:
            Rect.Left -= newWidth - Control->Width();
            break;
        case alRight:
            Rect.Right += newWidth - Control->Width();
            break;
        default:
            break;
        }
    }
}

} // namespace

void TWinControl::DisableAlign()
{
    ++FAlignLevel;
}

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0 && (ControlState() & csAlignmentNeeded))
        Realign();
}

void TWinControl::Realign()
{
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* AControl)
{
    if (ComponentState() & (csDestroying | csLoading))
        return;
    if (FAlignLevel != 0) {
        SetControlState(ControlState() | csAlignmentNeeded);
        return;
    }
    DisableAlign();
    TRect rect = ClientRect();
    AlignControls(AControl, rect);
    SetControlState(ControlState() & ~csAlignmentNeeded);
    EnableAlign();
}

void TWinControl::AdjustClientRect(TRect&) const {}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    AdjustClientRect(Rect);
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> list;
        if (AControl && AControl->Parent() == this && AControl->Visible() && AControl->Align() == align)
            list.push_back(AControl);
        for (TControl* control : FControls) {
            if (control == AControl || control->Align() != align || !control->Visible())
                continue;
            // The control that asked is in the list already: it goes before the
            // controls that are level with it.
            size_t j = 0;
            while (j < list.size() && !InsertBefore(control, list[j], align))
                ++j;
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(j), control);
        }
        for (TControl* control : list)
            DoPosition(control, align, Rect);
    }
}
