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

AnsiString EscapeMenuCaption(const AnsiString& Text)
{
    AnsiString out;
    out.reserve(Text.size());
    for (char c : Text) {
        if (c == '&')
            out += '&';
        out += c;
    }
    return out;
}

AnsiString StripHotkey(const AnsiString& Caption)
{
    AnsiString out;
    out.reserve(Caption.size());
    for (size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] != '&') {
            out += Caption[i];
        } else if (i + 1 < Caption.size() && Caption[i + 1] == '&') {
            out += '&';
            ++i;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FID(nextItemID++)
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

TMenuItem* TMenuItem::FindByID(uint64_t ID)
{
    auto found = LiveItems().find(ID);
    return found == LiveItems().end() ? nullptr : found->second;
}

void TMenuItem::SetCaption(const AnsiString& Value)
{
    if (FCaption == Value)
        return;
    // A caption that becomes or stops being a separator changes the menu's shape.
    bool structure = IsLine() != (Value == cLineCaption);
    FCaption = Value;
    structure ? StructureChanged() : Changed();
}

void TMenuItem::SetEnabled(bool Value)
{
    if (FEnabled != Value) {
        FEnabled = Value;
        Changed();
    }
}

void TMenuItem::SetChecked(bool Value)
{
    if (FChecked == Value)
        return;
    FChecked = Value;
    if (Value && FRadioItem && FParent)
        for (TMenuItem* sibling : FParent->FItems)
            if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex &&
                sibling->FChecked) {
                sibling->FChecked = false;
                sibling->Changed();
            }
    Changed();
}

void TMenuItem::SetRadioItem(bool Value)
{
    if (FRadioItem != Value) {
        FRadioItem = Value;
        Changed();
    }
}

void TMenuItem::SetVisible(bool Value)
{
    if (FVisible != Value) {
        FVisible = Value;
        StructureChanged();
    }
}

void TMenuItem::SetImageIndex(int Value)
{
    if (FImageIndex != Value) {
        FImageIndex = Value;
        Changed();
    }
}

void TMenuItem::SetShortCut(TShortCut Value)
{
    if (FShortCut != Value) {
        FShortCut = Value;
        Changed();
    }
}

TMenuItem* TMenuItem::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Format(SysConst::SListIndexError, {Index}));
    return FItems[static_cast<size_t>(Index)];
}

int TMenuItem::MenuIndex() const
{
    return FParent ? FParent->IndexOf(this) : -1;
}

int TMenuItem::IndexOf(const TMenuItem* Item) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i] == Item)
            return static_cast<int>(i);
    return -1;
}

void TMenuItem::CheckInsert(const TMenuItem* Item) const
{
    if (!Item)
        throw EMenuError(SMenuIntoItself);
    if (Item->FParent || Item->FMenu)
        throw EMenuError(SMenuReinserted);
    for (const TMenuItem* above = this; above; above = above->FParent)
        if (above == Item)
            throw EMenuError(SMenuIntoItself);
}

void TMenuItem::Add(TMenuItem* Item)
{
    Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item)
{
    CheckInsert(Item);
    if (Index < 0 || Index > Count())
        throw EListError(Format(SysConst::SListIndexError, {Index}));
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    StructureChanged();
}

void TMenuItem::Delete(int Index)
{
    Detach(Items(Index));
}

void TMenuItem::Remove(TMenuItem* Item)
{
    if (IndexOf(Item) >= 0)
        Detach(Item);
}

void TMenuItem::Detach(TMenuItem* Item)
{
    int index = IndexOf(Item);
    if (index < 0)
        return;
    FItems.erase(FItems.begin() + index);
    Item->FParent = nullptr;
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

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr))
{
    FItems->FMenu = this;
}

TPopupMenu::~TPopupMenu()
{
    FQt.reset();
    FItems->FMenu = nullptr;
    FItems.reset();
}

void TPopupMenu::SetImages(TCustomImageList* Value)
{
    if (FImages == Value)
        return;
    if (FImages && static_cast<TComponent*>(FImages) != FPopupComponent)
        RemoveFreeNotification(FImages);
    FImages = Value;
    if (FImages)
        FreeNotification(FImages);
}

void TPopupMenu::SetPopupComponent(TComponent* Value)
{
    if (FPopupComponent == Value)
        return;
    if (FPopupComponent && FPopupComponent != static_cast<TComponent*>(FImages))
        RemoveFreeNotification(FPopupComponent);
    FPopupComponent = Value;
    if (FPopupComponent)
        FreeNotification(FPopupComponent);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == static_cast<TComponent*>(FImages))
        FImages = nullptr;
    if (AComponent == FPopupComponent)
        FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender)
{
    if (OnPopup)
        OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y)
{
    // A menu opened again while on screen closes first, as any popup menu
    // closes when the user opens another.
    CloseMenu();
    FPopupPoint = Point(X, Y);
    DoPopup(this);
    ShowMenu(X, Y);
}
