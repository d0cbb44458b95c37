// The table item: construction with its defaults, its published properties,
// its background, the formatting record, and its registration under its code.
#include "table/rvtable.h"

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
    // An open cell editor gives the cell its items back first.
    DestroyInplace(false);
    ClearTemporal();
    // The cells go while the table is whole: they reach it through their rows.
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
    Options = TRVTableOptions{rvtoEditing, rvtoRowSizing, rvtoColSizing, rvtoRowSelect, rvtoColSelect};
    PrintOptions = TRVTablePrintOptions{rvtoHalftoneBorders, rvtoRowsSplit};
    BestWidth = 0;
    Color = clWindow;
    HeadingRowCount = 0;
    TextRowSeparator = "\r\n";
    TextColSeparator = "\r\n";
    BorderWidth = 0;
    BorderColor = clWindowText;
    BorderLightColor = clBtnHighlight;
    BorderStyle = rvtbRaised;
    BorderVSpacing = 2;
    BorderHSpacing = 2;
    CellBorderWidth = 0;
    CellBorderColor = clWindowText;
    CellBorderLightColor = clBtnHighlight;
    CellPadding = 1;
    CellBorderStyle = rvtbLowered;
    VRuleWidth = 0;
    VRuleColor = clWindowText;
    HRuleWidth = 0;
    HRuleColor = clWindowText;
    CellVSpacing = 2;
    CellHSpacing = 2;
    VOutermostRule = false;
    HOutermostRule = false;
    FocusedCellRow = FocusedCellCol = -1;
    ChosenCellRow = ChosenCellCol = -1;
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
    if (TCustomRVData* data = GetRVData())
        data->NoteChange();
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
    if (graphic == GetBackgroundImage())
        return;
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
    return Background ? Background->GetItemBackStyle() : rvbsColor;
}

void TRVTableItemInfo::SetBackgroundStyle(TRVItemBackgroundStyle value)
{
    if (value == GetBackgroundStyle())
        return;
    if (!Background && value != rvbsColor)
        Background = std::make_unique<TRVBackground>(false);
    if (Background) {
        Background->SetItemBackStyle(value);
        if (Background->Empty())
            Background.reset();
    }
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

} // namespace

const TPropertyTable* TRVTableItemInfo::PropertyTable() const
{
    using T = TRVTableItemInfo;
    const std::vector<AnsiString>& styles = BorderStyleNames();
    static const TPropertyTable table =
        TPropTableBuilder<T>("TRVTableItemInfo", nullptr)
            .Set(
                "Options", [](const T* t) { return t->Options.Bits; },
                [](T* t, int64_t v) { t->Options = TRVTableOptions::FromBits(static_cast<uint16_t>(v)); },
                {"rvtoEditing", "rvtoRowSizing", "rvtoColSizing", "rvtoRowSelect", "rvtoColSelect",
                 "rvtoRTFSaveCellPixelBestWidth", "rvtoRTFAllowAutofit", "rvtoHideGridLines",
                 "rvtoOverlappingCorners", "rvtoCellBelowBorders"},
                31u)
            .Set(
                "PrintOptions", [](const T* t) { return t->PrintOptions.Bits; },
                [](T* t, int64_t v) {
                    t->PrintOptions = TRVTablePrintOptions::FromBits(static_cast<uint8_t>(v));
                },
                {"rvtoHalftoneBorders", "rvtoRowsSplit", "rvtoWhiteBackground"}, 3u)
            .Int("BestWidth", &T::BestWidth, &T::BestWidth, 0)
            .Color("Color", &T::Color, &T::SetColor, clWindow)
            .Enum("BackgroundStyle", &T::GetBackgroundStyle, &T::SetBackgroundStyle,
                  {"rvbsColor", "rvbsStretched", "rvbsTiled", "rvbsCentered"}, rvbsColor)
            .Int("HeadingRowCount", &T::HeadingRowCount, &T::HeadingRowCount, 0)
            .Str("TextRowSeparator", &T::TextRowSeparator, &T::TextRowSeparator, "\r\n")
            .Str("TextColSeparator", &T::TextColSeparator, &T::TextColSeparator, "\r\n")
            .Int("BorderWidth", &T::BorderWidth, &T::BorderWidth, 0)
            .Color("BorderColor", &T::BorderColor, &T::BorderColor, clWindowText)
            .Color("BorderLightColor", &T::BorderLightColor, &T::BorderLightColor, clBtnHighlight)
            .Enum("BorderStyle", &T::BorderStyle, &T::BorderStyle, styles, rvtbRaised)
            .Int("BorderVSpacing", &T::BorderVSpacing, &T::BorderVSpacing, 2)
            .Int("BorderHSpacing", &T::BorderHSpacing, &T::BorderHSpacing, 2)
            .Int("CellBorderWidth", &T::CellBorderWidth, &T::CellBorderWidth, 0)
            .Color("CellBorderColor", &T::CellBorderColor, &T::CellBorderColor, clWindowText)
            .Color("CellBorderLightColor", &T::CellBorderLightColor, &T::CellBorderLightColor, clBtnHighlight)
            .Int("CellPadding", &T::CellPadding, &T::SetCellPadding, 1)
            .Enum("CellBorderStyle", &T::CellBorderStyle, &T::CellBorderStyle, styles, rvtbLowered)
            .Int("VRuleWidth", &T::VRuleWidth, &T::VRuleWidth, 0)
            .Color("VRuleColor", &T::VRuleColor, &T::VRuleColor, clWindowText)
            .Int("HRuleWidth", &T::HRuleWidth, &T::HRuleWidth, 0)
            .Color("HRuleColor", &T::HRuleColor, &T::HRuleColor, clWindowText)
            .Int("CellVSpacing", &T::CellVSpacing, &T::CellVSpacing, 2)
            .Int("CellHSpacing", &T::CellHSpacing, &T::CellHSpacing, 2)
            .Bool("VOutermostRule", &T::VOutermostRule, &T::VOutermostRule, false)
            .Bool("HOutermostRule", &T::HOutermostRule, &T::HOutermostRule, false)
            .Build();
    return &table;
}

void RV_RegisterTableItem()
{
    RegisterRollViewItemClass(rvsTable, RVItemClassOf<TRVTableItemInfo>());
}

namespace {
const bool TableItemRegistered = (RV_RegisterTableItem(), true);
} // namespace
