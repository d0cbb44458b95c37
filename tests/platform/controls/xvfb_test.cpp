// A smoke test on a real X server: when Xvfb is installed, it runs on a free
// display and this program runs again under it on the toolkit's X11 platform,
// where a window must map and take a click made through the XTEST extension.
// Skipped when Xvfb is not installed.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"

namespace
{

const char* const ChildVariable = "KELVOR_XVFB_CHILD";
// The child writes how far it got into this file: "clicked", or "no xtest".
const char* const ResultVariable = "KELVOR_XVFB_RESULT";

void WriteResult(const std::string& Result)
{
    if (const char* path = std::getenv(ResultVariable))
        std::ofstream(path) << Result;
}

std::string ReadResult(const std::string& Path)
{
    std::ifstream file(Path);
    std::string result;
    std::getline(file, result);
    return result;
}

bool Exists(const std::string& Path)
{
    struct stat info;
    return stat(Path.c_str(), &info) == 0;
}

std::string FindProgram(const std::string& Name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
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

// Polls Done every few milliseconds until it holds or the time is up.
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

// Starts Xvfb on the first free display from 90 on; its number, or -1.
int StartServer(const std::string& Xvfb, pid_t& Pid)
{
    for (int display = 90; display < 160; ++display) {
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
        // Another server took the display first, or this one failed: try the next.
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
    }
    return -1;
}

class TTarget : public TCustomControl
{
public:
    explicit TTarget(TComponent* AOwner) : TCustomControl(AOwner) {}
    std::vector<std::string> Events;

protected:
    void MouseDown(TMouseButton, TShiftState, int, int) override { Events.push_back("down"); }
    void MouseUp(TMouseButton, TShiftState, int, int) override { Events.push_back("up"); }
    void Click() override { Events.push_back("click"); }
};

// The XTEST functions, loaded by name so that no X11 development files are needed.
struct TXTest {
    void* X11 = nullptr;
    void* Xtst = nullptr;
    void* (*OpenDisplay)(const char*) = nullptr;
    int (*CloseDisplay)(void*) = nullptr;
    int (*Sync)(void*, int) = nullptr;
    int (*FakeMotion)(void*, int, int, int, unsigned long) = nullptr;
    int (*FakeButton)(void*, unsigned, int, unsigned long) = nullptr;

    bool Load()
    {
        X11 = dlopen("libX11.so.6", RTLD_NOW);
        Xtst = dlopen("libXtst.so.6", RTLD_NOW);
        if (!X11 || !Xtst)
            return false;
        OpenDisplay = reinterpret_cast<void* (*)(const char*)>(dlsym(X11, "XOpenDisplay"));
        CloseDisplay = reinterpret_cast<int (*)(void*)>(dlsym(X11, "XCloseDisplay"));
        Sync = reinterpret_cast<int (*)(void*, int)>(dlsym(X11, "XSync"));
        FakeMotion = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(
            dlsym(Xtst, "XTestFakeMotionEvent"));
        FakeButton = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(
            dlsym(Xtst, "XTestFakeButtonEvent"));
        return OpenDisplay && CloseDisplay && Sync && FakeMotion && FakeButton;
    }
};

} // namespace

TEST(XvfbSmokeTest, AWindowMapsAndTakesAClickOnARealServer)
{
    if (std::getenv(ChildVariable))
        GTEST_SKIP() << "inside the server already";
    const std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty())
        GTEST_SKIP() << "Xvfb is not installed";
    pid_t server = -1;
    const int display = StartServer(xvfb, server);
    ASSERT_GE(display, 0) << "no display could be started";
    const std::string resultFile = "/tmp/kelvor-xvfb-" + std::to_string(getpid()) + ".result";
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
        execl("/proc/self/exe", "xvfb_test", "--gtest_filter=XvfbChildTest.*", static_cast<char*>(nullptr));
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
    const std::string result = ReadResult(resultFile);
    unlink(resultFile.c_str());
    ASSERT_TRUE(ended) << "the program under Xvfb did not finish";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the program under Xvfb failed";
    if (result == "no xtest")
        GTEST_SKIP() << "the window mapped; the XTEST library to click it is not installed";
    EXPECT_EQ(result, "clicked");
}

TEST(XvfbChildTest, WindowMapsAndTakesAClick)
{
    if (!std::getenv(ChildVariable))
        GTEST_SKIP() << "runs under the Xvfb smoke test";
    TForm form(nullptr);
    form.SetBounds(40, 40, 200, 150);
    auto* target = new TTarget(&form);
    target->SetBounds(20, 20, 100, 80);
    target->SetParent(&form);
    form.Show();
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(&form); }, 10000))
        << "the window did not map";
    TXTest xtest;
    if (!xtest.Load()) {
        WriteResult("no xtest");
        GTEST_SKIP() << "the XTEST library is not installed";
    }
    void* display = xtest.OpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const TPoint point = target->ClientToScreen(TPoint{50, 40});
    xtest.FakeMotion(display, -1, point.X, point.Y, 0);
    xtest.FakeButton(display, 1, 1, 0);
    xtest.FakeButton(display, 1, 0, 0);
    xtest.Sync(display, 0);
    const bool clicked = ProcessMessagesUntil([&] { return target->Events.size() >= 3; }, 10000);
    xtest.CloseDisplay(display);
    ASSERT_TRUE(clicked) << "the click did not arrive";
    EXPECT_EQ(target->Events, (std::vector<std::string>{"down", "click", "up"}));
    if (!::testing::Test::HasFailure())
        WriteResult("clicked");
}
