// Nested tables in RVF: text RVF grows with the document, not with each level
// of nesting; tables nest as deep as the RTF reader nests them and read alike
// from every kind of stream; an RTF save of nested tables uses its own
// document; and what a read of nested tables tells the documents around each
// cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"
#include "tests/support/testtable.h"
#include "tests/support/testtablestore.h"

namespace {

// Tables nested Depth deep, each 1 x 1, the innermost cell holding "deep".
void AddNestedTables(TTableDoc& Doc, int Depth)
{
    TRVTableItemInfo* Table = Doc.AddTable(1, 1);
    for (int Level = 1; Level < Depth; ++Level) {
        TRVTableCellData* Holder = Table->GetCells(0, 0);
        Holder->Clear();
        Table = new TRVTableItemInfo(1, 1, Holder);
        Holder->AddItem(AnsiString(), Table);
    }
    SetCellText(Table->GetCells(0, 0), "deep");
}

// The number of tables nested from the document's first item, and the text
// of the innermost cell.
int NestingOf(TTableDoc& Doc, AnsiString& Text)
{
    int Depth = 0;
    TCustomRVData* Data = &Doc.Data;
    while (Data->GetItemCount() > 0) {
        auto* Table = dynamic_cast<TRVTableItemInfo*>(Data->GetItem(0));
        if (Table == nullptr) {
            Text = Data->GetItemText(0);
            break;
        }
        ++Depth;
        Data = Table->GetCells(0, 0);
    }
    return Depth;
}

} // namespace

// Text RVF grows with the document, not with each level of nesting, and
// reads back whole.
TEST(TableRVFSize, NestedTablesSaveInTextFormInProportionToTheDocument)
{
    for (int Depth : {1, 4, 12}) {
        SCOPED_TRACE(Depth);
        TTableDoc Source;
        AddNestedTables(Source, Depth);
        const std::string Binary = SaveDocRVF(Source, true);
        const std::string Text = SaveDocRVF(Source, false);
        EXPECT_LE(Text.size(), 3 * Binary.size()) << Binary.size();
        for (const std::string* Saved : {&Text, &Binary}) {
            TTableDoc Copy;
            ASSERT_TRUE(LoadDocRVF(Copy, *Saved));
            AnsiString Inner;
            EXPECT_EQ(NestingOf(Copy, Inner), Depth);
            EXPECT_EQ(Inner, "deep");
        }
    }
}

// A root that answers fixed RVF options, text form with the background,
// and keeps none set on it, as a document may.
class TFixedOptionsData : public TTableTestData {
public:
    using TTableTestData::TTableTestData;
    TRVFOptions GetRVFOptions() override { return TRVFOptions{rvfoSaveBack}; }
    void SetRVFOptions(TRVFOptions) override {}
};

// The cells' documents are stored in binary form inside a text save however
// the root answers its options: text RVF of tables nested 16 deep is about
// twice the size of 8 deep, not 256 times, and reads back whole.
TEST(TableRVFSize, NestedTablesSaveInProportionWhateverTheRootKeeps)
{
    std::string Text[2];
    const int Depths[2] = {8, 16};
    for (int i = 0; i < 2; ++i) {
        TRVStyle Style(nullptr);
        TFixedOptionsData Root(&Style);
        NestTables(&Root, Depths[i])->AddNL("deep", 0, 0);
        TStringStream Stream;
        ASSERT_TRUE(Root.SaveRVFToStream(Stream, false, clNone, nullptr, nullptr));
        Text[i] = Stream.DataString();
        EXPECT_EQ(Root.GetRVFOptions(), TRVFOptions{rvfoSaveBack});
        TTableDoc Copy;
        ASSERT_TRUE(LoadDocRVF(Copy, Text[i]));
        AnsiString Inner;
        EXPECT_EQ(NestingOf(Copy, Inner), Depths[i]);
        EXPECT_EQ(Inner, "deep");
        Root.Clear();
    }
    EXPECT_LE(Text[1].size(), 3 * Text[0].size()) << Text[0].size();
}

// Tables nest in RVF as deep as the RTF reader nests them, 32 levels, and
// a document of that depth reads back from either form; one more level is
// refused as a failed read.
TEST(TableRVFSize, TablesNestedAsDeepAsRTFAllowsReadBack)
{
    for (int Depth : {32, 33}) {
        SCOPED_TRACE(Depth);
        TTableDoc Source;
        AddNestedTables(Source, Depth);
        for (bool Binary : {false, true}) {
            const std::string Saved = SaveDocRVF(Source, Binary);
            TTableDoc Copy;
            AnsiString Inner;
            if (Depth > 32) {
                EXPECT_FALSE(LoadDocRVF(Copy, Saved)) << Binary;
                continue;
            }
            ASSERT_TRUE(LoadDocRVF(Copy, Saved)) << Binary;
            EXPECT_EQ(NestingOf(Copy, Inner), Depth);
            EXPECT_EQ(Inner, "deep");
            EXPECT_EQ(SaveDocRVF(Copy, Binary), Saved);
        }
    }
}

// Tables nested 32 deep read alike from every kind of stream, from its
// position on: from memory and from a window over it (read where the bytes
// lie) and from a file (read through a copy), the stream left at its end.
TEST(TableRVFNested, ReadsAlikeInPlaceAndFromAFile)
{
    TTableDoc Source;
    AddNestedTables(Source, 32);
    TempDir Dir;
    for (bool Binary : {false, true}) {
        SCOPED_TRACE(Binary);
        const std::string Saved = SaveDocRVF(Source, Binary);
        const std::string Prefix = "prefix";
        TMemoryStream Memory;
        Memory.WriteBuffer((Prefix + Saved).data(), static_cast<int64_t>(Prefix.size() + Saved.size()));
        TStreamWindow Window(Memory, static_cast<int64_t>(Prefix.size()), static_cast<int64_t>(Saved.size()),
                             false);
        TFileStream File(Dir.Write("nested.rvf", Prefix + Saved), fmOpenRead);
        const std::pair<TStream*, int64_t> Streams[] = {{&Memory, static_cast<int64_t>(Prefix.size())},
                                                        {&Window, 0},
                                                        {&File, static_cast<int64_t>(Prefix.size())}};
        for (const auto& [Stream, Start] : Streams) {
            Stream->SetPosition(Start);
            TTableDoc Copy;
            TColor Color = clNone;
            ASSERT_TRUE(Copy.Data.LoadRVFFromStream(*Stream, Color, nullptr, nullptr));
            EXPECT_EQ(Stream->Position(), Stream->Size());
            AnsiString Inner;
            EXPECT_EQ(NestingOf(Copy, Inner), 32);
            EXPECT_EQ(Inner, "deep");
            EXPECT_EQ(SaveDocRVF(Copy, Binary), Saved);
        }
    }
}

// An RTF save keeps what nested cells learn of their documents for that save
// only: two documents nested alike but with different fonts, saved one after
// the other, each write their own font at every level.
TEST(TableRVFNested, RTFSavesOfNestedTablesEachUseTheirOwnDocument)
{
    TTableDoc A, B;
    AddNestedTables(A, 8);
    AddNestedTables(B, 8);
    A.Style.TextStyles()->Items(0)->SetFontName("Alphafont");
    B.Style.TextStyles()->Items(0)->SetFontName("Betafont");
    for (int Round = 0; Round < 2; ++Round)
        for (TTableDoc* Doc : {&A, &B}) {
            TMemoryStream Out;
            ASSERT_TRUE(Doc->Data.SaveRTFToStream(Out, false, 0, clNone, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr, nullptr, 0));
            const std::string RTF(static_cast<const char*>(Out.Memory()), static_cast<size_t>(Out.Size()));
            const bool IsA = Doc == &A;
            EXPECT_NE(RTF.find(IsA ? "Alphafont" : "Betafont"), std::string::npos);
            EXPECT_EQ(RTF.find(IsA ? "Betafont" : "Alphafont"), std::string::npos);
            EXPECT_NE(RTF.find("deep"), std::string::npos);
        }
}

// ---------------------------------------------------------------------------
// Reading nested tables: what the documents around each cell are told

namespace {

// The document and the cell of every level of a nested read, outermost first.
std::vector<TCustomRVData*> NestedStores(TCustomRVData* Root)
{
    std::vector<TCustomRVData*> Stores{Root};
    while (Stores.back()->GetItemCount() > 0) {
        auto* Table = dynamic_cast<TRVTableItemInfo*>(Stores.back()->GetItem(0));
        if (Table == nullptr)
            break;
        Stores.push_back(Table->GetCells(0, 0));
    }
    return Stores;
}

// A table document that logs each item action with the store it came from.
class TActionLogData : public TTableTestData {
public:
    using TTableTestData::TTableTestData;
    ~TActionLogData() override { Clear(); }
    void ItemAction(TRVItemAction Action, TCustomRVItemInfo*, AnsiString&, TCustomRVData* From) override
    {
        Log.emplace_back(Action, From);
    }
    bool Told(TRVItemAction Action, const TCustomRVData* From) const
    {
        return std::find(Log.begin(), Log.end(), std::make_pair(Action, From)) != Log.end();
    }
    std::vector<std::pair<TRVItemAction, const TCustomRVData*>> Log;
};

} // namespace

// Each store's change count is a step of a walk up through the documents
// around it: a read passes the changes inside a cell up once, so the counts
// add up in proportion to the depth, and the document's own count does not
// grow with it. A change after the read still counts everywhere around.
TEST(TableRVFNested, ReadPassesChangesUpOncePerCell)
{
    for (bool Binary : {false, true}) {
        SCOPED_TRACE(Binary);
        uint64_t RootCount[2] = {0, 0};
        const int Depths[2] = {8, 32};
        for (int k = 0; k < 2; ++k) {
            TTableDoc Source;
            AddNestedTables(Source, Depths[k]);
            TTableDoc Copy;
            ASSERT_TRUE(LoadDocRVF(Copy, SaveDocRVF(Source, Binary)));
            const std::vector<TCustomRVData*> Stores = NestedStores(&Copy.Data);
            ASSERT_EQ(Stores.size(), size_t(Depths[k]) + 1);
            uint64_t Sum = 0;
            for (TCustomRVData* Store : Stores)
                Sum += Store->ChangeCount();
            EXPECT_LE(Sum, 16 * Stores.size()) << Depths[k];
            RootCount[k] = Copy.Data.ChangeCount();

            std::vector<uint64_t> Before;
            for (TCustomRVData* Store : Stores)
                Before.push_back(Store->ChangeCount());
            Stores.back()->AddNL("more", 0, 0);
            for (size_t i = 0; i < Stores.size(); ++i)
                EXPECT_GT(Stores[i]->ChangeCount(), Before[i]) << "level " << i;
        }
        EXPECT_EQ(RootCount[0], RootCount[1]);
    }
}

// The document hears of every item read into the cells at any depth, from
// the cell that holds it. The cells of a table being freed are in no
// document and tell nothing, also when the holders were asked before.
TEST(TableRVFNested, ItemActionsOfEveryLevelReachTheDocument)
{
    TTableDoc Source;
    AddNestedTables(Source, 32);
    const std::string Saved = SaveDocRVF(Source, true);
    TRVStyle Style(nullptr);
    TActionLogData Data(&Style);
    TStringStream Stream(Saved);
    TColor Color = clNone;
    ASSERT_TRUE(Data.LoadRVFFromStream(Stream, Color, nullptr, nullptr));
    const std::vector<TCustomRVData*> Stores = NestedStores(&Data);
    ASSERT_EQ(Stores.size(), 33u);
    for (size_t i = 0; i < Stores.size(); ++i)
        EXPECT_TRUE(Data.Told(rviaInserted, Stores[i])) << "level " << i;
    Data.Log.clear();
    {
        const TRVSaveAnswers Answers;
        for (TCustomRVData* Store : Stores)
            Store->GetOptions();
        Data.Clear();
    }
    EXPECT_TRUE(Data.Told(rviaDestroying, &Data));
    for (size_t i = 1; i < Stores.size(); ++i)
        EXPECT_FALSE(Data.Told(rviaDestroying, Stores[i])) << "level " << i;
}

// While answers about holders are kept, a table moved into another document
// makes its cells ask the new one: its style sheet, options and item actions.
TEST(TableRVFNested, KeptAnswersFollowATableIntoAnotherDocument)
{
    RV_RegisterTableItem();
    TRVStyle StyleA(nullptr), StyleB(nullptr);
    TActionLogData A(&StyleA), B(&StyleB);
    A.Options = TRVOptions{rvoTagsArePChars};
    auto* Table = new TRVTableItemInfo(1, 1, &A);
    TRVTableCellData* Cell = Table->GetCells(0, 0);
    {
        const TRVSaveAnswers Answers;
        EXPECT_EQ(Cell->GetRootData(), &A);
        EXPECT_EQ(Cell->GetRVStyle(), &StyleA);
        EXPECT_TRUE(Cell->GetOptions().Contains(rvoTagsArePChars));
        B.AddItem(AnsiString(), Table);
        EXPECT_EQ(Cell->GetRootData(), &B);
        EXPECT_EQ(Cell->GetRVStyle(), &StyleB);
        EXPECT_FALSE(Cell->GetOptions().Contains(rvoTagsArePChars));
        A.Log.clear();
        Cell->AddNL("moved", 0, 0);
        EXPECT_TRUE(B.Told(rviaInserted, Cell));
        EXPECT_TRUE(A.Log.empty());
    }
}
