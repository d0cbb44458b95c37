// The main window's construction (its layout, components and popup menu), the
// program's command line, and the start and end of a run: the settings file is
// found at start and written at exit (its reading and writing are in
// U_kelvor_settings.cpp).
#include "app/U_kelvor.h"

#include <unistd.h>

#include <cstdint>

#include "document/rvset.h"
#include "document/rvstyle.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/dragdrop.h"
#include "platform/controls/extctrls_splitter.h"
#include "platform/controls/menus.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/resources.h"
#include "view/rollview.h"

TForm1* Form1 = nullptr;

// ---------------------------------------------------------------------------
// Command line

namespace {

std::vector<AnsiString>& CommandLine()
{
    static std::vector<AnsiString> args;
    return args;
}

// The running program's file, from the kernel.
AnsiString OwnExecutable()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 && static_cast<size_t>(n) < sizeof buffer ? AnsiString(buffer, static_cast<size_t>(n))
                                                           : AnsiString();
}

// The folder for per-user settings: $XDG_CONFIG_HOME when it is an absolute
// path (relative ones are to be ignored), else ~/.config.
AnsiString ConfigHome()
{
    const AnsiString xdg = GetEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg[0] == '/')
        return xdg;
    const AnsiString home = GetEnvironmentVariable("HOME");
    return (home.empty() ? AnsiString("/tmp") : home) + "/.config";
}

} // namespace

void SetCommandLine(const std::vector<AnsiString>& args)
{
    CommandLine() = args;
}

AnsiString ParamStr(int index)
{
    const std::vector<AnsiString>& args = CommandLine();
    if (index == 0 && (args.empty() || args[0].empty()))
        return OwnExecutable();
    return index >= 0 && static_cast<size_t>(index) < args.size() ? args[static_cast<size_t>(index)]
                                                                  : AnsiString();
}

AnsiString KelvorConfigFolder()
{
    return ConfigHome() + "/kelvor";
}

AnsiString DefaultIniFileName(const AnsiString& programFile)
{
    const AnsiString dir = ExtractFilePath(programFile);
    const AnsiString name = ExtractFileName(programFile);
    // A leading dot makes a hidden name, not an extension.
    const size_t dot = name.rfind('.');
    const AnsiString iniName = (dot == AnsiString::npos || dot == 0 ? name : name.substr(0, dot)) + ".ini";
    if (!dir.empty() && access(dir.c_str(), W_OK) == 0)
        return dir + iniName;
    return KelvorConfigFolder() + "/kelvor.ini";
}

// ---------------------------------------------------------------------------
// Construction

TObject* TForm1::SpecialWordStyleObject(int styleNo)
{
    // The class library's habit of keeping a number in a list's object slot.
    return reinterpret_cast<TObject*>(static_cast<intptr_t>(styleNo));
}

int TForm1::SpecialWordStyleNo(const TObject* object)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(object));
}

TForm1::TForm1(TComponent* owner) : TForm(owner)
{
    CreateLayout();

    TrayTip.clear();
    IniFileName.clear();
    Tail = std::make_unique<CTail>();
    Tail->OnNewText = [this](int index, TTailFile* file) { TailNewText(index, file); };
    Tail->OnTruncate = [this](int index, TTailFile* file) { TailFileTruncated(index, file); };
    Tail->OnError = [this](int index, TTailFile* file, const AnsiString& reason) {
        TailFileFailed(index, file, reason);
    };

    SpecialWords = std::make_unique<TStringList>();
    RecentFiles = std::make_unique<TStringList>();
    PurgeAtLine = 0;
    TrayIconId = 100;

    TrayIcon = std::make_unique<TIcon>();
    ImageList->GetIcon(10, TrayIcon.get());

    DragAcceptFiles(Handle(), true);

    SetShowOnLogEvent(false);
    SetBeepOnLogEvent(false);
    SetSaveSettings(false);
    SetAdjustSizeAutomaticly(true);
    SetActive(true);
    SetShowOnlyInSystemTray(false);
}

TForm1::~TForm1()
{
    // OnDestroy (settings written, monitor freed) while the window is whole,
    // then the panes and the rest of the components, whose going may still
    // reach this window's handlers.
    BeforeDestruction();
    // Out of sight first: a pane that goes from a shown window has the parts
    // of every other pane it uncovers worked out, which for thousands of panes
    // costs time in proportion to the square of their number. And one
    // alignment of nothing at the end rather than one per pane that goes.
    Hide();
    DisableAlign();
    // The panes' windows go first, in the order they were made, each the
    // first of the window's children by then: the toolkit looks a going
    // window up from the first of its parent's children and closes the gap
    // behind it, so freeing the last made first, or any but the first, costs
    // time in proportion to the square of their number. The window takes no
    // more dropped files, and its drop handler, made before the panes, goes.
    if (HandleAllocated())
        DragAcceptFiles(Handle(), false);
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* control = dynamic_cast<TWinControl*>(Controls(i)))
            control->DestroyHandle();
    FFreeingComponents = true;
    DestroyComponents();
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::Notification(TComponent* aComponent, TOperation operation)
{
    // While the window frees its components, the panes and splitters go one
    // by one, and announcing each to every other component costs time in
    // proportion to the square of their number (seconds for thousands of
    // panes). Nothing of the window holds a pane or a splitter except through
    // a free-notification link (the popup menu, a pane's splitter), which the
    // going component drops itself; so only the window's own hold on it is
    // dropped here: its links and its focus.
    auto* control = dynamic_cast<TCustomControl*>(aComponent);
    const bool pane = dynamic_cast<TRollView*>(control) || dynamic_cast<TSplitter*>(control);
    if (operation != opRemove || !FFreeingComponents || !pane || control->Owner() != this) {
        TForm::Notification(aComponent, operation);
        return;
    }
    RemoveFreeNotification(control);
    DefocusControl(control, true);
}

void TForm1::CreateLayout()
{
    SetBounds(512, 310, 487, 158);
    SetCaption("Kelvor:");
    SetColor(clBtnFace);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    Font()->SetCharset(DEFAULT_CHARSET);
    Font()->SetColor(clWindowText);
    SetFormStyle(fsStayOnTop);
    SetKeyPreview(true);

    OpenDlg = new TOpenDialog(this);
    OpenDlg->SetFilter("Log Files (*.log)|*.log|All Files (*.*)|*.*");
    OpenDlg->SetOptions({ofHideReadOnly, ofAllowMultiSelect, ofEnableSizing});

    ImageList = new TImageList(this);
    LoadMenuImages(ImageList);

    OptionsPM = new TPopupMenu(this);
    OptionsPM->SetImages(ImageList);
    OptionsPM->OnPopup = [this](TObject* sender) { OptionsPMPopup(sender); };
    CreateMenu();

    // One text style and two paragraph styles; font name and size come from
    // the settings file.
    RVStyle = new TRVStyle(this);
    TFontInfos* texts = RVStyle->TextStyles();
    while (texts->Count() > 1)
        texts->Delete(texts->Count() - 1);
    TFontInfo* normal = texts->Items(0);
    normal->SetStyleName("Normal text");
    normal->SetFontName("Courier New");
    normal->SetSize(8);
    TParaInfos* paras = RVStyle->ParaStyles();
    paras->Clear();
    TParaInfo* plain = paras->Add();
    plain->SetStyleName("Paragraph Style");
    plain->SetOptions(TRVParaOptions{rvpaoNoWrap});
    TParaInfo* centered = paras->Add();
    centered->SetStyleName("Centered");
    centered->SetAlignment(rvaCenter);
    RVStyle->ListStyles()->Clear();

    SaveDlg = new TSaveDialog(this);
    SaveDlg->SetFilter("Text File (*.txt)|*.txt|All Files (*.*)|*.*");
    SaveDlg->SetOptions({ofOverwritePrompt, ofHideReadOnly, ofEnableSizing});

    ColorDlg = new TColorDialog(this);
    ColorDlg->SetColor(6740850);

    SetPopupMenu(OptionsPM);
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
    OnResize = [this](TObject* sender) { FormResize(sender); };
}

TMenuItem* TForm1::NewMenuItem(TMenuItem* parent, const AnsiString& caption, int imageIndex,
                               void (TForm1::*handler)(TObject*))
{
    TMenuItem* item = new TMenuItem(this);
    item->SetCaption(caption);
    item->SetImageIndex(imageIndex);
    if (handler)
        item->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
    parent->Add(item);
    return item;
}

void TForm1::CreateMenu()
{
    TMenuItem* root = OptionsPM->Items();
    RecentFilePMI = NewMenuItem(root, "Recent Files", 0, nullptr);
    AddFilePMI = NewMenuItem(root, "Add File ...", 1, &TForm1::AddFilePMIClick);
    N2 = NewMenuItem(root, cLineCaption, -1, nullptr);
    RemoveFilePMI = NewMenuItem(root, "Remove File", 2, &TForm1::RemoveFilePMIClick);
    ResetFilePMI = NewMenuItem(root, "Reset File", 3, &TForm1::ResetFilePMIClick);
    TextPMI = NewMenuItem(root, "Save/Copy Text", -1, nullptr);
    CopySelectedTextPMI = NewMenuItem(TextPMI, "Copy Selected Text", 7, &TForm1::SaveSelectedTextPMIClick);
    CopyCompleteTextPMI = NewMenuItem(TextPMI, "Copy Complete Text", 7, &TForm1::SaveSelectedTextPMIClick);
    SaveSelectedTextPMI =
        NewMenuItem(TextPMI, "Save Selected Text ...", 6, &TForm1::SaveSelectedTextPMIClick);
    SaveCompleteTextPMI =
        NewMenuItem(TextPMI, "Save Complete Text ...", 6, &TForm1::SaveSelectedTextPMIClick);
    MaximizeFilePMI = NewMenuItem(root, "Maximize", -1, &TForm1::MaximizeFilePMIClick);
    N1 = NewMenuItem(root, cLineCaption, -1, nullptr);
    ActivePMI = NewMenuItem(root, "Active", -1, &TForm1::ActivePMIClick);
    MonitorSettings1 = NewMenuItem(root, "Monitor Settings", -1, nullptr);
    PurgeAtLinePMI = NewMenuItem(MonitorSettings1, "Purge At Line ...", 8, &TForm1::PurgeAtLinePMIClick);
    MonitorIntervalPMI =
        NewMenuItem(MonitorSettings1, "Monitor Interval ...", 9, &TForm1::MonitorIntervalPMIClick);
    ShowOnlySpecialWordLogsPMI = NewMenuItem(MonitorSettings1, "Show only \"Special Word\" Logs", -1,
                                             &TForm1::ShowOnlySpecialWordLogsPMIClick);
    VisualSettingsPM = NewMenuItem(root, "Visual Settings", -1, nullptr);
    AlwaysOnTopPMI = NewMenuItem(VisualSettingsPM, "Always On Top", -1, &TForm1::AlwaysOnTopPMIClick);
    AlwaysOnTopPMI->SetChecked(true);
    ShowOnLogEventPMI =
        NewMenuItem(VisualSettingsPM, "Show on log event", -1, &TForm1::ShowOnLogEventPMIClick);
    BeepOnLogEventPMI =
        NewMenuItem(VisualSettingsPM, "Beep on log event", -1, &TForm1::BeepOnLogEventPMIClick);
    AdjustSizePMI = NewMenuItem(VisualSettingsPM, "Adjust Size (equally)", 4, &TForm1::AdjustSizePMIClick);
    AdjustSizeAutomaticlyPMI =
        NewMenuItem(VisualSettingsPM, "Adjust Size automaticly", -1, &TForm1::AdjustSizeAutomaticlyPMIClick);
    FontSizePMI = NewMenuItem(VisualSettingsPM, "Font Size ...", -1, &TForm1::FontSizePMIClick);
    MonitorBackgroundColorPMI = NewMenuItem(VisualSettingsPM, "Monitor Background Color ...", 11,
                                            &TForm1::MonitorBackgroundColorPMIClick);
    ShowFileNameImagePMI =
        NewMenuItem(VisualSettingsPM, "Show File Name Image", -1, &TForm1::ShowFileNameImagePMIClick);
    SaveSettingsPMI = NewMenuItem(root, "Save Settings", -1, &TForm1::SaveSettingsPMIClick);
    N3 = NewMenuItem(root, cLineCaption, -1, nullptr);
    About1 = NewMenuItem(root, "About", -1, &TForm1::About1Click);
    ExitPMI = NewMenuItem(root, "Exit", -1, &TForm1::ExitPMIClick);
}

// ---------------------------------------------------------------------------
// Start-up

void TForm1::FormCreate(TObject* sender)
{
    (void)sender;
    if (!FindSettingsFile())
        return;
    ReadSettings();
}

bool TForm1::FindSettingsFile()
{
    const AnsiString argument = ParamStr(1);
    if (argument.empty()) {
        IniFileName = DefaultIniFileName(ParamStr(0));
        return true;
    }
    // A relative path is taken from the working directory.
    IniFileName = ExpandFileName(argument);
    if (FileExists(IniFileName))
        return true;
    MessageBox("Ini-File not found:\n\n" + IniFileName, "Error", MB_OK | MB_ICONERROR);
    return false;
}

// ---------------------------------------------------------------------------
// Exit

void TForm1::FormCloseQuery(TObject* sender, bool& canClose)
{
    (void)sender;
    if (FSettingsWritten)
        return;
    // A box of the save waits (its event loop runs): the close that showed it
    // goes on once it is answered.
    if (FWritingSettings) {
        canClose = false;
        return;
    }
    // The wait begins with the first close that finds the file held; the
    // timer's closes go on with it.
    const auto now = std::chrono::steady_clock::now();
    const bool waiting = FSaveRetry && FSaveRetry->Enabled();
    if (!waiting)
        FSaveDeadline = now + SettingsLockPatience;
    if (FSaveRetry)
        FSaveRetry->SetEnabled(false);
    bool written;
    {
        TRVBoolFlagGuard writing(FWritingSettings);
        written = WriteSettings(now < FSaveDeadline);
    }
    if (written) {
        FSettingsWritten = true;
        return;
    }
    // Held by another program's save: the window stays and keeps working
    // (no wait on this thread), and closes again shortly.
    canClose = false;
    if (!FSaveRetry) {
        FSaveRetry = std::make_unique<TTimer>(nullptr);
        FSaveRetry->SetInterval(SettingsRetryInterval);
        FSaveRetry->OnTimer = [this](TObject*) { Close(); };
    }
    FSaveRetry->SetEnabled(true);
}

void TForm1::FormDestroy(TObject* sender)
{
    (void)sender;
    FSaveRetry.reset();
    if (!FSettingsWritten)
        WriteSettings(false);
    Tail.reset();
    SpecialWords.reset();
    RecentFiles.reset();
    RemoveTrayIcon();
    TrayIcon.reset();
}
