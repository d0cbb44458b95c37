// The editor and input methods: pre-edit text painted at the caret outside the
// document and its undo, committed text taking the road of typing (refused in
// a read-only editor), and the caret and font the input method is told.
#include <gtest/gtest.h>

#include "platform/controls/imm.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/pumpevents.h"
#include "tests/support/testeditcontrol.h"

namespace {

class EditorInputMethod : public ::testing::Test, public TEditControlFixture {
protected:
    // Pixels of the client area's band of the caret's line, right of the caret.
    std::vector<uint32_t> BandRightOfCaret()
    {
        TPixelBuffer pixels;
        EXPECT_TRUE(GrabWindow(Edit, pixels));
        const TRect caret = Edit->CaretRect();
        std::vector<uint32_t> band;
        for (int y = caret.Top; y < caret.Bottom && y < pixels.Height; ++y)
            for (int x = caret.Right + 1; x < caret.Right + 40 && x < pixels.Width; ++x)
                band.push_back(pixels.At(x, y));
        return band;
    }
};

TEST_F(EditorInputMethod, PreeditTextIsPaintedAtTheCaretAndIsNoPartOfTheDocument)
{
    Load("ab", Uni);
    const AnsiString before = RVF();
    const auto plain = BandRightOfCaret();
    SimulateInputMethodPreedit(Edit, u"\u306b\u307b", 1);
    EXPECT_EQ(Edit->CompositionText(), u"\u306b\u307b");
    EXPECT_EQ(Edit->CompositionCursor(), 1);
    EXPECT_TRUE(RVF() == before);
    EXPECT_EQ(Data().UndoList->CurrentUndoType(), rvutNone);
    EXPECT_EQ(Changes, 0);
    EXPECT_NE(BandRightOfCaret(), plain);
    // Taken back: nothing stays, on the screen either.
    SimulateInputMethodPreedit(Edit, u"");
    EXPECT_TRUE(Edit->CompositionText().empty());
    EXPECT_EQ(BandRightOfCaret(), plain);
    EXPECT_TRUE(RVF() == before);
}

TEST_F(EditorInputMethod, CommittedTextIsTypedAndUndoneAsTyping)
{
    Load("ab", Uni);
    SimulateInputMethodPreedit(Edit, u"ni");
    editinvariant::Run(Data(), "commit", [&] { SimulateInputMethodCommit(Edit, u"\u65e5\u672c"); });
    EXPECT_TRUE(Edit->CompositionText().empty());
    EXPECT_EQ(Text(), "ab\xE6\x97\xA5\xE6\x9C\xAC");
    // Characters committed one by one join the typing group.
    SimulateInputMethodCommit(Edit, u"x");
    SimulateInputMethodCommit(Edit, u"y");
    EXPECT_EQ(Text(), "ab\xE6\x97\xA5\xE6\x9C\xACxy");
    Edit->Undo();
    EXPECT_EQ(Text(), "ab\xE6\x97\xA5\xE6\x9C\xACx");
    Edit->Undo();
    Edit->Undo();
    EXPECT_EQ(Text(), "ab");
    // Committed lines become paragraphs.
    editinvariant::Run(Data(), "lines", [&] { SimulateInputMethodCommit(Edit, u"1\u20292"); });
    EXPECT_EQ(Text(), "ab1|2");
}

TEST_F(EditorInputMethod, AReadOnlyEditorTakesNoCommittedTextAndBeepsOnce)
{
    Load("ab", Uni);
    Edit->SetReadOnly(true);
    const int beeps = Beeps();
    SimulateInputMethodCommit(Edit, u"\u65e5\u672c");
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(Beeps(), beeps + 1);
    EXPECT_EQ(Changes, 0);
}

TEST_F(EditorInputMethod, TheInputMethodIsToldTheCaretAndTheCurrentFont)
{
    Style->TextStyles()->Items(Uni)->SetFontName("DejaVu Serif");
    Load("abc", Uni);
    ASSERT_TRUE(HandlePostedMessages());
    const TInputMethodAnswer answer = QueryInputMethod(Edit);
    EXPECT_EQ(answer.Cursor.Left, Edit->CaretRect().Left);
    EXPECT_EQ(answer.Cursor.Top, Edit->CaretRect().Top);
    EXPECT_EQ(answer.FontFamily, "DejaVu Serif");
    EXPECT_GT(answer.FontPixelSize, 0);
    // The caret moves: the input method follows it.
    Key(VK_HOME);
    EXPECT_EQ(QueryInputMethod(Edit).Cursor.Left, Edit->CaretRect().Left);
}

} // namespace
