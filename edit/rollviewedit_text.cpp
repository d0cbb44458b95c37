// TCustomRollViewEdit: typed characters and text inserted at the caret.
// Typing into the caret's text item of the current style is recorded as
// typing: a word typed letter by letter is one typing group, which undo takes
// back one letter at a time; anything else becomes an insertion group of its
// own.
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"

AnsiString TCustomRollViewEdit::TextForStyle(const WideString& units, int styleNo) const
{
    const AnsiString raw = RVU_GetRawUnicode(units);
    const TFontInfo* font = Style()->TextStyles()->Items(styleNo);
    if (font->Unicode())
        return raw;
    return RVU_UnicodeToAnsi(RVU_Charset2CodePage(font->Charset()), raw);
}

namespace {

// The text item and offset that text typed in the current style (StyleNo)
// goes into: the caret's item when it has that style; when the caret is at
// the end of an item of another style, the start of the next item when that
// continues the paragraph in the style. False when there is none, or when it
// is protected or of the other encoding.
bool TypingTarget(TRVEditRVData& d, int styleNo, bool unicode, int& itemNo, int& pos)
{
    itemNo = d.GetCurItemNo();
    pos = d.GetOffsetInCurItem();
    if (itemNo < 0 || d.CharPos.empty())
        return false;
    if (d.GetItemStyle(itemNo) != styleNo) {
        const int next = itemNo + 1;
        if (pos < d.GetOffsAfterItem(itemNo) || next >= d.GetItemCount() ||
            !d.GetItem(next)->GetSameAsPrev() || d.GetItemStyle(next) != styleNo)
            return false;
        itemNo = next;
        pos = d.GetOffsBeforeItem(next);
    }
    return !d.IsProtected(itemNo, rvprModifyProtect) && !d.IsItemParaProtected(itemNo) &&
           d.GetItemOptions(itemNo).Contains(rvioUnicode) == unicode;
}

} // namespace

// Puts s (one character) into the text item that typing goes into, with a
// typing record; false when there is none or it is empty.
bool TCustomRollViewEdit::TypeIntoCaretItem(const AnsiString& s, int units)
{
    TRVEditRVData& d = *EditRVData();
    const bool unicode = Style()->TextStyles()->Items(d.CurTextStyleNo)->Unicode();
    int itemNo = -1;
    int pos = 0;
    if (!TypingTarget(d, d.CurTextStyleNo, unicode, itemNo, pos) || d.GetItemText(itemNo).empty())
        return false;
    const TRVItemOptions options = d.GetItemOptions(itemNo);
    // A typing record undoes one unit: a character of two bytes in a
    // multibyte code page is inserted whole instead.
    if (s.size() != (unicode ? 2u : 1u))
        return false;
    int firstDi = 0;
    int lastDi = 0;
    d.GetParaBounds(d.CharPos.front().DrawItemNo, d.CharPos.back().DrawItemNo, firstDi, lastDi);
    const int w0 = d.CalculateMinItemWidthPlusEx(itemNo);
    const AnsiString old = d.GetItemText(itemNo);
    AnsiString text = old;
    RVU_Insert(s, text, pos, options);
    d.ChangeItemText(itemNo, text);
    if (d.GetItemText(itemNo) == text) {
        for (int k = 0; k < units; ++k)
            d.UndoList->AddTyping(itemNo, pos + k, unicode);
    } else {
        // The item's text hook wrote another text than the one typed: a typing
        // record would take back the wrong character, so the change is
        // recorded as a change of the whole text.
        const AnsiString hooked = d.GetItemText(itemNo);
        d.Items->Put(itemNo, old);
        d.BeginUndoSequence(rvutMiscTyping, true);
        d.Do_ChangeText(itemNo, hooked);
    }
    const int w1 = d.CalculateMinItemWidthPlusEx(itemNo);
    d.Reformat_(d.MinWidthChangeNeedsFull(w0, w1), firstDi, lastDi, 0);
    d.SetCaretAtItem(itemNo, std::min(pos + units, d.GetOffsAfterItem(itemNo)), false);
    return true;
}

// Puts s (in the current style's form) at the caret inside an open undo
// group: into the text item that typing goes into, or as a new item.
void TCustomRollViewEdit::InsertNewTextItem(const AnsiString& s, bool caretBefore)
{
    TRVEditRVData& d = *EditRVData();
    const int styleNo = d.CurTextStyleNo;
    int itemNo = -1;
    int pos = 0;
    if (TypingTarget(d, styleNo, Style()->TextStyles()->Items(styleNo)->Unicode(), itemNo, pos)) {
        int firstDi = 0;
        int lastDi = 0;
        d.GetParaBounds(d.CharPos.front().DrawItemNo, d.CharPos.back().DrawItemNo, firstDi, lastDi);
        const int w0 = d.CalculateMinItemWidthPlusEx(itemNo);
        d.Do_InsertSubstring(itemNo, pos, s);
        const int w1 = d.CalculateMinItemWidthPlusEx(itemNo);
        d.Reformat_(d.MinWidthChangeNeedsFull(w0, w1), firstDi, lastDi, 0);
        d.SetCaretAtItem(itemNo, caretBefore ? pos : pos + RVU_Length(s, d.GetItemOptions(itemNo)), false);
        return;
    }
    TCustomRVItemInfo* item = d.CreateTextItem(TRVTag(), d.CurParaStyleNo, styleNo, false, false);
    AnsiString text = s;
    // The data frees what it drops and clears the pointer; an item it refused
    // before taking it (a table's cells selected) is still this one's.
    if (!d.InsertSomething(item, text, true, caretBefore))
        delete item;
}

void TCustomRollViewEdit::TypeText(const WideString& units)
{
    TRVEditRVData& d = *EditRVData();
    if (d.SelectionExists(true, false)) {
        if (!d.DeleteSelection_())
            return;
        // The deletion is a change of its own, which the program hears of:
        // a handler that changes the document takes the key over.
        const uint64_t changes = DocumentChanges();
        Change();
        if (DocumentChanges() != changes || !Visible())
            return;
        BeginCommandNotices();
    }
    if (units == WideString(1, WideChar('\t'))) {
        InsertText(AnsiString(static_cast<size_t>(std::max(Style()->SpacesInTab(), 0)), ' '));
        return;
    }
    const AnsiString s = TextForStyle(units, d.CurTextStyleNo);
    if (s.empty())
        return;
    // Typing records take single units: a surrogate pair is inserted whole,
    // so that undo never splits it. Inside a program's undo group letters are
    // inserted as text too: a typing record is undone one character at a
    // time, and the group is one step.
    if (units.size() != 1 || d.UndoList->InGroupMode() || !TypeIntoCaretItem(s, 1)) {
        d.BeginUndoSequence(rvutInsert, true);
        InsertNewTextItem(s, false);
    }
    Change();
}

bool TCustomRollViewEdit::BeforeInserting()
{
    TRVEditRVData& d = *EditRVData();
    if (!Style()) {
        return false;
    }
    if (d.PartialSelectedItem || !d.CanDelete()) {
        d.EditBeep();
        return false;
    }
    if (!BeforeChange(false))
        return false;
    d.BeginUndoSequence(rvutInsert, true);
    d.SetUndoGroupMode(true);
    const int styleNo = d.CurTextStyleNo;
    d.DeleteSelection_();
    // The program hears of the selection that goes (OnSelect): its handler
    // may change the document or close this editor, and the insertion, meant
    // for the caret as it was, is not made then.
    const uint64_t changes = DocumentChanges();
    d.Deselect(nullptr, true);
    if (DocumentChanges() != changes || !Visible()) {
        AfterInserting();
        return false;
    }
    SetCurTextStyleNo(styleNo);
    return true;
}

void TCustomRollViewEdit::AfterInserting()
{
    EditRVData()->SetUndoGroupMode(false);
    Change();
}

bool TCustomRollViewEdit::InsertText(const AnsiString& s, bool caretBefore)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertText(s, caretBefore);
    return InsertInGroup([&] { return EditRVData()->InsertText_(s, caretBefore); });
}

bool TCustomRollViewEdit::InsertTextW(const WideString& s, bool caretBefore)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertTextW(s, caretBefore);
    return InsertInGroup([&] {
        BeforeUnicode();
        return EditRVData()->InsertTextW_(RVU_GetRawUnicode(s), caretBefore);
    });
}
