// TCustomRollView painting: the document through the root data's buffered
// painting, the message shown without a style sheet, the colours the document
// is painted in, redrawing an in-place editor, and the vertical scroll unit.
#include "document/rvstyle.h"
#include "platform/graphics/canvas.h"
#include "view/rollview.h"

void TCustomRollView::Paint()
{
    TCanvas* c = Canvas();
    if (!FStyle) {
        PaintNoStyleMessage(c);
        return;
    }
    // The overlay a table draws while a border is dragged is taken away and
    // drawn again over the new pixels.
    const bool hadXor = RVData->ClearXorDrawing();
    RVData->PaintBuffered(c);
    if (OnPaint)
        OnPaint(this, c, false);
    if (hadXor)
        RVData->XorDrawing();
}

void TCustomRollView::PaintNoStyleMessage(TCanvas* c)
{
    c->Brush()->SetColor(GetColor());
    c->Brush()->SetStyle(bsSolid);
    c->Pen()->SetColor(Ctl3D() ? clWindow : clWindowText);
    c->Font()->SetColor(clWindowText);
    c->Font()->SetName("MS Sans Serif");
    c->Font()->SetSize(8);
    c->Font()->SetStyle(TFontStyles());
    c->FillRect(c->ClipRect());
    const AnsiString text =
        "Style is not defined\rCreate a TRVStyle object and assign it to " + Name() + ".Style";
    TRect r = ClientRect();
    c->DrawTextA(text.c_str(), static_cast<int>(text.size()), r, DT_WORDBREAK);
    if (!Ctl3D()) {
        c->Brush()->SetColor(clWindowText);
        c->FrameRect(ClientRect());
    }
}

TColor TCustomRollView::GetColor()
{
    if (Color() != clNone)
        return Color();
    return FStyle ? FStyle->Color() : clWindow;
}

TColor TCustomRollView::GetHoverColor(TColor aColor)
{
    if (aColor != clNone)
        return aColor;
    return FStyle ? FStyle->HoverColor() : clNone;
}

bool TCustomRollView::SelectionColorsDiffer() const
{
    return FStyle && (FStyle->SelColor() != FStyle->InactiveSelColor() ||
                      FStyle->SelTextColor() != FStyle->InactiveSelTextColor());
}

bool TCustomRollView::CompareTags(const TRVTag& tag1, const TRVTag& tag2)
{
    return RV_CompareTags(tag1, tag2, FOptions.Contains(rvoTagsArePChars));
}

void TCustomRollView::InplaceRedrawing(bool allowRedrawItself)
{
    if (allowRedrawItself)
        Refresh();
    if (FullRedrawOnScroll())
        if (auto* editor = dynamic_cast<TCustomRollView*>(GetInplaceEditor()))
            editor->InplaceRedrawing(true);
}

void TCustomRollView::SetVSmallStep(int value)
{
    // The positions are 32-bit: any step that keeps the document's height in
    // units within them is taken.
    if (value <= 0 || static_cast<int64_t>(RVData->DocumentHeight) / value > TRollViewRVData::MaxVScrollUnits)
        return;
    TRVScroller::SetVSmallStep(value);
}
