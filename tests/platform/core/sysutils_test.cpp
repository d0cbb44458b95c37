// Strings (1-based copies, replacement), integers as text, and files.
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

// ---------------------------------------------------------------------------
// Files

TEST(IntegerText, HexDigitsOfEveryByte)
{
    const std::string digits = "0123456789abcdef";
    for (int c = 0; c < 256; ++c) {
        const size_t lower = digits.find(static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c));
        const int expected = c != 0 && lower != std::string::npos ? static_cast<int>(lower) : -1;
        EXPECT_EQ(HexDigitValue(static_cast<char>(c)), expected) << c;
    }
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
