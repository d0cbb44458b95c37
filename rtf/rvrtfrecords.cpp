// The RTF reader's property and table records: defaults, copies and the
// finishing steps run when a paragraph, row or cell is complete.
#include "rtf/rvrtfrecords.h"

#include <algorithm>
#include <cctype>

#include "platform/core/colors.h"

int RVRTFClamp(int value, int lo, int hi)
{
    return std::min(std::max(value, lo), hi);
}

int RVRTFClampLength(int value)
{
    return RVRTFClamp(value, -rtfMaxLength, rtfMaxLength);
}

int RVRTFHalfRoundEven(int value)
{
    // Integer halving with ties to the even neighbour, for either sign.
    int64_t v = value;
    int64_t q = v / 2;
    if (v % 2 != 0 && (q % 2 != 0))
        q += v > 0 ? 1 : -1;
    return static_cast<int>(q);
}

int RVRTFFontSize(int halfPoints)
{
    return RVRTFClamp(RVRTFHalfRoundEven(halfPoints), 1, rtfMaxFontSize);
}

TColor RVRTFShadingMix(TColor back, TColor fore, int shading)
{
    uint32_t b = static_cast<uint32_t>(ColorToRGB(back));
    uint32_t f = static_cast<uint32_t>(ColorToRGB(fore));
    int64_t s = RVRTFClamp(shading, 0, 10000);
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int64_t cb = (b >> shift) & 0xFF, cf = (f >> shift) & 0xFF;
        result |= static_cast<uint32_t>(((10000 - s) * cb + s * cf) / 10000) << shift;
    }
    return static_cast<TColor>(result);
}

// ---- Character and paragraph properties

void TRVRTFCharProperties::Reset(int language)
{
    Hidden = false;
    Size = 12;
    Color = rtfAutoColor;
    BackColor = rtfNoColor;
    FontIndex = 0;
    Style = TFontStyles();
    StyleEx = TRVRTFFontStylesEx();
    CharScaleX = 100;
    SScriptType = rtf_ss_Normal;
    CharSpacing = 0;
    Language = language;
}

void TRVRTFCharProperties::Assign(const TRVRTFCharProperties& source)
{
    const int language = Language;
    AnsiString fontName = std::move(FontName);
    *this = source;
    Language = language;
    FontName = std::move(fontName);
}

TRVRTFBorderSide& TRVRTFParaBorder::GetSides(TRVRTFSide side)
{
    if (!FSides[side])
        FSides[side] = std::make_unique<TRVRTFBorderSide>();
    return *FSides[side];
}

void TRVRTFParaBorder::Reset()
{
    for (auto& side : FSides)
        if (side)
            side->Reset();
}

void TRVRTFParaBorder::Assign(const TRVRTFParaBorder& source)
{
    if (&source == this)
        return;
    for (size_t i = 0; i < FSides.size(); ++i)
        FSides[i] = source.FSides[i] ? std::make_unique<TRVRTFBorderSide>(*source.FSides[i]) : nullptr;
}

bool TRVRTFParaBorder::HasAny() const
{
    return std::any_of(FSides.begin(), FSides.end(),
                       [](const auto& side) { return side && side->BorderType != rtf_brdr_None; });
}

void TRVRTFParaProperties::Reset()
{
    LeftIndent = RightIndent = FirstIndent = SpaceBefore = SpaceAfter = 0;
    Alignment = rtf_al_Left;
    Border.reset();
    MarkerProps.reset();
    CurBorderSide = rtf_side_Left;
    LineSpacing = 240;
    LineSpacingMulti = 1;
    Color = rtfNoColor;
    NestingLevel = 1;
    InTable = false;
    Shading = 0;
    ForeColor = 0;
    ListOverrideIndex = -1;
    ListLevel = 0;
    NoTableEvents = false;
}

void TRVRTFParaProperties::Assign(const TRVRTFParaProperties& source)
{
    if (&source == this)
        return;
    LeftIndent = source.LeftIndent;
    RightIndent = source.RightIndent;
    FirstIndent = source.FirstIndent;
    SpaceBefore = source.SpaceBefore;
    SpaceAfter = source.SpaceAfter;
    Alignment = source.Alignment;
    Border = source.Border ? std::make_unique<TRVRTFParaBorder>(*source.Border) : nullptr;
    MarkerProps =
        source.MarkerProps ? std::make_unique<TRVRTFMarkerProperties>(*source.MarkerProps) : nullptr;
    CurBorderSide = source.CurBorderSide;
    LineSpacing = source.LineSpacing;
    LineSpacingMulti = source.LineSpacingMulti;
    Color = source.Color;
    NestingLevel = source.NestingLevel;
    InTable = source.InTable;
    Shading = source.Shading;
    ForeColor = source.ForeColor;
    ListOverrideIndex = source.ListOverrideIndex;
    ListLevel = source.ListLevel;
    NoTableEvents = source.NoTableEvents;
}

void TRVRTFParaProperties::Finalize()
{
    if (Shading == 0)
        return;
    Color = RVRTFShadingMix(Color == rtfNoColor ? 0xFFFFFF : Color, ForeColor, Shading);
    Shading = 0;
}

TRVRTFParaBorder& TRVRTFParaProperties::GetBorder()
{
    if (!Border)
        Border = std::make_unique<TRVRTFParaBorder>();
    return *Border;
}

TRVRTFMarkerProperties& TRVRTFParaProperties::GetMarkerProps()
{
    if (!MarkerProps)
        MarkerProps = std::make_unique<TRVRTFMarkerProperties>();
    return *MarkerProps;
}

// ---- Numbering

void TRVRTFCustomMarkerProperties::Reset()
{
    ListType = rtf_pn_Default;
    FontIndex = 0;
    FontSize = 12;
    Indent = Space = Start = 0;
    FontStyle = TFontStyles();
    Color = rtfAutoColor;
    Alignment = rtf_al_Left;
    ExplicitProps = TRVRTFMarkerProps();
}

namespace {

struct TStyleBit {
    TFontStyle Style;
    TRVRTFMarkerProp Prop;
};
constexpr TStyleBit StyleBits[] = {{fsBold, rtfmp_Bold},
                                   {fsItalic, rtfmp_Italic},
                                   {fsUnderline, rtfmp_Underline},
                                   {fsStrikeOut, rtfmp_StrikeOut}};

void CopyStyleBit(TFontStyles& target, const TFontStyles& source, TFontStyle style)
{
    if (source.Contains(style))
        target.Include(style);
    else
        target.Exclude(style);
}

} // namespace

void TRVRTFCustomMarkerProperties::Assign(const TRVRTFCustomMarkerProperties& source, bool keepExplicit)
{
    ListType = source.ListType;
    Alignment = source.Alignment;
    Indent = source.Indent;
    Space = source.Space;
    Start = source.Start;
    const TRVRTFMarkerProps given = ExplicitProps;
    ExplicitProps = source.ExplicitProps;
    if (!keepExplicit) {
        FontIndex = source.FontIndex;
        FontStyle = source.FontStyle;
        Color = source.Color;
        FontSize = source.FontSize;
        return;
    }
    // Values given in this numbering itself are kept.
    if (!given.Has(rtfmp_Color))
        Color = source.Color;
    if (!given.Has(rtfmp_FontIndex))
        FontIndex = source.FontIndex;
    if (!given.Has(rtfmp_Size))
        FontSize = source.FontSize;
    for (const TStyleBit& bit : StyleBits)
        if (!given.Has(bit.Prop))
            CopyStyleBit(FontStyle, source.FontStyle, bit.Style);
    ExplicitProps.Bits |= given.Bits;
}

void TRVRTFCustomMarkerProperties::UpdateFrom(const TRVRTFCharProperties& chars)
{
    if (!ExplicitProps.Has(rtfmp_Color))
        Color = chars.Color;
    if (!ExplicitProps.Has(rtfmp_FontIndex))
        FontIndex = chars.FontIndex;
    if (!ExplicitProps.Has(rtfmp_Size))
        FontSize = chars.Size;
    for (const TStyleBit& bit : StyleBits)
        if (!ExplicitProps.Has(bit.Prop))
            CopyStyleBit(FontStyle, chars.Style, bit.Style);
}

void TRVRTFCustomMarkerProperties::ChangeFontStyle(TFontStyle style, bool on)
{
    if (on)
        FontStyle.Include(style);
    else
        FontStyle.Exclude(style);
}

void TRVRTFMarkerProperties::Reset()
{
    TRVRTFCustomMarkerProperties::Reset();
    Level = 0;
    Hanging = false;
    TextAfter.clear();
    TextBefore.clear();
}

void TRVRTFMarkerProperties::Assign(const TRVRTFMarkerProperties& source, bool keepExplicit)
{
    TRVRTFCustomMarkerProperties::Assign(source, keepExplicit);
    TextAfter = source.TextAfter;
    TextBefore = source.TextBefore;
    Hanging = source.Hanging;
    if (!keepExplicit)
        Level = source.Level;
}

void TRVRTFListLevel97::Reset()
{
    TRVRTFCustomMarkerProperties::Reset();
    Old = Legal = NoRestart = false;
    Text.clear();
    Numbers.clear();
    TextW.clear();
    Follow = rtf_lf_Tab;
    LeftIndent = FirstIndent = TabPos = 0;
}

void TRVRTFListLevel97::Assign(const TRVRTFListLevel97& source)
{
    TRVRTFCustomMarkerProperties::Assign(source, false);
    Old = source.Old;
    Legal = source.Legal;
    NoRestart = source.NoRestart;
    Text = source.Text;
    Numbers = source.Numbers;
    Follow = source.Follow;
}

// ---- Section, cells, rows and the group state

void TRVRTFSectionProperties::Reset()
{
    Columns = 1;
    SectionBreak = rtf_sbk_Page;
    PageNumberX = PageNumberY = 720;
    PageNumberFormat = rtf_pg_Decimal;
    HeaderY = FooterY = 720;
    FListDefaults.reset();
}

void TRVRTFSectionProperties::Assign(const TRVRTFSectionProperties& source)
{
    Columns = source.Columns;
    SectionBreak = source.SectionBreak;
    PageNumberX = source.PageNumberX;
    PageNumberY = source.PageNumberY;
    PageNumberFormat = source.PageNumberFormat;
    FListDefaults = source.FListDefaults;
}

void TRVRTFSectionProperties::InitListDefaults()
{
    FListDefaults = std::make_shared<TRVRTFLevelDefaults>();
}

TRVRTFMarkerProperties& TRVRTFSectionProperties::GetListDefault(int level)
{
    if (!FListDefaults)
        InitListDefaults();
    else if (FListDefaults.use_count() > 1)
        FListDefaults = std::make_shared<TRVRTFLevelDefaults>(*FListDefaults);
    return (*FListDefaults)[RVRTFClamp(level, 1, 11) - 1];
}

void TRVRTFCellProperties::Reset()
{
    HMerge = VMerge = rtf_cm_None;
    BestWidth = 0;
    Color = rtfNoColor;
    VAlign = rtf_val_Top;
    Border.Reset();
    CurBorderSide = rtf_side_Left;
    RightBoundary = 0;
    ForeColor = 0;
    Shading = 0;
    BestHeight = 0;
}

void TRVRTFCellProperties::Finalize()
{
    if (Shading <= 0)
        return;
    Color = RVRTFShadingMix(Color == rtfNoColor ? 0xFFFFFF : Color, ForeColor, Shading);
    Shading = 0;
}

void TRVRTFRowProperties::Reset()
{
    // A new row definition: a width in twips after a row in percent stays twips.
    PercentWidth = false;
    Heading = false;
    GapH = Left = Height = 0;
    Padding.fill(0);
    Spacing.fill(0);
    UsePadding.fill(false);
    UseSpacing.fill(false);
    BestWidth = 0;
    Alignment = rtf_al_Left;
    Border.Reset();
    CurBorderSide = rtf_side_Left;
    FCells = std::make_shared<std::vector<TRVRTFCellProperties>>(1);
    CellsToFinalize = true;
    LastCellOpen = true;
    HasPrivateWidths = false;
}

void TRVRTFRowProperties::Assign(const TRVRTFRowProperties& source)
{
    const bool percentWidth = PercentWidth, heading = Heading;
    *this = source;
    PercentWidth = percentWidth;
    Heading = heading;
}

std::vector<TRVRTFCellProperties>& TRVRTFRowProperties::MutableCells()
{
    if (FCells.use_count() > 1)
        FCells = std::make_shared<std::vector<TRVRTFCellProperties>>(*FCells);
    return *FCells;
}

void TRVRTFRowProperties::Finalize()
{
    if (LastCellOpen) {
        if (!FCells->empty())
            MutableCells().pop_back();
        LastCellOpen = false;
    }
    if (CellsToFinalize) {
        for (TRVRTFCellProperties& cell : MutableCells())
            cell.Finalize();
        CellsToFinalize = false;
    }
}

TRVRTFCellProperties* TRVRTFRowProperties::GetLastCellProp()
{
    if (FCells->empty())
        return nullptr;
    return &MutableCells().back();
}

bool TRVRTFRowProperties::AddCell()
{
    if (CellCount() >= rtfMaxCellsPerRow + 1)
        return false;
    MutableCells().emplace_back();
    return true;
}

TRVRTFReaderState::TRVRTFReaderState()
{
    Reset();
}

void TRVRTFReaderState::Reset()
{
    DefLanguage = 0;
    CharProps.Reset(0);
    ParaProps.Reset();
    SectionProps.Reset();
    DocProps.Reset();
    FRowProps.reset();
    FieldInstruction.clear();
    FieldPictureInserted = false;
    CurrentBorderType = rtf_bt_Para;
    DefFont = 0;
    HFType = rtf_hf_MainText;
}

void TRVRTFReaderState::Assign(const TRVRTFReaderState& source)
{
    CharProps.Assign(source.CharProps);
    ParaProps.Assign(source.ParaProps);
    SectionProps.Assign(source.SectionProps);
    DocProps.Assign(source.DocProps);
    DefLanguage = source.DefLanguage;
    if (!source.FRowProps) {
        FRowProps.reset();
    } else if (FRowProps && (FRowProps->PercentWidth != source.FRowProps->PercentWidth ||
                             FRowProps->Heading != source.FRowProps->Heading)) {
        // The row's percent and heading flags stay this state's own.
        auto row = std::make_shared<TRVRTFRowProperties>(*source.FRowProps);
        row->PercentWidth = FRowProps->PercentWidth;
        row->Heading = FRowProps->Heading;
        FRowProps = std::move(row);
    } else if (!FRowProps && (source.FRowProps->PercentWidth || source.FRowProps->Heading)) {
        auto row = std::make_shared<TRVRTFRowProperties>(*source.FRowProps);
        row->PercentWidth = false;
        row->Heading = false;
        FRowProps = std::move(row);
    } else {
        FRowProps = source.FRowProps;
    }
    Destination = source.Destination;
    InputState = source.InputState;
    CurrentBorderType = source.CurrentBorderType;
    HFType = source.HFType;
}

TRVRTFRowProperties& TRVRTFReaderState::GetRowProps()
{
    if (!FRowProps)
        FRowProps = std::make_shared<TRVRTFRowProperties>();
    else if (FRowProps.use_count() > 1)
        FRowProps = std::make_shared<TRVRTFRowProperties>(*FRowProps);
    return *FRowProps;
}

TRVRTFBorderSide* TRVRTFReaderState::GetCurrentBorderSide()
{
    switch (CurrentBorderType) {
    case rtf_bt_Row: {
        TRVRTFRowProperties& row = GetRowProps();
        return &row.Border.GetSides(row.CurBorderSide);
    }
    case rtf_bt_Cell: {
        TRVRTFCellProperties* cell = GetRowProps().GetLastCellProp();
        return cell ? &cell->Border.GetSides(cell->CurBorderSide) : nullptr;
    }
    default:
        return &ParaProps.GetBorder().GetSides(ParaProps.CurBorderSide);
    }
}

// ---- Tables of the reader

void TRVRTFStyleSheetEntry::Assign(const TRVRTFReaderState& state)
{
    ParaProps.Assign(state.ParaProps);
    CharProps.Assign(state.CharProps);
}

TRVRTFStyleSheetEntry& TRVRTFStyleSheet::AddPara(int number)
{
    Items.push_back(std::make_unique<TRVRTFStyleSheetEntry>());
    Items.back()->Number = number;
    Items.back()->StyleSheetType = rtf_sst_Par;
    return *Items.back();
}

TRVRTFStyleSheetEntry* TRVRTFStyleSheet::GetEntry(int number) const
{
    const int at = FindNumber(number, [](const TRVRTFStyleSheetEntry& e) { return e.Number; });
    return at >= 0 ? Items[static_cast<size_t>(at)].get() : nullptr;
}

TRVRTFFont& TRVRTFFontList::Add(int number)
{
    Items.push_back(std::make_unique<TRVRTFFont>());
    Items.back()->Number = number;
    return *Items.back();
}

int TRVRTFFontList::GetFontIndex(int number, int defNumber) const
{
    const auto numberOf = [](const TRVRTFFont& font) { return font.Number; };
    int at = FindNumber(number, numberOf);
    if (at < 0 && number != defNumber)
        at = FindNumber(defNumber, numberOf);
    return std::max(at, 0);
}

void TRVRTFFontList::RemoveChasetFromNames()
{
    struct TSuffix {
        uint8_t Charset;
        const char* Text;
    };
    static constexpr TSuffix Suffixes[] = {
        {204, " cyr"}, {238, " ce"}, {161, " greek"}, {162, " tur"}, {186, " baltic"}};
    for (const auto& font : Items) {
        for (const TSuffix& suffix : Suffixes) {
            const AnsiString tail = suffix.Text;
            if (font->Charset != suffix.Charset || font->Name.size() <= tail.size())
                continue;
            AnsiString end = font->Name.substr(font->Name.size() - tail.size());
            std::transform(end.begin(), end.end(), end.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (end == tail)
                font->Name.resize(font->Name.size() - tail.size());
        }
    }
}

void TRVRTFColorList::SetLast(int v, int shift)
{
    if (FItems.empty())
        return;
    TColor& last = FItems.back();
    if (last == rtfAutoColor)
        last = 0;
    last = static_cast<TColor>(static_cast<uint32_t>(last) | (static_cast<uint32_t>(v & 0xFF) << shift));
}

TRVRTFListLevel97& TRVRTFList97::AddNew()
{
    Levels.push_back(std::make_unique<TRVRTFListLevel97>());
    return *Levels.back();
}

TRVRTFList97& TRVRTFListTable97::AddNew()
{
    Items.push_back(std::make_unique<TRVRTFList97>());
    return *Items.back();
}

int TRVRTFListTable97::FindList(int listId) const
{
    return FindNumber(listId, [](const TRVRTFList97& list) { return list.ListId; });
}

TRVRTFListOverrideLevel97& TRVRTFListOverride97::AddNew()
{
    Levels.push_back(std::make_unique<TRVRTFListOverrideLevel97>());
    return *Levels.back();
}

TRVRTFListOverride97& TRVRTFListOverrideTable97::AddNew()
{
    Items.push_back(std::make_unique<TRVRTFListOverride97>());
    return *Items.back();
}

int TRVRTFListOverrideTable97::FindListOverride(int number) const
{
    return FindNumber(number, [](const TRVRTFListOverride97& o) { return o.Number; });
}
