// The RTF parser's property words inside the special destinations: style
// sheet entries, pictures, old-style numbering, the list table and the list overrides.
#include <climits>

#include "rtf/rvrtfreader.h"

namespace {

int PictureSide(int value)
{
    return RVRTFClamp(value, 0, rtfMaxPictureSide);
}

} // namespace

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
        target->FontSize = RVRTFFontSize(value);
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
        level->FontSize = RVRTFFontSize(value);
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
