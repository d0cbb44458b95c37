// Delete and Backspace: one key press becomes a short sequence of primitives
// in one rvutDelete group, followed by a layout of the touched paragraphs.
// A character made of several code units (a surrogate pair, a joined emoji,
// a multi-byte character of an 8-bit item) always goes whole.
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "edit/rvchars.h"
#include "edit/rvervdata.h"

namespace {

// The caret's position in its item (a caret offset).
int CaretPosInItem(TRVEditRVData& d, const TRVCharPos& Stop)
{
    const TRVDrawLineInfo* dli = d.DrawItems[Stop.DrawItemNo];
    return d.GetItemStyle(dli->ItemNo) >= 0 ? dli->Offs + Stop.Offset - 1 : Stop.Offset;
}

bool IsEmptyText(TRVEditRVData& d, int ItemNo)
{
    return d.GetItemStyle(ItemNo) >= 0 && d.ItemLength(ItemNo) == 0;
}

bool IsFullWidth(TRVEditRVData& d, int ItemNo)
{
    return d.GetItem(ItemNo)->GetBoolValue(rvbpFullWidth);
}

} // namespace

void TRVEditRVData::ReformatAndPlace(bool Full, int FirstDI, int LastDI, int Added, int ItemNo, int Offs,
                                     bool ApplyPara)
{
    Reformat_(Full, FirstDI, LastDI, Added);
    ItemNo = std::clamp(ItemNo, 0, GetItemCount() - 1);
    Offs = std::clamp(Offs, GetOffsBeforeItem(ItemNo), GetOffsAfterItem(ItemNo));
    SetCaretAtItem(ItemNo, Offs, ApplyPara);
}

int TRVEditRVData::RemovableCharsBefore(int ItemNo, int Index, bool Ctrl, bool)
{
    const AnsiString& Text = Items->Get(ItemNo);
    const TRVItemOptions Options = GetItemOptions(ItemNo);
    if (Ctrl) {
        // Back to the start of the word before the caret; a space run after a
        // word goes with it.
        int j = Index - 1;
        int N = 1;
        while (j - 1 >= 1 && !(RVU_IsSpace(Text, j - 1, Options) && !RVU_IsSpace(Text, j, Options))) {
            --j;
            ++N;
        }
        return N;
    }
    return RVE_PrevCharUnits(Text, Options.Contains(rvioUnicode), GetStyleCodePage(GetItemStyle(ItemNo)),
                             Index - 1);
}

void TRVEditRVData::DeleteWholeItemOnBackspace(int ItemNo, int ParaFirstDI, int ParaLastDI)
{
    if (IsItemParaProtected(ItemNo) || IsProtected(ItemNo, rvprDeleteProtect)) {
        EditBeep();
        return;
    }
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    const bool IsText = Item->StyleNo >= 0;
    const bool StartsLine = !Item->GetSameAsPrev();
    const bool NextContinues = ItemNo + 1 < GetItemCount() && GetItem(ItemNo + 1)->GetSameAsPrev();
    const bool AfterMarker = ItemNo > 0 && GetItemStyle(ItemNo - 1) == rvsListMarker;
    const int MaxWidth =
        std::max(CalculateMinItemWidthPlusEx(ItemNo), CalculateParaSectionMinWidthDef(ItemNo));
    bool Full = false;
    bool Flag = false;
    if ((StartsLine || AfterMarker) && !NextContinues) {
        // The paragraph keeps an empty line in the current styles.
        TCustomRVItemInfo* Empty =
            CreateTextItem(IsText ? RV_CopyTag(Item->Tag, TagsArePChars()) : TRVTag(), Item->ParaNo,
                           CurTextStyleNo, Item->GetSameAsPrev(), Item->GetBR());
        if (Item->GetPageBreakBefore())
            Empty->SetPageBreakBefore(true);
        if (Item->Checkpoint)
            Empty->Checkpoint = Item->Checkpoint->CreateCopy(TagsArePChars());
        Do_DeleteItem(ItemNo, Flag);
        Full = Flag;
        AnsiString Text;
        Do_InsertItem(ItemNo, Text, Empty, false, Flag);
        Full = Full || Flag || DocumentMinWidth <= MaxWidth;
        ReformatAndPlace(Full, ParaFirstDI, ParaLastDI, 0, ItemNo, 1, false);
        return;
    }
    const bool BR = Item->GetBR();
    const bool PageBreak = Item->GetPageBreakBefore();
    Do_DeleteItem(ItemNo, Flag);
    Full = Flag || DocumentMinWidth <= MaxWidth;
    int Added = -1;
    if (StartsLine && NextContinues) {
        Do_NewLine(ItemNo, false, -1, Flag);
        Full = Full || Flag;
        if (BR) {
            Do_BR(ItemNo, true, Flag);
            Full = Full || Flag;
        }
        if (PageBreak)
            Do_PageBreak(ItemNo, true);
        ReformatAndPlace(Full, ParaFirstDI, ParaLastDI, Added, ItemNo, GetOffsBeforeItem(ItemNo), false);
        return;
    }
    int CaretItem = ItemNo - 1;
    int CaretOffsInItem = GetOffsAfterItem(CaretItem);
    if (ItemNo < GetItemCount() &&
        RV_CanConcateItems(CaretItem, GetItem(CaretItem), GetItem(ItemNo), false)) {
        CaretOffsInItem = ItemLength(CaretItem) + 1;
        Full = Do_Concate(CaretItem) || Full;
        --Added;
    }
    ReformatAndPlace(Full, ParaFirstDI, ParaLastDI, Added, CaretItem, CaretOffsInItem, false);
}

void TRVEditRVData::JoinWithPreviousPara(int I, int ParaFirstDI, int ParaLastDI)
{
    bool Flag = false;
    bool Full = false;
    const bool MarkerBefore = I > 0 && GetItemStyle(I - 1) == rvsListMarker;
    if (GetItem(MarkerBefore ? I - 1 : I)->GetPageBreakBefore()) {
        Do_PageBreak(I, false);
        Host->Invalidate();
        return;
    }
    if (I == 0)
        return;
    const bool ProtectedParas = IsItemParaProtected(I - 1) || IsItemParaProtected(I);
    if (MarkerBefore) {
        // The paragraph loses its numbering and keeps its text.
        if (ProtectedParas) {
            EditBeep();
            return;
        }
        Do_DeleteItem(I - 1, Flag);
        Full = Flag;
        Do_NewLine(I - 1, false, -1, Flag);
        Full = Full || Flag;
        ReformatAndPlace(Full || MinWidthChanged(), ParaFirstDI, ParaLastDI, -1, I - 1,
                         GetOffsBeforeItem(I - 1), false);
        return;
    }
    if (IsEmptyText(*this, I)) {
        if (IsProtected(I, rvprDeleteProtect) || IsItemParaProtected(I)) {
            EditBeep();
            return;
        }
        Do_DeleteItem(I, Flag);
        Full = Flag;
        SettleAfterRemoval(I, Flag);
        Full = Full || Flag;
        ReformatAndPlace(Full || MinWidthChanged(), ParaFirstDI, ParaLastDI, -1, I - 1,
                         GetOffsAfterItem(I - 1), true);
        return;
    }
    if (IsEmptyText(*this, I - 1)) {
        if (ProtectedParas || IsProtected(I - 1, rvprDeleteProtect)) {
            EditBeep();
            return;
        }
        if (I > 1 && GetItemStyle(I - 2) == rvsListMarker) {
            // The line of the marker takes this item in place of the empty one.
            Do_NewLine(I, true, -1, Flag);
        } else {
            Do_BR(I, GetItem(I - 1)->GetBR(), Flag);
        }
        Full = Flag;
        Do_DeleteItem(I - 1, Flag);
        Full = Full || Flag;
        SettleAfterRemoval(I - 1, Flag);
        Full = Full || Flag;
        ReformatAndPlace(Full || MinWidthChanged(), ParaFirstDI, ParaLastDI, -1, I - 1,
                         GetOffsBeforeItem(I - 1), false);
        return;
    }
    if (ProtectedParas || IsProtected(I, rvprParaStartProtect)) {
        EditBeep();
        return;
    }
    if (RV_CanConcateItems(I - 1, GetItem(I - 1), GetItem(I), true)) {
        const int OldLength = ItemLength(I - 1);
        Full = Do_Concate(I - 1) || Full;
        SettleAfterRemoval(I, Flag);
        Full = Full || Flag;
        ReformatAndPlace(Full || MinWidthChanged(), ParaFirstDI, ParaLastDI, -1, I - 1, OldLength + 1, true);
        return;
    }
    JoinLine(I, Flag);
    ReformatAndPlace(Flag || MinWidthChanged(), ParaFirstDI, ParaLastDI, 0, I, GetOffsBeforeItem(I), true);
}

void TRVEditRVData::OnBackSpacePress_(bool Ctrl, bool FromDelete, bool Retry)
{
    if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return;
    const TRVCharPos Stop = CharPos[static_cast<size_t>(CaretOffs)];
    CaretDrawItemNo = Stop.DrawItemNo;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    const int I = dli->ItemNo;
    const bool IsText = GetItemStyle(I) >= 0;
    int Pos = CaretPosInItem(*this, Stop);
    if (Retry && CaretDrawItemNo + 1 < DrawItems.Count() && DrawItems[CaretDrawItemNo + 1]->ItemNo != I)
        Pos = GetOffsAfterItem(I);
    if (IsItemParaProtected(I)) {
        EditBeep();
        return;
    }
    const bool AtItemStart = Pos <= GetOffsBeforeItem(I);
    if (CaretOffs == 0 && AtItemStart) {
        if (I == 0 && !GetItem(I)->GetPageBreakBefore())
            return;
        if (I > 0 && (IsFullWidth(*this, I) || (IsFullWidth(*this, I - 1) && !IsEmptyText(*this, I)))) {
            OnLeftPress(false, false);
            return;
        }
    }
    int ParaFirst = 0;
    int ParaLast = 0;
    GetParaBounds(CharPos.front().DrawItemNo, CharPos.back().DrawItemNo, ParaFirst, ParaLast);
    if (CaretOffs == 0 && AtItemStart && GetItem(I)->GetSameAsPrev() &&
        !(I > 0 && GetItemStyle(I - 1) == rvsListMarker) && CaretDrawItemNo > 0) {
        // The line before ends inside this paragraph: delete there.
        --CaretDrawItemNo;
        OnChangeCaretLine(GetOffsAfterDrawItem(CaretDrawItemNo) - 2);
        CaretOffs = static_cast<int>(CharPos.size()) - 1;
        OnBackSpacePress_(Ctrl, FromDelete, true);
        ChangeCaret(false, true, false, false);
        return;
    }
    BeginUndoSequence(rvutDelete, true);
    if (CaretAtTheBeginningOfParaSection() && AtItemStart) {
        JoinWithPreviousPara(I, ParaFirst, ParaLast);
        return;
    }
    if (!IsText || Pos <= 1) {
        if (IsText) {
            // At the start of a text item that continues its line: the item before loses its end.
            if (I == 0)
                return;
            CaretDrawItemNo = std::max(CaretDrawItemNo - 1, 0);
        }
        if (!IsText && Pos == 0)
            return;
        DeleteWholeItemOnBackspace(IsText ? I - 1 : I, ParaFirst, ParaLast);
        return;
    }
    const int N = RemovableCharsBefore(I, Pos, Ctrl, FromDelete);
    if (N >= ItemLength(I)) {
        DeleteWholeItemOnBackspace(I, ParaFirst, ParaLast);
        return;
    }
    if (IsProtected(I, rvprModifyProtect)) {
        EditBeep();
        return;
    }
    const int Width = CalculateMinItemWidthPlusEx(I);
    Do_DeleteSubstring(I, Pos - N, N);
    ReformatAndPlace(DocumentMinWidth <= Width, ParaFirst, ParaLast, 0, I, Pos - N, false);
}

void TRVEditRVData::JoinWithNextPara(int I, int ParaFirstDI, int ParaLastDI)
{
    const int J = I + 1;
    bool Flag = false;
    bool Full = false;
    if (GetItemStyle(J) == rvsListMarker) {
        // The next paragraph loses its numbering and joins this one.
        if (IsItemParaProtected(I) || IsItemParaProtected(J)) {
            EditBeep();
            return;
        }
        const int OldEnd = GetOffsAfterItem(I);
        Do_DeleteItem(J, Flag);
        Full = Flag;
        int Added = -1;
        if (J < GetItemCount() && GetItemStyle(J) >= 0 &&
            RV_CanConcateItems(I, GetItem(I), GetItem(J), true)) {
            Full = Do_Concate(I) || Full;
            --Added;
            SettleAfterRemoval(J, Flag);
        } else {
            // The text after the marker continues this line.
            JoinLine(J, Flag);
        }
        ReformatAndPlace(Full || Flag || MinWidthChanged(), ParaFirstDI, ParaLastDI, Added, I, OldEnd, true);
        return;
    }
    const bool ProtectedParas = IsItemParaProtected(I) || IsItemParaProtected(J);
    if (IsEmptyText(*this, I) || IsEmptyText(*this, J)) {
        const int E = IsEmptyText(*this, I) ? I : J;
        if (IsProtected(E, rvprDeleteProtect) || IsItemParaProtected(E)) {
            EditBeep();
            return;
        }
        if (E == I && !GetItem(I)->GetBR()) {
            Do_BR(J, false, Flag);
            Full = Flag;
            if (GetItem(I)->GetPageBreakBefore())
                Do_PageBreak(J, true);
        }
        Do_DeleteItem(E, Flag);
        Full = Full || Flag;
        if (E == I) {
            int Added = -1;
            int At = I;
            // The list marker of the emptied line goes with it.
            if (I > 0 && GetItemStyle(I - 1) == rvsListMarker) {
                Do_DeleteItem(I - 1, Flag);
                Full = Full || Flag;
                SettleAfterRemoval(I - 1, Flag);
                Full = Full || Flag;
                --Added;
                --At;
            }
            At = std::min(At, GetItemCount() - 1);
            ReformatAndPlace(Full || MinWidthChanged(), ParaFirstDI, ParaLastDI, Added, At,
                             GetOffsBeforeItem(At), false);
            return;
        }
        SettleAfterRemoval(J, Flag);
        Full = Full || Flag;
        ReformatAndPlace(Full || MinWidthChanged(), ParaFirstDI, ParaLastDI, -1, I, GetOffsAfterItem(I),
                         true);
        return;
    }
    if (ProtectedParas || IsProtected(J, rvprParaStartProtect)) {
        EditBeep();
        return;
    }
    if (RV_CanConcateItems(I, GetItem(I), GetItem(J), true)) {
        const int OldEnd = GetOffsAfterItem(I);
        Full = Do_Concate(I) || Full;
        SettleAfterRemoval(J, Flag);
        Full = Full || Flag;
        ReformatAndPlace(Full || MinWidthChanged(), ParaFirstDI, ParaLastDI, -1, I, OldEnd, true);
        return;
    }
    JoinLine(J, Flag);
    ReformatAndPlace(Flag || MinWidthChanged(), ParaFirstDI, ParaLastDI, 0, I, GetOffsAfterItem(I), true);
}

void TRVEditRVData::OnDeletePress_(bool Ctrl, bool Inner)
{
    if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return;
    const TRVCharPos Stop = CharPos[static_cast<size_t>(CaretOffs)];
    CaretDrawItemNo = Stop.DrawItemNo;
    const int I = DrawItems[CaretDrawItemNo]->ItemNo;
    if (IsItemParaProtected(I)) {
        EditBeep();
        return;
    }
    const bool IsText = GetItemStyle(I) >= 0;
    const int Pos = CaretPosInItem(*this, Stop);
    const bool AtLineEnd = CaretAtTheEndOfLine() && (!IsText || Pos > ItemLength(I));
    if (AtLineEnd) {
        if (IsFullWidth(*this, I)) {
            OnRightPress(false, false);
            return;
        }
        if (I + 1 < GetItemCount() && IsFullWidth(*this, I + 1) && !IsEmptyText(*this, I)) {
            OnRightPress(false, false);
            return;
        }
        if (I == GetItemCount() - 1) {
            if (IsEmptyText(*this, I) && I > 0)
                OnBackSpacePress_(Ctrl, false, false);
            return;
        }
    }
    int ParaFirst = 0;
    int ParaLast = 0;
    GetParaBounds(CharPos.front().DrawItemNo, CharPos.back().DrawItemNo, ParaFirst, ParaLast);
    if (AtLineEnd && GetItem(I + 1)->GetSameAsPrev()) {
        // The line ends between two items of one paragraph: delete on the next line.
        MoveCaretTo(CaretDrawItemNo + 1, GetOffsBeforeDrawItem(CaretDrawItemNo + 1));
        CaretOffs = 0;
        OnDeletePress_(Ctrl, true);
        ChangeCaret(false, true, false, false);
        return;
    }
    BeginUndoSequence(rvutDelete, true);
    if (AtLineEnd) {
        JoinWithNextPara(I, ParaFirst, ParaLast);
        return;
    }
    if (CaretOffs + 1 < static_cast<int>(CharPos.size())) {
        ++CaretOffs;
        OnBackSpacePress_(false, true, false);
    } else {
        const int Next = Stop.DrawItemNo + 1;
        const bool SameItem = DrawItems[Next]->ItemNo == I;
        MoveCaretTo(Next, GetOffsBeforeDrawItem(Next));
        CaretOffs = 0;
        if (SameItem)
            OnDeletePress_(Ctrl, true);
        else
            OnBackSpacePress_(false, true, false);
    }
    (void)Inner;
    ChangeCaret(false, true, false, false);
}
