// The ini text model: parsing lines into sections and keys, reading values with
// the profile rules, editing in place, and reading a file with a size bound.
#include "platform/core/inidata.h"

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

AnsiString TrimBlanks(const AnsiString& s, size_t first = 0, size_t last = AnsiString::npos)
{
    if (last > s.size())
        last = s.size();
    while (first < last && IsBlank(s[first]))
        ++first;
    while (last > first && IsBlank(s[last - 1]))
        --last;
    return s.substr(first, last - first);
}

AnsiString LowerAscii(AnsiString s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return s;
}

// A value or name on one line: each CR LF, CR or LF becomes one blank.
AnsiString OneLine(const AnsiString& s)
{
    AnsiString result;
    result.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
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

// What names are matched by: ASCII case and line breaks (written as blanks) do
// not count, so that a name read from the file, the name a caller gives and the
// name as written all find the same entry.
AnsiString NameKey(const AnsiString& name)
{
    return LowerAscii(CleanName(name));
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
    AnsiString value = TrimBlanks(line, line.find('=') + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

// ---------------------------------------------------------------------------
// Reading the file

TIniLoadResult LoadIniText(const AnsiString& fileName, AnsiString& text)
{
    text.clear();
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
        if (result == TIniLoadResult::Loaded)
            text.swap(data);
    }
    ::close(handle);
    return result;
}

// ---------------------------------------------------------------------------
// TIniData

TIniData::TIniData()
{
    SetText(AnsiString());
}

TIniData::~TIniData() = default;

void TIniData::TSection::AddLine(TLine line)
{
    if (line.Kind == lkKey) {
        Keys.emplace(NameKey(KeyName(line.Text)), Lines.size()); // the first key of a name wins
        LastKeyLine = Lines.size();
    }
    Lines.push_back(std::move(line));
}

void TIniData::TSection::IndexKeys()
{
    Keys.clear();
    LastKeyLine = 0;
    for (size_t i = 0; i < Lines.size(); ++i)
        if (Lines[i].Kind == lkKey) {
            Keys.emplace(NameKey(KeyName(Lines[i].Text)), i);
            LastKeyLine = i;
        }
}

void TIniData::SetText(const AnsiString& text)
{
    FSections.clear();
    FSectionIndex.clear();
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
    FSectionIndex.clear();
    for (const auto& section : FSections)
        if (section->HasHeader)
            FSectionIndex.emplace(NameKey(section->Name), section.get());
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
    auto found = FSectionIndex.find(NameKey(section));
    return found == FSectionIndex.end() ? nullptr : found->second;
}

bool TIniData::ReadValue(const AnsiString& sectionName, const AnsiString& identName, AnsiString& value) const
{
    const TSection* section = FindSection(sectionName);
    if (!section)
        return false;
    auto found = section->Keys.find(NameKey(identName));
    if (found == section->Keys.end())
        return false;
    value = KeyValue(section->Lines[found->second].Text);
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
    const AnsiString ident = CleanName(identName);
    const AnsiString value = OneLine(newValue);
    TSection* section = FindSection(sectionName);
    if (!section) {
        EnsureFinalBreak();
        auto added = std::make_unique<TSection>();
        added->Name = CleanName(sectionName);
        added->HasHeader = true;
        added->AddLine({"[" + added->Name + "]", FBreak, lkHeader});
        added->AddLine({ident + "=" + value, FBreak, lkKey});
        FSectionIndex.emplace(NameKey(added->Name), added.get());
        FSections.push_back(std::move(added));
        return true;
    }

    const AnsiString lowerIdent = NameKey(ident);
    auto found = section->Keys.find(lowerIdent);
    if (found != section->Keys.end()) {
        TLine& line = section->Lines[found->second];
        if (KeyValue(line.Text) == value)
            return false;
        // The key keeps its spelling in the file.
        line.Text = KeyName(line.Text) + "=" + value;
        return true;
    }

    // After the last key line (or the header): the keys before it keep their line numbers.
    size_t at = section->LastKeyLine ? section->LastKeyLine + 1 : 1;
    TLine line{ident + "=" + value, FBreak, lkKey};
    TLine& previous = section->Lines[at - 1];
    if (previous.Break == brNone) {
        // The file's last line: the new one becomes last and keeps the missing final break.
        previous.Break = BreakAfter(previous.Text);
        line.Break = brNone;
    }
    section->Lines.insert(section->Lines.begin() + static_cast<ptrdiff_t>(at), std::move(line));
    section->Keys.emplace(lowerIdent, at);
    section->LastKeyLine = at;
    return true;
}

bool TIniData::EraseSection(const AnsiString& section)
{
    const AnsiString name = NameKey(section);
    if (!FSectionIndex.count(name))
        return false;
    std::vector<std::unique_ptr<TSection>> kept;
    kept.reserve(FSections.size());
    for (auto& entry : FSections)
        if (!entry->HasHeader || NameKey(entry->Name) != name)
            kept.push_back(std::move(entry));
    FSections.swap(kept);
    IndexSections();
    return true;
}

bool TIniData::DeleteKey(const AnsiString& sectionName, const AnsiString& identName)
{
    TSection* section = FindSection(sectionName);
    const AnsiString ident = NameKey(identName);
    if (!section || !section->Keys.count(ident))
        return false;
    std::vector<TLine> kept;
    kept.reserve(section->Lines.size());
    for (TLine& line : section->Lines)
        if (line.Kind != lkKey || NameKey(KeyName(line.Text)) != ident)
            kept.push_back(std::move(line));
    section->Lines.swap(kept);
    section->IndexKeys();
    return true;
}

std::vector<AnsiString> TIniData::SectionNames() const
{
    std::vector<AnsiString> names;
    for (const auto& section : FSections)
        if (section->HasHeader && FSectionIndex.at(NameKey(section->Name)) == section.get())
            names.push_back(section->Name);
    return names;
}

std::vector<AnsiString> TIniData::SectionKeys(const AnsiString& sectionName) const
{
    std::vector<AnsiString> keys;
    if (const TSection* section = FindSection(sectionName))
        for (size_t i = 0; i < section->Lines.size(); ++i)
            if (section->Lines[i].Kind == lkKey) {
                AnsiString name = KeyName(section->Lines[i].Text);
                if (section->Keys.at(NameKey(name)) == i)
                    keys.push_back(std::move(name));
            }
    return keys;
}

std::vector<std::pair<AnsiString, AnsiString>> TIniData::SectionValues(const AnsiString& sectionName) const
{
    std::vector<std::pair<AnsiString, AnsiString>> values;
    if (const TSection* section = FindSection(sectionName))
        for (size_t i = 0; i < section->Lines.size(); ++i)
            if (section->Lines[i].Kind == lkKey) {
                AnsiString name = KeyName(section->Lines[i].Text);
                if (section->Keys.at(NameKey(name)) == i)
                    values.emplace_back(std::move(name), KeyValue(section->Lines[i].Text));
            }
    return values;
}
