// The table item: construction with its defaults, its published properties,
// its background, the formatting record, and its registration under its code.
#include "table/rvtable.h"

#include <type_traits>
#include <vector>

#include "platform/core/typinfo.h"

TPenStyle RollViewTableGridStyle = psDot;

// ---------------------------------------------------------------------------
// TRVTableItemFormattingInfo

TRVTableItemFormattingInfo::TRVTableItemFormattingInfo(bool createPrintCells)
{
    if (createPrintCells)
        PrintCells = std::make_unique<TRVList>();
}

void TRVTableItemFormattingInfo::Clear()
{
    ColWidths.Clear();
    RowHeights.Clear();
    ColStarts.Clear();
    RowStarts.Clear();
}

TRVTablePrintCell* TRVTableItemFormattingInfo::PrintCell(int index) const
{
    if (!PrintCells || index < 0 || index >= PrintCells->Count())
        return nullptr;
    return static_cast<TRVTablePrintCell*>(PrintCells->Get(index));
}

// ---------------------------------------------------------------------------
// Construction

namespace {

// The table's defaults, in one place: Init gives them to every new table and
// the property table publishes them, so that a stream leaves out the values
// that equal them and reads a missing one back as the same value.
namespace TableDefault {
constexpr TRVTableOptions Options{rvtoEditing, rvtoRowSizing, rvtoColSizing, rvtoRowSelect, rvtoColSelect};
constexpr TRVTablePrintOptions PrintOptions{rvtoHalftoneBorders, rvtoRowsSplit};
constexpr int BestWidth = 0;
constexpr TColor Color = clWindow;
constexpr int HeadingRowCount = 0;
constexpr const char* TextRowSeparator = "\r\n";
constexpr const char* TextColSeparator = "\r\n";
constexpr int BorderWidth = 0;
constexpr TColor BorderColor = clWindowText;
constexpr TColor BorderLightColor = clBtnHighlight;
constexpr TRVTableBorderStyle BorderStyle = rvtbRaised;
constexpr int BorderVSpacing = 2;
constexpr int BorderHSpacing = 2;
constexpr int CellBorderWidth = 0;
constexpr TColor CellBorderColor = clWindowText;
constexpr TColor CellBorderLightColor = clBtnHighlight;
constexpr int CellPadding = 1;
constexpr TRVTableBorderStyle CellBorderStyle = rvtbLowered;
constexpr int VRuleWidth = 0;
constexpr TColor VRuleColor = clWindowText;
constexpr int HRuleWidth = 0;
constexpr TColor HRuleColor = clWindowText;
constexpr int CellVSpacing = 2;
constexpr int CellHSpacing = 2;
constexpr bool VOutermostRule = false;
constexpr bool HOutermostRule = false;
} // namespace TableDefault

} // namespace

TRVTableItemInfo::TRVTableItemInfo(TCustomRVData* rvData) : TRVFullLineItemInfo(rvData)
{
    Init(1, 1, rvData);
    State.Include(rvtsJustCreated);
}

TRVTableItemInfo::TRVTableItemInfo(int rowCount, int colCount, TCustomRVData* rvData)
    : TRVFullLineItemInfo(rvData)
{
    Init(rowCount, colCount, rvData);
    State.Include(rvtsJustCreated);
}

TRVTableItemInfo::~TRVTableItemInfo()
{
    // Freed later than it left its document (a program's code ran under its
    // own: TCustomRVItemInfo::CallsProgramCode), the table no longer reaches
    // that document, which may be gone; what tied it to it went as it left.
    if (FLeftDocument)
        Rows->MainRVData = nullptr;
    // An open cell editor gives the cell its items back first.
    DestroyInplace(false);
    ClearTemporal();
    // The cells go while the table is whole: they reach it through their rows.
    // Without its rows the table is in no document, so its cells pass
    // nothing on to the documents around: what was kept of that is dropped.
    if (TRVSaveAnswers* answers = TRVSaveAnswers::Active())
        answers->ActionTargets.clear();
    Rows.reset();
}

TRVItemClass TRVTableItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVTableItemInfo>();
}

// No cursor is loaded here: building a table needs no window; the mouse
// handling loads its cursors when a control first asks.
void TRVTableItemInfo::Init(int rowCount, int colCount, TCustomRVData* rvData)
{
    FormattingInfo = std::make_unique<TRVTableItemFormattingInfo>(false);
    StyleNo = rvsTable;
    Rows = std::make_unique<TRVTableRows>(rowCount, colCount, rvData, this);
    Options = TableDefault::Options;
    PrintOptions = TableDefault::PrintOptions;
    BestWidth = TableDefault::BestWidth;
    Color = TableDefault::Color;
    HeadingRowCount = TableDefault::HeadingRowCount;
    TextRowSeparator = TableDefault::TextRowSeparator;
    TextColSeparator = TableDefault::TextColSeparator;
    BorderWidth = TableDefault::BorderWidth;
    BorderColor = TableDefault::BorderColor;
    BorderLightColor = TableDefault::BorderLightColor;
    BorderStyle = TableDefault::BorderStyle;
    BorderVSpacing = TableDefault::BorderVSpacing;
    BorderHSpacing = TableDefault::BorderHSpacing;
    CellBorderWidth = TableDefault::CellBorderWidth;
    CellBorderColor = TableDefault::CellBorderColor;
    CellBorderLightColor = TableDefault::CellBorderLightColor;
    CellPadding = TableDefault::CellPadding;
    CellBorderStyle = TableDefault::CellBorderStyle;
    VRuleWidth = TableDefault::VRuleWidth;
    VRuleColor = TableDefault::VRuleColor;
    HRuleWidth = TableDefault::HRuleWidth;
    HRuleColor = TableDefault::HRuleColor;
    CellVSpacing = TableDefault::CellVSpacing;
    CellHSpacing = TableDefault::CellHSpacing;
    VOutermostRule = TableDefault::VOutermostRule;
    HOutermostRule = TableDefault::HOutermostRule;
    FocusedCellRow = FocusedCellCol = -1;
    ChosenCellRow = ChosenCellCol = -1;
}

void TRVTableItemInfo::LeaveDocument()
{
    DestroyInplace(false);
    ClearTemporal();
    FLeftDocument = true;
}

void TRVTableItemInfo::ClearTemporal()
{
    if (Rows && Rows->MainRVData != nullptr) {
        if (auto* main = dynamic_cast<TCustomRVFormattedData*>(Rows->MainRVData)) {
            main->UnAssignXorDrawing(this);
            main->ReleaseMouseCapture(this);
        }
    }
    if (FormattingInfo)
        FormattingInfo->Clear();
}

void TRVTableItemInfo::Changed()
{
    State.Include(rvtsModified);
    FGrid.Valid = false;
    // The cells around that keep their layouts for this table (or for the
    // table holding it) alone keep them through the change, which is that
    // table's: noted after an operation has given the cell its items back.
    std::vector<TRVTableCellData*> keeping;
    const TCustomRVItemInfo* item = this;
    for (auto* cell = dynamic_cast<TRVTableCellData*>(GetRVData());
         cell != nullptr && cell->KeepsLayoutFor(item);) {
        keeping.push_back(cell);
        TRVTableItemInfo* outer = cell->GetTable();
        item = outer;
        cell = outer != nullptr ? dynamic_cast<TRVTableCellData*>(outer->GetRVData()) : nullptr;
    }
    if (TCustomRVData* data = GetRVData())
        data->NoteChange();
    for (TRVTableCellData* cell : keeping)
        cell->FollowKeptItem();
    // A table in a cell that no editor edits changes the cell, and so the
    // tables around it: each lays out again at its next layout, which it
    // skips otherwise while its width stays (the cells' layouts with it).
    for (auto* cell = dynamic_cast<TRVTableCellData*>(GetRVData()); cell != nullptr;) {
        TRVTableItemInfo* outer = cell->GetTable();
        if (outer == nullptr)
            break;
        outer->State.Include(rvtsModified);
        cell = dynamic_cast<TRVTableCellData*>(outer->GetRVData());
    }
}

// The cell class has no copy of its own: a write through the slot copies the
// attributes (sizes included) and leaves the content; a covered slot is refused.
void TRVTableItemInfo::SetCells(int row, int col, const TRVTableCellData* value)
{
    TRVTableCellData* cell = GetCells(row, col);
    if (cell != nullptr && value != nullptr && value != cell)
        cell->AssignAttributesFrom(value, true, 1, 1);
}

// ---------------------------------------------------------------------------
// Background

TGraphic* TRVTableItemInfo::GetBackgroundImage() const
{
    return Background ? Background->Image() : nullptr;
}

void TRVTableItemInfo::SetBackgroundImage(TGraphic* graphic)
{
    const TRVTableTells tells;
    if (graphic == GetBackgroundImage())
        return;
    const TRVTableOperation running(this);
    RecordBackgroundImage(-1, -1);
    if (!Background && graphic != nullptr && !graphic->Empty())
        Background = std::make_unique<TRVBackground>(false);
    if (Background) {
        Background->AssignImage(graphic, GetRVData(), true);
        if (Background->Empty())
            Background.reset();
    }
}

TRVItemBackgroundStyle TRVTableItemInfo::GetBackgroundStyle() const
{
    return RV_GetItemBackgroundStyle(Background.get());
}

void TRVTableItemInfo::SetBackgroundStyle(TRVItemBackgroundStyle value)
{
    if (State.Contains(rvtsInserted))
        SetProperty("BackgroundStyle", value, false, false);
    else
        RV_SetItemBackgroundStyle(Background, value);
}

bool TRVTableItemInfo::IsSemiTransparentBackground() const
{
    return Color == clNone && Background && Background->IsSemitransparent();
}

// ---------------------------------------------------------------------------
// Published properties

namespace {

const std::vector<AnsiString>& BorderStyleNames()
{
    static const std::vector<AnsiString> names{"rvtbRaised", "rvtbLowered", "rvtbColor", "rvtbRaisedColor",
                                               "rvtbLoweredColor"};
    return names;
}

// What a change of a published property does to the layout: nothing, the
// table's height, or its height and its (minimum) width.
enum class TAffects { Nothing, Size, SizeAndWidth };

// The setter of a published property. While the table lies in a document the
// change goes through the table's property setters by name (one undoable step
// in an editor); before it is inserted, and while an undo record sets an old
// value back, Store puts the value in its field.
template <class V, class S>
void SetPublished(TRVTableItemInfo* t, const char* name, const V& value, TAffects affects, S store)
{
    if (!t->State.Contains(rvtsInserted)) {
        store();
        return;
    }
    if constexpr (std::is_same_v<V, AnsiString>)
        t->SetStrProperty(name, value);
    else
        t->SetProperty(name, value, affects != TAffects::Nothing, affects == TAffects::SizeAndWidth);
}

// The setter of a published ordinal property stored in Field.
template <class F> auto Published(const char* name, F TRVTableItemInfo::*field, TAffects affects)
{
    return [name, field, affects](TRVTableItemInfo* t, int64_t value) {
        SetPublished(t, name, value, affects, [&] { t->*field = static_cast<F>(value); });
    };
}

// The setter of a published text property stored in Field.
auto PublishedStr(const char* name, AnsiString TRVTableItemInfo::*field)
{
    return [name, field](TRVTableItemInfo* t, const AnsiString& value) {
        SetPublished(t, name, value, TAffects::Nothing, [&] { t->*field = value; });
    };
}

} // namespace

const TPropertyTable* TRVTableItemInfo::PropertyTable() const
{
    using T = TRVTableItemInfo;
    using A = TAffects;
    const std::vector<AnsiString>& styles = BorderStyleNames();
    static const TPropertyTable table =
        TPropTableBuilder<T>("TRVTableItemInfo", nullptr)
            .Set(
                "Options", [](const T* t) { return t->Options.Bits; },
                [](T* t, int64_t v) {
                    SetPublished(t, "Options", v, A::Nothing,
                                 [&] { t->Options = TRVTableOptions::FromBits(static_cast<uint16_t>(v)); });
                },
                {"rvtoEditing", "rvtoRowSizing", "rvtoColSizing", "rvtoRowSelect", "rvtoColSelect",
                 "rvtoRTFSaveCellPixelBestWidth", "rvtoRTFAllowAutofit", "rvtoHideGridLines",
                 "rvtoOverlappingCorners", "rvtoCellBelowBorders"},
                TableDefault::Options.Bits)
            .Set(
                "PrintOptions", [](const T* t) { return t->PrintOptions.Bits; },
                [](T* t, int64_t v) {
                    SetPublished(t, "PrintOptions", v, A::Nothing, [&] {
                        t->PrintOptions = TRVTablePrintOptions::FromBits(static_cast<uint8_t>(v));
                    });
                },
                {"rvtoHalftoneBorders", "rvtoRowsSplit", "rvtoWhiteBackground"},
                TableDefault::PrintOptions.Bits)
            .Int("BestWidth", &T::BestWidth, Published("BestWidth", &T::BestWidth, A::SizeAndWidth),
                 TableDefault::BestWidth)
            .Color("Color", &T::Color, &T::SetColor, TableDefault::Color)
            .Enum("BackgroundStyle", &T::GetBackgroundStyle, &T::SetBackgroundStyle,
                  {"rvbsColor", "rvbsStretched", "rvbsTiled", "rvbsCentered"}, rvbsColor)
            .Int("HeadingRowCount", &T::HeadingRowCount,
                 Published("HeadingRowCount", &T::HeadingRowCount, A::Nothing), TableDefault::HeadingRowCount)
            .Str("TextRowSeparator", &T::TextRowSeparator,
                 PublishedStr("TextRowSeparator", &T::TextRowSeparator), TableDefault::TextRowSeparator)
            .Str("TextColSeparator", &T::TextColSeparator,
                 PublishedStr("TextColSeparator", &T::TextColSeparator), TableDefault::TextColSeparator)
            .Int("BorderWidth", &T::BorderWidth, Published("BorderWidth", &T::BorderWidth, A::SizeAndWidth),
                 TableDefault::BorderWidth)
            .Color("BorderColor", &T::BorderColor, Published("BorderColor", &T::BorderColor, A::Nothing),
                   TableDefault::BorderColor)
            .Color("BorderLightColor", &T::BorderLightColor,
                   Published("BorderLightColor", &T::BorderLightColor, A::Nothing),
                   TableDefault::BorderLightColor)
            .Enum("BorderStyle", &T::BorderStyle, Published("BorderStyle", &T::BorderStyle, A::Nothing),
                  styles, TableDefault::BorderStyle)
            .Int("BorderVSpacing", &T::BorderVSpacing,
                 Published("BorderVSpacing", &T::BorderVSpacing, A::Size), TableDefault::BorderVSpacing)
            .Int("BorderHSpacing", &T::BorderHSpacing,
                 Published("BorderHSpacing", &T::BorderHSpacing, A::SizeAndWidth),
                 TableDefault::BorderHSpacing)
            .Int("CellBorderWidth", &T::CellBorderWidth,
                 Published("CellBorderWidth", &T::CellBorderWidth, A::SizeAndWidth),
                 TableDefault::CellBorderWidth)
            .Color("CellBorderColor", &T::CellBorderColor,
                   Published("CellBorderColor", &T::CellBorderColor, A::Nothing),
                   TableDefault::CellBorderColor)
            .Color("CellBorderLightColor", &T::CellBorderLightColor,
                   Published("CellBorderLightColor", &T::CellBorderLightColor, A::Nothing),
                   TableDefault::CellBorderLightColor)
            .Int("CellPadding", &T::CellPadding, &T::SetCellPadding, TableDefault::CellPadding)
            .Enum("CellBorderStyle", &T::CellBorderStyle,
                  Published("CellBorderStyle", &T::CellBorderStyle, A::Nothing), styles,
                  TableDefault::CellBorderStyle)
            .Int("VRuleWidth", &T::VRuleWidth, Published("VRuleWidth", &T::VRuleWidth, A::Nothing),
                 TableDefault::VRuleWidth)
            .Color("VRuleColor", &T::VRuleColor, Published("VRuleColor", &T::VRuleColor, A::Nothing),
                   TableDefault::VRuleColor)
            .Int("HRuleWidth", &T::HRuleWidth, Published("HRuleWidth", &T::HRuleWidth, A::Nothing),
                 TableDefault::HRuleWidth)
            .Color("HRuleColor", &T::HRuleColor, Published("HRuleColor", &T::HRuleColor, A::Nothing),
                   TableDefault::HRuleColor)
            .Int("CellVSpacing", &T::CellVSpacing, Published("CellVSpacing", &T::CellVSpacing, A::Size),
                 TableDefault::CellVSpacing)
            .Int("CellHSpacing", &T::CellHSpacing,
                 Published("CellHSpacing", &T::CellHSpacing, A::SizeAndWidth), TableDefault::CellHSpacing)
            .Bool("VOutermostRule", &T::VOutermostRule,
                  Published("VOutermostRule", &T::VOutermostRule, A::Nothing), TableDefault::VOutermostRule)
            .Bool("HOutermostRule", &T::HOutermostRule,
                  Published("HOutermostRule", &T::HOutermostRule, A::Nothing), TableDefault::HOutermostRule)
            .Build();
    return &table;
}

void RV_RegisterTableItem()
{
    RegisterRollViewItemClass(rvsTable, RVItemClassOf<TRVTableItemInfo>());
}

// The table item's one registration. A static library gives a program only the
// objects it names, so the library's link options ask the linker for this
// symbol: every program that links the table library can make tables from
// their item code, even one that never names the table item (a viewer that
// only reads documents holding tables).
extern "C" const bool RVTableItemRegistered = (RV_RegisterTableItem(), true);
