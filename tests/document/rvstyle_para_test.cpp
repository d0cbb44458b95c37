// Paragraph styles: the four-sided values, borders (with the exact lines they
// draw), backgrounds, comparison, similarity, searches, the invalid-item
// style and ini persistence.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/core/colors.h"
#include "platform/core/inifiles.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/document/doctestdata.h"

namespace {

// One pass of a border: the pen width and the rectangle its lines run along.
struct Pass {
    int Width;
    TRect R;
    bool operator==(const Pass& o) const { return Width == o.Width && R == o.R; }
};

std::ostream& operator<<(std::ostream& os, const Pass& p)
{
    return os << "{" << p.Width << ", (" << p.R.Left << "," << p.R.Top << "," << p.R.Right << ","
              << p.R.Bottom << ")}";
}

TRect Grown(TRect r, int by)
{
    return {r.Left - by, r.Top - by, r.Right + by, r.Bottom + by};
}

// The passes of a border with all sides visible, checking that every pass draws
// each side there and back, in the order top, right, bottom, left.
std::vector<Pass> Passes(const TRecordingCanvas& canvas)
{
    const auto lines = canvas.RecordsOf(TCanvasOp::Line);
    EXPECT_EQ(lines.size() % 8, 0u);
    std::vector<Pass> passes;
    for (size_t i = 0; i + 8 <= lines.size(); i += 8) {
        const TPoint tl = lines[i]->Points[0];
        const TPoint br = lines[i + 2]->Points[1];
        const int l = tl.X, t = tl.Y, r = br.X, b = br.Y;
        const std::vector<std::pair<TPoint, TPoint>> expected = {
            {{l, t}, {r, t}}, {{r, t}, {l, t}}, {{r, t}, {r, b}}, {{r, b}, {r, t}},
            {{r, b}, {l, b}}, {{l, b}, {r, b}}, {{l, b}, {l, t}}, {{l, t}, {l, b}}};
        for (size_t k = 0; k < 8; ++k) {
            EXPECT_EQ(lines[i + k]->Points[0], expected[k].first) << "line " << i + k;
            EXPECT_EQ(lines[i + k]->Points[1], expected[k].second) << "line " << i + k;
            EXPECT_EQ(lines[i + k]->Pen.Width, lines[i]->Pen.Width);
            EXPECT_EQ(lines[i + k]->Pen.Style, psInsideFrame);
        }
        passes.push_back({lines[i]->Pen.Width, {l, t, r, b}});
    }
    return passes;
}

const TRect R0 = {10, 20, 110, 70};

std::vector<Pass> DrawBorder(TRVBorderStyle style, int width)
{
    TRVBorder border;
    border.SetStyle(style);
    border.SetWidth(width);
    TRecordingCanvas canvas;
    border.Draw(R0, &canvas);
    EXPECT_EQ(canvas.Pen()->Width(), 1);
    return Passes(canvas);
}

} // namespace

TEST(BorderTest, TotalWidths)
{
    TRVBorder b;
    b.SetWidth(2);
    b.SetInternalWidth(3);
    const std::pair<TRVBorderStyle, int> cases[] = {{rvbNone, 0},        {rvbSingle, 2},
                                                    {rvbDouble, 7},      {rvbTriple, 12},
                                                    {rvbThickInside, 9}, {rvbThickOutside, 9}};
    for (const auto& c : cases) {
        b.SetStyle(c.first);
        EXPECT_EQ(b.GetTotalWidth(), c.second) << c.first;
    }
}

// Each line is drawn round the rectangle; the thick line of "thick inside"
// is the inner one, of "thick outside" the outer one; on a device the widths
// and offsets scale.
TEST(BorderTest, LinesOfEveryStyle)
{
    EXPECT_TRUE(DrawBorder(rvbNone, 1).empty());
    EXPECT_EQ(DrawBorder(rvbSingle, 2), (std::vector<Pass>{{2, R0}}));
    EXPECT_EQ(DrawBorder(rvbTriple, 2), (std::vector<Pass>{{2, R0}, {2, Grown(R0, 2)}, {2, Grown(R0, 4)}}));
    EXPECT_EQ(DrawBorder(rvbThickInside, 2), (std::vector<Pass>{{4, R0}, {2, Grown(R0, 2)}}));
    EXPECT_EQ(DrawBorder(rvbThickOutside, 2), (std::vector<Pass>{{2, R0}, {4, Grown(R0, 2)}}));

    TRVBorder border;
    border.SetWidth(2);
    border.SetStyle(rvbDouble);
    border.BorderOffsets()->SetLeft(2);
    TRecordingCanvas canvas(2000, 2000, 600);
    border.DrawSaD(R0, &canvas, TRVScreenAndDevice{96, 96, 600, 600, 0, 0}, rvcmColor);
    const TRect r = {10 - 13, 20, 110, 70};
    EXPECT_EQ(Passes(canvas), (std::vector<Pass>{{13, r}, {13, Grown(r, 12)}}));
}

TEST(BorderTest, HiddenSidesColoursAndOffsets)
{
    TRVBorder border;
    border.SetStyle(rvbSingle);
    border.SetColor(clWindowText);
    border.VisibleBorders()->SetValues(false, true, false, true);
    border.BorderOffsets()->SetAll(5);
    TRecordingCanvas canvas;
    border.Draw(R0, &canvas);
    const auto lines = canvas.RecordsOf(TCanvasOp::Line);
    ASSERT_EQ(lines.size(), 4u);
    // Top, then bottom, on the rectangle widened by the offsets.
    EXPECT_EQ(lines[0]->Points[0], (TPoint{5, 15}));
    EXPECT_EQ(lines[2]->Points[0], (TPoint{115, 75}));
}

TEST(ParaStyleTest, ExtraLineSpacingAndEquality)
{
    TRVStyle style(nullptr);
    TParaInfo* p = style.ParaStyles()->Add();
    EXPECT_FALSE(p->ExtraLineSpacing());
    p->SetLineSpacingType(rvlsSpaceBetween);
    p->SetLineSpacing(0);
    EXPECT_FALSE(p->ExtraLineSpacing());
    p->SetLineSpacing(1);
    EXPECT_TRUE(p->ExtraLineSpacing());

    TParaInfo q(nullptr);
    q.Assign(p);
    EXPECT_TRUE(q.IsSimpleEqual(p, false));
    q.SetNextParaNo(1);
    EXPECT_FALSE(q.IsSimpleEqual(p, false));
    EXPECT_TRUE(q.IsSimpleEqual(p, true));
    EXPECT_FALSE(q.IsEqual(p, {}));
    EXPECT_TRUE(q.IsEqual(p, {rvpiNextParaNo}));
    q.Background()->SetColor(clRed);
    EXPECT_FALSE(q.IsEqual(p, {rvpiNextParaNo}));
    EXPECT_TRUE(q.IsEqual(p, {rvpiNextParaNo, rvpiBackground_Color}));
    q.SetOptions({rvpaoReadOnly});
    EXPECT_TRUE(q.IsEqual(p, {rvpiNextParaNo, rvpiBackground_Color, rvpiReadOnly}));
    EXPECT_FALSE(q.IsEqual(p, {rvpiNextParaNo, rvpiBackground_Color, rvpiNoWrap}));
}

TEST(ParaStyleTest, InvalidItemIsFramedInRed)
{
    TRVStyle style(nullptr);
    style.ParaStyles()->Items(0)->SetFirstIndent(7);
    TParaInfo* bad = style.ParaStyles()->Items(2);
    EXPECT_EQ(bad, style.ParaStyles()->Items(-1));
    EXPECT_EQ(bad->FirstIndent(), 7);
    EXPECT_EQ(bad->Border()->Color(), clRed);
}

TEST(ParaStyleTest, IniKeys)
{
    TMemIniFile ini("");
    TParaInfo p(nullptr);
    p.SaveToINI(&ini, "S", "Para%s0");
    EXPECT_EQ(SectionValues(ini, "S"), (KeyValues{{"ParaStyleName0", "Paragraph Style"}}));
    p.Border()->VisibleBorders()->SetTop(false);
    TMemIniFile ini2("");
    p.SaveToINI(&ini2, "S", "Para%s0");
    EXPECT_EQ(SectionValues(ini2, "S"),
              (KeyValues{{"ParaStyleName0", "Paragraph Style"}, {"ParaBorderVisibleTop0", "No"}}));

    p.SetFirstIndent(-5);
    p.SetLeftIndent(1);
    p.SetRightIndent(2);
    p.SetSpaceBefore(3);
    p.SetSpaceAfter(4);
    p.SetLineSpacing(12);
    p.SetLineSpacingType(rvlsSpaceBetween);
    p.SetAlignment(rvaJustify);
    p.SetNextParaNo(1);
    p.SetBiDiMode(rvbdLeftToRight);
    p.SetOptions({rvpaoNoWrap, rvpaoReadOnly, rvpaoStyleProtect, rvpaoDoNotWantReturns});
    p.Border()->SetStyle(rvbTriple);
    p.Border()->SetColor(clBlue);
    p.Border()->SetWidth(3);
    p.Border()->SetInternalWidth(4);
    p.Border()->BorderOffsets()->SetLeft(6);
    p.Background()->SetColor(clYellow);
    p.Background()->BorderOffsets()->SetBottom(8);
    TMemIniFile ini3("");
    p.SaveToINI(&ini3, "S", "Para%s4");
    const auto keys = SectionMap(ini3, "S");
    EXPECT_EQ(keys.at("ParaBorderOffsetsLeft4"), "6");
    EXPECT_EQ(keys.at("ParaBackgroundOffsetsBottom4"), "8");
    EXPECT_EQ(keys.at("ParaLSType4"), "1");
    TParaInfo q(nullptr);
    q.LoadFromINI(&ini3, "S", "Para%s4");
    EXPECT_TRUE(q.IsSimpleEqual(&p, false));
    EXPECT_TRUE(q.IsEqual(&p, {}));

    // Out-of-range ordinals read as the defaults.
    ini3.WriteString("S", "ParaAlignment4", "9");
    ini3.WriteString("S", "ParaBorderStyle4", "-1");
    ini3.WriteString("S", "ParaLSType4", "2");
    q.LoadFromINI(&ini3, "S", "Para%s4");
    EXPECT_EQ(q.Alignment(), rvaLeft);
    EXPECT_EQ(q.Border()->Style(), rvbNone);
    EXPECT_EQ(q.LineSpacingType(), rvlsPercent);
}

TEST(ParaRectTest, DeviceRoundingAndPartialEquality)
{
    TRVRect r;
    r.SetLeft(1);
    r.SetTop(2);
    r.SetRight(3);
    r.SetBottom(4);
    TRect rect = {5, 0, 1, 9};
    r.AssignToRectIfGreater(rect);
    EXPECT_EQ(rect, (TRect{5, 2, 3, 9}));
    rect = {100, 100, 200, 200};
    r.InflateRectSaD(rect, TRVScreenAndDevice{96, 96, 600, 300, 0, 0});
    // 6.25 -> 6; 6.25 -> 6; 18.75 -> 19; 12.5 -> 13.
    EXPECT_EQ(rect, (TRect{94, 94, 219, 213}));

    TRVRect o;
    o.Assign(&r);
    o.SetTop(9);
    EXPECT_TRUE(o.IsEqualEx(&r, false, true, false, false));
    EXPECT_FALSE(o.IsEqualEx(&r, true, false, true, true));
    EXPECT_THROW(o.Assign(nullptr), EConvertError);
}
