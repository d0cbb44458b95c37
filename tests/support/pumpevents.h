// The pump of WaitUntil for tests of windows in this process: the toolkit's
// events run between two asks (the platform's pump returns as soon as an
// event was handled, or after 10 ms without one); and a wait with it until
// every posted message is handled.
#pragma once

#include <limits>

#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "tests/support/waituntil.h"

inline void PumpEvents()
{
    ProcessMessagesUntil([] { return false; }, 10);
}

// Handles events until no message posted to a window or to the application
// (PostMessage) is queued: what a step deferred, and what that deferred in
// turn, has run.
inline bool HandlePostedMessages()
{
    return WaitUntil([] { return !MessageQueued(0, std::numeric_limits<UINT>::max()); }, WaitDeadlineMs,
                     PumpEvents);
}
