// TCollection and TCollectionItem: items join and leave their collection
// themselves, so that deleting an item is always enough to take it out.
#include "platform/core/collection.h"

#include <algorithm>

#include "platform/core/sysutils.h"

// ---------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::TCollectionItem(TCollection* collection)
{
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* value)
{
    if (FCollection == value)
        return;
    if (FCollection)
        FCollection->RemoveItem(this);
    if (value)
        value->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (!FCollection)
        return -1;
    const auto& items = FCollection->FItems;
    auto found = std::find(items.begin(), items.end(), this);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

void TCollectionItem::SetIndex(int value)
{
    const int current = Index();
    if (current < 0 || current == value)
        return;
    auto& items = FCollection->FItems;
    if (value < 0 || value >= static_cast<int>(items.size()))
        throw EListError(Format(SysConst::SListIndexError, {value}));
    auto first = items.begin();
    if (current < value)
        std::rotate(first + current, first + current + 1, first + value + 1);
    else
        std::rotate(first + value, first + current, first + current + 1);
    // Every later item's index changed, so the whole collection is reported.
    Changed(true);
}

AnsiString TCollectionItem::DisplayName() const
{
    return ClassName();
}

void TCollectionItem::Changed(bool allItems)
{
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(allItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const
{
    return FCollection;
}

// ---------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TCollectionItemClass itemClass, TPersistent* owner)
    : FItemClass(std::move(itemClass)), FOwner(owner)
{}

TCollection::~TCollection()
{
    // A collection being destroyed reports nothing: its subclass is gone already.
    FUpdateCount = 1;
    while (!FItems.empty())
        delete FItems.back();
}

void TCollection::Assign(const TPersistent* source)
{
    auto other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* sourceItem : other->FItems) {
            if (TCollectionItem* item = NewItem())
                item->Assign(sourceItem);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format(SysConst::SListIndexError, {index}));
    return FItems[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::NewItem()
{
    TCollectionItem* item = FItemClass(this);
    // A factory that made its item elsewhere (or outside any collection) still
    // hands back an item of this collection.
    if (item && item->FCollection != this)
        item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Add()
{
    return Insert(Count());
}

TCollectionItem* TCollection::Insert(int index)
{
    if (index < 0 || index > Count())
        throw EListError(Format(SysConst::SListIndexError, {index}));
    // Update waits until the item is complete and in place.
    BeginUpdate();
    TCollectionItem* item = nullptr;
    try {
        item = NewItem();
        // A new item arrives last; only an insertion elsewhere moves it (finding
        // its place is a search, which appending must not pay for).
        if (item && !(FItems.back() == item && index == Count() - 1))
            item->SetIndex(index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TCollection::Delete(int index)
{
    delete GetItem(index);
}

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : FItems)
        if (item->FID == id)
            return item;
    return nullptr;
}

void TCollection::BeginUpdate()
{
    ++FUpdateCount;
}

void TCollection::EndUpdate()
{
    // An EndUpdate without its BeginUpdate does not leave the count below zero,
    // which would silence every later change.
    if (FUpdateCount > 0)
        --FUpdateCount;
    Changed();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    FItems.push_back(item);
    item->FCollection = this;
    item->FID = FNextID++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    // Items mostly leave from the end (Clear, the newest item deleted).
    auto found = std::find(FItems.rbegin(), FItems.rend(), item);
    if (found != FItems.rend())
        FItems.erase(std::next(found).base());
    item->FCollection = nullptr;
    Changed();
}
