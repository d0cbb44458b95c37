// An Arabic log line in a viewer on a real X server: the screenshot of its
// draw item shows the letters joined, as the toolkit draws the same string in
// the same font, and within the width the layout gave it. Skipped when Xvfb or
// a font with Arabic letters is missing.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/codepages.h"
#include "platform/core/numbers.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/inkmatch.h"
#include "tests/support/pumpevents.h"
#include "tests/support/xvfbchild.h"
#include "view/rollview.h"

namespace {

// "error: " and "the file was not found" in Arabic, in UTF-8 as a log holds it.
const char* const kLine = "error: \xd9\x84\xd9\x85 \xd9\x8a\xd9\x88\xd8\xac\xd8\xaf \xd8\xa7\xd9\x84\xd9\x85"
                          "\xd9\x84\xd9\x81";

} // namespace

TEST(RollViewShapingXvfbTest, AnArabicLineShowsJoinedAsTheToolkitDrawsIt)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (InstalledFamilyFor(":lang=ar").empty())
        GTEST_SKIP() << "no installed font covers Arabic";
    const TXvfbRun run = RunUnderXvfb("RollViewShapingXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "joined");
}

TEST(RollViewShapingXvfbChildTest, ArabicLineMatchesTheReference)
{
    if (!InXvfbChild())
        GTEST_SKIP() << "runs under the Xvfb test";
    const std::string family = InstalledFamilyFor(":lang=ar");
    ASSERT_FALSE(family.empty());
    SetACP(CP_UTF8);
    TForm form(nullptr);
    form.SetBounds(40, 40, 420, 160);
    auto* style = new TRVStyle(&form);
    style->SetColor(clWhite);
    TFontInfo* text = style->TextStyles()->Items(0);
    text->SetColor(clBlack);
    text->SetFontName(family);
    text->SetSize(15);
    auto* view = new TRollView(&form);
    view->SetAlign(alClient);
    view->SetStyle(style);
    view->SetParent(&form);
    view->AddNL(kLine, 0, 0);
    form.Show();
    ASSERT_TRUE(WaitUntil([&] { return WindowExposed(&form); }, WaitDeadlineMs, PumpEvents))
        << "the window did not map";
    view->Format();
    view->Update();
    TPixelBuffer pixels;
    ASSERT_TRUE(GrabWindow(view, pixels));
    TRect window;
    ASSERT_TRUE(GetWindowRect(view->Handle(), window));
    const TPoint client = view->ClientOrigin();
    const TRVDrawLineInfo* dli = view->RVData->DrawItems[view->RVData->GetItem(0)->DrawItemNo];
    ASSERT_GT(dli->Width, 0);
    // The draw item's cell, and a margin around it inside the document's own
    // margins (5 pixels), which must stay blank.
    const int margin = 4;
    const int width = dli->Width + 2 * margin;
    const int height = dli->Height + 2 * margin;
    const int x0 = client.X - window.Left + dli->Left - margin;
    const int y0 = client.Y - window.Top + dli->Top - margin;
    auto shot = [&](int x, int y) {
        const int px = x0 + x, py = y0 + y;
        return px >= 0 && py >= 0 && px < pixels.Width && py < pixels.Height ? pixels.At(px, py)
                                                                             : 0xFFFFFFFFu;
    };
    const TInk ours(width, height, shot);
    ASSERT_GT(ours.Count, 0) << "no text where the layout put the line";
    EXPECT_GE(ours.Left, margin - 1);
    EXPECT_LE(ours.Right, margin + dli->Width);

    // The toolkit draws the same string in the same face and pixel size.
    QImage reference(width, height, QImage::Format_ARGB32_Premultiplied);
    reference.fill(Qt::white);
    QFont font(QString::fromStdString(family));
    font.setPixelSize(MulDiv(15, 96, 72));
    font.setKerning(false);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    {
        QPainter p(&reference);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPointF(margin, margin + QFontMetrics(font).ascent()), QString::fromUtf8(kLine));
    }
    const TInk theirs(width, height,
                      [&](int x, int y) { return static_cast<uint32_t>(reference.pixel(x, y)); });
    ASSERT_GT(theirs.Count, 0);
    EXPECT_NEAR(ours.Right - ours.Left, theirs.Right - theirs.Left, 4);
    EXPECT_LT(InkMismatch(ours, theirs), 0.05) << "unmatched share of ink";
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("joined");
}
