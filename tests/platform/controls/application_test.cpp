// The application's message loop: Run shows the main form, keeps going after an
// exception (the error box shows it), ends when the main form closes, frees the
// forms (OnDestroy) and drops the messages that were never delivered, with
// their payloads.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "tests/support/scriptedui.h"

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
