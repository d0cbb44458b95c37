// The CSS of a style sheet: one rule per text style (SPAN.RVTSn, A.RVTSn for
// hyperlinks) and per paragraph style (.RVPSn), each written in full or as the
// difference from its parent style.
#include "document/rvstyle.h"

#include "platform/core/streams.h"

namespace {

AnsiString ColorOrTransparent(TColor color)
{
    return color == clNone ? "transparent" : RV_GetHTMLRGBStr(color);
}

AnsiString StyleComment(const TCustomRVInfo* info)
{
    return info->Standard() ? Format(" /* %s */", {RV_EscapeCSSComment(info->StyleName())}) : AnsiString();
}

// The decoration of a text style: underline wins over strike-out, overline
// joins either; "none" when there is no line at all.
AnsiString Decoration(const TFontInfo* ts)
{
    AnsiString u;
    if (ts->Style().Contains(fsUnderline))
        u = "underline";
    else if (ts->Style().Contains(fsStrikeOut))
        u = "line-through";
    const AnsiString o = ts->StyleEx().Contains(rvfsOverline) ? "overline" : "";
    if (u.empty())
        return o.empty() ? AnsiString("none") : o;
    return o.empty() ? u : u + " " + o;
}

// The vertical position of a text style; "baseline" for no shift, so that a
// style can undo the shift of its parent.
const char* VerticalAlign(const TFontInfo* ts)
{
    if (ts->VShift() > 0)
        return "super";
    if (ts->VShift() < 0)
        return "sub";
    return "baseline";
}

// The line height in percent that a paragraph style shows: its own for
// percent spacing, else the normal (100 percent) height.
int PercentLineHeight(const TParaInfo* ps)
{
    return ps->LineSpacingType() == rvlsPercent ? ps->LineSpacing() : 100;
}

int CSSBorderWidth(const TRVBorder* b)
{
    switch (b->Style()) {
    case rvbSingle:
        return b->Width();
    case rvbDouble:
        return b->Width() + b->InternalWidth();
    case rvbTriple:
        return b->Width() + 2 * b->InternalWidth();
    case rvbThickInside:
    case rvbThickOutside:
        return 3 * b->Width() / 2 + b->InternalWidth();
    case rvbNone:
        break;
    }
    return 0;
}

bool HasCSSBorder(const TRVBorder* b)
{
    return b->Style() != rvbNone && b->Color() != clNone;
}

} // namespace

void TRVStyle::SaveTextStylesCSS(TStream* stream, TRVSaveCSSOptions aOptions) const
{
    RVWriteLn(stream, "/*----------Text Styles----------*/");
    const TFontInfos* styles = FTextStyles.get();
    const int count = styles->Count();
    if (count == 0)
        return;
    const TFontInfo* s0 = styles->Items(0);
    if (s0->Color() != clNone)
        RVWriteLn(stream, "HR { color: " + RV_GetHTMLRGBStr(s0->Color()) + "}");
    // Style 0 is the body's look unless it is a hyperlink or has a background.
    const bool bodyStyle = !s0->Jump() && s0->BackColor() == clNone;

    for (int i = 0; i < count; ++i) {
        const TFontInfo* ts = styles->Items(i);
        const AnsiString comment = StyleComment(ts);
        if (i == 0 && bodyStyle)
            RVWriteLn(stream, Format("BODY, TABLE%s", {comment}));
        else if (ts->Jump())
            RVWriteLn(stream, Format("A.RVTS%d, SPAN.RVTS%d%s", {i, i, comment}));
        else
            RVWriteLn(stream, Format("SPAN.RVTS%d%s", {i, comment}));
        RVWriteLn(stream, "{");

        const TFontInfo* p = nullptr;
        if (aOptions.Contains(rvcssOnlyDifference) && ts->BaseStyleNo() >= 0 && ts->BaseStyleNo() < count)
            p = styles->Items(ts->BaseStyleNo());
        else if (i > 0 && bodyStyle)
            p = s0;

        if (!p || p->Size() != ts->Size())
            RVWriteLn(stream, Format("  font-size: %dpt;", {ts->Size()}));
        if (!p || !SameText(p->FontName(), ts->FontName()))
            RVWriteLn(stream, Format("  font-family: \"%s\";", {RV_EscapeCSSString(ts->FontName())}));
        const bool italic = ts->Style().Contains(fsItalic);
        if (!p || p->Style().Contains(fsItalic) != italic)
            RVWriteLn(stream, Format("  font-style: %s;", {italic ? "italic" : "normal"}));
        const bool bold = ts->Style().Contains(fsBold);
        if (!p || p->Style().Contains(fsBold) != bold)
            RVWriteLn(stream, Format("  font-weight: %s;", {bold ? "bold" : "normal"}));
        // A style without a colour has no colour to write. A hyperlink always
        // writes its colour: browsers give links a colour of their own, so it
        // would not be inherited from the parent's rule.
        if ((!p || p->Color() != ts->Color() || ts->Jump()) && ts->Color() != clNone)
            RVWriteLn(stream, Format("  color: %s;", {RV_GetHTMLRGBStr(ts->Color())}));
        if ((!p && ts->CharSpacing() != 0) || (p && p->CharSpacing() != ts->CharSpacing()))
            RVWriteLn(stream, Format("  letter-spacing: %dpx;", {ts->CharSpacing()}));
        const bool caps = ts->StyleEx().Contains(rvfsAllCaps);
        if (caps && (!p || !p->StyleEx().Contains(rvfsAllCaps)))
            RVWriteLn(stream, "  text-transform: uppercase;");
        else if (!caps && p && p->StyleEx().Contains(rvfsAllCaps))
            RVWriteLn(stream, "  text-transform: none;");
        if ((i > 0 && !p) || (!p && ts->BackColor() != clNone) || (p && p->BackColor() != ts->BackColor()))
            RVWriteLn(stream, Format("  background-color: %s;", {ColorOrTransparent(ts->BackColor())}));
        const AnsiString valign = VerticalAlign(ts);
        if ((!p && ts->VShift() != 0) || (p && valign != VerticalAlign(p)))
            RVWriteLn(stream, Format("  vertical-align: %s;", {valign}));
        const AnsiString decoration = Decoration(ts);
        if (!p || Decoration(p) != decoration || (ts->Jump() && decoration == "none"))
            RVWriteLn(stream, Format("  text-decoration: %s;", {decoration}));
        RVWriteLn(stream, "}");

        if (!ts->Jump())
            continue;
        const TColor hover = GetHoverColorByColor(ts->HoverColor());
        const TColor hoverBack = ts->HoverBackColor();
        if (hover == clNone && hoverBack == clNone)
            continue;
        const TFontInfo* hp = p != nullptr && p->Jump() ? p : nullptr;
        RVWrite(stream, Format("A.RVTS%d:hover {", {i}));
        if (hover != clNone && (!hp || GetHoverColorByColor(hp->HoverColor()) != hover))
            RVWrite(stream, Format(" color: %s;", {RV_GetHTMLRGBStr(hover)}));
        if ((!hp && hoverBack != clNone) || (hp && hp->HoverBackColor() != hoverBack))
            RVWrite(stream, Format(" background-color: %s;", {ColorOrTransparent(hoverBack)}));
        RVWriteLn(stream, " }");
    }
}

void TRVStyle::SaveParaStylesCSS(TStream* stream, TRVSaveCSSOptions aOptions) const
{
    RVWriteLn(stream, "/*----------Para Styles----------*/");
    const TParaInfos* styles = FParaStyles.get();
    const int count = styles->Count();
    for (int i = 0; i < count; ++i) {
        const TParaInfo* ps = styles->Items(i);
        const AnsiString comment = StyleComment(ps);
        if (i == 0)
            RVWriteLn(stream, Format("P,UL,OL%s", {comment}));
        else
            RVWriteLn(stream, Format(".RVPS%d%s", {i, comment}));
        RVWriteLn(stream, "{");

        const TParaInfo* p = nullptr;
        if (aOptions.Contains(rvcssOnlyDifference) && ps->BaseStyleNo() >= 0 && ps->BaseStyleNo() < count)
            p = styles->Items(ps->BaseStyleNo());
        else if (i > 0)
            p = styles->Items(0);

        static const char* const alignments[] = {"left", "right", "center", "justify"};
        if ((!p && !(aOptions.Contains(rvcssIgnoreLeftAlignment) && ps->Alignment() == rvaLeft)) ||
            (p && p->Alignment() != ps->Alignment()))
            RVWriteLn(stream, Format("  text-align: %s;", {alignments[ps->Alignment()]}));
        if (!p || p->FirstIndent() != ps->FirstIndent())
            RVWriteLn(stream, Format("  text-indent: %dpx;", {ps->FirstIndent()}));
        // A parent without percent spacing shows the normal height, so a
        // child's percentage is compared with 100 then.
        if (ps->LineSpacingType() == rvlsPercent) {
            if ((!p && ps->LineSpacing() != 100) || (p && PercentLineHeight(p) != ps->LineSpacing()))
                RVWriteLn(stream, Format("  line-height: %d%%;", {ps->LineSpacing()}));
        } else if (p && PercentLineHeight(p) != 100) {
            RVWriteLn(stream, "  line-height: normal;");
        }
        if (ps->Options().Contains(rvpaoNoWrap))
            RVWriteLn(stream, "  white-space: nowrap;");
        else if (p && p->Options().Contains(rvpaoNoWrap))
            RVWriteLn(stream, "  white-space: normal;");

        TRect r;
        const TRVBorder* border = ps->Border();
        if (HasCSSBorder(border)) {
            RVWriteLn(stream, Format("  border-color: %s;", {RV_GetHTMLRGBStr(border->Color())}));
            RVWriteLn(stream,
                      Format("  border-style: %s;", {border->Style() == rvbSingle ? "solid" : "double"}));
            RVWriteLn(stream, Format("  border-width: %dpx;", {CSSBorderWidth(border)}));
            const TRVBooleanRect* visible = border->VisibleBorders();
            if (!visible->Top())
                RVWriteLn(stream, "  border-top: none;");
            if (!visible->Right())
                RVWriteLn(stream, "  border-right: none;");
            if (!visible->Bottom())
                RVWriteLn(stream, "  border-bottom: none;");
            if (!visible->Left())
                RVWriteLn(stream, "  border-left: none;");
            border->BorderOffsets()->AssignToRect(r);
        } else if (p && HasCSSBorder(p->Border())) {
            RVWriteLn(stream, "  border: none;");
        }
        const TColor back = ps->Background()->Color();
        if ((!p && back != clNone) || (p && p->Background()->Color() != back))
            RVWriteLn(stream, Format("  background: %s;", {ColorOrTransparent(back)}));
        if (back != clNone)
            ps->Background()->BorderOffsets()->AssignToRectIfGreater(r);
        RVWriteLn(stream, Format("  padding: %dpx %dpx %dpx %dpx;", {r.Top, r.Right, r.Bottom, r.Left}));
        RVWriteLn(stream, Format("  margin: %dpx %dpx %dpx %dpx;",
                                 {WrapSub(ps->SpaceBefore(), r.Top), WrapSub(ps->RightIndent(), r.Right),
                                  WrapSub(ps->SpaceAfter(), r.Bottom), WrapSub(ps->LeftIndent(), r.Left)}));
        RVWriteLn(stream, "}");
    }
}

void TRVStyle::SaveCSSToStream(TStream* stream, TRVSaveCSSOptions aOptions) const
{
    SaveTextStylesCSS(stream, aOptions);
    SaveParaStylesCSS(stream, aOptions);
}

bool TRVStyle::SaveCSS(const AnsiString& fileName, TRVSaveCSSOptions aOptions) const
{
    try {
        // The file is replaced only once the whole style sheet is written.
        SafeWriteFile(fileName, [&](TStream& stream) { SaveCSSToStream(&stream, aOptions); });
        return true;
    } catch (const Exception&) {
        return false;
    }
}
