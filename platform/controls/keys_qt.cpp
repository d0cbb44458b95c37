// Keys: the toolkit's key codes as virtual key codes (a US keyboard layout for the
// punctuation keys), and the road of a key event to the focused control.
#include <QKeyEvent>

#include "platform/controls/controls_qt.h"
#include "platform/controls/winapi.h"

namespace {

struct TKeyPair {
    int QtKey;
    WORD VirtualKey;
};

// Keys whose codes differ between the two; letters and digits share theirs.
const TKeyPair KeyTable[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_AltGr, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},
    {Qt::Key_Printer, VK_PRINT},
    {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_Super_L, VK_LWIN},
    {Qt::Key_Super_R, VK_RWIN},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
    // Shifted digits of a US layout.
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

WORD KeypadKey(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<WORD>(VK_NUMPAD0 + (key - Qt::Key_0));
    switch (key) {
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Plus:
        return VK_ADD;
    case Qt::Key_Minus:
        return VK_SUBTRACT;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return VK_DECIMAL;
    case Qt::Key_Slash:
        return VK_DIVIDE;
    default:
        return 0;
    }
}

TWinControl* FocusedOr(TWinControl* fallback)
{
    if (TWinControl* focused = FindControl(GetFocus()))
        return focused;
    return fallback;
}

// The message's stage before the control (dialog keys), then the message itself,
// to the window that is still there. False when the first stage used the key up.
bool SendKeyMessage(HWND wnd, UINT notify, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control = FindControl(wnd);
    if (!control)
        return false;
    if (control->Perform(notify, wParam, lParam) != 0)
        return false;
    control = FindControl(wnd);
    if (control)
        control->Perform(msg, wParam, lParam);
    return true;
}

} // namespace

WORD VirtualKeyFromQtKey(int key, bool keypad)
{
    if (keypad) {
        if (WORD vk = KeypadKey(key))
            return vk;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<WORD>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<WORD>(VK_F1 + (key - Qt::Key_F1));
    for (const TKeyPair& pair : KeyTable)
        if (pair.QtKey == key)
            return pair.VirtualKey;
    return 0;
}

int QtKeyFromVirtualKey(WORD virtualKey)
{
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return virtualKey;
    if (virtualKey >= VK_F1 && virtualKey <= VK_F24)
        return Qt::Key_F1 + (virtualKey - VK_F1);
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9)
        return Qt::Key_0 + (virtualKey - VK_NUMPAD0);
    for (const TKeyPair& pair : KeyTable)
        if (pair.VirtualKey == virtualKey)
            return pair.QtKey;
    return 0;
}

void DeliverKeyEvent(TWinControl* fallback, QEvent* event)
{
    auto* key = static_cast<QKeyEvent*>(event);
    TWinControl* target = FocusedOr(fallback);
    if (!target)
        return;
    const HWND wnd = target->Handle();
    const bool alt = key->modifiers().testFlag(Qt::AltModifier);
    const WORD vk = VirtualKeyFromQtKey(key->key(), key->modifiers().testFlag(Qt::KeypadModifier));
    // Repeat count 1; bit 29 with Alt held; bit 30 for a key already down; bit 31 on release.
    LPARAM lParam = 1 | (alt ? (1 << 29) : 0);
    if (event->type() == QEvent::KeyRelease) {
        lParam |= static_cast<LPARAM>(3u) << 30;
        if (vk)
            SendKeyMessage(wnd, alt ? CN_SYSKEYUP : CN_KEYUP, alt ? WM_SYSKEYUP : WM_KEYUP, vk, lParam);
        return;
    }
    // A new keyboard language is told before the key it types.
    NoteKeyboardLanguage(key);
    if (key->isAutoRepeat())
        lParam |= 1 << 30;
    // A key that the dialog keys used up (Tab moving the focus) types nothing.
    if (vk &&
        !SendKeyMessage(wnd, alt ? CN_SYSKEYDOWN : CN_KEYDOWN, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, lParam))
        return;
    // The characters of the key, as the platform's translation posts them after
    // the key-down: the Delete key types nothing.
    if (vk == VK_DELETE)
        return;
    const QString text = key->text();
    for (QChar unit : text) {
        if (unit.unicode() == 0)
            continue;
        SendKeyMessage(wnd, alt ? CN_SYSCHAR : CN_CHAR, alt ? WM_SYSCHAR : WM_CHAR, unit.unicode(), lParam);
    }
}
