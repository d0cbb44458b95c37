// Empty tables, left when every row or every column is deleted (then rows
// without slots): they are laid out as their border, written and read back
// in every format, and in an editor their deletion undoes and redoes whole
// while the commands, the caret keys and the mouse pass them by.
#include <cctype>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/streams.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testtablestore.h"

namespace {

// How an empty table comes about: every row or every column of a 3 x 3 grid
// (with merged cells or not) deleted, in one step or after all but the first.
struct TEmptyShape {
    bool Columns;
    bool Merged;
    std::string Name() const
    {
        return std::string(Columns ? "every column" : "every row") + (Merged ? " of merged cells" : "");
    }
};
const TEmptyShape EmptyShapes[] = {{false, false}, {false, true}, {true, false}, {true, true}};

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

// How often What stands in S; an RTF control word ("\\row") only where no letter follows it.
size_t Count(const std::string& s, const std::string& what)
{
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        n += what[0] != '\\' || !std::isalpha(static_cast<unsigned char>(s[at + what.size()]));
    return n;
}

TEST(EmptyTable, IsItsBorderAndIsWrittenAndReadBackInEveryFormat)
{
    for (const TEmptyShape& s : EmptyShapes) {
        SCOPED_TRACE(s.Name());
        TTableDoc doc;
        doc.Data.AddNL("first", 0, 0);
        TRVTableItemInfo* table = doc.AddTable(3, 3);
        if (s.Merged)
            MergeSome(table);
        table->Rows->Get(1)->VAlign = rvcBottom;
        doc.Data.AddNL("next", 0, 0);
        doc.Format();
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

        for (const bool binary : {false, true}) {
            SCOPED_TRACE(binary ? "binary RVF" : "text RVF");
            const std::string saved = SaveDocRVF(doc, binary);
            TTableDoc back;
            ASSERT_TRUE(LoadDocRVF(back, saved));
            auto* got = dynamic_cast<TRVTableItemInfo*>(back.Data.GetItem(1));
            ASSERT_NE(got, nullptr);
            EXPECT_EQ(tablegrid::Shape(*got->Rows), tablegrid::Shape(*table->Rows));
            back.Format();
            EXPECT_EQ(SaveDocRVF(back, binary), saved);
        }
        // RTF has no row without cells: the table writes nothing, and the
        // paragraphs around it stay apart.
        TStringStream rtf;
        EXPECT_TRUE(doc.Data.SaveRTFToStream(rtf, false, 0, clNone, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, 0));
        EXPECT_EQ(Count(rtf.DataString(), "\\trowd") + Count(rtf.DataString(), "\\row"), 0u);
        EXPECT_EQ(Count(rtf.DataString(), "\\par"), 1u);
        // HTML: the table and its rows, no cell; text: a separator for every row.
        TStringStream html, text;
        int counter = 0;
        EXPECT_TRUE(doc.Data.SaveHTMLToStream(html, "", "t", "img", TRVSaveOptions(), clWhite, counter, 0, 0,
                                              0, 0, nullptr, nullptr));
        EXPECT_EQ(Count(html.DataString(), "<TABLE"), 1u);
        EXPECT_EQ(Count(html.DataString(), "<TR"), s.Columns ? 3u : 0u);
        EXPECT_EQ(Count(html.DataString(), "<TD"), 0u);
        EXPECT_TRUE(doc.Data.SaveTextToStream("", text, 80, false, false, false));
        EXPECT_EQ(text.DataString(),
                  std::string("first\r\n") + (s.Columns ? "\r\n\r\n\r\n" : "") + "\r\nnext");
    }
}

using EmptyTableEditTest = TTableEditFixture;

// An editor's document "before", a 3 x 3 table, "after": the table emptied
// through its row list as a program does (one step that undo and redo play
// whole), then passed by: the caret keys, the mouse on its border and across
// it (through the editor and straight) and the commands on selected cells
// change nothing and open no cell; rows without slots are empty rows; the
// table is copied, pasted and deleted with the text around it and alone.
TEST_F(EmptyTableEditTest, DeletingEveryLineUndoesWholeAndTheEditorPassesTheTableBy)
{
    for (const TEmptyShape& s : EmptyShapes) {
        SCOPED_TRACE(s.Name());
        d = Editor.NewEditor(&Style);
        NewTable(3, 3);
        if (s.Merged)
            MergeSome(Table);
        d->FormatAll();
        ASSERT_TRUE(Command("delete all", [&] { DeleteAll(Table, s); }));
        const auto passBy = [&](const std::string& name, const std::function<void()>& pass) {
            EXPECT_FALSE(editinvariant::Run(*d, name, pass));
            int row = -1, col = -1;
            EXPECT_EQ(Table->GetEditedCell(row, col), nullptr) << name;
        };
        // The caret keys, with and without Shift, from the table and the lines around it.
        const std::tuple<int, int, WORD> moves[] = {{1, 0, VK_RIGHT}, {1, 1, VK_LEFT}, {0, 3, VK_DOWN},
                                                    {2, 3, VK_UP},    {1, 0, VK_END},  {1, 1, VK_HOME}};
        for (const auto& [itemNo, offs, key] : moves)
            for (const TShiftState shift : {TShiftState(), TShiftState{ssShift}})
                passBy("key " + std::to_string(key), [&, itemNo = itemNo, offs = offs, key = key] {
                    Caret(itemNo, offs);
                    SimulateKey(Editor.Edit, key, shift);
                });
        // The mouse on the table's border and across it, through the editor and straight.
        passBy("mouse", [&] {
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
            }
        });
        // The commands on selected cells find none.
        passBy("select",
               [&] { Table->Rows->Count() > 0 ? Table->SelectRows(0, 1) : Table->SelectCols(0, 1); });
        passBy("insert rows", [&] { Table->InsertRowsBelow(1); });
        passBy("insert columns", [&] { Table->InsertColsRight(1); });
        passBy("delete rows", [&] { Table->DeleteSelectedRows(); });
        passBy("delete columns", [&] { Table->DeleteSelectedCols(); });
        passBy("merge", [&] { Table->MergeSelectedCells(true); });
        passBy("unmerge", [&] { Table->UnmergeSelectedCells(true, true); });
        passBy("delete empty columns", [&] { Table->DeleteEmptyCols(); });
        // Rows without slots count as empty: all but one go, each its own step.
        const int groups = d->UndoList->Count();
        Table->DeleteEmptyRows();
        editinvariant::CheckState(*d, "empty rows deleted");
        EXPECT_EQ(Table->Rows->Count(), s.Columns ? 1 : 0);
        while (d->UndoList->Count() > groups)
            d->Undo();
        // Copied with the text around it, deleted, pasted back, deleted alone by the keys.
        TStringStream copied, rtf, text;
        d->SelectAll();
        EXPECT_TRUE(d->SaveRVFToStream(copied, true, clNone, nullptr, nullptr) &&
                    d->SaveRTFToStream(rtf, true, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, 0) &&
                    d->SaveTextToStream("", text, 80, true, false, false));
        editinvariant::Run(*d, "delete", [&] { d->DeleteSelection_(); });
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
