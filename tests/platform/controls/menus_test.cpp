// Menus: ownership of the item tree, popup menus on screen (OnPopup before
// the menu is built, items or menus that go while shown or from OnClick), and
// the shortcuts of the popup menus of a control and the controls around it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/dialogs.h"
#include "platform/controls/extctrls_panel.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/imagelist.h"
#include "tests/support/scriptedui.h"

namespace {

// An item that counts its destructions, so tests see who freed it.
class TCountedItem : public TMenuItem {
public:
    TCountedItem(TComponent* AOwner, int& Freed) : TMenuItem(AOwner), FFreed(Freed) {}
    ~TCountedItem() override { ++FFreed; }

private:
    int& FFreed;
};

TEST(MenuItems, ItemsAreFreedOnceWhoeverGoesFirst)
{
    int freed = 0;
    {
        // The parent item goes first: it frees its items, which leave their owner.
        TComponent owner(nullptr);
        auto* parent = new TCountedItem(&owner, freed);
        parent->Add(new TCountedItem(&owner, freed));
        parent->Add(new TCountedItem(&owner, freed));
        delete parent;
        EXPECT_EQ(freed, 3);
        EXPECT_EQ(owner.ComponentCount(), 0);
    }
    freed = 0;
    {
        // The owner goes first and frees the items in reverse order of creation.
        TComponent owner(nullptr);
        TMenuItem root(nullptr);
        auto* parent = new TCountedItem(&owner, freed);
        root.Add(parent);
        parent->Add(new TCountedItem(&owner, freed));
        root.Add(new TCountedItem(&owner, freed));
        EXPECT_EQ(root.Count(), 2);
        owner.DestroyComponents();
        EXPECT_EQ(freed, 3);
        EXPECT_EQ(root.Count(), 0);
    }
}

// A menu like the program's: a recent-files sub-menu rebuilt at each popup,
// a file command whose caption names the file, a separator and a switch.
class PopupMenuTest : public ::testing::Test {
protected:
    PopupMenuTest()
    {
        images.AddPixels(TPixelBuffer(16, 16, 0xFF00FF00u));
        menu.SetImages(&images);
        recent = AddItem(menu.Items(), "Recent Files");
        recent->SetImageIndex(0);
        remove = AddItem(menu.Items(), "Remove File");
        AddItem(menu.Items(), "-");
        active = AddItem(menu.Items(), "Active");
        hidden = AddItem(menu.Items(), "Hidden");
        hidden->SetVisible(false);
        menu.OnPopup = [this](TObject* Sender) {
            EXPECT_EQ(Sender, &menu);
            EXPECT_FALSE(menu.IsShown()); // OnPopup comes before the menu shows
            ++popups;
            remove->SetCaption("Remove File '" + EscapeMenuCaption(fileName) + "'");
            active->SetChecked(monitoring);
            recent->Clear();
            for (const AnsiString& name : recentFiles) {
                TMenuItem* entry = AddItem(recent, EscapeMenuCaption(name));
                entry->OnClick = [this](TObject* S) {
                    chosen.push_back(StripHotkey(static_cast<TMenuItem*>(S)->Caption()));
                };
            }
            recent->SetEnabled(!recentFiles.empty());
        };
        remove->OnClick = [this](TObject*) {
            EXPECT_FALSE(menu.IsShown()); // the menu has closed before the command runs
            chosen.push_back("remove");
        };
    }

    TMenuItem* AddItem(TMenuItem* parent, const AnsiString& caption)
    {
        auto* item = new TMenuItem(&owner);
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    }

    TComponent owner{nullptr};
    TImageList images{nullptr};
    TPopupMenu menu{nullptr};
    TMenuItem* recent;
    TMenuItem* remove;
    TMenuItem* active;
    TMenuItem* hidden;
    int popups = 0;
    AnsiString fileName = "/var/log/a&b.log";
    bool monitoring = true;
    std::vector<AnsiString> recentFiles{"/var/log/x.log", "/tmp/R&D.log"};
    std::vector<AnsiString> chosen;
};

TEST_F(PopupMenuTest, OnPopupFiresBeforeTheMenuIsBuiltFromTheItems)
{
    menu.Popup(100, 120);
    EXPECT_EQ(popups, 1);
    ASSERT_TRUE(menu.IsShown());
    EXPECT_EQ(menu.PopupPoint(), Point(100, 120));

    std::vector<TShownMenuEntry> top = menu.ShownEntries();
    ASSERT_EQ(top.size(), 4u); // the hidden item is left out
    EXPECT_EQ(top[0].Text, "Recent Files");
    EXPECT_TRUE(top[0].HasSubMenu);
    EXPECT_TRUE(top[0].HasImage);
    EXPECT_EQ(top[1].Text, "Remove File '/var/log/a&&b.log'");
    EXPECT_EQ(top[1].ItemID, remove->ID());
    EXPECT_FALSE(top[1].HasImage);
    EXPECT_TRUE(top[2].Separator);
    EXPECT_EQ(top[3].Text, "Active");
    EXPECT_TRUE(top[3].Checked);

    std::vector<TShownMenuEntry> sub = menu.ShownEntries(recent);
    ASSERT_EQ(sub.size(), 2u);
    EXPECT_EQ(sub[1].Text, "/tmp/R&&D.log");
    menu.CloseMenu();
    EXPECT_FALSE(menu.IsShown());
}

TEST_F(PopupMenuTest, AnItemFreedWhileShownCannotBeChosenAnyMore)
{
    menu.Popup(0, 0);
    TMenuItem* entry = recent->Items(0);
    uint64_t id = entry->ID();
    EXPECT_EQ(TMenuItem::FindByID(id), entry);
    delete entry;
    EXPECT_EQ(TMenuItem::FindByID(id), nullptr);
    EXPECT_FALSE(menu.ChooseShownItem(active));
    EXPECT_TRUE(chosen.empty());
}

TEST_F(PopupMenuTest, AnItemMayFreeTheMenuFromItsOnClick)
{
    auto doomed = std::make_unique<TPopupMenu>(nullptr);
    TMenuItem* exit = new TMenuItem(nullptr);
    exit->SetCaption("Exit");
    doomed->Items()->Add(exit);
    bool clicked = false;
    exit->OnClick = [&](TObject*) {
        clicked = true;
        doomed.reset();
    };
    doomed->Popup(0, 0);
    TPopupMenu* raw = doomed.get();
    EXPECT_TRUE(raw->ChooseShownItem(exit));
    EXPECT_TRUE(clicked);
    EXPECT_EQ(doomed, nullptr);
}

TEST_F(PopupMenuTest, AnExceptionInOnClickReachesTheApplicationsErrorBox)
{
    TScriptedUI ui;
    ui.QueueMessageBoxResult(IDOK);
    remove->OnClick = [](TObject*) { throw Exception("File not found"); };
    menu.Popup(0, 0);
    EXPECT_TRUE(menu.ChooseShownItem(remove));
    std::vector<TUICall> boxes = ui.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "File not found.");
    EXPECT_EQ(boxes[0].Flags & MB_ICONMASK, MB_ICONERROR);
}

TEST(PopupMenus, ReferencesToComponentsThatGoAreCleared)
{
    TPopupMenu menu(nullptr);
    auto* images = new TImageList(nullptr);
    auto* control = new TComponent(nullptr);
    menu.SetImages(images);
    menu.SetPopupComponent(control);
    EXPECT_EQ(menu.PopupComponent(), control);
    delete control;
    EXPECT_EQ(menu.PopupComponent(), nullptr);
    EXPECT_EQ(menu.Images(), images);
    delete images;
    EXPECT_EQ(menu.Images(), nullptr);
}

// A control that takes the focus and notes the keys that reach it.
class TKeyProbe : public TCustomControl {
public:
    explicit TKeyProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
    std::vector<WORD> Keys;

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override
    {
        Keys.push_back(Key);
        TCustomControl::KeyDown(Key, Shift);
    }
};

// A focused control inside a panel, each with a popup menu: a key that is
// the shortcut of an item that could be chosen (shown and enabled, with the
// items above it) clicks it, the nearest control's menu first, with that
// control as the menu's popup component, and goes no further; other keys
// reach the control as ever.
TEST(PopupMenus, ShortcutsOfTheMenusAroundTheFocusedControlClickTheirItems)
{
    TForm* form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 300, 200);
    auto* probe = new TKeyProbe(form);
    probe->SetParent(panel);
    probe->SetBounds(10, 10, 100, 80);
    TPopupMenu outer(nullptr);
    TPopupMenu inner(nullptr);
    panel->SetPopupMenu(&outer);
    probe->SetPopupMenu(&inner);
    std::vector<std::string> clicked;
    auto add = [&](TMenuItem* parent, const std::string& name, TShortCut key) {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption(name);
        item->SetShortCut(key);
        item->OnClick = [&clicked, name](TObject*) { clicked.push_back(name); };
        parent->Add(item);
        return item;
    };
    add(outer.Items(), "outer copy", scCtrl | 'C');
    add(outer.Items(), "outer find", VK_F3);
    add(outer.Items(), "outer paste", scCtrl | 'V')->SetEnabled(false);
    add(outer.Items(), "outer hidden", scCtrl | 'H')->SetVisible(false);
    TMenuItem* more = add(outer.Items(), "more", scNone);
    add(more, "outer save", scCtrl | scShift | 'S');
    add(more, "outer quit", scAlt | 'Q');
    add(outer.Items(), "outer locked", scCtrl | 'L');
    add(inner.Items(), "inner copy", scCtrl | 'C');
    TMenuItem* locked = add(inner.Items(), "locked group", scNone);
    add(locked, "inner lock", scCtrl | 'L');
    locked->SetEnabled(false);
    form->Show();
    probe->SetFocus();
    ASSERT_TRUE(probe->Focused());

    struct Case {
        WORD Key;
        TShiftState Shift;
        const char* Clicked; // empty: the key reaches the control
    };
    const Case cases[] = {
        {'C', TShiftState{ssCtrl}, "inner copy"},          // the nearest menu first
        {VK_F3, TShiftState(), "outer find"},              // the panel's menu next
        {'S', TShiftState{ssCtrl, ssShift}, "outer save"}, // items of sub-menus too
        {'Q', TShiftState{ssAlt}, "outer quit"},           // with Alt
        {'S', TShiftState{ssCtrl}, ""},                    // the modifiers must match
        {'V', TShiftState{ssCtrl}, ""},                    // a disabled item
        {'H', TShiftState{ssCtrl}, ""},                    // a hidden item
        {'L', TShiftState{ssCtrl}, "outer locked"},        // not inside a disabled sub-menu
        {'C', TShiftState(), ""},                          // no shortcut
        {VK_CONTROL, TShiftState{ssCtrl}, ""},             // a modifier alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Key) + " " + c.Clicked);
        clicked.clear();
        probe->Keys.clear();
        inner.SetPopupComponent(nullptr);
        outer.SetPopupComponent(nullptr);
        SimulateKey(probe, c.Key, c.Shift);
        if (*c.Clicked) {
            EXPECT_EQ(clicked, std::vector<std::string>{c.Clicked});
            EXPECT_TRUE(probe->Keys.empty()) << "a shortcut is used up";
            TPopupMenu& menu = std::string(c.Clicked).rfind("inner", 0) == 0 ? inner : outer;
            EXPECT_EQ(menu.PopupComponent(), &menu == &inner ? static_cast<TComponent*>(probe) : panel);
        } else {
            EXPECT_TRUE(clicked.empty());
            EXPECT_EQ(probe->Keys, std::vector<WORD>{c.Key});
        }
    }
    form->Free();
}

} // namespace
