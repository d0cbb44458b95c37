// The tray icon: add, modify and delete through the UI services, the tip's
// length, a desktop without a notification area, and clicks reported to the
// icon's window as its callback message.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/forms.h"
#include "platform/controls/trayicon.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/icon.h"
#include "tests/support/scriptedui.h"

namespace {

constexpr UINT WM_TRAYNOTIFY = WM_USER + 1002;

// A window that notes the tray messages it receives.
class TTrayForm : public TForm {
public:
    using TForm::TForm;
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == WM_TRAYNOTIFY) {
            Received.push_back(Message);
            return;
        }
        TForm::Dispatch(Message);
    }
    std::vector<TMessage> Received;
};

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest()
    {
        icon.SetPixels(TPixelBuffer(16, 16, 0xFFFF0000u));
        data.cbSize = 88;
        data.hWnd = form->Handle();
        data.uID = 100;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = WM_TRAYNOTIFY;
        data.hIcon = &icon;
        data.szTip = "Kelvor: active";
    }
    ~TrayIconTest() override
    {
        NOTIFYICONDATA removal;
        removal.hWnd = data.hWnd;
        removal.uID = data.uID;
        Shell_NotifyIcon(NIM_DELETE, &removal);
    }

    TScriptedUI ui;
    std::unique_ptr<TTrayForm> form = std::make_unique<TTrayForm>(nullptr);
    TIcon icon;
    NOTIFYICONDATA data;
    TTrayIconKey Key() const { return {data.hWnd, data.uID}; }
};

TEST_F(TrayIconTest, AddModifyDelete)
{
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    EXPECT_TRUE(ui.TrayIconShown(Key()));
    EXPECT_EQ(ui.TrayTip(Key()), "Kelvor: active");
    std::vector<TUICall> shows = ui.CallsOf(TUICallKind::ShowTrayIcon);
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_TRUE(shows[0].HasIcon);
    // A second icon of the same window and number is refused.
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &data));

    // Only the fields named by uFlags change.
    NOTIFYICONDATA tip;
    tip.hWnd = data.hWnd;
    tip.uID = 100;
    tip.uFlags = NIF_TIP;
    tip.szTip = "Kelvor: inactive";
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &tip));
    EXPECT_EQ(ui.TrayTip(Key()), "Kelvor: inactive");
    EXPECT_TRUE(ui.CallsOf(TUICallKind::ShowTrayIcon).back().HasIcon);

    NOTIFYICONDATA removal;
    removal.cbSize = 88;
    removal.hWnd = data.hWnd;
    removal.uID = 100;
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &removal));
    EXPECT_FALSE(ui.TrayIconShown(Key()));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &removal));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &tip));
}

TEST_F(TrayIconTest, ALongTipIsCutAtAWholeCharacter)
{
    data.szTip = AnsiString(62, 'a') + "\xC3\xA9" + "tail"; // an e acute across byte 63
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    EXPECT_EQ(ui.TrayTip(Key()), AnsiString(62, 'a'));
    data.szTip = AnsiString(63, 'b');
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &data));
    EXPECT_EQ(ui.TrayTip(Key()), AnsiString(63, 'b'));
}

TEST_F(TrayIconTest, ClicksArePostedToTheWindowAsTheCallbackMessage)
{
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    ui.ClickTrayIcon(Key(), WM_LBUTTONDOWN);
    ui.ClickTrayIcon(Key(), WM_LBUTTONUP);
    ui.ClickTrayIcon(Key(), WM_LBUTTONDBLCLK);
    EXPECT_TRUE(form->Received.empty()); // posted: they arrive from the message loop
    Application->ProcessMessages();
    ASSERT_EQ(form->Received.size(), 3u);
    EXPECT_EQ(form->Received[0].WParam, 100u);
    EXPECT_EQ(form->Received[0].LParam, static_cast<LPARAM>(WM_LBUTTONDOWN));
    EXPECT_EQ(form->Received[1].LParam, static_cast<LPARAM>(WM_LBUTTONUP));
    EXPECT_EQ(form->Received[2].LParam, static_cast<LPARAM>(WM_LBUTTONDBLCLK));
}

TEST_F(TrayIconTest, AnIconLeftByAGoneWindowIsRemovedAtItsNextClick)
{
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &data));
    form.reset();
    ui.ClickTrayIcon(Key(), WM_LBUTTONDOWN);
    Application->ProcessMessages();
    EXPECT_FALSE(ui.TrayIconShown(Key()));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &data));
}

TEST(TrayIconDesktop, AddingWithoutANotificationAreaReportsFailure)
{
    TForm form(nullptr);
    NOTIFYICONDATA data;
    data.hWnd = form.Handle();
    data.uID = 1;
    data.uFlags = NIF_TIP;
    data.szTip = "tip";
    bool added = Shell_NotifyIcon(NIM_ADD, &data);
    // Headless there is no notification area; with one, the icon comes and goes.
    EXPECT_EQ(added, IsSystemTrayAvailable());
    if (added) {
        EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &data));
    }
}

} // namespace

TEST_F(TrayIconTest, BadRecordsAreRefused)
{
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, nullptr));
    NOTIFYICONDATA noWindow = data;
    noWindow.hWnd = nullptr;
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &noWindow));
    EXPECT_FALSE(Shell_NotifyIcon(7, &data));
    EXPECT_TRUE(ui.CallsOf(TUICallKind::ShowTrayIcon).empty());
}
