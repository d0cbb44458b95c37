// The hostile-input benchmark's lines: width-1 lines, outlines and figures on
// a 100 x 100 image of the Qt canvas whose ends lie 1,000 times further out
// than in the smaller case (up to 5 * 10^7 pixels away), dotted, dashed and in
// XOR mode. What shows is the same at both sizes, so the cost should be too.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/hostile_bench.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"

namespace hostile {

namespace {

struct TLineCase {
    const char* Name;
    TPenStyle Style;
    TPenMode Mode;
    // Draws the figure with its far ends D pixels away.
    std::function<void(TCanvas&, int)> Draw;
};

// Seconds of this thread's processor time that Draws draws of the figure take.
double DrawTime(TCanvas& canvas, const TLineCase& c, int d, int draws)
{
    const double start = ThreadSeconds();
    for (int i = 0; i < draws; ++i)
        c.Draw(canvas, d);
    return ThreadSeconds() - start;
}

} // namespace

double LineCosts()
{
    const std::vector<TLineCase> cases = {
        {"diagonal line, dotted", psDot, pmCopy,
         [](TCanvas& c, int d) {
             c.MoveTo(0, 0);
             c.LineTo(d, d / 2);
         }},
        {"diagonal line through the image, XOR", psSolid, pmXor,
         [](TCanvas& c, int d) {
             c.MoveTo(50 - d, 50 - d / 3);
             c.LineTo(50 + d, 50 + d / 3);
         }},
        {"rectangle outline, dashed", psDash, pmCopy, [](TCanvas& c, int d) { c.Rectangle(10, 10, d, d); }},
        {"polygon outline, dash-dot", psDashDot, pmCopy,
         [](TCanvas& c, int d) {
             c.Polygon({{5, 5}, {d, d / 7}, {d / 5, d}});
         }},
        {"focus rectangle", psSolid, pmCopy, [](TCanvas& c, int d) { c.DrawFocusRect(Rect(-d, 20, d, d)); }},
    };
    const int nearby = 50000, far = 50000000, draws = 2000, rounds = 7;
    TPixelBuffer image(100, 100);
    std::unique_ptr<TCanvas> canvas = CreateBufferCanvas(image);
    canvas->Brush()->SetStyle(bsClear);
    double worst = 0;
    for (const TLineCase& c : cases) {
        canvas->Pen()->SetStyle(c.Style);
        canvas->Pen()->SetMode(c.Mode);
        // Near and far in turn, the one that goes first changing every
        // round; the ratio is the median of the rounds' ratios.
        std::vector<double> ratios;
        double best[2] = {1e30, 1e30};
        for (int round = 0; round <= rounds; ++round) {
            double seconds[2];
            for (int k = 0; k < 2; ++k) {
                const int which = (round + k) % 2;
                seconds[which] = DrawTime(*canvas, c, which == 0 ? nearby : far, draws);
            }
            if (round == 0)
                continue; // warming up
            best[0] = std::min(best[0], seconds[0]);
            best[1] = std::min(best[1], seconds[1]);
            ratios.push_back(seconds[1] / std::max(seconds[0], 1e-9));
        }
        const double ratio = Median(ratios);
        std::printf("lines, %s, ends %d / %d pixels out on a 100 x 100 image, %d draws: %.6f s / %.6f s, "
                    "ratio (median of rounds) %.2f\n",
                    c.Name, nearby, far, draws, best[0], best[1], ratio);
        worst = std::max(worst, ratio);
    }
    return worst;
}

} // namespace hostile
