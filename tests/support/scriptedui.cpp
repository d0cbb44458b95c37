// Scripted UI services: queued answers, recorded calls, in-memory state.
#include "tests/support/scriptedui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/controls/dialogs.h"
#include "platform/controls/trayicon.h"

namespace {

// Takes the next answer of Queue into Answer. Without one, the call is marked
// unanswered and the test fails with Unexpected, the call described.
template <class T>
bool NextAnswer(std::deque<T>& Queue, T& Answer, TUICall& Call, const std::string& Unexpected)
{
    if (Queue.empty()) {
        ADD_FAILURE() << Unexpected << " (no answer queued)";
        Call.Answered = false;
        return false;
    }
    Answer = Queue.front();
    Queue.pop_front();
    return true;
}

} // namespace

TScriptedUI::TScriptedUI() : FPrevious(SetUIServices(this)) {}

TScriptedUI::~TScriptedUI()
{
    SetUIServices(FPrevious);
}

void TScriptedUI::QueueMessageBoxResult(int Result)
{
    FMessageBoxResults.push_back(Result);
}

void TScriptedUI::QueueInputText(const AnsiString& Text)
{
    FInputAnswers.push_back({true, Text});
}

void TScriptedUI::QueueInputCancel()
{
    FInputAnswers.push_back({false, AnsiString()});
}

void TScriptedUI::QueueFileNames(const std::vector<AnsiString>& Files, int FilterIndex)
{
    FFileAnswers.push_back({true, Files, FilterIndex});
}

void TScriptedUI::QueueFileCancel()
{
    FFileAnswers.push_back({false, {}, 0});
}

void TScriptedUI::QueueColor(TColor Color)
{
    FColorAnswers.push_back({true, Color});
}

void TScriptedUI::QueueColorCancel()
{
    FColorAnswers.push_back({false, 0});
}

std::vector<TUICall> TScriptedUI::CallsOf(TUICallKind Kind) const
{
    std::vector<TUICall> calls;
    for (const TUICall& call : FCalls)
        if (call.Kind == Kind)
            calls.push_back(call);
    return calls;
}

void TScriptedUI::ExpectNoPendingAnswers() const
{
    std::string pending;
    for (int result : FMessageBoxResults)
        pending += "\n  message box answer " + std::to_string(result);
    for (const TInputAnswer& answer : FInputAnswers)
        pending += "\n  input box answer " +
                   (answer.Confirmed ? "\"" + answer.Text + "\"" : std::string("(cancel)"));
    for (const TFileAnswer& answer : FFileAnswers)
        pending += "\n  file dialog answer " + (answer.Confirmed && !answer.Files.empty()
                                                    ? "\"" + answer.Files.front() + "\""
                                                    : std::string("(cancel)"));
    for (const TColorAnswer& answer : FColorAnswers)
        pending += "\n  colour dialog answer " +
                   (answer.Confirmed ? std::to_string(answer.Color) : std::string("(cancel)"));
    if (!pending.empty())
        ADD_FAILURE() << "Queued answers that no call asked for:" << pending;
}

// ---------------------------------------------------------------------------

int TScriptedUI::MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags)
{
    TUICall call;
    call.Kind = TUICallKind::MessageBox;
    call.Caption = Caption;
    call.Text = Text;
    call.Flags = Flags;
    int cancel = MessageBoxCancelAnswer(Flags);
    if (!NextAnswer(FMessageBoxResults, call.Result, call,
                    "Unexpected message box \"" + Caption + "\": \"" + Text + "\"")) {
        call.Result = cancel;
    } else {
        std::vector<int> buttons = MessageBoxButtons(Flags);
        if (std::find(buttons.begin(), buttons.end(), call.Result) == buttons.end()) {
            ADD_FAILURE() << "Queued answer " << call.Result << " is no button of message box \"" << Caption
                          << "\": \"" << Text << "\"";
            call.Result = cancel;
        }
    }
    FCalls.push_back(call);
    return call.Result;
}

bool TScriptedUI::InputQuery(const AnsiString& Caption, const AnsiString& Prompt, AnsiString& Value)
{
    TUICall call;
    call.Kind = TUICallKind::InputQuery;
    call.Caption = Caption;
    call.Text = Prompt;
    call.Value = Value;
    TInputAnswer answer{};
    if (NextAnswer(FInputAnswers, answer, call,
                   "Unexpected input box \"" + Caption + "\": \"" + Prompt + "\"")) {
        call.Confirmed = answer.Confirmed;
        if (answer.Confirmed)
            Value = answer.Text;
    }
    FCalls.push_back(call);
    return call.Confirmed;
}

bool TScriptedUI::FileDialog(const TFileDialogRequest& Request, TFileDialogResult& Result)
{
    TUICall call;
    call.Kind = TUICallKind::FileDialog;
    call.Caption = Request.Title;
    call.FileRequest = Request;
    TFileAnswer answer{};
    const std::string kind = Request.Save ? "save" : "open";
    if (NextAnswer(FFileAnswers, answer, call, "Unexpected " + kind + " dialog \"" + Request.Title + "\"")) {
        call.Confirmed = answer.Confirmed && !answer.Files.empty();
        if (call.Confirmed) {
            Result.Files = answer.Files;
            Result.FilterIndex = answer.FilterIndex > 0 ? answer.FilterIndex : Request.FilterIndex;
        }
    }
    FCalls.push_back(call);
    return call.Confirmed;
}

bool TScriptedUI::ColorDialog(TColor& Color)
{
    TUICall call;
    call.Kind = TUICallKind::ColorDialog;
    call.Color = Color;
    TColorAnswer answer{};
    if (NextAnswer(FColorAnswers, answer, call, "Unexpected colour dialog")) {
        call.Confirmed = answer.Confirmed;
        if (answer.Confirmed)
            Color = answer.Color;
    }
    FCalls.push_back(call);
    return call.Confirmed;
}

void TScriptedUI::Beep(unsigned Frequency, unsigned Duration)
{
    TUICall call;
    call.Kind = TUICallKind::Beep;
    call.Frequency = Frequency;
    call.Duration = Duration;
    FCalls.push_back(call);
}

void TScriptedUI::MessageBeep(unsigned Type)
{
    TUICall call;
    call.Kind = TUICallKind::MessageBeep;
    call.Flags = Type;
    FCalls.push_back(call);
}

// ---------------------------------------------------------------------------

bool TScriptedUI::ShowTrayIcon(const TTrayIconKey& Key, const TPixelBuffer& Icon, const AnsiString& Tip)
{
    TUICall call;
    call.Kind = TUICallKind::ShowTrayIcon;
    call.TrayKey = Key;
    call.Text = Tip;
    call.HasIcon = !Icon.Empty();
    call.Confirmed = FTrayAvailable;
    FCalls.push_back(call);
    if (!FTrayAvailable)
        return false;
    for (TTrayState& state : FTrayIcons)
        if (state.Key == Key) {
            state.Tip = Tip;
            return true;
        }
    FTrayIcons.push_back({Key, Tip});
    return true;
}

bool TScriptedUI::HideTrayIcon(const TTrayIconKey& Key)
{
    TUICall call;
    call.Kind = TUICallKind::HideTrayIcon;
    call.TrayKey = Key;
    FCalls.push_back(call);
    for (auto it = FTrayIcons.begin(); it != FTrayIcons.end(); ++it)
        if (it->Key == Key) {
            FTrayIcons.erase(it);
            return true;
        }
    return false;
}

bool TScriptedUI::TrayIconShown(const TTrayIconKey& Key) const
{
    return std::any_of(FTrayIcons.begin(), FTrayIcons.end(),
                       [&](const TTrayState& s) { return s.Key == Key; });
}

AnsiString TScriptedUI::TrayTip(const TTrayIconKey& Key) const
{
    for (const TTrayState& state : FTrayIcons)
        if (state.Key == Key)
            return state.Tip;
    return AnsiString();
}

void TScriptedUI::ClickTrayIcon(const TTrayIconKey& Key, UINT MouseMessage)
{
    if (!TrayIconShown(Key))
        ADD_FAILURE() << "Click on a tray icon that is not shown";
    TrayIconNotify(Key.Window, Key.ID, MouseMessage);
}

void TScriptedUI::SetStayOnTop(HWND Window, bool On)
{
    TUICall call;
    call.Kind = TUICallKind::StayOnTop;
    call.Window = Window;
    call.On = On;
    FCalls.push_back(call);
    FStayOnTop[Window] = On;
}

void TScriptedUI::SetSkipTaskbar(HWND Window, bool On)
{
    TUICall call;
    call.Kind = TUICallKind::SkipTaskbar;
    call.Window = Window;
    call.On = On;
    FCalls.push_back(call);
    FSkipTaskbar[Window] = On;
}

void TScriptedUI::BringToFront(HWND Window)
{
    TUICall call;
    call.Kind = TUICallKind::BringToFront;
    call.Window = Window;
    FCalls.push_back(call);
}

bool TScriptedUI::StayOnTop(HWND Window) const
{
    auto found = FStayOnTop.find(Window);
    return found != FStayOnTop.end() && found->second;
}

bool TScriptedUI::SkipTaskbar(HWND Window) const
{
    auto found = FSkipTaskbar.find(Window);
    return found != FSkipTaskbar.end() && found->second;
}

// ---------------------------------------------------------------------------

void TScriptedUI::SetClipboard(const std::vector<TClipboardItem>& Items)
{
    TUICall call;
    call.Kind = TUICallKind::SetClipboard;
    call.Clipboard = Items;
    FCalls.push_back(call);
    FClipboard = Items;
}

std::vector<AnsiString> TScriptedUI::ClipboardFormats()
{
    std::vector<AnsiString> formats;
    for (const TClipboardItem& item : FClipboard)
        formats.push_back(item.Mime);
    return formats;
}

bool TScriptedUI::GetClipboard(const AnsiString& Mime, AnsiString& Data)
{
    for (const TClipboardItem& item : FClipboard)
        if (item.Mime == Mime) {
            Data = item.Data;
            return true;
        }
    return false;
}
