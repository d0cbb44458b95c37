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

void ShowErrorBox(const AnsiString& Text)
{
    MessageBox(Text, "Error", MB_OK | MB_ICONERROR);
}

bool Confirmed(const AnsiString& Question)
{
    return MessageBox(Question, "Confirmation", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CtrlHeld()
{
    return GetKeyState(VK_CONTROL) < 0;
}

// Asks for a number in an input box that starts with Current. False when the
// box was cancelled; text that is no integer gives -1.
bool AskNumber(const AnsiString& Title, int Current, int& Value)
{
    AnsiString text = IntToStr(Current);
    if (!InputQuery(Title, "Select a new value:", text))
        return false;
    Value = StrToIntDef(Trim(text), -1);
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

bool TForm1::IsWatched(const TTailFile* File) const
{
    if (!Tail || !File)
        return false;
    for (int i = 0; i < Tail->GetCount(); ++i)
        if (Tail->GetFile(i) == File)
            return true;
    return false;
}

TTailFile* TForm1::OpenTailFile(const AnsiString& Name)
{
    if (!Tail)
        return nullptr;
    if (Tail->IsOpen(Name) &&
        !Confirmed("File is already opened:\n" + Name + "\n\nContinue and open the file?"))
        return nullptr;
    // The panes are laid out by the callers; a resize while the pane is being
    // built would size a half-made pane.
    OnResize = nullptr;
    TTailFile* File = nullptr;
    // Nothing half-built stays behind: no poll may find a record without its
    // pane while the error box is up.
    auto Discard = [&] {
        RemoveTailFile(File);
        File = nullptr;
        OnResize = [this](TObject* Sender) { FormResize(Sender); };
    };
    try {
        File = Tail->AddFile(Name);
        auto* Splitter = new TSplitter(this);
        File->Splitter = Splitter;
        Splitter->SetAlign(alTop);
        Splitter->SetParent(this);
        Splitter->SetHeight(2);
        Splitter->SetColor(0x808080);
        Splitter->SetMinSize(1);

        auto* View = new TRollView(this);
        File->View = View;
        View->SetStyle(RVStyle);
        View->SetPopupMenu(OptionsPM);
        View->SetParent(this);
        View->SetColor(MonitorBackgroundColor);
        View->SetCtl3D(false);
        View->SetAlign(alTop);
        View->SetBorderStyle(bsNone);
        View->OnClick = [this](TObject* Sender) { TailViewClick(Sender); };
        View->OnDblClick = [this](TObject* Sender) { TailViewDblClick(Sender); };
        View->Constraints()->SetMinHeight(10);
        TRVOptions Options = View->Options();
        Options.Exclude(rvoRClickDeselects);
        View->SetOptions(Options);
        View->SetBackgroundStyle(bsCentered);

        DrawFileNameImage(File);
        AddRecentFile(Name);
    } catch (const Exception& E) {
        Discard();
        ShowErrorBox(E.Message());
        return nullptr;
    } catch (...) {
        Discard();
        throw;
    }
    OnResize = [this](TObject* Sender) { FormResize(Sender); };
    return File;
}

void TForm1::RemoveTailFile(TTailFile* File)
{
    if (!File)
        return;
    delete File->View;
    File->View = nullptr;
    delete File->Splitter;
    File->Splitter = nullptr;
    delete File; // closes the file and leaves the monitor's list
}

void TForm1::ResetTailFile(TTailFile* File)
{
    File->Reopen(AnsiString());
    if (File->View) {
        File->View->Clear();
        File->View->Format();
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
        for (int i = 0; i < Tail->GetCount(); ++i)
            ResetTailFile(Tail->GetFile(i));
    } else if (TTailFile* File = FileUnderPopup()) {
        ResetTailFile(File);
    }
}

// ---------------------------------------------------------------------------
// Recent files

void TForm1::AddRecentFile(const AnsiString& Name)
{
    // File names are compared exactly: two names that differ in case are two files.
    for (int i = 0; i < RecentFiles->Count(); ++i)
        if (RecentFiles->Get(i) == Name) {
            RecentFiles->Delete(i);
            break;
        }
    RecentFiles->Add(Name);
    while (RecentFiles->Count() > kMaxRecentFiles)
        RecentFiles->Delete(0);
}

void TForm1::RecentFileClick(TObject* Sender)
{
    // The path kept for the entry, never its caption (which shows '&' doubled).
    const auto* Item = dynamic_cast<const TMenuItem*>(Sender);
    if (!Item || Item->Tag() < 0 || Item->Tag() >= static_cast<int>(FRecentFilePaths.size()))
        return;
    const AnsiString Path = FRecentFilePaths[static_cast<size_t>(Item->Tag())];
    OpenTailFile(Path);
}

// ---------------------------------------------------------------------------
// The popup menu

void TForm1::OptionsPMPopup(TObject*)
{
    RemoveFilePMI->SetCaption("Remove File");
    ResetFilePMI->SetCaption("Reset File");
    for (TMenuItem* Item :
         {RemoveFilePMI, ResetFilePMI, TextPMI, CopySelectedTextPMI, SaveSelectedTextPMI, MaximizeFilePMI})
        Item->SetEnabled(false);
    ActivePMI->SetChecked(Tail && Tail->GetActive());
    PurgeAtLinePMI->SetCaption("Purge At Line " + IntToStr(PurgeAtLine) + "...");
    MonitorIntervalPMI->SetCaption("Monitor Interval = " + IntToStr(Tail ? Tail->GetInterval() : 0) +
                                   " ms ...");
    AdjustSizePMI->SetEnabled(Tail && Tail->GetCount() > 0);

    if (TTailFile* File = FileUnderPopup()) {
        const AnsiString Name = EscapeMenuCaption(File->FileName);
        RemoveFilePMI->SetCaption("Remove File '" + Name + "'");
        ResetFilePMI->SetCaption("Reset File '" + Name + "'");
        for (TMenuItem* Item : {RemoveFilePMI, ResetFilePMI, TextPMI, MaximizeFilePMI})
            Item->SetEnabled(true);
        const bool Selection = File->View && File->View->SelectionExists();
        CopySelectedTextPMI->SetEnabled(Selection);
        SaveSelectedTextPMI->SetEnabled(Selection);
    }

    RecentFilePMI->Clear();
    FRecentFilePaths.clear();
    for (int i = 0; i < RecentFiles->Count(); ++i) {
        FRecentFilePaths.push_back(RecentFiles->Get(i));
        auto* Item = new TMenuItem(nullptr); // owned by the submenu
        Item->SetCaption(EscapeMenuCaption(RecentFiles->Get(i)));
        Item->SetTag(i);
        Item->OnClick = [this](TObject* Sender) { RecentFileClick(Sender); };
        RecentFilePMI->Add(Item);
    }
    RecentFilePMI->SetEnabled(RecentFiles->Count() > 0);
}

// ---------------------------------------------------------------------------
// Copying and saving a pane's text

void TForm1::SaveSelectedTextPMIClick(TObject* Sender)
{
    TTailFile* File = FileUnderPopup();
    if (!File || !File->View)
        return;
    const bool Save = Sender == SaveSelectedTextPMI || Sender == SaveCompleteTextPMI;
    const bool SelectionOnly = Sender == CopySelectedTextPMI || Sender == SaveSelectedTextPMI;
    if (Save) {
        if (!SaveDlg->Execute())
            return;
        // The dialog ran the event loop: the pane may have gone meanwhile.
        if (!IsWatched(File) || !File->View)
            return;
    }
    try {
        TMemoryStream Stream;
        if (!File->View->SaveTextToStream(AnsiString(), &Stream, -1, SelectionOnly, true))
            throw EWriteError(SysConst::SWriteError);
        if (Save) {
            Stream.SaveToFile(SaveDlg->FileName());
        } else {
            const char Zero = 0;
            Stream.Write(&Zero, 1);
            Clipboard()->SetBuffer(CF_TEXT, Stream.Memory(), static_cast<size_t>(Stream.Size()));
        }
    } catch (const Exception& E) {
        ShowErrorBox(E.Message());
    }
}

// ---------------------------------------------------------------------------
// Monitoring, numbers, switches, colour

void TForm1::SetActive(bool Value)
{
    if (!Tail)
        return;
    if (ActivePMI)
        ActivePMI->SetChecked(Value);
    Tail->SetActive(Value);
    TrayTip = Value ? "Kelvor: active" : "Kelvor: inactive";
    if (ShowOnlyInSystemTray)
        UpdateTrayTip();
    Active = Value;
}

void TForm1::ActivePMIClick(TObject*)
{
    SetActive(!Active);
}

void TForm1::PurgeAtLinePMIClick(TObject*)
{
    int Value = 0;
    if (AskNumber("Change 'Purge At Line'", PurgeAtLine, Value) && Value >= 0)
        PurgeAtLine = Value;
}

void TForm1::MonitorIntervalPMIClick(TObject*)
{
    int Value = 0;
    if (AskNumber("Change 'Monitor Interval'", Tail->GetInterval(), Value) && Value > 0)
        Tail->SetInterval(Value);
}

void TForm1::FontSizePMIClick(TObject*)
{
    TFontInfos* Styles = RVStyle->TextStyles();
    int Value = 0;
    // A font has no size 0: 0 keeps the size as it is.
    if (!AskNumber("Change 'Font Size'", Styles->Items(0)->Size(), Value) || Value <= 0)
        return;
    for (int i = 0; i < Styles->Count(); ++i)
        Styles->Items(i)->SetSize(Value);
    for (int i = 0; i < Tail->GetCount(); ++i)
        if (TRollView* View = Tail->GetFile(i)->View) {
            View->Format();
            View->Repaint();
        }
}

void TForm1::SetShowOnLogEvent(bool Value)
{
    ShowOnLogEvent = Value;
    if (ShowOnLogEventPMI)
        ShowOnLogEventPMI->SetChecked(Value);
}

void TForm1::SetBeepOnLogEvent(bool Value)
{
    BeepOnLogEvent = Value;
    if (BeepOnLogEventPMI)
        BeepOnLogEventPMI->SetChecked(Value);
}

void TForm1::SetShowOnlySpecialWordLogs(bool Value)
{
    ShowOnlySpecialWordLogs = Value;
    if (ShowOnlySpecialWordLogsPMI)
        ShowOnlySpecialWordLogsPMI->SetChecked(Value);
}

void TForm1::SetAdjustSizeAutomaticly(bool Value)
{
    AdjustSizeAutomaticly = Value;
    if (AdjustSizeAutomaticlyPMI)
        AdjustSizeAutomaticlyPMI->SetChecked(Value);
}

// Switches saving only: tray-only mode is the settings file's to set.
void TForm1::SetSaveSettings(bool Value)
{
    SaveSettings = Value;
    if (SaveSettingsPMI)
        SaveSettingsPMI->SetChecked(Value);
}

void TForm1::SetShowFileNameImage(bool Value)
{
    ShowFileNameImage = Value;
    if (ShowFileNameImagePMI)
        ShowFileNameImagePMI->SetChecked(Value);
    if (Tail)
        for (int i = 0; i < Tail->GetCount(); ++i)
            DrawFileNameImage(Tail->GetFile(i));
}

void TForm1::SetAlwaysOnTop(bool Value)
{
    AlwaysOnTop = Value;
    if (AlwaysOnTopPMI)
        AlwaysOnTopPMI->SetChecked(Value);
    SetWindowPos(Handle(), Value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
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
