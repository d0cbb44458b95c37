// Fixtures of the table printing tests: a table of labelled cells in a viewer
// (every cell reads "r<row>c<col>", blocks merged down), and the texts a
// printable document paints on each of its pages.
#pragma once

#include <string>
#include <vector>

#include "print/ptblrv.h"
#include "tests/support/testprint.h"
#include "tests/support/testtable.h"

// A block of RowSpan rows merged down from (Row, Col).
struct TTestRowSpan {
    int Row;
    int Col;
    int RowSpan;
};

inline std::string CellLabel(int Row, int Col)
{
    return "r" + std::to_string(Row) + "c" + std::to_string(Col);
}

// Appends to View a table of RowCount x ColCount labelled cells with
// HeadingRows heading rows and the given blocks merged.
inline TRVTableItemInfo* AddLabelledTable(TCustomRollView* View, int RowCount, int ColCount, int HeadingRows,
                                          const std::vector<TTestRowSpan>& Spans = {})
{
    RV_RegisterTableItem();
    auto* Table = new TRVTableItemInfo(RowCount, ColCount, View->RVData);
    Table->HeadingRowCount = HeadingRows;
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c)
            Table->GetCells(r, c)->SetItemText(0, CellLabel(r, c));
    for (const TTestRowSpan& s : Spans)
        MergeBlock(Table, s.Row, s.Col, 1, s.RowSpan);
    View->AddItem(AnsiString(), Table);
    return Table;
}

// The texts painted on Canvas, in order.
inline std::vector<std::string> PaintedTexts(const TRecordingCanvas& Canvas)
{
    std::vector<std::string> Texts;
    for (const TCanvasRecord& r : Canvas.Records())
        if (r.Op == TCanvasOp::Text) {
            std::string s;
            for (auto ch : r.Text)
                s.push_back(static_cast<char>(ch));
            Texts.push_back(s);
        }
    return Texts;
}

// The texts every page of Print paints on a test printer canvas of Metrics.
inline std::vector<std::vector<std::string>> PaintedPages(TCustomRVPrint* Print,
                                                          const TPrinterMetrics& Metrics)
{
    std::vector<std::vector<std::string>> Pages;
    for (int p = 1; p <= Print->GetPagesCount(); ++p) {
        TTestPrinterCanvas Canvas(Metrics);
        Print->rv->DrawPage(p, &Canvas, false, false);
        Pages.push_back(PaintedTexts(Canvas));
    }
    return Pages;
}

// The print layout of the first table of Print's printable document.
inline TRVTablePrintDrawItem* TablePrintItem(TCustomRVPrint* Print)
{
    TCustomMainPtblRVData* Data = Print->rv->PrintData();
    for (int i = 0; i < Data->DrawItems.Count(); ++i)
        if (auto* Item = dynamic_cast<TRVTablePrintDrawItem*>(Data->DrawItems[i]))
            return Item;
    return nullptr;
}
