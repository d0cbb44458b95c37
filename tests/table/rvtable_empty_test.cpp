// Empty tables, left when every row or every column is deleted (then rows
// without slots): they are laid out as their border, written and read back
// in every format, and in an editor their deletion undoes and redoes whole
// while the commands, the caret keys and the mouse pass them by.
#include <iterator>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "platform/core/streams.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testtable.h"

namespace {

// How an empty table comes about: every row or every column of a 3 x 3 grid
// (with merged cells or not) deleted, in one step or after all but the first.
struct TEmptyShape {
    const char* Name;
    bool Columns;
    bool Merged;
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

void DeleteAll(TRVTableItemInfo* table, const TEmptyShape& s)
{
    TRVTableRows& rows = *table->Rows;
    if (s.Merged)
        s.Columns ? rows.DeleteCols(1, 100, true) : rows.DeleteRows(1, 100, true);
    s.Columns ? rows.DeleteCols(0, rows.GetColCount(), true) : rows.DeleteRows(0, rows.Count(), true);
}

// How often the control word Word stands in Rtf.
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

AnsiString SaveRVF(TTableDoc& doc, bool binary)
{
    doc.Data.RVFOptions.Set(rvfoSaveBinary, binary);
    TStringStream rvf;
    EXPECT_TRUE(doc.Data.SaveRVFToStream(rvf, false, clNone, nullptr, nullptr));
    return rvf.DataString();
}

TEST(EmptyTable, IsItsBorderAndIsWrittenAndReadBackInEveryFormat)
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
        doc.Format();
        // More lines than there are from the first are still refused.
        EXPECT_THROW(s.Columns ? table->Rows->DeleteCols(0, 4, false) : table->Rows->DeleteRows(0, 4, false),
                     ERollViewError);
        DeleteAll(table, s);
        EXPECT_EQ(table->Rows->Count(), s.Columns ? 3 : 0);
        EXPECT_EQ(tablegrid::GridFault(*table->Rows), "");
        EXPECT_THROW(table->Rows->DeleteCols(0, 1, false), ERollViewError);
        // Before it is laid out again, its old layout shows no cell.
        int row = -1, col = -1;
        EXPECT_FALSE(table->GetCellAt(8, 8, row, col));
        doc.Format();
        EXPECT_EQ(table->GetWidth(), 4);
        EXPECT_EQ(table->GetHeight(), 4);

        for (bool binary : {false, true}) {
            SCOPED_TRACE(binary ? "binary RVF" : "text RVF");
            const AnsiString saved = SaveRVF(doc, binary);
            TTableDoc back;
            back.Data.RVFOptions = doc.Data.RVFOptions;
            TStringStream in(saved);
            TColor color = clNone;
            ASSERT_TRUE(back.Data.LoadRVFFromStream(in, color, nullptr, nullptr));
            auto* got = dynamic_cast<TRVTableItemInfo*>(back.Data.GetItem(1));
            ASSERT_NE(got, nullptr);
            EXPECT_EQ(tablegrid::Shape(*got->Rows), tablegrid::Shape(*table->Rows));
            back.Format();
            EXPECT_TRUE(SaveRVF(back, binary) == saved);
        }
        // RTF has no row without cells: the table writes nothing, and the
        // paragraphs around it stay apart.
        TStringStream rtf;
        EXPECT_TRUE(doc.Data.SaveRTFToStream(rtf, false, 0, clNone, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, 0));
        EXPECT_EQ(Words(rtf.DataString(), "trowd") + Words(rtf.DataString(), "row"), 0u);
        EXPECT_EQ(Words(rtf.DataString(), "par"), 1u);
        // HTML: the table and its rows, no cell; text: a separator for every row.
        TStringStream html, text;
        int counter = 0;
        EXPECT_TRUE(doc.Data.SaveHTMLToStream(html, "", "t", "img", TRVSaveOptions(), clWhite, counter, 0, 0,
                                              0, 0, nullptr, nullptr));
        EXPECT_EQ(Occurrences(html.DataString(), "<TABLE"), 1u);
        EXPECT_EQ(Occurrences(html.DataString(), "<TR"), s.Columns ? 3u : 0u);
        EXPECT_EQ(Occurrences(html.DataString(), "<TD"), 0u);
        EXPECT_TRUE(doc.Data.SaveTextToStream("", text, 80, false, false, false));
        EXPECT_EQ(text.DataString(),
                  std::string("first\r\n") + (s.Columns ? "\r\n\r\n\r\n" : "") + "\r\nnext");
    }
}

using EmptyTableEditTest = TTableEditFixture;

// An editor's document "before", a 3 x 3 table, "after": the table emptied
// through its row list as a program does (one step that undo and redo play
// whole), then walked over by the keys, the mouse and the table's commands.
TEST_F(EmptyTableEditTest, DeletingEveryLineUndoesWholeAndTheEditorPassesTheTableBy)
{
    for (const TEmptyShape& s : EmptyShapes) {
        SCOPED_TRACE(s.Name);
        d = Editor.NewEditor(&Style);
        NewTable(3, 3);
        if (s.Merged)
            MergeSome(Table);
        d->FormatAll();
        ASSERT_TRUE(Command("delete all", [&] { DeleteAll(Table, s); }));
        const struct {
            const char* Name;
            int ItemNo;
            int Offs;
            std::function<void()> Keys;
        } moves[] = {
            {"right", 1, 0, [&] { d->OnRightPress(false, false); }},
            {"left", 1, 1, [&] { d->OnLeftPress(false, false); }},
            {"down", 0, 3, [&] { d->OnDownPress(false, false); }},
            {"up", 2, 3, [&] { d->OnUpPress(false, false); }},
            {"shift down", 0, 3, [&] { d->OnDownPress(true, false); }},
            {"shift up", 2, 3, [&] { d->OnUpPress(true, false); }},
            {"shift right", 1, 0, [&] { d->OnRightPress(true, false); }},
            {"home and end", 1, 0, [&] { d->OnEndPress(false), d->OnHomePress(true), d->OnEndPress(true); }},
        };
        for (const auto& m : moves) {
            Caret(m.ItemNo, m.Offs);
            m.Keys();
            editinvariant::CheckState(*d, m.Name);
            int row = -1, col = -1;
            EXPECT_EQ(Table->GetEditedCell(row, col), nullptr) << m.Name;
        }
        // The mouse on the table's border and across it, through the editor and straight.
        for (const int dx : {0, 2, Table->GetWidth() - 1}) {
            // A click may lay the document out again: its draw item is looked up each time.
            const TRVDrawLineInfo* dli = d->DrawItems[d->FindDrawItemByItem(1)];
            const int x = dli->Left + dx;
            const int y = dli->Top + 1;
            Editor.Edit->MouseMove(TShiftState(), x, y);
            Editor.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
            Editor.Edit->MouseMove(TShiftState{ssLeft}, x + 3, y + 40);
            Editor.Edit->MouseUp(mbLeft, TShiftState(), x + 3, y + 40);
            Table->MouseDown(mbLeft, TShiftState{ssLeft}, dx, 1, 1, d);
            Table->MouseMove(TShiftState{ssLeft}, 2, 2, 1, d);
            Table->MouseUp(mbLeft, TShiftState(), 2, 2, 1, d);
            editinvariant::CheckState(*d, "mouse");
        }
        // The commands on selected cells find none.
        const std::function<void()> commands[] = {
            [&] { Table->Rows->Count() > 0 ? Table->SelectRows(0, 1) : Table->SelectCols(0, 1); },
            [&] { Table->InsertRowsBelow(1); },
            [&] { Table->InsertColsRight(1); },
            [&] { Table->DeleteSelectedRows(); },
            [&] { Table->DeleteSelectedCols(); },
            [&] { Table->MergeSelectedCells(true); },
            [&] { Table->UnmergeSelectedCells(true, true); },
            [&] { Table->DeleteEmptyCols(); },
        };
        for (const auto& command : commands)
            EXPECT_FALSE(editinvariant::Run(*d, "command", command));
        // Rows without slots count as empty: all but one go, each its own step.
        const int groups = d->UndoList->Count();
        Table->DeleteEmptyRows();
        editinvariant::CheckState(*d, "empty rows deleted");
        EXPECT_EQ(Table->Rows->Count(), s.Columns ? 1 : 0);
        while (d->UndoList->Count() > groups)
            d->Undo();
        // Rows go into an empty table as they are (without slots when it has
        // none), columns into its rows.
        ASSERT_TRUE(Command("a row", [&] { Table->Rows->InsertRows(0, 1, -1, false); }));
        ASSERT_TRUE(Command("a column", [&] { Table->Rows->InsertCols(0, 1, -1, false); }));
        EXPECT_EQ(Table->Rows->Count() * Table->Rows->GetColCount(), s.Columns ? 4 : 1);
        d->Undo();
        d->Undo();
        // Copied with the text around it, deleted, pasted back, deleted alone by the keys.
        TStringStream copied;
        editinvariant::Run(*d, "copy and delete", [&] {
            d->SelectAll();
            TStringStream rtf, text;
            EXPECT_TRUE(d->SaveRVFToStream(copied, true, clNone, nullptr, nullptr));
            EXPECT_TRUE(d->SaveRTFToStream(rtf, true, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, 0));
            EXPECT_TRUE(d->SaveTextToStream("", text, 80, true, false, false));
            d->DeleteSelection_();
        });
        editinvariant::Run(*d, "paste", [&] {
            copied.SetPosition(0);
            EXPECT_TRUE(Editor.Edit->InsertRVFFromStreamEd(&copied));
        });
        auto* pasted = dynamic_cast<TRVTableItemInfo*>(d->GetItem(1));
        ASSERT_NE(pasted, nullptr);
        EXPECT_EQ(tablegrid::Shape(*pasted->Rows), tablegrid::Shape(*Table->Rows));
        Caret(0, 7);
        editinvariant::Run(*d, "delete", [&] { d->OnDeletePress_(false, false); });
        Caret(2, 1);
        editinvariant::Run(*d, "backspace", [&] { d->OnBackSpacePress_(false, false, false); });
        EXPECT_EQ(tablegrid::GridFault(*pasted->Rows), "");
    }
}

} // namespace
