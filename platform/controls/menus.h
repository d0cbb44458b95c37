// Menu items and popup menus: TMenuItem (captions with '&' accelerators, checks,
// images, shortcuts, sub-items, OnClick) and TPopupMenu (OnPopup,
// PopupComponent, Popup, and the shortcuts its controls' keys click).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/sysutils.h"

class TCustomImageList;
class TPopupMenu;
struct TPopupMenuQt;
// Frees the toolkit's side of a popup menu (menus_qt.cpp).
struct TPopupMenuQtDeleter {
    void operator()(TPopupMenuQt* qt) const;
};

// A shortcut: a virtual key code with these modifier bits.
using TShortCut = uint16_t;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
// The shortcut of a virtual key with the modifiers of its TShortCut bits.
inline constexpr TShortCut ShortCut(uint16_t key, bool shift, bool ctrl, bool alt)
{
    return static_cast<TShortCut>((key & 0xFF) | (shift ? scShift : 0) | (ctrl ? scCtrl : 0) |
                                  (alt ? scAlt : 0));
}

// The caption of a separator.
inline constexpr const char* cLineCaption = "-";

// Text shown as it stands in a caption: every '&' doubled, so that none marks
// an accelerator (file names, numbers typed by the user).
AnsiString EscapeMenuCaption(const AnsiString& text);
// The text a caption shows: accelerator marks removed and "&&" read as '&'.
AnsiString StripHotkey(const AnsiString& caption);

// One entry of a menu, and the sub-menu of its own items. An item owns the
// items in it: freeing it frees them, Clear frees them, Delete and Remove give
// them back to the caller. An item may in addition be owned as a component (by
// a form); whichever goes first takes it out of the other. Indexes count from 0.
//
// A caption marks its accelerator with '&' and shows "&&" as '&'; the caption
// "-" makes a separator. Changes to an item of a menu on screen show at once;
// adding or removing items closes such a menu.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* aOwner);
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool Checked() const { return FChecked; }
    // Checking a radio item unchecks the other radio items of its group among
    // its siblings.
    void SetChecked(bool value);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value) { FGroupIndex = value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    // The image of the menu's image list shown beside the caption; -1 for none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut value);
    bool IsLine() const { return FCaption == cLineCaption; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const; // EListError "List index out of bounds (%d)"
    // The item this one is in, or null.
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const; // place in the parent, -1 without one
    int IndexOf(const TMenuItem* item) const;
    // Takes Item in (from its former parent too). Raises EMenuError "Menu
    // inserted twice" for an item that is here already, "Menu inserted into
    // itself" for this item or one above it.
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item); // Index from 0 to Count
    void Delete(int index);                  // takes the item out; the caller owns it
    void Remove(TMenuItem* item);            // the same; nothing when not here
    void Clear();                            // frees every item in it
    // The popup menu this item belongs to (through its parents), or null.
    TPopupMenu* GetParentMenu() const;
    // The first item, this one or one inside it (depth first), that has
    // ShortCut and could be chosen (it and the items above it, up to this one,
    // visible and enabled); null for scNone or when there is none.
    TMenuItem* FindShortCut(TShortCut shortCut);

    // OnClick when the item is enabled. A menu on screen calls it once the
    // menu has closed.
    virtual void Click();
    TNotifyEvent OnClick;

    // A number that names this item for its whole life and never another one;
    // the toolkit's menu, which can outlive items, finds them by it.
    uint64_t ID() const { return FID; }
    static TMenuItem* FindByID(uint64_t id);

private:
    friend class TPopupMenu;
    void Changed();          // a property shown on screen changed
    void StructureChanged(); // items were added or removed
    void CheckInsert(const TMenuItem* item) const;
    void Detach(TMenuItem* item);

    AnsiString FCaption;
    bool FEnabled = true;
    bool FChecked = false;
    bool FRadioItem = false;
    int FGroupIndex = 0;
    bool FVisible = true;
    int FImageIndex = -1;
    TShortCut FShortCut = scNone;
    TMenuItem* FParent = nullptr;
    TPopupMenu* FMenu = nullptr; // set on a menu's root item only
    std::vector<TMenuItem*> FItems;
    uint64_t FID;
};

KELVOR_EXCEPTION(EMenuError, Exception)

// What one entry of the menu on screen shows (tests and diagnostics).
struct TShownMenuEntry {
    uint64_t ItemID = 0;
    AnsiString Text; // the caption as shown, '&' marks included
    bool Separator = false;
    bool Enabled = false;
    bool Checked = false;
    bool HasImage = false;
    bool HasSubMenu = false;
};

// A menu that opens at a point of the screen, over a control (PopupComponent).
// Owns its root item Items. Images and PopupComponent are references that are
// cleared when the component they name goes away.
//
// Popup first fires OnPopup, which sets captions, checks and the enabled state
// for this opening, then builds the menu from the items and shows it; it
// returns at once (the menu runs in the program's event loop) and a chosen item
// gets its Click after the menu has closed.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* aOwner);
    ~TPopupMenu() override;
    const char* ClassName() const override { return "TPopupMenu"; }

    TMenuItem* Items() const { return FItems.get(); }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* value);
    // The control the menu was last opened over (set by the control that opens it).
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* value);
    // Whether a right click on a control that has this menu opens it.
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool value) { FAutoPopup = value; }
    // The screen point of the last Popup.
    TPoint PopupPoint() const { return FPopupPoint; }

    // Opens the menu with its top-left corner at (X, Y) of the screen.
    virtual void Popup(int x, int y);
    // Closes the menu when it is on screen.
    void CloseMenu();
    bool IsShown() const;

    // The entries of the menu on screen under Parent (null: the top level),
    // visible items only, in order; empty when it is not shown.
    std::vector<TShownMenuEntry> ShownEntries(const TMenuItem* parent = nullptr) const;
    // Chooses Item in the menu on screen as a user's click would (the toolkit's
    // action is triggered); false when the item is not shown or disabled.
    bool ChooseShownItem(const TMenuItem* item);

    // A key pressed over a control that has this menu: the first item that
    // has the key as its shortcut and could be chosen (FindShortCut) is
    // clicked, with the control as PopupComponent. True when an item was
    // clicked (the key is used up), false when none was.
    bool IsShortCut(TShortCut shortCut, TComponent* control);

    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* aComponent, TOperation operation) override;
    virtual void DoPopup(TObject* sender);

private:
    friend class TMenuItem;
    // An item of this menu changed its look, or (Structure) items came or went.
    void ItemChanged(TMenuItem* item, bool structure);
    void ShowMenu(int x, int y);

    std::unique_ptr<TMenuItem> FItems;
    TCustomImageList* FImages = nullptr;
    TComponent* FPopupComponent = nullptr;
    bool FAutoPopup = true;
    TPoint FPopupPoint;
    std::unique_ptr<TPopupMenuQt, TPopupMenuQtDeleter> FQt; // the menu on screen, if any
};
