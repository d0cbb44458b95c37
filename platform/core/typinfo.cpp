// Property tables: lookup along the class hierarchy, defaults and stored-when,
// and the by-name access that undoable property changes use.
#include "platform/core/typinfo.h"

#include "platform/core/colors.h"
#include "platform/core/component.h"

TPropertyTable::TPropertyTable(AnsiString className, const TPropertyTable* parent,
                               std::vector<TPropInfo> props)
    : FClassName(std::move(className)), FParent(parent), FProps(std::move(props))
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

const TPropInfo* TPropertyTable::Find(const AnsiString& name) const
{
    for (const TPropertyTable* table = this; table; table = table->FParent)
        for (const TPropInfo& prop : table->FProps)
            // The length first: most names differ in it, and it needs no call.
            if (prop.Name.size() == name.size() && SameText(prop.Name, name))
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

const TPropertyTable* GetPropertyTable(const TPersistent* instance)
{
    return instance ? instance->PropertyTable() : nullptr;
}

bool TypInfoColorToIdent(int color, AnsiString& ident)
{
    return ColorToIdent(color, ident);
}

bool TypInfoIdentToColor(const AnsiString& ident, int& color)
{
    TColor value = 0;
    if (!IdentToColor(ident, value))
        return false;
    color = value;
    return true;
}

namespace typinfo_detail {

void CheckEnumNames(const AnsiString& propName, TPropKind kind, const std::vector<AnsiString>& names)
{
    // A set is a 32-bit mask, and every member needs a name to be written by.
    bool bad = names.empty() || (kind == pkSet && names.size() > 32);
    for (const AnsiString& name : names)
        if (name.empty() || name.size() > 255)
            bad = true;
    if (bad)
        throw EPropertyError(Format(TypInfoConst::SInvalidPropertyType, {propName}));
}

} // namespace typinfo_detail

// ---------------------------------------------------------------------------

namespace {

[[noreturn]] void KindError(const TPropInfo& prop)
{
    throw EPropertyError(Format(TypInfoConst::SInvalidPropertyType, {prop.Name}));
}

bool IsOrdinal(TPropKind kind)
{
    switch (kind) {
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

void CheckKind(const TPropInfo& prop, bool ok)
{
    if (!ok)
        KindError(prop);
}

} // namespace

const TPropInfo* GetPropInfo(const TPersistent* instance, const AnsiString& propName)
{
    const TPropertyTable* table = GetPropertyTable(instance);
    return table ? table->Find(propName) : nullptr;
}

const TPropInfo& FindPropInfo(const TPersistent* instance, const AnsiString& propName)
{
    const TPropInfo* prop = GetPropInfo(instance, propName);
    if (!prop)
        throw EPropertyError(Format(TypInfoConst::SUnknownProperty, {propName}));
    return *prop;
}

bool IsPublishedProp(const TPersistent* instance, const AnsiString& propName)
{
    return GetPropInfo(instance, propName) != nullptr;
}

bool IsStoredProp(const TPersistent* instance, const TPropInfo& prop)
{
    return !prop.Stored || prop.Stored(instance);
}

bool IsDefaultPropValue(const TPersistent* instance, const TPropInfo& prop)
{
    switch (prop.Kind) {
    case pkString:
        return prop.GetStr(instance) == prop.DefaultStr;
    case pkBinary:
        return prop.GetStr(instance).empty();
    case pkWideString:
        return prop.GetWide(instance) == prop.DefaultWide;
    case pkFloat:
        return prop.GetFloat(instance) == prop.DefaultFloat;
    case pkObject:
        return prop.GetObject(instance) == nullptr;
    case pkCollection:
        // An empty collection is still written, so that reading it back gives
        // an empty collection rather than leaving what was there.
        return prop.GetObject(instance) == nullptr;
    case pkComponent:
        return prop.GetComponent(instance) == nullptr;
    default:
        return prop.HasDefault && prop.GetOrd(instance) == prop.DefaultOrd;
    }
}

int64_t GetOrdProp(const TPersistent* instance, const TPropInfo& prop)
{
    CheckKind(prop, IsOrdinal(prop.Kind));
    return prop.GetOrd(instance);
}

int64_t GetOrdProp(const TPersistent* instance, const AnsiString& propName)
{
    return GetOrdProp(instance, FindPropInfo(instance, propName));
}

void SetOrdProp(TPersistent* instance, const TPropInfo& prop, int64_t value)
{
    CheckKind(prop, IsOrdinal(prop.Kind));
    prop.SetOrd(instance, value);
}

void SetOrdProp(TPersistent* instance, const AnsiString& propName, int64_t value)
{
    SetOrdProp(instance, FindPropInfo(instance, propName), value);
}

AnsiString GetStrProp(const TPersistent* instance, const AnsiString& propName)
{
    const TPropInfo& prop = FindPropInfo(instance, propName);
    CheckKind(prop, prop.Kind == pkString || prop.Kind == pkBinary);
    return prop.GetStr(instance);
}

void SetStrProp(TPersistent* instance, const AnsiString& propName, const AnsiString& value)
{
    const TPropInfo& prop = FindPropInfo(instance, propName);
    CheckKind(prop, prop.Kind == pkString || prop.Kind == pkBinary);
    prop.SetStr(instance, value);
}

WideString GetWideStrProp(const TPersistent* instance, const AnsiString& propName)
{
    const TPropInfo& prop = FindPropInfo(instance, propName);
    CheckKind(prop, prop.Kind == pkWideString);
    return prop.GetWide(instance);
}

void SetWideStrProp(TPersistent* instance, const AnsiString& propName, const WideString& value)
{
    const TPropInfo& prop = FindPropInfo(instance, propName);
    CheckKind(prop, prop.Kind == pkWideString);
    prop.SetWide(instance, value);
}

double GetFloatProp(const TPersistent* instance, const AnsiString& propName)
{
    const TPropInfo& prop = FindPropInfo(instance, propName);
    CheckKind(prop, prop.Kind == pkFloat);
    return prop.GetFloat(instance);
}

void SetFloatProp(TPersistent* instance, const AnsiString& propName, double value)
{
    const TPropInfo& prop = FindPropInfo(instance, propName);
    CheckKind(prop, prop.Kind == pkFloat);
    prop.SetFloat(instance, value);
}

TPersistent* GetObjectProp(const TPersistent* instance, const AnsiString& propName)
{
    const TPropInfo& prop = FindPropInfo(instance, propName);
    if (prop.Kind == pkComponent)
        return prop.GetComponent(instance);
    CheckKind(prop, prop.Kind == pkObject || prop.Kind == pkCollection);
    return prop.GetObject(instance);
}

void SetComponentProp(TPersistent* instance, const AnsiString& propName, TComponent* value)
{
    const TPropInfo& prop = FindPropInfo(instance, propName);
    CheckKind(prop, prop.Kind == pkComponent);
    if (!prop.SetComponent(instance, value))
        KindError(prop);
}

AnsiString GetEnumName(const TPropInfo& prop, int64_t value)
{
    if (value < 0 || value >= static_cast<int64_t>(prop.EnumNames.size()))
        return AnsiString();
    return prop.EnumNames[static_cast<size_t>(value)];
}

int GetEnumValue(const TPropInfo& prop, const AnsiString& name)
{
    for (size_t i = 0; i < prop.EnumNames.size(); ++i)
        if (SameText(prop.EnumNames[i], name))
            return static_cast<int>(i);
    return -1;
}
