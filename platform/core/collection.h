// TCollection: an owning, ordered list of TCollectionItem of one kind, created
// through the collection so that each item knows its collection and index.
#pragma once

#include <functional>
#include <vector>

#include "platform/core/object.h"

class TCollection;

class TCollectionItem : public TPersistent {
public:
    // Adds itself to the collection (when one is given) at the end.
    explicit TCollectionItem(TCollection* Collection);
    // Takes itself out of its collection.
    ~TCollectionItem() override;
    const char* ClassName() const override { return "TCollectionItem"; }

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection, or out of any with null.
    void SetCollection(TCollection* value);
    int Index() const;                 // -1 outside a collection
    void SetIndex(int value);          // moves the item within its collection
    int ID() const { return FID; }     // unique within the collection, never reused
    virtual AnsiString DisplayName() const;

protected:
    // Tells the collection that this item (or, with AllItems, every item) changed.
    void Changed(bool AllItems);
    TPersistent* GetOwner() const override;

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// Makes a new item inside the given collection (it adds itself there).
using TCollectionItemClass = std::function<TCollectionItem*(TCollection*)>;

class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass ItemClass, TPersistent* Owner = nullptr);
    ~TCollection() override;  // frees every item
    const char* ClassName() const override { return "TCollection"; }

    // Clears, then adds one item per item of Source, each assigned from its source.
    void Assign(const TPersistent* Source) override;

    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* GetItem(int index) const;  // EListError for a bad index
    TCollectionItem* operator[](int index) const { return GetItem(index); }
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);  // frees the item
    void Clear();
    TCollectionItem* FindItemID(int id) const;

    void BeginUpdate();
    void EndUpdate();  // calls Update(null) when the outermost update ends
    int UpdateCount() const { return FUpdateCount; }

protected:
    friend class TCollectionItem;
    // Called after a change: Item is the changed item, or null for "all".
    virtual void Update(TCollectionItem* Item);
    void Changed();
    TPersistent* GetOwner() const override { return FOwner; }
    const TCollectionItemClass& ItemClass() const { return FItemClass; }

private:
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    TCollectionItemClass FItemClass;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};
