// Partial re-layout: only the lines an edit touched are laid out again and the
// draw items below them move; deleting whole paragraphs; numbering the
// hyperlinks and building their rectangles; the 1-based line of a position.
#include <algorithm>
#include <memory>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/core/numbers.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"

namespace {

int ScaleY(int V, const TRVScreenAndDevice& sad)
{
    return MulDiv(V, sad.DevicePpiY, sad.ScreenPpiY);
}

bool StartsItem(const TRVDrawLines& DrawItems, int i)
{
    return i == 0 || DrawItems[i - 1]->ItemNo != DrawItems[i]->ItemNo;
}

// Moves a selection end after a re-layout of the draw items First..Last that
// left Delta more draw items; an end inside the range is gone (-1).
void MoveDrawItemRef(int& No, int First, int Last, int Delta)
{
    if (No < First)
        return;
    No = No <= Last ? -1 : No + Delta;
}

} // namespace

// ---------------------------------------------------------------------------
// Ranges

void TCustomRVFormattedData::FormatParas(int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted)
{
    const int Count = DrawItems.Count();
    const int ItemCount = GetItemCount();
    if (Count == 0 || ItemCount == 0) {
        FormatParasExact(0, Count - 1, ItemsInserted, false);
        return;
    }
    int StartDI = std::clamp(std::min(StartDrawItemNo, EndDrawItemNo), 0, Count - 1);
    int EndDI = std::clamp(std::max(StartDrawItemNo, EndDrawItemNo), 0, Count - 1);

    // Back to the first draw item of an item that starts a line. Draw items
    // before the edit keep their item numbers.
    while (StartDI > 0) {
        const int ItemNo = DrawItems[StartDI]->ItemNo;
        const bool Continues = ItemNo < ItemCount && GetItem(ItemNo)->GetSameAsPrev();
        if (!Continues && DrawItems[StartDI - 1]->ItemNo != ItemNo)
            break;
        --StartDI;
    }

    // Forward past the draw items of EndDI's item and of every following item
    // that continues the line (numbered as after the edit).
    const int K = DrawItems[EndDI]->ItemNo;
    if (K + ItemsInserted < ItemCount - 1) {
        while (EndDI + 1 < Count && DrawItems[EndDI + 1]->ItemNo == K)
            ++EndDI;
        while (EndDI + 1 < Count) {
            const int NewItemNo = DrawItems[EndDI + 1]->ItemNo + ItemsInserted;
            if (NewItemNo < 0 || NewItemNo >= ItemCount || !GetItem(NewItemNo)->GetSameAsPrev())
                break;
            ++EndDI;
        }
    } else {
        EndDI = Count - 1;
    }
    FormatParasExact(StartDI, EndDI, ItemsInserted, false);
}

void TCustomRVFormattedData::GetParaBounds(int StartDrawItemNo, int EndDrawItemNo, int& ParaStart,
                                           int& ParaEnd)
{
    const int Count = DrawItems.Count();
    const int ItemCount = GetItemCount();
    ParaStart = -1;
    ParaEnd = -1;
    if (Count == 0)
        return;
    auto StartsPara = [&](int i) {
        const int ItemNo = DrawItems[i]->ItemNo;
        return StartsItem(DrawItems, i) && ItemNo < ItemCount && IsParaStart(ItemNo);
    };
    // The first draw item of the paragraph holding draw item i.
    auto BackToParaStart = [&](int i) {
        while (i > 0 && !StartsPara(i))
            --i;
        return i;
    };
    // The first draw item after the paragraph holding draw item i (Count at the end).
    auto PastPara = [&](int i) {
        ++i;
        while (i < Count && !StartsPara(i))
            ++i;
        return i;
    };
    ParaStart = BackToParaStart(std::clamp(StartDrawItemNo, 0, Count - 1));
    if (ParaStart > 0)
        ParaStart = BackToParaStart(ParaStart - 1);
    int End = PastPara(std::clamp(EndDrawItemNo, 0, Count - 1));
    if (End < Count)
        End = PastPara(End);
    ParaEnd = End - 1;
}

// ---------------------------------------------------------------------------
// Laying out a range again

namespace {

// The y where the line that ends at draw item Last stops: the largest bottom
// of its draw items with the line spacing below them. A text piece stands on
// a baseline that lies its style's external leading lower than its Height
// says (the layout raises the ascent by it), so that is added back: the next
// line then starts exactly where a full layout starts it.
int LineBottom(TCustomRVFormattedData& Data, int Last, TCanvas* Canvas)
{
    TRVStyle* RVStyle = Data.GetRVStyle();
    const bool ExtLeading = Data.GetFlags().Contains(rvflUseExternalLeading);
    int Bottom = 0;
    for (int i = Last; i >= 0; --i) {
        const TRVDrawLineInfo* dli = Data.DrawItems[i];
        int b = dli->Top + dli->Height + dli->ExtraSpaceBelow;
        const int StyleNo = Data.GetItemStyle(dli->ItemNo);
        if (ExtLeading && StyleNo >= 0) {
            RVStyle->ApplyStyle(Canvas, StyleNo, Data.GetParaBiDiMode(Data.GetItemPara(dli->ItemNo)));
            TTextMetric tm;
            if (Canvas->GetTextMetrics(tm))
                b += tm.tmExternalLeading;
        }
        Bottom = std::max(Bottom, b);
        if (dli->FromNewLine)
            break;
    }
    return Bottom;
}

} // namespace

void TCustomRVFormattedData::FormatParasExact(int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted,
                                              bool Reformat)
{
    if (State.Contains(rvstSkipFormatting))
        return;
    TRVStyle* RVStyle = GetRVStyle();
    TCanvas* Canvas = GetCanvas();
    if (RVStyle == nullptr || Canvas == nullptr)
        return;
    const int OldCount = DrawItems.Count();
    const int ItemCount = GetItemCount();
    if (OldCount == 0 || ItemCount == 0 || StartDrawItemNo < 0 || EndDrawItemNo >= OldCount ||
        StartDrawItemNo > EndDrawItemNo) {
        // Nothing laid out to start from, or no items left: the whole document.
        InvalidateTailLayout();
        Format_(false, true, true, 0, Canvas, false, Reformat);
        return;
    }
    // The range holds whole items: the first draw item of its first item and
    // the last of its last, whatever the caller passed.
    int StartDI = StartDrawItemNo;
    while (StartDI > 0 && DrawItems[StartDI - 1]->ItemNo == DrawItems[StartDI]->ItemNo)
        --StartDI;
    int EndDI = EndDrawItemNo;
    while (EndDI + 1 < OldCount && DrawItems[EndDI + 1]->ItemNo == DrawItems[EndDI]->ItemNo)
        ++EndDI;
    // The draw items below must name items after the range once renumbered;
    // a count of inserted items that does not fit the store leaves no sound
    // base for a partial layout.
    if (EndDI < OldCount - 1) {
        const int NextItem = DrawItems[EndDI + 1]->ItemNo + ItemsInserted;
        const int LastBelow = DrawItems[OldCount - 1]->ItemNo + ItemsInserted;
        if (NextItem <= DrawItems[StartDI]->ItemNo || LastBelow >= ItemCount) {
            InvalidateTailLayout();
            Format_(false, true, true, 0, Canvas, false, Reformat);
            return;
        }
    }

    State.Include(rvstFormatParas);
    int FirstItem = 0;
    int LastItem = 0;
    try {
        FirstItem = DrawItems[StartDI]->ItemNo;
        LastItem = DrawItems[EndDI]->ItemNo + ItemsInserted;
        AdjustInItemsRange(FirstItem);
        AdjustInItemsRange(LastItem);
        if (LastItem < FirstItem)
            LastItem = FirstItem;

        TRVFormatLineState st;
        st.Canvas = Canvas;
        GetSADForFormatting(Canvas, st.sad);
        st.sad.DevLeftMargin = MulDiv(GetLeftMargin(), st.sad.DevicePpiX, st.sad.ScreenPpiX);
        st.sad.DevRightMargin = MulDiv(GetRightMargin(), st.sad.DevicePpiX, st.sad.ScreenPpiX);
        st.Reformat = Reformat;

        const int PrevBottom =
            StartDI == 0 ? GetTopMargin() : std::max(GetTopMargin(), LineBottom(*this, StartDI - 1, Canvas));
        int NextTop = -1;
        if (EndDI < OldCount - 1) {
            NextTop = DrawItems[EndDI + 1]->Top;
            for (int i = EndDI + 2; i < OldCount && !DrawItems[i]->FromNewLine; ++i)
                NextTop = std::min(NextTop, DrawItems[i]->Top);
        }
        TRect Repaint = Rect(0, PrevBottom - 10 - GetVOffs(), GetWidth(), 0);

        // What refers to draw items of the range goes; what lies below follows it.
        int SelStart = SelStartNo, SelEnd = SelEndNo;
        ClearJumps();
        HotDrawItemNo = -1;

        st.BaseLine = PrevBottom;
        st.LineEnd = StartDI;
        DrawItems.MarkForDelete(StartDI, EndDI);
        for (int i = FirstItem; i <= LastItem; ++i) {
            TCustomRVItemInfo* Item = GetItem(i);
            if (!Item->GetSameAsPrev() && !Item->GetBR())
                st.ParaStartItem = i;
            const AnsiString& Text = Items->Get(i);
            if (Item->StyleNo < 0) {
                FormatLine(AnsiString(), 0, static_cast<int>(Text.size()), i, st);
            } else if (RVStyle->ParaStyles()->Items(Item->ParaNo)->Alignment() == rvaJustify) {
                FormatWords(i, st);
            } else {
                const TFontInfo* TextStyle = RVStyle->TextStyles()->Items(Item->StyleNo);
                const int Len = RVU_Length(Text, Item->ItemOptions);
                if (TextStyle->StyleEx().Contains(rvfsAllCaps))
                    FormatLine(RV_ReturnCapitalized(Text, TextStyle), 0, Len, i, st);
                else
                    FormatLine(Text, 0, Len, i, st);
            }
        }
        int Extra = 0;
        const bool LastLine = LastItem < ItemCount - 1 || !State.Contains(rvstLastParaAborted);
        FinishScreenLine(st.sad, st.LineWidth + st.LineLeft, st.LineEnd, LastLine, Extra, st.NoLineYet);
        DrawItems.DeleteMarked();
        const int NewCount = DrawItems.Count();
        const int FirstBelow = st.LineEnd;

        // Where the line after the range starts now: the paragraph spacing
        // between them, as the layout puts it.
        int NewBottom = st.BaseLine + st.LineDescent + Extra;
        const bool LastIsLast = LastItem == ItemCount - 1;
        const TCustomRVItemInfo* Next = LastIsLast ? nullptr : GetItem(LastItem + 1);
        if (LastIsLast || Next->CanBeBorderStart())
            NewBottom += ScaleY(RVStyle->ParaStyles()->Items(GetItemPara(LastItem))->SpaceAfter(), st.sad);
        if (Next != nullptr && Next->CanBeBorderStart()) {
            NewBottom += ScaleY(RVStyle->ParaStyles()->Items(Next->ParaNo)->SpaceBefore(), st.sad);
            // A rule stands below the space of paragraph style 0 too.
            if (Next->StyleNo == rvsBreak)
                NewBottom += ScaleY(RVStyle->ParaStyles()->Items(0)->SpaceBefore(), st.sad);
        }
        Repaint.Bottom = NewBottom + 10 - GetVOffs();

        const int Delta = NextTop >= 0 ? NewBottom - NextTop : 0;
        if (ItemsInserted != 0 || NewCount != OldCount || Delta != 0) {
            int MaxBottom = NewBottom;
            for (int i = FirstBelow; i < NewCount; ++i) {
                TRVDrawLineInfo* dli = DrawItems[i];
                dli->Top += Delta;
                dli->ItemNo += ItemsInserted;
                MaxBottom = std::max(MaxBottom, dli->Top + dli->Height);
                if (StartsItem(DrawItems, i) && !ShareItems())
                    GetItem(dli->ItemNo)->DrawItemNo = i;
            }
            Repaint.Bottom = std::min(MaxBottom - GetVOffs() + 10, GetHeight());
            // The document ends where the layout ended it, moved with the rest
            // (or, when the range reached the end, below the new last line).
            const int NewHeight = NextTop >= 0 ? DocumentHeight + Delta : GetBottomMargin() + NewBottom;
            if (NewHeight != DocumentHeight) {
                const int OldVOffs = GetVOffs();
                DocumentHeight = NewHeight;
                AdjustVScrollUnits();
                AreaResizing = true;
                try {
                    SetDocumentAreaSize(GetAreaWidth(), DocumentHeight, false);
                } catch (...) {
                    AreaResizing = false;
                    throw;
                }
                AreaResizing = false;
                if (GetVOffs() != OldVOffs)
                    if (TWinControl* Control = GetParentControl())
                        Repaint = Control->ClientRect();
            }
        }

        const int Moved = NewCount - OldCount;
        MoveDrawItemRef(SelStart, StartDI, EndDI, Moved);
        MoveDrawItemRef(SelEnd, StartDI, EndDI, Moved);
        if (SelStartNo >= 0 && (SelStart < 0 || SelEnd < 0)) {
            SelStartNo = SelEndNo = -1;
            SelStartOffs = SelEndOffs = 0;
            State.Exclude(rvstMakingSelection);
        } else {
            SelStartNo = SelStart;
            SelEndNo = SelEnd;
        }
        MoveDrawItemRef(PressedDrawItemNo, StartDI, EndDI, Moved);

        int JumpNo = 0;
        ClearJumps();
        BuildJumpsCoords(JumpNo, nullptr);
        AdjustChildrenCoords();
        LastFormattedItem = ItemCount - 1;
        // A tail layout cannot continue from draw items laid out this way.
        InvalidateTailLayout();
        InvalidateRect(Repaint);
        UpdateView();
    } catch (...) {
        State.Exclude(rvstFormatParas);
        InvalidateTailLayout();
        throw;
    }
    State.Exclude(rvstFormatParas);
    Formatted(FirstItem, LastItem, true);
}

void TCustomRVFormattedData::DeleteParas(int FirstItemNo, int LastItemNo)
{
    const int ItemCount = GetItemCount();
    if (ItemCount == 0)
        return;
    FirstItemNo = std::clamp(FirstItemNo, 0, ItemCount - 1);
    LastItemNo = std::clamp(LastItemNo, 0, ItemCount - 1);
    if (FirstItemNo > LastItemNo)
        return;
    int First1, Last1;
    ExpandToPara(FirstItemNo, LastItemNo, First1, Last1);
    int First2, Last2;
    ExpandToPara(std::max(First1 - 1, 0), std::min(Last1 + 1, ItemCount - 1), First2, Last2);
    int StartDI, EndDI;
    Item2FirstDrawItem(First2, StartDI);
    Item2FirstDrawItem(Last2, EndDI);
    const bool LaidOut = StartDI >= 0 && EndDI >= StartDI && EndDI < DrawItems.Count();
    const bool Shown = DrawItems.Count() > 0;
    ClearJumps();
    DeleteItems(First1, Last1 - First1 + 1);
    // The re-layout numbers the hyperlinks again. Paragraphs that were never
    // laid out leave draw items that name items no longer there: the whole
    // document then, so that nothing stale is shown.
    if (LaidOut)
        FormatParasExact(StartDI, EndDI, -(Last1 - First1 + 1), false);
    else if (Shown)
        Format_(false, true, true, 0, GetCanvas(), false, false);
}

// ---------------------------------------------------------------------------
// Hyperlinks

void TCustomRVFormattedData::BuildJumpsCoords(int& StartJumpNo, TList* AJumps)
{
    TList* List = AJumps != nullptr ? AJumps : &Jumps;
    HotDrawItemNo = -1;
    TRVStyle* RVStyle = GetRVStyle();
    if (RVStyle == nullptr)
        return;
    // The rectangles are made as the layout makes them: only while hyperlinks
    // are tracked, none for an empty hyperlink text, so that numbering after a
    // partial re-layout equals that of a full one.
    const bool UseJumps = GetFlags().Contains(rvflUseJumps);
    JumpCount = 0;
    int PrevItem = -1;
    for (int i = 0; i < DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = DrawItems[i];
        const int ItemNo = dli->ItemNo;
        TCustomRVItemInfo* Item = GetItem(ItemNo);
        if (Item->GetBoolValueEx(rvbpJump, RVStyle)) {
            if (Item->StyleNo >= 0 && RVU_Length(Items->Get(ItemNo), Item->ItemOptions) == 0) {
                Item->JumpID = -3;
                continue;
            }
            const int Id = StartJumpNo + JumpCount - (ItemNo == PrevItem ? 1 : 0);
            if (UseJumps) {
                auto Jump = std::make_unique<TRVJumpInfo>();
                Jump->RVData = this;
                Jump->Left = dli->Left;
                Jump->Top = dli->Top;
                Jump->Width = dli->Width;
                Jump->Height = dli->Height;
                Jump->Id = Id;
                Jump->DrawItemNo = i;
                Jump->Cursor = Item->StyleNo >= 0 ? RVStyle->TextStyles()->Items(Item->StyleNo)->JumpCursor()
                                                  : Item->GetHypertextCursor(RVStyle);
                List->Add(Jump.get());
                Jump.release();
            }
            Item->JumpID = Id;
            if (ItemNo != PrevItem) {
                ++JumpCount;
                PrevItem = ItemNo;
            }
        } else if (Item->StyleNo < 0 && UseJumps) {
            int NextJumpNo = StartJumpNo + JumpCount;
            Item->BuildJumps(dli->Left, dli->Top, NextJumpNo, List);
            JumpCount = NextJumpNo - StartJumpNo;
        }
    }
    StartJumpNo += JumpCount;
}

// ---------------------------------------------------------------------------
// Lines

int TCustomRVFormattedData::GetLineNo(int ItemNo, int Offs)
{
    int DrawItemNo, DrawOffs;
    Item2DrawItem(ItemNo, Offs, DrawItemNo, DrawOffs);
    int Line = 0;
    for (int i = DrawItemNo; i >= 0; --i)
        if (DrawItems[i]->FromNewLine || i == 0)
            ++Line;
    return Line;
}
