// The main window's commands: the popup menu's state, opening files in new panes,
// the recent files, removing and resetting files, copying and saving a pane's
// text, the numbers asked in input boxes, the switches and the background colour.
#include "app/U_kelvor.h"
#include "document/rvstyle.h"
#include "platform/controls/clipbrd.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/extctrls_splitter.h"
#include "platform/controls/menus.h"
#include "platform/controls/winapi.h"
#include "platform/core/streams.h"
#include "view/rollview.h"

namespace {

// The caption a pane's file gives the window.
const char* const kCaptionPrefix = "Kelvor: ";
// Recent files kept once a file has been opened in the run.
constexpr int kMaxRecentFiles = 10;

void ShowErrorBox(const AnsiString& text)
{
    MessageBox(text, "Error", MB_OK | MB_ICONERROR);
}

bool Confirmed(const AnsiString& question)
{
    return MessageBox(question, "Confirmation", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CtrlHeld()
{
    return GetKeyState(VK_CONTROL) < 0;
}

// Asks for a number in an input box that starts with Current. False when the
// box was cancelled; text that is no integer gives -1.
bool AskNumber(const AnsiString& title, int current, int& value)
{
    AnsiString text = IntToStr(current);
    if (!InputQuery(title, "Select a new value:", text))
        return false;
    value = StrToIntDef(Trim(text), -1);
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// Files under the popup, opening and closing panes

TTailFile* TForm1::FileUnderPopup() const
{
    if (!Tail || !OptionsPM)
        return nullptr;
    return Tail->FindByViewer(OptionsPM->PopupComponent());
}

bool TForm1::IsWatched(const TTailFile* file) const
{
    if (!Tail || !file)
        return false;
    for (int i = 0; i < Tail->GetCount(); ++i)
        if (Tail->GetFile(i) == file)
            return true;
    return false;
}

TTailFile* TForm1::OpenTailFile(const AnsiString& name)
{
    if (!Tail)
        return nullptr;
    if (Tail->IsOpen(name) &&
        !Confirmed("File is already opened:\n" + ShownFileName(name) + "\n\nContinue and open the file?"))
        return nullptr;
    try {
        return AddTailPane(name);
    } catch (const Exception& e) {
        ShowErrorBox(e.Message());
        return nullptr;
    }
}

TTailFile* TForm1::AddTailPane(const AnsiString& name)
{
    // The panes are laid out by the callers; a resize while the pane is being
    // built would size a half-made pane.
    OnResize = nullptr;
    TTailFile* file = nullptr;
    try {
        file = Tail->AddFile(name);
        auto* splitter = new TSplitter(this);
        file->Splitter = splitter;
        splitter->SetAlign(alTop);
        splitter->SetParent(this);
        splitter->SetHeight(2);
        splitter->SetColor(0x808080);
        splitter->SetMinSize(1);

        auto* view = new TRollView(this);
        file->View = view;
        view->SetStyle(RVStyle);
        view->SetPopupMenu(OptionsPM);
        view->SetParent(this);
        view->SetColor(MonitorBackgroundColor);
        view->SetCtl3D(false);
        view->SetAlign(alTop);
        view->SetBorderStyle(bsNone);
        view->OnClick = [this](TObject* sender) { TailViewClick(sender); };
        view->OnDblClick = [this](TObject* sender) { TailViewDblClick(sender); };
        view->OnVScrolled = [this](TObject* sender) { TailViewScrolled(sender); };
        view->OnResize = [this](TObject* sender) { TailViewResize(sender); };
        view->Constraints()->SetMinHeight(10);
        TRVOptions options = view->Options();
        options.Exclude(rvoRClickDeselects);
        view->SetOptions(options);
        view->SetBackgroundStyle(bsCentered);

        DrawFileNameImage(file);
        AddRecentFile(name);
    } catch (...) {
        // Nothing half-built stays behind: no poll may find a record without
        // its pane while the caller reports the failure.
        RemoveTailFile(file);
        OnResize = [this](TObject* sender) { FormResize(sender); };
        throw;
    }
    OnResize = [this](TObject* sender) { FormResize(sender); };
    return file;
}

void TForm1::RemoveTailFile(TTailFile* file)
{
    if (!file)
        return;
    delete file->View;
    file->View = nullptr;
    delete file->Splitter;
    file->Splitter = nullptr;
    delete file; // closes the file and leaves the monitor's list
}

void TForm1::ResetTailFile(TTailFile* file)
{
    file->Reopen(AnsiString());
    if (file->View) {
        file->View->Clear();
        file->View->Format();
    }
}

void TForm1::AddFilePMIClick(TObject*)
{
    if (!OpenDlg->Execute())
        return;
    for (int i = 0; i < OpenDlg->Files()->Count(); ++i)
        OpenTailFile(OpenDlg->Files()->Get(i));
    FormResize(this);
    Repaint();
}

void TForm1::RemoveFilePMIClick(TObject*)
{
    if (CtrlHeld()) {
        if (!Confirmed("Remove all files?"))
            return;
        while (Tail && Tail->GetCount() > 0)
            RemoveTailFile(Tail->GetFile(0));
    } else {
        RemoveTailFile(FileUnderPopup());
    }
    SetCaption(kCaptionPrefix);
}

void TForm1::ResetFilePMIClick(TObject*)
{
    if (CtrlHeld()) {
        if (!Confirmed("Reset all files?"))
            return;
        // A file that cannot be opened again keeps its old handle; the others
        // are reset all the same, and one box names every failure.
        std::vector<AnsiString> problems;
        for (int i = 0; Tail && i < Tail->GetCount(); ++i) {
            try {
                ResetTailFile(Tail->GetFile(i));
            } catch (const Exception& e) {
                problems.push_back(e.Message());
            }
        }
        if (!problems.empty())
            ShowErrorBox(StartProblemsText(problems));
    } else if (TTailFile* file = FileUnderPopup()) {
        // A failure keeps the file's old handle; the application's error box
        // shows the message, which says why.
        ResetTailFile(file);
    }
}

// ---------------------------------------------------------------------------
// Recent files

void TForm1::AddRecentFile(const AnsiString& name)
{
    // File names are compared exactly: two names that differ in case are two files.
    for (int i = 0; i < RecentFiles->Count(); ++i)
        if (RecentFiles->Get(i) == name) {
            RecentFiles->Delete(i);
            break;
        }
    RecentFiles->Add(name);
    while (RecentFiles->Count() > kMaxRecentFiles)
        RecentFiles->Delete(0);
}

void TForm1::RecentFileClick(TObject* sender)
{
    // The path kept for the entry, never its caption (which shows '&' doubled).
    const auto* item = dynamic_cast<const TMenuItem*>(sender);
    if (!item || item->Tag() < 0 || item->Tag() >= static_cast<int>(FRecentFilePaths.size()))
        return;
    const AnsiString path = FRecentFilePaths[static_cast<size_t>(item->Tag())];
    OpenTailFile(path);
}

// ---------------------------------------------------------------------------
// The popup menu

void TForm1::OptionsPMPopup(TObject*)
{
    RemoveFilePMI->SetCaption("Remove File");
    ResetFilePMI->SetCaption("Reset File");
    for (TMenuItem* item :
         {RemoveFilePMI, ResetFilePMI, TextPMI, CopySelectedTextPMI, SaveSelectedTextPMI, MaximizeFilePMI})
        item->SetEnabled(false);
    ActivePMI->SetChecked(Tail && Tail->GetActive());
    PurgeAtLinePMI->SetCaption("Purge At Line " + IntToStr(PurgeAtLine) + "...");
    MonitorIntervalPMI->SetCaption("Monitor Interval = " + IntToStr(Tail ? Tail->GetInterval() : 0) +
                                   " ms ...");
    AdjustSizePMI->SetEnabled(Tail && Tail->GetCount() > 0);

    if (TTailFile* file = FileUnderPopup()) {
        const AnsiString name = EscapeMenuCaption(ShownFileName(file->FileName));
        RemoveFilePMI->SetCaption("Remove File '" + name + "'");
        ResetFilePMI->SetCaption("Reset File '" + name + "'");
        for (TMenuItem* item : {RemoveFilePMI, ResetFilePMI, TextPMI, MaximizeFilePMI})
            item->SetEnabled(true);
        const bool selection = file->View && file->View->SelectionExists();
        CopySelectedTextPMI->SetEnabled(selection);
        SaveSelectedTextPMI->SetEnabled(selection);
    }

    RecentFilePMI->Clear();
    FRecentFilePaths.clear();
    for (int i = 0; i < RecentFiles->Count(); ++i) {
        FRecentFilePaths.push_back(RecentFiles->Get(i));
        auto* item = new TMenuItem(nullptr); // owned by the submenu
        item->SetCaption(EscapeMenuCaption(ShownFileName(RecentFiles->Get(i))));
        item->SetTag(i);
        item->OnClick = [this](TObject* sender) { RecentFileClick(sender); };
        RecentFilePMI->Add(item);
    }
    RecentFilePMI->SetEnabled(RecentFiles->Count() > 0);
}

// ---------------------------------------------------------------------------
// Copying and saving a pane's text

void TForm1::SaveSelectedTextPMIClick(TObject* sender)
{
    TTailFile* file = FileUnderPopup();
    if (!file || !file->View)
        return;
    const bool save = sender == SaveSelectedTextPMI || sender == SaveCompleteTextPMI;
    const bool selectionOnly = sender == CopySelectedTextPMI || sender == SaveSelectedTextPMI;
    if (save) {
        if (!SaveDlg->Execute())
            return;
        // The dialog ran the event loop: the pane may have gone meanwhile.
        if (!IsWatched(file) || !file->View)
            return;
    }
    try {
        TMemoryStream stream;
        if (!file->View->SaveTextToStream(AnsiString(), &stream, -1, selectionOnly, true))
            throw EWriteError(SysConst::SWriteError);
        if (save) {
            stream.SaveToFile(SaveDlg->FileName());
        } else {
            const char zero = 0;
            stream.Write(&zero, 1);
            Clipboard()->SetBuffer(CF_TEXT, stream.Memory(), static_cast<size_t>(stream.Size()));
        }
    } catch (const Exception& e) {
        ShowErrorBox(e.Message());
    }
}

// ---------------------------------------------------------------------------
// Monitoring, numbers, switches, colour

void TForm1::SetActive(bool value)
{
    if (!Tail)
        return;
    if (ActivePMI)
        ActivePMI->SetChecked(value);
    Tail->SetActive(value);
    TrayTip = value ? "Kelvor: active" : "Kelvor: inactive";
    if (ShowOnlyInSystemTray)
        UpdateTrayTip();
    Active = value;
}

void TForm1::ActivePMIClick(TObject*)
{
    SetActive(!Active);
}

void TForm1::PurgeAtLinePMIClick(TObject*)
{
    int value = 0;
    if (AskNumber("Change 'Purge At Line'", PurgeAtLine, value) && value >= 0 && value <= MaxPurgeAtLine)
        PurgeAtLine = value;
}

void TForm1::MonitorIntervalPMIClick(TObject*)
{
    int value = 0;
    if (AskNumber("Change 'Monitor Interval'", Tail->GetInterval(), value) && value > 0 &&
        value <= MaxMonitorInterval)
        Tail->SetInterval(value);
}

void TForm1::FontSizePMIClick(TObject*)
{
    TFontInfos* styles = RVStyle->TextStyles();
    int value = 0;
    // A font has no size 0: 0 keeps the size as it is.
    if (!AskNumber("Change 'Font Size'", styles->Items(0)->Size(), value) || value <= 0 ||
        value > MaxFontSize)
        return;
    for (int i = 0; i < styles->Count(); ++i)
        styles->Items(i)->SetSize(value);
    for (int i = 0; i < Tail->GetCount(); ++i)
        if (TRollView* view = Tail->GetFile(i)->View)
            ReformatPane(view);
}

void TForm1::SetShowOnLogEvent(bool value)
{
    ShowOnLogEvent = value;
    if (ShowOnLogEventPMI)
        ShowOnLogEventPMI->SetChecked(value);
}

void TForm1::SetBeepOnLogEvent(bool value)
{
    BeepOnLogEvent = value;
    if (BeepOnLogEventPMI)
        BeepOnLogEventPMI->SetChecked(value);
}

void TForm1::SetShowOnlySpecialWordLogs(bool value)
{
    ShowOnlySpecialWordLogs = value;
    if (ShowOnlySpecialWordLogsPMI)
        ShowOnlySpecialWordLogsPMI->SetChecked(value);
}

void TForm1::SetAdjustSizeAutomaticly(bool value)
{
    AdjustSizeAutomaticly = value;
    if (AdjustSizeAutomaticlyPMI)
        AdjustSizeAutomaticlyPMI->SetChecked(value);
}

// Switches saving only: tray-only mode is the settings file's to set.
void TForm1::SetSaveSettings(bool value)
{
    SaveSettings = value;
    if (SaveSettingsPMI)
        SaveSettingsPMI->SetChecked(value);
}

void TForm1::SetShowFileNameImage(bool value)
{
    ShowFileNameImage = value;
    if (ShowFileNameImagePMI)
        ShowFileNameImagePMI->SetChecked(value);
    if (Tail)
        for (int i = 0; i < Tail->GetCount(); ++i)
            DrawFileNameImage(Tail->GetFile(i));
}

void TForm1::SetAlwaysOnTop(bool value)
{
    AlwaysOnTop = value;
    if (AlwaysOnTopPMI)
        AlwaysOnTopPMI->SetChecked(value);
    SetWindowPos(Handle(), value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TForm1::ShowOnLogEventPMIClick(TObject*)
{
    SetShowOnLogEvent(!ShowOnLogEvent);
}

void TForm1::BeepOnLogEventPMIClick(TObject*)
{
    SetBeepOnLogEvent(!BeepOnLogEvent);
}

void TForm1::ShowOnlySpecialWordLogsPMIClick(TObject*)
{
    SetShowOnlySpecialWordLogs(!ShowOnlySpecialWordLogs);
}

void TForm1::AdjustSizeAutomaticlyPMIClick(TObject*)
{
    SetAdjustSizeAutomaticly(!AdjustSizeAutomaticly);
}

void TForm1::SaveSettingsPMIClick(TObject*)
{
    SetSaveSettings(!SaveSettings);
}

void TForm1::ShowFileNameImagePMIClick(TObject*)
{
    SetShowFileNameImage(!ShowFileNameImage);
}

void TForm1::AlwaysOnTopPMIClick(TObject*)
{
    SetAlwaysOnTop(!AlwaysOnTop);
}

void TForm1::MonitorBackgroundColorPMIClick(TObject*)
{
    ColorDlg->SetColor(MonitorBackgroundColor);
    if (ColorDlg->Execute())
        SetMonitorBackgroundColor(ColorDlg->Color());
}

void TForm1::About1Click(TObject*)
{
    MessageBox("Kelvor\n\nFollows log files as they grow.", "About", MB_OK | MB_ICONINFORMATION);
}

void TForm1::ExitPMIClick(TObject*)
{
    Close();
}
