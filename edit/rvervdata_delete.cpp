// Delete and Backspace: one key press becomes a short sequence of primitives
// in one rvutDelete group, followed by a layout of the touched paragraphs.
// A character made of several code units (a surrogate pair, a joined emoji,
// a multi-byte character of an 8-bit item) always goes whole.
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "edit/rvervdata.h"
#include "view/rvchars.h"

namespace {

// The caret's position in its item (a caret offset).
int CaretPosInItem(TRVEditRVData& d, const TRVCharPos& stop)
{
    const TRVDrawLineInfo* dli = d.DrawItems[stop.DrawItemNo];
    return d.IsTextItem(dli->ItemNo) ? dli->Offs + stop.Offset - 1 : stop.Offset;
}

bool IsEmptyText(TRVEditRVData& d, int itemNo)
{
    return d.IsTextItem(itemNo) && d.ItemLength(itemNo) == 0;
}

bool IsFullWidth(TRVEditRVData& d, int itemNo)
{
    return d.GetItem(itemNo)->GetBoolValue(rvbpFullWidth);
}

} // namespace

void TRVEditRVData::ReformatAndPlace(bool full, int firstDi, int lastDi, int added, int itemNo, int offs,
                                     bool applyPara)
{
    Reformat_(full, firstDi, lastDi, added);
    itemNo = std::clamp(itemNo, 0, GetItemCount() - 1);
    offs = std::clamp(offs, GetOffsBeforeItem(itemNo), GetOffsAfterItem(itemNo));
    SetCaretAtItem(itemNo, offs, applyPara);
}

int TRVEditRVData::RemovableCharsBefore(int itemNo, int index, bool ctrl, bool)
{
    const AnsiString& text = Items->Get(itemNo);
    const TRVItemOptions options = GetItemOptions(itemNo);
    if (ctrl) {
        // Back to the start of the word before the caret; a space run after a
        // word goes with it.
        int j = index - 1;
        int n = 1;
        while (j - 1 >= 1 && !(RVU_IsSpace(text, j - 1, options) && !RVU_IsSpace(text, j, options))) {
            --j;
            ++n;
        }
        return n;
    }
    return RVE_PrevCharUnits(text, options.Contains(rvioUnicode), GetStyleCodePage(GetItemStyle(itemNo)),
                             index - 1);
}

void TRVEditRVData::DeleteWholeItemOnBackspace(int itemNo, int paraFirstDi, int paraLastDi)
{
    if (IsItemParaProtected(itemNo) || IsProtected(itemNo, rvprDeleteProtect)) {
        EditBeep();
        return;
    }
    TCustomRVItemInfo* item = GetItem(itemNo);
    const bool isText = item->StyleNo >= 0;
    const bool startsLine = !item->GetSameAsPrev();
    const bool nextContinues = itemNo + 1 < GetItemCount() && GetItem(itemNo + 1)->GetSameAsPrev();
    const bool afterMarker = itemNo > 0 && GetItemStyle(itemNo - 1) == rvsListMarker;
    const int maxWidth =
        std::max(CalculateMinItemWidthPlusEx(itemNo), CalculateParaSectionMinWidthDef(itemNo));
    bool full = false;
    bool flag = false;
    if ((startsLine || afterMarker) && !nextContinues) {
        // The paragraph keeps an empty line in the current styles.
        TCustomRVItemInfo* empty =
            CreateTextItem(isText ? RV_CopyTag(item->GetTag(), TagsArePChars()) : TRVTag(), item->ParaNo,
                           CurTextStyleNo, item->GetSameAsPrev(), item->GetBR());
        if (item->GetPageBreakBefore())
            empty->SetPageBreakBefore(true);
        if (item->GetCheckpoint())
            empty->SetCheckpoint(item->GetCheckpoint()->CreateCopy(TagsArePChars()));
        Do_DeleteItem(itemNo, flag);
        full = flag;
        AnsiString text;
        Do_InsertItem(itemNo, text, empty, false, flag);
        full = full || flag || DocumentMinWidth <= maxWidth;
        ReformatAndPlace(full, paraFirstDi, paraLastDi, 0, itemNo, 1, false);
        return;
    }
    const bool br = item->GetBR();
    const bool pageBreak = item->GetPageBreakBefore();
    Do_DeleteItem(itemNo, flag);
    full = flag || DocumentMinWidth <= maxWidth;
    int added = -1;
    if (startsLine && nextContinues) {
        Do_NewLine(itemNo, false, -1, flag);
        full = full || flag;
        if (br) {
            Do_BR(itemNo, true, flag);
            full = full || flag;
        }
        if (pageBreak)
            Do_PageBreak(itemNo, true);
        ReformatAndPlace(full, paraFirstDi, paraLastDi, added, itemNo, GetOffsBeforeItem(itemNo), false);
        return;
    }
    int caretItem = itemNo - 1;
    int caretOffsInItem = GetOffsAfterItem(caretItem);
    if (itemNo < GetItemCount() &&
        RV_CanConcateItems(caretItem, GetItem(caretItem), GetItem(itemNo), false)) {
        caretOffsInItem = ItemLength(caretItem) + 1;
        full = Do_Concate(caretItem) || full;
        --added;
    }
    ReformatAndPlace(full, paraFirstDi, paraLastDi, added, caretItem, caretOffsInItem, false);
}

void TRVEditRVData::JoinWithPreviousPara(int i, int paraFirstDi, int paraLastDi)
{
    // Joined paragraphs take the first one's indents: the widest may narrow.
    const bool mayShrink = ReachesDocMinWidth(paraFirstDi, paraLastDi);
    bool flag = false;
    bool full = false;
    const bool markerBefore = i > 0 && GetItemStyle(i - 1) == rvsListMarker;
    if (GetItem(markerBefore ? i - 1 : i)->GetPageBreakBefore()) {
        Do_PageBreak(i, false);
        Invalidate();
        return;
    }
    if (i == 0)
        return;
    const bool protectedParas = IsItemParaProtected(i - 1) || IsItemParaProtected(i);
    if (markerBefore) {
        // The paragraph loses its numbering and keeps its text.
        if (protectedParas) {
            EditBeep();
            return;
        }
        Do_DeleteItem(i - 1, flag);
        full = flag;
        Do_NewLine(i - 1, false, -1, flag);
        full = full || flag;
        ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, -1, i - 1, GetOffsBeforeItem(i - 1),
                         false);
        return;
    }
    if (IsEmptyText(*this, i)) {
        if (IsProtected(i, rvprDeleteProtect) || IsItemParaProtected(i)) {
            EditBeep();
            return;
        }
        Do_DeleteItem(i, flag);
        full = flag;
        SettleAfterRemoval(i, flag);
        full = full || flag;
        ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, -1, i - 1, GetOffsAfterItem(i - 1),
                         true);
        return;
    }
    if (IsEmptyText(*this, i - 1)) {
        if (protectedParas || IsProtected(i - 1, rvprDeleteProtect)) {
            EditBeep();
            return;
        }
        if (i > 1 && GetItemStyle(i - 2) == rvsListMarker) {
            // The line of the marker takes this item in place of the empty one.
            Do_NewLine(i, true, -1, flag);
        } else {
            Do_BR(i, GetItem(i - 1)->GetBR(), flag);
        }
        full = flag;
        Do_DeleteItem(i - 1, flag);
        full = full || flag;
        SettleAfterRemoval(i - 1, flag);
        full = full || flag;
        ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, -1, i - 1, GetOffsBeforeItem(i - 1),
                         false);
        return;
    }
    if (protectedParas || IsProtected(i, rvprParaStartProtect)) {
        EditBeep();
        return;
    }
    if (RV_CanConcateItems(i - 1, GetItem(i - 1), GetItem(i), true)) {
        const int oldLength = ItemLength(i - 1);
        full = Do_Concate(i - 1) || full;
        SettleAfterRemoval(i, flag);
        full = full || flag;
        ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, -1, i - 1, oldLength + 1, true);
        return;
    }
    JoinLine(i, flag);
    ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, 0, i, GetOffsBeforeItem(i), true);
}

void TRVEditRVData::OnBackSpacePress_(bool ctrl, bool fromDelete, bool retry)
{
    if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return;
    const TRVCharPos stop = CharPos[static_cast<size_t>(CaretOffs)];
    CaretDrawItemNo = stop.DrawItemNo;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    const int i = dli->ItemNo;
    const bool isText = IsTextItem(i);
    int pos = CaretPosInItem(*this, stop);
    if (retry && CaretDrawItemNo + 1 < DrawItems.Count() && DrawItems[CaretDrawItemNo + 1]->ItemNo != i)
        pos = GetOffsAfterItem(i);
    if (IsItemParaProtected(i)) {
        EditBeep();
        return;
    }
    const bool atItemStart = pos <= GetOffsBeforeItem(i);
    if (CaretOffs == 0 && atItemStart) {
        if (i == 0 && !GetItem(i)->GetPageBreakBefore())
            return;
        if (i > 0 && (IsFullWidth(*this, i) || (IsFullWidth(*this, i - 1) && !IsEmptyText(*this, i)))) {
            OnLeftPress(false, false);
            return;
        }
    }
    int paraFirst = 0;
    int paraLast = 0;
    GetParaBounds(CharPos.front().DrawItemNo, CharPos.back().DrawItemNo, paraFirst, paraLast);
    if (CaretOffs == 0 && atItemStart && GetItem(i)->GetSameAsPrev() &&
        !(i > 0 && GetItemStyle(i - 1) == rvsListMarker) && CaretDrawItemNo > 0) {
        // The line before ends inside this paragraph: delete there.
        MoveCaretTo(CaretDrawItemNo - 1, GetOffsAfterDrawItem(CaretDrawItemNo - 1));
        CaretOffs = static_cast<int>(CharPos.size()) - 1;
        OnBackSpacePress_(ctrl, fromDelete, true);
        ChangeCaret(rvcmScrollToCaret);
        return;
    }
    BeginUndoSequence(rvutDelete, true);
    CaretDrawItemNo = CharPos[CaretOffs].DrawItemNo;
    if (CaretAtTheBeginningOfParaSection() && atItemStart) {
        JoinWithPreviousPara(i, paraFirst, paraLast);
        return;
    }
    if (!isText || pos <= 1) {
        if (isText) {
            // At the start of a text item that continues its line: the item before loses its end.
            if (i == 0)
                return;
            CaretDrawItemNo = std::max(CaretDrawItemNo - 1, 0);
        }
        if (!isText && pos == 0)
            return;
        DeleteWholeItemOnBackspace(isText ? i - 1 : i, paraFirst, paraLast);
        return;
    }
    const int n = RemovableCharsBefore(i, pos, ctrl, fromDelete);
    if (n >= ItemLength(i)) {
        DeleteWholeItemOnBackspace(i, paraFirst, paraLast);
        return;
    }
    if (IsProtected(i, rvprModifyProtect)) {
        EditBeep();
        return;
    }
    const int width = CalculateMinItemWidthPlusEx(i);
    Do_DeleteSubstring(i, pos - n, n);
    ReformatAndPlace(DocumentMinWidth <= width, paraFirst, paraLast, 0, i, pos - n, false);
}

void TRVEditRVData::JoinWithNextPara(int i, int paraFirstDi, int paraLastDi)
{
    // Joined paragraphs take the first one's indents: the widest may narrow.
    const bool mayShrink = ReachesDocMinWidth(paraFirstDi, paraLastDi);
    const int j = i + 1;
    bool flag = false;
    bool full = false;
    if (GetItemStyle(j) == rvsListMarker) {
        // The next paragraph loses its numbering and joins this one.
        if (IsItemParaProtected(i) || IsItemParaProtected(j)) {
            EditBeep();
            return;
        }
        const int oldEnd = GetOffsAfterItem(i);
        Do_DeleteItem(j, flag);
        full = flag;
        int added = -1;
        if (j < GetItemCount() && IsTextItem(j) && RV_CanConcateItems(i, GetItem(i), GetItem(j), true)) {
            full = Do_Concate(i) || full;
            --added;
            // An empty item of the other encoding gives way to the joined
            // text, which then continues this paragraph in its style.
            SettleAfterRemoval(i, flag);
            full = full || flag;
            SettleAfterRemoval(j, flag);
        } else {
            // The text after the marker continues this line.
            JoinLine(j, flag);
        }
        ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, added, i, oldEnd, true);
        return;
    }
    const bool protectedParas = IsItemParaProtected(i) || IsItemParaProtected(j);
    if (IsEmptyText(*this, i) || IsEmptyText(*this, j)) {
        const int e = IsEmptyText(*this, i) ? i : j;
        if (IsProtected(e, rvprDeleteProtect) || IsItemParaProtected(e)) {
            EditBeep();
            return;
        }
        if (e == i && !GetItem(i)->GetBR()) {
            Do_BR(j, false, flag);
            full = flag;
            if (GetItem(i)->GetPageBreakBefore())
                Do_PageBreak(j, true);
        }
        Do_DeleteItem(e, flag);
        full = full || flag;
        if (e == i) {
            int added = -1;
            int at = i;
            // The list marker of the emptied line goes with it.
            if (i > 0 && GetItemStyle(i - 1) == rvsListMarker) {
                Do_DeleteItem(i - 1, flag);
                full = full || flag;
                SettleAfterRemoval(i - 1, flag);
                full = full || flag;
                --added;
                --at;
            }
            at = std::min(at, GetItemCount() - 1);
            ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, added, at, GetOffsBeforeItem(at),
                             false);
            return;
        }
        SettleAfterRemoval(j, flag);
        full = full || flag;
        ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, -1, i, GetOffsAfterItem(i), true);
        return;
    }
    if (protectedParas || IsProtected(j, rvprParaStartProtect)) {
        EditBeep();
        return;
    }
    if (RV_CanConcateItems(i, GetItem(i), GetItem(j), true)) {
        const int oldEnd = GetOffsAfterItem(i);
        full = Do_Concate(i) || full;
        SettleAfterRemoval(j, flag);
        full = full || flag;
        ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, -1, i, oldEnd, true);
        return;
    }
    JoinLine(j, flag);
    ReformatAndPlace(full || mayShrink, paraFirstDi, paraLastDi, 0, i, GetOffsAfterItem(i), true);
}

void TRVEditRVData::OnDeletePress_(bool ctrl, bool inner)
{
    if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return;
    const TRVCharPos stop = CharPos[static_cast<size_t>(CaretOffs)];
    CaretDrawItemNo = stop.DrawItemNo;
    const int i = DrawItems[CaretDrawItemNo]->ItemNo;
    if (IsItemParaProtected(i)) {
        EditBeep();
        return;
    }
    const bool isText = IsTextItem(i);
    const int pos = CaretPosInItem(*this, stop);
    const bool atLineEnd = CaretAtTheEndOfLine() && (!isText || pos > ItemLength(i));
    if (atLineEnd) {
        if (IsFullWidth(*this, i)) {
            OnRightPress(false, false);
            return;
        }
        if (i + 1 < GetItemCount() && IsFullWidth(*this, i + 1) && !IsEmptyText(*this, i)) {
            OnRightPress(false, false);
            return;
        }
        if (i == GetItemCount() - 1) {
            if (IsEmptyText(*this, i) && i > 0)
                OnBackSpacePress_(ctrl, false, false);
            return;
        }
    }
    int paraFirst = 0;
    int paraLast = 0;
    GetParaBounds(CharPos.front().DrawItemNo, CharPos.back().DrawItemNo, paraFirst, paraLast);
    if (atLineEnd && GetItem(i + 1)->GetSameAsPrev()) {
        // The line ends between two items of one paragraph: delete on the next line.
        MoveCaretTo(CaretDrawItemNo + 1, GetOffsBeforeDrawItem(CaretDrawItemNo + 1));
        CaretOffs = 0;
        OnDeletePress_(ctrl, true);
        ChangeCaret(rvcmScrollToCaret);
        return;
    }
    BeginUndoSequence(rvutDelete, true);
    if (atLineEnd) {
        JoinWithNextPara(i, paraFirst, paraLast);
        return;
    }
    if (CaretOffs + 1 < static_cast<int>(CharPos.size())) {
        ++CaretOffs;
        OnBackSpacePress_(false, true, false);
    } else {
        const int next = stop.DrawItemNo + 1;
        const bool sameItem = DrawItems[next]->ItemNo == i;
        MoveCaretTo(next, GetOffsBeforeDrawItem(next));
        CaretOffs = 0;
        if (sameItem)
            OnDeletePress_(ctrl, true);
        else
            OnBackSpacePress_(false, true, false);
    }
    (void)inner;
    ChangeCaret(rvcmScrollToCaret);
}
