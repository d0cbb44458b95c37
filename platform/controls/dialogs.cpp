// Message and input boxes, file and colour dialogs, beeps: the class library's
// calls turned into requests to the UI services.
#include "platform/controls/dialogs.h"

#include "platform/controls/forms.h"
#include "platform/controls/uiservices.h"
#include "platform/core/colors.h"

std::vector<int> MessageBoxButtons(unsigned flags)
{
    switch (flags & MB_TYPEMASK) {
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

int MessageBoxCancelAnswer(unsigned flags)
{
    switch (flags & MB_TYPEMASK) {
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

int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags)
{
    return UIServices().MessageBox(text, caption, flags);
}

void ShowMessage(const AnsiString& msg)
{
    UIServices().MessageBox(msg, Application ? Application->Title() : AnsiString(), MB_OK);
}

AnsiString InputBox(const AnsiString& caption, const AnsiString& prompt, const AnsiString& Default)
{
    AnsiString value = Default;
    InputQuery(caption, prompt, value);
    return value;
}

bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value)
{
    AnsiString edited = value;
    if (!UIServices().InputQuery(caption, prompt, edited))
        return false;
    value = edited;
    return true;
}

bool Beep(unsigned frequency, unsigned duration)
{
    UIServices().Beep(frequency, duration);
    return true;
}

bool MessageBeep(unsigned type)
{
    UIServices().MessageBeep(type);
    return true;
}

// ---------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* aOwner) : TComponent(aOwner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute()
{
    return DoExecute(false);
}

bool TOpenDialog::DoExecute(bool save)
{
    TFileDialogRequest request;
    request.Save = save;
    request.Title = FTitle;
    request.Filter = FFilter;
    request.FilterIndex = FFilterIndex;
    request.InitialDir = FInitialDir;
    request.FileName = FFileName;
    request.DefaultExt = FDefaultExt;
    request.AllowMultiSelect = !save && FOptions.Contains(ofAllowMultiSelect);
    request.OverwritePrompt = save && FOptions.Contains(ofOverwritePrompt);
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
