// Tables in RVF and in plain component streams: byte-for-byte round trips in
// both forms, the cells list with merged blocks, saved bands, the rows'
// alignment, background pictures, malformed streams rejected before anything
// is allocated for them, cells stored as text RVF, and grids the file cannot
// justify. Nested tables are in rvtable_rvf_nested_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "document/rvfmisc.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/markercheck.h"
#include "tests/support/picturebudget.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"
#include "tests/support/testtable.h"
#include "tests/support/testtablestore.h"

namespace {

struct TSample {
    const char* Name;
    std::function<void(TTableDoc&)> Build;
};

const TSample Samples[] = {
    {"OneEmptyCell", [](TTableDoc& D) { D.AddTable(1, 1); }},
    {"NoRows", [](TTableDoc& D) { D.AddTable(0, 0); }},
    {"Merged", [](TTableDoc& D) { AddMergedTable(D); }},
    {"Nested", [](TTableDoc& D) { AddNestedTable(D); }},
    {"TextAround",
     [](TTableDoc& D) {
         D.Data.AddNL("before", 0, 0);
         AddMergedTable(D);
         D.Data.AddNL("after", 0, 0);
     }},
};

TEST(TableRVF, RoundTripsByteForByteInBothForms)
{
    for (const TSample& S : Samples)
        for (bool Binary : {false, true}) {
            SCOPED_TRACE(std::string(S.Name) + (Binary ? " binary" : " text"));
            TTableDoc Source;
            S.Build(Source);
            const std::string Saved = SaveDocRVF(Source, Binary);
            TTableDoc Copy;
            ASSERT_TRUE(LoadDocRVF(Copy, Saved));
            EXPECT_EQ(Copy.Data.GetItemCount(), Source.Data.GetItemCount());
            EXPECT_EQ(SaveDocRVF(Copy, Binary), Saved);
        }
}

TEST(TableRVF, MergedCellsComeBackAsOneCellWithTheirSpans)
{
    TTableDoc Source;
    AddMergedTable(Source);
    TTableDoc Copy;
    ASSERT_TRUE(LoadDocRVF(Copy, SaveDocRVF(Source, false)));
    auto* T = dynamic_cast<TRVTableItemInfo*>(Copy.Data.GetItem(0));
    ASSERT_NE(T, nullptr);
    ASSERT_EQ(T->Rows->Count(), 3);
    EXPECT_EQ(T->GetCells(0, 0)->ColSpan, 2);
    EXPECT_EQ(T->GetCells(0, 1), nullptr);
    EXPECT_EQ(T->GetCells(1, 2)->RowSpan, 2);
    EXPECT_EQ(T->GetCells(2, 2), nullptr);
    EXPECT_EQ(T->GetCells(1, 2)->GetItemText(0), "c");
    EXPECT_EQ(T->GetCells(1, 2)->GetItemCount(), 1);
    EXPECT_EQ(T->GetCells(2, 0)->Color, clRed);
    EXPECT_EQ(T->Rows->Get(1)->VAlign, rvcMiddle);
    EXPECT_EQ(T->BestWidth, -80);
    EXPECT_EQ(T->HeadingRowCount, 1);
    EXPECT_FALSE(T->State.Contains(rvtsJustCreated));
    // The loaded cells answer to the document that holds the table.
    EXPECT_EQ(T->GetCells(1, 0)->GetParentData(), &Copy.Data);
}

TEST(TableRVF, NestedTableLivesInItsCell)
{
    TTableDoc Source;
    AddNestedTable(Source);
    TTableDoc Copy;
    ASSERT_TRUE(LoadDocRVF(Copy, SaveDocRVF(Source, true)));
    auto* T = dynamic_cast<TRVTableItemInfo*>(Copy.Data.GetItem(0));
    ASSERT_NE(T, nullptr);
    auto* Inner = dynamic_cast<TRVTableItemInfo*>(T->GetCells(0, 1)->GetItem(0));
    ASSERT_NE(Inner, nullptr);
    EXPECT_EQ(Inner->GetCells(1, 0)->GetItemText(0), "in2");
    EXPECT_EQ(Inner->GetRVData(), T->GetCells(0, 1));
}

// The "C" value of a stream as integers, up to the list (the counts).
std::string StreamOf(TRVTableItemInfo* Table, int First, int Count)
{
    TMemoryStream Stream;
    Table->SaveRowsToStream(Stream, First, Count);
    return StreamBytes(Stream);
}

TEST(TableStream, BandHoldsOnlyItsRowsAndZeroRowsWriteOnlyTheCount)
{
    TTableDoc Doc;
    TRVTableItemInfo* Table = AddMergedTable(Doc);
    TTableDoc Other;
    TRVTableItemInfo* Band = Other.AddTable(1, 1);
    const std::string Bytes = StreamOf(Table, 1, 2);
    LoadTableStream(Band, Bytes);
    ASSERT_EQ(Band->Rows->Count(), 2);
    EXPECT_EQ(Band->GetCells(0, 0)->GetItemText(0), "d");
    EXPECT_EQ(Band->GetCells(0, 2)->RowSpan, 2);
    EXPECT_EQ(Band->GetCells(1, 1)->GetItemText(0), "h");
    EXPECT_EQ(Band->Rows->Get(0)->VAlign, rvcMiddle);
    // Row 1's middle alignment is outside the first row's band: no RowVAlign at all.
    EXPECT_NE(Bytes.find("RowVAlign"), std::string::npos);
    EXPECT_EQ(StreamOf(Table, 0, 1).find("RowVAlign"), std::string::npos);

    // An empty grid: "C" holds the integer 0 (vaInt8 0) and reads back empty.
    TRVTableItemInfo* Empty = Doc.AddTable(0, 0);
    const std::string Zero = StreamOf(Empty, 0, 0);
    EXPECT_NE(Zero.find(std::string("\x01"
                                    "C\x02\x00",
                                    4)),
              std::string::npos);
    TStringStream ZeroIn(Zero);
    Band->LoadFromStream(ZeroIn);
    EXPECT_EQ(Band->Rows->Count(), 0);
}

TEST(TableStream, BackgroundPictureRoundTrips)
{
    TTableDoc Doc;
    TRVTableItemInfo* Table = Doc.AddTable(1, 1);
    TBitmap Picture;
    Picture.SetSize(2, 2);
    Table->SetBackgroundImage(&Picture);
    Table->SetBackgroundStyle(rvbsTiled);
    TTableDoc Copy;
    ASSERT_TRUE(LoadDocRVF(Copy, SaveDocRVF(Doc, true)));
    auto* T = dynamic_cast<TRVTableItemInfo*>(Copy.Data.GetItem(0));
    ASSERT_NE(T->GetBackgroundImage(), nullptr);
    EXPECT_EQ(T->GetBackgroundImage()->Width(), 2);
}

// A background picture past the read's pixel allowance is left out; the
// table and the rest of the read are kept.
TEST(TableStream, BackgroundPicturePastTheReadsAllowanceIsLeftOut)
{
    TTableDoc Doc;
    TRVTableItemInfo* Table = Doc.AddTable(1, 1);
    TBitmap Picture;
    Picture.SetSize(100, 100);
    Table->SetBackgroundImage(&Picture);
    Table->GetCells(0, 0)->SetBackgroundImage(&Picture);
    Doc.Data.AddNL("after", 0, 0);
    const TSmallPixelBudgets Budgets(int64_t(1) << 40, 15000);
    for (bool Binary : {false, true}) {
        SCOPED_TRACE(Binary);
        TTableDoc Copy;
        ASSERT_TRUE(LoadDocRVF(Copy, SaveDocRVF(Doc, Binary)));
        ASSERT_EQ(Copy.Data.GetItemCount(), 2);
        auto* T = dynamic_cast<TRVTableItemInfo*>(Copy.Data.GetItem(0));
        ASSERT_NE(T, nullptr);
        // The first picture read fits; the second does not.
        EXPECT_NE(T->GetBackgroundImage(), nullptr);
        EXPECT_EQ(T->GetCells(0, 0)->GetBackgroundImage(), nullptr);
        EXPECT_EQ(Copy.Data.GetItemText(1), "after");
    }
}

TEST(TableStream, RowVAlignListIsReadToItsEnd)
{
    // Three values for two rows, the second unknown: the extra is ignored and
    // the unknown value stands for the top.
    const std::string Bytes = TableStream(
        [](TWriter& W) {
            W.WriteInteger(2);
            W.WriteInteger(1);
            W.WriteListBegin();
            WriteCellEntry(W, 1, 1);
            WriteCellEntry(W, 1, 1);
            W.WriteListEnd();
        },
        [](TWriter& W) {
            W.WriteStr("RowVAlign");
            W.WriteListBegin();
            W.WriteInteger(rvcBottom);
            W.WriteInteger(77);
            W.WriteInteger(rvcMiddle);
            W.WriteListEnd();
            W.WriteStr("T.BorderWidth");
            W.WriteInteger(3);
        });
    TTableDoc Doc;
    TRVTableItemInfo* Table = Doc.AddTable(1, 1);
    Table->Rows->Get(0)->VAlign = rvcMiddle;
    LoadTableStream(Table, Bytes);
    ASSERT_EQ(Table->Rows->Count(), 2);
    EXPECT_EQ(Table->Rows->Get(0)->VAlign, rvcBottom);
    EXPECT_EQ(Table->Rows->Get(1)->VAlign, rvcTop);
    // The properties after the list were still read.
    EXPECT_EQ(Table->BorderWidth, 3);
}

struct TBadCells {
    const char* Name;
    std::function<void(TWriter&)> WriteC;
};

void Counts(TWriter& W, int Rows, int Cols)
{
    W.WriteInteger(Rows);
    W.WriteInteger(Cols);
}

const TBadCells BadCells[] = {
    {"NegativeRows", [](TWriter& W) { Counts(W, -1, 1); }},
    {"NegativeColumns", [](TWriter& W) { Counts(W, 2, -3); }},
    {"RowsWithoutSlotsAndACell",
     [](TWriter& W) {
         Counts(W, 2, 0);
         W.WriteListBegin();
         WriteCellEntry(W, 1, 1);
         W.WriteListEnd();
     }},
    {"MoreRowsThanAnyGrid",
     [](TWriter& W) {
         Counts(W, 1 << 30, 0);
         W.WriteListBegin();
         W.WriteListEnd();
     }},
    {"HugeGrid",
     [](TWriter& W) {
         Counts(W, 1000000, 1000000);
         W.WriteListBegin();
         WriteCellEntry(W, 1000000, 1000000);
         W.WriteListEnd();
     }},
    {"ProductOverflows",
     [](TWriter& W) {
         Counts(W, 65536, 65537);
         W.WriteListBegin();
         W.WriteListEnd();
     }},
    {"NoListAfterCounts", [](TWriter& W) { Counts(W, 2, 2); }},
    {"ListEndsEarly",
     [](TWriter& W) {
         Counts(W, 1, 2);
         W.WriteListBegin();
         WriteCellEntry(W, 1, 1);
         W.WriteListEnd();
     }},
    {"ListGoesOn",
     [](TWriter& W) {
         Counts(W, 1, 1);
         W.WriteListBegin();
         WriteCellEntry(W, 1, 1);
         WriteCellEntry(W, 1, 1);
         W.WriteListEnd();
     }},
    {"ZeroSpan",
     [](TWriter& W) {
         Counts(W, 1, 1);
         W.WriteListBegin();
         WriteCellEntry(W, 0, 1);
         W.WriteListEnd();
     }},
    {"NegativeSpan",
     [](TWriter& W) {
         Counts(W, 1, 2);
         W.WriteListBegin();
         WriteCellEntry(W, 1, -1);
         W.WriteListEnd();
     }},
    {"SpanPastTheGrid",
     [](TWriter& W) {
         Counts(W, 2, 2);
         W.WriteListBegin();
         WriteCellEntry(W, 3, 1);
         W.WriteListEnd();
     }},
    {"OverlappingBlocks",
     [](TWriter& W) {
         // (0,2) spans two rows; (1,1) then claims (1,1)-(1,2).
         Counts(W, 2, 3);
         W.WriteListBegin();
         WriteCellEntry(W, 1, 1);
         WriteCellEntry(W, 1, 1);
         WriteCellEntry(W, 1, 2);
         WriteCellEntry(W, 1, 1);
         WriteCellEntry(W, 2, 1);
         W.WriteListEnd();
     }},
};

TEST(TableStream, MalformedCellsListsAreReadErrorsThatLeaveAValidGrid)
{
    for (const TBadCells& Bad : BadCells) {
        SCOPED_TRACE(Bad.Name);
        const std::string Bytes = TableStream(Bad.WriteC);
        TTableDoc Doc;
        TRVTableItemInfo* Table = Doc.AddTable(1, 1);
        EXPECT_THROW(LoadTableStream(Table, Bytes), EReadError);
        // Every slot is a cell or covered by one.
        for (int r = 0; r < Table->Rows->Count(); ++r)
            for (int c = 0; c < Table->Rows->Get(r)->Count(); ++c) {
                int MR = -1;
                int MC = -1;
                EXPECT_NE(Table->Rows->GetMainCell(r, c, MR, MC), nullptr) << r << "," << c;
            }
    }
}

// The largest grid a file may describe is read (its cells, each 64 slots
// wide, justify it); one more row is refused.
TEST(TableStream, GridSizeLimit)
{
    for (int Rows : {1024, 1025}) {
        SCOPED_TRACE(Rows);
        const std::string Bytes = TableStream([Rows](TWriter& W) {
            Counts(W, Rows, 1024);
            W.WriteListBegin();
            for (int r = 0; r < Rows; ++r)
                for (int c = 0; c < 1024; c += 64)
                    WriteCellEntry(W, 64, 1);
            W.WriteListEnd();
        });
        TTableDoc Doc;
        TRVTableItemInfo* Table = Doc.AddTable(1, 1);
        TStringStream In(Bytes);
        if (Rows * int64_t(1024) <= RVTableMaxStoredSlots) {
            Table->LoadFromStream(In);
            EXPECT_EQ(Table->Rows->Count(), Rows);
            EXPECT_EQ(Table->GetCells(Rows - 1, 960)->ColSpan, 64);
        } else {
            EXPECT_THROW(Table->LoadFromStream(In), EReadError);
        }
    }
}

TEST(TableRVF, MalformedTableRecordsFailTheReadInBothForms)
{
    for (const TBadCells& Bad : BadCells)
        for (bool Binary : {false, true}) {
            SCOPED_TRACE(std::string(Bad.Name) + (Binary ? " binary" : " text"));
            TTableDoc Doc;
            EXPECT_FALSE(LoadDocRVF(Doc, RVFWithTableStream(TableStream(Bad.WriteC), Binary)));
        }
    // The same record with a sound stream is read.
    for (bool Binary : {false, true}) {
        const std::string Good = TableStream([](TWriter& W) {
            Counts(W, 1, 1);
            W.WriteListBegin();
            WriteCellEntry(W, 1, 1);
            W.WriteListEnd();
        });
        TTableDoc Doc;
        EXPECT_TRUE(LoadDocRVF(Doc, RVFWithTableStream(Good, Binary))) << Binary;
    }
}

} // namespace

namespace {

// A numbered paragraph in a cell joins the document's list markers once the
// table is read, as it does when the table is made in place.
TEST(TableRVF, ListMarkersInCellsJoinTheDocumentsList)
{
    const auto Build = [](TTableDoc& D) {
        D.Style.ListStyles()->Add()->Levels()->Add()->SetListType(rvlstDecimal);
    };
    TTableDoc Source;
    Build(Source);
    TRVTableItemInfo* Table = Source.AddTable(1, 2);
    for (int c = 0; c < 2; ++c)
        Table->GetCells(0, c)->SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    for (bool Binary : {false, true}) {
        SCOPED_TRACE(Binary);
        TTableDoc Copy;
        Build(Copy);
        ASSERT_TRUE(LoadDocRVF(Copy, SaveDocRVF(Source, Binary)));
        TRVMarkerList* Markers = Copy.Data.GetMarkers(false);
        ASSERT_NE(Markers, nullptr);
        EXPECT_EQ(Markers->Count(), 2);
    }
}

// A document with numbered paragraphs around a table whose cells, and a
// table in one of them, hold numbered paragraphs, read whole and cut short
// at every length, into an empty document and between the two numbered
// paragraphs of another: whatever the read keeps, the markers list holds
// the document's markers in document order.
TEST(TableRVF, ReadsCutShortLeaveTheMarkersListSound)
{
    const auto Build = [](TTableDoc& D) {
        D.Style.ListStyles()->Add()->Levels()->Add()->SetListType(rvlstDecimal);
    };
    TTableDoc Source;
    Build(Source);
    Source.Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    Source.Data.AddNL("a", 0, -1);
    TRVTableItemInfo* Table = Source.AddTable(1, 2);
    for (int c = 0; c < 2; ++c)
        Table->GetCells(0, c)->SetListMarkerInfo(0, 0, 0, 1, 0, false);
    auto* Inner = new TRVTableItemInfo(1, 1, Table->GetCells(0, 1));
    Inner->GetCells(0, 0)->SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Table->GetCells(0, 1)->AddItem(AnsiString(), Inner);
    Source.Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    Source.Data.AddNL("z", 0, -1);
    for (bool Binary : {false, true}) {
        const std::string Bytes = SaveDocRVF(Source, Binary);
        for (size_t Length = 0; Length <= Bytes.size(); ++Length) {
            SCOPED_TRACE(testing::Message() << (Binary ? "binary" : "text") << ", " << Length << " bytes");
            TTableDoc Copy;
            Build(Copy);
            LoadDocRVF(Copy, Bytes.substr(0, Length));
            EXPECT_EQ(markercheck::Fault(Copy.Data), "");
            TTableDoc Between;
            Build(Between);
            for (int k = 0; k < 2; ++k) {
                Between.Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
                Between.Data.AddNL("b", 0, -1);
            }
            TStringStream Stream(Bytes.substr(0, Length));
            TColor Color = clNone;
            Between.Data.InsertRVFFromStream(Stream, 2, Color, nullptr, nullptr, false);
            EXPECT_EQ(markercheck::Fault(Between.Data), "");
            if (HasFailure())
                return;
        }
    }
}

} // namespace

namespace {

// The class library's own reader (Free Pascal's) reads the table's stream:
// the table's properties, one entry per cell with its spans, the cells'
// properties and documents, and the rows' alignment.
TEST(TableStream, FreePascalsReaderListsTheExpectedProperties)
{
    int Status = 0;
    RunCommand("command -v fpc", Status);
    if (Status != 0)
        GTEST_SKIP() << "fpc is not installed";
    TempDir Dir;
    const std::string Source = TestDataPath("fixtures/table/checktable.pas");
    const std::string Log =
        RunCommand("fpc -vw -FE'" + Dir.Path() + "' -FU'" + Dir.Path() + "' '" + Source + "' 2>&1", Status);
    ASSERT_EQ(Status, 0) << Log;
    TTableDoc Doc;
    TRVTableItemInfo* Table = AddMergedTable(Doc);
    TBitmap Picture;
    Picture.SetSize(2, 2);
    Table->SetBackgroundImage(&Picture);
    TMemoryStream Stream;
    Table->SaveToStream(Stream);
    const std::string File = Dir.Write("table.bin", StreamBytes(Stream));
    EXPECT_EQ(RunCommand("'" + Dir.File("checktable") + "' '" + File + "' 2>&1", Status),
              "T.BestWidth\nT.HeadingRowCount\nT.BorderWidth\nT.BackgroundImg\n"
              "rows=3 cols=3\n"
              "cell 2 1 Data\ncell 1 1 Data\n"
              "cell 1 1 Data\ncell 1 1 Data\ncell 1 2 Data\n"
              "cell 1 1 Color Data\ncell 1 1 Data\n"
              "RowVAlign 0 1 0\n");
    EXPECT_EQ(Status, 0);
}

} // namespace

// ---------------------------------------------------------------------------
// What a small file may cost

// A cell whose document was stored as text RVF (as files written before
// cells were always stored in binary form) is still read, with a table in it.
TEST(TableRVFSize, CellsStoredAsTextRVFAreStillRead)
{
    TTableDoc Inner;
    AddNestedTable(Inner);
    const std::string CellRVF = SaveDocRVF(Inner, false);
    const std::string Stream = TableStream([&CellRVF](TWriter& W) {
        Counts(W, 1, 1);
        W.WriteListBegin();
        W.WriteInteger(1);
        W.WriteInteger(1);
        W.WriteStr("TD");
        W.WriteStr("");
        W.WriteStr("C.Data");
        const std::string Block = Count32(CellRVF.size()) + CellRVF;
        W.WriteBinary(Block.data(), static_cast<int64_t>(Block.size()));
        W.WriteListEnd();
        W.WriteListEnd();
        W.WriteListEnd();
    });
    for (bool Binary : {false, true}) {
        SCOPED_TRACE(Binary);
        TTableDoc Doc;
        ASSERT_TRUE(LoadDocRVF(Doc, RVFWithTableStream(Stream, Binary)));
        auto* Outer = dynamic_cast<TRVTableItemInfo*>(Doc.Data.GetItem(0));
        ASSERT_NE(Outer, nullptr);
        auto* Table = dynamic_cast<TRVTableItemInfo*>(Outer->GetCells(0, 0)->GetItem(0));
        ASSERT_NE(Table, nullptr);
        auto* Nested = dynamic_cast<TRVTableItemInfo*>(Table->GetCells(0, 1)->GetItem(0));
        ASSERT_NE(Nested, nullptr);
        EXPECT_EQ(Nested->GetCells(1, 0)->GetItemText(0), "in2");
    }
}

// A grid is read only when the read's bytes justify its slots and rows: one
// cell may not claim a million rows, and many small claims add up over the
// tables of one read. What the read gave before the refused table stays.
TEST(TableRVFSize, GridsTheFileCannotJustifyAreRefused)
{
    const auto OneCell = [](int Rows, int Cols) {
        return TableStream([Rows, Cols](TWriter& W) {
            Counts(W, Rows, Cols);
            W.WriteListBegin();
            WriteCellEntry(W, Cols, Rows);
            W.WriteListEnd();
        });
    };
    for (bool Binary : {false, true}) {
        SCOPED_TRACE(Binary);
        TTableDoc Tall;
        EXPECT_FALSE(LoadDocRVF(Tall, RVFWithTableStream(OneCell(1048576, 1), Binary)));
        EXPECT_EQ(Tall.Data.GetItemCount(), 0);
        // A square of 200 x 200 under one cell is read alone...
        const std::string Square = RVFWithTableStream(OneCell(200, 200), Binary);
        TTableDoc One;
        ASSERT_TRUE(LoadDocRVF(One, Square));
        EXPECT_EQ(dynamic_cast<TRVTableItemInfo*>(One.Data.GetItem(0))->Rows->Count(), 200);
        // ...but forty of them in one read are not: the first few are kept.
        std::string Many;
        for (int i = 0; i < 40; ++i)
            Many += Square;
        TTableDoc Forty;
        EXPECT_FALSE(LoadDocRVF(Forty, Many));
        EXPECT_GE(Forty.Data.GetItemCount(), 1);
        EXPECT_LT(Forty.Data.GetItemCount(), 40);
    }
    // Outside a document's read, a table's own bytes are what count.
    TTableDoc Doc;
    TRVTableItemInfo* Table = Doc.AddTable(1, 1);
    EXPECT_THROW(LoadTableStream(Table, OneCell(4096, 1024)), EReadError);
    LoadTableStream(Table, OneCell(200, 200));
    EXPECT_EQ(Table->Rows->Count(), 200);
}
