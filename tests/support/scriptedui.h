// Scripted UI services for tests: boxes and dialogs answer from queues filled by
// the test, every call is recorded, and the clipboard, tray icons and window
// hints are kept in memory.
#pragma once

#include <deque>
#include <map>
#include <vector>

#include "platform/controls/uiservices.h"

enum class TUICallKind {
    MessageBox,
    InputQuery,
    FileDialog,
    ColorDialog,
    Beep,
    MessageBeep,
    ShowTrayIcon,
    HideTrayIcon,
    StayOnTop,
    SkipTaskbar,
    BringToFront,
    SetClipboard,
};

// One recorded call. Fields that do not belong to the call's kind stay at their
// defaults.
struct TUICall {
    TUICallKind Kind = TUICallKind::MessageBox;
    AnsiString Caption; // box or dialog title
    AnsiString Text;    // message text, input prompt, tray tip
    unsigned Flags = 0; // MB_ flags of a box; the type of a MessageBeep
    AnsiString Value;   // input box: the text shown in the edit field
    TFileDialogRequest FileRequest;
    TColor Color = 0; // colour dialog: the colour shown
    unsigned Frequency = 0;
    unsigned Duration = 0;
    TTrayIconKey TrayKey;
    bool HasIcon = false;  // ShowTrayIcon with a picture
    HWND Window = nullptr; // window hints
    bool On = false;
    std::vector<TClipboardItem> Clipboard;
    // Whether the test had queued an answer; an unanswered call got the
    // cancelling answer and failed the test.
    bool Answered = true;
    int Result = 0;         // a box's answer
    bool Confirmed = false; // an input box, file or colour dialog that was confirmed
};

// Installs itself as the UI services for its lifetime and puts back the ones it
// replaced when it goes.
//
// A box or dialog that finds no queued answer of its kind is recorded, fails
// the current test with its title and text, and gets the answer of a user who
// closes it: the box's cancelling button (MessageBoxCancelAnswer), or
// "cancelled" for input boxes and dialogs. A queued box answer that is not one
// of the box's buttons fails the test the same way.
class TScriptedUI : public TUIServices {
public:
    TScriptedUI();
    ~TScriptedUI() override;
    TScriptedUI(const TScriptedUI&) = delete;
    TScriptedUI& operator=(const TScriptedUI&) = delete;

    // ---- Answers, each queue used in order.
    void QueueMessageBoxResult(int Result);
    void QueueInputText(const AnsiString& Text);
    void QueueInputCancel();
    // Files chosen in the next file dialog; FilterIndex 0 keeps the request's.
    void QueueFileNames(const std::vector<AnsiString>& Files, int FilterIndex = 0);
    void QueueFileCancel();
    void QueueColor(TColor Color);
    void QueueColorCancel();
    // Whether the desktop has a notification area (true unless set).
    void SetTrayAvailable(bool Available) { FTrayAvailable = Available; }

    // ---- What happened.
    const std::vector<TUICall>& Calls() const { return FCalls; }
    std::vector<TUICall> CallsOf(TUICallKind Kind) const;
    void ClearCalls() { FCalls.clear(); }
    // Fails the current test for every queued answer that no call took.
    void ExpectNoPendingAnswers() const;

    // ---- State kept in memory.
    const std::vector<TClipboardItem>& ClipboardContent() const { return FClipboard; }
    bool TrayIconShown(const TTrayIconKey& Key) const;
    AnsiString TrayTip(const TTrayIconKey& Key) const;
    // A mouse message on a shown icon, as the desktop reports it (TrayIconNotify).
    void ClickTrayIcon(const TTrayIconKey& Key, UINT MouseMessage);
    bool StayOnTop(HWND Window) const;
    bool SkipTaskbar(HWND Window) const;

    // ---- TUIServices
    int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) override;
    bool InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value) override;
    bool FileDialog(const TFileDialogRequest& Request, TFileDialogResult& Result) override;
    bool ColorDialog(TColor& Color) override;
    void Beep(unsigned Frequency, unsigned Duration) override;
    void MessageBeep(unsigned Type) override;
    bool TrayIconAvailable() override { return FTrayAvailable; }
    bool ShowTrayIcon(const TTrayIconKey& Key, const TPixelBuffer& Icon, const AnsiString& Tip) override;
    bool HideTrayIcon(const TTrayIconKey& Key) override;
    void SetStayOnTop(HWND Window, bool On) override;
    void SetSkipTaskbar(HWND Window, bool On) override;
    void BringToFront(HWND Window) override;
    void SetClipboard(const std::vector<TClipboardItem>& Items) override;
    std::vector<AnsiString> ClipboardFormats() override;
    bool GetClipboard(const AnsiString& Mime, AnsiString& Data) override;

private:
    struct TInputAnswer {
        bool Confirmed;
        AnsiString Text;
    };
    struct TFileAnswer {
        bool Confirmed;
        std::vector<AnsiString> Files;
        int FilterIndex;
    };
    struct TColorAnswer {
        bool Confirmed;
        TColor Color;
    };
    struct TTrayState {
        TTrayIconKey Key;
        AnsiString Tip;
    };

    TUIServices* FPrevious;
    std::deque<int> FMessageBoxResults;
    std::deque<TInputAnswer> FInputAnswers;
    std::deque<TFileAnswer> FFileAnswers;
    std::deque<TColorAnswer> FColorAnswers;
    std::vector<TUICall> FCalls;
    std::vector<TClipboardItem> FClipboard;
    std::vector<TTrayState> FTrayIcons;
    std::map<HWND, bool> FStayOnTop;
    std::map<HWND, bool> FSkipTaskbar;
    bool FTrayAvailable = true;
};
