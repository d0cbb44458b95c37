// Caret movement keys and hyperlink mode. Moving inside a line changes only
// the stop index; moving to another line finds the draw item under the
// caret's x and rebuilds the stops. Each key answers true when the caret
// wanted to leave the document at that side.
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvuni.h"
#include "edit/rvervdata.h"

namespace {

// Counts forward or back over a word from the 1-based character Index; a
// word ends after the spaces that follow it.
int WordBack(const AnsiString& Text, int Index, TRVItemOptions Options)
{
    int j = Index;
    int N = 1;
    while (j - 1 >= 1 && !(RVU_IsSpace(Text, j - 1, Options) && !RVU_IsSpace(Text, j, Options))) {
        --j;
        ++N;
    }
    return N;
}

int WordForward(const AnsiString& Text, int Index, TRVItemOptions Options)
{
    const int Length = RVU_Length(Text, Options);
    int j = Index;
    int N = 0;
    while (j < Length && !(RVU_IsSpace(Text, j, Options) && !RVU_IsSpace(Text, j + 1, Options))) {
        ++j;
        ++N;
    }
    return N;
}

} // namespace

bool TRVEditRVData::FindDrawItemAt(int X, int Y, int& DrawItemNo, int& DrawOffs)
{
    FindDrawItemForSel(X, Y, DrawItemNo, DrawOffs, false);
    return DrawItemNo >= 0;
}

bool TRVEditRVData::OnHomePress(bool Ctrl)
{
    if (CharPos.empty())
        return Ctrl;
    if (Ctrl) {
        CaretDrawItemNo = 0;
        int Offs = GetOffsBeforeDrawItem(0);
        AdjustMarkerCaret(true, Offs);
        OnChangeCaretLine(Offs - 2);
        CaretOffs = 0;
    } else {
        CaretOffs = 0;
        CaretDrawItemNo = CharPos[0].DrawItemNo;
    }
    ChangeCaret(false, true, false, false);
    return Ctrl;
}

bool TRVEditRVData::OnEndPress(bool Ctrl)
{
    if (CharPos.empty())
        return Ctrl;
    if (Ctrl) {
        CaretDrawItemNo = DrawItems.Count() - 1;
        OnChangeCaretLine(GetOffsAfterDrawItem(CaretDrawItemNo) - 2);
    }
    CaretOffs = static_cast<int>(CharPos.size()) - 1;
    CaretDrawItemNo = CharPos.back().DrawItemNo;
    ChangeCaret(false, true, false, false);
    return Ctrl;
}

bool TRVEditRVData::OnLeftPress(bool Shift, bool Ctrl)
{
    const TRVCharPos Stop = CharPos[static_cast<size_t>(CaretOffs)];
    const TRVDrawLineInfo* dli = DrawItems[Stop.DrawItemNo];
    const int ItemNo = dli->ItemNo;
    const int K = Stop.Offset + dli->Offs - 2;
    if (Ctrl && GetItemStyle(ItemNo) >= 0 && K > 0) {
        const int N = WordBack(Items->Get(ItemNo), K, GetItemOptions(ItemNo));
        int DrawItemNo = 0;
        int DrawOffs = 0;
        Item2DrawItem(ItemNo, K - N + 1, DrawItemNo, DrawOffs);
        CaretDrawItemNo = DrawItemNo;
        AdjustMarkerCaret(false, DrawOffs);
        OnChangeCaretLine(DrawOffs - 2);
    } else if (CaretAtTheBeginningOfLine()) {
        // A list marker is no stop: it belongs to this line.
        int First = CharPos.front().DrawItemNo;
        if (First > 0 && GetItemStyle(DrawItems[First - 1]->ItemNo) == rvsListMarker)
            --First;
        if (First == 0)
            return true;
        CaretDrawItemNo = First - 1;
        int Offs = GetOffsAfterDrawItem(CaretDrawItemNo);
        AdjustMarkerCaret(false, Offs);
        OnChangeCaretLine(Offs - 2);
    } else {
        (void)Shift;
        --CaretOffs;
    }
    ChangeCaret(false, true, false, false);
    return false;
}

bool TRVEditRVData::OnRightPress(bool Shift, bool Ctrl)
{
    (void)Shift;
    const int LastStop = static_cast<int>(CharPos.size()) - 1;
    const bool OnLastDrawItem = CharPos.back().DrawItemNo == DrawItems.Count() - 1;
    if (Ctrl) {
        if (CaretOffs + 1 > LastStop) {
            if (OnLastDrawItem)
                return true;
            CaretDrawItemNo = CharPos.back().DrawItemNo + 1;
            int Offs = GetOffsBeforeDrawItem(CaretDrawItemNo);
            AdjustMarkerCaret(true, Offs);
            OnChangeCaretLine(Offs - 2);
        } else {
            ++CaretOffs;
        }
        const TRVCharPos Stop = CharPos[static_cast<size_t>(CaretOffs)];
        const TRVDrawLineInfo* dli = DrawItems[Stop.DrawItemNo];
        const int ItemNo = dli->ItemNo;
        if (GetItemStyle(ItemNo) >= 0) {
            const int K = Stop.Offset + dli->Offs - 1;
            const int N = WordForward(Items->Get(ItemNo), K, GetItemOptions(ItemNo));
            const int Target = std::min(K + N + 1, GetOffsAfterItem(ItemNo));
            int DrawItemNo = 0;
            int DrawOffs = 0;
            Item2DrawItem(ItemNo, Target, DrawItemNo, DrawOffs);
            CaretDrawItemNo = DrawItemNo;
            OnChangeCaretLine(DrawOffs - 2);
        }
    } else if (CaretOffs == LastStop) {
        if (OnLastDrawItem)
            return true;
        CaretDrawItemNo = CharPos.back().DrawItemNo + 1;
        int Offs = GetOffsBeforeDrawItem(CaretDrawItemNo);
        AdjustMarkerCaret(true, Offs);
        OnChangeCaretLine(Offs - 2);
    } else {
        ++CaretOffs;
    }
    ChangeCaret(false, true, false, false);
    return false;
}

bool TRVEditRVData::OnUpPress(bool Shift, bool Ctrl)
{
    (void)Ctrl;
    int F = CharPos.front().DrawItemNo;
    if (F > 0 && GetItemStyle(DrawItems[F - 1]->ItemNo) == rvsListMarker)
        --F;
    if (F == 0) {
        if (Shift && CaretOffs != 0) {
            CaretOffs = 0;
            return true;
        }
        ScrollTo(0, true);
        return true;
    }
    const int X = CharPos[static_cast<size_t>(CaretOffs)].X;
    int DrawItemNo = 0;
    int DrawOffs = 0;
    if (!FindDrawItemAt(X, DrawItems[F - 1]->Top + 1, DrawItemNo, DrawOffs))
        return false;
    CaretDrawItemNo = DrawItemNo;
    AdjustMarkerCaret(true, DrawOffs);
    OnChangeCaretLine(DrawOffs - 2);
    ChangeCaret(false, true, false, false);
    return false;
}

bool TRVEditRVData::OnDownPress(bool Shift, bool Ctrl)
{
    (void)Ctrl;
    if (CaretInTheLastLine()) {
        if (Shift && !CaretAtTheEndOfLine()) {
            CaretOffs = static_cast<int>(CharPos.size()) - 1;
            return true;
        }
        ScrollTo(DocumentHeight, true);
        return true;
    }
    const int X = CharPos[static_cast<size_t>(CaretOffs)].X;
    const int Next = CharPos.back().DrawItemNo + 1;
    int DrawItemNo = 0;
    int DrawOffs = 0;
    if (!FindDrawItemAt(X, DrawItems[Next]->Top + 1, DrawItemNo, DrawOffs))
        return false;
    CaretDrawItemNo = DrawItemNo;
    AdjustMarkerCaret(true, DrawOffs);
    OnChangeCaretLine(DrawOffs - 2);
    ChangeCaret(false, true, false, false);
    return false;
}

bool TRVEditRVData::OnPgUpPress()
{
    const int X = CharPos[static_cast<size_t>(CaretOffs)].X;
    const int H = GetHeight();
    // A step of at least one pixel, so that a tiny view still ends.
    const int Step = std::max(1, H / 2);
    const int LineFirst = CharPos.front().DrawItemNo;
    for (int Y = GetVOffs() - (2 * H) / 3; Y > 0; Y -= Step) {
        int DrawItemNo = 0;
        int DrawOffs = 0;
        if (FindDrawItemAt(X, Y, DrawItemNo, DrawOffs) && DrawItemNo < LineFirst) {
            CaretDrawItemNo = DrawItemNo;
            AdjustMarkerCaret(true, DrawOffs);
            OnChangeCaretLine(DrawOffs - 2);
            ChangeCaret(false, true, false, false);
            return false;
        }
    }
    OnHomePress(true);
    return false;
}

bool TRVEditRVData::OnPgDownPress()
{
    const int X = CharPos[static_cast<size_t>(CaretOffs)].X;
    const int H = GetHeight();
    const int Step = std::max(1, H / 2);
    const int LineLast = CharPos.back().DrawItemNo;
    for (int Y = GetVOffs() + (2 * H) / 3; Y < DocumentHeight; Y += Step) {
        int DrawItemNo = 0;
        int DrawOffs = 0;
        if (FindDrawItemAt(X, Y, DrawItemNo, DrawOffs) && DrawItemNo > LineLast) {
            CaretDrawItemNo = DrawItemNo;
            AdjustMarkerCaret(true, DrawOffs);
            OnChangeCaretLine(DrawOffs - 2);
            ChangeCaret(false, false, false, false);
            ScrollTo(DrawItems[CaretDrawItemNo]->Top, true);
            return false;
        }
    }
    OnEndPress(true);
    return false;
}

// ---------------------------------------------------------------------------
// Hyperlink mode

int TRVEditRVData::BuildJumpsCoords(bool Force)
{
    if ((!Force && Host->ReadOnly()) || MouseCaptureItem)
        return 0;
    ClearJumps();
    HotDrawItemNo = -1;
    Flags.Include(rvflUseJumps);
    int StartJumpNo = FirstJumpNo;
    TCustomRVFormattedData::BuildJumpsCoords(StartJumpNo, nullptr);
    State.Exclude(rvstDrawHover);
    HotDrawItemNo = -1;
    Host->Invalidate();
    return Jumps.Count();
}

void TRVEditRVData::ClearJumpsCoords()
{
    if (Host->ReadOnly() || MouseCaptureItem || !Flags.Contains(rvflUseJumps))
        return;
    HotDrawItemNo = -1;
    ClearJumps();
    Flags.Exclude(rvflUseJumps);
    State.Exclude(rvstDrawHover);
    ChangeCaret(false, false, true, false);
    Host->Invalidate();
}
