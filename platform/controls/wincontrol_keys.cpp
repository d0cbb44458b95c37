// TWinControl: keyboard focus, tab order and keys. A key reaches the focused
// control first as CN_KEYDOWN, where the shortcuts of the popup menus of the
// control and the controls around it are looked for, and Tab and the arrow keys
// go to the form's dialog-key handling unless the control asks for them
// (WM_GETDLGCODE); then as WM_KEYDOWN, which the form sees first when it has
// KeyPreview.
#include <algorithm>
#include <iterator>

#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/controls/winapi.h"
#include "platform/core/lists.h"

namespace {

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        shift.Include(ssCtrl);
    if (keyData & (1 << 29))
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

void TWinControl::RemoveFocus(bool removing)
{
    if (TCustomForm* form = GetParentForm(this))
        form->DefocusControl(this, removing);
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

void TWinControl::WMSetFocus(TMessage& message)
{
    DefaultHandler(message);
}

void TWinControl::WMKillFocus(TMessage& message)
{
    DefaultHandler(message);
}

// ---------------------------------------------------------------------------
// Tab order

int TWinControl::TabOrder() const
{
    if (!FParent)
        return FPendingTabOrder;
    const auto& list = FParent->FTabList;
    auto found = std::find(list.begin(), list.end(), this);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    if (!FParent) {
        FPendingTabOrder = std::max(value, -1);
        return;
    }
    auto& list = FParent->FTabList;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    value = std::clamp(value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + value, this);
}

void TWinControl::InsertTabOrder(TWinControl* control)
{
    if (std::find(FTabList.begin(), FTabList.end(), control) == FTabList.end())
        FTabList.push_back(control);
}

void TWinControl::RemoveTabOrder(TWinControl* control)
{
    // Listed once (InsertTabOrder); looked for from the end, where the
    // controls freed last-first are.
    const auto found = std::find(FTabList.rbegin(), FTabList.rend(), control);
    if (found != FTabList.rend())
        FTabList.erase(std::next(found).base());
}

void TWinControl::GetTabOrderList(TList* list)
{
    for (TWinControl* control : FTabList) {
        list->Add(control);
        control->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* curControl, bool goForward, bool checkTabStop,
                                          bool checkParent)
{
    TList list;
    GetTabOrderList(&list);
    const int count = list.Count();
    if (count == 0)
        return nullptr;
    int start = list.IndexOf(curControl);
    if (start < 0)
        start = goForward ? count - 1 : 0;
    int i = start;
    do {
        i = goForward ? (i + 1) % count : (i + count - 1) % count;
        auto* control = static_cast<TWinControl*>(list.Get(i));
        if (control->CanFocus() && (!checkTabStop || control->TabStop()) &&
            (!checkParent || control->Parent() == this))
            return control;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* curControl, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(curControl, goForward, checkTabStop, !checkTabStop))
        next->SetFocus();
}

// ---------------------------------------------------------------------------
// Keys

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

bool TWinControl::DoKeyDown(TMessage& message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(message))
        return true;
    if (!(ControlStyle() & csNoStdEvents)) {
        WORD key = LOWORD(message.WParam);
        KeyDown(key, KeyDataToShiftState(message.LParam));
        message.WParam = key;
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(message))
        return true;
    if (!(ControlStyle() & csNoStdEvents)) {
        WORD key = LOWORD(message.WParam);
        KeyUp(key, KeyDataToShiftState(message.LParam));
        message.WParam = key;
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(message))
        return true;
    // KeyPress takes one byte: ASCII characters only. Other text is left to the
    // WM_CHAR handlers, which receive it as UTF-16 code units.
    if (!(ControlStyle() & csNoStdEvents) && message.WParam < 0x80) {
        char key = static_cast<char>(message.WParam);
        KeyPress(key);
        message.WParam = static_cast<unsigned char>(key);
        if (key == 0)
            return true;
    }
    return false;
}

void TWinControl::WMKeyDown(TMessage& message)
{
    if (!DoKeyDown(message))
        DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message)
{
    if (!DoKeyUp(message))
        DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message)
{
    if (!DoKeyPress(message))
        DefaultHandler(message);
}

bool TWinControl::IsMenuKey(TMessage& message)
{
    const WORD key = LOWORD(message.WParam);
    // Modifier keys alone are no shortcut.
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key > 0xFF)
        return false;
    const TShiftState shift = KeyDataToShiftState(message.LParam);
    const TShortCut shortCut =
        ShortCut(key, shift.Contains(ssShift), shift.Contains(ssCtrl), shift.Contains(ssAlt));
    for (TControl* control = this; control; control = control->Parent())
        if (TPopupMenu* menu = control->PopupMenu())
            if (menu->IsShortCut(shortCut, control))
                return true;
    return false;
}

void TWinControl::CNKeyDown(TMessage& message)
{
    message.Result = 1;
    if (IsMenuKey(message))
        return;
    LRESULT mask = 0;
    switch (LOWORD(message.WParam)) {
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
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, message.WParam, message.LParam) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
        TCustomForm* form = GetParentForm(this);
        if (form && form->Perform(CM_DIALOGKEY, message.WParam, message.LParam) != 0)
            return;
    }
    message.Result = 0;
}

void TWinControl::CMDialogKey(TMessage& message)
{
    DefaultHandler(message);
}
