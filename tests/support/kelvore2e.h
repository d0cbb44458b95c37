// Kelvor's end-to-end tools: the program built beside the tests, started in
// the test's folder, shell commands that must succeed, and driving its popup menu and its file dialog
// in a real X session (finding the menu's window, choosing an entry with the
// keyboard, giving the dialog a file name).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

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

// Starts the program with the settings file Ini, its output in the folder's
// "kelvor.out", and the folder as its working folder and its settings folder
// (XDG_CONFIG_HOME). The toolkit's file dialog opens in the folder it showed
// last, which it keeps in the settings folder, else in the working folder: it
// opens in the test's folder, never in one another test's dialog showed.
inline pid_t SpawnKelvor(const TempDir& dir, const std::string& ini)
{
    return SpawnProgram({KelvorProgram(), ini}, dir.File("kelvor.out"), {"XDG_CONFIG_HOME=" + dir.Path()},
                        dir.Path());
}

// The lines of one section of an ini text, up to the next section.
inline std::string IniSection(const std::string& ini, const std::string& name)
{
    const std::string head = "[" + name + "]\n";
    const size_t start = ini.find(head);
    if (start == std::string::npos)
        return std::string();
    const size_t body = start + head.size();
    const size_t end = ini.find("\n[", body);
    return ini.substr(body, end == std::string::npos ? std::string::npos : end + 1 - body);
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

// A right click at a screen point, then Down (the menu's first enabled item)
// and the further keys; false when no menu came up or a tool failed. The
// toolkit hands every key that reaches one of the program's windows to its
// open menu, in the order the keys came, but the menu takes the keyboard
// from the X server only a while after it is mapped, and until then keys go
// to the window with the focus. So the main window is given the focus first,
// as a window manager gives it to a window clicked, and no key goes
// elsewhere. The move is not synchronised: xdotool would wait in vain for
// the pointer to move when it stands at the point already, and the server
// takes the click after the move in any case.
inline bool KelvorMenuKeys(const std::string& mainWindow, int x, int y, const std::string& furtherKeys)
{
    const auto run = [](const std::string& command) { return std::system(command.c_str()) == 0; };
    if (!run("xdotool windowfocus --sync " + mainWindow))
        return false;
    if (!run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 3"))
        return false;
    if (!WaitUntil([&] { return !KelvorMenuWindow(mainWindow).empty(); }))
        return false;
    return run("xdotool key --delay 100 Down " + furtherKeys);
}

// Gives the file dialog Dialog of Program, which has the keyboard, the name
// of a file in the folder it shows, and its Return, until the dialog is gone
// (Gone); false when it stays or a tool failed. The bare name is typed, as a
// user typing in that folder does. The name field's completion list opens and
// closes as the typed text names entries or none (a folder's entries are found
// in the background), and takes and gives back the keyboard each time; while
// the program works through keys that came before such a change, the dialog may
// take the name field for one without the focus, and then keeps a folder that
// the text named selected: a whole path names every folder on it, and its
// Return opened the file's folder with an empty name. No beginning of the bare
// name names a folder, and the list opens only once, as the file's own entry.
// The list may take a Return for itself: Return goes again once the program
// has stood still with the dialog there (SendUntil), and only while the
// dialog keeps the keyboard, so that none reaches the window after it.
template <typename F>
bool EnterFileName(const std::string& dialog, const std::string& name, F gone, pid_t program)
{
    const auto run = [](const std::string& command) { return std::system(command.c_str()) == 0; };
    if (!run("xdotool key ctrl+a") || !run("xdotool type --delay 5 " + ShellQuoted(name)))
        return false;
    const auto pressReturn = [&] {
        if (CaptureOutput("xdotool getwindowfocus") == dialog)
            run("xdotool key Return");
    };
    return SendUntil(pressReturn, gone, program);
}
