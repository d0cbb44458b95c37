// The editor control driven through the toolkit's key events: the undo and
// redo shortcuts, Tab, typing over a selection, typing as one undo step,
// characters outside ASCII, refusals, the change events, the painted caret
// and the messages of an edit control. The editor invariant is checked after
// every command.
#include <gtest/gtest.h>

#include <cctype>

#include <functional>
#include <string>
#include <vector>

#include "platform/controls/winapi.h"
#include "tests/support/pumpevents.h"
#include "tests/support/testeditcontrol.h"

namespace {

class RollViewEditTest : public ::testing::Test, public TEditControlFixture {};

struct TKeyStep {
    const char* Name;
    WORD Key;
    TShiftState Shift;
    const char* Expected;
};

TEST_F(RollViewEditTest, UndoAndRedoShortcuts)
{
    Load("hello");
    Key('X');
    ASSERT_EQ(Text(), "hellox");
    const std::vector<TKeyStep> steps = {
        {"Ctrl+Z undoes", 'Z', {ssCtrl}, "hello"},
        {"Shift+Ctrl+Z redoes", 'Z', {ssShift, ssCtrl}, "hellox"},
        {"Alt+Backspace undoes", VK_BACK, {ssAlt}, "hello"},
        {"Alt+Shift+Backspace redoes", VK_BACK, {ssAlt, ssShift}, "hellox"},
        {"Ctrl+Alt+Z does neither", 'Z', {ssCtrl, ssAlt}, "hellox"},
        {"Ctrl+Y is no shortcut", 'Y', {ssCtrl}, "hellox"},
        {"Ctrl+Z again", 'Z', {ssCtrl}, "hello"},
        {"nothing left to undo", 'Z', {ssCtrl}, "hello"},
    };
    for (const TKeyStep& step : steps) {
        SCOPED_TRACE(step.Name);
        Key(step.Key, step.Shift);
        EXPECT_EQ(Text(), step.Expected);
        Check(step.Name);
    }
}

TEST_F(RollViewEditTest, TabInsertsTheStyleSheetsSpaces)
{
    struct TCase {
        int Spaces;
        TShiftState Shift;
    };
    for (const TCase& c : std::vector<TCase>{{8, {}}, {3, {}}, {0, {}}, {2, {ssCtrl}}}) {
        SCOPED_TRACE("spaces " + std::to_string(c.Spaces) + (c.Shift.Contains(ssCtrl) ? " Ctrl" : ""));
        Edit->SetEditorOptions(TRVEditorOptions{rvoWantTabs});
        Style->SetSpacesInTab(c.Spaces);
        Load("ab");
        const AnsiString expected = "ab" + AnsiString(static_cast<size_t>(c.Spaces), ' ');
        editinvariant::Run(Data(), "Tab", [&] {
            Key(VK_TAB, c.Shift);
            // Ctrl+Tab posts the character to the window.
            ProcessMessagesUntil([&] { return Text() == expected; }, WaitDeadlineMs);
        });
        EXPECT_EQ(Text(), expected);
        EXPECT_EQ(Data().GetItemText(0).find('\t'), AnsiString::npos);
    }
}

// The letters of a word form one typing group, which undo takes back one
// letter at a time (the group leaves the list with its last letter).
TEST_F(RollViewEditTest, WordTypedLetterByLetterIsOneTypingGroupUndoneLetterByLetter)
{
    for (int styleNo : {0, Uni}) {
        SCOPED_TRACE("style " + std::to_string(styleNo));
        Load("say ", styleNo);
        ASSERT_EQ(Data().GetItemOptions(0).Contains(rvioUnicode), styleNo == Uni);
        const AnsiString before = RVF();
        for (const char* letter : {"w", "o", "r", "d"}) {
            editinvariant::Run(Data(), letter, [&] { Type(letter); });
            EXPECT_EQ(Data().UndoList->Count(), 1);
        }
        EXPECT_EQ(Text(), "say word");
        EXPECT_EQ(Data().UndoList->CurrentUndoType(), rvutTyping);
        for (int i = 0; i < 4; ++i) {
            Key('Z', {ssCtrl});
            Check("undone");
        }
        EXPECT_TRUE(RVF() == before);
        EXPECT_EQ(Data().UndoList->CurrentUndoType(), rvutNone);
        for (int i = 0; i < 4; ++i)
            Key('Z', {ssShift, ssCtrl});
        EXPECT_EQ(Text(), "say word");
        Check("redone");
    }
}

// An item-action hook that rewrites the typed text: undo gives back the text
// before the key, redo the rewritten one.
TEST_F(RollViewEditTest, TextRewrittenByTheTextHookIsUndoneWhole)
{
    Load("say");
    Edit->OnItemAction = [](TObject*, TRVItemAction action, TCustomRVItemInfo*, AnsiString& text,
                            TCustomRVData*) {
        if (action == rviaTextModifying)
            for (char& c : text)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    };
    editinvariant::Run(Data(), "a letter the hook rewrites", [&] { Type("x"); });
    EXPECT_EQ(Text(), "SAYX");
    Key('Z', {ssCtrl});
    EXPECT_EQ(Text(), "say");
}

TEST_F(RollViewEditTest, LetterOverSelectionGivesTwoUndoGroups)
{
    Load("hello world");
    const AnsiString original = RVF();
    Data().SetSelectionBounds(0, 7, 0, 12);
    Key('Q');
    EXPECT_EQ(Text(), "hello q");
    Check("typed over the selection");
    Key('Z', {ssCtrl});
    EXPECT_EQ(Text(), "hello ");
    Key('Z', {ssCtrl});
    EXPECT_TRUE(RVF() == original);
    Check("both undone");
}

// Deleting a selection is a change like any other: it is reported and it
// empties the redo list, whose records belong to the document before it.
TEST_F(RollViewEditTest, DeletingTheSelectionIsAChange)
{
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"Delete", [&] { Key(VK_DELETE); }},
        {"Backspace", [&] { Key(VK_BACK); }},
        {"WM_CLEAR", [&] { Edit->Perform(WM_CLEAR, 0, 0); }},
        {"a letter over it", [&] { Key('Q'); }},
    };
    for (const auto& [name, deleteIt] : ways) {
        SCOPED_TRACE(name);
        Load("hello world");
        Key('X');
        Key('Z', {ssCtrl});
        ASSERT_EQ(Edit->Perform(EM_CANREDO, 0, 0), 1);
        Data().SetSelectionBounds(0, 1, 0, 7);
        Changes = 0;
        deleteIt();
        EXPECT_TRUE(Text() == "world" || Text() == "qworld");
        EXPECT_GE(Changes, 1);
        EXPECT_TRUE(Edit->Modified);
        EXPECT_EQ(Edit->Perform(EM_CANREDO, 0, 0), 0);
        Check(name);
    }
}

TEST_F(RollViewEditTest, ModifiersKeepTheSelection)
{
    for (TShiftState shift : {TShiftState{ssCtrl}, TShiftState{ssAlt}}) {
        Load("hello world");
        Data().SetSelectionBounds(0, 1, 0, 6);
        Key('Q', shift);
        EXPECT_EQ(Text(), "hello world");
        EXPECT_TRUE(Data().SelectionExists(true, false));
    }
}

TEST_F(RollViewEditTest, CharactersOutsideAscii)
{
    struct TCase {
        const char* Name;
        int StyleNo;
        TFontCharset Charset;
        std::vector<const char*> Typed; // one character each
        const char* Expected;           // the item's bytes; UTF-8 for a Unicode item
    };
    const std::vector<TCase> cases = {
        {"accented letters into a Western item", 0, ANSI_CHARSET, {"\xC3\xA9", "\xC3\xBC"}, "x\xE9\xFC"},
        {"kana into a double-byte item",
         0,
         SHIFTJIS_CHARSET,
         {"\xE3\x81\x82", "\xE3\x81\x84"},
         "x\x82\xA0\x82\xA2"},
        {"Greek into a Unicode item", 1, DEFAULT_CHARSET, {"\xCE\xB1", "\xCE\xB2"}, "x\xCE\xB1\xCE\xB2"},
        {"a surrogate pair into a Unicode item",
         1,
         DEFAULT_CHARSET,
         {"\xF0\x9F\x98\x80"},
         "x\xF0\x9F\x98\x80"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Style->TextStyles()->Items(c.StyleNo)->SetCharset(c.Charset);
        Load("x", c.StyleNo);
        const AnsiString before = RVF();
        for (const char* ch : c.Typed)
            EXPECT_TRUE(editinvariant::Run(Data(), c.Name, [&] { Type(ch); }));
        EXPECT_EQ(Text(), c.Expected);
        while (Data().UndoList->CurrentUndoType() != rvutNone) {
            Key('Z', {ssCtrl});
            Check("undone");
        }
        EXPECT_TRUE(RVF() == before);
    }
}

// Typing that cannot extend the caret's item inserts, recorded as a group.
TEST_F(RollViewEditTest, TypingThatInsertsIsRecorded)
{
    struct TCase {
        const char* Name;
        const char* Loaded;
        int TypingStyle;
        char HookKey; // what OnKeyPress turns the key into; 0: no handler
        const char* Expected;
    };
    const std::vector<TCase> cases = {
        {"into an empty paragraph", "", 0, 0, "k"},
        {"in another text style", "ab", 1, 0, "abk"},
        {"an OnKeyPress replacing the key", "ab", 0, 'K', "abK"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Load(c.Loaded);
        Edit->SetCurTextStyleNo(c.TypingStyle);
        if (c.HookKey)
            Edit->OnKeyPress = [&](TObject*, char& key) { key = c.HookKey; };
        EXPECT_TRUE(editinvariant::Run(Data(), c.Name, [&] { Key('K'); }));
        EXPECT_EQ(Text(), c.Expected);
        Edit->OnKeyPress = nullptr;
    }
}

// Every road into the document, each tried on a refusing editor.
const std::vector<std::pair<const char*, std::function<void(TEditControlFixture&)>>>& Commands()
{
    static const std::vector<std::pair<const char*, std::function<void(TEditControlFixture&)>>> list = {
        {"a letter", [](TEditControlFixture& f) { f.Key('A'); }},
        {"an accented letter", [](TEditControlFixture& f) { f.Type("\xC3\xA9"); }},
        {"an input method commit", [](TEditControlFixture& f) { SimulateInputMethodCommit(f.Edit, u"ok"); }},
        {"Tab", [](TEditControlFixture& f) { f.Key(VK_TAB); }},
        {"Enter", [](TEditControlFixture& f) { f.Key(VK_RETURN); }},
        {"Backspace", [](TEditControlFixture& f) { f.Key(VK_BACK); }},
        {"Delete", [](TEditControlFixture& f) { f.Key(VK_DELETE, {}); }},
        {"InsertText", [](TEditControlFixture& f) { EXPECT_FALSE(f.Edit->InsertText("zz")); }},
        {"WM_CLEAR", [](TEditControlFixture& f) { f.Edit->Perform(WM_CLEAR, 0, 0); }},
    };
    return list;
}

TEST_F(RollViewEditTest, RefusalsChangeNothingAndBeepOnlyWithSound)
{
    struct TCase {
        const char* Name;
        std::function<void(TEditControlFixture&)> Refuse;
        bool Beeps;
    };
    const std::vector<TCase> cases = {
        {"read-only", [](TEditControlFixture& f) { f.Edit->SetReadOnly(true); }, true},
        {"a vetoing OnChanging",
         [](TEditControlFixture& f) {
             f.Edit->OnChanging = [](TCustomRollViewEdit*, bool& can) { can = false; };
         },
         true},
    };
    Edit->SetEditorOptions(TRVEditorOptions{rvoWantTabs});
    for (const TCase& c : cases) {
        for (bool sound : {true, false}) {
            for (const auto& [name, command] : Commands()) {
                SCOPED_TRACE(std::string(c.Name) + (sound ? ", sound on: " : ", sound off: ") + name);
                Edit->SetReadOnly(false);
                Edit->OnChanging = nullptr;
                Style->SetUseSound(sound);
                Load("hello world");
                Data().SetSelectionBounds(0, 1, 0, 3);
                const AnsiString before = RVF();
                c.Refuse(*this);
                UI.ClearCalls();
                command(*this);
                ASSERT_TRUE(HandlePostedMessages());
                EXPECT_TRUE(RVF() == before);
                EXPECT_EQ(Changes, 0);
                EXPECT_FALSE(Edit->Modified);
                if (c.Beeps && sound)
                    EXPECT_GT(Beeps(), 0);
                else
                    EXPECT_EQ(Beeps(), 0);
            }
        }
    }
}

TEST_F(RollViewEditTest, WithoutStyleSheetEverythingIsRefusedSilently)
{
    Load("hello");
    Edit->SetStyle(nullptr);
    UI.ClearCalls();
    for (const auto& [name, command] : Commands()) {
        SCOPED_TRACE(name);
        command(*this);
        EXPECT_EQ(Text(), "hello");
        EXPECT_FALSE(Edit->CaretVisible());
    }
    EXPECT_EQ(Beeps(), 0);
    EXPECT_EQ(Changes, 0);
}

TEST_F(RollViewEditTest, ChangeEventsAndUpdateBrackets)
{
    Load("ab");
    int changing = 0;
    Edit->OnChanging = [&](TCustomRollViewEdit* sender, bool&) {
        EXPECT_EQ(sender, Edit);
        ++changing;
    };
    Key('C');
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(Changes, 1);
    EXPECT_TRUE(Edit->Modified);
    Edit->BeginUpdate();
    Key('D');
    Key(VK_BACK);
    Edit->EndUpdate();
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(Changes, 1);
    Key('Z', {ssCtrl});
    EXPECT_EQ(Changes, 2) << "undo is a change too";
}

TEST_F(RollViewEditTest, ReturnOptions)
{
    struct TCase {
        const char* Name;
        TRVEditorOptions Options;
        TShiftState Shift;
        const char* Expected;
        int Beeps;
    };
    const std::vector<TCase> cases = {
        {"Enter splits the paragraph", {}, {}, "ab|", 0},
        {"Enter without returns beeps", TRVEditorOptions{rvoDoNotWantReturns}, {}, "ab", 1},
        {"Shift+Enter without shift returns", TRVEditorOptions{rvoDoNotWantShiftReturns}, {ssShift}, "ab", 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Edit->SetEditorOptions(c.Options);
        Load("ab");
        UI.ClearCalls();
        editinvariant::Run(Data(), c.Name, [&] { Key(VK_RETURN, c.Shift); });
        EXPECT_EQ(Text(), c.Expected);
        EXPECT_EQ(Beeps(), c.Beeps);
    }
}

TEST_F(RollViewEditTest, EditControlMessages)
{
    Load("ab");
    EXPECT_EQ(Edit->Perform(EM_CANUNDO, 0, 0), 0);
    Key('C');
    EXPECT_EQ(Edit->Perform(EM_CANUNDO, 0, 0), 1);
    EXPECT_EQ(Edit->Perform(WM_UNDO, 0, 0), 1);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(Edit->Perform(EM_CANREDO, 0, 0), 1);
    EXPECT_EQ(Edit->Perform(EM_REDO, 0, 0), 1);
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(Edit->Perform(EM_REDO, 0, 0), 0);
    PostMessage(Edit->Handle(), WM_RVUNDOFROMINPLACE, 0, 0);
    ProcessMessagesUntil([&] { return Text() == "ab"; }, WaitDeadlineMs);
    EXPECT_EQ(Text(), "ab");
    PostMessage(Edit->Handle(), WM_RVREDOFROMINPLACE, 0, 0);
    ProcessMessagesUntil([&] { return Text() == "abc"; }, WaitDeadlineMs);
    EXPECT_EQ(Text(), "abc");
    Check("after the messages");
    EXPECT_THROW(Edit->SetTabNavigation(rvtnTab), ERollViewError);
    EXPECT_NO_THROW(Edit->SetTabNavigation(rvtnNone));
}

TEST_F(RollViewEditTest, CaretIsPaintedAndBlinksOnlyWithFocus)
{
    Load("ab");
    Key(VK_LEFT);
    ASSERT_TRUE(Edit->CaretVisible());
    EXPECT_GT(Edit->CaretRect().Height(), 0);
    const int x = Edit->CaretRect().Left;
    Key(VK_LEFT);
    EXPECT_LT(Edit->CaretRect().Left, x);
    EXPECT_TRUE(Edit->CaretBlinkOn());
    EXPECT_TRUE(ProcessMessagesUntil([&] { return !Edit->CaretBlinkOn(); }, WaitDeadlineMs))
        << "the caret blinks";
    EXPECT_TRUE(ProcessMessagesUntil([&] { return Edit->CaretBlinkOn(); }, WaitDeadlineMs));
    Edit->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(Edit->CaretVisible());
    Edit->Perform(WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(Edit->CaretVisible());
}

} // namespace

namespace {

class RollViewEditBarTest : public ::testing::Test, public TEditControlFixture {};

// The editor keeps its vertical bar, disabled, while the document fits: set
// again when its window is made, since the scroller's window set-up clears it.
TEST_F(RollViewEditBarTest, TheVerticalBarStaysShownWhileTheDocumentFits)
{
    Load("short");
    ASSERT_TRUE(Edit->HandleAllocated());
    EXPECT_TRUE(Edit->DisableNoScroll());
    EXPECT_NE(GetWindowLong(Edit->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
    // A plain viewer hides it.
    auto* View = new TRollView(Form);
    View->SetBounds(0, 0, 400, 200);
    View->SetStyle(Style);
    View->SetParent(Form);
    View->AddNL("short", 0, 0);
    View->Format();
    ASSERT_TRUE(View->HandleAllocated());
    EXPECT_FALSE(View->DisableNoScroll());
    EXPECT_EQ(GetWindowLong(View->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
}

// An editor starts with the viewer's options, following the end included: a
// tail appended and laid out scrolls to the end unless the option is taken out.
TEST_F(RollViewEditBarTest, AnEditorTakesTheViewersOptionsAndFollowsAnAppendedTail)
{
    EXPECT_EQ(Edit->Options(), TRollView(nullptr).Options());
    Load("first");
    for (const bool follow : {true, false}) {
        Edit->SetOptions(follow ? Edit->Options() : Edit->Options() - TRVOptions{rvoScrollToEnd});
        Edit->SetVScrollPos(0);
        for (int i = 0; i < 100; ++i)
            Data().AddNL("line", 0, 0);
        Edit->FormatTail();
        EXPECT_EQ(Edit->GetLastItemVisible() == Data().GetItemCount() - 1, follow) << "following " << follow;
    }
}

} // namespace
