// The per-user settings store: registry keys as sections of one ini file in the
// user's configuration folder.
#include "platform/core/registry.h"

#include <cstdlib>
#include <unordered_set>

#include <pwd.h>
#include <unistd.h>

#include "platform/core/sysutils.h"

namespace {

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config (the home folder of the account when HOME is unset).
AnsiString ConfigFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return config;
    AnsiString home;
    if (const char* value = std::getenv("HOME"))
        home = value;
    if (home.empty())
        if (const passwd* account = ::getpwuid(::getuid()))
            if (account->pw_dir)
                home = account->pw_dir;
    return IncludeTrailingPathDelimiter(home) + ".config";
}

// A key path without the separators at its ends ("\\Software\\Kelvor\\" -> "Software\\Kelvor").
AnsiString NormalKey(const AnsiString& key)
{
    size_t first = key.find_first_not_of('\\');
    if (first == AnsiString::npos)
        return AnsiString();
    return key.substr(first, key.find_last_not_of('\\') - first + 1);
}

bool StartsWithText(const AnsiString& s, const AnsiString& prefix)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

} // namespace

AnsiString RegistryStoreFileName()
{
    return IncludeTrailingPathDelimiter(ConfigFolder()) + "kelvor/registry.ini";
}

TRegistryIniFile::TRegistryIniFile(const AnsiString& key)
    : TCustomIniFile(key), FKey(NormalKey(key)), FStore(std::make_unique<TIniFile>(RegistryStoreFileName()))
{}

TRegistryIniFile::~TRegistryIniFile()
{
    try {
        UpdateFile();
    } catch (...) {
        // A destructor cannot report the failure; UpdateFile can.
    }
}

AnsiString TRegistryIniFile::SectionName(const AnsiString& section) const
{
    AnsiString key = NormalKey(section);
    if (key.empty())
        return FKey;
    return FKey.empty() ? key : FKey + "\\" + key;
}

AnsiString TRegistryIniFile::ReadString(const AnsiString& section, const AnsiString& ident,
                                        const AnsiString& Default)
{
    return FStore->ReadString(SectionName(section), ident, Default);
}

void TRegistryIniFile::WriteString(const AnsiString& section, const AnsiString& ident,
                                   const AnsiString& value)
{
    FStore->WriteString(SectionName(section), ident, value);
}

void TRegistryIniFile::ReadSection(const AnsiString& section, TStrings& strings)
{
    FStore->ReadSection(SectionName(section), strings);
}

void TRegistryIniFile::ReadSections(TStrings& strings)
{
    // A section "Key\A\B" makes A a subkey of Key even when "Key\A" holds no values.
    TStringList all;
    FStore->ReadSections(all);
    const AnsiString prefix = FKey.empty() ? AnsiString() : FKey + "\\";
    std::unordered_set<AnsiString> seen; // ASCII lower case, as sections match
    strings.BeginUpdate();
    strings.Clear();
    for (int i = 0; i < all.Count(); ++i) {
        const AnsiString& name = all[i];
        if (!StartsWithText(name, prefix) || name.size() == prefix.size())
            continue;
        AnsiString subkey = name.substr(prefix.size(), name.find('\\', prefix.size()) - prefix.size());
        if (!subkey.empty() && seen.insert(LowerCase(subkey)).second)
            strings.Add(subkey);
    }
    strings.EndUpdate();
}

void TRegistryIniFile::ReadSectionValues(const AnsiString& section, TStrings& strings)
{
    FStore->ReadSectionValues(SectionName(section), strings);
}

void TRegistryIniFile::EraseSection(const AnsiString& section)
{
    // Deleting a key deletes its subkeys as well.
    const AnsiString name = SectionName(section);
    TStringList all;
    FStore->ReadSections(all);
    for (int i = 0; i < all.Count(); ++i)
        if (SameText(all[i], name) || StartsWithText(all[i], name + "\\"))
            FStore->EraseSection(all[i]);
}

void TRegistryIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident)
{
    FStore->DeleteKey(SectionName(section), ident);
}

void TRegistryIniFile::UpdateFile()
{
    if (!FStore->Modified())
        return;
    const AnsiString folder = ExtractFileDir(FStore->FileName());
    if (!folder.empty() && !DirectoryExists(folder) && !ForceDirectories(folder))
        throw EIniFileException(Format(SysConst::SIniFileWriteError, {FStore->FileName()}));
    FStore->UpdateFile();
}
