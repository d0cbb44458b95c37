// The table in its stored form: the component that streams it (the table's
// published properties, the cells list and the rows' vertical alignment), the
// table's RVF record in text and binary form, plain streams, background
// pictures, and the hooks that bind a loaded table to its document.
#include <algorithm>
#include <vector>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "platform/core/classreg.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "table/rvtable.h"

namespace {

const char* const SWrongEndOfCells = "Wrong end of cells list";
const char* const SWrongCellsCount = "Wrong cells count";
const char* const SWrongSpan = "Wrong cell span";

// The most bytes a picture's class name may take: a short identifier.
constexpr uint32_t MaxGraphicClassName = 255;

// Every slot of a grid read so far that no cell covers gets a fresh cell, so
// that a grid left by a failed read still keeps the grid's invariants.
void FillUncovered(TRVTableRows* Rows, const std::vector<bool>& Covered, int ColCount)
{
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < ColCount; ++c)
            if (!Covered[static_cast<size_t>(r) * ColCount + c]) {
                TRVTableRow* Row = Rows->Get(r);
                Row->Put(c, new TRVTableCellData(Row));
            }
}

} // namespace

// ---------------------------------------------------------------------------
// Background pictures

AnsiString RVTableSaveBackgroundImg(TGraphic* Image)
{
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

std::unique_ptr<TGraphic> RVTableLoadBackgroundImg(TStream& Stream)
{
    unsigned char Len[4];
    Stream.ReadBuffer(Len, 4);
    const uint32_t N = Len[0] | (Len[1] << 8) | (Len[2] << 16) | (static_cast<uint32_t>(Len[3]) << 24);
    if (N > MaxGraphicClassName || N > static_cast<uint64_t>(Stream.Size() - Stream.Position()))
        throw EReadError("Stream read error");
    AnsiString Name(N, '\0');
    if (N > 0)
        Stream.ReadBuffer(Name.data(), N);
    TPersistentClass Class = GetClass(Name);
    std::unique_ptr<TGraphic> Graphic(Class != nullptr ? RV_CreateGraphics(Class) : nullptr);
    if (!Graphic) {
        // Not a picture class known here: the picture's block is stepped over.
        TMemoryStream Skipped;
        if (!RVFReadBinaryBlock(Stream, Skipped))
            throw EReadError("Stream read error");
        return nullptr;
    }
    RVFLoadPictureBinary2(Stream, Graphic.get());
    return Graphic;
}

// ---------------------------------------------------------------------------
// The streaming components

TRVTableSW::TRVTableSW(TRVTableItemInfo* ATable) : TComponent(nullptr), T(ATable), CellWriter(new TD(this)) {}

TRVTableSW::~TRVTableSW()
{
    delete CellWriter;
}

const TPropertyTable* TRVTableSW::PropertyTable() const
{
    static const TPropertyTable table = TPropTableBuilder<TRVTableSW>("TRVTableSW", nullptr)
                                            .Object("T", [](TRVTableSW* s) -> TPersistent* { return s->T; })
                                            .Build();
    return &table;
}

void TRVTableSW::DefineProperties(TFiler* Filer)
{
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        "C", [this](TReader* Reader) { T->CellsReader(Reader, CellWriter); },
        [this](TWriter* Writer) { T->CellsWriter(Writer); }, true);
    Filer->DefineProperty(
        "RowVAlign", [this](TReader* Reader) { T->RowVAlignReader(Reader); },
        [this](TWriter* Writer) { T->RowVAlignWriter(Writer); }, T->HasRowVAlign());
}

const TPropertyTable* TD::PropertyTable() const
{
    static const TPropertyTable table =
        TPropTableBuilder<TD>("TD", nullptr).Object("C", [](TD* d) -> TPersistent* { return d->C; }).Build();
    return &table;
}

// ---------------------------------------------------------------------------
// The cells list and the rows' alignment

void TRVTableItemInfo::CellsWriter(TWriter* Writer)
{
    StartExport();
    try {
        const int First = std::clamp(SavedFirstRow, 0, Rows->Count());
        const int Count = std::clamp(SavedRowCount, 0, Rows->Count() - First);
        Writer->WriteInteger(Count);
        if (Count > 0) {
            const int ColCount = Rows->GetColCount();
            Writer->WriteInteger(ColCount);
            Writer->WriteListBegin();
            TD Cell(nullptr);
            for (int r = First; r < First + Count; ++r)
                for (int c = 0; c < ColCount; ++c) {
                    TRVTableCellData* Data = GetCells(r, c);
                    if (Data == nullptr)
                        continue;
                    Writer->WriteInteger(Data->ColSpan);
                    Writer->WriteInteger(Data->RowSpan);
                    Cell.C = Data;
                    Writer->WriteComponent(&Cell);
                }
            Writer->WriteListEnd();
        }
    } catch (...) {
        EndExport();
        throw;
    }
    EndExport();
}

void TRVTableItemInfo::CellsReader(TReader* Reader, TD* CellReader)
{
    ClearTemporal();
    const int RowCount = Reader->ReadInteger();
    if (RowCount == 0) {
        Rows->Reset(0, 0);
        return;
    }
    const int ColCount = Reader->ReadInteger();
    // Counts are checked before anything is allocated: every slot is a
    // pointer before its cell is read, and the list (one entry per cell) must
    // still be there.
    const int64_t Slots = static_cast<int64_t>(RowCount) * ColCount;
    if (RowCount < 0 || ColCount <= 0 || Slots > RVTableMaxStoredSlots || Reader->Remaining() < 2)
        throw EReadError(SWrongCellsCount);
    Rows->Reset(0, 0);
    Rows->SetCapacity(RowCount);
    for (int r = 0; r < RowCount; ++r) {
        TRVTableRow* Row = Rows->Add(0);
        Row->SetCapacity(ColCount);
        for (int c = 0; c < ColCount; ++c)
            Row->InsertEmpty(c);
    }
    std::vector<bool> Covered(static_cast<size_t>(Slots), false);
    try {
        Reader->ReadListBegin();
        for (int r = 0; r < RowCount; ++r)
            for (int c = 0; c < ColCount; ++c) {
                if (Covered[static_cast<size_t>(r) * ColCount + c])
                    continue;
                if (Reader->EndOfList())
                    throw EReadError(SWrongEndOfCells);
                const int ColSpan = Reader->ReadInteger();
                const int RowSpan = Reader->ReadInteger();
                // A block must be at least one slot, lie inside the grid and
                // cover no slot another cell covers.
                if (ColSpan < 1 || RowSpan < 1 || ColSpan > ColCount - c || RowSpan > RowCount - r)
                    throw EReadError(SWrongSpan);
                for (int br = r; br < r + RowSpan; ++br)
                    for (int bc = c; bc < c + ColSpan; ++bc)
                        if (Covered[static_cast<size_t>(br) * ColCount + bc])
                            throw EReadError(SWrongSpan);
                for (int br = r; br < r + RowSpan; ++br)
                    for (int bc = c; bc < c + ColSpan; ++bc)
                        Covered[static_cast<size_t>(br) * ColCount + bc] = true;
                TRVTableRow* Row = Rows->Get(r);
                auto* Cell = new TRVTableCellData(Row);
                Row->Put(c, Cell);
                Cell->ColSpan = ColSpan;
                Cell->RowSpan = RowSpan;
                CellReader->C = Cell;
                Reader->ReadComponent(CellReader);
                ++CellReader->CellsRead;
            }
        if (!Reader->EndOfList())
            throw EReadError(SWrongEndOfCells);
        Reader->ReadListEnd();
    } catch (...) {
        FillUncovered(Rows.get(), Covered, ColCount);
        throw;
    }
}

bool TRVTableItemInfo::HasRowVAlign() const
{
    const int First = std::clamp(SavedFirstRow, 0, Rows->Count());
    const int Count = std::clamp(SavedRowCount, 0, Rows->Count() - First);
    for (int r = First; r < First + Count; ++r)
        if (Rows->Get(r)->VAlign != rvcTop)
            return true;
    return false;
}

void TRVTableItemInfo::RowVAlignWriter(TWriter* Writer)
{
    const int First = std::clamp(SavedFirstRow, 0, Rows->Count());
    const int Count = std::clamp(SavedRowCount, 0, Rows->Count() - First);
    Writer->WriteListBegin();
    for (int r = First; r < First + Count; ++r)
        Writer->WriteInteger(Rows->Get(r)->VAlign);
    Writer->WriteListEnd();
}

// The list is read to its end: values past the last row are ignored and a
// value that names no alignment stands for the top.
void TRVTableItemInfo::RowVAlignReader(TReader* Reader)
{
    Reader->ReadListBegin();
    for (int r = 0; !Reader->EndOfList(); ++r) {
        const int Value = Reader->ReadInteger();
        if (r < Rows->Count())
            Rows->Get(r)->VAlign =
                Value >= rvcTop && Value <= rvcVDefault ? static_cast<TRVCellVAlign>(Value) : rvcTop;
    }
    Reader->ReadListEnd();
}

void TRVTableItemInfo::DefineProperties(TFiler* Filer)
{
    TRVFullLineItemInfo::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "BackgroundImg",
        [this](TStream& Stream) {
            if (std::unique_ptr<TGraphic> Graphic = RVTableLoadBackgroundImg(Stream))
                SetBackgroundImage(Graphic.get());
        },
        [this](TStream& Stream) {
            const AnsiString Bytes = RVTableSaveBackgroundImg(GetBackgroundImage());
            Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
        },
        GetBackgroundImage() != nullptr && !GetBackgroundImage()->Empty());
}

// ---------------------------------------------------------------------------
// Plain streams

void TRVTableItemInfo::SaveRowsToStream(TStream& Stream, int Index, int Count)
{
    SavedFirstRow = Index;
    SavedRowCount = Count;
    TRVTableSW SW(this);
    Stream.WriteComponent(&SW);
}

void TRVTableItemInfo::SaveToStream(TStream& Stream)
{
    SaveRowsToStream(Stream, 0, Rows->Count());
}

void TRVTableItemInfo::LoadFromStream(TStream& Stream)
{
    TRVTableSW SW(this);
    Stream.ReadComponent(&SW);
}

// ---------------------------------------------------------------------------
// RVF

void TRVTableItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int ParaNo,
                               const AnsiString& Name, TRVMultiDrawItemPart* Part, bool ForceSameAsPrev)
{
    (void)ItemNo;
    (void)ForceSameAsPrev;
    const bool Binary = RVData->GetRVFOptions().Contains(rvfoSaveBinary);
    WriteRVFHeader(Stream, RVData, ParaNo, GetRVFExtraPropertyCount() + 3, Binary ? 2 : 0, false);
    RVFWriteLine(Stream, RVFMakeLineSafe(Name, false));
    SaveRVFExtraProperties(Stream);
    RVFWriteLine(Stream, "1");
    if (auto* Band = dynamic_cast<TRVTablePrintPart*>(Part)) {
        SavedFirstRow = Band->FirstRow;
        SavedRowCount = Band->RowCount;
    } else {
        SavedFirstRow = 0;
        SavedRowCount = Rows->Count();
    }
    TRVTableSW SW(this);
    if (Binary)
        RVFSaveControlBinary(Stream, &SW);
    else
        RVFWriteLine(Stream, RVFSaveControl(&SW));
}

bool TRVTableItemInfo::ReadRVFLine(const AnsiString& S, TCustomRVData* RVData, int ReadType, int LineNo,
                                   int LineCount, AnsiString& Name, TRVFReadMode& ReadMode,
                                   TRVFReadState& ReadState)
{
    (void)RVData;
    // A record without its stream holds no table.
    if (LineCount < 2)
        return false;
    if (LineNo == 0) {
        Name = S;
    } else if (LineCount - LineNo == 1) {
        // The loaders free the component when it cannot be read and leave null.
        TComponent* Loaded = new TRVTableSW(this);
        bool Result = true;
        if (ReadType == 2)
            RVFLoadControlBinary(S, Loaded, AnsiString(), nullptr);
        else
            Result = RVFLoadControl(S, Loaded, AnsiString(), nullptr);
        Result = Result && Loaded != nullptr;
        delete Loaded;
        ReadState = rstSkip;
        return Result;
    }
    if (LineCount - LineNo == 2 && ReadType == 2)
        ReadMode = rmBeforeBinary;
    return true;
}

// ---------------------------------------------------------------------------
// Loading hooks

void TRVTableItemInfo::BeforeLoading(TRVLoadFormat FileFormat)
{
    TRVFullLineItemInfo::BeforeLoading(FileFormat);
    if (FileFormat == rvlfRTF || FileFormat == rvlfRVF || FileFormat == rvlfOther)
        State.Exclude(rvtsJustCreated);
}

void TRVTableItemInfo::AfterLoading(TRVLoadFormat FileFormat)
{
    TRVFullLineItemInfo::AfterLoading(FileFormat);
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* Cell = GetCells(r, c))
                for (int i = 0; i < Cell->GetItemCount(); ++i) {
                    Cell->AddMarkerInList(i);
                    Cell->GetItem(i)->AfterLoading(FileFormat);
                }
}

void TRVTableItemInfo::Inserted(TCustomRVData* RVData, int ItemNo)
{
    TRVFullLineItemInfo::Inserted(RVData, ItemNo);
    if (!State.Contains(rvtsJustCreated))
        return;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* Cell = GetCells(r, c))
                for (int i = 0; i < Cell->GetItemCount(); ++i) {
                    Cell->AddMarkerInList(i);
                    Cell->GetItem(i)->Inserted(Cell, i);
                }
    State.Exclude(rvtsJustCreated);
}

void TRVTableItemInfo::Inserting(TCustomRVData* RVData, AnsiString& Text, bool Safe)
{
    TRVFullLineItemInfo::Inserting(RVData, Text, Safe);
    if (RVData != nullptr) {
        Rows->MainRVData = RVData;
        State.Include(rvtsInserted);
    } else {
        State.Exclude(rvtsInserted);
    }
    for (int r = 0; r < Rows->Count(); ++r) {
        TRVTableRow* Row = Rows->Get(r);
        for (int c = 0; c < Row->Count(); ++c) {
            TRVTableCellData* Cell = Row->Get(c);
            if (Cell == nullptr)
                continue;
            if (Cell->GetItemCount() == 0)
                Cell->AddNL(AnsiString(), 0, 0);
            Cell->List = Row;
        }
    }
}

// ---------------------------------------------------------------------------
// Colours

TColor TRVTableItemInfo::GetCellColor(const TRVTableCellData* Cell) const
{
    if (Cell != nullptr && Cell->Color != clNone)
        return Cell->Color;
    if (Color != clNone)
        return Color;
    if (auto* Doc = dynamic_cast<TCustomRVFormattedData*>(GetRVData()))
        return Doc->GetColor();
    return clNone;
}
