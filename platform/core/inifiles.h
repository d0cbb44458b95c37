// Ini files with the platform's profile rules: sections and keys match ignoring
// case, keys keep their file order, values are trimmed and lose one pair of
// surrounding quotes, CR LF and LF both end lines. Rewriting a file keeps every
// line it did not change (comments, blank lines, unknown sections) byte for byte.
#pragma once

#include <memory>

#include "platform/core/object.h"
#include "platform/core/stringlist.h"

class TIniData;

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(const AnsiString& FileName) : FFileName(FileName) {}
    const char* ClassName() const override { return "TCustomIniFile"; }
    const AnsiString& FileName() const { return FFileName; }

    virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                                  const AnsiString& Default) = 0;
    // A value holding CR or LF is written with each line break as one blank:
    // a raw line break would end the line and corrupt the file.
    virtual void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) = 0;
    // Decimal, "$hex" or "0xhex"; Default for a missing or unreadable value.
    virtual int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default);
    virtual void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
    // "0" is false, any other integer true; Default for anything else.
    virtual bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
    virtual void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);  // "1" / "0"

    virtual void ReadSection(const AnsiString& Section, TStrings& Strings) = 0;  // keys, in file order
    virtual void ReadSections(TStrings& Strings) = 0;
    virtual void ReadSectionValues(const AnsiString& Section, TStrings& Strings) = 0;  // "key=value"
    virtual void EraseSection(const AnsiString& Section) = 0;
    virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident) = 0;
    virtual bool SectionExists(const AnsiString& Section);
    virtual bool ValueExists(const AnsiString& Section, const AnsiString& Ident);
    // Writes pending changes; EIniFileException "Unable to write to <file>" on failure.
    virtual void UpdateFile() = 0;

private:
    AnsiString FFileName;
};

// An ini file read when the object is made (a missing file is an empty one).
// Writes change the file: they are kept in memory and written at UpdateFile and
// when the object is freed (failures there are not reported; call UpdateFile to
// learn of them). The file is replaced whole, never left half-written.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const AnsiString& FileName);
    ~TIniFile() override;
    const char* ClassName() const override { return "TIniFile"; }

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                          const AnsiString& Default) override;
    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
    void ReadSection(const AnsiString& Section, TStrings& Strings) override;
    void ReadSections(TStrings& Strings) override;
    void ReadSectionValues(const AnsiString& Section, TStrings& Strings) override;
    void EraseSection(const AnsiString& Section) override;
    void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
    void UpdateFile() override;

protected:
    std::unique_ptr<TIniData> FData;
    bool FModified = false;
};

// The same model in memory only: the file is written at UpdateFile alone.
class TMemIniFile : public TIniFile {
public:
    explicit TMemIniFile(const AnsiString& FileName);
    ~TMemIniFile() override;
    const char* ClassName() const override { return "TMemIniFile"; }
    // Replaces the whole content with ini text (as if read from the file).
    void SetStrings(const TStrings& List);
    void GetStrings(TStrings& List) const;
};
