// The RTF parser's control words: translation through the table and the
// change each property code makes to the current state and the tables in the
// body and the other plain destinations. Values that later arithmetic
// multiplies are clamped here, where they are applied.
#include <climits>
#include <cstdlib>

#include "rtf/rvrtfreader.h"

namespace {

// \highlightN, as 0x00BBGGRR; index 0 and values out of range give no colour.
constexpr TColor HighlightColors[17] = {rtfNoColor, 0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                        0x0000FF,   0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                        0x800080,   0x000080, 0x008080, 0x808080, 0xC0C0C0};
} // namespace

TRVRTFErrorCode TRVRTFReader::TranslateKeyword(const std::string& keyword, int param, bool hasParam)
{
    const int index = RVRTFFindKeyword(keyword);
    if (index < 0) {
        if (FSkipDestIfUnknown)
            FState->Destination = rdsSkip;
        FSkipDestIfUnknown = false;
        return rtf_ec_OK;
    }
    FSkipDestIfUnknown = false;
    const TRVRTFsymbol& row = RVRTFKeywords[index];
    switch (row.KeywordType) {
    case rtf_kwd_Char:
        if (row.Index == 0)
            return rtf_ec_OK; // the optional hyphen shows nothing
        return ParseChar(row.Index);
    case rtf_kwd_WideChar: {
        const WideChar unit = static_cast<WideChar>(row.DefParam);
        if ((FState->Destination == rdsNorm && OnNewUnicodeText) || FState->Destination == rdsListLevelText)
            return OutputWideChar(unit);
        if (row.Index != 0)
            return ParseChar(row.Index);
        return ParseWideCharAsBytes(WideString(1, unit));
    }
    case rtf_kwd_Dest:
        return ChangeDest(static_cast<TRTFIDEST>(row.Index), row.DefParam);
    case rtf_kwd_Prop: {
        const int value = row.PassDefault || !hasParam ? row.DefParam : param;
        if (FState->Destination == rdsNorm &&
            (row.Affect == rtf_af_CharProp || row.Affect == rtf_af_BothProp)) {
            const TRVRTFErrorCode ec = FlushOpeningTables();
            if (ec != rtf_ec_OK)
                return ec;
        }
        return ApplyPropChange(static_cast<TRTFIPROP>(row.Index), value);
    }
    case rtf_kwd_Spec:
        return ParseSpecialKeyword(static_cast<TRTFIPFN>(row.Index), param, hasParam);
    }
    return rtf_ec_BadTable;
}

bool TRVRTFReader::ColorOf(int index, TColor& color) const
{
    if (index < 0 || index >= FColorTable.Count())
        return false;
    color = FColorTable.Get(index);
    return true;
}

int TRVRTFReader::FontIndexOf(int number) const
{
    return FFontTable.GetFontIndex(number, FState->DefFont);
}

TRVRTFErrorCode TRVRTFReader::ApplyPropChange(TRTFIPROP prop, int value)
{
    switch (FState->Destination) {
    case rdsSkip:
        return rtf_ec_OK;
    case rdsColorTable:
        if (prop == ipropRed)
            FColorTable.SetLastRed(value);
        else if (prop == ipropGreen)
            FColorTable.SetLastGreen(value);
        else if (prop == ipropBlue)
            FColorTable.SetLastBlue(value);
        return rtf_ec_OK;
    case rdsStyleSheetEntry:
        return ApplyPropChange_SSEntry(prop, value);
    case rdsPict:
        return ApplyPropChange_Picture(prop, value);
    case rdsPN:
    case rdsPNSecLvl:
        return ApplyPropChange_PN(prop, value);
    case rdsList:
        return ApplyPropChange_List(prop, value);
    case rdsListLevel:
        return ApplyPropChange_ListLevel(prop, value);
    case rdsLO:
        return ApplyPropChange_LO(prop, value);
    case rdsLOLevel:
        return ApplyPropChange_LOLevel(prop, value);
    default:
        return ApplyGeneral(prop, value);
    }
}

TRVRTFErrorCode TRVRTFReader::ApplyGeneral(TRTFIPROP prop, int value)
{
    switch (prop) {
    case ipropBold:
    case ipropItalic:
    case ipropUnderline:
    case ipropStrike:
    case ipropCharScaleX:
    case ipropCharSpacing:
    case ipropSScript:
    case ipropAllCaps:
    case ipropFontSize:
    case ipropTextColor:
    case ipropTextBackColor:
    case ipropHighlight:
    case ipropLanguage:
    case ipropDefLanguage:
    case ipropHidden:
        return ApplyCharProp(prop, value);
    case ipropF:
    case ipropDefF:
    case ipropFontFamily:
    case ipropFCharset:
        return ApplyFontProp(prop, value);
    case ipropSL:
    case ipropSLMult:
    case ipropLeftInd:
    case ipropRightInd:
    case ipropFirstInd:
    case ipropSpaceBefore:
    case ipropSpaceAfter:
    case ipropJust:
    case ipropParaBorderType:
    case ipropParaBorderSide:
    case ipropParaBorderWidth:
    case ipropParaBorderColor:
    case ipropParaBorderSpace:
    case ipropParaColor:
    case ipropParaFColor:
    case ipropParaShading:
    case ipropLONumber:
    case ipropLevel:
        return ApplyParaProp(prop, value);
    case ipropCols:
    case ipropPgnX:
    case ipropPgnY:
    case ipropHeaderY:
    case ipropFooterY:
    case ipropSbk:
    case ipropPgnFormat:
        return ApplySectionProp(prop, value);
    case ipropXaPage:
    case ipropYaPage:
    case ipropXaLeft:
    case ipropXaRight:
    case ipropYaTop:
    case ipropYaBottom:
    case ipropPgnStart:
    case ipropFacingp:
    case ipropLandscape:
        return ApplyDocProp(prop, value);
    case ipropPard:
    case ipropPlain:
    case ipropSectd:
    case ipropTRowD:
        return ParseSpecialProperty(prop, value);
    case ipropAnsiCodePage:
        FCodePage = static_cast<unsigned>(value);
        break;
    case ipropU:
        return ApplyUnicode(value);
    case ipropUC:
        FUnicodeFallback = RVRTFClamp(value, 0, 255);
        break;
    case ipropPage:
        if (OnRequiredPageBreak) {
            const TRVRTFErrorCode ec = FlushOpeningTables();
            if (ec != rtf_ec_OK)
                return ec;
            OnRequiredPageBreak(this);
        }
        break;
    case ipropPNSecLvl:
        return ChangeDest(idestPNSecLvl, value);
    default:
        return ApplyTableProp(prop, value);
    }
    return rtf_ec_OK;
}

// Character properties: font style, size, colours, scripts, language and hidden text.
TRVRTFErrorCode TRVRTFReader::ApplyCharProp(TRTFIPROP prop, int value)
{
    TRVRTFReaderState& state = *FState;
    TRVRTFCharProperties& chars = state.CharProps;
    TColor color = 0;
    switch (prop) {
    case ipropBold:
        state.ChangeFontStyle(fsBold, value);
        break;
    case ipropItalic:
        state.ChangeFontStyle(fsItalic, value);
        break;
    case ipropUnderline:
        state.ChangeFontStyle(fsUnderline, value);
        break;
    case ipropStrike:
        state.ChangeFontStyle(fsStrikeOut, value);
        break;
    case ipropCharScaleX:
        chars.CharScaleX = RVRTFClamp(value, 1, rtfMaxScale);
        break;
    case ipropCharSpacing:
        chars.CharSpacing = RVRTFClampLength(value);
        break;
    case ipropSScript:
        chars.SScriptType = static_cast<TRVRTFSScriptType>(RVRTFClamp(value, 0, 2));
        break;
    case ipropAllCaps:
        state.ChangeFontStyleEx(rtf_fs_AllCaps, value);
        break;
    case ipropFontSize:
        chars.Size = RVRTFFontSize(value);
        break;
    case ipropTextColor:
        if (ColorOf(value, color))
            chars.Color = color;
        break;
    case ipropTextBackColor:
        if (ColorOf(value, color))
            chars.BackColor = color == rtfAutoColor ? rtfNoColor : color;
        break;
    case ipropHighlight:
        if (ConvertHighlight == rtf_hl_FixedColors)
            chars.BackColor = value > 0 && value <= 16 ? HighlightColors[value] : rtfNoColor;
        else if (ConvertHighlight == rtf_hl_ColorTable && ColorOf(value, color))
            chars.BackColor = color == rtfAutoColor ? rtfNoColor : color;
        break;
    case ipropLanguage:
        chars.Language = value;
        break;
    case ipropDefLanguage:
        state.DefLanguage = value;
        break;
    case ipropHidden:
        if ((value != 0) != chars.Hidden) {
            if (state.Destination == rdsNorm) {
                FForceText = FForceText || value != 0;
                const TRVRTFErrorCode ec = Flush();
                if (ec != rtf_ec_OK)
                    return ec;
            }
            chars.Hidden = value != 0;
        }
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

// Font numbers of the text and the default, and the font table's family and charset words.
TRVRTFErrorCode TRVRTFReader::ApplyFontProp(TRTFIPROP prop, int value)
{
    TRVRTFReaderState& state = *FState;
    TRVRTFCharProperties& chars = state.CharProps;
    switch (prop) {
    case ipropF:
        if (state.Destination == rdsNorm)
            chars.FontIndex = FontIndexOf(value);
        else if (state.Destination == rdsFontTable)
            FFontTable.Add(value);
        else if (state.Destination == rdsStyleSheet && FStyleSheet.Last())
            FStyleSheet.Last()->CharProps.FontIndex = FontIndexOf(value);
        break;
    case ipropDefF:
        if (state.Destination == rdsNorm)
            state.DefFont = value;
        break;
    case ipropFontFamily:
        if (state.Destination == rdsFontTable && FFontTable.Last())
            FFontTable.Last()->Family = static_cast<TRVRTFFontFamily>(RVRTFClamp(value, 0, 7));
        break;
    case ipropFCharset:
        // Charset words before any \f have no font to address.
        if (state.Destination == rdsFontTable && FFontTable.Last())
            FFontTable.Last()->Charset = value >= 0 && value < 256 ? static_cast<uint8_t>(value) : 77;
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

// Paragraph properties: spacing, indents, alignment, borders, shading and list membership.
TRVRTFErrorCode TRVRTFReader::ApplyParaProp(TRTFIPROP prop, int value)
{
    TRVRTFReaderState& state = *FState;
    TRVRTFParaProperties& para = state.ParaProps;
    TColor color = 0;
    switch (prop) {
    case ipropSL:
        para.LineSpacing = RVRTFClampLength(value);
        break;
    case ipropSLMult:
        para.LineSpacingMulti = value != 0 ? 1 : 0;
        break;
    case ipropLeftInd:
        para.LeftIndent = RVRTFClampLength(value);
        break;
    case ipropRightInd:
        para.RightIndent = RVRTFClampLength(value);
        break;
    case ipropFirstInd:
        para.FirstIndent = RVRTFClampLength(value);
        break;
    case ipropSpaceBefore:
        para.SpaceBefore = RVRTFClampLength(value);
        break;
    case ipropSpaceAfter:
        para.SpaceAfter = RVRTFClampLength(value);
        break;
    case ipropJust:
        para.Alignment = static_cast<TRVRTFAlignment>(RVRTFClamp(value, 0, 3));
        break;
    case ipropParaBorderType:
    case ipropParaBorderSide:
    case ipropParaBorderWidth:
    case ipropParaBorderColor:
    case ipropParaBorderSpace:
        if (prop == ipropParaBorderSide) {
            state.CurrentBorderType = rtf_bt_Para;
            para.CurBorderSide = static_cast<TRVRTFSide>(RVRTFClamp(value, 0, 3));
        } else if (TRVRTFBorderSide* side = state.GetCurrentBorderSide()) {
            if (prop == ipropParaBorderType && side->BorderType == rtf_brdr_None)
                side->BorderType = static_cast<TRVRTFBorderType>(RVRTFClamp(value, 0, rtf_brdr_Outset));
            else if (prop == ipropParaBorderWidth)
                side->Width = RVRTFClamp(value, 0, rtfMaxLength);
            else if (prop == ipropParaBorderColor && ColorOf(value, color))
                side->Color = color;
            else if (prop == ipropParaBorderSpace)
                para.GetBorder().GetSides(para.CurBorderSide).Space = RVRTFClampLength(value);
        }
        break;
    case ipropParaColor:
        if (ColorOf(value, color))
            para.Color = color;
        break;
    case ipropParaFColor:
        if (ColorOf(value, color))
            para.ForeColor = color;
        break;
    case ipropParaShading:
        para.Shading = RVRTFClamp(value, 0, 10000);
        break;
    case ipropLONumber:
        para.ListOverrideIndex = FListOverrideTable.FindListOverride(value);
        break;
    case ipropLevel:
        para.ListLevel = RVRTFClamp(value, 0, 11);
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

// Section properties: columns, page number places and format, header and footer places, breaks.
TRVRTFErrorCode TRVRTFReader::ApplySectionProp(TRTFIPROP prop, int value)
{
    TRVRTFSectionProperties& section = FState->SectionProps;
    switch (prop) {
    case ipropCols:
        section.Columns = RVRTFClamp(value, 1, 255);
        break;
    case ipropPgnX:
        section.PageNumberX = RVRTFClampLength(value);
        break;
    case ipropPgnY:
        section.PageNumberY = RVRTFClampLength(value);
        break;
    case ipropHeaderY:
        section.HeaderY = RVRTFClampLength(value);
        break;
    case ipropFooterY:
        section.FooterY = RVRTFClampLength(value);
        break;
    case ipropSbk:
        section.SectionBreak = static_cast<TRVRTFSectionBreakType>(RVRTFClamp(value, 0, 4));
        break;
    case ipropPgnFormat:
        section.PageNumberFormat = static_cast<TRVRTFPageNumberFormat>(RVRTFClamp(value, 0, 4));
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

// Document properties: paper size, margins, first page number, facing pages, orientation.
TRVRTFErrorCode TRVRTFReader::ApplyDocProp(TRTFIPROP prop, int value)
{
    TRVRTFDocProperties& doc = FState->DocProps;
    switch (prop) {
    case ipropXaPage:
        doc.PaperWidth = RVRTFClampLength(value);
        break;
    case ipropYaPage:
        doc.PaperHeight = RVRTFClampLength(value);
        break;
    case ipropXaLeft:
        doc.LeftMargin = RVRTFClampLength(value);
        break;
    case ipropXaRight:
        doc.RightMargin = RVRTFClampLength(value);
        break;
    case ipropYaTop:
        doc.TopMargin = RVRTFClampLength(value);
        break;
    case ipropYaBottom:
        doc.BottomMargin = RVRTFClampLength(value);
        break;
    case ipropPgnStart:
        doc.PageNumberStart = value;
        break;
    case ipropFacingp:
        doc.FacingPages = value != 0;
        break;
    case ipropLandscape:
        doc.Landscape = value != 0;
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ParseSpecialProperty(TRTFIPROP prop, int /*value*/)
{
    switch (prop) {
    case ipropPard:
        FState->ParaProps.Reset();
        // A paragraph begins: after a nested table's end, where no paragraph
        // mark is written, \cell ends it as an empty one when no text follows.
        FBreakPending = true;
        return rtf_ec_OK;
    case ipropPlain:
        FState->CharProps.Reset(FState->DefLanguage);
        return rtf_ec_OK;
    case ipropSectd:
        FState->SectionProps.Reset();
        return rtf_ec_OK;
    case ipropTRowD:
        FState->GetRowProps().Reset();
        return rtf_ec_OK;
    default:
        return rtf_ec_BadTable;
    }
}

// \uN: a negative N is the UTF-16 unit N + 65536.
TRVRTFErrorCode TRVRTFReader::ApplyUnicode(int value)
{
    const WideChar unit = static_cast<WideChar>(static_cast<unsigned>(value) & 0xFFFFu);
    const TRTFrds destination = FState->Destination;
    if ((destination == rdsNorm && OnNewUnicodeText) || destination == rdsListLevelText) {
        FCharsToSkip = FUnicodeFallback;
        return OutputWideChar(unit);
    }
    // Text read as bytes takes the fallback characters that follow; where
    // there are none (\uc0), or elsewhere, the character gives its own bytes.
    if (destination == rdsNorm && FUnicodeFallback > 0)
        return rtf_ec_OK;
    FCharsToSkip = FUnicodeFallback;
    return ParseUnicodeAsBytes(unit);
}

TRVRTFErrorCode TRVRTFReader::ParseUnicodeAsBytes(WideChar unit)
{
    // A character beyond U+FFFF comes as its two halves, converted together;
    // a half without the other gives nothing.
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        FHighSurrogate = unit;
        return rtf_ec_OK;
    }
    WideString text(1, unit);
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (FHighSurrogate == 0)
            return rtf_ec_OK;
        text.insert(text.begin(), FHighSurrogate);
    }
    FHighSurrogate = 0;
    return ParseWideCharAsBytes(text);
}

TRVRTFErrorCode TRVRTFReader::ParseWideCharAsBytes(const WideString& text)
{
    for (char c : RVRTFUnicodeToAnsi(text, DestinationCodePage())) {
        const TRVRTFErrorCode ec = ParseChar(static_cast<unsigned char>(c));
        if (ec != rtf_ec_OK)
            return ec;
    }
    return rtf_ec_OK;
}

unsigned TRVRTFReader::DestinationCodePage() const
{
    switch (FState->Destination) {
    case rdsNorm:
        return TextCodePage();
    case rdsPNTextBefore:
    case rdsPNTextAfter:
        // The numbering's own font, else the text's, whose font it takes.
        if (FMarkerProps && FMarkerProps->ExplicitProps.Has(rtfmp_FontIndex))
            return FontCodePage(FMarkerProps->FontIndex);
        return TextCodePage();
    default:
        return FCodePage;
    }
}
