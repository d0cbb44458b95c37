// Message boxes, input boxes, the open, save and colour dialogs, and beeps. All
// of them reach the user through the UI services (uiservices.h).
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/stringlist.h"

// Buttons of a message box.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_TYPEMASK = 0xF;
// Icons (and the sounds of MessageBeep).
inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONERROR = MB_ICONHAND;
inline constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr unsigned MB_ICONASTERISK = 0x40;
inline constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr unsigned MB_ICONMASK = 0xF0;
// The button that has the focus first.
inline constexpr unsigned MB_DEFBUTTON1 = 0x000;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFMASK = 0xF00;
// The simple beep of MessageBeep.
inline constexpr unsigned MB_SIMPLEBEEP = 0xFFFFFFFFu;

// Answers of a message box.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// The buttons a box of these flags shows, in their order (MB_OK for an unknown
// button type), and the answer that closing the box without a choice gives:
// Cancel when it has one, No for Yes/No, OK for a lone OK, Abort for
// Abort/Retry/Ignore.
std::vector<int> MessageBoxButtons(unsigned flags);
int MessageBoxCancelAnswer(unsigned flags);

// A modal message box; answers the button chosen. An empty caption shows the
// program's name.
int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags);
// A box with an OK button, titled with the application's title.
void ShowMessage(const AnsiString& msg);

// A box with a prompt and an edit field holding Default: the text typed when
// confirmed, Default when cancelled.
AnsiString InputBox(const AnsiString& caption, const AnsiString& prompt, const AnsiString& Default);
// The same, telling whether it was confirmed; Value is changed only then.
bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value);

// A tone of Frequency hertz for Duration milliseconds (see TUIServices::Beep);
// true, as the call does not wait for the tone.
bool Beep(unsigned frequency, unsigned duration);
// The sound of a message box of this kind (MB_OK, MB_ICON..., MB_SIMPLEBEEP).
bool MessageBeep(unsigned type);

// Options of the open and save dialogs, in the class library's order.
enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing
};

// A set of TOpenOption, one bit per member.
class TOpenOptions {
public:
    TOpenOptions() = default;
    TOpenOptions(std::initializer_list<TOpenOption> members)
    {
        for (TOpenOption m : members)
            Include(m);
    }
    bool Contains(TOpenOption m) const { return (FBits & Bit(m)) != 0; }
    TOpenOptions& Include(TOpenOption m)
    {
        FBits |= Bit(m);
        return *this;
    }
    TOpenOptions& Exclude(TOpenOption m)
    {
        FBits &= ~Bit(m);
        return *this;
    }
    bool operator==(const TOpenOptions& o) const { return FBits == o.FBits; }
    bool operator!=(const TOpenOptions& o) const { return FBits != o.FBits; }

private:
    static unsigned Bit(TOpenOption m) { return 1u << static_cast<unsigned>(m); }
    unsigned FBits = 0;
};

// The open dialog as a component. Execute shows it; when it is confirmed,
// FileName holds the first file chosen and Files every file chosen (one unless
// ofAllowMultiSelect), each a full path, and FilterIndex the filter in use.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* aOwner);
    ~TOpenDialog() override;
    const char* ClassName() const override { return "TOpenDialog"; }

    virtual bool Execute();

    const AnsiString& FileName() const { return FFileName; }
    void SetFileName(const AnsiString& value) { FFileName = value; }
    // The files of the last confirmed Execute (owned by the dialog).
    TStringList* Files() const { return FFiles.get(); }
    // Pairs of description and patterns, all separated by '|'.
    const AnsiString& Filter() const { return FFilter; }
    void SetFilter(const AnsiString& value) { FFilter = value; }
    int FilterIndex() const { return FFilterIndex; } // counts from 1
    void SetFilterIndex(int value) { FFilterIndex = value; }
    const AnsiString& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const AnsiString& value) { FInitialDir = value; }
    const AnsiString& DefaultExt() const { return FDefaultExt; } // without the '.'
    void SetDefaultExt(const AnsiString& value) { FDefaultExt = value; }
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& value) { FTitle = value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions value) { FOptions = value; }

protected:
    bool DoExecute(bool save);

private:
    AnsiString FFileName;
    std::unique_ptr<TStringList> FFiles;
    AnsiString FFilter;
    int FFilterIndex = 1;
    AnsiString FInitialDir;
    AnsiString FDefaultExt;
    AnsiString FTitle;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

// The save dialog: the open dialog asking for a name to write.
class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    const char* ClassName() const override { return "TSaveDialog"; }
    bool Execute() override;
};

// The colour dialog: Execute starts at Color and, when confirmed, sets it to the
// colour chosen. A system colour (clBtnFace, ...) starts as its resolved value.
class TColorDialog : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TColorDialog"; }

    bool Execute();
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }

private:
    TColor FColor = 0;
};
