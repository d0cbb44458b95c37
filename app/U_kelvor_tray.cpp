// The main window's tray icon and tray-only mode, its own handling of the
// minimise command, its message map (tray callback, dropped files), and what a
// drop of files does.
#include <vector>

#include "app/U_kelvor.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/dragdrop.h"
#include "platform/controls/trayicon.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/icon.h"
#include "view/rollview.h"

namespace {

// The record that names the window's icon; Full adds the callback message,
// the picture and the tip.
NOTIFYICONDATA TrayIconData(TForm1& form, bool full)
{
    NOTIFYICONDATA data;
    data.cbSize = 88;
    data.hWnd = form.Handle();
    data.uID = static_cast<UINT>(form.TrayIconId);
    if (full) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = WM_TRAYNOTIFY;
        data.hIcon = form.TrayIcon.get();
        data.szTip = form.TrayTip; // the platform cuts it to 63 bytes
    }
    return data;
}

} // namespace

// ---------------------------------------------------------------------------
// The tray icon

void TForm1::AddTrayIcon()
{
    const NOTIFYICONDATA data = TrayIconData(*this, true);
    if (Shell_NotifyIcon(NIM_ADD, &data))
        FTrayIconShown = true;
}

bool TForm1::RemoveTrayIcon()
{
    FTrayIconShown = false;
    if (!HandleAllocated())
        return false;
    const NOTIFYICONDATA data = TrayIconData(*this, false);
    return Shell_NotifyIcon(NIM_DELETE, &data);
}

void TForm1::UpdateTrayTip()
{
    if (!FTrayIconShown)
        return;
    const NOTIFYICONDATA data = TrayIconData(*this, true);
    Shell_NotifyIcon(NIM_MODIFY, &data);
}

void TForm1::SetShowOnlyInSystemTray(bool on)
{
    const HWND app = Application->Handle();
    const LONG exStyle = GetWindowLong(app, GWL_EXSTYLE);
    if (on) {
        AddTrayIcon();
        // Off the taskbar only when the icon is there to bring the window
        // back: a desktop without a tray keeps the taskbar button.
        if (FTrayIconShown)
            SetWindowLong(app, GWL_EXSTYLE, exStyle | static_cast<LONG>(WS_EX_TOOLWINDOW));
    } else {
        RemoveTrayIcon();
        SetWindowLong(app, GWL_EXSTYLE, exStyle & ~static_cast<LONG>(WS_EX_TOOLWINDOW));
    }
    ShowOnlyInSystemTray = on;
}

// ---------------------------------------------------------------------------
// Window messages

void TForm1::WndProc(TMessage& message)
{
    if (message.Msg == WM_SYSCOMMAND && message.WParam == SC_MINIMIZE) {
        // Hidden for good only while the tray icon can bring the window back.
        if (ShowOnlyInSystemTray && FTrayIconShown && IsSystemTrayAvailable()) {
            ShowWindow(Application->Handle(), SW_HIDE);
            SetVisible(false);
        } else {
            Application->Minimize();
        }
        return;
    }
    TForm::WndProc(message);
}

void TForm1::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_DROPFILES:
        WMDropFiles(message);
        break;
    case WM_TRAYNOTIFY:
        TrayIconMessage(message);
        break;
    default:
        TForm::Dispatch(message);
        break;
    }
}

void TForm1::TrayIconMessage(TMessage& message)
{
    if (message.LParam != WM_LBUTTONDOWN && message.LParam != WM_LBUTTONDBLCLK)
        return;
    SetVisible(true);
    ShowWindow(Application->Handle(), SW_SHOWNORMAL);
    // In front of every window, and kept there only when asked to. The
    // window keeps its band: passing it through the topmost band and back
    // would change its flags twice, and the toolkit would make a new native
    // window each time (a new taskbar entry, boxes left with a dead owner).
    if (AlwaysOnTop)
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    else
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// ---------------------------------------------------------------------------
// Dropped files

void TForm1::WMDropFiles(TMessage& message)
{
    const HDROP drop = DropHandleOf(message);
    // The pane under the drop point, if any.
    TTailFile* target = nullptr;
    TPoint point;
    if (DragQueryPoint(drop, point) && Tail)
        if (TControl* control = ControlAtPos(point, true))
            target = Tail->FindByViewer(control);

    std::vector<AnsiString> names;
    const UINT count = DragQueryFileCount(drop);
    for (UINT i = 0; i < count; ++i)
        names.push_back(DragQueryFile(drop, i));
    DragFinish(drop);

    for (const AnsiString& name : names) {
        // Only local files arrive as absolute paths; anything else is no file.
        if (name.empty() || name[0] != '/') {
            MessageBox("Unable to open file '" + ShownFileName(name) + "'.", "Error", MB_OK | MB_ICONERROR);
            continue;
        }
        TTailFile* file = nullptr;
        if (names.size() == 1 && target) {
            // The pane keeps its text and follows the new file from its end.
            try {
                target->Reopen(name);
            } catch (const Exception& e) {
                MessageBox(e.Message(), "Error", MB_OK | MB_ICONERROR);
                continue;
            }
            file = target;
            DrawFileNameImage(file);
        } else {
            file = OpenTailFile(name);
        }
        if (file && IsWatched(file)) {
            AddRecentFile(name);
            TailViewClick(file->View);
        }
    }
}
