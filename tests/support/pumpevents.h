// The pump of WaitUntil for tests of windows in this process: the toolkit's
// events run between two asks (the platform's pump returns as soon as an
// event was handled, or after 10 ms without one).
#pragma once

#include "platform/controls/syntheticinput.h"
#include "tests/support/waituntil.h"

inline void PumpEvents()
{
    ProcessMessagesUntil([] { return false; }, 10);
}
