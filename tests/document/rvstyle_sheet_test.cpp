// The style sheet component: defaults, drawing entry points and their events,
// checkpoint and page-break marks, and persistence in ini files and the
// settings store.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/core/colors.h"
#include "platform/core/inifiles.h"
#include "platform/core/registry.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/document/doctestdata.h"
#include "tests/support/tempdir.h"

TEST(StyleSheetTest, CollectionsAreCopied)
{
    TRVStyle a(nullptr);
    TRVStyle b(nullptr);
    b.TextStyles()->Items(0)->SetSize(33);
    b.ParaStyles()->Add();
    b.ListStyles()->Add();
    a.SetTextStyles(b.TextStyles());
    a.SetParaStyles(b.ParaStyles());
    a.SetListStyles(b.ListStyles());
    EXPECT_EQ(a.TextStyles()->Items(0)->Size(), 33);
    EXPECT_NE(a.TextStyles()->Items(0), b.TextStyles()->Items(0));
    EXPECT_EQ(a.ListStyles()->Count(), 1);
    a.SetTextStyles(a.TextStyles()); // onto itself: kept
    EXPECT_EQ(a.TextStyles()->Count(), 6);
}

TEST(StyleSheetTest, EventsComeFirstAndMayTakeOver)
{
    TRVStyle style(nullptr);
    TRecordingCanvas canvas;
    std::vector<AnsiString> calls;
    bool takeOver = false;
    style.OnApplyStyle = [&](TRVStyle* sender, TCanvas* c, int styleNo, bool& doDefault) {
        EXPECT_EQ(sender, &style);
        EXPECT_EQ(c, &canvas);
        EXPECT_TRUE(doDefault);
        calls.push_back("apply " + IntToStr(styleNo));
        doDefault = !takeOver;
    };
    style.OnApplyStyleColor = [&](TRVStyle*, TCanvas*, int styleNo, TRVTextDrawStates state,
                                  bool& doDefault) {
        calls.push_back("color " + IntToStr(styleNo) + " " + IntToStr(state.Bits));
        doDefault = !takeOver;
    };
    style.TextStyles()->Items(1)->SetSize(20);
    style.ApplyStyle(&canvas, 1, rvbdUnspecified);
    EXPECT_EQ(canvas.Font()->Size(), 20);
    style.ApplyStyleColor(&canvas, 1, {rvtsHover}, false, rvcmColor);
    EXPECT_EQ(canvas.Font()->Color(), clBlue);
    takeOver = true;
    style.ApplyStyle(&canvas, 0, rvbdUnspecified);
    EXPECT_EQ(canvas.Font()->Size(), 20);
    style.ApplyStyleColor(&canvas, 0, {}, false, rvcmColor);
    EXPECT_EQ(canvas.Font()->Color(), clBlue);
    EXPECT_EQ(calls, (std::vector<AnsiString>{"apply 1", "color 1 2", "apply 0", "color 0 0"}));

    // A bad style number draws with the invalid-item style.
    takeOver = false;
    style.ApplyStyleColor(&canvas, 50, {}, false, rvcmColor);
    EXPECT_EQ(canvas.Font()->Color(), clWhite);
    EXPECT_EQ(canvas.Brush()->Color(), clRed);
}

TEST(StyleSheetTest, DrawStyleTextCapitalisesAndReportsTheItem)
{
    TRVStyle style(nullptr);
    TRecordingCanvas canvas;
    TFontInfo* caps = style.TextStyles()->Items(2);
    caps->SetStyleEx({rvfsAllCaps});
    TStringList data;
    AnsiString seen;
    int seenStyle = -1, seenItem = -1;
    bool doDraw = true;
    style.OnDrawStyleText = [&](TRVStyle* sender, const AnsiString& s, TCanvas*, int styleNo, int, int, int,
                                int, int, TRVTextDrawStates, bool& doDefault) {
        seen = s;
        seenStyle = styleNo;
        seenItem = sender->ItemNo;
        doDefault = doDraw;
    };
    style.DrawStyleText("abc", &canvas, 12, 4, 2, &data, 3, 0, 0, 24, 13, {}, false, false, rvcmColor,
                        rvbdUnspecified);
    EXPECT_EQ(seenStyle, 2);
    EXPECT_EQ(seenItem, 12);
    EXPECT_EQ(seen, "ABC");
    ASSERT_EQ(canvas.RecordsOf(TCanvasOp::Text).size(), 1u);
    EXPECT_EQ(canvas.RecordsOf(TCanvasOp::Text)[0]->TextUtf8(), "ABC");

    doDraw = false;
    canvas.Clear();
    style.DrawStyleText("xyz", &canvas, 1, 1, 0, &data, 0, 0, 0, 21, 13, {}, false, false, rvcmColor,
                        rvbdUnspecified);
    EXPECT_EQ(seen, "xyz");
    EXPECT_EQ(canvas.Count(), 0);

    // Without a handler the fields keep the last values given to one.
    style.OnDrawStyleText = nullptr;
    style.DrawStyleText("q", &canvas, 99, 98, 0, nullptr, 0, 0, 0, 7, 13, {}, false, false, rvcmColor,
                        rvbdUnspecified);
    EXPECT_EQ(style.ItemNo, 1);
    EXPECT_EQ(canvas.Count(), 1);
}

TEST(StyleSheetTest, HoverSensitivity)
{
    TRVStyle style(nullptr);
    EXPECT_FALSE(style.StyleHoverSensitive(4));
    EXPECT_EQ(style.GetHoverColor(4), clNone);
    style.SetHoverColor(clRed);
    EXPECT_TRUE(style.StyleHoverSensitive(4));
    EXPECT_EQ(style.GetHoverColor(4), clRed);
    style.TextStyles()->Items(4)->SetHoverColor(clBlue);
    EXPECT_EQ(style.GetHoverColor(4), clBlue);
    EXPECT_EQ(style.GetHoverColorByColor(clNone), clRed);
    style.SetHoverColor(clNone);
    style.TextStyles()->Items(4)->SetHoverColor(clNone);
    style.TextStyles()->Items(4)->SetHoverBackColor(clYellow);
    EXPECT_TRUE(style.StyleHoverSensitive(4));
    style.OnStyleHoverSensitive = [](TRVStyle*, int styleNo, bool& sensitive) {
        if (styleNo == 4)
            sensitive = false;
        else
            sensitive = true;
    };
    EXPECT_FALSE(style.StyleHoverSensitive(4));
    EXPECT_TRUE(style.StyleHoverSensitive(0));
}

TEST(StyleSheetTest, CheckpointMarks)
{
    TRVStyle style(nullptr);
    TRecordingCanvas canvas;
    // A handler may take over; the pen and brush are restored after it.
    bool called = false;
    style.OnDrawCheckpoint = [&](TRVStyle*, TCanvas*, int x, int y, int itemNo, int xShift, bool raiseEvent,
                                 TComponent*, bool& doDefault) {
        called = x == 1 && y == 2 && itemNo == 3 && xShift == 4 && raiseEvent;
        doDefault = false;
        canvas.Pen()->SetStyle(psDash);
    };
    style.DrawCheckpoint(&canvas, 1, 2, 3, 4, true, nullptr, 400);
    EXPECT_TRUE(called);
    EXPECT_EQ(canvas.Count(), 0);
    EXPECT_EQ(canvas.Pen()->Style(), psSolid);
    EXPECT_EQ(canvas.Brush()->Style(), bsClear);
}

TEST(StyleSheetTest, InvalidPicture)
{
    TRVStyle style(nullptr);
    TPicture* picture = style.InvalidPicture();
    ASSERT_NE(picture->Graphic(), nullptr);
    EXPECT_FALSE(picture->Graphic()->Empty());

    TBitmap bitmap;
    bitmap.SetSize(3, 4);
    TPicture mine;
    mine.SetGraphic(&bitmap);
    style.SetInvalidPicture(&mine);
    EXPECT_EQ(style.InvalidPicture()->Width(), 3);
    style.SetInvalidPicture(style.InvalidPicture());
    EXPECT_EQ(style.InvalidPicture()->Width(), 3);
    style.SetInvalidPicture(nullptr);
    EXPECT_NE(style.InvalidPicture()->Width(), 3);
}

TEST(StyleSheetTest, DefaultSheetWritesOnlyStyleKeys)
{
    TRVStyle style(nullptr);
    TMemIniFile ini("");
    ini.WriteString("S", "Stale", "x");
    style.SaveToINI(&ini, "S");
    const auto values = SectionValues(ini, "S");
    ASSERT_FALSE(values.empty());
    // Paragraph styles come first, then text styles; no key of the sheet itself.
    EXPECT_EQ(values.front().first, "ParasCount");
    for (const auto& kv : values) {
        const AnsiString& key = kv.first;
        EXPECT_TRUE(key.rfind("Para", 0) == 0 || key.rfind("Font", 0) == 0 || key == "ListCount") << key;
    }
    EXPECT_EQ(values.back().first, "ListCount");

    // Loading that section into a changed style sheet restores every default.
    TRVStyle changed(nullptr);
    changed.SetColor(clRed);
    changed.SetSoftPageBreakColor(clRed);
    changed.SetUseSound(false);
    changed.SetDefCodePage(1251);
    changed.TextStyles()->Add();
    changed.ParaStyles()->Clear();
    changed.LoadFromINI(&ini, "S");
    TMemIniFile again("");
    changed.SaveToINI(&again, "S");
    EXPECT_EQ(SectionValues(again, "S"), values);
    EXPECT_EQ(changed.TextStyles()->Count(), 6);
    EXPECT_EQ(changed.ParaStyles()->Items(1)->StyleName(), "Centered");
}

TEST(StyleSheetTest, SheetKeysRoundTrip)
{
    TRVStyle style(nullptr);
    style.SetUseSound(false);
    style.SetSelColor(clRed);
    style.SetInactiveSelTextColor(clLime);
    style.SetJumpCursor(-20);
    style.SetDefCodePage(1251);
    style.SetDefUnicodeStyle(3);
    style.ResetTextStyles();
    TMemIniFile ini("");
    style.SaveToINI(&ini, "S");
    EXPECT_EQ(ini.ReadString("S", "UseSound", ""), "No");
    EXPECT_FALSE(ini.ValueExists("S", "Color")) << "defaults are not written";

    TRVStyle back(nullptr);
    back.LoadFromINI(&ini, "S");
    EXPECT_FALSE(back.UseSound());
    EXPECT_EQ(back.InactiveSelTextColor(), clLime);
    EXPECT_EQ(back.DefCodePage(), 1251u);
    EXPECT_EQ(back.DefUnicodeStyle(), 3);
    EXPECT_EQ(back.TextStyles()->Items(4)->JumpCursor(), -20);

    // Without style keys, the default counts; the hyperlink styles get the sheet's cursor.
    TMemIniFile bare("");
    bare.WriteString("S", "JumpCursor", "-7");
    back.LoadFromINI(&bare, "S");
    EXPECT_EQ(back.TextStyles()->Count(), 6);
    EXPECT_EQ(back.ParaStyles()->Count(), 2);
    EXPECT_EQ(back.ListStyles()->Count(), 0);
    EXPECT_EQ(back.TextStyles()->Items(5)->JumpCursor(), -7);
    EXPECT_TRUE(back.UseSound());
}

TEST(StyleSheetTest, CorruptSectionLeavesTheSheetUnchanged)
{
    const char* keys[][2] = {{"ParasCount", "70000"},
                             {"FontsCount", "-3"},
                             {"ListCount", "99999999"},
                             {"ListLevelsCount0", "65537"}};
    for (const auto& key : keys) {
        TRVStyle style(nullptr);
        TMemIniFile ini("");
        ini.WriteString("S", "Color", "255");
        ini.WriteString("S", "ListCount", "1");
        ini.WriteString("S", key[0], key[1]);
        EXPECT_THROW(style.LoadFromINI(&ini, "S"), ERollViewError) << key[0];
        EXPECT_EQ(style.Color(), clWindow) << key[0];
        EXPECT_EQ(style.TextStyles()->Count(), 6);
        EXPECT_EQ(style.ParaStyles()->Count(), 2);
        EXPECT_EQ(style.ListStyles()->Count(), 0);
    }
}

TEST(StyleSheetTest, IniFilesAndTheSettingsStore)
{
    TempDir dir;
    TRVStyle style(nullptr);
    style.TextStyles()->Items(0)->SetFontName("  Spaced \"Name\"  ");
    style.TextStyles()->Items(1)->SetStyleName("Line\r\nBreak");
    style.SetPageBreakColor(clRed);
    const AnsiString file = dir.File("style.ini");
    style.SaveINI(file, "Look");
    const AnsiString text = dir.Read("style.ini");
    EXPECT_NE(text.find("[Look]"), AnsiString::npos);
    EXPECT_EQ(text.find("Line\r\nBreak"), AnsiString::npos);

    TRVStyle back(nullptr);
    back.LoadINI(file, "Look");
    EXPECT_EQ(back.PageBreakColor(), clRed);
    EXPECT_EQ(back.TextStyles()->Items(0)->FontName(), "  Spaced \"Name\"  ");
    EXPECT_EQ(back.TextStyles()->Items(1)->StyleName(), "Line  Break");

    // Saving replaces the section: keys of a longer style sheet do not stay.
    back.TextStyles()->Add()->SetSize(40);
    back.SaveINI(file, "Look");
    style.SaveINI(file, "Look");
    TIniFile check(file);
    EXPECT_FALSE(check.ValueExists("Look", "FontSize6"));

    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const AnsiString saved = oldConfig ? oldConfig : "";
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    style.SaveReg("Software\\Kelvor");
    TRVStyle fromReg(nullptr);
    fromReg.LoadReg("Software\\Kelvor");
    EXPECT_EQ(fromReg.PageBreakColor(), clRed);
    EXPECT_EQ(fromReg.TextStyles()->Items(0)->FontName(), "  Spaced \"Name\"  ");
    TIniFile store(RegistryStoreFileName());
    EXPECT_TRUE(store.ValueExists("Software\\Kelvor\\RVStyle", "PageBreakColor"));
    if (oldConfig)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");

    // A file that cannot be written reports it.
    EXPECT_THROW(style.SaveINI(dir.Path() + "/no/such/folder/x.ini", "S"), EIniFileException);
}

TEST(StyleSheetTest, TheHyperlinkStylesTakeTheSheetsCursor)
{
    TRVStyle style(nullptr);
    style.SetJumpCursor(-5);
    style.ResetTextStyles();
    EXPECT_EQ(style.TextStyles()->Items(4)->JumpCursor(), -5);
    EXPECT_EQ(style.TextStyles()->Items(0)->JumpCursor(), crJump);
}
