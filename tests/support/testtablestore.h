// Fixtures of the tests of tables in stored and exported form: sample tables
// (merged blocks, aligned rows, coloured cells, a nested table), saving a
// document to RVF and reading it back; and the hand-made component streams of
// tablestream.h.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platform/core/streams.h"
#include "tests/support/tablestream.h"
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

// The document as RVF (text or binary form).
inline std::string SaveDocRVF(TTableDoc& Doc, bool Binary)
{
    Doc.Data.RVFOptions = Binary ? TRVFOptions{rvfoSaveBinary} : TRVFOptions();
    TStringStream Stream;
    EXPECT_TRUE(Doc.Data.SaveRVFToStream(Stream, false, clNone, nullptr, nullptr));
    return Stream.DataString();
}

// Reads RVF bytes into the (empty) document; the reader's result.
inline bool LoadDocRVF(TTableDoc& Doc, const std::string& Bytes)
{
    TStringStream Stream(Bytes);
    TColor Color = clNone;
    return Doc.Data.LoadRVFFromStream(Stream, Color, nullptr, nullptr);
}
