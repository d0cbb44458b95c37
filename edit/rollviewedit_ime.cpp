// TCustomRollViewEdit: input methods. Committed text takes the road of typed
// text (BeforeChange, then typing or an insertion); the text still being
// composed is painted at the caret over the document, in the current text
// style, and is neither part of the document nor of its undo. The input
// method is told where the caret is and which font it writes in.
#include <algorithm>

#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "platform/controls/imm.h"
#include "platform/graphics/canvas.h"

namespace {

// A composition string of the context (GCS_COMPSTR or GCS_RESULTSTR); empty when none.
WideString CompositionString(HIMC context, DWORD index)
{
    const LONG bytes = ImmGetCompositionStringW(context, index, nullptr, 0);
    if (bytes <= 0)
        return WideString();
    WideString text(static_cast<size_t>(bytes) / 2, WideChar(0));
    ImmGetCompositionStringW(context, index, &text[0], static_cast<DWORD>(text.size() * 2));
    // Cut at the first zero unit.
    const size_t zero = text.find(WideChar(0));
    if (zero != WideString::npos)
        text.resize(zero);
    return text;
}

bool HasBreaks(const WideString& text)
{
    return std::any_of(text.begin(), text.end(), [](WideChar c) {
        return c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\v' || c == 0x2028 || c == 0x2029;
    });
}

} // namespace

void TCustomRollViewEdit::TellInputMethod()
{
    if (!Style() || !HandleAllocated())
        return;
    HIMC context = ImmGetContext(Handle());
    if (!context)
        return;
    TRVEditRVData* d = EditRVData();
    const TFontInfo* font = Style()->TextStyles()->Items(d->CurTextStyleNo);
    TLogFont logFont;
    font->AssignToLogFont(logFont, Canvas());
    ImmSetCompositionFontA(context, &logFont);
    // The area the composed text may take: the client area within the margins
    // and the current paragraph's indents; the point: the caret.
    const TParaInfo* para = Style()->ParaStyles()->Items(d->CurParaStyleNo);
    COMPOSITIONFORM form;
    form.dwStyle = CFS_RECT;
    form.rcArea = ClientRect();
    form.rcArea.Left += LeftMargin() + para->LeftIndent();
    form.rcArea.Right -= RightMargin() + para->RightIndent();
    form.ptCurrentPos = TPoint{FCaretRect.Left, FCaretRect.Top};
    ImmSetCompositionWindow(context, &form);
    ImmReleaseContext(Handle(), context);
}

void TCustomRollViewEdit::WMImeStartComposition(TMessage& message)
{
    if (!Style()) {
        TCustomRollView::Dispatch(message);
        return;
    }
    message.Result = 1;
    BeforeUnicode();
    TellInputMethod();
}

void TCustomRollViewEdit::WMImeComposition(TMessage& message)
{
    if (!Style() || !HandleAllocated()) {
        TCustomRollView::Dispatch(message);
        return;
    }
    HIMC context = ImmGetContext(Handle());
    if (message.LParam & GCS_RESULTSTR) {
        const WideString text = CompositionString(context, GCS_RESULTSTR);
        ImmReleaseContext(Handle(), context);
        SetComposition(WideString(), 0);
        message.Result = 0;
        // Committed text is typed text: refused as typing is, with one beep.
        if (text.empty() || !BeforeChange(false))
            return;
        TypeCommitted(text);
        return;
    }
    if (message.LParam & GCS_COMPSTR) {
        const WideString text = CompositionString(context, GCS_COMPSTR);
        const LONG cursor = ImmGetCompositionStringW(context, GCS_CURSORPOS, nullptr, 0);
        ImmReleaseContext(Handle(), context);
        SetComposition(text, cursor < 0 ? static_cast<int>(text.size()) : static_cast<int>(cursor));
        message.Result = 0;
        return;
    }
    ImmReleaseContext(Handle(), context);
    TCustomRollView::Dispatch(message);
}

void TCustomRollViewEdit::TypeCommitted(const WideString& text)
{
    // A word committed whole is one insertion; text with breaks or tabs is
    // inserted as any text is. A single character is typing.
    if (HasBreaks(text)) {
        InsertInGroup([&] { return EditRVData()->InsertTextW_(RVU_GetRawUnicode(text), false); });
        return;
    }
    TypeText(text);
}

void TCustomRollViewEdit::SetComposition(const WideString& text, int cursor)
{
    if (text == FComposition && cursor == FCompositionCursor)
        return;
    InvalidateComposition();
    FComposition = text;
    FCompositionCursor = std::clamp(cursor, 0, static_cast<int>(text.size()));
    InvalidateComposition();
}

TRect TCustomRollViewEdit::CompositionRect()
{
    if (FComposition.empty() || !Style())
        return TRect();
    // Measured where the document is measured.
    TCanvas* c = GetFormattingCanvas();
    Style()->TextStyles()->Items(CurTextStyleNo())->Apply(c, BiDiMode());
    TSize size;
    c->GetTextExtentPoint32W(FComposition.data(), static_cast<int>(FComposition.size()), size);
    const int height = std::max(size.cy, FCaretRect.Height());
    return Rect(FCaretRect.Left, FCaretRect.Top, FCaretRect.Left + size.cx + 1, FCaretRect.Top + height + 1);
}

void TCustomRollViewEdit::InvalidateComposition()
{
    if (!HandleAllocated() || FComposition.empty())
        return;
    const TRect r = CompositionRect();
    if (r.Width() > 0 && r.Height() > 0)
        InvalidateRect(r, false);
}

bool TCustomRollViewEdit::PaintComposition(TCanvas* c)
{
    if (FComposition.empty() || !Style())
        return false;
    const TRect r = CompositionRect();
    const TFontInfo* font = Style()->TextStyles()->Items(CurTextStyleNo());
    // Over the document: the window's colour behind the text, a line under it,
    // and the input method's cursor as the caret.
    c->Brush()->SetColor(GetColor());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    font->Apply(c, BiDiMode());
    c->Font()->SetColor(font->Color());
    c->Brush()->SetStyle(bsClear);
    c->TextOutW(r.Left, r.Top, FComposition.data(), static_cast<int>(FComposition.size()));
    c->Pen()->SetColor(clWindowText);
    c->Pen()->SetStyle(psDot);
    c->MoveTo(r.Left, r.Bottom - 1);
    c->LineTo(r.Right - 1, r.Bottom - 1);
    c->Pen()->SetStyle(psSolid);
    TCanvas* measure = GetFormattingCanvas();
    font->Apply(measure, BiDiMode());
    TSize before;
    measure->GetTextExtentPoint32W(FComposition.data(), FCompositionCursor, before);
    if (FCaretVisible && TWinControl::Focused()) {
        c->Brush()->SetColor(clWindowText);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(Rect(r.Left + before.cx, r.Top, r.Left + before.cx + FCaretRect.Width(), r.Bottom - 1));
    }
    return true;
}
