// The per-user settings store that stands in for the platform registry: a key
// path ("Software\\Kelvor") is a group of sections in one ini file,
// $XDG_CONFIG_HOME/kelvor/registry.ini (~/.config when the variable is unset).
// A section S under key K is the ini section "K\S".
#pragma once

#include "platform/core/inifiles.h"

// The file that holds the store (the folder is made on first write).
AnsiString RegistryStoreFileName();

class TRegistryIniFile : public TCustomIniFile {
public:
    // Key is a path below the current user's root, '\\' separating its parts.
    explicit TRegistryIniFile(const AnsiString& Key);
    ~TRegistryIniFile() override; // writes pending changes
    const char* ClassName() const override { return "TRegistryIniFile"; }

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                          const AnsiString& Default) override;
    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
    void ReadSection(const AnsiString& Section, TStrings& Strings) override;
    void ReadSections(TStrings& Strings) override; // the subkeys of Key
    void ReadSectionValues(const AnsiString& Section, TStrings& Strings) override;
    void EraseSection(const AnsiString& Section) override;
    void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
    void UpdateFile() override;

private:
    AnsiString SectionName(const AnsiString& Section) const;
    AnsiString FKey;
    std::unique_ptr<TIniFile> FStore;
};
