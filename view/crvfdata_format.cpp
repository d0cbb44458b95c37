// Format_: laying out the whole document, its new tail, or again after a
// resize; the text and document widths, the document height, the report of
// the laid-out size and the scroll position and selection kept across it.
#include <algorithm>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/numbers.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"

namespace {

bool SameSad(const TRVScreenAndDevice& a, const TRVScreenAndDevice& b)
{
    return a.ScreenPpiX == b.ScreenPpiX && a.ScreenPpiY == b.ScreenPpiY && a.DevicePpiX == b.DevicePpiX &&
           a.DevicePpiY == b.DevicePpiY && a.DevLeftMargin == b.DevLeftMargin &&
           a.DevRightMargin == b.DevRightMargin;
}

// The screen line holding a draw item: its first draw item, and the top and
// bottom of the line (the highest top and lowest bottom of its draw items:
// a tall picture reaches above the text beside it).
struct TScreenLine {
    int First = 0;
    int Top = 0;
    int Bottom = 0;
};

TScreenLine ScreenLineOf(TCustomRVFormattedData& data, int drawItemNo)
{
    TScreenLine line;
    int last = drawItemNo;
    data.GetScreenLineBounds(drawItemNo, line.First, last);
    const TRVDrawLineInfo* first = data.DrawItems[line.First];
    line.Top = first->Top;
    line.Bottom = first->Top + first->Height;
    for (int i = line.First + 1; i <= last; ++i) {
        const TRVDrawLineInfo* dli = data.DrawItems[i];
        line.Top = std::min(line.Top, dli->Top);
        line.Bottom = std::max(line.Bottom, dli->Top + dli->Height);
    }
    return line;
}

} // namespace

void TCustomRVFormattedData::Format(bool reformat)
{
    Format_(false, true, false, 0, GetFormattingCanvas(), false, reformat);
}

TRVTailStart TCustomRVFormattedData::CanFormatTail() const
{
    const int itemCount = GetItemCount();
    if (FLayoutStale || DrawItems.Count() == 0 || LastFormattedItem < 0 || LastFormattedItem >= itemCount ||
        State.Contains(rvstLastParaAborted))
        return TRVTailStart::None;
    // The lines laid out continue as they are unless their breaks depended on
    // nothing following the last item and the first new item joins its line.
    const TRVOpenLineNote& open = FOpenLine;
    const bool joins = LastFormattedItem + 1 < itemCount && !IsFromNewLine(LastFormattedItem + 1);
    if (open.Valid && open.ItemCount == LastFormattedItem + 1 && open.DrawItemCount == DrawItems.Count() &&
        open.JumpsCount == Jumps.Count() && (!open.LookedPastEnd || !joins))
        return TRVTailStart::OpenLine;
    // Else the last paragraph is laid out again from its start, which must be the one noted.
    const TRVParaStartNote& note = FLastParaStart;
    if (!note.Valid || note.ItemNo != GetFirstParaItem(LastFormattedItem) ||
        note.DrawItemNo > DrawItems.Count() || note.JumpsCount > Jumps.Count())
        return TRVTailStart::None;
    return TRVTailStart::ParaStart;
}

int TCustomRVFormattedData::GetMinDocWidth(const TRVScreenAndDevice& sad, TCanvas* canvas, bool incremental)
{
    // Widths are measured in screen pixels when the device is the screen.
    const bool screen = sad.ScreenPpiX == sad.DevicePpiX && sad.ScreenPpiY == sad.DevicePpiY;
    const TRVScreenAndDevice* psad = screen ? nullptr : &sad;
    const int itemCount = GetItemCount();
    TRVStyle* style = GetRVStyle();
    const uint64_t styleChanges = style != nullptr ? style->ChangeCount() : 0;
    const TRVMinWidthCache cache = FMinWidthCache;
    const bool useCache = incremental && cache.Valid && cache.StyleChanges == styleChanges &&
                          cache.DevicePpiX == sad.DevicePpiX && cache.ScreenPpiX == sad.ScreenPpiX &&
                          cache.OpenSection < itemCount && cache.OpenDone > cache.OpenSection &&
                          cache.OpenDone <= itemCount;
    const int start = useCache ? cache.OpenSection : 0;
    // The texts measured from here on are noted for the layout that follows.
    FNotedSizes.Sizes.clear();
    FNotedSizes.Sizes.reserve(static_cast<size_t>(std::min(itemCount - start, MaxNotedTextSizes)));
    FNotedSizes.FirstItemNo = start;
    FNotedSizes.Canvas = canvas;
    FNotedSizes.Noting = true;
    FNotedSizes.AppliedStyleNo = -1;
    int closed = useCache ? cache.ClosedWidth : 0;
    int paraStart = start > 0 ? GetFirstParaItem(start) : 0;
    int openWidth = 0;
    int openSection = start;
    for (int i = start; i < itemCount;) {
        // The items of the open section measured before are still in it.
        const bool resumed = useCache && i == cache.OpenSection;
        int next = resumed ? cache.OpenDone : i + 1;
        while (next < itemCount && !IsFromNewLine(next))
            ++next;
        if (IsParaStart(i))
            paraStart = i;
        int w;
        if (!resumed) {
            w = CalculateParaSectionMinWidth(i, paraStart, psad, canvas);
        } else if (cache.OpenDone == next) {
            w = cache.OpenWidth;
        } else if (style != nullptr &&
                   style->ParaStyles()->Items(GetItemPara(i))->Options().Contains(rvpaoNoWrap)) {
            // An unwrapped section is as wide as all its items: the new ones add theirs.
            w = cache.OpenWidth + CalculateUnwrappedItemsWidth(cache.OpenDone, next - 1, psad, canvas);
        } else {
            // A wrapped one as its widest item: the new ones may be wider.
            int sectionParaStart = paraStart;
            w = std::max(cache.OpenWidth, CalculateMinItemsWidthPlus(cache.OpenDone, next - 1,
                                                                     sectionParaStart, psad, canvas));
        }
        // The last section may still grow by appended items: kept apart.
        if (next < itemCount) {
            closed = std::max(closed, w);
        } else {
            openWidth = w;
            openSection = i;
        }
        i = next;
    }
    FNotedSizes.Noting = false;
    FMinWidthCache.Valid = true;
    FMinWidthCache.StyleChanges = styleChanges;
    FMinWidthCache.ClosedWidth = closed;
    FMinWidthCache.OpenSection = itemCount > 0 ? openSection : 0;
    FMinWidthCache.OpenDone = itemCount;
    FMinWidthCache.OpenWidth = openWidth;
    FMinWidthCache.DevicePpiX = sad.DevicePpiX;
    FMinWidthCache.ScreenPpiX = sad.ScreenPpiX;
    FLastMinDocWidth = std::max(closed, openWidth);
    return FLastMinDocWidth;
}

bool TCustomRVFormattedData::NoteSelection(int (&selItems)[4])
{
    const int count = DrawItems.Count();
    const int itemCount = GetItemCount();
    auto valid = [&](int drawItemNo) {
        return drawItemNo >= 0 && drawItemNo < count && DrawItems[drawItemNo]->ItemNo < itemCount;
    };
    if (!valid(SelStartNo) || !valid(SelEndNo))
        return false;
    StoreSelBounds(selItems[0], selItems[1], selItems[2], selItems[3], false);
    return true;
}

void TCustomRVFormattedData::NoteItemWidthUse(int itemNo)
{
    if (FLayoutUsesWidth)
        return;
    const TCustomRVItemInfo* item = GetItem(itemNo);
    // A rule only takes the document's width, which a tail layout gives it (WidenRules).
    if (item->StyleNo == rvsBreak)
        return;
    if (item->StyleNo < 0) {
        FLayoutUsesWidth = true;
        return;
    }
    // Unwrapped left-aligned text is placed the same whatever the width.
    const TParaInfo* para = GetRVStyle()->ParaStyles()->Items(item->ParaNo);
    if (!para->Options().Contains(rvpaoNoWrap) || para->Alignment() != rvaLeft)
        FLayoutUsesWidth = true;
}

void TCustomRVFormattedData::LayoutItem(int itemNo, TRVFormatLineState& st)
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (!item->GetSameAsPrev() && !item->GetBR())
        st.ParaStartItem = itemNo;
    // The item's text in place: the layout changes no item.
    const std::string_view text = Items->GetView(itemNo);
    if (item->StyleNo < 0) {
        FormatLine(AnsiString(), 0, static_cast<int>(text.size()), itemNo, st);
        return;
    }
    TRVStyle* rvStyle = GetRVStyle();
    if (rvStyle->ParaStyles()->Items(item->ParaNo)->Alignment() == rvaJustify) {
        FormatWords(itemNo, st);
        return;
    }
    const TFontInfo* textStyle = rvStyle->TextStyles()->Items(item->StyleNo);
    const int len = RVU_Length(text, item->ItemOptions);
    if (textStyle->StyleEx().Contains(rvfsAllCaps))
        FormatLine(RV_ReturnCapitalized(AnsiString(text), textStyle), 0, len, itemNo, st);
    else
        FormatLine(text, 0, len, itemNo, st);
}

void TCustomRVFormattedData::LayoutItems(int firstItemNo, TRVFormatLineState& st)
{
    const int itemCount = GetItemCount();
    for (int i = firstItemNo; i < itemCount; ++i) {
        LayoutItem(i, st);
        NoteItemWidthUse(i);
    }
}

void TCustomRVFormattedData::NoteOpenLine(const TRVFormatLineState& st, int laidOutFrom, int keptEnd,
                                          bool keptTextInOrder)
{
    TRVOpenLineNote& note = FOpenLine;
    note.Valid = st.LineEnd == DrawItems.Count();
    note.LookedPastEnd = FLookedPastEnd;
    note.State = st;
    note.ItemCount = GetItemCount();
    note.DrawItemCount = DrawItems.Count();
    note.JumpsCount = Jumps.Count();
    // The line FinishScreenLine closes: back to the draw item that starts it
    // (the one the kept draw items' line starts with, once they are reached).
    int first = st.LineEnd;
    if (!st.NoLineYet && first > 0) {
        --first;
        while (first > 0 && !DrawItems[first]->FromNewLine) {
            if (first < keptEnd) {
                first = laidOutFrom;
                break;
            }
            --first;
        }
    }
    // What the note before found of the kept draw items holds while their
    // line is still open; the draw items after them are looked at now.
    const bool kept = first == laidOutFrom && keptEnd > first;
    note.TextInOrder = !kept || keptTextInOrder;
    if (!kept)
        note.MaxHeight = 0;
    for (int i = kept ? keptEnd : first; note.TextInOrder && i < st.LineEnd; ++i) {
        const TRVDrawLineInfo* dli = DrawItems[i];
        if (!IsTextItem(dli->ItemNo) || dli->Width < 0)
            note.TextInOrder = false;
        note.MaxHeight = std::max(note.MaxHeight, dli->Height);
    }
    note.FirstDrawItemNo = first;
    // Filled by FinishScreenLine when closing the line moves its draw items.
    note.Places.clear();
}

void TCustomRVFormattedData::ReopenLastLine(TRVFormatLineState& st, int oldTextWidth, int oldDocumentWidth)
{
    const TRVOpenLineNote& note = FOpenLine;
    for (size_t i = 0; i < note.Places.size(); ++i) {
        TRVDrawLineInfo* dli = DrawItems[note.FirstDrawItemNo + static_cast<int>(i)];
        const TRVDrawItemPlace& place = note.Places[i];
        dli->Left = place.Left;
        dli->Width = place.Width;
        dli->SpaceBefore = place.SpaceBefore;
        dli->ExtraSpaceBelow = place.ExtraSpaceBelow;
    }
    const TRVFormatLineState kept = st;
    st = note.State;
    st.Canvas = kept.Canvas;
    st.sad = kept.sad;
    st.Reformat = kept.Reformat;
    st.NoteParaStarts = kept.NoteParaStarts;
    // The canvas has drawn with other fonts since: the text style goes on it again.
    st.CurStyleNo = -1;
    // The open line is as wide as its paragraph's kind of width says.
    if (note.FirstDrawItemNo < DrawItems.Count()) {
        const int paraNo = GetItemPara(DrawItems[note.FirstDrawItemNo]->ItemNo);
        const bool noWrap = GetRVStyle()->ParaStyles()->Items(paraNo)->Options().Contains(rvpaoNoWrap);
        st.LineWidth += noWrap ? TextWidth - oldTextWidth : DocumentWidth - oldDocumentWidth;
    }
}

void TCustomRVFormattedData::WidenRules(int before)
{
    for (int drawItemNo : FRuleDrawItems) {
        if (drawItemNo >= before)
            break;
        DrawItems[drawItemNo]->Width = DocumentWidth;
    }
}

int TCustomRVFormattedData::TopDrawItemAt(int y)
{
    // The first draw item that reaches below y, searched from two lines above it.
    const int count = DrawItems.Count();
    int top = std::min(GetDrawItemNo(y, 1), count - 1);
    while (top < count - 1 && DrawItems[top]->Top + DrawItems[top]->Height <= y)
        ++top;
    return top;
}

TCustomRVFormattedData::TRVTopPlace TCustomRVFormattedData::NoteTopPlace()
{
    TRVTopPlace place;
    if (DrawItems.Count() == 0)
        return place;
    // Kept as the text at the top, which the new layout may break into other lines.
    const int y = GetVOffs();
    const int drawItemNo = TopDrawItemAt(y);
    const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
    place.ItemNo = dli->ItemNo;
    place.Offs = dli->Offs;
    // From the top of the whole line, which a taller item in it may raise
    // above this draw item's own top.
    place.Pixels = std::max(y - ScreenLineOf(*this, drawItemNo).Top, 0);
    return place;
}

int TCustomRVFormattedData::TopPlaceY(const TRVTopPlace& place)
{
    int drawItemNo = place.ItemNo >= 0 ? FindDrawItemByItem(place.ItemNo) : -1;
    if (drawItemNo < 0)
        return 0;
    // The item's draw item holding the offset: the last one starting at or before it.
    const int count = DrawItems.Count();
    while (drawItemNo + 1 < count && DrawItems[drawItemNo + 1]->ItemNo == place.ItemNo &&
           DrawItems[drawItemNo + 1]->Offs <= place.Offs)
        ++drawItemNo;
    const TScreenLine line = ScreenLineOf(*this, drawItemNo);
    const int y = line.Top + std::min(place.Pixels, std::max(line.Bottom - line.Top - 1, 0));
    // The view moves by whole units: down to one, unless a line above would
    // then be the top line while the next unit is still inside this one.
    const int step = std::max(GetVSmallStep(), 1);
    const int unitY = y - y % step;
    if (TopDrawItemAt(unitY) < line.First && unitY + step < line.Bottom)
        return unitY + step;
    return unitY;
}

bool TCustomRVFormattedData::LayoutDocument(TCanvas* canvas, const TRVScreenAndDevice& sad, bool reformat,
                                            TRVTailStart tailStart, int oldTextWidth, int oldDocumentWidth,
                                            bool selNoted, const int (&selItems)[4])
{
    bool fullLayout = false;
    ++FLayoutRuns;
    TRVFormatLineState st;
    st.Canvas = canvas;
    st.sad = sad;
    st.Reformat = reformat;
    st.NoteParaStarts = true;
    int firstItemNo = 0;
    bool keepSelection = false;
    // The draw items from here on are laid out again (or moved).
    int reopenedDrawItem = DrawItems.Count();
    if (tailStart == TRVTailStart::OpenLine)
        reopenedDrawItem = FOpenLine.FirstDrawItemNo;
    else if (tailStart == TRVTailStart::ParaStart)
        reopenedDrawItem = FLastParaStart.DrawItemNo;
    if (tailStart != TRVTailStart::None) {
        // A selection there is kept by item position (noted by Format_).
        keepSelection = selNoted && std::max(SelStartNo, SelEndNo) >= reopenedDrawItem;
        if (HotDrawItemNo >= reopenedDrawItem)
            HotDrawItemNo = -1;
        if (DocumentWidth != oldDocumentWidth)
            WidenRules(reopenedDrawItem);
    }
    if (tailStart == TRVTailStart::OpenLine) {
        firstItemNo = LastFormattedItem + 1;
        ReopenLastLine(st, oldTextWidth, oldDocumentWidth);
    } else if (tailStart == TRVTailStart::ParaStart) {
        const TRVParaStartNote note = FLastParaStart;
        firstItemNo = note.ItemNo;
        for (int i = firstItemNo; i <= LastFormattedItem; ++i)
            GetItem(i)->DrawItemNo = -1;
        DrawItems.DeleteFrom(note.DrawItemNo);
        for (int i = note.JumpsCount; i < Jumps.Count(); ++i)
            delete static_cast<TRVJumpInfo*>(Jumps.Get(i));
        if (note.JumpsCount < Jumps.Count())
            Jumps.SetCount(note.JumpsCount);
        JumpCount = note.JumpCount;
        while (!FRuleDrawItems.empty() && FRuleDrawItems.back() >= note.DrawItemNo)
            FRuleDrawItems.pop_back();
        st.BaseLine = note.BaseLine;
        st.LineDescent = note.LineDescent;
        FLayoutUsesWidth = note.UsesWidth;
    } else {
        st.BaseLine = GetTopMargin();
        ClearTemporal();
        FLayoutStale = false;
        reopenedDrawItem = 0;
        fullLayout = true;
    }
    FOpenLine.Valid = false;
    FLookedPastEnd = false;
    if (tailStart != TRVTailStart::OpenLine)
        st.LineEnd = DrawItems.Count();
    FFirstNewDrawItem = reopenedDrawItem;
    // The draw items of the reopened line, kept as they were (their places
    // put back), and what the note found of them.
    int keptEnd = reopenedDrawItem;
    bool keptTextInOrder = true;
    if (tailStart == TRVTailStart::OpenLine) {
        keptEnd = FOpenLine.DrawItemCount;
        keptTextInOrder = FOpenLine.TextInOrder;
    }
    try {
        LayoutItems(firstItemNo, st);
    } catch (...) {
        // Draw items of a broken layout are no base for a tail.
        InvalidateTailLayout();
        throw;
    }
    NoteOpenLine(st, reopenedDrawItem, keptEnd, keptTextInOrder);
    int extra = 0;
    FinishScreenLine(sad, st.LineWidth + st.LineLeft, st.LineEnd, !State.Contains(rvstLastParaAborted), extra,
                     st.NoLineYet, &FOpenLine.Places);
    // Moved draw items may lie in another order (right to left).
    if (!FOpenLine.Places.empty())
        FOpenLine.TextInOrder = false;
    DocumentHeight = GetBottomMargin() + st.BaseLine + st.LineDescent + extra;
    if (GetItemCount() > 0)
        DocumentHeight +=
            MulDiv(GetRVStyle()->ParaStyles()->Items(GetItemPara(GetItemCount() - 1))->SpaceAfter(),
                   sad.DevicePpiY, sad.ScreenPpiY);
    FLayoutSad = sad;
    if (keepSelection)
        RestoreSelBounds(selItems[0], selItems[1], selItems[2], selItems[3]);
    AdjustVScrollUnits();
    AdjustJumpsCoords();
    return fullLayout;
}

void TCustomRVFormattedData::ReportLayoutSize(int textWidth, bool resized, bool force, int Depth,
                                              TCanvas* canvas, bool reformat)
{
    // Reporting the size may show or hide a scroll bar. Only the area's width
    // shapes the layout: when the vertical bar changed it, the document is
    // laid out once more for the new width.
    const int laidOutWidth = GetWidth();
    auto report = [&] {
        TRVBoolFlagGuard settingSize(SettingAreaSize);
        SetDocumentAreaSize(GetLeftMargin() + textWidth + GetRightMargin(), DocumentHeight, true);
    };
    report();
    if (GetWidth() == laidOutWidth)
        return;
    if (Depth > 0) {
        // The layout for the new width has the bar go back: the document
        // needs the bar at the wider width and not at the narrower one. The
        // bar stays, and the document is laid out at the narrower width
        // (unless it already is).
        SetVScrollBarKept(true);
        report();
        if (GetWidth() == laidOutWidth)
            return;
    }
    EndFormatting();
    Format_(resized, force, false, Depth + 1, canvas, false, reformat);
    StartFormatting();
}

void TCustomRVFormattedData::Format_(bool resized, bool force, bool noScroll, int Depth, TCanvas* canvas,
                                     bool tail, bool reformat)
{
    // A layout caused by reporting the laid-out size does nothing (however
    // many times the bars change the area while it is reported).
    if (SettingAreaSize)
        return;
    // Depth 1 lays out for the width a scroll bar left, depth 2 for the
    // width of a vertical bar kept after all (ReportLayoutSize).
    if (Depth > 2 || GetRVStyle() == nullptr || State.Contains(rvstSkipFormatting))
        return;
    if (canvas == nullptr)
        canvas = GetFormattingCanvas();
    if (canvas == nullptr)
        return;

    if (Depth == 0) {
        StartFormatting();
        if (resized)
            State.Include(rvstResizing);
        FFirstNewDrawItem = 0;
        // A vertical bar kept for an earlier layout shows again only when
        // this one needs it.
        SetVScrollBarKept(false);
    }
    auto finish = [&]() {
        if (Depth != 0)
            return;
        EndFormatting();
        if (resized)
            State.Exclude(rvstResizing);
        LastFormattedItem = GetItemCount() - 1;
        Formatted(0, GetItemCount() - 1, false);
    };
    try {
        int selItems[4] = {-1, -1, 0, 0};
        bool selNoted = false;
        TRVTopPlace topPlace;
        int oldVOffs = 0;
        const unsigned layoutRunsBefore = FLayoutRuns;
        if (Depth == 0) {
            // The selection is kept by item position across a layout that
            // makes the draw items anew.
            selNoted = NoteSelection(selItems);
            if (resized && !noScroll)
                topPlace = NoteTopPlace();
            if (tail)
                oldVOffs = GetVOffs();
        }

        const int oldDocumentWidth = DocumentWidth;
        const int oldTextWidth = TextWidth;
        TRVScreenAndDevice sad;
        GetSADForFormatting(canvas, sad);
        sad.DevLeftMargin = MulDiv(GetLeftMargin(), sad.DevicePpiX, sad.ScreenPpiX);
        sad.DevRightMargin = MulDiv(GetRightMargin(), sad.DevicePpiX, sad.ScreenPpiX);

        TRVTailStart tailStart = tail && SameSad(sad, FLayoutSad) ? CanFormatTail() : TRVTailStart::None;
        bool fullLayout = false;
        const int clientTextWidth = GetWidth() - sad.DevLeftMargin - sad.DevRightMargin;
        const int minW = MulDiv(GetMinTextWidth(), sad.DevicePpiX, sad.ScreenPpiX);
        const int maxW = MulDiv(GetMaxTextWidth(), sad.DevicePpiX, sad.ScreenPpiX);
        // The text sizes the minimum width notes serve this layout alone.
        struct TNotedSizesGuard {
            TCustomRVFormattedData* Data;
            ~TNotedSizesGuard() { Data->ForgetNotedTextSizes(); }
        } notedSizesGuard{this};
        // A new size changes the width of no text: the minimum width kept from
        // the last layout serves a resize (the items appended since measured
        // alone), unless the document changed since (which forgets it) or
        // the layout is forced.
        const bool keepMinWidth = tailStart != TRVTailStart::None || (resized && !force);
        const int neededTextWidth = std::max(GetMinDocWidth(sad, canvas, keepMinWidth), minW);
        TextWidth = std::max(clientTextWidth, neededTextWidth);
        if (GetOptions().Contains(rvoClientTextWidth))
            DocumentWidth = std::max(clientTextWidth, minW);
        else
            DocumentWidth = TextWidth > maxW && GetMaxTextWidth() > 0 ? maxW : TextWidth;
        const bool widthsChanged = DocumentWidth != oldDocumentWidth || TextWidth != oldTextWidth;
        // Lines laid out for the old width may stay only when nothing in them
        // depends on it (rules, as wide as the document, are widened).
        if (tailStart != TRVTailStart::None && widthsChanged &&
            (tailStart == TRVTailStart::ParaStart ? FLastParaStart.UsesWidth : FLayoutUsesWidth))
            tailStart = TRVTailStart::None;

        if (!resized || widthsChanged || force)
            fullLayout = LayoutDocument(canvas, sad, reformat, tailStart, oldTextWidth, oldDocumentWidth,
                                        selNoted, selItems);

        // A text as wide as the client area follows it: only what the text
        // needs counts for the horizontal range, so a vertical bar that
        // narrows the area does not bring a horizontal one for the moment
        // until the text is laid out again at the new width.
        ReportLayoutSize(TextWidth > clientTextWidth ? TextWidth : neededTextWidth, resized, force, Depth,
                         canvas, reformat);

        if (Depth == 0) {
            // Only a new layout moves the lines: a resize that laid nothing
            // out leaves the view where it is.
            if (resized && !noScroll && FLayoutRuns != layoutRunsBefore)
                ScrollTo(TopPlaceY(topPlace), false);
            AdjustChildrenCoords();
            if (tail)
                ScrollTo(GetOptions().Contains(rvoScrollToEnd) ? DocumentHeight : oldVOffs, false);
            if (resized || fullLayout) {
                if (selNoted)
                    RestoreSelBounds(selItems[0], selItems[1], selItems[2], selItems[3]);
                else if (fullLayout)
                    SelStartNo = SelEndNo = -1;
            }
        }
    } catch (...) {
        if (Depth == 0)
            InvalidateTailLayout();
        finish();
        throw;
    }
    finish();
}
