// Ini files with the platform's profile rules: sections and keys match ignoring
// ASCII case, the first of duplicate sections or keys counts, keys keep their
// file order, values are trimmed of blanks and tabs and lose one pair of
// surrounding quotes, CR LF and LF both end lines, ';' and '#' start comments.
// Rewriting a file keeps every line it did not change (comments, blank lines,
// unknown sections, the line breaks) byte for byte.
#pragma once

#include <memory>
#include <vector>

#include "platform/core/object.h"
#include "platform/core/stringlist.h"
#include "platform/core/sysutils.h"

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
    virtual void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value); // "1" / "0"

    // These clear Strings first.
    virtual void ReadSection(const AnsiString& Section, TStrings& Strings) = 0; // keys, in file order
    virtual void ReadSections(TStrings& Strings) = 0;
    virtual void ReadSectionValues(const AnsiString& Section, TStrings& Strings) = 0; // "key=value"
    virtual void EraseSection(const AnsiString& Section) = 0;
    virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident) = 0;
    // A section exists when it holds a key.
    virtual bool SectionExists(const AnsiString& Section);
    virtual bool ValueExists(const AnsiString& Section, const AnsiString& Ident);
    // Writes pending changes; EIniFileException "Unable to write to <file>" on failure.
    virtual void UpdateFile() = 0;

private:
    AnsiString FFileName;
};

// An ini file read when the object is made (a missing, unreadable or oversized
// file reads as empty). Writes change the file: they are kept in memory and
// written at UpdateFile and when the object is freed (failures there are not
// reported; call UpdateFile to learn of them). The file is replaced whole,
// never left half-written, and only when something changed.
//
// UpdateFile reads the file again and applies this object's edits to it in
// order, so that edits that another object or program made to the file since
// it was read are not lost. A file that exists but cannot be read is never
// replaced (EIniFileException).
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

    // True while there are changes that UpdateFile has not written.
    bool Modified() const { return FModified; }

protected:
    struct TIniChange {
        enum TKind { ckWrite, ckEraseSection, ckDeleteKey };
        TKind Kind;
        AnsiString Section;
        AnsiString Ident;
        AnsiString Value;
    };
    void Changed(TIniChange Change);
    // Replaces the file with Text; EIniFileException when it cannot, or when
    // the file exists and cannot be read.
    void WriteFile(const AnsiString& Text);

    std::unique_ptr<TIniData> FData;
    std::vector<TIniChange> FChanges; // the edits since the file was last read or written
    bool FRecordChanges = true;
    bool FModified = false;
};

// The same model in memory only: the file is written at UpdateFile alone, with
// the whole content of the object (edits made to the file meanwhile are lost).
class TMemIniFile : public TIniFile {
public:
    explicit TMemIniFile(const AnsiString& FileName);
    ~TMemIniFile() override; // drops unwritten changes
    const char* ClassName() const override { return "TMemIniFile"; }
    void UpdateFile() override;
    // Replaces the whole content with ini text, one line per entry (as if read from the file).
    void SetStrings(const TStrings& List);
    // The lines of the content, comments and blank lines included.
    void GetStrings(TStrings& List) const;
};
