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

int Twips(int Pixels, const TRVRTFSaveTables& Tables)
{
    return RV_PixelsToTwips(Pixels, Tables.TwipsPerPixel);
}

// The language of a character set, when it is neither the default set nor
// that of text style 0 (whose language the header gives); 0 for none.
unsigned ExtraLanguage(TRVStyle* RVStyle, int Charset)
{
    if (Charset == DEFAULT_CHARSET || Charset == RVStyle->TextStyles()->Items(0)->Charset())
        return 0;
    return RVU_Charset2Language(Charset);
}

void WriteFontStyles(AnsiString& s, TFontStyles Style)
{
    if (Style.Contains(fsBold))
        s += "\\b";
    if (Style.Contains(fsItalic))
        s += "\\i";
    if (Style.Contains(fsUnderline))
        s += "\\ul";
    if (Style.Contains(fsStrikeOut))
        s += "\\strike";
}

// The border keywords of the left and top sides, and of the right and bottom ones.
void BorderKeywords(TRVBorderStyle Style, AnsiString& LeftTop, AnsiString& RightBottom)
{
    switch (Style) {
    case rvbSingle:
        LeftTop = RightBottom = "\\brdrs";
        break;
    case rvbDouble:
        LeftTop = RightBottom = "\\brdrth";
        break;
    case rvbTriple:
        LeftTop = RightBottom = "\\brdrtriple";
        break;
    case rvbThickInside:
        LeftTop = "\\brdrthtnmg";
        RightBottom = "\\brdrtnthmg";
        break;
    case rvbThickOutside:
        LeftTop = "\\brdrtnthmg";
        RightBottom = "\\brdrthtnmg";
        break;
    default:
        LeftTop = RightBottom = AnsiString();
        break;
    }
}

AnsiString ParaBorder(const TParaInfo* Para, const TRVRTFSaveTables& Tables)
{
    const TRVBorder* Border = Para->Border();
    if (Border->Style() == rvbNone || Border->Color() == clNone)
        return AnsiString();
    AnsiString LeftTop, RightBottom;
    BorderKeywords(Border->Style(), LeftTop, RightBottom);
    const bool Thick = Border->Style() == rvbThickInside || Border->Style() == rvbThickOutside;
    const AnsiString Common =
        Format("\\brdrcf%d\\brdrw%d", {RVRTFColorIndex(Tables.ColorList, Border->Color()),
                                       Twips(Border->Width(), Tables) * (Thick ? 2 : 1)});
    LeftTop += Common;
    RightBottom += Common;
    const TRVBooleanRect* Visible = Border->VisibleBorders();
    const TRVRect* Offsets = Border->BorderOffsets();
    AnsiString s = "\\brdrbtw";
    if (Visible->Left())
        s += Format("\\brdrl\\brsp%d", {Twips(Offsets->Left(), Tables)}) + LeftTop;
    if (Visible->Top())
        s += Format("\\brdrt\\brsp%d", {Twips(Offsets->Top(), Tables)}) + LeftTop;
    if (Visible->Right())
        s += Format("\\brdrr\\brsp%d", {Twips(Offsets->Right(), Tables)}) + RightBottom;
    if (Visible->Bottom())
        s += Format("\\brdrb\\brsp%d", {Twips(Offsets->Bottom(), Tables)}) + RightBottom;
    return s;
}

// The list number format of a level type.
int LevelNumberFormat(TRVListType Type)
{
    switch (Type) {
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

int LevelAlignment(TRVMarkerAlignment Alignment)
{
    switch (Alignment) {
    case rvmaCenter:
        return 1;
    case rvmaRight:
        return 2;
    default:
        return 0;
    }
}

// The indents of a list level: "\li..\fi..\jclisttab\tx..".
AnsiString LevelIndents(const TRVListLevel* Level, const TRVRTFSaveTables& Tables)
{
    return Format("\\li%d\\fi%d\\jclisttab\\tx%d",
                  {Twips(Level->LeftIndent(), Tables),
                   Twips(Level->MarkerIndent() - Level->LeftIndent(), Tables),
                   Twips(Level->FirstIndent() + Level->LeftIndent(), Tables)});
}

// "\'" and two upper-case hexadecimal digits.
AnsiString HexByte(int Value)
{
    return "\\'" + IntToHex(std::clamp(Value, 0, 255), 2);
}

// "{\leveltext...;}{\levelnumbers...;}" of a level.
void WriteLevelText(TStream& Stream, TRVListLevel* Level, TCustomRVData* RVData)
{
    AnsiString Text, Numbers;
    switch (Level->ListType()) {
    case rvlstBullet: {
        const AnsiString Bullet = Level->FormatString().substr(0, 255);
        Text = HexByte(static_cast<int>(Bullet.size())) + RVMakeRTFStr(Bullet, false);
        break;
    }
    case rvlstUnicodeBullet: {
        const WideString Bullet = Level->FormatStringW().substr(0, 255);
        RVWrite(&Stream, "{\\leveltext" + HexByte(static_cast<int>(Bullet.size())));
        TRVStyle* RVStyle = RVData->GetRVStyle();
        RVWriteUnicodeRTFStr(Stream, RVU_GetRawUnicode(Bullet), RVStyle->DefCodePage(),
                             RVData->GetRTFOptions().Contains(rvrtfDuplicateUnicode), false);
        RVWrite(&Stream, ";}{\\levelnumbers;}");
        return;
    }
    case rvlstPicture:
    case rvlstImageList:
        Text = "\\'00";
        break;
    default: {
        // The placeholders become the bytes 0 to 8, which the escaping turns
        // into "\'00" to "\'08"; their places are the level numbers.
        AnsiString Args[RTFListLevels];
        for (int i = 0; i < RTFListLevels; ++i)
            Args[i] = AnsiString(1, static_cast<char>(i));
        const AnsiString Plain =
            RVFormatMarkerString(Level->FormatString(), Args, RTFListLevels).substr(0, 255);
        Text = HexByte(static_cast<int>(Plain.size())) + RVMakeRTFStr(Plain, false);
        for (size_t i = 0; i < Plain.size(); ++i)
            if (static_cast<unsigned char>(Plain[i]) < RTFListLevels)
                Numbers += HexByte(static_cast<int>(i) + 1);
        break;
    }
    }
    RVWrite(&Stream, "{\\leveltext" + Text + ";}{\\levelnumbers" + Numbers + ";}");
}

void WriteListLevel(TStream& Stream, TRVListLevel* Level, TCustomRVData* RVData,
                    const TRVRTFSaveTables& Tables)
{
    const int NumberFormat = LevelNumberFormat(Level->ListType());
    AnsiString s = Format("{\\listlevel\\levelnfc%d\\leveljc%d",
                          {NumberFormat, LevelAlignment(Level->MarkerAlignment())});
    s += LevelIndents(Level, Tables);
    if (NumberFormat != 23)
        s += Format("\\levelstartat%d", {Level->StartFrom()});
    if (Level->Options().Contains(rvloLegalStyleNumbering))
        s += "\\levellegal1";
    if (!Level->Options().Contains(rvloLevelReset))
        s += "\\levelnorestart1";
    RVWrite(&Stream, s);
    WriteLevelText(Stream, Level, RVData);
    if (Level->UsesFont())
        RVSaveFontToRTF(Stream, Level->Font(), Tables.ColorList, Tables.FontTable, RVData->GetRVStyle());
    RVWriteLn(&Stream, "}");
}

} // namespace

// ---------------------------------------------------------------------------
// Tables

int RVRTFColorIndex(const TRVColorList* ColorList, TColor Color)
{
    return ColorList != nullptr ? ColorList->IndexOf(Color) : -1;
}

void RVMakeRTFFontTable(TRVStyle* RVStyle, TRVRTFFontTable* FontTable, TRVIntegerList* StyleToFont)
{
    TFontInfos* TextStyles = RVStyle->TextStyles();
    for (int i = 0; i < TextStyles->Count(); ++i)
        StyleToFont->Add(
            FontTable->AddUnique(TextStyles->Items(i)->FontName(), TextStyles->Items(i)->Charset()));
    TRVListInfos* Lists = RVStyle->ListStyles();
    for (int i = 0; i < Lists->Count(); ++i) {
        TRVListLevelCollection* Levels = Lists->Items(i)->Levels();
        for (int j = 0; j < Levels->Count(); ++j)
            if (Levels->Items(j)->UsesFont())
                FontTable->AddUnique(Levels->Items(j)->Font()->Name(), Levels->Items(j)->Font()->Charset());
    }
}

void TCustomRVData::MakeRTFTables(TRVColorList* ColorList, TRVIntegerList* ListOverrideCountList, bool Init)
{
    if (Init) {
        ColorList->Clear();
        ListOverrideCountList->Clear();
        static const TColor Standard[] = {clWindowText, 0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                          0x0000FF,     0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                          0x800080,     0x000080, 0x008080, 0x808080, 0xC0C0C0};
        for (TColor Color : Standard)
            ColorList->AddUnique(Color);
        TRVStyle* RVStyle = GetRVStyle();
        TFontInfos* TextStyles = RVStyle->TextStyles();
        for (int i = 0; i < TextStyles->Count(); ++i) {
            const TFontInfo* Style = TextStyles->Items(i);
            ColorList->AddUnique(Style->Color());
            ColorList->AddUnique(Style->BackColor());
            ColorList->AddUnique(Style->HoverColor());
            ColorList->AddUnique(Style->HoverBackColor());
        }
        TParaInfos* ParaStyles = RVStyle->ParaStyles();
        for (int i = 0; i < ParaStyles->Count(); ++i) {
            const TParaInfo* Para = ParaStyles->Items(i);
            if (Para->Border()->Style() != rvbNone)
                ColorList->AddUnique(Para->Border()->Color());
            ColorList->AddUnique(Para->Background()->Color());
        }
        TRVListInfos* Lists = RVStyle->ListStyles();
        for (int i = 0; i < Lists->Count(); ++i) {
            ListOverrideCountList->Add(1);
            TRVListLevelCollection* Levels = Lists->Items(i)->Levels();
            for (int j = 0; j < Levels->Count(); ++j)
                if (Levels->Items(j)->UsesFont())
                    ColorList->AddUnique(Levels->Items(j)->Font()->Color());
        }
    }
    for (int i = 0; i < GetItemCount(); ++i)
        if (GetItemStyle(i) < 0)
            GetItem(i)->FillRTFTables(ColorList, ListOverrideCountList, this);
}

// ---------------------------------------------------------------------------
// Formatting

void RVWriteRTFTextStyle(TStream& Stream, TCustomRVData* RVData, int StyleNo, const TRVRTFSaveTables& Tables,
                         bool InStyleSheet)
{
    TRVStyle* RVStyle = RVData->GetRVStyle();
    const TFontInfo* Style = RVStyle->TextStyles()->Items(StyleNo);
    const int FontNo =
        StyleNo >= 0 && StyleNo < Tables.StyleToFont->Count() ? Tables.StyleToFont->Get(StyleNo) : 0;
    AnsiString s = Format("\\f%d", {FontNo});
    WriteFontStyles(s, Style->Style());
    if (Style->VShift() < 0)
        s += "\\sub";
    else if (Style->VShift() > 0)
        s += "\\super";
    if (Style->CharScale() != 100)
        s += Format("\\charscalex%d", {Style->CharScale()});
    if (Style->CharSpacing() != 0)
        s += Format("\\expndtw%d", {Twips(Style->CharSpacing(), Tables)});
    if (Style->StyleEx().Contains(rvfsAllCaps))
        s += "\\caps";
    if (const unsigned Language = ExtraLanguage(RVStyle, Style->Charset()))
        s += Format("\\lang%d", {Language});
    // A shifted style's size is written doubled; the library's reader halves it back.
    s += Format("\\fs%d", {Style->Size() * (Style->VShift() != 0 ? 4 : 2)});
    if (Style->BackColor() != clNone)
        s += Format("\\chcbpat%d", {RVRTFColorIndex(Tables.ColorList, Style->BackColor())});
    if (Style->Color() != clWindowText)
        s += Format("\\cf%d", {RVRTFColorIndex(Tables.ColorList, Style->Color())});
    s += RVData->GetExtraRTFCode(rv_rtfs_TextStyle, const_cast<TFontInfo*>(Style), StyleNo, -1, InStyleSheet);
    RVWrite(&Stream, s + " ");
}

void RVWriteRTFParaStyle(TStream& Stream, TCustomRVData* RVData, int ParaNo,
                         const TCustomRVItemInfo* FirstItem, int Level, const TRVRTFSaveTables& Tables,
                         bool InStyleSheet)
{
    TRVStyle* RVStyle = RVData->GetRVStyle();
    const TParaInfo* Para = RVStyle->ParaStyles()->Items(ParaNo);
    AnsiString s;
    if (Para->LineSpacingType() == rvlsPercent && Para->LineSpacing() > 100)
        s += Format("\\sl%d\\slmult1", {Para->LineSpacing() * 240 / 100});
    const auto* Marker = dynamic_cast<const TRVMarkerItemInfo*>(FirstItem);
    const TRVListLevel* ListLevel = Marker != nullptr ? Marker->GetLevelInfo(RVStyle) : nullptr;
    if (ListLevel != nullptr)
        s += LevelIndents(ListLevel, Tables);
    else
        s += Format("\\fi%d\\li%d", {Twips(Para->FirstIndent(), Tables), Twips(Para->LeftIndent(), Tables)});
    static const char* const AlignmentLetters[] = {"l", "r", "c", "j"};
    const int Alignment = std::clamp(static_cast<int>(Para->Alignment()), 0, 3);
    s += Format("\\q%s\\ri%d\\sb%d\\sa%d",
                {AlignmentLetters[Alignment], Twips(Para->RightIndent(), Tables),
                 Twips(Para->SpaceBefore(), Tables), Twips(Para->SpaceAfter(), Tables)});
    if (Para->Background()->Color() != clNone)
        s += Format("\\cbpat%d", {RVRTFColorIndex(Tables.ColorList, Para->Background()->Color())});
    s += ParaBorder(Para, Tables);
    if (!InStyleSheet) {
        s += Format("\\itap%d", {Level});
        if (Level == 1)
            s += "\\intbl";
    }
    s += RVData->GetExtraRTFCode(rv_rtfs_ParaStyle, const_cast<TParaInfo*>(Para), ParaNo, -1, InStyleSheet);
    RVWrite(&Stream, s + " ");
}

void RVSaveFontToRTF(TStream& Stream, const TFont* Font, TRVColorList* ColorList, TRVRTFFontTable* FontTable,
                     TRVStyle* RVStyle)
{
    AnsiString s;
    const int FontNo = FontTable != nullptr ? FontTable->Find(Font->Name(), Font->Charset()) : -1;
    if (FontNo >= 0)
        s += Format("\\f%d", {FontNo});
    WriteFontStyles(s, Font->Style());
    s += Format("\\fs%d", {Font->Size() * 2});
    if (RVStyle != nullptr)
        if (const unsigned Language = ExtraLanguage(RVStyle, Font->Charset()))
            s += Format("\\lang%d", {Language});
    if (Font->Color() != clWindowText) {
        const int Index = RVRTFColorIndex(ColorList, Font->Color());
        if (Index >= 0)
            s += Format("\\cf%d", {Index});
    }
    RVWrite(&Stream, s);
}

// ---------------------------------------------------------------------------
// Header and list tables

void RVWriteRTFHeaderStart(TStream& Stream, TCustomRVData* RVData, const TRVRTFSaveTables& Tables)
{
    TRVStyle* RVStyle = RVData->GetRVStyle();
    // Style 0 is read even when the collection is empty (its substitute then).
    const unsigned Language = RVU_Charset2Language(RVStyle->TextStyles()->Items(0)->Charset());
    RVWrite(&Stream, Format("{\\rtf1\\ansi\\ansicpg%d\\uc1\\deff0\\deflang%d\\deflangfe%d",
                            {RVStyle->DefCodePage(), Language, Language}));
    RVWrite(&Stream, RVData->GetExtraRTFCode(rv_rtfs_Doc, nullptr, -1, -1, false));

    AnsiString s = "{\\fonttbl";
    for (int i = 0; i < Tables.FontTable->Count(); ++i) {
        const TRVRTFFontTableItem* Font = Tables.FontTable->Get(i);
        s += Format("{\\f%d\\fnil\\fcharset%d %s;}", {i, Font->Charset, RVMakeRTFFontName(Font->FontName)});
    }
    s += "}{\\colortbl;";
    // Entry 0, the automatic colour, stays empty.
    for (int i = 1; i < Tables.ColorList->Count(); ++i) {
        const TColor Color = ColorToRGB(Tables.ColorList->Get(i));
        s += Format("\\red%d\\green%d\\blue%d;", {GetRValue(Color), GetGValue(Color), GetBValue(Color)});
    }
    s += "}";
    RVWrite(&Stream, s);

    if (!RVData->GetRTFOptions().Contains(rvrtfSaveStyleSheet))
        return;
    RVWrite(&Stream, "{\\stylesheet");
    TParaInfos* ParaStyles = RVStyle->ParaStyles();
    for (int i = 0; i < ParaStyles->Count(); ++i) {
        RVWrite(&Stream, Format("{\\s%d", {i}));
        RVWriteRTFParaStyle(Stream, RVData, i, nullptr, 0, Tables, true);
        RVWrite(&Stream, RVMakeRTFStyleName(ParaStyles->Items(i)->StyleName()) + ";}");
    }
    TFontInfos* TextStyles = RVStyle->TextStyles();
    for (int j = 0; j < TextStyles->Count(); ++j) {
        RVWrite(&Stream, Format("{\\*\\cs%d", {ParaStyles->Count() + j}));
        RVWriteRTFTextStyle(Stream, RVData, j, Tables, true);
        RVWrite(&Stream, RVMakeRTFStyleName(TextStyles->Items(j)->StyleName()) + ";}");
    }
    RVWrite(&Stream, "}");
}

void TCustomRVData::SaveRTFListTable97(TStream& Stream, TRVColorList* ColorList,
                                       TRVIntegerList* ListOverrideOffsetsList, TRVRTFFontTable* FontTable,
                                       double TwipsPerPixel)
{
    TRVStyle* RVStyle = GetRVStyle();
    TRVListInfos* Lists = RVStyle->ListStyles();
    TRVRTFSaveTables Tables;
    Tables.ColorList = ColorList;
    Tables.FontTable = FontTable;
    Tables.TwipsPerPixel = TwipsPerPixel;

    // Template ids never equal a list id, and list ids never equal a template id.
    std::vector<int> TemplateIds, ListIds;
    const auto Contains = [](const std::vector<int>& Ids, int Id) {
        return std::find(Ids.begin(), Ids.end(), Id) != Ids.end();
    };
    RVWriteLn(&Stream, "{\\*\\listtable");
    for (int i = 0; i < Lists->Count(); ++i) {
        int TemplateId = RV_NextRTFListId();
        while (Contains(ListIds, TemplateId))
            TemplateId = RV_NextRTFListId();
        TemplateIds.push_back(TemplateId);
        int ListId = RV_NextRTFListId();
        while (Contains(TemplateIds, ListId))
            ListId = RV_NextRTFListId();
        ListIds.push_back(ListId);

        TRVListLevelCollection* Levels = Lists->Items(i)->Levels();
        const int LevelCount = Levels->Count();
        RVWrite(&Stream, Format("{\\list\\listtemplateid%d", {TemplateId}));
        if (LevelCount == 1)
            RVWrite(&Stream, "\\listsimple1");
        RVWriteLn(&Stream, "");
        const int Written = LevelCount == 1 ? 1 : LevelCount > 1 ? RTFListLevels : 0;
        for (int j = 0; j < Written; ++j)
            WriteListLevel(Stream, Levels->Items(std::min(j, LevelCount - 1)), this, Tables);
        RVWriteLn(&Stream, Format("\\listid%d}", {ListId}));
    }
    RVWriteLn(&Stream, "}");

    RVWriteLn(&Stream, "{\\*\\listoverridetable");
    // The \\ls numbers come from the counts: list i's entries are numbered from
    // 1 plus the counts of the lists before it, its restarting markers (in
    // document order, at most count - 1 of them) after its first entry.
    TRVMarkerList* Markers = GetMarkers(false);
    int First = 1;
    for (int i = 0; i < Lists->Count(); ++i) {
        const int Count =
            i < ListOverrideOffsetsList->Count() ? std::max(ListOverrideOffsetsList->Get(i), 1) : 1;
        RVWriteLn(&Stream,
                  Format("{\\listoverride\\listid%d\\listoverridecount0\\ls%d}", {ListIds[i], First}));
        int Written = 1;
        const int LevelCount = Lists->Items(i)->Levels()->Count();
        for (int m = 0; Markers != nullptr && m < Markers->Count() && Written < Count; ++m) {
            const TRVMarkerItemInfo* Marker = Markers->Marker(m);
            if (Marker->ListNo != i || !Marker->Reset || Marker->Level < 0)
                continue;
            const TRVListLevel* Level = Marker->GetLevelInfo(RVStyle);
            if (Level == nullptr || !Level->HasNumbering() || Level->ListType() == rvlstImageListCounter)
                continue;
            // The levels of a list in RTF are at most nine, and a marker of a
            // level past the list's last uses the last one.
            const int MarkerLevel = std::min({Marker->Level, LevelCount - 1, RTFListLevels - 1});
            AnsiString s =
                Format("{\\listoverride\\listid%d\\listoverridecount%d", {ListIds[i], MarkerLevel + 1});
            for (int l = 0; l < MarkerLevel; ++l)
                s += "{\\lfolevel}";
            s += Format("{\\lfolevel\\listoverridestartat\\levelstartat%d}\\ls%d}",
                        {Marker->StartFrom, First + Written});
            RVWriteLn(&Stream, s);
            ++Written;
        }
        First += Count;
    }
    RVWriteLn(&Stream, "}");

    // From counts to the number of each list's first entry.
    First = 1;
    for (int i = 0; i < ListOverrideOffsetsList->Count(); ++i) {
        const int Count = std::max(ListOverrideOffsetsList->Get(i), 1);
        ListOverrideOffsetsList->Put(i, First);
        First += Count;
    }
}
