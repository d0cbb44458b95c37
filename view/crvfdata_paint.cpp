// Painting the laid-out document: paragraph backgrounds and borders, text
// backgrounds, page breaks, checkpoints, items and text with the selection
// and the hyperlink hover; and asking the parent control to repaint.
#include <algorithm>
#include <cstdint>
#include <string_view>

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
    // The document's last line when the layout's note of it holds (-1 when
    // not known), and the part of it that may show: its draw items from
    // ShownFrom to ShownTo besides its first (none when ShownFrom > ShownTo).
    int LastLine = -1;
    int ShownFrom = 0;
    int ShownTo = -1;
};

// Whether draw item i is the first of its item's draw items.
bool StartsItem(const TRVDrawLines& drawItems, int i)
{
    return i == 0 || drawItems.Get(i - 1)->ItemNo != drawItems.Get(i)->ItemNo;
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
    if (TWinControl* control = GetParentControl())
        control->Invalidate();
}

void TCustomRVFormattedData::Refresh()
{
    if (TWinControl* control = GetParentControl())
        control->Refresh();
}

void TCustomRVFormattedData::UpdateView()
{
    if (TWinControl* control = GetParentControl())
        control->Update();
}

void TCustomRVFormattedData::InvalidateRect(const TRect& r)
{
    TWinControl* control = GetParentControl();
    if (control != nullptr && control->HandleAllocated())
        control->InvalidateRect(r, false);
}

void TCustomRVFormattedData::InvalidateJumpRect(int jumpId)
{
    TRVStyle* style = GetRVStyle();
    if (style != nullptr && style->FullRedraw()) {
        Invalidate();
    } else {
        const int hOffs = GetZHOffs();
        const int vOffs = GetZVOffs();
        // A margin of 5 pixels around each rectangle of the hyperlink.
        for (int i = 0; i < Jumps.Count(); ++i) {
            const auto* jump = static_cast<const TRVJumpInfo*>(Jumps.Get(i));
            if (jump->Id != jumpId)
                continue;
            const int left = jump->Left - hOffs - 5;
            const int top = jump->Top - vOffs - 5;
            InvalidateRect(Bounds(left, top, jump->Width + 10, jump->Height + 10));
        }
    }
    UpdateView();
}

void TCustomRVFormattedData::MouseLeave()
{
    if (!GetFlags().Contains(rvflUseJumps))
        return;
    const int id = HoverJumpData != nullptr ? HoverJumpData->HoverJumpId : -1;
    ClearLastJump();
    if (id != -1)
        InvalidateJumpRect(id);
}

// ---------------------------------------------------------------------------
// Hooks

void TCustomRVFormattedData::PostPaintTo(TCanvas* canvas, int xShift, int yShift, int firstDrawItem,
                                         int lastDrawItem)
{
    (void)canvas;
    (void)xShift;
    (void)yShift;
    (void)firstDrawItem;
    (void)lastDrawItem;
}

void TCustomRVFormattedData::DrawBackground(TCanvas* canvas, const TRect& rect)
{
    if (TRVBackground* background = GetBackground())
        background->Draw(canvas, rect, GetHOffs(), GetVOffs(), 0, 0, GetWidth(), GetHeight(), GetColor(),
                         false);
}

// ---------------------------------------------------------------------------
// PaintTo

namespace {

// The steps of one PaintTo call, in the order they paint. The painter keeps
// the text style last applied to the canvas from one draw item to the next.
class TRVPainter {
public:
    TRVPainter(TCustomRVFormattedData* aData, TRVPaintContext& aContext) : Data(aData), C(aContext) {}

    void FindShownPartOfLastLine();
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

    bool Hovered(const TCustomRVItemInfo* item) const
    {
        return Data->State.Contains(rvstDrawHover) && Data->HoverJumpId != -1 &&
               Data->HoverJumpId == item->GetJumpID();
    }
    void DrawParagraph(int& i, bool& pastBottom);
    void NonTextItem(int i, TCustomRVItemInfo* item);
    void TextItem(int i, TCustomRVItemInfo* item);
    bool OutsideHorizontally(const TRVDrawLineInfo* dli) const;
    void DrawTextPiece(const TRVTextPiece& piece, int x, int width, std::string_view text, int offset,
                       bool selected, bool startsDrawItem, bool endsDrawItem, bool widthHasSpace);
};

// Walks from the first draw item of the paragraph that holds the first
// visible one to the first line start below the clip, drawing the background
// and border of every paragraph that has one, and cuts the painted range there.
void TRVPainter::ParagraphDecorations()
{
    const TRVDrawLines& di = Data->DrawItems;
    const int count = di.Count();
    int i = C.First;
    while (i > 0 && (!StartsItem(di, i) || !Data->GetItem(di.Get(i)->ItemNo)->CanBeBorderStart()))
        --i;
    bool pastBottom = false;
    while (i < count) {
        if (pastBottom && di.Get(i)->FromNewLine) {
            C.Last = std::min(C.Last, i);
            break;
        }
        // A paragraph starts a line: past the start of the last line, no
        // paragraph starts and no line follows.
        if (C.LastLine >= 0 && i > C.LastLine)
            break;
        DrawParagraph(i, pastBottom);
        if (di.Get(i - 1)->Top > C.DocClip.Bottom)
            pastBottom = true;
    }
}

// The last line's draw items that may show in the clip, by halves: in a line
// of text pieces that lie left to right both their left and their right
// edges grow from one to the next. The rest lie so far left or right of the
// clip that what their letters reach beyond their cells stays out of it too:
// OutsideHorizontally would pass over each of them.
void TRVPainter::FindShownPartOfLastLine()
{
    int first = -1;
    bool textInOrder = false;
    int maxHeight = 0;
    if (!Data->GetLastLine(first, textInOrder, maxHeight))
        return;
    C.LastLine = first;
    const TRVDrawLines& di = Data->DrawItems;
    const int count = di.Count();
    C.ShownFrom = first + 1;
    C.ShownTo = count - 1;
    // A checkpoint's mark runs across the window from wherever its item
    // lies. (A page break goes only before an item that starts a paragraph,
    // so never before one past the first of a line.)
    if (!textInOrder || (C.Options.Contains(rvoShowCheckpoints) && Data->FirstCP != nullptr))
        return;
    const int64_t margin = 2 * int64_t(maxHeight) + 16;
    auto leftOfClip = [&](int i) {
        const TRVDrawLineInfo* dli = di.Get(i);
        return int64_t(dli->Left) + dli->Width + margin <= C.DocClip.Left;
    };
    auto rightOfClip = [&](int i) { return int64_t(di.Get(i)->Left) - margin >= C.DocClip.Right; };
    int lo = first + 1;
    int hi = count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (leftOfClip(mid))
            lo = mid + 1;
        else
            hi = mid;
    }
    C.ShownFrom = lo;
    hi = count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (rightOfClip(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    C.ShownTo = lo - 1;
}

// Draws the decorations of the paragraph starting at draw item i, if any, and
// moves i past what it looked at.
void TRVPainter::DrawParagraph(int& i, bool& pastBottom)
{
    const TRVDrawLines& di = Data->DrawItems;
    const int count = di.Count();
    const TRVDrawLineInfo* dli = di.Get(i);
    const TCustomRVItemInfo* item = Data->GetItem(dli->ItemNo);
    const TParaInfo* para = C.Style->ParaStyles()->Items(item->ParaNo);
    if (!item->CanBeBorderStart() || item->StyleNo == rvsBreak ||
        (para->Border()->Style() == rvbNone && para->Background()->Color() == clNone &&
         !C.Style->OnDrawParaBack)) {
        ++i;
        return;
    }

    int left = Data->GetLeftMargin() + para->LeftIndent() + std::min(para->FirstIndent(), 0);
    int right;
    if (C.Options.Contains(rvoClientTextWidth))
        right = Data->GetWidth() - (Data->GetRightMargin() + para->RightIndent());
    else if (Data->GetMaxTextWidth() > 0)
        right = Data->GetLeftMargin() + Data->GetMaxTextWidth() - para->RightIndent();
    else
        right = Data->GetAreaWidth() - (Data->GetRightMargin() + para->RightIndent());
    int top = dli->Top;
    int bottom = dli->Top + dli->Height + dli->ExtraSpaceBelow;
    right = std::max(right, dli->Left + dli->Width);
    int j = i + 1;
    for (; j < count; ++j) {
        const TRVDrawLineInfo* d = di.Get(j);
        if (d->ItemNo != di.Get(j - 1)->ItemNo && Data->GetItem(d->ItemNo)->CanBeBorderStart())
            break;
        top = std::min(top, d->Top);
        bottom = std::max(bottom, d->Top + d->Height + d->ExtraSpaceBelow);
        right = std::max(right, d->Left + d->Width);
        if (d->FromNewLine && pastBottom)
            C.Last = std::min(C.Last, j);
        if (d->Top > C.DocClip.Bottom && Data->GetMaxTextWidth() == 0)
            pastBottom = true;
    }
    i = j;

    const TRect r = Rect(left - C.XShift, top - C.YShift, right - C.XShift, bottom - C.YShift);
    TRect backRect = r;
    para->Background()->PrepareDraw(backRect);
    C.Style->DrawParaBack(C.Canvas, item->ParaNo, backRect, false, rvcmColor);
    para->Border()->Draw(r, C.Canvas);
}

void TRVPainter::TextBackgrounds()
{
    if (!C.Style->OnDrawTextBack)
        return;
    for (int i = C.First; i <= C.Last; ++i) {
        const TRVDrawLineInfo* dli = Data->DrawItems.Get(i);
        const TCustomRVItemInfo* item = Data->GetItem(dli->ItemNo);
        if (item->StyleNo < 0)
            continue;
        TRVTextDrawStates state;
        if (C.Style->TextStyles()->Items(item->StyleNo)->Jump() && Hovered(item))
            state.Include(rvtsHover);
        C.Style->DrawTextBack(C.Canvas, dli->ItemNo, item->StyleNo, Data, dli->Left - C.XShift,
                              dli->Top - C.YShift, dli->Width, dli->Height, state);
    }
}

void TRVPainter::SoftPageBreaks()
{
    const TRVSoftPageBreakList* breaks = Data->SoftPageBreaks.get();
    if (breaks == nullptr || !C.Options.Contains(rvoShowPageBreaks) || C.First > C.Last)
        return;
    // The first break at or after the first painted item (the list is in item order).
    const int firstItem = Data->DrawItems.Get(C.First)->ItemNo;
    int lo = 0;
    int hi = breaks->Count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (breaks->Get(mid)->ItemNo < firstItem)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (int k = lo; k < breaks->Count(); ++k) {
        const TRVSoftPageBreakInfo* Break = breaks->Get(k);
        if (Break->ItemNo < 0 || Break->ItemNo >= Data->GetItemCount())
            break;
        int drawItemNo, drawOffs;
        Data->Item2DrawItem(Break->ItemNo, Break->OffsetInItem, drawItemNo, drawOffs);
        if (drawItemNo > C.Last || drawItemNo < 0)
            break;
        const int extra =
            Break->ExtraData >= 0 ? Data->GetItem(Break->ItemNo)->GetSoftPageBreakDY(Break->ExtraData) : 0;
        if (drawItemNo == 0 && extra == 0)
            continue;
        C.Style->DrawPageBreak(C.Canvas, Data->DrawItems.Get(drawItemNo)->Top - C.YShift - 1 + extra,
                               C.XShift, rvpbSoftPageBreak, C.Control, C.ControlWidth);
    }
}

void TRVPainter::Items()
{
    const TRVDrawLines& di = Data->DrawItems;
    for (int i = C.First; i <= C.Last; ++i) {
        // Of the last line, its first draw item and the part that may show.
        if (C.LastLine >= 0 && i > C.LastLine) {
            if (i < C.ShownFrom)
                i = C.ShownFrom;
            if (i > std::min(C.ShownTo, C.Last))
                break;
        }
        const TRVDrawLineInfo* dli = di.Get(i);
        TCustomRVItemInfo* item = Data->GetItem(dli->ItemNo);
        const bool itemStart = StartsItem(di, i);
        if (itemStart && item->GetPageBreakBefore() && C.Options.Contains(rvoShowPageBreaks))
            C.Style->DrawPageBreak(C.Canvas, dli->Top - C.YShift - 1, C.XShift, rvpbPageBreak, C.Control,
                                   C.ControlWidth);
        if (itemStart && item->GetCheckpoint() != nullptr && C.Options.Contains(rvoShowCheckpoints))
            C.Style->DrawCheckpoint(C.Canvas, dli->Left - C.XShift, dli->Top - C.YShift, dli->ItemNo,
                                    C.XShift, item->GetCheckpoint()->RaiseEvent, C.Control, C.ControlWidth);
        if (item->StyleNo < 0)
            NonTextItem(i, item);
        else if (!OutsideHorizontally(dli))
            TextItem(i, item);
    }
}

// A text piece wholly left or right of the clip, with room for what its
// letters may reach beyond their cells, shows nothing: a line far wider than
// the window draws only its pieces that show.
bool TRVPainter::OutsideHorizontally(const TRVDrawLineInfo* dli) const
{
    const int64_t margin = 2 * int64_t(dli->Height) + 16;
    return int64_t(dli->Left) - margin >= C.DocClip.Right ||
           int64_t(dli->Left) + dli->Width + margin <= C.DocClip.Left;
}

void TRVPainter::NonTextItem(int i, TCustomRVItemInfo* item)
{
    TRVDrawLineInfo* dli = Data->DrawItems.Get(i);
    TRVItemDrawStates state = C.BaseItemState;
    // Offset 0 is before the item, 1 after it: a selection that ends before
    // it or starts after it leaves it out.
    const bool inSelection = C.StartNo <= i && i <= C.EndNo && !(i == C.EndNo && C.EndOffs == 0) &&
                             !(i == C.StartNo && C.StartOffs == 1);
    if (inSelection || Data->State.Contains(rvstCompletelySelected))
        state.Include(rvidsSelected);
    if (Hovered(item))
        state.Include(rvidsHover);
    if (item == Data->CurrentItem)
        state.Include(rvidsCurrent);
    if (!item->GetBoolValue(rvbpFullWidth)) {
        item->Paint(dli->Left - C.XShift, dli->Top - C.YShift, C.Canvas, state, C.Style, dli);
    } else {
        int w = C.Options.Contains(rvoClientTextWidth) ? Data->GetWidth() : Data->GetAreaWidth();
        const int maxW = Data->GetMaxTextWidth();
        if (maxW > 0)
            w = std::min(w, maxW + Data->GetLeftMargin() + Data->GetRightMargin());
        const TRect clip = Rect(0, 0, C.ClipRect.Width(), C.ClipRect.Height());
        item->PaintFullWidth(dli->Left - C.XShift, w - Data->GetRightMargin() - C.XShift, dli->Top - C.YShift,
                             C.Canvas, state, C.Style, clip, dli);
    }
    if (item->GetBoolValue(rvbpDrawingChangesFont))
        LastStyle = -1;
}

void TRVPainter::TextItem(int i, TCustomRVItemInfo* item)
{
    const TRVDrawLineInfo* dli = Data->DrawItems.Get(i);
    const TFontInfo* textStyle = C.Style->TextStyles()->Items(item->StyleNo);
    // The font is applied again only when the style or the paragraph's
    // direction (which selects the font's reading order) changes.
    const TRVBiDiMode paraBiDi = Data->GetParaBiDiMode(item->ParaNo);
    if (item->StyleNo != LastStyle || paraBiDi != LastParaBiDi) {
        LastStyle = item->StyleNo;
        LastParaBiDi = paraBiDi;
        ItemBiDi = Data->GetItemBiDiMode(dli->ItemNo);
        C.Style->ApplyStyle(C.Canvas, item->StyleNo, paraBiDi);
    }
    const TRVTextPiece piece{dli, item->StyleNo, ItemBiDi, textStyle->Jump() && Hovered(item)};
    // The text as the item holds it now, read in place: a draw item laid out
    // for a longer text is cut to what is there.
    const std::string_view text = Data->DrawItems.GetStringView(i, Data->Items);
    const int length = RVU_Length(text, item->ItemOptions);
    const bool all = Data->State.Contains(rvstCompletelySelected);

    if (!all && (i < C.StartNo || i > C.EndNo)) {
        DrawTextPiece(piece, dli->Left, dli->Width, text, 1, false, true, true, true);
        return;
    }
    const bool fromStart = C.StartNo < i || (C.StartNo == i && C.StartOffs <= 1);
    const bool toEnd = C.EndNo > i || (C.EndNo == i && C.EndOffs > length);
    if (all || (fromStart && toEnd)) {
        DrawTextPiece(piece, dli->Left, dli->Width, text, 1, true, true, true, true);
        return;
    }

    // Partly selected: the whole draw item, then the selected characters over it.
    DrawTextPiece(piece, dli->Left, dli->Width, text, 1, false, true, true, true);
    const int from = (i == C.StartNo && C.StartOffs > 1) ? C.StartOffs : 1;
    const int to = (i == C.EndNo && length >= C.EndOffs) ? C.EndOffs - 1 : length;
    if (from > to)
        return;
    const AnsiString caps = RV_ReturnCapitalized(text, textStyle);
    // Reordered text (a direction of its own, or right-to-left characters)
    // shows its selected characters where the whole text puts them.
    if (ItemBiDi != rvbdUnspecified || RVU_HasRightToLeft(C.Canvas, caps, item->ItemOptions)) {
        TRVTextDrawStates state;
        state.Include(rvtsSelected);
        if (piece.Hover)
            state.Include(rvtsHover);
        C.Style->ApplyStyleColor(C.Canvas, item->StyleNo, state, false, rvcmColor);
        if (RVU_DrawSelectedTextEx(dli->Left + dli->SpaceBefore - C.XShift, dli->Top - C.YShift, dli->Height,
                                   caps, C.Canvas, from, to, item->ItemOptions, ItemBiDi))
            return;
    }
    const int prefix =
        from > 1 ? RVU_TextWidth(RVU_Copy(caps, 1, from - 1, item->ItemOptions), C.Canvas, item->ItemOptions)
                 : 0;
    const AnsiString selected = RVU_Copy(caps, from, to - from + 1, item->ItemOptions);
    // Only a custom text drawing is told the piece's width.
    const int width = C.Style->OnDrawStyleText ? RVU_TextWidth(selected, C.Canvas, item->ItemOptions) : 0;
    DrawTextPiece(piece, dli->Left + prefix, width, selected, from, true, from <= 1, to >= length, false);
}

void TRVPainter::DrawTextPiece(const TRVTextPiece& piece, int x, int width, std::string_view text, int offset,
                               bool selected, bool startsDrawItem, bool endsDrawItem, bool widthHasSpace)
{
    const TRVDrawLineInfo* dli = piece.dli;
    TRVTextDrawStates state = C.BaseTextState;
    if (selected)
        state.Include(rvtsSelected);
    if (piece.Hover)
        state.Include(rvtsHover);
    if (C.Style->OnDrawStyleText) {
        if (startsDrawItem) {
            state.Include(rvtsDrawItemStart);
            if (dli->Offs == 1)
                state.Include(rvtsItemStart);
        }
        if (endsDrawItem) {
            state.Include(rvtsDrawItemEnd);
            if (Data->ItemLength(dli->ItemNo) == dli->Offs + dli->Length - 1)
                state.Include(rvtsItemEnd);
        }
    }
    C.Style->ApplyStyleColor(C.Canvas, piece.StyleNo, state, false, rvcmColor);
    int spaceBefore;
    int left;
    if (startsDrawItem) {
        spaceBefore = dli->SpaceBefore;
        left = x;
        if (!widthHasSpace)
            width += spaceBefore;
    } else {
        spaceBefore = 0;
        left = x + dli->SpaceBefore;
        if (widthHasSpace)
            width -= dli->SpaceBefore;
    }
    C.Style->DrawStyleText(text, C.Canvas, dli->ItemNo, dli->Offs + offset - 1, piece.StyleNo, Data,
                           spaceBefore, left - C.XShift, dli->Top - C.YShift, width, dli->Height, state,
                           false, false, rvcmColor, piece.ItemBiDi);
}

void TRVPainter::PendingCheckpoint()
{
    if (Data->NotAddedCP != nullptr && C.Options.Contains(rvoShowCheckpoints))
        C.Style->DrawCheckpoint(C.Canvas, -1, Data->DocumentHeight - C.YShift, -1, C.XShift,
                                Data->NotAddedCP->RaiseEvent, C.Control, C.ControlWidth);
}

} // namespace

void TCustomRVFormattedData::PaintTo(TCanvas* canvas, const TRect& clipRect)
{
    TRVStyle* style = GetRVStyle();
    if (style == nullptr)
        return;
    TRVPaintContext c;
    c.Canvas = canvas;
    c.Style = style;
    c.ClipRect = clipRect;
    const int hOffs = GetZHOffs();
    const int vOffs = GetZVOffs();
    c.XShift = hOffs + clipRect.Left;
    c.YShift = vOffs + clipRect.Top;
    c.DocClip = clipRect;
    OffsetRect(c.DocClip, hOffs, vOffs);
    GetSelBounds(c.StartNo, c.EndNo, c.StartOffs, c.EndOffs, true);
    c.Control = GetParentControl();
    c.ControlWidth = c.Control != nullptr ? c.Control->ClientWidth() : GetWidth();
    c.Options = GetOptions();
    auto* scroller = dynamic_cast<TRVScroller*>(c.Control);
    if (scroller != nullptr && scroller->FocusedEx()) {
        c.BaseTextState.Include(rvtsControlFocused);
        c.BaseItemState.Include(rvidsControlFocused);
    }
    canvas->Brush()->SetStyle(bsClear);
    c.First = GetFirstVisible(c.DocClip.Top);
    c.Last = DrawItems.Count() - 1;

    TRVPainter painter(this, c);
    painter.FindShownPartOfLastLine();
    painter.ParagraphDecorations();
    painter.TextBackgrounds();
    painter.SoftPageBreaks();
    painter.Items();
    painter.PendingCheckpoint();
    PostPaintTo(canvas, c.XShift, c.YShift, c.First, c.Last);
}
