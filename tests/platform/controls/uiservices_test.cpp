// The UI services: the save dialog's questions and the buttons of message boxes.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/controls/uiservices.h"
#include "platform/core/colors.h"
#include "tests/support/scriptedui.h"

namespace {

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
