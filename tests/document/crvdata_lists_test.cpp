// The item store's list markers: making, changing and removing the marker of a
// paragraph, the markers list in document order (nested documents included)
// and the numbers shown after list paragraphs are inserted and deleted.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/document/doctestdata.h"

namespace {

// A sub-document held by a test item of its parent store.
class TCellData : public TTestSubRVData {
public:
    using TTestSubRVData::TTestSubRVData;
    TCustomRVItemInfo* Holder = nullptr;
    void GetParentInfo(int& parentItemNo, TRVStoreSubRVData*& location) override
    {
        parentItemNo = Parent->GetItemNo(Holder);
        location = new TRVStoreSubRVData;
    }
};

// An inline item with one sub-document (a one-cell table, as far as markers go).
class TCellItem : public TRVRectItemInfo {
public:
    explicit TCellItem(TCustomRVData* parent) : TRVRectItemInfo(parent), Cell(new TCellData(parent))
    {
        StyleNo = -12;
        Cell->Holder = this;
    }
    TCustomRVData* GetSubRVData(TRVStoreSubRVData*& storeState, TRVSubRVDataPos position) override
    {
        if (position == rvdFirst || position == rvdLast) {
            storeState = new TRVStoreSubRVData;
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
        TRVListInfo* decimal = Style.ListStyles()->Add();
        AddLevel(decimal, rvlstDecimal, "%0:s.");
        AddLevel(decimal, rvlstDecimal, "%0:s.%1:s.");
        AddLevel(Style.ListStyles()->Add(), rvlstUpperAlpha, "%0:s)");
    }
    static void AddLevel(TRVListInfo* list, TRVListType type, const AnsiString& format)
    {
        TRVListLevel* level = list->Levels()->Add();
        level->SetListType(type);
        level->SetFormatString(format);
    }
    // The display strings of the markers list, in its order; every marker
    // finds itself in the list where it stands.
    static std::vector<AnsiString> ShownBy(const TTestRVData& store)
    {
        std::vector<AnsiString> s;
        if (store.Markers)
            for (int i = 0; i < store.Markers->Count(); ++i) {
                s.push_back(store.Markers->Marker(i)->DisplayString);
                EXPECT_EQ(store.Markers->Marker(i)->GetIndexInList(store.Markers.get()), i);
            }
        return s;
    }
    std::vector<AnsiString> Shown() const { return ShownBy(Data); }
    TRVMarkerItemInfo* Marker(int itemNo) const
    {
        return dynamic_cast<TRVMarkerItemInfo*>(Data.GetItem(itemNo));
    }
    // Paragraphs "a", "b", ... numbered as listNos says (-1: not numbered), from the last to the first.
    void Paragraphs(std::initializer_list<int> listNos)
    {
        for (size_t i = 0; i < listNos.size(); ++i)
            Data.AddNL(AnsiString(1, static_cast<char>('a' + i)), 0, 0);
        for (int i = static_cast<int>(listNos.size()) - 1; i >= 0; --i)
            if (listNos.begin()[i] >= 0)
                Data.SetListMarkerInfo(i, listNos.begin()[i], 0, 1, 0, false);
    }

    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};
};

using Strings = std::vector<AnsiString>;

} // namespace

TEST_F(ListsTest, AMarkerPastTheEndOfAnEmptyStoreIsAppended)
{
    EXPECT_EQ(Data.SetListMarkerInfo(5, 0, 0, 1, -1, false), 0);
    // A given paragraph style is taken; a marker never directly follows one.
    EXPECT_EQ(Data.SetListMarkerInfo(-1, 0, 0, 1, 3, false), 2);
    EXPECT_EQ(Shape(Data), "P0:<marker 1.> + P3:<marker 2.>");
    EXPECT_EQ(Shown(), (Strings{"1.", "2."}));
    // A full-width paragraph cannot be numbered.
    TTestRVData rule(&Style);
    rule.AddBreak();
    EXPECT_EQ(rule.SetListMarkerInfo(0, 0, 0, 1, 0, false), -1);
    EXPECT_EQ(Shape(rule), "P0:<break>");
    EXPECT_EQ(rule.Markers, nullptr);
}

TEST_F(ListsTest, AMarkerOpensAParagraphAndRemovingItRestoresTheParagraph)
{
    Paragraphs({-1, -1});
    Data.AddNL("c", 0, -1); // "b" and "c" make one line
    Data.SetPageBreaksBeforeItems(1, true);
    Data.GetItem(1)->ParaNo = 2;
    EXPECT_EQ(Data.SetListMarkerInfo(2, 0, 0, 1, 0, false), 1);
    // The page break stays with the paragraph.
    EXPECT_EQ(Shape(Data), "P0:a ~P2:<marker 1.> +b +0:c");
    int listNo = -1, level = -1, startFrom = -1;
    bool useStartFrom = true;
    EXPECT_EQ(Data.GetListMarkerInfo(3, listNo, level, startFrom, useStartFrom), 1);
    EXPECT_EQ(std::make_tuple(listNo, level, startFrom, useStartFrom), std::make_tuple(0, 0, 1, false));
    EXPECT_EQ(Data.GetListMarkerInfo(0, listNo, level, startFrom, useStartFrom), -1);

    Data.RemoveListMarker(3);
    EXPECT_EQ(Shape(Data), "P0:a ~P2:b +0:c");
    EXPECT_EQ(Data.Markers, nullptr); // the last marker took the list with it
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    EXPECT_EQ(Shown(), (Strings{"1."})) << "the list is made again when needed";
}

TEST_F(ListsTest, NumbersFollowChangedInsertedAndDeletedListParagraphs)
{
    Paragraphs({0, 0, 0});
    EXPECT_EQ(Shown(), (Strings{"1.", "2.", "3."}));
    // Changing a marker keeps its place and renumbers both lists.
    EXPECT_EQ(Data.SetListMarkerInfo(3, 1, 0, 1, 0, false), 2);
    EXPECT_EQ(Data.SetListMarkerInfo(4, 0, 1, 7, 0, true), 4);
    EXPECT_EQ(Shape(Data), "P0:<marker 1.> +a P0:<marker A)> +b P0:<marker 1.7.> +c");
    // Deleting a marker renumbers its own list when lists interleave.
    Data.DeleteItems(0, 2);
    EXPECT_EQ(Shown(), (Strings{"A)", "1.7."}));

    // A list paragraph inserted before the others counts first; deleting one renumbers those after it.
    TTestRVData data(&Style);
    for (const char* text : {"a", "b", "c", "d"})
        data.AddNL(text, 0, 0);
    for (int itemNo : {1, 3, 5, 0})
        data.SetListMarkerInfo(itemNo, 0, 0, 1, 0, false);
    EXPECT_EQ(Shape(data), "P0:<marker 1.> +a P0:<marker 2.> +b P0:<marker 3.> +c P0:<marker 4.> +d");
    data.DeleteItems(2, 2);
    EXPECT_EQ(Shape(data), "P0:<marker 1.> +a P0:<marker 2.> +c P0:<marker 3.> +d");
}

TEST_F(ListsTest, RecalcMarkerAndTheLastMarkerOfLists)
{
    Paragraphs({0, 1, 0});
    // A change made behind the list's back shows after RecalcMarker.
    Marker(0)->Reset = true;
    Marker(0)->StartFrom = 5;
    Data.RecalcMarker(0, false);
    EXPECT_EQ(Shown(), (Strings{"5.", "A)", "6."}));
    TRVIntegerList lists;
    lists.Add(1);
    EXPECT_EQ(Data.FindLastMarkerIndex(0, &lists), 1);
    EXPECT_EQ(Data.FindLastMarkerIndex(2, &lists), -1);
    lists.Add(0);
    EXPECT_EQ(Data.FindLastMarkerIndex(0, &lists), 2);
    EXPECT_EQ(Data.FindLastMarkerIndex(0, nullptr), -1);
}

TEST_F(ListsTest, AMarkerInANestedDocumentCountsInDocumentOrder)
{
    Data.AddNL("a", 0, 0);
    auto* item = new TCellItem(&Data);
    Data.AddItem("", item);
    Data.AddNL("b", 0, 0);
    TCellData* cell = item->Cell.get();
    cell->AddNL("in cell", 0, 0);
    // Made out of order; the list keeps document order.
    Data.SetListMarkerInfo(2, 0, 0, 1, 0, false); // before "b"
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false); // before "a": marker, a, cell, marker, b
    EXPECT_EQ(cell->SetListMarkerInfo(0, 0, 0, 1, 0, false), 0);
    EXPECT_EQ(Shown(), (Strings{"1.", "2.", "3."}));
    EXPECT_EQ(Shape(*cell), "P0:<marker 2.> +in cell");
    EXPECT_EQ(Marker(3)->DisplayString, "3.");
    auto* cellMarker = dynamic_cast<TRVMarkerItemInfo*>(cell->GetItem(0));
    EXPECT_EQ(Data.FindPreviousMarker(4), Marker(3));
    EXPECT_EQ(Data.FindPreviousMarker(2), cellMarker);
    EXPECT_EQ(Data.FindPreviousMarker(1), Marker(0));
    EXPECT_EQ(cell->FindPreviousMarker(-1), Marker(0)); // from the cell's start outwards
    EXPECT_EQ(Data.FindMarkerLocalLocationFrom(0, cellMarker), 2);
    EXPECT_EQ(Data.FindMarkerLocalLocationFrom(3, cellMarker), -1);
    EXPECT_EQ(Data.FindMarkerLocalLocationFrom(0, Marker(3)), 3);
    // Deleting the cell's marker renumbers the document's markers after it.
    cell->DeleteItems(0, 1);
    EXPECT_EQ(Shown(), (Strings{"1.", "2."}));
}

TEST_F(ListsTest, MarkersAppendedInOrderAreNumberedAsMarkersInsertedBeforeOthers)
{
    // Two lists, two levels, one restart: the list, level, restart of paragraph i.
    struct TPara {
        int ListNo, Level;
        bool Reset;
    };
    std::vector<TPara> paras;
    for (int i = 0; i < 60; ++i)
        paras.push_back({i % 5 == 4 ? 1 : 0, i % 3 == 2 ? 1 : 0, i == 20});
    // Appended one after the other, as a load does.
    for (const TPara& p : paras) {
        Data.SetListMarkerInfo(-1, p.ListNo, p.Level, 7, 0, p.Reset);
        Data.AddNL("text", 0, -1);
    }
    // The same document numbered from its last paragraph to its first: every
    // marker goes in before the others.
    TTestRVData backwards(&Style);
    for (size_t i = 0; i < paras.size(); ++i)
        backwards.AddNL("text", 0, 0);
    for (int i = static_cast<int>(paras.size()) - 1; i >= 0; --i) {
        const TPara& p = paras[static_cast<size_t>(i)];
        ASSERT_EQ(backwards.SetListMarkerInfo(i, p.ListNo, p.Level, 7, 0, p.Reset), i);
    }
    const Strings appended = Shown();
    EXPECT_EQ(appended, ShownBy(backwards));
    ASSERT_EQ(appended.size(), paras.size());
    EXPECT_EQ(appended[0], "1.");
    EXPECT_EQ(appended[2], "2.1.");
    EXPECT_EQ(appended[4], "A)");
    EXPECT_EQ(appended[20], "11.7."); // the restart, under the eleventh of level 0
    EXPECT_EQ(appended[23], "13.1.");
}

TEST_F(ListsTest, ManyListParagraphsAreAppendedWithoutSearchingTheList)
{
    const int count = 20000;
    for (int i = 0; i < count; ++i) {
        Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
        Data.AddNL("item", 0, -1);
    }
    ASSERT_EQ(Data.Markers->Count(), count);
    EXPECT_EQ(Data.Markers->Marker(count - 1)->DisplayString, "20000.");
    // Each marker looked at a few others, not at the whole list.
    EXPECT_LT(Data.Markers->WorkDone(), 4 * int64_t{count});

    // A copy appended to a store that has markers already goes on counting.
    TTestRVData copy(&Style);
    copy.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    copy.AddNL("first", 0, -1);
    copy.AppendFrom(&Data);
    ASSERT_EQ(copy.Markers->Count(), count + 1);
    EXPECT_EQ(copy.Markers->Marker(count)->DisplayString, "20001.");
    EXPECT_EQ(copy.Markers->Marker(count)->GetIndexInList(copy.Markers.get()), count);
    EXPECT_LT(copy.Markers->WorkDone(), 4 * int64_t{count});
}

TEST_F(ListsTest, AMarkerInTheUndoListLeavesTheNumbering)
{
    Paragraphs({0, 0, 0}); // items: M a M b M c
    TRVMarkerItemInfo* middle = Marker(2);
    // What the editor does when the paragraph is deleted: the item goes to the undo list.
    Data.Actions.clear();
    middle->MovingToUndoList(2, &Data, nullptr);
    ASSERT_EQ(Data.Actions.size(), 1u); // the base behaviour first
    EXPECT_EQ(Data.Actions[0].Action, rviaMovingToUndoList);
    Data.Items->Delete(2);
    EXPECT_EQ(Shape(Data), "P0:<marker 1.> +a +b P0:<marker 2.> +c");
    // Only where it stands again does it count again.
    Data.Items->InsertObject(2, "", middle);
    middle->MovingFromUndoList(1, &Data);
    EXPECT_EQ(Shown(), (Strings{"1.", "2."}));
    middle->MovingFromUndoList(2, &Data);
    EXPECT_EQ(Shape(Data), "P0:<marker 1.> +a P0:<marker 2.> +b P0:<marker 3.> +c");
    // The only marker of a document takes the list with it, and brings it back.
    Marker(0)->MovingToUndoList(0, &Data, nullptr);
    Marker(4)->MovingToUndoList(4, &Data, nullptr);
    middle->MovingToUndoList(2, &Data, nullptr);
    EXPECT_EQ(Data.Markers, nullptr);
    middle->MovingFromUndoList(2, &Data);
    EXPECT_EQ(Shown(), (Strings{"1."}));
}
