// The table cell: its defaults, how it reaches its table, its measures, its
// background and its stored properties.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "document/rvset.h"
#include "document/rvstyle.h"
#include "platform/core/classreg.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "table/rvtable.h"
#include "table/rvtinplace.h"

TRVTableCellData::TRVTableCellData(TRVTableRow* aRow)
    : TRVItemFormattedData(aRow), VisibleBorders(new TRVBooleanRect(true))
{
    State = TRVStates();
    AddNL(AnsiString(), 0, 0);
}

TRVTableCellData::~TRVTableCellData()
{
    Clear();
    delete VisibleBorders;
}

TRVTableRow* TRVTableCellData::GetRow() const
{
    return dynamic_cast<TRVTableRow*>(List);
}

TRVTableItemInfo* TRVTableCellData::GetTable() const
{
    if (UndoInfo != nullptr)
        return nullptr;
    TRVTableRow* row = GetRow();
    if (row == nullptr || row->Rows == nullptr)
        return nullptr;
    return row->Rows->Table;
}

TCustomRVData* TRVTableCellData::GetRVData()
{
    return GetFormattedRVData();
}

TCustomRVFormattedData* TRVTableCellData::GetFormattedRVData()
{
    TRVTableItemInfo* table = GetTable();
    if (table != nullptr && table->InplaceEditor != nullptr && table->InplaceEditor->GetEditedCell() == this)
        if (TCustomRVFormattedData* data = table->InplaceEditor->GetEditorData())
            return data;
    return this;
}

// ---------------------------------------------------------------------------
// Background

TGraphic* TRVTableCellData::GetBackgroundImage() const
{
    return Background ? Background->Image() : nullptr;
}

TRVItemBackgroundStyle TRVTableCellData::GetBackgroundStyle() const
{
    return RV_GetItemBackgroundStyle(Background.get());
}

void TRVTableCellData::SetBackgroundImage_(TGraphic* graphic, bool copy)
{
    if (graphic == GetBackgroundImage())
        return;
    if (!Background && graphic != nullptr && !graphic->Empty())
        Background = std::make_unique<TRVBackground>(false);
    if (Background) {
        TRVTableItemInfo* table = GetTable();
        Background->AssignImage(graphic, table != nullptr ? table->GetRVData() : nullptr, copy);
        if (Background->Empty())
            Background.reset();
    } else if (!copy) {
        delete graphic;
    }
}

void TRVTableCellData::SetBackgroundStyle(TRVItemBackgroundStyle value)
{
    RV_SetItemBackgroundStyle(Background, value);
}

void TRVTableCellData::AssignAttributesFrom(const TRVTableCellData* source, bool includeSize, int divColSpan,
                                            int divRowSpan)
{
    Color = source->Color;
    BorderColor = source->BorderColor;
    BorderLightColor = source->BorderLightColor;
    VisibleBorders->Assign(source->VisibleBorders);
    VAlign = source->VAlign;
    SetBackgroundImage_(source->GetBackgroundImage(), true);
    SetBackgroundStyle(source->GetBackgroundStyle());
    if (includeSize) {
        BestWidth = divColSpan != 0 ? source->BestWidth / divColSpan : source->BestWidth;
        BestHeight = divRowSpan != 0 ? source->BestHeight / divRowSpan : source->BestHeight;
    }
}

void TRVTableCellData::AssignSizeFrom(const TRVTableCellData* source)
{
    Left = source->Left;
    Top = source->Top;
    Width = source->Width;
    Height = source->Height;
}

// ---------------------------------------------------------------------------
// Measures

TRVCellVAlign TRVTableCellData::GetRealVAlign() const
{
    if (VAlign != rvcVDefault)
        return VAlign;
    const TRVTableRow* row = GetRow();
    const TRVCellVAlign rowAlign = row != nullptr ? row->VAlign : rvcTop;
    return rowAlign == rvcVDefault ? rvcMiddle : rowAlign;
}

int TRVTableCellData::GetExtraVOffs()
{
    TRVTableItemInfo* table = GetTable();
    const int padding = table != nullptr ? table->CellPadding : 0;
    TCustomRVFormattedData* d = GetFormattedRVData();
    const bool own = d == this;
    switch (GetRealVAlign()) {
    case rvcMiddle:
        return (Height - d->DocumentHeight) / 2 - (own ? padding : 0);
    case rvcBottom:
        return Height - d->DocumentHeight - (own ? 2 * padding : 0);
    default:
        return 0;
    }
}

int TRVTableCellData::GetCellHeight()
{
    TCustomRVFormattedData* d = GetFormattedRVData();
    if (d != this) {
        TRVTableItemInfo* table = GetTable();
        return std::max(BestHeight, d->DocumentHeight - 2 * (table != nullptr ? table->CellPadding : 0));
    }
    return std::max(BestHeight, DocumentHeight);
}

namespace {

// The narrowest content width of a cell's document D.
int MinContentWidth(TCustomRVFormattedData* d, const TRVScreenAndDevice* sad, TCanvas* canvas, bool own)
{
    const int count = d->GetItemCount();
    if (count == 0)
        return 0;
    if (count == 1 && d->IsTextItem(0) && d->GetItemText(0).empty()) {
        TRVStyle* style = d->GetRVStyle();
        if (style == nullptr)
            return 0;
        const int paraNo = std::min(d->GetItemPara(0), style->ParaStyles()->Count() - 1);
        const TParaInfo* para = style->ParaStyles()->Items(std::max(paraNo, 0));
        const int w = para->FirstIndent() + para->LeftIndent() + para->RightIndent();
        return sad != nullptr ? RV_XToDevice(w, *sad) : w;
    }
    const int w = d->CalculateMinDocWidthPlus(sad, canvas);
    return own && w == 0 ? 10 : w;
}

} // namespace

int TRVTableCellData::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas)
{
    return GetMinWidth(sad, canvas, GetRVStyle());
}

int TRVTableCellData::MeasureMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, const TRVStyle* style)
{
    // Kept while the cell (with the documents inside it), the style sheet and
    // the units stay as they were; a table operation that moves items
    // between cells says so through ContentChanged.
    TCustomRVFormattedData* d = GetFormattedRVData();
    if (d != this)
        return MinContentWidth(d, sad, canvas, false);
    if (!MeasureKeptItem(sad, canvas, style))
        FMinWidth = MinContentWidth(this, sad, canvas, true);
    FMinWidthValid = true;
    FMinWidthKey = TRVMeasureKey(ChangeCount(), style, sad);
    return FMinWidth;
}

void TRVTableCellData::FormatAgain(bool force, const TRVStyle* style)
{
    FLaidOut = false;
    // The kept layout is one no longer.
    FKept.reset();
    // The cell's children keep their places: the table places them after it.
    {
        TRVFlagGuard noMove(State, rvstDoNotMoveChildren, true);
        Format(force);
    }
    NoteLaidOut(style);
}

void TRVTableCellData::NoteLaidOut(const TRVStyle* style)
{
    // Laying out may note changes of its own (a layout started afresh): what
    // stands now is the layout for the cell as it is.
    FLaidOut = true;
    FLaidOutWidth = GetWidth();
    FLaidOutHeight = DocumentHeight;
    FLaidOutKey = TRVMeasureKey(ChangeCount(), style, nullptr);
}

bool TRVTableCellData::HasData(bool checkStyles)
{
    TCustomRVData* d = GetRVData();
    const int count = d->GetItemCount();
    if (count != 1)
        return count > 1;
    const int styleNo = d->GetItemStyle(0);
    if (styleNo < 0 || !d->GetItemText(0).empty())
        return true;
    if (checkStyles)
        return styleNo != 0 || d->GetItemPara(0) != 0;
    return false;
}

// ---------------------------------------------------------------------------
// Sub-document answers

TCustomRVData* TRVTableCellData::Holder()
{
    TRVTableItemInfo* table = GetTable();
    return table != nullptr ? table->GetRVData() : nullptr;
}

TCustomRVData* TRVTableCellData::OuterHolder(TRVSaveAnswers& answers)
{
    const auto known = answers.ActionTargets.find(this);
    if (known != answers.ActionTargets.end())
        return known->second;
    TCustomRVData* main = Holder();
    if (auto* cell = dynamic_cast<TRVTableCellData*>(main))
        main = cell->OuterHolder(answers);
    answers.ActionTargets.emplace(this, main);
    return main;
}

// Without kept answers the question goes from holder to holder, each cell
// passing it on.
TRVOptions TRVTableCellData::GetOptions()
{
    TRVSaveAnswers* answers = TRVSaveAnswers::Active();
    TCustomRVData* main = answers != nullptr ? OuterHolder(*answers) : Holder();
    TRVOptions result = main != nullptr ? main->GetOptions() : TRVOptions();
    result.Exclude(rvoClientTextWidth);
    return result;
}

// A change inside the cell counts in the cells around it through their
// change counts (NoteChange); with kept answers the action goes straight to
// the outer holder.
void TRVTableCellData::ItemAction(TRVItemAction action, TCustomRVItemInfo* item, AnsiString& text,
                                  TCustomRVData* rvData)
{
    FMinWidthValid = false;
    TRVSaveAnswers* answers = TRVSaveAnswers::Active();
    if (TCustomRVData* main = answers != nullptr ? OuterHolder(*answers) : Holder())
        main->ItemAction(action, item, text, rvData);
}

// The cell's content origin in the holding document: the holder's origin (with
// its own vertical offsets when withOffsets), the table item's place and the
// cell's place within the table.
void TRVTableCellData::OriginInHolder(int& x, int& y, bool withOffsets)
{
    x = 0;
    y = 0;
    TRVTableItemInfo* table = GetTable();
    if (table == nullptr)
        return;
    auto* main = dynamic_cast<TCustomRVFormattedData*>(table->GetRVData());
    if (main == nullptr)
        return;
    if (withOffsets)
        main->GetOriginEx(x, y);
    else
        main->GetOrigin(x, y);
    int itemLeft = 0;
    int itemTop = 0;
    const int itemNo = main->GetItemNo(table);
    if (itemNo >= 0)
        main->GetItemCoords(itemNo, itemLeft, itemTop);
    x += itemLeft + Left + table->CellPadding;
    y += itemTop + Top + table->CellPadding + (withOffsets ? GetExtraVOffs() : 0);
}

void TRVTableCellData::GetOrigin(int& x, int& y)
{
    OriginInHolder(x, y, false);
}

void TRVTableCellData::GetOriginEx(int& x, int& y)
{
    OriginInHolder(x, y, true);
}

int TRVTableCellData::GetHOffs()
{
    TRVTableItemInfo* table = GetTable();
    return table != nullptr ? -(table->CurLeft + table->CellPadding + Left) : -Left;
}

int TRVTableCellData::GetVOffs()
{
    TRVTableItemInfo* table = GetTable();
    return table != nullptr ? -(GetExtraVOffs() + table->CurTop + table->CellPadding + Top) : -Top;
}

// The content size without the padding, in 64 bits: a table read from a file
// may hold any padding.
int TRVTableCellData::GetWidth()
{
    TRVTableItemInfo* table = GetTable();
    const int64_t size = Width - 2 * static_cast<int64_t>(table != nullptr ? table->CellPadding : 0);
    return RV_Clamp32(size);
}

int TRVTableCellData::GetHeight()
{
    TRVTableItemInfo* table = GetTable();
    const int64_t size = Height - 2 * static_cast<int64_t>(table != nullptr ? table->CellPadding : 0);
    return RV_Clamp32(size);
}

void TRVTableCellData::ControlAction2(TRVControlAction action, int itemNo, TControl*& ctrl)
{
    (void)itemNo;
    TRVTableItemInfo* table = GetTable();
    if (table == nullptr)
        return;
    TCustomRVData* main = table->GetRVData();
    if (main != nullptr)
        main->ControlAction2(action, main->GetItemNo(table), ctrl);
}

TRVMarkerList* TRVTableCellData::GetMarkers(bool allowCreate)
{
    TRVTableItemInfo* table = GetTable();
    if (table == nullptr)
        return nullptr;
    TCustomRVData* main = table->GetRVData();
    if ((main == nullptr || main->GetItemNo(table) < 0) && !State.Contains(rvstMarkersBadlyNeeded))
        return nullptr;
    return TRVItemFormattedData::GetMarkers(allowCreate);
}

void TRVTableCellData::SetColor(TColor value)
{
    Color = value;
    if (TRVTableItemInfo* table = GetTable())
        table->InplaceCellColorChanged(this);
}

// ---------------------------------------------------------------------------
// Stored properties

const TPropertyTable* TRVTableCellData::PropertyTable() const
{
    using C = TRVTableCellData;
    static const TPropertyTable table =
        TPropTableBuilder<C>("TRVTableCellData", nullptr)
            .Color("Color", &C::Color, &C::SetColor, clNone)
            .Color("BorderColor", &C::BorderColor, &C::BorderColor, clNone)
            .Color("BorderLightColor", &C::BorderLightColor, &C::BorderLightColor, clNone)
            .Int("BestWidth", &C::BestWidth, &C::SetBestWidth, 0)
            .Int("BestHeight", &C::BestHeight, &C::SetBestHeight, 0)
            .Object("VisibleBorders", [](C* c) -> TPersistent* { return c->VisibleBorders; })
            .Enum("VAlign", &C::VAlign, &C::VAlign, {"rvcTop", "rvcMiddle", "rvcBottom", "rvcVDefault"},
                  rvcVDefault)
            .Enum("BackgroundStyle", &C::GetBackgroundStyle, &C::SetBackgroundStyle,
                  {"rvbsColor", "rvbsStretched", "rvbsTiled", "rvbsCentered"}, rvbsColor)
            .Build();
    return &table;
}

void TRVTableCellData::DefineProperties(TFiler* filer)
{
    TRVItemFormattedData::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "Data",
        [this](TStream& stream) {
            // The stored document replaces the cell's, not follows it.
            Clear();
            DataReader(stream);
        },
        [this](TStream& stream) { DataWriter(stream); }, HasData(true));
    filer->DefineBinaryProperty(
        "BackgroundImg", [this](TStream& stream) { LoadBackgroundImg(stream); },
        [this](TStream& stream) {
            const AnsiString bytes = SaveBackgroundImg();
            stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        },
        Background && !Background->Empty() && GetBackgroundImage() != nullptr);
}

AnsiString TRVTableCellData::SaveBackgroundImg() const
{
    return RVTableSaveBackgroundImg(GetBackgroundImage());
}

void TRVTableCellData::LoadBackgroundImg(TStream& stream)
{
    if (std::unique_ptr<TGraphic> graphic = RVTableLoadBackgroundImg(stream))
        SetBackgroundImage_(graphic.get(), true);
}
