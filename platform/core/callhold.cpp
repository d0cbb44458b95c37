// The count of holds and what waits for the last to go (callhold.h).
#include "platform/core/callhold.h"

TCallHold::~TCallHold()
{
    if (--FCount > 0)
        return;
    // An action may take and drop holds of its own: each runs once, in order.
    while (FCount == 0 && !FAfter.empty()) {
        std::function<void()> action = std::move(FAfter.front());
        FAfter.erase(FAfter.begin());
        action();
    }
}

void TCallHold::AfterHolds(std::function<void()> action)
{
    if (FCount == 0)
        action();
    else
        FAfter.push_back(std::move(action));
}
