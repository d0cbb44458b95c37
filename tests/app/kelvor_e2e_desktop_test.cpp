// Kelvor on a desktop: the real program on an X server of its own with a window
// manager (openbox) and, where a test needs one, a tray (trayer). What the
// window manager was told is read back with xprop: which window a box belongs
// to (WM_TRANSIENT_FOR), the order the windows stack in
// (_NET_CLIENT_LIST_STACKING, bottom first) and the main window's states
// (_NET_WM_STATE). Skipped when a program the test needs is not installed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/e2eprocess.h"
#include "tests/support/kelvordesktop.h"
#include "tests/support/kelvore2e.h"
#include "tests/support/tempdir.h"
#include "tests/support/waituntil.h"
#include "tests/support/xvfbchild.h"

namespace {

class KelvorE2EDesktopTest : public KelvorDesktopTest {
protected:
    KelvorE2EDesktopTest() : KelvorDesktopTest({"Xvfb", "xdotool", "xprop", "openbox"}) {}

    void StartKelvor(const std::string& settings)
    {
        const std::string ini = FDir.Write("kelvor.ini", "[Options]\nActive=1\nSaveSettings=1\n"
                                                         "Left=300\nTop=100\nWidth=400\nHeight=300\n" +
                                                             settings);
        FKelvor = SpawnKelvor(FDir, ini);
        // Shown and managed: the window manager lists it. The window is asked
        // for anew each time: while the manager takes it over, or the program
        // sets its states, it may be off the screen for a moment or a new window.
        ASSERT_TRUE(WaitUntil(
            [&] {
                FWindow = ShownWindow("^Kelvor:");
                return !FWindow.empty() && StackPlace(FWindow) >= 0;
            },
            ProgramProgress(FKelvor)))
            << Stacking() << FDir.Read("kelvor.out");
    }

    // Ends the program as the desktop does at log-out; it writes its settings.
    void StopKelvor()
    {
        kill(FKelvor, SIGTERM);
        int status = 0;
        ASSERT_TRUE(ReapProgram(FKelvor, status, WaitDeadlineMs)) << "kelvor did not end";
        FKelvor = -1;
        EXPECT_TRUE(WIFEXITED(status)) << "kelvor ended by signal " << WTERMSIG(status) << "\n"
                                       << FDir.Read("kelvor.out");
    }

    // The window a box belongs to, as the window manager is told; 0 for none.
    unsigned long TransientFor(const std::string& window)
    {
        const std::vector<unsigned long> ids =
            WindowIds(CaptureOutput("xprop -id " + window + " WM_TRANSIENT_FOR"));
        return ids.empty() ? 0 : ids.front();
    }

    // The one shown window of this name; empty while there is none.
    std::string ShownWindow(const std::string& namePattern)
    {
        const std::vector<std::string> windows = FServer.Windows(namePattern);
        return windows.empty() ? std::string() : windows.front();
    }

    // Waits for a box or dialog of the program and checks that it belongs to
    // the main window and stacks above it.
    ::testing::AssertionResult ComesUpAboveTheMainWindow(const std::string& namePattern, std::string& box)
    {
        if (!WaitUntil([&] { return !(box = ShownWindow(namePattern)).empty(); }))
            return ::testing::AssertionFailure() << "no window " << namePattern << " showed";
        if (TransientFor(box) != IdOf(FWindow))
            return ::testing::AssertionFailure() << namePattern << " belongs to window " << TransientFor(box)
                                                 << ", not to the main window " << FWindow;
        if (!WaitUntil([&] { return StackPlace(box) > StackPlace(FWindow); }))
            return ::testing::AssertionFailure()
                   << namePattern << " stacks under the main window " << FWindow << ": " << Stacking();
        return ::testing::AssertionSuccess();
    }

    bool MenuKeys(int x, int y, const std::string& furtherKeys)
    {
        return KelvorMenuKeys(FWindow, x, y, furtherKeys);
    }

    pid_t FKelvor = -1;
    TProgramGuard FKelvorGuard{FKelvor};
    std::string FWindow;
};

TEST_F(KelvorE2EDesktopTest, TheAlreadyOpenedQuestionComesUpAboveAWindowKeptOnTop)
{
    ASSERT_NO_FATAL_FAILURE(StartDesktop(false));
    const std::string log = FDir.Write("watched.log", "");
    ASSERT_NO_FATAL_FAILURE(StartKelvor("AlwaysOnTop=1\n[TailFiles]\nFile0=" + log + "\n"));
    ASSERT_NE(CaptureOutput("xprop -id " + FWindow + " _NET_WM_STATE").find("_NET_WM_STATE_ABOVE"),
              std::string::npos)
        << "the main window is not kept above all";

    // Over the pane the first enabled item is "Recent Files", then "Add File ...".
    ASSERT_TRUE(MenuKeys(500, 250, "Down Return")) << "no popup menu";
    std::string dialog;
    ASSERT_TRUE(ComesUpAboveTheMainWindow("^Open$", dialog));
    // The file already watched goes in by its name (the dialog shows the
    // test's folder) once the dialog has the keyboard.
    ASSERT_TRUE(WaitUntil([&] {
        CaptureOutput("xdotool windowfocus " + dialog);
        return CaptureOutput("xdotool getwindowfocus") == dialog;
    }));
    ASSERT_TRUE(EnterFileName(
        dialog, "watched.log", [&] { return FServer.Windows("^Open$").empty(); }, FKelvor))
        << "the file dialog did not take the name";

    std::string box;
    ASSERT_TRUE(ComesUpAboveTheMainWindow("^Confirmation$", box));
    // Answered No: the file keeps its one pane.
    ASSERT_TRUE(SendUntil([&] { CaptureOutput("xdotool windowfocus " + box + " key Escape"); },
                          [&] { return FServer.Windows("^Confirmation$").empty(); }, FKelvor))
        << "the question did not take its answer";
    StopKelvor();
    const std::string settings = FDir.Read("kelvor.ini");
    EXPECT_EQ(IniSection(settings, "TailFiles"), "File0=" + log + "\n") << settings;
}

TEST_F(KelvorE2EDesktopTest, TrayOnlyModeKeepsTheWindowOutOfTheTaskbarFromTheStart)
{
    if (FindProgram("trayer").empty())
        GTEST_SKIP() << "trayer is not installed";
    ASSERT_NO_FATAL_FAILURE(StartDesktop(true));
    ASSERT_NO_FATAL_FAILURE(StartKelvor("ShowOnlyInSystemTray=1\n"));
    const auto states = [&] { return CaptureOutput("xprop -id " + FWindow + " _NET_WM_STATE"); };
    // The shown, managed window, asked for anew (see StartKelvor), out of the taskbar.
    const auto managedOutOfTheTaskbar = [&] {
        FWindow = ShownWindow("^Kelvor:");
        return !FWindow.empty() && StackPlace(FWindow) >= 0 &&
               states().find("_NET_WM_STATE_SKIP_TASKBAR") != std::string::npos;
    };
    EXPECT_TRUE(WaitUntil(managedOutOfTheTaskbar)) << states();

    // Minimised, the window goes; a click on the icon brings it back, still
    // out of the taskbar (a window manager drops the states of a window that
    // is taken off the screen).
    // The icon: the program's other window, the one the tray holds, shown
    // once the tray has taken it in.
    std::string icon;
    ASSERT_TRUE(WaitUntil([&] {
        std::istringstream ids(CaptureOutput("xdotool search --onlyvisible --classname '^kelvor$'"));
        for (std::string id; icon.empty() && ids >> id;)
            if (id != FWindow &&
                CaptureOutput("xprop -id " + id + " _XEMBED_INFO").find("_XEMBED_INFO(") == 0)
                icon = id;
        return !icon.empty();
    })) << "no icon in the tray";
    Shell("xdotool windowminimize " + FWindow);
    ASSERT_TRUE(WaitUntil([&] { return FServer.Windows("^Kelvor:").empty(); })) << "the window stayed";
    ASSERT_TRUE(SendUntil([&] { Shell("xdotool mousemove --window " + icon + " 5 5 click 1"); },
                          [&] { return !FServer.Windows("^Kelvor:").empty(); }, FKelvor))
        << "the icon did not bring the window back";
    // Brought to the front, the window may be a new X window.
    EXPECT_TRUE(WaitUntil(managedOutOfTheTaskbar)) << states();
    StopKelvor();
}

} // namespace
