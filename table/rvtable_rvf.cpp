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
#include "platform/graphics/graphic.h"
#include "table/rvtable.h"
#include "table/rvtable_stream.h"

namespace {

const char* const SWrongEndOfCells = "Wrong end of cells list";
const char* const SWrongCellsCount = "Wrong cells count";
const char* const SWrongSpan = "Wrong cell span";

// What a row costs beyond its slots, counted in slots against the grid
// allowance of a read: a row object and each writer's row definition.
constexpr int64_t RVTableRowSlots = 16;

// The most bytes a picture's class name may take: a short identifier.
constexpr uint32_t MaxGraphicClassName = 255;

// Cuts a grid left by a failed read to its first Whole rows, the rows the
// cells list gave in full: the cells of later rows go, and a cell reaching
// below the rows kept ends at the last of them.
void KeepWholeRows(TRVTableRows* rows, int whole)
{
    while (rows->Count() > whole)
        rows->Delete(rows->Count() - 1);
    for (int r = 0; r < whole; ++r)
        for (int c = 0; c < rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = rows->Get(r)->Get(c))
                cell->RowSpan = std::min(cell->RowSpan, whole - r);
}

} // namespace

// ---------------------------------------------------------------------------
// Background pictures

AnsiString RVTableSaveBackgroundImg(TGraphic* image)
{
    if (image == nullptr)
        return AnsiString();
    TMemoryStream stream;
    const AnsiString name = image->ClassName();
    const uint32_t n = static_cast<uint32_t>(name.size());
    const unsigned char len[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                                  static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
    stream.WriteBuffer(len, 4);
    stream.WriteBuffer(name.data(), static_cast<int64_t>(name.size()));
    RVFSavePictureBinary(stream, image);
    return AnsiString(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

std::unique_ptr<TGraphic> RVTableLoadBackgroundImg(TStream& stream)
{
    unsigned char len[4];
    stream.ReadBuffer(len, 4);
    const uint32_t n = len[0] | (len[1] << 8) | (len[2] << 16) | (static_cast<uint32_t>(len[3]) << 24);
    if (n > MaxGraphicClassName || n > static_cast<uint64_t>(stream.Size() - stream.Position()))
        throw EReadError("Stream read error");
    AnsiString name(n, '\0');
    if (n > 0)
        stream.ReadBuffer(name.data(), n);
    TPersistentClass Class = GetClass(name);
    std::unique_ptr<TGraphic> graphic(Class != nullptr ? RV_CreateGraphics(Class) : nullptr);
    if (!graphic) {
        // Not a picture class known here: the picture's block is stepped over.
        TMemoryStream skipped;
        if (!RVFReadBinaryBlock(stream, skipped))
            throw EReadError("Stream read error");
        return nullptr;
    }
    try {
        RVFLoadPictureBinary2(stream, graphic.get());
    } catch (const EOutOfResources&) {
        // Past the read's pixel allowance (its block already stepped over):
        // the table or cell shows no background picture and the read goes on.
        return nullptr;
    }
    return graphic;
}

// ---------------------------------------------------------------------------
// The streaming components

TRVTableSW::TRVTableSW(TRVTableItemInfo* aTable) : TComponent(nullptr), T(aTable), CellWriter(new TD(this)) {}

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

void TRVTableSW::DefineProperties(TFiler* filer)
{
    TComponent::DefineProperties(filer);
    filer->DefineProperty(
        "C", [this](TReader* reader) { T->CellsReader(reader, CellWriter); },
        [this](TWriter* writer) { T->CellsWriter(writer); }, true);
    filer->DefineProperty(
        "RowVAlign", [this](TReader* reader) { T->RowVAlignReader(reader); },
        [this](TWriter* writer) { T->RowVAlignWriter(writer); }, T->HasRowVAlign());
}

const TPropertyTable* TD::PropertyTable() const
{
    static const TPropertyTable table =
        TPropTableBuilder<TD>("TD", nullptr).Object("C", [](TD* d) -> TPersistent* { return d->C; }).Build();
    return &table;
}

// ---------------------------------------------------------------------------
// The cells list and the rows' alignment

void TRVTableItemInfo::CellsWriter(TWriter* writer)
{
    StartExport();
    try {
        const int first = std::clamp(SavedFirstRow, 0, Rows->Count());
        const int count = std::clamp(SavedRowCount, 0, Rows->Count() - first);
        writer->WriteInteger(count);
        if (count > 0) {
            const int colCount = Rows->GetColCount();
            writer->WriteInteger(colCount);
            writer->WriteListBegin();
            TD cell(nullptr);
            for (int r = first; r < first + count; ++r)
                for (int c = 0; c < colCount; ++c) {
                    TRVTableCellData* data = GetCells(r, c);
                    if (data == nullptr)
                        continue;
                    writer->WriteInteger(data->ColSpan);
                    writer->WriteInteger(data->RowSpan);
                    cell.C = data;
                    writer->WriteComponent(&cell);
                }
            writer->WriteListEnd();
        }
    } catch (...) {
        EndExport();
        throw;
    }
    EndExport();
}

void TRVTableItemInfo::CellsReader(TReader* reader, TD* cellReader)
{
    ClearTemporal();
    const int rowCount = reader->ReadInteger();
    if (rowCount == 0) {
        Rows->Reset(0, 0);
        return;
    }
    const int colCount = reader->ReadInteger();
    // Counts are checked before anything is allocated: every slot is a
    // pointer before its cell is read, and the list (one entry per cell) must
    // still be there. Rows without slots are a table whose every column was
    // deleted.
    const int64_t slots = static_cast<int64_t>(rowCount) * colCount;
    if (rowCount < 0 || colCount < 0 || rowCount > RVTableMaxStoredSlots || slots > RVTableMaxStoredSlots ||
        reader->Remaining() < 2)
        throw EReadError(SWrongCellsCount);
    Rows->Reset(0, 0);
    // A grid is read only when the read's bytes justify it: slots covered by
    // spans and rows where no cell starts cost memory and every writer's
    // output, yet a file describes them in a few bytes. A grid refused leaves
    // the table empty, as a list that ends at once does.
    if (!RVFClaimGridSlots(slots + RVTableRowSlots * rowCount, reader->Remaining()))
        throw EReadError(SWrongCellsCount);
    // The grid grows slot by slot as the list reaches it, so that a list
    // that ends early has cost nothing for the slots it only claimed.
    // coveredTo[c]: the first row of column c that no cell read so far covers.
    std::vector<int> coveredTo;
    int row = 0;
    try {
        reader->ReadListBegin();
        for (; row < rowCount; ++row) {
            TRVTableRow* current = Rows->Add(0);
            for (int c = 0; c < colCount; ++c) {
                if (c == static_cast<int>(coveredTo.size()))
                    coveredTo.push_back(0);
                if (coveredTo[static_cast<size_t>(c)] > row) {
                    current->InsertEmpty(c);
                    continue;
                }
                if (reader->EndOfList())
                    throw EReadError(SWrongEndOfCells);
                const int colSpan = reader->ReadInteger();
                const int rowSpan = reader->ReadInteger();
                // A block must be at least one slot and lie inside the grid.
                // Its first row is where it could meet the block of a cell
                // read before (one from above reaches it there first).
                if (colSpan < 1 || rowSpan < 1 || colSpan > colCount - c || rowSpan > rowCount - row)
                    throw EReadError(SWrongSpan);
                if (coveredTo.size() < static_cast<size_t>(c) + colSpan)
                    coveredTo.resize(static_cast<size_t>(c) + colSpan, 0);
                for (int k = c; k < c + colSpan; ++k)
                    if (coveredTo[static_cast<size_t>(k)] > row)
                        throw EReadError(SWrongSpan);
                for (int k = c; k < c + colSpan; ++k)
                    coveredTo[static_cast<size_t>(k)] = row + rowSpan;
                auto* cell = new TRVTableCellData(current);
                current->InsertPointer(c, cell);
                cell->ColSpan = colSpan;
                cell->RowSpan = rowSpan;
                cellReader->C = cell;
                reader->ReadComponent(cellReader);
                ++cellReader->CellsRead;
            }
        }
        if (!reader->EndOfList())
            throw EReadError(SWrongEndOfCells);
        reader->ReadListEnd();
    } catch (...) {
        KeepWholeRows(Rows.get(), row);
        throw;
    }
}

bool TRVTableItemInfo::HasRowVAlign() const
{
    const int first = std::clamp(SavedFirstRow, 0, Rows->Count());
    const int count = std::clamp(SavedRowCount, 0, Rows->Count() - first);
    for (int r = first; r < first + count; ++r)
        if (Rows->Get(r)->VAlign != rvcTop)
            return true;
    return false;
}

void TRVTableItemInfo::RowVAlignWriter(TWriter* writer)
{
    const int first = std::clamp(SavedFirstRow, 0, Rows->Count());
    const int count = std::clamp(SavedRowCount, 0, Rows->Count() - first);
    writer->WriteListBegin();
    for (int r = first; r < first + count; ++r)
        writer->WriteInteger(Rows->Get(r)->VAlign);
    writer->WriteListEnd();
}

// The list is read to its end: values past the last row are ignored and a
// value that names no alignment stands for the top.
void TRVTableItemInfo::RowVAlignReader(TReader* reader)
{
    reader->ReadListBegin();
    for (int r = 0; !reader->EndOfList(); ++r) {
        const int value = reader->ReadInteger();
        if (r < Rows->Count())
            Rows->Get(r)->VAlign =
                value >= rvcTop && value <= rvcVDefault ? static_cast<TRVCellVAlign>(value) : rvcTop;
    }
    reader->ReadListEnd();
}

void TRVTableItemInfo::DefineProperties(TFiler* filer)
{
    TRVFullLineItemInfo::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "BackgroundImg",
        [this](TStream& stream) {
            if (std::unique_ptr<TGraphic> graphic = RVTableLoadBackgroundImg(stream))
                SetBackgroundImage(graphic.get());
        },
        [this](TStream& stream) {
            const AnsiString bytes = RVTableSaveBackgroundImg(GetBackgroundImage());
            stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        },
        GetBackgroundImage() != nullptr && !GetBackgroundImage()->Empty());
}

// ---------------------------------------------------------------------------
// Plain streams

void TRVTableItemInfo::SaveRowsToStream(TStream& stream, int index, int count)
{
    SavedFirstRow = index;
    SavedRowCount = count;
    TRVTableSW sw(this);
    stream.WriteComponent(&sw);
}

void TRVTableItemInfo::SaveToStream(TStream& stream)
{
    SaveRowsToStream(stream, 0, Rows->Count());
}

void TRVTableItemInfo::LoadFromStream(TStream& stream)
{
    TRVTableSW sw(this);
    stream.ReadComponent(&sw);
}

// ---------------------------------------------------------------------------
// RVF

void TRVTableItemInfo::SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo,
                               const AnsiString& name, TRVMultiDrawItemPart* part, bool forceSameAsPrev)
{
    (void)itemNo;
    (void)forceSameAsPrev;
    const bool binary = rvData->GetRVFSaveOptions().Contains(rvfoSaveBinary);
    WriteRVFHeader(stream, rvData, paraNo, GetRVFExtraPropertyCount() + 3, binary ? 2 : 0, false);
    RVFWriteLine(stream, RVFMakeLineSafe(name, false));
    SaveRVFExtraProperties(stream);
    RVFWriteLine(stream, "1");
    if (auto* band = dynamic_cast<TRVTablePrintPart*>(part)) {
        // A band that begins or ends inside a block of rows held together by
        // a row-spanning cell (a block taller than a page) stores the whole
        // block: its rows alone would leave the spanning cell out of the grid.
        SavedFirstRow = GetSplitRowAbove(band->FirstRow);
        SavedRowCount = GetSplitRowBelow(band->FirstRow + band->RowCount - 1) - SavedFirstRow + 1;
    } else {
        SavedFirstRow = 0;
        SavedRowCount = Rows->Count();
    }
    TRVTableSW sw(this);
    if (binary)
        RVFSaveControlBinary(stream, &sw);
    else
        RVFWriteLine(stream, RVFSaveControl(&sw));
}

bool TRVTableItemInfo::ReadRVFLine(const AnsiString& s, TCustomRVData* rvData, int readType, int lineNo,
                                   int lineCount, AnsiString& name, TRVFReadMode& readMode,
                                   TRVFReadState& readState)
{
    (void)rvData;
    // A record without its stream holds no table.
    if (lineCount < 2)
        return false;
    if (lineNo == 0) {
        name = s;
    } else if (lineCount - lineNo == 1) {
        // The loaders free the component when it cannot be read and leave null.
        TComponent* loaded = new TRVTableSW(this);
        bool result = true;
        if (readType == 2)
            RVFLoadControlBinary(s, loaded, AnsiString(), nullptr);
        else
            result = RVFLoadControl(s, loaded, AnsiString(), nullptr);
        result = result && loaded != nullptr;
        delete loaded;
        readState = rstSkip;
        return result;
    }
    if (lineCount - lineNo == 2 && readType == 2)
        readMode = rmBeforeBinary;
    return true;
}

// ---------------------------------------------------------------------------
// Loading hooks

void TRVTableItemInfo::BeforeLoading(TRVLoadFormat fileFormat)
{
    TRVFullLineItemInfo::BeforeLoading(fileFormat);
    if (fileFormat == rvlfRTF || fileFormat == rvlfRVF || fileFormat == rvlfOther)
        State.Exclude(rvtsJustCreated);
}

void TRVTableItemInfo::AfterLoading(TRVLoadFormat fileFormat)
{
    TRVFullLineItemInfo::AfterLoading(fileFormat);
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = GetCells(r, c))
                for (int i = 0; i < cell->GetItemCount(); ++i) {
                    cell->AddMarkerInList(i);
                    cell->GetItem(i)->AfterLoading(fileFormat);
                }
}

void TRVTableItemInfo::Inserted(TCustomRVData* rvData, int itemNo)
{
    TRVFullLineItemInfo::Inserted(rvData, itemNo);
    if (!State.Contains(rvtsJustCreated))
        return;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = GetCells(r, c))
                for (int i = 0; i < cell->GetItemCount(); ++i)
                    cell->GetItem(i)->Inserted(cell, i);
    // Every marker of the cells, those of tables in them included (a table
    // put into a cell before this table had a document could not enter the
    // list then), in one pass.
    if (rvData != nullptr)
        rvData->AddMarkersInList(itemNo, itemNo);
    State.Exclude(rvtsJustCreated);
}

void TRVTableItemInfo::Inserting(TCustomRVData* rvData, AnsiString& text, bool safe)
{
    TRVFullLineItemInfo::Inserting(rvData, text, safe);
    if (rvData != nullptr) {
        if (Rows->MainRVData != rvData)
            TRVSaveAnswers::Forget(nullptr);
        Rows->MainRVData = rvData;
        State.Include(rvtsInserted);
    } else {
        State.Exclude(rvtsInserted);
    }
    for (int r = 0; r < Rows->Count(); ++r) {
        TRVTableRow* row = Rows->Get(r);
        for (int c = 0; c < row->Count(); ++c) {
            TRVTableCellData* cell = row->Get(c);
            if (cell == nullptr)
                continue;
            if (cell->GetItemCount() == 0)
                cell->AddNL(AnsiString(), 0, 0);
            cell->SetList(row);
        }
    }
}

// ---------------------------------------------------------------------------
// Colours

TColor TRVTableItemInfo::GetCellColor(const TRVTableCellData* cell) const
{
    if (cell != nullptr && cell->Color != clNone)
        return cell->Color;
    return GetTableColor(true);
}
