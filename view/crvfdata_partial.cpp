// Partial re-layout: only the lines an edit touched are laid out again and the
// draw items below them move; deleting whole paragraphs; numbering the
// hyperlinks and building their rectangles; the 1-based line of a position.
#include <algorithm>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/core/numbers.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"

namespace {

int ScaleY(int v, const TRVScreenAndDevice& sad)
{
    return MulDiv(v, sad.DevicePpiY, sad.ScreenPpiY);
}

bool StartsItem(const TRVDrawLines& drawItems, int i)
{
    return i == 0 || drawItems[i - 1]->ItemNo != drawItems[i]->ItemNo;
}

// Moves a selection end after a re-layout of the draw items First..Last that
// left Delta more draw items; an end inside the range is gone (-1).
void MoveDrawItemRef(int& no, int first, int last, int delta)
{
    if (no < first)
        return;
    no = no <= last ? -1 : no + delta;
}

} // namespace

// ---------------------------------------------------------------------------
// Ranges

void TCustomRVFormattedData::FormatParas(int startDrawItemNo, int endDrawItemNo, int itemsInserted)
{
    const int count = DrawItems.Count();
    const int itemCount = GetItemCount();
    if (count == 0 || itemCount == 0) {
        FormatParasExact(0, count - 1, itemsInserted, false);
        return;
    }
    int startDi = std::clamp(std::min(startDrawItemNo, endDrawItemNo), 0, count - 1);
    int endDi = std::clamp(std::max(startDrawItemNo, endDrawItemNo), 0, count - 1);

    // Back to the first draw item of an item that starts a line. Draw items
    // before the edit keep their item numbers.
    while (startDi > 0) {
        const int itemNo = DrawItems[startDi]->ItemNo;
        const bool continues = itemNo < itemCount && GetItem(itemNo)->GetSameAsPrev();
        if (!continues && DrawItems[startDi - 1]->ItemNo != itemNo)
            break;
        --startDi;
    }

    // Forward past the draw items of EndDI's item and of every following item
    // that continues the line (numbered as after the edit).
    const int k = DrawItems[endDi]->ItemNo;
    if (k + itemsInserted < itemCount - 1) {
        while (endDi + 1 < count && DrawItems[endDi + 1]->ItemNo == k)
            ++endDi;
        while (endDi + 1 < count) {
            const int newItemNo = DrawItems[endDi + 1]->ItemNo + itemsInserted;
            if (newItemNo < 0 || newItemNo >= itemCount || !GetItem(newItemNo)->GetSameAsPrev())
                break;
            ++endDi;
        }
    } else {
        endDi = count - 1;
    }
    FormatParasExact(startDi, endDi, itemsInserted, false);
}

void TCustomRVFormattedData::GetParaBounds(int startDrawItemNo, int endDrawItemNo, int& paraStart,
                                           int& paraEnd)
{
    const int Count = DrawItems.Count();
    const int itemCount = GetItemCount();
    paraStart = -1;
    paraEnd = -1;
    if (Count == 0)
        return;
    auto startsPara = [&](int i) {
        const int itemNo = DrawItems[i]->ItemNo;
        return StartsItem(DrawItems, i) && itemNo < itemCount && IsParaStart(itemNo);
    };
    // The first draw item of the paragraph holding draw item i.
    auto backToParaStart = [&](int i) {
        while (i > 0 && !startsPara(i))
            --i;
        return i;
    };
    // The first draw item after the paragraph holding draw item i (Count at the end).
    auto pastPara = [&](int i) {
        ++i;
        while (i < Count && !startsPara(i))
            ++i;
        return i;
    };
    paraStart = backToParaStart(std::clamp(startDrawItemNo, 0, Count - 1));
    if (paraStart > 0)
        paraStart = backToParaStart(paraStart - 1);
    int end = pastPara(std::clamp(endDrawItemNo, 0, Count - 1));
    if (end < Count)
        end = pastPara(end);
    paraEnd = end - 1;
}

// ---------------------------------------------------------------------------
// Laying out a range again

namespace {

// The y where the line that ends at draw item Last stops: the largest bottom
// of its draw items with the line spacing below them. A text piece stands on
// a baseline that lies its style's external leading lower than its Height
// says (the layout raises the ascent by it), so that is added back: the next
// line then starts exactly where a full layout starts it.
int LineBottom(TCustomRVFormattedData& data, int last, TCanvas* canvas)
{
    TRVStyle* rvStyle = data.GetRVStyle();
    const bool extLeading = data.GetFlags().Contains(rvflUseExternalLeading);
    int bottom = 0;
    for (int i = last; i >= 0; --i) {
        const TRVDrawLineInfo* dli = data.DrawItems[i];
        int b = dli->Top + dli->Height + dli->ExtraSpaceBelow;
        const int styleNo = data.GetItemStyle(dli->ItemNo);
        if (extLeading && styleNo >= 0) {
            rvStyle->ApplyStyle(canvas, styleNo, data.GetParaBiDiMode(data.GetItemPara(dli->ItemNo)));
            TTextMetric tm;
            if (canvas->GetTextMetrics(tm))
                b += tm.tmExternalLeading;
        }
        bottom = std::max(bottom, b);
        if (dli->FromNewLine)
            break;
    }
    return bottom;
}

} // namespace

int TCustomRVFormattedData::SpaceBelowParas(int lastItem, const TRVScreenAndDevice& sad)
{
    const TRVStyle* rvStyle = GetRVStyle();
    int space = 0;
    const bool lastIsLast = lastItem == GetItemCount() - 1;
    const TCustomRVItemInfo* next = lastIsLast ? nullptr : GetItem(lastItem + 1);
    if (lastIsLast || next->CanBeBorderStart())
        space += ScaleY(rvStyle->ParaStyles()->Items(GetItemPara(lastItem))->SpaceAfter(), sad);
    if (next != nullptr && next->CanBeBorderStart()) {
        space += ScaleY(rvStyle->ParaStyles()->Items(next->ParaNo)->SpaceBefore(), sad);
        // A rule stands below the space of paragraph style 0 too.
        if (next->StyleNo == rvsBreak)
            space += ScaleY(rvStyle->ParaStyles()->Items(0)->SpaceBefore(), sad);
    }
    return space;
}

void TCustomRVFormattedData::ShiftBelowParas(int firstBelow, int delta, int itemsInserted, int nextTop,
                                             int newBottom, TRect& repaint)
{
    // The draw items below move when they are next looked at; the
    // items' notes of their first draw items are checked when read
    // (Item2FirstDrawItem), so neither is walked here.
    DrawItems.ShiftFrom(firstBelow, delta, itemsInserted);
    // The document ends where the layout ended it, moved with the rest
    // (or, when the range reached the end, below the new last line).
    const int newHeight = nextTop >= 0 ? DocumentHeight + delta : GetBottomMargin() + newBottom;
    // Everything from the edit down to the lower of the old and the
    // new end of the document is painted again.
    repaint.Bottom = std::min(std::max(newHeight, DocumentHeight) - GetVOffs() + 10, GetHeight());
    if (newHeight != DocumentHeight) {
        const int oldVOffs = GetVOffs();
        DocumentHeight = newHeight;
        AdjustVScrollUnits();
        // A scroll bar that comes or goes changes the area: the layout
        // it asks for waits until this one is done (below). A bar that a
        // full layout keeps shown while the document fits (an editor's) is
        // kept here too, so that an edit does not take it away.
        {
            TRVBoolFlagGuard resizing(AreaResizing);
            TRVBoolFlagGuard settingSize(SettingAreaSize);
            SetDocumentAreaSize(GetAreaWidth(), DocumentHeight, true);
        }
        if (GetVOffs() != oldVOffs)
            if (TWinControl* control = GetParentControl())
                repaint = control->ClientRect();
    }
}

void TCustomRVFormattedData::MoveSelectionRefs(int selStart, int selEnd, int startDi, int endDi, int moved)
{
    MoveDrawItemRef(selStart, startDi, endDi, moved);
    MoveDrawItemRef(selEnd, startDi, endDi, moved);
    if (SelStartNo >= 0 && (selStart < 0 || selEnd < 0)) {
        ForgetSelection();
    } else {
        SelStartNo = selStart;
        SelEndNo = selEnd;
    }
    MoveDrawItemRef(PressedDrawItemNo, startDi, endDi, moved);
}

void TCustomRVFormattedData::RenumberJumps(int firstItem, int lastItem)
{
    // Hyperlinks are numbered again over the whole document only when there
    // are any: a document without them (and a range without them) has
    // nothing to number, so that an edit costs its paragraph alone.
    const int itemCount = GetItemCount();
    bool numberJumps = JumpCount > 0 || GetFlags().Contains(rvflUseJumps);
    for (int i = firstItem; !numberJumps && i <= lastItem && i < itemCount; ++i)
        numberJumps = GetItem(i)->GetBoolValueEx(rvbpJump, GetRVStyle());
    int jumpNo = 0;
    ClearJumps();
    if (numberJumps)
        BuildJumpsCoords(jumpNo, nullptr);
}

void TCustomRVFormattedData::FormatParasExact(int startDrawItemNo, int endDrawItemNo, int itemsInserted,
                                              bool reformat)
{
    if (State.Contains(rvstSkipFormatting))
        return;
    TRVStyle* rvStyle = GetRVStyle();
    TCanvas* canvas = GetFormattingCanvas();
    if (rvStyle == nullptr || canvas == nullptr)
        return;
    const int oldCount = DrawItems.Count();
    const int itemCount = GetItemCount();
    if (oldCount == 0 || itemCount == 0 || startDrawItemNo < 0 || endDrawItemNo >= oldCount ||
        startDrawItemNo > endDrawItemNo) {
        // Nothing laid out to start from, or no items left: the whole document.
        InvalidateTailLayout();
        Format_(false, true, true, 0, canvas, false, reformat);
        return;
    }
    const int widthBefore = GetWidth();
    // The range holds whole items: the first draw item of its first item and
    // the last of its last, whatever the caller passed.
    int startDi = startDrawItemNo;
    while (startDi > 0 && DrawItems[startDi - 1]->ItemNo == DrawItems[startDi]->ItemNo)
        --startDi;
    int endDi = endDrawItemNo;
    while (endDi + 1 < oldCount && DrawItems[endDi + 1]->ItemNo == DrawItems[endDi]->ItemNo)
        ++endDi;
    // The draw items below must name items after the range once renumbered;
    // a count of inserted items that does not fit the store leaves no sound
    // base for a partial layout.
    if (endDi < oldCount - 1) {
        const int nextItem = DrawItems[endDi + 1]->ItemNo + itemsInserted;
        const int lastBelow = DrawItems.ItemNoOf(oldCount - 1) + itemsInserted;
        if (nextItem <= DrawItems[startDi]->ItemNo || lastBelow >= itemCount) {
            InvalidateTailLayout();
            Format_(false, true, true, 0, canvas, false, reformat);
            return;
        }
    }

    int firstItem = 0;
    int lastItem = 0;
    try {
        TRVFlagGuard formattingParas(State, rvstFormatParas);
        firstItem = DrawItems[startDi]->ItemNo;
        lastItem = DrawItems[endDi]->ItemNo + itemsInserted;
        AdjustInItemsRange(firstItem);
        AdjustInItemsRange(lastItem);
        if (lastItem < firstItem)
            lastItem = firstItem;

        TRVFormatLineState st;
        st.Canvas = canvas;
        GetSADForFormatting(canvas, st.sad);
        st.sad.DevLeftMargin = MulDiv(GetLeftMargin(), st.sad.DevicePpiX, st.sad.ScreenPpiX);
        st.sad.DevRightMargin = MulDiv(GetRightMargin(), st.sad.DevicePpiX, st.sad.ScreenPpiX);
        st.Reformat = reformat;

        const int prevBottom =
            startDi == 0 ? GetTopMargin() : std::max(GetTopMargin(), LineBottom(*this, startDi - 1, canvas));
        int nextTop = -1;
        if (endDi < oldCount - 1) {
            nextTop = DrawItems[endDi + 1]->Top;
            for (int i = endDi + 2; i < oldCount && !DrawItems[i]->FromNewLine; ++i)
                nextTop = std::min(nextTop, DrawItems[i]->Top);
        }
        TRect repaint = Rect(0, prevBottom - 10 - GetVOffs(), GetWidth(), 0);

        // What refers to draw items of the range goes; what lies below follows it.
        int selStart = SelStartNo, selEnd = SelEndNo;
        ClearJumps();
        HotDrawItemNo = -1;

        st.BaseLine = prevBottom;
        st.LineEnd = startDi;
        DrawItems.MarkForDelete(startDi, endDi);
        for (int i = firstItem; i <= lastItem; ++i)
            LayoutItem(i, st);
        int extra = 0;
        const bool lastLine = lastItem < itemCount - 1 || !State.Contains(rvstLastParaAborted);
        FinishScreenLine(st.sad, st.LineWidth + st.LineLeft, st.LineEnd, lastLine, extra, st.NoLineYet);
        DrawItems.DeleteMarked();
        const int newCount = DrawItems.Count();
        const int firstBelow = st.LineEnd;

        // Where the line after the range starts now: the paragraph spacing
        // between them, as the layout puts it.
        const int newBottom = st.BaseLine + st.LineDescent + extra + SpaceBelowParas(lastItem, st.sad);
        repaint.Bottom = newBottom + 10 - GetVOffs();

        const int delta = nextTop >= 0 ? newBottom - nextTop : 0;
        // A range that reaches the end decides the height itself, also when
        // nothing moved (a last line that grew or shrank in place).
        if (itemsInserted != 0 || newCount != oldCount || delta != 0 || nextTop < 0)
            ShiftBelowParas(firstBelow, delta, itemsInserted, nextTop, newBottom, repaint);

        MoveSelectionRefs(selStart, selEnd, startDi, endDi, newCount - oldCount);
        RenumberJumps(firstItem, lastItem);
        AdjustChildrenCoords();
        LastFormattedItem = itemCount - 1;
        // A tail layout cannot continue from draw items laid out this way.
        ForgetTailLayout();
        if (RepaintsPartialLayout()) {
            InvalidateRect(repaint);
            UpdateView();
        }
    } catch (...) {
        // No free slot stays in the list.
        DrawItems.DeleteMarked();
        InvalidateTailLayout();
        throw;
    }
    Formatted(firstItem, lastItem, true);
    // The document is laid out again for an area that a scroll bar narrowed
    // or widened, keeping the selection and the view.
    if (GetWidth() != widthBefore)
        Format_(true, false, true, 0, canvas, false, reformat);
}

void TCustomRVFormattedData::DeleteParas(int firstItemNo, int lastItemNo)
{
    const int itemCount = GetItemCount();
    if (itemCount == 0)
        return;
    firstItemNo = std::clamp(firstItemNo, 0, itemCount - 1);
    lastItemNo = std::clamp(lastItemNo, 0, itemCount - 1);
    if (firstItemNo > lastItemNo)
        return;
    int first1, last1;
    ExpandToPara(firstItemNo, lastItemNo, first1, last1);
    int first2, last2;
    ExpandToPara(std::max(first1 - 1, 0), std::min(last1 + 1, itemCount - 1), first2, last2);
    int startDi, endDi;
    Item2FirstDrawItem(first2, startDi);
    Item2FirstDrawItem(last2, endDi);
    const bool laidOut = startDi >= 0 && endDi >= startDi && endDi < DrawItems.Count();
    const bool shown = DrawItems.Count() > 0;
    ClearJumps();
    DeleteItems(first1, last1 - first1 + 1);
    // The re-layout numbers the hyperlinks again. Paragraphs that were never
    // laid out leave draw items that name items no longer there: the whole
    // document then, so that nothing stale is shown.
    if (laidOut)
        FormatParasExact(startDi, endDi, -(last1 - first1 + 1), false);
    else if (shown)
        Format_(false, true, true, 0, GetFormattingCanvas(), false, false);
}

// ---------------------------------------------------------------------------
// Hyperlinks

void TCustomRVFormattedData::BuildJumpsCoords(int& startJumpNo, TList* aJumps)
{
    TList* list = aJumps != nullptr ? aJumps : &Jumps;
    HotDrawItemNo = -1;
    TRVStyle* rvStyle = GetRVStyle();
    if (rvStyle == nullptr)
        return;
    // The rectangles are made as the layout makes them: only while hyperlinks
    // are tracked, none for an empty hyperlink text, so that numbering after a
    // partial re-layout equals that of a full one.
    const bool useJumps = GetFlags().Contains(rvflUseJumps);
    JumpCount = 0;
    int prevItem = -1;
    for (int i = 0; i < DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = DrawItems[i];
        const int itemNo = dli->ItemNo;
        TCustomRVItemInfo* item = GetItem(itemNo);
        if (item->GetBoolValueEx(rvbpJump, rvStyle)) {
            if (item->StyleNo >= 0 && RVU_Length(Items->GetView(itemNo), item->ItemOptions) == 0) {
                item->SetJumpID(-3);
                continue;
            }
            const int id = startJumpNo + JumpCount - (itemNo == prevItem ? 1 : 0);
            if (useJumps)
                AddJump(dli, id, i,
                        item->StyleNo >= 0 ? rvStyle->TextStyles()->Items(item->StyleNo)->JumpCursor()
                                           : item->GetHypertextCursor(rvStyle),
                        *list);
            item->SetJumpID(id);
            if (itemNo != prevItem) {
                ++JumpCount;
                prevItem = itemNo;
            }
        } else if (item->StyleNo < 0 && useJumps) {
            int nextJumpNo = startJumpNo + JumpCount;
            item->BuildJumps(dli->Left, dli->Top, nextJumpNo, list);
            JumpCount = nextJumpNo - startJumpNo;
        }
    }
    startJumpNo += JumpCount;
}

// ---------------------------------------------------------------------------
// Lines

int TCustomRVFormattedData::GetLineNo(int itemNo, int offs)
{
    int drawItemNo, drawOffs;
    Item2DrawItem(itemNo, offs, drawItemNo, drawOffs);
    int line = 0;
    for (int i = drawItemNo; i >= 0; --i)
        if (DrawItems[i]->FromNewLine || i == 0)
            ++line;
    return line;
}
