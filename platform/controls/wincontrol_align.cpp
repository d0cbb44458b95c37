// Alignment of child controls: alTop, alBottom, alLeft, alRight and alClient
// children take the edges of the parent's client area in that order; within one
// alignment they keep their positions' order, and the control whose change asked
// for the alignment goes before those level with it. Then the controls that are
// not aligned are placed by their anchors.
#include <algorithm>

#include "platform/controls/controls.h"

namespace {

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
    const TSize clientSize{rect.Width(), rect.Height()};
    // Within one alignment the controls go by their positions: top and left
    // edges ascending, with the asking control and then the others in list
    // order before those level with them; bottom and right edges descending,
    // those level with each other in the opposite order. (The order the class
    // library reaches by inserting each control in turn, found here by a
    // stable sort, so that aligning many controls stays cheap.)
    std::vector<TControl*> list;
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        list.clear();
        if (aControl && aControl->Parent() == this && aControl->Visible() && aControl->Align() == align)
            list.push_back(aControl);
        for (TControl* control : FControls)
            if (control != aControl && control->Align() == align && control->Visible())
                list.push_back(control);
        const auto sortBy = [this, &list](auto key, bool descending) {
            if (descending)
                std::reverse(list.begin(), list.end());
            std::stable_sort(list.begin(), list.end(), [this, key, descending](TControl* a, TControl* b) {
                ++FAlignSteps;
                return descending ? key(a) > key(b) : key(a) < key(b);
            });
        };
        switch (align) {
        case alTop:
            sortBy([](const TControl* c) { return c->Top(); }, false);
            break;
        case alBottom:
            sortBy([](const TControl* c) { return int64_t{c->Top()} + c->Height(); }, true);
            break;
        case alLeft:
            sortBy([](const TControl* c) { return c->Left(); }, false);
            break;
        case alRight:
            sortBy([](const TControl* c) { return int64_t{c->Left()} + c->Width(); }, true);
            break;
        default:
            break;
        }
        for (TControl* control : list) {
            DoPosition(control, align, rect);
            ++FAlignSteps;
        }
    }
    // The controls that are not aligned keep what their anchors measured
    // (placing one changes no list here: its own alignment request waits).
    for (TControl* control : FControls)
        control->AnchorTo(clientSize);
}
