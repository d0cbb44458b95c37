// Ini files: the profile reading rules, rewrites that keep every untouched byte,
// when and how the file is written, and hostile input.
#include "platform/core/inifiles.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/core/inidata.h"
#include "tests/support/tempdir.h"

namespace {

// The text a TMemIniFile over Text holds after Edit, as UpdateFile writes it.
template <class Edit> std::string Rewritten(const std::string& text, Edit edit)
{
    TempDir dir;
    std::string name = dir.Write("t.ini", text);
    TMemIniFile ini(name);
    edit(ini);
    ini.UpdateFile();
    return dir.Read("t.ini");
}

std::vector<std::string> Entries(const TStringList& list)
{
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries.push_back(list[i]);
    return entries;
}

using Strings = std::vector<std::string>;

} // namespace

// ---------------------------------------------------------------------------
// Reading

TEST(IniRead, ValuesAreTrimmedAndLoseOnePairOfMatchingQuotes)
{
    TempDir dir;
    TMemIniFile ini(dir.Write("t.ini", "[S]\n"
                                       "plain =  \t spaced value\t \n"
                                       "double=\"quoted\"\n"
                                       "single=  'quoted'  \n"
                                       "inner=\"  blanks kept  \"\n"
                                       "mixed=\"not'\n"
                                       "one=\"\n"
                                       "twice=\"\"x\"\"\n"
                                       "empty=\n"
                                       "eq=a=b\n"));
    EXPECT_EQ(ini.ReadString("S", "plain", "-"), "spaced value");
    EXPECT_EQ(ini.ReadString("S", "double", "-"), "quoted");
    EXPECT_EQ(ini.ReadString("S", "single", "-"), "quoted");
    EXPECT_EQ(ini.ReadString("S", "inner", "-"), "  blanks kept  ");
    EXPECT_EQ(ini.ReadString("S", "mixed", "-"), "\"not'");
    EXPECT_EQ(ini.ReadString("S", "one", "-"), "\"");
    EXPECT_EQ(ini.ReadString("S", "twice", "-"), "\"x\"");
    EXPECT_EQ(ini.ReadString("S", "empty", "-"), "");
    EXPECT_EQ(ini.ReadString("S", "eq", "-"), "a=b");
    EXPECT_EQ(ini.ReadString("S", "absent", "-"), "-");
    EXPECT_EQ(ini.ReadString("T", "plain", "-"), "-");
}

TEST(IniRead, FirstOccurrenceWinsAndNamesAreListedOnceInFileOrder)
{
    TempDir dir;
    TMemIniFile ini(dir.Write("t.ini", "[B]\n"
                                       "z=1\n"
                                       "a=2\n"
                                       "Z=3\n"
                                       "m=4\n"
                                       "[A]\n"
                                       "x=5\n"
                                       "[b]\n"
                                       "z=6\n"
                                       "new=7\n"));
    EXPECT_EQ(ini.ReadString("B", "z", "-"), "1");
    EXPECT_EQ(ini.ReadString("B", "new", "-"), "-"); // only the first [B] is read
    TStringList list;
    ini.ReadSections(list);
    EXPECT_EQ(Entries(list), (Strings{"B", "A"}));
    ini.ReadSection("b", list);
    EXPECT_EQ(Entries(list), (Strings{"z", "a", "m"}));
    ini.ReadSectionValues("B", list);
    EXPECT_EQ(Entries(list), (Strings{"z=1", "a=2", "m=4"}));
}

TEST(IniRead, NamesMatchIgnoringCaseBlanksAndLineBreaks)
{
    TempDir dir;
    // A lone CR inside a key name read from the file matches as a blank.
    TMemIniFile ini(dir.Write("t.ini", "[ Sec\tOne ]\n"
                                       " Key\rName =1\n"
                                       "key name=2\n"
                                       "KeyNamf=3\n"
                                       "[sec\tone]\n"
                                       "other=4\n"));
    EXPECT_EQ(ini.ReadString("SEC\tONE", "key name", "-"), "1");
    EXPECT_EQ(ini.ReadString(" sec\tone\r\n", "\tKEY\r\nNAME ", "-"), "1");
    EXPECT_EQ(ini.ReadString("sec one", "key name", "-"), "-");
    EXPECT_EQ(ini.ReadString("sec\tone", "keynamf", "-"), "3");
    EXPECT_EQ(ini.ReadString("sec\tone", "keyname", "-"), "-");
    EXPECT_EQ(ini.ReadString("sec\tone", "other", "-"), "-");
    TStringList list;
    ini.ReadSection("Sec\tOne", list);
    EXPECT_EQ(Entries(list), (Strings{"Key\rName", "KeyNamf"}));

    // Deleting a key removes each spelling of it; a write then adds it anew.
    ini.DeleteKey("SEC\tONE", "KEY\nNAME");
    EXPECT_EQ(ini.ReadString("Sec\tOne", "key name", "-"), "-");
    ini.WriteString("Sec\tOne", "Key\r\nName", "5");
    EXPECT_EQ(ini.ReadString("sec\tone", "KEY NAME", "-"), "5");
    ini.ReadSection("Sec\tOne", list);
    EXPECT_EQ(Entries(list), (Strings{"KeyNamf", "Key Name"}));
}

TEST(IniRead, OnlyAsciiLettersMatchInEitherCase)
{
    TempDir dir;
    // '@' '[' '`' '{' sit next to the letters; 0xC3 0x84 differs from 0xE3 0xA4
    // by the bit that makes a letter small.
    TMemIniFile ini(dir.Write("t.ini", "[S]\n"
                                       "A@Z[=1\n"
                                       "\xC3\x84=2\n"
                                       "abcdefghABCDEFGHx=3\n"
                                       "abcdefgh=4\n"));
    EXPECT_EQ(ini.ReadString("S", "a@z[", "-"), "1");
    EXPECT_EQ(ini.ReadString("S", "a`z{", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "\xE3\xA4", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "\xC3\x84", "-"), "2");
    EXPECT_EQ(ini.ReadString("S", "ABCDEFGHabcdefghX", "-"), "3");
    EXPECT_EQ(ini.ReadString("S", "ABCDEFGHabcdefghY", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "ABCDEFGHabcdefgh", "-"), "-");
    EXPECT_EQ(ini.ReadString("S", "ABCDEFGH", "-"), "4");
    EXPECT_EQ(ini.ReadString("S", "ABCDEFG", "-"), "-");
}

TEST(IniRead, ReadsFollowEveryChangeOfTheSections)
{
    TMemIniFile ini("");
    TStringList lines;
    lines.Add("[S]");
    lines.Add("k=1");
    ini.SetStrings(lines);
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "1");
    ini.EraseSection("s");
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "-");
    ini.WriteString("S", "k", "2");
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "2");
    lines.Clear();
    lines.Add("[T]");
    lines.Add("[S]");
    lines.Add("k=3");
    ini.SetStrings(lines);
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "3");
    EXPECT_EQ(ini.ReadString("T", "k", "-"), "-");
    ini.WriteString("T", "k", "4");
    EXPECT_EQ(ini.ReadString("T", "k", "-"), "4");
    EXPECT_EQ(ini.ReadString("s", "K", "-"), "3");
}

TEST(IniRead, EveryKeyOfALargeSectionIsFoundAndWrittenInPlace)
{
    std::string text = "[S]\n";
    for (int i = 0; i < 3000; ++i)
        text += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    TempDir dir;
    TMemIniFile ini(dir.Write("t.ini", text));
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(ini.ReadInteger("s", "KEY" + IntToStr(i), -1), i) << i;
    EXPECT_EQ(ini.ReadInteger("S", "Key3000", -1), -1);
    for (int i = 0; i < 3000; i += 7)
        ini.WriteInteger("S", "key" + IntToStr(i), -i);
    TStringList list;
    ini.ReadSection("S", list);
    ASSERT_EQ(list.Count(), 3000);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(ini.ReadInteger("S", "Key" + IntToStr(i), 1), i % 7 ? i : -i) << i;
}

// Keys that writes add, and the index rebuilt after a key is deleted, find
// every key of a section that grows by writes alone.
TEST(IniRead, KeysAddedAndDeletedByWritesAreFound)
{
    TMemIniFile ini("");
    for (int i = 0; i < 500; ++i) {
        ini.WriteInteger("S", "Key" + IntToStr(i), i);
        ASSERT_EQ(ini.ReadInteger("s", "KEY" + IntToStr(i / 2), -1), i / 2) << i;
    }
    for (int i = 0; i < 500; i += 3)
        ini.DeleteKey("S", "key" + IntToStr(i));
    ini.WriteInteger("S", "key0", 7);
    for (int i = 1; i < 500; ++i)
        ASSERT_EQ(ini.ReadInteger("S", "Key" + IntToStr(i), -1), i % 3 ? i : -1) << i;
    EXPECT_EQ(ini.ReadInteger("S", "Key0", -1), 7);
    TStringList lines;
    ini.GetStrings(lines);
    EXPECT_EQ(lines.Get(lines.Count() - 1), "key0=7");
}

TEST(IniRead, CommentsBlankAndOddLinesAreNoKeys)
{
    TempDir dir;
    TMemIniFile ini(dir.Write("t.ini", "orphan=before any section\n"
                                       "[S]\n"
                                       "; a=1\n"
                                       "  # b=2\n"
                                       "\n"
                                       "no equals sign here\n"
                                       "[broken header\n"
                                       "c = 3\n"));
    TStringList list;
    ini.ReadSection("S", list);
    EXPECT_EQ(Entries(list), Strings{"c"});
    EXPECT_EQ(ini.ReadString("S", "; a", "-"), "-");
    ini.ReadSections(list);
    EXPECT_EQ(Entries(list), Strings{"S"});
    EXPECT_TRUE(ini.SectionExists("s"));
    EXPECT_FALSE(ini.SectionExists("broken header"));
    EXPECT_TRUE(ini.ValueExists("S", "C"));
    EXPECT_FALSE(ini.ValueExists("S", "a"));
}

TEST(IniRead, LineBreaksByteOrderMarkAndAFinalLineWithoutBreak)
{
    TempDir dir;
    TMemIniFile crlf(dir.Write("crlf.ini", "\xEF\xBB\xBF[S]\r\na=1\r\nb = 2 \r\nlast=3"));
    EXPECT_EQ(crlf.ReadString("S", "a", "-"), "1");
    EXPECT_EQ(crlf.ReadString("S", "b", "-"), "2");
    EXPECT_EQ(crlf.ReadString("S", "last", "-"), "3");

    // A lone CR ends no line: it is part of the value.
    TMemIniFile cr(dir.Write("cr.ini", "[S]\na=1\rb=2\n"));
    EXPECT_EQ(cr.ReadString("S", "a", "-"), "1\rb=2");
    EXPECT_EQ(cr.ReadString("S", "b", "-"), "-");
}

TEST(IniRead, MissingFolderOrUnreadableFilesReadAsEmpty)
{
    TempDir dir;
    TStringList list;
    TMemIniFile missing(dir.File("none.ini"));
    missing.ReadSections(list);
    EXPECT_EQ(list.Count(), 0);
    TMemIniFile folder(dir.Path());
    folder.ReadSections(list);
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    TMemIniFile fifo(dir.File("fifo")); // must not wait for a writer
    fifo.ReadSections(list);
    EXPECT_EQ(list.Count(), 0);
}

// ---------------------------------------------------------------------------
// Rewriting

TEST(IniRewrite, UntouchedLinesStayByteForByte)
{
    const std::string before = "; settings of the viewer\n"
                               "orphan line\n"
                               "\n"
                               "[Unknown]\n"
                               "  weird   =  spacing ; not a comment\n"
                               "odd line without equals\n"
                               "# hash comment\n"
                               "\n"
                               "[Main]\n"
                               "Width = 10\n"
                               "Height=20\n"
                               "\n"
                               "[Tail]\n"
                               "x=1\n";
    const std::string after = "; settings of the viewer\n"
                              "orphan line\n"
                              "\n"
                              "[Unknown]\n"
                              "  weird   =  spacing ; not a comment\n"
                              "odd line without equals\n"
                              "# hash comment\n"
                              "\n"
                              "[Main]\n"
                              "Width=640\n"
                              "Height=20\n"
                              "Left=5\n"
                              "\n"
                              "[Tail]\n"
                              "x=1\n"
                              "[New]\n"
                              "k=v\n";
    EXPECT_EQ(Rewritten(before,
                        [](TMemIniFile& ini) {
                            ini.WriteInteger("main", "WIDTH", 640); // keeps the file's spelling
                            ini.WriteInteger("Main", "Left", 5);
                            ini.WriteString("New", "k", "v");
                        }),
              after);
}

TEST(IniRewrite, CrLfFilesGetCrLfLinesAndKeepTheirBom)
{
    const std::string before = "\xEF\xBB\xBF[S]\r\na=1\r\n\r\n[T]\r\nb=2";
    EXPECT_EQ(Rewritten(before,
                        [](TMemIniFile& ini) {
                            ini.WriteString("s", "a", "one");
                            ini.WriteString("S", "c", "3");
                            ini.WriteString("T", "d", "4");
                            ini.WriteString("U", "e", "5");
                        }),
              "\xEF\xBB\xBF[S]\r\na=one\r\nc=3\r\n\r\n[T]\r\nb=2\r\nd=4\r\n[U]\r\ne=5\r\n");
}

TEST(IniRewrite, NewKeyGoesAfterTheLastKeyOfItsSection)
{
    const std::string before = "[S]\n"
                               "; about S\n"
                               "a=1\n"
                               "; trailing comment\n"
                               "\n"
                               "[Empty]\n"
                               "; nothing yet\n"
                               "\n";
    EXPECT_EQ(Rewritten(before,
                        [](TMemIniFile& ini) {
                            ini.WriteString("S", "b", "2");
                            ini.WriteString("Empty", "c", "3");
                        }),
              "[S]\n"
              "; about S\n"
              "a=1\n"
              "b=2\n"
              "; trailing comment\n"
              "\n"
              "[Empty]\n"
              "c=3\n"
              "; nothing yet\n"
              "\n");
}

TEST(IniRewrite, ValuesWithLineBreaksAreWrittenOnOneLine)
{
    std::string text = Rewritten("[S]\r\n", [](TMemIniFile& ini) {
        ini.WriteString("S", "multi", "one\r\ntwo\rthree\nfour\n\nend");
        ini.WriteString("S\nX", "k\r\ny", "v");
        EXPECT_EQ(ini.ReadString("S", "multi", ""), "one two three four  end");
    });
    EXPECT_EQ(text, "[S]\r\nmulti=one two three four  end\r\n[S X]\r\nk y=v\r\n");
}

// A NUL would make the file no ini text: it is written as a blank, as a line
// break is, and the name given still finds its key.
TEST(IniRewrite, NulBytesAreWrittenAsBlanks)
{
    const std::string nul(1, '\0');
    std::string text = Rewritten("[S]\n", [&](TMemIniFile& ini) {
        ini.WriteString("S", "k" + nul + "1", "a" + nul + "b" + nul);
        ini.WriteString("T" + nul + "U", nul + "k2" + nul, "v");
        EXPECT_EQ(ini.ReadString("S", "k" + nul + "1", "-"), "a b");
        EXPECT_EQ(ini.ReadString("t u", "K2", "-"), "v");
    });
    EXPECT_EQ(text, "[S]\nk 1=a b \n[T U]\nk2=v\n");
    EXPECT_EQ(text.find('\0'), std::string::npos);
}

TEST(IniRewrite, DuplicatesChangeTheFirstAndEraseRemovesThemAll)
{
    const std::string before = "[A]\na=1\nb=2\nA=3\n[B]\nx=1\n[a]\nz=9\n";
    EXPECT_EQ(Rewritten(before, [](TMemIniFile& ini) { ini.WriteString("A", "a", "new"); }),
              "[A]\na=new\nb=2\nA=3\n[B]\nx=1\n[a]\nz=9\n");
    EXPECT_EQ(Rewritten(before,
                        [](TMemIniFile& ini) {
                            ini.DeleteKey("a", "A");
                            EXPECT_EQ(ini.ReadString("A", "a", "-"), "-");
                        }),
              "[A]\nb=2\n[B]\nx=1\n[a]\nz=9\n");
    EXPECT_EQ(Rewritten(before,
                        [](TMemIniFile& ini) {
                            ini.EraseSection("a");
                            EXPECT_FALSE(ini.SectionExists("A"));
                            EXPECT_EQ(ini.ReadString("A", "z", "-"), "-");
                        }),
              "[B]\nx=1\n");
}

// ---------------------------------------------------------------------------
// Writing the file

TEST(IniUpdate, TIniFileKeepsEditsThatOthersMadeMeanwhile)
{
    TempDir dir;
    std::string name = dir.Write("t.ini", "[S]\na=1\n");
    TIniFile first(name);
    TIniFile second(name);
    first.WriteString("S", "b", "2");
    first.UpdateFile();
    second.WriteString("S", "c", "3");
    second.DeleteKey("S", "a");
    second.UpdateFile();
    EXPECT_EQ(dir.Read("t.ini"), "[S]\nb=2\nc=3\n");
    EXPECT_EQ(second.ReadString("S", "b", "-"), "2"); // reads the file as written
}

TEST(IniUpdate, FailuresRaiseUnableToWrite)
{
    TempDir dir;
    std::string name = dir.File("no/folder/t.ini");
    TIniFile ini(name);
    ini.WriteString("S", "k", "v");
    try {
        ini.UpdateFile();
        FAIL() << "writing into a missing folder must raise";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + name);
    }
    EXPECT_TRUE(ini.Modified()); // the change is still there to write

    // A name that is a folder: read as empty, never replaced.
    TMemIniFile folder(dir.Path());
    folder.WriteString("S", "k", "v");
    EXPECT_THROW(folder.UpdateFile(), EIniFileException);
}

TEST(IniUpdate, AFileThatCannotBeReadIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores permissions";
    TempDir dir;
    std::string name = dir.Write("t.ini", "[S]\nsecret=1\n");
    ASSERT_EQ(::chmod(name.c_str(), 0200), 0);
    {
        TIniFile ini(name);
        EXPECT_EQ(ini.ReadString("S", "secret", "-"), "-");
        ini.WriteString("S", "k", "v");
        EXPECT_THROW(ini.UpdateFile(), EIniFileException);
    }
    ::chmod(name.c_str(), 0600);
    EXPECT_EQ(dir.Read("t.ini"), "[S]\nsecret=1\n");
}

// ---------------------------------------------------------------------------
// Hostile input

TEST(IniHostile, BinaryAndOversizedFiles)
{
    std::string binary;
    uint32_t seed = 12345;
    for (int i = 0; i < 1 << 20; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Every byte but NUL, which makes a file no ini text at all (below).
        binary.push_back(static_cast<char>(std::max(seed >> 16 & 0xFF, 1u)));
    }
    binary += std::string(1000, '[') + std::string(1000, '=') + std::string(1000, '\x01');
    TempDir dir;
    {
        TMemIniFile ini(dir.Write("binary.ini", binary));
        TStringList sections;
        TStringList values;
        ini.ReadSections(sections);
        for (int i = 0; i < sections.Count(); ++i)
            ini.ReadSectionValues(sections[i], values);
        ini.WriteString("S", "k", "v");
        EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
    }
    // Too large to be settings: read as empty and never replaced.
    std::string huge(static_cast<size_t>(MaxIniFileSize) + 1, 'x');
    huge.replace(0, 8, "[S]\nk=1\n");
    TIniFile ini(dir.Write("huge.ini", huge));
    EXPECT_EQ(ini.ReadString("S", "k", "-"), "-");
    ini.WriteString("S", "k", "2");
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
    EXPECT_EQ(dir.Read("huge.ini").size(), huge.size());
}

TEST(IniRewrite, AFinalLineWithoutBreakStaysLast)
{
    EXPECT_EQ(Rewritten("[S]\na=1", [](TMemIniFile& ini) { ini.WriteString("S", "b", "2"); }),
              "[S]\na=1\nb=2");
    EXPECT_EQ(Rewritten("[S]\n; only a comment", [](TMemIniFile& ini) { ini.WriteString("T", "b", "2"); }),
              "[S]\n; only a comment\n[T]\nb=2\n");
    EXPECT_EQ(Rewritten("", [](TMemIniFile& ini) { ini.WriteString("S", "k", "v"); }), "[S]\nk=v\n");
}

// UTF-16 text (with or without its byte-order mark) and any text holding a NUL
// byte are no ini text: read as nothing, and never written over.
TEST(IniHostile, TextThatIsNoIniTextIsNeitherReadNorReplaced)
{
    const std::string ini = "[S]\r\nk=1\r\n";
    std::string littleEndian, bigEndian;
    for (char c : ini) {
        littleEndian += {c, '\0'};
        bigEndian += {'\0', c};
    }
    const std::pair<std::string, TIniTextFault> cases[] = {
        {"\xFF\xFE" + littleEndian, TIniTextFault::Utf16ByteOrderMark},
        {"\xFE\xFF" + bigEndian, TIniTextFault::Utf16ByteOrderMark},
        {"\xFF\xFE", TIniTextFault::Utf16ByteOrderMark},
        {littleEndian, TIniTextFault::NulByte},
        {bigEndian, TIniTextFault::NulByte},
        {ini + std::string(1, '\0'), TIniTextFault::NulByte},
        {std::string(1, '\0') + ini, TIniTextFault::NulByte},
    };
    TempDir dir;
    for (const auto& [bytes, fault] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const std::string name = dir.Write("t.ini", bytes);
        AnsiString text = "stale";
        TIniTextFault found = TIniTextFault::None;
        EXPECT_EQ(LoadIniText(name, text, &found), TIniLoadResult::Unreadable);
        EXPECT_EQ(found, fault);
        EXPECT_EQ(text, "");
        TIniFile file(name);
        EXPECT_EQ(file.ReadString("S", "k", "-"), "-");
        file.WriteString("S", "k", "2");
        EXPECT_THROW(file.UpdateFile(), EIniFileException);
        EXPECT_EQ(dir.Read("t.ini"), bytes);
    }
    AnsiString text;
    TIniTextFault found = TIniTextFault::NulByte;
    EXPECT_EQ(LoadIniText(dir.Write("t.ini", ini), text, &found), TIniLoadResult::Loaded);
    EXPECT_EQ(found, TIniTextFault::None);
    EXPECT_EQ(text, ini);
}
