// The UI services as tests use them: the scripted implementation's queues and
// recorded calls, and the message boxes, input boxes, file and colour dialogs
// and beeps that reach the user through it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/controls/uiservices.h"
#include "platform/core/colors.h"
#include "tests/support/scriptedui.h"

namespace {

TEST(InputBoxes, ConfirmedTextCancelAndTheValueShown)
{
    TScriptedUI ui;
    ui.QueueInputText("300");
    ui.QueueInputCancel();
    ui.QueueInputText("");
    ui.QueueInputCancel();

    EXPECT_EQ(InputBox("Change 'Purge At Line'", "Select a new value:", "250"), "300");
    // Cancelled: the default comes back.
    EXPECT_EQ(InputBox("Change 'Monitor Interval'", "Select a new value:", "500"), "500");

    AnsiString value = "7";
    EXPECT_TRUE(InputQuery("Change 'Font Size'", "Select a new value:", value));
    EXPECT_EQ(value, ""); // an emptied field is an answer too
    value = "7";
    EXPECT_FALSE(InputQuery("Change 'Font Size'", "Select a new value:", value));
    EXPECT_EQ(value, "7");
    ui.ExpectNoPendingAnswers();

    std::vector<TUICall> calls = ui.CallsOf(TUICallKind::InputQuery);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].Caption, "Change 'Purge At Line'");
    EXPECT_EQ(calls[0].Text, "Select a new value:");
    EXPECT_EQ(calls[0].Value, "250");
    EXPECT_TRUE(calls[0].Confirmed);
    EXPECT_EQ(calls[1].Value, "500");
    EXPECT_FALSE(calls[1].Confirmed);
}

TEST(FileDialogs, OpenDialogPassesItsSettingsAndTakesSeveralFiles)
{
    TScriptedUI ui;
    TOpenDialog dialog(nullptr);
    dialog.SetFilter("Log Files (*.log)|*.log|All Files (*.*)|*.*");
    dialog.SetOptions({ofHideReadOnly, ofAllowMultiSelect, ofEnableSizing});
    dialog.SetInitialDir("/var/log");
    ui.QueueFileNames({"/var/log/a.log", "/var/log/b b.log"}, 2);

    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Files()->Count(), 2);
    EXPECT_EQ((*dialog.Files())[0], "/var/log/a.log");
    EXPECT_EQ((*dialog.Files())[1], "/var/log/b b.log");
    EXPECT_EQ(dialog.FileName(), "/var/log/a.log");
    EXPECT_EQ(dialog.FilterIndex(), 2);

    std::vector<TUICall> calls = ui.CallsOf(TUICallKind::FileDialog);
    ASSERT_EQ(calls.size(), 1u);
    const TFileDialogRequest& request = calls[0].FileRequest;
    EXPECT_FALSE(request.Save);
    EXPECT_TRUE(request.AllowMultiSelect);
    EXPECT_FALSE(request.OverwritePrompt);
    EXPECT_EQ(request.Filter, "Log Files (*.log)|*.log|All Files (*.*)|*.*");
    EXPECT_EQ(request.FilterIndex, 1);
    EXPECT_EQ(request.InitialDir, "/var/log");
}

TEST(FileDialogs, CancelKeepsTheLastAnswer)
{
    TScriptedUI ui;
    TOpenDialog dialog(nullptr);
    ui.QueueFileNames({"/a.log"});
    ui.QueueFileCancel();
    ASSERT_TRUE(dialog.Execute());
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/a.log");
    EXPECT_EQ(dialog.Files()->Count(), 1);
}

TEST(FileDialogs, SaveDialogAsksToOverwriteAndProposesTheName)
{
    TScriptedUI ui;
    TSaveDialog dialog(nullptr);
    dialog.SetFilter("Text File (*.txt)|*.txt|All Files (*.*)|*.*");
    dialog.SetOptions({ofOverwritePrompt, ofHideReadOnly, ofEnableSizing, ofAllowMultiSelect});
    dialog.SetFileName("pane.txt");
    dialog.SetDefaultExt("txt");
    ui.QueueFileNames({"/home/u/out.txt"});

    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/home/u/out.txt");
    const TFileDialogRequest request = ui.CallsOf(TUICallKind::FileDialog).at(0).FileRequest;
    EXPECT_TRUE(request.Save);
    EXPECT_TRUE(request.OverwritePrompt);
    EXPECT_FALSE(request.AllowMultiSelect); // a save names one file
    EXPECT_EQ(request.FileName, "pane.txt");
    EXPECT_EQ(request.DefaultExt, "txt");
}

TEST(ColorDialogs, StartsAtTheColourAndTakesTheOneChosen)
{
    TScriptedUI ui;
    TColorDialog dialog(nullptr);
    dialog.SetColor(6740850);
    ui.QueueColor(0xFFD7D7);
    ui.QueueColorCancel();

    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color(), 0xFFD7D7);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Color(), 0xFFD7D7);

    std::vector<TUICall> calls = ui.CallsOf(TUICallKind::ColorDialog);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Color, 6740850);
    EXPECT_EQ(calls[1].Color, 0xFFD7D7);
}

} // namespace

TEST(MessageBoxFlags, ButtonsAndCancelAnswerFollowTheButtonType)
{
    EXPECT_EQ(MessageBoxButtons(MB_OK | MB_ICONERROR), (std::vector<int>{IDOK}));
    EXPECT_EQ(MessageBoxButtons(MB_YESNO | MB_ICONQUESTION), (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(MessageBoxButtons(MB_YESNOCANCEL), (std::vector<int>{IDYES, IDNO, IDCANCEL}));
    EXPECT_EQ(MessageBoxButtons(MB_ABORTRETRYIGNORE), (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
    EXPECT_EQ(MessageBoxButtons(0xE), (std::vector<int>{IDOK})); // no such button type

    EXPECT_EQ(MessageBoxCancelAnswer(MB_OK), IDOK);
    EXPECT_EQ(MessageBoxCancelAnswer(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(MessageBoxCancelAnswer(MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBoxCancelAnswer(MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxCancelAnswer(MB_ABORTRETRYIGNORE), IDABORT);
    EXPECT_EQ(MessageBoxCancelAnswer(MB_RETRYCANCEL), IDCANCEL);
}
