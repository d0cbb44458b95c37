// The RTF parser's control words: translation through the table and the
// change each property code makes to the current state, the tables, the
// picture being read, numbering and lists, by destination. Values that later
// arithmetic multiplies are clamped here, where they are applied.
#include <climits>
#include <cstdlib>

#include "rtf/rvrtfreader.h"

namespace {

// \highlightN, as 0x00BBGGRR; index 0 and values out of range give no colour.
constexpr TColor HighlightColors[17] = {rtfNoColor, 0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                        0x0000FF,   0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                        0x800080,   0x000080, 0x008080, 0x808080, 0xC0C0C0};

int FontSizeOf(int halfPoints)
{
    return RVRTFClamp(RVRTFHalfRoundEven(halfPoints), 1, rtfMaxFontSize);
}

// A width in twips, or minus fiftieths of a percent when percent is set.
int WidthOf(int value, bool percent)
{
    return percent ? -RVRTFClamp(std::abs(RVRTFClamp(value, -10000, 10000)), 0, 10000)
                   : RVRTFClampLength(value);
}

int PictureSide(int value)
{
    return RVRTFClamp(value, 0, rtfMaxPictureSide);
}

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
        if (FState->Destination == rdsNorm && OnNewUnicodeText)
            return OutputWideChar(static_cast<WideChar>(row.DefParam));
        if (row.Index != 0)
            return ParseChar(row.Index);
        for (char c : UnicodeToAnsi(WideString(1, static_cast<WideChar>(row.DefParam)))) {
            const TRVRTFErrorCode ec = ParseChar(static_cast<unsigned char>(c));
            if (ec != rtf_ec_OK)
                return ec;
        }
        return rtf_ec_OK;
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
    TRVRTFReaderState& state = *FState;
    TRVRTFCharProperties& chars = state.CharProps;
    TRVRTFParaProperties& para = state.ParaProps;
    TRVRTFSectionProperties& section = state.SectionProps;
    TRVRTFDocProperties& doc = state.DocProps;
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
        chars.Size = FontSizeOf(value);
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
    case ipropPard:
    case ipropPlain:
    case ipropSectd:
    case ipropTRowD:
        return ParseSpecialProperty(prop, value);
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
    case ipropFontFamily:
        if (state.Destination == rdsFontTable && FFontTable.Last())
            FFontTable.Last()->Family = static_cast<TRVRTFFontFamily>(RVRTFClamp(value, 0, 7));
        break;
    case ipropFCharset:
        // Charset words before any \f have no font to address.
        if (state.Destination == rdsFontTable && FFontTable.Last())
            FFontTable.Last()->Charset = value >= 0 && value < 256 ? static_cast<uint8_t>(value) : 77;
        break;
    case ipropPNSecLvl:
        return ChangeDest(idestPNSecLvl, value);
    case ipropLONumber:
        para.ListOverrideIndex = FListOverrideTable.FindListOverride(value);
        break;
    case ipropLevel:
        para.ListLevel = RVRTFClamp(value, 0, 11);
        break;
    default:
        return ApplyTableProp(prop, value);
    }
    return rtf_ec_OK;
}

// Table words: the row record (made when missing) and its last cell.
TRVRTFErrorCode TRVRTFReader::ApplyTableProp(TRTFIPROP prop, int value)
{
    TRVRTFReaderState& state = *FState;
    TRVRTFParaProperties& para = state.ParaProps;
    TColor color = 0;
    switch (prop) {
    case ipropRowEnd:
        state.GetRowProps().Finalize();
        CheckTable(true);
        DoTable(rvf_tbl_RowEnd);
        return rtf_ec_OK;
    case ipropCellEnd: {
        CheckTable(true);
        const TRVRTFErrorCode ec = FlushOpeningTables();
        FPosition = rtf_ts_NewPara;
        DoTable(rvf_tbl_CellEnd);
        return ec;
    }
    case ipropInTbl:
        para.InTable = true;
        return rtf_ec_OK;
    case ipropItap:
        para.NestingLevel = RVRTFClamp(value, 0, rtfMaxTableNesting);
        if (value > 0)
            para.InTable = true;
        return rtf_ec_OK;
    case ipropNoTableEv:
        para.NoTableEvents = true;
        return rtf_ec_OK;
    default:
        break;
    }
    const bool rowWord = (prop >= ipropRowAlign && prop <= ipropTRftsWidth) || prop == ipropTRBorderSide ||
                         prop == ipropRVTableBestWidth;
    const bool cellWord = (prop >= ipropCLVMerge && prop <= ipropCellX) || prop == ipropCLBorderSide ||
                          prop == ipropRVCellBestWidth || prop == ipropRVCellBestHeight;
    if (!rowWord && !cellWord)
        return rtf_ec_OK;
    TRVRTFRowProperties& row = state.GetRowProps();
    const int side = prop >= ipropTRPaddL && prop <= ipropTRSpdFB ? (prop - ipropTRPaddL) % 4 : 0;
    // The words name the sides left, right, top, bottom; the records index them left, top, right, bottom.
    static constexpr int SideIndex[4] = {rtf_side_Left, rtf_side_Right, rtf_side_Top, rtf_side_Bottom};
    switch (prop) {
    case ipropRowAlign:
        row.Alignment = static_cast<TRVRTFAlignment>(RVRTFClamp(value, 0, 2));
        break;
    case ipropTRGapH:
        row.GapH = RVRTFClampLength(value);
        break;
    case ipropTRLeft:
        row.Left = RVRTFClampLength(value);
        break;
    case ipropTRRowHeight:
        row.Height = RVRTFClampLength(value);
        break;
    case ipropTRHeader:
        row.Heading = true;
        break;
    case ipropTRPaddL:
    case ipropTRPaddR:
    case ipropTRPaddT:
    case ipropTRPaddB:
        row.Padding[SideIndex[side]] = RVRTFClampLength(value);
        break;
    case ipropTRPaddFL:
    case ipropTRPaddFR:
    case ipropTRPaddFT:
    case ipropTRPaddFB:
        row.UsePadding[SideIndex[side]] = value == 3;
        break;
    case ipropTRSpdL:
    case ipropTRSpdR:
    case ipropTRSpdT:
    case ipropTRSpdB:
        row.Spacing[SideIndex[side]] = RVRTFClampLength(value);
        break;
    case ipropTRSpdFL:
    case ipropTRSpdFR:
    case ipropTRSpdFT:
    case ipropTRSpdFB:
        row.UseSpacing[SideIndex[side]] = value == 3;
        break;
    case ipropTRwWidth:
        row.BestWidth = WidthOf(value, row.PercentWidth);
        break;
    case ipropTRftsWidth:
        if (value == 2) {
            row.PercentWidth = true;
            row.BestWidth = WidthOf(row.BestWidth, true);
        } else if (value != 3) {
            row.BestWidth = 0;
        }
        break;
    case ipropTRBorderSide:
        state.CurrentBorderType = rtf_bt_Row;
        row.CurBorderSide = static_cast<TRVRTFSide>(RVRTFClamp(value, 0, 3));
        break;
    case ipropRVTableBestWidth:
        row.BestWidth = WidthOf(value, value < 0);
        row.HasPrivateWidths = true;
        break;
    case ipropCellX:
        if (TRVRTFCellProperties* cell = row.GetLastCellProp())
            cell->RightBoundary = RVRTFClampLength(value);
        if (row.AddCell())
            row.LastCellOpen = true;
        break;
    default: {
        // Words of the cell opened by the last \cellx.
        TRVRTFCellProperties* cell = row.GetLastCellProp();
        if (!cell)
            break;
        switch (prop) {
        case ipropCLVMerge:
            cell->VMerge = static_cast<TRVRTFCellMerge>(RVRTFClamp(value, 0, 2));
            break;
        case ipropCLHMerge:
            cell->HMerge = static_cast<TRVRTFCellMerge>(RVRTFClamp(value, 0, 2));
            break;
        case ipropCLwWidth:
            cell->BestWidth = WidthOf(value, cell->PercentWidth);
            break;
        case ipropCLftsWidth:
            if (value == 2) {
                cell->PercentWidth = true;
                cell->BestWidth = WidthOf(cell->BestWidth, true);
            } else if (value != 3) {
                cell->BestWidth = 0;
            }
            break;
        case ipropCLColor:
            if (ColorOf(value, color))
                cell->Color = color == rtfAutoColor ? rtfNoColor : color;
            break;
        case ipropCLFColor:
            if (ColorOf(value, color))
                cell->ForeColor = color;
            break;
        case ipropCLShading:
            cell->Shading = RVRTFClamp(value, 0, 10000);
            break;
        case ipropCLVertAl:
            cell->VAlign = static_cast<TRVRTFVAlign>(RVRTFClamp(value, 0, 2));
            break;
        case ipropCLBorderSide:
            state.CurrentBorderType = rtf_bt_Cell;
            cell->CurBorderSide = static_cast<TRVRTFSide>(RVRTFClamp(value, 0, 3));
            break;
        case ipropRVCellBestWidth:
            cell->BestWidth = WidthOf(value, value < 0);
            row.HasPrivateWidths = true;
            break;
        case ipropRVCellBestHeight:
            cell->BestHeight = RVRTFClampLength(value);
            row.HasPrivateWidths = true;
            break;
        default:
            break;
        }
    }
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ParseSpecialProperty(TRTFIPROP prop, int /*value*/)
{
    switch (prop) {
    case ipropPard:
        FState->ParaProps.Reset();
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
    if (destination == rdsNorm) {
        if (!OnNewUnicodeText)
            return rtf_ec_OK; // the fallback characters are read as text
        FCharsToSkip = FUnicodeFallback;
        return OutputWideChar(unit);
    }
    if (destination == rdsListLevelText) {
        FCharsToSkip = FUnicodeFallback;
        return OutputWideChar(unit);
    }
    if (FUnicodeFallback <= 0)
        return rtf_ec_OK;
    FCharsToSkip = FUnicodeFallback;
    for (char c : UnicodeToAnsi(WideString(1, unit))) {
        const TRVRTFErrorCode ec = ParseChar(static_cast<unsigned char>(c));
        if (ec != rtf_ec_OK)
            return ec;
    }
    return rtf_ec_OK;
}

// ---- Property variants of the special destinations

TRVRTFErrorCode TRVRTFReader::ApplyPropChange_SSEntry(TRTFIPROP prop, int value)
{
    TRVRTFStyleSheetEntry* entry = FStyleSheet.Last();
    if (!entry)
        return rtf_ec_OK;
    switch (prop) {
    case ipropS:
        return ChangeDest(idestStyleSheetParaStyle, value);
    case ipropCS:
        return ChangeDest(idestStyleSheetCharStyle, value);
    case ipropDS:
        return ChangeDest(idestStyleSheetSectStyle, value);
    case ipropSBasedOn:
        entry->BasedOn = FStyleSheet.GetEntry(value);
        break;
    case irpropSNext:
        entry->Next = FStyleSheet.GetEntry(value);
        break;
    case ipropAdditive:
        entry->Additive = value != 0;
        break;
    case ipropSHidden:
        entry->Hidden = value != 0;
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyPropChange_Picture(TRTFIPROP prop, int value)
{
    if (!FPicture)
        return rtf_ec_OK;
    TRVRTFPicture& picture = *FPicture;
    switch (prop) {
    case ipropPicW:
        picture.PicW = PictureSide(value);
        break;
    case ipropPicH:
        picture.PicH = PictureSide(value);
        break;
    case ipropPicScaleX:
        picture.PicScaleX = RVRTFClamp(value, 1, rtfMaxScale);
        break;
    case ipropPicScaleY:
        picture.PicScaleY = RVRTFClamp(value, 1, rtfMaxScale);
        break;
    // Goals are twips: at most the largest picture side at 96 pixels per inch.
    case ipropPicWGoal:
        picture.PicWGoal = RVRTFClamp(value, 0, rtfMaxPictureSide * 15);
        break;
    case ipropPicHGoal:
        picture.PicHGoal = RVRTFClamp(value, 0, rtfMaxPictureSide * 15);
        break;
    case ipropWBMWidthBytes:
        picture.WBMWidthBytes = RVRTFClamp(value, 0, INT_MAX / 4);
        break;
    case ipropWBMBitsPixel:
        picture.WBMBitsPixel = value;
        break;
    case ipropWBMPlanes:
        picture.WBMPlanes = value;
        break;
    case ipropPictureType:
        picture.PicType = static_cast<TRVRTFPictureType>(RVRTFClamp(value, 0, rtf_pict_DDB));
        break;
    case ipropMetafile:
        picture.PicType = rtf_pict_WMF;
        picture.MetafileMapMode = value >= 2 && value <= 8 ? value : 1;
        break;
    case ipropPicBmp:
        picture.PicBmp = value != 0;
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyPropChange_PN(TRTFIPROP prop, int value)
{
    TRVRTFMarkerProperties* target = nullptr;
    TRVRTFSectionProperties& section = FState->SectionProps;
    if (FState->Destination == rdsPN)
        target = FMarkerProps.get();
    else if (FPNSecLevel >= 1 && FPNSecLevel <= 11)
        target = &section.GetListDefault(FPNSecLevel);
    if (!target)
        return rtf_ec_OK;
    TColor color = 0;
    switch (prop) {
    case ipropPNLevel:
        // Levels 1 to 11 only (10 the body level, 11 the bullet level).
        if (value < 1 || value > 11)
            break;
        if (section.HasListDefaults())
            target->Assign((*section.ListDefaults())[value - 1], true);
        target->Level = value;
        break;
    case ipropPNHanging:
        target->Hanging = true;
        break;
    case ipropPNType:
        target->ListType = static_cast<TRVRTFParaListType>(RVRTFClamp(value, 0, 6));
        break;
    case ipropPNBold:
        target->ChangeFontStyle(fsBold, value != 0);
        break;
    case ipropPNItalic:
        target->ChangeFontStyle(fsItalic, value != 0);
        break;
    case ipropPNUnderline:
        target->ChangeFontStyle(fsUnderline, value != 0);
        break;
    case ipropPNStrike:
        target->ChangeFontStyle(fsStrikeOut, value != 0);
        break;
    case ipropPNColor:
        if (ColorOf(value, color)) {
            target->Color = color;
            target->ExplicitProps.Set(rtfmp_Color, true);
        }
        break;
    case ipropPNF:
        target->FontIndex = FontIndexOf(value);
        target->ExplicitProps.Set(rtfmp_FontIndex, true);
        break;
    case ipropPNFontSize:
        target->FontSize = FontSizeOf(value);
        target->ExplicitProps.Set(rtfmp_Size, true);
        break;
    case ipropPNIndent:
        target->Indent = RVRTFClampLength(value);
        break;
    case ipropPNSp:
        target->Space = RVRTFClampLength(value);
        break;
    case ipropPNAlign:
        target->Alignment = static_cast<TRVRTFAlignment>(RVRTFClamp(value, 0, 2));
        break;
    case ipropPNStart:
        target->Start = value;
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyPropChange_List(TRTFIPROP prop, int value)
{
    TRVRTFList97* list = FListTable.GetLastList();
    if (!list)
        return rtf_ec_OK;
    if (prop == ipropListId)
        list->ListId = value;
    else if (prop == ipropListTemplateId)
        list->TemplateId = value;
    else if (prop == ipropListSimple)
        list->Simple = value != 0;
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyPropChange_ListLevel(TRTFIPROP prop, int value)
{
    TRVRTFList97* list = FListTable.GetLastList();
    TRVRTFListLevel97* level = list ? list->GetLastLevel() : nullptr;
    if (!level)
        return rtf_ec_OK;
    TColor color = 0;
    switch (prop) {
    case ipropLevelNumberType:
        switch (value) {
        case 1:
            level->ListType = rtf_pn_UpperRoman;
            break;
        case 2:
            level->ListType = rtf_pn_LowerRoman;
            break;
        case 3:
            level->ListType = rtf_pn_UpperLetter;
            break;
        case 4:
            level->ListType = rtf_pn_LowerLetter;
            break;
        case 23:
            level->ListType = rtf_pn_Bullet;
            break;
        default:
            level->ListType = rtf_pn_Decimal;
            break;
        }
        break;
    case ipropLevelJustify:
        if (value == 0)
            level->Alignment = rtf_al_Left;
        else if (value == 1)
            level->Alignment = rtf_al_Center;
        else if (value == 2)
            level->Alignment = rtf_al_Right;
        break;
    case ipropLevelOld:
        level->Old = value != 0;
        break;
    case ipropLevelLegal:
        level->Legal = value != 0;
        break;
    case ipropLevelNoRestart:
        level->NoRestart = value != 0;
        break;
    case ipropLevelIndent:
        level->Indent = RVRTFClampLength(value);
        break;
    case ipropLevelSpace:
        level->Space = RVRTFClampLength(value);
        break;
    case ipropLevelStartAt:
        level->Start = value;
        break;
    case ipropLevelFollow:
        level->Follow = static_cast<TRVRTFLevelFollow97>(RVRTFClamp(value, 0, 2));
        break;
    case ipropLeftInd:
        level->LeftIndent = RVRTFClampLength(value);
        break;
    case ipropFirstInd:
        level->FirstIndent = RVRTFClampLength(value);
        break;
    case ipropTX:
        level->TabPos = RVRTFClampLength(value);
        break;
    case ipropBold:
        level->ChangeFontStyle(fsBold, value != 0);
        break;
    case ipropItalic:
        level->ChangeFontStyle(fsItalic, value != 0);
        break;
    case ipropUnderline:
        level->ChangeFontStyle(fsUnderline, value != 0);
        break;
    case ipropStrike:
        level->ChangeFontStyle(fsStrikeOut, value != 0);
        break;
    case ipropFontSize:
        level->FontSize = FontSizeOf(value);
        break;
    case ipropTextColor:
        if (ColorOf(value, color))
            level->Color = color;
        break;
    case ipropF:
        level->FontIndex = FontIndexOf(value);
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyPropChange_LO(TRTFIPROP prop, int value)
{
    TRVRTFListOverride97* override = FListOverrideTable.GetLastListOverride();
    if (!override)
        return rtf_ec_OK;
    if (prop == ipropListId)
        override->ListIndex = FListTable.FindList(value);
    else if (prop == ipropLOCount)
        override->Count = value;
    else if (prop == ipropLONumber)
        override->Number = value;
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ApplyPropChange_LOLevel(TRTFIPROP prop, int value)
{
    TRVRTFListOverride97* override = FListOverrideTable.GetLastListOverride();
    TRVRTFListOverrideLevel97* level = override ? override->GetLastLevel() : nullptr;
    if (!level)
        return rtf_ec_OK;
    if (prop == ipropLevelStartAt)
        level->Start = value;
    else if (prop == ipropLOStart)
        level->UseStart = true;
    return rtf_ec_OK;
}
