// Fixtures of the tests of tables in stored and exported form: sample tables
// (merged blocks, aligned rows, coloured cells, a nested table), saving a
// document to RVF and reading it back, and hand-made component streams of a
// table for malformed input.
#pragma once

#include <functional>
#include <string>

#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "tests/support/testtable.h"

// Fills a cell with one line of text (replacing its empty line).
inline void SetCellText(TRVTableCellData* Cell, const AnsiString& Text)
{
    Cell->Clear();
    Cell->AddNL(Text, 0, 0);
}

// A 3 x 3 table: "a" spans (0,0)-(0,1), "c" spans (1,2)-(2,2), the other cells
// hold their slot's name; row 1 is aligned to the middle, cell (2,0) is red.
inline TRVTableItemInfo* AddMergedTable(TTableDoc& Doc)
{
    TRVTableItemInfo* Table = Doc.AddTable(3, 3);
    MergeBlock(Table, 0, 0, 2, 1);
    MergeBlock(Table, 1, 2, 1, 2);
    SetCellText(Table->GetCells(0, 0), "a");
    SetCellText(Table->GetCells(0, 2), "b");
    SetCellText(Table->GetCells(1, 0), "d");
    SetCellText(Table->GetCells(1, 1), "e");
    SetCellText(Table->GetCells(1, 2), "c");
    SetCellText(Table->GetCells(2, 0), "g");
    SetCellText(Table->GetCells(2, 1), "h");
    Table->Rows->Get(1)->VAlign = rvcMiddle;
    Table->GetCells(2, 0)->Color = clRed;
    Table->BorderWidth = 1;
    Table->BestWidth = -80;
    Table->HeadingRowCount = 1;
    return Table;
}

// A 1 x 2 table whose second cell holds a 2 x 1 table.
inline TRVTableItemInfo* AddNestedTable(TTableDoc& Doc)
{
    TRVTableItemInfo* Table = Doc.AddTable(1, 2);
    SetCellText(Table->GetCells(0, 0), "outer");
    TRVTableCellData* Holder = Table->GetCells(0, 1);
    Holder->Clear();
    auto* Inner = new TRVTableItemInfo(2, 1, Holder);
    SetCellText(Inner->GetCells(0, 0), "in1");
    SetCellText(Inner->GetCells(1, 0), "in2");
    Holder->AddItem(AnsiString(), Inner);
    return Table;
}

inline std::string StreamBytes(TMemoryStream& Stream)
{
    return std::string(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

// The document as RVF (text or binary form).
inline std::string SaveDocRVF(TTableDoc& Doc, bool Binary)
{
    Doc.Data.RVFOptions = Binary ? TRVFOptions{rvfoSaveBinary} : TRVFOptions();
    TMemoryStream Stream;
    EXPECT_TRUE(Doc.Data.SaveRVFToStream(Stream, false, clNone, nullptr, nullptr));
    return StreamBytes(Stream);
}

// Reads RVF bytes into the (empty) document; the reader's result.
inline bool LoadDocRVF(TTableDoc& Doc, const std::string& Bytes)
{
    TMemoryStream Stream;
    Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    Stream.SetPosition(0);
    TColor Color = clNone;
    return Doc.Data.LoadRVFFromStream(Stream, Color, nullptr, nullptr);
}

// A component stream of a table: the root record with "C" written by WriteC
// and then whatever Extra writes (further properties), as TRVTableSW writes it.
inline std::string TableStream(const std::function<void(TWriter&)>& WriteC,
                               const std::function<void(TWriter&)>& Extra = nullptr)
{
    TMemoryStream Stream;
    {
        TWriter W(Stream);
        W.WriteSignature();
        W.WriteStr("TRVTableSW");
        W.WriteStr("");
        W.WriteStr("C");
        WriteC(W);
        if (Extra)
            Extra(W);
        W.WriteListEnd();
        W.WriteListEnd();
    }
    return StreamBytes(Stream);
}

// Reads a component stream of a table into Table; raises what reading raises.
inline void LoadTableStream(TRVTableItemInfo* Table, const std::string& Bytes)
{
    TMemoryStream In;
    In.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    In.SetPosition(0);
    Table->LoadFromStream(In);
}

// One entry of the cells list: spans and an empty cell.
inline void WriteCellEntry(TWriter& W, int ColSpan, int RowSpan)
{
    W.WriteInteger(ColSpan);
    W.WriteInteger(RowSpan);
    W.WriteStr("TD");
    W.WriteStr("");
    W.WriteListEnd();
    W.WriteListEnd();
}

// The RVF of a document holding one table whose component stream is
// replaced by Stream, in text or binary form.
inline std::string RVFWithTableStream(const std::string& Stream, bool Binary)
{
    TTableDoc Doc;
    Doc.AddTable(1, 1);
    const std::string Saved = SaveDocRVF(Doc, Binary);
    const std::string Mark = "\r\n1\r\n";
    const size_t At = Saved.rfind(Mark);
    EXPECT_NE(At, std::string::npos);
    std::string Result = Saved.substr(0, At + Mark.size());
    if (Binary) {
        const uint32_t N = static_cast<uint32_t>(Stream.size());
        const char Len[4] = {static_cast<char>(N), static_cast<char>(N >> 8), static_cast<char>(N >> 16),
                             static_cast<char>(N >> 24)};
        Result += std::string(Len, 4) + Stream;
    } else {
        TMemoryStream Bytes;
        Bytes.WriteBuffer(Stream.data(), static_cast<int64_t>(Stream.size()));
        Result += RVFStream2TextString(Bytes) + "\r\n";
    }
    return Result;
}
