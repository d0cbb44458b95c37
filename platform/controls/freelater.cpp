// The freeings that wait for the holds to go, kept by one message posted to
// the application (freelater.h).
#include "platform/controls/freelater.h"

#include <memory>
#include <utility>
#include <vector>

#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/core/callhold.h"

namespace {

using TFreeings = std::vector<std::function<void()>>;

// Freeings whose message came while a hold was on; queued again once the
// last hold goes. (Never freed: empty but for the time a hold lasts.)
TFreeings& HeldBack()
{
    static auto* freeings = new TFreeings;
    return *freeings;
}

void Queue(std::function<void()> free);

// The freeings of one message: delivered, or dropped unread, it runs them,
// unless a hold is on: then they are held back and queued again when the
// last hold has gone.
class TWaitingFreeings : public TObject {
public:
    ~TWaitingFreeings() override;
    TFreeings Freeings;
};

// The collection whose message is queued now, or null.
TWaitingFreeings* GQueued = nullptr;

void QueueHeldBack()
{
    TFreeings held = std::move(HeldBack());
    HeldBack().clear();
    for (std::function<void()>& free : held)
        Queue(std::move(free));
}

TWaitingFreeings::~TWaitingFreeings()
{
    if (GQueued == this)
        GQueued = nullptr;
    if (Freeings.empty())
        return;
    if (TCallHold::Any()) {
        const bool first = HeldBack().empty();
        for (std::function<void()>& free : Freeings)
            HeldBack().push_back(std::move(free));
        if (first)
            TCallHold::AfterHolds(QueueHeldBack);
        return;
    }
    // A freeing may queue others: they go to a message of their own.
    for (std::function<void()>& free : Freeings)
        free();
}

void Queue(std::function<void()> free)
{
    if (GQueued != nullptr) {
        GQueued->Freeings.push_back(std::move(free));
        return;
    }
    // In the collection before its message is posted: a message that cannot
    // be posted runs them at once (unless a hold is on).
    auto collection = std::make_unique<TWaitingFreeings>();
    collection->Freeings.push_back(std::move(free));
    GQueued = collection.get();
    PostMessage(Application->Handle(), WM_FREELATER, std::move(collection), 0);
}

} // namespace

void FreeLater(std::function<void()> free)
{
    Queue(std::move(free));
}

void FreeWaiting()
{
    if (TCallHold::Any() || GQueued == nullptr)
        return;
    TFreeings freeings = std::move(GQueued->Freeings);
    GQueued->Freeings.clear();
    for (std::function<void()>& free : freeings)
        free();
}

int FreeingsWaiting()
{
    return static_cast<int>(HeldBack().size() + (GQueued != nullptr ? GQueued->Freeings.size() : 0));
}
