// The main window of Kelvor, TForm1: one viewer pane (with its splitter) per
// watched file, the file monitor, the special words, the popup menu, the tray
// icon and the settings file.
//
// The window's code is split by concern:
//   U_kelvor.cpp          construction (the window's layout and popup menu),
//                         start-up and exit
//   U_kelvor_settings.cpp the settings file, read at start-up and written at exit
//   U_kelvor_save.cpp     the settings file written in place, with a copy of
//                         the old one kept until the new one is whole
//   U_kelvor_display.cpp  the monitor's callbacks: new text shown line by line
//                         in the colour of its first special word, truncation;
//                         a pane's last line kept in view when it is resized
//   U_kelvor_commands.cpp the popup menu's commands: opening, removing and
//                         resetting files, recent files, saving a pane's text,
//                         the switches and the numbers asked in input boxes
//   U_kelvor_panes.cpp    pane heights, clicks on a pane, the background colour
//                         and the file-name picture behind a pane
//   U_kelvor_tray.cpp     the tray icon, window messages and dropped files
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "app/Tail.h"
#include "app/WordMatcher.h"
#include "platform/controls/forms.h"
#include "platform/controls/messages.h"
#include "platform/core/stringlist.h"
#include "platform/core/sysutils.h"

class TColorDialog;
class TCustomIniFile;
class TIcon;
class TImageList;
class TMenuItem;
class TOpenDialog;
class TPopupMenu;
class TRollView;
class TRVStyle;
class TSaveDialog;

// The tray icon's callback message.
inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 1002;

// The largest values the input boxes accept (and the settings file is held to):
// beyond them a pane would outgrow memory, the monitor would seem to stop, or
// one line would not fit the screen.
inline constexpr int MaxPurgeAtLine = 10000000;
inline constexpr int MaxMonitorInterval = 60000;
inline constexpr int MaxFontSize = 100;
// How long closing waits for another program's save in place of the settings
// file to end, and how often it looks.
inline constexpr std::chrono::milliseconds SettingsLockPatience{5000};
inline constexpr unsigned SettingsRetryInterval = 50;
// The background of active panes when the settings give none, or no colour.
inline constexpr TColor DefaultMonitorBackgroundColor = 16766935; // 0xFFD7D7
// The smallest window the settings file may give, where the screen allows it.
inline constexpr int MinWindowWidth = 200;
inline constexpr int MinWindowHeight = 100;
// The largest window side taken from the settings file when no screen is known.
inline constexpr int MaxUnplacedWindowSide = 4096;
// The background of a pane whose file is paused.
inline constexpr TColor InactivePaneColor = 0xC0C0C0; // silver

// The lines of problems a box lists before "and N more": a screenful.
inline constexpr size_t MaxListedStartProblems = 20;
// The text of the one box that reports the problems with files at start-up
// or when every file is reset: a line each, at most MaxListedStartProblems of
// them, then "and N more".
AnsiString StartProblemsText(const std::vector<AnsiString>& problems);

// The program's command line as main() received it: ParamStr(0) is the program
// file (a full path), ParamStr(1) the settings file named by the user. Empty for
// an index beyond the arguments.
void SetCommandLine(const std::vector<AnsiString>& args);
AnsiString ParamStr(int index);

// The program's per-user folder: $XDG_CONFIG_HOME + "/kelvor" when that
// variable is an absolute path, else ~/.config/kelvor.
AnsiString KelvorConfigFolder();

// The settings file used when none is named on the command line: the program
// file with the extension ".ini" (replacing its extension, or appended when it
// has none), next to the program; when that folder cannot be written,
// KelvorConfigFolder() + "/kelvor.ini".
AnsiString DefaultIniFileName(const AnsiString& programFile);

// ---- Writing the settings file in place (U_kelvor_save.cpp), for a file
// whose folder takes no new file. No moment of such a save leaves the
// settings cut: a copy of the old file is kept first, the new text is written
// over the old bytes and only then is the file cut to its length, and the copy
// goes last. A start that finds the copy (a save was cut short) puts it back
// when the file is what that save left, and keeps a file changed since.

// The copy kept while a settings file is written in place: in
// KelvorConfigFolder(), named after the file's full path, holding that path
// and a line break, a line with the sizes of the old and the new text, then
// the file's old bytes and the new ones.
AnsiString SettingsCopyFileName(const AnsiString& iniFileName);
// The steps of a save in place, in their order; FillCopy comes while the
// copy is written (made empty, its new file half written), Write once for
// each piece of the new text (and again for the old one, should a write fail).
enum class TSettingsSaveStep { KeepCopy, FillCopy, Write, Cut, DropCopy };
// Called before each step of every save in place (none when empty): tests
// slow a save down with it to end it at each step.
using TSettingsSaveHook = std::function<void(TSettingsSaveStep step)>;
void SetSettingsSaveHook(TSettingsSaveHook hook);
// Writes Text over the settings file FileName in place. The reason of a
// failure, empty on success. When another program's save in place holds the
// file nothing is done, and HeldElsewhere (when given) is set; when no copy
// can be kept the file is not touched; when the writing fails the old bytes
// are written back, and the copy stays for the next start when even that
// fails. Never waits.
AnsiString WriteSettingsInPlace(const AnsiString& fileName, const AnsiString& text,
                                bool* heldElsewhere = nullptr);
// What a start found of a save in place of the settings file that was cut short.
struct TSettingsRestore {
    // Why the copy could not be dealt with (it then stays where it is); empty
    // when it went back, was set aside, or there was nothing to do.
    AnsiString Failure;
    // The file was changed since the save (or removed), and is kept as it is:
    // the new file in KelvorConfigFolder() that holds the copy's old settings.
    AnsiString SetAside;
};
// At start-up: removes what saves of the settings file FileName that were
// cut short left behind and no running save holds (the new files of safe
// saves beside the file and beside the copy, a copy cut while it was made).
// Then, unless another program's save holds the file: a copy of a save that
// was cut short goes back over the file when the file is what that save can
// have left of it (the old bytes, the new ones, or a mixture at their places),
// and is dropped; when the file is anything else, the file stays and the old
// settings are set aside. When the lock cannot be had for another reason than
// a holder, nothing is touched (a Failure unless the file is the old one).
TSettingsRestore RestoreInterruptedSettingsSave(const AnsiString& fileName);

// The main window. Its single instance Form1 lives for the whole run.
//
// Ownership: the window owns (as components) its dialogs, the popup menu and its
// items, the style sheet RVStyle, the image list, and every pane and splitter;
// it owns Tail, the string lists and TrayIcon directly. FormDestroy (OnDestroy)
// writes the settings and frees Tail, the lists and TrayIcon: after it they are
// null. The destructor runs FormDestroy when Free did not, then frees the
// components while the window is still whole.
//
// A pane is a TRollView whose file is found with Tail->FindByViewer; the display
// keeps a little state of its own per pane (owned by the pane).
class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;
    const char* ClassName() const override { return "TForm1"; }

    // ---- Components of the window's layout, in their order.
    TOpenDialog* OpenDlg = nullptr;
    TPopupMenu* OptionsPM = nullptr;
    TRVStyle* RVStyle = nullptr;
    TImageList* ImageList = nullptr;
    TSaveDialog* SaveDlg = nullptr;
    TColorDialog* ColorDlg = nullptr;

    // ---- The popup menu's items. The window's construction (U_kelvor.cpp)
    // makes every item with its caption, image, tick and place in the menu, and
    // sets each OnClick to the handler named beside it and OptionsPM->OnPopup to
    // OptionsPMPopup (U_kelvor_commands.cpp).
    TMenuItem* RecentFilePMI = nullptr;              // submenu, rebuilt by OptionsPMPopup
    TMenuItem* AddFilePMI = nullptr;                 // AddFilePMIClick
    TMenuItem* N2 = nullptr;                         // separator
    TMenuItem* RemoveFilePMI = nullptr;              // RemoveFilePMIClick
    TMenuItem* ResetFilePMI = nullptr;               // ResetFilePMIClick
    TMenuItem* TextPMI = nullptr;                    // submenu
    TMenuItem* CopySelectedTextPMI = nullptr;        // SaveSelectedTextPMIClick
    TMenuItem* CopyCompleteTextPMI = nullptr;        // SaveSelectedTextPMIClick
    TMenuItem* SaveSelectedTextPMI = nullptr;        // SaveSelectedTextPMIClick
    TMenuItem* SaveCompleteTextPMI = nullptr;        // SaveSelectedTextPMIClick
    TMenuItem* MaximizeFilePMI = nullptr;            // MaximizeFilePMIClick
    TMenuItem* N1 = nullptr;                         // separator
    TMenuItem* ActivePMI = nullptr;                  // ActivePMIClick
    TMenuItem* MonitorSettings1 = nullptr;           // submenu
    TMenuItem* PurgeAtLinePMI = nullptr;             // PurgeAtLinePMIClick
    TMenuItem* MonitorIntervalPMI = nullptr;         // MonitorIntervalPMIClick
    TMenuItem* ShowOnlySpecialWordLogsPMI = nullptr; // ShowOnlySpecialWordLogsPMIClick
    TMenuItem* VisualSettingsPM = nullptr;           // submenu
    TMenuItem* AlwaysOnTopPMI = nullptr;             // AlwaysOnTopPMIClick (ticked by the layout)
    TMenuItem* ShowOnLogEventPMI = nullptr;          // ShowOnLogEventPMIClick
    TMenuItem* BeepOnLogEventPMI = nullptr;          // BeepOnLogEventPMIClick
    TMenuItem* AdjustSizePMI = nullptr;              // AdjustSizePMIClick
    TMenuItem* AdjustSizeAutomaticlyPMI = nullptr;   // AdjustSizeAutomaticlyPMIClick
    TMenuItem* FontSizePMI = nullptr;                // FontSizePMIClick
    TMenuItem* MonitorBackgroundColorPMI = nullptr;  // MonitorBackgroundColorPMIClick
    TMenuItem* ShowFileNameImagePMI = nullptr;       // ShowFileNameImagePMIClick
    TMenuItem* SaveSettingsPMI = nullptr;            // SaveSettingsPMIClick
    TMenuItem* N3 = nullptr;                         // separator
    TMenuItem* About1 = nullptr;                     // About1Click
    TMenuItem* ExitPMI = nullptr;                    // ExitPMIClick

    // ---- Fields. (Active hides TCustomForm::Active(), the form's activation:
    // here it is whether monitoring is switched on.)
    // Special words in the settings file's order; each entry's object is the
    // number of its text style (see SpecialWordStyleObject). A list put in its
    // place (or changed) is matched from the next line on.
    TWordList SpecialWords;
    bool SaveSettings = false;            // write the settings file at exit
    bool AdjustSizeAutomaticly = true;    // equal pane heights whenever the window is resized
    bool Active = true;                   // monitoring switched on
    bool ShowOnlyInSystemTray = false;    // tray-only mode
    bool ShowOnLogEvent = false;          // bring the window up when new text arrives
    bool BeepOnLogEvent = false;          // beep when new text arrives
    bool ShowOnlySpecialWordLogs = false; // show only lines holding a special word
    TColor MonitorBackgroundColor = 0;    // background of active panes
    bool ShowFileNameImage = false;       // the file name drawn behind each pane's text
    bool AlwaysOnTop = false;             // kept above all other windows
    std::unique_ptr<TIcon> TrayIcon;      // image 10 of ImageList
    AnsiString TrayTip;                   // "Kelvor: active" / "Kelvor: inactive"
    int TrayIconId = 100;
    std::unique_ptr<TStringList> RecentFiles; // oldest first
    int PurgeAtLine = 0;                      // a pane is cleared past this many lines; 0 never
    std::unique_ptr<CTail> Tail;              // the file monitor
    AnsiString IniFileName;                   // the settings file (a full path)
    // The program closes because of a termination signal: a failed settings
    // save is reported on standard error instead of in a box that waits.
    bool ClosingOnSignal = false;

    // The object stored with a special word for a text style number, and back.
    static TObject* SpecialWordStyleObject(int styleNo);
    static int SpecialWordStyleNo(const TObject* object);

    // ---- Start-up and exit (U_kelvor.cpp)
    // OnCreate: finds the settings file (ParamStr(1), else DefaultIniFileName)
    // and reads it, opens the files watched at the last run.
    void FormCreate(TObject* sender);
    // OnCloseQuery: writes the settings when SaveSettings is on, while the
    // window still handles events. When another program's save in place holds
    // the file, the window stays open and working and asks again every
    // SettingsRetryInterval ms (a timer closes it again), until the file is
    // free or SettingsLockPatience has passed: then the save is given up with
    // its "Error" box, and the window closes.
    void FormCloseQuery(TObject* sender, bool& canClose);
    // OnDestroy: writes the settings when SaveSettings is on and the close did
    // not (a failed write shows an "Error" box with the file's path and the
    // reason), then frees the monitor, the lists and the tray icon.
    void FormDestroy(TObject* sender);

    // ---- Display of new text (U_kelvor_display.cpp)
    // The monitor's OnNewText and OnTruncate. Both ignore a record without a
    // pane. Neither runs the event loop: the pane is repainted directly.
    void TailNewText(int index, TTailFile* file);
    // Brings the window up and beeps for new lines of FileName, as the options ask.
    void AnnounceLogEvent(const AnsiString& fileName);
    void TailFileTruncated(int index, TTailFile* file);
    // The monitor's OnError: the file is paused (its pane silver) and one
    // "Error" box names it and the reason.
    void TailFileFailed(int index, TTailFile* file, const AnsiString& reason);
    // The text style of the first special word (in SpecialWords' order) that
    // occurs in Line, case-sensitively; -1 when none does. Empty words never match.
    int GetSpecialWordStyle(const AnsiString& line) const;
    // OnVScrolled and OnResize of every pane: a pane that showed its last line
    // before it took a new size (the window's, or its share of it) shows it
    // after; another keeps its top line, as the viewer does.
    void TailViewScrolled(TObject* sender);
    void TailViewResize(TObject* sender);
    // Lays the pane out again for new fonts: one that showed its last line
    // shows it after, as on a resize.
    void ReformatPane(TRollView* view);

    // ---- Commands, recent files and pane layout (U_kelvor_commands.cpp, U_kelvor_panes.cpp)
    // Asks before opening a file that is open already; a failure shows its
    // message in an "Error" box and gives null.
    TTailFile* OpenTailFile(const AnsiString& name);
    // A new pane for the file (record, splitter and viewer) on top of the
    // others, and the file moved to the end of the recent files. Raises what
    // opening the file raises, and then nothing of the pane is left.
    TTailFile* AddTailPane(const AnsiString& name);
    void AddRecentFile(const AnsiString& name);
    void RecentFileClick(TObject* sender);
    void OptionsPMPopup(TObject* sender);
    void TailViewClick(TObject* sender);
    void TailViewDblClick(TObject* sender);
    void FormResize(TObject* sender);
    void DrawFileNameImage(TTailFile* file);
    void AddFilePMIClick(TObject* sender);
    void RemoveFilePMIClick(TObject* sender);
    void ResetFilePMIClick(TObject* sender);
    void SaveSelectedTextPMIClick(TObject* sender);
    void MaximizeFilePMIClick(TObject* sender);
    void ActivePMIClick(TObject* sender);
    void PurgeAtLinePMIClick(TObject* sender);
    void MonitorIntervalPMIClick(TObject* sender);
    void ShowOnlySpecialWordLogsPMIClick(TObject* sender);
    void AlwaysOnTopPMIClick(TObject* sender);
    void ShowOnLogEventPMIClick(TObject* sender);
    void BeepOnLogEventPMIClick(TObject* sender);
    void AdjustSizePMIClick(TObject* sender);
    void AdjustSizeAutomaticlyPMIClick(TObject* sender);
    void FontSizePMIClick(TObject* sender);
    void MonitorBackgroundColorPMIClick(TObject* sender);
    void ShowFileNameImagePMIClick(TObject* sender);
    void SaveSettingsPMIClick(TObject* sender);
    void About1Click(TObject* sender);
    void ExitPMIClick(TObject* sender);
    // Each setter stores its flag and ticks or unticks its menu item (and does
    // what its command says besides).
    void SetActive(bool value);
    void SetMonitorBackgroundColor(TColor value);
    void SetAlwaysOnTop(bool value);
    void SetShowOnLogEvent(bool value);
    void SetBeepOnLogEvent(bool value);
    void SetShowOnlySpecialWordLogs(bool value);
    void SetAdjustSizeAutomaticly(bool value);
    void SetSaveSettings(bool value);
    void SetShowFileNameImage(bool value);

    // ---- Tray icon, window messages and dropped files (U_kelvor_tray.cpp)
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    // WM_TRAYNOTIFY; the display calls it with LParam WM_LBUTTONDBLCLK to bring
    // the window to the front.
    void TrayIconMessage(TMessage& message);
    void WMDropFiles(TMessage& message);
    void AddTrayIcon();
    bool RemoveTrayIcon();
    bool GetShowOnlyInSystemTray() const { return ShowOnlyInSystemTray; }
    void SetShowOnlyInSystemTray(bool on);

    // ---- The files under the commands, and the tray icon's state
    // The file whose pane the popup menu was last opened over, or null.
    TTailFile* FileUnderPopup() const;
    // File is still one of the monitor's records.
    bool IsWatched(const TTailFile* file) const;
    // Destroys the file's pane, then its splitter, then the record (which
    // closes the file).
    void RemoveTailFile(TTailFile* file);
    // A fresh handle at the file's current end and an empty pane; raises what
    // TTailFile::Reopen raises.
    void ResetTailFile(TTailFile* file);
    // Sends TrayTip to the icon when it is shown.
    void UpdateTrayTip();
    // The tray icon is on the desktop (the last AddTrayIcon succeeded). Without
    // it tray-only mode keeps the taskbar button and minimises normally.
    bool TrayIconShown() const { return FTrayIconShown; }
    // The paths behind the recent-files submenu's entries, by the entries'
    // Tag: an entry opens its path, never its caption.
    std::vector<AnsiString> FRecentFilePaths;
    bool FTrayIconShown = false;

protected:
    // While the window itself goes, a pane's or a splitter's going is not
    // passed on to every other component of the window (see U_kelvor.cpp).
    void Notification(TComponent* aComponent, TOperation operation) override;

private:
    // The window's layout: its properties, components and popup menu.
    void CreateLayout();
    void CreateMenu();
    TMenuItem* NewMenuItem(TMenuItem* parent, const AnsiString& caption, int imageIndex,
                           void (TForm1::*handler)(TObject*));
    // Start-up steps of FormCreate.
    bool FindSettingsFile();
    void ReadSettings();
    void ReadSpecialWords(TCustomIniFile& ini);
    // Opens the files of [TailFiles] in new panes (U_kelvor_startup.cpp), each
    // file once: an entry whose name came before, or that names a file open
    // already (the same device and inode), is left out. A name that cannot be
    // opened, or that would take the process beyond the files it may hold
    // open, stays in FMissingTailFiles; the problems, and how many entries
    // were left out, are listed in one "Error" box.
    void OpenSavedFiles(const std::vector<AnsiString>& names);
    // The settings file's text with the first Kept of the watched files.
    AnsiString SettingsText(const std::vector<AnsiString>& watched, size_t kept, const AnsiString& lineBreak);
    // Gives the window these bounds fitted into the screen they lie on most
    // (the first one when they lie on none): no larger than its work area, at
    // least the minimum size, wholly visible.
    void PlaceOnScreen(int left, int top, int width, int height);
    // Writes the settings file (when SaveSettings is on) and says what
    // failed. False, with nothing written or said, when MayWait and another
    // program's save in place holds the file.
    bool WriteSettings(bool mayWait);

    // Names in [TailFiles] that could not be opened at start: written back with
    // the settings, so that the next start tries them again.
    std::vector<AnsiString> FMissingTailFiles;
    // The settings file could not be read at start: it is never written.
    bool FSettingsUnreadable = false;
    // The close wrote the settings: OnDestroy does not write them again.
    bool FSettingsWritten = false;
    // The close is writing the settings (a box of it may wait).
    bool FWritingSettings = false;
    // Closes the window again while another program's save holds the
    // settings file (enabled only then), until SaveDeadline.
    std::unique_ptr<TTimer> FSaveRetry;
    std::chrono::steady_clock::time_point FSaveDeadline;
    // The destructor is freeing the window's components.
    bool FFreeingComponents = false;
};

extern TForm1* Form1;
