// Message and input boxes, file and colour dialogs, beeps: the class library's
// calls turned into requests to the UI services.
#include "platform/controls/dialogs.h"

#include "platform/controls/forms.h"
#include "platform/controls/uiservices.h"
#include "platform/core/colors.h"

std::vector<int> MessageBoxButtons(unsigned Flags)
{
    switch (Flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

int MessageBoxCancelAnswer(unsigned Flags)
{
    switch (Flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags)
{
    return UIServices().MessageBox(Text, Caption, Flags);
}

void ShowMessage(const AnsiString& Msg)
{
    UIServices().MessageBox(Msg, Application ? Application->Title() : AnsiString(), MB_OK);
}

AnsiString InputBox(const AnsiString& Caption, const AnsiString& Prompt, const AnsiString& Default)
{
    AnsiString value = Default;
    InputQuery(Caption, Prompt, value);
    return value;
}

bool InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value)
{
    AnsiString edited = Value;
    if (!UIServices().InputQuery(Caption, Prompt, edited))
        return false;
    Value = edited;
    return true;
}

bool Beep(unsigned Frequency, unsigned Duration)
{
    UIServices().Beep(Frequency, Duration);
    return true;
}

bool MessageBeep(unsigned Type)
{
    UIServices().MessageBeep(Type);
    return true;
}

// ---------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute()
{
    return DoExecute(false);
}

bool TOpenDialog::DoExecute(bool Save)
{
    TFileDialogRequest request;
    request.Save = Save;
    request.Title = FTitle;
    request.Filter = FFilter;
    request.FilterIndex = FFilterIndex;
    request.InitialDir = FInitialDir;
    request.FileName = FFileName;
    request.DefaultExt = FDefaultExt;
    request.AllowMultiSelect = !Save && FOptions.Contains(ofAllowMultiSelect);
    request.OverwritePrompt = Save && FOptions.Contains(ofOverwritePrompt);
    request.FileMustExist = FOptions.Contains(ofFileMustExist);
    request.PathMustExist = FOptions.Contains(ofPathMustExist) || FOptions.Contains(ofFileMustExist);

    TFileDialogResult result;
    // A confirmation without a file is no answer the caller could use.
    if (!UIServices().FileDialog(request, result) || result.Files.empty())
        return false;
    FFiles->Clear();
    size_t count = request.AllowMultiSelect ? result.Files.size() : 1;
    for (size_t i = 0; i < count; ++i)
        FFiles->Add(result.Files[i]);
    FFileName = result.Files.front();
    FFilterIndex = result.FilterIndex;
    return true;
}

bool TSaveDialog::Execute()
{
    return DoExecute(true);
}

bool TColorDialog::Execute()
{
    TColor color = ColorToRGB(FColor);
    if (!UIServices().ColorDialog(color))
        return false;
    FColor = ColorToRGB(color);
    return true;
}
