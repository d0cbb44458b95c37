// The RTF writer's tables and formatting: colour and font tables, the header
// with the style sheet, the list and list-override tables, and the character
// and paragraph formatting of styles and plain fonts.
#include <algorithm>
#include <vector>

#include "document/crvdata.h"
#include "document/crvdata_rtfformat.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/colors.h"
#include "platform/core/sysutils.h"

namespace {

// The levels a list writes: one for a one-level list, else all nine, the
// levels past the last repeating it.
constexpr int RTFListLevels = 9;

int Twips(int pixels, const TRVRTFSaveTables& tables)
{
    return RV_PixelsToTwips(pixels, tables.TwipsPerPixel);
}

// The language of a character set, when it is neither the default set nor
// that of text style 0 (whose language the header gives); 0 for none.
unsigned ExtraLanguage(TRVStyle* rvStyle, int charset)
{
    if (charset == DEFAULT_CHARSET || charset == rvStyle->TextStyles()->Items(0)->Charset())
        return 0;
    return RVU_Charset2Language(charset);
}

void WriteFontStyles(AnsiString& s, TFontStyles style)
{
    if (style.Contains(fsBold))
        s += "\\b";
    if (style.Contains(fsItalic))
        s += "\\i";
    if (style.Contains(fsUnderline))
        s += "\\ul";
    if (style.Contains(fsStrikeOut))
        s += "\\strike";
}

// The border keywords of the left and top sides, and of the right and bottom ones.
void BorderKeywords(TRVBorderStyle style, AnsiString& leftTop, AnsiString& rightBottom)
{
    switch (style) {
    case rvbSingle:
        leftTop = rightBottom = "\\brdrs";
        break;
    case rvbDouble:
        leftTop = rightBottom = "\\brdrth";
        break;
    case rvbTriple:
        leftTop = rightBottom = "\\brdrtriple";
        break;
    case rvbThickInside:
        leftTop = "\\brdrthtnmg";
        rightBottom = "\\brdrtnthmg";
        break;
    case rvbThickOutside:
        leftTop = "\\brdrtnthmg";
        rightBottom = "\\brdrthtnmg";
        break;
    default:
        leftTop = rightBottom = AnsiString();
        break;
    }
}

AnsiString ParaBorder(const TParaInfo* para, const TRVRTFSaveTables& tables)
{
    const TRVBorder* border = para->Border();
    if (border->Style() == rvbNone || border->Color() == clNone)
        return AnsiString();
    AnsiString leftTop, rightBottom;
    BorderKeywords(border->Style(), leftTop, rightBottom);
    const bool thick = border->Style() == rvbThickInside || border->Style() == rvbThickOutside;
    const AnsiString common =
        Format("\\brdrcf%d\\brdrw%d", {RVRTFColorIndex(tables.ColorList, border->Color()),
                                       Twips(border->Width(), tables) * (thick ? 2 : 1)});
    leftTop += common;
    rightBottom += common;
    const TRVBooleanRect* visible = border->VisibleBorders();
    const TRVRect* offsets = border->BorderOffsets();
    AnsiString s = "\\brdrbtw";
    if (visible->Left())
        s += Format("\\brdrl\\brsp%d", {Twips(offsets->Left(), tables)}) + leftTop;
    if (visible->Top())
        s += Format("\\brdrt\\brsp%d", {Twips(offsets->Top(), tables)}) + leftTop;
    if (visible->Right())
        s += Format("\\brdrr\\brsp%d", {Twips(offsets->Right(), tables)}) + rightBottom;
    if (visible->Bottom())
        s += Format("\\brdrb\\brsp%d", {Twips(offsets->Bottom(), tables)}) + rightBottom;
    return s;
}

// The list number format of a level type.
int LevelNumberFormat(TRVListType type)
{
    switch (type) {
    case rvlstDecimal:
    case rvlstImageListCounter:
        return 0;
    case rvlstUpperRoman:
        return 1;
    case rvlstLowerRoman:
        return 2;
    case rvlstUpperAlpha:
        return 3;
    case rvlstLowerAlpha:
        return 4;
    default:
        return 23; // bullets, pictures, images: no number
    }
}

int LevelAlignment(TRVMarkerAlignment alignment)
{
    switch (alignment) {
    case rvmaCenter:
        return 1;
    case rvmaRight:
        return 2;
    default:
        return 0;
    }
}

// The indents of a list level: "\li..\fi..\jclisttab\tx..".
AnsiString LevelIndents(const TRVListLevel* level, const TRVRTFSaveTables& tables)
{
    return Format("\\li%d\\fi%d\\jclisttab\\tx%d",
                  {Twips(level->LeftIndent(), tables),
                   Twips(level->MarkerIndent() - level->LeftIndent(), tables),
                   Twips(level->FirstIndent() + level->LeftIndent(), tables)});
}

// "\'" and two upper-case hexadecimal digits.
AnsiString HexByte(int value)
{
    return "\\'" + IntToHex(std::clamp(value, 0, 255), 2);
}

// "{\leveltext...;}{\levelnumbers...;}" of a level.
void WriteLevelText(TStream& stream, TRVListLevel* level, TCustomRVData* rvData)
{
    AnsiString text, numbers;
    switch (level->ListType()) {
    case rvlstBullet: {
        const AnsiString bullet = level->FormatString().substr(0, 255);
        text = HexByte(static_cast<int>(bullet.size())) + RVMakeRTFStr(bullet, false);
        break;
    }
    case rvlstUnicodeBullet: {
        const WideString bullet = level->FormatStringW().substr(0, 255);
        RVWrite(&stream, "{\\leveltext" + HexByte(static_cast<int>(bullet.size())));
        TRVStyle* rvStyle = rvData->GetRVStyle();
        RVWriteUnicodeRTFStr(stream, RVU_GetRawUnicode(bullet), rvStyle->DefCodePage(),
                             rvData->GetRTFOptions().Contains(rvrtfDuplicateUnicode), false);
        RVWrite(&stream, ";}{\\levelnumbers;}");
        return;
    }
    case rvlstPicture:
    case rvlstImageList:
        text = "\\'00";
        break;
    default: {
        // The placeholders become the bytes 0 to 8, which the escaping turns
        // into "\'00" to "\'08"; their places are the level numbers.
        AnsiString args[RTFListLevels];
        for (int i = 0; i < RTFListLevels; ++i)
            args[i] = AnsiString(1, static_cast<char>(i));
        const AnsiString plain =
            RVFormatMarkerString(level->FormatString(), args, RTFListLevels).substr(0, 255);
        text = HexByte(static_cast<int>(plain.size())) + RVMakeRTFStr(plain, false);
        for (size_t i = 0; i < plain.size(); ++i)
            if (static_cast<unsigned char>(plain[i]) < RTFListLevels)
                numbers += HexByte(static_cast<int>(i) + 1);
        break;
    }
    }
    RVWrite(&stream, "{\\leveltext" + text + ";}{\\levelnumbers" + numbers + ";}");
}

void WriteListLevel(TStream& stream, TRVListLevel* level, TCustomRVData* rvData,
                    const TRVRTFSaveTables& tables)
{
    const int numberFormat = LevelNumberFormat(level->ListType());
    AnsiString s = Format("{\\listlevel\\levelnfc%d\\leveljc%d",
                          {numberFormat, LevelAlignment(level->MarkerAlignment())});
    s += LevelIndents(level, tables);
    if (numberFormat != 23)
        s += Format("\\levelstartat%d", {level->StartFrom()});
    if (level->Options().Contains(rvloLegalStyleNumbering))
        s += "\\levellegal1";
    if (!level->Options().Contains(rvloLevelReset))
        s += "\\levelnorestart1";
    RVWrite(&stream, s);
    WriteLevelText(stream, level, rvData);
    if (level->UsesFont())
        RVSaveFontToRTF(stream, level->Font(), tables.ColorList, tables.FontTable, rvData->GetRVStyle());
    RVWriteLn(&stream, "}");
}

} // namespace

// ---------------------------------------------------------------------------
// Tables

int RVRTFColorIndex(const TRVColorList* colorList, TColor color)
{
    return colorList != nullptr ? colorList->IndexOf(color) : -1;
}

void RVMakeRTFFontTable(TRVStyle* rvStyle, TRVRTFFontTable* fontTable, TRVIntegerList* styleToFont)
{
    TFontInfos* textStyles = rvStyle->TextStyles();
    for (int i = 0; i < textStyles->Count(); ++i)
        styleToFont->Add(
            fontTable->AddUnique(textStyles->Items(i)->FontName(), textStyles->Items(i)->Charset()));
    TRVListInfos* lists = rvStyle->ListStyles();
    for (int i = 0; i < lists->Count(); ++i) {
        TRVListLevelCollection* levels = lists->Items(i)->Levels();
        for (int j = 0; j < levels->Count(); ++j)
            if (levels->Items(j)->UsesFont())
                fontTable->AddUnique(levels->Items(j)->Font()->Name(), levels->Items(j)->Font()->Charset());
    }
}

void TCustomRVData::MakeRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList, bool init)
{
    if (init) {
        colorList->Clear();
        listOverrideCountList->Clear();
        static const TColor standard[] = {clWindowText, 0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                          0x0000FF,     0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                          0x800080,     0x000080, 0x008080, 0x808080, 0xC0C0C0};
        for (TColor color : standard)
            colorList->AddUnique(color);
        TRVStyle* rvStyle = GetRVStyle();
        TFontInfos* textStyles = rvStyle->TextStyles();
        for (int i = 0; i < textStyles->Count(); ++i) {
            const TFontInfo* style = textStyles->Items(i);
            colorList->AddUnique(style->Color());
            colorList->AddUnique(style->BackColor());
            colorList->AddUnique(style->HoverColor());
            colorList->AddUnique(style->HoverBackColor());
        }
        TParaInfos* paraStyles = rvStyle->ParaStyles();
        for (int i = 0; i < paraStyles->Count(); ++i) {
            const TParaInfo* para = paraStyles->Items(i);
            if (para->Border()->Style() != rvbNone)
                colorList->AddUnique(para->Border()->Color());
            colorList->AddUnique(para->Background()->Color());
        }
        TRVListInfos* lists = rvStyle->ListStyles();
        for (int i = 0; i < lists->Count(); ++i) {
            listOverrideCountList->Add(1);
            TRVListLevelCollection* levels = lists->Items(i)->Levels();
            for (int j = 0; j < levels->Count(); ++j)
                if (levels->Items(j)->UsesFont())
                    colorList->AddUnique(levels->Items(j)->Font()->Color());
        }
    }
    for (int i = 0; i < GetItemCount(); ++i)
        if (!IsTextItem(i))
            GetItem(i)->FillRTFTables(colorList, listOverrideCountList, this);
}

// ---------------------------------------------------------------------------
// Formatting

void RVWriteRTFTextStyle(TStream& stream, TCustomRVData* rvData, int styleNo, const TRVRTFSaveTables& tables,
                         bool inStyleSheet)
{
    TRVStyle* rvStyle = rvData->GetRVStyle();
    const TFontInfo* style = rvStyle->TextStyles()->Items(styleNo);
    const int fontNo =
        styleNo >= 0 && styleNo < tables.StyleToFont->Count() ? tables.StyleToFont->Get(styleNo) : 0;
    AnsiString s = Format("\\f%d", {fontNo});
    WriteFontStyles(s, style->Style());
    if (style->VShift() < 0)
        s += "\\sub";
    else if (style->VShift() > 0)
        s += "\\super";
    if (style->CharScale() != 100)
        s += Format("\\charscalex%d", {style->CharScale()});
    if (style->CharSpacing() != 0)
        s += Format("\\expndtw%d", {Twips(style->CharSpacing(), tables)});
    if (style->StyleEx().Contains(rvfsAllCaps))
        s += "\\caps";
    if (const unsigned language = ExtraLanguage(rvStyle, style->Charset()))
        s += Format("\\lang%d", {language});
    // A shifted style's size is written doubled; the library's reader halves it back.
    s += Format("\\fs%d", {style->Size() * (style->VShift() != 0 ? 4 : 2)});
    if (style->BackColor() != clNone)
        s += Format("\\chcbpat%d", {RVRTFColorIndex(tables.ColorList, style->BackColor())});
    if (style->Color() != clWindowText)
        s += Format("\\cf%d", {RVRTFColorIndex(tables.ColorList, style->Color())});
    s += rvData->GetExtraRTFCode(rv_rtfs_TextStyle, const_cast<TFontInfo*>(style), styleNo, -1, inStyleSheet);
    RVWrite(&stream, s + " ");
}

void RVWriteRTFParaStyle(TStream& stream, TCustomRVData* rvData, int paraNo,
                         const TCustomRVItemInfo* firstItem, int level, const TRVRTFSaveTables& tables,
                         bool inStyleSheet)
{
    TRVStyle* rvStyle = rvData->GetRVStyle();
    const TParaInfo* para = rvStyle->ParaStyles()->Items(paraNo);
    AnsiString s;
    if (para->LineSpacingType() == rvlsPercent && para->LineSpacing() > 100)
        s += Format("\\sl%d\\slmult1", {para->LineSpacing() * 240 / 100});
    const auto* marker = dynamic_cast<const TRVMarkerItemInfo*>(firstItem);
    const TRVListLevel* listLevel = marker != nullptr ? marker->GetLevelInfo(rvStyle) : nullptr;
    if (listLevel != nullptr)
        s += LevelIndents(listLevel, tables);
    else
        s += Format("\\fi%d\\li%d", {Twips(para->FirstIndent(), tables), Twips(para->LeftIndent(), tables)});
    static const char* const alignmentLetters[] = {"l", "r", "c", "j"};
    const int alignment = std::clamp(static_cast<int>(para->Alignment()), 0, 3);
    s += Format("\\q%s\\ri%d\\sb%d\\sa%d",
                {alignmentLetters[alignment], Twips(para->RightIndent(), tables),
                 Twips(para->SpaceBefore(), tables), Twips(para->SpaceAfter(), tables)});
    if (para->Background()->Color() != clNone)
        s += Format("\\cbpat%d", {RVRTFColorIndex(tables.ColorList, para->Background()->Color())});
    s += ParaBorder(para, tables);
    if (!inStyleSheet) {
        s += Format("\\itap%d", {level});
        if (level == 1)
            s += "\\intbl";
    }
    s += rvData->GetExtraRTFCode(rv_rtfs_ParaStyle, const_cast<TParaInfo*>(para), paraNo, -1, inStyleSheet);
    RVWrite(&stream, s + " ");
}

void RVSaveFontToRTF(TStream& stream, const TFont* font, TRVColorList* colorList, TRVRTFFontTable* fontTable,
                     TRVStyle* rvStyle)
{
    AnsiString s;
    const int fontNo = fontTable != nullptr ? fontTable->Find(font->Name(), font->Charset()) : -1;
    if (fontNo >= 0)
        s += Format("\\f%d", {fontNo});
    WriteFontStyles(s, font->Style());
    s += Format("\\fs%d", {font->Size() * 2});
    if (rvStyle != nullptr)
        if (const unsigned language = ExtraLanguage(rvStyle, font->Charset()))
            s += Format("\\lang%d", {language});
    if (font->Color() != clWindowText) {
        const int index = RVRTFColorIndex(colorList, font->Color());
        if (index >= 0)
            s += Format("\\cf%d", {index});
    }
    RVWrite(&stream, s);
}

// ---------------------------------------------------------------------------
// Header and list tables

void RVWriteRTFHeaderStart(TStream& stream, TCustomRVData* rvData, const TRVRTFSaveTables& tables)
{
    TRVStyle* rvStyle = rvData->GetRVStyle();
    // Style 0 is read even when the collection is empty (its substitute then).
    const unsigned language = RVU_Charset2Language(rvStyle->TextStyles()->Items(0)->Charset());
    RVWrite(&stream, Format("{\\rtf1\\ansi\\ansicpg%d\\uc1\\deff0\\deflang%d\\deflangfe%d",
                            {rvStyle->DefCodePage(), language, language}));
    RVWrite(&stream, rvData->GetExtraRTFCode(rv_rtfs_Doc, nullptr, -1, -1, false));

    AnsiString s = "{\\fonttbl";
    for (int i = 0; i < tables.FontTable->Count(); ++i) {
        const TRVRTFFontTableItem* font = tables.FontTable->Get(i);
        s += Format("{\\f%d\\fnil\\fcharset%d %s;}", {i, font->Charset, RVMakeRTFFontName(font->FontName)});
    }
    s += "}{\\colortbl;";
    // Entry 0, the automatic colour, stays empty.
    for (int i = 1; i < tables.ColorList->Count(); ++i) {
        const TColor color = ColorToRGB(tables.ColorList->Get(i));
        s += Format("\\red%d\\green%d\\blue%d;", {GetRValue(color), GetGValue(color), GetBValue(color)});
    }
    s += "}";
    RVWrite(&stream, s);

    if (!rvData->GetRTFOptions().Contains(rvrtfSaveStyleSheet))
        return;
    RVWrite(&stream, "{\\stylesheet");
    TParaInfos* paraStyles = rvStyle->ParaStyles();
    for (int i = 0; i < paraStyles->Count(); ++i) {
        RVWrite(&stream, Format("{\\s%d", {i}));
        RVWriteRTFParaStyle(stream, rvData, i, nullptr, 0, tables, true);
        RVWrite(&stream, RVMakeRTFStyleName(paraStyles->Items(i)->StyleName()) + ";}");
    }
    TFontInfos* textStyles = rvStyle->TextStyles();
    for (int j = 0; j < textStyles->Count(); ++j) {
        RVWrite(&stream, Format("{\\*\\cs%d", {paraStyles->Count() + j}));
        RVWriteRTFTextStyle(stream, rvData, j, tables, true);
        RVWrite(&stream, RVMakeRTFStyleName(textStyles->Items(j)->StyleName()) + ";}");
    }
    RVWrite(&stream, "}");
}

void TCustomRVData::SaveRTFListTable97(TStream& stream, TRVColorList* colorList,
                                       TRVIntegerList* listOverrideOffsetsList, TRVRTFFontTable* fontTable,
                                       double twipsPerPixel)
{
    TRVStyle* rvStyle = GetRVStyle();
    TRVListInfos* lists = rvStyle->ListStyles();
    TRVRTFSaveTables tables;
    tables.ColorList = colorList;
    tables.FontTable = fontTable;
    tables.TwipsPerPixel = twipsPerPixel;

    // Template ids never equal a list id, and list ids never equal a template id.
    std::vector<int> templateIds, listIds;
    const auto contains = [](const std::vector<int>& ids, int id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    RVWriteLn(&stream, "{\\*\\listtable");
    for (int i = 0; i < lists->Count(); ++i) {
        int templateId = RV_NextRTFListId();
        while (contains(listIds, templateId))
            templateId = RV_NextRTFListId();
        templateIds.push_back(templateId);
        int listId = RV_NextRTFListId();
        while (contains(templateIds, listId))
            listId = RV_NextRTFListId();
        listIds.push_back(listId);

        TRVListLevelCollection* levels = lists->Items(i)->Levels();
        const int levelCount = levels->Count();
        RVWrite(&stream, Format("{\\list\\listtemplateid%d", {templateId}));
        if (levelCount == 1)
            RVWrite(&stream, "\\listsimple1");
        RVWriteLn(&stream, "");
        const int written = levelCount == 1 ? 1 : levelCount > 1 ? RTFListLevels : 0;
        for (int j = 0; j < written; ++j)
            WriteListLevel(stream, levels->Items(std::min(j, levelCount - 1)), this, tables);
        RVWriteLn(&stream, Format("\\listid%d}", {listId}));
    }
    RVWriteLn(&stream, "}");

    RVWriteLn(&stream, "{\\*\\listoverridetable");
    // The \\ls numbers come from the counts: list i's entries are numbered from
    // 1 plus the counts of the lists before it, its restarting markers (in
    // document order, at most count - 1 of them) after its first entry.
    TRVMarkerList* markers = GetMarkers(false);
    int first = 1;
    for (int i = 0; i < lists->Count(); ++i) {
        const int count =
            i < listOverrideOffsetsList->Count() ? std::max(listOverrideOffsetsList->Get(i), 1) : 1;
        RVWriteLn(&stream,
                  Format("{\\listoverride\\listid%d\\listoverridecount0\\ls%d}", {listIds[i], first}));
        int written = 1;
        const int levelCount = lists->Items(i)->Levels()->Count();
        for (int m = 0; markers != nullptr && m < markers->Count() && written < count; ++m) {
            const TRVMarkerItemInfo* marker = markers->Marker(m);
            if (marker->ListNo != i || !marker->Reset || marker->Level < 0)
                continue;
            const TRVListLevel* level = marker->GetLevelInfo(rvStyle);
            if (level == nullptr || !level->HasNumbering() || level->ListType() == rvlstImageListCounter)
                continue;
            // The levels of a list in RTF are at most nine, and a marker of a
            // level past the list's last uses the last one.
            const int markerLevel = std::min({marker->Level, levelCount - 1, RTFListLevels - 1});
            AnsiString s =
                Format("{\\listoverride\\listid%d\\listoverridecount%d", {listIds[i], markerLevel + 1});
            for (int l = 0; l < markerLevel; ++l)
                s += "{\\lfolevel}";
            s += Format("{\\lfolevel\\listoverridestartat\\levelstartat%d}\\ls%d}",
                        {marker->StartFrom, first + written});
            RVWriteLn(&stream, s);
            ++written;
        }
        first += count;
    }
    RVWriteLn(&stream, "}");

    // From counts to the number of each list's first entry.
    first = 1;
    for (int i = 0; i < listOverrideOffsetsList->Count(); ++i) {
        const int count = std::max(listOverrideOffsetsList->Get(i), 1);
        listOverrideOffsetsList->Put(i, first);
        first += count;
    }
}
