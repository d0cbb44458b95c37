// Caret movement keys and hyperlink mode. Moving inside a line changes only
// the stop index; moving to another line finds the draw item under the
// caret's x and rebuilds the stops. Each key answers true when the caret
// wanted to leave the document at that side.
#include <algorithm>
#include <cstdlib>

#include "document/rvitem.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"

namespace {

// Counts forward or back over a word from the 1-based character Index; a
// word ends after the spaces that follow it.
int WordBack(const AnsiString& text, int index, TRVItemOptions options)
{
    int j = index;
    int n = 1;
    while (j - 1 >= 1 && !(RVU_IsSpace(text, j - 1, options) && !RVU_IsSpace(text, j, options))) {
        --j;
        ++n;
    }
    return n;
}

int WordForward(const AnsiString& text, int index, TRVItemOptions options)
{
    const int length = RVU_Length(text, options);
    int j = index;
    int n = 0;
    while (j < length && !(RVU_IsSpace(text, j, options) && !RVU_IsSpace(text, j + 1, options))) {
        ++j;
        ++n;
    }
    return n;
}

} // namespace

bool TRVEditRVData::FindDrawItemAt(int x, int y, int& drawItemNo, int& drawOffs)
{
    FindDrawItemForSel(x, y, drawItemNo, drawOffs, false);
    return drawItemNo >= 0;
}

bool TRVEditRVData::OnHomePress(bool ctrl)
{
    if (CharPos.empty())
        return ctrl;
    if (ctrl) {
        MoveCaretOffMarker(0, GetOffsBeforeDrawItem(0), true);
        CaretOffs = 0;
    } else {
        CaretOffs = 0;
        CaretDrawItemNo = CharPos[0].DrawItemNo;
    }
    ChangeCaret(rvcmScrollToCaret);
    return ctrl;
}

bool TRVEditRVData::OnEndPress(bool ctrl)
{
    if (CharPos.empty())
        return ctrl;
    if (ctrl) {
        MoveCaretTo(DrawItems.Count() - 1, GetOffsAfterDrawItem(DrawItems.Count() - 1));
    }
    CaretOffs = static_cast<int>(CharPos.size()) - 1;
    CaretDrawItemNo = CharPos.back().DrawItemNo;
    ChangeCaret(rvcmScrollToCaret);
    return ctrl;
}

bool TRVEditRVData::OnLeftPress(bool shift, bool ctrl)
{
    const TRVCharPos stop = CharPos[static_cast<size_t>(CaretOffs)];
    const TRVDrawLineInfo* dli = DrawItems[stop.DrawItemNo];
    const int itemNo = dli->ItemNo;
    const int k = stop.Offset + dli->Offs - 2;
    if (ctrl && IsTextItem(itemNo) && k > 0) {
        const int n = WordBack(Items->Get(itemNo), k, GetItemOptions(itemNo));
        int drawItemNo = 0;
        int drawOffs = 0;
        Item2DrawItem(itemNo, k - n + 1, drawItemNo, drawOffs);
        MoveCaretOffMarker(drawItemNo, drawOffs, false);
    } else if (CaretAtTheBeginningOfLine()) {
        // A list marker is no stop: it belongs to this line.
        int first = CharPos.front().DrawItemNo;
        if (first > 0 && GetItemStyle(DrawItems[first - 1]->ItemNo) == rvsListMarker)
            --first;
        if (first == 0)
            return true;
        MoveCaretOffMarker(first - 1, GetOffsAfterDrawItem(first - 1), false);
    } else {
        // An item that holds documents (a table) may take the caret into
        // its last place, when it is the item the caret stands after.
        if (!shift && !ctrl && GetItem(itemNo)->EnterItem(rvedRight, 0))
            return false;
        --CaretOffs;
    }
    ChangeCaret(rvcmScrollToCaret);
    return false;
}

bool TRVEditRVData::OnRightPress(bool shift, bool ctrl)
{
    const int lastStop = static_cast<int>(CharPos.size()) - 1;
    const bool onLastDrawItem = CharPos.back().DrawItemNo == DrawItems.Count() - 1;
    if (ctrl) {
        if (CaretOffs + 1 > lastStop) {
            if (onLastDrawItem)
                return true;
            const int next = CharPos.back().DrawItemNo + 1;
            MoveCaretOffMarker(next, GetOffsBeforeDrawItem(next), true);
        } else {
            ++CaretOffs;
        }
        const TRVCharPos stop = CharPos[static_cast<size_t>(CaretOffs)];
        const TRVDrawLineInfo* dli = DrawItems[stop.DrawItemNo];
        const int itemNo = dli->ItemNo;
        if (IsTextItem(itemNo)) {
            const int k = stop.Offset + dli->Offs - 1;
            const int n = WordForward(Items->Get(itemNo), k, GetItemOptions(itemNo));
            const int target = std::min(k + n + 1, GetOffsAfterItem(itemNo));
            int drawItemNo = 0;
            int drawOffs = 0;
            Item2DrawItem(itemNo, target, drawItemNo, drawOffs);
            MoveCaretTo(drawItemNo, drawOffs);
        }
    } else if (CaretOffs == lastStop) {
        if (onLastDrawItem)
            return true;
        const int next = CharPos.back().DrawItemNo + 1;
        MoveCaretOffMarker(next, GetOffsBeforeDrawItem(next), true);
    } else {
        // The item of the next stop may take the caret into its first place.
        const int next = DrawItems[CharPos[static_cast<size_t>(CaretOffs + 1)].DrawItemNo]->ItemNo;
        if (!shift && !ctrl && GetItem(next)->EnterItem(rvedLeft, 0))
            return false;
        ++CaretOffs;
    }
    ChangeCaret(rvcmScrollToCaret);
    return false;
}

bool TRVEditRVData::OnScreenSidePress(bool toRight, bool shift, bool& forward)
{
    forward = toRight;
    const int count = static_cast<int>(CharPos.size());
    const int here = CaretOffs;
    const int x = CharPos[static_cast<size_t>(here)].X;
    auto beyond = [&](int i) {
        return toRight ? CharPos[static_cast<size_t>(i)].X > x : CharPos[static_cast<size_t>(i)].X < x;
    };
    // Several places may share the nearest x (where the direction changes):
    // the one nearest in the text wins, and of two as near the one in the
    // direction the next place takes on the screen.
    const bool onward = here + 1 < count && beyond(here + 1);
    int best = -1;
    for (int i = 0; i < count; ++i) {
        if (i == here || !beyond(i))
            continue;
        if (best < 0) {
            best = i;
            continue;
        }
        const int gap = std::abs(CharPos[static_cast<size_t>(i)].X - x);
        const int bestGap = std::abs(CharPos[static_cast<size_t>(best)].X - x);
        const int steps = std::abs(i - here);
        const int bestSteps = std::abs(best - here);
        if (gap < bestGap ||
            (gap == bestGap && (steps < bestSteps || (steps == bestSteps && (i > here) == onward))))
            best = i;
    }
    if (best >= 0) {
        CaretOffs = best;
        CaretDrawItemNo = CharPos[static_cast<size_t>(best)].DrawItemNo;
        ChangeCaret(rvcmScrollToCaret);
        return false;
    }
    // At the line's edge on the screen: on to the next line when the
    // paragraph reads that way, else back to the line before.
    const int itemNo = DrawItems[CharPos[static_cast<size_t>(here)].DrawItemNo]->ItemNo;
    forward = toRight != (GetParaBiDiMode(GetItemPara(itemNo)) == rvbdRightToLeft);
    CaretOffs = forward ? count - 1 : 0;
    const bool leaving = forward ? OnRightPress(shift, false) : OnLeftPress(shift, false);
    if (leaving)
        CaretOffs = here;
    return leaving;
}

bool TRVEditRVData::EnterItemAt(int drawItemNo, int x, TRVEnterDirection from)
{
    const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
    return x >= dli->Left && x < dli->Left + dli->Width &&
           GetItem(dli->ItemNo)->EnterItem(from, x - dli->Left);
}

// The caret at drawOffs of drawItemNo, its line's stops rebuilt; scroll lets
// the caret's change scroll it into view. The column the caret came from
// (x) is kept for the next move up or down.
void TRVEditRVData::PutCaretOnLine(int drawItemNo, int drawOffs, bool scroll, int x)
{
    MoveCaretOffMarker(drawItemNo, drawOffs, true);
    ChangeCaret((scroll ? rvcmScrollToCaret : rvcmNone));
    FVerticalX = x;
    FVerticalDrawItemNo = CaretDrawItemNo;
    FVerticalOffs = CaretOffs;
}

int TRVEditRVData::VerticalMoveX() const
{
    return FVerticalX >= 0 ? FVerticalX : CharPos[static_cast<size_t>(CaretOffs)].X;
}

bool TRVEditRVData::OnUpPress(bool shift, bool ctrl)
{
    (void)ctrl;
    int f = CharPos.front().DrawItemNo;
    if (f > 0 && GetItemStyle(DrawItems[f - 1]->ItemNo) == rvsListMarker)
        --f;
    if (f == 0) {
        if (shift && CaretOffs != 0) {
            CaretOffs = 0;
            return true;
        }
        ScrollTo(0, true);
        return true;
    }
    const int x = VerticalMoveX();
    int drawItemNo = 0;
    int drawOffs = 0;
    if (!FindDrawItemAt(x, DrawItems[f - 1]->Top + 1, drawItemNo, drawOffs))
        return false;
    // An item under the column that holds documents takes the caret into its bottom.
    if (!shift && !ctrl && EnterItemAt(drawItemNo, x, rvedBottom))
        return false;
    PutCaretOnLine(drawItemNo, drawOffs, true, x);
    return false;
}

bool TRVEditRVData::OnDownPress(bool shift, bool ctrl)
{
    if (CaretInTheLastLine()) {
        if (shift && !CaretAtTheEndOfLine()) {
            CaretOffs = static_cast<int>(CharPos.size()) - 1;
            return true;
        }
        ScrollTo(DocumentHeight, true);
        return true;
    }
    const int x = VerticalMoveX();
    const int next = CharPos.back().DrawItemNo + 1;
    int drawItemNo = 0;
    int drawOffs = 0;
    if (!FindDrawItemAt(x, DrawItems[next]->Top + 1, drawItemNo, drawOffs))
        return false;
    if (!shift && !ctrl && EnterItemAt(drawItemNo, x, rvedTop))
        return false;
    PutCaretOnLine(drawItemNo, drawOffs, true, x);
    return false;
}

bool TRVEditRVData::OnPgUpPress()
{
    const int x = VerticalMoveX();
    const int h = GetHeight();
    // A step of at least one pixel, so that a tiny view still ends.
    const int step = std::max(1, h / 2);
    const int lineFirst = CharPos.front().DrawItemNo;
    for (int y = GetVOffs() - (2 * h) / 3; y > 0; y -= step) {
        int drawItemNo = 0;
        int drawOffs = 0;
        if (FindDrawItemAt(x, y, drawItemNo, drawOffs) && drawItemNo < lineFirst) {
            PutCaretOnLine(drawItemNo, drawOffs, true, x);
            return false;
        }
    }
    OnHomePress(true);
    return false;
}

bool TRVEditRVData::OnPgDownPress()
{
    const int x = VerticalMoveX();
    const int h = GetHeight();
    const int step = std::max(1, h / 2);
    const int lineLast = CharPos.back().DrawItemNo;
    for (int y = GetVOffs() + (2 * h) / 3; y < DocumentHeight; y += step) {
        int drawItemNo = 0;
        int drawOffs = 0;
        if (FindDrawItemAt(x, y, drawItemNo, drawOffs) && drawItemNo > lineLast) {
            PutCaretOnLine(drawItemNo, drawOffs, false, x);
            ScrollTo(DrawItems[CaretDrawItemNo]->Top, true);
            return false;
        }
    }
    OnEndPress(true);
    return false;
}

// ---------------------------------------------------------------------------
// Hyperlink mode

int TRVEditRVData::BuildJumpsCoords(bool force)
{
    if ((!force && RollViewEdit()->GetReadOnly()) || MouseCaptureItem)
        return 0;
    ClearJumps();
    HotDrawItemNo = -1;
    TRVFlags flags = GetFlags();
    flags.Include(rvflUseJumps);
    SetFlags(flags);
    int startJumpNo = FirstJumpNo;
    TCustomRVFormattedData::BuildJumpsCoords(startJumpNo, nullptr);
    State.Exclude(rvstDrawHover);
    HotDrawItemNo = -1;
    Invalidate();
    return Jumps.Count();
}

void TRVEditRVData::ClearJumpsCoords()
{
    if (RollViewEdit()->GetReadOnly() || MouseCaptureItem || !GetFlags().Contains(rvflUseJumps))
        return;
    HotDrawItemNo = -1;
    ClearJumps();
    TRVFlags flags = GetFlags();
    flags.Exclude(rvflUseJumps);
    SetFlags(flags);
    State.Exclude(rvstDrawHover);
    ChangeCaret(rvcmKeepStyles);
    Invalidate();
}
