// Menu items and popup menus: the item tree, its ownership and the popup
// protocol. The toolkit's menu is built in menus_qt.cpp.
#include "platform/controls/menus.h"

#include <unordered_map>

#include "platform/core/stringlist.h"
#include "platform/graphics/imagelist.h"

namespace {

const char* const SMenuReinserted = "Menu inserted twice";
const char* const SMenuIntoItself = "Menu inserted into itself";

// Every item alive, by its number.
std::unordered_map<uint64_t, TMenuItem*>& LiveItems()
{
    static std::unordered_map<uint64_t, TMenuItem*> items;
    return items;
}
uint64_t nextItemID = 1;

} // namespace

AnsiString EscapeMenuCaption(const AnsiString& text)
{
    AnsiString out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&')
            out += '&';
        out += c;
    }
    return out;
}

AnsiString StripHotkey(const AnsiString& caption)
{
    AnsiString out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            out += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            out += '&';
            ++i;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* aOwner) : TComponent(aOwner), FID(nextItemID++)
{
    LiveItems()[FID] = this;
}

TMenuItem::~TMenuItem()
{
    LiveItems().erase(FID);
    while (!FItems.empty()) {
        TMenuItem* item = FItems.back();
        FItems.pop_back();
        item->FParent = nullptr;
        delete item;
    }
    if (FParent)
        FParent->Detach(this);
}

TMenuItem* TMenuItem::FindByID(uint64_t id)
{
    auto found = LiveItems().find(id);
    return found == LiveItems().end() ? nullptr : found->second;
}

void TMenuItem::SetCaption(const AnsiString& value)
{
    if (FCaption == value)
        return;
    // A caption that becomes or stops being a separator changes the menu's shape.
    bool structure = IsLine() != (value == cLineCaption);
    FCaption = value;
    structure ? StructureChanged() : Changed();
}

void TMenuItem::SetEnabled(bool value)
{
    if (FEnabled != value) {
        FEnabled = value;
        Changed();
    }
}

void TMenuItem::SetChecked(bool value)
{
    if (FChecked == value)
        return;
    FChecked = value;
    if (value && FRadioItem && FParent)
        for (TMenuItem* sibling : FParent->FItems)
            if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex &&
                sibling->FChecked) {
                sibling->FChecked = false;
                sibling->Changed();
            }
    Changed();
}

void TMenuItem::SetRadioItem(bool value)
{
    if (FRadioItem != value) {
        FRadioItem = value;
        Changed();
    }
}

void TMenuItem::SetVisible(bool value)
{
    if (FVisible != value) {
        FVisible = value;
        StructureChanged();
    }
}

void TMenuItem::SetImageIndex(int value)
{
    if (FImageIndex != value) {
        FImageIndex = value;
        Changed();
    }
}

void TMenuItem::SetShortCut(TShortCut value)
{
    if (FShortCut != value) {
        FShortCut = value;
        Changed();
    }
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format(SysConst::SListIndexError, {index}));
    return FItems[static_cast<size_t>(index)];
}

int TMenuItem::MenuIndex() const
{
    return FParent ? FParent->IndexOf(this) : -1;
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i] == item)
            return static_cast<int>(i);
    return -1;
}

void TMenuItem::CheckInsert(const TMenuItem* item) const
{
    if (!item)
        throw EMenuError(SMenuIntoItself);
    if (item->FParent || item->FMenu)
        throw EMenuError(SMenuReinserted);
    for (const TMenuItem* above = this; above; above = above->FParent)
        if (above == item)
            throw EMenuError(SMenuIntoItself);
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    CheckInsert(item);
    if (index < 0 || index > Count())
        throw EListError(Format(SysConst::SListIndexError, {index}));
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    StructureChanged();
}

void TMenuItem::Delete(int index)
{
    Detach(Items(index));
}

void TMenuItem::Remove(TMenuItem* item)
{
    if (IndexOf(item) >= 0)
        Detach(item);
}

void TMenuItem::Detach(TMenuItem* item)
{
    int index = IndexOf(item);
    if (index < 0)
        return;
    FItems.erase(FItems.begin() + index);
    item->FParent = nullptr;
    StructureChanged();
}

void TMenuItem::Clear()
{
    if (FItems.empty())
        return;
    while (!FItems.empty()) {
        TMenuItem* item = FItems.back();
        FItems.pop_back();
        item->FParent = nullptr;
        delete item;
    }
    StructureChanged();
}

TPopupMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* root = this;
    while (root->FParent)
        root = root->FParent;
    return root->FMenu;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut)
{
    if (shortCut == scNone || !FVisible || !FEnabled)
        return nullptr;
    if (FShortCut == shortCut)
        return this;
    for (TMenuItem* item : FItems)
        if (TMenuItem* found = item->FindShortCut(shortCut))
            return found;
    return nullptr;
}

void TMenuItem::Click()
{
    if (FEnabled && OnClick)
        OnClick(this);
}

void TMenuItem::Changed()
{
    if (TPopupMenu* menu = GetParentMenu())
        menu->ItemChanged(this, false);
}

void TMenuItem::StructureChanged()
{
    if (TPopupMenu* menu = GetParentMenu())
        menu->ItemChanged(this, true);
}

// ---------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* aOwner) : TComponent(aOwner), FItems(std::make_unique<TMenuItem>(nullptr))
{
    FItems->FMenu = this;
}

TPopupMenu::~TPopupMenu()
{
    FQt.reset();
    FItems->FMenu = nullptr;
    FItems.reset();
}

void TPopupMenu::SetImages(TCustomImageList* value)
{
    if (FImages == value)
        return;
    if (FImages && static_cast<TComponent*>(FImages) != FPopupComponent)
        RemoveFreeNotification(FImages);
    FImages = value;
    if (FImages)
        FreeNotification(FImages);
}

void TPopupMenu::SetPopupComponent(TComponent* value)
{
    if (FPopupComponent == value)
        return;
    if (FPopupComponent && FPopupComponent != static_cast<TComponent*>(FImages))
        RemoveFreeNotification(FPopupComponent);
    FPopupComponent = value;
    if (FPopupComponent)
        FreeNotification(FPopupComponent);
}

void TPopupMenu::Notification(TComponent* aComponent, TOperation operation)
{
    TComponent::Notification(aComponent, operation);
    if (operation != opRemove)
        return;
    if (aComponent == static_cast<TComponent*>(FImages))
        FImages = nullptr;
    if (aComponent == FPopupComponent)
        FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* sender)
{
    if (OnPopup)
        OnPopup(sender);
}

bool TPopupMenu::IsShortCut(TShortCut shortCut, TComponent* control)
{
    TMenuItem* item = FItems->FindShortCut(shortCut);
    if (!item)
        return false;
    // The command acts on the control the key was pressed over, as it would
    // on the one the menu was opened over.
    SetPopupComponent(control);
    item->Click();
    return true;
}

void TPopupMenu::Popup(int x, int y)
{
    // A menu opened again while on screen closes first, as any popup menu
    // closes when the user opens another.
    CloseMenu();
    FPopupPoint = Point(x, y);
    DoPopup(this);
    ShowMenu(x, y);
}
