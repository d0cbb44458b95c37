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

} // namespace

void TCustomRVFormattedData::Format(bool Reformat)
{
    Format_(false, true, false, 0, GetCanvas(), false, Reformat);
}

bool TCustomRVFormattedData::CanFormatTail(bool& Reopen) const
{
    Reopen = false;
    const int ItemCount = GetItemCount();
    if (FLayoutStale || DrawItems.Count() == 0 || LastFormattedItem < 0 || LastFormattedItem >= ItemCount ||
        State.Contains(rvstLastParaAborted))
        return false;
    if (LastFormattedItem + 1 >= ItemCount || !GetItem(LastFormattedItem + 1)->GetSameAsPrev())
        return true;
    // The first new item continues the last line: the last paragraph is laid
    // out again from its start, which must be the one noted.
    const TRVParaStartNote& Note = FLastParaStart;
    if (!Note.Valid || Note.ItemNo != GetFirstParaItem(LastFormattedItem) ||
        Note.DrawItemNo > DrawItems.Count() || Note.JumpsCount > Jumps.Count())
        return false;
    Reopen = true;
    return true;
}

int TCustomRVFormattedData::GetMinDocWidth(const TRVScreenAndDevice& sad, TCanvas* Canvas, bool Incremental)
{
    // Widths are measured in screen pixels when the device is the screen.
    const bool Screen = sad.ScreenPpiX == sad.DevicePpiX && sad.ScreenPpiY == sad.DevicePpiY;
    const TRVScreenAndDevice* psad = Screen ? nullptr : &sad;
    const int ItemCount = GetItemCount();
    int Start = 0;
    int Closed = 0;
    const TRVMinWidthCache& Cache = FMinWidthCache;
    if (Incremental && Cache.Valid && Cache.DevicePpiX == sad.DevicePpiX &&
        Cache.ScreenPpiX == sad.ScreenPpiX && Cache.OpenSection < ItemCount) {
        Start = Cache.OpenSection;
        Closed = Cache.ClosedWidth;
    }
    int ParaStart = Start > 0 ? GetFirstParaItem(Start) : 0;
    int OpenWidth = 0;
    int OpenSection = Start;
    for (int i = Start; i < ItemCount;) {
        int Next = i + 1;
        while (Next < ItemCount && !IsFromNewLine(Next))
            ++Next;
        if (IsParaStart(i))
            ParaStart = i;
        const int W = CalculateParaSectionMinWidth(i, ParaStart, psad, Canvas);
        // The last section may still grow by appended items: kept apart.
        if (Next < ItemCount) {
            Closed = std::max(Closed, W);
        } else {
            OpenWidth = W;
            OpenSection = i;
        }
        i = Next;
    }
    FMinWidthCache.Valid = true;
    FMinWidthCache.ClosedWidth = Closed;
    FMinWidthCache.OpenSection = ItemCount > 0 ? OpenSection : 0;
    FMinWidthCache.DevicePpiX = sad.DevicePpiX;
    FMinWidthCache.ScreenPpiX = sad.ScreenPpiX;
    return std::max(Closed, OpenWidth);
}

void TCustomRVFormattedData::NoteItemWidthUse(int ItemNo)
{
    if (FLayoutUsesWidth)
        return;
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->StyleNo < 0) {
        FLayoutUsesWidth = true;
        return;
    }
    // Unwrapped left-aligned text is placed the same whatever the width.
    const TParaInfo* Para = GetRVStyle()->ParaStyles()->Items(Item->ParaNo);
    if (!Para->Options().Contains(rvpaoNoWrap) || Para->Alignment() != rvaLeft)
        FLayoutUsesWidth = true;
}

void TCustomRVFormattedData::LayoutItems(int FirstItemNo, TRVFormatLineState& st)
{
    TRVStyle* RVStyle = GetRVStyle();
    const int ItemCount = GetItemCount();
    for (int i = FirstItemNo; i < ItemCount; ++i) {
        const TCustomRVItemInfo* Item = GetItem(i);
        if (!Item->GetSameAsPrev() && !Item->GetBR())
            st.ParaStartItem = i;
        const AnsiString& Text = Items->Get(i);
        if (Item->StyleNo >= 0) {
            if (RVStyle->ParaStyles()->Items(Item->ParaNo)->Alignment() == rvaJustify) {
                FormatWords(i, st);
            } else {
                const TFontInfo* TextStyle = RVStyle->TextStyles()->Items(Item->StyleNo);
                const int Len = RVU_Length(Text, Item->ItemOptions);
                if (TextStyle->StyleEx().Contains(rvfsAllCaps))
                    FormatLine(RV_ReturnCapitalized(Text, TextStyle), 0, Len, i, st);
                else
                    FormatLine(Text, 0, Len, i, st);
            }
        } else {
            FormatLine(AnsiString(), 0, static_cast<int>(Text.size()), i, st);
        }
        NoteItemWidthUse(i);
    }
}

void TCustomRVFormattedData::Format_(bool Resized, bool Force, bool NoScroll, int Depth, TCanvas* Canvas,
                                     bool Tail, bool Reformat)
{
    // A layout caused by reporting the laid-out size does nothing.
    if (SettingAreaSize) {
        SettingAreaSize = false;
        return;
    }
    if (Depth > 1 || GetRVStyle() == nullptr || State.Contains(rvstSkipFormatting))
        return;
    if (Canvas == nullptr)
        Canvas = GetCanvas();
    if (Canvas == nullptr)
        return;

    if (Depth == 0) {
        StartFormatting();
        if (Resized)
            State.Include(rvstResizing);
        FFirstNewDrawItem = 0;
    }
    auto Finish = [&]() {
        if (Depth != 0)
            return;
        EndFormatting();
        if (Resized)
            State.Exclude(rvstResizing);
        LastFormattedItem = GetItemCount() - 1;
        Formatted(0, GetItemCount() - 1, false);
    };
    try {
        int SelItems[4] = {-1, -1, 0, 0};
        int TopItem = -1;
        int TopOffs = 0;
        int OldVOffs = 0;
        if (Depth == 0) {
            if (Resized) {
                StoreSelBounds(SelItems[0], SelItems[1], SelItems[2], SelItems[3], false);
                if (!NoScroll && DrawItems.Count() > 0) {
                    const int TopDrawItem = std::min(GetDrawItemNo(GetVOffs(), 1), DrawItems.Count() - 1);
                    if (TopDrawItem >= 0) {
                        TopOffs = GetVOffs() - DrawItems[TopDrawItem]->Top;
                        TopItem = DrawItems[TopDrawItem]->ItemNo;
                    }
                }
            }
            if (Tail)
                OldVOffs = GetVOffs();
        }

        const int OldDocumentWidth = DocumentWidth;
        const int OldTextWidth = TextWidth;
        TRVScreenAndDevice sad;
        GetSADForFormatting(Canvas, sad);
        sad.DevLeftMargin = MulDiv(GetLeftMargin(), sad.DevicePpiX, sad.ScreenPpiX);
        sad.DevRightMargin = MulDiv(GetRightMargin(), sad.DevicePpiX, sad.ScreenPpiX);

        bool Reopen = false;
        bool DoTail = Tail && CanFormatTail(Reopen) && SameSad(sad, FLayoutSad);
        const int ClientTextWidth = GetWidth() - sad.DevLeftMargin - sad.DevRightMargin;
        const int MinW = MulDiv(GetMinTextWidth(), sad.DevicePpiX, sad.ScreenPpiX);
        const int MaxW = MulDiv(GetMaxTextWidth(), sad.DevicePpiX, sad.ScreenPpiX);
        TextWidth = std::max(ClientTextWidth, GetMinDocWidth(sad, Canvas, DoTail));
        TextWidth = std::max(TextWidth, MinW);
        if (GetOptions().Contains(rvoClientTextWidth))
            DocumentWidth = std::max(ClientTextWidth, MinW);
        else
            DocumentWidth = TextWidth > MaxW && GetMaxTextWidth() > 0 ? MaxW : TextWidth;
        const bool WidthsChanged = DocumentWidth != OldDocumentWidth || TextWidth != OldTextWidth;
        // Lines laid out for the old width may stay only when nothing in them
        // depends on it.
        if (DoTail && WidthsChanged && (Reopen ? FLastParaStart.UsesWidth : FLayoutUsesWidth))
            DoTail = false;

        if (!Resized || WidthsChanged || Force) {
            TRVFormatLineState st;
            st.Canvas = Canvas;
            st.sad = sad;
            st.Reformat = Reformat;
            st.NoteParaStarts = true;
            int FirstItemNo = 0;
            bool KeepSelection = false;
            if (DoTail && Reopen) {
                const TRVParaStartNote Note = FLastParaStart;
                // A selection in the reopened paragraph is kept by item position.
                KeepSelection = std::max(SelStartNo, SelEndNo) >= Note.DrawItemNo;
                if (KeepSelection)
                    StoreSelBounds(SelItems[0], SelItems[1], SelItems[2], SelItems[3], false);
                FirstItemNo = Note.ItemNo;
                for (int i = FirstItemNo; i <= LastFormattedItem; ++i)
                    GetItem(i)->DrawItemNo = -1;
                DrawItems.DeleteFrom(Note.DrawItemNo);
                for (int i = Note.JumpsCount; i < Jumps.Count(); ++i)
                    delete static_cast<TRVJumpInfo*>(Jumps.Get(i));
                if (Note.JumpsCount < Jumps.Count())
                    Jumps.SetCount(Note.JumpsCount);
                JumpCount = Note.JumpCount;
                if (HotDrawItemNo >= Note.DrawItemNo)
                    HotDrawItemNo = -1;
                st.BaseLine = Note.BaseLine;
                st.LineDescent = Note.LineDescent;
                FLayoutUsesWidth = Note.UsesWidth;
            } else if (DoTail) {
                FirstItemNo = LastFormattedItem + 1;
                st.BaseLine = DocumentHeight - GetBottomMargin();
                if (LastFormattedItem >= 0)
                    st.BaseLine -= MulDiv(
                        GetRVStyle()->ParaStyles()->Items(GetItemPara(LastFormattedItem))->SpaceAfter(),
                        sad.DevicePpiY, sad.ScreenPpiY);
            } else {
                st.BaseLine = GetTopMargin();
                ClearTemporal();
                FLayoutStale = false;
            }
            st.LineEnd = DrawItems.Count();
            FFirstNewDrawItem = st.LineEnd;
            try {
                LayoutItems(FirstItemNo, st);
            } catch (...) {
                // Draw items of a broken layout are no base for a tail.
                InvalidateTailLayout();
                throw;
            }
            int Extra = 0;
            FinishScreenLine(sad, st.LineWidth + st.LineLeft, st.LineEnd,
                             !State.Contains(rvstLastParaAborted), Extra, st.NoLineYet);
            DocumentHeight = GetBottomMargin() + st.BaseLine + st.LineDescent + Extra;
            if (GetItemCount() > 0)
                DocumentHeight +=
                    MulDiv(GetRVStyle()->ParaStyles()->Items(GetItemPara(GetItemCount() - 1))->SpaceAfter(),
                           sad.DevicePpiY, sad.ScreenPpiY);
            FLayoutSad = sad;
            if (KeepSelection)
                RestoreSelBounds(SelItems[0], SelItems[1], SelItems[2], SelItems[3]);
            AdjustVScrollUnits();
            AdjustJumpsCoords();
        }

        // Reporting the size may show or hide a scroll bar, which changes the
        // area: then the document is laid out once more for it.
        const int OldWidth = GetWidth();
        const int OldHeight = GetHeight();
        SettingAreaSize = true;
        try {
            SetDocumentAreaSize(GetLeftMargin() + TextWidth + GetRightMargin(), DocumentHeight, true);
        } catch (...) {
            SettingAreaSize = false;
            throw;
        }
        SettingAreaSize = false;
        if (GetWidth() != OldWidth || GetHeight() != OldHeight) {
            EndFormatting();
            Format_(Resized, Force, false, Depth + 1, Canvas, false, Reformat);
            StartFormatting();
        }

        if (Depth == 0) {
            if (Resized && !NoScroll) {
                const int DrawItemNo = TopItem >= 0 ? FindDrawItemByItem(TopItem) : -1;
                ScrollTo(DrawItemNo >= 0 ? DrawItems[DrawItemNo]->Top + TopOffs : 0, false);
            }
            AdjustChildrenCoords();
            if (Tail)
                ScrollTo(GetOptions().Contains(rvoScrollToEnd) ? DocumentHeight : OldVOffs, false);
            if (Resized)
                RestoreSelBounds(SelItems[0], SelItems[1], SelItems[2], SelItems[3]);
        }
    } catch (...) {
        if (Depth == 0)
            InvalidateTailLayout();
        Finish();
        throw;
    }
    Finish();
}
