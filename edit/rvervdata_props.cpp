// The editor's document data: changes of an item's properties and the layout
// after them, embedded controls placed and resized, published properties set
// by name, the styles the editor itself uses, HTML saving and where a search
// starts.
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvstyle.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"
#include "edit/rvundoprops.h"
#include "platform/controls/controls.h"
#include "platform/core/typinfo.h"

// ---------------------------------------------------------------------------
// The caret across a layout

bool TRVEditRVData::CaretItemPosition(int& itemNo, int& offs)
{
    itemNo = -1;
    offs = 0;
    if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size()))
        return false;
    const TRVCharPos& stop = CharPos[static_cast<size_t>(CaretOffs)];
    if (stop.DrawItemNo < 0 || stop.DrawItemNo >= DrawItems.Count() ||
        DrawItems[stop.DrawItemNo]->ItemNo >= GetItemCount())
        return false;
    DrawItem2Item(stop.DrawItemNo, stop.Offset, itemNo, offs);
    return itemNo >= 0;
}

void TRVEditRVData::KeepCaretAt(int itemNo, int offs)
{
    if (DrawItems.Count() == 0 || GetItemCount() == 0)
        return;
    if (itemNo < 0 || itemNo >= GetItemCount()) {
        itemNo = 0;
        offs = GetOffsBeforeItem(0);
    }
    offs = std::clamp(offs, GetOffsBeforeItem(itemNo), GetOffsAfterItem(itemNo));
    AdjustMarkerPos(itemNo, offs);
    PlaceCaretAtItem(itemNo, offs);
    ChangeCaret(rvcmKeepStyles);
}

// ---------------------------------------------------------------------------
// Item changes

void TRVEditRVData::BeginItemModify(int itemNo, int& itemData)
{
    itemData = CalculateMinItemWidthPlusEx(itemNo);
}

void TRVEditRVData::EndItemModify(int itemNo, int itemData)
{
    Reformat(MinWidthChangeNeedsFull(itemData, CalculateMinItemWidthPlusEx(itemNo)), itemNo);
}

void TRVEditRVData::Reformat(bool fullFormat, int itemNo)
{
    int caretItem = -1;
    int caretOffs = 0;
    const bool hadCaret = CaretItemPosition(caretItem, caretOffs);
    if (itemNo < 0 || itemNo >= GetItemCount() || DrawItems.Count() == 0) {
        FormatAll();
        Invalidate();
    } else {
        int drawItemNo = -1;
        if (hadCaret && caretItem == itemNo)
            drawItemNo = CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo;
        else
            Item2FirstDrawItem(itemNo, drawItemNo);
        // A full layout is asked for when the item may have been as wide as
        // the document: Reformat_ then looks at the rest of the document.
        Reformat_(fullFormat, drawItemNo, drawItemNo, 0);
    }
    KeepCaretAt(hadCaret ? caretItem : itemNo, hadCaret ? caretOffs : GetOffsBeforeItem(std::max(itemNo, 0)));
}

// ---------------------------------------------------------------------------
// Controls

void TRVEditRVData::AdjustControlPlacement(int itemNo)
{
    auto* item = CheckItemClass<TRVControlItemInfo>(itemNo);
    TControl* control = item->Control();
    const int drawItemNo = item->DrawItemNo;
    if (!control || control == ResizingControl || drawItemNo < 0 || drawItemNo >= DrawItems.Count() ||
        DrawItems[drawItemNo]->ItemNo != itemNo)
        return;
    const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
    const int border = 2 * item->Spacing;
    if (control->Width() == dli->Width - border && control->Height() == dli->Height - border) {
        item->AdjustInserted(dli->Left - GetZHOffs(), dli->Top - GetZVOffs(), true);
        return;
    }
    DoResizeControl(itemNo, dli->Width - border, dli->Height - border, control->Width(), control->Height());
}

void TRVEditRVData::ResizeControl(int itemNo, int width, int height, bool reformat)
{
    auto* item = CheckItemClass<TRVControlItemInfo>(itemNo);
    TControl* control = item->Control();
    if (!control || (control->Width() == width && control->Height() == height))
        return;
    const int oldWidth = control->Width();
    const int oldHeight = control->Height();
    TControl* wasResizing = ResizingControl;
    ResizingControl = control;
    try {
        control->SetBounds(control->Left(), control->Top(), width, height);
    } catch (...) {
        ResizingControl = wasResizing;
        throw;
    }
    ResizingControl = wasResizing;
    InvalidateTailLayout();
    if (reformat)
        DoResizeControl(itemNo, oldWidth, oldHeight, width, height);
}

void TRVEditRVData::DoResizeControl(int itemNo, int oldWidth, int, int newWidth, int)
{
    const int now = CalculateMinItemWidthPlusEx(itemNo);
    const int before = now - newWidth + oldWidth;
    InvalidateTailLayout();
    Reformat(MinWidthChangeNeedsFull(before, now), itemNo);
    Invalidate();
}

void TRVEditRVData::Do_Resize(int itemNo, int width, int height, bool reformat)
{
    TControl* control = CheckItemClass<TRVControlItemInfo>(itemNo)->Control();
    if (!control || (control->Width() == width && control->Height() == height))
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = std::make_unique<TRVUndoResizeInfo>();
        record->Action = rvuModifyItem;
        record->ItemNo = itemNo;
        record->Width = control->Width();
        record->Height = control->Height();
        list->AddInfo(std::move(record));
    }
    ResizeControl(itemNo, width, height, reformat);
}

// ---------------------------------------------------------------------------
// Published properties by name

namespace {

// The object whose property changes: SubObject, or the item itself (and
// SubObject then null, so that no record keeps the item object).
TPersistent* PropertyObject(TCustomRVItemInfo* item, TPersistent*& subObject)
{
    if (subObject == item)
        subObject = nullptr;
    return subObject ? subObject : item;
}

// Runs Change between the item's hooks around a property change, the closing
// hook also when the change raises.
template <class F> void ChangeProperties(TCustomRVItemInfo* item, F change)
{
    item->BeforeUndoChangeProperty();
    try {
        change();
    } catch (...) {
        item->AfterUndoChangeProperty();
        throw;
    }
    item->AfterUndoChangeProperty();
}

} // namespace

TRVUndoModifyItemProps* TRVEditRVData::Do_ModifyItemIntProperty(int itemNo, TPersistent* subObject,
                                                                const AnsiString& propertyName, int64_t value,
                                                                bool affectSize, bool affectWidth,
                                                                const TRVIntPropertyRecordClass& recordClass)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    TPersistent* object = PropertyObject(item, subObject);
    const TPropInfo& prop = FindPropInfo(object, propertyName);
    const int64_t old = GetOrdProp(object, prop);
    if (old == value)
        return nullptr;
    TRVUndoModifyItemIntProperty* record = nullptr;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        record = AddModifyItemPropsRecord(
            list, recordClass ? recordClass() : std::make_unique<TRVUndoModifyItemIntProperty>(), itemNo,
            affectSize, affectWidth);
        record->SubObject = subObject;
        record->PropertyName = propertyName;
        record->Value = old;
    }
    ChangeProperties(item, [&] { SetOrdProp(object, prop, value); });
    if (affectSize)
        InvalidateTailLayout();
    return record;
}

TRVUndoModifyItemProps*
TRVEditRVData::Do_ModifyItemIntProperties(int itemNo, TPersistent* subObject, const TRVIntPropertyList& props,
                                          bool affectSize, bool affectWidth,
                                          const TRVIntPropertiesRecordClass& recordClass)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    TPersistent* object = PropertyObject(item, subObject);
    // The record is made first so that what changed is written into it, and
    // added only when something did.
    TRVUndoList* list = NoteEditAndGetUndoList();
    std::unique_ptr<TRVUndoModifyItemIntProperties> record;
    if (list)
        record = recordClass ? recordClass() : std::make_unique<TRVUndoModifyItemIntProperties>();
    bool changed = false;
    ChangeProperties(item, [&] {
        for (auto it = props.rbegin(); it != props.rend(); ++it) {
            const TPropInfo& prop = FindPropInfo(object, it->first);
            const int64_t current = GetOrdProp(object, prop);
            if (current == it->second)
                continue;
            if (record)
                record->PropList.emplace_back(it->first, current);
            SetOrdProp(object, prop, it->second);
            changed = true;
        }
    });
    if (changed && affectSize)
        InvalidateTailLayout();
    if (!record || record->PropList.empty())
        return nullptr;
    record->SubObject = subObject;
    return AddModifyItemPropsRecord(list, std::move(record), itemNo, affectSize, affectWidth);
}

// ---------------------------------------------------------------------------
// Styles in use

void TRVEditRVData::MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                                    TRVIntegerList* usedListStyles)
{
    TRollViewRVData::MarkStylesInUse(usedTextStyles, usedParaStyles, usedListStyles);
    auto mark = [](TRVIntegerList* used, int no) {
        if (used && no >= 0 && no < used->Count())
            used->Put(no, 1);
    };
    mark(usedTextStyles, CurTextStyleNo);
    mark(usedParaStyles, CurParaStyleNo);
}

void TRVEditRVData::AfterDeleteStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                                      TRVIntegerList* listStylesShift)
{
    // The records keep style numbers that no longer mean the same styles.
    ClearUndo();
    // A style's number after the deletion; Deleted for a style that went.
    auto renumber = [](TRVIntegerList* shift, int no, int deleted) {
        if (!shift || no < 0 || no >= shift->Count())
            return no;
        const int s = shift->Get(no);
        return s == 0 ? deleted : no - (s - 1);
    };
    CurTextStyleNo = renumber(textStylesShift, CurTextStyleNo, 0);
    LastAutoTextStyleNo = renumber(textStylesShift, LastAutoTextStyleNo, 0);
    CurParaStyleNo = renumber(paraStylesShift, CurParaStyleNo, 0);
    if (!GetInplaceEditor()) {
        // Both events fire, whether the numbers changed or not.
        TCustomRollViewEdit* editor = RollViewEdit();
        State.Include(rvstForceStyleChangeEvent);
        editor->SetCurTextStyleNo(CurTextStyleNo);
        State.Include(rvstForceStyleChangeEvent);
        editor->SetCurParaStyleNo(CurParaStyleNo);
        State.Exclude(rvstForceStyleChangeEvent);
    }
    TRollViewRVData::AfterDeleteStyles(textStylesShift, paraStylesShift, listStylesShift);
}

// ---------------------------------------------------------------------------
// Saving HTML

namespace {

// Builds the hyperlink areas of an editor's document for a writer and clears
// them afterwards, unless they were there already (read-only, Ctrl held).
class TJumpsForSaving {
public:
    explicit TJumpsForSaving(TRVEditRVData* data)
        : FData(data),
          FBuilt(data->GetFlags().Contains(rvflRootEditor) && !data->GetFlags().Contains(rvflUseJumps))
    {
        if (FBuilt)
            FData->BuildJumpsCoords(true);
    }
    ~TJumpsForSaving()
    {
        if (FBuilt)
            FData->ClearJumpsCoords();
    }
    TJumpsForSaving(const TJumpsForSaving&) = delete;
    TJumpsForSaving& operator=(const TJumpsForSaving&) = delete;

private:
    TRVEditRVData* FData;
    bool FBuilt;
};

} // namespace

bool TRVEditRVData::SaveHTMLToStream(TStream& stream, const AnsiString& path, const AnsiString& title,
                                     const AnsiString& imagesPrefix, TRVSaveOptions options, TColor color,
                                     int& imagesCounter, int leftMargin, int topMargin, int rightMargin,
                                     int bottomMargin, TRVFBackground* background, TRVList* bullets,
                                     bool selectionOnly)
{
    TJumpsForSaving jumps(this);
    return TRollViewRVData::SaveHTMLToStream(stream, path, title, imagesPrefix, options, color, imagesCounter,
                                             leftMargin, topMargin, rightMargin, bottomMargin, background,
                                             bullets, selectionOnly);
}

bool TRVEditRVData::SaveHTMLToStreamEx(TStream& stream, const AnsiString& path, const AnsiString& title,
                                       const AnsiString& imagesPrefix, const AnsiString& extraStyles,
                                       const AnsiString& externalCss, const AnsiString& cpPrefix,
                                       TRVSaveOptions options, TColor color, TColor& currentFileColor,
                                       int& imagesCounter, int leftMargin, int topMargin, int rightMargin,
                                       int bottomMargin, TRVFBackground* background, TRVList* bullets,
                                       bool selectionOnly)
{
    TJumpsForSaving jumps(this);
    return TRollViewRVData::SaveHTMLToStreamEx(stream, path, title, imagesPrefix, extraStyles, externalCss,
                                               cpPrefix, options, color, currentFileColor, imagesCounter,
                                               leftMargin, topMargin, rightMargin, bottomMargin, background,
                                               bullets, selectionOnly);
}

// ---------------------------------------------------------------------------
// Search

void TRVEditRVData::SrchStart(bool down, int& itemNo, int& offs)
{
    itemNo = GetCurItemNo();
    offs = GetOffsetInCurItem();
    if (itemNo < 0) {
        TRollViewRVData::SrchStart(down, itemNo, offs);
        return;
    }
    if (down && offs >= GetOffsAfterItem(itemNo)) {
        ++itemNo;
        if (itemNo < GetItemCount())
            offs = GetOffsBeforeItem(itemNo);
    } else if (!down && offs <= GetOffsBeforeItem(itemNo)) {
        --itemNo;
        if (itemNo >= 0)
            offs = GetOffsAfterItem(itemNo);
    }
}
