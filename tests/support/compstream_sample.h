// The classes of the component-stream tests: a component with a property of
// every kind, a sub-object and a collection of items with sub-objects, and two
// defined properties. They match the Pascal unit that made the fixtures
// (tests/fixtures/compstream/streamclasses.pas), property for property.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/collection.h"
#include "platform/core/colors.h"
#include "platform/core/component.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"

namespace sample {

enum TShade { shNone, shLight, shDark, shFull };

inline const std::vector<AnsiString>& ShadeNames()
{
    static const std::vector<AnsiString> names = {"shNone", "shLight", "shDark", "shFull"};
    return names;
}

inline constexpr uint32_t Bit(TShade s)
{
    return uint32_t{1} << s;
}

class TSampleBorder : public TPersistent {
public:
    int FWidth = 1;
    TColor FColor = clWindowText;
    uint32_t FSides = Bit(shLight) | Bit(shDark);

    const char* ClassName() const override { return "TSampleBorder"; }
    const TPropertyTable* PropertyTable() const override
    {
        using B = TSampleBorder;
        static const TPropertyTable table =
            TPropTableBuilder<B>("TSampleBorder", nullptr)
                .Int("Width", &B::FWidth, &B::FWidth, 1)
                .Color("Color", &B::FColor, &B::FColor, clWindowText)
                .Set("Sides", &B::FSides, &B::FSides, ShadeNames(), Bit(shLight) | Bit(shDark))
                .Build();
        return &table;
    }
};

class TSampleItem : public TCollectionItem {
public:
    explicit TSampleItem(TCollection* Collection) : TCollectionItem(Collection) {}
    const char* ClassName() const override { return "TSampleItem"; }

    AnsiString FCaption;
    int FValue = 0;
    TSampleBorder FBorder;

    const TPropertyTable* PropertyTable() const override
    {
        using I = TSampleItem;
        static const TPropertyTable table = TPropTableBuilder<I>("TSampleItem", nullptr)
                                                .Str("Caption", &I::FCaption, &I::FCaption)
                                                .Int("Value", &I::FValue, &I::FValue, 0)
                                                .Object("Border", &I::FBorder)
                                                .Build();
        return &table;
    }
};

inline TCollectionItemClass SampleItemClass()
{
    return [](TCollection* c) -> TCollectionItem* { return new TSampleItem(c); };
}

class TSampleComponent : public TComponent {
public:
    explicit TSampleComponent(TComponent* AOwner) : TComponent(AOwner), FItems(SampleItemClass(), this) {}
    const char* ClassName() const override { return "TSampleComponent"; }

    int FSmall = 0, FMedium = 0, FLarge = 0;
    int64_t FBig = 0;
    TColor FColor = clWindowText;
    TColor FBackColor = clNone;
    TShade FShade = shNone;
    uint32_t FShades = 0;
    bool FFlag = false;
    bool FEnabled = true;
    AnsiString FCaption, FLongText;
    WideString FWideCaption;
    double FRatio = 0;
    TSampleBorder FBorder;
    TCollection FItems;
    AnsiString FBlob;
    std::vector<int> FNumbers;

    TSampleItem* Item(int i) const { return static_cast<TSampleItem*>(FItems.GetItem(i)); }
    TShade GetShade() const { return FShade; }
    void SetShade(TShade Value) { FShade = Value; }

    const TPropertyTable* PropertyTable() const override
    {
        using C = TSampleComponent;
        static const TPropertyTable table =
            TPropTableBuilder<C>("TSampleComponent", &ComponentPropertyTable())
                .Int("Small", &C::FSmall, &C::FSmall)
                .Int("Medium", &C::FMedium, &C::FMedium)
                .Int("Large", &C::FLarge, &C::FLarge)
                .Int64("Big", &C::FBig, &C::FBig)
                .Color("Color", &C::FColor, &C::FColor, clWindowText)
                .Color("BackColor", &C::FBackColor, &C::FBackColor, clNone)
                .Enum("Shade", &C::GetShade, &C::SetShade, ShadeNames(), shNone)
                .Set("Shades", &C::FShades, &C::FShades, ShadeNames(), 0u)
                .Bool("Flag", &C::FFlag, &C::FFlag, false)
                .Bool("Enabled", &C::FEnabled, &C::FEnabled, true)
                .Str("Caption", &C::FCaption, &C::FCaption)
                .Str("LongText", &C::FLongText, &C::FLongText)
                .WideStr("WideCaption", &C::FWideCaption, &C::FWideCaption)
                .Float("Ratio", &C::FRatio, &C::FRatio)
                .Object("Border", &C::FBorder)
                .Collection("Items", [](C* c) { return &c->FItems; })
                .Build();
        return &table;
    }

    void DefineProperties(TFiler* Filer) override
    {
        Filer->DefineBinaryProperty(
            "Blob",
            [this](TStream& s) {
                FBlob.assign(static_cast<size_t>(s.Size() - s.Position()), '\0');
                s.ReadBuffer(FBlob.data(), static_cast<int64_t>(FBlob.size()));
            },
            [this](TStream& s) { s.WriteBuffer(FBlob.data(), static_cast<int64_t>(FBlob.size())); },
            !FBlob.empty());
        Filer->DefineProperty(
            "Numbers",
            [this](TReader* r) {
                FNumbers.clear();
                r->ReadListBegin();
                while (!r->EndOfList())
                    FNumbers.push_back(r->ReadInteger());
                r->ReadListEnd();
            },
            [this](TWriter* w) {
                w->WriteListBegin();
                for (int n : FNumbers)
                    w->WriteInteger(n);
                w->WriteListEnd();
            },
            !FNumbers.empty());
    }
};

// The same values as FillSample of the Pascal unit.
inline void FillSample(TSampleComponent& c)
{
    c.SetName("Sample1");
    c.SetTag(7);
    c.FSmall = -5;
    c.FMedium = 1000;
    c.FLarge = -100000;
    c.FBig = 0x123456789A;
    c.FColor = clRed;
    c.FBackColor = 0x00123456;
    c.FShade = shDark;
    c.FShades = Bit(shNone) | Bit(shFull);
    c.FFlag = true;
    c.FEnabled = false;
    c.FCaption = "It's a test";
    c.FLongText.clear();
    for (int i = 1; i <= 300; ++i)
        c.FLongText += static_cast<char>('a' + i % 26);
    c.FWideCaption = u"A\u0416\u20AC";
    c.FRatio = 2.5;
    c.FBorder.FWidth = 3;
    c.FBorder.FColor = clHighlight;
    c.FBorder.FSides = 0;
    c.FItems.Clear();
    auto* first = static_cast<TSampleItem*>(c.FItems.Add());
    first->FCaption = "first";
    first->FValue = 1;
    auto* second = static_cast<TSampleItem*>(c.FItems.Add());
    second->FCaption = "second";
    second->FBorder.FWidth = 200;
    second->FBorder.FColor = clWhite;
    second->FBorder.FSides = Bit(shFull);
    c.FBlob = AnsiString("\x00\x01\x02\xFF", 4);
    c.FNumbers = {1, -1, 300, 70000};
}

} // namespace sample
