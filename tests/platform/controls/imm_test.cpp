// Input-method composition as a window sees it: the messages of a composition
// with pre-edit text, its strings and cursor, and what the window answers the
// input method once it has set its composition window and font.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/controls/imm.h"
#include "platform/controls/syntheticinput.h"

namespace {

// Notes each composition message with the strings it could read then.
class TComposer : public TCustomControl {
public:
    explicit TComposer(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
    struct TNote {
        UINT Msg;
        LPARAM Flags;
        WideString Composition;
        LONG Cursor;
        WideString Result;
    };
    std::vector<TNote> Notes;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_GETDLGCODE) {
            message.Result = DLGC_WANTCHARS;
            return;
        }
        if (message.Msg == WM_IME_STARTCOMPOSITION || message.Msg == WM_IME_COMPOSITION ||
            message.Msg == WM_IME_ENDCOMPOSITION) {
            HIMC context = ImmGetContext(Handle());
            Notes.push_back({message.Msg, message.LParam, Read(context, GCS_COMPSTR),
                             ImmGetCompositionStringW(context, GCS_CURSORPOS, nullptr, 0),
                             Read(context, GCS_RESULTSTR)});
            ImmReleaseContext(Handle(), context);
            if (message.Msg == WM_IME_COMPOSITION)
                return;
        }
        TCustomControl::Dispatch(message);
    }

private:
    static WideString Read(HIMC context, DWORD index)
    {
        const LONG bytes = ImmGetCompositionStringW(context, index, nullptr, 0);
        WideString text(bytes > 0 ? static_cast<size_t>(bytes) / 2 : 0, u' ');
        if (bytes > 0)
            ImmGetCompositionStringW(context, index, text.data(), static_cast<DWORD>(bytes));
        return text;
    }
};

class InputMethod : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 300, 200);
        Window = new TComposer(Form);
        Window->SetParent(Form);
        Window->SetBounds(10, 10, 200, 100);
        Form->Show();
        Window->SetFocus();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TComposer* Window = nullptr;
};

TEST_F(InputMethod, PreeditTextComesAsACompositionThatACommitEnds)
{
    SimulateInputMethodPreedit(Window, u"ni", 1);
    SimulateInputMethodPreedit(Window, u"nih");
    SimulateInputMethodCommit(Window, u"\u65e5");
    const auto& n = Window->Notes;
    ASSERT_EQ(n.size(), 5u);
    EXPECT_EQ(n[0].Msg, static_cast<UINT>(WM_IME_STARTCOMPOSITION));
    EXPECT_EQ(n[1].Msg, static_cast<UINT>(WM_IME_COMPOSITION));
    EXPECT_EQ(n[1].Flags, static_cast<LPARAM>(GCS_COMPSTR | GCS_CURSORPOS));
    EXPECT_EQ(n[1].Composition, u"ni");
    EXPECT_EQ(n[1].Cursor, 1);
    EXPECT_EQ(n[2].Composition, u"nih");
    EXPECT_EQ(n[2].Cursor, 3);
    EXPECT_EQ(n[3].Flags, static_cast<LPARAM>(GCS_RESULTSTR));
    EXPECT_EQ(n[3].Result, u"\u65e5");
    EXPECT_EQ(n[3].Composition, u"");
    EXPECT_EQ(n[4].Msg, static_cast<UINT>(WM_IME_ENDCOMPOSITION));
    // A composition taken back empties the text being composed and ends.
    Window->Notes.clear();
    SimulateInputMethodPreedit(Window, u"x");
    SimulateInputMethodPreedit(Window, u"");
    ASSERT_EQ(n.size(), 4u);
    EXPECT_EQ(n[2].Flags, static_cast<LPARAM>(GCS_COMPSTR | GCS_CURSORPOS));
    EXPECT_EQ(n[2].Composition, u"");
    EXPECT_EQ(n[3].Msg, static_cast<UINT>(WM_IME_ENDCOMPOSITION));
}

TEST_F(InputMethod, TheInputMethodIsToldTheCompositionWindowAndFont)
{
    HIMC context = ImmGetContext(Window->Handle());
    COMPOSITIONFORM form;
    form.dwStyle = CFS_RECT;
    form.ptCurrentPos = TPoint{37, 21};
    form.rcArea = Rect(5, 0, 195, 100);
    ASSERT_TRUE(ImmSetCompositionWindow(context, &form));
    TLogFont font;
    font.lfHeight = -17;
    font.lfFaceName = "DejaVu Sans";
    ASSERT_TRUE(ImmSetCompositionFontA(context, &font));
    COMPOSITIONFORM read;
    ASSERT_TRUE(ImmGetCompositionWindow(context, &read));
    EXPECT_EQ(read.ptCurrentPos.X, 37);
    const TInputMethodAnswer answer = QueryInputMethod(Window);
    EXPECT_EQ(answer.Cursor, Rect(37, 21, 38, 38));
    EXPECT_EQ(answer.FontFamily, "DejaVu Sans");
    EXPECT_EQ(answer.FontPixelSize, 17);
    // Bad contexts and records are refused.
    EXPECT_FALSE(ImmSetCompositionWindow(nullptr, &form));
    EXPECT_FALSE(ImmSetCompositionFontA(context, nullptr));
    EXPECT_FALSE(ImmGetCompositionFontA(nullptr, &font));
}

} // namespace
