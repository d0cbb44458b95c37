// Kelvor's end-to-end tools: the program built beside the tests, shell
// commands that must succeed, and driving its popup menu in a real X session
// (finding the menu's window, waiting for it to be painted, choosing an entry
// with the keyboard).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>

#include "tests/support/e2eprocess.h"
#include "tests/support/tempdir.h"
#include "tests/support/waituntil.h"

// The Kelvor program the test runs: the one built with it.
inline std::string KelvorProgram()
{
#ifdef KELVOR_BINARY
    return KELVOR_BINARY;
#else
    return OwnFolder() + "/../kelvor";
#endif
}

// Runs a shell command that must succeed.
inline void Shell(const std::string& command)
{
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// In the sanitizer build the programs report leaks at exit: those of the
// system's bus and font libraries' own caches are not ours, and are left out
// by a suppressions file written into Dir.
inline void SuppressSystemLeaks(const TempDir& dir)
{
    const std::string suppressions = dir.Write("lsan.supp", "leak:libfontconfig.so\nleak:libdbus-1.so\n");
    const char* lsan = getenv("LSAN_OPTIONS");
    setenv(
        "LSAN_OPTIONS",
        ((lsan && *lsan ? std::string(lsan) + ":" : std::string()) + "suppressions=" + suppressions).c_str(),
        1);
}

// The program's popup menu: a shown window of its class other than its main
// window; empty when none is shown.
inline std::string KelvorMenuWindow(const std::string& mainWindow)
{
    std::istringstream ids(CaptureOutput("xdotool search --onlyvisible --classname '^kelvor$'"));
    for (std::string id; ids >> id;)
        if (id != mainWindow)
            return id;
    return std::string();
}

// A checksum of what the window shows now.
inline std::string WindowImageSum(const std::string& window)
{
    return CaptureOutput("import -window " + window + " -depth 8 ppm:- 2>/dev/null | md5sum");
}

// A right click at a screen point, then Down until the menu shows an item
// chosen (it takes the keyboard a moment after it is mapped), then the
// further keys; false when no menu came up, it never took a key or a tool failed.
inline bool KelvorMenuKeys(const std::string& mainWindow, int x, int y, const std::string& furtherKeys)
{
    const auto run = [](const std::string& command) { return std::system(command.c_str()) == 0; };
    if (!run("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " click 3"))
        return false;
    std::string menu;
    if (!WaitUntil([&] { return !(menu = KelvorMenuWindow(mainWindow)).empty(); }))
        return false;
    // The menu as first painted: the same picture twice in a row.
    std::string shown = WindowImageSum(menu);
    if (!WaitUntil([&] { return shown == std::exchange(shown, WindowImageSum(menu)); }))
        return false;
    if (!WaitUntil([&] {
            return run("xdotool key Down") && WaitUntil([&] { return WindowImageSum(menu) != shown; }, 2000);
        }))
        return false;
    return furtherKeys.empty() || run("xdotool key --delay 100 " + furtherKeys);
}
