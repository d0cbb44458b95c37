// Selection bounds and the mapping between item positions and draw-item
// positions; hits for selecting; the draw items at the top and bottom of the
// view; moving hyperlink rectangles and inserted controls to their laid-out
// places.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "view/crvfdata.h"

// ---------------------------------------------------------------------------
// Selection bounds

void TCustomRVFormattedData::GetSelBounds(int& StartNo, int& EndNo, int& StartOffs, int& EndOffs,
                                          bool Normalize)
{
    StartNo = SelStartNo;
    EndNo = SelEndNo;
    StartOffs = SelStartOffs;
    EndOffs = SelEndOffs;
    if (!Normalize)
        return;
    if (StartNo > EndNo) {
        std::swap(StartNo, EndNo);
        std::swap(StartOffs, EndOffs);
    } else if (StartNo == EndNo && StartOffs > EndOffs) {
        std::swap(StartOffs, EndOffs);
    }
}

void TCustomRVFormattedData::StoreSelBounds(int& StartItemNo, int& EndItemNo, int& StartItemOffs,
                                            int& EndItemOffs, bool Normalize)
{
    int StartNo, EndNo, StartOffs, EndOffs;
    GetSelBounds(StartNo, EndNo, StartOffs, EndOffs, Normalize);
    DrawItem2Item(StartNo, StartOffs, StartItemNo, StartItemOffs);
    DrawItem2Item(EndNo, EndOffs, EndItemNo, EndItemOffs);
}

void TCustomRVFormattedData::RestoreSelBounds(int StartItemNo, int EndItemNo, int StartItemOffs,
                                              int EndItemOffs)
{
    Item2DrawItem(StartItemNo, StartItemOffs, SelStartNo, SelStartOffs);
    Item2DrawItem(EndItemNo, EndItemOffs, SelEndNo, SelEndOffs);
}

// ---------------------------------------------------------------------------
// Mapping between items and draw items

void TCustomRVFormattedData::DrawItem2Item(int DrawItemNo, int DrawOffs, int& ItemNo, int& Offs)
{
    Offs = DrawOffs;
    if (DrawItemNo == -1) {
        ItemNo = -1;
        return;
    }
    const TRVDrawLineInfo* dli = DrawItems.Get(DrawItemNo);
    ItemNo = dli->ItemNo;
    if (GetItemStyle(ItemNo) < 0)
        return;
    // A draw item laid out for a longer text than the item now holds never
    // names a position past the item's end.
    Offs = std::clamp(DrawOffs + dli->Offs - 1, 1, ItemLength(ItemNo) + 1);
}

void TCustomRVFormattedData::Item2FirstDrawItem(int ItemNo, int& DrawItemNo)
{
    DrawItemNo = ItemNo == -1 ? -1 : GetItem(ItemNo)->DrawItemNo;
}

void TCustomRVFormattedData::Item2DrawItem(int ItemNo, int Offs, int& DrawItemNo, int& DrawOffs)
{
    DrawOffs = Offs;
    Item2FirstDrawItem(ItemNo, DrawItemNo);
    if (DrawItemNo < 0 || DrawItemNo >= DrawItems.Count()) {
        // Not laid out (or laid out before the items changed).
        DrawItemNo = -1;
        return;
    }
    if (GetItemStyle(ItemNo) < 0)
        return;
    Offs = std::clamp(Offs, 1, ItemLength(ItemNo) + 1);
    const int Count = DrawItems.Count();
    int J = DrawItemNo + 1;
    while (J < Count && DrawItems.Get(J)->ItemNo == ItemNo) {
        const TRVDrawLineInfo* Prev = DrawItems.Get(J - 1);
        if (DrawItems.Get(J)->Offs >= Offs && Prev->Offs + Prev->Length >= Offs)
            break;
        ++J;
    }
    DrawItemNo = J - 1;
    const TRVDrawLineInfo* dli = DrawItems.Get(DrawItemNo);
    if (J < Count && Offs > dli->Offs + dli->Length) {
        // A space dropped at the end of the line: the position is the start of
        // the next line's first draw item.
        DrawItemNo = J;
        DrawOffs = GetOffsBeforeDrawItem(J);
        return;
    }
    DrawOffs = std::clamp(Offs - dli->Offs + 1, 1, dli->Length + 1);
}

void TCustomRVFormattedData::GetScreenLineBounds(int DrawItemNo, int& First, int& Last)
{
    First = DrawItemNo;
    while (First >= 1 && !DrawItems.Get(First)->FromNewLine)
        --First;
    Last = DrawItemNo + 1;
    while (Last < DrawItems.Count() && !DrawItems.Get(Last)->FromNewLine)
        ++Last;
    --Last;
}

int TCustomRVFormattedData::FindDrawItemByItem(int ItemNo)
{
    if (ItemNo == -1)
        return -1;
    // The item's own note of its first draw item answers at once when it
    // still holds (a data that shares its items with another does not keep it).
    const int Noted = GetItem(ItemNo)->DrawItemNo;
    if (Noted >= 0 && Noted < DrawItems.Count() && DrawItems.Get(Noted)->ItemNo == ItemNo &&
        (Noted == 0 || DrawItems.Get(Noted - 1)->ItemNo != ItemNo))
        return Noted;
    for (int i = 0; i < DrawItems.Count(); ++i)
        if (DrawItems.Get(i)->ItemNo == ItemNo)
            return i;
    return -1;
}

// ---------------------------------------------------------------------------
// Hits

namespace {

// The draw item whose Top is the last at or above Y among 1..Count - 1, by
// bisection (Tops grow from line to line); draw item 0 when Y lies within it.
int BisectLine(const TRVDrawLines& DrawItems, int Y)
{
    const TRVDrawLineInfo* First = DrawItems.Get(0);
    if (First->Top + First->Height > Y)
        return 0;
    int Lo = 1;
    int Hi = DrawItems.Count() - 1;
    while (Hi - Lo >= 2) {
        const int Mid = (Lo + Hi) / 2;
        if (DrawItems.Get(Mid)->Top > Y)
            Hi = Mid;
        else
            Lo = Mid;
    }
    return DrawItems.Get(Hi)->Top <= Y ? Hi : Lo;
}

} // namespace

void TCustomRVFormattedData::FindDrawItemForSel(int X, int Y, int& DrawItemNo, int& DrawOffs, bool Strict)
{
    DrawItemNo = -1;
    DrawOffs = -1;
    const int Count = DrawItems.Count();
    if (Count == 0)
        return;

    int First, Last;
    GetScreenLineBounds(BisectLine(DrawItems, Y), First, Last);
    // Lines of uneven height may overlap in their tops: the next line wins
    // when one of its draw items starts at or above Y.
    if (Last < Count - 1) {
        int NextFirst, NextLast;
        GetScreenLineBounds(Last + 1, NextFirst, NextLast);
        for (int i = NextFirst; i <= NextLast; ++i)
            if (DrawItems.Get(i)->Top <= Y) {
                First = NextFirst;
                Last = NextLast;
                break;
            }
    }

    const bool RightToLeft = GetParaBiDiMode(GetItemPara(DrawItems.Get(First)->ItemNo)) == rvbdRightToLeft;
    const int Dir = RightToLeft ? -1 : 1;
    const int Start = RightToLeft ? Last : First;
    const int End = RightToLeft ? First : Last;
    for (int i = Start;; i += Dir) {
        const TRVDrawLineInfo* dli = DrawItems.Get(i);
        bool Hit;
        if (Strict)
            Hit =
                dli->Left <= X && X < dli->Left + dli->Width && dli->Top <= Y && Y <= dli->Top + dli->Height;
        else
            Hit = (dli->Left <= X && (i == End || DrawItems.Get(i + Dir)->Left > X)) ||
                  (i == Start && X < dli->Left);
        if (Hit) {
            DrawItemNo = i;
            break;
        }
        if (i == End)
            return;
    }

    const TRVDrawLineInfo* dli = DrawItems.Get(DrawItemNo);
    const int ItemNo = dli->ItemNo;
    const int StyleNo = GetItemStyle(ItemNo);
    if (StyleNo < 0) {
        const bool RightHalf = dli->Left + dli->Width / 2 < X;
        DrawOffs = (RightHalf != RightToLeft) ? 1 : 0;
        if (!Strict && StyleNo == rvsListMarker && DrawItemNo + 1 < Count) {
            // A click on a list marker selects the start of what follows it.
            ++DrawItemNo;
            DrawOffs = GetOffsBeforeDrawItem(DrawItemNo);
        }
        return;
    }
    DrawOffs = 1;
    TRVStyle* Style = GetRVStyle();
    TCanvas* Canvas = GetCanvas();
    if (Style == nullptr || Canvas == nullptr)
        return;
    const TRVItemOptions Options = GetItemOptions(ItemNo);
    Style->ApplyStyle(Canvas, StyleNo, GetParaBiDiMode(GetItemPara(ItemNo)));
    const AnsiString s =
        RV_ReturnCapitalized(DrawItems.GetString(DrawItemNo, Items), Style->TextStyles()->Items(StyleNo));
    const int Len = RVU_Length(s, Options);
    if (Len == 0)
        return;

    // Caret places: Places[j] is the x of the place after j characters.
    std::vector<int> Places;
    std::vector<int> Pos(static_cast<size_t>(Len) + 1);
    if (GetItemBiDiMode(ItemNo) != rvbdUnspecified && RVU_GetTextCaretPos(Canvas, s, Pos.data(), Options)) {
        for (int j = 0; j <= Len; ++j)
            Places.push_back(dli->Left + dli->SpaceBefore + Pos[static_cast<size_t>(j)]);
    } else {
        int Fit = 0;
        const int Limit = static_cast<int>(std::min<int64_t>(int64_t(dli->Width) * 10, INT32_MAX));
        RVU_GetTextExtentExPoint(Canvas, s, Limit, Fit, Pos.data(), Options);
        Places.push_back(dli->Left);
        for (int j = 1; j <= std::min(Fit, Len); ++j)
            Places.push_back(dli->Left + dli->SpaceBefore + Pos[static_cast<size_t>(j) - 1]);
    }
    int Best = 0;
    for (int j = 1; j < static_cast<int>(Places.size()); ++j)
        if (std::abs(Places[static_cast<size_t>(j)] - X) < std::abs(Places[static_cast<size_t>(Best)] - X))
            Best = j;
    if (Best >= 1 && Best < Len) {
        // Never inside a character of several code units.
        const int Next = NextCharStr(s, ItemNo, Best);
        if (Next > Best + 1)
            Best = Next - 1;
    }
    DrawOffs = std::clamp(Best + 1, 1, Len + 1);
}

int TCustomRVFormattedData::FindDrawItemAtPos(int X, int Y)
{
    const int Count = DrawItems.Count();
    if (Count == 0)
        return -1;
    auto Contains = [&](int i) {
        const TRVDrawLineInfo* dli = DrawItems.Get(i);
        return RV_PointInRect(X, Y, dli->Left, dli->Top, dli->Width, dli->Height);
    };
    if (Contains(0))
        return 0;
    if (Count == 1)
        return -1;
    int i = BisectLine(DrawItems, Y);
    // Back to the first draw item that a taller one before it overlaps.
    while (i > 0) {
        const TRVDrawLineInfo* Prev = DrawItems.Get(i - 1);
        if (Prev->Top + Prev->Height <= DrawItems.Get(i)->Top)
            break;
        --i;
    }
    // Two bands of draw items that start above the first one's bottom.
    for (int Band = 0; Band < 2 && i < Count; ++Band) {
        const TRVDrawLineInfo* First = DrawItems.Get(i);
        const int Bottom = First->Top + First->Height;
        while (i < Count && DrawItems.Get(i)->Top <= Bottom - 1) {
            if (Contains(i))
                return i;
            ++i;
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------
// The view's top and bottom

int TCustomRVFormattedData::GetDrawItemNo(int Y, int Mode)
{
    const int Count = DrawItems.Count();
    if (Count == 0 || DrawItems.Get(0)->Top >= Y)
        return 0;
    if (Mode == 3 && DrawItems.Get(Count - 1)->Top < Y)
        return Count - 1;
    // Tops grow from line to line but not within a line (pieces of different
    // heights share a baseline), so the bisection stops at any draw item at
    // or below Y whose predecessor lies above it; the line walks below make
    // up for the pieces of one line on either side of it.
    int Lo = 1;
    int Hi = Count - 1;
    int Mid = Lo;
    bool Found = false;
    while (Hi - Lo > 1) {
        Mid = (Lo + Hi) / 2;
        if (DrawItems.Get(Mid)->Top >= Y) {
            if (DrawItems.Get(Mid - 1)->Top < Y) {
                Found = true;
                break;
            }
            Hi = Mid;
        } else {
            Lo = Mid;
        }
    }
    if (!Found)
        Mid = Lo;
    Mid = std::min(Mid, Count - 1);
    if (Mode == 1) {
        // The line before the line above Y: painting from there misses nothing.
        for (int Step = 0; Step < 2; ++Step) {
            while (Mid > 0 && !DrawItems.Get(Mid)->FromNewLine)
                --Mid;
            if (Mid > 0)
                --Mid;
        }
    } else if (Mode == 3) {
        while (Mid < Count - 1 && DrawItems.Get(Mid)->Top < Y)
            ++Mid;
    }
    return Mid;
}

int TCustomRVFormattedData::GetFirstVisible(int Y)
{
    return GetDrawItemNo(Y, 1);
}

int TCustomRVFormattedData::GetFirstItemVisible()
{
    const int Count = DrawItems.Count();
    if (Count == 0)
        return -1;
    const int i = std::min(GetDrawItemNo(GetVOffs(), 1), Count - 1);
    return DrawItems.Get(i)->ItemNo;
}

int TCustomRVFormattedData::GetLastItemVisible()
{
    const int Count = DrawItems.Count();
    if (Count == 0)
        return -1;
    const int i = std::min(GetDrawItemNo(GetVOffs() + GetHeight(), 3), Count - 1);
    return DrawItems.Get(i)->ItemNo;
}

// ---------------------------------------------------------------------------
// Hyperlink rectangles and inserted controls

void TCustomRVFormattedData::AdjustJumpsCoords()
{
    for (int i = 0; i < Jumps.Count(); ++i) {
        auto* Jump = static_cast<TRVJumpInfo*>(Jumps.Get(i));
        TCustomRVFormattedData* Data = Jump->RVData != nullptr ? Jump->RVData : this;
        const TRVDrawLineInfo* dli = Data->DrawItems.Get(Jump->DrawItemNo);
        int X, Y;
        Data->GetOriginEx(X, Y);
        Jump->Left = dli->Left + X;
        Jump->Top = dli->Top + Y;
    }
}

void TCustomRVFormattedData::AdjustChildrenCoords()
{
    if (GetFlags().Contains(rvflShareContents) || State.Contains(rvstDoNotMoveChildren))
        return;
    TWinControl* Control = GetParentControl();
    if (Control == nullptr || Control->ControlCount() == 0)
        return;
    const int HOffs = GetZHOffs();
    const int VOffs = GetZVOffs();
    for (int i = 0; i < DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = DrawItems.Get(i);
        if (GetItemStyle(dli->ItemNo) >= 0)
            continue;
        if (auto* Item = dynamic_cast<TRVNonTextItemInfo*>(GetItem(dli->ItemNo)))
            Item->AdjustInserted(dli->Left - HOffs, dli->Top - VOffs, true);
    }
}
