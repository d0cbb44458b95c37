// TComponent: the owner tree of the class library. An owner frees the components
// it owns when it is freed; components that asked for a free notification hear
// Notification(opRemove) before another component goes away.
#pragma once

#include <functional>
#include <vector>

#include "platform/core/object.h"

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csUpdating = 1u << 5,
};
using TComponentState = unsigned;

// A node of the owner tree. The owner owns its components: it frees them when it
// is freed, the last inserted first, and a component freed on its own leaves its
// owner. Whenever a component leaves an owner, the owner and everything below it
// hear Notification(component, opRemove); when one enters, the owner alone hears
// Notification(component, opInsert) (nothing below an owner needs it, and passing
// it on would make adding N components cost N squared).
//
// Free notifications are two-way links: after A->FreeNotification(B), each of A
// and B hears Notification(other, opRemove) before the other goes away, and the
// link is gone once either side is gone (or RemoveFreeNotification is called), so
// no component keeps a pointer to a freed one. A component can hear about the same
// removal twice (through its owner and through a link): handlers just drop the
// reference they hold.
//
// Destruction: the destructor first sets csDestroying on the component and on
// everything it owns, then notifies its free-notification links, frees its
// components, and leaves its owner. C++ runs a subclass's destructor before this
// one, with virtual calls bound to the class being destroyed; a subclass whose
// cleanup should see csDestroying, or whose owned components (or own Notification)
// must still see the subclass while they go, calls Destroying() and then
// DestroyComponents() at the start of its own destructor.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* aOwner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return FOwner; }
    const AnsiString& Name() const { return FName; }
    // Empty, or a valid identifier unique, ignoring case, among the owner's
    // components: EComponentError "''%s'' is not a valid component name" or
    // "A component named %s already exists" otherwise.
    virtual void SetName(const AnsiString& newName);
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }
    TComponentState ComponentState() const { return FComponentState; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const; // EListError for a bad index
    int ComponentIndex() const;              // index among the owner's components, -1 without owner
    TComponent* FindComponent(const AnsiString& aName) const; // name ignoring case; null for ""
    // Takes over ownership, from a previous owner too. Raises the duplicate-name
    // error (and changes nothing) when AComponent's name is taken here.
    void InsertComponent(TComponent* aComponent);
    // Gives up ownership (the caller owns it then); nothing when not owned here.
    void RemoveComponent(TComponent* aComponent);
    // Frees every owned component, the last inserted first, each after the owner
    // tree has heard Notification(component, opRemove).
    void DestroyComponents();

    // AComponent will hear Notification(this, opRemove) before this one goes
    // away, and this one hears it before AComponent goes away. Nothing happens
    // for null, for this component itself, or when either is being destroyed.
    void FreeNotification(TComponent* aComponent);
    void RemoveFreeNotification(TComponent* aComponent);

    // Sets csDestroying on this component and everything it owns.
    void Destroying();
    // Called after a component has been read from a stream: clears csLoading.
    virtual void Loaded();

    // Streaming: Name and Tag, the properties every component publishes.
    const TPropertyTable* PropertyTable() const override;
    // The components written as this one's children in a component stream (none
    // by default), and the parent given to a child read from one.
    virtual void GetChildren(const std::function<void(TComponent* child)>& proc, TComponent* root)
    {
        (void)proc;
        (void)root;
    }
    virtual void SetParentComponent(TComponent* parent) { (void)parent; }

protected:
    // AComponent is being added (opInsert) to or removed (opRemove) from the
    // owner tree, or a component linked by FreeNotification is going away. This
    // base drops the free-notification link on opRemove and passes an opRemove
    // call on to every owned component; overrides call it.
    virtual void Notification(TComponent* aComponent, TOperation operation);
    void SetComponentState(TComponentState state) { FComponentState = state; }
    void Include(TComponentStateFlag flag) { FComponentState |= flag; }
    void Exclude(TComponentStateFlag flag) { FComponentState &= ~static_cast<unsigned>(flag); }
    TPersistent* GetOwner() const override { return FOwner; }

private:
    // The component-stream reader and writer set csLoading, csReading and csWriting.
    friend class TReader;
    friend class TWriter;

    void Insert(TComponent* aComponent);
    void Remove(TComponent* aComponent);
    void RemoveNotification(TComponent* aComponent);
    void ValidateRename(TComponent* aComponent, const AnsiString& curName, const AnsiString& newName) const;

    TComponent* FOwner = nullptr;
    AnsiString FName;
    int FTag = 0;
    TComponentState FComponentState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// Finds a top-level component by name for references that name their owner
// ("Form1.Style1") when it is not the stream's own root or its owner: the
// forms register the finder, which looks among the program's forms. Null
// while none is registered or nothing has the name.
using TFindGlobalComponent = TComponent* (*)(const AnsiString& name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent proc);
TComponent* FindGlobalComponent(const AnsiString& name);

// True when the text is a valid identifier: a letter or '_' then letters, digits or '_'.
bool IsValidIdent(const AnsiString& ident);
