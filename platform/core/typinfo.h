// Property tables: the stand-in for the class library's run-time type information.
// A class publishes its properties in a static table (name, kind, accessors,
// default, stored-when); the component streams write and read through the
// tables, and undoable changes get and set properties by name.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/object.h"
#include "platform/core/sysutils.h"

class TCollection;
class TComponent;
class TFiler;
class TPropertyTable;

KELVOR_EXCEPTION(EPropertyError, Exception) // an unknown property name, or the wrong kind of access

namespace TypInfoConst {
inline constexpr const char* SUnknownProperty = "Property %s does not exist";
inline constexpr const char* SInvalidPropertyType = "Invalid property type: %s";
} // namespace TypInfoConst

// What a property holds, and so how it is streamed.
enum TPropKind {
    pkInteger,     // 32-bit integer (or a smaller one); written as an identifier when it has one
    pkInt64,       // 64-bit integer
    pkColor,       // TColor: written as its identifier (clWindow, ...) when it has one
    pkEnumeration, // ordinal of a list of identifiers, written by name
    pkBoolean,
    pkSet,        // bit n for member n of a list of identifiers (at most 32), written by names
    pkString,     // byte string
    pkWideString, // UTF-16 string
    pkFloat,
    pkObject,     // an owned sub-object (TPersistent): its properties are written as Name.Prop
    pkCollection, // an owned TCollection
    pkBinary,     // bytes
};

// Maps between integers and identifiers (colours, character sets, cursors).
using TIntToIdent = bool (*)(int Value, AnsiString& Ident);
using TIdentToInt = bool (*)(const AnsiString& Ident, int& Value);

// One published property. Only the accessors of its kind are set: GetOrd/SetOrd
// for the integer, colour, enumeration, boolean, set and 64-bit kinds, GetStr/SetStr
// for strings and binary data, GetWide/SetWide, GetFloat/SetFloat, and GetObject
// for sub-objects and collections (which are read into, never replaced).
struct TPropInfo {
    AnsiString Name;
    TPropKind Kind = pkInteger;
    std::vector<AnsiString> EnumNames; // enumerations and sets: the identifier of each ordinal
    TIntToIdent IntToIdent = nullptr;  // integers and colours with identifiers
    TIdentToInt IdentToInt = nullptr;

    // The value that is not written. Ordinal kinds without a default are always
    // written; strings, wide strings, floats and binary data default to empty or 0.
    bool HasDefault = false;
    int64_t DefaultOrd = 0;
    double DefaultFloat = 0;
    AnsiString DefaultStr;
    WideString DefaultWide;
    // Null: always stored.
    std::function<bool(const TPersistent*)> Stored;

    std::function<int64_t(const TPersistent*)> GetOrd;
    std::function<void(TPersistent*, int64_t)> SetOrd;
    std::function<AnsiString(const TPersistent*)> GetStr;
    std::function<void(TPersistent*, const AnsiString&)> SetStr;
    std::function<WideString(const TPersistent*)> GetWide;
    std::function<void(TPersistent*, const WideString&)> SetWide;
    std::function<double(const TPersistent*)> GetFloat;
    std::function<void(TPersistent*, double)> SetFloat;
    std::function<TPersistent*(const TPersistent*)> GetObject;
};

// The published properties of one class, after those of its parent class. A
// table is built once (a function-local static) and lives as long as the program.
// A property declared again in a subclass replaces the parent's of that name.
class TPropertyTable {
public:
    TPropertyTable(AnsiString ClassName, const TPropertyTable* Parent, std::vector<TPropInfo> Props);
    // AllProps points into the table itself.
    TPropertyTable(const TPropertyTable&) = delete;
    TPropertyTable& operator=(const TPropertyTable&) = delete;

    const AnsiString& ClassName() const { return FClassName; }
    const TPropertyTable* Parent() const { return FParent; }
    const std::vector<TPropInfo>& OwnProps() const { return FProps; }
    // The property of that name (ignoring case), own ones first; null when none.
    const TPropInfo* Find(const AnsiString& Name) const;
    // Every property, in streaming order: the parent's first, each name once.
    const std::vector<const TPropInfo*>& AllProps() const { return FAll; }

private:
    AnsiString FClassName;
    const TPropertyTable* FParent;
    std::vector<TPropInfo> FProps;
    std::vector<const TPropInfo*> FAll;
};

using TGetChildProc = std::function<void(TComponent* Child)>;

// The table of an object (TPersistent::PropertyTable): a class that publishes
// properties returns its own, whose parent is its base class's; components
// publish at least Name and Tag; null for objects without published properties.
const TPropertyTable* GetPropertyTable(const TPersistent* Instance);
// The properties every component publishes: Name (not stored: the component
// record holds it) and Tag (default 0).
const TPropertyTable& ComponentPropertyTable();

// ---------------------------------------------------------------------------
// Properties by name. Names ignore case; an unknown name raises EPropertyError
// "Property <name> does not exist", an access that does not fit the property's
// kind EPropertyError "Invalid property type: <name>".

const TPropInfo* GetPropInfo(const TPersistent* Instance, const AnsiString& PropName); // null when none
const TPropInfo& FindPropInfo(const TPersistent* Instance, const AnsiString& PropName);
bool IsPublishedProp(const TPersistent* Instance, const AnsiString& PropName);
bool IsStoredProp(const TPersistent* Instance, const TPropInfo& Prop);
// True when the value equals the property's default, so that it is not written.
bool IsDefaultPropValue(const TPersistent* Instance, const TPropInfo& Prop);

// Ordinal kinds and pkInt64: the integer, the colour, the ordinal of an
// enumeration, 0/1, the bit mask of a set.
int64_t GetOrdProp(const TPersistent* Instance, const TPropInfo& Prop);
int64_t GetOrdProp(const TPersistent* Instance, const AnsiString& PropName);
void SetOrdProp(TPersistent* Instance, const TPropInfo& Prop, int64_t Value);
void SetOrdProp(TPersistent* Instance, const AnsiString& PropName, int64_t Value);
// pkString and pkBinary.
AnsiString GetStrProp(const TPersistent* Instance, const AnsiString& PropName);
void SetStrProp(TPersistent* Instance, const AnsiString& PropName, const AnsiString& Value);
WideString GetWideStrProp(const TPersistent* Instance, const AnsiString& PropName);
void SetWideStrProp(TPersistent* Instance, const AnsiString& PropName, const WideString& Value);
double GetFloatProp(const TPersistent* Instance, const AnsiString& PropName);
void SetFloatProp(TPersistent* Instance, const AnsiString& PropName, double Value);
// pkObject and pkCollection: the owned object (may be null).
TPersistent* GetObjectProp(const TPersistent* Instance, const AnsiString& PropName);

// The identifier of ordinal Value of an enumeration or set property (empty when
// out of range), and the ordinal of an identifier (ignoring case; -1 when none).
AnsiString GetEnumName(const TPropInfo& Prop, int64_t Value);
int GetEnumValue(const TPropInfo& Prop, const AnsiString& Name);

// ---------------------------------------------------------------------------
// Building a table for class T. Getters are member functions, data members or
// callables taking const T*; setters are member functions, data members or
// callables taking (T*, value); sub-objects and collections are reached through
// a member function, a data member or a callable taking T*. Each call adds a property; StoredWhen and
// WithIdents apply to the one added last.
//
//   static const TPropertyTable table = TPropTableBuilder<TSample>("TSample", nullptr)
//       .Int("Width", &TSample::FWidth, &TSample::SetWidth, 1)
//       .Color("Color", &TSample::FColor, &TSample::FColor, clWindowText)
//       .Str("Name", &TSample::GetName, &TSample::SetName).StoredWhen(&TSample::IsNameStored)
//       .Build();

namespace typinfo_detail {

template <class S> struct SetterArg : SetterArg<decltype(&S::operator())> {};
template <class C, class R, class A> struct SetterArg<R (C::*)(A)> {
    using type = std::decay_t<A>;
};
template <class C, class R, class A> struct SetterArg<R (C::*)(A) noexcept> {
    using type = std::decay_t<A>;
};
template <class L, class R, class O, class A> struct SetterArg<R (L::*)(O, A) const> {
    using type = std::decay_t<A>;
};
template <class L, class R, class O, class A> struct SetterArg<R (L::*)(O, A)> {
    using type = std::decay_t<A>;
};
template <class R, class O, class A> struct SetterArg<R (*)(O, A)> {
    using type = std::decay_t<A>;
};

template <class T, class V, class G> std::function<V(const TPersistent*)> Getter(G get)
{
    return [get](const TPersistent* o) { return static_cast<V>(std::invoke(get, static_cast<const T*>(o))); };
}

template <class T, class V, class S> std::function<void(TPersistent*, V)> Setter(S set)
{
    if constexpr (std::is_member_object_pointer_v<S>) {
        return [set](TPersistent* o, V v) {
            T* t = static_cast<T*>(o);
            using Field = std::decay_t<decltype(t->*set)>;
            t->*set = static_cast<Field>(v);
        };
    } else {
        using A = typename SetterArg<S>::type;
        return [set](TPersistent* o, V v) { std::invoke(set, static_cast<T*>(o), static_cast<A>(v)); };
    }
}

// Sub-objects are parts of their owner that the reader fills in, so they are
// reached as modifiable objects from a const owner too. The getter may give a
// pointer or (a data member) the object itself.
template <class T, class G> std::function<TPersistent*(const TPersistent*)> ObjectGetter(G get)
{
    return [get](const TPersistent* o) -> TPersistent* {
        T* t = const_cast<T*>(static_cast<const T*>(o));
        decltype(auto) part = std::invoke(get, t);
        if constexpr (std::is_pointer_v<std::decay_t<decltype(part)>>)
            return part;
        else
            return &part;
    };
}

void CheckEnumNames(const AnsiString& PropName, TPropKind Kind, const std::vector<AnsiString>& Names);

} // namespace typinfo_detail

template <class T> class TPropTableBuilder {
public:
    TPropTableBuilder(AnsiString ClassName, const TPropertyTable* Parent)
        : FClassName(std::move(ClassName)), FParent(Parent)
    {}

    template <class G, class S>
    TPropTableBuilder& Int(const char* Name, G Read, S Write, std::optional<int64_t> Default = std::nullopt)
    {
        return AddOrd(Name, pkInteger, Read, Write, Default);
    }
    template <class G, class S>
    TPropTableBuilder& Int64(const char* Name, G Read, S Write, std::optional<int64_t> Default = std::nullopt)
    {
        return AddOrd(Name, pkInt64, Read, Write, Default);
    }
    // Written as its colour identifier when it has one (ColorToIdent).
    template <class G, class S>
    TPropTableBuilder& Color(const char* Name, G Read, S Write,
                             std::optional<int64_t> Default = std::nullopt);
    template <class G, class S>
    TPropTableBuilder& Bool(const char* Name, G Read, S Write, std::optional<bool> Default = std::nullopt)
    {
        std::optional<int64_t> def;
        if (Default)
            def = *Default ? 1 : 0;
        return AddOrd(Name, pkBoolean, Read, Write, def);
    }
    template <class G, class S>
    TPropTableBuilder& Enum(const char* Name, G Read, S Write, std::vector<AnsiString> Names,
                            std::optional<int64_t> Default = std::nullopt)
    {
        AddOrd(Name, pkEnumeration, Read, Write, Default);
        Last().EnumNames = std::move(Names);
        typinfo_detail::CheckEnumNames(Last().Name, pkEnumeration, Last().EnumNames);
        return *this;
    }
    // A set as a bit mask: bit n for member n of Names.
    template <class G, class S>
    TPropTableBuilder& Set(const char* Name, G Read, S Write, std::vector<AnsiString> Names,
                           std::optional<uint32_t> Default = std::nullopt)
    {
        std::optional<int64_t> def;
        if (Default)
            def = static_cast<int64_t>(*Default);
        AddOrd(Name, pkSet, Read, Write, def);
        Last().EnumNames = std::move(Names);
        typinfo_detail::CheckEnumNames(Last().Name, pkSet, Last().EnumNames);
        return *this;
    }
    template <class G, class S>
    TPropTableBuilder& Str(const char* Name, G Read, S Write, AnsiString Default = AnsiString())
    {
        TPropInfo& p = Add(Name, pkString);
        p.GetStr = typinfo_detail::Getter<T, AnsiString>(Read);
        p.SetStr = typinfo_detail::Setter<T, const AnsiString&>(Write);
        p.DefaultStr = std::move(Default);
        return *this;
    }
    template <class G, class S>
    TPropTableBuilder& WideStr(const char* Name, G Read, S Write, WideString Default = WideString())
    {
        TPropInfo& p = Add(Name, pkWideString);
        p.GetWide = typinfo_detail::Getter<T, WideString>(Read);
        p.SetWide = typinfo_detail::Setter<T, const WideString&>(Write);
        p.DefaultWide = std::move(Default);
        return *this;
    }
    template <class G, class S>
    TPropTableBuilder& Float(const char* Name, G Read, S Write, double Default = 0)
    {
        TPropInfo& p = Add(Name, pkFloat);
        p.GetFloat = typinfo_detail::Getter<T, double>(Read);
        p.SetFloat = typinfo_detail::Setter<T, double>(Write);
        p.DefaultFloat = Default;
        return *this;
    }
    // Bytes, written when not empty.
    template <class G, class S> TPropTableBuilder& Binary(const char* Name, G Read, S Write)
    {
        TPropInfo& p = Add(Name, pkBinary);
        p.GetStr = typinfo_detail::Getter<T, AnsiString>(Read);
        p.SetStr = typinfo_detail::Setter<T, const AnsiString&>(Write);
        return *this;
    }
    // An owned sub-object, read and written through its own table. Read is a
    // member function or callable (on T*) giving a pointer, or a data member.
    template <class G> TPropTableBuilder& Object(const char* Name, G Read)
    {
        Add(Name, pkObject).GetObject = typinfo_detail::ObjectGetter<T>(Read);
        return *this;
    }
    // An owned collection, given as for Object.
    template <class G> TPropTableBuilder& Collection(const char* Name, G Read)
    {
        Add(Name, pkCollection).GetObject = typinfo_detail::ObjectGetter<T>(Read);
        return *this;
    }

    // The last property is written only while Pred (a member function or a
    // callable taking const T*) answers true.
    template <class P> TPropTableBuilder& StoredWhen(P Pred)
    {
        Last().Stored = [Pred](const TPersistent* o) {
            return static_cast<bool>(std::invoke(Pred, static_cast<const T*>(o)));
        };
        return *this;
    }
    TPropTableBuilder& NotStored()
    {
        Last().Stored = [](const TPersistent*) { return false; };
        return *this;
    }
    // The last (integer) property is written as an identifier where ToIdent has one.
    TPropTableBuilder& WithIdents(TIntToIdent ToIdent, TIdentToInt FromIdent)
    {
        Last().IntToIdent = ToIdent;
        Last().IdentToInt = FromIdent;
        return *this;
    }

    TPropertyTable Build() { return TPropertyTable(FClassName, FParent, std::move(FProps)); }

private:
    TPropInfo& Add(const char* Name, TPropKind Kind)
    {
        FProps.emplace_back();
        FProps.back().Name = Name;
        FProps.back().Kind = Kind;
        return FProps.back();
    }
    TPropInfo& Last()
    {
        if (FProps.empty())
            throw EPropertyError(Format(TypInfoConst::SInvalidPropertyType, {FClassName}));
        return FProps.back();
    }
    template <class G, class S>
    TPropTableBuilder& AddOrd(const char* Name, TPropKind Kind, G Read, S Write,
                              std::optional<int64_t> Default)
    {
        TPropInfo& p = Add(Name, Kind);
        p.GetOrd = typinfo_detail::Getter<T, int64_t>(Read);
        p.SetOrd = typinfo_detail::Setter<T, int64_t>(Write);
        p.HasDefault = Default.has_value();
        p.DefaultOrd = Default.value_or(0);
        return *this;
    }

    AnsiString FClassName;
    const TPropertyTable* FParent;
    std::vector<TPropInfo> FProps;
};

// Colour identifiers, declared here so that the template needs no colour header.
bool TypInfoColorToIdent(int Color, AnsiString& Ident);
bool TypInfoIdentToColor(const AnsiString& Ident, int& Color);

template <class T>
template <class G, class S>
TPropTableBuilder<T>& TPropTableBuilder<T>::Color(const char* Name, G Read, S Write,
                                                  std::optional<int64_t> Default)
{
    AddOrd(Name, pkColor, Read, Write, Default);
    return WithIdents(TypInfoColorToIdent, TypInfoIdentToColor);
}
