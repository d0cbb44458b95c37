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
    explicit TRegistryIniFile(const AnsiString& key);
    ~TRegistryIniFile() override; // writes pending changes
    const char* ClassName() const override { return "TRegistryIniFile"; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                          const AnsiString& Default) override;
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
    void ReadSection(const AnsiString& section, TStrings& strings) override;
    void ReadSections(TStrings& strings) override; // the subkeys of Key
    void ReadSectionValues(const AnsiString& section, TStrings& strings) override;
    void EraseSection(const AnsiString& section) override;
    void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
    void UpdateFile() override;

private:
    AnsiString SectionName(const AnsiString& section) const;
    AnsiString FKey;
    std::unique_ptr<TIniFile> FStore;
};
