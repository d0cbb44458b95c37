// TComponent: the owner tree of the class library. An owner frees the components
// it owns when it is freed; components that asked for a free notification hear
// Notification(opRemove) before another component goes away.
#pragma once

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

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    // Notifies and frees every owned component, tells every component that asked
    // for a free notification, then leaves its owner.
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return FOwner; }
    const AnsiString& Name() const { return FName; }
    // Empty, or a valid identifier unique among the owner's components
    // (EComponentError otherwise).
    virtual void SetName(const AnsiString& NewName);
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }
    TComponentState ComponentState() const { return FComponentState; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;  // index among the owner's components, -1 without owner
    TComponent* FindComponent(const AnsiString& AName) const;  // name ignoring case
    void InsertComponent(TComponent* AComponent);  // takes over ownership
    void RemoveComponent(TComponent* AComponent);  // gives it up (the caller owns it then)
    void DestroyComponents();

    // AComponent will hear Notification(this, opRemove) before this one goes
    // away, and this one hears it before AComponent goes away.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Marks the component as being destroyed (set first in the destructor).
    void Destroying();
    // Called after a component has been read from a stream.
    virtual void Loaded();

protected:
    // AComponent is being added (opInsert) to or removed (opRemove) from the
    // owner tree, or a component this one asked about is going away.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    void SetComponentState(TComponentState state) { FComponentState = state; }
    void Include(TComponentStateFlag flag) { FComponentState |= flag; }
    void Exclude(TComponentStateFlag flag) { FComponentState &= ~static_cast<unsigned>(flag); }
    TPersistent* GetOwner() const override { return FOwner; }

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName) const;

    TComponent* FOwner = nullptr;
    AnsiString FName;
    int FTag = 0;
    TComponentState FComponentState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// True when the text is a valid identifier: a letter or '_' then letters, digits or '_'.
bool IsValidIdent(const AnsiString& Ident);
