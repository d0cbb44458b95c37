// The viewer on a real X server: when Xvfb is installed, it runs on a free
// display and this program runs again under it on the toolkit's X11
// platform, where the pixels of a shown viewer must have the text of a line in
// its special colour exactly where the layout put that line. Skipped when
// Xvfb is not installed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/pixelbuffer.h"
#include "view/rollview.h"

namespace {

const char* const ChildVariable = "KELVOR_ROLLVIEW_XVFB_CHILD";
// The child writes "shown" here when the pixels were right.
const char* const ResultVariable = "KELVOR_ROLLVIEW_XVFB_RESULT";

bool Exists(const std::string& Path)
{
    struct stat info;
    return stat(Path.c_str(), &info) == 0;
}

std::string FindProgram(const std::string& Name)
{
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = dirs.find(':', start);
        const std::string dir =
            dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + Name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return std::string();
}

template <typename F> bool WaitFor(F Done, int TimeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > end)
            return Done();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool Running(pid_t Pid)
{
    int status = 0;
    return waitpid(Pid, &status, WNOHANG) == 0;
}

// Starts Xvfb on the first free display from 170 on; its number, or -1.
int StartServer(const std::string& Xvfb, pid_t& Pid)
{
    for (int display = 170; display < 240; ++display) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
        if (Exists(socket) || Exists("/tmp/.X" + std::to_string(display) + "-lock"))
            continue;
        Pid = fork();
        if (Pid == 0) {
            const std::string name = ":" + std::to_string(display);
            execl(Xvfb.c_str(), "Xvfb", name.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        if (Pid < 0)
            return -1;
        if (WaitFor([&] { return Exists(socket) || !Running(Pid); }, 10000) && Exists(socket))
            return display;
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
    }
    return -1;
}

bool IsRed(uint32_t Pixel)
{
    const int r = (Pixel >> 16) & 0xFF;
    const int g = (Pixel >> 8) & 0xFF;
    const int b = Pixel & 0xFF;
    return r > 150 && g < 100 && b < 100;
}

} // namespace

TEST(RollViewXvfbTest, TextInItsColourShowsWhereTheLayoutPutsIt)
{
    if (std::getenv(ChildVariable))
        GTEST_SKIP() << "inside the server already";
    const std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty())
        GTEST_SKIP() << "Xvfb is not installed";
    pid_t server = -1;
    const int display = StartServer(xvfb, server);
    ASSERT_GE(display, 0) << "no display could be started";
    const std::string resultFile = "/tmp/kelvor-rollview-xvfb-" + std::to_string(getpid()) + ".result";
    unlink(resultFile.c_str());
    const pid_t child = fork();
    if (child == 0) {
        const std::string name = ":" + std::to_string(display);
        setenv("DISPLAY", name.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv(ChildVariable, "1", 1);
        setenv(ResultVariable, resultFile.c_str(), 1);
        // The X libraries keep caches for the process's life; leaks are checked offscreen.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        execl("/proc/self/exe", "rollview_xvfb_test", "--gtest_filter=RollViewXvfbChildTest.*",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    int status = -1;
    const bool ended = WaitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, 60000);
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::string result;
    std::getline(std::ifstream(resultFile), result);
    unlink(resultFile.c_str());
    ASSERT_TRUE(ended) << "the program under Xvfb did not finish";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the program under Xvfb failed";
    EXPECT_EQ(result, "shown");
}

TEST(RollViewXvfbChildTest, ColouredLineShowsInItsDrawItem)
{
    if (!std::getenv(ChildVariable))
        GTEST_SKIP() << "runs under the Xvfb test";
    TForm Form(nullptr);
    Form.SetBounds(40, 40, 360, 260);
    auto* Style = new TRVStyle(&Form);
    Style->SetColor(clWhite);
    Style->TextStyles()->Items(0)->SetColor(clBlack);
    TFontInfo* Special = Style->TextStyles()->Add();
    Special->SetColor(0x000000FF); // red
    Special->SetSize(14);
    const int SpecialStyle = Style->TextStyles()->Count() - 1;
    auto* View = new TRollView(&Form);
    View->SetAlign(alClient);
    View->SetStyle(Style);
    View->SetParent(&Form);
    for (int i = 0; i < 30; ++i)
        View->AddNL("an ordinary line " + std::to_string(i), i == 6 ? SpecialStyle : 0, 0);
    Form.Show();
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(&Form); }, 10000))
        << "the window did not map";
    View->Format();
    View->SetVScrollPos(2); // 20 pixels down: the layout's positions less the offset
    View->Update();
    TPixelBuffer Pixels;
    ASSERT_TRUE(GrabWindow(View, Pixels));
    TRect Window;
    ASSERT_TRUE(GetWindowRect(View->Handle(), Window));
    const TPoint Client = View->ClientOrigin();
    const int DX = Client.X - Window.Left;
    const int DY = Client.Y - Window.Top;
    // Where the red pixels of the client area are.
    int Left = INT32_MAX, Top = INT32_MAX, Right = -1, Bottom = -1;
    for (int y = 0; y < View->ClientHeight(); ++y)
        for (int x = 0; x < View->ClientWidth(); ++x) {
            const int px = x + DX, py = y + DY;
            if (px < 0 || py < 0 || px >= Pixels.Width || py >= Pixels.Height)
                continue;
            if (IsRed(Pixels.At(px, py))) {
                Left = std::min(Left, x);
                Top = std::min(Top, y);
                Right = std::max(Right, x);
                Bottom = std::max(Bottom, y);
            }
        }
    ASSERT_GE(Right, 0) << "no pixel of the special colour";
    const TRVDrawLineInfo* dli = View->RVData->DrawItems[View->RVData->GetItem(6)->DrawItemNo];
    const int VOffs = View->RVData->GetVOffs();
    ASSERT_EQ(VOffs, 20);
    // Every red pixel lies in the line's draw item, and the text covers much of it.
    EXPECT_GE(Left, dli->Left);
    EXPECT_LT(Right, dli->Left + dli->Width);
    EXPECT_GE(Top, dli->Top - VOffs);
    EXPECT_LT(Bottom, dli->Top - VOffs + dli->Height);
    EXPECT_GT(Right - Left, dli->Width / 2);
    if (!::testing::Test::HasFailure())
        if (const char* path = std::getenv(ResultVariable))
            std::ofstream(path) << "shown";
}
