// The undo records of changes to an item's properties (the size of a control
// item, published integer properties set by name on an item or on an object
// inside it, such as a table's cell) and of the list markers of paragraphs.
// Each record, when played, calls the primitive of TRVEditRVData that puts the
// old state back, which records the opposite record into the group open in
// the other list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "edit/rvundorecords.h"

class TPersistent;
class TRVMarkerItemInfo;

// A control item's size before a resize (Width, Height of the control).
class TRVUndoResizeInfo : public TRVUndoWidthInfo {
public:
    int Width = 0;
    int Height = 0;
    void Undo(TRVEditRVData* rvData) override;
};

// The base of the records of property changes of item ItemNo. AffectSize:
// the change alters the item's size (undoing it needs a layout); AffectWidth:
// it may alter the item's minimum width (and so the document's). SubObject:
// the object inside the item whose property changed, null for the item itself
// (kept as null so that a record never points at an item object that an
// exchange has replaced).
class TRVUndoModifyItemProps : public TRVUndoItemNoInfo {
public:
    int OldWidth = 0;
    bool AffectWidth = false;
    bool AffectSize = false;
    TPersistent* SubObject = nullptr; // not owned

    bool RequiresFormat() override { return AffectSize; }
    // With a width-affecting change: the item's minimum width before undoing
    // is kept; the whole document is laid out when that width was the
    // document's minimum width (or more)...
    bool RequiresFullReformat1(TRVEditRVData* rvData) override;
    // ... or when the width changed and now exceeds it.
    bool RequiresFullReformat2(TRVEditRVData* rvData) override;
    // Copies this class's own fields into the record that undoing made in the
    // other list (Opposite, null when nothing records). Nothing here.
    virtual void SetOppositeUndoInfoProps(TRVUndoModifyItemProps* opposite);
    // The object whose property the record sets back: SubObject, or the item.
    virtual TPersistent* GetSubObject(TRVEditRVData* rvData);
};

// Adds Record to the open group of List as a property record of item ItemNo
// with its effects on the layout; the record (now the list's).
template <class T>
T* AddModifyItemPropsRecord(TRVUndoList* list, std::unique_ptr<T> record, int itemNo, bool affectSize,
                            bool affectWidth)
{
    record->Action = rvuModifyItem;
    record->ItemNo = itemNo;
    record->AffectSize = affectSize;
    record->AffectWidth = affectWidth;
    T* raw = record.get();
    list->AddInfo(std::move(record));
    return raw;
}

// One published integer property, PropertyName, that had the value Value.
class TRVUndoModifyItemIntProperty : public TRVUndoModifyItemProps {
public:
    AnsiString PropertyName;
    int64_t Value = 0;
    void Undo(TRVEditRVData* rvData) override;
    // A new record of this record's own class, for the opposite change.
    virtual std::unique_ptr<TRVUndoModifyItemIntProperty> CreateOpposite() const;
};

// Published integer properties by name with their values, last set first.
using TRVIntPropertyList = std::vector<std::pair<AnsiString, int64_t>>;

// Several published integer properties (PropList: each name with the value it had).
class TRVUndoModifyItemIntProperties : public TRVUndoModifyItemProps {
public:
    TRVIntPropertyList PropList;
    void Undo(TRVEditRVData* rvData) override;
    virtual std::unique_ptr<TRVUndoModifyItemIntProperties> CreateOpposite() const;
};

// The record classes the property primitives make: null for the plain classes above.
using TRVIntPropertyRecordClass = std::function<std::unique_ptr<TRVUndoModifyItemIntProperty>()>;
using TRVIntPropertiesRecordClass = std::function<std::unique_ptr<TRVUndoModifyItemIntProperties>()>;

// One paragraph's marker exchanged: the paragraph whose first item (its marker
// when it has one) is item ItemNo gets Marker (null: no marker).
struct TRVMarkerChange {
    int ItemNo = 0;
    TRVMarkerItemInfo* Marker = nullptr;
};
using TRVMarkerChanges = std::vector<TRVMarkerChange>;

// The markers that paragraphs had before their markers were exchanged (owned
// until undo gives them back; null where a paragraph had none), at the items
// the paragraphs start at after the exchange.
class TRVUndoListMarkersInfo : public TRVUndoInfo {
public:
    ~TRVUndoListMarkersInfo() override;
    TRVMarkerChanges Changes;
    // Items undoing adds (the markers removed less those added).
    int Added = 0;
    bool FullReformat = false;
    void Undo(TRVEditRVData* rvData) override;
    bool SetItemsRange(int& startItemNo, int& endItemNo, TRVEditRVData* rvData) override;
    int ItemsAdded() override { return Added; }
    bool RequiresFullReformat2(TRVEditRVData*) override { return FullReformat; }
};
