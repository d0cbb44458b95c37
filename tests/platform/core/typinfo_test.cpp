// Property tables: lookup through the class hierarchy, defaults and stored-when,
// and getting and setting properties by name as undoable changes do.
#include "platform/core/typinfo.h"

#include <gtest/gtest.h>

#include "platform/core/colors.h"
#include "platform/core/component.h"

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

TEST(TypInfo, TablesInheritAndListParentPropertiesFirst)
{
    TDerived d;
    const TPropertyTable* table = GetPropertyTable(&d);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->ClassName(), "TDerived");
    EXPECT_EQ(table->Parent(), &TBase::Table());
    std::vector<AnsiString> names;
    for (const TPropInfo* p : table->AllProps())
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<AnsiString>{"Color", "Text", "Align", "Options", "Visible", "Size", "Ratio",
                                              "Wide", "Sub", "Width"}));
    EXPECT_EQ(table->Find("WIDTH")->DefaultOrd, 5);
    EXPECT_EQ(TBase::Table().Find("width")->DefaultOrd, 1);
    EXPECT_EQ(table->Find("Nothing"), nullptr);

    // Objects without a table have no published properties; components have Name and Tag.
    TPersistent plain;
    EXPECT_EQ(GetPropertyTable(&plain), nullptr);
    EXPECT_EQ(GetPropertyTable(nullptr), nullptr);
    TComponent component(nullptr);
    EXPECT_EQ(GetPropertyTable(&component), &ComponentPropertyTable());
}

TEST(TypInfo, OrdinalPropertiesByNameIgnoringCase)
{
    TDerived d;
    SetOrdProp(&d, "width", 40);
    EXPECT_EQ(d.FWidth, 40);
    SetOrdProp(&d, "Width", -3); // through the setter, which keeps its own rule
    EXPECT_EQ(GetOrdProp(&d, "WIDTH"), 0);
    SetOrdProp(&d, "Color", clRed);
    EXPECT_EQ(GetOrdProp(&d, "color"), clRed);
    SetOrdProp(&d, "Align", alCenter);
    EXPECT_EQ(d.FAlign, alCenter);
    SetOrdProp(&d, "Options", 3);
    EXPECT_EQ(d.FOptions, 3u);
    SetOrdProp(&d, "Visible", 0);
    EXPECT_FALSE(d.FVisible);
    SetOrdProp(&d, "Size", int64_t{1} << 40);
    EXPECT_EQ(GetOrdProp(&d, "Size"), int64_t{1} << 40);

    TComponent component(nullptr);
    SetOrdProp(&component, "Tag", 12);
    EXPECT_EQ(component.Tag(), 12);
}

TEST(TypInfo, UnknownNamesAndWrongKindsRaise)
{
    TDerived d;
    try {
        SetOrdProp(&d, "Height", 1);
        FAIL() << "no error";
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Property Height does not exist");
    }
    EXPECT_THROW(GetOrdProp(&d, ""), EPropertyError);
    TPersistent plain;
    EXPECT_THROW(GetOrdProp(&plain, "Width"), EPropertyError);
    try {
        GetOrdProp(&d, "Text");
        FAIL() << "no error";
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Invalid property type: Text");
    }
    EXPECT_THROW(SetStrProp(&d, "Width", "1"), EPropertyError);
    EXPECT_THROW(GetFloatProp(&d, "Wide"), EPropertyError);
    EXPECT_THROW(GetObjectProp(&d, "Ratio"), EPropertyError);
    EXPECT_FALSE(IsPublishedProp(&d, "Height"));
    EXPECT_TRUE(IsPublishedProp(&d, "sub"));
}

TEST(TypInfo, DefaultsAndStoredWhen)
{
    TDerived d;
    const TPropertyTable* table = GetPropertyTable(&d);
    auto isDefault = [&](const char* name) { return IsDefaultPropValue(&d, *table->Find(name)); };
    d.FWidth = 5;
    EXPECT_TRUE(isDefault("Width"));
    d.FWidth = 1; // the parent's default, but this class declared 5
    EXPECT_FALSE(isDefault("Width"));
    EXPECT_TRUE(isDefault("Color"));
    EXPECT_TRUE(isDefault("Text"));
    d.FText.clear(); // an empty string differs from a default of "Arial"
    EXPECT_FALSE(isDefault("Text"));
    EXPECT_TRUE(isDefault("Visible"));
    EXPECT_FALSE(isDefault("Size")); // no default: always written
    EXPECT_TRUE(isDefault("Ratio"));
    EXPECT_TRUE(isDefault("Wide"));
    EXPECT_FALSE(isDefault("Sub")); // sub-objects are always visited

    EXPECT_TRUE(IsStoredProp(&d, *table->Find("Ratio")));
    d.FStoreRatio = false;
    EXPECT_FALSE(IsStoredProp(&d, *table->Find("Ratio")));
    EXPECT_TRUE(IsStoredProp(&d, *table->Find("Width")));
    EXPECT_FALSE(IsStoredProp(&d, *ComponentPropertyTable().Find("Name")));
}
