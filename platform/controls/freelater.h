// Freeing what code further up the call stack may still use.
//
// The library frees an object of its own that a program's code may have
// reached (a closed cell editor, a table taken out of its document) only
// while no hold is on (platform/core/callhold.h): no message is being
// handled, no program's handler called and no undo played, so that nothing
// on the call stack but the message loop and the program's own code can
// still use it. FreeLater keeps the object's freeing until then: the
// application's message loop runs it when it handles the message posted for
// it (WM_FREELATER); handled while a hold is on (a handler that runs the
// message loop, as a modal box does), the message is posted again once the
// last hold has gone.
#pragma once

#include <functional>

#include "platform/controls/messages.h"

// Posted to the application with the freeings that wait.
inline constexpr UINT WM_FREELATER = WM_USER + 16;

// Free frees the object (and may queue further freeings).
void FreeLater(std::function<void()> free);
// Runs every freeing that waits, unless a hold is on: where the library knows
// that no code of what waits runs (a cell editor opening from the program's
// own call), so that a program without a message loop keeps little.
void FreeWaiting();
// Freeings that wait (none queued and none held back: 0).
int FreeingsWaiting();
