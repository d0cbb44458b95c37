// Fuzz target of the ini reader: the input is an ini file. Every section and key
// is read, one key is written, one key deleted and one section erased, the file
// is rewritten and read again; everything the edits did not touch must read the
// same as before, and the written key must read back. A file that is no ini
// text (UTF-16 with its byte-order mark, or anything holding a NUL byte, as
// UTF-16 without the mark does) reads as empty and is never written over.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>

#include <unistd.h>

#include "platform/core/inidata.h"
#include "platform/core/inifiles.h"
#include "platform/core/sysutils.h"

namespace {

// The file of one input, in memory when the system offers a RAM folder. It is
// removed after every input, so that no way of ending the run leaves it behind.
const std::string& ScratchFile()
{
    static const std::string name = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    std::string("/kelvor-fuzz-ini-") + std::to_string(::getpid());
    return name;
}

using TValues = std::map<std::pair<std::string, std::string>, std::string>;

// Whether a key name read from the file is the one the edit wrote: names match
// ignoring ASCII case and surrounding blanks, a CR counting as a blank.
bool IsFuzzKey(std::string name)
{
    for (char& c : name)
        if (c == '\r')
            c = ' ';
    size_t first = name.find_first_not_of(" \t");
    size_t last = name.find_last_not_of(" \t");
    return first != std::string::npos && SameText(name.substr(first, last - first + 1), "FuzzKey");
}

// The value of a key; false when it is missing (the two defaults then differ).
bool Lookup(TMemIniFile& ini, const std::string& section, const std::string& key, std::string& value)
{
    value = ini.ReadString(section, key, "a");
    return value == ini.ReadString(section, key, "b");
}

// Every value that can be read, keyed by the section and key names as listed.
TValues ReadEverything(TMemIniFile& ini, TStringList& sections)
{
    TValues values;
    TStringList keys;
    TStringList lines;
    ini.ReadSections(sections);
    for (int s = 0; s < sections.Count(); ++s) {
        ini.ReadSection(sections[s], keys);
        ini.ReadSectionValues(sections[s], lines);
        if (keys.Count() != lines.Count())
            std::abort();
        for (int k = 0; k < keys.Count(); ++k) {
            std::string value;
            if (!Lookup(ini, sections[s], keys[k], value) || lines[k] != keys[k] + "=" + value)
                std::abort();
            ini.ReadInteger(sections[s], keys[k], 0);
            ini.ReadBool(sections[s], keys[k], false);
            values[{sections[s], keys[k]}] = value;
        }
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& name = ScratchFile();
    {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    if (IniTextFault(reinterpret_cast<const char*>(data), size) != TIniTextFault::None) {
        TMemIniFile ini(name);
        TStringList sections;
        ReadEverything(ini, sections);
        ini.WriteString("Fuzz", "FuzzKey", "x");
        bool refused = false;
        try {
            ini.UpdateFile();
        } catch (const Exception&) {
            refused = true;
        }
        std::ifstream in(name, std::ios::binary);
        const std::string kept{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (sections.Count() != 0 || !refused || kept != std::string(data, data + size))
            std::abort();
        ::unlink(name.c_str());
        return 0;
    }

    TStringList sections;
    TValues before;
    std::string section = "Fuzz";
    std::string deletedKey;
    std::string erased;
    bool hasDeletedKey = false;
    {
        TMemIniFile ini(name);
        before = ReadEverything(ini, sections);
        if (sections.Count() > 0)
            section = sections[0];
        if (sections.Count() > 1) {
            erased = sections[sections.Count() - 1];
            ini.EraseSection(erased);
            if (ini.SectionExists(erased))
                std::abort();
        }
        TStringList keys;
        ini.ReadSection(section, keys);
        if (keys.Count() > 1) {
            deletedKey = keys[keys.Count() - 1];
            hasDeletedKey = true;
            ini.DeleteKey(section, deletedKey);
        }
        ini.WriteString(section, "FuzzKey", "line\r\nbreak");
        if (ini.ReadString(section, "FuzzKey", "") != "line break")
            std::abort();
        TStringList lines;
        ini.GetStrings(lines);
        if (lines.Count() == 0)
            std::abort();
        ini.UpdateFile();
    }

    TMemIniFile again(name);
    TStringList sectionsAfter;
    ReadEverything(again, sectionsAfter);
    if (again.ReadString(section, "FuzzKey", "") != "line break")
        std::abort();
    // Names are those listed before the edits; each is looked up again by that name.
    for (const auto& entry : before) {
        const std::string& s = entry.first.first;
        const std::string& k = entry.first.second;
        if (sections.Count() > 1 && s == erased)
            continue;
        if (s == section && (IsFuzzKey(k) || (hasDeletedKey && k == deletedKey)))
            continue;
        std::string value;
        if (!Lookup(again, s, k, value) || value != entry.second)
            std::abort();
    }
    ::unlink(name.c_str());
    return 0;
}
