// Text styles on the recording canvas: font selection and the drawing of runs.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
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

// Absurd scales from files stay within range; no scale leaves the width free.
TEST_F(TextDrawTest, CharScaleStaysInRange)
{
    TFontInfo* wide = Add();
    for (int scale : {INT32_MAX, 200, 100, -300}) {
        wide->SetCharScale(scale);
        wide->Apply(&Canvas, rvbdUnspecified);
        EXPECT_GE(Canvas.Font()->Width(), 0) << scale;
        EXPECT_EQ(Canvas.Font()->Width() > 0, scale > 100) << scale;
    }
}

// In a print preview a run is stretched or squeezed to its width after the
// space before it: every character is placed (also when far narrower than
// measured), one character and runs with a direction of their own are not.
TEST_F(TextDrawTest, PreviewRunsFillTheirWidth)
{
    TFontInfo* f = Add();
    const struct {
        const char16_t* Text;
        bool Unicode;
        int SpaceBefore, Width;
    } Cases[] = {
        {u"abc", false, 0, 26},    {u"abc", false, 4, 30}, {u"abcd", false, 0, 24},
        {u"abcdef", false, 0, 10}, {u"abc", false, 0, 21}, {u"xyz", true, 0, 26},
    };
    for (const auto& c : Cases) {
        const std::u16string text = c.Text;
        SCOPED_TRACE(std::string(text.begin(), text.end()) + " " + std::to_string(c.Width));
        f->SetUnicode(c.Unicode);
        AnsiString ansi(text.begin(), text.end());
        DrawRun(f, c.Unicode ? Raw(text) : ansi, c.SpaceBefore, 10, 5, c.Width, 13, {}, true, true);
        const TCanvasRecord& t = OnlyText();
        EXPECT_EQ(t.X, 10 + c.SpaceBefore);
        ASSERT_EQ(t.Advances.size(), text.size());
        int sum = 0;
        for (int a : t.Advances)
            sum += a;
        EXPECT_EQ(sum, c.Width - c.SpaceBefore);
        EXPECT_LE(*std::max_element(t.Advances.begin(), t.Advances.end()) -
                      *std::min_element(t.Advances.begin(), t.Advances.end()),
                  1);
    }
    f->SetUnicode(false);
    DrawRun(f, "a", 0, 0, 0, 40, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{7}));
    f->SetBiDiMode(rvbdLeftToRight);
    DrawRun(f, "abc", 0, 0, 0, 26, 13, {}, true, true);
    EXPECT_EQ(OnlyText().Advances, (std::vector<int>{7, 7, 7}));
}

// An empty selected run fills its space in the unselected colours, or not
// at all without a background; drawing lines restores the pen.
TEST_F(TextDrawTest, EmptySelectedRunAndRestoredPen)
{
    TFontInfo* f = Add();
    f->SetBackColor(clYellow);
    DrawRun(f, "", 5, 10, 20, 5, 13, {rvtsSelected, rvtsControlFocused});
    const auto fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0]->Brush.Color, clYellow);
    f->SetBackColor(clNone);
    DrawRun(f, "", 5, 10, 20, 5, 13, {rvtsSelected, rvtsControlFocused});
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::FillRect).empty());

    f->SetStyle({fsUnderline});
    DrawRun(f, "ab", 4, 10, 20, 18, 13);
    EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::Line).size(), 1u);
    EXPECT_EQ(Canvas.Pen()->Style(), psSolid);
}

// A Unicode run draws its whole units: a trailing odd byte is left out whether
// the run is drawn plainly, stretched for the preview or spaced for a printer.
TEST_F(TextDrawTest, UnicodeRunsLeaveAnOddLastByteOut)
{
    TFontInfo* f = Add();
    f->SetUnicode(true);
    const struct {
        bool Printing, Preview;
        int Extra;
    } Cases[] = {{false, false, 0}, {true, true, 0}, {true, false, 2}};
    for (const auto& c : Cases) {
        SCOPED_TRACE(std::to_string(c.Printing) + std::to_string(c.Preview) + std::to_string(c.Extra));
        f->SetCharSpacing(c.Extra);
        for (const AnsiString& s : {Raw(u"xyz"), Raw(u"xyz") + "q"}) {
            DrawRun(f, s, 0, 10, 5, 30, 13, {}, c.Printing, c.Preview);
            const TCanvasRecord& t = OnlyText();
            EXPECT_EQ(t.Text, u"xyz");
            EXPECT_EQ(t.Width, c.Preview ? 30 : 21 + 3 * c.Extra);
        }
    }
}
