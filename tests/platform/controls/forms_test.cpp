// Forms and the application object: the exception barrier and its error box,
// activation and the active control; and the message loop: Run shows the main
// form, ends when the main form closes and drops the messages never delivered,
// with their payloads.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "tests/support/scriptedui.h"

namespace {

// A form whose handlers use members that its own destructor would free.
class TLoggingForm : public TForm {
public:
    explicit TLoggingForm(TComponent* AOwner) : TForm(AOwner)
    {
        OnCreate = [this](TObject*) { Log->push_back("create " + std::to_string(Items.size())); };
        OnDestroy = [this](TObject*) { Log->push_back("destroy " + std::to_string(Items.size())); };
        Items = {1, 2, 3};
    }
    std::vector<int> Items;
    std::vector<std::string>* Log = &OwnLog;
    std::vector<std::string> OwnLog;
};

class TButtonish : public TCustomControl {
public:
    explicit TButtonish(TComponent* AOwner) : TCustomControl(AOwner) {}
};

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(20, 20, 200, 100);
        Button = new TButtonish(Form);
        Button->SetBounds(0, 0, 50, 20);
        Button->SetParent(Form);
    }
    void TearDown() override
    {
        if (Form)
            Form->Free();
    }

    TScriptedUI UI;
    TForm* Form = nullptr;
    TButtonish* Button = nullptr;
};

} // namespace

TEST_F(FormsTest, AnExceptionFromAHandlerShowsTheErrorBoxAndInputGoesOn)
{
    UI.QueueMessageBoxResult(IDOK);
    UI.QueueMessageBoxResult(IDOK);
    int clicks = 0;
    Button->OnClick = [&](TObject*) {
        if (++clicks == 1)
            throw EConvertError("'abc' is not a valid integer value");
    };
    Form->Show();
    Application->SetTitle("Kelvor");
    SimulateClick(Button, mbLeft, 5, 5);
    SimulateClick(Button, mbLeft, 5, 5);
    EXPECT_EQ(clicks, 2);
    auto boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "'abc' is not a valid integer value.") << "a full stop after a letter or quote";
    EXPECT_EQ(boxes[0].Caption, "Kelvor");
    EXPECT_EQ(boxes[0].Flags, MB_OK | MB_ICONSTOP);
    // A message ending in punctuation keeps it as it is.
    Button->OnClick = [](TObject*) { throw Exception("Stop!"); };
    SimulateClick(Button, mbLeft, 5, 5);
    boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].Text, "Stop!");
}

TEST_F(FormsTest, TheActiveControlGetsTheFocusWhenTheFormIsShown)
{
    auto* second = new TButtonish(Form);
    second->SetBounds(0, 30, 50, 20);
    second->SetParent(Form);
    // A hidden form cannot be given an active control.
    EXPECT_THROW(Form->SetActiveControl(second), EInvalidOperation);
    Form->Show();
    EXPECT_TRUE(Form->Active());
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_EQ(GetFocus(), Form->Handle());
    Form->SetActiveControl(second);
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(Screen->ActiveControl(), second);
    // Hidden and shown again, the form gives the focus back to its active control.
    Form->Hide();
    EXPECT_FALSE(second->Focused());
    Form->Show();
    EXPECT_TRUE(second->Focused());
    // Another form takes the activation and the focus.
    TForm other(nullptr);
    other.Show();
    EXPECT_FALSE(Form->Active());
    EXPECT_FALSE(second->Focused());
    EXPECT_EQ(GetFocus(), other.Handle());
    // The platform's SetFocus on a window of the inactive form activates that form.
    ::SetFocus(second->Handle());
    EXPECT_TRUE(Form->Active());
    EXPECT_FALSE(other.Active());
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_TRUE(second->Focused());
    other.Hide();
    // Removing the focused control leaves no dangling active control.
    Form->SetFocus();
    EXPECT_TRUE(second->Focused());
    delete second;
    EXPECT_EQ(Form->ActiveControl(), nullptr);
    EXPECT_EQ(GetFocus(), Form->Handle()) << "the form takes the focus back";
    EXPECT_THROW(Form->SetActiveControl(Form), EInvalidOperation);
}

namespace {

class TPayload : public TObject {
public:
    explicit TPayload(int* AFreed) : Freed(AFreed) {}
    ~TPayload() override { ++*Freed; }
    int* Freed;
};

} // namespace

TEST(ApplicationTest, RunEndsWithTheMainFormAndDropsWhatWasNeverDelivered)
{
    TScriptedUI ui;
    ui.QueueMessageBoxResult(IDOK);
    int freed = 0;
    int destroyed = 0;
    int shown = 0;
    int ticks = 0;
    TForm* main = nullptr;
    Application->CreateForm(main);
    main->OnShow = [&](TObject*) { ++shown; };
    main->OnDestroy = [&](TObject*) {
        ++destroyed;
        // Queued while the application ends: never delivered.
        EXPECT_TRUE(PostMessage(Application->Handle(), WM_USER + 15, std::make_unique<TPayload>(&freed), 0));
    };
    auto* timer = new TTimer(main);
    timer->SetInterval(10);
    timer->OnTimer = [&](TObject*) {
        if (++ticks == 1)
            throw Exception("First tick failed");
        main->Close();
    };
    Application->Run();
    EXPECT_EQ(shown, 1);
    EXPECT_GE(ticks, 2);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(freed, 1) << "freed when Run returned";
    EXPECT_EQ(Application->MainForm(), nullptr);
    const auto boxes = ui.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "First tick failed.");
    // Without a main form Run has nothing to do.
    Application->Run();
}
