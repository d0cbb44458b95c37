// A smoke test on a real X server: when Xvfb is installed, it runs on a free
// display and this program runs again under it on the toolkit's X11 platform,
// where a window must map and take a click made through the XTEST extension.
// Skipped when Xvfb is not installed.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "tests/support/xvfbchild.h"

namespace
{

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
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    // The child reports how far it got: "clicked", or "no xtest".
    const TXvfbRun run = RunUnderXvfb("XvfbChildTest.*", 90);
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    if (run.Result == "no xtest")
        GTEST_SKIP() << "the window mapped; the XTEST library to click it is not installed";
    EXPECT_EQ(run.Result, "clicked");
}

TEST(XvfbChildTest, WindowMapsAndTakesAClick)
{
    if (!InXvfbChild())
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
        WriteXvfbResult("no xtest");
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
        WriteXvfbResult("clicked");
}
