// Published properties in tests: a class's list of published names checked
// against its table and a new instance, random values for what a table
// publishes, named components, and a component's stream as bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

// A component given its name: Named(new TRVStyle(&form), "Style1").
template <class T> T* Named(T* component, const char* name)
{
    component->SetName(name);
    return component;
}

// Bytes written as a literal that may hold NUL: "TPF0\x00"_bytes.
inline AnsiString operator""_bytes(const char* s, size_t n)
{
    return AnsiString(s, n);
}

// One published name with its kind and, for an ordinal kind, its default
// (none: always written).
struct TPublished {
    const char* Name;
    TPropKind Kind;
    std::optional<int64_t> Default = std::nullopt;
};

// Every name is published with its kind and default, and the new Instance
// holds that default; with Exact, the table publishes no other name.
inline void ExpectPublished(const TPersistent* instance, const std::vector<TPublished>& names, bool exact)
{
    const TPropertyTable* table = GetPropertyTable(instance);
    ASSERT_NE(table, nullptr);
    std::set<AnsiString> listed;
    for (const TPublished& p : names) {
        SCOPED_TRACE(p.Name);
        listed.insert(UpperCase(p.Name));
        const TPropInfo* info = GetPropInfo(instance, p.Name);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->Kind, p.Kind);
        if (p.Kind >= pkString)
            continue;
        ASSERT_EQ(info->HasDefault, p.Default.has_value());
        if (p.Default) {
            EXPECT_EQ(info->DefaultOrd, *p.Default);
            EXPECT_EQ(GetOrdProp(instance, *info), *p.Default);
        }
    }
    if (!exact)
        return;
    for (const TPropInfo* prop : table->AllProps())
        EXPECT_EQ(listed.count(UpperCase(prop->Name)), 1u) << prop->Name << " is published too";
}

// Sets every ordinal property of Instance, and of the sub-objects it
// publishes, to a random value of its kind (integers 0 to 5000, cursors among
// the standard ones), but those named in Skip.
inline void RandomizePublished(TPersistent* instance, std::mt19937& random, const std::set<AnsiString>& skip)
{
    const auto pick = [&random](int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    };
    for (const TPropInfo* prop : GetPropertyTable(instance)->AllProps()) {
        const int64_t names = static_cast<int64_t>(prop->EnumNames.size());
        if (skip.count(prop->Name))
            continue;
        if (prop->Kind == pkBoolean)
            SetOrdProp(instance, *prop, pick(0, 1));
        else if (prop->Kind == pkEnumeration)
            SetOrdProp(instance, *prop, pick(0, names - 1));
        else if (prop->Kind == pkSet)
            SetOrdProp(instance, *prop, pick(0, (int64_t{1} << names) - 1));
        else if (prop->Kind == pkInteger || prop->Kind == pkInt64 || prop->Kind == pkColor)
            SetOrdProp(instance, *prop,
                       prop->IdentToInt && prop->Kind == pkInteger ? pick(-22, 0) : pick(0, 5000));
        else if (TPersistent* sub = prop->Kind == pkObject ? prop->GetObject(instance) : nullptr)
            if (GetPropertyTable(sub))
                RandomizePublished(sub, random, skip);
    }
}

// The component's stream (TStream::WriteComponent).
inline AnsiString ComponentBytes(TComponent* component)
{
    TMemoryStream stream;
    stream.WriteComponent(component);
    return AnsiString(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// Reads Bytes (a component stream) into Component.
inline void ReadComponentBytes(const AnsiString& bytes, TComponent* component)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    stream.ReadComponent(component);
}
