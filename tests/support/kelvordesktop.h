// The desktop Kelvor's end-to-end tests run it on: an X server of the test's
// own and, where a test asks for them, a window manager (openbox) and a tray
// (trayer). What the window manager was told is read back with xprop: the
// order the windows stack in (_NET_CLIENT_LIST_STACKING, bottom first).
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/e2eprocess.h"
#include "tests/support/kelvore2e.h"
#include "tests/support/tempdir.h"
#include "tests/support/waituntil.h"
#include "tests/support/xvfbchild.h"

// The window ids that xprop prints after "window id #", in its order.
inline std::vector<unsigned long> WindowIds(const std::string& xpropLine)
{
    std::vector<unsigned long> ids;
    const size_t hash = xpropLine.find('#');
    if (hash == std::string::npos)
        return ids;
    std::istringstream in(xpropLine.substr(hash + 1));
    for (std::string word; in >> word;)
        ids.push_back(std::stoul(word, nullptr, 0));
    return ids;
}

// A window id as xdotool prints it (decimal); 0 for none.
inline unsigned long IdOf(const std::string& xdotoolId)
{
    return xdotoolId.empty() ? 0 : std::stoul(xdotoolId);
}

inline std::string Stacking()
{
    return CaptureOutput("xprop -root _NET_CLIENT_LIST_STACKING");
}

// The place of a window in the stacking order, bottom first; -1 when the
// window manager does not list it.
inline int StackPlace(const std::string& window)
{
    const std::vector<unsigned long> ids = WindowIds(Stacking());
    const auto found = std::find(ids.begin(), ids.end(), IdOf(window));
    return found == ids.end() || window.empty() ? -1 : static_cast<int>(found - ids.begin());
}

// A test fixture with the desktop: skipped when one of the programs it needs
// is not installed. The programs a test starts are killed before the desktop's
// (a derived fixture's guards go before these).
class KelvorDesktopTest : public ::testing::Test {
protected:
    explicit KelvorDesktopTest(std::initializer_list<const char*> tools) : FTools(tools) {}

    void SetUp() override
    {
        for (const char* tool : FTools)
            if (FindProgram(tool).empty())
                GTEST_SKIP() << tool << " is not installed";
        ASSERT_EQ(access(KelvorProgram().c_str(), X_OK), 0) << KelvorProgram();
        ASSERT_TRUE(FServer.Running()) << "Xvfb did not start";
        SuppressSystemLeaks(FDir);
    }

    // A tray when asked for (started first: it shows its panel at once with
    // no window manager to wait for), then the window manager, which keeps
    // what it writes in the test's folder. The window manager is ready once
    // it has listed the windows it found (an empty list).
    void StartDesktop(bool withTray)
    {
        if (withTray) {
            FTray = SpawnProgram({FindProgram("trayer"), "--edge", "bottom"}, FDir.File("trayer.out"));
            ASSERT_TRUE(WaitUntil(
                [&] { return !CaptureOutput("xdotool search --onlyvisible --class '^trayer$'").empty(); },
                ProgramProgress(FTray)))
                << "no tray\n"
                << FDir.Read("trayer.out");
        }
        FManager = SpawnProgram({FindProgram("openbox")}, FDir.File("openbox.out"),
                                {"HOME=" + FDir.Path(), "XDG_CONFIG_HOME=" + FDir.Path()});
        ASSERT_TRUE(WaitUntil(
            [&] {
                return CaptureOutput("xprop -root _NET_CLIENT_LIST 2>&1").find("window id") !=
                       std::string::npos;
            },
            ProgramProgress(FManager)))
            << "openbox did not start\n"
            << FDir.Read("openbox.out");
    }

    std::vector<const char*> FTools;
    TXServer FServer;
    TempDir FDir;
    pid_t FManager = -1;
    pid_t FTray = -1;
    TProgramGuard FManagerGuard{FManager};
    TProgramGuard FTrayGuard{FTray};
};
