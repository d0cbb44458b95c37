// Text styles on the recording canvas: font selection, colours for every
// drawing state and colour mode, and the drawing of runs.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/core/colors.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/recordingcanvas.h"

namespace {

class TextDrawTest : public ::testing::Test {
protected:
    TRVStyle Style{nullptr};
    TRecordingCanvas Canvas;

    TFontInfo* Add()
    {
        TFontInfo* f = Style.TextStyles()->Add();
        return f;
    }
    int No(const TFontInfo* f) { return f->Index(); }
    // Applies the style's font and colours as the painting code does, then draws.
    void DrawRun(TFontInfo* f, const AnsiString& s, int spaceBefore, int left, int top, int width, int height,
                 TRVTextDrawStates state = {}, bool printing = false, bool preview = false)
    {
        Style.ApplyStyle(&Canvas, No(f), rvbdUnspecified);
        Style.ApplyStyleColor(&Canvas, No(f), state, printing, rvcmColor);
        Canvas.Clear();
        f->Draw(s, &Canvas, No(f), spaceBefore, left, top, width, height, &Style, state, printing, preview,
                rvcmColor, rvbdUnspecified);
    }
    const TCanvasRecord& OnlyText()
    {
        const auto texts = Canvas.RecordsOf(TCanvasOp::Text);
        EXPECT_EQ(texts.size(), 1u);
        return *texts.at(0);
    }
};

AnsiString Raw(const std::u16string& w)
{
    AnsiString s;
    for (char16_t c : w) {
        s.push_back(static_cast<char>(c & 0xFF));
        s.push_back(static_cast<char>(c >> 8));
    }
    return s;
}

} // namespace

TEST_F(TextDrawTest, TheCollectionsResolutionWinsOverTheCanvas)
{
    TFontInfo* f = Add();
    f->SetSize(12);
    TLogFont lf;
    f->AssignToLogFont(lf, &Canvas);
    EXPECT_EQ(lf.lfHeight, -16);
    Style.TextStyles()->SetPixelsPerInch(120);
    f->AssignToLogFont(lf, &Canvas);
    EXPECT_EQ(lf.lfHeight, -20);
    f->Apply(&Canvas, rvbdUnspecified);
    EXPECT_EQ(Canvas.Font()->Height(), -20);
}

TEST_F(TextDrawTest, CharScaleStretchesAndIsUndoneByTheNextStyle)
{
    TFontInfo* wide = Add();
    wide->SetCharScale(200);
    wide->SetStyle({fsBold});
    wide->Apply(&Canvas, rvbdUnspecified);
    EXPECT_EQ(Canvas.Font()->Width(), 14);
    EXPECT_EQ(Canvas.Font()->Height(), -13);
    EXPECT_EQ(Canvas.Font()->Style(), TFontStyles{fsBold});
    Canvas.TextOutA(0, 0, "ab", 2);
    EXPECT_EQ(Canvas[0].Advances, (std::vector<int>{14, 14}));

    TFontInfo* narrow = Add();
    narrow->SetCharScale(50);
    narrow->Apply(&Canvas, rvbdUnspecified);
    EXPECT_EQ(Canvas.Font()->Width(), 3);

    TFontInfo* plain = Add();
    plain->Apply(&Canvas, rvbdUnspecified);
    EXPECT_EQ(Canvas.Font()->Width(), 0);

    // Absurd scales from files stay within range.
    wide->SetCharScale(INT32_MAX);
    wide->Apply(&Canvas, rvbdUnspecified);
    EXPECT_GT(Canvas.Font()->Width(), 0);
    wide->SetCharScale(-300);
    wide->Apply(&Canvas, rvbdUnspecified);
    EXPECT_EQ(Canvas.Font()->Width(), 0);
}

TEST_F(TextDrawTest, DirectionAndSpacing)
{
    TFontInfo* spaced = Add();
    spaced->SetCharSpacing(3);
    spaced->Apply(&Canvas, rvbdUnspecified);
    EXPECT_EQ(Canvas.GetTextCharacterExtra(), 3);
    EXPECT_EQ(Canvas.GetTextAlign() & TA_RTLREADING, 0u);

    // A direction of its own (or from the document) drops the spacing.
    spaced->Apply(&Canvas, rvbdRightToLeft);
    EXPECT_EQ(Canvas.GetTextCharacterExtra(), 0);
    EXPECT_EQ(Canvas.GetTextAlign(), static_cast<unsigned>(TA_RTLREADING));

    // The next style without a direction reads left to right again.
    spaced->Apply(&Canvas, rvbdUnspecified);
    EXPECT_EQ(Canvas.GetTextAlign() & TA_RTLREADING, 0u);

    TFontInfo* rtl = Add();
    rtl->SetBiDiMode(rvbdRightToLeft);
    rtl->SetCharSpacing(4);
    rtl->Apply(&Canvas, rvbdLeftToRight);
    EXPECT_EQ(Canvas.GetTextAlign(), static_cast<unsigned>(TA_RTLREADING));
    EXPECT_EQ(Canvas.GetTextCharacterExtra(), 0);
}

TEST_F(TextDrawTest, ApplyColorInEveryState)
{
    Style.SetSelColor(clNavy);
    Style.SetSelTextColor(clYellow);
    Style.SetInactiveSelColor(clGray);
    Style.SetInactiveSelTextColor(clSilver);
    TFontInfo* f = Add();
    f->SetColor(clRed);
    f->SetBackColor(clAqua);
    f->SetHoverColor(clLime);
    f->SetHoverBackColor(clFuchsia);

    auto check = [&](TRVTextDrawStates state, TColor font, TColor brush) {
        f->ApplyColor(&Canvas, &Style, state, false, rvcmColor);
        EXPECT_EQ(Canvas.Font()->Color(), font);
        EXPECT_EQ(Canvas.Brush()->Color(), brush);
        EXPECT_EQ(Canvas.Brush()->Style(), brush == clNone ? bsClear : bsSolid);
    };
    check({}, clRed, clAqua);
    check({rvtsSelected, rvtsControlFocused}, clYellow, clNavy);
    check({rvtsSelected}, clSilver, clGray);
    check({rvtsSelected, rvtsHover}, clSilver, clGray);
    check({rvtsHover}, clLime, clFuchsia);
    check({rvtsHover, rvtsControlFocused, rvtsItemStart}, clLime, clFuchsia);

    // A selection text colour of none shows the style's own colour.
    Style.SetSelTextColor(clNone);
    check({rvtsSelected, rvtsControlFocused}, clRed, clNavy);
    // Hover colours fall back to the style sheet's, then to the style's colour.
    f->SetHoverColor(clNone);
    Style.SetHoverColor(clTeal);
    check({rvtsHover}, clTeal, clFuchsia);
    Style.SetHoverColor(clNone);
    f->SetHoverBackColor(clNone);
    check({rvtsHover}, clRed, clNone);
    f->SetBackColor(clNone);
    check({}, clRed, clNone);
}

TEST_F(TextDrawTest, ApplyColorInEveryColourMode)
{
    TFontInfo* f = Add();
    auto check = [&](TRVColorMode mode, TColor font, TColor brush) {
        f->ApplyColor(&Canvas, &Style, {}, true, mode);
        EXPECT_EQ(Canvas.Font()->Color(), font) << mode;
        EXPECT_EQ(Canvas.Brush()->Color(), brush) << mode;
        EXPECT_EQ(Canvas.Brush()->Style(), brush == clNone ? bsClear : bsSolid) << mode;
    };
    f->SetColor(clWindowText);
    f->SetBackColor(clWindow);
    check(rvcmColor, clWindowText, clWindow);
    check(rvcmPrinterColor, clBlack, clWhite);
    check(rvcmGrayScale, clBlack, clWhite);
    // Background lighter than the text: black on white.
    check(rvcmBlackAndWhite, clBlack, clWhite);
    check(rvcmBlackOnWhite, clBlack, clNone);

    f->SetColor(clYellow);
    f->SetBackColor(clNavy);
    check(rvcmGrayScale, RV_GetGray(clYellow), RV_GetGray(clNavy));
    // Background darker than the text: white on black.
    check(rvcmBlackAndWhite, clWhite, clBlack);

    f->SetBackColor(clNone);
    check(rvcmBlackAndWhite, clBlack, clNone);
    f->SetColor(clWhite);
    check(rvcmBlackAndWhite, clWhite, clNone);
    check(rvcmPrinterColor, clWhite, clNone);
    // The screen ignores the colour mode.
    f->ApplyColor(&Canvas, &Style, {}, false, rvcmBlackOnWhite);
    EXPECT_EQ(Canvas.Font()->Color(), clWhite);
}

TEST_F(TextDrawTest, RunsGoOutAfterTheSpaceBefore)
{
    TFontInfo* f = Add();
    DrawRun(f, "abc", 0, 10, 5, 21, 13);
    EXPECT_TRUE(OnlyText().FromAnsi);
    EXPECT_EQ(OnlyText().X, 10);
    f->SetUnicode(true);
    DrawRun(f, Raw(u"\u0416x"), 3, 10, 5, 24, 13);
    EXPECT_EQ(OnlyText().Text, u"\u0416x");
    EXPECT_FALSE(OnlyText().FromAnsi);
    EXPECT_EQ(OnlyText().X, 13);
}

TEST_F(TextDrawTest, PreviewCorrectionStretchesOneTwoTwo)
{
    TFontInfo* f = Add();
    // "abc" measures 21; 5 pixels to spare over 3 characters: 1, 2, 2.
    DrawRun(f, "abc", 0, 10, 5, 26, 13, {}, true, true);
    const TCanvasRecord& t = OnlyText();
    EXPECT_EQ(t.Advances, (std::vector<int>{8, 9, 9}));
    EXPECT_EQ(t.X, 10);

    // The space before the text is not stretched into.
    DrawRun(f, "abc", 4, 10, 5, 30, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{8, 9, 9}));
    EXPECT_EQ(OnlyText().X, 14);

    // Narrower than measured: the characters give up space.
    DrawRun(f, "abcd", 0, 0, 0, 24, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{6, 6, 6, 6}));

    // Far narrower than measured: every character is still measured and placed
    // (not only those that fit in twice the width), and the run ends at its width.
    DrawRun(f, "abcdef", 0, 0, 0, 10, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{2, 2, 2, 2, 1, 1}));

    // Exactly as measured: drawn as it is.
    DrawRun(f, "abc", 0, 0, 0, 21, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{7, 7, 7}));
    // One character is never stretched.
    DrawRun(f, "a", 0, 0, 0, 40, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{7}));

    // Unicode text is stretched by code unit.
    f->SetUnicode(true);
    DrawRun(f, Raw(u"xyz"), 0, 0, 0, 26, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{8, 9, 9}));
    EXPECT_FALSE(OnlyText().FromAnsi);
}

TEST_F(TextDrawTest, PrintingWithDirectionIsNeverStretched)
{
    TFontInfo* f = Add();
    f->SetBiDiMode(rvbdLeftToRight);
    DrawRun(f, "abc", 0, 0, 0, 26, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{7, 7, 7}));
}

TEST_F(TextDrawTest, PrintingWithCharacterExtraPlacesEachCharacter)
{
    TFontInfo* f = Add();
    f->SetCharSpacing(3);
    DrawRun(f, "abc", 0, 0, 0, 30, 13, {}, true, false);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(Canvas.GetTextCharacterExtra(), 3);
    DrawRun(f, "a", 0, 0, 0, 10, 13, {}, true, false);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{10}));
}

// Printing fills the whole run first and draws the text transparent; the
// screen draws opaque text and fills the space before it.
TEST_F(TextDrawTest, BackgroundFills)
{
    TFontInfo* f = Add();
    f->SetBackColor(clYellow);
    DrawRun(f, "ab", 3, 10, 20, 17, 13, {}, true, false);
    ASSERT_EQ(Canvas.Count(), 2);
    EXPECT_EQ(Canvas[0].Rect, (TRect{10, 20, 27, 33}));
    EXPECT_FALSE(Canvas[1].Opaque);

    DrawRun(f, "ab", 5, 10, 20, 19, 13);
    ASSERT_EQ(Canvas.Count(), 2);
    EXPECT_TRUE(Canvas[0].Opaque);
    EXPECT_EQ(Canvas[1].Rect, (TRect{10, 20, 15, 33}));

    // An empty selected run fills its space in the unselected colours.
    DrawRun(f, "", 5, 10, 20, 5, 13, {rvtsSelected, rvtsControlFocused});
    const auto fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0]->Brush.Color, clYellow);
    f->SetBackColor(clNone);
    DrawRun(f, "", 5, 10, 20, 5, 13, {rvtsSelected, rvtsControlFocused});
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::FillRect).empty());
}

TEST_F(TextDrawTest, LinesRunUnderAndOverTheSpaceBefore)
{
    TFontInfo* f = Add();
    f->SetStyle({fsUnderline});
    f->SetColor(clBlue);
    DrawRun(f, "ab", 4, 10, 20, 18, 13);
    auto lines = Canvas.RecordsOf(TCanvasOp::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->Points[0].X, 10);
    EXPECT_EQ(lines[0]->Pen.Color, clBlue);
    EXPECT_EQ(Canvas.Pen()->Style(), psSolid) << "the pen is restored";
    DrawRun(f, "ab", 0, 10, 20, 14, 13);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::Line).empty());

    f->SetStyle({});
    f->SetStyleEx({rvfsOverline});
    Canvas.Metrics.UnderscoreSize = 2;
    DrawRun(f, "abc", 2, 10, 20, 23, 13);
    lines = Canvas.RecordsOf(TCanvasOp::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->Points[0], (TPoint{10, 20}));
    EXPECT_EQ(lines[0]->Points[1], (TPoint{33, 20}));
    EXPECT_EQ(lines[0]->Pen.Width, 2);
}

TEST_F(TextDrawTest, VerticalRun)
{
    TFontInfo* f = Add();
    f->SetBackColor(clYellow);
    f->SetStyleEx({rvfsOverline});
    Style.ApplyStyleColor(&Canvas, No(f), {}, false, rvcmColor);
    f->DrawVertical("ab", &Canvas, No(f), 4, 10, 20, 14, 13, &Style, {});
    ASSERT_EQ(Canvas.Count(), 3);
    EXPECT_EQ(Canvas[0].Y, 24) << "the space before is above the text";
    EXPECT_EQ(Canvas[2].Points[1], (TPoint{10, 34})) << "the overline runs down the side";
}
