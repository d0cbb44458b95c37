// Property changes of a table in an editor, nested in cells or not: one
// undoable group each, nothing recorded for an equal value, the "inserted"
// state kept whatever happens; and deleting every row or column of a table in
// an editor deletes the table.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/controls/syntheticinput.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/bitmap.h"
#include "table/rvtable_undo.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testtable.h"

namespace {

using TablePropsTest = TTableEditFixture;

TEST_F(TablePropsTest, ATableNotInsertedTakesTheValueWithoutRecording)
{
    TRVTableItemInfo loose(2, 2, d);
    ASSERT_FALSE(loose.State.Contains(rvtsInserted));
    loose.SetProperty("CellPadding", 5, true, true);
    loose.SetCellProperty(-1, "BestWidth", 30, 1, 1, true, true);
    EXPECT_EQ(loose.CellPadding, 5);
    EXPECT_EQ(loose.GetCells(1, 1)->BestWidth, 30);
    EXPECT_EQ(d->UndoList->Count(), 0);
    EXPECT_FALSE(Editor.Edit->Modified);
}

TEST_F(TablePropsTest, AChangeIsOneGroupThatUndoRestores)
{
    NewTable(2, 2);
    ASSERT_TRUE(Table->State.Contains(rvtsInserted));
    EXPECT_TRUE(Command("spacing", [&] { Table->SetProperty("BorderVSpacing", 9, true, false); }));
    d->Undo();
    ASSERT_EQ(d->RedoList->Count(), 1);
    TRVUndoInfos* group = d->RedoList->Last();
    EXPECT_EQ(group->UndoType, rvutModifyItem);
    ASSERT_EQ(group->Records.size(), 1u);
    auto* record = dynamic_cast<TRVUndoModifyItemProps*>(group->Records[0].get());
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->AffectSize);
    EXPECT_FALSE(record->AffectWidth);
    EXPECT_EQ(Table->BorderVSpacing, 2);
    EXPECT_TRUE(Table->State.Contains(rvtsInserted));
}

TEST_F(TablePropsTest, EqualValuesRecordNothing)
{
    NewTable(2, 2);
    Table->GetCells(0, 1)->BestWidth = 40;
    d->FormatAll();
    const struct {
        const char* Name;
        std::function<void()> Set;
    } cases[] = {
        {"cell width", [&] { Table->SetCellBestWidth_(-1, 40, 0, 1); }},
        {"table colour", [&] { Table->SetProperty("Color", Table->Color, false, false); }},
        {"borders", [&] { EXPECT_TRUE(Table->SetCellVisibleBorders_(-1, true, true, true, true, 1, 1)); }},
        {"row alignment", [&] { Table->SetRowVAlign_(-1, rvcTop, 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_FALSE(Command(c.Name, c.Set));
        EXPECT_EQ(d->UndoList->Count(), 0);
    }
    EXPECT_TRUE(
        Command("borders", [&] { Table->SetCellVisibleBorders_(-1, false, true, true, true, 1, 1); }));
    EXPECT_TRUE(Command("cell colour", [&] { Table->SetCellColor_(-1, clRed, 1, 0); }));
    EXPECT_TRUE(Command("row alignment", [&] { Table->SetRowVAlign_(-1, rvcBottom, 1); }));
}

// A picture given to a cell or (row and column -1) to the table is one undoable step.
TEST_F(TablePropsTest, APictureChangeIsUndoable)
{
    const std::pair<int, int> places[] = {{1, 0}, {-1, -1}};
    for (const auto& place : places) {
        const int row = place.first;
        const int col = place.second;
        SCOPED_TRACE(row);
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        TBitmap picture;
        picture.SetPixelFormat(pf24bit);
        picture.SetSize(4, 3);
        const auto set = [&](TGraphic* g) {
            if (row < 0)
                Table->SetBackgroundImage(g);
            else
                Table->SetCellBackgroundImage(g, row, col);
        };
        EXPECT_TRUE(Command("picture", [&] { set(&picture); }));
        EXPECT_TRUE(Command("no picture", [&] { set(nullptr); }));
        EXPECT_EQ(d->UndoList->Count(), 2);
    }
}

// A failed change by name leaves the table inserted, so that it still records.
TEST_F(TablePropsTest, AFailedChangeKeepsTheTableInserted)
{
    NewTable(2, 2);
    EXPECT_ANY_THROW(Table->SetProperty("NoSuchProperty", 1, false, false));
    EXPECT_ANY_THROW(Table->SetCellProperty(-1, "NoSuchProperty", 1, 0, 0, false, false));
    EXPECT_TRUE(Table->State.Contains(rvtsInserted));
    EXPECT_TRUE(Command("width", [&] { Table->SetProperty("BorderWidth", 3, true, true); }));
}

// A cell is painted with its own colour, else the table's, else the table
// paragraph's background, else the document's.
TEST_F(TablePropsTest, CellColourFallsBackThroughTableParagraphAndDocument)
{
    NewTable(1, 1);
    TParaInfo* para = Style.ParaStyles()->Add();
    para->Background()->SetColor(clYellow);
    const int shaded = Style.ParaStyles()->Count() - 1;
    Editor.Edit->SetColor(clAqua);
    const struct {
        TColor Cell, Table;
        bool ShadedPara;
        TColor Painted;
        bool SeeThrough;
    } cases[] = {
        {clRed, clBlue, true, clRed, false},     {clNone, clBlue, true, clBlue, false},
        {clNone, clNone, true, clYellow, false}, {clNone, clNone, false, clAqua, true},
        {clRed, clNone, false, clRed, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Cell) + " " + std::to_string(c.Table) + " " +
                     std::to_string(c.ShadedPara));
        Table->GetCells(0, 0)->Color = c.Cell;
        Table->Color = c.Table;
        Table->ParaNo = c.ShadedPara ? shaded : 0;
        EXPECT_EQ(Table->GetCellColor(Table->GetCells(0, 0)), c.Painted);
        EXPECT_EQ(Table->CanSeeBackgroundThroughCell(Table->GetCells(0, 0)), c.SeeThrough);
    }
    EXPECT_EQ(Table->GetTableColor(false), clNone);
}

TEST_F(TablePropsTest, HeadingRowsMustNotEndInsideACell)
{
    const struct {
        int Headings;
        int MergeRow; // a 2-row cell from this row in column 0, -1 for none
        bool Usable;
    } cases[] = {{0, -1, false}, {2, -1, true}, {2, 1, false}, {2, 0, true}, {9, -1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Headings) + " " + std::to_string(c.MergeRow));
        TTableDoc doc;
        TRVTableItemInfo* t = doc.AddTable(3, 2);
        if (c.MergeRow >= 0)
            MergeBlock(t, c.MergeRow, 0, 1, 2);
        t->HeadingRowCount = c.Headings;
        EXPECT_EQ(t->CanUseHeadingRowCount(), c.Usable);
    }
}

// The cell and row setters for the table's own item: each change is one
// undoable group, and the value reaches the cell or the row.
TEST_F(TablePropsTest, TheSettersForTheTablesOwnItemAreUndoable)
{
    NewTable(2, 2);
    TRVTableCellData* cell = Table->GetCells(1, 0);
    const struct {
        const char* Name;
        std::function<void()> Set;
        std::function<bool()> Done;
    } cases[] = {
        {"best width", [&] { Table->SetCellBestWidth(-40, 1, 0); }, [&] { return cell->BestWidth == -40; }},
        {"best height", [&] { Table->SetCellBestHeight(30, 1, 0); }, [&] { return cell->BestHeight == 30; }},
        {"colour", [&] { Table->SetCellColor(clRed, 1, 0); }, [&] { return cell->Color == clRed; }},
        {"alignment", [&] { Table->SetCellVAlign(rvcBottom, 1, 0); },
         [&] { return cell->VAlign == rvcBottom; }},
        {"border colour", [&] { Table->SetCellBorderColor(clBlue, 1, 0); },
         [&] { return cell->BorderColor == clBlue; }},
        {"light border colour", [&] { Table->SetCellBorderLightColor(clLime, 1, 0); },
         [&] { return cell->BorderLightColor == clLime; }},
        {"background style", [&] { Table->SetCellBackgroundStyle(rvbsTiled, 1, 0); },
         [&] { return cell->GetBackgroundStyle() == rvbsTiled; }},
        {"visible borders",
         [&] { EXPECT_FALSE(Table->SetCellVisibleBorders(true, false, true, false, 1, 0)); },
         [&] { return !cell->VisibleBorders->Top() && !cell->VisibleBorders->Bottom(); }},
        {"row alignment", [&] { Table->SetRowVAlign(rvcMiddle, 1); },
         [&] { return Table->Rows->Get(1)->VAlign == rvcMiddle; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const int groups = d->UndoList->Count();
        EXPECT_TRUE(Command(c.Name, c.Set));
        EXPECT_TRUE(c.Done());
        EXPECT_EQ(d->UndoList->Count(), groups + 1);
        EXPECT_EQ(d->UndoList->Last()->UndoType, rvutModifyItem);
    }
}

// Table, and tables nested two deep in its cell (1, 0): the one in that cell
// and the one in its own cell (1, 0).
std::vector<TRVTableItemInfo*> NestTwoDeep(TRVTableItemInfo* table)
{
    std::vector<TRVTableItemInfo*> tables{table};
    for (int level = 0; level < 2; ++level) {
        TRVTableCellData* cell = tables.back()->GetCells(1, 0);
        tables.push_back(new TRVTableItemInfo(2, 2, cell));
        cell->AddItem(AnsiString(), tables.back());
    }
    return tables;
}

// Every published property of a table in an editor set by name, as a
// property inspector sets it, is one undoable step that undo and redo play,
// laid out as a fresh editor lays the document out: for the document's own
// table and for tables nested one and two deep in cells that no editor edits,
// where undo opens the cells' editors. A component stream read into the
// table sets them by name too, in one step, and a cell's setter as well.
TEST_F(TablePropsTest, PublishedPropertiesSetByNameAreUndoable)
{
    // One column: a new padding changes what the cells hold across, not their widths.
    NewTable(2, 1);
    const std::vector<TRVTableItemInfo*> tables = NestTwoDeep(Table);
    // A background style shows only with a picture.
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(4, 3);
    for (TRVTableItemInfo* t : tables)
        t->SetBackgroundImage(&picture);
    d->ClearUndo();
    d->FormatAll();
    THeadlessEditor fresh;
    fresh.NewEditor(&Style);
    const auto laidOutAfresh = [&](const std::string& where) {
        EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, fresh), "") << where;
    };
    for (size_t depth = 0; depth < tables.size(); ++depth) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        TRVTableItemInfo* target = tables[depth];
        // Undo leaves the cells' editors open with what redo gave back; closed,
        // they hand it over as one step of the document's.
        const auto step = [&](const std::string& name, const std::function<void()>& set) {
            const int groups = d->UndoList->Count();
            EXPECT_TRUE(Command(name, set, laidOutAfresh));
            d->DestroyInplaceEditor();
            EXPECT_EQ(d->UndoList->Count(), groups + 1);
        };
        const std::vector<const TPropInfo*>& props = GetPropertyTable(target)->AllProps();
        ASSERT_FALSE(props.empty());
        // Each property set and then set back: the next one starts from the same table.
        for (const TPropInfo* prop : props) {
            SCOPED_TRACE(prop->Name);
            if (prop->Kind == pkString) {
                const AnsiString old = GetStrProp(target, prop->Name);
                for (const AnsiString& value : {old + "|", old}) {
                    step(prop->Name, [&] { SetStrProp(target, prop->Name, value); });
                    EXPECT_EQ(GetStrProp(target, prop->Name), value);
                }
                continue;
            }
            const int64_t old = GetOrdProp(target, *prop);
            const auto names = static_cast<int64_t>(prop->EnumNames.size());
            const int64_t value = prop->Kind == pkBoolean       ? !old
                                  : prop->Kind == pkEnumeration ? (old + 1) % names
                                  : prop->Kind == pkSet         ? old ^ (int64_t(1) << (names - 1))
                                  : prop->Name.find("Color") != AnsiString::npos
                                      ? (old == clRed ? clBlue : clRed)
                                      : old + 3;
            for (const int64_t v : {value, old}) {
                step(prop->Name, [&] { SetOrdProp(target, *prop, v); });
                EXPECT_EQ(GetOrdProp(target, *prop), v);
            }
        }

        // A component stream of the table's properties (no cells) read into it.
        TStringStream stream;
        {
            TWriter w(stream);
            w.WriteSignature();
            w.WriteStr("TRVTableSW");
            w.WriteStr("");
            w.WriteStr("T.BorderVSpacing");
            w.WriteInteger(9);
            w.WriteStr("T.CellBorderStyle");
            w.WriteIdent("rvtbColor");
            w.WriteStr("T.TextColSeparator");
            w.WriteString(" ; ");
            w.WriteListEnd();
            w.WriteListEnd();
        }
        step("stream", [&] {
            stream.SetPosition(0);
            target->LoadFromStream(stream);
        });
        EXPECT_EQ(target->BorderVSpacing, 9);
        EXPECT_EQ(target->CellBorderStyle, rvtbColor);
        EXPECT_EQ(target->TextColSeparator, " ; ");
        // A cell's property by name goes the same way.
        step("cell width", [&] { target->SetCellBestWidth(40, 0, 0); });
        EXPECT_EQ(target->GetCells(0, 0)->BestWidth, 40);
    }
}

// A property set by name while the table's cell editor holds its edits
// (letters typed or inserted, a table put into the cell and deleted) is the
// latest step, a text property as an integer one, set by a program inside
// BeginModify and EndModify or not: undo takes the steps back one by one,
// through the control or Ctrl+Z in the focused editor, redo gives them back
// in their order. The table laid out as a command with the editor open is
// the one a fresh editor lays out (new padding gives the editor's document
// new margins).
TEST_F(TablePropsTest, APropertySetWhileACellIsEditedIsTheLatestStep)
{
    const struct {
        const char* Name;
        std::function<void(TRVTableItemInfo*)> Set;
    } cases[] = {
        {"TextColSeparator", [](TRVTableItemInfo* t) { SetStrProp(t, "TextColSeparator", " ; "); }},
        {"BorderWidth", [](TRVTableItemInfo* t) { SetOrdProp(t, "BorderWidth", 5); }},
        {"CellPadding", [](TRVTableItemInfo* t) { SetOrdProp(t, "CellPadding", 4); }},
    };
    enum TEdits { Keys, Inserted, TablePutAndDeleted };
    THeadlessEditor fresh;
    fresh.NewEditor(&Style);
    for (const auto& c : cases)
        for (const TEdits edits : {Keys, Inserted, TablePutAndDeleted})
            for (const bool bracket : {true, false})
                for (const bool keys : {false, true}) {
                    SCOPED_TRACE(std::string(c.Name) +
                                 (edits == Keys       ? ", typed"
                                  : edits == Inserted ? ", inserted"
                                                      : ", a table") +
                                 (bracket ? ", in BeginModify" : "") + (keys ? ", by keys" : ""));
                    d = Editor.NewEditor(&Style);
                    // The edited cell alone in its row: the row is as tall as the editor's document says.
                    NewTable(2, 1);
                    std::vector<AnsiString> states{editinvariant::SaveRVF(*d)};
                    Table->EditCell(1, 0);
                    const auto edited = [&] { states.push_back(editinvariant::SaveRVF(*d)); };
                    if (edits == Keys) {
                        for (const char letter : {'A', 'B'}) {
                            SimulateKey(Editor.Edit->GetTopLevelEditor(), WORD(letter));
                            edited();
                        }
                    } else if (edits == Inserted) {
                        Editor.Edit->InsertText("ab");
                        edited();
                    } else {
                        Editor.Edit->InsertItem("", new TRVTableItemInfo(1, 1, d));
                        edited();
                        TRVEditRVData* cell = Editor.Edit->GetTopLevelEditor()->EditRVData();
                        const int itemNo = cell->GetItemNo(nestedtables::TablesOf(cell).front());
                        cell->SetSelectionBounds(itemNo, 0, itemNo, 1);
                        Editor.Edit->DeleteSelection();
                        edited();
                    }
                    const int itemNo = Table->GetMyItemNo();
                    const int token = bracket ? Table->BeginModify(itemNo) : 0;
                    c.Set(Table);
                    if (bracket) {
                        Table->EndModify(itemNo, token);
                        EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, fresh), "");
                    }
                    edited();
                    const auto play = [&](bool redo) {
                        if (keys)
                            SimulateKey(Editor.Edit->GetTopLevelEditor(), 'Z',
                                        redo ? TShiftState{ssCtrl, ssShift} : TShiftState{ssCtrl});
                        else
                            redo ? Editor.Edit->Redo() : Editor.Edit->Undo();
                        nestedtables::SettleMessages();
                        EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, fresh), "");
                    };
                    for (size_t i = states.size() - 1; i > 0; --i) {
                        play(false);
                        EXPECT_TRUE(editinvariant::SaveRVF(*d) == states[i - 1])
                            << "undo " << states.size() - i;
                    }
                    for (size_t i = 1; i < states.size(); ++i) {
                        play(true);
                        EXPECT_TRUE(editinvariant::SaveRVF(*d) == states[i]) << "redo " << i;
                    }
                }
}

// In a program's undo group, a property of a table in a cell set after the
// cell's typed edits, and a cell edited after a property set two cells deep,
// undo and redo together as one step.
TEST_F(TablePropsTest, PropertiesOfNestedTablesJoinAProgramsGroup)
{
    for (const bool typedFirst : {true, false}) {
        SCOPED_TRACE(typedFirst ? "typed, then set" : "set, then typed");
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        const std::vector<TRVTableItemInfo*> tables = NestTwoDeep(Table);
        d->FormatAll();
        EXPECT_TRUE(Command("group", [&] {
            if (typedFirst) {
                Table->EditCell(1, 0);
                Editor.Edit->InsertText("x");
                Table->DestroyInplace(true);
                SetOrdProp(tables[1], "BorderWidth", 4);
            } else {
                SetOrdProp(tables[2], "CellPadding", 4);
                Table->EditCell(0, 1);
                Editor.Edit->InsertText("y");
                Table->DestroyInplace(true);
            }
        }));
        d->DestroyInplaceEditor();
        EXPECT_EQ(d->UndoList->Count(), 1);
    }
}

// Copying a cell's attributes in an editor records its integer properties
// as one record that undo and redo play whole.
TEST_F(TablePropsTest, AssignedCellAttributesAreOneRecordOfSeveralProperties)
{
    NewTable(2, 2);
    TRVTableCellData* source = Table->GetCells(0, 0);
    source->Color = clRed;
    source->BorderColor = clBlue;
    source->VAlign = rvcBottom;
    source->BestWidth = 40;
    source->BestHeight = 30;
    d->FormatAll();
    EXPECT_TRUE(Command("assign", [&] { Table->AssignCellAttributes(-1, 1, 1, source, true, 2, 3); }));
    TRVTableCellData* target = Table->GetCells(1, 1);
    EXPECT_EQ(target->Color, clRed);
    EXPECT_EQ(target->BorderColor, clBlue);
    EXPECT_EQ(target->VAlign, rvcBottom);
    EXPECT_EQ(target->BestWidth, 20);
    EXPECT_EQ(target->BestHeight, 10);
    ASSERT_EQ(d->UndoList->Count(), 1);
    const auto& records = d->UndoList->Last()->Records;
    int propertyRecords = 0;
    for (const auto& record : records) {
        EXPECT_EQ(dynamic_cast<TRVUndoModifyCellIntProperty*>(record.get()), nullptr);
        if (auto* r = dynamic_cast<TRVUndoModifyCellIntProperties*>(record.get())) {
            ++propertyRecords;
            EXPECT_EQ(r->Row * 10 + r->Col, 11);
            EXPECT_EQ(r->PropList.size(), 5u); // the properties that changed
            EXPECT_TRUE(r->AffectSize);
            EXPECT_TRUE(r->AffectWidth);
        }
    }
    EXPECT_EQ(propertyRecords, 1);
}

// Deleting every column (or row) of a table in an editor deletes the table,
// as one undoable step; outside an editor the table is left empty.
TEST_F(TablePropsTest, DeletingEveryColumnDeletesTheTable)
{
    const bool columns[] = {true, false};
    for (bool cols : columns) {
        SCOPED_TRACE(cols ? "columns" : "rows");
        d = Editor.NewEditor(&Style);
        NewTable(3, 3);
        EXPECT_TRUE(Command("delete all", [&] {
            if (cols)
                Table->DeleteCols(0, 3, false);
            else
                Table->DeleteRows(0, 3, false);
        }));
        EXPECT_EQ(d->GetItemCount(), 2);
        EXPECT_EQ(d->UndoList->Count(), 1);
    }
    // A table that is the document's only item leaves an empty line behind.
    d = Editor.NewEditor(&Style);
    Table = new TRVTableItemInfo(2, 2, d);
    d->AddItem(AnsiString(), Table);
    d->FormatAll();
    EXPECT_TRUE(Command("only item", [&] { Table->DeleteRows(0, 2, false); }));
    ASSERT_EQ(d->GetItemCount(), 1);
    EXPECT_EQ(d->GetItemStyle(0), 0);

    // An editor without undo frees the deleted table at once: nothing of it is touched afterwards.
    for (bool cols : columns) {
        SCOPED_TRACE(cols ? "columns, no undo" : "rows, no undo");
        d = Editor.NewEditor(&Style);
        Editor.Edit->SetUndoLimit(0);
        NewTable(3, 3);
        d->SetCaretAtItem(0, 1, false);
        if (cols)
            Table->DeleteCols(0, 3, false);
        else
            Table->DeleteRows(0, 3, false);
        Table = nullptr;
        EXPECT_EQ(d->GetItemCount(), 2);
        EXPECT_EQ(d->UndoList->Count(), 0);
    }

    // Outside an editor the table stays, empty: its rows without slots, then no rows.
    TTableDoc doc;
    TRVTableItemInfo* t = doc.AddTable(2, 2);
    t->DeleteCols(0, 2, false);
    EXPECT_EQ(tablegrid::Shape(*t->Rows), "||");
    t->DeleteRows(0, 2, false);
    EXPECT_EQ(t->Rows->Count(), 0);
    EXPECT_EQ(doc.Data.GetItemCount(), 1);
}

} // namespace
