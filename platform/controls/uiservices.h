// The UI services: the one door through which modal boxes, file and colour
// dialogs, beeps, the tray icon, window-manager hints and the clipboard reach the
// user. The program uses the toolkit's implementation; tests install a scripted
// one that answers from queues and records every call.
#pragma once

#include <vector>

#include "platform/controls/messages.h"
#include "platform/core/types.h"
#include "platform/graphics/pixelbuffer.h"

// What a file dialog is asked to show.
struct TFileDialogRequest {
    bool Save = false;   // a save dialog, else an open dialog
    AnsiString Title;    // empty: the toolkit's title ("Open", "Save As")
    AnsiString Filter;   // "Text File (*.txt)|*.txt|All Files (*.*)|*.*"
    int FilterIndex = 1; // the filter shown first, counted from 1
    AnsiString InitialDir;
    AnsiString FileName;   // the name proposed
    AnsiString DefaultExt; // added to a name typed without extension ("txt")
    bool AllowMultiSelect = false;
    bool OverwritePrompt = false; // ask before a save replaces a file
    bool FileMustExist = false;
    bool PathMustExist = false;
};

// What a confirmed file dialog answers: at least one full path.
struct TFileDialogResult {
    std::vector<AnsiString> Files;
    int FilterIndex = 1;
};

// One format on the clipboard: its MIME type and its bytes.
struct TClipboardItem {
    AnsiString Mime;
    AnsiString Data;
};

// A tray icon is known by the window it reports to and its number.
struct TTrayIconKey {
    HWND Window = nullptr;
    unsigned ID = 0;
    bool operator==(const TTrayIconKey& o) const { return Window == o.Window && ID == o.ID; }
    bool operator!=(const TTrayIconKey& o) const { return !(*this == o); }
};

// The interface. Texts are in the ANSI code page; file names are the bytes of the
// file system. Implementations answer before the call returns.
class TUIServices {
public:
    virtual ~TUIServices() = default;

    // A modal box with the MB_ flags of dialogs.h (buttons, icon, default button);
    // answers the ID of the button chosen (IDOK, IDYES, ...).
    virtual int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) = 0;
    // A modal box with a prompt and an edit field that starts with Value; true
    // with the edited text in Value when confirmed, false (Value unchanged) when not.
    virtual bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) = 0;
    // A modal open or save dialog; false when cancelled.
    virtual bool FileDialog(const TFileDialogRequest& request, TFileDialogResult& result) = 0;
    // A modal colour dialog starting at Color; true with the colour chosen.
    virtual bool ColorDialog(TColor& color) = 0;

    // A tone of Frequency hertz for Duration milliseconds, as far as the
    // platform can sound one; the call does not wait for the tone to end.
    virtual void Beep(unsigned frequency, unsigned duration) = 0;
    // The sound of a kind of message box (MB_ICON... or 0, 0xFFFFFFFF for the
    // simple beep).
    virtual void MessageBeep(unsigned type) = 0;

    // Whether the desktop has a notification area.
    virtual bool TrayIconAvailable() = 0;
    // Shows the icon of Key with this picture and tip, or changes it when shown;
    // false when there is no notification area. Clicks come back through
    // TrayIconNotify (trayicon.h).
    virtual bool ShowTrayIcon(const TTrayIconKey& key, const TPixelBuffer& icon, const AnsiString& tip) = 0;
    // Removes the icon of Key; false when none was shown.
    virtual bool HideTrayIcon(const TTrayIconKey& key) = 0;

    // Window-manager hints of the top-level window of Window: kept above all
    // others, and left out of the taskbar. Nothing for a handle of no window.
    virtual void SetStayOnTop(HWND window, bool on) = 0;
    virtual void SetSkipTaskbar(HWND window, bool on) = 0;
    // Raises the top-level window of Window above the others of its band and
    // asks for it to be made the active one, as the window manager allows;
    // the window itself stays the one it is (no hint or flag changes).
    virtual void BringToFront(HWND window) = 0;

    // Replaces the clipboard's content with these formats (none: empties it).
    virtual void SetClipboard(const std::vector<TClipboardItem>& items) = 0;
    // The MIME types the clipboard offers now. Text offered in any form is
    // offered as text/plain, a picture as image/png, a metafile in any of the
    // forms MetafileMimeKind (clipbrd.h) knows as image/x-emf or image/x-wmf;
    // GetClipboard reads these from the forms the clipboard holds.
    virtual std::vector<AnsiString> ClipboardFormats() = 0;
    // The bytes of one MIME type; false when the clipboard does not hold it.
    virtual bool GetClipboard(const AnsiString& mime, AnsiString& data) = 0;
};

// The services in force: the one installed last, else the toolkit's (made on
// first use).
TUIServices& UIServices();
// Installs Services (not owned) and returns the ones it replaces (null when that
// was the toolkit's default); null returns to the toolkit's.
TUIServices* SetUIServices(TUIServices* services);
// The toolkit's implementation, made on first use and kept for the process.
TUIServices& QtUIServices();
// The caption the toolkit's boxes show when given none: the application's title
// (TApplication::SetTitle), else the program's name.
AnsiString DefaultBoxCaption();
