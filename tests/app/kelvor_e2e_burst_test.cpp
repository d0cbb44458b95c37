// End to end under bursts and bad settings: the real kelvor on an Xvfb display,
// driven with xdotool. A right click must bring up the popup menu while a burst
// of tens of megabytes is being shown, and a window whose saved size and place
// do not fit the screen must come up wholly on it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "tests/support/e2eprocess.h"
#include "tests/support/tempdir.h"
#include "tests/support/xvfbchild.h"

namespace {

std::string KelvorProgram()
{
#ifdef KELVOR_BINARY
    return KELVOR_BINARY;
#else
    return "kelvor";
#endif
}

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
        WaitFor(
            [this] {
                if (waitpid(FPid, &FStatus, WNOHANG) == FPid) {
                    FEnded = true;
                    return true;
                }
                return !(Window = FirstLine("xdotool search --onlyvisible --name '^Kelvor:'")).empty();
            },
            30000);
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
    if (FindProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed";
    const TXvfbRun run = RunUnderXvfb("KelvorE2EBurstChildTest." + name, 240);
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

TEST(KelvorE2EBurstTest, AWindowTooLargeAndOffTheScreenComesUpWhollyOnIt)
{
    ExpectUnderXvfb("OversizedWindow", "fits 800x600");
}

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
    // 80 MB at once, as a service that dumps its buffers; the next tick starts
    // on it, then the user clicks.
    std::string block;
    for (int i = 0; block.size() < (size_t{1} << 20); ++i)
        block += "2024-05-01 12:00:00 INFO [worker] a line of a burst written in one go " +
                 std::to_string(i) + "\n";
    const int fd = open(log.c_str(), O_WRONLY | O_APPEND);
    for (int i = 0; i < 80; ++i)
        ASSERT_EQ(write(fd, block.data(), block.size()), static_cast<ssize_t>(block.size()));
    close(fd);
    usleep(300 * 1000);
    ASSERT_EQ(std::system("xdotool mousemove 300 300 click 3"), 0);
    WriteXvfbResult(WaitFor([&] { return kelvor.MenuShown(); }, 2000) ? "menu shown" : "no menu within 2 s");
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
    WriteXvfbResult(WaitFor(fits, 5000) ? "fits 800x600"
                                        : std::to_string(left) + "," + std::to_string(top) + " " +
                                              std::to_string(width) + "x" + std::to_string(height));
}
