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
NOTIFYICONDATA TrayIconData(TForm1& Form, bool Full)
{
    NOTIFYICONDATA Data;
    Data.cbSize = 88;
    Data.hWnd = Form.Handle();
    Data.uID = static_cast<UINT>(Form.TrayIconId);
    if (Full) {
        Data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        Data.uCallbackMessage = WM_TRAYNOTIFY;
        Data.hIcon = Form.TrayIcon.get();
        Data.szTip = Form.TrayTip; // the platform cuts it to 63 bytes
    }
    return Data;
}

} // namespace

// ---------------------------------------------------------------------------
// The tray icon

void TForm1::AddTrayIcon()
{
    const NOTIFYICONDATA Data = TrayIconData(*this, true);
    if (Shell_NotifyIcon(NIM_ADD, &Data))
        FTrayIconShown = true;
}

bool TForm1::RemoveTrayIcon()
{
    FTrayIconShown = false;
    if (!HandleAllocated())
        return false;
    const NOTIFYICONDATA Data = TrayIconData(*this, false);
    return Shell_NotifyIcon(NIM_DELETE, &Data);
}

void TForm1::UpdateTrayTip()
{
    if (!FTrayIconShown)
        return;
    const NOTIFYICONDATA Data = TrayIconData(*this, true);
    Shell_NotifyIcon(NIM_MODIFY, &Data);
}

void TForm1::SetShowOnlyInSystemTray(bool On)
{
    const HWND App = Application->Handle();
    const LONG ExStyle = GetWindowLong(App, GWL_EXSTYLE);
    if (On) {
        AddTrayIcon();
        // Off the taskbar only when the icon is there to bring the window
        // back: a desktop without a tray keeps the taskbar button.
        if (FTrayIconShown)
            SetWindowLong(App, GWL_EXSTYLE, ExStyle | static_cast<LONG>(WS_EX_TOOLWINDOW));
    } else {
        RemoveTrayIcon();
        SetWindowLong(App, GWL_EXSTYLE, ExStyle & ~static_cast<LONG>(WS_EX_TOOLWINDOW));
    }
    ShowOnlyInSystemTray = On;
}

// ---------------------------------------------------------------------------
// Window messages

void TForm1::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_SYSCOMMAND && Message.WParam == SC_MINIMIZE) {
        // Hidden for good only while the tray icon can bring the window back.
        if (ShowOnlyInSystemTray && FTrayIconShown && IsSystemTrayAvailable()) {
            ShowWindow(Application->Handle(), SW_HIDE);
            SetVisible(false);
        } else {
            Application->Minimize();
        }
        return;
    }
    TForm::WndProc(Message);
}

void TForm1::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_DROPFILES:
        WMDropFiles(Message);
        break;
    case WM_TRAYNOTIFY:
        TrayIconMessage(Message);
        break;
    default:
        TForm::Dispatch(Message);
        break;
    }
}

void TForm1::TrayIconMessage(TMessage& Message)
{
    if (Message.LParam != WM_LBUTTONDOWN && Message.LParam != WM_LBUTTONDBLCLK)
        return;
    SetVisible(true);
    ShowWindow(Application->Handle(), SW_SHOWNORMAL);
    // In front of every window, and kept there only when asked to.
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!AlwaysOnTop)
        SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// ---------------------------------------------------------------------------
// Dropped files

void TForm1::WMDropFiles(TMessage& Message)
{
    const HDROP Drop = DropHandleOf(Message);
    // The pane under the drop point, if any.
    TTailFile* Target = nullptr;
    TPoint Point;
    if (DragQueryPoint(Drop, Point) && Tail)
        if (TControl* Control = ControlAtPos(Point, true))
            Target = Tail->FindByViewer(Control);

    std::vector<AnsiString> Names;
    const UINT Count = DragQueryFileCount(Drop);
    for (UINT i = 0; i < Count; ++i)
        Names.push_back(DragQueryFile(Drop, i));
    DragFinish(Drop);

    for (const AnsiString& Name : Names) {
        // Only local files arrive as absolute paths; anything else is no file.
        if (Name.empty() || Name[0] != '/') {
            MessageBox("Unable to open file '" + Name + "'.", "Error", MB_OK | MB_ICONERROR);
            continue;
        }
        TTailFile* File = nullptr;
        if (Names.size() == 1 && Target) {
            // The pane keeps its text and follows the new file from its end.
            try {
                Target->Reopen(Name);
            } catch (const Exception& E) {
                MessageBox(E.Message(), "Error", MB_OK | MB_ICONERROR);
                continue;
            }
            File = Target;
            DrawFileNameImage(File);
        } else {
            File = OpenTailFile(Name);
        }
        if (File && IsWatched(File)) {
            AddRecentFile(Name);
            TailViewClick(File->View);
        }
    }
}
