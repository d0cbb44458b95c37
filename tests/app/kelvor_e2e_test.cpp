// Kelvor as a user runs it: the program starts on an X server of its own with a
// settings file that watches two logs and names a special word; the test
// appends lines to both logs, looks at the window's pixels from outside (a
// screenshot taken with the X tools), and ends the program with a signal,
// after which the settings file it wrote must hold the watched files. Skipped
// when Xvfb, ImageMagick's import or xdotool is not installed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/core/inifiles.h"
#include "tests/support/e2eprocess.h"
#include "tests/support/kelvore2e.h"
#include "tests/support/tempdir.h"
#include "tests/support/waituntil.h"
#include "tests/support/xvfbchild.h"

namespace {

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

bool ReadPpm(const std::string& bytes, TShot& shot)
{
    std::istringstream in(bytes);
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
    shot.Width = fields[0];
    shot.Height = fields[1];
    const size_t size = static_cast<size_t>(shot.Width) * shot.Height * 3;
    shot.Pixels.assign(size, '\0');
    return in.read(&shot.Pixels[0], static_cast<std::streamsize>(size)).gcount() ==
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

TEST(KelvorEndToEndTest, WatchesTwoLogsColoursTheSpecialWordAndSavesTheFilesAtExit)
{
    if (FindProgram("Xvfb").empty() || FindProgram("import").empty() || FindProgram("xdotool").empty())
        GTEST_SKIP() << "Xvfb, import (ImageMagick) or xdotool is not installed";
    const std::string kelvor = KelvorProgram();
    ASSERT_EQ(access(kelvor.c_str(), X_OK), 0) << "the program is not built: " << kelvor;
    TXServer server;
    ASSERT_TRUE(server.Running()) << "Xvfb did not start";
    TempDir dir;
    const std::string plainLog = dir.Write("plain.log", "existing text is never shown\n");
    const std::string alarmLog = dir.Write("alarm.log", "");
    const std::string ini =
        dir.Write("kelvor.ini", "[Options]\nActive=1\nMonitorInterval=100\nSaveSettings=1\n"
                                "FontName=DejaVu Sans Mono\nFontSize=12\n"
                                "Left=0\nTop=0\nWidth=600\nHeight=400\nPurgeAtLine=0\n"
                                "[SpecialWords]\nSpecialWord1=ALARM\nSpecialColor1=255\n"
                                "[TailFiles]\nFile0=" +
                                    plainLog + "\nFile1=" + alarmLog + "\n");
    pid_t program = SpawnProgram({kelvor, ini}, dir.File("kelvor.out"));
    TProgramGuard guard{program};
    std::string window;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto windows = server.Windows("^Kelvor:");
            window = windows.empty() ? std::string() : windows.front();
            return !window.empty();
        },
        ProgramProgress(program)))
        << "no window; the program said:\n"
        << dir.Read("kelvor.out");

    for (int i = 0; i < 8; ++i)
        std::ofstream(plainLog, std::ios::app) << "an ordinary line number " << i << "\n";
    std::ofstream(alarmLog, std::ios::app) << "ALARM: the disk is full\nALARM: and again\n";

    // The lines arrive at the next polls, one pane at a time; the pixels tell
    // when. Two panes one above the other: the red text lies in one half, the
    // ordinary (black) text in the other, and both panes show their background.
    TShot shot;
    int red[2] = {0, 0}, dark[2] = {0, 0}, back[2] = {0, 0}; // above, below
    auto bothShown = [&] {
        const std::string file = dir.File("shot.ppm");
        unlink(file.c_str());
        CaptureOutput("import -window " + window + " -depth 8 ppm:" + ShellQuoted(file) + " 2>/dev/null");
        if (!ReadPpm(dir.Read(file), shot))
            return false;
        const int middle = shot.Height / 2;
        for (int half = 0; half < 2; ++half)
            red[half] = dark[half] = back[half] = 0;
        for (int y = 0; y < shot.Height; ++y)
            for (int x = 0; x < shot.Width; ++x) {
                const unsigned char* p = shot.At(x, y);
                const int half = y < middle ? 0 : 1;
                back[half] += IsPaneBackground(p);
                if (y < middle - 4 || y > middle + 4) {
                    red[half] += IsRed(p);
                    dark[half] += IsDark(p);
                }
            }
        return back[0] > 0 && back[1] > 0 &&
               ((red[0] > 0 && red[1] == 0 && dark[1] > 0 && dark[0] == 0) ||
                (red[1] > 0 && red[0] == 0 && dark[0] > 0 && dark[1] == 0));
    };
    ASSERT_TRUE(WaitUntil(bothShown))
        << "red above " << red[0] << ", below " << red[1] << "; dark above " << dark[0] << ", below "
        << dark[1] << "; background above " << back[0] << ", below " << back[1] << "; the program said:\n"
        << dir.Read("kelvor.out");

    // A termination signal closes the window normally: the settings are written.
    ASSERT_EQ(kill(program, SIGTERM), 0);
    int status = 0;
    const bool ended = ReapProgram(program, status, WaitDeadlineMs);
    program = -1;
    ASSERT_TRUE(ended) << "the program did not end; it said:\n" << dir.Read("kelvor.out");
    TIniFile saved(ini);
    EXPECT_EQ(saved.ReadString("TailFiles", "File0", ""), plainLog);
    EXPECT_EQ(saved.ReadString("TailFiles", "File1", ""), alarmLog);
    EXPECT_EQ(saved.ReadString("SpecialWords", "SpecialWord1", ""), "ALARM");
    EXPECT_EQ(saved.ReadString("Options", "Active", ""), "1");
}

// A signal ends the program at any time: here while a box about the saved
// files waits at start-up, before the message loop runs. Nothing is written,
// since the settings may have been read only in part.
TEST(KelvorEndToEndTest, ASignalEndsTheProgramWhileAStartUpBoxWaits)
{
    if (FindProgram("Xvfb").empty() || FindProgram("xdotool").empty())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    const std::string kelvor = KelvorProgram();
    ASSERT_EQ(access(kelvor.c_str(), X_OK), 0) << "the program is not built: " << kelvor;
    TXServer server;
    ASSERT_TRUE(server.Running()) << "Xvfb did not start";
    TempDir dir;
    const std::string text =
        "[Options]\nSaveSettings=1\n[TailFiles]\nFile0=" + dir.File("missing.log") + "\n";
    const std::string ini = dir.Write("kelvor.ini", text);
    pid_t program = SpawnProgram({kelvor, ini}, dir.File("kelvor.out"));
    TProgramGuard guard{program};
    // The box about the missing file shows and waits for a click that never comes.
    ASSERT_TRUE(WaitUntil([&] { return !server.Windows("^Error$").empty(); }, ProgramProgress(program)))
        << "no box; the program said:\n"
        << dir.Read("kelvor.out");
    int status = 0;
    ASSERT_EQ(waitpid(program, &status, WNOHANG), 0) << "the program ended by itself:\n"
                                                     << dir.Read("kelvor.out");
    ASSERT_EQ(kill(program, SIGTERM), 0);
    const bool ended = ReapProgram(program, status, WaitDeadlineMs);
    program = -1;
    ASSERT_TRUE(ended) << "the program did not end; it said:\n" << dir.Read("kelvor.out");
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(dir.Read("kelvor.ini"), text);
}

} // namespace
