// Strings (1-based, ASCII and ANSI case), integers as text, file names and files.
#include "platform/core/sysutils.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/core/codepages.h"
#include "tests/support/tempdir.h"

// ---------------------------------------------------------------------------
// 1-based substrings

TEST(Strings, CopyClamps)
{
    EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Copy("abcdef", 0, 2), "ab"); // below 1 counts from 1
    EXPECT_EQ(Copy("abcdef", -5, 2), "ab");
    EXPECT_EQ(Copy("abcdef", 5, 100), "ef"); // past the end stops there
    EXPECT_EQ(Copy("abcdef", 6, 1), "f");
    EXPECT_EQ(Copy("abcdef", 7, 1), "");
    EXPECT_EQ(Copy("abcdef", 2, 0), "");
    EXPECT_EQ(Copy("abcdef", 2, -1), "");
    EXPECT_EQ(Copy("", 1, 1), "");
    EXPECT_EQ(Copy("abc", 1, INT64_MAX), "abc");
    EXPECT_EQ(Copy("abc", INT64_MAX, 1), "");
}

TEST(Strings, PosAndPosEx)
{
    EXPECT_EQ(Pos("cd", "abcdcd"), 3);
    EXPECT_EQ(Pos("a", "abc"), 1);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("abcd", "abc"), 0);
    EXPECT_EQ(PosEx("cd", "abcdcd", 4), 5);
    EXPECT_EQ(PosEx("cd", "abcdcd", 3), 3);
    EXPECT_EQ(PosEx("c", "abc", 3), 3);
    EXPECT_EQ(PosEx("c", "abc", 4), 0);
    EXPECT_EQ(PosEx("a", "abc", 0), 0);
    EXPECT_EQ(PosEx("a", "abc", -1), 0);
}

TEST(Strings, Comparisons)
{
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_LT(CompareText("", "a"), 0);
    // Letters compare as upper case: '_' (0x5F) sorts after every letter.
    EXPECT_GT(CompareText("_", "z"), 0);
    EXPECT_NE(CompareText("\xE9", "\xC9"), 0); // not an ASCII letter
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("Hello", "Hell"));
    EXPECT_LT(CompareStr("A", "a"), 0);
    EXPECT_GT(CompareStr("\x80", "a"), 0); // bytes compare unsigned
    EXPECT_EQ(CompareStr(AnsiString("a\0b", 3), AnsiString("a\0b", 3)), 0);
    EXPECT_LT(CompareStr(AnsiString("a\0a", 3), AnsiString("a\0b", 3)), 0);
}

// ---------------------------------------------------------------------------
// StringReplace

TEST(StringReplace, ReplacementHoldingThePatternIsNotSearchedAgain)
{
    EXPECT_EQ(StringReplace("a\tb\t", "\t", "\t\t", rfReplaceAll), "a\t\tb\t\t");
    EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
    EXPECT_EQ(StringReplace("aaa", "aa", "a", rfReplaceAll), "aa"); // matches do not overlap
    const AnsiString big(100000, 'x');
    EXPECT_EQ(StringReplace(big, "x", "xx", rfReplaceAll).size(), 200000u);
}

TEST(StringReplace, FindsMatchesAfterPartialOnes)
{
    // Partial matches that must fall back correctly.
    EXPECT_EQ(StringReplace("aaab", "aab", "X", rfReplaceAll), "aX");
    EXPECT_EQ(StringReplace("abababc", "ababc", "X", rfReplaceAll), "abX");
    EXPECT_EQ(StringReplace("abcabdabc", "abc", "-", rfReplaceAll), "-abd-");
}

class AnsiCodePageTest : public ::testing::Test {
protected:
    void TearDown() override { SetACP(0); }
};

TEST_F(AnsiCodePageTest, ReplaceIgnoringCase)
{
    SetACP(65001);
    EXPECT_EQ(StringReplace("Hello HELLO hello", "hello", "bye", rfReplaceAll | rfIgnoreCase), "bye bye bye");
    EXPECT_EQ(StringReplace("Hello HELLO", "hello", "bye", rfIgnoreCase), "bye HELLO");
    EXPECT_EQ(StringReplace("Caf\xC3\xA9 CAF\xC3\x89", "caf\xC3\xA9", "x", rfReplaceAll | rfIgnoreCase),
              "x x");
    // The upper case of U+0131 (dotless i, two bytes) is 'I' (one byte): positions
    // in the source are kept, not those of the upper-cased copy.
    EXPECT_EQ(StringReplace("\xC4\xB1x-ix", "ix", "Y", rfReplaceAll | rfIgnoreCase), "Y-Y");
    // A match that would cut a character in two does not count.
    EXPECT_EQ(StringReplace("\xC3\xA9\xC3", "\xC3", "X", rfReplaceAll | rfIgnoreCase), "\xC3\xA9X");
}

// ---------------------------------------------------------------------------
// ANSI case

TEST_F(AnsiCodePageTest, UpperAndLowerCaseInTheAnsiCodePage)
{
    struct TCase {
        unsigned CodePage;
        std::string Text, Upper, Lower;
    };
    const TCase cases[] = {
        // UTF-8: simple case mapping (sharp s stays, the dz digraph takes its
        // capital form), no language rules (no dotted capital I), outside the BMP too.
        {65001,
         "stra\xC3\x9F"
         "e \xC3\xA9 \xC7\x86 i",
         "STRA\xC3\x9F"
         "E \xC3\x89 \xC7\x84 I",
         "stra\xC3\x9F"
         "e \xC3\xA9 \xC7\x86 i"},
        {65001, "\xCE\xA3\xF0\x90\x90\xA8", "\xCE\xA3\xF0\x90\x90\x80", "\xCF\x83\xF0\x90\x90\xA8"},
        // Bytes that are not UTF-8 stay as they are: stray, overlong, surrogate,
        // past U+10FFFF, cut at the end, Latin-1; NUL bytes too.
        {65001,
         "a\xFF"
         "b\xC3",
         "A\xFF"
         "B\xC3",
         "a\xFF"
         "b\xC3"},
        {65001,
         "\xC0\xAF"
         "a\xED\xA0\x80"
         "a",
         "\xC0\xAF"
         "A\xED\xA0\x80"
         "A",
         "\xC0\xAF"
         "a\xED\xA0\x80"
         "a"},
        {65001,
         "\xF0\x80\x81\xA1"
         "a\xF4\x90\x80\x80"
         "a",
         "\xF0\x80\x81\xA1"
         "A\xF4\x90\x80\x80"
         "A",
         "\xF0\x80\x81\xA1"
         "a\xF4\x90\x80\x80"
         "a"},
        {65001, "\xE9t\xE9\xE2\x82", "\xE9T\xE9\xE2\x82", "\xE9t\xE9\xE2\x82"},
        {65001, std::string("a\0B", 3), std::string("A\0B", 3), std::string("a\0b", 3)},
        // 1252: y diaeresis has its capital at 0x9F; S caron; the micro sign's
        // capital is not in the code page; an undefined byte; sharp s.
        {1252, "caf\xE9\xFF\x9A\xB5\x81\xDF", "CAF\xC9\x9F\x8A\xB5\x81\xDF", "caf\xE9\xFF\x9A\xB5\x81\xDF"},
        // 932: full-width a becomes full-width A; a trail byte that looks like 'a' is no letter.
        {932,
         "\x82\x81"
         "a\x83\x61",
         "\x82\x60"
         "A\x83\x61",
         "\x82\x81"
         "a\x83\x61"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Text));
        SetACP(c.CodePage);
        ASSERT_EQ(GetACP(), c.CodePage);
        EXPECT_EQ(AnsiUpperCase(c.Text), c.Upper);
        EXPECT_EQ(AnsiLowerCase(c.Upper), c.Lower);
        EXPECT_TRUE(AnsiSameText(c.Text, c.Upper));
    }
}

TEST_F(AnsiCodePageTest, Comparisons)
{
    SetACP(65001);
    EXPECT_TRUE(AnsiSameText("\xC3\x89"
                             "COLE",
                             "\xC3\xA9"
                             "cole"));
    EXPECT_EQ(AnsiCompareText("Stra\xC3\x9F"
                              "e",
                              "STRA\xE1\xBA\x9E"
                              "E"),
              0); // capital sharp s folds
    EXPECT_NE(AnsiCompareText("Stra\xC3\x9F"
                              "e",
                              "STRASSE"),
              0); // simple folding only
    EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
    EXPECT_GT(AnsiCompareText("abcd", "ABC"), 0);
    EXPECT_NE(AnsiCompareStr("\xC3\xA9", "\xC3\x89"), 0);
    EXPECT_GT(AnsiCompareStr("\xC3\xA9", "z"), 0); // by code point
    // Bytes that are not UTF-8 equal only themselves and have no case.
    EXPECT_FALSE(AnsiSameText("\xE9", "\xC9"));
    EXPECT_FALSE(AnsiSameText("\xC3", "\xC3\x83"));
    SetACP(1252);
    EXPECT_FALSE(AnsiSameText("\xE9", "e"));
}

// ---------------------------------------------------------------------------
// Integers as text

TEST(IntegerText, ThirtyTwoBitLimits)
{
    EXPECT_EQ(StrToInt("2147483647"), INT_MAX);
    EXPECT_EQ(StrToInt("-2147483648"), INT_MIN);
    EXPECT_EQ(StrToIntDef("2147483648", 9), 9);
    EXPECT_EQ(StrToIntDef("-2147483649", 9), 9);
    EXPECT_EQ(StrToIntDef("99999999999999999999999", 9), 9);
    // Hexadecimal without a sign is the 32-bit pattern.
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("$80000000"), INT_MIN);
    EXPECT_EQ(StrToIntDef("$100000000", 9), 9);
    EXPECT_EQ(StrToInt("-$80000000"), INT_MIN);
    EXPECT_EQ(StrToIntDef("-$80000001", 9), 9);
}

TEST(IntegerText, GarbageIsNotANumber)
{
    for (const char* text : {"", " ", "-", "+", "$", "0x", "-$", "12a", "12 ", "1.5", "a12", "--1", "+-1",
                             "$G", "0x-1", "1e3", "\t5", "$ 1", "- 1"}) {
        int value = 77;
        EXPECT_FALSE(TryStrToInt(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 77) << "a failed conversion leaves the value alone";
        EXPECT_EQ(StrToIntDef(text, -3), -3);
    }
    EXPECT_EQ(StrToIntDef(AnsiString("1\0", 2), 4), 4);
}

TEST(IntegerText, SixtyFourBits)
{
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("$FFFFFFFF"), 4294967295LL);
    EXPECT_EQ(StrToInt64("-$8000000000000000"), INT64_MIN);
    EXPECT_EQ(StrToInt64Def("$10000000000000000", 5), 5);
    EXPECT_EQ(StrToInt64Def("-9223372036854775809", 5), 5);
    int64_t value = 0;
    EXPECT_TRUE(TryStrToInt64(" 5000000000", value));
    EXPECT_EQ(value, 5000000000LL);
}

// ---------------------------------------------------------------------------
// File names

TEST(FileNames, Parts)
{
    EXPECT_EQ(ExtractFilePath("/a/b.txt"), "/a/");
    EXPECT_EQ(ExtractFileDir("/a/b.txt"), "/a");
    EXPECT_EQ(ExtractFileDir("/b.txt"), "/");
    EXPECT_EQ(ExtractFileName("/a/b.txt"), "b.txt");
    EXPECT_EQ(ExtractFileExt("/a/b.txt"), ".txt");
    EXPECT_EQ(ExtractFilePath("b.txt"), "");
    EXPECT_EQ(ExtractFileName("b.txt"), "b.txt");
    EXPECT_EQ(ExtractFileName("/a/"), "");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), ""); // the dot is in a folder's name
    EXPECT_EQ(ExtractFileExt("/a/b.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("/a/b."), ".");
    EXPECT_EQ(ExtractFileExt(""), "");
}

TEST(FileNames, ExpandFileName)
{
    EXPECT_EQ(ExpandFileName("/a/./b//c/../d.txt"), "/a/b/d.txt");
    EXPECT_EQ(ExpandFileName("/../../x"), "/x");
    EXPECT_EQ(ExpandFileName("/"), "/");
    EXPECT_EQ(ExpandFileName("/a/b/.."), "/a");
    EXPECT_EQ(ExpandFileName("/a/b/"), "/a/b/");
    EXPECT_EQ(ExpandFileName(""), "");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const AnsiString here(cwd);
    EXPECT_EQ(ExpandFileName("x.txt"), (here == "/" ? "" : here) + "/x.txt");
    EXPECT_EQ(ExpandFileName("./x/../y"), (here == "/" ? "" : here) + "/y");
}

// ---------------------------------------------------------------------------
// Files

TEST(Files, FileExistsIsForFilesOnly)
{
    TempDir dir;
    const AnsiString file = dir.Write("f.txt", "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_TRUE(DirectoryExists(dir.Path()));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(FileExists(dir.File("missing")));
    EXPECT_FALSE(FileExists(""));
    ASSERT_EQ(symlink(file.c_str(), dir.File("link").c_str()), 0);
    EXPECT_TRUE(FileExists(dir.File("link")));
    ASSERT_EQ(symlink(dir.File("missing").c_str(), dir.File("dangling").c_str()), 0);
    EXPECT_FALSE(FileExists(dir.File("dangling")));
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(FileExists(dir.File("fifo")));
}

TEST(Files, FileIsReadOnlyFollowsTheOwnerWriteBit)
{
    TempDir dir;
    const AnsiString file = dir.Write("f.txt", "x");
    EXPECT_FALSE(FileIsReadOnly(file));
    // Clear for the owner but set for others: read-only, whoever runs this (root too).
    ASSERT_EQ(chmod(file.c_str(), 0466), 0);
    EXPECT_TRUE(FileIsReadOnly(file));
    ASSERT_EQ(chmod(file.c_str(), 0200), 0);
    EXPECT_FALSE(FileIsReadOnly(file));
    // What does not exist is not read-only: it can be created.
    EXPECT_FALSE(FileIsReadOnly(dir.File("missing")));
    EXPECT_FALSE(FileIsReadOnly(""));
}

TEST(Files, CreateWriteSeekRead)
{
    TempDir dir;
    const AnsiString name = dir.File("data.bin");
    int h = FileCreate(name);
    ASSERT_GE(h, 0);
    EXPECT_NE(fcntl(h, F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_EQ(FileWrite(h, "hello world", 11), 11);
    EXPECT_EQ(FileSeek(h, 6, 0), 6);
    char buffer[16] = {};
    EXPECT_EQ(FileRead(h, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(FileRead(h, buffer, sizeof buffer), 0); // at the end
    EXPECT_EQ(FileSeek(h, -5, 2), 6);
    EXPECT_EQ(FileSeek(h, 1, 1), 7);
    EXPECT_EQ(FileSeek(h, 0, 3), -1);
    FileClose(h);
    EXPECT_EQ(dir.Read("data.bin"), "hello world");

    // FileCreate empties an existing file.
    h = FileCreate(name);
    ASSERT_GE(h, 0);
    FileClose(h);
    EXPECT_EQ(dir.Read("data.bin"), "");
}

TEST(Files, OpenFailures)
{
    TempDir dir;
    EXPECT_EQ(FileOpen(dir.File("missing"), fmOpenRead), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(FileOpen(dir.Path(), fmOpenRead), -1); // a folder is not a file
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(FileOpen(dir.Write("f", "x"), 3), -1); // no such access mode
    EXPECT_EQ(FileCreate(dir.File("no/such/folder")), -1);
    char c;
    EXPECT_EQ(FileRead(-1, &c, 1), -1);
    EXPECT_EQ(FileWrite(-1, &c, 1), -1);
    FileClose(-1); // harmless
}

TEST(Files, OpeningANamedPipeDoesNotWait)
{
    TempDir dir;
    const AnsiString fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int h = FileOpen(fifo, fmOpenRead);
    ASSERT_GE(h, 0);
    EXPECT_EQ(fcntl(h, F_GETFL) & O_NONBLOCK, 0); // reads block again as usual
    char c;
    EXPECT_EQ(FileRead(h, &c, 1), 0); // no writer: the end
    FileClose(h);
    EXPECT_EQ(FileOpen(fifo, fmOpenWrite), -1); // no reader
}

TEST(Files, OffsetsBeyondFourGigabytes)
{
    TempDir dir;
    const int h = FileCreate(dir.File("sparse"));
    ASSERT_GE(h, 0);
    const int64_t far = int64_t{5} << 30;
    ASSERT_EQ(FileSeek(h, far, 0), far);
    ASSERT_EQ(FileWrite(h, "z", 1), 1);
    EXPECT_EQ(FileSeek(h, 0, 2), far + 1);
    EXPECT_EQ(FileSeek(h, -1, 1), far);
    char c = 0;
    EXPECT_EQ(FileRead(h, &c, 1), 1);
    EXPECT_EQ(c, 'z');
    FileClose(h);
}

TEST(Strings, AsciiCaseLeavesOtherBytesAlone)
{
    EXPECT_EQ(UpperCase("abz AZ \xE9\xC3\xA9_"), "ABZ AZ \xE9\xC3\xA9_");
    EXPECT_EQ(LowerCase("ABZ az \xC9"), "abz az \xC9");
}

TEST(Strings, Trim)
{
    EXPECT_EQ(Trim(" \t\r\n abc \x01"), "abc");
    EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0"); // only control characters and spaces
}

TEST(FileNames, ChangeFileExt)
{
    EXPECT_EQ(ChangeFileExt("/a/b.txt", ".log"), "/a/b.log");
    EXPECT_EQ(ChangeFileExt("/a.b/c", ".txt"), "/a.b/c.txt");
    EXPECT_EQ(ChangeFileExt("/a/b.tar.gz", ""), "/a/b.tar");
    EXPECT_EQ(ChangeFileExt("b", ".x"), "b.x");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
}

TEST(System, EnvironmentAndErrorMessages)
{
    setenv("KELVOR_TEST_VALUE", "v=1", 1);
    EXPECT_EQ(GetEnvironmentVariable("KELVOR_TEST_VALUE"), "v=1");
    unsetenv("KELVOR_TEST_VALUE");
    EXPECT_EQ(GetEnvironmentVariable("KELVOR_TEST_VALUE"), "");
    EXPECT_EQ(SysErrorMessage(ENOENT), std::strerror(ENOENT));
    EXPECT_FALSE(SysErrorMessage(EACCES).empty());
    EXPECT_FALSE(SysErrorMessage(123456).empty());
}

TEST(IntegerText, StrToIntRaisesTheClassLibraryMessage)
{
    try {
        StrToInt("12x");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12x' is not a valid integer value");
    }
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
}

TEST(Strings, DeleteAndInsert)
{
    AnsiString s = "abcdef";
    Delete(s, 2, 2);
    EXPECT_EQ(s, "adef");
    Delete(s, 3, 100);
    EXPECT_EQ(s, "ad");
    Delete(s, 0, 1); // outside: nothing
    EXPECT_EQ(s, "ad");
    Delete(s, 3, 1);
    EXPECT_EQ(s, "ad");
    Delete(s, 1, 0);
    EXPECT_EQ(s, "ad");
    Delete(s, 1, INT64_MAX);
    EXPECT_EQ(s, "");

    s = "ad";
    Insert("bc", s, 2);
    EXPECT_EQ(s, "abcd");
    Insert("<", s, -3); // below 1: in front
    EXPECT_EQ(s, "<abcd");
    Insert(">", s, 100); // past the end: appended
    EXPECT_EQ(s, "<abcd>");
    Insert("!", s, 7);
    EXPECT_EQ(s, "<abcd>!");
    EXPECT_EQ(StringOfChar('x', 3), "xxx");
    EXPECT_EQ(StringOfChar('x', -1), "");
}

TEST(StringReplace, FirstOrAll)
{
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
    EXPECT_EQ(StringReplace("a-b-c", "-", "", rfReplaceAll), "abc");
    EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
    EXPECT_EQ(StringReplace("", "a", "x", rfReplaceAll), "");
    EXPECT_EQ(StringReplace("abc", "abc", "", rfReplaceAll), "");
    EXPECT_EQ(StringReplace("abc", "abcd", "x", rfReplaceAll), "abc");
}

TEST(IntegerText, IntToStrAndIntToHex)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF"); // at least, never cut
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(INT_MIN, 1), "80000000");
    EXPECT_EQ(IntToHex(INT64_MIN, 1), "8000000000000000");
    EXPECT_EQ(IntToHex(0x1FFFFFFFF, 10), "01FFFFFFFF");
}

TEST(IntegerText, DecimalAndHexadecimal)
{
    EXPECT_EQ(StrToInt("123"), 123);
    EXPECT_EQ(StrToInt("  -17"), -17);
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x1f"), 31);
    EXPECT_EQ(StrToInt("0X1F"), 31);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("-0x10"), -16);
    EXPECT_EQ(StrToInt("007"), 7);
    EXPECT_EQ(StrToInt("0"), 0);
}

TEST(Files, OpenModes)
{
    TempDir dir;
    const AnsiString name = dir.Write("f.txt", "abc");
    char c = 0;

    int h = FileOpen(name, fmOpenRead | fmShareDenyNone);
    ASSERT_GE(h, 0);
    EXPECT_NE(fcntl(h, F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_EQ(FileRead(h, &c, 1), 1);
    EXPECT_EQ(c, 'a');
    EXPECT_EQ(FileWrite(h, "x", 1), -1);
    FileClose(h);

    h = FileOpen(name, fmOpenWrite);
    ASSERT_GE(h, 0);
    EXPECT_EQ(FileRead(h, &c, 1), -1);
    EXPECT_EQ(FileWrite(h, "X", 1), 1);
    FileClose(h);
    EXPECT_EQ(dir.Read("f.txt"), "Xbc"); // opening for writing does not empty the file

    h = FileOpen(name, fmOpenReadWrite | fmShareExclusive);
    ASSERT_GE(h, 0);
    EXPECT_EQ(FileSeek(h, 2, 0), 2);
    EXPECT_EQ(FileWrite(h, "Z", 1), 1);
    EXPECT_EQ(FileSeek(h, 0, 0), 0);
    EXPECT_EQ(FileRead(h, &c, 1), 1);
    EXPECT_EQ(c, 'X');
    FileClose(h);
    EXPECT_EQ(dir.Read("f.txt"), "XbZ");
}

TEST(Files, FolderOperations)
{
    TempDir dir;
    const AnsiString deep = dir.File("a/b/c");
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep + "/")); // exists already
    const AnsiString file = dir.Write("plain", "x");
    EXPECT_FALSE(ForceDirectories(file + "/sub"));
    EXPECT_FALSE(ForceDirectories(""));

    const AnsiString other = dir.Write("other", "y");
    EXPECT_TRUE(RenameFile(file, other)); // replaces
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(dir.Read("other"), "x");
    EXPECT_FALSE(RenameFile(file, other));
    EXPECT_TRUE(DeleteFile(other));
    EXPECT_FALSE(DeleteFile(other));
    EXPECT_FALSE(DeleteFile(dir.File("a"))); // not a folder
}
