// TComponent: ownership, names and notifications of the owner tree. Every link
// between components is dropped on both sides before either goes away.
#include "platform/core/component.h"

#include "platform/core/typinfo.h"

#include <algorithm>
#include <iterator>

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

// Takes the component out of the list, where it is at most once. Looked for
// from the end: an owner frees its components last-first, so that freeing
// thousands of them costs time in proportion to their number.
void Erase(std::vector<TComponent*>& list, TComponent* component)
{
    const auto found = std::find(list.rbegin(), list.rend(), component);
    if (found != list.rend())
        list.erase(std::next(found).base());
}

bool Contains(const std::vector<TComponent*>& list, const TComponent* component)
{
    return std::find(list.begin(), list.end(), component) != list.end();
}

} // namespace

bool IsValidIdent(const AnsiString& ident)
{
    if (ident.empty() || !IsIdentStart(ident[0]))
        return false;
    return std::all_of(ident.begin() + 1, ident.end(), IsIdentChar);
}

TComponent::TComponent(TComponent* aOwner)
{
    if (aOwner)
        aOwner->InsertComponent(this);
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

void TComponent::SetName(const AnsiString& newName)
{
    if (FName == newName)
        return;
    if (!newName.empty() && !IsValidIdent(newName))
        throw EComponentError(Format(SysConst::SInvalidName, {newName}));
    if (FOwner)
        FOwner->ValidateRename(this, FName, newName);
    FName = newName;
}

void TComponent::ValidateRename(TComponent* aComponent, const AnsiString& curName,
                                const AnsiString& newName) const
{
    // A change of case only keeps the component's own place.
    if (aComponent && aComponent->FOwner == this && !SameText(curName, newName) && FindComponent(newName))
        throw EComponentError(Format(SysConst::SDuplicateName, {newName}));
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

TComponent* TComponent::FindComponent(const AnsiString& aName) const
{
    if (aName.empty())
        return nullptr;
    for (TComponent* component : FComponents)
        if (SameText(component->FName, aName))
            return component;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* aComponent)
{
    if (!aComponent || aComponent->FOwner == this)
        return;
    // The name is checked here before the component leaves its previous owner,
    // so a refused insertion changes nothing.
    if (!aComponent->FName.empty() && FindComponent(aComponent->FName))
        throw EComponentError(Format(SysConst::SDuplicateName, {aComponent->FName}));
    // Two owners would free it twice.
    if (aComponent->FOwner)
        aComponent->FOwner->RemoveComponent(aComponent);
    Insert(aComponent);
    Notification(aComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* aComponent)
{
    if (!aComponent || aComponent->FOwner != this)
        return;
    Notification(aComponent, opRemove);
    // A handler may already have moved it elsewhere.
    if (aComponent->FOwner == this)
        Remove(aComponent);
}

void TComponent::Insert(TComponent* aComponent)
{
    FComponents.push_back(aComponent);
    aComponent->FOwner = this;
}

void TComponent::Remove(TComponent* aComponent)
{
    Erase(FComponents, aComponent);
    aComponent->FOwner = nullptr;
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

void TComponent::FreeNotification(TComponent* aComponent)
{
    if (!aComponent || aComponent == this)
        return;
    // A component being destroyed has told (or is telling) its links already; a
    // new link to it would outlive it.
    if ((FComponentState | aComponent->FComponentState) & csDestroying)
        return;
    if (!Contains(FFreeNotifies, aComponent))
        FFreeNotifies.push_back(aComponent);
    if (!Contains(aComponent->FFreeNotifies, this))
        aComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* aComponent)
{
    if (!aComponent)
        return;
    // A link is always held on both sides, so the shorter list tells whether
    // there is one: a component many others link to (a shared popup menu or
    // style sheet) is not searched through for every one of them that goes,
    // after its link has already been dropped.
    const bool shorter = FFreeNotifies.size() <= aComponent->FFreeNotifies.size();
    if (!Contains(shorter ? FFreeNotifies : aComponent->FFreeNotifies, shorter ? aComponent : this))
        return;
    RemoveNotification(aComponent);
    aComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* aComponent)
{
    Erase(FFreeNotifies, aComponent);
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

void TComponent::Notification(TComponent* aComponent, TOperation operation)
{
    if (operation == opInsert)
        return;
    if (aComponent)
        RemoveFreeNotification(aComponent);
    // Backwards, and kept in range: a component may leave (or be freed) while it
    // hears the call.
    int i = ComponentCount() - 1;
    while (i >= 0) {
        FComponents[static_cast<size_t>(i)]->Notification(aComponent, operation);
        --i;
        if (i >= ComponentCount())
            i = ComponentCount() - 1;
    }
}

namespace {
TFindGlobalComponent GlobalComponentFinder = nullptr;
} // namespace

void RegisterFindGlobalComponentProc(TFindGlobalComponent proc)
{
    GlobalComponentFinder = proc;
}

TComponent* FindGlobalComponent(const AnsiString& name)
{
    return GlobalComponentFinder && !name.empty() ? GlobalComponentFinder(name) : nullptr;
}
