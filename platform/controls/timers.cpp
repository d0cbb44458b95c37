// Per-window timers: SetTimer and KillTimer over the toolkit's timers of the
// window's client widget, delivered as WM_TIMER.
#include <QTimerEvent>

#include <algorithm>

#include "platform/controls/controls_qt.h"
#include "platform/controls/winapi.h"

uintptr_t SetTimer(HWND wnd, uintptr_t idEvent, UINT elapse, void*)
{
    TWindowData* data = WindowDataOf(FindControl(wnd));
    if (!data || !data->Client)
        return 0;
    // The platform's shortest interval; longer ones are kept within the toolkit's range.
    const int interval = static_cast<int>(std::clamp<UINT>(elapse, 10u, 0x7FFFFFFFu));
    auto found = data->Timers.find(idEvent);
    if (found != data->Timers.end()) {
        data->Client->killTimer(found->second);
        data->Timers.erase(found);
    }
    const int id = data->Client->startTimer(interval);
    if (id == 0)
        return 0;
    data->Timers[idEvent] = id;
    return idEvent != 0 ? idEvent : 1;
}

bool KillTimer(HWND wnd, uintptr_t idEvent)
{
    TWindowData* data = WindowDataOf(FindControl(wnd));
    if (!data || !data->Client)
        return false;
    auto found = data->Timers.find(idEvent);
    if (found == data->Timers.end())
        return false;
    data->Client->killTimer(found->second);
    data->Timers.erase(found);
    return true;
}

bool DeliverTimer(TWinControl* control, int toolkitTimerId)
{
    TWindowData* data = WindowDataOf(control);
    if (!data)
        return false;
    auto found = std::find_if(data->Timers.begin(), data->Timers.end(),
                              [&](const auto& timer) { return timer.second == toolkitTimerId; });
    if (found == data->Timers.end())
        return false;
    const uintptr_t id = found->first;
    RunGuarded(control, [&] { control->Perform(WM_TIMER, id, 0); });
    return true;
}
