// The main window's commands on a real window (offscreen) with scripted boxes and
// dialogs: pane heights, recent files, the popup menu's state, the input boxes,
// removing, copying and saving, and the modifier-key clicks on a pane.
#include "tests/app/U_kelvor_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "document/rvstyle.h"
#include "platform/controls/dialogs.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/filesizelimit.h"

namespace {

using CommandsTest = KelvorFormTest;

TEST_F(CommandsTest, EqualAndMaximisedHeightsFillTheClientArea)
{
    // No panes: nothing to do, nothing breaks.
    Form->AdjustSizePMIClick(Form);
    PopupOver(nullptr);
    Form->MaximizeFilePMIClick(Form);

    TTailFile* first = Open(Log("a.log"));
    Open(Log("b.log"));
    Open(Log("c.log"));
    Form->AdjustSizePMIClick(Form);
    EXPECT_EQ(PaneHeights(), (std::vector<int>{31, 31, 32}));
    // Panes and splitters stack from the top and end exactly at the bottom.
    int bottom = 0;
    for (int i = 0; i < Form->ControlCount(); ++i)
        bottom = std::max(bottom, Form->Controls(i)->Top() + Form->Controls(i)->Height());
    EXPECT_EQ(bottom, 100);

    PopupOver(first->View);
    Form->MaximizeFilePMIClick(Form);
    EXPECT_EQ(PaneHeights(), (std::vector<int>{58, 18, 18}));

    // 60 leaves the chosen pane no more than 18: nothing changes.
    Form->SetAdjustSizeAutomaticly(false);
    Form->SetClientHeight(60);
    Form->AdjustSizePMIClick(Form);
    const std::vector<int> equal = PaneHeights();
    Form->MaximizeFilePMIClick(Form);
    EXPECT_EQ(PaneHeights(), equal);
}

TEST_F(CommandsTest, ModifierClicksOnAPane)
{
    TTailFile* a = Open(Log("a.log"));
    TTailFile* b = Open(Log("b.log"));
    Form->AdjustSizePMIClick(Form);

    WithKey(VK_CONTROL, [&] { Form->TailViewDblClick(b->View); });
    EXPECT_EQ(Form->OptionsPM->PopupComponent(), b->View);
    EXPECT_EQ(b->View->Height(), 100 - 40 + 18);
    WithKey(VK_SHIFT, [&] { Form->TailViewDblClick(b->View); });
    EXPECT_EQ(PaneHeights(), (std::vector<int>{48, 48}));

    // A plain double click switches the file off (silver) and on again.
    Form->TailViewDblClick(a->View);
    EXPECT_FALSE(a->Active);
    EXPECT_EQ(a->View->Color(), TColor(0xC0C0C0));
    EXPECT_EQ(Form->Caption(), "Kelvor: " + a->FileName);
    Form->TailViewDblClick(a->View);
    EXPECT_TRUE(a->Active);
    EXPECT_EQ(a->View->Color(), Form->MonitorBackgroundColor);

    Form->TailViewClick(b->View);
    EXPECT_EQ(Form->Caption(), "Kelvor: " + b->FileName);
}

TEST_F(CommandsTest, BackgroundColourAndFileNamePicture)
{
    TTailFile* a = Open(Log("a.log"));
    TTailFile* b = Open(Log("b.log"));
    Form->TailViewDblClick(b->View); // switched off: silver
    UI.QueueColor(0x123456);
    Form->MonitorBackgroundColorPMIClick(Form);
    EXPECT_EQ(UI.CallsOf(TUICallKind::ColorDialog).at(0).Color, TColor(0xFFD7D7));
    EXPECT_EQ(a->View->Color(), TColor(0x123456));
    EXPECT_EQ(b->View->Color(), TColor(0x123456));
    UI.QueueColorCancel();
    Form->MonitorBackgroundColorPMIClick(Form);
    EXPECT_EQ(Form->MonitorBackgroundColor, TColor(0x123456));

    EXPECT_EQ(a->View->GetBackgroundStyle(), bsNoBitmap);
    Form->ShowFileNameImagePMIClick(Form);
    EXPECT_TRUE(Form->ShowFileNameImagePMI->Checked());
    EXPECT_EQ(a->View->GetBackgroundStyle(), bsCentered);
    TBitmap* picture = a->View->GetBackBitmap();
    ASSERT_NE(picture, nullptr);
    EXPECT_GT(picture->Width(), 0);
    EXPECT_GT(picture->Height(), 0);
    Form->ShowFileNameImagePMIClick(Form);
    EXPECT_EQ(a->View->GetBackgroundStyle(), bsNoBitmap);
}

TEST_F(CommandsTest, TheEleventhRecentFileDropsTheOldest)
{
    std::vector<std::string> logs;
    for (int i = 0; i < 11; ++i)
        logs.push_back(Log("log" + std::to_string(i) + ".log"));
    for (const std::string& log : logs)
        Open(log);
    std::vector<AnsiString> recent = RecentFiles();
    ASSERT_EQ(recent.size(), 10u);
    EXPECT_EQ(recent.front(), logs[1]);
    EXPECT_EQ(recent.back(), logs[10]);

    // Opening one again (a second pane, after Yes) moves it to the end.
    UI.QueueMessageBoxResult(IDYES);
    Open(logs[3]);
    recent = RecentFiles();
    ASSERT_EQ(recent.size(), 10u);
    EXPECT_EQ(recent.back(), logs[3]);
    EXPECT_EQ(std::count(recent.begin(), recent.end(), logs[3]), 1);
    EXPECT_EQ(Form->Tail->GetCount(), 12);
    const TUICall question = UI.CallsOf(TUICallKind::MessageBox).at(0);
    EXPECT_EQ(question.Caption, "Confirmation");
    EXPECT_EQ(question.Text, "File is already opened:\n" + logs[3] + "\n\nContinue and open the file?");

    // No: nothing opens.
    UI.QueueMessageBoxResult(IDNO);
    EXPECT_EQ(Form->OpenTailFile(logs[3]), nullptr);
    EXPECT_EQ(Form->Tail->GetCount(), 12);
}

TEST_F(CommandsTest, NamesThatDifferInCaseAreTwoFiles)
{
    // Two files of one folder whose names differ only in case, as Linux
    // file systems keep them.
    const std::string upper = Log("Server.log");
    const std::string lower = Log("server.log");
    Open(upper);
    // No question: the other name is another file (the scripted UI fails the
    // test for a box it has no answer for).
    TTailFile* second = Open(lower);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Form->Tail->GetCount(), 2);
    EXPECT_TRUE(UI.CallsOf(TUICallKind::MessageBox).empty());
    EXPECT_EQ(RecentFiles(), (std::vector<AnsiString>{upper, lower}));

    // The same name again is the same file: asked, and the recent entry moves.
    UI.QueueMessageBoxResult(IDYES);
    Open(upper);
    ASSERT_EQ(UI.CallsOf(TUICallKind::MessageBox).size(), 1u);
    EXPECT_EQ(RecentFiles(), (std::vector<AnsiString>{lower, upper}));
}

TEST_F(CommandsTest, ARecentFileOpensItsPathNotItsCaption)
{
    const std::string odd = Log("R&D.log");
    Open(odd);
    Form->RemoveTailFile(Form->Tail->GetFile(0));
    PopupOver(nullptr);
    ASSERT_EQ(Form->RecentFilePMI->Count(), 1);
    TMenuItem* entry = Form->RecentFilePMI->Items(0);
    EXPECT_EQ(StripHotkey(entry->Caption()), odd);
    EXPECT_TRUE(Form->RecentFilePMI->Enabled());
    entry->Click();
    ASSERT_EQ(Form->Tail->GetCount(), 1);
    EXPECT_EQ(Form->Tail->GetFile(0)->FileName, odd);
    EXPECT_TRUE(ErrorBoxes().empty());
}

TEST_F(CommandsTest, AFileThatCannotBeOpenedLeavesNoPane)
{
    const int controls = Form->ControlCount();
    UI.QueueMessageBoxResult(IDOK);
    EXPECT_EQ(Form->OpenTailFile(Dir.File("missing.log")), nullptr);
    EXPECT_EQ(Form->Tail->GetCount(), 0);
    EXPECT_EQ(Form->ControlCount(), controls);
    ASSERT_EQ(ErrorBoxes().size(), 1u);
    EXPECT_EQ(ErrorBoxes()[0].Text, "File '" + Dir.File("missing.log") + "' not exists.");
    EXPECT_TRUE(RecentFiles().empty());
    // The window resizes its panes again afterwards.
    EXPECT_TRUE(static_cast<bool>(Form->OnResize));
}

TEST_F(CommandsTest, PopupStateFollowsTheFileAndTheSelection)
{
    PopupOver(nullptr);
    EXPECT_EQ(Form->RemoveFilePMI->Caption(), "Remove File");
    EXPECT_EQ(Form->ResetFilePMI->Caption(), "Reset File");
    for (TMenuItem* item : {Form->RemoveFilePMI, Form->ResetFilePMI, Form->TextPMI, Form->MaximizeFilePMI,
                            Form->AdjustSizePMI, Form->RecentFilePMI})
        EXPECT_FALSE(item->Enabled()) << item->Caption();
    EXPECT_FALSE(Form->ActivePMI->Checked());
    EXPECT_EQ(Form->PurgeAtLinePMI->Caption(), "Purge At Line 250...");
    EXPECT_EQ(Form->MonitorIntervalPMI->Caption(), "Monitor Interval = 500 ms ...");

    const std::string path = Log("a&b.log");
    TTailFile* file = Open(path);
    Append(path, "first line\nsecond line\n");
    Poll();
    Form->SetActive(true);
    PopupOver(file->View);
    EXPECT_EQ(Form->RemoveFilePMI->Caption(), "Remove File '" + EscapeMenuCaption(path) + "'");
    EXPECT_EQ(StripHotkey(Form->ResetFilePMI->Caption()), "Reset File '" + path + "'");
    for (TMenuItem* item :
         {Form->RemoveFilePMI, Form->ResetFilePMI, Form->TextPMI, Form->MaximizeFilePMI, Form->AdjustSizePMI})
        EXPECT_TRUE(item->Enabled()) << item->Caption();
    EXPECT_FALSE(Form->CopySelectedTextPMI->Enabled());
    EXPECT_FALSE(Form->SaveSelectedTextPMI->Enabled());
    EXPECT_TRUE(Form->ActivePMI->Checked());

    file->View->SelectAll();
    PopupOver(file->View);
    EXPECT_TRUE(Form->CopySelectedTextPMI->Enabled());
    EXPECT_TRUE(Form->SaveSelectedTextPMI->Enabled());

    // Over the window again: back to no file.
    PopupOver(nullptr);
    EXPECT_FALSE(Form->RemoveFilePMI->Enabled());
    EXPECT_EQ(Form->RemoveFilePMI->Caption(), "Remove File");
}

TEST_F(CommandsTest, InputBoxesIgnoreValuesOutOfRange)
{
    for (const char* text : {"abc", "0", "-5"}) {
        UI.QueueInputText(text);
        Form->MonitorIntervalPMIClick(Form);
        EXPECT_EQ(Form->Tail->GetInterval(), 500) << text;
    }
    UI.QueueInputText("250");
    Form->MonitorIntervalPMIClick(Form);
    EXPECT_EQ(Form->Tail->GetInterval(), 250);
    const TUICall box = UI.CallsOf(TUICallKind::InputQuery).at(0);
    EXPECT_EQ(box.Caption, "Change 'Monitor Interval'");
    EXPECT_EQ(box.Text, "Select a new value:");
    EXPECT_EQ(box.Value, "500");

    UI.QueueInputText("0");
    Form->PurgeAtLinePMIClick(Form);
    EXPECT_EQ(Form->PurgeAtLine, 0);
    UI.QueueInputText("-1");
    Form->PurgeAtLinePMIClick(Form);
    EXPECT_EQ(Form->PurgeAtLine, 0);
    UI.QueueInputCancel();
    Form->PurgeAtLinePMIClick(Form);
    EXPECT_EQ(Form->PurgeAtLine, 0);
}

class FontSizeTest : public KelvorFormTest {
protected:
    std::string Settings() const override
    {
        return "[Options]\nFontSize=9\n[SpecialWords]\nSpecialWord1=ERROR\nSpecialColor1=255\n"
               "SpecialWord2=WARN\nSpecialColor2=$00FFFF\n";
    }
};

TEST_F(FontSizeTest, FontSizeChangesEveryTextStyleAndZeroKeepsIt)
{
    TFontInfos* styles = Form->RVStyle->TextStyles();
    ASSERT_EQ(styles->Count(), 3);
    TTailFile* file = Open(Log("a.log"));
    Append(file->FileName, "an ERROR here\n");
    Poll();

    UI.QueueInputText("14");
    Form->FontSizePMIClick(Form);
    EXPECT_EQ(UI.CallsOf(TUICallKind::InputQuery).at(0).Value, "9");
    for (int i = 0; i < styles->Count(); ++i)
        EXPECT_EQ(styles->Items(i)->Size(), 14) << i;

    // A font has no size 0: the sizes stay.
    UI.QueueInputText("0");
    Form->FontSizePMIClick(Form);
    for (int i = 0; i < styles->Count(); ++i)
        EXPECT_EQ(styles->Items(i)->Size(), 14) << i;
}

TEST_F(CommandsTest, CtrlRemoveAskedFirst)
{
    TTailFile* a = Open(Log("a.log"));
    Open(Log("b.log"));
    Form->TailViewClick(a->View);
    const AnsiString caption = Form->Caption();

    UI.QueueMessageBoxResult(IDNO);
    WithKey(VK_CONTROL, [&] { Form->RemoveFilePMIClick(Form); });
    EXPECT_EQ(UI.CallsOf(TUICallKind::MessageBox).at(0).Text, "Remove all files?");
    EXPECT_EQ(Form->Tail->GetCount(), 2);
    EXPECT_EQ(Form->Caption(), caption);

    // Without Ctrl: only the file under the popup.
    PopupOver(a->View);
    Form->RemoveFilePMIClick(Form);
    ASSERT_EQ(Form->Tail->GetCount(), 1);
    EXPECT_EQ(Form->FileUnderPopup(), nullptr);
    EXPECT_EQ(Form->Caption(), "Kelvor: ");

    UI.QueueMessageBoxResult(IDYES);
    WithKey(VK_CONTROL, [&] { Form->RemoveFilePMIClick(Form); });
    EXPECT_EQ(Form->Tail->GetCount(), 0);
    for (int i = 0; i < Form->ControlCount(); ++i)
        EXPECT_EQ(dynamic_cast<TRollView*>(Form->Controls(i)), nullptr);
}

TEST_F(CommandsTest, ResetEmptiesThePaneAndFollowsFromTheEnd)
{
    TTailFile* file = Open(Log("a.log"));
    Append(file->FileName, "one\ntwo\n");
    Poll();
    ASSERT_GT(file->View->GetLineCount(), 0);
    Append(file->FileName, "skipped\n");
    PopupOver(file->View);
    Form->ResetFilePMIClick(Form);
    EXPECT_EQ(file->View->GetLineCount(), 0);
    EXPECT_EQ(file->LineCount, 0);
    Poll();
    EXPECT_EQ(file->View->GetLineCount(), 0);
}

TEST_F(CommandsTest, ResetAllGoesOnPastFilesThatCannotBeOpenedAndNamesThemInOneBox)
{
    TTailFile* first = Open(Log("gone1.log"));
    TTailFile* kept = Open(Log("kept.log"));
    TTailFile* last = Open(Log("gone2.log"));
    for (TTailFile* file : {first, kept, last}) {
        Append(file->FileName, "shown\n");
        file->LineCount = 5;
    }
    Poll();
    ASSERT_GT(kept->View->GetLineCount(), 0);
    const AnsiString firstName = first->FileName;
    const AnsiString lastName = last->FileName;
    ASSERT_EQ(unlink(firstName.c_str()), 0);
    ASSERT_EQ(unlink(lastName.c_str()), 0);

    UI.QueueMessageBoxResult(IDYES);
    UI.QueueMessageBoxResult(IDOK);
    WithKey(VK_CONTROL, [&] { Form->ResetFilePMIClick(Form); });

    // The file behind the failures was reset all the same.
    EXPECT_EQ(kept->View->GetLineCount(), 0);
    EXPECT_EQ(kept->LineCount, 0);
    // The failed ones are as they were, still watched through their old handles.
    EXPECT_EQ(first->LineCount, 5);
    EXPECT_EQ(last->LineCount, 5);
    EXPECT_EQ(Form->Tail->GetCount(), 3);
    ASSERT_EQ(ErrorBoxes().size(), 1u);
    const AnsiString text = ErrorBoxes()[0].Text;
    EXPECT_NE(text.find("'" + firstName + "' not exists."), AnsiString::npos) << text;
    EXPECT_NE(text.find("'" + lastName + "' not exists."), AnsiString::npos) << text;
}

class CopyAndSaveTest : public KelvorFormTest {
protected:
    // A pane that shows "one", "two", a break for the truncation, then "three".
    TTailFile* PaneWithTruncation()
    {
        TTailFile* file = Open(Log("a.log", "old content\n"));
        Append(file->FileName, "one\ntwo\n");
        Poll();
        truncate(file->FileName.c_str(), 0);
        Poll();
        Append(file->FileName, "three\n");
        Poll();
        PopupOver(file->View);
        return file;
    }

    AnsiString ClipboardText()
    {
        for (const TClipboardItem& item : UI.ClipboardContent())
            if (item.Mime == "text/plain")
                return item.Data;
        return AnsiString();
    }
};

TEST_F(CopyAndSaveTest, CompleteTextJoinsLinesWithLfOnTheClipboardAndCrLfInAFile)
{
    PaneWithTruncation();
    Form->SaveSelectedTextPMIClick(Form->CopyCompleteTextPMI);
    EXPECT_EQ(ClipboardText(), "one\ntwo\n\nthree");

    const std::string target = Dir.File("saved.txt");
    UI.QueueFileNames({target});
    Form->SaveSelectedTextPMIClick(Form->SaveCompleteTextPMI);
    EXPECT_EQ(Dir.Read(target), "one\r\ntwo\r\n\r\nthree");
    const TUICall dialog = UI.CallsOf(TUICallKind::FileDialog).at(0);
    EXPECT_TRUE(dialog.FileRequest.Save);
    EXPECT_TRUE(dialog.FileRequest.OverwritePrompt);
    EXPECT_TRUE(ErrorBoxes().empty());

    // Cancelled: nothing written.
    UI.QueueFileCancel();
    Form->SaveSelectedTextPMIClick(Form->SaveCompleteTextPMI);
    EXPECT_EQ(UI.CallsOf(TUICallKind::FileDialog).size(), 2u);
}

TEST_F(CopyAndSaveTest, SelectedTextOnly)
{
    TTailFile* file = PaneWithTruncation();
    file->View->SetSelectionBounds(0, 2, 0, 4); // "ne" of "one"
    Form->SaveSelectedTextPMIClick(Form->CopySelectedTextPMI);
    EXPECT_EQ(ClipboardText(), "ne");
    const std::string target = Dir.File("selected.txt");
    UI.QueueFileNames({target});
    Form->SaveSelectedTextPMIClick(Form->SaveSelectedTextPMI);
    EXPECT_EQ(Dir.Read(target), "ne");
}

TEST_F(CopyAndSaveTest, AFailedSaveShowsTheErrorBox)
{
    PaneWithTruncation();
    const std::string target = Dir.File("no such folder/saved.txt");
    UI.QueueFileNames({target});
    UI.QueueMessageBoxResult(IDOK);
    Form->SaveSelectedTextPMIClick(Form->SaveCompleteTextPMI);
    ASSERT_EQ(ErrorBoxes().size(), 1u);
    EXPECT_EQ(ErrorBoxes()[0].Flags, MB_OK | MB_ICONERROR);
    EXPECT_NE(ErrorBoxes()[0].Text.find("saved.txt"), AnsiString::npos) << ErrorBoxes()[0].Text;
    struct stat info;
    EXPECT_NE(stat(target.c_str(), &info), 0);

    // A disk that takes no more (a file larger than the process may write):
    // the box gives the system's reason.
    UI.ClearCalls();
    const std::string full = Dir.File("full.txt");
    UI.QueueFileNames({full});
    UI.QueueMessageBoxResult(IDOK);
    {
        const TFileSizeLimit limit(4);
        Form->SaveSelectedTextPMIClick(Form->SaveCompleteTextPMI);
    }
    ASSERT_EQ(ErrorBoxes().size(), 1u);
    EXPECT_EQ(ErrorBoxes()[0].Text, "Stream write error. " + SysErrorMessage(EFBIG));
    EXPECT_NE(stat(full.c_str(), &info), 0);
}

TEST_F(CommandsTest, CommandsWithoutAFileDoNothing)
{
    Open(Log("a.log"));
    PopupOver(nullptr);
    Form->SaveSelectedTextPMIClick(Form->SaveCompleteTextPMI); // no dialog is asked for
    Form->SaveSelectedTextPMIClick(Form->CopyCompleteTextPMI);
    Form->RemoveFilePMIClick(Form);
    Form->ResetFilePMIClick(Form);
    EXPECT_EQ(Form->Tail->GetCount(), 1);
    EXPECT_TRUE(UI.ClipboardContent().empty());
}

TEST_F(CommandsTest, SwitchesTickTheirItems)
{
    struct TSwitch {
        TMenuItem* Item;
        bool* Flag;
        std::function<void()> Click;
    };
    const std::vector<TSwitch> switches = {
        {Form->ShowOnLogEventPMI, &Form->ShowOnLogEvent, [&] { Form->ShowOnLogEventPMIClick(Form); }},
        {Form->BeepOnLogEventPMI, &Form->BeepOnLogEvent, [&] { Form->BeepOnLogEventPMIClick(Form); }},
        {Form->ShowOnlySpecialWordLogsPMI, &Form->ShowOnlySpecialWordLogs,
         [&] { Form->ShowOnlySpecialWordLogsPMIClick(Form); }},
        {Form->AdjustSizeAutomaticlyPMI, &Form->AdjustSizeAutomaticly,
         [&] { Form->AdjustSizeAutomaticlyPMIClick(Form); }},
        {Form->SaveSettingsPMI, &Form->SaveSettings, [&] { Form->SaveSettingsPMIClick(Form); }},
        {Form->AlwaysOnTopPMI, &Form->AlwaysOnTop, [&] { Form->AlwaysOnTopPMIClick(Form); }},
        {Form->ActivePMI, &Form->Active, [&] { Form->ActivePMIClick(Form); }},
    };
    for (const TSwitch& s : switches) {
        const bool before = *s.Flag;
        s.Click();
        EXPECT_EQ(*s.Flag, !before) << s.Item->Caption();
        EXPECT_EQ(s.Item->Checked(), !before) << s.Item->Caption();
    }
    EXPECT_TRUE(UI.StayOnTop(Form->Handle()));
    EXPECT_TRUE(Form->Tail->GetActive());
    // Saving only: tray-only mode stays as the settings file set it.
    EXPECT_FALSE(Form->ShowOnlyInSystemTray);
    Form->SetAlwaysOnTop(false);
    EXPECT_FALSE(UI.StayOnTop(Form->Handle()));
    Form->SetSaveSettings(false); // nothing to write at exit
}

// A file that cannot be opened is named with the reason, in the system's
// words or by what the name is instead: in the "Error" box of an added one,
// and in the message that the application's error box shows for a reset,
// which keeps the pane's handle.
TEST_F(CommandsTest, AFileThatCannotBeOpenedOrResetIsNamedWithTheReason)
{
    const std::pair<std::function<bool(const std::string&)>, std::string> cases[] = {
        {[](const std::string& p) {
             return symlink((p + "2").c_str(), p.c_str()) == 0 && symlink(p.c_str(), (p + "2").c_str()) == 0;
         },
         "Too many levels of symbolic links."},
        {[](const std::string& p) { return mkfifo(p.c_str(), 0600) == 0; },
         "It is a named pipe (FIFO), not a regular file."},
        {[](const std::string& p) { return mkdir(p.c_str(), 0700) == 0; },
         "It is a folder, not a regular file."},
    };
    int n = 0;
    for (const auto& [make, reason] : cases) {
        SCOPED_TRACE(reason);
        const std::string opened = Dir.File("opened" + std::to_string(++n));
        ASSERT_TRUE(make(opened));
        UI.QueueMessageBoxResult(IDOK);
        EXPECT_EQ(Form->OpenTailFile(opened), nullptr);
        TTailFile* file = Open(Log("reset" + std::to_string(n), "kept\n"));
        const std::string reset = file->FileName;
        ASSERT_TRUE(unlink(reset.c_str()) == 0 && make(reset));
        PopupOver(file->View);
        try {
            Form->ResetFilePMIClick(Form);
            ADD_FAILURE() << "the reset raised nothing";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Unable to open file '" + reset + "'. " + reason);
        }
        EXPECT_TRUE(Form->IsWatched(file));
        const std::vector<TUICall> boxes = ErrorBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Text, "Unable to open file '" + opened + "'. " + reason);
        UI.ClearCalls();
    }
}

// A file the user may not read, in a folder the user may look into, gives the
// system's reason. The superuser may read anything: a process of another user
// tries.
TEST(TailOpenReason, AFileWithoutPermissionSaysSo)
{
    TempDir dir;
    const std::string name = dir.Write("secret.log", "x");
    ASSERT_EQ(chmod(name.c_str(), 0) | chmod(dir.Path().c_str(), 0711), 0);
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                _exit(2);
            try {
                FileClose(CTail::OpenFile(name));
            } catch (const Exception& e) {
                fprintf(stderr, "%s", e.Message().c_str());
                _exit(1);
            }
            _exit(0);
        },
        testing::ExitedWithCode(1), "Unable to open file '.*/secret\\.log'\\. Permission denied\\.");
}

} // namespace

// The pane shows its newest line whole.
bool ShowsLastLine(TRollView* view)
{
    const TRVDrawLines& lines = view->RVData->DrawItems;
    int left = 0, top = 0;
    if (lines.Count() == 0 || !view->GetItemClientCoords(view->GetLineCount() - 1, left, top))
        return false;
    return top >= 0 && top + lines[lines.Count() - 1]->Height <= view->ClientHeight();
}

TEST_F(CommandsTest, APaneAtItsEndKeepsItsEndInViewWhenTheWindowIsResized)
{
    // Lines wider than the narrowed window: narrowing brings a horizontal bar.
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "line " + std::to_string(i) + " of the log, long enough to be cut off by a narrow pane\n";
    for (const int count : {1, 50}) {
        SCOPED_TRACE(std::to_string(count) + " panes");
        Form->SetBounds(0, 0, 900, 70 * count + 100);
        std::vector<TTailFile*> files;
        for (int i = 0; i < count; ++i)
            files.push_back(Open(Log("p" + std::to_string(i) + ".log")));
        Form->AdjustSizePMIClick(Form);
        for (TTailFile* file : files)
            Append(file->FileName, lines);
        Poll();
        // Among several, the first pane is scrolled back a step from its end:
        // it keeps its top line until it is made tall enough to show its end.
        TRollView* back = count > 1 ? files[0]->View : nullptr;
        if (back)
            back->SetVScrollPos(back->VPos() - 1);
        const int top = back ? back->VPos() : 0;
        const struct {
            int Width, Height;
            bool BackShowsEnd;
        } sizes[] = {{900, 60 * count + 100, false},
                     {300, 60 * count + 100, false},
                     {300, 45 * count + 100, false},
                     {300, 120 * count + 100, true},
                     {300, 45 * count + 100, true}};
        for (const auto& size : sizes) {
            SCOPED_TRACE(std::to_string(size.Width) + "x" + std::to_string(size.Height));
            Form->SetBounds(0, 0, size.Width, size.Height);
            for (size_t i = back ? 1 : 0; i < files.size(); ++i)
                ASSERT_TRUE(ShowsLastLine(files[i]->View)) << "pane " << i;
            if (back) {
                EXPECT_EQ(ShowsLastLine(back), size.BackShowsEnd);
                EXPECT_TRUE(size.BackShowsEnd || back->VPos() == top);
            }
        }
        while (Form->Tail->GetCount() > 0)
            Form->RemoveTailFile(Form->Tail->GetFile(0));
    }
}

TEST_F(CommandsTest, APaneMadeTooSmallForItsLinesShowsTheNewest)
{
    // Its vertical bar comes while the pane is laid out for its new size.
    Form->SetBounds(0, 0, 400, 300);
    TTailFile* file = Open(Log("a.log"));
    Append(file->FileName, "first\nsecond\n");
    Poll();
    ASSERT_EQ(file->View->GetLineCount(), 2);
    Form->SetClientHeight(file->View->Top() + 25);
    EXPECT_TRUE(ShowsLastLine(file->View));
}

TEST_F(CommandsTest, ANewFontSizeKeepsAPaneAtItsEndThere)
{
    // Two panes of 40 lines; the first scrolled back a step. Larger and then
    // smaller letters: the second shows its newest line each time; the first
    // is not brought to its end by larger letters.
    Form->SetBounds(0, 0, 600, 400);
    TTailFile* back = Open(Log("back.log"));
    TTailFile* end = Open(Log("end.log"));
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "line " + std::to_string(i) + "\n";
    Append(back->FileName, lines);
    Append(end->FileName, lines);
    Poll();
    back->View->SetVScrollPos(back->View->VPos() - 1);
    for (const char* size : {"20", "8"}) {
        SCOPED_TRACE(size);
        UI.QueueInputText(size);
        Form->FontSizePMIClick(Form);
        EXPECT_TRUE(ShowsLastLine(end->View));
        if (size[0] == '2') {
            EXPECT_FALSE(ShowsLastLine(back->View));
        }
    }
}
