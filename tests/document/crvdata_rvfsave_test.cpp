// The RVF writer: record frames and grouping, line ends, the fields that must
// stay one field of one line, the reserved records (background, styles,
// layout, checkpoints), items' own records, files and the table-cell form.
#include <dirent.h>

#include <gtest/gtest.h>

#include <functional>

#include "document/crvdata.h"
#include "platform/graphics/bitmap.h"
#include "tests/document/doctestdata.h"
#include "tests/support/tempdir.h"

namespace {

const AnsiString Version = "-8 1 2\r\n";

// An item whose record cannot be written.
class TFailingItem : public TRVNonTextItemInfo {
public:
    explicit TFailingItem(TCustomRVData* RVData) : TRVNonTextItemInfo(RVData) { StyleNo = -100; }
    void SaveRVF(TStream&, TCustomRVData*, int, int, const AnsiString&, TRVMultiDrawItemPart*, bool) override
    {
        throw EWriteError("Stream write error");
    }
};

TBitmap* MakeBitmap()
{
    auto* Bitmap = new TBitmap;
    Bitmap->SetPixelFormat(pf24bit);
    Bitmap->SetSize(2, 1);
    return Bitmap;
}

int FileCount(const std::string& Folder)
{
    int Count = 0;
    DIR* Dir = opendir(Folder.c_str());
    while (dirent* Entry = readdir(Dir))
        if (Entry->d_name[0] != '.')
            ++Count;
    closedir(Dir);
    return Count;
}

class RVFSaveTest : public ::testing::Test {
protected:
    RVFSaveTest() : Style(MakeRVFStyle()), Data(Style.get()) { Data.RVFOptions = TRVFOptions(); }

    std::unique_ptr<TRVStyle> Style;
    TRVFTestData Data;
};

} // namespace

TEST_F(RVFSaveTest, EmptyDocumentWritesNothing)
{
    Data.RVFOptions = {rvfoSaveTextStyles, rvfoSaveParaStyles, rvfoSaveBack, rvfoSaveLayout};
    TRVLayoutInfo Layout;
    TTestBackground Background;
    EXPECT_EQ(SaveRVFBytes(Data, rvfss_Full, clRed, &Background, &Layout), "");
}

// Documents and the exact records they make.
TEST_F(RVFSaveTest, RecordsOfDocuments)
{
    const struct {
        const char* Name;
        std::function<void(TRVFTestData&)> Build;
        AnsiString Bytes;
    } Cases[] = {
        {"paragraphs of one kind share a record",
         [](TRVFTestData& d) {
             for (const char* s : {"a", "b", "c"})
                 d.AddNL(s, 0, 0);
         },
         "0 3 0 0 0 0\r\na\r\nb\r\nc\r\n"},
        {"items on one line, other tags, items and paragraph styles apart",
         [](TRVFTestData& d) {
             d.AddNL("a", 0, 0);
             d.AddNL("b", 1, -1);
             d.AddNLTag("c", 1, 0, TRVTag(5));
             d.AddBreakEx(2, rvbsRectangle, clRed);
             d.AddNL("d", 1, 1);
         },
         "0 1 0 0 0 0\r\na\r\n1 1 -1 1 0 0\r\nb\r\n1 1 0 0 0 5\r\nc\r\n-1 0 0 0 0 0 255 1 2\r\n"
         "1 1 1 0 0 0\r\nd\r\n"},
        {"Unicode lines end with the paragraph separator",
         [](TRVFTestData& d) {
             d.AddNLWTag(u"h\u00E9", 6, 0, TRVTag());
             d.AddNLWTag(u"x", 6, 0, TRVTag());
         },
         "6 2 0 8 0 0\r\n" + AnsiString("h\0\xE9\0\x29\x20x\0\x29\x20", 10)},
        {"markers with the number they show",
         [](TRVFTestData& d) {
             for (const char* s : {"one", "two"}) {
                 d.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
                 d.AddNL(s, 0, -1);
             }
         },
         "-11 0 0 0 0 0 0 0 1 1\r\n0 1 -1 1 0 0\r\none\r\n-11 0 0 0 0 0 0 0 2 1\r\n0 1 -1 1 0 0\r\ntwo\r\n"},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.Name);
        TRVFTestData D(Style.get());
        D.RVFOptions = TRVFOptions();
        c.Build(D);
        EXPECT_EQ(SaveRVFBytes(D), Version + c.Bytes);
    }
}

TEST_F(RVFSaveTest, LineEndsAndZerosInTextDoNotBreakTheRecords)
{
    Data.AddNL(AnsiString("a\r\nb\0c", 6), 0, 0);
    Data.AddNLWTag(WideString(u"x\u2029y\u0000z", 5), 6, 0, TRVTag());
    Data.AddNL("after", 0, 0);
    const AnsiString Saved = SaveRVFBytes(Data);
    EXPECT_EQ(Saved, Version + "0 1 0 0 0 0\r\na  b?c\r\n6 1 0 8 0 0\r\n" +
                         AnsiString("x\0 \0y\0?\0z\0\x29\x20", 12) + "0 1 0 0 0 0\r\nafter\r\n");

    TRVFTestData Read(Style.get());
    ASSERT_TRUE(LoadRVFBytes(Read, Saved));
    ASSERT_EQ(Read.GetItemCount(), 3);
    EXPECT_EQ(Read.GetItemText(0), "a  b?c");
    EXPECT_EQ(Read.GetItemTextW(1), u"x y?z");
    EXPECT_EQ(Read.GetItemText(2), "after");
}

TEST_F(RVFSaveTest, StringTagsStayOneField)
{
    Data.Options.Include(rvoTagsArePChars);
    Data.AddNLTag("a", 0, 0, TRVTag(AnsiString("one two\r\nthree")));
    Data.AddNamedCheckpointExTag("cp", false, TRVTag(AnsiString("x y")));
    Data.AddNLTag("b", 0, 0, TRVTag(AnsiString("")));
    const AnsiString Saved = SaveRVFBytes(Data);
    EXPECT_EQ(Saved,
              Version + "0 1 0 0 0 one_two__three\r\na\r\n-2 1 0 0 0 x_y 0\r\ncp\r\n0 1 0 0 0 0\r\nb\r\n");

    TRVFTestData Read(Style.get());
    Read.Options.Include(rvoTagsArePChars);
    ASSERT_TRUE(LoadRVFBytes(Read, Saved));
    ASSERT_EQ(Read.GetItemCount(), 2);
    EXPECT_EQ(Read.GetItemTag(0).AsString(), "one_two__three");
    EXPECT_EQ(Read.GetItem(1)->GetCheckpoint()->Tag.AsString(), "x_y");
    // An empty string is saved as "no string".
    EXPECT_FALSE(Read.GetItemTag(1).IsString());
}

TEST_F(RVFSaveTest, PendingCheckpointIsSavedAfterText)
{
    Data.AddNL("a", 0, 0);
    Data.AddNamedCheckpointExTag("end", true, TRVTag(5));
    const AnsiString Saved = SaveRVFBytes(Data);
    EXPECT_EQ(Saved, Version + "0 1 0 0 0 0\r\na\r\n-2 1 0 0 0 5 1\r\nend\r\n");

    TRVFTestData Read(Style.get());
    ASSERT_TRUE(LoadRVFBytes(Read, Saved));
    ASSERT_NE(Read.NotAddedCP, nullptr);
    EXPECT_TRUE(Read.NotAddedCP->RaiseEvent);
    EXPECT_EQ(Read.NotAddedCP->Tag.AsInteger(), 5);
}

TEST_F(RVFSaveTest, BulletsAndHotSpotsWriteTheirProperties)
{
    TImageList Images(nullptr);
    Images.SetTag(3);
    Images.AddPixels(TPixelBuffer(16, 16));
    Images.AddPixels(TPixelBuffer(16, 16));
    Data.ImageLists.push_back(&Images);
    Data.AddHotspotEx("hot\r\nspot", 0, 1, &Images, 0);
    auto* Hot = static_cast<TRVHotspotItemInfo*>(Data.GetItem(0));
    Hot->Spacing = 3;
    Hot->VShift = 20;
    Hot->DeleteProtect = true;
    Data.AddBulletEx("b", 1, &Images, -1);
    const AnsiString Saved = SaveRVFBytes(Data);
    EXPECT_EQ(Saved, Version +
                         "-4 4 0 0 0 0 3 0 1\r\nhot  spot\r\nunremovable=1\r\nvshift=20\r\nspacing=3\r\n"
                         "-6 1 -1 1 0 0 3 1\r\nb\r\n");

    TRVFTestData Read(Style.get());
    Read.ImageLists.push_back(&Images);
    ASSERT_TRUE(LoadRVFBytes(Read, Saved));
    Data.SetItemText(0, "hot  spot");
    EXPECT_EQ(DumpItems(Read), DumpItems(Data));
}

TEST_F(RVFSaveTest, BackgroundRecords)
{
    Data.RVFOptions = {rvfoSaveBack, rvfoLoadBack};
    Data.AddNL("a", 0, 0);
    TTestBackground Background;
    Background.Style = 2;
    EXPECT_EQ(SaveRVFBytes(Data, rvfss_Full, clRed, &Background),
              Version + "-7 0 -1 0 0 0 2 255\r\n0 1 0 0 0 0\r\na\r\n");
    // No background object: style 0.
    EXPECT_EQ(SaveRVFBytes(Data, rvfss_Full, clRed), Version + "-7 0 -1 0 0 0 0 255\r\n0 1 0 0 0 0\r\na\r\n");
    // A selection never carries the background.
    EXPECT_EQ(SaveRVFBytes(Data, rvfss_Selection, clRed, &Background), Version + "0 1 0 0 0 0\r\na\r\n");

    Background.Image.reset(MakeBitmap());
    TMemoryStream Pixels;
    Background.Image->SaveToStream(Pixels);
    EXPECT_EQ(SaveRVFBytes(Data, rvfss_Full, clRed, &Background),
              Version + "-7 2 0 0 0 0 2 255\r\nTBitmap\r\n" + RVFStream2TextString(Pixels) +
                  "\r\n0 1 0 0 0 0\r\na\r\n");

    Data.RVFOptions.Include(rvfoSaveBinary);
    const AnsiString Binary = SaveRVFBytes(Data, rvfss_Full, clRed, &Background);
    EXPECT_EQ(Binary, Version + "-7 2 0 0 2 0 2 255\r\nTBitmap\r\n" + Count32(Pixels.Size()) +
                          StreamBytes(Pixels) + "0 1 0 0 0 0\r\na\r\n");

    Data.RVFOptions.Exclude(rvfoSaveBinary);
    for (const AnsiString& Saved : {Binary, SaveRVFBytes(Data, rvfss_Full, clRed, &Background)}) {
        TRVFTestData Read(Style.get());
        Read.RVFOptions = {rvfoLoadBack};
        TTestBackground ReadBack;
        TMemoryStream Stream;
        TColor Color = clNone;
        ASSERT_TRUE(Read.LoadRVFFromStream(FillStream(Stream, Saved), Color, &ReadBack, nullptr));
        EXPECT_EQ(Color, clRed);
        EXPECT_EQ(ReadBack.Style, 2);
        ASSERT_NE(ReadBack.Image, nullptr);
        EXPECT_TRUE(ReadBack.Image->Equals(Background.Image.get()));
        EXPECT_EQ(Read.GetItemText(0), "a");
    }
}

TEST_F(RVFSaveTest, StyleSheetRecordsOnlyFromTheRootDocument)
{
    Data.RVFOptions = {rvfoSaveTextStyles, rvfoSaveParaStyles, rvfoSaveLayout};
    Data.AddNL("a", 0, 0);
    TRVLayoutInfo Layout;
    const AnsiString Saved = SaveRVFBytes(Data, rvfss_Full, clNone, nullptr, &Layout);
    // Text styles, paragraph styles, list styles, layout, then the items.
    size_t Pos = Version.size();
    for (const char* Kind : {"1", "2", "4", "3"}) {
        const AnsiString Header = AnsiString("-9 2 0 0 0 0 ") + Kind + "\r\n";
        EXPECT_EQ(Saved.compare(Pos, Header.size(), Header), 0) << Kind;
        Pos = Saved.find("\r\n", Saved.find("\r\n", Pos + Header.size()) + 2) + 2;
    }
    EXPECT_EQ(Saved.substr(Version.size() + 16, 10), "RVStyle1\r\n");
    EXPECT_EQ(Saved.substr(Pos), "0 1 0 0 0 0\r\na\r\n");

    // A nested document (a table cell) writes its items only.
    TTestSubRVData Cell(&Data);
    Cell.AddNL("c", 1, 0);
    EXPECT_EQ(SaveRVFBytes(Cell, rvfss_Full, clNone, nullptr, &Layout), Version + "1 1 0 0 0 0\r\nc\r\n");
}

TEST_F(RVFSaveTest, StyleNamesInsteadOfNumbers)
{
    Style->TextStyles()->Items(1)->SetStyleName("Say \"hi\"");
    Data.RVFOptions = {rvfoUseStyleNames};
    Data.AddNL("a", 1, 1);
    Data.AddNL("b", 0, -1);
    const AnsiString Saved = SaveRVFBytes(Data);
    EXPECT_EQ(Saved, Version + "\"Say \"\"hi\"\"\" 1 \"Centered\" 0 0 0\r\na\r\n"
                               "\"Normal text\" 1 -1 1 0 0\r\nb\r\n");
    TRVFTestData Read(Style.get());
    Read.RVFOptions = TRVFOptions();
    ASSERT_TRUE(LoadRVFBytes(Read, Saved));
    EXPECT_EQ(DumpItems(Read), DumpItems(Data));
}

TEST_F(RVFSaveTest, LayoutRecordInBothForms)
{
    Data.RVFOptions = {rvfoSaveLayout, rvfoLoadLayout};
    Data.AddNL("a", 0, 0);
    TRVLayoutInfo Layout;
    Layout.LeftMargin = 7;
    Layout.MaxTextWidth = 300;
    Layout.BiDiMode = rvbdRightToLeft;
    TMemoryStream Block;
    Layout.SaveToStream(Block, false);
    EXPECT_EQ(SaveRVFBytes(Data, rvfss_Full, clNone, nullptr, &Layout),
              Version + "-9 2 0 0 0 0 3\r\n\r\n" + RVFStream2TextString(Block) + "\r\n0 1 0 0 0 0\r\na\r\n");
    // Never with a selection.
    EXPECT_EQ(SaveRVFBytes(Data, rvfss_Selection, clNone, nullptr, &Layout),
              Version + "0 1 0 0 0 0\r\na\r\n");

    Data.RVFOptions.Include(rvfoSaveBinary);
    const AnsiString Binary = SaveRVFBytes(Data, rvfss_Full, clNone, nullptr, &Layout);
    EXPECT_EQ(Binary, Version + "-9 2 0 0 2 0 3\r\n\r\n" + Count32(Block.Size()) + StreamBytes(Block) +
                          "0 1 0 0 0 0\r\na\r\n");

    TRVFTestData Read(Style.get());
    Read.RVFOptions = {rvfoLoadLayout};
    TRVLayoutInfo ReadLayout;
    ASSERT_TRUE(LoadRVFBytes(Read, Binary, nullptr, &ReadLayout));
    EXPECT_TRUE(ReadLayout.Loaded);
    EXPECT_EQ(ReadLayout.MaxTextWidth, 300);
    // Without rvfoLoadLayout the record is passed over.
    TRVLayoutInfo Untouched;
    Read.RVFOptions = TRVFOptions();
    ASSERT_TRUE(LoadRVFBytes(Read, Binary, nullptr, &Untouched));
    EXPECT_FALSE(Untouched.Loaded);
    EXPECT_EQ(Read.GetItemText(0), "a");
}

TEST_F(RVFSaveTest, FilesAreReplacedOnlyByACompleteSave)
{
    TempDir Dir;
    const std::string Name = Dir.Write("doc.rvf", "old content");
    Data.AddNL("a", 0, 0);
    ASSERT_TRUE(Data.SaveRVF(Name, false, clNone, nullptr, nullptr));
    EXPECT_EQ(Dir.Read("doc.rvf"), Version + "0 1 0 0 0 0\r\na\r\n");

    Data.AddItem("x", new TFailingItem(&Data));
    EXPECT_FALSE(Data.SaveRVF(Name, false, clNone, nullptr, nullptr));
    EXPECT_EQ(Dir.Read("doc.rvf"), Version + "0 1 0 0 0 0\r\na\r\n");
    EXPECT_EQ(FileCount(Dir.Path()), 1);
    // A stream keeps what was written before the failure.
    TMemoryStream Stream;
    EXPECT_FALSE(Data.SaveRVFToStream(Stream, false, clNone, nullptr, nullptr));
    EXPECT_EQ(StreamBytes(Stream), Version + "0 1 0 0 0 0\r\na\r\n");

    EXPECT_FALSE(Data.SaveRVF(Dir.File("missing/doc.rvf"), false, clNone, nullptr, nullptr));
    TColor Color = clNone;
    EXPECT_FALSE(Data.LoadRVF(Dir.File("missing.rvf"), Color, nullptr, nullptr));
}

TEST_F(RVFSaveTest, TableCellDataBlock)
{
    Data.RVFOptions = {rvfoSaveBack, rvfoSaveTextStyles};
    TTestSubRVData Cell(&Data);
    Cell.AddNL("cell", 1, 0);
    Cell.AddNamedCheckpointExTag("c", false, TRVTag());
    TMemoryStream Stream;
    Cell.DataWriter(Stream);
    const AnsiString Body = Version + "1 1 0 0 0 0\r\ncell\r\n-2 1 0 0 0 0 0\r\nc\r\n";
    EXPECT_EQ(StreamBytes(Stream), Count32(Body.size()) + Body);
    // The options are back as they were.
    EXPECT_TRUE(Data.RVFOptions.Contains(rvfoSaveBack));

    TTestSubRVData Other(&Data);
    Stream.SetPosition(0);
    Other.DataReader(Stream);
    EXPECT_EQ(DumpItems(Other), DumpItems(Cell));
    EXPECT_FALSE(Other.State.Contains(rvstLoadingAsPartOfItem));

    // A block that runs past its data, or a document that does not read whole.
    TMemoryStream Short;
    EXPECT_THROW(Other.DataReader(FillStream(Short, Count32(Body.size() + 1) + Body)), ERollViewError);
    EXPECT_THROW(Other.DataReader(FillStream(Short, Count32(10) + Body.substr(0, 10))), ERollViewError);
}
