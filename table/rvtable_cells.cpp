// The table cell: its defaults, how it reaches its table, its measures, its
// background and its stored properties.
#include <algorithm>
#include <cstring>

#include "document/rvstyle.h"
#include "platform/core/classreg.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "table/rvtable.h"

TRVTableCellData::TRVTableCellData(TRVTableRow* ARow)
    : TRVItemFormattedData(ARow), VisibleBorders(new TRVBooleanRect(true))
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
    TRVTableRow* Row = GetRow();
    if (Row == nullptr || Row->Rows == nullptr)
        return nullptr;
    return Row->Rows->Table;
}

TCustomRVData* TRVTableCellData::GetRVData()
{
    TRVTableItemInfo* Table = GetTable();
    if (Table != nullptr && Table->InplaceEditor != nullptr && Table->InplaceEditor->GetEditedCell() == this)
        if (TCustomRVFormattedData* Data = Table->InplaceEditor->GetEditorData())
            return Data;
    return this;
}

TCustomRVFormattedData* TRVTableCellData::GetFormattedRVData()
{
    auto* Data = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    return Data != nullptr ? Data : this;
}

// ---------------------------------------------------------------------------
// Background

TGraphic* TRVTableCellData::GetBackgroundImage() const
{
    return Background ? Background->Image() : nullptr;
}

TRVItemBackgroundStyle TRVTableCellData::GetBackgroundStyle() const
{
    return Background ? Background->GetItemBackStyle() : rvbsColor;
}

void TRVTableCellData::SetBackgroundImage_(TGraphic* Graphic, bool Copy)
{
    if (Graphic == GetBackgroundImage())
        return;
    if (!Background && Graphic != nullptr && !Graphic->Empty())
        Background = std::make_unique<TRVBackground>(false);
    if (Background) {
        TRVTableItemInfo* Table = GetTable();
        Background->AssignImage(Graphic, Table != nullptr ? Table->GetRVData() : nullptr, Copy);
        if (Background->Empty())
            Background.reset();
    } else if (!Copy) {
        delete Graphic;
    }
}

void TRVTableCellData::SetBackgroundStyle(TRVItemBackgroundStyle Value)
{
    if (Value == GetBackgroundStyle())
        return;
    if (!Background && Value != rvbsColor)
        Background = std::make_unique<TRVBackground>(false);
    if (Background) {
        Background->SetItemBackStyle(Value);
        if (Background->Empty())
            Background.reset();
    }
}

void TRVTableCellData::AssignAttributesFrom(const TRVTableCellData* Source, bool IncludeSize, int DivColSpan,
                                            int DivRowSpan)
{
    Color = Source->Color;
    BorderColor = Source->BorderColor;
    BorderLightColor = Source->BorderLightColor;
    VisibleBorders->Assign(Source->VisibleBorders);
    VAlign = Source->VAlign;
    SetBackgroundImage_(Source->GetBackgroundImage(), true);
    SetBackgroundStyle(Source->GetBackgroundStyle());
    if (IncludeSize) {
        BestWidth = DivColSpan != 0 ? Source->BestWidth / DivColSpan : Source->BestWidth;
        BestHeight = DivRowSpan != 0 ? Source->BestHeight / DivRowSpan : Source->BestHeight;
    }
}

void TRVTableCellData::AssignSizeFrom(const TRVTableCellData* Source)
{
    Left = Source->Left;
    Top = Source->Top;
    Width = Source->Width;
    Height = Source->Height;
}

// ---------------------------------------------------------------------------
// Measures

TRVCellVAlign TRVTableCellData::GetRealVAlign() const
{
    if (VAlign != rvcVDefault)
        return VAlign;
    const TRVTableRow* Row = GetRow();
    const TRVCellVAlign RowAlign = Row != nullptr ? Row->VAlign : rvcTop;
    return RowAlign == rvcVDefault ? rvcMiddle : RowAlign;
}

int TRVTableCellData::GetExtraVOffs()
{
    TRVTableItemInfo* Table = GetTable();
    const int Padding = Table != nullptr ? Table->CellPadding : 0;
    TCustomRVFormattedData* D = GetFormattedRVData();
    const bool Own = D == this;
    switch (GetRealVAlign()) {
    case rvcMiddle:
        return (Height - D->DocumentHeight) / 2 - (Own ? Padding : 0);
    case rvcBottom:
        return Height - D->DocumentHeight - (Own ? 2 * Padding : 0);
    default:
        return 0;
    }
}

int TRVTableCellData::GetCellHeight()
{
    TCustomRVFormattedData* D = GetFormattedRVData();
    if (D != this) {
        TRVTableItemInfo* Table = GetTable();
        return std::max(BestHeight, D->DocumentHeight - 2 * (Table != nullptr ? Table->CellPadding : 0));
    }
    return std::max(BestHeight, DocumentHeight);
}

int TRVTableCellData::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas)
{
    TCustomRVFormattedData* D = GetFormattedRVData();
    const int Count = D->GetItemCount();
    if (Count == 0)
        return 0;
    if (Count == 1 && D->GetItemStyle(0) >= 0 && D->GetItemText(0).empty()) {
        TRVStyle* Style = D->GetRVStyle();
        if (Style == nullptr)
            return 0;
        const int ParaNo = std::min(D->GetItemPara(0), Style->ParaStyles()->Count() - 1);
        const TParaInfo* Para = Style->ParaStyles()->Items(std::max(ParaNo, 0));
        const int W = Para->FirstIndent() + Para->LeftIndent() + Para->RightIndent();
        return sad != nullptr ? RV_XToDevice(W, *sad) : W;
    }
    if (D != this)
        return D->CalculateMinDocWidthPlus(sad, Canvas);
    // The cache is keyed on the units and on a cheap fingerprint of the items
    // (their count, styles and text lengths), so that an edit that goes past
    // ContentChanged still measures again.
    int Fingerprint = Count;
    for (int i = 0; i < Count; ++i)
        Fingerprint = Fingerprint * 31 + GetItemStyle(i) * 7 + GetItemPara(i) * 3 +
                      static_cast<int>(GetItemText(i).size());
    const bool SameUnits = (sad == nullptr && !FMinWidthHasSad) ||
                           (sad != nullptr && FMinWidthHasSad && sad->DevicePpiX == FMinWidthSad.DevicePpiX &&
                            sad->ScreenPpiX == FMinWidthSad.ScreenPpiX);
    if (FMinWidthValid && SameUnits && FMinWidthItems == Fingerprint)
        return FMinWidth;
    int W = CalculateMinDocWidthPlus(sad, Canvas);
    if (W == 0)
        W = 10;
    FMinWidth = W;
    FMinWidthValid = true;
    FMinWidthHasSad = sad != nullptr;
    if (sad != nullptr)
        FMinWidthSad = *sad;
    FMinWidthItems = Fingerprint;
    return W;
}

bool TRVTableCellData::HasData(bool CheckStyles)
{
    TCustomRVData* D = GetRVData();
    const int Count = D->GetItemCount();
    if (Count != 1)
        return Count > 1;
    const int StyleNo = D->GetItemStyle(0);
    if (StyleNo < 0 || !D->GetItemText(0).empty())
        return true;
    if (CheckStyles)
        return StyleNo != 0 || D->GetItemPara(0) != 0;
    return false;
}

// ---------------------------------------------------------------------------
// Sub-document answers

TRVOptions TRVTableCellData::GetOptions()
{
    TCustomRVData* Main = nullptr;
    if (TRVTableItemInfo* Table = GetTable())
        Main = Table->GetRVData();
    TRVOptions Result = Main != nullptr ? Main->GetOptions() : TRVOptions();
    Result.Exclude(rvoClientTextWidth);
    return Result;
}

void TRVTableCellData::ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, AnsiString& Text,
                                  TCustomRVData* RVData)
{
    FMinWidthValid = false;
    if (TRVTableItemInfo* Table = GetTable())
        if (TCustomRVData* Main = Table->GetRVData())
            Main->ItemAction(Action, Item, Text, RVData);
}

void TRVTableCellData::GetOrigin(int& X, int& Y)
{
    X = 0;
    Y = 0;
    TRVTableItemInfo* Table = GetTable();
    if (Table == nullptr)
        return;
    auto* Main = dynamic_cast<TCustomRVFormattedData*>(Table->GetRVData());
    if (Main == nullptr)
        return;
    Main->GetOrigin(X, Y);
    int ItemLeft = 0;
    int ItemTop = 0;
    const int ItemNo = Main->GetItemNo(Table);
    if (ItemNo >= 0)
        Main->GetItemCoords(ItemNo, ItemLeft, ItemTop);
    X += ItemLeft + Left + Table->CellPadding;
    Y += ItemTop + Top + Table->CellPadding;
}

int TRVTableCellData::GetHOffs()
{
    TRVTableItemInfo* Table = GetTable();
    return Table != nullptr ? -(Table->CurLeft + Table->CellPadding + Left) : -Left;
}

int TRVTableCellData::GetVOffs()
{
    TRVTableItemInfo* Table = GetTable();
    return Table != nullptr ? -(GetExtraVOffs() + Table->CurTop + Table->CellPadding + Top) : -Top;
}

int TRVTableCellData::GetWidth()
{
    TRVTableItemInfo* Table = GetTable();
    return Width - 2 * (Table != nullptr ? Table->CellPadding : 0);
}

int TRVTableCellData::GetHeight()
{
    TRVTableItemInfo* Table = GetTable();
    return Height - 2 * (Table != nullptr ? Table->CellPadding : 0);
}

void TRVTableCellData::ControlAction2(TRVControlAction Action, int ItemNo, TControl*& Ctrl)
{
    (void)ItemNo;
    TRVTableItemInfo* Table = GetTable();
    if (Table == nullptr)
        return;
    TCustomRVData* Main = Table->GetRVData();
    if (Main != nullptr)
        Main->ControlAction2(Action, Main->GetItemNo(Table), Ctrl);
}

TRVMarkerList* TRVTableCellData::GetMarkers(bool AllowCreate)
{
    TRVTableItemInfo* Table = GetTable();
    if (Table == nullptr)
        return nullptr;
    TCustomRVData* Main = Table->GetRVData();
    if ((Main == nullptr || Main->GetItemNo(Table) < 0) && !State.Contains(rvstMarkersBadlyNeeded))
        return nullptr;
    return TRVItemFormattedData::GetMarkers(AllowCreate);
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

void TRVTableCellData::DefineProperties(TFiler* Filer)
{
    TRVItemFormattedData::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "Data", [this](TStream& Stream) { DataReader(Stream); },
        [this](TStream& Stream) { DataWriter(Stream); }, HasData(true));
    Filer->DefineBinaryProperty(
        "BackgroundImg", [this](TStream& Stream) { LoadBackgroundImg(Stream); },
        [this](TStream& Stream) {
            const AnsiString Bytes = SaveBackgroundImg();
            Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        },
        Background && !Background->Empty() && GetBackgroundImage() != nullptr);
}

AnsiString TRVTableCellData::SaveBackgroundImg() const
{
    TGraphic* Image = GetBackgroundImage();
    if (Image == nullptr)
        return AnsiString();
    TMemoryStream Stream;
    const AnsiString Name = Image->ClassName();
    const uint32_t N = static_cast<uint32_t>(Name.size());
    const unsigned char Len[4] = {static_cast<unsigned char>(N), static_cast<unsigned char>(N >> 8),
                                  static_cast<unsigned char>(N >> 16), static_cast<unsigned char>(N >> 24)};
    Stream.WriteBuffer(Len, 4);
    Stream.WriteBuffer(Name.data(), static_cast<int64_t>(Name.size()));
    RVFSavePictureBinary(Stream, Image);
    return AnsiString(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

void TRVTableCellData::LoadBackgroundImg(TStream& Stream)
{
    unsigned char Len[4];
    Stream.ReadBuffer(Len, 4);
    const uint32_t N = Len[0] | (Len[1] << 8) | (Len[2] << 16) | (static_cast<uint32_t>(Len[3]) << 24);
    // The name cannot be longer than what is left.
    if (N > static_cast<uint64_t>(Stream.Size() - Stream.Position()))
        throw EReadError("Stream read error");
    AnsiString Name(N, '\0');
    if (N > 0)
        Stream.ReadBuffer(Name.data(), N);
    TPersistentClass Class = GetClass(Name);
    std::unique_ptr<TGraphic> Graphic(Class != nullptr ? RV_CreateGraphics(Class) : nullptr);
    if (!Graphic) {
        // An unknown class: the picture is skipped, the rest of the cell stays.
        Stream.Seek(0, soEnd);
        return;
    }
    RVFLoadPictureBinary2(Stream, Graphic.get());
    SetBackgroundImage_(Graphic.get(), true);
}
