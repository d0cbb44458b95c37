// The ini value rules of style entries: keys from patterns, values written only
// when they differ from their defaults, Yes/No booleans, long strings in
// pieces, fonts as one text, and strings escaped so that they read back as written.
#include "document/rvstyle_info.h"

#include <vector>

#include "platform/core/colors.h"
#include "platform/core/inifiles.h"
#include "platform/graphics/gdiobjects.h"

namespace {

const int LongStringPiece = 500;

bool IsIniBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A font name that the comma-separated font text would cut, or whose quotes
// would be taken for ours, is enclosed in double quotes with inner quotes doubled.
AnsiString QuoteFontName(const AnsiString& name)
{
    if (name.find(',') == AnsiString::npos && (name.empty() || name[0] != '"'))
        return name;
    AnsiString result = "\"";
    for (char c : name) {
        if (c == '"')
            result += '"';
        result += c;
    }
    return result + "\"";
}

// Splits the font text into its fields; a field that starts with a double
// quote runs to the matching closing quote (doubled quotes stand for one).
std::vector<AnsiString> FontFields(const AnsiString& s)
{
    std::vector<AnsiString> fields;
    size_t i = 0;
    while (i <= s.size()) {
        AnsiString field;
        if (i < s.size() && s[i] == '"') {
            ++i;
            while (i < s.size()) {
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += s[i++];
            }
            // Anything between the closing quote and the comma is not part of the name.
            while (i < s.size() && s[i] != ',')
                ++i;
        } else {
            while (i < s.size() && s[i] != ',')
                field += s[i++];
        }
        fields.push_back(field);
        if (i >= s.size())
            break;
        ++i; // the comma
    }
    return fields;
}

} // namespace

TRVIniKeys::TRVIniKeys(const AnsiString& fs)
{
    // The patterns hold one "%s" and no other '%': the name takes its place.
    // Any other pattern goes through Format.
    FAt = fs.find('%');
    if (FAt == AnsiString::npos || FAt + 1 >= fs.size() || fs[FAt + 1] != 's' ||
        fs.find('%', FAt + 2) != AnsiString::npos) {
        FAt = AnsiString::npos;
        FRest = fs;
        return;
    }
    FRest.assign(fs, FAt + 2, AnsiString::npos);
    // Room for the longest property name.
    FKey.reserve(FAt + 32 + FRest.size());
    FKey.assign(fs, 0, FAt);
}

const AnsiString& TRVIniKeys::operator()(std::string_view name)
{
    if (FAt == AnsiString::npos) {
        FKey = Format(FRest, {AnsiString(name)});
        return FKey;
    }
    FKey.resize(FAt);
    FKey.append(name).append(FRest);
    return FKey;
}

AnsiString RVIniKey(const AnsiString& fs, const AnsiString& name)
{
    const size_t at = fs.find('%');
    if (at == AnsiString::npos || at + 1 >= fs.size() || fs[at + 1] != 's' ||
        fs.find('%', at + 2) != AnsiString::npos)
        return Format(fs, {name});
    AnsiString key;
    key.reserve(fs.size() - 2 + name.size());
    key.append(fs, 0, at).append(name).append(fs, at + 2, AnsiString::npos);
    return key;
}

void WriteIntToIniIfNE(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key, int value,
                       int defValue)
{
    if (value != defValue)
        ini->WriteInteger(section, key, value);
}

void WriteBoolToIniIfNE(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key, bool value,
                        bool defValue)
{
    if (value != defValue)
        ini->WriteString(section, key, value ? "Yes" : "No");
}

bool IniReadBool(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key, bool defValue)
{
    return UpperCase(ini->ReadString(section, key, defValue ? "Yes" : "No")) == "YES";
}

AnsiString RVEscapeIniValue(const AnsiString& value)
{
    AnsiString result = value;
    for (char& c : result)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            c = ' ';
    const bool blankEnds = !result.empty() && (IsIniBlank(result.front()) || IsIniBlank(result.back()));
    const bool quoted = result.size() >= 2 && (result.front() == '"' || result.front() == '\'') &&
                        result.back() == result.front();
    if (blankEnds || quoted)
        return "\"" + result + "\"";
    return result;
}

void WriteIniString(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key,
                    const AnsiString& value)
{
    ini->WriteString(section, key, RVEscapeIniValue(value));
}

void WriteLongStringToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key,
                          const AnsiString& value)
{
    // A value saved before in the other form, or with more pieces, must not be
    // read back in place of this one: the plain key goes, and the pieces end
    // with a missing one.
    if (value.size() <= static_cast<size_t>(LongStringPiece)) {
        WriteIniString(ini, section, key, value);
        ini->DeleteKey(section, key + "_0");
        return;
    }
    ini->DeleteKey(section, key);
    int piece = 0;
    for (size_t at = 0; at < value.size(); at += LongStringPiece, ++piece)
        WriteIniString(ini, section, key + "_" + IntToStr(piece), value.substr(at, LongStringPiece));
    ini->DeleteKey(section, key + "_" + IntToStr(piece));
}

AnsiString ReadLongStringFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key)
{
    AnsiString result = ini->ReadString(section, key, "");
    if (!result.empty())
        return result;
    // The pieces are read until the first missing or empty one; a section
    // cannot hold more of them than it has keys, so this ends.
    for (int piece = 0;; ++piece) {
        const AnsiString s = ini->ReadString(section, key + "_" + IntToStr(piece), "");
        if (s.empty())
            break;
        result += s;
    }
    return result;
}

AnsiString RVFontToString(const TFont* font)
{
    AnsiString styles;
    const TFontStyles st = font->Style();
    if (st.Contains(fsBold))
        styles += 'B';
    if (st.Contains(fsItalic))
        styles += 'I';
    if (st.Contains(fsUnderline))
        styles += 'U';
    if (st.Contains(fsStrikeOut))
        styles += 'S';
    return Format("%s,%d,%s,%d,%s,%d",
                  {QuoteFontName(font->Name()), font->Height(), styles, static_cast<int>(font->Pitch()),
                   ColorToString(font->Color()), static_cast<int>(font->Charset())});
}

void RVStringToFont(const AnsiString& s, TFont* font)
{
    const std::vector<AnsiString> fields = FontFields(s);
    const size_t n = fields.size();
    if (n > 0)
        font->SetName(fields[0]);
    int v = 0;
    if (n > 1 && TryStrToInt(fields[1], v))
        font->SetHeight(v);
    if (n > 2) {
        TFontStyles styles;
        for (char c : fields[2]) {
            switch (c) {
            case 'B':
            case 'b':
                styles.Include(fsBold);
                break;
            case 'I':
            case 'i':
                styles.Include(fsItalic);
                break;
            case 'U':
            case 'u':
                styles.Include(fsUnderline);
                break;
            case 'S':
            case 's':
                styles.Include(fsStrikeOut);
                break;
            default:
                break;
            }
        }
        font->SetStyle(styles);
    }
    if (n > 3 && TryStrToInt(fields[3], v) && v >= fpDefault && v <= fpFixed)
        font->SetPitch(static_cast<TFontPitch>(v));
    if (n > 4) {
        TColor color = 0;
        if (IdentToColor(fields[4], color) || TryStrToInt(fields[4], color))
            font->SetColor(color);
    }
    if (n > 5 && TryStrToInt(fields[5], v) && v >= 0 && v <= 255)
        font->SetCharset(static_cast<TFontCharset>(v));
}

int RVReadIniCount(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key, int defValue)
{
    const int count = ini->ReadInteger(section, key, defValue);
    if (count < 0 || count > RVMaxIniStyleCount)
        throw ERollViewError(Format(errRVCorruptStyleSection, {section}));
    return count;
}
