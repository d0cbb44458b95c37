// End to end, as a user works the program: the real kelvor under Xvfb, driven
// with xdotool (a right click opens the popup menu, keys choose its items, the
// toolkit's own file dialog gets a file's typed name, a double click resumes a
// pane), a file dropped by a real drag from a small helper program, a log on
// a FUSE mount (bindfs) whose daemon dies, and the clipboard read back with
// xclip. What the program did is checked from outside: the clipboard, the
// window's title, a pane's colour and the settings it writes at exit. Every
// step waits for what it brings about.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
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

std::string DragHelperProgram()
{
#ifdef KELVOR_DRAG_HELPER
    return KELVOR_DRAG_HELPER;
#else
    return OwnFolder() + "/kelvor_drag_helper";
#endif
}

void Append(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::app | std::ios::binary) << bytes;
}

// The device of what a path names: another one once a file system is mounted
// on a folder; 0 when it cannot be had (a FUSE mount whose daemon is gone).
dev_t DeviceOf(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_dev : 0;
}

// The program that unmounts FUSE file systems; empty when none is installed.
std::string FuseUnmounter()
{
    for (const char* name : {"fusermount3", "fusermount"})
        if (!FindProgram(name).empty())
            return FindProgram(name);
    return std::string();
}

// A bindfs mount of Source on Target, its daemon a child of the test kept in
// the foreground, so that it can be killed as a crash would end it: the open
// files and the names under Target then fail with "Transport endpoint is not
// connected" until the dead mount is unmounted. The kernel keeps no sizes of
// its files (attr_timeout=0), as a network file system that asks its server
// each time: an open file fails as soon as the daemon is gone, not up to a
// second later (a mount made again within that second would be another file
// under the name to a paused pane). The destructor kills the daemon and
// unmounts lazily (a dead mount can be unmounted no other way, and a program
// may still hold a file of it), however the test ends. What bindfs says goes
// to Dir's "bindfs.out".
class TBindMount {
public:
    TBindMount(const TempDir& dir, std::string source, std::string target)
        : FDir(dir), FSource(std::move(source)), FTarget(std::move(target))
    {}
    ~TBindMount()
    {
        KillDaemon();
        Unmount();
    }
    TBindMount(const TBindMount&) = delete;
    TBindMount& operator=(const TBindMount&) = delete;

    // Mounts and waits until Target shows Source; false, with what bindfs
    // said in Why, when bindfs ended without mounting (the mount refused, as
    // where the test may not mount) or did not mount in time.
    bool Mount(std::string& why)
    {
        const dev_t folder = DeviceOf(FTarget);
        FMounted = true;
        FDaemon = SpawnProgram({FindProgram("bindfs"), "-f", "-o", "attr_timeout=0", FSource, FTarget},
                               FDir.File("bindfs.out"));
        const auto mounted = [&] {
            const dev_t now = DeviceOf(FTarget);
            return now != 0 && now != folder;
        };
        bool ended = false;
        WaitUntil([&] { return mounted() || (ended = waitpid(FDaemon, nullptr, WNOHANG) == FDaemon); });
        if (ended)
            FDaemon = -1;
        else if (mounted())
            return true;
        KillDaemon();
        Unmount();
        why = FDir.Read("bindfs.out");
        return false;
    }
    void KillDaemon() { KillProgram(FDaemon); }
    void Unmount()
    {
        if (std::exchange(FMounted, false))
            std::system((ShellQuoted(FuseUnmounter()) + " -u -z " + ShellQuoted(FTarget) + " >/dev/null 2>&1")
                            .c_str());
    }

private:
    const TempDir& FDir;
    std::string FSource;
    std::string FTarget;
    pid_t FDaemon = -1;
    bool FMounted = false;
};

class KelvorE2ECommandsTest : public KelvorDesktopTest {
protected:
    KelvorE2ECommandsTest() : KelvorDesktopTest({"Xvfb", "xdotool", "xclip", "import"}) {}

    // The settings file: the window at a known place, monitoring on, saved at exit.
    std::string WriteSettings(const std::string& extra = "")
    {
        return FDir.Write("kelvor.ini", "[Options]\nActive=1\nSaveSettings=1\nAlwaysOnTop=0\n"
                                        "Left=300\nTop=100\nWidth=400\nHeight=300\n" +
                                            extra);
    }

    void StartKelvor(const std::string& ini)
    {
        FKelvor = SpawnKelvor(FDir, ini);
        // Asked for until shown (and kept as it was found: it may be off the
        // screen again for a moment), while the program starts.
        ASSERT_TRUE(WaitUntil(
            [&] {
                const std::vector<std::string> windows = FServer.Windows("^Kelvor:");
                FWindow = windows.empty() ? std::string() : windows.front();
                return !FWindow.empty();
            },
            ProgramProgress(FKelvor)))
            << FDir.Read("kelvor.out");
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

    std::string Title() { return CaptureOutput("xdotool getwindowname " + FWindow); }

    bool MenuKeys(int x, int y, const std::string& furtherKeys)
    {
        return KelvorMenuKeys(FWindow, x, y, furtherKeys);
    }

    // "Save/Copy Text" > the first enabled entry: "Copy Complete Text" while
    // nothing is selected (Recent Files, Add File, Remove, Reset come before).
    bool CopyCompleteText() { return MenuKeys(500, 250, "Down Down Down Down Right Return"); }

    std::string ClipboardText() { return CaptureOutput("xclip -o -selection clipboard 2>/dev/null"); }

    // Copies the pane until the clipboard holds expected (the monitor shows
    // appended text at its next poll). Each copy is read once it has replaced
    // a mark that xclip put on the clipboard before it.
    bool PaneTextBecomes(const std::string& expected)
    {
        const std::string mark = "no copy yet";
        const auto copied = [&] {
            if (std::system(
                    ("printf %s " + ShellQuoted(mark) + " | xclip -selection clipboard -i >/dev/null 2>&1")
                        .c_str()) != 0 ||
                !WaitUntil([&] { return ClipboardText() == mark; }))
                return false;
            return CopyCompleteText() &&
                   WaitUntil([&] { return ClipboardText() != mark; }, ProgramProgress(FKelvor));
        };
        return WaitUntil([&] { return copied() && ClipboardText() == expected; });
    }

    // The colour shown at a screen point, as "#RRGGBB".
    std::string PixelAt(int x, int y)
    {
        const std::string out = CaptureOutput("import -window root -crop 1x1+" + std::to_string(x) + "+" +
                                              std::to_string(y) + " -depth 8 txt:- 2>/dev/null");
        const size_t hash = out.rfind('#');
        return hash == std::string::npos ? std::string() : out.substr(hash, 7);
    }

    // Whether the drag helper has said these words, on a line of their own.
    bool HelperSaid(const std::string& words)
    {
        std::istringstream lines(FDir.Read("helper.out"));
        for (std::string line; std::getline(lines, line);)
            if (line == words)
                return true;
        return false;
    }

    pid_t FKelvor = -1;
    pid_t FHelper = -1;
    TProgramGuard FKelvorGuard{FKelvor};
    TProgramGuard FHelperGuard{FHelper};
    std::string FWindow;
};

TEST_F(KelvorE2ECommandsTest, AddAFileThroughTheDialogAndCopyItsPane)
{
    const std::string log = FDir.Write("watched.log", "existing content\n");
    const std::string ini = WriteSettings();
    StartKelvor(ini);

    // Over the empty window the first enabled item is "Add File ...".
    ASSERT_TRUE(MenuKeys(350, 150, "Return")) << "no popup menu";
    std::string dialog;
    ASSERT_TRUE(WaitUntil([&] {
        const auto windows = FServer.Windows("^Open$");
        dialog = windows.empty() ? std::string() : windows.front();
        return !dialog.empty();
    })) << "no file dialog";
    // The name goes in (the dialog shows the test's folder) once the dialog
    // has the keyboard.
    ASSERT_TRUE(WaitUntil([&] { return CaptureOutput("xdotool getwindowfocus") == dialog; }));
    ASSERT_TRUE(EnterFileName(
        dialog, "watched.log", [&] { return FServer.Windows("^Open$").empty(); }, FKelvor))
        << "the file dialog did not take the name\n"
        << FDir.Read("kelvor.out");
    // The new pane, in the settings' background colour 0xFFD7D7, fills the window.
    ASSERT_TRUE(WaitUntil([&] { return PixelAt(500, 250) == "#D7D7FF"; })) << PixelAt(500, 250);

    Append(log, "first new line\nsecond new line\n");
    EXPECT_TRUE(PaneTextBecomes("first new line\nsecond new line")) << "clipboard: " << ClipboardText();

    StopKelvor();
    const std::string settings = FDir.Read("kelvor.ini");
    EXPECT_EQ(IniSection(settings, "TailFiles"), "File0=" + log + "\n") << settings;
    EXPECT_EQ(IniSection(settings, "RecentFiles"), "File0=" + log + "\n") << settings;
}

TEST_F(KelvorE2ECommandsTest, AFileDraggedOntoAPaneReplacesItsFile)
{
    ASSERT_EQ(access(DragHelperProgram().c_str(), X_OK), 0) << DragHelperProgram();
    const std::string before = FDir.Write("before.log", "");
    const std::string dropped = FDir.Write("dropped.log", "existing content\n");
    StartKelvor(WriteSettings("[TailFiles]\nFile0=" + before + "\n"));
    Append(before, "line before the drop\n");
    ASSERT_TRUE(PaneTextBecomes("line before the drop")) << "clipboard: " << ClipboardText();

    // The helper's window lies at the top left corner, away from the program's.
    FHelper = SpawnProgram({DragHelperProgram(), "kelvor-drag-source", "file://" + dropped},
                           FDir.File("helper.out"));
    ASSERT_TRUE(WaitUntil([&] { return HelperSaid("shown"); })) << FDir.Read("helper.out");
    Shell("xdotool mousemove --sync 60 40 mousedown 1");
    ASSERT_TRUE(WaitUntil([&] { return HelperSaid("drag begun"); })) << FDir.Read("helper.out");
    // Over the bare screen above the program's window, where nothing answers.
    for (int x = 100; x <= 500; x += 50)
        Shell("xdotool mousemove --sync " + std::to_string(x) + " 40");
    // Into the pane in one move, so that the program's first answer is its
    // answer to the drag's last position; the release waits for it. The
    // program is held still meanwhile, as a loaded machine may hold it: a
    // release sent before its answer would end the drag unaccepted.
    ASSERT_EQ(kill(FKelvor, SIGSTOP), 0);
    Shell("xdotool mousemove --sync 500 250");
    ASSERT_EQ(kill(FKelvor, SIGCONT), 0);
    ASSERT_TRUE(WaitUntil([&] { return HelperSaid("target accepts"); })) << FDir.Read("helper.out");
    Shell("xdotool mouseup 1");
    EXPECT_TRUE(WaitUntil([&] { return Title() == "Kelvor: " + dropped; })) << "title: " << Title();
    EXPECT_TRUE(WaitUntil([&] { return HelperSaid("accepted"); })) << FDir.Read("helper.out");

    // The pane kept its text and follows the dropped file from its end.
    Append(dropped, "line after the drop\n");
    EXPECT_TRUE(PaneTextBecomes("line before the drop\nline after the drop"))
        << "clipboard: " << ClipboardText();

    StopKelvor();
    const std::string settings = FDir.Read("kelvor.ini");
    EXPECT_EQ(IniSection(settings, "TailFiles"), "File0=" + dropped + "\n") << settings;
    EXPECT_EQ(IniSection(settings, "RecentFiles"), "File0=" + before + "\nFile1=" + dropped + "\n")
        << settings;
}

// A log on a FUSE mount whose daemon dies: its open file fails for good, and
// the pane is paused with an error box. Once the mount is made again, one
// double click resumes the pane, which opens the log by its name and goes on
// from where it was: the lines written meanwhile show. Skipped where FUSE,
// bindfs or an unmounter is missing, or the mount is refused.
TEST_F(KelvorE2ECommandsTest, APaneWhoseMountDiedFollowsItsLogAgainAfterADoubleClick)
{
    struct stat fuse;
    if (stat("/dev/fuse", &fuse) != 0)
        GTEST_SKIP() << "/dev/fuse is missing";
    if (FindProgram("bindfs").empty() || FuseUnmounter().empty())
        GTEST_SKIP() << "bindfs or fusermount is not installed";
    const std::string source = FDir.File("source");
    const std::string target = FDir.File("mount");
    ASSERT_EQ(mkdir(source.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(target.c_str(), 0700), 0);
    FDir.Write("source/app.log", "existing content\n");
    TBindMount mount(FDir, source, target);
    std::string refused;
    if (!mount.Mount(refused))
        GTEST_SKIP() << "bindfs could not mount: " << refused;
    const std::string log = target + "/app.log";
    StartKelvor(WriteSettings("MonitorInterval=100\n[TailFiles]\nFile0=" + log + "\n"));
    Append(log, "before the failure\n");
    ASSERT_TRUE(PaneTextBecomes("before the failure")) << "clipboard: " << ClipboardText();

    // The pane's corner, away from its text and from a box over the window.
    const int x = 320;
    const int y = 370;
    const std::string active = "#D7D7FF";
    const std::string paused = "#C0C0C0";
    ASSERT_EQ(PixelAt(x, y), active);
    mount.KillDaemon();
    std::string box;
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<std::string> boxes = FServer.Windows("^Error$");
        box = boxes.empty() ? std::string() : boxes.front();
        return !box.empty();
    })) << "no error box\n"
        << FDir.Read("kelvor.out");
    EXPECT_TRUE(WaitUntil([&] { return PixelAt(x, y) == paused; })) << PixelAt(x, y);
    ASSERT_TRUE(SendUntil([&] { CaptureOutput("xdotool windowfocus " + box + " key Return"); },
                          [&] { return FServer.Windows("^Error$").empty(); }, FKelvor))
        << "the box stayed";

    mount.Unmount();
    ASSERT_TRUE(mount.Mount(refused)) << "bindfs could not mount again: " << refused;
    Append(log, "after the remount\n");
    // The double click is sent again only when it was not taken (two clicks).
    ASSERT_TRUE(SendUntil(
        [&] {
            Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click --repeat 2 1");
        },
        [&] { return PixelAt(x, y) == active || !FServer.Windows("^Error$").empty(); }, FKelvor))
        << PixelAt(x, y);
    EXPECT_TRUE(PaneTextBecomes("before the failure\nafter the remount")) << "clipboard: " << ClipboardText();
    EXPECT_TRUE(FServer.Windows("^Error$").empty()) << "the resumed pane failed again";
    StopKelvor();
}

} // namespace
