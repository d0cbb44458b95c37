// The item store's list markers: making, changing and removing the marker of a
// paragraph, the markers list in document order (nested documents included)
// and the numbers shown after list paragraphs are inserted and deleted.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/support/testrvdata.h"

namespace {

// A sub-document held by a test item of its parent store.
class TCellData : public TTestSubRVData {
public:
    using TTestSubRVData::TTestSubRVData;
    TCustomRVItemInfo* Holder = nullptr;
    void GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) override
    {
        ParentItemNo = Parent->GetItemNo(Holder);
        Location = new TRVStoreSubRVData;
    }
};

// An inline item with one sub-document (a one-cell table, as far as markers go).
class TCellItem : public TRVRectItemInfo {
public:
    explicit TCellItem(TCustomRVData* Parent) : TRVRectItemInfo(Parent), Cell(new TCellData(Parent))
    {
        StyleNo = -12;
        Cell->Holder = this;
    }
    TCustomRVData* GetSubRVData(TRVStoreSubRVData*& StoreState, TRVSubRVDataPos Position) override
    {
        if (Position == rvdFirst || Position == rvdLast) {
            StoreState = new TRVStoreSubRVData;
            return Cell.get();
        }
        return nullptr; // one cell only: no next, no previous
    }
    std::unique_ptr<TCellData> Cell;
};

class ListsTest : public ::testing::Test {
protected:
    // List 0: decimal "%0:s.", level 1 "%0:s.%1:s."; list 1: upper alpha "%0:s)".
    void SetUp() override
    {
        TRVListInfo* Decimal = Style.ListStyles()->Add();
        AddLevel(Decimal, rvlstDecimal, "%0:s.");
        AddLevel(Decimal, rvlstDecimal, "%0:s.%1:s.");
        AddLevel(Style.ListStyles()->Add(), rvlstUpperAlpha, "%0:s)");
    }
    static void AddLevel(TRVListInfo* List, TRVListType Type, const AnsiString& Format)
    {
        TRVListLevel* Level = List->Levels()->Add();
        Level->SetListType(Type);
        Level->SetFormatString(Format);
    }
    // The display strings of the markers list, in its order.
    static std::vector<AnsiString> ShownBy(const TTestRVData& Store)
    {
        std::vector<AnsiString> s;
        if (Store.Markers)
            for (int i = 0; i < Store.Markers->Count(); ++i)
                s.push_back(Store.Markers->Marker(i)->DisplayString);
        return s;
    }
    std::vector<AnsiString> Shown() const { return ShownBy(Data); }
    TRVMarkerItemInfo* Marker(int ItemNo) const
    {
        return dynamic_cast<TRVMarkerItemInfo*>(Data.GetItem(ItemNo));
    }
    void Paragraphs(int Count)
    {
        for (int i = 0; i < Count; ++i)
            Data.AddNL(AnsiString(1, static_cast<char>('a' + i)), 0, 0);
    }

    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};
};

using Strings = std::vector<AnsiString>;

} // namespace

TEST_F(ListsTest, AMarkerPastTheEndOfAnEmptyStoreIsAppended)
{
    EXPECT_EQ(Data.SetListMarkerInfo(5, 0, 0, 1, -1, false), 0);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Data.GetItemStyle(0), rvsListMarker);
    EXPECT_EQ(Data.GetItemPara(0), 0);
    EXPECT_EQ(Shown(), (Strings{"1."}));
    // A given paragraph style is taken; a marker never directly follows one.
    EXPECT_EQ(Data.SetListMarkerInfo(-1, 0, 0, 1, 3, false), 2);
    EXPECT_EQ(Data.GetItemText(1), "");
    EXPECT_TRUE(Data.GetItem(1)->GetSameAsPrev());
    EXPECT_EQ(Data.GetItemPara(2), 3);
    EXPECT_EQ(Shown(), (Strings{"1.", "2."}));
}

TEST_F(ListsTest, AMarkerOpensAParagraphAndRemovingItRestoresTheParagraph)
{
    Paragraphs(2);
    Data.AddNL("c", 0, -1); // "b" and "c" make one line
    Data.SetPageBreaksBeforeItems(1, true);
    Data.GetItem(1)->ParaNo = 2;
    EXPECT_EQ(Data.SetListMarkerInfo(2, 0, 0, 1, 0, false), 1);
    ASSERT_EQ(Data.GetItemCount(), 4);
    EXPECT_TRUE(Data.IsParaStart(1));
    EXPECT_TRUE(Data.GetItem(2)->GetSameAsPrev());
    EXPECT_EQ(Data.GetItemPara(1), 2);
    EXPECT_TRUE(Data.GetPageBreaksBeforeItems(1)); // the page break stays with the paragraph

    int ListNo = -1, Level = -1, StartFrom = -1;
    bool UseStartFrom = true;
    EXPECT_EQ(Data.GetListMarkerInfo(3, ListNo, Level, StartFrom, UseStartFrom), 1);
    EXPECT_EQ(ListNo, 0);
    EXPECT_EQ(StartFrom, 1);
    EXPECT_FALSE(UseStartFrom);
    EXPECT_EQ(Data.GetListMarkerInfo(0, ListNo, Level, StartFrom, UseStartFrom), -1);

    Data.RemoveListMarker(3);
    ASSERT_EQ(Data.GetItemCount(), 3);
    EXPECT_TRUE(Data.IsParaStart(1));
    EXPECT_TRUE(Data.GetItem(1)->GetPageBreakBefore());
    EXPECT_EQ(Data.GetItemText(1), "b");
    EXPECT_EQ(Data.Markers, nullptr); // the last marker took the list with it
}

TEST_F(ListsTest, ChangingAMarkerKeepsItsPlaceAndRenumbersBothLists)
{
    Paragraphs(3);
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Data.SetListMarkerInfo(2, 0, 0, 1, 0, false);
    Data.SetListMarkerInfo(4, 0, 0, 1, 0, false);
    EXPECT_EQ(Shown(), (Strings{"1.", "2.", "3."}));
    EXPECT_EQ(Data.SetListMarkerInfo(3, 1, 0, 1, 0, false), 2);
    EXPECT_EQ(Data.GetItemCount(), 6);
    EXPECT_EQ(Shown(), (Strings{"1.", "A)", "2."}));
    EXPECT_EQ(Data.SetListMarkerInfo(4, 0, 1, 7, 0, true), 4);
    EXPECT_EQ(Shown(), (Strings{"1.", "A)", "1.7."}));
}

TEST_F(ListsTest, NumbersFollowInsertedAndDeletedListParagraphs)
{
    Paragraphs(4);
    Data.SetListMarkerInfo(1, 0, 0, 1, 0, false);
    Data.SetListMarkerInfo(3, 0, 0, 1, 0, false); // items: a, M, b, M, c, d
    Data.SetListMarkerInfo(5, 0, 0, 1, 0, false); // items: a, M, b, M, c, M, d
    EXPECT_EQ(Shown(), (Strings{"1.", "2.", "3."}));
    // A list paragraph inserted before the others counts first.
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    EXPECT_EQ(Shown(), (Strings{"1.", "2.", "3.", "4."}));
    EXPECT_EQ(Marker(0)->DisplayString, "1.");
    EXPECT_EQ(Marker(6)->DisplayString, "4.");
    // Deleting the paragraph "b" with its marker renumbers those after it.
    Data.DeleteItems(2, 2);
    EXPECT_EQ(Shown(), (Strings{"1.", "2.", "3."}));
    EXPECT_EQ(Marker(4)->DisplayString, "3.");
}

TEST_F(ListsTest, DeletingAMarkerRenumbersItsOwnListWhenListsInterleave)
{
    Paragraphs(3);
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Data.SetListMarkerInfo(2, 1, 0, 1, 0, false);
    Data.SetListMarkerInfo(4, 0, 0, 1, 0, false);
    EXPECT_EQ(Shown(), (Strings{"1.", "A)", "2."}));
    Data.DeleteItems(0, 2); // the first paragraph of list 0
    EXPECT_EQ(Shown(), (Strings{"A)", "1."}));
}

TEST_F(ListsTest, TheLastMarkerGoneTheListIsMadeAgainWhenNeeded)
{
    Paragraphs(1);
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    ASSERT_NE(Data.Markers, nullptr);
    Data.DeleteItems(0, 1);
    EXPECT_EQ(Data.Markers, nullptr);
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    EXPECT_EQ(Shown(), (Strings{"1."}));
}

TEST_F(ListsTest, AFullWidthParagraphCannotBeNumbered)
{
    Data.AddBreak();
    EXPECT_EQ(Data.SetListMarkerInfo(0, 0, 0, 1, 0, false), -1);
    EXPECT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Data.Markers, nullptr);
}

TEST_F(ListsTest, RecalcMarkerAndTheLastMarkerOfLists)
{
    Paragraphs(3);
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Data.SetListMarkerInfo(2, 1, 0, 1, 0, false);
    Data.SetListMarkerInfo(4, 0, 0, 1, 0, false);
    // A change made behind the list's back shows after RecalcMarker.
    Marker(0)->Reset = true;
    Marker(0)->StartFrom = 5;
    Data.RecalcMarker(0, false);
    EXPECT_EQ(Shown(), (Strings{"5.", "A)", "6."}));

    TRVIntegerList Lists;
    Lists.Add(1);
    EXPECT_EQ(Data.FindLastMarkerIndex(0, &Lists), 1);
    EXPECT_EQ(Data.FindLastMarkerIndex(2, &Lists), -1);
    Lists.Add(0);
    EXPECT_EQ(Data.FindLastMarkerIndex(0, &Lists), 2);
    EXPECT_EQ(Data.FindLastMarkerIndex(0, nullptr), -1);
}

TEST_F(ListsTest, AMarkerInANestedDocumentCountsInDocumentOrder)
{
    Data.AddNL("a", 0, 0);
    auto* Item = new TCellItem(&Data);
    Data.AddItem("", Item);
    Data.AddNL("b", 0, 0);
    TCellData* Cell = Item->Cell.get();
    Cell->AddNL("in cell", 0, 0);

    // Made out of order; the list keeps document order.
    Data.SetListMarkerInfo(2, 0, 0, 1, 0, false); // before "b"
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false); // before "a": marker, a, cell, marker, b
    EXPECT_EQ(Cell->SetListMarkerInfo(0, 0, 0, 1, 0, false), 0);
    EXPECT_EQ(Shown(), (Strings{"1.", "2.", "3."}));
    auto* CellMarker = dynamic_cast<TRVMarkerItemInfo*>(Cell->GetItem(0));
    ASSERT_NE(CellMarker, nullptr);
    EXPECT_EQ(CellMarker->DisplayString, "2.");
    EXPECT_EQ(Marker(3)->DisplayString, "3.");

    EXPECT_EQ(Data.FindPreviousMarker(4), Marker(3));
    EXPECT_EQ(Data.FindPreviousMarker(2), CellMarker);
    EXPECT_EQ(Data.FindPreviousMarker(1), Marker(0));
    EXPECT_EQ(Cell->FindPreviousMarker(-1), Marker(0)); // from the cell's start outwards
    EXPECT_EQ(Data.FindMarkerLocalLocationFrom(0, CellMarker), 2);
    EXPECT_EQ(Data.FindMarkerLocalLocationFrom(3, CellMarker), -1);
    EXPECT_EQ(Data.FindMarkerLocalLocationFrom(0, Marker(3)), 3);

    // Deleting the cell's marker renumbers the document's markers after it.
    Cell->DeleteItems(0, 1);
    EXPECT_EQ(Shown(), (Strings{"1.", "2."}));
}

TEST_F(ListsTest, MarkersAppendedInOrderAreNumberedAsMarkersInsertedBeforeOthers)
{
    // Two lists, two levels, one restart: the list, level, restart of paragraph i.
    struct TPara {
        int ListNo, Level;
        bool Reset;
    };
    std::vector<TPara> Paras;
    for (int i = 0; i < 60; ++i)
        Paras.push_back({i % 5 == 4 ? 1 : 0, i % 3 == 2 ? 1 : 0, i == 20});
    // Appended one after the other, as a load does.
    for (const TPara& p : Paras) {
        Data.SetListMarkerInfo(-1, p.ListNo, p.Level, 7, 0, p.Reset);
        Data.AddNL("text", 0, -1);
    }
    // The same document numbered from its last paragraph to its first: every
    // marker goes in before the others.
    TTestRVData Backwards(&Style);
    for (size_t i = 0; i < Paras.size(); ++i)
        Backwards.AddNL("text", 0, 0);
    for (int i = static_cast<int>(Paras.size()) - 1; i >= 0; --i) {
        const TPara& p = Paras[static_cast<size_t>(i)];
        ASSERT_EQ(Backwards.SetListMarkerInfo(i, p.ListNo, p.Level, 7, 0, p.Reset), i);
    }
    const Strings Appended = Shown();
    EXPECT_EQ(Appended, ShownBy(Backwards));
    ASSERT_EQ(Appended.size(), Paras.size());
    EXPECT_EQ(Appended[0], "1.");
    EXPECT_EQ(Appended[2], "2.1.");
    EXPECT_EQ(Appended[4], "A)");
    EXPECT_EQ(Appended[20], "11.7."); // the restart, under the eleventh of level 0
    EXPECT_EQ(Appended[23], "13.1.");
    // Every marker finds itself in the list where it stands.
    for (int i = 0; i < Data.Markers->Count(); ++i)
        ASSERT_EQ(Data.Markers->Marker(i)->GetIndexInList(Data.Markers.get()), i);
}

TEST_F(ListsTest, ManyListParagraphsAreAppendedWithoutSearchingTheList)
{
    const int Count = 20000;
    for (int i = 0; i < Count; ++i) {
        Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
        Data.AddNL("item", 0, -1);
    }
    ASSERT_NE(Data.Markers, nullptr);
    ASSERT_EQ(Data.Markers->Count(), Count);
    EXPECT_EQ(Data.Markers->Marker(0)->DisplayString, "1.");
    EXPECT_EQ(Data.Markers->Marker(Count - 1)->DisplayString, "20000.");
    // Each marker looked at a few others, not at the whole list.
    EXPECT_LT(Data.Markers->WorkDone(), 4 * int64_t{Count});

    // A copy appended to a store that has markers already goes on counting.
    TTestRVData Copy(&Style);
    Copy.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    Copy.AddNL("first", 0, -1);
    Copy.AppendFrom(&Data);
    ASSERT_EQ(Copy.Markers->Count(), Count + 1);
    EXPECT_EQ(Copy.Markers->Marker(Count)->DisplayString, "20001.");
    EXPECT_EQ(Copy.Markers->Marker(Count)->GetIndexInList(Copy.Markers.get()), Count);
    EXPECT_LT(Copy.Markers->WorkDone(), 4 * int64_t{Count});
}

TEST_F(ListsTest, AMarkerInTheUndoListLeavesTheNumbering)
{
    Paragraphs(3);
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Data.SetListMarkerInfo(2, 0, 0, 1, 0, false);
    Data.SetListMarkerInfo(4, 0, 0, 1, 0, false); // items: M a M b M c
    TRVMarkerItemInfo* Middle = Marker(2);

    // What the editor does when the paragraph is deleted: the item goes to the undo list.
    Data.Actions.clear();
    Middle->MovingToUndoList(2, &Data, nullptr);
    ASSERT_EQ(Data.Actions.size(), 1u); // the base behaviour first
    EXPECT_EQ(Data.Actions[0].Action, rviaMovingToUndoList);
    Data.Items->Delete(2);
    EXPECT_EQ(Shown(), (Strings{"1.", "2."}));
    EXPECT_EQ(Marker(3)->DisplayString, "2.");

    // Only where it stands again does it count again.
    Data.Items->InsertObject(2, "", Middle);
    Middle->MovingFromUndoList(1, &Data);
    EXPECT_EQ(Shown(), (Strings{"1.", "2."}));
    Middle->MovingFromUndoList(2, &Data);
    EXPECT_EQ(Shown(), (Strings{"1.", "2.", "3."}));
    EXPECT_EQ(Middle->DisplayString, "2.");
    EXPECT_EQ(Marker(4)->DisplayString, "3.");

    // The only marker of a document takes the list with it, and brings it back.
    Marker(0)->MovingToUndoList(0, &Data, nullptr);
    Marker(4)->MovingToUndoList(4, &Data, nullptr);
    Middle->MovingToUndoList(2, &Data, nullptr);
    EXPECT_EQ(Data.Markers, nullptr);
    Middle->MovingFromUndoList(2, &Data);
    EXPECT_EQ(Shown(), (Strings{"1."}));
}
