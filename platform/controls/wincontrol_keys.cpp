// TWinControl: keyboard focus, tab order and keys. A key reaches the focused
// control first as CN_KEYDOWN, where Tab and the arrow keys go to the form's
// dialog-key handling unless the control asks for them (WM_GETDLGCODE); then as
// WM_KEYDOWN, which the form sees first when it has KeyPreview.
#include <algorithm>

#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/core/lists.h"

namespace {

TShiftState KeyDataToShiftState(LPARAM KeyData)
{
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        shift.Include(ssCtrl);
    if (KeyData & (1 << 29))
        shift.Include(ssAlt);
    return shift;
}

} // namespace

// ---------------------------------------------------------------------------
// Focus

bool TWinControl::CanFocus() const
{
    const TCustomForm* form = GetParentForm(this);
    if (!form)
        return false;
    for (const TControl* control = this; control; control = control->Parent()) {
        if (!control->Visible() || !control->Enabled())
            return false;
        if (control == form)
            break;
    }
    return true;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = GetParentForm(this))
        form->FocusControl(this);
    else
        ValidParentForm(this);
}

bool TWinControl::Focused() const
{
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::RemoveFocus(bool Removing)
{
    if (TCustomForm* form = GetParentForm(this))
        form->DefocusControl(this, Removing);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::WMSetFocus(TMessage& Message)
{
    DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message)
{
    DefaultHandler(Message);
}

// ---------------------------------------------------------------------------
// Tab order

int TWinControl::TabOrder() const
{
    if (!FParent)
        return -1;
    const auto& list = FParent->FTabList;
    auto found = std::find(list.begin(), list.end(), this);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

void TWinControl::SetTabOrder(int Value)
{
    if (!FParent)
        return;
    auto& list = FParent->FTabList;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    Value = std::clamp(Value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + Value, this);
}

void TWinControl::InsertTabOrder(TWinControl* Control)
{
    if (std::find(FTabList.begin(), FTabList.end(), Control) == FTabList.end())
        FTabList.push_back(Control);
}

void TWinControl::RemoveTabOrder(TWinControl* Control)
{
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), Control), FTabList.end());
}

void TWinControl::GetTabOrderList(TList* List)
{
    for (TWinControl* control : FTabList) {
        List->Add(control);
        control->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent)
{
    TList list;
    GetTabOrderList(&list);
    const int count = list.Count();
    if (count == 0)
        return nullptr;
    int start = list.IndexOf(CurControl);
    if (start < 0)
        start = GoForward ? count - 1 : 0;
    int i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        auto* control = static_cast<TWinControl*>(list.Get(i));
        if (control->CanFocus() && (!CheckTabStop || control->TabStop()) &&
            (!CheckParent || control->Parent() == this))
            return control;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        next->SetFocus();
}

// ---------------------------------------------------------------------------
// Keys

void TWinControl::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

bool TWinControl::DoKeyDown(TMessage& Message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message))
        return true;
    if (!(ControlStyle() & csNoStdEvents)) {
        WORD key = LOWORD(Message.WParam);
        KeyDown(key, KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message))
        return true;
    if (!(ControlStyle() & csNoStdEvents)) {
        WORD key = LOWORD(Message.WParam);
        KeyUp(key, KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message))
        return true;
    // KeyPress takes one byte: ASCII characters only. Other text is left to the
    // WM_CHAR handlers, which receive it as UTF-16 code units.
    if (!(ControlStyle() & csNoStdEvents) && Message.WParam < 0x80) {
        char key = static_cast<char>(Message.WParam);
        KeyPress(key);
        Message.WParam = static_cast<unsigned char>(key);
        if (key == 0)
            return true;
    }
    return false;
}

void TWinControl::WMKeyDown(TMessage& Message)
{
    if (!DoKeyDown(Message))
        DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message)
{
    if (!DoKeyUp(Message))
        DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message)
{
    if (!DoKeyPress(Message))
        DefaultHandler(Message);
}

void TWinControl::CNKeyDown(TMessage& Message)
{
    Message.Result = 1;
    LRESULT mask = 0;
    switch (LOWORD(Message.WParam)) {
    case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    default:
        break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0)
            return;
    }
    Message.Result = 0;
}

void TWinControl::CMDialogKey(TMessage& Message)
{
    DefaultHandler(Message);
}
