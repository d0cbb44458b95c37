// The rarely set fields of items (checkpoint, tag, hyperlink number): one
// table for all items, keyed by the item, holding a record only for the
// items that set one of them.
#include <unordered_map>
#include <utility>

#include "document/rvitem.h"

namespace {

struct TRVItemExtra {
    TRVCPInfo* Checkpoint = nullptr;
    TRVTag Tag;
    int JumpID = 0;

    bool AllDefault() const { return Checkpoint == nullptr && Tag == TRVTag() && JumpID == 0; }
};

// Like the documents that hold the items, the table belongs to the program's
// one thread and takes no lock. A record's address stays put while others
// come and go (the map's nodes never move), so what a reader was given stays
// valid until its own item changes.
struct TRVItemExtras {
    std::unordered_map<const TCustomRVItemInfo*, TRVItemExtra> Records;
};

// Never destroyed: items may outlive the end of main (a document held by a
// static object) and still let their records go then.
TRVItemExtras& Extras()
{
    static auto* extras = new TRVItemExtras;
    return *extras;
}

const TRVItemExtra& RecordOf(const TCustomRVItemInfo* item)
{
    return Extras().Records.at(item);
}

} // namespace

const TRVTag TCustomRVItemInfo::DefaultTag;

TRVCPInfo* TCustomRVItemInfo::ExtraCheckpoint() const
{
    return RecordOf(this).Checkpoint;
}

const TRVTag& TCustomRVItemInfo::ExtraTag() const
{
    return RecordOf(this).Tag;
}

int TCustomRVItemInfo::ExtraJumpID() const
{
    return RecordOf(this).JumpID;
}

template <class Fn> void TCustomRVItemInfo::ChangeExtra(Fn&& change)
{
    TRVItemExtras& extras = Extras();
    auto found = extras.Records.try_emplace(this).first;
    change(found->second);
    FHasExtra = !found->second.AllDefault();
    if (!FHasExtra)
        extras.Records.erase(found);
}

void TCustomRVItemInfo::SetCheckpoint(TRVCPInfo* checkpoint)
{
    if (checkpoint == GetCheckpoint())
        return;
    ChangeExtra([checkpoint](TRVItemExtra& extra) { extra.Checkpoint = checkpoint; });
}

void TCustomRVItemInfo::SetTag(TRVTag tag)
{
    if (!FHasExtra && tag == DefaultTag)
        return;
    ChangeExtra([&tag](TRVItemExtra& extra) { std::swap(extra.Tag, tag); });
}

void TCustomRVItemInfo::SetJumpID(int id)
{
    if (id == GetJumpID())
        return;
    ChangeExtra([id](TRVItemExtra& extra) { extra.JumpID = id; });
}

void TCustomRVItemInfo::ReleaseExtra()
{
    TRVItemExtras& extras = Extras();
    auto found = extras.Records.find(this);
    if (found == extras.Records.end())
        return;
    const TRVItemExtra record = std::move(found->second);
    extras.Records.erase(found);
    FHasExtra = false;
    // A checkpoint attached to the item belongs to its store's chain; one the
    // item carries on its own (a duplicate's copy) is the item's to free.
    if (record.Checkpoint != nullptr && record.Checkpoint->ItemInfo != this)
        delete record.Checkpoint;
}
