// TPersistent's Assign/AssignTo protocol and its error, the class registry
// that finds classes by name and makes instances (components with their
// owner), and property tables: lookup through the class hierarchy, defaults
// and stored-when, and getting and setting properties by name.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/classreg.h"
#include "platform/core/colors.h"
#include "platform/core/component.h"
#include "platform/core/object.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

namespace {

class TPoint3 : public TPersistent {
public:
    const char* ClassName() const override { return "TPoint3"; }
    void Assign(const TPersistent* Source) override
    {
        if (auto p = dynamic_cast<const TPoint3*>(Source)) {
            X = p->X;
            return;
        }
        TPersistent::Assign(Source);
    }
    int X = 0;
};

// Knows how to copy itself into a TPoint3, which does not know it.
class TScalar : public TPersistent {
public:
    const char* ClassName() const override { return "TScalar"; }
    int Value = 0;

protected:
    void AssignTo(TPersistent* Dest) const override
    {
        if (auto p = dynamic_cast<TPoint3*>(Dest)) {
            p->X = Value;
            return;
        }
        TPersistent::AssignTo(Dest);
    }
};

class TUnrelated : public TPersistent {
public:
    const char* ClassName() const override { return "TUnrelated"; }
};

std::string AssignErrorOf(TPersistent& dest, const TPersistent* source)
{
    try {
        dest.Assign(source);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "no EConvertError";
}

class TRegisteredComponent : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TRegisteredComponent"; }
};

} // namespace

TEST(TPersistentTest, AssignAsksTheSourceWhenTheDestinationDoesNotKnowIt)
{
    TPoint3 a, b;
    b.X = 5;
    a.Assign(&b);
    EXPECT_EQ(a.X, 5);

    TScalar s;
    s.Value = 9;
    a.Assign(&s);
    EXPECT_EQ(a.X, 9);

    // Neither side knows the other: source first, then destination.
    TUnrelated u;
    EXPECT_EQ(AssignErrorOf(a, &u), "Cannot assign a TUnrelated to a TPoint3");
    EXPECT_EQ(AssignErrorOf(u, &a), "Cannot assign a TPoint3 to a TUnrelated");
    EXPECT_EQ(AssignErrorOf(s, &a), "Cannot assign a TPoint3 to a TScalar");
    EXPECT_EQ(AssignErrorOf(a, nullptr), "Cannot assign a nil to a TPoint3");
    EXPECT_EQ(a.X, 9);
}

TEST(ClassRegistryTest, ReferencesStayValidAcrossReRegistration)
{
    int made = 0;
    TPersistentClass first = RegisterClass("TCounted", [&made](TComponent*) -> TPersistent* {
        ++made;
        return new TUnrelated;
    });
    TPersistentClass again = RegisterClass("TCOUNTED", [&made](TComponent*) -> TPersistent* {
        made += 10;
        return new TUnrelated;
    });
    EXPECT_EQ(first, again);
    delete first->Create(nullptr);
    EXPECT_EQ(made, 10);

    UnRegisterClass("tcounted");
    EXPECT_EQ(GetClass("TCounted"), nullptr);
    EXPECT_THROW(FindClass("TCounted"), EClassNotFound);
    // The reference itself still works after unregistering.
    delete first->Create(nullptr);
    EXPECT_EQ(made, 20);
    EXPECT_EQ(RegisterClass<TUnrelated>("TCounted"), first);
    UnRegisterClass("TCounted");
}

namespace {

enum TAlign { alLeft, alRight, alCenter };

class TBase : public TPersistent {
public:
    const char* ClassName() const override { return "TBase"; }
    int FWidth = 1;
    TColor FColor = clNone;
    AnsiString FText = "Arial";
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value < 0 ? 0 : Value; } // a setter with a rule of its own

    const TPropertyTable* PropertyTable() const override { return &Table(); }
    static const TPropertyTable& Table()
    {
        static const TPropertyTable table = TPropTableBuilder<TBase>("TBase", nullptr)
                                                .Int("Width", &TBase::GetWidth, &TBase::SetWidth, 1)
                                                .Color("Color", &TBase::FColor, &TBase::FColor, clNone)
                                                .Str("Text", &TBase::FText, &TBase::FText, "Arial")
                                                .Build();
        return table;
    }
};

class TDerived : public TBase {
public:
    const char* ClassName() const override { return "TDerived"; }
    TAlign FAlign = alLeft;
    uint32_t FOptions = 0;
    bool FVisible = true;
    int64_t FSize = 0;
    double FRatio = 0;
    WideString FWide;
    TBase FSub;
    bool FStoreRatio = true;
    TBase* GetSub() { return &FSub; }

    const TPropertyTable* PropertyTable() const override
    {
        static const TPropertyTable table =
            TPropTableBuilder<TDerived>("TDerived", &TBase::Table())
                .Enum("Align", &TDerived::FAlign, &TDerived::FAlign, {"alLeft", "alRight", "alCenter"},
                      alLeft)
                .Set("Options", &TDerived::FOptions, &TDerived::FOptions, {"opA", "opB"}, 0u)
                .Bool(
                    "Visible", [](const TDerived* d) { return d->FVisible; },
                    [](TDerived* d, bool v) { d->FVisible = v; }, true)
                .Int64("Size", &TDerived::FSize, &TDerived::FSize)
                .Float("Ratio", &TDerived::FRatio, &TDerived::FRatio)
                .StoredWhen([](const TDerived* d) { return d->FStoreRatio; })
                .WideStr("Wide", &TDerived::FWide, &TDerived::FWide)
                .Object("Sub", &TDerived::GetSub)
                // Declared again with another default: replaces the parent's.
                .Int("Width", &TDerived::GetWidth, &TDerived::SetWidth, 5)
                .Build();
        return &table;
    }
};

} // namespace

TEST(TypInfo, BuilderRefusesSetsThatCannotBeStreamed)
{
    auto tooMany = [] {
        std::vector<AnsiString> names;
        for (int i = 0; i < 33; ++i)
            names.push_back("m" + IntToStr(i));
        return TPropTableBuilder<TDerived>("TBad", nullptr)
            .Set("Options", &TDerived::FOptions, &TDerived::FOptions, names)
            .Build();
    };
    EXPECT_THROW(tooMany(), EPropertyError);
    auto unnamed = [] {
        return TPropTableBuilder<TDerived>("TBad", nullptr)
            .Enum("Align", &TDerived::FAlign, &TDerived::FAlign, {"alLeft", ""})
            .Build();
    };
    EXPECT_THROW(unnamed(), EPropertyError);
}
