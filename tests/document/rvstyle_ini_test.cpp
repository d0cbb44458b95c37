// The ini value rules of style entries: booleans, integers written only when
// not default, long strings in pieces, escaped strings, fonts as text, counts.
#include "document/rvstyle.h"
#include "document/rvstyle_info.h"

#include <gtest/gtest.h>

#include "platform/core/colors.h"
#include "platform/core/inifiles.h"
#include "platform/graphics/gdiobjects.h"
#include "tests/document/doctestdata.h"
#include "tests/support/tempdir.h"

TEST(StyleIniTest, KeysAndDefaults)
{
    EXPECT_EQ(RVIniKey("Font%s3", "Size"), "FontSize3");
    EXPECT_EQ(RVIniKey("List%s0", ""), "List0");
    // A name holding a format specifier is taken as it is.
    EXPECT_EQ(RVIniKey("Para%s1", "%d%s"), "Para%d%s1");
    TMemIniFile ini("");
    WriteIntToIniIfNE(&ini, "S", "A", 5, 5);
    WriteIntToIniIfNE(&ini, "S", "B", clWindowText, 0);
    WriteBoolToIniIfNE(&ini, "S", "C", true, true);
    WriteBoolToIniIfNE(&ini, "S", "D", false, true);
    WriteBoolToIniIfNE(&ini, "S", "E", true, false);
    EXPECT_EQ(SectionValues(ini, "S"), (KeyValues{{"B", "-2147483640"}, {"D", "No"}, {"E", "Yes"}}));
}

TEST(StyleIniTest, BooleansAreYesInAnyCase)
{
    TMemIniFile ini("");
    const std::pair<const char*, bool> values[] = {
        {"YES", true}, {"1", false}, {"true", false}, {" yes ", true}, {"yess", false}};
    for (const auto& v : values) {
        ini.WriteString("S", "K", v.first);
        EXPECT_EQ(IniReadBool(&ini, "S", "K", false), v.second) << v.first;
        EXPECT_EQ(IniReadBool(&ini, "S", "K", true), v.second) << v.first;
    }
    EXPECT_TRUE(IniReadBool(&ini, "S", "Missing", true));
    EXPECT_FALSE(IniReadBool(&ini, "S", "Missing", false));
}

TEST(StyleIniTest, LongStringsInPieces)
{
    TMemIniFile ini("");
    WriteLongStringToINI(&ini, "S", "Short", AnsiString(500, 'a'));
    EXPECT_EQ(ini.ReadString("S", "Short", "").size(), 500u);
    const AnsiString long1201 = AnsiString(1000, 'b') + AnsiString(201, 'c');
    WriteLongStringToINI(&ini, "S", "Long", long1201);
    EXPECT_FALSE(ini.ValueExists("S", "Long"));
    EXPECT_EQ(ini.ReadString("S", "Long_0", "").size(), 500u);
    EXPECT_EQ(ini.ReadString("S", "Long_2", "").size(), 201u);
    EXPECT_FALSE(ini.ValueExists("S", "Long_3"));
    EXPECT_EQ(ReadLongStringFromINI(&ini, "S", "Long"), long1201);
    EXPECT_EQ(ReadLongStringFromINI(&ini, "S", "Short"), AnsiString(500, 'a'));
    EXPECT_EQ(ReadLongStringFromINI(&ini, "S", "Missing"), "");
    // Exactly 1000 characters: two pieces, no empty third one.
    WriteLongStringToINI(&ini, "S", "Even", AnsiString(1000, 'd'));
    EXPECT_FALSE(ini.ValueExists("S", "Even_2"));
    EXPECT_EQ(ReadLongStringFromINI(&ini, "S", "Even"), AnsiString(1000, 'd'));

    // Writing again over the other form reads back the new value.
    WriteLongStringToINI(&ini, "S", "Long", "");
    EXPECT_EQ(ReadLongStringFromINI(&ini, "S", "Long"), "");
    WriteLongStringToINI(&ini, "S", "Short", AnsiString(600, 'e'));
    EXPECT_EQ(ReadLongStringFromINI(&ini, "S", "Short"), AnsiString(600, 'e'));
    WriteLongStringToINI(&ini, "S", "Long", long1201);
    WriteLongStringToINI(&ini, "S", "Long", AnsiString(501, 'f'));
    EXPECT_EQ(ReadLongStringFromINI(&ini, "S", "Long"), AnsiString(501, 'f'));
}

TEST(StyleIniTest, StringsReadBackAsWritten)
{
    TempDir dir;
    const AnsiString names[] = {"Normal text", "  leading", "trailing\t", "\"quoted\"", "'single'", "a\"b",
                                "x = y ; z",   "#hash",     ";semi",      "\"",         ""};
    {
        TIniFile ini(dir.File("s.ini"));
        int i = 0;
        for (const AnsiString& name : names)
            WriteIniString(&ini, "S", "K" + IntToStr(i++), name);
        WriteIniString(&ini, "S", "Break", "one\r\ntwo\nthree\x01");
        ini.UpdateFile();
    }
    TIniFile ini(dir.File("s.ini"));
    int i = 0;
    for (const AnsiString& name : names)
        EXPECT_EQ(ini.ReadString("S", "K" + IntToStr(i++), "?"), name) << name;
    EXPECT_EQ(ini.ReadString("S", "Break", ""), "one  two three ");
    // Ordinary values are written as they are.
    EXPECT_NE(dir.Read("s.ini").find("K0=Normal text\n"), AnsiString::npos);
    EXPECT_EQ(RVEscapeIniValue("Normal text"), "Normal text");
    EXPECT_EQ(RVEscapeIniValue(" x"), "\" x\"");
}

TEST(StyleIniTest, FontsAsText)
{
    TFont font;
    font.SetName("Courier New");
    font.SetHeight(-15);
    font.SetStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut});
    font.SetPitch(fpFixed);
    font.SetColor(clRed);
    font.SetCharset(204);
    const AnsiString text = RVFontToString(&font);
    EXPECT_EQ(text, "Courier New,-15,BIUS,2,clRed,204");
    TFont back;
    RVStringToFont(text, &back);
    EXPECT_EQ(RVFontToString(&back), text);

    font.SetColor(0x123456);
    EXPECT_EQ(RVFontToString(&font), "Courier New,-15,BIUS,2,$00123456,204");
    RVStringToFont(RVFontToString(&font), &back);
    EXPECT_EQ(back.Color(), 0x123456);

    // A name with a comma survives in quotes.
    font.SetName("Odd, \"Face\"");
    RVStringToFont(RVFontToString(&font), &back);
    EXPECT_EQ(back.Name(), "Odd, \"Face\"");
    EXPECT_EQ(back.Height(), -15);

    // Fields end where the text ends; letters in any case and order.
    TFont partial;
    partial.SetColor(clBlue);
    RVStringToFont("Tahoma,-9,su", &partial);
    EXPECT_EQ(partial.Style(), (TFontStyles{fsUnderline, fsStrikeOut}));
    EXPECT_EQ(partial.Color(), clBlue);
    // Unreadable fields keep the font's values.
    RVStringToFont("Tahoma,tall,B,9,clNotAColour,999", &partial);
    EXPECT_EQ(RVFontToString(&partial), "Tahoma,-9,B,0,clBlue,1");
}

TEST(StyleIniTest, CountsAreBounded)
{
    TMemIniFile ini("");
    EXPECT_EQ(RVReadIniCount(&ini, "S", "N", 6), 6);
    ini.WriteString("S", "N", "0");
    EXPECT_EQ(RVReadIniCount(&ini, "S", "N", 6), 0);
    ini.WriteString("S", "N", "65536");
    EXPECT_EQ(RVReadIniCount(&ini, "S", "N", 6), 65536);
    ini.WriteString("S", "N", "abc");
    EXPECT_EQ(RVReadIniCount(&ini, "S", "N", 6), 6);
    for (const char* bad : {"65537", "-1", "2147483647", "$FFFFFFFF"}) {
        ini.WriteString("S", "N", bad);
        try {
            RVReadIniCount(&ini, "S", "N", 6);
            ADD_FAILURE() << bad;
        } catch (const ERollViewError& e) {
            EXPECT_EQ(e.Message(), "Invalid style data in the section \"S\"");
        }
    }
}

TEST(StyleIniTest, ListLevelsAreBoundedInAll)
{
    // Each count alone is allowed; together they would ask for half a million levels.
    TMemIniFile ini("");
    ini.WriteInteger("S", "ListCount", 8);
    for (int i = 0; i < 8; ++i)
        ini.WriteInteger("S", RVIniKey("List%s" + IntToStr(i), "LevelsCount"), 65536);
    TRVStyle style(nullptr);
    EXPECT_THROW(style.ListStyles()->LoadFromINI(&ini, "S"), ERollViewError);
    ini.WriteInteger("S", "ListCount", 1);
    ini.WriteInteger("S", RVIniKey("List%s0", "LevelsCount"), 2);
    style.ListStyles()->LoadFromINI(&ini, "S");
    ASSERT_EQ(style.ListStyles()->Count(), 1);
    EXPECT_EQ(style.ListStyles()->Items(0)->Levels()->Count(), 2);
}
