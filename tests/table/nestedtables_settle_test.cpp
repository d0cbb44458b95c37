// Handling the messages a step defers (nestedtables::SettleMessages): it
// returns once they are handled, those their handlers post included, and a
// handler that keeps posting its own message again fails the test instead of
// holding it for ever.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/controls/controls.h"
#include "platform/controls/winapi.h"
#include "tests/support/nestedtables.h"
#include "tests/support/testeditor.h"

namespace {

// Posts WM_RVFREEINPLACE to itself again from its handler, Again more times
// (for ever while Again is negative).
class TReposter : public TCustomControl {
public:
    explicit TReposter(TComponent* owner) : TCustomControl(owner) {}
    int Again = 0;
    int Handled = 0;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg != WM_RVFREEINPLACE) {
            TCustomControl::Dispatch(message);
            return;
        }
        ++Handled;
        if (Again != 0) {
            Again -= Again > 0;
            PostMessage(Handle(), WM_RVFREEINPLACE, 0, 0);
        }
    }
};

class SettleMessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Reposter = new TReposter(Editor.Form);
        Reposter->SetParent(Editor.Form);
    }
    THeadlessEditor Editor;
    TReposter* Reposter = nullptr;
};

TEST_F(SettleMessagesTest, ReturnsOnceTheMessagesAndThoseTheirHandlersPostAreHandled)
{
    for (const int again : {0, 1, 20, nestedtables::SettlePassesAtMost - 1}) {
        SCOPED_TRACE(again);
        Reposter->Handled = 0;
        Reposter->Again = again;
        ASSERT_TRUE(PostMessage(Reposter->Handle(), WM_RVFREEINPLACE, 0, 0));
        nestedtables::SettleMessages();
        EXPECT_EQ(Reposter->Handled, again + 1);
        EXPECT_FALSE(MessageQueued(WM_RVFREEINPLACE, WM_RVFREEINPLACE));
    }
}

TEST_F(SettleMessagesTest, AHandlerThatKeepsPostingItsMessageAgainFailsTheTest)
{
    Reposter->Again = -1;
    ASSERT_TRUE(PostMessage(Reposter->Handle(), WM_RVFREEINPLACE, 0, 0));
    EXPECT_NONFATAL_FAILURE(nestedtables::SettleMessages(), "keeps posting its message again");
    EXPECT_EQ(Reposter->Handled, nestedtables::SettlePassesAtMost);
    // Once the handler stops, the queue empties.
    Reposter->Again = 0;
    nestedtables::SettleMessages();
    EXPECT_FALSE(MessageQueued(WM_RVFREEINPLACE, WM_RVFREEINPLACE));
}

} // namespace
