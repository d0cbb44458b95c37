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

TEST(ScriptedUI, MessageBoxesTakeQueuedAnswersInOrderAndAreRecorded)
{
    TScriptedUI ui;
    ui.QueueMessageBoxResult(IDNO);
    ui.QueueMessageBoxResult(IDYES);

    EXPECT_EQ(MessageBox("File is already opened:\n/var/log/a.log\n\nContinue and open the file?",
                         "Confirmation", MB_YESNO | MB_ICONQUESTION),
              IDNO);
    EXPECT_EQ(MessageBox("Remove all files?", "Confirmation", MB_YESNO | MB_ICONQUESTION), IDYES);
    ui.ExpectNoPendingAnswers();

    ASSERT_EQ(ui.Calls().size(), 2u);
    const TUICall& first = ui.Calls()[0];
    EXPECT_EQ(first.Kind, TUICallKind::MessageBox);
    EXPECT_EQ(first.Caption, "Confirmation");
    EXPECT_EQ(first.Text, "File is already opened:\n/var/log/a.log\n\nContinue and open the file?");
    EXPECT_EQ(first.Flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(first.Result, IDNO);
    EXPECT_TRUE(first.Answered);
    EXPECT_EQ(ui.Calls()[1].Result, IDYES);
}

TEST(QtUI, BoxesWithoutACaptionShowTheApplicationsTitle)
{
    const AnsiString title = Application->Title();
    Application->SetTitle("Kelvor");
    EXPECT_EQ(DefaultBoxCaption(), "Kelvor");
    // Without a title: the program's name, as before any was set.
    Application->SetTitle("");
    EXPECT_FALSE(DefaultBoxCaption().empty());
    EXPECT_NE(DefaultBoxCaption(), "Kelvor");
    Application->SetTitle(title);
}

TEST(ScriptedUI, AnUnexpectedBoxFailsTheTestAndGetsTheCancellingAnswer)
{
    TScriptedUI ui;
    int result = 0;
    EXPECT_NONFATAL_FAILURE(result =
                                MessageBox("Reset all files?", "Confirmation", MB_YESNO | MB_ICONQUESTION),
                            "Unexpected message box \"Confirmation\": \"Reset all files?\"");
    EXPECT_EQ(result, IDNO);
    ASSERT_EQ(ui.Calls().size(), 1u);
    EXPECT_FALSE(ui.Calls()[0].Answered);

    EXPECT_NONFATAL_FAILURE(result =
                                MessageBox("Ini-File not found:\n\n/x.ini", "Error", MB_OK | MB_ICONERROR),
                            "Unexpected message box \"Error\"");
    EXPECT_EQ(result, IDOK);
}

TEST(ScriptedUI, AQueuedAnswerThatIsNoButtonOfTheBoxFailsTheTest)
{
    TScriptedUI ui;
    ui.QueueMessageBoxResult(IDYES);
    int result = 0;
    EXPECT_NONFATAL_FAILURE(result = MessageBox("Disk full", "Error", MB_OK | MB_ICONERROR),
                            "Queued answer 6 is no button of message box \"Error\"");
    EXPECT_EQ(result, IDOK);
}

TEST(ScriptedUI, AnswersLeftInTheQueuesFailTheCheck)
{
    TScriptedUI ui;
    ui.QueueMessageBoxResult(IDOK);
    ui.QueueInputText("12");
    ui.QueueFileNames({"/tmp/a.log"});
    ui.QueueColorCancel();
    EXPECT_NONFATAL_FAILURE(ui.ExpectNoPendingAnswers(), "Queued answers that no call asked for:\n"
                                                         "  message box answer 1\n"
                                                         "  input box answer \"12\"\n"
                                                         "  file dialog answer \"/tmp/a.log\"\n"
                                                         "  colour dialog answer (cancel)");
}

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

TEST(ColorDialogs, ASystemColourStartsAsItsValue)
{
    TScriptedUI ui;
    TColorDialog dialog(nullptr);
    dialog.SetColor(clBtnFace);
    ui.QueueColorCancel();
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(ui.CallsOf(TUICallKind::ColorDialog).at(0).Color, ColorToRGB(clBtnFace));
    EXPECT_EQ(dialog.Color(), clBtnFace); // unchanged by a cancel
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

TEST(ScriptedUI, ShowMessageIsAnOkBoxWithTheApplicationsTitle)
{
    TScriptedUI ui;
    AnsiString title = Application->Title();
    Application->SetTitle("Kelvor");
    ui.QueueMessageBoxResult(IDOK);
    ShowMessage("Saved.");
    Application->SetTitle(title);
    ASSERT_EQ(ui.CallsOf(TUICallKind::MessageBox).size(), 1u);
    const TUICall call = ui.CallsOf(TUICallKind::MessageBox)[0];
    EXPECT_EQ(call.Text, "Saved.");
    EXPECT_EQ(call.Caption, "Kelvor");
    EXPECT_EQ(call.Flags, MB_OK);
}

TEST(FileDialogs, WithoutMultiSelectOnlyTheFirstFileCounts)
{
    TScriptedUI ui;
    TOpenDialog dialog(nullptr);
    ui.QueueFileNames({"/a.log", "/b.log"});
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Files()->Count(), 1);
    EXPECT_EQ(dialog.FileName(), "/a.log");
}
