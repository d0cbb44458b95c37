// Input-method composition: the toolkit's input-method events as the
// platform's composition messages, the composition strings, and the place and
// font the input method is told for a window.
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/controls/controls_qt.h"
#include "platform/controls/imm.h"
#include "platform/core/codepages.h"

// The context of a window: the strings of the composition in progress, and
// what the window told the input method.
struct TInputContextTag {
    HWND Wnd = nullptr;
    WideString Result;
    WideString Composition;
    int CursorPos = 0;
    bool Composing = false;
    bool HasForm = false;
    COMPOSITIONFORM Form;
    bool HasFont = false;
    TLogFont Font;
};

namespace {

// One context per window, kept while the window exists (map nodes do not move).
std::map<HWND, TInputContextTag>& Contexts()
{
    static std::map<HWND, TInputContextTag> contexts;
    return contexts;
}

WideString ToWide(const QString& text)
{
    return WideString(reinterpret_cast<const WideChar*>(text.utf16()), static_cast<size_t>(text.size()));
}

const WideString* StringOf(HIMC context, DWORD index)
{
    if (!context || !FindControl(context->Wnd))
        return nullptr;
    if (index == GCS_RESULTSTR)
        return &context->Result;
    if (index == GCS_COMPSTR)
        return &context->Composition;
    return nullptr;
}

LONG CopyOut(const void* data, size_t bytes, void* buffer, DWORD bufferLength)
{
    if (bytes > 0x7FFFFFFF)
        return IMM_ERROR_GENERAL;
    if (buffer && bufferLength > 0)
        std::memcpy(buffer, data, std::min<size_t>(bytes, bufferLength));
    return static_cast<LONG>(bytes);
}

bool Valid(HIMC context)
{
    return context && FindControl(context->Wnd);
}

// The input method asks again for what the focused window told it.
void UpdateInputMethod(HIMC context)
{
    TWinControl* control = FindControl(context->Wnd);
    QWidget* client = control ? ClientWidgetOf(control) : nullptr;
    if (client && client->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont);
}

} // namespace

HIMC ImmGetContext(HWND wnd)
{
    if (!FindControl(wnd))
        return nullptr;
    std::map<HWND, TInputContextTag>& contexts = Contexts();
    // The contexts of windows that are gone go too (a handle may come again).
    for (auto it = contexts.begin(); it != contexts.end();)
        it = it->first != wnd && !FindControl(it->first) ? contexts.erase(it) : std::next(it);
    TInputContextTag& context = contexts[wnd];
    context.Wnd = wnd;
    return &context;
}

bool ImmReleaseContext(HWND wnd, HIMC context)
{
    return context && context->Wnd == wnd;
}

LONG ImmGetCompositionStringW(HIMC context, DWORD index, void* buffer, DWORD bufferLength)
{
    if (index == GCS_CURSORPOS)
        return Valid(context) ? context->CursorPos : IMM_ERROR_GENERAL;
    const WideString* text = StringOf(context, index);
    if (!text)
        return IMM_ERROR_GENERAL;
    if (text->empty())
        return IMM_ERROR_NODATA;
    return CopyOut(text->data(), text->size() * sizeof(WideChar), buffer, bufferLength);
}

LONG ImmGetCompositionStringA(HIMC context, DWORD index, void* buffer, DWORD bufferLength)
{
    if (index == GCS_CURSORPOS) {
        if (!Valid(context))
            return IMM_ERROR_GENERAL;
        const WideString before = context->Composition.substr(0, static_cast<size_t>(context->CursorPos));
        return static_cast<LONG>(WideToAnsi(before).size());
    }
    const WideString* text = StringOf(context, index);
    if (!text)
        return IMM_ERROR_GENERAL;
    if (text->empty())
        return IMM_ERROR_NODATA;
    const AnsiString ansi = WideToAnsi(*text);
    return CopyOut(ansi.data(), ansi.size(), buffer, bufferLength);
}

bool ImmSetCompositionWindow(HIMC context, const COMPOSITIONFORM* form)
{
    if (!Valid(context) || !form)
        return false;
    context->Form = *form;
    context->HasForm = form->dwStyle != CFS_DEFAULT;
    UpdateInputMethod(context);
    return true;
}

bool ImmGetCompositionWindow(HIMC context, COMPOSITIONFORM* form)
{
    if (!Valid(context) || !form)
        return false;
    *form = context->HasForm ? context->Form : COMPOSITIONFORM();
    return true;
}

bool ImmSetCompositionFontA(HIMC context, const TLogFont* logFont)
{
    if (!Valid(context) || !logFont)
        return false;
    context->Font = *logFont;
    context->HasFont = true;
    UpdateInputMethod(context);
    return true;
}

bool ImmGetCompositionFontA(HIMC context, TLogFont* logFont)
{
    if (!Valid(context) || !logFont || !context->HasFont)
        return false;
    *logFont = context->Font;
    return true;
}

// ---------------------------------------------------------------------------
// The toolkit's side

namespace {

// Sends a composition message; false when the window went while handling it.
bool SendComposition(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SendMessage(wnd, msg, wParam, lParam);
    return FindControl(wnd) != nullptr;
}

} // namespace

void DeliverInputMethodEvent(TWinControl* control, QEvent* event)
{
    auto* input = static_cast<QInputMethodEvent*>(event);
    const HWND wnd = control->Handle();
    const WideString commit = ToWide(input->commitString());
    const WideString preedit = ToWide(input->preeditString());
    int cursor = static_cast<int>(preedit.size());
    for (const QInputMethodEvent::Attribute& a : input->attributes())
        if (a.type == QInputMethodEvent::Cursor)
            cursor = std::clamp(a.start, 0, static_cast<int>(preedit.size()));
    HIMC context = ImmGetContext(wnd);
    if (!commit.empty()) {
        if (!context->Composing) {
            context->Composing = true;
            if (!SendComposition(wnd, WM_IME_STARTCOMPOSITION, 0, 0))
                return;
        }
        // What was being composed is now the result.
        context->Composition.clear();
        context->CursorPos = 0;
        context->Result = commit;
        if (!SendComposition(wnd, WM_IME_COMPOSITION, commit[0], GCS_RESULTSTR))
            return;
        context = ImmGetContext(wnd);
        context->Result.clear();
    }
    if (!preedit.empty()) {
        if (!context->Composing) {
            context->Composing = true;
            if (!SendComposition(wnd, WM_IME_STARTCOMPOSITION, 0, 0))
                return;
            context = ImmGetContext(wnd);
        }
        if (preedit == context->Composition && cursor == context->CursorPos)
            return;
        context->Composition = preedit;
        context->CursorPos = cursor;
        SendComposition(wnd, WM_IME_COMPOSITION, preedit[0], GCS_COMPSTR | GCS_CURSORPOS);
        return;
    }
    if (!context->Composing)
        return;
    if (!context->Composition.empty()) {
        // The composition was taken back: nothing is being composed any more.
        context->Composition.clear();
        context->CursorPos = 0;
        if (!SendComposition(wnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_CURSORPOS))
            return;
        context = ImmGetContext(wnd);
    }
    context->Composing = false;
    SendComposition(wnd, WM_IME_ENDCOMPOSITION, 0, 0);
}

void DefaultImeComposition(TWinControl* control, TMessage& message)
{
    // The composed text becomes typed characters.
    if (!(message.LParam & GCS_RESULTSTR))
        return;
    const HWND wnd = control->Handle();
    HIMC context = ImmGetContext(wnd);
    const WideString text = context ? context->Result : WideString();
    for (WideChar unit : text) {
        TWinControl* target = FindControl(wnd);
        if (!target)
            return;
        target->Perform(WM_CHAR, unit, 1);
    }
}

bool InputMethodCursor(TWinControl* control, TRect& rect)
{
    const HWND wnd = control ? control->Handle() : nullptr;
    const auto it = Contexts().find(wnd);
    if (it == Contexts().end() || !FindControl(wnd) || !it->second.HasForm)
        return false;
    const TInputContextTag& context = it->second;
    const int height =
        context.HasFont && context.Font.lfHeight != 0 ? std::abs(context.Font.lfHeight) : CaretHeight();
    const TPoint at = context.Form.ptCurrentPos;
    rect = Rect(at.X, at.Y, at.X + 1, at.Y + std::max(height, 1));
    return true;
}

bool InputMethodFont(TWinControl* control, TLogFont& logFont)
{
    const HWND wnd = control ? control->Handle() : nullptr;
    const auto it = Contexts().find(wnd);
    if (it == Contexts().end() || !FindControl(wnd) || !it->second.HasFont)
        return false;
    logFont = it->second.Font;
    return true;
}
