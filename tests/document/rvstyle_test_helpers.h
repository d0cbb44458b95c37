// Helpers shared by the style sheet tests: the keys and values of an ini
// section held in memory.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "platform/core/inifiles.h"
#include "platform/core/stringlist.h"

namespace rvstyle_test {

using KeyValues = std::vector<std::pair<AnsiString, AnsiString>>;

// The keys of the section in file order, with their values.
inline KeyValues SectionValues(TCustomIniFile& ini, const AnsiString& section)
{
    TStringList keys;
    ini.ReadSection(section, keys);
    KeyValues result;
    for (int i = 0; i < keys.Count(); ++i)
        result.emplace_back(keys[i], ini.ReadString(section, keys[i], "?"));
    return result;
}

inline std::map<AnsiString, AnsiString> SectionMap(TCustomIniFile& ini, const AnsiString& section)
{
    std::map<AnsiString, AnsiString> result;
    for (const auto& kv : SectionValues(ini, section))
        result[kv.first] = kv.second;
    return result;
}

} // namespace rvstyle_test
