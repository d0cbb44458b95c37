// Cells, rows and the row list: defaults, what counts as data, alignment,
// wanted widths of blocks, main cells of covered slots, column measures, the
// background and its stored form, and the published properties.
#include <gtest/gtest.h>

#include <climits>

#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/testtable.h"

namespace {

class TableCellsTest : public ::testing::Test {
protected:
    TTableDoc Doc;
};

TEST_F(TableCellsTest, NewCellHoldsOneEmptyLineAndNoData)
{
    TRVTableItemInfo* t = Doc.AddTable(1, 1);
    TRVTableCellData* c = t->GetCells(0, 0);
    ASSERT_EQ(c->GetItemCount(), 1);
    EXPECT_EQ(c->GetItemStyle(0), 0);
    EXPECT_EQ(c->GetItemText(0), "");
    EXPECT_EQ(c->Color, clNone);
    EXPECT_EQ(c->VAlign, rvcVDefault);
    EXPECT_TRUE(c->VisibleBorders->IsAllEqual(true));
    EXPECT_EQ(c->GetTable(), t);
    EXPECT_EQ(c->GetParentData(), &Doc.Data);
    EXPECT_EQ(c->GetRVStyle(), &Doc.Style);
}

TEST_F(TableCellsTest, HasData)
{
    struct Case {
        const char* Text;
        int StyleNo;
        int ParaNo;
        int Lines;
        bool WithStyles;
        bool WithoutStyles;
    };
    const Case Cases[] = {
        {"", 0, 0, 1, false, false}, {"a", 0, 0, 1, true, true}, {"", 0, 3, 1, true, false},
        {"", 2, 0, 1, true, false},  {"", 0, 0, 2, true, true},  {"", 0, 0, 0, false, false},
    };
    for (const Case& k : Cases) {
        SCOPED_TRACE(testing::Message()
                     << '"' << k.Text << "\" " << k.StyleNo << " " << k.ParaNo << " x" << k.Lines);
        TRVTableCellData* c = Doc.AddTable(1, 1)->GetCells(0, 0);
        c->Clear();
        for (int i = 0; i < k.Lines; ++i)
            c->AddNL(k.Text, k.StyleNo, k.ParaNo);
        EXPECT_EQ(c->HasData(true), k.WithStyles);
        EXPECT_EQ(c->HasData(false), k.WithoutStyles);
    }
}

TEST_F(TableCellsTest, RealVAlignFallsBackToTheRowThenMiddle)
{
    struct Case {
        TRVCellVAlign Cell;
        TRVCellVAlign Row;
        TRVCellVAlign Real;
    };
    const Case Cases[] = {{rvcVDefault, rvcTop, rvcTop},
                          {rvcVDefault, rvcVDefault, rvcMiddle},
                          {rvcVDefault, rvcBottom, rvcBottom},
                          {rvcBottom, rvcTop, rvcBottom}};
    TRVTableItemInfo* t = Doc.AddTable(1, 1);
    EXPECT_EQ(t->Rows->Get(0)->VAlign, rvcTop);
    for (const Case& k : Cases) {
        t->GetCells(0, 0)->VAlign = k.Cell;
        t->Rows->Get(0)->VAlign = k.Row;
        EXPECT_EQ(t->GetCells(0, 0)->GetRealVAlign(), k.Real);
    }
}

TEST_F(TableCellsTest, BestWidthOfABlockLetsPercentagesWin)
{
    struct Case {
        int Widths[4]; // 2 x 2, row by row
        int Expected;
    };
    const Case Cases[] = {
        {{100, -30, 0, 0}, -30},                           // one row: the percentage wins
        {{120, 0, 80, 0}, 120},                            // two rows of pixels: the wider
        {{-20, 0, -40, 0}, -40},                           // two rows of percentages: the larger
        {{60, 70, 0, 0}, 130},                             // a row sums its pixels
        {{0, 0, 0, 0}, 0},       {{-90, -90, 0, 0}, -100}, // percentages saturate at the whole table
    };
    for (const Case& k : Cases) {
        TRVTableItemInfo* t = Doc.AddTable(2, 2);
        for (int i = 0; i < 4; ++i)
            t->GetCells(i / 2, i % 2)->BestWidth = k.Widths[i];
        EXPECT_EQ(t->Rows->GetBestWidth(0, 0, 2, 2), k.Expected);
    }
    EXPECT_EQ(Doc.AddTable(2, 2)->Rows->GetBestWidth(0, 0, 2, 0), 0);
}

TEST_F(TableCellsTest, MainCellOfACoveredSlot)
{
    TRVTableItemInfo* t = Doc.AddTable(4, 5);
    MergeBlock(t, 1, 1, 3, 2); // rows 1-2, columns 1-3
    TRVTableCellData* Main = t->GetCells(1, 1);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) {
            SCOPED_TRACE(testing::Message() << r << "," << c);
            int MRow = -2;
            int MCol = -2;
            TRVTableCellData* Got = t->Rows->GetMainCell(r, c, MRow, MCol);
            const bool Inside = r >= 1 && r <= 2 && c >= 1 && c <= 3;
            EXPECT_EQ(Got, Inside ? Main : t->GetCells(r, c));
            EXPECT_EQ(MRow, Inside ? 1 : r);
            EXPECT_EQ(MCol, Inside ? 1 : c);
        }
}

TEST_F(TableCellsTest, ColumnMeasures)
{
    TRVTableItemInfo* t = Doc.AddTable(3, 2);
    t->GetCells(0, 0)->BestWidth = 80;
    t->GetCells(1, 0)->BestWidth = -25;
    t->GetCells(2, 0)->BestWidth = 120;
    t->GetCells(0, 1)->BestWidth = 40;
    t->GetCells(1, 1)->BestWidth = 90;
    EXPECT_EQ(t->Rows->GetPixelColWidth(0), 0); // one percent cell makes it a percent column
    EXPECT_EQ(t->Rows->GetPixelColWidth(1), 90);
    EXPECT_EQ(t->Rows->GetPercentColWidth(0, 400), 100);
    EXPECT_EQ(t->Rows->GetPercentColWidth(1, 400), 0);
    EXPECT_TRUE(t->Rows->IsPercentWidthColumn(0));
    EXPECT_FALSE(t->Rows->IsPercentWidthColumn(1));
    // A hostile percentage is held to the whole table.
    t->GetCells(1, 0)->BestWidth = INT_MIN;
    EXPECT_EQ(t->Rows->GetPercentColWidth(0, 400), 400);
    // A merged percentage cell counts for the column where it ends.
    TRVTableItemInfo* m = Doc.AddTable(1, 3);
    MergeBlock(m, 0, 0, 2, 1);
    m->GetCells(0, 0)->BestWidth = -50;
    EXPECT_FALSE(m->Rows->IsPercentWidthColumn(0));
    EXPECT_TRUE(m->Rows->IsPercentWidthColumn(1));
    EXPECT_FALSE(m->Rows->IsPercentWidthColumn(2));
}

TEST_F(TableCellsTest, RowsWithSpanningCells)
{
    TRVTableItemInfo* t = Doc.AddTable(3, 2);
    MergeBlock(t, 0, 0, 1, 3);
    t->GetCells(0, 1)->BestHeight = 30;
    t->GetCells(0, 0)->BestHeight = 99; // spans rows: not the row's
    EXPECT_EQ(t->Rows->Get(0)->GetBestHeight(), 30);
    EXPECT_EQ(t->Rows->Get(1)->GetBestHeight(), 0);
    // Every slot of every row is examined without an index error.
    EXPECT_TRUE(t->Rows->Get(0)->HasCellsInRange(0, 0, 3));
    EXPECT_FALSE(t->Rows->Get(1)->HasCellsInRange(1, 2, 1));
    EXPECT_TRUE(t->Rows->Get(2)->HasCellsInRange(2, 0, 3));
    EXPECT_TRUE(t->Rows->IsEmptyRows(0, 0, 1, 1, 1, 2) == false);
    EXPECT_TRUE(t->Rows->IsEmptyRows(1, 0, 1, 2, 0, 0));
    EXPECT_TRUE(t->Rows->IsEmptyCols(1, 0, 1, 2, 0, 0));
    EXPECT_FALSE(t->Rows->IsEmptyCols(0, 0, 1, 0, 0, 0));
}

TEST_F(TableCellsTest, BackgroundStyleOfColourFreesTheBackground)
{
    TRVTableCellData* c = Doc.AddTable(1, 1)->GetCells(0, 0);
    c->SetBackgroundStyle(rvbsTiled);
    ASSERT_TRUE(c->Background != nullptr);
    EXPECT_EQ(c->GetBackgroundStyle(), rvbsTiled);
    c->SetBackgroundStyle(rvbsColor);
    EXPECT_EQ(c->Background, nullptr);
    EXPECT_EQ(c->GetBackgroundStyle(), rvbsColor);
}

// Writes the cell's properties (published and defined) and reads them into
// another cell.
void RoundTrip(TRVTableCellData* From, TRVTableCellData* To)
{
    TMemoryStream Stream;
    {
        TWriter Writer(Stream);
        Writer.WriteProperties(From);
        Writer.WriteListEnd();
    }
    Stream.SetPosition(0);
    TReader Reader(Stream);
    while (!Reader.EndOfList())
        Reader.ReadProperty(To);
}

TEST_F(TableCellsTest, PropertiesAndBackgroundImageRoundTrip)
{
    TRVTableItemInfo* t = Doc.AddTable(1, 2);
    TRVTableCellData* From = t->GetCells(0, 0);
    From->Color = clRed;
    From->BestWidth = -40;
    From->VAlign = rvcBottom;
    From->VisibleBorders->SetLeft(false);
    TBitmap Picture;
    Picture.SetSize(3, 2);
    From->SetBackgroundImage(&Picture);
    From->SetBackgroundStyle(rvbsStretched);
    ASSERT_NE(From->GetBackgroundImage(), nullptr);
    From->Clear();
    From->AddNL("kept", 0, 0);

    TRVTableCellData* To = t->GetCells(0, 1);
    RoundTrip(From, To);
    EXPECT_EQ(To->Color, clRed);
    EXPECT_EQ(To->BestWidth, -40);
    EXPECT_EQ(To->VAlign, rvcBottom);
    EXPECT_FALSE(To->VisibleBorders->Left());
    EXPECT_EQ(To->GetBackgroundStyle(), rvbsStretched);
    ASSERT_NE(To->GetBackgroundImage(), nullptr);
    EXPECT_EQ(To->GetBackgroundImage()->Width(), 3);
    EXPECT_EQ(To->GetBackgroundImage()->Height(), 2);
    ASSERT_GE(To->GetItemCount(), 1);
    EXPECT_EQ(To->GetItemText(To->GetItemCount() - 1), "kept");
}

TEST_F(TableCellsTest, BackgroundOfAnUnknownClassIsSkipped)
{
    TRVTableCellData* c = Doc.AddTable(1, 1)->GetCells(0, 0);
    const AnsiString Name = "TNoSuchGraphic";
    AnsiString Bytes;
    Bytes += static_cast<char>(Name.size());
    Bytes += AnsiString(3, '\0');
    Bytes += Name;
    // The picture: a block of three bytes, stepped over by its size.
    Bytes += AnsiString("\x03\0\0\0\x01\x02\x03", 7);
    TStringStream Stream(Bytes);
    c->LoadBackgroundImg(Stream);
    EXPECT_EQ(c->GetBackgroundImage(), nullptr);
    EXPECT_EQ(Stream.Position(), Stream.Size());
    // A class name longer than what is left, or than any class name, is refused.
    const struct {
        uint32_t Length;
        size_t Left;
    } Names[] = {{80, 1}, {256, 300}};
    for (const auto& Name : Names) {
        TMemoryStream Short;
        const unsigned char Len[4] = {static_cast<unsigned char>(Name.Length),
                                      static_cast<unsigned char>(Name.Length >> 8), 0, 0};
        Short.WriteBuffer(Len, 4);
        const AnsiString Rest(Name.Left, 'T');
        Short.WriteBuffer(Rest.data(), static_cast<int64_t>(Rest.size()));
        Short.SetPosition(0);
        EXPECT_THROW(c->LoadBackgroundImg(Short), EReadError) << Name.Length;
    }
}

TEST_F(TableCellsTest, TableDefaultsArePublished)
{
    TRVTableItemInfo* t = Doc.AddTable(1, 1);
    EXPECT_EQ(t->StyleNo, rvsTable);
    // Just made until inserted into a document.
    EXPECT_TRUE(TRVTableItemInfo(1, 1, &Doc.Data).State.Contains(rvtsJustCreated));
    EXPECT_FALSE(t->State.Contains(rvtsJustCreated));
    struct Case {
        const char* Name;
        int64_t Value;
    };
    const Case Cases[] = {
        {"Options", 31},
        {"PrintOptions", 3},
        {"BestWidth", 0},
        {"Color", clWindow},
        {"HeadingRowCount", 0},
        {"BorderWidth", 0},
        {"BorderColor", clWindowText},
        {"BorderLightColor", clBtnHighlight},
        {"BorderStyle", rvtbRaised},
        {"BorderVSpacing", 2},
        {"BorderHSpacing", 2},
        {"CellBorderWidth", 0},
        {"CellPadding", 1},
        {"CellBorderStyle", rvtbLowered},
        {"VRuleWidth", 0},
        {"HRuleWidth", 0},
        {"CellVSpacing", 2},
        {"CellHSpacing", 2},
        {"VOutermostRule", 0},
        {"HOutermostRule", 0},
        {"BackgroundStyle", rvbsColor},
    };
    for (const Case& k : Cases) {
        SCOPED_TRACE(k.Name);
        const TPropInfo& Prop = FindPropInfo(t, k.Name);
        EXPECT_EQ(GetOrdProp(t, Prop), k.Value);
        EXPECT_TRUE(IsDefaultPropValue(t, Prop));
    }
    EXPECT_EQ(GetStrProp(t, "TextRowSeparator"), "\r\n");
    SetOrdProp(t, "CellPadding", 4);
    EXPECT_EQ(t->CellPadding, 4);
    // The registry makes a 1 x 1 table for the item code.
    std::unique_ptr<TCustomRVItemInfo> Made(CreateRollViewItem(rvsTable, &Doc.Data));
    auto* Table = dynamic_cast<TRVTableItemInfo*>(Made.get());
    ASSERT_NE(Table, nullptr);
    EXPECT_EQ(Table->Rows->Count(), 1);
    EXPECT_EQ(Table->Rows->GetColCount(), 1);
}

TEST_F(TableCellsTest, AttributesAreCopiedWithDividedSizes)
{
    TRVTableItemInfo* t = Doc.AddTable(1, 2);
    TRVTableCellData* From = t->GetCells(0, 0);
    From->Color = clAqua;
    From->BorderColor = clRed;
    From->VAlign = rvcMiddle;
    From->VisibleBorders->SetTop(false);
    From->BestWidth = -5;
    From->BestHeight = 31;
    From->SetBackgroundStyle(rvbsCentered);
    TRVTableCellData* To = t->GetCells(0, 1);
    To->AssignAttributesFrom(From, true, 2, 3);
    EXPECT_EQ(To->Color, clAqua);
    EXPECT_EQ(To->BorderColor, clRed);
    EXPECT_EQ(To->VAlign, rvcMiddle);
    EXPECT_FALSE(To->VisibleBorders->Top());
    EXPECT_EQ(To->GetBackgroundStyle(), rvbsCentered);
    EXPECT_EQ(To->BestWidth, -2); // toward zero
    EXPECT_EQ(To->BestHeight, 10);
    // Through the slot: the same copy, sizes undivided; a covered slot takes nothing.
    TRVTableItemInfo* m = Doc.AddTable(1, 2);
    t->SetCells(0, 1, From);
    EXPECT_EQ(To->BestWidth, -5);
    MergeBlock(m, 0, 0, 2, 1);
    EXPECT_NO_THROW(m->SetCells(0, 1, From));
}

TEST_F(TableCellsTest, CellsLeaveTheirTableForUndoAndComeBack)
{
    TRVTableItemInfo* t = Doc.AddTable(2, 3);
    TRVTableCellData* c = t->GetCells(1, 2);
    int ItemNo = -2;
    TRVStoreSubRVData* Where = nullptr;
    c->GetParentInfo(ItemNo, Where);
    std::unique_ptr<TRVStoreSubRVData> Owned(Where);
    auto* Slot = dynamic_cast<TRVTableStoreSubRVData*>(Where);
    ASSERT_NE(Slot, nullptr);
    EXPECT_EQ(ItemNo, 0);
    EXPECT_EQ(Slot->Row, 1);
    EXPECT_EQ(Slot->Col, 2);
    std::unique_ptr<TRVStoreSubRVData> Copy(Slot->Duplicate());
    EXPECT_EQ(static_cast<TRVTableStoreSubRVData*>(Copy.get())->Col, 2);

    TObject Record;
    t->Rows->MovingToUndoList(1, 1, 2, 1, &Record);
    EXPECT_EQ(c->GetTable(), nullptr);
    EXPECT_EQ(t->GetCells(1, 1)->UndoInfo, &Record);
    EXPECT_EQ(t->GetCells(1, 0)->UndoInfo, nullptr);
    EXPECT_EQ(c->GetMarkers(true), nullptr);
    t->Rows->MovingFromUndoList(1, 1, 2, 1);
    EXPECT_EQ(c->GetTable(), t);
    EXPECT_EQ(c->UndoInfo, nullptr);
}

TEST_F(TableCellsTest, ProtectedContentCannotBeCleared)
{
    TRVTableCellData* c = Doc.AddTable(1, 1)->GetCells(0, 0);
    EXPECT_TRUE(c->CanClear());
    Doc.Style.TextStyles()->Items(1)->SetProtection(TRVProtectOptions{rvprDeleteProtect});
    c->AddNL("kept", 1, 0);
    EXPECT_FALSE(c->CanClear());
}

TEST_F(TableCellsTest, UnassigningTheChosenDocumentDeselectsIt)
{
    TRVTableItemInfo* Outer = Doc.AddTable(1, 1);
    TRVTableCellData* c = Outer->GetCells(0, 0);
    auto* Inner = new TRVTableItemInfo(1, 1, c);
    c->AddItem(AnsiString(), Inner);
    TRVTableCellData* InnerCell = Inner->GetCells(0, 0);
    InnerCell->SelStartNo = InnerCell->SelEndNo = 0;
    c->ChosenRVData = InnerCell;
    c->ChosenItem = Inner;
    EXPECT_EQ(InnerCell->GetRootData(), &Doc.Data);
    c->UnassignChosenRVData(InnerCell);
    EXPECT_EQ(c->ChosenRVData, nullptr);
    EXPECT_EQ(c->ChosenItem, nullptr);
    EXPECT_EQ(InnerCell->SelStartNo, -1);
    EXPECT_FALSE(c->State.Contains(rvstUnAssigningChosen));
}

TEST(TableDataListTest, SubDocumentsShareTheListsFlags)
{
    TRVDataList List(nullptr);
    EXPECT_EQ(List.Flags, (TRVFlags{rvflTrim, rvflMouseXYAlwaysCorrect}));
    auto* a = new TRVTableCellData(nullptr);
    a->List = &List;
    List.Add(a);
    auto* b = new TRVTableCellData(nullptr);
    b->List = &List;
    List.Add(b);
    EXPECT_EQ(a->GetFlags(), List.Flags);
    List.Flags.Include(rvflPrinting);
    EXPECT_TRUE(b->GetFlags().Contains(rvflPrinting));
    EXPECT_THROW(a->SetFlags(TRVFlags()), ERollViewError);
    EXPECT_EQ(a->GetParentData(), nullptr);
    EXPECT_EQ(a->GetRootData(), a);
    a->ShowRectangle(0, 0, 10, 10); // no root to scroll: nothing happens
    a->Clear();
    EXPECT_EQ(a->GetLastItemVisible(), -1);
}

} // namespace

// Through the base class, as the viewer asks: a cell shows whole, and its
// shown origin is lowered by the offset of bottom-aligned content.
TEST_F(TableCellsTest, SubDocumentVisibleItemsAndShownOrigin)
{
    TRVTableItemInfo* Table = Doc.AddTable(1, 2);
    TRVTableCellData* Tall = Table->GetCells(0, 0);
    Tall->Clear();
    for (const char* Line : {"one", "two", "three"})
        Tall->AddNL(Line, 0, 0);
    TRVTableCellData* Low = Table->GetCells(0, 1);
    Low->VAlign = rvcBottom;
    Doc.Format();

    TCustomRVFormattedData* AsDoc = Tall;
    EXPECT_EQ(AsDoc->GetFirstItemVisible(), 0);
    EXPECT_EQ(AsDoc->GetLastItemVisible(), 2);
    int X = 0, Y = 0, XEx = 0, YEx = 0;
    AsDoc = Low;
    AsDoc->GetOrigin(X, Y);
    AsDoc->GetOriginEx(XEx, YEx);
    EXPECT_GT(Low->GetExtraVOffs(), 0);
    EXPECT_EQ(XEx, X);
    EXPECT_EQ(YEx, Y + Low->GetExtraVOffs());
    Tall->GetOrigin(X, Y);
    Tall->GetOriginEx(XEx, YEx);
    EXPECT_EQ(YEx, Y);

    Low->Clear();
    EXPECT_EQ(AsDoc->GetFirstItemVisible(), 0);
    EXPECT_EQ(AsDoc->GetLastItemVisible(), -1);
}
