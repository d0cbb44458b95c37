// Tray icons: the table of icons shown, the shell's calls over it, and the
// clicks reported back to the icons' windows.
#include "platform/controls/trayicon.h"

#include <vector>

#include "platform/controls/uiservices.h"
#include "platform/controls/winapi.h"
#include "platform/core/codepages.h"
#include "platform/graphics/icon.h"

namespace {

struct TTrayEntry {
    TTrayIconKey Key;
    UINT CallbackMessage = 0;
    TPixelBuffer Icon;
    AnsiString Tip;
};

std::vector<TTrayEntry>& Entries()
{
    static std::vector<TTrayEntry> entries;
    return entries;
}

TTrayEntry* Find(const TTrayIconKey& key)
{
    for (TTrayEntry& entry : Entries())
        if (entry.Key == key)
            return &entry;
    return nullptr;
}

void Erase(const TTrayIconKey& key)
{
    std::vector<TTrayEntry>& entries = Entries();
    for (auto it = entries.begin(); it != entries.end(); ++it)
        if (it->Key == key) {
            entries.erase(it);
            return;
        }
}

// At most NotifyIconTipMax bytes, ending at a whole character of the ANSI code page.
AnsiString CutTip(const AnsiString& tip)
{
    if (tip.size() <= NotifyIconTipMax)
        return tip;
    const char* start = tip.data();
    const char* end = start + tip.size();
    const char* cut = start;
    while (cut < end) {
        const char* next = CharNext(cut, end);
        if (next - start > static_cast<ptrdiff_t>(NotifyIconTipMax))
            break;
        cut = next;
    }
    return AnsiString(start, cut);
}

void TakeFields(TTrayEntry& entry, const NOTIFYICONDATA& data)
{
    if (data.uFlags & NIF_MESSAGE)
        entry.CallbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON)
        entry.Icon = data.hIcon ? data.hIcon->Pixels() : TPixelBuffer();
    if (data.uFlags & NIF_TIP)
        entry.Tip = CutTip(data.szTip);
}

bool Add(const NOTIFYICONDATA& data)
{
    TTrayIconKey key{data.hWnd, data.uID};
    if (!IsWindow(data.hWnd) || Find(key))
        return false;
    TTrayEntry entry;
    entry.Key = key;
    TakeFields(entry, data);
    if (!UIServices().ShowTrayIcon(key, entry.Icon, entry.Tip))
        return false;
    Entries().push_back(entry);
    return true;
}

bool Modify(const NOTIFYICONDATA& data)
{
    TTrayIconKey key{data.hWnd, data.uID};
    TTrayEntry* entry = Find(key);
    if (!entry)
        return false;
    TakeFields(*entry, data);
    return UIServices().ShowTrayIcon(key, entry->Icon, entry->Tip);
}

bool Delete(const NOTIFYICONDATA& data)
{
    TTrayIconKey key{data.hWnd, data.uID};
    if (!Find(key))
        return false;
    Erase(key);
    UIServices().HideTrayIcon(key);
    return true;
}

} // namespace

bool Shell_NotifyIcon(UINT message, const NOTIFYICONDATA* data)
{
    if (!data)
        return false;
    switch (message) {
    case NIM_ADD:
        return Add(*data);
    case NIM_MODIFY:
        return Modify(*data);
    case NIM_DELETE:
        return Delete(*data);
    default:
        return false;
    }
}

bool IsSystemTrayAvailable()
{
    return UIServices().TrayIconAvailable();
}

void TrayIconNotify(HWND window, UINT id, UINT mouseMessage)
{
    TTrayIconKey key{window, id};
    TTrayEntry* entry = Find(key);
    if (!entry)
        return;
    // An icon left behind by a window that has gone is taken off the screen.
    if (!IsWindow(window)) {
        Erase(key);
        UIServices().HideTrayIcon(key);
        return;
    }
    // Posted as the shell does: the window handles it from its message loop,
    // never inside the toolkit's signal that reported the click.
    if (entry->CallbackMessage != 0)
        PostMessage(window, entry->CallbackMessage, id, static_cast<LPARAM>(mouseMessage));
}
