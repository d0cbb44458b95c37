// TCollection: an owning, ordered list of TCollectionItem of one kind, created
// through the collection so that each item knows its collection and index.
#pragma once

#include <functional>
#include <vector>

#include "platform/core/object.h"

class TCollection;

// An entry of a collection. It joins its collection in its constructor (at the end,
// with the next ID) and leaves it in its destructor, so deleting an item is the way
// to remove it. Subclasses add the item's properties and override Assign.
class TCollectionItem : public TPersistent {
public:
    // Adds itself to the collection (when one is given) at the end.
    explicit TCollectionItem(TCollection* collection);
    // Takes itself out of its collection.
    ~TCollectionItem() override;
    const char* ClassName() const override { return "TCollectionItem"; }

    TCollection* Collection() const { return FCollection; }
    // Moves the item to the end of another collection (where it gets a new ID), or
    // out of any with null; the collection it is in owns it.
    void SetCollection(TCollection* value);
    int Index() const; // -1 outside a collection
    // Moves the item within its collection; EListError for an index outside it.
    void SetIndex(int value);
    int ID() const { return FID; }          // unique within the collection, never reused
    virtual AnsiString DisplayName() const; // the class name unless overridden

protected:
    // Tells the collection that this item (or, with AllItems, every item) changed.
    void Changed(bool allItems);
    TPersistent* GetOwner() const override;

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// Makes a new item inside the given collection (it adds itself there): the item
// class of the collection, as a factory.
using TCollectionItemClass = std::function<TCollectionItem*(TCollection*)>;

// Owns its items: Delete, Clear and the destructor free them. Item IDs count up
// from 0 and are never given twice. Every change (an item added, removed, moved)
// calls Update(null), and an item's Changed calls Update(item), except between
// BeginUpdate and EndUpdate; the outermost EndUpdate then calls Update(null) once.
//
// An item made with new announces itself from TCollectionItem's constructor, before
// its subclass's fields exist; Add and Insert hold Update back until the item is
// complete, so collections whose Update reads the items grow through them.
class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass itemClass, TPersistent* owner = nullptr);
    ~TCollection() override; // frees every item, without calling Update
    const char* ClassName() const override { return "TCollection"; }

    // From another collection: clears, then adds one item per item of Source, each
    // assigned from its source item, in one update. Anything else goes through
    // TPersistent::Assign.
    void Assign(const TPersistent* source) override;

    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* GetItem(int index) const; // EListError for a bad index
    TCollectionItem* operator[](int index) const { return GetItem(index); }
    TCollectionItem* Add();                    // a new item of the item class, at the end
    TCollectionItem* Insert(int index);        // the same at index (0..Count)
    void Delete(int index);                    // frees the item
    void Clear();                              // frees every item, the last first
    TCollectionItem* FindItemID(int id) const; // null when no item has the ID

    void BeginUpdate();
    void EndUpdate(); // calls Update(null) when the outermost update ends
    int UpdateCount() const { return FUpdateCount; }

protected:
    friend class TCollectionItem;
    // Called after a change: Item is the changed item, or null for "all".
    virtual void Update(TCollectionItem* item);
    void Changed();
    TPersistent* GetOwner() const override { return FOwner; }
    const TCollectionItemClass& ItemClass() const { return FItemClass; }

private:
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    TCollectionItem* NewItem();

    TCollectionItemClass FItemClass;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};
