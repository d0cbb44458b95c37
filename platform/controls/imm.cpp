// Input-method composition: the toolkit's input-method events as the
// platform's composition messages, and the composition strings.
#include <QInputMethodEvent>

#include <algorithm>
#include <cstring>

#include "platform/controls/controls_qt.h"
#include "platform/controls/imm.h"
#include "platform/core/codepages.h"

// The context of a window: the strings of the composition in progress.
struct TInputContextTag {
    HWND Wnd = nullptr;
    WideString Result;
    WideString Composition;
};

namespace {

TInputContextTag& Context()
{
    static TInputContextTag context;
    return context;
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

} // namespace

HIMC ImmGetContext(HWND wnd)
{
    if (!FindControl(wnd))
        return nullptr;
    TInputContextTag& context = Context();
    if (context.Wnd != wnd) {
        context = TInputContextTag();
        context.Wnd = wnd;
    }
    return &context;
}

bool ImmReleaseContext(HWND wnd, HIMC context)
{
    return context && context->Wnd == wnd;
}

LONG ImmGetCompositionStringW(HIMC context, DWORD index, void* buffer, DWORD bufferLength)
{
    const WideString* text = StringOf(context, index);
    if (!text)
        return IMM_ERROR_GENERAL;
    if (text->empty())
        return IMM_ERROR_NODATA;
    return CopyOut(text->data(), text->size() * sizeof(WideChar), buffer, bufferLength);
}

LONG ImmGetCompositionStringA(HIMC context, DWORD index, void* buffer, DWORD bufferLength)
{
    const WideString* text = StringOf(context, index);
    if (!text)
        return IMM_ERROR_GENERAL;
    if (text->empty())
        return IMM_ERROR_NODATA;
    const AnsiString ansi = WideToAnsi(*text);
    return CopyOut(ansi.data(), ansi.size(), buffer, bufferLength);
}

void DeliverInputMethodEvent(TWinControl* control, QEvent* event)
{
    auto* input = static_cast<QInputMethodEvent*>(event);
    const HWND wnd = control->Handle();
    HIMC context = ImmGetContext(wnd);
    context->Composition = ToWide(input->preeditString());
    if (input->commitString().isEmpty())
        return;
    context->Result = ToWide(input->commitString());
    const WideString result = context->Result;
    SendMessage(wnd, WM_IME_STARTCOMPOSITION, 0, 0);
    SendMessage(wnd, WM_IME_COMPOSITION, result.empty() ? 0 : result[0], GCS_RESULTSTR);
    if (ImmGetContext(wnd) == context)
        context->Result.clear();
    SendMessage(wnd, WM_IME_ENDCOMPOSITION, 0, 0);
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
