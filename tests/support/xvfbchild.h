// Tests on a real X server: the test program starts Xvfb, which picks a free
// display itself, and runs itself again under it, on the toolkit's X11 platform, with a filter that
// names the tests meant for the server. The child reports how far it got in a
// result file that the parent reads once the child has ended. In the child, a
// form's window is found and focused on the server, and xdotool works it as a
// user would.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>

#include "platform/controls/forms.h"
#include "tests/support/e2eprocess.h"
#include "tests/support/pumpevents.h"
#include "tests/support/waituntil.h"

// The full name of an executable file found on PATH; empty when there is none.
std::string FindProgram(const std::string& Name);

// WaitUntil under its older name.
template <typename F> bool WaitFor(F done, int timeoutMs)
{
    return WaitUntil(done, timeoutMs);
}

// Starts the Xvfb program with an 800x600 screen as StartXvfbServer does: the
// server picks its display itself (FirstDisplay is not used; callers from
// before keep compiling). The display's number (and the server's keeper in
// Pid, to be ended with StopXvfbServer), or -1.
int StartXvfb(const std::string& Xvfb, int FirstDisplay, pid_t& Pid);

// What became of the program run again under Xvfb.
struct TXvfbRun {
    bool XvfbInstalled = false;
    int Display = -1;   // the server's display; -1 when none could be started
    bool Ended = false; // the child finished (else it stood still too long and was killed)
    int Status = -1;    // the child's wait status
    std::string Result; // the first line the child reported (empty: none)
};

// Starts Xvfb when it is installed (an 800x600 screen on a display it picks
// itself, see StartXvfbServer), runs this test program under it with
// --gtest_filter=Filter, waits for it while it works (for two minutes at most
// without a step of its work, WaitCeilingMs in all) and stops the server; the
// server and the child end with this program whichever way it ends. The
// child sees InXvfbChild() true, DISPLAY naming the server (for the X tools
// it runs too) and reports through WriteXvfbResult; leak checks are off in it
// (the X libraries keep caches for the process's life; leaks are checked
// offscreen).
TXvfbRun RunUnderXvfb(const std::string& Filter);
// The same; FirstDisplay is not used (the server picks its display).
TXvfbRun RunUnderXvfb(const std::string& Filter, int FirstDisplay);

// Success when a display started and the child ran to its end with exit code 0.
::testing::AssertionResult ChildSucceeded(const TXvfbRun& Run);

// True in the program that RunUnderXvfb runs.
bool InXvfbChild();
// The child's report to the parent: one line, replacing any earlier report.
void WriteXvfbResult(const std::string& Result);

// In the child: names Form's window Caption (a name no other window on the
// server has), waits until the window shows, finds it by that name with
// xdotool and gives it the server's focus, waits until the toolkit has taken
// that focus (the form is active), then gives Focus the focus. The window's id
// goes to Window when given.
inline ::testing::AssertionResult FocusXvfbWindow(TForm* Form, const std::string& Caption, TWinControl* Focus,
                                                  std::string* Window = nullptr)
{
    Form->SetCaption(Caption);
    if (!WaitUntil([&] { return WindowExposed(Form); }, WaitDeadlineMs, PumpEvents))
        return ::testing::AssertionFailure() << "the window " << Caption << " never showed";
    // The new name reaches the server with the toolkit's next requests: the
    // window is looked for until it bears it.
    std::string Id;
    if (!WaitUntil(
            [&] {
                Id =
                    CaptureOutput("xdotool search --name " + ShellQuoted("^" + Caption + "$") + " | head -1");
                return !Id.empty();
            },
            WaitDeadlineMs, PumpEvents))
        return ::testing::AssertionFailure() << "xdotool finds no window named " << Caption;
    CaptureOutput("xdotool windowfocus --sync " + Id);
    if (!WaitUntil([&] { return Form->Active(); }, WaitDeadlineMs, PumpEvents))
        return ::testing::AssertionFailure() << "the window " << Caption << " never became active";
    Focus->SetFocus();
    if (!Focus->Focused())
        return ::testing::AssertionFailure() << "the control of " << Caption << " did not take the focus";
    if (Window)
        *Window = Id;
    return ::testing::AssertionSuccess();
}

// Runs xdotool with Args. The events reach the program's windows through the
// server, in the order they were sent, and are handled as the event loop
// runs: the caller waits for what they bring about.
inline void Xdo(const std::string& Args)
{
    CaptureOutput("xdotool " + Args);
}

// A screen point as xdotool's mousemove takes it: "X Y".
inline std::string XdoPoint(const TPoint& P)
{
    return std::to_string(P.X) + " " + std::to_string(P.Y);
}
