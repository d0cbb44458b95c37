// Editing commands built from the primitives: inserting an item at the caret,
// deleting the selection, the Enter key, and the layout step that ends every
// command (only the touched paragraphs unless the minimum width changed).
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rvchars.h"
#include "edit/rvervdata.h"

// ---------------------------------------------------------------------------
// Text items

TCustomRVItemInfo* TRVEditRVData::CreateTextItem(const TRVTag& Tag, int ParaNo, int StyleNo, bool SameAsPrev,
                                                 bool BR)
{
    auto* Item = new TRVTextItemInfo(this);
    Item->StyleNo = StyleNo;
    Item->ParaNo = ParaNo;
    Item->SetSameAsPrev(SameAsPrev);
    Item->SetBR(BR);
    if (Style->TextStyles()->Items(StyleNo)->Unicode())
        Item->ItemOptions.Include(rvioUnicode);
    Item->Tag = Tag;
    return Item;
}

TCustomRVItemInfo* TRVEditRVData::CreateTextItemLike(int SourceItemNo, bool SameAsPrev)
{
    const TCustomRVItemInfo* Source = GetItem(SourceItemNo);
    auto* Item = new TRVTextItemInfo(this);
    Item->Assign(Source);
    Item->ItemOptions = TRVItemOptions();
    if (Source->ItemOptions.Contains(rvioUnicode))
        Item->ItemOptions.Include(rvioUnicode);
    Item->SetSameAsPrev(SameAsPrev);
    Item->Tag = RV_CopyTag(Source->Tag, TagsArePChars());
    return Item;
}

TCustomRVItemInfo* TRVEditRVData::InsString(const AnsiString& s, int Index, const TRVTag& Tag, int ParaNo,
                                            int StyleNo, bool SameAsPrev, bool BR, bool& FullReformat)
{
    TCustomRVItemInfo* Item = CreateTextItem(Tag, ParaNo, StyleNo, SameAsPrev, BR);
    AnsiString Text = s;
    Do_InsertItem(Index, Text, Item, false, FullReformat);
    return Item;
}

TCustomRVItemInfo* TRVEditRVData::InsEmptyString(int Index, const TRVTag& Tag, int ParaNo, int StyleNo,
                                                 bool SameAsPrev, bool BR)
{
    bool Dropped = false;
    return InsString(AnsiString(), Index, Tag, ParaNo, StyleNo, SameAsPrev, BR, Dropped);
}

bool TRVEditRVData::ReplicateMarker(int ReferenceItemNo, int InsertItemNo, bool& FullReformat)
{
    FullReformat = false;
    if (ReferenceItemNo < 0 || ReferenceItemNo >= GetItemCount())
        return false;
    const int First = GetFirstParaItem(ReferenceItemNo);
    if (GetItemStyle(First) != rvsListMarker)
        return false;
    auto* Marker = static_cast<TRVMarkerItemInfo*>(RV_DuplicateItem(GetItem(First), this));
    Marker->Reset = false;
    Marker->SetPageBreakBefore(false);
    AnsiString Text = Items->Get(First);
    Do_InsertItem(InsertItemNo, Text, Marker, false, FullReformat);
    return true;
}

// ---------------------------------------------------------------------------
// Layout after a command

void TRVEditRVData::Reformat_(bool FullFormat, int StartDrawItemNo, int EndDrawItemNo, int ItemsAdded)
{
    if (FullFormat && CalculateMinDocWidthPlus(nullptr, nullptr) != DocumentMinWidth) {
        Format_(false, true, false, 0, GetCanvas(), false, false);
        Host->Invalidate();
        return;
    }
    const int OldCount = DrawItems.Count();
    // The range ends at a paragraph's end: lines that continue the changed
    // paragraph (line breaks inside it) follow its new style and indents. The
    // draw items after the range name their items before the change.
    if (EndDrawItemNo >= 0) {
        while (EndDrawItemNo + 1 < OldCount) {
            const int Next = DrawItems[EndDrawItemNo + 1]->ItemNo + ItemsAdded;
            if (Next < 0 || Next >= GetItemCount() || GetItem(Next)->CanBeBorderStart())
                break;
            ++EndDrawItemNo;
        }
    }
    // The range starts at a paragraph's start, so that a line of a numbered
    // paragraph that begins with a line break keeps the list's indent. The
    // items before the range are as they were.
    if (StartDrawItemNo > 0 && StartDrawItemNo < OldCount) {
        int ItemNo = DrawItems[StartDrawItemNo]->ItemNo;
        while (ItemNo > 0 && ItemNo < GetItemCount() && !GetItem(ItemNo)->CanBeBorderStart())
            --ItemNo;
        while (StartDrawItemNo > 0 && DrawItems[StartDrawItemNo]->ItemNo > ItemNo)
            --StartDrawItemNo;
        while (StartDrawItemNo > 0 && DrawItems[StartDrawItemNo - 1]->ItemNo == ItemNo)
            --StartDrawItemNo;
    }
    FormatParas(StartDrawItemNo, EndDrawItemNo, ItemsAdded);
    // What the range holds now can only have widened the document: then the
    // whole document is laid out for its new minimum width.
    const int Count = DrawItems.Count();
    if (Count > 0 && GetItemCount() > 0) {
        const int First = DrawItems[std::clamp(StartDrawItemNo, 0, Count - 1)]->ItemNo;
        const int Last = DrawItems[std::clamp(EndDrawItemNo + Count - OldCount, 0, Count - 1)]->ItemNo;
        if (CalculateMinItemsWidthPlusEx(std::min(First, Last), std::max(First, Last)) > DocumentMinWidth) {
            Format_(false, true, false, 0, GetCanvas(), false, false);
            Host->Invalidate();
            return;
        }
    }
    Host->Invalidate();
}

// ---------------------------------------------------------------------------
// Inserting one item

bool TRVEditRVData::InsertSomething(TCustomRVItemInfo*& Item, AnsiString& s, bool AutoTag, bool CaretBefore)
{
    if (Item->StyleNo != rvsBreak)
        Item->ParaNo = CurParaStyleNo;
    if (PartialSelectedItem) {
        EditBeep();
        return false;
    }
    int InsertPoint = 0;
    int ItemsAdded = 0;
    bool FullReformat = false;
    const int FirstDI = CharPos.front().DrawItemNo;
    const int LastDI = CharPos.back().DrawItemNo;
    if (!InsSomething(Item, s, AutoTag, InsertPoint, ItemsAdded, FullReformat)) {
        EditBeep();
        return false;
    }
    if (!Item)
        return true;
    int ParaFirst = 0;
    int ParaLast = 0;
    GetParaBounds(FirstDI, LastDI, ParaFirst, ParaLast);
    // An insertion may split or regroup paragraph sections (and list indents):
    // the document's width is measured once.
    const bool Full =
        FullReformat || CalculateMinItemWidthPlusEx(InsertPoint) > DocumentMinWidth || MinWidthChanged();
    Reformat_(Full, ParaFirst, ParaLast, ItemsAdded);
    int Offs;
    if (CaretBefore)
        Offs = GetOffsBeforeItem(InsertPoint);
    else
        Offs = GetOffsAfterItem(InsertPoint);
    SetCaretAtItem(InsertPoint, Offs, false);
    return true;
}

bool TRVEditRVData::InsertAtNonText(TCustomRVItemInfo*& Item, int CaretItem, bool After, int& InsertPoint,
                                    int& WantedPara, bool& FullReformat)
{
    TCustomRVItemInfo* At = GetItem(CaretItem);
    bool Flag = false;
    if (After) {
        InsertPoint = CaretItem + 1;
        WantedPara = -1;
        if (At->GetBoolValue(rvbpFullWidth))
            Item->SetSameAsPrev(false);
        return true;
    }
    InsertPoint = CaretItem;
    if (At->GetSameAsPrev()) {
        WantedPara = -1;
        return true;
    }
    // The new item takes over the start of the line.
    Item->SetSameAsPrev(false);
    Item->SetBR(At->GetBR());
    if (At->GetBR())
        WantedPara = -1;
    if (At->GetPageBreakBefore()) {
        Do_PageBreak(CaretItem, false);
        Item->SetPageBreakBefore(true);
    }
    Do_NewLine(CaretItem, true, -1, Flag);
    FullReformat = FullReformat || Flag;
    return true;
}

bool TRVEditRVData::InsSomething(TCustomRVItemInfo*& Item, AnsiString& s, bool AutoTag, int& InsertPoint,
                                 int& ItemsAdded, bool& FullReformat)
{
    FullReformat = false;
    ItemsAdded = 1;
    int WantedPara = Item->ParaNo >= 0 && Item->ParaNo < Style->ParaStyles()->Count() ? Item->ParaNo : -1;
    const bool FullWidth = Item->GetBoolValue(rvbpFullWidth);
    const bool Marker = Item->StyleNo == rvsListMarker;
    auto Drop = [&](bool Result) {
        delete Item;
        Item = nullptr;
        return Result;
    };
    CaretDrawItemNo = CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    const int I = dli->ItemNo;
    if (DrawItems.Count() > 0 && !FullWidth && !Marker) {
        Item->SetSameAsPrev(true);
        Item->ParaNo = GetItemPara(I);
    } else {
        Item->SetSameAsPrev(false);
        Item->ParaNo = CurParaStyleNo;
    }
    if (IsParaProtected(Item->ParaNo, rvpaoReadOnly))
        return Drop(false);
    bool Flag = false;
    const TRVTag* AutoTagFrom = nullptr;
    if (GetItemStyle(I) < 0) {
        if (Marker)
            return Drop(true);
        InsertAtNonText(Item, I, CharPos[static_cast<size_t>(CaretOffs)].Offset != 0, InsertPoint, WantedPara,
                        FullReformat);
    } else if (ItemLength(I) == 0 && FullWidth && I > 0 && GetItemStyle(I - 1) == rvsListMarker) {
        // The empty line after a marker stays: the full-width item goes after it.
        InsertPoint = I + 1;
    } else if (ItemLength(I) == 0) {
        if (IsSticking(I - 1) || IsSticking(I))
            return Drop(false);
        TCustomRVItemInfo* Empty = GetItem(I);
        if (!Empty->GetSameAsPrev()) {
            Item->SetSameAsPrev(false);
            Item->SetBR(Empty->GetBR());
            if (Empty->GetBR())
                WantedPara = -1;
        }
        if (Empty->GetPageBreakBefore())
            Item->SetPageBreakBefore(true);
        Do_DeleteItem(I, Flag);
        FullReformat = FullReformat || Flag;
        InsertPoint = I;
        --ItemsAdded;
        Item->ParaNo = CurParaStyleNo;
    } else {
        if (Marker)
            return Drop(true);
        const int P = dli->Offs + CharPos[static_cast<size_t>(CaretOffs)].Offset - 1;
        TCustomRVItemInfo* Text = GetItem(I);
        const bool FullWidthAfterMarker = FullWidth && I > 0 && GetItemStyle(I - 1) == rvsListMarker;
        if (P <= 1 && !FullWidthAfterMarker) {
            InsertPoint = I;
            if (IsSticking(I - 1))
                return Drop(false);
            if (!FullWidth && !Text->GetSameAsPrev()) {
                InsertAtNonText(Item, I, false, InsertPoint, WantedPara, FullReformat);
            } else {
                WantedPara = -1;
            }
            AutoTagFrom = &Text->Tag;
        } else if (P <= ItemLength(I)) {
            if (IsProtected(I, rvprModifyProtect))
                return Drop(false);
            WantedPara = -1;
            ++ItemsAdded;
            InsertPoint = I + 1;
            AnsiString Tail = RVU_Copy(Items->Get(I), P, ItemLength(I) - P + 1, GetItemOptions(I));
            Do_DeleteSubstring(I, P, -1);
            Do_InsertItem(I + 1, Tail, CreateTextItemLike(I, true), false, Flag);
            FullReformat = FullReformat || Flag;
            AutoTagFrom = &GetItem(I + 1)->Tag;
        } else {
            WantedPara = -1;
            InsertPoint = I + 1;
            if (IsSticking(I))
                return Drop(false);
            AutoTagFrom = &Text->Tag;
        }
        if (AutoTag && AutoTagFrom && Item->StyleNo >= 0 && Item->Tag == TRVTag() &&
            Item->StyleNo == Text->StyleNo)
            Item->Tag = RV_CopyTag(*AutoTagFrom, TagsArePChars());
    }
    if (FullWidth && InsertPoint > 0 && GetItemStyle(InsertPoint - 1) == rvsListMarker) {
        // A marker is never followed by a full-width item: its line keeps an empty text.
        InsEmptyString(InsertPoint, TRVTag(), GetItemPara(InsertPoint - 1), CurTextStyleNo, true, false);
        ++InsertPoint;
        ++ItemsAdded;
    }
    if (FullWidth && InsertPoint < GetItemCount()) {
        Do_NewLine(InsertPoint, false, -1, Flag);
        FullReformat = FullReformat || Flag;
        Do_BR(InsertPoint, false, Flag);
        FullReformat = FullReformat || Flag;
        if (Item->StyleNo == rvsBreak)
            Item->ParaNo = 0;
    }
    Do_InsertItem(InsertPoint, s, Item, false, Flag);
    FullReformat = FullReformat || Flag;
    if (WantedPara >= 0 && WantedPara != Item->ParaNo && Item->StyleNo != rvsBreak) {
        int ParaStart = 0;
        int ParaEnd = 0;
        ExpandToPara(InsertPoint, InsertPoint, ParaStart, ParaEnd);
        Do_Para(ParaStart, ParaEnd, WantedPara, Flag);
        FullReformat = FullReformat || Flag;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Deleting the selection

namespace {

// Whether a text item may lose the piece From..To of its offsets.
bool PieceDeletable(TRVEditRVData& d, int ItemNo, int From, int To)
{
    if (d.GetItemStyle(ItemNo) < 0)
        return true;
    const int Before = d.GetOffsBeforeItem(ItemNo);
    const int After = d.GetOffsAfterItem(ItemNo);
    From = std::max(From, Before);
    To = std::min(To, After);
    if (From >= To)
        return true;
    const bool Whole = From <= Before && To >= After;
    if (d.IsProtected(ItemNo, rvprDeleteProtect) && Whole)
        return false;
    if (!d.IsProtected(ItemNo, rvprModifyProtect))
        return true;
    return Whole;
}

// A selection end inside a character moves to the character's edge (back for
// the start, forward for the end): a deletion never cuts a character.
int SnapToCharacter(TRVEditRVData& d, int ItemNo, int Offs, bool Forward)
{
    if (d.GetItemStyle(ItemNo) < 0)
        return Offs;
    const TRVItemOptions Options = d.GetItemOptions(ItemNo);
    const std::vector<int> Bounds = RVE_CharBoundaries(d.GetItemText(ItemNo), Options.Contains(rvioUnicode),
                                                       d.GetStyleCodePage(d.GetItemStyle(ItemNo)));
    const int Units = Offs - 1;
    int Prev = 0;
    for (int b : Bounds) {
        if (b == Units)
            return Offs;
        if (b > Units)
            return (Forward ? b : Prev) + 1;
        Prev = b;
    }
    const int Length = d.ItemLength(ItemNo);
    return Units <= 0 || Units >= Length ? Offs : (Forward ? Length : Prev) + 1;
}

} // namespace

bool TRVEditRVData::CanDelete()
{
    if (!SelectionExists(false, false))
        return PartialSelectedItem ? PartialSelectedItem->CanDeletePartiallySelected() : true;
    int StartNo = 0;
    int EndNo = 0;
    int StartOffs = 0;
    int EndOffs = 0;
    StoreSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
    for (int i = StartNo + 1; i < EndNo; ++i)
        if (IsProtected(i, rvprDeleteProtect))
            return false;
    if (StartNo == EndNo) {
        if (!PieceDeletable(*this, StartNo, StartOffs, EndOffs))
            return false;
    } else if (!PieceDeletable(*this, StartNo, StartOffs, GetOffsAfterItem(StartNo)) ||
               !PieceDeletable(*this, EndNo, GetOffsBeforeItem(EndNo), EndOffs)) {
        return false;
    }
    if (IsItemParaProtected(StartNo) &&
        !(GetItem(StartNo)->CanBeBorderStart() && StartOffs <= GetOffsBeforeItem(StartNo)))
        return false;
    if (IsItemParaProtected(EndNo) &&
        !(EndOffs >= GetOffsAfterItem(EndNo) &&
          (EndNo == GetItemCount() - 1 || GetItem(EndNo + 1)->CanBeBorderStart())))
        return false;
    return !IsParaProtected(CurParaStyleNo, rvpaoReadOnly);
}

bool TRVEditRVData::DeleteSelection_()
{
    if (!SelectionExists(true, false)) {
        if (!PartialSelectedItem)
            return true;
        const bool Can = PartialSelectedItem->CanDeletePartiallySelected();
        if (Can)
            PartialSelectedItem->DeletePartiallySelected();
        else
            EditBeep();
        return Can;
    }
    if (!CanDelete() || GetChosenRVData()) {
        EditBeep();
        return false;
    }
    BeginUndoSequence(rvutDelete, true);
    int StartDI = 0;
    int EndDI = 0;
    int StartDOffs = 0;
    int EndDOffs = 0;
    GetSelBounds(StartDI, EndDI, StartDOffs, EndDOffs, true);
    int ParaStartDI = 0;
    int ParaEndDI = 0;
    GetParaBounds(StartDI, EndDI, ParaStartDI, ParaEndDI);
    int StartNo = 0;
    int EndNo = 0;
    int StartOffs = 0;
    int EndOffs = 0;
    StoreSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
    Deselect(nullptr, false);
    if (StartNo > 0 && GetItem(StartNo)->GetSameAsPrev() && StartOffs <= GetOffsBeforeItem(StartNo)) {
        --StartNo;
        StartOffs = GetOffsAfterItem(StartNo);
    }
    AdjustMarkerPos(StartNo, StartOffs);
    AdjustMarkerPos(EndNo, EndOffs);
    StartOffs = SnapToCharacter(*this, StartNo, StartOffs, false);
    EndOffs = SnapToCharacter(*this, EndNo, EndOffs, true);

    int Deleted = 0;
    int MaxWidth = 0;
    bool FullReformat = false;
    bool NextStartsPara = true;
    bool JoinNext = false;
    bool Flag = false;
    int CaretItem = StartNo;
    int CaretOffsInItem = StartOffs;
    auto Note = [&]() { FullReformat = FullReformat || Flag; };
    // The rest of the end item joins the start's line, unless that ends with
    // a full-width item, which nothing continues.
    auto JoinAt = [&](int ItemNo) {
        JoinLine(ItemNo, Flag);
        Note();
    };

    auto CutStart = [&](int I, int From, int To) {
        MaxWidth = std::max(MaxWidth, CalculateMinItemWidthPlusEx(I));
        if (From <= GetOffsBeforeItem(I) && To >= GetOffsAfterItem(I)) {
            TCustomRVItemInfo* Item = GetItem(I);
            const bool StartsPara = !Item->GetSameAsPrev();
            if (NextStartsPara)
                NextStartsPara = StartsPara || (I > 0 && GetItemStyle(I - 1) == rvsListMarker);
            const bool BR = Item->GetBR();
            const bool SameAsPrev = Item->GetSameAsPrev();
            const int ParaNo = Item->ParaNo;
            Do_DeleteItem(I, Flag);
            Note();
            ++Deleted;
            if (NextStartsPara) {
                InsEmptyString(I, TRVTag(), ParaNo, CurTextStyleNo, SameAsPrev, BR);
                --Deleted;
                CaretItem = I;
                CaretOffsInItem = 1;
            } else if (StartsPara && I < GetItemCount()) {
                if (!(I > 0 && IsProtected(I, rvprParaStartProtect))) {
                    Do_NewLine(I, false, -1, Flag);
                    Note();
                    if (BR) {
                        Do_BR(I, true, Flag);
                        Note();
                    }
                }
                CaretItem = I;
                CaretOffsInItem = GetOffsBeforeItem(I);
            } else {
                CaretItem = I - 1;
                CaretOffsInItem = GetOffsAfterItem(I - 1);
                if (JoinNext)
                    JoinAt(I);
            }
            return;
        }
        if (GetItemStyle(I) >= 0 && To > From) {
            Do_DeleteSubstring(I, From, To - From);
        }
        CaretItem = I;
        CaretOffsInItem = From;
        if (JoinNext)
            JoinAt(I + 1);
    };

    if (StartNo == EndNo) {
        NextStartsPara = StartNo + 1 >= GetItemCount() || !GetItem(StartNo + 1)->GetSameAsPrev();
        CutStart(StartNo, StartOffs, EndOffs);
    } else {
        MaxWidth = CalculateMinItemWidthPlusEx(EndNo);
        if (EndOffs < GetOffsAfterItem(EndNo)) {
            if (GetItemStyle(EndNo) >= 0 && EndOffs > 1)
                Do_DeleteSubstring(EndNo, 1, EndOffs - 1);
            JoinNext = true;
            NextStartsPara = false;
        } else {
            NextStartsPara = EndNo + 1 >= GetItemCount() || !GetItem(EndNo + 1)->GetSameAsPrev();
            Do_DeleteItem(EndNo, Flag);
            Note();
            ++Deleted;
        }
        if (EndNo - 1 >= StartNo + 1) {
            MaxWidth = std::max(MaxWidth, CalculateMinItemsWidthPlusEx(StartNo + 1, EndNo - 1));
            Deleted += EndNo - 1 - StartNo;
            Do_DeleteItems(StartNo + 1, EndNo - 1, Flag);
            Note();
        }
        CutStart(StartNo, StartOffs, GetOffsAfterItem(StartNo));
    }
    for (int i = StartNo; i <= StartNo + 1; ++i) {
        SettleAfterRemoval(i, Flag);
        Note();
    }
    if (CaretItem >= 0 && CaretItem + 1 < GetItemCount() &&
        RV_CanConcateItems(CaretItem, GetItem(CaretItem), GetItem(CaretItem + 1), false)) {
        FullReformat = Do_Concate(CaretItem) || FullReformat;
        ++Deleted;
    }
    if (CaretItem < 0) {
        CaretItem = 0;
        CaretOffsInItem = GetOffsBeforeItem(0);
    }
    // A marker keeps a line to number: an empty text when nothing follows it.
    if (GetItemStyle(CaretItem) == rvsListMarker &&
        (CaretItem + 1 >= GetItemCount() || GetItem(CaretItem + 1)->CanBeBorderStart())) {
        InsEmptyString(CaretItem + 1, TRVTag(), GetItemPara(CaretItem), CurTextStyleNo, true, false);
        --Deleted;
        ++CaretItem;
        CaretOffsInItem = 1;
    }
    // A deletion across paragraphs may move items into another paragraph style.
    Reformat_(FullReformat || DocumentMinWidth <= MaxWidth || (StartNo != EndNo && MinWidthChanged()),
              ParaStartDI, ParaEndDI, -Deleted);
    SetCaretAtItem(CaretItem, CaretOffsInItem, true);
    DoSelect();
    return true;
}

// ---------------------------------------------------------------------------
// Enter

void TRVEditRVData::OnEnterPress_(bool Shift)
{
    CaretDrawItemNo = CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    const int I = dli->ItemNo;
    if (IsParaProtected(GetItemPara(I), rvpaoDoNotWantReturns)) {
        EditBeep();
        return;
    }
    BeginUndoSequence(rvutMiscTyping, true);
    int ParaFirst = 0;
    int ParaLast = 0;
    GetParaBounds(CharPos.front().DrawItemNo, CharPos.back().DrawItemNo, ParaFirst, ParaLast);
    // On an empty line the caret is at both edges: the new line goes after it.
    const bool AtEnd = CaretAtTheEndOfParaSection();
    const bool AtStart = !AtEnd && CaretAtTheBeginningOfParaSection();
    bool Full = false;
    bool Flag = false;
    int CaretItem = I;
    int Added = 0;
    if (AtStart || AtEnd) {
        if (IsProtected(I, rvprParaStartProtect)) {
            EditBeep();
            return;
        }
        const bool AtLineEnd = CaretAtTheEndOfLine();
        const int StyleNo = GetItemStyle(I);
        if (AtLineEnd && StyleNo == CurTextStyleNo && StyleNo >= 0 &&
            Style->TextStyles()->Items(StyleNo)->NextStyleNo() != -1)
            CurTextStyleNo = Style->TextStyles()->Items(StyleNo)->NextStyleNo();
        if (!Shift && !(I + 1 < GetItemCount() && GetItem(I + 1)->GetBR())) {
            const int Next = Style->ParaStyles()->Items(GetItemPara(I))->NextParaNo();
            if (IsItemParaProtected(I) || (AtLineEnd && Next != -1))
                CurParaStyleNo = Next == -1 ? 0 : Next;
        }
        const int NewStyle =
            IsProtected(I, rvprModifyProtect) && StyleNo == CurTextStyleNo ? 0 : CurTextStyleNo;
        TCustomRVItemInfo* N = CreateTextItem(TRVTag(), CurParaStyleNo, NewStyle, false, false);
        const bool AfterMarker = I > 0 && GetItemStyle(I - 1) == rvsListMarker;
        if (Shift && AtStart && AfterMarker) {
            // The marker's line keeps the new empty text; the old one goes on a new line.
            N->ParaNo = GetItemPara(I - 1);
            N->SetSameAsPrev(true);
        } else if (Shift) {
            N->ParaNo = GetItemPara(I);
            if (AtStart && CharPos.size() > 1) {
                N->SetBR(GetItem(I)->GetBR());
                Do_BR(I, true, Flag);
                Full = Full || Flag;
            } else {
                N->SetBR(true);
            }
        }
        if (StyleNo == N->StyleNo)
            N->Tag = RV_CopyTag(GetItem(I)->Tag, TagsArePChars());
        AnsiString Empty;
        Added = 1;
        if (AtStart && Shift && AfterMarker) {
            Do_InsertItem(I, Empty, N, false, Flag);
            Full = Full || Flag;
            Do_NewLine(I + 1, false, -1, Flag);
            Full = Full || Flag;
            Do_BR(I + 1, true, Flag);
            CaretItem = I + 1;
        } else if (AtStart) {
            if (AfterMarker && !Shift) {
                // The new empty line keeps the marker; the old text gets a copy of it.
                N->SetSameAsPrev(true);
                N->ParaNo = GetItemPara(I - 1);
                Do_InsertItem(I, Empty, N, false, Flag);
                Full = Full || Flag;
                ReplicateMarker(I, I + 1, Flag);
                Added = 2;
                CaretItem = I + 2;
            } else {
                Do_InsertItem(I, Empty, N, false, Flag);
                CaretItem = I + 1;
            }
        } else {
            int At = I + 1;
            if (!Shift && ReplicateMarker(I, At, Flag)) {
                Full = Full || Flag;
                N->SetSameAsPrev(true);
                N->ParaNo = GetItemPara(At);
                ++At;
                Added = 2;
            }
            Do_InsertItem(At, Empty, N, false, Flag);
            CaretItem = At;
        }
        Full = Full || Flag;
    } else {
        if (IsItemParaProtected(I)) {
            EditBeep();
            return;
        }
        const int W = CalculateParaSectionMinWidthDef(I);
        const bool NoWrap = IsParaProtected(GetItemPara(I), rvpaoNoWrap);
        const bool IsText = GetItemStyle(I) >= 0;
        const int P = IsText ? dli->Offs + CharPos[static_cast<size_t>(CaretOffs)].Offset - 1
                             : CharPos[static_cast<size_t>(CaretOffs)].Offset;
        int Target = I;
        if ((!IsText && P == 0) || (IsText && P <= 1)) {
            Target = I;
        } else if (IsText && P <= ItemLength(I)) {
            if (IsProtected(I, rvprParaStartProtect) || IsProtected(I, rvprModifyProtect)) {
                EditBeep();
                return;
            }
            AnsiString Tail = RVU_Copy(Items->Get(I), P, ItemLength(I) - P + 1, GetItemOptions(I));
            Do_DeleteSubstring(I, P, -1);
            TCustomRVItemInfo* NewItem = CreateTextItemLike(I, false);
            int At = I + 1;
            Added = 1;
            if (Shift) {
                NewItem->SetBR(true);
            } else if (ReplicateMarker(I, At, Flag)) {
                Full = Full || Flag;
                NewItem->SetSameAsPrev(true);
                NewItem->ParaNo = GetItemPara(At);
                ++At;
                Added = 2;
            }
            Do_InsertItem(At, Tail, NewItem, false, Flag);
            Full = Full || Flag;
            Target = -1;
            CaretItem = At;
        } else {
            Target = I + 1;
        }
        if (Target >= 0) {
            if (IsProtected(Target, rvprParaStartProtect)) {
                EditBeep();
                return;
            }
            if (Shift) {
                Do_NewLine(Target, false, -1, Flag);
                Full = Full || Flag;
                Do_BR(Target, true, Flag);
                Full = Full || Flag;
            } else if (ReplicateMarker(Target - 1, Target, Flag)) {
                // The item continues a copy of its paragraph's marker.
                ++Target;
                ++Added;
            } else {
                Do_NewLine(Target, false, -1, Flag);
            }
            Full = Full || Flag;
            CaretItem = Target;
        }
        Full = Full || (NoWrap && DocumentMinWidth <= W);
    }
    // A new paragraph (or a copied marker) regroups the paragraph sections.
    Reformat_(Full || MinWidthChanged(), ParaFirst, ParaLast, Added);
    SetCaretAtItem(CaretItem, GetOffsBeforeItem(CaretItem), false);
}
