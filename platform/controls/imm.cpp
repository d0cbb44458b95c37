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

WideString ToWide(const QString& Text)
{
    return WideString(reinterpret_cast<const WideChar*>(Text.utf16()), static_cast<size_t>(Text.size()));
}

const WideString* StringOf(HIMC Context, DWORD Index)
{
    if (!Context || !FindControl(Context->Wnd))
        return nullptr;
    if (Index == GCS_RESULTSTR)
        return &Context->Result;
    if (Index == GCS_COMPSTR)
        return &Context->Composition;
    return nullptr;
}

LONG CopyOut(const void* Data, size_t Bytes, void* Buffer, DWORD BufferLength)
{
    if (Bytes > 0x7FFFFFFF)
        return IMM_ERROR_GENERAL;
    if (Buffer && BufferLength > 0)
        std::memcpy(Buffer, Data, std::min<size_t>(Bytes, BufferLength));
    return static_cast<LONG>(Bytes);
}

} // namespace

HIMC ImmGetContext(HWND Wnd)
{
    if (!FindControl(Wnd))
        return nullptr;
    TInputContextTag& context = Context();
    if (context.Wnd != Wnd) {
        context = TInputContextTag();
        context.Wnd = Wnd;
    }
    return &context;
}

bool ImmReleaseContext(HWND Wnd, HIMC Context)
{
    return Context && Context->Wnd == Wnd;
}

LONG ImmGetCompositionStringW(HIMC Context, DWORD Index, void* Buffer, DWORD BufferLength)
{
    const WideString* text = StringOf(Context, Index);
    if (!text)
        return IMM_ERROR_GENERAL;
    if (text->empty())
        return IMM_ERROR_NODATA;
    return CopyOut(text->data(), text->size() * sizeof(WideChar), Buffer, BufferLength);
}

LONG ImmGetCompositionStringA(HIMC Context, DWORD Index, void* Buffer, DWORD BufferLength)
{
    const WideString* text = StringOf(Context, Index);
    if (!text)
        return IMM_ERROR_GENERAL;
    if (text->empty())
        return IMM_ERROR_NODATA;
    const AnsiString ansi = WideToAnsi(*text);
    return CopyOut(ansi.data(), ansi.size(), Buffer, BufferLength);
}

void DeliverInputMethodEvent(TWinControl* Control, QEvent* Event)
{
    auto* input = static_cast<QInputMethodEvent*>(Event);
    const HWND wnd = Control->Handle();
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

void DefaultImeComposition(TWinControl* Control, TMessage& Message)
{
    // The composed text becomes typed characters.
    if (!(Message.LParam & GCS_RESULTSTR))
        return;
    const HWND wnd = Control->Handle();
    HIMC context = ImmGetContext(wnd);
    const WideString text = context ? context->Result : WideString();
    for (WideChar unit : text) {
        TWinControl* control = FindControl(wnd);
        if (!control)
            return;
        control->Perform(WM_CHAR, unit, 1);
    }
}
