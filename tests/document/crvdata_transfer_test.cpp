// Copying, moving and sharing items between stores: what each store owns
// afterwards (checked under LeakSanitizer), checkpoints, list markers, tags
// and the notifications the items get.
#include <functional>

#include <gtest/gtest.h>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstr.h"
#include "document/rvstyle.h"
#include "tests/document/doctestdata.h"

namespace {

// A store that marks the texts of items inserted into it.
class TRenamingRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    void ItemAction(TRVItemAction action, TCustomRVItemInfo* item, AnsiString& text,
                    TCustomRVData* rvData) override
    {
        if (action == rviaInserting)
            text += "!";
        TTestRVData::ItemAction(action, item, text, rvData);
    }
};

// A store that shows another store's items (a printable view, say).
class TSharingRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    bool ShareItems() const override { return true; }
};

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRVListLevel* level = Style.ListStyles()->Add()->Levels()->Add();
        level->SetListType(rvlstDecimal);
        level->SetFormatString("%0:s.");
    }
    // "one" (numbered, with checkpoint "cp"), "two" continuing its line, and
    // "three" (numbered); a checkpoint "end" pending after them.
    static void Fill(TTestRVData& d)
    {
        d.AddNamedCheckpointExTag("cp", false, TRVTag());
        d.AddNL("one", 0, 0);
        d.AddNL("two", 0, -1);
        d.AddNL("three", 0, 0);
        d.SetListMarkerInfo(0, 0, 0, 1, 0, false);
        d.SetListMarkerInfo(3, 0, 0, 1, 0, false);
        d.AddNamedCheckpointExTag("end", false, TRVTag());
    }
    // Every marker of the store's list stands in the store, in the list's order.
    static void ExpectMarkersInOrder(TTestRVData& d, int count)
    {
        ASSERT_EQ(d.Markers ? d.Markers->Count() : 0, count);
        for (int i = 0, itemNo = -1; i < count; ++i) {
            const int at = d.GetItemNo(d.Markers->Marker(i));
            EXPECT_GT(at, itemNo) << i;
            itemNo = at;
        }
    }

    TRVStyle Style{nullptr};
    TTestRVData Target{&Style};
    TTestRVData Source{&Style};
};

} // namespace

TEST_F(TransferTest, AppendFromCopiesItemsCheckpointsAndMarkersAndLeavesTheSource)
{
    Target.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Target.AddNL("zero", 0, -1);
    Fill(Source);
    const std::string source = Shape(Source);
    Target.AppendFrom(&Source);
    EXPECT_EQ(Shape(Target), "P0:<marker 1.> +zero P0:<marker 2.> +{cp}one +two P0:<marker 3.> +three");
    ExpectMarkersInOrder(Target, 3);
    EXPECT_EQ(Shape(Source), source);
    EXPECT_EQ(Source.CPCount, 2);

    // Items that are not valid are left out.
    TTestRVData withBullet(&Style), copy(&Style);
    withBullet.AddNL("a", 0, 0);
    withBullet.AddBulletEx("no image list", 0, nullptr, 0);
    withBullet.AddNL("b", 0, 0);
    copy.AppendFrom(&withBullet);
    EXPECT_EQ(Shape(copy), "P0:a P0:b");
}

TEST_F(TransferTest, StoresThatDisagreeOnStringTagsExchangeNothing)
{
    Source.AddNL("a", 0, 0);
    Source.Options = TRVOptions{rvoTagsArePChars};
    try {
        Target.AppendFrom(&Source);
        FAIL() << "no exception";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), errRVTagsTypesMismatch);
    }
    EXPECT_THROW(Target.DrainFrom(&Source), ERollViewError);
    EXPECT_EQ(Shape(Target), "");
    EXPECT_EQ(Shape(Source), "P0:a");
}

TEST_F(TransferTest, DrainFromMovesEverythingAndLeavesTheVictimEmpty)
{
    Target.AddNL("zero", 0, 0);
    Target.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Fill(Source);
    TCustomRVItemInfo* moved = Source.GetItem(0);
    Target.DrainFrom(&Source);
    // The items themselves, not copies; the markers left the victim's list for
    // this one's; the chained checkpoint on its item, the pending one pending.
    EXPECT_EQ(Shape(Target), "P0:<marker 1.> +zero P0:<marker 2.> +{cp}one +two P0:<marker 3.> +three {end}");
    EXPECT_EQ(Target.GetItem(2), moved);
    ExpectMarkersInOrder(Target, 3);
    EXPECT_EQ(Target.CPCount, 2);
    EXPECT_EQ(Source.Markers, nullptr);
    EXPECT_EQ(Shape(Source), "");
    EXPECT_EQ(Source.FirstCP, nullptr);
    EXPECT_EQ(Source.LastCP, nullptr);
    EXPECT_EQ(Source.CPCount, 0);
    Source.AddNL("again", 0, 0); // the victim is usable again
    EXPECT_EQ(Shape(Source), "P0:again");

    // A pending checkpoint of the target goes to the first item moved; the
    // victim's pending one waits for the next item here.
    TTestRVData target(&Style), victim(&Style);
    target.AddNL("zero", 0, 0);
    target.AddNamedCheckpointExTag("mine", false, TRVTag());
    victim.AddNL("a", 0, 0);
    victim.AddNamedCheckpointExTag("theirs", false, TRVTag());
    target.DrainFrom(&victim);
    EXPECT_EQ(Shape(target), "P0:zero P0:{mine}a {theirs}");
    EXPECT_EQ(target.CPCount, 2);
}

TEST_F(TransferTest, DrainingANestedDocumentIntoItsRootKeepsOneMarkersList)
{
    Target.AddNL("root", 0, 0);
    Target.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    {
        TTestSubRVData cell(&Target);
        cell.AddNL("cell", 0, 0);
        cell.SetListMarkerInfo(0, 0, 0, 1, 0, false);
        cell.AddNL("more", 0, 0);
        cell.SetListMarkerInfo(2, 0, 0, 1, 0, false);
        ASSERT_EQ(Target.Markers->Count(), 3);
        Target.DrainFrom(&cell);
        EXPECT_EQ(cell.GetItemCount(), 0);
    }
    EXPECT_EQ(Shape(Target), "P0:<marker 1.> +root P0:<marker 2.> +cell P0:<marker 3.> +more");
    ExpectMarkersInOrder(Target, 3);
}

TEST_F(TransferTest, SharingStoresShowItemsWithoutOwningThem)
{
    Fill(Source);
    const std::string source = Shape(Source);
    {
        TSharingRVData sharer(&Style);
        sharer.AddNL("own item", 0, 0); // freed when sharing starts
        sharer.ShareItemsFrom(&Source);
        EXPECT_EQ(sharer.Items, Source.Items);
        // Draining a sharer moves nothing.
        Target.DrainFrom(&sharer);
        EXPECT_EQ(Shape(Target), "");
        sharer.Clear(); // never frees what it shows
        EXPECT_EQ(Shape(Source), source);
    }
    EXPECT_EQ(Shape(Source), source);
    Source.AddNL("still mine", 0, 0);

    // A store that does not share keeps its own items.
    Target.AddNL("b", 0, 0);
    Target.ShareItemsFrom(&Source);
    EXPECT_NE(Target.Items, Source.Items);
    EXPECT_EQ(Shape(Target), "P0:b");
}

TEST_F(TransferTest, InsertingTellsEveryItem)
{
    Source.AddNL("a", 0, 0);
    Source.AddBreak();
    Target.Actions.clear();
    Source.Inserting(&Target, false);
    ASSERT_EQ(Target.Actions.size(), 2u);
    EXPECT_EQ(Target.Actions[0].Action, rviaInserting);
    EXPECT_EQ(Target.Actions[0].Text, "a");
    // A text the item's insertion changes is stored back.
    TRenamingRVData renamer(&Style);
    Source.Inserting(&renamer, false);
    EXPECT_EQ(Source.GetItemText(0), "a!");
    EXPECT_EQ(Source.GetItemText(1), "!");
}

// An empty store takes a victim's whole list in one exchange: the same items,
// each told of its insertion (the renaming store renames them), the victim
// empty and usable. Where the items do not stand as appending them one by
// one would leave them, or checkpoints or markers travel with them, they
// come over one by one, as into a store that holds something.
TEST_F(TransferTest, DrainFromIntoAnEmptyStoreLeavesWhatMovingItemByItemLeaves)
{
    {
        TRenamingRVData target(&Style);
        TTestRVData victim(&Style);
        victim.AddNL("a", 0, 0);
        victim.AddNL("b", 0, -1);
        victim.AddBreak();
        victim.AddNL("c", 1, 1);
        TCustomRVItemInfo* first = victim.GetItem(0);
        target.DrainFrom(&victim);
        EXPECT_EQ(Shape(target), "P0:a! +b! P0:<break> P1:c!@1");
        EXPECT_EQ(target.GetItem(0), first);
        EXPECT_EQ(Shape(victim), "");
        victim.AddNL("again", 0, 0);
        EXPECT_EQ(Shape(victim), "P0:again");
    }
    const struct {
        const char* Name;
        std::function<void(TTestRVData&)> Make;    // fills the victim, may spoil it
        std::function<void(TTestRVData&)> Prepare; // readies the empty target
        const char* Expected;
    } cases[] = {
        {"checkpoints and markers", [](TTestRVData& v) { Fill(v); }, [](TTestRVData&) {},
         "P0:<marker 1.> +{cp}one +two P0:<marker 2.> +three {end}"},
        {"markers without checkpoints",
         [](TTestRVData& v) {
             v.AddNL("one", 0, 0);
             v.AddNL("two", 0, 0);
             v.SetListMarkerInfo(0, 0, 0, 1, 0, false);
             v.SetListMarkerInfo(2, 0, 0, 1, 0, false);
         },
         [](TTestRVData&) {}, "P0:<marker 1.> +one P0:<marker 2.> +two"},
        {"a pending checkpoint of the target", [](TTestRVData& v) { v.AddNL("a", 0, 0); },
         [](TTestRVData& t) { t.AddNamedCheckpointExTag("mine", false, TRVTag()); }, "P0:{mine}a"},
        {"a pending checkpoint of the victim",
         [](TTestRVData& v) {
             v.AddNL("a", 0, 0);
             v.AddNamedCheckpointExTag("theirs", false, TRVTag());
         },
         [](TTestRVData&) {}, "P0:a {theirs}"},
        {"a first item continuing a line",
         [](TTestRVData& v) {
             v.AddNL("a", 0, 0);
             v.GetItem(0)->SetSameAsPrev(true);
         },
         [](TTestRVData&) {}, "P0:a"},
        {"a line continued in another paragraph",
         [](TTestRVData& v) {
             v.AddNL("a", 0, 0);
             v.AddNL("b", 0, -1);
             v.GetItem(1)->ParaNo = 1;
         },
         [](TTestRVData&) {}, "P0:a +b"},
        {"a line continued after a full-width item",
         [](TTestRVData& v) {
             v.AddBreak();
             v.AddNL("b", 0, 0);
             v.GetItem(1)->SetSameAsPrev(true);
         },
         [](TTestRVData&) {}, "P0:<break> P0:b"},
        {"an item of no paragraph",
         [](TTestRVData& v) {
             v.AddNL("a", 0, 0);
             v.AddNL("b", 0, 0);
             v.GetItem(1)->ParaNo = -1;
         },
         [](TTestRVData&) {}, "P0:a +b"},
        {"a full-width item breaking a line",
         [](TTestRVData& v) {
             v.AddNL("a", 0, 0);
             v.AddBreak();
             v.GetItem(1)->SetBR(true);
         },
         [](TTestRVData&) {}, "P0:a P0:<break>"},
        {"a target that appends lines",
         [](TTestRVData& v) {
             v.AddNL("a", 0, 0);
             v.AddNL("b", 0, 0);
         },
         [](TTestRVData& t) { t.AddParagraphMode = false; }, "/0:a /0:b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestRVData target(&Style), victim(&Style);
        c.Make(victim);
        c.Prepare(target);
        target.DrainFrom(&victim);
        EXPECT_EQ(Shape(target), c.Expected);
        EXPECT_EQ(Shape(victim), "");
        EXPECT_EQ(victim.CPCount, 0);
        // The checkpoints and markers are the target's: counted, chained, listed.
        int checkpoints = target.NotAddedCP != nullptr ? 1 : 0;
        int markers = 0;
        for (int i = 0; i < target.GetItemCount(); ++i) {
            TCustomRVItemInfo* item = target.GetItem(i);
            checkpoints += item->GetCheckpoint() != nullptr ? 1 : 0;
            markers += item->StyleNo == rvsListMarker ? 1 : 0;
            EXPECT_FALSE(item->GetBoolValue(rvbpFullWidth) && item->GetBR()) << i;
        }
        EXPECT_EQ(target.CPCount, checkpoints);
        EXPECT_EQ(target.FirstCP != nullptr, checkpoints > (target.NotAddedCP != nullptr ? 1 : 0));
        ExpectMarkersInOrder(target, markers);
    }
}
