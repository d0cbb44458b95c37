// End to end under bursts and bad settings: the real kelvor under Xvfb, driven
// with xdotool. A right click must bring up the popup menu while a burst of
// tens of megabytes is being shown, and a window whose saved size and place
// do not fit the screen must come up wholly on it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/tempdir.h"

namespace {

std::string KelvorProgram()
{
#ifdef KELVOR_BINARY
    return KELVOR_BINARY;
#else
    return "kelvor";
#endif
}

// Runs a shell command; its standard output without the last line end.
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

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class KelvorE2EBurstTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"xvfb-run", "xdotool"})
            if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0)
                GTEST_SKIP() << tool << " is not installed";
        ASSERT_EQ(access(KelvorProgram().c_str(), X_OK), 0) << KelvorProgram();
        const std::string suppressions = Dir.Write("lsan.supp", "leak:libfontconfig.so\nleak:libdbus-1.so\n");
        setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
        StartX();
    }

    void TearDown() override
    {
        if (FKelvor > 0) {
            kill(FKelvor, SIGKILL);
            waitpid(FKelvor, nullptr, 0);
        }
        if (FXToServer >= 0) {
            close(FXToServer); // the script under xvfb-run waits on this pipe
            waitpid(FXServer, nullptr, 0);
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

    void StartKelvor(const std::string& options)
    {
        const std::string ini = Dir.Write("kelvor.ini", "[Options]\nActive=1\nAlwaysOnTop=0\n" + options);
        const std::string out = Dir.File("kelvor.out");
        FKelvor = fork();
        ASSERT_GE(FKelvor, 0);
        if (FKelvor == 0) {
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, 1);
            dup2(fd, 2);
            execl(KelvorProgram().c_str(), KelvorProgram().c_str(), ini.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_TRUE(WaitUntil(
            [] { return !Capture("xdotool search --onlyvisible --name '^Kelvor:'").empty(); }, 30000))
            << Dir.Read("kelvor.out");
        FWindow = Capture("xdotool search --onlyvisible --name '^Kelvor:' | head -n 1");
    }

    // Another window of the program is shown: the popup menu.
    bool MenuShown()
    {
        std::stringstream windows(Capture("xdotool search --onlyvisible --classname '^kelvor$'"));
        std::string window;
        while (std::getline(windows, window))
            if (window != FWindow)
                return true;
        return false;
    }

    // The window's place and size as the X server has them.
    void Geometry(int& left, int& top, int& width, int& height)
    {
        const std::string out = Capture("xdotool getwindowgeometry --shell " + FWindow);
        left = top = width = height = -1;
        std::stringstream lines(out);
        std::string line;
        while (std::getline(lines, line)) {
            const size_t eq = line.find('=');
            if (eq == std::string::npos)
                continue;
            const std::string key = line.substr(0, eq);
            const int value = std::atoi(line.c_str() + eq + 1);
            if (key == "X")
                left = value;
            else if (key == "Y")
                top = value;
            else if (key == "WIDTH")
                width = value;
            else if (key == "HEIGHT")
                height = value;
        }
    }

    TempDir Dir;
    pid_t FXServer = -1;
    int FXToServer = -1;
    pid_t FKelvor = -1;
    std::string FWindow;
};

TEST_F(KelvorE2EBurstTest, TheWindowAnswersAClickWhileABurstIsShown)
{
    const std::string log = Dir.Write("burst.log", "");
    StartKelvor("MonitorInterval=100\nPurgeAtLine=100000\nLeft=100\nTop=100\nWidth=600\nHeight=400\n"
                "[TailFiles]\nFile0=" +
                log + "\n");
    // 80 MB at once, as a service that dumps its buffers.
    std::string block;
    for (int i = 0; block.size() < (size_t{1} << 20); ++i)
        block += "2024-05-01 12:00:00 INFO [worker] a line of a burst written in one go " +
                 std::to_string(i) + "\n";
    const int fd = open(log.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 80; ++i)
        ASSERT_EQ(write(fd, block.data(), block.size()), static_cast<ssize_t>(block.size()));
    close(fd);
    // The monitor's next tick starts on the burst; then the user clicks.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(std::system("xdotool mousemove 300 300 click 3"), 0);
    EXPECT_TRUE(WaitUntil([&] { return MenuShown(); }, 2000)) << "the popup menu did not come up";
    std::system("xdotool key Escape");
    kill(FKelvor, SIGTERM);
    int status = 0;
    EXPECT_TRUE(WaitUntil([&] { return waitpid(FKelvor, &status, WNOHANG) == FKelvor; }, 20000));
    FKelvor = -1;
}

TEST_F(KelvorE2EBurstTest, AWindowTooLargeAndOffTheScreenComesUpWhollyOnIt)
{
    StartKelvor("Left=5000\nTop=-3000\nWidth=99999\nHeight=99999\n");
    int left, top, width, height;
    ASSERT_TRUE(WaitUntil(
        [&] {
            Geometry(left, top, width, height);
            return width > 0 && width <= 1024 && height <= 768;
        },
        5000))
        << left << "," << top << " " << width << "x" << height;
    EXPECT_GE(left, 0);
    EXPECT_GE(top, 0);
    EXPECT_LE(left + width, 1024);
    EXPECT_LE(top + height, 768);
}

} // namespace
