// The text model under the ini file classes: an ini file kept as its lines, so
// that a rewrite changes only the lines that an edit touched, with an index of
// sections and keys. Also the bounded reading of an ini file from disk.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/core/types.h"

// A larger file is not read as settings (and is never replaced by them).
inline constexpr int64_t MaxIniFileSize = int64_t{4} << 20;

enum class TIniLoadResult { Loaded, Missing, Unreadable };

// Why bytes are no ini text, which the ini classes read and write as bytes: a
// UTF-16 byte-order mark (either byte order) in front, or a NUL byte anywhere
// (UTF-16 without the mark holds one in every character below U+0100; other
// text holds none). Written back, such a file would be ruined.
enum class TIniTextFault { None, Utf16ByteOrderMark, NulByte };
TIniTextFault IniTextFault(const char* bytes, size_t count);

// Reads a whole ini file into Text. Missing: no such file. Unreadable: it exists
// but is no regular file (a folder, a FIFO), cannot be read, is larger than
// MaxIniFileSize, or is no ini text (Fault, when given, then says why; it is
// None otherwise). Never blocks on a FIFO.
TIniLoadResult LoadIniText(const AnsiString& fileName, AnsiString& text, TIniTextFault* fault = nullptr);

// The lines of an ini file, grouped by section. Section and key names match
// ignoring ASCII case; the first section of a name and the first key of a name
// in it are the ones read and written, later duplicates are kept as they stand.
// Lines before the first section header, comments (';' or '#'), blank and odd
// lines are kept byte for byte with their own line breaks (CR LF or LF; a lone
// CR is part of a line). A UTF-8 byte-order mark is kept in front.
//
// Names lose surrounding blanks and tabs and match ignoring ASCII case; a line
// break or NUL in a name or value is written as one blank, and a CR in a name
// read from the file matches as one. Every edit returns whether the text
// changed. Lookups are hashed, and a new key goes after the last key of its
// section, so no edit moves the index entries of other keys.
class TIniData {
public:
    TIniData();
    ~TIniData();
    TIniData(const TIniData&) = delete;
    TIniData& operator=(const TIniData&) = delete;

    void SetText(const AnsiString& text);
    AnsiString Text() const;
    // Each line without its break; the first one with the byte-order mark.
    std::vector<AnsiString> Lines() const;
    // The line break of the file (its first one), used for new lines: LF when it has none.
    const char* LineBreak() const;

    // Reads and writes remember the section they found, so that a run of them
    // in one section, spelled the same, looks it up once.
    bool ReadValue(const AnsiString& section, const AnsiString& ident, AnsiString& value);
    bool WriteValue(const AnsiString& section, const AnsiString& ident, const AnsiString& value);
    // Removes every section of the name, header and lines.
    bool EraseSection(const AnsiString& section);
    // Removes every line of the key in the section that is read.
    bool DeleteKey(const AnsiString& section, const AnsiString& ident);

    std::vector<AnsiString> SectionNames() const; // as written, each name once, file order
    std::vector<AnsiString> SectionKeys(const AnsiString& section) const; // each key once, file order
    std::vector<std::pair<AnsiString, AnsiString>> SectionValues(const AnsiString& section) const;

    class TMatchedName; // a section or key name as names are matched

private:
    enum TBreak : uint8_t { brNone, brLF, brCRLF };
    enum TKind : uint8_t { lkOther, lkBlank, lkComment, lkKey, lkHeader };
    struct TLine {
        AnsiString Text; // without the line break
        TBreak Break;
        TKind Kind;
        bool Indexed = false; // the first key line of its name in the section
    };
    // The lines of the first keys of a section by the hashes of their names:
    // open addressing in one array, so that indexing a key allocates nothing
    // but the array's growth. A hash may stand for several names.
    class TKeyIndex {
    public:
        void Clear();
        void Add(size_t hash, size_t line);
        // The first line of the hash for which Matches(line) holds; npos when none does.
        template <class TMatches> size_t Find(size_t hash, TMatches matches) const
        {
            if (FSlots.empty())
                return static_cast<size_t>(-1);
            const size_t mask = FSlots.size() - 1;
            for (size_t i = hash & mask; FSlots[i].Line != 0; i = (i + 1) & mask)
                if (FSlots[i].Hash == hash && matches(FSlots[i].Line - 1))
                    return FSlots[i].Line - 1;
            return static_cast<size_t>(-1);
        }

    private:
        struct TSlot {
            size_t Hash;
            size_t Line; // the line's index plus one; 0 for an empty slot
        };
        void Put(size_t hash, size_t line);
        std::vector<TSlot> FSlots; // a power of two in size, at most half full
        size_t FCount = 0;
    };
    // A header line and the lines up to the next header; the first section of
    // the file has no header and holds the lines before the first one. Keys
    // indexes the first key line of each name by the hash of the name as it
    // is matched; a lookup compares the names themselves, so that no name is
    // copied to be looked up.
    struct TSection {
        AnsiString Name;
        bool HasHeader = false;
        bool Indexed = false; // the first section of its name
        std::vector<TLine> Lines;
        TKeyIndex Keys;         // name hash -> line of the first key of the name
        size_t LastKeyLine = 0; // 0 when the section has no key line
        void AddLine(TLine line);
        void IndexKeys();
        // The line of the first key of the name; npos when there is none.
        size_t FindKey(const AnsiString& ident) const;
        size_t FindKey(const TMatchedName& ident, size_t hash) const;
    };

    TSection* FindSection(const AnsiString& section) const;
    TSection* RememberedSection(const AnsiString& section);
    void IndexSections();
    TBreak BreakAfter(const AnsiString& text) const;
    void EnsureFinalBreak();

    AnsiString FBom;
    TBreak FBreak = brLF;
    std::vector<std::unique_ptr<TSection>> FSections;         // FSections[0] is the headerless start
    std::unordered_multimap<size_t, TSection*> FSectionIndex; // name hash -> first section of the name
    TSection* FReadSection = nullptr; // the section found last by name, null after a change of sections
    AnsiString FReadSectionName;      // the name as it was given
};
