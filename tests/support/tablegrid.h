// The grid checker (tablegridcheck.h) every table test runs after a
// structural operation, the checks of the table's kept layout and of how it
// paints its cell selection, and a fixture holding a table in a headless
// editor: a paragraph, the table (each cell holding the text "r,c" of its
// slot) and a paragraph.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "edit/rvervdata.h"
#include "platform/core/colors.h"
#include "platform/graphics/recordingcanvas.h"
#include "table/rvtable.h"
#include "tests/support/editinvariant.h"
#include "tests/support/tablegridcheck.h"
#include "tests/support/testeditor.h"

namespace tablegrid {

// What the table's layout made: the table's size and minimum width, its
// columns and rows, and every cell's rectangle and laid-out lines.
inline std::string LayoutOf(TRVEditRVData& d, TRVTableItemInfo& table)
{
    std::string s = "table " + std::to_string(table.GetWidth()) + "x" + std::to_string(table.GetHeight()) +
                    " min " + std::to_string(table.GetMinWidth(nullptr, d.GetFormattingCanvas(), &d)) + "\n";
    const TRVTableItemFormattingInfo& f = *table.FormattingInfo;
    for (const TRVIntegerList* list : {&f.ColWidths, &f.ColStarts, &f.RowHeights, &f.RowStarts}) {
        for (int i = 0; i < list->Count(); ++i)
            s += std::to_string(list->Get(i)) + " ";
        s += "\n";
    }
    for (int r = 0; r < table.Rows->Count(); ++r)
        for (int c = 0; c < table.Rows->Get(r)->Count(); ++c) {
            TRVTableCellData* cell = table.GetCells(r, c);
            if (cell == nullptr)
                continue;
            s += "cell " + std::to_string(r) + "," + std::to_string(c) + ": " + std::to_string(cell->Left) +
                 " " + std::to_string(cell->Top) + " " + std::to_string(cell->Width) + "x" +
                 std::to_string(cell->Height) + " doc " + std::to_string(cell->DocumentHeight) + " min " +
                 std::to_string(cell->GetMinWidth(nullptr, d.GetFormattingCanvas())) + ":";
            for (int i = 0; i < cell->DrawItems.Count(); ++i) {
                const TRVDrawLineInfo* dli = cell->DrawItems[i];
                s += " [" + std::to_string(dli->ItemNo) + " " + std::to_string(dli->Offs) + "+" +
                     std::to_string(dli->Length) + " " + std::to_string(dli->Left) + "," +
                     std::to_string(dli->Top) + " " + std::to_string(dli->Width) + "x" +
                     std::to_string(dli->Height) + "]";
            }
            s += "\n";
        }
    return s;
}

// Empty when the layout the table kept (cells laid out again only when they
// or their widths changed, measures kept while nothing changed) is the one a
// fresh layout of every cell makes; else both layouts.
inline std::string StaleLayout(TRVEditRVData& d, TRVTableItemInfo& table)
{
    const std::string kept = LayoutOf(d, table);
    // Every cell noted as changed: nothing measured or laid out before stands.
    for (int r = 0; r < table.Rows->Count(); ++r)
        for (int c = 0; c < table.Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = table.GetCells(r, c))
                cell->NoteChange();
    table.Changed();
    d.Format_(false, true, true, 0, nullptr, false, true);
    const std::string fresh = LayoutOf(d, table);
    return kept == fresh ? std::string() : "kept:\n" + kept + "fresh:\n" + fresh;
}

// Empty when the table paints every cell as its cell selection says: a cell
// the table reports selected (IsCellSelected) is filled in a selection colour
// and its text (an empty line's too) drawn in a selection text colour, any
// other cell neither; else the cells painted otherwise. The table is painted
// alone, as its document paints it, its top-left corner at the canvas's
// origin; each cell's content is painted again on a canvas of its own, as the
// table paints it, so that text running past a narrow cell counts for its own;
// list markers, never drawn as selected, do not count.
inline std::string SelectionPaintFault(TRVTableItemInfo& table)
{
    const TRVStyle* style = table.GetRVData()->GetRVStyle();
    const int w = std::max(table.FormattingInfo->Width, 1);
    const int h = std::max(table.FormattingInfo->Height, 1);
    TRecordingCanvas canvas(w, h, 96);
    table.PaintTo(0, w, 0, 0, table.Rows->Count(), &canvas, TRVItemDrawStates(), nullptr,
                  table.FormattingInfo.get(), false, Rect(0, 0, w, h), rvcmColor);
    auto either = [](TColor color, TColor a, TColor b) {
        return ColorToRGB(color) == ColorToRGB(a) || ColorToRGB(color) == ColorToRGB(b);
    };
    std::ostringstream out;
    for (int r = 0; r < table.Rows->Count(); ++r)
        for (int c = 0; c < table.Rows->Get(r)->Count(); ++c) {
            TRVTableCellData* cell = table.GetCells(r, c);
            if (cell == nullptr)
                continue;
            const TRect box = Rect(cell->Left, cell->Top, cell->Left + cell->Width, cell->Top + cell->Height);
            bool filled = false;
            for (const TCanvasRecord* fill : canvas.RecordsOf(TCanvasOp::FillRect))
                if (fill->Rect == box)
                    filled = either(fill->Brush.Color, style->SelColor(), style->InactiveSelColor());
            TRecordingCanvas content(w, h, 96);
            cell->PaintTo(&content, Rect(0, 0, w, h));
            // List markers are never drawn as selected: their numbers and bullets are left out.
            std::vector<TRVMarkerItemInfo*> markers;
            cell->CollectMarkers(0, cell->GetItemCount() - 1, markers);
            auto isMarker = [&](const TCanvasRecord* text) {
                return std::any_of(markers.begin(), markers.end(), [&](const TRVMarkerItemInfo* m) {
                    return !m->DisplayString.empty() && text->TextUtf8() == m->DisplayString;
                });
            };
            int texts = 0;
            int selectedTexts = 0;
            for (const TCanvasRecord* text : content.RecordsOf(TCanvasOp::Text)) {
                if (isMarker(text))
                    continue;
                ++texts;
                if (either(text->Font.Color, style->SelTextColor(), style->InactiveSelTextColor()))
                    ++selectedTexts;
            }
            const bool selected = table.IsCellSelected(r, c);
            if (filled != selected || selectedTexts != (selected ? texts : 0))
                out << "cell (" << r << "," << c << ") " << (selected ? "selected" : "not selected")
                    << ": filled " << (filled ? "as selected" : "as not selected") << ", " << selectedTexts
                    << " of " << texts << " texts drawn as selected; ";
        }
    return out.str();
}

} // namespace tablegrid

// Tables are kept apart from the text-editing fixture: the table layer has a
// switch named like a constant of the Unicode helpers.
class TTableEditFixture : public ::testing::Test {
protected:
    TTableEditFixture()
    {
        RV_RegisterTableItem();
        d = Editor.NewEditor(&Style);
    }
    void AddText(const char* text) { d->AddNL(text, 0, 0); }
    void Caret(int itemNo, int offs) { d->SetCaretAtItem(itemNo, offs, false); }

    // The editor's document: "before", the table, "after"; laid out, caret at the start.
    TRVTableItemInfo* NewTable(int rowCount, int colCount)
    {
        AddText("before");
        Table = new TRVTableItemInfo(rowCount, colCount, d);
        for (int r = 0; r < rowCount; ++r)
            for (int c = 0; c < colCount; ++c)
                SetCellText(r, c, std::to_string(r) + "," + std::to_string(c));
        d->AddItem(AnsiString(), Table);
        AddText("after");
        d->FormatAll();
        Caret(0, 1);
        return Table;
    }
    void SetCellText(int r, int c, const std::string& text)
    {
        TRVTableCellData* cell = Table->GetCells(r, c);
        cell->Clear();
        cell->AddNL(AnsiString(text), 0, 0);
    }
    // The texts of a cell's items joined by "/".
    std::string CellText(int r, int c) const
    {
        TRVTableCellData* cell = Table->GetCells(r, c);
        std::string s;
        for (int i = 0; i < cell->GetItemCount(); ++i)
            s += (i ? "/" : "") + std::string(cell->GetItemText(i));
        return s;
    }
    // Runs a table command as the editor does: one undo group around it, the
    // table laid out again, then the change; checks the grid, that the cells
    // are painted as the cell selection the command left says and, when the
    // document changed, that undo and redo give back both states (with Check,
    // when given, at every layout).
    bool Command(const std::string& name, const std::function<void()>& operation,
                 const editinvariant::TLayoutCheck& check = nullptr)
    {
        Caret(0, 1);
        const auto command = [&] {
            const int itemNo = Table->GetMyItemNo();
            const int token = Table->BeginModify(itemNo);
            Table->InitUndo();
            try {
                operation();
            } catch (...) {
                Table->DoneUndo();
                throw;
            }
            Table->DoneUndo();
            Table->Changed();
            // The table laid out again as an editing command does: only its
            // own lines, unless the document's minimum width moved.
            if (itemNo < d->GetItemCount() && d->GetItem(itemNo) == Table) {
                Table->EndModify(itemNo, token);
                // Before the caret moves, which ends the cell selection.
                EXPECT_EQ(tablegrid::SelectionPaintFault(*Table), "") << name;
            } else {
                d->FormatAll();
            }
            Caret(0, 1);
        };
        const bool changed = editinvariant::Run(*d, name, command, check);
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "") << name << ": " << tablegrid::Shape(*Table->Rows);
        EXPECT_EQ(tablegrid::StaleLayout(*d, *Table), "") << name;
        return changed;
    }

    TRVStyle Style{nullptr};
    THeadlessEditor Editor;
    TRVEditRVData* d = nullptr;
    TRVTableItemInfo* Table = nullptr;
};
