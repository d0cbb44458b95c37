// The window functions: posted messages and their payloads, handlers that free
// their window, per-window timers and the timer component.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/colors.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/scriptedui.h"
#include "tests/support/waituntil.h"

namespace {

// A payload that tells when it is freed.
class TPayload : public TObject {
public:
    TPayload(int AValue, int* AFreed) : Value(AValue), Freed(AFreed) {}
    ~TPayload() override { ++*Freed; }
    int Value;
    int* Freed;
};

class TReceiver : public TCustomControl {
public:
    explicit TReceiver(TComponent* AOwner) : TCustomControl(AOwner) {}

    std::vector<TMessage> Received;
    std::vector<int> PayloadValues;
    std::vector<int> FreedWhileHandling;
    int* FreedCounter = nullptr;

    int Count(UINT Msg) const
    {
        int n = 0;
        for (const TMessage& m : Received)
            n += m.Msg == Msg;
        return n;
    }
    int Timer(uintptr_t Id) const
    {
        int n = 0;
        for (const TMessage& m : Received)
            n += m.Msg == WM_TIMER && m.WParam == Id;
        return n;
    }

protected:
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg >= WM_USER && Message.Msg < WM_USER + 100) {
            Received.push_back(Message);
            if (Message.Msg == WM_USER + 15) {
                auto* payload = reinterpret_cast<TPayload*>(Message.WParam);
                PayloadValues.push_back(payload->Value);
                FreedWhileHandling.push_back(FreedCounter ? *FreedCounter : -1);
            }
            Message.Result = 42;
            return;
        }
        if (Message.Msg == WM_TIMER)
            Received.push_back(Message);
        TCustomControl::Dispatch(Message);
    }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clWhite);
        Canvas()->FillRect(ClientRect());
    }
};

class WinApiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 300, 200);
        Target = new TReceiver(Form);
        Target->SetBounds(0, 0, 100, 100);
        Target->SetParent(Form);
        Form->Show();
    }
    void TearDown() override
    {
        if (Form)
            Form->Free();
    }
    static void Pump()
    {
        ProcessMessagesUntil([] { return false; }, 0);
    }
    static bool Settle(const std::function<bool()>& Done)
    {
        return ProcessMessagesUntil(Done, WaitDeadlineMs);
    }

    TForm* Form = nullptr;
    TReceiver* Target = nullptr;
};

} // namespace

TEST_F(WinApiTest, PostedMessagesArriveLaterInOrder)
{
    const HWND wnd = Target->Handle();
    EXPECT_TRUE(PostMessage(wnd, WM_USER + 1, 1, 10));
    EXPECT_TRUE(PostMessage(wnd, WM_USER + 2, 2, 20));
    EXPECT_TRUE(Target->Received.empty()) << "posting does not deliver";
    EXPECT_TRUE(MessageQueued(WM_USER + 1, WM_USER + 1));
    EXPECT_TRUE(MessageQueued(WM_USER + 2, WM_USER + 9));
    EXPECT_FALSE(MessageQueued(WM_USER + 3, WM_USER + 9));
    ASSERT_TRUE(Settle([&] { return Target->Received.size() == 2; }));
    EXPECT_FALSE(MessageQueued(WM_USER + 1, WM_USER + 2)) << "delivered messages are no longer queued";
    EXPECT_EQ(Target->Received[0].Msg, WM_USER + 1u);
    EXPECT_EQ(Target->Received[0].LParam, 10);
    EXPECT_EQ(Target->Received[1].Msg, WM_USER + 2u);
    EXPECT_EQ(SendMessage(wnd, WM_USER + 3, 0, 0), 42) << "sending delivers at once, with the result";
    EXPECT_EQ(Target->Count(WM_USER + 3), 1);
    EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
}

TEST_F(WinApiTest, PayloadLivesThroughItsHandlerAndIsFreedAfter)
{
    int freed = 0;
    Target->FreedCounter = &freed;
    ASSERT_TRUE(PostMessage(Target->Handle(), WM_USER + 15, std::make_unique<TPayload>(7, &freed), 0));
    EXPECT_EQ(freed, 0);
    ASSERT_TRUE(Settle([&] { return freed == 1; }));
    EXPECT_EQ(Target->PayloadValues, (std::vector<int>{7}));
    EXPECT_EQ(Target->FreedWhileHandling, (std::vector<int>{0}));
}

TEST_F(WinApiTest, PayloadIsFreedWhenItsControlDiesFirst)
{
    int freed = 0;
    ASSERT_TRUE(PostMessage(Target->Handle(), WM_USER + 15, std::make_unique<TPayload>(1, &freed), 0));
    ASSERT_TRUE(PostMessage(Target->Handle(), WM_USER + 15, std::make_unique<TPayload>(2, &freed), 0));
    EXPECT_TRUE(MessageQueued(WM_USER + 15, WM_USER + 15));
    delete Target;
    EXPECT_EQ(freed, 2) << "freed with the window, undelivered";
    EXPECT_FALSE(MessageQueued(WM_USER + 15, WM_USER + 15)) << "dropped messages are no longer queued";
    Pump();
    EXPECT_EQ(freed, 2);
}

TEST_F(WinApiTest, PayloadForARecreatedWindowIsDroppedAndFreed)
{
    int freed = 0;
    Target->FreedCounter = &freed;
    ASSERT_TRUE(PostMessage(Target->Handle(), WM_USER + 15, std::make_unique<TPayload>(3, &freed), 0));
    Target->RecreateWnd();
    EXPECT_EQ(freed, 1);
    Pump();
    EXPECT_TRUE(Target->PayloadValues.empty());
}

TEST_F(WinApiTest, PayloadForABadHandleIsFreedAtOnce)
{
    int freed = 0;
    const HWND gone = Target->Handle();
    Target->DestroyHandle();
    EXPECT_FALSE(PostMessage(gone, WM_USER + 15, std::make_unique<TPayload>(4, &freed), 0));
    EXPECT_EQ(freed, 1);
}

TEST_F(WinApiTest, AHandlerMayFreeItsOwnWindow)
{
    // The form frees itself from a message posted to it (CM_RELEASE), while the
    // toolkit is delivering that message.
    bool destroyed = false;
    Form->OnDestroy = [&](TObject*) { destroyed = true; };
    Form->Release();
    Form = nullptr;
    ASSERT_TRUE(Settle([&] { return destroyed; }));
    Pump();
}

TEST_F(WinApiTest, TimersTickUntilKilled)
{
    const HWND wnd = Target->Handle();
    EXPECT_EQ(SetTimer(wnd, 1, 10), 1u);
    ASSERT_TRUE(Settle([&] { return Target->Timer(1) >= 3; }));
    EXPECT_TRUE(KillTimer(wnd, 1));
    EXPECT_FALSE(KillTimer(wnd, 1));
    const int ticks = Target->Timer(1);
    // A second timer shows time passing; the first stays silent.
    EXPECT_EQ(SetTimer(wnd, 2, 15), 2u);
    ASSERT_TRUE(Settle([&] { return Target->Timer(2) >= 3; }));
    EXPECT_EQ(Target->Timer(1), ticks);
    KillTimer(wnd, 2);
    EXPECT_EQ(SetTimer(nullptr, 3, 10), 0u);
}

TEST_F(WinApiTest, TimersEndWithTheirWindow)
{
    SetTimer(Target->Handle(), 5, 10);
    Target->RecreateWnd();
    EXPECT_FALSE(KillTimer(Target->Handle(), 5));
    SetTimer(Target->Handle(), 6, 20);
    ASSERT_TRUE(Settle([&] { return Target->Timer(6) >= 2; }));
    EXPECT_EQ(Target->Timer(5), 0);
}

TEST_F(WinApiTest, TimerComponentTicksAndReportsExceptions)
{
    TScriptedUI ui;
    ui.QueueMessageBoxResult(1);
    int ticks = 0;
    auto timer = std::make_unique<TTimer>(nullptr);
    timer->SetInterval(10);
    timer->OnTimer = [&](TObject*) {
        if (++ticks == 2)
            throw EInvalidOperation("Tick failed");
    };
    ASSERT_TRUE(Settle([&] { return ticks >= 3; }));
    const auto boxes = ui.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Tick failed.");
    timer->SetEnabled(false);
    const int stopped = ticks;
    TTimer other(nullptr);
    int otherTicks = 0;
    other.SetInterval(10);
    other.OnTimer = [&](TObject*) { ++otherTicks; };
    ASSERT_TRUE(Settle([&] { return otherTicks >= 3; }));
    EXPECT_EQ(ticks, stopped);
}

TEST_F(WinApiTest, TimerComponentMayFreeItselfWhileTicking)
{
    TTimer* timer = new TTimer(nullptr);
    timer->SetInterval(10);
    bool fired = false;
    timer->OnTimer = [&](TObject* Sender) {
        fired = true;
        delete static_cast<TTimer*>(Sender);
    };
    ASSERT_TRUE(Settle([&] { return fired; }));
    Pump();
}
