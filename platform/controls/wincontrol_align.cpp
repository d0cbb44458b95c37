// Alignment of child controls: alTop, alBottom, alLeft, alRight and alClient
// children take the edges of the parent's client area in that order; within one
// alignment they keep their positions' order, and the control whose change asked
// for the alignment goes before those level with it.
#include <algorithm>

#include "platform/controls/controls.h"

namespace {

// True when C1 comes before C2 among the controls of one alignment.
bool InsertBefore(const TControl* c1, const TControl* c2, TAlign align)
{
    switch (align) {
    case alTop:
        return c1->Top() < c2->Top();
    case alBottom:
        return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
    case alLeft:
        return c1->Left() < c2->Left();
    case alRight:
        return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
    default:
        return false;
    }
}

// Places one control at its edge of Rect and takes its room from Rect.
void DoPosition(TControl* control, TAlign align, TRect& rect)
{
    int newWidth = rect.Right - rect.Left;
    if (newWidth < 0 || align == alLeft || align == alRight)
        newWidth = control->Width();
    int newHeight = rect.Bottom - rect.Top;
    if (newHeight < 0 || align == alTop || align == alBottom)
        newHeight = control->Height();
    int newLeft = rect.Left;
    int newTop = rect.Top;
    switch (align) {
    case alTop:
        rect.Top += newHeight;
        break;
    case alBottom:
        rect.Bottom -= newHeight;
        newTop = rect.Bottom;
        break;
    case alLeft:
        rect.Left += newWidth;
        break;
    case alRight:
        rect.Right -= newWidth;
        newLeft = rect.Right;
        break;
    default:
        break;
    }
    control->SetBounds(newLeft, newTop, newWidth, newHeight);
    // Constraints may have given the control another size than asked.
    if (control->Width() != newWidth || control->Height() != newHeight) {
        switch (align) {
        case alTop:
            rect.Top -= newHeight - control->Height();
            break;
        case alBottom:
            rect.Bottom += newHeight - control->Height();
            break;
        case alLeft:
            rect.Left -= newWidth - control->Width();
            break;
        case alRight:
            rect.Right += newWidth - control->Width();
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

void TWinControl::AlignControl(TControl* aControl)
{
    if (ComponentState() & (csDestroying | csLoading))
        return;
    if (FAlignLevel != 0) {
        SetControlState(ControlState() | csAlignmentNeeded);
        return;
    }
    DisableAlign();
    TRect rect = ClientRect();
    AlignControls(aControl, rect);
    SetControlState(ControlState() & ~csAlignmentNeeded);
    EnableAlign();
}

void TWinControl::AdjustClientRect(TRect&) const {}

void TWinControl::AlignControls(TControl* aControl, TRect& rect)
{
    AdjustClientRect(rect);
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> list;
        if (aControl && aControl->Parent() == this && aControl->Visible() && aControl->Align() == align)
            list.push_back(aControl);
        for (TControl* control : FControls) {
            if (control == aControl || control->Align() != align || !control->Visible())
                continue;
            // The control that asked is in the list already: it goes before the
            // controls that are level with it.
            size_t j = 0;
            while (j < list.size() && !InsertBefore(control, list[j], align))
                ++j;
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(j), control);
        }
        for (TControl* control : list)
            DoPosition(control, align, rect);
    }
}
