// Painting the laid-out document: paragraph backgrounds and borders, text
// backgrounds, page breaks, checkpoints, items and text with the selection
// and the hyperlink hover; and asking the parent control to repaint.
#include <algorithm>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "view/crvfdata.h"
#include "view/rvback.h"
#include "view/rvscroll.h"

namespace {

// What one PaintTo call works with, so that the steps can be separate functions.
struct TRVPaintContext {
    TCanvas* Canvas;
    TRVStyle* Style;
    TRect ClipRect;
    TRect DocClip; // ClipRect in document coordinates
    int XShift;    // a document point (x, y) is painted at (x - XShift, y - YShift)
    int YShift;
    int StartNo, EndNo, StartOffs, EndOffs; // the selection, normalised
    TRVTextDrawStates BaseTextState;
    TRVItemDrawStates BaseItemState;
    TWinControl* Control;
    int ControlWidth; // where the marks of checkpoints and page breaks end
    TRVOptions Options;
    int First;
    int Last;
};

// Whether draw item i is the first of its item's draw items.
bool StartsItem(const TRVDrawLines& DrawItems, int i)
{
    return i == 0 || DrawItems.Get(i - 1)->ItemNo != DrawItems.Get(i)->ItemNo;
}

// One text draw item (or its selected part) being painted.
struct TRVTextPiece {
    const TRVDrawLineInfo* dli;
    int StyleNo;
    TRVBiDiMode ItemBiDi;
    bool Hover;
};

} // namespace

// ---------------------------------------------------------------------------
// Repainting requests

void TCustomRVFormattedData::Invalidate()
{
    if (TWinControl* Control = GetParentControl())
        Control->Invalidate();
}

void TCustomRVFormattedData::Refresh()
{
    if (TWinControl* Control = GetParentControl())
        Control->Refresh();
}

void TCustomRVFormattedData::UpdateView()
{
    if (TWinControl* Control = GetParentControl())
        Control->Update();
}

void TCustomRVFormattedData::InvalidateRect(const TRect& R)
{
    TWinControl* Control = GetParentControl();
    if (Control != nullptr && Control->HandleAllocated())
        Control->InvalidateRect(R, false);
}

void TCustomRVFormattedData::InvalidateJumpRect(int JumpID)
{
    TRVStyle* Style = GetRVStyle();
    if (Style != nullptr && Style->FullRedraw()) {
        Invalidate();
    } else {
        const int HOffs = GetZHOffs();
        const int VOffs = GetZVOffs();
        // A margin of 5 pixels around each rectangle of the hyperlink.
        for (int i = 0; i < Jumps.Count(); ++i) {
            const auto* Jump = static_cast<const TRVJumpInfo*>(Jumps.Get(i));
            if (Jump->Id != JumpID)
                continue;
            const int Left = Jump->Left - HOffs - 5;
            const int Top = Jump->Top - VOffs - 5;
            InvalidateRect(Bounds(Left, Top, Jump->Width + 10, Jump->Height + 10));
        }
    }
    UpdateView();
}

void TCustomRVFormattedData::MouseLeave()
{
    if (!GetFlags().Contains(rvflUseJumps))
        return;
    const int Id = HoverJumpData != nullptr ? HoverJumpData->HoverJumpId : -1;
    ClearLastJump();
    if (Id != -1)
        InvalidateJumpRect(Id);
}

// ---------------------------------------------------------------------------
// Hooks

void TCustomRVFormattedData::PostPaintTo(TCanvas* Canvas, int XShift, int YShift, int FirstDrawItem,
                                         int LastDrawItem)
{
    (void)Canvas;
    (void)XShift;
    (void)YShift;
    (void)FirstDrawItem;
    (void)LastDrawItem;
}

void TCustomRVFormattedData::DrawBackground(TCanvas* Canvas, const TRect& Rect)
{
    if (TRVBackground* Background = GetBackground())
        Background->Draw(Canvas, Rect, GetHOffs(), GetVOffs(), 0, 0, GetWidth(), GetHeight(), GetColor(),
                         false);
}

// ---------------------------------------------------------------------------
// PaintTo

namespace {

// The steps of one PaintTo call, in the order they paint. The painter keeps
// the text style last applied to the canvas from one draw item to the next.
class TRVPainter {
public:
    TRVPainter(TCustomRVFormattedData* AData, TRVPaintContext& AContext) : Data(AData), C(AContext) {}

    void ParagraphDecorations();
    void TextBackgrounds();
    void SoftPageBreaks();
    void Items();
    void PendingCheckpoint();

private:
    TCustomRVFormattedData* Data;
    TRVPaintContext& C;
    int LastStyle = -1;
    TRVBiDiMode LastParaBiDi = rvbdUnspecified;
    TRVBiDiMode ItemBiDi = rvbdUnspecified;

    bool Hovered(const TCustomRVItemInfo* Item) const
    {
        return Data->State.Contains(rvstDrawHover) && Data->HoverJumpId != -1 &&
               Data->HoverJumpId == Item->JumpID;
    }
    void DrawParagraph(int& i, bool& PastBottom);
    void NonTextItem(int i, TCustomRVItemInfo* Item);
    void TextItem(int i, TCustomRVItemInfo* Item);
    void DrawTextPiece(const TRVTextPiece& Piece, int X, int Width, const AnsiString& Text, int Offset,
                       bool Selected, bool StartsDrawItem, bool EndsDrawItem, bool WidthHasSpace);
};

// Walks from the first draw item of the paragraph that holds the first
// visible one to the first line start below the clip, drawing the background
// and border of every paragraph that has one, and cuts the painted range there.
void TRVPainter::ParagraphDecorations()
{
    const TRVDrawLines& DI = Data->DrawItems;
    const int Count = DI.Count();
    int i = C.First;
    while (i > 0 && (!StartsItem(DI, i) || !Data->GetItem(DI.Get(i)->ItemNo)->CanBeBorderStart()))
        --i;
    bool PastBottom = false;
    while (i < Count) {
        if (PastBottom && DI.Get(i)->FromNewLine) {
            C.Last = std::min(C.Last, i);
            break;
        }
        DrawParagraph(i, PastBottom);
        if (DI.Get(i - 1)->Top > C.DocClip.Bottom)
            PastBottom = true;
    }
}

// Draws the decorations of the paragraph starting at draw item i, if any, and
// moves i past what it looked at.
void TRVPainter::DrawParagraph(int& i, bool& PastBottom)
{
    const TRVDrawLines& DI = Data->DrawItems;
    const int Count = DI.Count();
    const TRVDrawLineInfo* dli = DI.Get(i);
    const TCustomRVItemInfo* Item = Data->GetItem(dli->ItemNo);
    const TParaInfo* Para = C.Style->ParaStyles()->Items(Item->ParaNo);
    if (!Item->CanBeBorderStart() || Item->StyleNo == rvsBreak ||
        (Para->Border()->Style() == rvbNone && Para->Background()->Color() == clNone &&
         !C.Style->OnDrawParaBack)) {
        ++i;
        return;
    }

    int Left = Data->GetLeftMargin() + Para->LeftIndent() + std::min(Para->FirstIndent(), 0);
    int Right;
    if (C.Options.Contains(rvoClientTextWidth))
        Right = Data->GetWidth() - (Data->GetRightMargin() + Para->RightIndent());
    else if (Data->GetMaxTextWidth() > 0)
        Right = Data->GetLeftMargin() + Data->GetMaxTextWidth() - Para->RightIndent();
    else
        Right = Data->GetAreaWidth() - (Data->GetRightMargin() + Para->RightIndent());
    int Top = dli->Top;
    int Bottom = dli->Top + dli->Height + dli->ExtraSpaceBelow;
    Right = std::max(Right, dli->Left + dli->Width);
    int j = i + 1;
    for (; j < Count; ++j) {
        const TRVDrawLineInfo* d = DI.Get(j);
        if (d->ItemNo != DI.Get(j - 1)->ItemNo && Data->GetItem(d->ItemNo)->CanBeBorderStart())
            break;
        Top = std::min(Top, d->Top);
        Bottom = std::max(Bottom, d->Top + d->Height + d->ExtraSpaceBelow);
        Right = std::max(Right, d->Left + d->Width);
        if (d->FromNewLine && PastBottom)
            C.Last = std::min(C.Last, j);
        if (d->Top > C.DocClip.Bottom && Data->GetMaxTextWidth() == 0)
            PastBottom = true;
    }
    i = j;

    const TRect R = Rect(Left - C.XShift, Top - C.YShift, Right - C.XShift, Bottom - C.YShift);
    TRect BackRect = R;
    Para->Background()->PrepareDraw(BackRect);
    C.Style->DrawParaBack(C.Canvas, Item->ParaNo, BackRect, false, rvcmColor);
    Para->Border()->Draw(R, C.Canvas);
}

void TRVPainter::TextBackgrounds()
{
    if (!C.Style->OnDrawTextBack)
        return;
    for (int i = C.First; i <= C.Last; ++i) {
        const TRVDrawLineInfo* dli = Data->DrawItems.Get(i);
        const TCustomRVItemInfo* Item = Data->GetItem(dli->ItemNo);
        if (Item->StyleNo < 0)
            continue;
        TRVTextDrawStates State;
        if (C.Style->TextStyles()->Items(Item->StyleNo)->Jump() && Hovered(Item))
            State.Include(rvtsHover);
        C.Style->DrawTextBack(C.Canvas, dli->ItemNo, Item->StyleNo, Data, dli->Left - C.XShift,
                              dli->Top - C.YShift, dli->Width, dli->Height, State);
    }
}

void TRVPainter::SoftPageBreaks()
{
    const TRVSoftPageBreakList* Breaks = Data->SoftPageBreaks.get();
    if (Breaks == nullptr || !C.Options.Contains(rvoShowPageBreaks) || C.First > C.Last)
        return;
    // The first break at or after the first painted item (the list is in item order).
    const int FirstItem = Data->DrawItems.Get(C.First)->ItemNo;
    int Lo = 0;
    int Hi = Breaks->Count();
    while (Lo < Hi) {
        const int Mid = (Lo + Hi) / 2;
        if (Breaks->Get(Mid)->ItemNo < FirstItem)
            Lo = Mid + 1;
        else
            Hi = Mid;
    }
    for (int k = Lo; k < Breaks->Count(); ++k) {
        const TRVSoftPageBreakInfo* Break = Breaks->Get(k);
        if (Break->ItemNo < 0 || Break->ItemNo >= Data->GetItemCount())
            break;
        int DrawItemNo, DrawOffs;
        Data->Item2DrawItem(Break->ItemNo, Break->OffsetInItem, DrawItemNo, DrawOffs);
        if (DrawItemNo > C.Last || DrawItemNo < 0)
            break;
        const int Extra =
            Break->ExtraData >= 0 ? Data->GetItem(Break->ItemNo)->GetSoftPageBreakDY(Break->ExtraData) : 0;
        if (DrawItemNo == 0 && Extra == 0)
            continue;
        C.Style->DrawPageBreak(C.Canvas, Data->DrawItems.Get(DrawItemNo)->Top - C.YShift - 1 + Extra,
                               C.XShift, rvpbSoftPageBreak, C.Control, C.ControlWidth);
    }
}

void TRVPainter::Items()
{
    const TRVDrawLines& DI = Data->DrawItems;
    for (int i = C.First; i <= C.Last; ++i) {
        const TRVDrawLineInfo* dli = DI.Get(i);
        TCustomRVItemInfo* Item = Data->GetItem(dli->ItemNo);
        const bool ItemStart = StartsItem(DI, i);
        if (ItemStart && Item->GetPageBreakBefore() && C.Options.Contains(rvoShowPageBreaks))
            C.Style->DrawPageBreak(C.Canvas, dli->Top - C.YShift - 1, C.XShift, rvpbPageBreak, C.Control,
                                   C.ControlWidth);
        if (ItemStart && Item->Checkpoint != nullptr && C.Options.Contains(rvoShowCheckpoints))
            C.Style->DrawCheckpoint(C.Canvas, dli->Left - C.XShift, dli->Top - C.YShift, dli->ItemNo,
                                    C.XShift, Item->Checkpoint->RaiseEvent, C.Control, C.ControlWidth);
        if (Item->StyleNo < 0)
            NonTextItem(i, Item);
        else
            TextItem(i, Item);
    }
}

void TRVPainter::NonTextItem(int i, TCustomRVItemInfo* Item)
{
    TRVDrawLineInfo* dli = Data->DrawItems.Get(i);
    TRVItemDrawStates State = C.BaseItemState;
    // Offset 0 is before the item, 1 after it: a selection that ends before
    // it or starts after it leaves it out.
    const bool InSelection = C.StartNo <= i && i <= C.EndNo && !(i == C.EndNo && C.EndOffs == 0) &&
                             !(i == C.StartNo && C.StartOffs == 1);
    if (InSelection || Data->State.Contains(rvstCompletelySelected))
        State.Include(rvidsSelected);
    if (Hovered(Item))
        State.Include(rvidsHover);
    if (Item == Data->CurrentItem)
        State.Include(rvidsCurrent);
    if (!Item->GetBoolValue(rvbpFullWidth)) {
        Item->Paint(dli->Left - C.XShift, dli->Top - C.YShift, C.Canvas, State, C.Style, dli);
    } else {
        int W = C.Options.Contains(rvoClientTextWidth) ? Data->GetWidth() : Data->GetAreaWidth();
        const int MaxW = Data->GetMaxTextWidth();
        if (MaxW > 0)
            W = std::min(W, MaxW + Data->GetLeftMargin() + Data->GetRightMargin());
        const TRect Clip = Rect(0, 0, C.ClipRect.Width(), C.ClipRect.Height());
        Item->PaintFullWidth(dli->Left - C.XShift, W - Data->GetRightMargin() - C.XShift, dli->Top - C.YShift,
                             C.Canvas, State, C.Style, Clip, dli);
    }
    if (Item->GetBoolValue(rvbpDrawingChangesFont))
        LastStyle = -1;
}

void TRVPainter::TextItem(int i, TCustomRVItemInfo* Item)
{
    const TRVDrawLineInfo* dli = Data->DrawItems.Get(i);
    const TFontInfo* TextStyle = C.Style->TextStyles()->Items(Item->StyleNo);
    // The font is applied again only when the style or the paragraph's
    // direction (which selects the font's reading order) changes.
    const TRVBiDiMode ParaBiDi = Data->GetParaBiDiMode(Item->ParaNo);
    if (Item->StyleNo != LastStyle || ParaBiDi != LastParaBiDi) {
        LastStyle = Item->StyleNo;
        LastParaBiDi = ParaBiDi;
        ItemBiDi = Data->GetItemBiDiMode(dli->ItemNo);
        C.Style->ApplyStyle(C.Canvas, Item->StyleNo, ParaBiDi);
    }
    const TRVTextPiece Piece{dli, Item->StyleNo, ItemBiDi, TextStyle->Jump() && Hovered(Item)};
    // The text as the item holds it now: a draw item laid out for a longer
    // text is cut to what is there.
    const AnsiString Text = Data->DrawItems.GetString(i, Data->Items);
    const int Length = RVU_Length(Text, Item->ItemOptions);
    const bool All = Data->State.Contains(rvstCompletelySelected);

    if (!All && (i < C.StartNo || i > C.EndNo)) {
        DrawTextPiece(Piece, dli->Left, dli->Width, Text, 1, false, true, true, true);
        return;
    }
    const bool FromStart = C.StartNo < i || (C.StartNo == i && C.StartOffs <= 1);
    const bool ToEnd = C.EndNo > i || (C.EndNo == i && C.EndOffs > Length);
    if (All || (FromStart && ToEnd)) {
        DrawTextPiece(Piece, dli->Left, dli->Width, Text, 1, true, true, true, true);
        return;
    }

    // Partly selected: the whole draw item, then the selected characters over it.
    DrawTextPiece(Piece, dli->Left, dli->Width, Text, 1, false, true, true, true);
    const int From = (i == C.StartNo && C.StartOffs > 1) ? C.StartOffs : 1;
    const int To = (i == C.EndNo && Length >= C.EndOffs) ? C.EndOffs - 1 : Length;
    if (From > To)
        return;
    const AnsiString Caps = RV_ReturnCapitalized(Text, TextStyle);
    if (ItemBiDi != rvbdUnspecified) {
        TRVTextDrawStates State;
        State.Include(rvtsSelected);
        if (Piece.Hover)
            State.Include(rvtsHover);
        C.Style->ApplyStyleColor(C.Canvas, Item->StyleNo, State, false, rvcmColor);
        if (RVU_DrawSelectedTextEx(dli->Left + dli->SpaceBefore - C.XShift, dli->Top - C.YShift, dli->Height,
                                   Caps, C.Canvas, From, To, Item->ItemOptions, ItemBiDi))
            return;
    }
    const int Prefix =
        From > 1 ? RVU_TextWidth(RVU_Copy(Caps, 1, From - 1, Item->ItemOptions), C.Canvas, Item->ItemOptions)
                 : 0;
    const AnsiString Selected = RVU_Copy(Caps, From, To - From + 1, Item->ItemOptions);
    // Only a custom text drawing is told the piece's width.
    const int Width = C.Style->OnDrawStyleText ? RVU_TextWidth(Selected, C.Canvas, Item->ItemOptions) : 0;
    DrawTextPiece(Piece, dli->Left + Prefix, Width, Selected, From, true, From <= 1, To >= Length, false);
}

void TRVPainter::DrawTextPiece(const TRVTextPiece& Piece, int X, int Width, const AnsiString& Text,
                               int Offset, bool Selected, bool StartsDrawItem, bool EndsDrawItem,
                               bool WidthHasSpace)
{
    const TRVDrawLineInfo* dli = Piece.dli;
    TRVTextDrawStates State = C.BaseTextState;
    if (Selected)
        State.Include(rvtsSelected);
    if (Piece.Hover)
        State.Include(rvtsHover);
    if (C.Style->OnDrawStyleText) {
        if (StartsDrawItem) {
            State.Include(rvtsDrawItemStart);
            if (dli->Offs == 1)
                State.Include(rvtsItemStart);
        }
        if (EndsDrawItem) {
            State.Include(rvtsDrawItemEnd);
            if (Data->ItemLength(dli->ItemNo) == dli->Offs + dli->Length - 1)
                State.Include(rvtsItemEnd);
        }
    }
    C.Style->ApplyStyleColor(C.Canvas, Piece.StyleNo, State, false, rvcmColor);
    int SpaceBefore;
    int Left;
    if (StartsDrawItem) {
        SpaceBefore = dli->SpaceBefore;
        Left = X;
        if (!WidthHasSpace)
            Width += SpaceBefore;
    } else {
        SpaceBefore = 0;
        Left = X + dli->SpaceBefore;
        if (WidthHasSpace)
            Width -= dli->SpaceBefore;
    }
    C.Style->DrawStyleText(Text, C.Canvas, dli->ItemNo, dli->Offs + Offset - 1, Piece.StyleNo, Data,
                           SpaceBefore, Left - C.XShift, dli->Top - C.YShift, Width, dli->Height, State,
                           false, false, rvcmColor, Piece.ItemBiDi);
}

void TRVPainter::PendingCheckpoint()
{
    if (Data->NotAddedCP != nullptr && C.Options.Contains(rvoShowCheckpoints))
        C.Style->DrawCheckpoint(C.Canvas, -1, Data->DocumentHeight - C.YShift, -1, C.XShift,
                                Data->NotAddedCP->RaiseEvent, C.Control, C.ControlWidth);
}

} // namespace

void TCustomRVFormattedData::PaintTo(TCanvas* Canvas, const TRect& ClipRect)
{
    TRVStyle* Style = GetRVStyle();
    if (Style == nullptr)
        return;
    TRVPaintContext C;
    C.Canvas = Canvas;
    C.Style = Style;
    C.ClipRect = ClipRect;
    const int HOffs = GetZHOffs();
    const int VOffs = GetZVOffs();
    C.XShift = HOffs + ClipRect.Left;
    C.YShift = VOffs + ClipRect.Top;
    C.DocClip = ClipRect;
    OffsetRect(C.DocClip, HOffs, VOffs);
    GetSelBounds(C.StartNo, C.EndNo, C.StartOffs, C.EndOffs, true);
    C.Control = GetParentControl();
    C.ControlWidth = C.Control != nullptr ? C.Control->ClientWidth() : GetWidth();
    C.Options = GetOptions();
    auto* Scroller = dynamic_cast<TRVScroller*>(C.Control);
    if (Scroller != nullptr && Scroller->FocusedEx()) {
        C.BaseTextState.Include(rvtsControlFocused);
        C.BaseItemState.Include(rvidsControlFocused);
    }
    Canvas->Brush()->SetStyle(bsClear);
    C.First = GetFirstVisible(C.DocClip.Top);
    C.Last = DrawItems.Count() - 1;

    TRVPainter Painter(this, C);
    Painter.ParagraphDecorations();
    Painter.TextBackgrounds();
    Painter.SoftPageBreaks();
    Painter.Items();
    Painter.PendingCheckpoint();
    PostPaintTo(Canvas, C.XShift, C.YShift, C.First, C.Last);
}
