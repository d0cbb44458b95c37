// The item store as plain text: the writer (whole document, selection, ANSI
// and UTF-16, files replaced safely) and the readers of 8-bit and UTF-16 files
// and of UTF-16 text in memory, with the line ends, page breaks, Ctrl-Z, NUL
// bytes, chunk boundaries and overlong lines of real files.
#include <gtest/gtest.h>

#include <string>

#include "document/crvdata.h"
#include "document/rvitem_pictures.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "tests/document/doctestdata.h"
#include "tests/support/tempdir.h"

namespace {

// UTF-16 little-endian bytes of ASCII text.
AnsiString U(const std::string& Ascii)
{
    AnsiString s;
    for (char c : Ascii) {
        s += c;
        s += '\0';
    }
    return s;
}

// A store that does not take page breaks (a table cell, say).
class TCellRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    bool SupportsPageBreaks() const override { return false; }
};

// A bullet whose text output fails.
class TFailingTextItem : public TRVBulletItemInfo {
public:
    explicit TFailingTextItem(TCustomRVData* RVData) : TRVBulletItemInfo(RVData) { StyleNo = rvsBullet; }
    AnsiString AsText(int, TCustomRVData*, const AnsiString&, const AnsiString&, bool, bool) override
    {
        throw EWriteError("no room");
    }
};

// A picture whose plain text is a placeholder, so that leaving it out shows.
class TNamedPicture : public TRVGraphicItemInfo {
public:
    explicit TNamedPicture(TCustomRVData* rvData) : TRVGraphicItemInfo(rvData, new TBitmap, rvvaBaseline) {}
    AnsiString AsText(int, TCustomRVData*, const AnsiString&, const AnsiString&, bool, bool) override
    {
        return "[picture]";
    }
};

class PlainTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetACP(CP_UTF8);
        Style.TextStyles()->Add()->SetUnicode(true);
        Uni = Style.TextStyles()->Count() - 1;
    }
    void TearDown() override { SetACP(0); }

    std::string Save(TCustomRVData& D, bool SelectionOnly = false, bool TextOnly = false,
                     bool Unicode = false, int LineWidth = 3)
    {
        TStringStream Stream;
        EXPECT_TRUE(D.SaveTextToStream("", Stream, LineWidth, SelectionOnly, TextOnly, Unicode));
        return Stream.DataString();
    }
    std::string Text(int i) const { return Data.GetItemText(i); }
    bool Starts(int i) const { return Data.IsParaStart(i); }
    bool NewLine(int i) const { return Data.IsFromNewLine(i); }
    std::string Load(const std::string& Bytes, bool AsSingleParagraph = false)
    {
        EXPECT_TRUE(Data.LoadText(Dir.Write("in.txt", Bytes), 0, 0, AsSingleParagraph));
        return Save(Data);
    }
    std::string Lines() const
    {
        std::string s;
        for (int i = 0; i < Data.GetItemCount(); ++i)
            s += (i ? "|" : "") + Text(i);
        return s;
    }

    TempDir Dir;
    TRVStyle Style{nullptr};
    int Uni = 0; // a Unicode text style
    TTestRVData Data{&Style};
};

} // namespace

// ---------------------------------------------------------------------------
// Writing

TEST_F(PlainTextTest, EmptyDocumentAndEmptySelectionWriteNothing)
{
    EXPECT_EQ(Save(Data), "");
    TDocTestData Sel(&Style);
    Sel.AddNL("abc", 0, 0);
    Sel.Select(-1, 0, -1, 0);
    EXPECT_EQ(Save(Sel, true), "");
}

TEST_F(PlainTextTest, LinesAreJoinedByCRLFWithoutAFinalLineEnd)
{
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 0, 0);
    Data.AddNL("c", 0, 0);
    EXPECT_EQ(Save(Data), "a\r\nb\r\nc");
    // A line break inside a paragraph is one CR LF too; items of one line join.
    Data.AddTextBlockNL("d\re", 0, 0);
    Data.AddNL("f", 0, -1);
    EXPECT_EQ(Save(Data), "a\r\nb\r\nc\r\nd\r\nef");
}

TEST_F(PlainTextTest, ABreakIsAnEmptyLineInTextOnlyModeAndARowOtherwise)
{
    Data.AddNL("a", 0, 0);
    Data.AddBreak();
    Data.AddNL("b", 0, 0);
    EXPECT_EQ(Save(Data, false, true), "a\r\n\r\nb");
    EXPECT_EQ(Save(Data, false, false, false, 4), "a\r\n----\r\nb");
}

TEST_F(PlainTextTest, APictureAloneOnItsLineLeavesAnEmptyLineInTextOnlyMode)
{
    Data.AddNL("a", 0, 0);
    Data.AddItem("picture", new TNamedPicture(&Data));
    Data.AddNL("b", 0, 0);
    Data.AddItem("inline", new TNamedPicture(&Data));
    Data.GetItem(3)->SetSameAsPrev(true);
    ASSERT_TRUE(Data.IsParaStart(1));
    EXPECT_EQ(Save(Data, false, true), "a\r\n\r\nb");
    EXPECT_EQ(Save(Data, false, true, true), std::string("a\0\r\0\n\0\r\0\n\0b\0", 12));
    EXPECT_EQ(Save(Data), "a\r\n[picture]\r\nb[picture]");
    // A picture of the picture class itself has no text: its line stays, empty, either way.
    TTestRVData plain(&Style);
    plain.AddNL("a", 0, 0);
    plain.AddPictureEx("p", new TBitmap, 0, rvvaBaseline);
    plain.AddNL("b", 0, 0);
    EXPECT_EQ(Save(plain, false, true), "a\r\n\r\nb");
    EXPECT_EQ(Save(plain), "a\r\n\r\nb");
}

TEST_F(PlainTextTest, UnicodeOutputHasTwoBytesPerCharacterAndNoMark)
{
    Data.AddNL("ab", 0, 0);
    Data.AddNL("\xC3\xA9", 0, 0); // é in the UTF-8 ANSI code page
    EXPECT_EQ(Save(Data, false, false, true), std::string("a\0b\0\r\0\n\0\xE9\0", 10));
    // A Unicode item in ANSI output is converted in the default code page.
    TTestRVData W(&Style);
    W.AddNL(std::string("\xE9\0x\0", 4), Uni, 0);
    EXPECT_EQ(Save(W), "\xC3\xA9x");
    EXPECT_EQ(Save(W, false, false, true), std::string("\xE9\0x\0", 4));
}

TEST_F(PlainTextTest, SelectionFromInsideOneItemToInsideALaterOne)
{
    TDocTestData Sel(&Style);
    Sel.AddNL("abcd", 0, 0);
    Sel.AddNL("ef", 0, -1);
    Sel.AddNL("ghij", 0, 0);
    Sel.Select(0, 3, 2, 2);
    EXPECT_EQ(Save(Sel, true), "cdef\r\ng");
    // Within one item: up to, not including, the end offset.
    Sel.Select(0, 3, 0, 4);
    EXPECT_EQ(Save(Sel, true), "c");
}

TEST_F(PlainTextTest, ASelectionInsideANumberedLineKeepsItsNumberOnce)
{
    TRVListLevel* Level = Style.ListStyles()->Add()->Levels()->Add();
    Level->SetListType(rvlstDecimal);
    Level->SetFormatString("%0:s.");
    TDocTestData Sel(&Style);
    Sel.AddNL("one", 0, 0);
    Sel.AddNL("two", 0, 0);
    ASSERT_EQ(Sel.SetListMarkerInfo(1, 0, 0, 1, 0, false), 1); // items: one, marker, two
    Sel.Select(2, 2, 2, 4);
    EXPECT_EQ(Save(Sel, true), "1. wo");
    // A selection that starts with the marker itself writes it once.
    Sel.Select(1, 0, 2, 4);
    EXPECT_EQ(Save(Sel, true), "1. two");
}

TEST_F(PlainTextTest, AFailedWriteReportsFalseAndKeepsWhatWasWritten)
{
    Data.AddNL("a", 0, 0);
    Data.AddItem("b", new TFailingTextItem(&Data));
    TStringStream Stream;
    EXPECT_FALSE(Data.SaveTextToStream("", Stream, 80, false, false, false));
    EXPECT_EQ(Stream.DataString(), "a\r\n");
}

TEST_F(PlainTextTest, SaveTextReplacesAFileOnlyWhenEverythingIsWritten)
{
    const std::string Name = Dir.Write("out.txt", "old content");
    Data.AddNL("new", 0, 0);
    ASSERT_TRUE(Data.SaveText(Name, 80, false));
    EXPECT_EQ(Dir.Read("out.txt"), "new");
    ASSERT_TRUE(Data.SaveText(Name, 80, true));
    EXPECT_EQ(Dir.Read("out.txt"), std::string("n\0e\0w\0", 6));

    Data.AddItem("x", new TFailingTextItem(&Data));
    EXPECT_FALSE(Data.SaveText(Name, 80, false));
    EXPECT_EQ(Dir.Read("out.txt"), std::string("n\0e\0w\0", 6));
    EXPECT_FALSE(Data.SaveText(Dir.File("missing/out.txt"), 80, false));
}

// ---------------------------------------------------------------------------
// Reading

TEST_F(PlainTextTest, FilesAndTextBecomeLinesPageBreaksAndCharacters)
{
    // How: 'A' an 8-bit file into style 0, 'S' the same as one paragraph, 'W' a
    // UTF-16 file into the Unicode style, 'w' one into style 0, 'T' UTF-16 text
    // into the Unicode style with paragraph styles 3 and 4.
    struct TCase {
        char How;
        std::string Bytes;
        const char* Shape;
    };
    const TCase cases[] = {
        // Every kind of line end ends one line; a final one adds no empty line.
        {'A', "a\r\nb\rc\nd", "P0:a P0:b P0:c P0:d"},
        {'A', "a\r\nb\r\n", "P0:a P0:b"},
        {'A', "a\nb\n", "P0:a P0:b"},
        {'A', "a\n\r\n\r\r\n", "P0:a P0: P0: P0:"},
        {'A', "", ""},
        // Ctrl-Z ends the input only as the last byte; NUL bytes become question marks.
        {'A', "a\r\nb\x1A", "P0:a P0:b"},
        {'A',
         "a\x1A"
         "b\r\nc",
         "P0:a\x1A"
         "b P0:c"},
        {'A', std::string("a\0b\r\n\0", 6), "P0:a?b P0:?"},
        // A form feed puts a page break before the next line; one pending at the end is dropped.
        {'A', "a\r\n\f\r\nb\fc\r\nd\f", "P0:a ~P0:b ~P0:c P0:d"},
        {'A', "\xFF\xC3(\xE2\x82\r\n\x80", "P0:\xFF\xC3(\xE2\x82 P0:\x80"}, // invalid UTF-8 byte for byte
        {'S', "a\r\nb\r\nc", "P0:a /0:b /0:c"},
        {'W', "\xFF\xFE" + U("a\r\nb"), "P0:ua@6 P0:ub@6"},
        {'W', U("c\r\nd"), "P0:uc@6 P0:ud@6"},
        {'W', std::string("\xFE\xFF\0a\0\r\0\n\0b", 10), "P0:ua@6 P0:ub@6"},
        {'W', "\xFF\xFE", "P0:u@6"}, // an empty file is one empty line
        {'w', std::string("\xE9\0\n\0", 4), "P0:\xC3\xA9 P0:"},
        {'T', U("a\r\nb"), "P3:ua@6 P4:ub@6"},
        {'T', U("a\r\rb"), "P3:ua@6 P4:u@6 P4:ub@6"},
        {'T', U("a\rb\nc"), "P3:ua@6 P4:ub@6 P4:uc@6"},
        {'T', U("a\r\n\r\nb\r\n"), "P3:ua@6 P4:u@6 P4:ub@6 P4:u@6"},
        // U+2028 makes the piece it ends a line of the paragraph; U+2029 a paragraph.
        {'T', U("a") + "\x28\x20" + U("b") + "\x29\x20" + U("c"), "/3:ua@6 P3:ub@6 P4:uc@6"},
        {'T', U("a\f\fb"), "P3:ua@6 ~P4:ub@6"},
        {'T', "", "P3:u@6"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Bytes));
        TTestRVData data(&Style);
        const std::string file = Dir.Write("in.txt", c.Bytes);
        switch (c.How) {
        case 'A':
        case 'S':
            EXPECT_TRUE(data.LoadText(file, 0, 0, c.How == 'S'));
            break;
        case 'W':
            EXPECT_TRUE(data.LoadTextW(file, Uni, 0, false));
            break;
        case 'w':
            EXPECT_TRUE(data.LoadTextW(file, 0, 0, false));
            break;
        case 'T':
            data.AddTextNLW(c.Bytes, Uni, 3, 4, false);
            break;
        }
        EXPECT_EQ(Shape(data), c.Shape);
        EXPECT_TRUE(data.AddParagraphMode) << "restored";
    }
}

TEST_F(PlainTextTest, WhatCannotBeReadAddsNothing)
{
    EXPECT_FALSE(Data.LoadText(Dir.File("none.txt"), 0, 0, false));
    EXPECT_FALSE(Data.LoadText(Dir.Path(), 0, 0, false));
    EXPECT_FALSE(Data.LoadTextW(Dir.File("none.txt"), 0, 0, false));
    EXPECT_FALSE(Data.LoadTextW(Dir.Write("odd.txt", std::string("a\0b", 3)), Uni, 0, false));
    Data.AddTextNLW("", Uni, -1, 0, false);
    EXPECT_THROW(Data.AddTextNLW("abc", Uni, 0, 0, false), ERollViewError);
    EXPECT_EQ(Data.GetItemCount(), 0);

    // A store without page breaks keeps the form feed as text.
    TCellRVData cell(&Style);
    ASSERT_TRUE(cell.LoadText(Dir.Write("ff.txt", "a\fb"), 0, 0, false));
    EXPECT_EQ(Shape(cell), "P0:a\fb");
}

TEST_F(PlainTextTest, ALineEndOrCtrlZSplitOverTwoChunksCountsOnce)
{
    const std::string Head(64 * 1024 - 1, 'x');
    Load(Head + "\r\nb");
    EXPECT_EQ(Lines(), Head + "|b");
    Data.Clear();
    // The last byte of the first chunk is a Ctrl-Z that is not the file's last.
    Load(Head + "\x1A"
                "b");
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Text(0), Head + "\x1A"
                              "b");
}

TEST_F(PlainTextTest, AnOverlongLineBecomesItemsOfOneLineCutOnWholeCharacters)
{
    const size_t Max = TCustomRVData::MaxLoadedTextItemLength;
    // Three-byte characters from the first byte on: no cut fits the limit exactly.
    std::string Line;
    while (Line.size() < Max + 10)
        Line += "\xE2\x82\xAC";
    Load("a\r\n" + Line + "\r\nb");
    ASSERT_EQ(Data.GetItemCount(), 4);
    EXPECT_EQ(Text(0), "a");
    EXPECT_TRUE(Starts(1));
    EXPECT_FALSE(NewLine(2));
    EXPECT_LE(Text(1).size(), Max);
    EXPECT_EQ(Text(1).size() % 3, 0u);
    EXPECT_EQ(Text(1) + Text(2), Line);
    EXPECT_EQ(Text(3), "b");
    EXPECT_EQ(Save(Data), "a\r\n" + Line + "\r\nb");
}

TEST_F(PlainTextTest, AnOverlongUTF16LineIsNeverCutInsideASurrogatePair)
{
    const size_t MaxUnits = TCustomRVData::MaxLoadedTextItemLength / 2;
    // "x" and then pairs, so that a pair straddles the limit.
    std::string Line = U("x");
    while (Line.size() / 2 < MaxUnits + 5)
        Line += std::string("\x3D\xD8\x00\xDE", 4); // U+1F600
    ASSERT_TRUE(Data.LoadTextW(Dir.Write("long.txt", Line + U("\n")), Uni, 0, false));
    ASSERT_EQ(Data.GetItemCount(), 3);
    EXPECT_EQ(Text(0).size(), 2 * MaxUnits - 2);
    EXPECT_FALSE(NewLine(1));
    EXPECT_EQ(Text(0) + Text(1), Line);
    EXPECT_EQ(Text(2), ""); // the text ended in a line end
}

TEST_F(PlainTextTest, TextLoadedAndSavedComesBackUnchanged)
{
    const std::string Bytes = "first\r\n\r\nthird \xC3\xA9\r\n\tfourth";
    Style.SetSpacesInTab(1);
    EXPECT_EQ(Load(Bytes), "first\r\n\r\nthird \xC3\xA9\r\n fourth");
    TStringStream Stream;
    ASSERT_TRUE(Data.SaveTextToStream("", Stream, 80, false, true, true));
    TTestRVData Back(&Style);
    ASSERT_TRUE(Back.LoadTextW(Dir.Write("w.txt", Stream.DataString()), 0, 0, false));
    EXPECT_EQ(Save(Back), "first\r\n\r\nthird \xC3\xA9\r\n fourth");
}
