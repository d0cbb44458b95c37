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
    pkComponent,  // a reference to another component (not owned): written by name, resolved after reading
};

// Maps between integers and identifiers (colours, character sets, cursors).
using TIntToIdent = bool (*)(int value, AnsiString& ident);
using TIdentToInt = bool (*)(const AnsiString& ident, int& value);

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
    // Component references: the component referred to (null for none), and the
    // setter, which answers false (and changes nothing) for a component of a
    // class the property does not take.
    std::function<TComponent*(const TPersistent*)> GetComponent;
    std::function<bool(TPersistent*, TComponent*)> SetComponent;
};

// The published properties of one class, after those of its parent class. A
// table is built once (a function-local static) and lives as long as the program.
// A property declared again in a subclass replaces the parent's of that name.
class TPropertyTable {
public:
    TPropertyTable(AnsiString className, const TPropertyTable* parent, std::vector<TPropInfo> props);
    // AllProps points into the table itself.
    TPropertyTable(const TPropertyTable&) = delete;
    TPropertyTable& operator=(const TPropertyTable&) = delete;

    const AnsiString& ClassName() const { return FClassName; }
    const TPropertyTable* Parent() const { return FParent; }
    const std::vector<TPropInfo>& OwnProps() const { return FProps; }
    // The property of that name (ignoring case), own ones first; null when none.
    const TPropInfo* Find(const AnsiString& name) const;
    // Every property, in streaming order: the parent's first, each name once.
    const std::vector<const TPropInfo*>& AllProps() const { return FAll; }

private:
    AnsiString FClassName;
    const TPropertyTable* FParent;
    std::vector<TPropInfo> FProps;
    std::vector<const TPropInfo*> FAll;
};

using TGetChildProc = std::function<void(TComponent* child)>;

// The table of an object (TPersistent::PropertyTable): a class that publishes
// properties returns its own, whose parent is its base class's; components
// publish at least Name and Tag; null for objects without published properties.
const TPropertyTable* GetPropertyTable(const TPersistent* instance);
// The properties every component publishes: Name (not stored: the component
// record holds it) and Tag (default 0).
const TPropertyTable& ComponentPropertyTable();

// ---------------------------------------------------------------------------
// Properties by name. Names ignore case; an unknown name raises EPropertyError
// "Property <name> does not exist", an access that does not fit the property's
// kind EPropertyError "Invalid property type: <name>".

const TPropInfo* GetPropInfo(const TPersistent* instance, const AnsiString& propName); // null when none
const TPropInfo& FindPropInfo(const TPersistent* instance, const AnsiString& propName);
bool IsPublishedProp(const TPersistent* instance, const AnsiString& propName);
bool IsStoredProp(const TPersistent* instance, const TPropInfo& prop);
// True when the value equals the property's default, so that it is not written.
bool IsDefaultPropValue(const TPersistent* instance, const TPropInfo& prop);

// Ordinal kinds and pkInt64: the integer, the colour, the ordinal of an
// enumeration, 0/1, the bit mask of a set.
int64_t GetOrdProp(const TPersistent* instance, const TPropInfo& prop);
int64_t GetOrdProp(const TPersistent* instance, const AnsiString& propName);
void SetOrdProp(TPersistent* instance, const TPropInfo& prop, int64_t value);
void SetOrdProp(TPersistent* instance, const AnsiString& propName, int64_t value);
// pkString and pkBinary.
AnsiString GetStrProp(const TPersistent* instance, const AnsiString& propName);
void SetStrProp(TPersistent* instance, const AnsiString& propName, const AnsiString& value);
WideString GetWideStrProp(const TPersistent* instance, const AnsiString& propName);
void SetWideStrProp(TPersistent* instance, const AnsiString& propName, const WideString& value);
double GetFloatProp(const TPersistent* instance, const AnsiString& propName);
void SetFloatProp(TPersistent* instance, const AnsiString& propName, double value);
// pkObject and pkCollection: the owned object (may be null); pkComponent: the
// component referred to.
TPersistent* GetObjectProp(const TPersistent* instance, const AnsiString& propName);
// pkComponent: refers to Value (null for none); EPropertyError "Invalid
// property type: <name>" for a component of a class the property does not take.
void SetComponentProp(TPersistent* instance, const AnsiString& propName, TComponent* value);

// The identifier of ordinal Value of an enumeration or set property (empty when
// out of range), and the ordinal of an identifier (ignoring case; -1 when none).
AnsiString GetEnumName(const TPropInfo& prop, int64_t value);
int GetEnumValue(const TPropInfo& prop, const AnsiString& name);

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

void CheckEnumNames(const AnsiString& propName, TPropKind kind, const std::vector<AnsiString>& names);

} // namespace typinfo_detail

template <class T> class TPropTableBuilder {
public:
    TPropTableBuilder(AnsiString className, const TPropertyTable* parent)
        : FClassName(std::move(className)), FParent(parent)
    {}

    template <class G, class S>
    TPropTableBuilder& Int(const char* name, G read, S write, std::optional<int64_t> Default = std::nullopt)
    {
        return AddOrd(name, pkInteger, read, write, Default);
    }
    template <class G, class S>
    TPropTableBuilder& Int64(const char* name, G read, S write, std::optional<int64_t> Default = std::nullopt)
    {
        return AddOrd(name, pkInt64, read, write, Default);
    }
    // Written as its colour identifier when it has one (ColorToIdent).
    template <class G, class S>
    TPropTableBuilder& Color(const char* name, G read, S write,
                             std::optional<int64_t> Default = std::nullopt);
    template <class G, class S>
    TPropTableBuilder& Bool(const char* name, G read, S write, std::optional<bool> Default = std::nullopt)
    {
        std::optional<int64_t> def;
        if (Default)
            def = *Default ? 1 : 0;
        return AddOrd(name, pkBoolean, read, write, def);
    }
    template <class G, class S>
    TPropTableBuilder& Enum(const char* name, G read, S write, std::vector<AnsiString> names,
                            std::optional<int64_t> Default = std::nullopt)
    {
        AddOrd(name, pkEnumeration, read, write, Default);
        Last().EnumNames = std::move(names);
        typinfo_detail::CheckEnumNames(Last().Name, pkEnumeration, Last().EnumNames);
        return *this;
    }
    // A set as a bit mask: bit n for member n of Names.
    template <class G, class S>
    TPropTableBuilder& Set(const char* name, G read, S write, std::vector<AnsiString> names,
                           std::optional<uint32_t> Default = std::nullopt)
    {
        std::optional<int64_t> def;
        if (Default)
            def = static_cast<int64_t>(*Default);
        AddOrd(name, pkSet, read, write, def);
        Last().EnumNames = std::move(names);
        typinfo_detail::CheckEnumNames(Last().Name, pkSet, Last().EnumNames);
        return *this;
    }
    template <class G, class S>
    TPropTableBuilder& Str(const char* name, G read, S write, AnsiString Default = AnsiString())
    {
        TPropInfo& p = Add(name, pkString);
        p.GetStr = typinfo_detail::Getter<T, AnsiString>(read);
        p.SetStr = typinfo_detail::Setter<T, const AnsiString&>(write);
        p.DefaultStr = std::move(Default);
        return *this;
    }
    template <class G, class S>
    TPropTableBuilder& WideStr(const char* name, G read, S write, WideString Default = WideString())
    {
        TPropInfo& p = Add(name, pkWideString);
        p.GetWide = typinfo_detail::Getter<T, WideString>(read);
        p.SetWide = typinfo_detail::Setter<T, const WideString&>(write);
        p.DefaultWide = std::move(Default);
        return *this;
    }
    template <class G, class S>
    TPropTableBuilder& Float(const char* name, G read, S write, double Default = 0)
    {
        TPropInfo& p = Add(name, pkFloat);
        p.GetFloat = typinfo_detail::Getter<T, double>(read);
        p.SetFloat = typinfo_detail::Setter<T, double>(write);
        p.DefaultFloat = Default;
        return *this;
    }
    // Bytes, written when not empty.
    template <class G, class S> TPropTableBuilder& Binary(const char* name, G read, S write)
    {
        TPropInfo& p = Add(name, pkBinary);
        p.GetStr = typinfo_detail::Getter<T, AnsiString>(read);
        p.SetStr = typinfo_detail::Setter<T, const AnsiString&>(write);
        return *this;
    }
    // An owned sub-object, read and written through its own table. Read is a
    // member function or callable (on T*) giving a pointer, or a data member.
    template <class G> TPropTableBuilder& Object(const char* name, G read)
    {
        Add(name, pkObject).GetObject = typinfo_detail::ObjectGetter<T>(read);
        return *this;
    }
    // An owned collection, given as for Object.
    template <class G> TPropTableBuilder& Collection(const char* name, G read)
    {
        Add(name, pkCollection).GetObject = typinfo_detail::ObjectGetter<T>(read);
        return *this;
    }
    // A reference to a component of class R (or one derived from it), not
    // owned: written by the component's name, and set once the whole stream it
    // is read from has been read. R must be a complete class here.
    template <class R, class G, class S> TPropTableBuilder& Component(const char* name, G read, S write)
    {
        static_assert(std::is_base_of_v<TComponent, R>, "a component reference refers to a component");
        TPropInfo& p = Add(name, pkComponent);
        p.GetComponent = [read](const TPersistent* o) -> TComponent* {
            return std::invoke(read, static_cast<const T*>(o));
        };
        p.SetComponent = [write](TPersistent* o, TComponent* value) {
            R* typed = dynamic_cast<R*>(value);
            if (value && !typed)
                return false;
            std::invoke(write, static_cast<T*>(o), typed);
            return true;
        };
        return *this;
    }

    // The last property is written only while Pred (a member function or a
    // callable taking const T*) answers true.
    template <class P> TPropTableBuilder& StoredWhen(P pred)
    {
        Last().Stored = [pred](const TPersistent* o) {
            return static_cast<bool>(std::invoke(pred, static_cast<const T*>(o)));
        };
        return *this;
    }
    TPropTableBuilder& NotStored()
    {
        Last().Stored = [](const TPersistent*) { return false; };
        return *this;
    }
    // The last (integer) property is written as an identifier where ToIdent has one.
    TPropTableBuilder& WithIdents(TIntToIdent toIdent, TIdentToInt fromIdent)
    {
        Last().IntToIdent = toIdent;
        Last().IdentToInt = fromIdent;
        return *this;
    }

    TPropertyTable Build() { return TPropertyTable(FClassName, FParent, std::move(FProps)); }

private:
    TPropInfo& Add(const char* name, TPropKind kind)
    {
        FProps.emplace_back();
        FProps.back().Name = name;
        FProps.back().Kind = kind;
        return FProps.back();
    }
    TPropInfo& Last()
    {
        if (FProps.empty())
            throw EPropertyError(Format(TypInfoConst::SInvalidPropertyType, {FClassName}));
        return FProps.back();
    }
    template <class G, class S>
    TPropTableBuilder& AddOrd(const char* name, TPropKind kind, G read, S write,
                              std::optional<int64_t> Default)
    {
        TPropInfo& p = Add(name, kind);
        p.GetOrd = typinfo_detail::Getter<T, int64_t>(read);
        p.SetOrd = typinfo_detail::Setter<T, int64_t>(write);
        p.HasDefault = Default.has_value();
        p.DefaultOrd = Default.value_or(0);
        return *this;
    }

    AnsiString FClassName;
    const TPropertyTable* FParent;
    std::vector<TPropInfo> FProps;
};

// Colour identifiers, declared here so that the template needs no colour header.
bool TypInfoColorToIdent(int color, AnsiString& ident);
bool TypInfoIdentToColor(const AnsiString& ident, int& color);

template <class T>
template <class G, class S>
TPropTableBuilder<T>& TPropTableBuilder<T>::Color(const char* name, G read, S write,
                                                  std::optional<int64_t> Default)
{
    AddOrd(name, pkColor, read, write, Default);
    return WithIdents(TypInfoColorToIdent, TypInfoIdentToColor);
}
