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
    explicit TCustomIniFile(const AnsiString& fileName) : FFileName(fileName) {}
    const char* ClassName() const override { return "TCustomIniFile"; }
    const AnsiString& FileName() const { return FFileName; }

    virtual AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                                  const AnsiString& Default) = 0;
    // A value holding CR or LF is written with each line break as one blank:
    // a raw line break would end the line and corrupt the file.
    virtual void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) = 0;
    // Decimal, "$hex" or "0xhex"; Default for a missing or unreadable value.
    virtual int ReadInteger(const AnsiString& section, const AnsiString& ident, int Default);
    virtual void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
    // "0" is false, any other integer true; Default for anything else.
    virtual bool ReadBool(const AnsiString& section, const AnsiString& ident, bool Default);
    virtual void WriteBool(const AnsiString& section, const AnsiString& ident, bool value); // "1" / "0"

    // These clear Strings first.
    virtual void ReadSection(const AnsiString& section, TStrings& strings) = 0; // keys, in file order
    virtual void ReadSections(TStrings& strings) = 0;
    virtual void ReadSectionValues(const AnsiString& section, TStrings& strings) = 0; // "key=value"
    virtual void EraseSection(const AnsiString& section) = 0;
    virtual void DeleteKey(const AnsiString& section, const AnsiString& ident) = 0;
    // A section exists when it holds a key.
    virtual bool SectionExists(const AnsiString& section);
    virtual bool ValueExists(const AnsiString& section, const AnsiString& ident);
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
    explicit TIniFile(const AnsiString& fileName);
    ~TIniFile() override;
    const char* ClassName() const override { return "TIniFile"; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                          const AnsiString& Default) override;
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) override;
    void ReadSection(const AnsiString& section, TStrings& strings) override;
    void ReadSections(TStrings& strings) override;
    void ReadSectionValues(const AnsiString& section, TStrings& strings) override;
    void EraseSection(const AnsiString& section) override;
    void DeleteKey(const AnsiString& section, const AnsiString& ident) override;
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
    void Changed(TIniChange change);
    // Replaces the file with Text; EIniFileException when it cannot, or when
    // the file exists and cannot be read.
    void WriteFile(const AnsiString& text);

    std::unique_ptr<TIniData> FData;
    std::vector<TIniChange> FChanges; // the edits since the file was last read or written
    bool FRecordChanges = true;
    bool FModified = false;
};

// The same model in memory only: the file is written at UpdateFile alone, with
// the whole content of the object (edits made to the file meanwhile are lost).
class TMemIniFile : public TIniFile {
public:
    explicit TMemIniFile(const AnsiString& fileName);
    ~TMemIniFile() override; // drops unwritten changes
    const char* ClassName() const override { return "TMemIniFile"; }
    void UpdateFile() override;
    // Replaces the whole content with ini text, one line per entry (as if read from the file).
    void SetStrings(const TStrings& list);
    // The lines of the content, comments and blank lines included.
    void GetStrings(TStrings& list) const;
};
