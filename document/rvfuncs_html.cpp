// HTML fragments of fonts and text styles (FONT tags, CSS font text) and the
// escaping of names taken from documents for HTML attributes and CSS.
#include "document/rvfuncs.h"

#include "document/rvstyle_text.h"
#include "platform/core/sysutils.h"

namespace {

// What a FONT tag needs of a style or a font.
struct TFontLook {
    int Size;
    TColor Color;
    AnsiString Name;
    TFontStyles Style;
};

TFontLook LookOf(const TFontInfo* ts)
{
    return {ts->Size(), ts->Color(), ts->FontName(), ts->Style()};
}
TFontLook LookOf(const TFont* font)
{
    return {font->Size(), font->Color(), font->Name(), font->Style()};
}

// The attributes of the FONT tag; empty when no tag is due.
AnsiString FontAttributes(const TFontLook& ts, const TFontLook& normal, bool relative)
{
    AnsiString attrs;
    if (!relative || ts.Size != normal.Size)
        attrs += " size=" + IntToStr(RV_HTMLGetFontSize(ts.Size));
    // No colour, no colour attribute (an empty one is not a colour).
    if ((!relative || ts.Color != normal.Color) && ts.Color != clNone)
        attrs += " color=" + RV_GetHTMLRGBStr(ts.Color);
    if (!relative || !SameText(ts.Name, normal.Name))
        attrs += " face=\"" + RV_EscapeHTMLAttribute(ts.Name) + "\"";
    return attrs;
}

const TFontStyle OpenOrder[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
const TFontStyle CloseOrder[] = {fsStrikeOut, fsUnderline, fsItalic, fsBold};

const char* OpenTag(TFontStyle s)
{
    switch (s) {
    case fsBold:
        return "<B>";
    case fsItalic:
        return "<I>";
    case fsUnderline:
        return "<U>";
    case fsStrikeOut:
        return "<S>";
    }
    return "";
}

const char* CloseTag(TFontStyle s)
{
    switch (s) {
    case fsBold:
        return "</B>";
    case fsItalic:
        return "</I>";
    case fsUnderline:
        return "</U>";
    case fsStrikeOut:
        return "</S>";
    }
    return "";
}

// Closing tags of the styles in A but not in B, then opening tags of those in B but not in A.
AnsiString SwitchStyles(TFontStyles a, TFontStyles b)
{
    AnsiString result;
    for (TFontStyle s : CloseOrder)
        if (a.Contains(s) && !b.Contains(s))
            result += CloseTag(s);
    for (TFontStyle s : OpenOrder)
        if (b.Contains(s) && !a.Contains(s))
            result += OpenTag(s);
    return result;
}

AnsiString OpenTagOf(const TFontLook& ts, const TFontLook& normal, bool relative)
{
    const AnsiString attrs = FontAttributes(ts, normal, relative);
    AnsiString result = attrs.empty() ? AnsiString() : "<FONT" + attrs + ">";
    if (relative) {
        result += SwitchStyles(normal.Style, ts.Style);
    } else {
        for (TFontStyle s : OpenOrder)
            if (ts.Style.Contains(s))
                result += OpenTag(s);
    }
    return result;
}

AnsiString CloseTagOf(const TFontLook& ts, const TFontLook& normal, bool relative)
{
    AnsiString result;
    if (relative) {
        result = SwitchStyles(ts.Style, normal.Style);
    } else {
        for (TFontStyle s : CloseOrder)
            if (ts.Style.Contains(s))
                result += CloseTag(s);
    }
    if (!FontAttributes(ts, normal, relative).empty())
        result += "</FONT>";
    return result;
}

bool IsCSSSpecial(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == '"' || c == '\'' || c == '\\' || c == '<' || c == '>' || c == '&';
}

} // namespace

AnsiString RV_GetHTMLFontCSS(const TFont* font)
{
    AnsiString words;
    auto add = [](AnsiString& list, const AnsiString& word) {
        if (!list.empty())
            list += ' ';
        list += word;
    };
    const TFontStyles style = font->Style();
    if (style.Contains(fsBold))
        add(words, "bold");
    if (style.Contains(fsItalic))
        add(words, "italic");
    if (font->Size() >= 1)
        add(words, Format("%dpt", {font->Size()}));
    else
        add(words, Format("%dpx", {font->Height()}));
    add(words, Format("'%s'", {RV_EscapeCSSString(font->Name())}));
    AnsiString result = Format("font: %s;", {words});
    AnsiString decoration;
    if (style.Contains(fsUnderline))
        add(decoration, "underline");
    if (style.Contains(fsStrikeOut))
        add(decoration, "line-through");
    if (!decoration.empty())
        result = Format("%s text-decoration: %s;", {result, decoration});
    if (font->Color() != clNone)
        result = Format("%s color: %s;", {result, RV_GetHTMLRGBStr(font->Color())});
    return result;
}

AnsiString RV_HTMLOpenFontTag(const TFontInfo* ts, const TFontInfo* normalts, bool relative)
{
    AnsiString result = OpenTagOf(LookOf(ts), LookOf(normalts), relative);
    if (ts->VShift() < 0)
        result += "<SUB>";
    else if (ts->VShift() > 0)
        result += "<SUP>";
    return result;
}

AnsiString RV_HTMLCloseFontTag(const TFontInfo* ts, const TFontInfo* normalts, bool relative)
{
    AnsiString result;
    if (ts->VShift() < 0)
        result = "</SUB>";
    else if (ts->VShift() > 0)
        result = "</SUP>";
    return result + CloseTagOf(LookOf(ts), LookOf(normalts), relative);
}

AnsiString RV_HTMLOpenFontTag2(const TFont* font, const TFontInfo* normalts)
{
    return OpenTagOf(LookOf(font), LookOf(normalts), true);
}

AnsiString RV_HTMLCloseFontTag2(const TFont* font, const TFontInfo* normalts)
{
    return CloseTagOf(LookOf(font), LookOf(normalts), true);
}

namespace {

// s with &, < and > (and with quotes, ") written as character references.
AnsiString EscapeHTML(const AnsiString& s, bool quotes)
{
    AnsiString result;
    result.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            if (quotes) {
                result += "&quot;";
                break;
            }
            [[fallthrough]];
        default:
            result += c;
            break;
        }
    }
    return result;
}

} // namespace

AnsiString RV_EscapeHTMLAttribute(const AnsiString& s)
{
    return EscapeHTML(s, true);
}

AnsiString RV_EscapeHTMLText(const AnsiString& s)
{
    return EscapeHTML(s, false);
}

AnsiString RV_EscapeCSSString(const AnsiString& s)
{
    AnsiString result;
    result.reserve(s.size());
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (IsCSSSpecial(u))
            result += Format("\\%X ", {static_cast<int>(u)});
        else
            result += c;
    }
    return result;
}

AnsiString RV_EscapeCSSComment(const AnsiString& s)
{
    AnsiString result;
    result.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const auto u = static_cast<unsigned char>(s[i]);
        if (u < 0x20 || u == 0x7F)
            result += ' ';
        else if (s[i] == '<')
            result += "\\3C ";
        else if (s[i] == '*' && i + 1 < s.size() && s[i + 1] == '/')
            result += "*\\";
        else
            result += s[i];
    }
    return result;
}
