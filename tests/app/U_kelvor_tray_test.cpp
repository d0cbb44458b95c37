// The main window's tray icon, tray-only mode, its handling of the minimise
// command and files dropped on it (through the toolkit's drag and drop).
#include "tests/app/U_kelvor_fixture.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "platform/controls/dialogs.h"
#include "platform/controls/dragdrop.h"
#include "platform/controls/trayicon.h"

namespace {

using TrayTest = KelvorFormTest;

TTrayIconKey KeyOf(TForm1* Form)
{
    return {Form->Handle(), 100};
}

// A mouse message on the icon, handled as the desktop posts it.
void ClickIcon(TScriptedUI& UI, TForm1* Form, UINT MouseMessage)
{
    UI.ClickTrayIcon(KeyOf(Form), MouseMessage);
    Application->ProcessMessages();
}

TEST_F(TrayTest, TheTipIsShownOnlyInTrayOnlyMode)
{
    Form->SetActive(true);
    EXPECT_EQ(Form->TrayTip, "Kelvor: active");
    EXPECT_FALSE(UI.TrayIconShown(KeyOf(Form)));
    EXPECT_TRUE(UI.CallsOf(TUICallKind::ShowTrayIcon).empty());

    Form->SetShowOnlyInSystemTray(true);
    ASSERT_TRUE(UI.TrayIconShown(KeyOf(Form)));
    EXPECT_EQ(UI.TrayTip(KeyOf(Form)), "Kelvor: active");
    EXPECT_TRUE(UI.CallsOf(TUICallKind::ShowTrayIcon).at(0).HasIcon);
    EXPECT_TRUE(UI.SkipTaskbar(Form->Handle()));
    Form->SetActive(false);
    EXPECT_EQ(UI.TrayTip(KeyOf(Form)), "Kelvor: inactive");

    // Off again: the icon goes and the taskbar button comes back.
    Form->SetShowOnlyInSystemTray(false);
    EXPECT_FALSE(UI.TrayIconShown(KeyOf(Form)));
    EXPECT_FALSE(UI.SkipTaskbar(Form->Handle()));
    UI.ClearCalls();
    Form->SetActive(true);
    EXPECT_EQ(Form->TrayTip, "Kelvor: active");
    EXPECT_TRUE(UI.CallsOf(TUICallKind::ShowTrayIcon).empty());
}

TEST_F(TrayTest, MinimiseHidesInTrayOnlyModeAndTheIconBringsTheWindowBack)
{
    Form->SetShowOnlyInSystemTray(true);
    Form->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(Form->Visible());
    EXPECT_NE(Form->WindowState(), wsMinimized);

    // Right clicks on the icon are not for the window.
    ClickIcon(UI, Form, WM_RBUTTONDOWN);
    EXPECT_FALSE(Form->Visible());
    UI.ClearCalls();
    ClickIcon(UI, Form, WM_LBUTTONDOWN);
    EXPECT_TRUE(Form->Visible());
    // Brought to the front without staying above other windows, and without
    // passing through the stay-on-top band (which would make the window anew).
    EXPECT_FALSE(UI.StayOnTop(Form->Handle()));
    EXPECT_TRUE(UI.CallsOf(TUICallKind::StayOnTop).empty());
    EXPECT_EQ(UI.CallsOf(TUICallKind::BringToFront).size(), 1u);

    Form->SetAlwaysOnTop(true);
    Form->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ClickIcon(UI, Form, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Form->Visible());
    EXPECT_TRUE(UI.StayOnTop(Form->Handle()));
    Form->SetAlwaysOnTop(false);
    Form->SetShowOnlyInSystemTray(false);
}

TEST_F(TrayTest, WithoutATrayTheWindowMinimisesNormally)
{
    UI.SetTrayAvailable(false);
    Form->SetShowOnlyInSystemTray(true);
    EXPECT_FALSE(Form->TrayIconShown());
    EXPECT_FALSE(UI.SkipTaskbar(Form->Handle()));
    Form->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Form->Visible());
    EXPECT_EQ(Form->WindowState(), wsMinimized);
    Form->SetShowOnlyInSystemTray(false);
}

// Tray-only mode read from the settings file at start-up, before the window is
// known as the main form.
class TrayOnlyAtStartTest : public KelvorFormTest {
protected:
    std::string Settings() const override { return "[Options]\nActive=0\nShowOnlyInSystemTray=1\n"; }
    void TearDown() override
    {
        Form->SetShowOnlyInSystemTray(false);
        KelvorFormTest::TearDown();
    }
};

TEST_F(TrayOnlyAtStartTest, TheWindowIsOutOfTheTaskbarFromTheStart)
{
    ASSERT_EQ(Application->MainForm(), Form);
    EXPECT_TRUE(UI.TrayIconShown(KeyOf(Form)));
    EXPECT_TRUE(UI.SkipTaskbar(Form->Handle()));
    // Switched off, the window is back in the taskbar.
    Form->SetShowOnlyInSystemTray(false);
    EXPECT_FALSE(UI.SkipTaskbar(Form->Handle()));
}

TEST_F(TrayTest, OutsideTrayOnlyModeMinimiseMinimises)
{
    Form->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Form->Visible());
    EXPECT_EQ(Form->WindowState(), wsMinimized);
}

// ---------------------------------------------------------------------------
// Dropped files

class DropTest : public KelvorFormTest {
protected:
    void SetUp() override
    {
        KelvorFormTest::SetUp();
        Form->SetAdjustSizeAutomaticly(false);
        Form->SetClientHeight(300);
    }

    static AnsiString Uri(const std::string& path) { return "file://" + path; }

    // Drops the URI list at a client point of the window and handles the
    // message the drop posts.
    void DropAt(const AnsiString& uriList, const TPoint& point)
    {
        ASSERT_TRUE(SimulateFileDrop(Form->Handle(), uriList, point));
        Application->ProcessMessages();
    }

    static TPoint On(TTailFile* file) { return {10, file->View->Top() + 5}; }
    // Below the panes: 300 high, the panes 40 each.
    static TPoint Beside() { return {10, 290}; }
};

TEST_F(DropTest, OneFileOnAPaneReplacesItsFileAndKeepsTheText)
{
    TTailFile* file = Open(Log("old.log"));
    Append(file->FileName, "kept line\n");
    Poll();
    const int items = file->View->GetLineCount();
    ASSERT_GT(items, 0);
    const std::string other = Log("new.log", "existing content\n");
    DropAt(Uri(other) + "\r\n", On(file));

    ASSERT_EQ(Form->Tail->GetCount(), 1);
    EXPECT_EQ(file->FileName, other);
    EXPECT_EQ(file->View->GetLineCount(), items);
    EXPECT_EQ(file->LineCount, 0);
    EXPECT_EQ(Form->Caption(), "Kelvor: " + other);
    EXPECT_EQ(RecentFiles().back(), other);
    // The new file is followed from its end on.
    Append(other, "fresh\n");
    Poll();
    EXPECT_EQ(file->View->GetItemText(file->View->GetLineCount() - 1), "fresh");
}

TEST_F(DropTest, TheSameFileBesideThePanesOpensASecondPaneAfterTheQuestion)
{
    const std::string path = Log("a.log");
    Open(path);
    UI.QueueMessageBoxResult(IDYES);
    DropAt(Uri(path) + "\r\n", Beside());
    ASSERT_EQ(Form->Tail->GetCount(), 2);
    EXPECT_EQ(UI.CallsOf(TUICallKind::MessageBox).at(0).Caption, "Confirmation");
    EXPECT_EQ(Form->Tail->GetFile(1)->FileName, path);
    EXPECT_NE(Form->Tail->GetFile(1)->View, Form->Tail->GetFile(0)->View);
}

TEST_F(DropTest, TwoFilesOnAPaneOpenTwoNewPanes)
{
    TTailFile* file = Open(Log("a.log"));
    const std::string b = Log("b.log");
    const std::string c = Log("c.log");
    DropAt(Uri(b) + "\r\n" + Uri(c) + "\r\n", On(file));
    ASSERT_EQ(Form->Tail->GetCount(), 3);
    EXPECT_EQ(file->FileName, Dir.File("a.log"));
    EXPECT_EQ(Form->Tail->GetFile(1)->FileName, b);
    EXPECT_EQ(Form->Tail->GetFile(2)->FileName, c);
    EXPECT_EQ(Form->Caption(), "Kelvor: " + c);
}

TEST_F(DropTest, AFolderIsRefusedWithTheErrorBox)
{
    TTailFile* file = Open(Log("a.log"));
    const std::string folder = Dir.File("folder");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);

    UI.QueueMessageBoxResult(IDOK);
    DropAt(Uri(folder) + "\r\n", Beside());
    EXPECT_EQ(Form->Tail->GetCount(), 1);
    ASSERT_EQ(ErrorBoxes().size(), 1u);
    EXPECT_EQ(ErrorBoxes()[0].Text,
              "Unable to open file '" + folder + "'. It is a folder, not a regular file.");

    // On a pane: the pane keeps its file.
    UI.QueueMessageBoxResult(IDOK);
    DropAt(Uri(folder) + "\r\n", On(file));
    EXPECT_EQ(file->FileName, Dir.File("a.log"));
    EXPECT_EQ(ErrorBoxes().size(), 2u);
    EXPECT_EQ(RecentFiles(), (std::vector<AnsiString>{Dir.File("a.log")}));
}

TEST_F(DropTest, NamesKeepTheirFullLength)
{
    // Longer than the 259 characters a fixed buffer would hold.
    std::string path = Dir.Path();
    for (int i = 0; i < 3; ++i) {
        path += "/" + std::string(100, char('a' + i));
        ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    }
    path += "/long name.log";
    ASSERT_GT(path.size(), 300u);
    FILE* created = fopen(path.c_str(), "w");
    ASSERT_NE(created, nullptr);
    fclose(created);
    DropAt(Uri(path) + "\r\n", Beside());
    ASSERT_EQ(Form->Tail->GetCount(), 1);
    EXPECT_EQ(Form->Tail->GetFile(0)->FileName, path);
}

TEST_F(DropTest, NoFileUrlsAreRefused)
{
    // The toolkit refuses a drag that carries no local file.
    EXPECT_FALSE(SimulateFileDrop(Form->Handle(), "http://example.invalid/a.log\r\n", Beside()));
    // A name that is no local path is refused with the Error box.
    UI.QueueMessageBoxResult(IDOK);
    auto drop = std::make_unique<TDropFiles>();
    drop->Files = {"http://example.invalid/a.log"};
    drop->Point = Beside();
    PostMessage(Form->Handle(), WM_DROPFILES, std::move(drop), 0);
    Application->ProcessMessages();
    EXPECT_EQ(Form->Tail->GetCount(), 0);
    ASSERT_EQ(ErrorBoxes().size(), 1u);
}

} // namespace
