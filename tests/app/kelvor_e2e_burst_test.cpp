// End to end under bursts and bad settings: the real kelvor on an Xvfb display,
// driven with xdotool. A right click must bring up the popup menu while a burst
// of tens of megabytes is being shown and while another program writes 200 MB
// in one call, and a window whose saved size and place do not fit the screen
// must come up wholly on it. How quickly the window answers is measured by
// bench/kelvor_bench; here the test waits for the answer to show.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/e2eprocess.h"
#include "tests/support/kelvore2e.h"
#include "tests/support/tempdir.h"
#include "tests/support/xvfbchild.h"

namespace {

// Kelvor started on the display with these options; its main window's id.
class TKelvorRun {
public:
    TKelvorRun(const TempDir& dir, const std::string& options)
    {
        const std::string ini = dir.Write("kelvor.ini", "[Options]\nActive=1\nAlwaysOnTop=0\n" + options);
        FPid = fork();
        if (FPid == 0) {
            const int fd = open("/dev/null", O_WRONLY);
            dup2(fd, 1);
            dup2(fd, 2);
            execl(KelvorProgram().c_str(), KelvorProgram().c_str(), ini.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Stop waiting when the program has ended, and say how it ended.
        WaitUntil(
            [this] {
                if (waitpid(FPid, &FStatus, WNOHANG) == FPid) {
                    FEnded = true;
                    return true;
                }
                return !(Window = FirstLine("xdotool search --onlyvisible --name '^Kelvor:'")).empty();
            },
            ProgramProgress(FPid));
    }
    // Why no window was found, for the failure message.
    std::string WhyNoWindow() const
    {
        if (!FEnded)
            return "kelvor runs but shows no window";
        return WIFSIGNALED(FStatus) ? "kelvor ended by signal " + std::to_string(WTERMSIG(FStatus))
                                    : "kelvor exited with " + std::to_string(WEXITSTATUS(FStatus));
    }
    ~TKelvorRun()
    {
        if (!FEnded) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
        }
    }
    static std::string FirstLine(const std::string& command)
    {
        std::string line;
        std::getline(std::stringstream(CaptureOutput(command)) >> std::ws, line);
        return line;
    }
    // The program's work, for a wait on what it shows.
    TProgress Progress() const { return ProgramProgress(FPid); }
    // Another window of the program is shown: the popup menu.
    bool MenuShown() const
    {
        std::stringstream windows(CaptureOutput("xdotool search --onlyvisible --classname '^kelvor$'"));
        std::string window;
        while (std::getline(windows, window))
            if (window != Window)
                return true;
        return false;
    }

    std::string Window;

private:
    pid_t FPid = -1;
    bool FEnded = false;
    int FStatus = 0;
};

// Runs the child test Name under Xvfb and expects it to report Expected.
void ExpectUnderXvfb(const std::string& name, const std::string& expected)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xdotool").empty() || FindProgram("xwd").empty())
        GTEST_SKIP() << "xdotool or xwd is not installed";
    const TXvfbRun run = RunUnderXvfb("KelvorE2EBurstChildTest." + name);
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, expected);
}

} // namespace

TEST(KelvorE2EBurstTest, TheWindowAnswersAClickWhileABurstIsShown)
{
    ExpectUnderXvfb("ClickDuringABurst", "menu shown");
}

TEST(KelvorE2EBurstTest, TheWindowAnswersAClickDuringOneLargeWrite)
{
    ExpectUnderXvfb("ClickDuringOneLargeWrite", "menu shown");
}

TEST(KelvorE2EBurstTest, AWindowTooLargeAndOffTheScreenComesUpWhollyOnIt)
{
    ExpectUnderXvfb("OversizedWindow", "fits 800x600");
}

namespace {

// The lines of a burst: Megabytes of numbered log lines.
std::string BurstLines(int megabytes)
{
    std::string lines;
    lines.reserve((size_t(megabytes) << 20) + 128);
    for (int i = 0; lines.size() < (size_t(megabytes) << 20); ++i)
        lines += "2024-05-01 12:00:00 INFO [worker] a line of a burst written in one go " +
                 std::to_string(i) + "\n";
    return lines;
}

// What the window shows now, as a digest of its pixels; empty when no
// picture of it could be taken.
std::string ScreenOf(const std::string& window)
{
    const std::string digest = CaptureOutput("xwd -silent -id " + window + " 2>/dev/null | md5sum");
    // The digest of nothing at all.
    return digest.rfind("d41d8cd98f00b204e9800998ecf8427e", 0) == 0 ? std::string() : digest;
}

} // namespace

TEST(KelvorE2EBurstChildTest, ClickDuringABurst)
{
    if (!InXvfbChild())
        GTEST_SKIP() << "runs under the Xvfb test";
    TempDir dir;
    const std::string log = dir.Write("burst.log", "");
    TKelvorRun kelvor(dir,
                      "MonitorInterval=100\nPurgeAtLine=100000\nLeft=100\nTop=100\nWidth=500\nHeight=400\n"
                      "[TailFiles]\nFile0=" +
                          log + "\n");
    ASSERT_FALSE(kelvor.Window.empty()) << kelvor.WhyNoWindow();
    ASSERT_TRUE(WaitUntil([&] { return !ScreenOf(kelvor.Window).empty(); }, kelvor.Progress()));
    const std::string before = ScreenOf(kelvor.Window);
    // 80 MB at once, as a service that dumps its buffers; once the pane shows
    // some of it, the user clicks.
    const std::string block = BurstLines(1);
    const int fd = open(log.c_str(), O_WRONLY | O_APPEND);
    for (int i = 0; i < 80; ++i)
        ASSERT_EQ(write(fd, block.data(), block.size()), static_cast<ssize_t>(block.size()));
    close(fd);
    ASSERT_TRUE(WaitUntil([&] { return ScreenOf(kelvor.Window) != before; }, kelvor.Progress()))
        << "the burst is never shown";
    ASSERT_EQ(std::system("xdotool mousemove 300 300 click 3"), 0);
    // The menu comes while the burst is shown: a time, not the program's work.
    WriteXvfbResult(WaitFor([&] { return kelvor.MenuShown(); }, WaitDeadlineMs) ? "menu shown" : "no menu");
}

// Another program writes 200 MB in one write() call, during which the file
// system holds the file for the writer; a click on the window meanwhile is
// answered.
TEST(KelvorE2EBurstChildTest, ClickDuringOneLargeWrite)
{
    if (!InXvfbChild())
        GTEST_SKIP() << "runs under the Xvfb test";
    TempDir dir;
    const std::string log = dir.Write("single.log", "");
    TKelvorRun kelvor(dir,
                      "MonitorInterval=50\nPurgeAtLine=100000\nLeft=100\nTop=100\nWidth=500\nHeight=400\n"
                      "[TailFiles]\nFile0=" +
                          log + "\n");
    ASSERT_FALSE(kelvor.Window.empty()) << kelvor.WhyNoWindow();
    const std::string lines = BurstLines(200);
    std::atomic<ssize_t> written{-2};
    std::thread writer([&] {
        const int fd = open(log.c_str(), O_WRONLY | O_APPEND);
        written = fd >= 0 ? write(fd, lines.data(), lines.size()) : -1;
        if (fd >= 0)
            close(fd);
    });
    // The write has begun once the file grows.
    const auto grown = [&] {
        struct stat info;
        return written != -2 || (stat(log.c_str(), &info) == 0 && info.st_size > 0);
    };
    const bool began = WaitFor(grown, WaitDeadlineMs);
    const int clicked = std::system("xdotool mousemove 300 300 click 3");
    const bool menu = WaitFor([&] { return kelvor.MenuShown(); }, WaitDeadlineMs);
    writer.join();
    ASSERT_TRUE(began);
    ASSERT_EQ(clicked, 0);
    ASSERT_EQ(written, static_cast<ssize_t>(lines.size()));
    WriteXvfbResult(menu ? "menu shown" : "no menu");
}

TEST(KelvorE2EBurstChildTest, OversizedWindow)
{
    if (!InXvfbChild())
        GTEST_SKIP() << "runs under the Xvfb test";
    TempDir dir;
    TKelvorRun kelvor(dir, "Left=5000\nTop=-3000\nWidth=99999\nHeight=99999\n");
    ASSERT_FALSE(kelvor.Window.empty()) << kelvor.WhyNoWindow();
    int left = -1, top = -1, width = -1, height = -1;
    const auto fits = [&] {
        std::stringstream lines(CaptureOutput("xdotool getwindowgeometry --shell " + kelvor.Window));
        std::string line;
        while (std::getline(lines, line)) {
            const std::string key = line.substr(0, line.find('='));
            const int value = std::atoi(line.c_str() + key.size() + 1);
            for (auto [name, field] :
                 {std::pair{"X", &left}, {"Y", &top}, {"WIDTH", &width}, {"HEIGHT", &height}})
                if (key == name)
                    *field = value;
        }
        return width > 0 && left >= 0 && top >= 0 && left + width <= 800 && top + height <= 600;
    };
    WriteXvfbResult(WaitFor(fits, WaitDeadlineMs) ? "fits 800x600"
                                                  : std::to_string(left) + "," + std::to_string(top) + " " +
                                                        std::to_string(width) + "x" + std::to_string(height));
}
