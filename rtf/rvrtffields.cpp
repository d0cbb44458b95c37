// Field instructions: quoted arguments, SYMBOL fields and the safe resolution
// of files named by INCLUDEPICTURE.
#include "rtf/rvrtffields.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

AnsiString Trim(const AnsiString& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

void SkipBlanks(const AnsiString& s, size_t& i)
{
    while (i < s.size() && IsBlank(s[i]))
        ++i;
}

// A quoted or blank-delimited word at i (after blanks); false when there is none.
bool ReadWord(const AnsiString& s, size_t& i, AnsiString& word)
{
    SkipBlanks(s, i);
    word.clear();
    if (i >= s.size())
        return false;
    if (s[i] == '"') {
        const size_t close = s.find('"', i + 1);
        if (close == AnsiString::npos)
            return false;
        word = s.substr(i + 1, close - i - 1);
        i = close + 1;
        return true;
    }
    while (i < s.size() && !IsBlank(s[i]))
        word += s[i++];
    return true;
}

bool ParseNumber(const AnsiString& text, int& value)
{
    if (text.empty())
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, hex ? 16 : 10);
    if (*end != '\0' || v < 0 || v > 0xFFFF)
        return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

bool RVRTFFieldArgument(const AnsiString& instruction, const char* fieldName, AnsiString& argument)
{
    const AnsiString text = Trim(instruction);
    const size_t nameLength = std::strlen(fieldName);
    if (text.compare(0, nameLength, fieldName) != 0 ||
        (text.size() > nameLength && !IsBlank(text[nameLength])))
        return false;
    size_t i = nameLength;
    AnsiString word;
    if (!ReadWord(text, i, word) || word.empty())
        return false;
    argument.clear();
    for (size_t k = 0; k < word.size(); ++k) {
        argument += word[k];
        if (word[k] == '\\' && k + 1 < word.size() && word[k + 1] == '\\')
            ++k;
    }
    return true;
}

bool RVRTFParseSymbolField(const AnsiString& instruction, int& code, AnsiString& fontName, int& size)
{
    const AnsiString text = Trim(instruction);
    if (text.compare(0, 6, "SYMBOL") != 0)
        return false;
    size_t i = 6;
    AnsiString word;
    if (!ReadWord(text, i, word) || !ParseNumber(word, code))
        return false;
    bool hasFont = false, hasSize = false;
    while (ReadWord(text, i, word)) {
        if (word == "\\f" && ReadWord(text, i, fontName))
            hasFont = !fontName.empty();
        else if (word == "\\s" && ReadWord(text, i, word)) {
            char* end = nullptr;
            const long v = std::strtol(word.c_str(), &end, 10);
            hasSize = *end == '\0' && v > 0 && v <= 1638;
            size = static_cast<int>(v);
        }
    }
    return hasFont && hasSize;
}

bool RVRTFIsSymbolFontName(const AnsiString& fontName)
{
    AnsiString lower;
    for (char c : fontName)
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return lower == "symbol" || lower == "wingdings";
}

bool RVRTFReadIncludedFile(const AnsiString& basePath, const AnsiString& name, int64_t maxSize,
                           std::string& bytes)
{
    bytes.clear();
    if (basePath.empty() || name.empty() || name[0] == '/' || name.find('\0') != AnsiString::npos)
        return false;
    // No component may be "..".
    for (size_t start = 0; start <= name.size();) {
        size_t end = name.find_first_of("/\\", start);
        if (end == AnsiString::npos)
            end = name.size();
        if (name.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    char baseReal[PATH_MAX], fileReal[PATH_MAX];
    if (!realpath(basePath.c_str(), baseReal))
        return false;
    if (!realpath((AnsiString(baseReal) + "/" + name).c_str(), fileReal))
        return false;
    // A link out of the folder is refused like "..".
    const AnsiString base = AnsiString(baseReal) + (std::strcmp(baseReal, "/") == 0 ? "" : "/");
    if (std::strncmp(fileReal, base.c_str(), base.size()) != 0)
        return false;
    const int fd = open(fileReal, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= maxSize;
    if (ok) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = read(fd, &bytes[done], bytes.size() - done);
            if (got <= 0)
                break;
            done += static_cast<size_t>(got);
        }
        bytes.resize(done);
    }
    close(fd);
    return ok;
}
