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

TRegistryIniFile::TRegistryIniFile(const AnsiString& Key)
    : TCustomIniFile(Key), FKey(NormalKey(Key)), FStore(std::make_unique<TIniFile>(RegistryStoreFileName()))
{}

TRegistryIniFile::~TRegistryIniFile()
{
    try {
        UpdateFile();
    } catch (...) {
        // A destructor cannot report the failure; UpdateFile can.
    }
}

AnsiString TRegistryIniFile::SectionName(const AnsiString& Section) const
{
    AnsiString section = NormalKey(Section);
    if (section.empty())
        return FKey;
    return FKey.empty() ? section : FKey + "\\" + section;
}

AnsiString TRegistryIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                        const AnsiString& Default)
{
    return FStore->ReadString(SectionName(Section), Ident, Default);
}

void TRegistryIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident,
                                   const AnsiString& Value)
{
    FStore->WriteString(SectionName(Section), Ident, Value);
}

void TRegistryIniFile::ReadSection(const AnsiString& Section, TStrings& Strings)
{
    FStore->ReadSection(SectionName(Section), Strings);
}

void TRegistryIniFile::ReadSections(TStrings& Strings)
{
    // A section "Key\A\B" makes A a subkey of Key even when "Key\A" holds no values.
    TStringList all;
    FStore->ReadSections(all);
    const AnsiString prefix = FKey.empty() ? AnsiString() : FKey + "\\";
    std::unordered_set<AnsiString> seen; // ASCII lower case, as sections match
    Strings.BeginUpdate();
    Strings.Clear();
    for (int i = 0; i < all.Count(); ++i) {
        const AnsiString& name = all[i];
        if (!StartsWithText(name, prefix) || name.size() == prefix.size())
            continue;
        AnsiString subkey = name.substr(prefix.size(), name.find('\\', prefix.size()) - prefix.size());
        if (!subkey.empty() && seen.insert(LowerCase(subkey)).second)
            Strings.Add(subkey);
    }
    Strings.EndUpdate();
}

void TRegistryIniFile::ReadSectionValues(const AnsiString& Section, TStrings& Strings)
{
    FStore->ReadSectionValues(SectionName(Section), Strings);
}

void TRegistryIniFile::EraseSection(const AnsiString& Section)
{
    // Deleting a key deletes its subkeys as well.
    const AnsiString name = SectionName(Section);
    TStringList all;
    FStore->ReadSections(all);
    for (int i = 0; i < all.Count(); ++i)
        if (SameText(all[i], name) || StartsWithText(all[i], name + "\\"))
            FStore->EraseSection(all[i]);
}

void TRegistryIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
    FStore->DeleteKey(SectionName(Section), Ident);
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
