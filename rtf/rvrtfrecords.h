// The plain records the RTF reader fills while it reads: a group's state with
// its character, paragraph, section, document, row and cell properties,
// borders, pictures, old-style numbering and list levels, and the reader's
// style sheet, font, colour, list and list-override tables.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/core/streams.h"
#include "platform/core/types.h"
#include "platform/graphics/gdiobjects.h"

enum TRVRTFAlignment { rtf_al_Left, rtf_al_Right, rtf_al_Center, rtf_al_Justify };
enum TRVRTFVAlign { rtf_val_Top, rtf_val_Bottom, rtf_val_Center };
enum TRVRTFSScriptType { rtf_ss_Normal, rtf_ss_Subscript, rtf_ss_Superscript };
enum TRVRTFFontStyleEx { rtf_fs_AllCaps };
enum TRVRTFSide { rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom };
enum TRVRTFSectionBreakType { rtf_sbk_None, rtf_sbk_Column, rtf_sbk_Even, rtf_sbk_Odd, rtf_sbk_Page };
enum TRVRTFPageNumberFormat {
    rtf_pg_Decimal,
    rtf_pg_UpperRoman,
    rtf_pg_LowerRoman,
    rtf_pg_UpperLetter,
    rtf_pg_LowerLetter
};
enum TRVRTFFontFamily {
    rtf_ff_Default,
    rtf_ff_Roman,
    rtf_ff_Swiss,
    rtf_ff_Modern,
    rtf_ff_Script,
    rtf_ff_Decorative,
    rtf_ff_Technical,
    rtf_ff_BiDi
};
enum TRVRTFStyleSheetType { rtf_sst_Char, rtf_sst_Par, rtf_sst_Sect };
enum TRVRTFCellMerge { rtf_cm_None, rtf_cm_First, rtf_cm_Merged };
enum TRVRTFCurrentBorderType { rtf_bt_Para, rtf_bt_Row, rtf_bt_Cell };
enum TRVRTFPictureType {
    rtf_pict_EMF,
    rtf_pict_PNG,
    rtf_pict_JPEG,
    rtf_pict_MacPict,
    rtf_pict_PmMetafile,
    rtf_pict_WMF,
    rtf_pict_DIB,
    rtf_pict_DDB
};
enum TRVRTFParaListType {
    rtf_pn_Default,
    rtf_pn_Decimal,
    rtf_pn_LowerLetter,
    rtf_pn_UpperLetter,
    rtf_pn_LowerRoman,
    rtf_pn_UpperRoman,
    rtf_pn_Bullet
};
enum TRVRTFLevelFollow97 { rtf_lf_Tab, rtf_lf_Space, rtf_lf_None };
enum TRVRTFMarkerProp {
    rtfmp_FontIndex,
    rtfmp_Size,
    rtfmp_Color,
    rtfmp_Bold,
    rtfmp_Italic,
    rtfmp_Underline,
    rtfmp_StrikeOut
};
// The border styles, in the order of the border-style control words.
enum TRVRTFBorderType {
    rtf_brdr_None,
    rtf_brdr_SingleThickness,
    rtf_brdr_DoubleThickness,
    rtf_brdr_Shadow,
    rtf_brdr_Double,
    rtf_brdr_Dot,
    rtf_brdr_Dash,
    rtf_brdr_Hairline,
    rtf_brdr_DashSmall,
    rtf_brdr_DotDash,
    rtf_brdr_DotDotDash,
    rtf_brdr_Triple,
    rtf_brdr_ThickThinSmall,
    rtf_brdr_ThinThickSmall,
    rtf_brdr_ThinThickThinSmall,
    rtf_brdr_ThickThinMed,
    rtf_brdr_ThinThickMed,
    rtf_brdr_ThinThickThinMed,
    rtf_brdr_ThickThinLarge,
    rtf_brdr_ThinThickLarge,
    rtf_brdr_ThinThickThinLarge,
    rtf_brdr_Wavy,
    rtf_brdr_DoubleWavy,
    rtf_brdr_Striped,
    rtf_brdr_Emboss,
    rtf_brdr_Engrave,
    rtf_brdr_Inset,
    rtf_brdr_Outset
};

// A small set over an enumeration of at most 32 values.
template <typename E> struct TRVRTFSet {
    uint32_t Bits = 0;
    bool Has(E v) const { return (Bits >> v) & 1u; }
    void Set(E v, bool on) { Bits = on ? (Bits | (1u << v)) : (Bits & ~(1u << v)); }
    bool Empty() const { return Bits == 0; }
    bool operator==(const TRVRTFSet& o) const { return Bits == o.Bits; }
};
using TRVRTFFontStylesEx = TRVRTFSet<TRVRTFFontStyleEx>;
using TRVRTFMarkerProps = TRVRTFSet<TRVRTFMarkerProp>;

inline constexpr TColor rtfAutoColor = static_cast<TColor>(0x80000008); // "auto": the window-text colour
inline constexpr TColor rtfNoColor = 0x1FFFFFFF;

// Limits applied to values read from RTF, so that later arithmetic cannot overflow.
inline constexpr int rtfMaxLength = 31680;      // twips, either sign
inline constexpr int rtfMaxFontSize = 1638;     // points
inline constexpr int rtfMaxScale = 600;         // percent
inline constexpr int rtfMaxPictureSide = 32767; // pixels
inline constexpr int rtfMaxCellsPerRow = 1000;
inline constexpr int rtfMaxTableNesting = 32;

int RVRTFClamp(int value, int lo, int hi);
// A length in twips kept within ±rtfMaxLength.
int RVRTFClampLength(int value);
// value / 2 rounded to the nearest integer, halves to even.
int RVRTFHalfRoundEven(int value);
// A font size in points from half-points: halved to even, within 1…rtfMaxFontSize.
int RVRTFFontSize(int halfPoints);
// The shading mix of a background and a foreground at Shading hundredths of a percent.
TColor RVRTFShadingMix(TColor back, TColor fore, int shading);

class TRVRTFCharProperties {
public:
    TRVRTFCharProperties() { Reset(0); }
    void Reset(int language);
    // Every field but Language and FontName.
    void Assign(const TRVRTFCharProperties& source);

    bool Hidden;
    int Size;
    TColor Color, BackColor;
    int FontIndex;
    TFontStyles Style;
    TRVRTFFontStylesEx StyleEx;
    int CharScaleX;
    TRVRTFSScriptType SScriptType;
    int CharSpacing;
    int Language;
    AnsiString FontName;
};

class TRVRTFBorderSide {
public:
    void Reset() { *this = TRVRTFBorderSide(); }
    TRVRTFBorderType BorderType = rtf_brdr_None;
    int Width = 0;
    TColor Color = rtfNoColor;
    int Space = 0;
};

// Four optional sides, created on first use.
class TRVRTFParaBorder {
public:
    TRVRTFParaBorder() = default;
    TRVRTFParaBorder(const TRVRTFParaBorder& source) { Assign(source); }
    TRVRTFParaBorder& operator=(const TRVRTFParaBorder& source)
    {
        Assign(source);
        return *this;
    }
    TRVRTFBorderSide& GetSides(TRVRTFSide side);
    // Null when the side was never addressed.
    const TRVRTFBorderSide* Side(TRVRTFSide side) const { return FSides[side].get(); }
    void Reset();
    void Assign(const TRVRTFParaBorder& source);
    // At least one side has a border type.
    bool HasAny() const;

private:
    std::array<std::unique_ptr<TRVRTFBorderSide>, 4> FSides;
};

class TRVRTFCustomMarkerProperties {
public:
    TRVRTFCustomMarkerProperties() { Reset(); }
    virtual ~TRVRTFCustomMarkerProperties() = default;
    void Reset();
    void Assign(const TRVRTFCustomMarkerProperties& source, bool keepExplicit);
    // Takes the character properties' font, size, colour and style where not explicit.
    void UpdateFrom(const TRVRTFCharProperties& chars);
    void ChangeFontStyle(TFontStyle style, bool on);

    TRVRTFParaListType ListType;
    int FontIndex, FontSize, Indent, Space, Start;
    TFontStyles FontStyle;
    TColor Color;
    TRVRTFAlignment Alignment;
    TRVRTFMarkerProps ExplicitProps;
};

class TRVRTFMarkerProperties : public TRVRTFCustomMarkerProperties {
public:
    TRVRTFMarkerProperties() { Reset(); }
    void Reset();
    void Assign(const TRVRTFMarkerProperties& source, bool keepExplicit);

    int Level = 0;
    bool Hanging = false;
    AnsiString TextAfter, TextBefore;
};

class TRVRTFParaProperties {
public:
    TRVRTFParaProperties() { Reset(); }
    TRVRTFParaProperties(const TRVRTFParaProperties& source) { Assign(source); }
    TRVRTFParaProperties& operator=(const TRVRTFParaProperties& source)
    {
        Assign(source);
        return *this;
    }
    void Reset();
    void Assign(const TRVRTFParaProperties& source);
    // Mixes the shading into the background colour.
    void Finalize();
    bool HasBorder() const { return Border && Border->HasAny(); }
    bool HasMarker() const { return MarkerProps != nullptr; }
    TRVRTFParaBorder& GetBorder();
    TRVRTFMarkerProperties& GetMarkerProps();

    int LeftIndent, RightIndent, FirstIndent, SpaceBefore, SpaceAfter;
    TRVRTFAlignment Alignment;
    std::unique_ptr<TRVRTFParaBorder> Border;
    std::unique_ptr<TRVRTFMarkerProperties> MarkerProps;
    TRVRTFSide CurBorderSide;
    int LineSpacing;
    uint8_t LineSpacingMulti;
    TColor Color;
    int NestingLevel;
    bool InTable;
    int Shading;
    TColor ForeColor;
    int ListOverrideIndex, ListLevel;
    bool NoTableEvents;
};

// The eleven level defaults of old-style numbering (levels 1 to 11; 10 the
// body level, 11 the bullet level).
using TRVRTFLevelDefaults = std::array<TRVRTFMarkerProperties, 11>;

class TRVRTFSectionProperties {
public:
    TRVRTFSectionProperties() { Reset(); }
    void Reset();
    // Not HeaderY and FooterY. The level defaults are shared until changed.
    void Assign(const TRVRTFSectionProperties& source);
    void InitListDefaults();
    bool HasListDefaults() const { return FListDefaults != nullptr; }
    const TRVRTFLevelDefaults* ListDefaults() const { return FListDefaults.get(); }
    // Level 1..11; creates the defaults when missing and unshares them.
    TRVRTFMarkerProperties& GetListDefault(int level);
    // Takes over the level defaults of another section (shared until changed).
    void TakeListDefaults(const TRVRTFSectionProperties& source) { FListDefaults = source.FListDefaults; }
    void ReleaseListDefaults() { FListDefaults.reset(); }

    int Columns;
    TRVRTFSectionBreakType SectionBreak;
    int PageNumberX, PageNumberY;
    TRVRTFPageNumberFormat PageNumberFormat;
    int HeaderY, FooterY;

private:
    std::shared_ptr<TRVRTFLevelDefaults> FListDefaults;
};

class TRVRTFDocProperties {
public:
    void Reset() { *this = TRVRTFDocProperties(); }
    void Assign(const TRVRTFDocProperties& source) { *this = source; }
    int PaperWidth = 12240, PaperHeight = 15480, LeftMargin = 1800, TopMargin = 1440, RightMargin = 1800,
        BottomMargin = 1440, PageNumberStart = 1;
    bool FacingPages = false, Landscape = false;
};

class TRVRTFCellProperties {
public:
    TRVRTFCellProperties() { Reset(); }
    void Reset();
    void Finalize();

    TRVRTFCellMerge HMerge, VMerge;
    bool PercentWidth = false;
    int BestWidth;
    TColor Color;
    TRVRTFVAlign VAlign;
    TRVRTFParaBorder Border;
    TRVRTFSide CurBorderSide;
    int RightBoundary;
    TColor ForeColor;
    int Shading;
    int BestHeight;
};

// The current table row. The cell records are shared with the copies made for
// nested groups and copied only when one of them changes.
class TRVRTFRowProperties {
public:
    TRVRTFRowProperties() { Reset(); }
    void Reset();
    // Every field but PercentWidth and Heading.
    void Assign(const TRVRTFRowProperties& source);
    // At \row: drops the open last cell, finalizes the cells.
    void Finalize();
    int GetPaddingTw(TRVRTFSide side) const { return Padding[side]; }
    int GetSpacingTw(TRVRTFSide side) const { return Spacing[side]; }
    bool GetUsePadding(TRVRTFSide side) const { return UsePadding[side]; }
    bool GetUseSpacing(TRVRTFSide side) const { return UseSpacing[side]; }
    int CellCount() const { return static_cast<int>(FCells->size()); }
    const TRVRTFCellProperties& Cell(int index) const { return (*FCells)[index]; }
    // Null after Finalize removed the last open record of an empty row.
    TRVRTFCellProperties* GetLastCellProp();
    // Appends a fresh record; false (nothing added) at rtfMaxCellsPerRow records.
    bool AddCell();

    bool PercentWidth = false;
    bool Heading;
    int GapH, Left, Height;
    std::array<int, 4> Padding, Spacing;
    std::array<bool, 4> UsePadding, UseSpacing;
    int BestWidth;
    TRVRTFAlignment Alignment;
    TRVRTFParaBorder Border;
    TRVRTFSide CurBorderSide;
    bool CellsToFinalize, LastCellOpen, HasPrivateWidths;

private:
    std::vector<TRVRTFCellProperties>& MutableCells();
    std::shared_ptr<std::vector<TRVRTFCellProperties>> FCells;
};

enum TRTFris { risNorm, risBin, risHex };
enum TRTFrds {
    rdsNorm,
    rdsSkip,
    rdsFontTable,
    rdsStyleSheet,
    rdsColorTable,
    rdsStyleSheetEntry,
    rdsPict,
    rdsField,
    rdsFldInst,
    rdsPN,
    rdsPNTextAfter,
    rdsPNTextBefore,
    rdsPNSecLvl,
    rdsListTable,
    rdsList,
    rdsListLevel,
    rdsListName,
    rdsListLevelText,
    rdsListLevelNumbers,
    rdsLOTable,
    rdsLO,
    rdsLOLevel,
    rdsBookmarkStart
};
enum TRVRTFHeaderFooterType { rtf_hf_MainText, rtf_hf_Header, rtf_hf_Footer };

// One group's state. The row record is shared with the copies of nested
// groups until one of them changes it.
class TRVRTFReaderState {
public:
    TRVRTFReaderState();
    void Reset();
    // The property records, DefLanguage, the row record, Destination,
    // InputState, CurrentBorderType and HFType.
    void Assign(const TRVRTFReaderState& source);
    // Lets go of the records shared with other states (the row and the list
    // defaults), so that a state kept for a later group makes no record
    // look shared to the states in use, and is assigned to as a new one.
    void ReleaseShared()
    {
        FRowProps.reset();
        SectionProps.ReleaseListDefaults();
    }
    void ChangeFontStyle(TFontStyle style, int on)
    {
        if (on != 0)
            CharProps.Style.Include(style);
        else
            CharProps.Style.Exclude(style);
    }
    void ChangeFontStyleEx(TRVRTFFontStyleEx style, int on) { CharProps.StyleEx.Set(style, on != 0); }
    const TRVRTFRowProperties* RowProps() const { return FRowProps.get(); }
    // Creates the row record when missing and unshares it.
    TRVRTFRowProperties& GetRowProps();
    // The side the border words address; null for a cell border with no cell record.
    TRVRTFBorderSide* GetCurrentBorderSide();

    int DefLanguage;
    TRVRTFCharProperties CharProps;
    TRVRTFParaProperties ParaProps;
    TRVRTFSectionProperties SectionProps;
    TRVRTFDocProperties DocProps;
    TRVRTFCurrentBorderType CurrentBorderType;
    TRTFrds Destination = rdsNorm;
    TRTFris InputState = risNorm;
    AnsiString FieldInstruction;
    bool FieldPictureInserted;
    int DefFont;
    TRVRTFHeaderFooterType HFType;

private:
    std::shared_ptr<TRVRTFRowProperties> FRowProps;
};

class TRVRTFPicture {
public:
    TRVRTFPictureType PicType = rtf_pict_EMF;
    int MetafileMapMode = 0;
    int PicW = 0, PicH = 0, PicWGoal = 0, PicHGoal = 0;
    int PicScaleX = 100, PicScaleY = 100;
    int WBMWidthBytes = 0, WBMBitsPixel = 1, WBMPlanes = 1;
    bool PicBmp = false;
    TMemoryStream Data;
    int SuggestedWidth = 0, SuggestedHeight = 0;
};

// One of the reader's tables whose entries are found by number in a few steps
// however many the file defines; the first entry of a number is the one found.
// The reader gives an entry its number only while it is the table's last (the
// entry being read), so every entry before the last is indexed once, when a
// lookup first finds one after it, and the last is compared as it stands.
template <class TEntry> class TRVRTFNumberedTable {
public:
    std::vector<std::unique_ptr<TEntry>> Items;
    void Clear()
    {
        Items.clear();
        FFirst.clear();
        FIndexed = 0;
        ++FClears;
    }
    // How many times the table was emptied: a reader of the table that keeps
    // what it derived from the entries knows by it when they were replaced.
    int GetClearCount() const { return FClears; }
    // Entries indexed and lookups made so far: what finding entries costs.
    int64_t GetLookupSteps() const { return FSteps; }

protected:
    // The index of the first entry whose number, NumberOf(entry), is Number;
    // -1 when there is none.
    template <class TNumberOf> int FindNumber(int number, TNumberOf numberOf) const
    {
        if (FIndexed > Items.size()) {
            FFirst.clear();
            FIndexed = 0;
        }
        for (; FIndexed + 1 < Items.size(); ++FIndexed, ++FSteps)
            FFirst.emplace(numberOf(*Items[FIndexed]), static_cast<int>(FIndexed));
        ++FSteps;
        const auto found = FFirst.find(number);
        if (found != FFirst.end())
            return found->second;
        return !Items.empty() && numberOf(*Items.back()) == number ? static_cast<int>(Items.size() - 1) : -1;
    }

private:
    mutable std::unordered_map<int, int> FFirst;
    mutable size_t FIndexed = 0;
    mutable int64_t FSteps = 0;
    int FClears = 0;
};

class TRVRTFListLevel97 : public TRVRTFCustomMarkerProperties {
public:
    TRVRTFListLevel97() { Reset(); }
    void Reset();
    void Assign(const TRVRTFListLevel97& source);

    bool Old = false, Legal = false, NoRestart = false;
    AnsiString Text, Numbers;
    WideString TextW;
    TRVRTFLevelFollow97 Follow = rtf_lf_Tab;
    int LeftIndent = 0, FirstIndent = 0, TabPos = 0;
};

class TRVRTFList97 {
public:
    int ListId = 0, TemplateId = 0;
    bool Simple = false;
    AnsiString Name;
    std::vector<std::unique_ptr<TRVRTFListLevel97>> Levels;
    TRVRTFListLevel97& AddNew();
    TRVRTFListLevel97* GetLastLevel() { return Levels.empty() ? nullptr : Levels.back().get(); }
};

class TRVRTFListTable97 : public TRVRTFNumberedTable<TRVRTFList97> {
public:
    TRVRTFList97& AddNew();
    int FindList(int listId) const;
    TRVRTFList97* GetLastList() { return Items.empty() ? nullptr : Items.back().get(); }
};

class TRVRTFListOverrideLevel97 {
public:
    bool UseStart = false;
    int Start = 1;
};

class TRVRTFListOverride97 {
public:
    int ListIndex = -1, Number = 0, Count = 0;
    std::vector<std::unique_ptr<TRVRTFListOverrideLevel97>> Levels;
    TRVRTFListOverrideLevel97& AddNew();
    TRVRTFListOverrideLevel97* GetLastLevel() { return Levels.empty() ? nullptr : Levels.back().get(); }
};

class TRVRTFListOverrideTable97 : public TRVRTFNumberedTable<TRVRTFListOverride97> {
public:
    TRVRTFListOverride97& AddNew();
    int FindListOverride(int number) const;
    TRVRTFListOverride97* GetLastListOverride() { return Items.empty() ? nullptr : Items.back().get(); }
};

class TRVRTFStyleSheetEntry {
public:
    TRVRTFStyleSheetEntry() : Next(this) {}
    void Assign(const TRVRTFReaderState& state);
    TRVRTFParaProperties ParaProps;
    TRVRTFCharProperties CharProps;
    bool Additive = false, Hidden = false;
    int Number = 0;
    TRVRTFStyleSheetType StyleSheetType = rtf_sst_Char;
    TRVRTFStyleSheetEntry* BasedOn = nullptr; // an entry of the same sheet, or null
    TRVRTFStyleSheetEntry* Next;              // an entry of the same sheet (itself in a new one)
    AnsiString Name;
};

class TRVRTFStyleSheet : public TRVRTFNumberedTable<TRVRTFStyleSheetEntry> {
public:
    TRVRTFStyleSheetEntry& AddPara(int number);
    TRVRTFStyleSheetEntry* GetEntry(int number) const;
    TRVRTFStyleSheetEntry* Last() { return Items.empty() ? nullptr : Items.back().get(); }
};

class TRVRTFFont {
public:
    int Number = 0;
    AnsiString Name;
    TRVRTFFontFamily Family = rtf_ff_Default;
    uint8_t Charset = 1;
};

class TRVRTFFontList : public TRVRTFNumberedTable<TRVRTFFont> {
public:
    TRVRTFFont& Add(int number);
    int GetFontIndex(int number, int defNumber) const;
    // Cuts " cyr", " ce", " greek", " tur", " baltic" off the names of fonts of
    // the matching charsets.
    void RemoveChasetFromNames();
    TRVRTFFont* Last() { return Items.empty() ? nullptr : Items.back().get(); }
};

class TRVRTFColorList {
public:
    void Add() { FItems.push_back(rtfAutoColor); }
    void SetLastRed(int v) { SetLast(v, 0); }
    void SetLastGreen(int v) { SetLast(v, 8); }
    void SetLastBlue(int v) { SetLast(v, 16); }
    // Drops the entry opened after the last ';'.
    void Finalize()
    {
        if (!FItems.empty())
            FItems.pop_back();
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    TColor Get(int index) const { return FItems[index]; }
    void Put(int index, TColor value) { FItems[index] = value; }
    void Clear() { FItems.clear(); }

private:
    void SetLast(int v, int shift);
    std::vector<TColor> FItems;
};
