// The components a table is streamed through (RVF and plain component
// streams): the table's stand-in and the one each cell passes through.
#pragma once

#include "platform/core/component.h"
#include "table/rvtable.h"

// The table's stored form: a component whose published T is the table and
// whose defined properties are "C" (the cells list) and "RowVAlign". The
// writer saves the rows from the table's SavedFirstRow, SavedRowCount of them.
class TRVTableSW : public TComponent {
public:
    explicit TRVTableSW(TRVTableItemInfo* aTable);
    ~TRVTableSW() override;
    const char* ClassName() const override { return "TRVTableSW"; }
    const TPropertyTable* PropertyTable() const override;
    void DefineProperties(TFiler* filer) override;

    TRVTableItemInfo* T;
    // The component each cell is written and read through.
    TD* CellWriter;
};

// One cell of the cells list, streamed as a component whose published C is the cell.
class TD : public TComponent {
public:
    explicit TD(TRVTableSW* aOwner) : TComponent(nullptr), SW(aOwner) {}
    const char* ClassName() const override { return "TD"; }
    const TPropertyTable* PropertyTable() const override;

    TRVTableCellData* C = nullptr;
    // The cells read through this component.
    int CellsRead = 0;
    TRVTableSW* SW;
};
