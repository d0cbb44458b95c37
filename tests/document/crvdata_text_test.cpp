// The item store as plain text: the writer (whole document, selection, ANSI
// and UTF-16, files replaced safely) and the readers of 8-bit and UTF-16 files
// and of UTF-16 text in memory, with the line ends, page breaks, Ctrl-Z, NUL
// bytes, chunk boundaries and overlong lines of real files.
#include <gtest/gtest.h>

#include <string>

#include "document/crvdata.h"
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
    bool PageBreak(int i) const { return Data.GetItem(i)->GetPageBreakBefore(); }
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
    TTestRVData Plain(&Style);
    Plain.AddNL("a", 0, 0);
    Plain.AddPictureEx("p", new TBitmap, 0, rvvaBaseline);
    Plain.AddNL("b", 0, 0);
    EXPECT_EQ(Save(Plain, false, true), "a\r\n\r\nb");
    EXPECT_EQ(Save(Plain), "a\r\n\r\nb");
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
// Reading 8-bit files

TEST_F(PlainTextTest, EveryKindOfLineEndEndsOneLine)
{
    EXPECT_EQ(Load("a\r\nb\rc\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(Data.GetItemCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Starts(i));
}

TEST_F(PlainTextTest, AFinalLineEndAddsNoEmptyLine)
{
    Load("a\r\nb\r\n");
    EXPECT_EQ(Lines(), "a|b");
    Data.Clear();
    Load("a\nb\n");
    EXPECT_EQ(Lines(), "a|b");
    Data.Clear();
    Load("a\n\r\n\r\r\n");
    EXPECT_EQ(Lines(), "a|||");
    Data.Clear();
    EXPECT_TRUE(Data.LoadText(Dir.Write("empty.txt", ""), 0, 0, false));
    EXPECT_EQ(Data.GetItemCount(), 0);
}

TEST_F(PlainTextTest, CtrlZEndsTheInputOnlyAsTheLastByte)
{
    Load("a\r\nb\x1A");
    EXPECT_EQ(Lines(), "a|b");
    Data.Clear();
    // An embedded Ctrl-Z is text, and what follows it is read too.
    Load("a\x1A"
         "b\r\nc");
    EXPECT_EQ(Lines(), "a\x1A"
                       "b|c");
}

TEST_F(PlainTextTest, NulBytesBecomeQuestionMarks)
{
    Load(std::string("a\0b\r\n\0", 6));
    EXPECT_EQ(Lines(), "a?b|?");
}

TEST_F(PlainTextTest, AFormFeedPutsAPageBreakBeforeTheNextLine)
{
    Load("a\r\n\f\r\nb\fc\r\nd\f");
    EXPECT_EQ(Lines(), "a|b|c|d");
    EXPECT_FALSE(PageBreak(0));
    EXPECT_TRUE(PageBreak(1));  // after the lone form feed
    EXPECT_TRUE(PageBreak(2));  // after the one inside the line
    EXPECT_FALSE(PageBreak(3)); // a page break pending at the end is dropped

    TCellRVData Cell(&Style);
    ASSERT_TRUE(Cell.LoadText(Dir.Write("ff.txt", "a\fb"), 0, 0, false));
    ASSERT_EQ(Cell.GetItemCount(), 1);
    EXPECT_EQ(Cell.GetItemText(0), "a\fb");
}

TEST_F(PlainTextTest, AsOneParagraphEveryLaterLineIsALineBreak)
{
    Data.AddNL("before", 0, 0);
    Load("a\r\nb\r\nc", true);
    ASSERT_EQ(Data.GetItemCount(), 4);
    EXPECT_TRUE(Starts(1));
    EXPECT_TRUE(NewLine(2) && !Starts(2));
    EXPECT_TRUE(NewLine(3) && !Starts(3));
    EXPECT_TRUE(Data.AddParagraphMode); // restored
}

TEST_F(PlainTextTest, LinesGoToAUnicodeStyleAsUTF16)
{
    ASSERT_TRUE(Data.LoadText(Dir.Write("u.txt", "\xC3\xA9\r\nb"), Uni, 0, false));
    ASSERT_EQ(Data.GetItemCount(), 2);
    EXPECT_TRUE(Data.GetItemOptions(0).Contains(rvioUnicode));
    EXPECT_EQ(Text(0), std::string("\xE9\0", 2));
    EXPECT_EQ(Text(1), U("b"));
}

TEST_F(PlainTextTest, InvalidUTF8IsKeptByteForByte)
{
    const std::string Bytes = "\xFF\xC3(\xE2\x82\r\n\x80";
    EXPECT_EQ(Load(Bytes), Bytes);
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

TEST_F(PlainTextTest, AMissingFileOrAFolderFails)
{
    EXPECT_FALSE(Data.LoadText(Dir.File("none.txt"), 0, 0, false));
    EXPECT_FALSE(Data.LoadText(Dir.Path(), 0, 0, false));
    EXPECT_FALSE(Data.LoadTextW(Dir.File("none.txt"), 0, 0, false));
    EXPECT_EQ(Data.GetItemCount(), 0);
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

// ---------------------------------------------------------------------------
// Reading UTF-16 files and text

TEST_F(PlainTextTest, UTF16LittleEndianWithAndWithoutItsMark)
{
    ASSERT_TRUE(Data.LoadTextW(Dir.Write("le.txt", "\xFF\xFE" + U("a\r\nb")), Uni, 0, false));
    EXPECT_EQ(Lines(), U("a") + "|" + U("b"));
    Data.Clear();
    ASSERT_TRUE(Data.LoadTextW(Dir.Write("nomark.txt", U("c\r\nd")), Uni, 0, false));
    EXPECT_EQ(Lines(), U("c") + "|" + U("d"));
    // Into an ANSI style the text is converted.
    Data.Clear();
    ASSERT_TRUE(Data.LoadTextW(Dir.Write("e.txt", std::string("\xE9\0\n\0", 4)), 0, 0, false));
    EXPECT_EQ(Lines(), "\xC3\xA9|");
}

TEST_F(PlainTextTest, UTF16BigEndianAfterItsMark)
{
    ASSERT_TRUE(
        Data.LoadTextW(Dir.Write("be.txt", std::string("\xFE\xFF\0a\0\r\0\n\0b", 10)), Uni, 0, false));
    EXPECT_EQ(Lines(), U("a") + "|" + U("b"));
}

TEST_F(PlainTextTest, AnOddUTF16FileFailsAndAddsNothing)
{
    EXPECT_FALSE(Data.LoadTextW(Dir.Write("odd.txt", std::string("a\0b", 3)), Uni, 0, false));
    EXPECT_EQ(Data.GetItemCount(), 0);
}

TEST_F(PlainTextTest, AnEmptyUTF16FileGivesOneEmptyLine)
{
    ASSERT_TRUE(Data.LoadTextW(Dir.Write("e.txt", "\xFF\xFE"), Uni, 0, false));
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Text(0), "");
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

TEST_F(PlainTextTest, AddTextNLWSeparators)
{
    Data.AddTextNLW(U("a\r\nb"), Uni, 0, 0, false);
    EXPECT_EQ(Lines(), U("a") + "|" + U("b"));
    Data.Clear();
    Data.AddTextNLW(U("a\r\rb"), Uni, 0, 0, false);
    EXPECT_EQ(Lines(), U("a") + "||" + U("b"));
    Data.Clear();
    Data.AddTextNLW(U("a\rb\nc"), Uni, 0, 0, false);
    EXPECT_EQ(Lines(), U("a") + "|" + U("b") + "|" + U("c"));
    Data.Clear();
    Data.AddTextNLW(U("a\r\n\r\nb\r\n"), Uni, 0, 0, false);
    EXPECT_EQ(Lines(), U("a") + "||" + U("b") + "|");
}

TEST_F(PlainTextTest, AddTextNLWParagraphAndLineSeparators)
{
    // U+2028 makes the piece it ends a line of the paragraph; U+2029 a paragraph.
    Data.AddTextNLW(U("a") + "\x28\x20" + U("b") + "\x29\x20" + U("c"), Uni, 3, 4, false);
    // The kind of a separator governs the piece it ends; the next piece after
    // a paragraph takes the other paragraph style.
    ASSERT_EQ(Data.GetItemCount(), 3);
    EXPECT_TRUE(NewLine(0) && Data.GetItem(0)->GetBR());
    EXPECT_EQ(Data.GetItemPara(0), 3);
    EXPECT_TRUE(Starts(1));
    EXPECT_EQ(Data.GetItemPara(1), 3);
    EXPECT_TRUE(Starts(2));
    EXPECT_EQ(Data.GetItemPara(2), 4);
    EXPECT_TRUE(Data.AddParagraphMode);
}

TEST_F(PlainTextTest, AddTextNLWFormFeedsAndEmptyText)
{
    Data.AddTextNLW(U("a\f\fb"), Uni, 0, 0, false);
    EXPECT_EQ(Lines(), U("a") + "|" + U("b"));
    EXPECT_TRUE(PageBreak(1));
    Data.Clear();
    Data.AddTextNLW("", Uni, -1, 0, false);
    EXPECT_EQ(Data.GetItemCount(), 0);
    Data.AddTextNLW("", Uni, 0, 0, false);
    EXPECT_EQ(Data.GetItemCount(), 1);
    EXPECT_THROW(Data.AddTextNLW("abc", Uni, 0, 0, false), ERollViewError);
    EXPECT_EQ(Data.GetItemCount(), 1);
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
