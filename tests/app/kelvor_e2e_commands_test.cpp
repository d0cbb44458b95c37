// End to end, as a user works the program: the real kelvor under Xvfb, driven
// with xdotool (a right click opens the popup menu, keys choose its items, the
// toolkit's own file dialog gets a typed path), a file dropped by a real drag
// from a small helper program, and the clipboard read back with xclip. What the
// program did is checked from outside: the clipboard, the window's title and
// the settings it writes at exit.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/tempdir.h"

namespace {

// The folder of this test program.
[[maybe_unused]] std::string OwnFolder()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
}

std::string KelvorProgram()
{
#ifdef KELVOR_BINARY
    return KELVOR_BINARY;
#else
    return OwnFolder() + "/../kelvor";
#endif
}

std::string DragHelperProgram()
{
#ifdef KELVOR_DRAG_HELPER
    return KELVOR_DRAG_HELPER;
#else
    return OwnFolder() + "/kelvor_drag_helper";
#endif
}

bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its standard output, last line end removed.
std::string Capture(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

void Shell(const std::string& command)
{
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string Quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Asks Done again and again until it holds or TimeoutMs have passed.
bool WaitUntil(const std::function<bool()>& Done, int TimeoutMs = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Starts a program with its output in LogFile.
pid_t Spawn(const std::vector<std::string>& Args, const std::string& LogFile)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(LogFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        std::vector<char*> argv;
        for (const std::string& a : Args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for a child to end; false (and the child killed) after TimeoutMs.
bool Reap(pid_t Pid, int& Status, int TimeoutMs = 10000)
{
    const bool ended = WaitUntil([&] { return waitpid(Pid, &Status, WNOHANG) == Pid; }, TimeoutMs);
    if (!ended) {
        kill(Pid, SIGKILL);
        waitpid(Pid, &Status, 0);
    }
    return ended;
}

// The lines of one section of an ini text, up to the next section.
std::string Section(const std::string& ini, const std::string& name)
{
    const std::string head = "[" + name + "]\n";
    const size_t start = ini.find(head);
    if (start == std::string::npos)
        return std::string();
    const size_t body = start + head.size();
    const size_t end = ini.find("\n[", body);
    return ini.substr(body, end == std::string::npos ? std::string::npos : end + 1 - body);
}

void Append(const std::string& path, const std::string& bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
}

class KelvorE2ECommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"xvfb-run", "xdotool", "xclip", "import"})
            if (!HaveTool(tool))
                GTEST_SKIP() << tool << " is not installed";
        ASSERT_EQ(access(KelvorProgram().c_str(), X_OK), 0) << KelvorProgram();
        // In the sanitizer build the programs report leaks at exit: those of the
        // system's bus and font libraries' own caches are not ours.
        const std::string suppressions = Dir.Write("lsan.supp", "leak:libfontconfig.so\nleak:libdbus-1.so\n");
        const char* lsan = getenv("LSAN_OPTIONS");
        setenv("LSAN_OPTIONS",
               ((lsan && *lsan ? std::string(lsan) + ":" : std::string()) + "suppressions=" + suppressions)
                   .c_str(),
               1);
        StartX();
    }

    void TearDown() override
    {
        if (FKelvor > 0) {
            kill(FKelvor, SIGKILL);
            waitpid(FKelvor, nullptr, 0);
        }
        if (FHelper > 0) {
            kill(FHelper, SIGKILL);
            waitpid(FHelper, nullptr, 0);
        }
        if (FXToServer >= 0) {
            // The script under xvfb-run reads this pipe: its end stops the server.
            close(FXToServer);
            int status = 0;
            Reap(FXServer, status);
        }
    }

    // xvfb-run with a script that reports its display and waits for our pipe.
    void StartX()
    {
        int toServer[2], fromServer[2];
        ASSERT_EQ(pipe2(toServer, O_CLOEXEC), 0);
        ASSERT_EQ(pipe2(fromServer, O_CLOEXEC), 0);
        FXServer = fork();
        ASSERT_GE(FXServer, 0);
        if (FXServer == 0) {
            dup2(toServer[0], 0);
            dup2(fromServer[1], 1);
            // Tests run side by side: each looks for a free display from its own number.
            const std::string first = std::to_string(100 + getpid() % 800);
            execlp("xvfb-run", "xvfb-run", "-a", "-n", first.c_str(), "-s", "-screen 0 1024x768x24", "sh",
                   "-c", "echo \"$DISPLAY $XAUTHORITY\"; read line", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toServer[0]);
        close(fromServer[1]);
        FXToServer = toServer[1];
        std::string line;
        char c;
        while (read(fromServer[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(fromServer[0]);
        const size_t space = line.find(' ');
        ASSERT_NE(space, std::string::npos) << "xvfb-run said: " << line;
        setenv("DISPLAY", line.substr(0, space).c_str(), 1);
        setenv("XAUTHORITY", line.substr(space + 1).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }

    // The settings file: the window at a known place, monitoring on, saved at exit.
    std::string WriteSettings(const std::string& extra = "")
    {
        return Dir.Write("kelvor.ini", "[Options]\nActive=1\nSaveSettings=1\nAlwaysOnTop=0\n"
                                       "Left=300\nTop=100\nWidth=400\nHeight=300\n" +
                                           extra);
    }

    void StartKelvor(const std::string& ini)
    {
        FKelvor = Spawn({KelvorProgram(), ini}, Dir.File("kelvor.out"));
        ASSERT_TRUE(WaitUntil(
            [] { return !Capture("xdotool search --onlyvisible --name '^Kelvor:'").empty(); }, 30000))
            << Dir.Read("kelvor.out");
        FWindow = Capture("xdotool search --onlyvisible --name '^Kelvor:' | head -n 1");
    }

    // Ends the program as the desktop does at log-out; it writes its settings.
    void StopKelvor()
    {
        kill(FKelvor, SIGTERM);
        int status = 0;
        ASSERT_TRUE(Reap(FKelvor, status)) << "kelvor did not end";
        FKelvor = -1;
        EXPECT_TRUE(WIFEXITED(status)) << "kelvor ended by signal " << WTERMSIG(status) << "\n"
                                       << Dir.Read("kelvor.out");
    }

    std::string Title() { return Capture("xdotool getwindowname " + FWindow); }

    // A window of the program other than its main window is shown: the popup
    // menu (which has no name of its own).
    bool OtherWindowShown()
    {
        const std::string windows = Capture("xdotool search --onlyvisible --classname '^kelvor$'");
        size_t start = 0;
        while (start < windows.size()) {
            size_t end = windows.find('\n', start);
            if (end == std::string::npos)
                end = windows.size();
            if (windows.substr(start, end - start) != FWindow)
                return true;
            start = end + 1;
        }
        return false;
    }

    // A right click at a screen point, then the keys once the menu is up; false
    // when no menu came up.
    bool MenuKeys(int X, int Y, const std::string& Keys)
    {
        Shell("xdotool mousemove " + std::to_string(X) + " " + std::to_string(Y) + " click 3");
        if (!WaitUntil([&] { return OtherWindowShown(); }, 3000))
            return false;
        // The menu takes the keyboard a moment after it is mapped: a key sent
        // before would go to the window and leave the menu one item short.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Shell("xdotool key --delay 100 " + Keys);
        return true;
    }

    // The colour shown at a screen point, as "#RRGGBB".
    std::string PixelAt(int X, int Y)
    {
        const std::string out = Capture("import -window root -crop 1x1+" + std::to_string(X) + "+" +
                                        std::to_string(Y) + " -depth 8 txt:- 2>/dev/null");
        const size_t hash = out.rfind('#');
        return hash == std::string::npos ? std::string() : out.substr(hash, 7);
    }

    // "Save/Copy Text" > the first enabled entry: "Copy Complete Text" while
    // nothing is selected (Recent Files, Add File, Remove, Reset come before).
    bool CopyCompleteText() { return MenuKeys(500, 250, "Down Down Down Down Down Right Return"); }

    std::string ClipboardText() { return Capture("xclip -o -selection clipboard 2>/dev/null"); }

    // Copies the pane again and again until the clipboard holds Expected (the
    // monitor shows appended text at its next poll).
    bool PaneTextBecomes(const std::string& Expected)
    {
        return WaitUntil(
            [&] {
                return CopyCompleteText() && WaitUntil([&] { return ClipboardText() == Expected; }, 1000);
            },
            20000);
    }

    TempDir Dir;
    pid_t FXServer = -1;
    int FXToServer = -1;
    pid_t FKelvor = -1;
    pid_t FHelper = -1;
    std::string FWindow;
};

TEST_F(KelvorE2ECommandsTest, AddAFileThroughTheDialogAndCopyItsPane)
{
    const std::string log = Dir.Write("watched.log", "existing content\n");
    const std::string ini = WriteSettings();
    StartKelvor(ini);

    // Over the empty window the first enabled item is "Add File ...".
    ASSERT_TRUE(MenuKeys(350, 150, "Down Return")) << "no popup menu";
    ASSERT_TRUE(WaitUntil([] { return !Capture("xdotool search --onlyvisible --name '^Open$'").empty(); }))
        << "no file dialog";
    // A slow build maps the dialog before its name field takes keys, and the
    // field's completion list may take the first Return: type the whole name
    // over whatever the field holds until the dialog accepts it.
    const auto dialogClosed = [] { return Capture("xdotool search --onlyvisible --name '^Open$'").empty(); };
    bool closed = false;
    for (int attempt = 0; attempt < 4 && !closed; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        Shell("xdotool key ctrl+a");
        Shell("xdotool type --delay 5 " + Quoted(log));
        Shell("xdotool key Return");
        closed = WaitUntil(dialogClosed, 3000);
    }
    ASSERT_TRUE(closed) << "the file dialog did not take the name\n" << Dir.Read("kelvor.out");
    // The new pane, in the settings' background colour 0xFFD7D7, fills the window.
    ASSERT_TRUE(WaitUntil([&] { return PixelAt(500, 250) == "#D7D7FF"; })) << PixelAt(500, 250);

    Append(log, "first new line\nsecond new line\n");
    EXPECT_TRUE(PaneTextBecomes("first new line\r\nsecond new line")) << "clipboard: " << ClipboardText();

    StopKelvor();
    const std::string settings = Dir.Read("kelvor.ini");
    EXPECT_EQ(Section(settings, "TailFiles"), "File0=" + log + "\n") << settings;
    EXPECT_EQ(Section(settings, "RecentFiles"), "File0=" + log + "\n") << settings;
}

TEST_F(KelvorE2ECommandsTest, AFileDraggedOntoAPaneReplacesItsFile)
{
    ASSERT_EQ(access(DragHelperProgram().c_str(), X_OK), 0) << DragHelperProgram();
    const std::string before = Dir.Write("before.log", "");
    const std::string dropped = Dir.Write("dropped.log", "existing content\n");
    StartKelvor(WriteSettings("[TailFiles]\nFile0=" + before + "\n"));
    Append(before, "line before the drop\n");
    ASSERT_TRUE(PaneTextBecomes("line before the drop")) << "clipboard: " << ClipboardText();

    // The helper's window lies at the top left corner, away from the program's.
    FHelper = Spawn({DragHelperProgram(), "kelvor-drag-source", "file://" + dropped}, Dir.File("helper.out"));
    ASSERT_TRUE(WaitUntil(
        [] { return !Capture("xdotool search --onlyvisible --name '^kelvor-drag-source$'").empty(); }));
    Shell("xdotool mousemove 60 40 mousedown 1");
    for (int step = 1; step <= 10; ++step) {
        Shell("xdotool mousemove " + std::to_string(60 + step * 44) + " " + std::to_string(40 + step * 21));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Shell("xdotool mouseup 1");
    EXPECT_TRUE(WaitUntil([&] { return Title() == "Kelvor: " + dropped; })) << "title: " << Title();
    EXPECT_TRUE(WaitUntil([&] { return Dir.Read("helper.out").find("accepted") != std::string::npos; }))
        << Dir.Read("helper.out");

    // The pane kept its text and follows the dropped file from its end.
    Append(dropped, "line after the drop\n");
    EXPECT_TRUE(PaneTextBecomes("line before the drop\r\nline after the drop"))
        << "clipboard: " << ClipboardText();

    StopKelvor();
    const std::string settings = Dir.Read("kelvor.ini");
    EXPECT_EQ(Section(settings, "TailFiles"), "File0=" + dropped + "\n") << settings;
    EXPECT_EQ(Section(settings, "RecentFiles"), "File0=" + before + "\nFile1=" + dropped + "\n") << settings;
}

} // namespace
