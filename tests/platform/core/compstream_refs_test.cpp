// Component references in component streams: written by name, set once the
// whole stream has been read (so a reference may name a component that comes
// later), and left null when the name finds nothing or a component of another
// class; a value that is no name is refused.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/classreg.h"
#include "platform/core/component.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "tests/support/publishedprops.h"

namespace {

// Refers to another holder, and writes the components it owns as its children.
class TRefHolder : public TComponent {
public:
    explicit TRefHolder(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TRefHolder"; }
    TRefHolder* Buddy = nullptr;
    TRefHolder* BuddyAtLoaded = nullptr; // what Loaded saw
    void SetBuddy(TRefHolder* value) { Buddy = value; }
    void Loaded() override
    {
        TComponent::Loaded();
        BuddyAtLoaded = Buddy;
    }
    const TPropertyTable* PropertyTable() const override
    {
        using R = TRefHolder;
        static const TPropertyTable table = TPropTableBuilder<R>("TRefHolder", &ComponentPropertyTable())
                                                .Component<R>("Buddy", &R::Buddy, &R::SetBuddy)
                                                .Build();
        return &table;
    }
    void GetChildren(const std::function<void(TComponent* child)>& proc, TComponent*) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            proc(Components(i));
    }
};
const TPersistentClass RefHolderClass = RegisterClass<TRefHolder>("TRefHolder");

} // namespace

TEST(CompStreamReferences, ANameLaterInTheStreamIsSetBeforeLoaded)
{
    TRefHolder source(nullptr);
    source.SetName("Root");
    TRefHolder* first = Named(new TRefHolder(&source), "First");
    TRefHolder* second = Named(new TRefHolder(&source), "Second");
    source.SetBuddy(second); // written before the child it names
    first->SetBuddy(second);
    second->SetBuddy(&source);
    const AnsiString bytes = ComponentBytes(&source);
    EXPECT_NE(bytes.find("\x05"
                         "Buddy\x07\x06Second"_bytes),
              AnsiString::npos);

    TRefHolder back(nullptr);
    ReadComponentBytes(bytes, &back);
    auto* backFirst = dynamic_cast<TRefHolder*>(back.FindComponent("First"));
    auto* backSecond = dynamic_cast<TRefHolder*>(back.FindComponent("Second"));
    ASSERT_TRUE(backFirst && backSecond);
    EXPECT_TRUE(back.Buddy == backSecond && backFirst->Buddy == backSecond && backSecond->Buddy == &back);
    EXPECT_TRUE(back.BuddyAtLoaded == backSecond && backFirst->BuddyAtLoaded == backSecond);
}

TEST(CompStreamReferences, ANameThatFindsNothingOfItsClassLeavesTheReferenceNull)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    TRefHolder* other = Named(new TRefHolder(&form), "Other");
    TRefHolder* source = Named(new TRefHolder(&form), "Source");
    source->SetBuddy(other);
    const AnsiString bytes = ComponentBytes(source);
    EXPECT_NE(bytes.find("\x0B"
                         "Form1.Other"_bytes),
              AnsiString::npos);
    delete source;

    // Read under the same owner it is found; alone, or where "Other" is of
    // another class, it is not, and a reference held before is cleared.
    TRefHolder* beside = Named(new TRefHolder(&form), "");
    ReadComponentBytes(bytes, beside);
    EXPECT_EQ(beside->Buddy, other);
    TRefHolder alone(nullptr);
    alone.SetBuddy(&alone);
    ReadComponentBytes(bytes, &alone);
    EXPECT_EQ(alone.Buddy, nullptr);
    TComponent elsewhere(nullptr);
    elsewhere.SetName("Form1");
    Named(new TComponent(&elsewhere), "Other");
    TRefHolder* there = Named(new TRefHolder(&elsewhere), "");
    ReadComponentBytes(bytes, there);
    EXPECT_EQ(there->Buddy, nullptr);
    EXPECT_THROW(SetComponentProp(there, "Buddy", &elsewhere), EPropertyError);

    // A value that is no name is refused; nil clears the reference.
    const AnsiString head = "TPF0\x0ATRefHolder\x00\x05"
                            "Buddy"_bytes;
    EXPECT_THROW(ReadComponentBytes(head + "\x07\x03"
                                           "1.x\x00\x00"_bytes,
                                    there),
                 EReadError);
    there->SetBuddy(there);
    ReadComponentBytes(head + "\x0D\x00\x00"_bytes, there);
    EXPECT_EQ(there->Buddy, nullptr);
}
