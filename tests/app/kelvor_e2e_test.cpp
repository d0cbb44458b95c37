// Kelvor as a user runs it: the program starts on an X server of its own (Xvfb)
// with a settings file that watches two logs and names a special word; this
// test appends lines to both logs, looks at the window's pixels from outside
// (a screenshot taken with the X tools), and ends the program with a signal,
// after which the settings file it wrote must hold the watched files.
// Skipped when Xvfb, ImageMagick's import or xdotool is not installed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/inifiles.h"
#include "tests/support/tempdir.h"

namespace {

std::string FindProgram(const std::string& Name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + Name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::string();
}

// The program under test: KELVOR_BINARY when the build names it, else the
// kelvor beside the tests' folder (build/tests/<test> -> build/kelvor).
std::string KelvorBinary()
{
#ifdef KELVOR_BINARY
    return KELVOR_BINARY;
#else
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return std::string();
    std::string self(buffer, static_cast<size_t>(n));
    self = self.substr(0, self.rfind('/'));
    return self.substr(0, self.rfind('/')) + "/kelvor";
#endif
}

template <typename F> bool WaitFor(F Done, int TimeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Starts Args with these extra environment variables; stdout and stderr go to
// Output (a file) unless it is empty, then to /dev/null. KeepFd stays open in
// the child.
pid_t Spawn(const std::vector<std::string>& Args, const std::vector<std::string>& Env,
            const std::string& Output = std::string(), int KeepFd = -1)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    for (const std::string& e : Env)
        putenv(const_cast<char*>(e.c_str()));
    const int out = open(Output.empty() ? "/dev/null" : Output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != KeepFd)
            close(fd);
    std::vector<char*> argv;
    for (const std::string& a : Args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Waits up to TimeoutMs for the process to end; true when it did.
bool WaitExit(pid_t Pid, int TimeoutMs, int* Status = nullptr)
{
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(Pid, &status, WNOHANG) == Pid; }, TimeoutMs);
    if (Status)
        *Status = status;
    return ended;
}

void Stop(pid_t Pid)
{
    if (Pid <= 0)
        return;
    kill(Pid, SIGKILL);
    waitpid(Pid, nullptr, 0);
}

// Runs a tool to its end (at most 20 s) and returns what it printed.
std::string Capture(const std::vector<std::string>& Args, const std::vector<std::string>& Env,
                    const TempDir& Dir)
{
    const std::string out = Dir.File("capture.txt");
    const pid_t pid = Spawn(Args, Env, out);
    if (!WaitExit(pid, 20000)) {
        Stop(pid);
        return std::string();
    }
    return Dir.Read(out);
}

void Append(const std::string& Path, const std::string& Text)
{
    std::ofstream(Path, std::ios::app | std::ios::binary) << Text;
}

// A P6 picture: width, height and RGB bytes.
struct TShot {
    int Width = 0;
    int Height = 0;
    std::string Pixels;
    const unsigned char* At(int x, int y) const
    {
        return reinterpret_cast<const unsigned char*>(Pixels.data()) +
               (static_cast<size_t>(y) * Width + x) * 3;
    }
};

bool ReadPpm(const std::string& Bytes, TShot& Shot)
{
    std::istringstream in(Bytes);
    std::string magic;
    int fields[3] = {0, 0, 0};
    in >> magic;
    if (magic != "P6")
        return false;
    for (int& field : fields) {
        while (in >> std::ws && in.peek() == '#')
            in.ignore(1 << 20, '\n');
        if (!(in >> field) || field <= 0)
            return false;
    }
    in.get();
    if (fields[2] != 255 || fields[0] > 10000 || fields[1] > 10000)
        return false;
    Shot.Width = fields[0];
    Shot.Height = fields[1];
    const size_t size = static_cast<size_t>(Shot.Width) * Shot.Height * 3;
    Shot.Pixels.assign(size, '\0');
    return in.read(&Shot.Pixels[0], static_cast<std::streamsize>(size)).gcount() ==
           static_cast<std::streamsize>(size);
}

bool IsRed(const unsigned char* p)
{
    return p[0] > 180 && p[1] < 90 && p[2] < 90;
}

bool IsDark(const unsigned char* p)
{
    return p[0] < 90 && p[1] < 90 && p[2] < 90;
}

// The pane background of the settings below: 0xFFD7D7 is blue 255, green and red 215.
bool IsPaneBackground(const unsigned char* p)
{
    return p[0] == 215 && p[1] == 215 && p[2] == 255;
}

class KelvorEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Xvfb = FindProgram("Xvfb");
        Import = FindProgram("import");
        Xdotool = FindProgram("xdotool");
        if (Xvfb.empty() || Import.empty() || Xdotool.empty())
            GTEST_SKIP() << "Xvfb, import (ImageMagick) or xdotool is not installed";
        Kelvor = KelvorBinary();
        ASSERT_EQ(access(Kelvor.c_str(), X_OK), 0) << "the program is not built: " << Kelvor;

        // Xvfb chooses a free display itself and names it on the pipe.
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        ServerPid = Spawn(
            {Xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
            {}, std::string(), fds[1]);
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        Display = "DISPLAY=:" + number;
    }

    void TearDown() override
    {
        Stop(ProgramPid);
        Stop(ServerPid);
    }

    std::vector<std::string> XEnv() const { return {Display}; }

    // The program's window, once it is shown; empty when it never shows.
    std::string FindWindow()
    {
        std::string id;
        WaitFor(
            [&] {
                std::istringstream ids(
                    Capture({Xdotool, "search", "--onlyvisible", "--name", "^Kelvor:"}, XEnv(), Dir));
                return static_cast<bool>(ids >> id);
            },
            20000);
        return id;
    }

    bool Screenshot(const std::string& Window, TShot& Shot)
    {
        const std::string file = Dir.File("shot.ppm");
        unlink(file.c_str());
        Capture({Import, "-window", Window, "-depth", "8", "ppm:" + file}, XEnv(), Dir);
        return ReadPpm(Dir.Read(file), Shot);
    }

    std::string Xvfb, Import, Xdotool, Kelvor, Display;
    pid_t ServerPid = -1;
    pid_t ProgramPid = -1;
    TempDir Dir;
};

TEST_F(KelvorEndToEndTest, WatchesTwoLogsColoursTheSpecialWordAndSavesTheFilesAtExit)
{
    const std::string plainLog = Dir.Write("plain.log", "existing text is never shown\n");
    const std::string alarmLog = Dir.Write("alarm.log", "");
    const std::string ini =
        Dir.Write("kelvor.ini", "[Options]\nActive=1\nMonitorInterval=100\nSaveSettings=1\n"
                                "FontName=DejaVu Sans Mono\nFontSize=12\n"
                                "Left=0\nTop=0\nWidth=600\nHeight=400\nPurgeAtLine=0\n"
                                "[SpecialWords]\nSpecialWord1=ALARM\nSpecialColor1=255\n"
                                "[TailFiles]\nFile0=" +
                                    plainLog + "\nFile1=" + alarmLog + "\n");
    ProgramPid = Spawn({Kelvor, ini}, {Display, "QT_QPA_PLATFORM=xcb"}, Dir.File("kelvor.out"));
    const std::string window = FindWindow();
    ASSERT_FALSE(window.empty()) << "no window; the program said:\n" << Dir.Read("kelvor.out");

    for (int i = 0; i < 8; ++i)
        Append(plainLog, "an ordinary line number " + std::to_string(i) + "\n");
    Append(alarmLog, "ALARM: the disk is full\nALARM: and again\n");

    // The lines arrive at the next polls; the pixels tell when.
    TShot shot;
    auto red = [&] {
        if (!Screenshot(window, shot))
            return false;
        for (int y = 0; y < shot.Height; ++y)
            for (int x = 0; x < shot.Width; ++x)
                if (IsRed(shot.At(x, y)))
                    return true;
        return false;
    };
    ASSERT_TRUE(WaitFor(red, 20000)) << "no text in the special word's colour; the program said:\n"
                                     << Dir.Read("kelvor.out");

    // Two panes one above the other: the red text lies in one half, the
    // ordinary (black) text in the other, and both panes show their background.
    const int middle = shot.Height / 2;
    int redAbove = 0, redBelow = 0, darkAbove = 0, darkBelow = 0, backAbove = 0, backBelow = 0;
    for (int y = 0; y < shot.Height; ++y)
        for (int x = 0; x < shot.Width; ++x) {
            const unsigned char* p = shot.At(x, y);
            const bool above = y<middle - 4, below = y> middle + 4;
            if (IsRed(p) && (above || below))
                (above ? redAbove : redBelow) += 1;
            if (IsDark(p) && (above || below))
                (above ? darkAbove : darkBelow) += 1;
            if (IsPaneBackground(p))
                (above ? backAbove : backBelow) += 1;
        }
    EXPECT_GT(backAbove, 0);
    EXPECT_GT(backBelow, 0);
    EXPECT_TRUE((redAbove > 0 && redBelow == 0 && darkBelow > 0 && darkAbove == 0) ||
                (redBelow > 0 && redAbove == 0 && darkAbove > 0 && darkBelow == 0))
        << "red above " << redAbove << ", below " << redBelow << "; dark above " << darkAbove << ", below "
        << darkBelow;

    // A termination signal closes the window normally: the settings are written.
    ASSERT_EQ(kill(ProgramPid, SIGTERM), 0);
    const bool ended = WaitExit(ProgramPid, 20000);
    if (ended)
        ProgramPid = -1;
    ASSERT_TRUE(ended) << "the program did not end; it said:\n" << Dir.Read("kelvor.out");
    TIniFile saved(ini);
    EXPECT_EQ(saved.ReadString("TailFiles", "File0", ""), plainLog);
    EXPECT_EQ(saved.ReadString("TailFiles", "File1", ""), alarmLog);
    EXPECT_EQ(saved.ReadString("SpecialWords", "SpecialWord1", ""), "ALARM");
    EXPECT_EQ(saved.ReadString("Options", "Active", ""), "1");
}

} // namespace
