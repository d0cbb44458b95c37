// Empty tables, left when every row or every column is deleted (then rows
// without slots): their deletion undoes and redoes whole in an editor, they
// are written and read back in every format, and the commands, the caret keys
// and the mouse of an editor holding one pass it by without touching a cell.
#include <iterator>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "document/rvitem.h"
#include "platform/core/streams.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testtable.h"

namespace {

// The shapes an empty table takes: no rows, or rows without slots.
struct TEmptyShape {
    const char* Name;
    bool Columns; // every column deleted (rows without slots), else every row
    bool Merged;  // the grid held merged cells before
};
const TEmptyShape EmptyShapes[] = {
    {"every row", false, false},
    {"every row of merged cells", false, true},
    {"every column", true, false},
    {"every column of merged cells", true, true},
};

void MergeSome(TRVTableItemInfo* table)
{
    table->Rows->MergeCells(0, 0, 2, 2, true, false);
    table->Rows->MergeCells(1, 2, 1, 2, true, false);
}

// Deletes every row (column) of a 3 x 3 grid in two steps or in one.
void DeleteAll(TRVTableItemInfo* table, bool columns, bool inTwoSteps)
{
    TRVTableRows& rows = *table->Rows;
    if (inTwoSteps)
        columns ? rows.DeleteCols(1, 100, true) : rows.DeleteRows(1, 100, true);
    columns ? rows.DeleteCols(0, columns ? rows.GetColCount() : 0, true)
            : rows.DeleteRows(0, rows.Count(), true);
}

TEST(EmptyTable, EveryRowOrColumnMayBeDeleted)
{
    for (const TEmptyShape& s : EmptyShapes)
        for (bool twoSteps : {false, true}) {
            SCOPED_TRACE(std::string(s.Name) + (twoSteps ? " in two steps" : ""));
            TTableDoc doc;
            TRVTableItemInfo* table = doc.AddTable(3, 3);
            if (s.Merged)
                MergeSome(table);
            // More lines than there are from the first is still refused, and changes nothing.
            EXPECT_THROW(s.Columns ? table->Rows->DeleteCols(0, 4, false)
                                   : table->Rows->DeleteRows(0, 4, false),
                         ERollViewError);
            EXPECT_EQ(table->Rows->Count() * table->Rows->GetColCount(), 9);
            doc.Format();
            DeleteAll(table, s.Columns, twoSteps);
            EXPECT_TRUE(table->Rows->Empty());
            // Before it is laid out again, its old layout shows no cell.
            int row = -1, col = -1;
            EXPECT_FALSE(table->GetCellAt(8, 8, row, col));
            EXPECT_EQ(table->Rows->Count(), s.Columns ? 3 : 0);
            EXPECT_EQ(tablegrid::GridFault(*table->Rows), "");
            // Nothing is left to delete.
            EXPECT_THROW(table->Rows->DeleteCols(0, 1, false), ERollViewError);
            doc.Format();
            EXPECT_EQ(table->GetWidth(), 4);
            EXPECT_EQ(table->GetHeight(), 4);
        }
}

// The document "first", the table, "next" saved in every format.
struct TSaved {
    AnsiString RVF[2]; // text, binary
    std::string RTF;
    std::string HTML;
    std::string Text;
};

TSaved SaveAll(TTableDoc& doc)
{
    TSaved out;
    for (bool binary : {false, true}) {
        doc.Data.RVFOptions.Set(rvfoSaveBinary, binary);
        TStringStream rvf;
        EXPECT_TRUE(doc.Data.SaveRVFToStream(rvf, false, clNone, nullptr, nullptr));
        out.RVF[binary] = rvf.DataString();
    }
    TStringStream rtf;
    EXPECT_TRUE(doc.Data.SaveRTFToStream(rtf, false, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, 0));
    out.RTF = rtf.DataString();
    TStringStream html;
    int counter = 0;
    EXPECT_TRUE(doc.Data.SaveHTMLToStream(html, "", "t", "img", TRVSaveOptions(), clWhite, counter, 0, 0, 0,
                                          0, nullptr, nullptr));
    out.HTML = html.DataString();
    TStringStream text;
    EXPECT_TRUE(doc.Data.SaveTextToStream("", text, 80, false, false, false));
    out.Text = text.DataString();
    return out;
}

// How often the control word Word (without its backslash) stands in Rtf.
size_t Words(const std::string& rtf, const std::string& word)
{
    const std::regex pattern("\\\\" + word + "(?![a-z])");
    return static_cast<size_t>(
        std::distance(std::sregex_iterator(rtf.begin(), rtf.end(), pattern), std::sregex_iterator()));
}

size_t Occurrences(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

TEST(EmptyTable, IsWrittenAndReadBackInEveryFormat)
{
    for (const TEmptyShape& s : EmptyShapes) {
        SCOPED_TRACE(s.Name);
        TTableDoc doc;
        doc.Data.RVFOptions = {rvfoSaveTextStyles, rvfoSaveParaStyles};
        doc.Data.AddNL("first", 0, 0);
        TRVTableItemInfo* table = doc.AddTable(3, 3);
        if (s.Merged)
            MergeSome(table);
        table->Rows->Get(1)->VAlign = rvcBottom;
        doc.Data.AddNL("next", 0, 0);
        DeleteAll(table, s.Columns, false);
        doc.Format();
        const TSaved saved = SaveAll(doc);
        for (bool binary : {false, true}) {
            SCOPED_TRACE(binary ? "binary RVF" : "text RVF");
            TTableDoc back;
            back.Data.RVFOptions = doc.Data.RVFOptions;
            TStringStream in(saved.RVF[binary]);
            TColor color = clNone;
            ASSERT_TRUE(back.Data.LoadRVFFromStream(in, color, nullptr, nullptr));
            ASSERT_EQ(back.Data.GetItemCount(), 3);
            auto* got = dynamic_cast<TRVTableItemInfo*>(back.Data.GetItem(1));
            ASSERT_NE(got, nullptr);
            EXPECT_EQ(tablegrid::Shape(*got->Rows), tablegrid::Shape(*table->Rows));
            EXPECT_EQ(tablegrid::GridFault(*got->Rows), "");
            back.Format();
            EXPECT_EQ(got->GetHeight(), table->GetHeight());
            const TSaved again = SaveAll(back);
            EXPECT_TRUE(again.RVF[binary] == saved.RVF[binary]);
        }
        // RTF has no row without cells: the table writes nothing, and the
        // paragraphs around it stay apart.
        EXPECT_EQ(Words(saved.RTF, "trowd"), 0u);
        EXPECT_EQ(Words(saved.RTF, "row"), 0u);
        EXPECT_EQ(Words(saved.RTF, "par"), 1u);
        EXPECT_NE(saved.RTF.find("first"), std::string::npos);
        EXPECT_NE(saved.RTF.find("next"), std::string::npos);
        // HTML: the table and its rows, no cell.
        EXPECT_EQ(Occurrences(saved.HTML, "<TABLE"), 1u);
        EXPECT_EQ(Occurrences(saved.HTML, "<TR"), s.Columns ? 3u : 0u);
        EXPECT_EQ(Occurrences(saved.HTML, "<TD"), 0u);
        // Text: a row separator for every row.
        EXPECT_EQ(saved.Text, std::string("first\r\n") + (s.Columns ? "\r\n\r\n\r\n" : "") + "\r\nnext");
    }
}

// An editor's document "before", a 3 x 3 table, "after"; the table emptied
// through its row list, as a program does.
class EmptyTableEditTest : public TTableEditFixture {
protected:
    void NewEmptyTable(const TEmptyShape& s)
    {
        d = Editor.NewEditor(&Style);
        NewTable(3, 3);
        if (s.Merged)
            MergeSome(Table);
        d->FormatAll();
        d->ClearUndo();
        ASSERT_TRUE(Command("delete all", [&] { DeleteAll(Table, s.Columns, false); }));
        ASSERT_TRUE(Table->Rows->Empty());
    }
    // Runs an editing command with the invariant around it (undo and redo
    // when it changed the document).
    void Edit(const std::string& name, const std::function<void()>& command)
    {
        editinvariant::Run(*d, name, command);
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "") << name;
    }
    // The table's place in the editor's client area.
    TPoint TableAt(int dx, int dy)
    {
        const TRVDrawLineInfo* dli = d->DrawItems[d->FindDrawItemByItem(1)];
        return Point(dli->Left + dx - d->GetHOffs(), dli->Top + dy - d->GetVOffs());
    }
};

TEST_F(EmptyTableEditTest, DeletingEveryLineUndoesAndRedoesWhole)
{
    for (const TEmptyShape& s : EmptyShapes) {
        SCOPED_TRACE(s.Name);
        NewEmptyTable(s);
        ASSERT_EQ(d->UndoList->Count(), 1);
        // Undone, the grid and its cells are back; redone, the table is empty again.
        d->Undo();
        EXPECT_EQ(Table->Rows->Count() * Table->Rows->GetColCount(), 9);
        EXPECT_EQ(CellText(2, 0), "2,0");
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
        d->Redo();
        EXPECT_TRUE(Table->Rows->Empty());
        EXPECT_EQ(d->GetItemCount(), 3);
    }
}

TEST_F(EmptyTableEditTest, CommandsKeysAndTheMousePassItBy)
{
    for (const TEmptyShape& s : EmptyShapes) {
        SCOPED_TRACE(s.Name);
        NewEmptyTable(s);
        // The caret keys step over the table, with Shift selecting it.
        const struct {
            const char* Name;
            int ItemNo;
            int Offs;
            std::function<void()> Keys;
        } moves[] = {
            {"right into it", 1, 0, [&] { d->OnRightPress(false, false); }},
            {"left into it", 1, 1, [&] { d->OnLeftPress(false, false); }},
            {"down over it", 0, 3, [&] { d->OnDownPress(false, false); }},
            {"up over it", 2, 3, [&] { d->OnUpPress(false, false); }},
            {"shift down over it", 0, 3, [&] { d->OnDownPress(true, false); }},
            {"shift up over it", 2, 3, [&] { d->OnUpPress(true, false); }},
            {"shift right over it", 1, 0, [&] { d->OnRightPress(true, false); }},
            {"home and end", 1, 0,
             [&] {
                 d->OnEndPress(false);
                 d->OnHomePress(true);
                 d->OnEndPress(true);
             }},
        };
        for (const auto& m : moves) {
            SCOPED_TRACE(m.Name);
            Caret(m.ItemNo, m.Offs);
            m.Keys();
            editinvariant::CheckState(*d, m.Name);
            int row = -1, col = -1;
            EXPECT_EQ(Table->GetEditedCell(row, col), nullptr);
        }
        // The mouse over the table, on its border and across it.
        const TPoint points[] = {TableAt(0, 0), TableAt(2, 2), TableAt(Table->GetWidth() - 1, 1)};
        for (const TPoint& p : points) {
            Editor.Edit->MouseMove(TShiftState(), p.X, p.Y);
            Editor.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
            Editor.Edit->MouseMove(TShiftState{ssLeft}, p.X + 3, p.Y + 40);
            Editor.Edit->MouseUp(mbLeft, TShiftState(), p.X + 3, p.Y + 40);
            Table->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, 1, 1, d);
            Table->MouseMove(TShiftState{ssLeft}, 2, 2, 1, d);
            Table->MouseUp(mbLeft, TShiftState(), 2, 2, 1, d);
            editinvariant::CheckState(*d, "mouse");
        }
        // The table's commands on selected cells find none; nothing is empty
        // but rows without slots, all but one of which go.
        const struct {
            const char* Name;
            std::function<void()> Command;
        } commands[] = {
            {"rows selected", [&] { Table->SelectRows(0, 1); }},
            {"columns selected", [&] { Table->SelectCols(0, 1); }},
            {"rows inserted below", [&] { Table->InsertRowsBelow(1); }},
            {"columns inserted right", [&] { Table->InsertColsRight(1); }},
            {"rows deleted", [&] { Table->DeleteSelectedRows(); }},
            {"columns deleted", [&] { Table->DeleteSelectedCols(); }},
            {"cells merged", [&] { Table->MergeSelectedCells(true); }},
            {"cells unmerged", [&] { Table->UnmergeSelectedCells(true, true); }},
            {"empty columns deleted", [&] { Table->DeleteEmptyCols(); }},
        };
        for (const auto& c : commands) {
            if (Table->Rows->Count() == 0 && std::string(c.Name) == "rows selected")
                continue;
            EXPECT_FALSE(editinvariant::Run(*d, c.Name, c.Command)) << c.Name;
        }
        const int groups = d->UndoList->Count();
        Table->DeleteEmptyRows();
        editinvariant::CheckState(*d, "empty rows deleted");
        EXPECT_EQ(Table->Rows->Count(), s.Columns ? 1 : 0);
        for (int i = d->UndoList->Count(); i > groups; --i)
            d->Undo();
        EXPECT_EQ(Table->Rows->Count(), s.Columns ? 3 : 0);
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
        // Rows go into an empty table as they are (without slots when it has
        // none), columns into its rows.
        ASSERT_TRUE(Command("a row", [&] { Table->Rows->InsertRows(0, 1, -1, false); }));
        ASSERT_TRUE(Command("a column", [&] { Table->Rows->InsertCols(0, 1, -1, false); }));
        EXPECT_EQ(Table->Rows->GetColCount(), 1);
        EXPECT_EQ(Table->Rows->Count(), s.Columns ? 4 : 1);
        d->Undo();
        d->Undo();
        // Selected with the text around it and copied, then deleted, then
        // pasted back.
        TStringStream copied;
        Edit("select all and delete", [&] {
            d->SelectAll();
            TStringStream rtf, text;
            EXPECT_TRUE(d->SaveRVFToStream(copied, true, clNone, nullptr, nullptr));
            EXPECT_TRUE(d->SaveRTFToStream(rtf, true, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, 0));
            EXPECT_TRUE(d->SaveTextToStream("", text, 80, true, false, false));
            d->DeleteSelection_();
        });
        Edit("paste", [&] {
            copied.SetPosition(0);
            EXPECT_TRUE(Editor.Edit->InsertRVFFromStreamEd(&copied));
        });
        auto* pasted = dynamic_cast<TRVTableItemInfo*>(d->GetItem(1));
        ASSERT_NE(pasted, nullptr);
        EXPECT_EQ(tablegrid::Shape(*pasted->Rows), tablegrid::Shape(*Table->Rows));
        Table = pasted;
        // The keys that delete it alone.
        Caret(0, 7);
        Edit("delete", [&] { d->OnDeletePress_(false, false); });
        Caret(2, 1);
        Edit("backspace", [&] { d->OnBackSpacePress_(false, false, false); });
    }
}

} // namespace
