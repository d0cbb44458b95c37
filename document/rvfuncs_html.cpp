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
TFontLook LookOf(const TFont* Font)
{
    return {Font->Size(), Font->Color(), Font->Name(), Font->Style()};
}

// The attributes of the FONT tag; empty when no tag is due.
AnsiString FontAttributes(const TFontLook& ts, const TFontLook& normal, bool Relative)
{
    AnsiString attrs;
    if (!Relative || ts.Size != normal.Size)
        attrs += " size=" + IntToStr(RV_HTMLGetFontSize(ts.Size));
    // No colour, no colour attribute (an empty one is not a colour).
    if ((!Relative || ts.Color != normal.Color) && ts.Color != clNone)
        attrs += " color=" + RV_GetHTMLRGBStr(ts.Color);
    if (!Relative || !SameText(ts.Name, normal.Name))
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
AnsiString SwitchStyles(TFontStyles A, TFontStyles B)
{
    AnsiString result;
    for (TFontStyle s : CloseOrder)
        if (A.Contains(s) && !B.Contains(s))
            result += CloseTag(s);
    for (TFontStyle s : OpenOrder)
        if (B.Contains(s) && !A.Contains(s))
            result += OpenTag(s);
    return result;
}

AnsiString OpenTagOf(const TFontLook& ts, const TFontLook& normal, bool Relative)
{
    const AnsiString attrs = FontAttributes(ts, normal, Relative);
    AnsiString result = attrs.empty() ? AnsiString() : "<FONT" + attrs + ">";
    if (Relative) {
        result += SwitchStyles(normal.Style, ts.Style);
    } else {
        for (TFontStyle s : OpenOrder)
            if (ts.Style.Contains(s))
                result += OpenTag(s);
    }
    return result;
}

AnsiString CloseTagOf(const TFontLook& ts, const TFontLook& normal, bool Relative)
{
    AnsiString result;
    if (Relative) {
        result = SwitchStyles(ts.Style, normal.Style);
    } else {
        for (TFontStyle s : CloseOrder)
            if (ts.Style.Contains(s))
                result += CloseTag(s);
    }
    if (!FontAttributes(ts, normal, Relative).empty())
        result += "</FONT>";
    return result;
}

bool IsCSSSpecial(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == '"' || c == '\'' || c == '\\' || c == '<' || c == '>' || c == '&';
}

} // namespace

AnsiString RV_GetHTMLFontCSS(const TFont* Font)
{
    AnsiString words;
    auto add = [](AnsiString& list, const AnsiString& word) {
        if (!list.empty())
            list += ' ';
        list += word;
    };
    const TFontStyles style = Font->Style();
    if (style.Contains(fsBold))
        add(words, "bold");
    if (style.Contains(fsItalic))
        add(words, "italic");
    if (Font->Size() >= 1)
        add(words, Format("%dpt", {Font->Size()}));
    else
        add(words, Format("%dpx", {Font->Height()}));
    add(words, Format("'%s'", {RV_EscapeCSSString(Font->Name())}));
    AnsiString result = Format("font: %s;", {words});
    AnsiString decoration;
    if (style.Contains(fsUnderline))
        add(decoration, "underline");
    if (style.Contains(fsStrikeOut))
        add(decoration, "line-through");
    if (!decoration.empty())
        result = Format("%s text-decoration: %s;", {result, decoration});
    if (Font->Color() != clNone)
        result = Format("%s color: %s;", {result, RV_GetHTMLRGBStr(Font->Color())});
    return result;
}

AnsiString RV_HTMLOpenFontTag(const TFontInfo* ts, const TFontInfo* normalts, bool Relative)
{
    AnsiString result = OpenTagOf(LookOf(ts), LookOf(normalts), Relative);
    if (ts->VShift() < 0)
        result += "<SUB>";
    else if (ts->VShift() > 0)
        result += "<SUP>";
    return result;
}

AnsiString RV_HTMLCloseFontTag(const TFontInfo* ts, const TFontInfo* normalts, bool Relative)
{
    AnsiString result;
    if (ts->VShift() < 0)
        result = "</SUB>";
    else if (ts->VShift() > 0)
        result = "</SUP>";
    return result + CloseTagOf(LookOf(ts), LookOf(normalts), Relative);
}

AnsiString RV_HTMLOpenFontTag2(const TFont* Font, const TFontInfo* normalts)
{
    return OpenTagOf(LookOf(Font), LookOf(normalts), true);
}

AnsiString RV_HTMLCloseFontTag2(const TFont* Font, const TFontInfo* normalts)
{
    return CloseTagOf(LookOf(Font), LookOf(normalts), true);
}

AnsiString RV_EscapeHTMLAttribute(const AnsiString& s)
{
    AnsiString result;
    result.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '"':
            result += "&quot;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        default:
            result += c;
            break;
        }
    }
    return result;
}

AnsiString RV_EscapeHTMLText(const AnsiString& s)
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
        default:
            result += c;
            break;
        }
    }
    return result;
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
