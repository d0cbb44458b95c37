// TComponent: ownership, names and notifications of the owner tree. Every link
// between components is dropped on both sides before either goes away.
#include "platform/core/component.h"

#include "platform/core/typinfo.h"

#include <algorithm>

#include "platform/core/sysutils.h"

namespace {

bool IsIdentStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentChar(char c)
{
    return IsIdentStart(c) || (c >= '0' && c <= '9');
}

void Erase(std::vector<TComponent*>& list, TComponent* component)
{
    list.erase(std::remove(list.begin(), list.end(), component), list.end());
}

bool Contains(const std::vector<TComponent*>& list, const TComponent* component)
{
    return std::find(list.begin(), list.end(), component) != list.end();
}

} // namespace

bool IsValidIdent(const AnsiString& Ident)
{
    if (Ident.empty() || !IsIdentStart(Ident[0]))
        return false;
    return std::all_of(Ident.begin() + 1, Ident.end(), IsIdentChar);
}

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Each link is dropped on both sides before the other side hears of it, so the
    // handler may do anything with its links, and one that does not call the base
    // Notification still leaves no pointer to this component behind.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        other->RemoveNotification(this);
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::SetName(const AnsiString& NewName)
{
    if (FName == NewName)
        return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError(Format(SysConst::SInvalidName, {NewName}));
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    FName = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                                const AnsiString& NewName) const
{
    // A change of case only keeps the component's own place.
    if (AComponent && AComponent->FOwner == this && !SameText(CurName, NewName) && FindComponent(NewName))
        throw EComponentError(Format(SysConst::SDuplicateName, {NewName}));
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError(Format(SysConst::SListIndexError, {index}));
    return FComponents[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!FOwner)
        return -1;
    const auto& siblings = FOwner->FComponents;
    auto found = std::find(siblings.begin(), siblings.end(), this);
    return found == siblings.end() ? -1 : static_cast<int>(found - siblings.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const
{
    if (AName.empty())
        return nullptr;
    for (TComponent* component : FComponents)
        if (SameText(component->FName, AName))
            return component;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->FOwner == this)
        return;
    // The name is checked here before the component leaves its previous owner,
    // so a refused insertion changes nothing.
    if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
        throw EComponentError(Format(SysConst::SDuplicateName, {AComponent->FName}));
    // Two owners would free it twice.
    if (AComponent->FOwner)
        AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->FOwner != this)
        return;
    Notification(AComponent, opRemove);
    // A handler may already have moved it elsewhere.
    if (AComponent->FOwner == this)
        Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent)
{
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent)
{
    Erase(FComponents, AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* instance = FComponents.back();
        RemoveComponent(instance);
        // RemoveComponent always takes it out unless a handler gave it another
        // owner, which then owns (and frees) it.
        if (instance->FOwner == nullptr)
            delete instance;
    }
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    // A component being destroyed has told (or is telling) its links already; a
    // new link to it would outlive it.
    if ((FComponentState | AComponent->FComponentState) & csDestroying)
        return;
    if (!Contains(FFreeNotifies, AComponent))
        FFreeNotifies.push_back(AComponent);
    if (!Contains(AComponent->FFreeNotifies, this))
        AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (!AComponent)
        return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent)
{
    Erase(FFreeNotifies, AComponent);
}

void TComponent::Destroying()
{
    if (FComponentState & csDestroying)
        return;
    Include(csDestroying);
    for (TComponent* component : FComponents)
        component->Destroying();
}

void TComponent::Loaded()
{
    Exclude(csLoading);
}

const TPropertyTable* TComponent::PropertyTable() const
{
    return &ComponentPropertyTable();
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    // Backwards, and kept in range: a component may leave (or be freed) while it
    // hears the call.
    int i = ComponentCount() - 1;
    while (i >= 0) {
        FComponents[static_cast<size_t>(i)]->Notification(AComponent, Operation);
        --i;
        if (i >= ComponentCount())
            i = ComponentCount() - 1;
    }
}
