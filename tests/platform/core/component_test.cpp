// TComponent: the owner tree frees its components last-first after notifying
// the tree, free notifications are dropped on both sides whoever goes first
// (AddressSanitizer catches any pointer left behind), and csDestroying comes first.
#include "platform/core/component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"

namespace {

using Log = std::vector<std::string>;

std::string Label(const TComponent* c)
{
    return c && !c->Name().empty() ? c->Name() : "?";
}

// Logs the notifications it hears and its own destruction, and drops the one
// reference it may hold when that component goes away.
class TTestComponent : public TComponent {
public:
    TTestComponent(TComponent* AOwner, const char* name, Log& log) : TComponent(AOwner), FLog(log)
    {
        SetName(name);
    }
    ~TTestComponent() override
    {
        FLog.push_back("free " + Label(this) + (ComponentState() & csDestroying ? " destroying" : ""));
    }
    const char* ClassName() const override { return "TTestComponent"; }

    void Refer(TComponent* c)
    {
        Ref = c;
        if (c)
            c->FreeNotification(this);
    }

    TComponent* Ref = nullptr;
    bool Quiet = false;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (!Quiet)
            FLog.push_back(Label(this) + (Operation == opInsert ? " +" : " -") + Label(AComponent));
        if (Operation == opRemove && AComponent == Ref)
            Ref = nullptr;
    }

    Log& FLog;
};

// A container that frees its components from its own destructor, so that it
// still hears about them as the class it is.
class TTestForm : public TTestComponent {
public:
    using TTestComponent::TTestComponent;
    ~TTestForm() override
    {
        Destroying();
        DestroyComponents();
    }
};

// A component whose Notification does not call the base class.
class TRude : public TComponent {
public:
    using TComponent::TComponent;
    int Heard = 0;

protected:
    void Notification(TComponent*, TOperation) override { ++Heard; }
};

} // namespace

TEST(TComponentTest, OwnerFreesItsComponentsLastFirstAfterNotifyingTheTree)
{
    Log log;
    auto* owner = new TTestComponent(nullptr, "Owner", log);
    new TTestComponent(owner, "A", log);
    new TTestComponent(owner, "B", log);
    new TTestComponent(owner, "C", log);
    EXPECT_EQ(owner->ComponentCount(), 3);
    log.clear();
    delete owner;
    // The owner's own part goes first (C++ order); every component then hears of
    // each removal (itself included) before the removed one is freed, and knows
    // that it and its owner are being destroyed.
    EXPECT_EQ(log, (Log{"free Owner", "C -C", "B -C", "A -C", "free C destroying", "B -B", "A -B",
                        "free B destroying", "A -A", "free A destroying"}));
}

// An insertion is heard by the owner alone (adding N components costs no N
// squared calls); a removal by the owner and everything below it.
TEST(TComponentTest, AnInsertionIsHeardByTheOwnerAloneARemovalByTheWholeTree)
{
    Log log;
    TTestComponent owner(nullptr, "Owner", log);
    auto* a = new TTestComponent(&owner, "A", log);
    new TTestComponent(a, "Inner", log);
    auto* b = new TTestComponent(nullptr, "B", log);
    log.clear();
    owner.InsertComponent(b);
    EXPECT_EQ(log, (Log{"Owner +B"}));
    log.clear();
    owner.RemoveComponent(b);
    EXPECT_EQ(log, (Log{"B -B", "Inner -B", "A -B", "Owner -B"}));
    delete b;
}

TEST(TComponentTest, ContainerThatFreesItsComponentsItselfHearsAboutThem)
{
    Log log;
    auto* form = new TTestForm(nullptr, "Form", log);
    auto* panel = new TTestComponent(form, "Panel", log);
    new TTestComponent(panel, "Button", log);
    log.clear();
    delete form;
    // Form hears of Panel as a form; Panel, freed from its own base destructor,
    // frees Button without hearing of it as a TTestComponent.
    EXPECT_EQ(log, (Log{"Button -Panel", "Panel -Panel", "Form -Panel", "free Panel destroying",
                        "Button -Button", "free Button destroying", "free Form destroying"}));
}

TEST(TComponentTest, ComponentFreedOnItsOwnLeavesItsOwner)
{
    Log log;
    TTestComponent owner(nullptr, "Owner", log);
    auto* a = new TTestComponent(&owner, "A", log);
    auto* b = new TTestComponent(&owner, "B", log);
    EXPECT_EQ(b->ComponentIndex(), 1);
    log.clear();
    delete a;
    EXPECT_EQ(log, (Log{"free A", "B -A", "Owner -A"}));
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
    EXPECT_EQ(b->ComponentIndex(), 0);
    EXPECT_EQ(owner.ComponentIndex(), -1);
    EXPECT_THROW(owner.Components(1), EListError);
}

TEST(TComponentTest, FreeNotificationIsDroppedOnBothSidesWhoeverGoesFirst)
{
    Log log;
    for (bool xFirst : {false, true}) {
        auto* x = new TTestComponent(nullptr, "X", log);
        auto* y = new TTestComponent(nullptr, "Y", log);
        x->Refer(y);
        y->Refer(x);
        log.clear();
        TTestComponent* first = xFirst ? x : y;
        TTestComponent* second = xFirst ? y : x;
        const std::string firstName = first->Name();
        const std::string secondName = second->Name();
        delete first;
        EXPECT_EQ(second->Ref, nullptr);
        EXPECT_EQ(log.back(), secondName + " -" + firstName);
        log.clear();
        // Nothing of the first one is left to touch.
        delete second;
        EXPECT_EQ(log, Log{"free " + secondName});
    }

    // Removed links are not heard.
    auto* x = new TTestComponent(nullptr, "X", log);
    auto* y = new TTestComponent(nullptr, "Y", log);
    x->Refer(y);
    y->RemoveFreeNotification(x);
    log.clear();
    delete y;
    EXPECT_EQ(log, Log{"free Y"});
    x->Ref = nullptr;
    delete x;
}

TEST(TComponentTest, LinksToOneComponentSharedByManyAreDroppedFromEitherSide)
{
    // A component many others link to (as panes link to one popup menu): a
    // link dropped from either side is gone on both, those still linked are
    // heard when they go, in any order, and none is heard twice.
    Log log;
    auto* hub = new TTestComponent(nullptr, "Hub", log);
    std::vector<TTestComponent*> leaves;
    for (const char* name : {"A", "B", "C", "D", "E", "F"}) {
        leaves.push_back(new TTestComponent(nullptr, name, log));
        leaves.back()->Refer(hub);
        hub->Refer(leaves.back());
    }
    hub->RemoveFreeNotification(leaves[1]);
    leaves[3]->RemoveFreeNotification(hub);
    log.clear();
    for (int i : {0, 5, 2}) {
        delete leaves[static_cast<size_t>(i)];
        leaves[static_cast<size_t>(i)] = nullptr;
    }
    EXPECT_EQ(log, (Log{"free A", "Hub -A", "free F", "Hub -F", "free C", "Hub -C"}));
    log.clear();
    delete hub;
    // B and D were no longer linked: only E hears of it.
    EXPECT_EQ(log, (Log{"free Hub", "E -Hub"}));
    EXPECT_EQ(leaves[4]->Ref, nullptr);
    for (TTestComponent* leaf : leaves)
        if (leaf) {
            leaf->Ref = nullptr;
            delete leaf;
        }
}

TEST(TComponentTest, LinksToOwnedComponentsAreHeardWhenTheOwnerGoes)
{
    Log log;
    TTestComponent outside(nullptr, "Outside", log);
    auto* owner = new TTestComponent(nullptr, "Owner", log);
    auto* child = new TTestComponent(owner, "Child", log);
    outside.Refer(child);
    child->Refer(&outside);
    delete owner;
    EXPECT_EQ(outside.Ref, nullptr);
    // Outside goes last and must find no link to the freed child (AddressSanitizer).
}

TEST(TComponentTest, HandlersThatSkipTheBaseLeaveNoLinkBehind)
{
    auto* rude = new TRude(nullptr);
    auto* other = new TComponent(nullptr);
    rude->FreeNotification(other);
    delete other;
    EXPECT_EQ(rude->Heard, 1);
    delete rude;

    // The other side hears the rude one go, and then holds no link to it.
    Log log;
    rude = new TRude(nullptr);
    auto* linked = new TTestComponent(nullptr, "Linked", log);
    linked->Refer(rude);
    delete rude;
    EXPECT_EQ(linked->Ref, nullptr);
    delete linked;
    EXPECT_EQ(log, (Log{"Linked -?", "free Linked"}));
    log.clear();

    // A component being destroyed takes no new links.
    auto* a = new TTestComponent(nullptr, "A", log);
    auto* b = new TTestComponent(nullptr, "B", log);
    a->Destroying();
    b->Refer(a);
    delete a;
    EXPECT_EQ(b->Ref, a); // never heard: no link was made
    b->Ref = nullptr;
    delete b;
}

namespace {

// Frees a sibling while it hears about another component's removal.
class TFreesHelper : public TTestComponent {
public:
    using TTestComponent::TTestComponent;
    TComponent* Helper = nullptr;
    TComponent* Watched = nullptr;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TTestComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == Helper)
            Helper = nullptr;
        if (Operation == opRemove && AComponent == Watched && Helper) {
            TComponent* helper = Helper;
            Helper = nullptr;
            delete helper;
        }
    }
};

} // namespace

TEST(TComponentTest, ComponentsFreedDuringNotificationsAreNotVisitedAgain)
{
    Log log;
    auto* owner = new TTestComponent(nullptr, "Owner", log);
    auto* helper = new TTestComponent(owner, "Helper", log);
    auto* freer = new TFreesHelper(owner, "Freer", log);
    auto* watched = new TTestComponent(owner, "Watched", log);
    freer->Helper = helper;
    freer->Watched = watched;
    log.clear();
    // AddressSanitizer also checks that no freed component is touched.
    delete owner;
    // Each component is freed once, a freed one hears nothing more, and the
    // ones still there hear of the components that go.
    for (const char* name : {"Owner", "Helper", "Freer", "Watched"}) {
        SCOPED_TRACE(name);
        const auto freed = std::find_if(log.begin(), log.end(), [&](const std::string& entry) {
            return entry.rfind(std::string("free ") + name, 0) == 0;
        });
        ASSERT_NE(freed, log.end());
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [&](const std::string& entry) {
                                    return entry.rfind(std::string("free ") + name, 0) == 0;
                                }),
                  1);
        EXPECT_TRUE(std::none_of(freed + 1, log.end(), [&](const std::string& entry) {
            return entry.rfind(std::string(name) + " ", 0) == 0;
        }));
    }
    for (const char* heard : {"Freer -Watched", "Freer -Helper", "Watched -Helper"})
        EXPECT_NE(std::find(log.begin(), log.end(), heard), log.end()) << heard;
}
