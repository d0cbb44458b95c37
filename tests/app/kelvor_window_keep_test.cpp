// Kelvor brought to the front on a desktop: the real program on an X server of
// its own with a window manager (openbox) and, for the tray, trayer. A new
// line (with ShowOnLogEvent on and AlwaysOnTop off) and a click on the tray
// icon raise the main window above another one, and the window stays the one
// X window it was: taskbars and the boxes it owns know it by that id. What the
// window manager was told is read back with xprop (_NET_CLIENT_LIST_STACKING,
// bottom first). Skipped when a program the test needs is not installed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/e2eprocess.h"
#include "tests/support/kelvordesktop.h"
#include "tests/support/kelvore2e.h"
#include "tests/support/tempdir.h"
#include "tests/support/waituntil.h"
#include "tests/support/xvfbchild.h"

namespace {

class KelvorWindowKeepTest : public KelvorDesktopTest {
protected:
    KelvorWindowKeepTest() : KelvorDesktopTest({"Xvfb", "xdotool", "xprop", "openbox"}) {}

    // Starts a Kelvor on its own settings Name.ini; its main window's id, once
    // the window manager lists it.
    std::string StartKelvor(const std::string& name, const std::string& settings, pid_t& pid)
    {
        const std::vector<std::string> before = FServer.Windows("^Kelvor:");
        const std::string ini = FDir.Write(name + ".ini", "[Options]\nLeft=300\nTop=100\nWidth=400\n"
                                                          "Height=300\nMonitorInterval=50\n" +
                                                              settings);
        pid = SpawnProgram({KelvorProgram(), ini}, FDir.File(name + ".out"));
        std::string window;
        EXPECT_TRUE(WaitUntil(
            [&] {
                for (const std::string& id : FServer.Windows("^Kelvor:"))
                    if (std::find(before.begin(), before.end(), id) == before.end())
                        window = id;
                return !window.empty() && StackPlace(window) >= 0;
            },
            ProgramProgress(pid)))
            << FDir.Read(name + ".out");
        return window;
    }

    // Puts Other above Kelvor's window, as a click on it would.
    void RaiseOther()
    {
        ASSERT_TRUE(WaitUntil([&] {
            CaptureOutput("xdotool windowactivate " + FOther + " 2>&1");
            return StackPlace(FOther) > StackPlace(FWindow);
        })) << "the other window did not come up";
    }

    // Kelvor's window came above the other one and is the very window it was:
    // the program shows no other main window.
    ::testing::AssertionResult RaisedAsItWas()
    {
        if (!WaitUntil([&] { return StackPlace(FWindow) > StackPlace(FOther); }))
            return ::testing::AssertionFailure()
                   << "window " << FWindow << " is not above the other one (or is gone): "
                   << CaptureOutput("xprop -root _NET_CLIENT_LIST_STACKING");
        std::vector<std::string> shown = FServer.Windows("^Kelvor:");
        std::sort(shown.begin(), shown.end());
        std::vector<std::string> expected = {FWindow, FOther};
        std::sort(expected.begin(), expected.end());
        if (shown != expected)
            return ::testing::AssertionFailure() << "another window was made";
        return ::testing::AssertionSuccess();
    }

    pid_t FOtherPid = -1;
    pid_t FKelvor = -1;
    TProgramGuard FOtherGuard{FOtherPid};
    TProgramGuard FKelvorGuard{FKelvor};
    std::string FWindow;
    std::string FOther;
};

TEST_F(KelvorWindowKeepTest, ANewLineRaisesTheWindowItselfAgainAndAgain)
{
    ASSERT_NO_FATAL_FAILURE(StartDesktop(false));
    const std::string log = FDir.Write("watched.log", "");
    FWindow = StartKelvor(
        "kelvor", "Active=1\nShowOnLogEvent=1\nAlwaysOnTop=0\n[TailFiles]\nFile0=" + log + "\n", FKelvor);
    ASSERT_FALSE(FWindow.empty());
    // Another window above it: a second Kelvor that follows nothing.
    FOther = StartKelvor("other", "Active=0\n", FOtherPid);
    ASSERT_FALSE(FOther.empty());
    for (int line = 1; line <= 3; ++line) {
        SCOPED_TRACE("line " + std::to_string(line));
        ASSERT_NO_FATAL_FAILURE(RaiseOther());
        std::ofstream(log, std::ios::app) << "line " << line << "\n";
        EXPECT_TRUE(RaisedAsItWas());
    }
}

TEST_F(KelvorWindowKeepTest, AClickOnTheTrayIconRaisesTheWindowItself)
{
    if (FindProgram("trayer").empty())
        GTEST_SKIP() << "trayer is not installed";
    ASSERT_NO_FATAL_FAILURE(StartDesktop(true));
    FWindow = StartKelvor("kelvor", "Active=1\nShowOnlyInSystemTray=1\nAlwaysOnTop=0\n", FKelvor);
    ASSERT_FALSE(FWindow.empty());
    FOther = StartKelvor("other", "Active=0\n", FOtherPid);
    ASSERT_FALSE(FOther.empty());
    // The icon: a window of the program's class that the tray embeds.
    std::string icon;
    ASSERT_TRUE(WaitUntil([&] {
        std::istringstream ids(CaptureOutput("xdotool search --onlyvisible --classname '^kelvor$'"));
        for (std::string id; icon.empty() && ids >> id;)
            if (id != FWindow && id != FOther &&
                CaptureOutput("xprop -id " + id + " _XEMBED_INFO").find("_XEMBED_INFO(") == 0)
                icon = id;
        return !icon.empty();
    })) << "no icon in the tray";
    for (int click = 1; click <= 3; ++click) {
        SCOPED_TRACE("click " + std::to_string(click));
        ASSERT_NO_FATAL_FAILURE(RaiseOther());
        ASSERT_TRUE(SendUntil([&] { Shell("xdotool mousemove --window " + icon + " 5 5 click 1"); },
                              [&] { return StackPlace(FWindow) > StackPlace(FOther); }, FKelvor))
            << "the icon did not bring the window up";
        EXPECT_TRUE(RaisedAsItWas());
    }
}

} // namespace
