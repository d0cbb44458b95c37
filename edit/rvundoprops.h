// The undo records of changes to an item's properties: the size of a control
// item, and published integer properties set by name on an item or on an
// object inside it (a table's cell). Each record, when played, calls the
// primitive of TRVEditRVData that sets the old value back, which records the
// opposite record into the group open in the other list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "edit/rvundorecords.h"

class TPersistent;

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
