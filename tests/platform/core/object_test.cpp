// TPersistent's Assign/AssignTo protocol and its error, class references that
// outlive re-registration, and property tables the builder refuses.
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

enum TAlign { alLeft, alRight };

class TOptions : public TPersistent {
public:
    const char* ClassName() const override { return "TOptions"; }
    TAlign FAlign = alLeft;
    uint32_t FOptions = 0;
};

} // namespace

TEST(TypInfo, BuilderRefusesSetsThatCannotBeStreamed)
{
    auto tooMany = [] {
        std::vector<AnsiString> names;
        for (int i = 0; i < 33; ++i)
            names.push_back("m" + IntToStr(i));
        return TPropTableBuilder<TOptions>("TBad", nullptr)
            .Set("Options", &TOptions::FOptions, &TOptions::FOptions, names)
            .Build();
    };
    EXPECT_THROW(tooMany(), EPropertyError);
    auto unnamed = [] {
        return TPropTableBuilder<TOptions>("TBad", nullptr)
            .Enum("Align", &TOptions::FAlign, &TOptions::FAlign, {"alLeft", ""})
            .Build();
    };
    EXPECT_THROW(unnamed(), EPropertyError);
}
