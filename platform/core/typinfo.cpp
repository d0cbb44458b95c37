// Property tables: lookup along the class hierarchy, defaults and stored-when,
// and the by-name access that undoable property changes use.
#include "platform/core/typinfo.h"

#include "platform/core/colors.h"
#include "platform/core/component.h"

TPropertyTable::TPropertyTable(AnsiString ClassName, const TPropertyTable* Parent,
                               std::vector<TPropInfo> Props)
    : FClassName(std::move(ClassName)), FParent(Parent), FProps(std::move(Props))
{
    // The parent's properties first, in their order, then the own ones; a name
    // declared again here replaces the parent's property of that name.
    if (FParent)
        for (const TPropInfo* inherited : FParent->AllProps()) {
            bool redeclared = false;
            for (const TPropInfo& own : FProps)
                if (SameText(own.Name, inherited->Name))
                    redeclared = true;
            if (!redeclared)
                FAll.push_back(inherited);
        }
    for (const TPropInfo& own : FProps)
        FAll.push_back(&own);
}

const TPropInfo* TPropertyTable::Find(const AnsiString& Name) const
{
    for (const TPropertyTable* table = this; table; table = table->FParent)
        for (const TPropInfo& prop : table->FProps)
            if (SameText(prop.Name, Name))
                return &prop;
    return nullptr;
}

const TPropertyTable& ComponentPropertyTable()
{
    static const TPropertyTable table = TPropTableBuilder<TComponent>("TComponent", nullptr)
                                            .Str("Name", &TComponent::Name, &TComponent::SetName)
                                            .NotStored()
                                            .Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
                                            .Build();
    return table;
}

const TPropertyTable* GetPropertyTable(const TPersistent* Instance)
{
    return Instance ? Instance->PropertyTable() : nullptr;
}

bool TypInfoColorToIdent(int Color, AnsiString& Ident)
{
    return ColorToIdent(Color, Ident);
}

bool TypInfoIdentToColor(const AnsiString& Ident, int& Color)
{
    TColor value = 0;
    if (!IdentToColor(Ident, value))
        return false;
    Color = value;
    return true;
}

namespace typinfo_detail {

void CheckEnumNames(const AnsiString& PropName, TPropKind Kind, const std::vector<AnsiString>& Names)
{
    // A set is a 32-bit mask, and every member needs a name to be written by.
    bool bad = Names.empty() || (Kind == pkSet && Names.size() > 32);
    for (const AnsiString& name : Names)
        if (name.empty() || name.size() > 255)
            bad = true;
    if (bad)
        throw EPropertyError(Format(TypInfoConst::SInvalidPropertyType, {PropName}));
}

} // namespace typinfo_detail

// ---------------------------------------------------------------------------

namespace {

[[noreturn]] void KindError(const TPropInfo& Prop)
{
    throw EPropertyError(Format(TypInfoConst::SInvalidPropertyType, {Prop.Name}));
}

bool IsOrdinal(TPropKind Kind)
{
    switch (Kind) {
    case pkInteger:
    case pkInt64:
    case pkColor:
    case pkEnumeration:
    case pkBoolean:
    case pkSet:
        return true;
    default:
        return false;
    }
}

void CheckKind(const TPropInfo& Prop, bool ok)
{
    if (!ok)
        KindError(Prop);
}

} // namespace

const TPropInfo* GetPropInfo(const TPersistent* Instance, const AnsiString& PropName)
{
    const TPropertyTable* table = GetPropertyTable(Instance);
    return table ? table->Find(PropName) : nullptr;
}

const TPropInfo& FindPropInfo(const TPersistent* Instance, const AnsiString& PropName)
{
    const TPropInfo* prop = GetPropInfo(Instance, PropName);
    if (!prop)
        throw EPropertyError(Format(TypInfoConst::SUnknownProperty, {PropName}));
    return *prop;
}

bool IsPublishedProp(const TPersistent* Instance, const AnsiString& PropName)
{
    return GetPropInfo(Instance, PropName) != nullptr;
}

bool IsStoredProp(const TPersistent* Instance, const TPropInfo& Prop)
{
    return !Prop.Stored || Prop.Stored(Instance);
}

bool IsDefaultPropValue(const TPersistent* Instance, const TPropInfo& Prop)
{
    switch (Prop.Kind) {
    case pkString:
        return Prop.GetStr(Instance) == Prop.DefaultStr;
    case pkBinary:
        return Prop.GetStr(Instance).empty();
    case pkWideString:
        return Prop.GetWide(Instance) == Prop.DefaultWide;
    case pkFloat:
        return Prop.GetFloat(Instance) == Prop.DefaultFloat;
    case pkObject:
        return Prop.GetObject(Instance) == nullptr;
    case pkCollection:
        // An empty collection is still written, so that reading it back gives
        // an empty collection rather than leaving what was there.
        return Prop.GetObject(Instance) == nullptr;
    default:
        return Prop.HasDefault && Prop.GetOrd(Instance) == Prop.DefaultOrd;
    }
}

int64_t GetOrdProp(const TPersistent* Instance, const TPropInfo& Prop)
{
    CheckKind(Prop, IsOrdinal(Prop.Kind));
    return Prop.GetOrd(Instance);
}

int64_t GetOrdProp(const TPersistent* Instance, const AnsiString& PropName)
{
    return GetOrdProp(Instance, FindPropInfo(Instance, PropName));
}

void SetOrdProp(TPersistent* Instance, const TPropInfo& Prop, int64_t Value)
{
    CheckKind(Prop, IsOrdinal(Prop.Kind));
    Prop.SetOrd(Instance, Value);
}

void SetOrdProp(TPersistent* Instance, const AnsiString& PropName, int64_t Value)
{
    SetOrdProp(Instance, FindPropInfo(Instance, PropName), Value);
}

AnsiString GetStrProp(const TPersistent* Instance, const AnsiString& PropName)
{
    const TPropInfo& prop = FindPropInfo(Instance, PropName);
    CheckKind(prop, prop.Kind == pkString || prop.Kind == pkBinary);
    return prop.GetStr(Instance);
}

void SetStrProp(TPersistent* Instance, const AnsiString& PropName, const AnsiString& Value)
{
    const TPropInfo& prop = FindPropInfo(Instance, PropName);
    CheckKind(prop, prop.Kind == pkString || prop.Kind == pkBinary);
    prop.SetStr(Instance, Value);
}

WideString GetWideStrProp(const TPersistent* Instance, const AnsiString& PropName)
{
    const TPropInfo& prop = FindPropInfo(Instance, PropName);
    CheckKind(prop, prop.Kind == pkWideString);
    return prop.GetWide(Instance);
}

void SetWideStrProp(TPersistent* Instance, const AnsiString& PropName, const WideString& Value)
{
    const TPropInfo& prop = FindPropInfo(Instance, PropName);
    CheckKind(prop, prop.Kind == pkWideString);
    prop.SetWide(Instance, Value);
}

double GetFloatProp(const TPersistent* Instance, const AnsiString& PropName)
{
    const TPropInfo& prop = FindPropInfo(Instance, PropName);
    CheckKind(prop, prop.Kind == pkFloat);
    return prop.GetFloat(Instance);
}

void SetFloatProp(TPersistent* Instance, const AnsiString& PropName, double Value)
{
    const TPropInfo& prop = FindPropInfo(Instance, PropName);
    CheckKind(prop, prop.Kind == pkFloat);
    prop.SetFloat(Instance, Value);
}

TPersistent* GetObjectProp(const TPersistent* Instance, const AnsiString& PropName)
{
    const TPropInfo& prop = FindPropInfo(Instance, PropName);
    CheckKind(prop, prop.Kind == pkObject || prop.Kind == pkCollection);
    return prop.GetObject(Instance);
}

AnsiString GetEnumName(const TPropInfo& Prop, int64_t Value)
{
    if (Value < 0 || Value >= static_cast<int64_t>(Prop.EnumNames.size()))
        return AnsiString();
    return Prop.EnumNames[static_cast<size_t>(Value)];
}

int GetEnumValue(const TPropInfo& Prop, const AnsiString& Name)
{
    for (size_t i = 0; i < Prop.EnumNames.size(); ++i)
        if (SameText(Prop.EnumNames[i], Name))
            return static_cast<int>(i);
    return -1;
}
