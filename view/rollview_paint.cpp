// TCustomRollView painting: the document through the root data's buffered
// painting, the message shown without a style sheet, the colours the document
// is painted in, redrawing an in-place editor, and the vertical scroll unit.
#include "document/rvstyle.h"
#include "platform/graphics/canvas.h"
#include "view/rollview.h"

void TCustomRollView::Paint()
{
    TCanvas* C = Canvas();
    if (!FStyle) {
        PaintNoStyleMessage(C);
        return;
    }
    // The overlay a table draws while a border is dragged is taken away and
    // drawn again over the new pixels.
    const bool HadXor = RVData->ClearXorDrawing();
    RVData->PaintBuffered(C);
    if (OnPaint)
        OnPaint(this, C, false);
    if (HadXor)
        RVData->XorDrawing();
}

void TCustomRollView::PaintNoStyleMessage(TCanvas* C)
{
    C->Brush()->SetColor(GetColor());
    C->Brush()->SetStyle(bsSolid);
    C->Pen()->SetColor(Ctl3D() ? clWindow : clWindowText);
    C->Font()->SetColor(clWindowText);
    C->Font()->SetName("MS Sans Serif");
    C->Font()->SetSize(8);
    C->Font()->SetStyle(TFontStyles());
    C->FillRect(C->ClipRect());
    const AnsiString Text =
        "Style is not defined\rCreate a TRVStyle object and assign it to " + Name() + ".Style";
    TRect R = ClientRect();
    C->DrawTextA(Text.c_str(), static_cast<int>(Text.size()), R, DT_WORDBREAK);
    if (!Ctl3D()) {
        C->Brush()->SetColor(clWindowText);
        C->FrameRect(ClientRect());
    }
}

TColor TCustomRollView::GetColor()
{
    if (Color() != clNone)
        return Color();
    return FStyle ? FStyle->Color() : clWindow;
}

TColor TCustomRollView::GetHoverColor(TColor AColor)
{
    if (AColor != clNone)
        return AColor;
    return FStyle ? FStyle->HoverColor() : clNone;
}

bool TCustomRollView::SelectionColorsDiffer() const
{
    return FStyle && (FStyle->SelColor() != FStyle->InactiveSelColor() ||
                      FStyle->SelTextColor() != FStyle->InactiveSelTextColor());
}

bool TCustomRollView::CompareTags(const TRVTag& Tag1, const TRVTag& Tag2)
{
    return RV_CompareTags(Tag1, Tag2, FOptions.Contains(rvoTagsArePChars));
}

void TCustomRollView::InplaceRedrawing(bool AllowRedrawItself)
{
    if (AllowRedrawItself)
        Refresh();
    if (FullRedrawOnScroll())
        if (auto* Editor = dynamic_cast<TCustomRollView*>(GetInplaceEditor()))
            Editor->InplaceRedrawing(true);
}

void TCustomRollView::SetVSmallStep(int Value)
{
    // The positions are 32-bit: any step that keeps the document's height in
    // units within them is taken.
    if (Value <= 0 || static_cast<int64_t>(RVData->DocumentHeight) / Value > TRollViewRVData::MaxVScrollUnits)
        return;
    TRVScroller::SetVSmallStep(Value);
}
