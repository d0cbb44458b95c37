// Smoke tests on a real X server: when Xvfb is installed, it runs on a free
// display and this program runs again under it on the toolkit's X11 platform,
// where a window must map and take a click made through the XTEST extension,
// and a scroll bar on the screen must show every move of its thumb. Skipped
// when Xvfb is not installed.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/controls/forms.h"
#include "platform/controls/scrollbars.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/tempdir.h"
#include "tests/support/xvfbchild.h"

namespace {

class TTarget : public TCustomControl {
public:
    explicit TTarget(TComponent* AOwner) : TCustomControl(AOwner) {}
    std::vector<std::string> Events;

protected:
    void MouseDown(TMouseButton, TShiftState, int, int) override { Events.push_back("down"); }
    void MouseUp(TMouseButton, TShiftState, int, int) override { Events.push_back("up"); }
    void Click() override { Events.push_back("click"); }
};

// A window with a vertical scroll bar and nothing else.
class TBarWindow : public TCustomControl {
public:
    explicit TBarWindow(TComponent* AOwner) : TCustomControl(AOwner) {}

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TCustomControl::CreateParams(Params);
        Params.Style |= WS_VSCROLL;
    }
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
    const TXvfbRun run = RunUnderXvfb("XvfbChildTest.*");
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
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(&form); }, WaitDeadlineMs))
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
    const bool clicked = ProcessMessagesUntil([&] { return target->Events.size() >= 3; }, WaitDeadlineMs);
    xtest.CloseDisplay(display);
    ASSERT_TRUE(clicked) << "the click did not arrive";
    EXPECT_EQ(target->Events, (std::vector<std::string>{"down", "click", "up"}));
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("clicked");
}

TEST(XvfbSmokeTest, AScrollBarOnTheScreenShowsEveryMoveOfItsThumb)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    const TXvfbRun run = RunUnderXvfb("XvfbScrollChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    if (run.Result == "no import")
        GTEST_SKIP() << "ImageMagick's import, which takes the screenshots, is not installed";
    EXPECT_EQ(run.Result, "current");
}

TEST(XvfbScrollChildTest, TheScreenShowsWhatTheBarHolds)
{
    if (!InXvfbChild())
        GTEST_SKIP() << "runs under the Xvfb smoke test";
    const std::string import = FindProgram("import");
    if (import.empty()) {
        WriteXvfbResult("no import");
        GTEST_SKIP() << "import is not installed";
    }
    TForm form(nullptr);
    form.SetBounds(40, 40, 240, 340);
    auto* window = new TBarWindow(&form);
    window->SetBounds(10, 10, 200, 300);
    window->SetParent(&form);
    form.Show();
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(&form); }, WaitDeadlineMs))
        << "the window did not map";
    TempDir dir;
    int shots = 0;
    // The window as the screen shows it against the window drawn afresh from
    // what its bar holds now, compared again while the events of the change
    // are handled, until the two agree; the last difference when they never do.
    auto ScreenShowsTheBarNow = [&](const char* Step) -> ::testing::AssertionResult {
        const std::string file = dir.File("shot" + std::to_string(++shots) + ".bmp");
        if (std::system((import + " -window root bmp3:" + file).c_str()) != 0)
            return ::testing::AssertionFailure() << Step << ": import failed";
        TBitmap screen;
        screen.LoadFromFile(file);
        TPixelBuffer fresh;
        if (!GrabWindow(window, fresh))
            return ::testing::AssertionFailure() << Step << ": no grab";
        TRect bounds;
        GetWindowRect(window->Handle(), bounds);
        int differing = 0;
        for (int y = 0; y < fresh.Height; ++y)
            for (int x = 0; x < fresh.Width; ++x) {
                const int sx = bounds.Left + x, sy = bounds.Top + y;
                if (sx >= screen.Width() || sy >= screen.Height())
                    return ::testing::AssertionFailure() << Step << ": the window is off the screen";
                differing += (screen.Pixels().At(sx, sy) & 0xFFFFFF) != (fresh.At(x, y) & 0xFFFFFF);
            }
        if (differing > 0)
            return ::testing::AssertionFailure() << Step << ": " << differing << " pixels differ";
        return ::testing::AssertionSuccess();
    };
    auto ScreenShowsTheBar = [&](const char* Step) {
        ::testing::AssertionResult shown = ::testing::AssertionFailure();
        WaitUntil([&] { return static_cast<bool>(shown = ScreenShowsTheBarNow(Step)); }, WaitDeadlineMs,
                  PumpEvents);
        return shown;
    };
    auto Set = [&](UINT Mask, int Max, int Page, int Pos) {
        SCROLLINFO info;
        info.fMask = Mask;
        info.nMin = 0;
        info.nMax = Max;
        info.nPage = static_cast<UINT>(Page);
        info.nPos = Pos;
        SetScrollInfo(window->Handle(), SB_VERT, &info, true);
    };
    Set(SIF_RANGE | SIF_PAGE | SIF_POS, 999, 100, 0);
    EXPECT_TRUE(ScreenShowsTheBar("thumb at the top"));
    // A new range, then a new position, as a viewer sets them after new lines.
    Set(SIF_RANGE | SIF_PAGE, 99999, 100, 0);
    Set(SIF_POS, 0, 0, 99900);
    EXPECT_TRUE(ScreenShowsTheBar("thumb at the bottom"));
    // A little more document: the thumb stays where it is.
    Set(SIF_RANGE | SIF_PAGE, 100099, 100, 0);
    Set(SIF_POS, 0, 0, 100000);
    EXPECT_TRUE(ScreenShowsTheBar("thumb still at the bottom"));
    Set(SIF_POS, 0, 0, 50000);
    EXPECT_TRUE(ScreenShowsTheBar("thumb in the middle"));
    Set(SIF_RANGE | SIF_PAGE, 99, 100, 0);
    EXPECT_TRUE(ScreenShowsTheBar("nothing to scroll"));
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("current");
}
