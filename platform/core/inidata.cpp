// The ini text model: parsing lines into sections and keys, reading values with
// the profile rules, editing in place, and reading a file with a size bound.
#include "platform/core/inidata.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char Bom[] = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Narrows [First, Last) of S past the blanks at either end.
void SkipBlanks(const AnsiString& s, size_t& first, size_t& last)
{
    while (first < last && IsBlank(s[first]))
        ++first;
    while (last > first && IsBlank(s[last - 1]))
        --last;
}

AnsiString TrimBlanks(const AnsiString& s, size_t first = 0, size_t last = AnsiString::npos)
{
    if (last > s.size())
        last = s.size();
    SkipBlanks(s, first, last);
    return s.substr(first, last - first);
}

// The bytes a value or name cannot be written with: line breaks would end its
// line, and a NUL would make the file no ini text (see IniTextFault).
const AnsiString Unwritable("\r\n\0", 3);

bool IsUnwritable(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

// A value or name as it can be written: each CR LF, CR, LF or NUL becomes one blank.
AnsiString OneLine(const AnsiString& s)
{
    AnsiString result;
    result.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsUnwritable(s[i])) {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            result.push_back(' ');
        } else {
            result.push_back(s[i]);
        }
    }
    return result;
}

// A section or key name as given by a caller, in the form it is written.
AnsiString CleanName(const AnsiString& name)
{
    return TrimBlanks(OneLine(name));
}

// Names are read eight bytes at a time: a sanitized build checks each load,
// and a style sheet looks up hundreds of names.
const uint64_t EveryByte = 0x0101010101010101u;
const uint64_t HighBits = 0x8080808080808080u;

// The word of the bytes at p (fewer than eight: the rest are zero).
uint64_t Word(const char* p, size_t count)
{
    uint64_t word = 0;
    if (count >= 8)
        std::memcpy(&word, p, 8);
    else
        std::memcpy(&word, p, count);
    return word;
}

// Every ASCII capital of the word in lower case, every other byte as it is.
uint64_t LowerWord(uint64_t word)
{
    const uint64_t ascii = ~word & HighBits;
    const uint64_t low = word & ~HighBits;
    const uint64_t atLeastA = low + 0x3F * EveryByte; // the high bit set where a byte is 'A' or above
    const uint64_t aboveZ = low + 0x25 * EveryByte;   // the high bit set where a byte is above 'Z'
    return word | ((ascii & atLeastA & ~aboveZ) >> 2);
}

// Whether a byte of the word is Byte.
bool HasByte(uint64_t word, unsigned char byte)
{
    const uint64_t v = word ^ (byte * EveryByte);
    return ((v - EveryByte) & ~v & HighBits) != 0;
}

uint64_t HashWords(const char* p, size_t size)
{
    uint64_t hash = 14695981039346656037u ^ size;
    for (size_t i = 0; i < size; i += 8) {
        hash = (hash ^ LowerWord(Word(p + i, size - i))) * 1099511628211u;
        hash ^= hash >> 29;
    }
    return hash;
}

bool IsNameSpace(char c)
{
    return IsBlank(c) || IsUnwritable(c);
}

// A name as it is matched: ASCII case, and line breaks and NULs (written as
// blanks), do not count, so that a name read from the file, the name a caller
// gives and the name as written all find the same entry. The text is that of
// CleanName, and is compared ignoring ASCII case; it is the caller's own
// characters unless the name holds a line break or a NUL, which is rare, so
// that matching copies nothing.
} // namespace

class TIniData::TMatchedName {
public:
    TMatchedName(const char* first, const char* last)
    {
        // A line break or NUL at either end becomes a blank and goes with the blanks.
        while (first < last && IsNameSpace(*first))
            ++first;
        while (last > first && IsNameSpace(last[-1]))
            --last;
        FSize = static_cast<size_t>(last - first);
        FData = first;
        // (A word's missing bytes are zeros: NUL is looked for on its own.)
        bool breaks = std::memchr(first, '\0', FSize) != nullptr;
        for (size_t i = 0; i < FSize && !breaks; i += 8) {
            const uint64_t word = Word(first + i, FSize - i);
            breaks = HasByte(word, '\r') || HasByte(word, '\n');
        }
        if (breaks) {
            FOneLine = OneLine(AnsiString(first, last));
            FData = FOneLine.data();
            FSize = FOneLine.size();
        }
    }
    explicit TMatchedName(const AnsiString& name) : TMatchedName(name.data(), name.data() + name.size()) {}
    TMatchedName(const TMatchedName&) = delete;
    TMatchedName& operator=(const TMatchedName&) = delete;

    // Hashed when first asked for: a name read from a line to be compared needs no hash.
    size_t Hash() const
    {
        if (!FHashed) {
            FHash = static_cast<size_t>(HashWords(FData, FSize));
            FHashed = true;
        }
        return FHash;
    }
    bool operator==(const TMatchedName& other) const
    {
        if (FSize != other.FSize)
            return false;
        for (size_t i = 0; i < FSize; i += 8)
            if (LowerWord(Word(FData + i, FSize - i)) != LowerWord(Word(other.FData + i, FSize - i)))
                return false;
        return true;
    }

private:
    const char* FData;
    size_t FSize;
    mutable size_t FHash = 0;
    mutable bool FHashed = false;
    AnsiString FOneLine;
};

namespace {

// The line of a new key: its name as written, '=' and the value (one line already).
AnsiString KeyLine(const AnsiString& ident, const AnsiString& value)
{
    if (ident.find_first_of(Unwritable) != AnsiString::npos)
        return CleanName(ident) + "=" + value;
    size_t first = 0;
    size_t last = ident.size();
    SkipBlanks(ident, first, last);
    AnsiString line;
    line.reserve(last - first + 1 + value.size());
    line.append(ident, first, last - first).append(1, '=').append(value);
    return line;
}

// The key name of a key line, as matched: the text before the first '='.
TIniData::TMatchedName KeyOf(const AnsiString& line)
{
    return TIniData::TMatchedName(line.data(), line.data() + std::min(line.find('='), line.size()));
}

// The key name of a key line: the text before the first '=', trimmed.
AnsiString KeyName(const AnsiString& line)
{
    return TrimBlanks(line, 0, line.find('='));
}

// The value of a key line: after the first '=', trimmed, without one pair of
// matching quotes around it.
AnsiString KeyValue(const AnsiString& line)
{
    size_t first = line.find('=') + 1;
    size_t last = line.size();
    SkipBlanks(line, first, last);
    if (last - first >= 2 && (line[first] == '"' || line[first] == '\'') && line[last - 1] == line[first]) {
        ++first;
        --last;
    }
    return line.substr(first, last - first);
}

} // namespace

// ---------------------------------------------------------------------------
// Reading the file

TIniLoadResult LoadIniText(const AnsiString& fileName, AnsiString& text, TIniTextFault* fault)
{
    text.clear();
    if (fault)
        *fault = TIniTextFault::None;
    int handle;
    do
        handle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (handle < 0 && errno == EINTR);
    if (handle < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? TIniLoadResult::Missing : TIniLoadResult::Unreadable;

    TIniLoadResult result = TIniLoadResult::Unreadable;
    struct stat info;
    if (::fstat(handle, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= MaxIniFileSize) {
        // Read until the end rather than trusting st_size: the file may be growing.
        AnsiString data;
        char buffer[64 * 1024];
        for (;;) {
            ssize_t n = ::read(handle, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || static_cast<int64_t>(data.size()) + n > MaxIniFileSize)
                break;
            if (n == 0) {
                result = TIniLoadResult::Loaded;
                break;
            }
            data.append(buffer, static_cast<size_t>(n));
        }
        if (result == TIniLoadResult::Loaded) {
            const TIniTextFault found = IniTextFault(data.data(), data.size());
            if (fault)
                *fault = found;
            if (found == TIniTextFault::None)
                text.swap(data);
            else
                result = TIniLoadResult::Unreadable;
        }
    }
    ::close(handle);
    return result;
}

TIniTextFault IniTextFault(const char* bytes, size_t count)
{
    if (count >= 2) {
        const auto first = static_cast<unsigned char>(bytes[0]);
        const auto second = static_cast<unsigned char>(bytes[1]);
        if ((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF))
            return TIniTextFault::Utf16ByteOrderMark;
    }
    return count > 0 && std::memchr(bytes, '\0', count) ? TIniTextFault::NulByte : TIniTextFault::None;
}

// ---------------------------------------------------------------------------
// TIniData

TIniData::TIniData()
{
    SetText(AnsiString());
}

TIniData::~TIniData() = default;

void TIniData::TKeyIndex::Clear()
{
    FSlots.clear();
    FCount = 0;
}

void TIniData::TKeyIndex::Put(size_t hash, size_t line)
{
    const size_t mask = FSlots.size() - 1;
    size_t i = hash & mask;
    while (FSlots[i].Line != 0)
        i = (i + 1) & mask;
    FSlots[i] = {hash, line + 1};
}

void TIniData::TKeyIndex::Add(size_t hash, size_t line)
{
    if (2 * (FCount + 1) > FSlots.size()) {
        std::vector<TSlot> old;
        old.swap(FSlots);
        FSlots.assign(std::max<size_t>(16, 2 * old.size()), TSlot{0, 0});
        for (const TSlot& slot : old)
            if (slot.Line != 0)
                Put(slot.Hash, slot.Line - 1);
    }
    Put(hash, line);
    ++FCount;
}

size_t TIniData::TSection::FindKey(const TMatchedName& ident, size_t hash) const
{
    return Keys.Find(hash, [&](size_t line) { return KeyOf(Lines[line].Text) == ident; });
}

size_t TIniData::TSection::FindKey(const AnsiString& ident) const
{
    const TMatchedName name(ident);
    return FindKey(name, name.Hash());
}

void TIniData::TSection::AddLine(TLine line)
{
    if (line.Kind == lkKey) {
        // The first key of a name wins.
        const TMatchedName name = KeyOf(line.Text);
        const size_t hash = name.Hash();
        line.Indexed = FindKey(name, hash) == AnsiString::npos;
        if (line.Indexed)
            Keys.Add(hash, Lines.size());
        LastKeyLine = Lines.size();
    }
    Lines.push_back(std::move(line));
}

void TIniData::TSection::IndexKeys()
{
    std::vector<TLine> lines;
    lines.swap(Lines);
    Keys.Clear();
    LastKeyLine = 0;
    for (TLine& line : lines)
        AddLine(std::move(line));
}

void TIniData::SetText(const AnsiString& text)
{
    FSections.clear();
    FSectionIndex.clear();
    FReadSection = nullptr;
    FSections.push_back(std::make_unique<TSection>());
    size_t pos = 0;
    FBom.clear();
    if (text.compare(0, 3, Bom) == 0) {
        FBom = Bom;
        pos = 3;
    }
    size_t firstBreak = text.find('\n', pos);
    bool crlfFile = firstBreak != AnsiString::npos && firstBreak > pos && text[firstBreak - 1] == '\r';
    FBreak = crlfFile ? brCRLF : brLF;

    TSection* section = FSections.back().get();
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        TLine line;
        if (end == AnsiString::npos) {
            line.Text = text.substr(pos);
            line.Break = brNone;
            pos = text.size();
        } else {
            bool crlf = end > pos && text[end - 1] == '\r';
            line.Text = text.substr(pos, end - pos - (crlf ? 1 : 0));
            line.Break = crlf ? brCRLF : brLF;
            pos = end + 1;
        }

        size_t first = 0;
        while (first < line.Text.size() && IsBlank(line.Text[first]))
            ++first;
        size_t close = line.Text.rfind(']');
        if (first == line.Text.size()) {
            line.Kind = lkBlank;
        } else if (line.Text[first] == ';' || line.Text[first] == '#') {
            line.Kind = lkComment;
        } else if (line.Text[first] == '[' && close != AnsiString::npos && close > first) {
            line.Kind = lkHeader;
            FSections.push_back(std::make_unique<TSection>());
            section = FSections.back().get();
            section->Name = TrimBlanks(line.Text, first + 1, close);
            section->HasHeader = true;
        } else if (line.Text.find('=') != AnsiString::npos) {
            line.Kind = lkKey;
        } else {
            line.Kind = lkOther;
        }
        section->AddLine(std::move(line));
    }
    IndexSections();
}

void TIniData::IndexSections()
{
    FReadSection = nullptr;
    FSectionIndex.clear();
    for (const auto& section : FSections)
        if (section->HasHeader) {
            section->Indexed = !FindSection(section->Name);
            if (section->Indexed)
                FSectionIndex.emplace(TMatchedName(section->Name).Hash(), section.get());
        }
}

const char* TIniData::LineBreak() const
{
    return FBreak == brCRLF ? "\r\n" : "\n";
}

AnsiString TIniData::Text() const
{
    size_t size = FBom.size();
    for (const auto& section : FSections)
        for (const TLine& line : section->Lines)
            size += line.Text.size() + 2;
    AnsiString text;
    text.reserve(size);
    text += FBom;
    for (const auto& section : FSections)
        for (const TLine& line : section->Lines) {
            text += line.Text;
            if (line.Break == brCRLF)
                text += "\r\n";
            else if (line.Break == brLF)
                text += '\n';
        }
    return text;
}

std::vector<AnsiString> TIniData::Lines() const
{
    std::vector<AnsiString> lines;
    for (const auto& section : FSections)
        for (const TLine& line : section->Lines)
            lines.push_back(line.Text);
    if (lines.empty() && !FBom.empty())
        lines.emplace_back();
    if (!lines.empty())
        lines.front().insert(0, FBom);
    return lines;
}

TIniData::TSection* TIniData::FindSection(const AnsiString& section) const
{
    const TMatchedName name(section);
    const auto range = FSectionIndex.equal_range(name.Hash());
    for (auto entry = range.first; entry != range.second; ++entry)
        if (TMatchedName(entry->second->Name) == name)
            return entry->second;
    return nullptr;
}

TIniData::TSection* TIniData::RememberedSection(const AnsiString& sectionName)
{
    if (!FReadSection || sectionName != FReadSectionName) {
        FReadSection = FindSection(sectionName);
        FReadSectionName = sectionName;
    }
    return FReadSection;
}

bool TIniData::ReadValue(const AnsiString& sectionName, const AnsiString& identName, AnsiString& value)
{
    const TSection* section = RememberedSection(sectionName);
    if (!section)
        return false;
    const size_t line = section->FindKey(identName);
    if (line == AnsiString::npos)
        return false;
    value = KeyValue(section->Lines[line].Text);
    return true;
}

// The break to add to a line that has none. After a CR, an LF would read as a
// CR LF break and take the CR from the line, so the line then gets CR LF.
TIniData::TBreak TIniData::BreakAfter(const AnsiString& text) const
{
    return !text.empty() && text.back() == '\r' ? brCRLF : FBreak;
}

// A line appended after the file's last line must not join it.
void TIniData::EnsureFinalBreak()
{
    for (auto section = FSections.rbegin(); section != FSections.rend(); ++section)
        if (!(*section)->Lines.empty()) {
            TLine& last = (*section)->Lines.back();
            if (last.Break == brNone)
                last.Break = BreakAfter(last.Text);
            return;
        }
}

bool TIniData::WriteValue(const AnsiString& sectionName, const AnsiString& identName,
                          const AnsiString& newValue)
{
    // Most values hold no line break or NUL and are used as they are.
    AnsiString oneLine;
    const bool plain = newValue.find_first_of(Unwritable) == AnsiString::npos;
    if (!plain)
        oneLine = OneLine(newValue);
    const AnsiString& value = plain ? newValue : oneLine;
    TSection* section = RememberedSection(sectionName);
    if (!section) {
        EnsureFinalBreak();
        auto added = std::make_unique<TSection>();
        added->Name = CleanName(sectionName);
        added->HasHeader = true;
        added->Indexed = true;
        added->AddLine({"[" + added->Name + "]", FBreak, lkHeader});
        added->AddLine({KeyLine(identName, value), FBreak, lkKey});
        FSectionIndex.emplace(TMatchedName(added->Name).Hash(), added.get());
        FSections.push_back(std::move(added));
        return true;
    }

    const TMatchedName ident(identName);
    const size_t hash = ident.Hash();
    const size_t found = section->FindKey(ident, hash);
    if (found != AnsiString::npos) {
        TLine& line = section->Lines[found];
        if (KeyValue(line.Text) == value)
            return false;
        // The key keeps its spelling in the file.
        line.Text = KeyName(line.Text) + "=" + value;
        return true;
    }

    // After the last key line (or the header): the keys before it keep their line numbers.
    size_t at = section->LastKeyLine ? section->LastKeyLine + 1 : 1;
    TLine line{KeyLine(identName, value), FBreak, lkKey, true};
    TLine& previous = section->Lines[at - 1];
    if (previous.Break == brNone) {
        // The file's last line: the new one becomes last and keeps the missing final break.
        previous.Break = BreakAfter(previous.Text);
        line.Break = brNone;
    }
    section->Lines.insert(section->Lines.begin() + static_cast<ptrdiff_t>(at), std::move(line));
    section->Keys.Add(hash, at);
    section->LastKeyLine = at;
    return true;
}

bool TIniData::EraseSection(const AnsiString& section)
{
    if (!FindSection(section))
        return false;
    std::vector<std::unique_ptr<TSection>> kept;
    kept.reserve(FSections.size());
    const TMatchedName name(section);
    for (auto& entry : FSections)
        if (!entry->HasHeader || !(TMatchedName(entry->Name) == name))
            kept.push_back(std::move(entry));
    FSections.swap(kept);
    IndexSections();
    return true;
}

bool TIniData::DeleteKey(const AnsiString& sectionName, const AnsiString& identName)
{
    TSection* section = FindSection(sectionName);
    if (!section || section->FindKey(identName) == AnsiString::npos)
        return false;
    const TMatchedName ident(identName);
    std::vector<TLine> kept;
    kept.reserve(section->Lines.size());
    for (TLine& line : section->Lines)
        if (line.Kind != lkKey || !(KeyOf(line.Text) == ident))
            kept.push_back(std::move(line));
    section->Lines.swap(kept);
    section->IndexKeys();
    return true;
}

std::vector<AnsiString> TIniData::SectionNames() const
{
    std::vector<AnsiString> names;
    for (const auto& section : FSections)
        if (section->Indexed)
            names.push_back(section->Name);
    return names;
}

std::vector<AnsiString> TIniData::SectionKeys(const AnsiString& sectionName) const
{
    std::vector<AnsiString> keys;
    if (const TSection* section = FindSection(sectionName))
        for (const TLine& line : section->Lines)
            if (line.Indexed)
                keys.push_back(KeyName(line.Text));
    return keys;
}

std::vector<std::pair<AnsiString, AnsiString>> TIniData::SectionValues(const AnsiString& sectionName) const
{
    std::vector<std::pair<AnsiString, AnsiString>> values;
    if (const TSection* section = FindSection(sectionName))
        for (const TLine& line : section->Lines)
            if (line.Indexed)
                values.emplace_back(KeyName(line.Text), KeyValue(line.Text));
    return values;
}
