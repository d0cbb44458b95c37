// Fixtures of the table printing tests: a viewer's table whose cells read
// "r<row>c<col>" (blocks merged down), and the texts each page paints.
#pragma once

#include <string>
#include <vector>

#include "table/rvtableprint.h"
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

// The first table of Print's formatted pages (null when none).
inline TRVTablePrintInfo* FirstTablePrintItem(TCustomRVPrint* Print)
{
    TCustomMainPtblRVData* Data = Print->rv->PrintData();
    for (int i = 0; i < Data->DrawItems.Count(); ++i)
        if (auto* Item = dynamic_cast<TRVTablePrintInfo*>(Data->DrawItems[i]))
            return Item;
    return nullptr;
}

// The texts every page of Print paints on a test printer canvas of Metrics, in order.
inline std::vector<std::vector<std::string>> PaintedPages(TCustomRVPrint* Print,
                                                          const TPrinterMetrics& Metrics)
{
    std::vector<std::vector<std::string>> Pages;
    for (int p = 1; p <= Print->GetPagesCount(); ++p) {
        TTestPrinterCanvas Canvas(Metrics);
        Print->rv->DrawPage(p, &Canvas, false, false);
        Pages.emplace_back();
        for (const TCanvasRecord& r : Canvas.Records())
            if (r.Op == TCanvasOp::Text)
                Pages.back().emplace_back(r.Text.begin(), r.Text.end());
    }
    return Pages;
}
