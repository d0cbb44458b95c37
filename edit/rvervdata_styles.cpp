// Applying styles in the editor: a paragraph style (or a conversion of
// paragraph styles) to the paragraphs the selection touches, a conversion of
// text styles to the selected text, which splits text items at the
// selection's ends and joins equal neighbours afterwards, and page breaks.
#include <algorithm>
#include <vector>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"

namespace {

// The style that the editor's conversion event makes of StyleNo; StyleNo
// itself when there is no event or it answers no style of the Count there are.
int Converted(TCustomRollViewEdit* editor, int styleNo, int userData, bool appliedToText, int count)
{
    int result = styleNo;
    if (editor->CurStyleConversion)
        editor->CurStyleConversion(editor, styleNo, userData, appliedToText, result);
    return result >= 0 && result < count ? result : styleNo;
}

} // namespace

int TRVEditRVData::ConvertTextStyle(int styleNo, int userData, bool appliedToText)
{
    return Converted(RollViewEdit(), styleNo, userData, appliedToText, GetRVStyle()->TextStyles()->Count());
}

int TRVEditRVData::ConvertParaStyle(int paraNo, int userData)
{
    return Converted(RollViewEdit(), paraNo, userData, false, GetRVStyle()->ParaStyles()->Count());
}

// ---------------------------------------------------------------------------
// Paragraph styles

void TRVEditRVData::ApplyParaStyle(int paraNo, bool convert)
{
    if (PartialSelectedItem) {
        if (convert)
            PartialSelectedItem->ApplyParaStyleConversionToPartiallySelected(paraNo);
        else
            PartialSelectedItem->ApplyParaStyleToPartiallySelected(paraNo);
        return;
    }
    TRVStyle* style = GetRVStyle();
    if (!style || GetItemCount() == 0 || DrawItems.Count() == 0)
        return;
    if (!convert && (paraNo < 0 || paraNo >= style->ParaStyles()->Count()))
        return;
    TRVSelectedParas paras;
    if (!SelectedParagraphs(paras))
        return;
    const int first = paras.FirstItemNo;
    const int last = paras.LastItemNo;
    const int(&sel)[4] = paras.Sel;
    bool full = false;
    if (convert) {
        std::vector<int> styles;
        styles.reserve(static_cast<size_t>(last - first + 1));
        for (int i = first; i <= last; ++i)
            styles.push_back(ConvertParaStyle(GetItemPara(i), paraNo));
        Do_ParaList(first, styles, full);
    } else {
        Do_Para(first, last, paraNo, full);
    }
    Reformat_(full, paras.FirstDrawItemNo, paras.LastDrawItemNo, 0);
    if (paras.HadSelection)
        RestoreSelBounds(sel[0], sel[2], sel[1], sel[3]);
    // The caret stands at the selection's moving end.
    SetCaretAtItem(sel[2], sel[3], false);
    Change();
}

bool TRVEditRVData::SelectedParagraphs(TRVSelectedParas& paras)
{
    int(&sel)[4] = paras.Sel;
    paras.HadSelection = SelectionExists(true, false);
    if (paras.HadSelection) {
        StoreSelBounds(sel[0], sel[2], sel[1], sel[3], false);
    } else if (CaretItemPosition(sel[0], sel[1])) {
        sel[2] = sel[0];
        sel[3] = sel[1];
    } else {
        return false;
    }
    paras.FirstItemNo = GetFirstParaItem(std::min(sel[0], sel[2]));
    paras.LastItemNo = GetParaEndItemNo(std::max(sel[0], sel[2]));
    int offs = 0;
    Item2FirstDrawItem(paras.FirstItemNo, paras.FirstDrawItemNo);
    Item2DrawItem(paras.LastItemNo, GetOffsAfterItem(paras.LastItemNo), paras.LastDrawItemNo, offs);
    return true;
}

// ---------------------------------------------------------------------------
// Converting text styles

namespace {

// Text of a text item converted from the encoding of style From to that of style To.
AnsiString TextInStyle(TRVEditRVData& d, const AnsiString& s, int from, int to)
{
    TRVStyle* style = d.GetRVStyle();
    const bool fromUnicode = style->TextStyles()->Items(from)->Unicode();
    const bool toUnicode = style->TextStyles()->Items(to)->Unicode();
    if (fromUnicode && !toUnicode)
        return RVU_UnicodeToAnsi(d.GetStyleCodePage(to), s);
    if (!fromUnicode && toUnicode)
        return RVU_AnsiToUnicode(d.GetStyleCodePage(from), s);
    return s;
}

// An item position, kept through the splits and joins of the conversion.
struct TItemPos {
    int ItemNo = 0;
    int Offs = 0;
};

// The conversion of the selected text, item by item from the last to the
// first, and the joining of equal neighbours after it.
class TTextStyleConversion {
public:
    TTextStyleConversion(TRVEditRVData& d, int userData) : D(d), UserData(userData) {}

    TRVEditRVData& D;
    int UserData;
    int Added = 0;
    bool Full = false;

    bool ClearTags() const { return D.RollViewEdit()->EditorOptions().Contains(rvoClearTagOnStyleApp); }
    TRVTag TagFor(int itemNo, bool converted) const
    {
        return converted && ClearTags() ? TRVTag() : D.GetItem(itemNo)->GetTag();
    }

    // The whole item in its new style.
    void Whole(int i, int newStyle)
    {
        const int oldStyle = D.GetItemStyle(i);
        if (newStyle == oldStyle)
            return;
        if (ClearTags())
            D.Do_Tag(i, TRVTag());
        const AnsiString text = TextInStyle(D, D.GetItemText(i), oldStyle, newStyle);
        // A Unicode item never holds 8-bit text, not even for one step (nor
        // for one step of its undo): the text changes on the 8-bit side.
        const bool toUnicode = D.GetRVStyle()->TextStyles()->Items(newStyle)->Unicode();
        if (!toUnicode)
            D.Do_StyleNo(i, newStyle);
        if (text != D.GetItemText(i))
            D.Do_ChangeText(i, text);
        if (toUnicode)
            D.Do_StyleNo(i, newStyle);
    }

    // The characters of item I before offset E become a new item before it in
    // StyleNo, which takes over the start of the line, the page break and the
    // checkpoint; the rest continues the line.
    void SplitHead(int i, int e, int styleNo, const TRVTag& tag)
    {
        TCustomRVItemInfo* old = D.GetItem(i);
        const int oldStyle = old->StyleNo;
        const AnsiString head = RVU_Copy(D.GetItemText(i), 1, e - 1, D.GetItemOptions(i));
        const bool sameAsPrev = old->GetSameAsPrev();
        const bool br = old->GetBR();
        const bool pageBreak = old->GetPageBreakBefore();
        bool flag = false;
        D.Do_DeleteSubstring(i, 1, e - 1);
        if (pageBreak)
            D.Do_PageBreak(i, false);
        TCustomRVItemInfo* item = D.CreateTextItem(tag, old->ParaNo, styleNo, sameAsPrev, br);
        AnsiString text = TextInStyle(D, head, oldStyle, styleNo);
        D.Do_InsertItem(i, text, item, false, flag);
        Full = Full || flag;
        ++Added;
        if (pageBreak)
            D.Do_PageBreak(i, true);
        if (TRVCPInfo* cp = D.GetItem(i + 1)->GetCheckpoint()) {
            D.Do_AddCP(i, cp->CreateCopy(D.GetOptions().Contains(rvoTagsArePChars)));
            D.Do_DeleteCP(i + 1);
        }
        D.Do_NewLine(i + 1, true, -1, flag);
        Full = Full || flag;
    }

    // The characters of item I from offset S become a new item after it in
    // StyleNo, continuing the line.
    void SplitTail(int i, int s, int styleNo, const TRVTag& tag)
    {
        const int oldStyle = D.GetItemStyle(i);
        const AnsiString tail = RVU_Copy(D.GetItemText(i), s, D.ItemLength(i) - s + 1, D.GetItemOptions(i));
        bool flag = false;
        D.Do_DeleteSubstring(i, s, -1);
        TCustomRVItemInfo* item = D.CreateTextItem(tag, D.GetItemPara(i), styleNo, true, false);
        AnsiString text = TextInStyle(D, tail, oldStyle, styleNo);
        D.Do_InsertItem(i + 1, text, item, false, flag);
        Full = Full || flag;
        ++Added;
    }

    // Converts the piece From..To (item offsets) of item I; answers the
    // piece's place afterwards and the number of items added before its end.
    int Piece(int i, int from, int to, TItemPos& start, TItemPos& end)
    {
        start = {i, from};
        end = {i, to};
        if (!D.IsTextItem(i)) {
            D.GetItem(i)->ApplyStyleConversion(&D, UserData);
            return 0;
        }
        const int oldStyle = D.GetItemStyle(i);
        const int newStyle = D.ConvertTextStyle(oldStyle, UserData, true);
        const int length = D.ItemLength(i);
        const bool head = from <= 1;
        const bool tail = to >= length + 1;
        if (newStyle == oldStyle || (head && tail)) {
            Whole(i, newStyle);
            return 0;
        }
        const int before = Added;
        if (head) {
            SplitHead(i, to, newStyle, TagFor(i, true));
            end = {i, to};
            start = {i, 1};
        } else if (tail) {
            SplitTail(i, from, newStyle, TagFor(i, true));
            start = {i + 1, 1};
            end = {i + 1, D.GetOffsAfterItem(i + 1)};
        } else {
            // The middle stays in the item itself; its head and tail keep the old style.
            SplitHead(i, from, oldStyle, TagFor(i, false));
            ++i;
            SplitTail(i, to - from + 1, oldStyle, TagFor(i, false));
            Whole(i, newStyle);
            start = {i, 1};
            end = {i, D.GetOffsAfterItem(i)};
        }
        return Added - before;
    }

    // Joins item K into item K - 1 where they can be one item; positions into
    // K move into the joined item.
    void Join(int k, TItemPos& a, TItemPos& b)
    {
        if (k <= 0 || k >= D.GetItemCount() ||
            !D.RV_CanConcateItems(k - 1, D.GetItem(k - 1), D.GetItem(k), false))
            return;
        const int length = D.IsTextItem(k - 1) ? D.ItemLength(k - 1) : 0;
        Full = D.Do_Concate(k - 1) || Full;
        --Added;
        for (TItemPos* p : {&a, &b}) {
            if (p->ItemNo == k) {
                p->ItemNo = k - 1;
                p->Offs += length;
            } else if (p->ItemNo > k) {
                --p->ItemNo;
            }
        }
    }
};

} // namespace

void TRVEditRVData::ApplyStyleConversion_(int userData)
{
    if (PartialSelectedItem) {
        PartialSelectedItem->ApplyStyleConversionToPartiallySelected(userData);
        return;
    }
    TRVStyle* style = GetRVStyle();
    if (!style || GetItemCount() == 0 || DrawItems.Count() == 0)
        return;
    TCustomRollViewEdit* editor = RollViewEdit();
    if (!style->TextStyles()->Items(CurTextStyleNo)->Protection().Contains(rvprDoNotAutoSwitch))
        LastAutoTextStyleNo = CurTextStyleNo;
    const int newCurrent = ConvertTextStyle(CurTextStyleNo, userData, false);
    TTextStyleConversion conversion(*this, userData);

    if (!SelectionExists(true, false)) {
        // The style goes to what is typed next; an empty text item at the
        // caret takes it at once.
        int itemNo = -1;
        int offs = 0;
        if (CaretItemPosition(itemNo, offs) && IsTextItem(itemNo) && ItemLength(itemNo) == 0) {
            BeginUndoSequence(rvutStyleNo, true);
            const int drawItemNo = CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo;
            const int w0 = CalculateMinItemWidthPlusEx(itemNo);
            conversion.Whole(itemNo, ConvertTextStyle(GetItemStyle(itemNo), userData, true));
            Reformat_(MinWidthChangeNeedsFull(w0, CalculateMinItemWidthPlusEx(itemNo)), drawItemNo,
                      drawItemNo, 0);
            editor->SetCurTextStyleNo(newCurrent);
            KeepCaretAt(itemNo, GetOffsBeforeItem(itemNo));
            Change();
        }
        editor->SetCurTextStyleNo(newCurrent);
        return;
    }

    BeginUndoSequence(rvutStyleNo, true);
    int startDi = 0;
    int endDi = 0;
    int startDOffs = 0;
    int endDOffs = 0;
    GetSelBounds(startDi, endDi, startDOffs, endDOffs, false);
    const bool backwards = startDi > endDi || (startDi == endDi && startDOffs > endDOffs);
    int si = 0;
    int ei = 0;
    int so = 0;
    int eo = 0;
    StoreSelBounds(si, ei, so, eo, true);
    AdjustMarkerPos(si, so);
    AdjustMarkerPos(ei, eo);
    so = CharacterEdge(si, so, false);
    eo = CharacterEdge(ei, eo, true);
    int paraFirstDi = 0;
    int paraLastDi = 0;
    GetParaBounds(std::min(startDi, endDi), std::max(startDi, endDi), paraFirstDi, paraLastDi);
    const int w0 = CalculateParaSectionsMinWidthDef(si, ei);
    Deselect(nullptr, false);

    TItemPos first{si, so};
    TItemPos last{ei, eo};
    for (int i = ei; i >= si; --i) {
        const int from = i == si ? so : GetOffsBeforeItem(i);
        const int to = i == ei ? eo : GetOffsAfterItem(i);
        if (from >= to)
            continue;
        TItemPos start;
        TItemPos end;
        const int added = conversion.Piece(i, from, to, start, end);
        if (i == ei)
            last = end;
        else
            last.ItemNo += added;
        if (i == si)
            first = start;
    }
    // Equal neighbours join, from the item after the range back to the one before it.
    for (int k = std::min(last.ItemNo + 1, GetItemCount() - 1); k >= std::max(first.ItemNo, 1); --k)
        conversion.Join(k, first, last);

    const int w1 = CalculateParaSectionsMinWidthDef(first.ItemNo, last.ItemNo);
    const bool full = conversion.Full || (w0 != w1 && (DocumentMinWidth <= w0 || DocumentMinWidth <= w1));
    Reformat_(full, paraFirstDi, paraLastDi, conversion.Added);
    if (backwards)
        RestoreSelBounds(last.ItemNo, first.ItemNo, last.Offs, first.Offs);
    else
        RestoreSelBounds(first.ItemNo, last.ItemNo, first.Offs, last.Offs);
    MoveCaretTo(SelEndNo, SelEndOffs);
    editor->SetCurTextStyleNo(newCurrent);
    ChangeCaret(rvcmScrollToCaret | rvcmKeepStyles);
    Change();
}

void TRVEditRVData::ConvertAllTextStyles(int userData)
{
    TTextStyleConversion conversion(*this, userData);
    TItemPos first{0, 0};
    TItemPos last{0, 0};
    for (int i = GetItemCount() - 1; i >= 0; --i) {
        TItemPos start;
        TItemPos end;
        conversion.Piece(i, GetOffsBeforeItem(i), GetOffsAfterItem(i), start, end);
    }
    for (int k = GetItemCount() - 1; k >= 1; --k)
        conversion.Join(k, first, last);
}

// ---------------------------------------------------------------------------
// Page breaks

void TRVEditRVData::InsertPageBreak()
{
    if (GetItemCount() == 0 || DrawItems.Count() == 0)
        return;
    Deselect(nullptr, true);
    BeginUndoSequence(rvutInsertPageBreak, true);
    SetUndoGroupMode(true);
    bool br = false;
    bool full = false;
    int itemNo = -1;
    // Whether the caret is at the start of its line (after the line's marker).
    auto atLineStart = [this](int item) {
        return GetOffsetInCurItem() <= GetOffsBeforeItem(item) &&
               (!GetItem(item)->GetSameAsPrev() || (item > 0 && GetItemStyle(item - 1) == rvsListMarker));
    };
    try {
        itemNo = GetCurItemNo();
        if (!atLineStart(itemNo)) {
            OnEnterPress_(false);
            itemNo = GetCurItemNo();
        }
        // A paragraph break that was refused leaves no line to break the page before.
        if (atLineStart(itemNo)) {
            br = GetItem(itemNo)->GetBR();
            Do_BR(itemNo, false, full);
            Do_PageBreak(itemNo, true);
        }
    } catch (...) {
        SetUndoGroupMode(false);
        throw;
    }
    SetUndoGroupMode(false);
    if (br)
        Reformat(full, itemNo);
    Refresh();
    Change();
}
