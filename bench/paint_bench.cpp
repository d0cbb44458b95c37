// A laid-out document painted screen by screen: lines of 100 characters in a
// plain style, in an all-capitals style and in a Unicode style, each line
// wrapped into two draw items. On the recording canvas the time is that of the
// painter and the text styles' drawing, the canvas only logging what it is
// told; on a bitmap's canvas it adds the platform's text drawing. Built, not
// run by CI.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/graphics/bitmap.h"
#include "tests/support/testrvfdata.h"

namespace {

constexpr int ScreenWidth = 400;
constexpr int ScreenHeight = 600;
constexpr int Lines = 2000;

enum TTextKind { tkPlain, tkAllCaps, tkUnicode };

// A document of Lines lines of text of the kind asked for, laid out at the
// screen's width on the data's own recording canvas.
struct TPaintDoc {
    TRVStyle Style{nullptr};
    TTestRVFData Data{&Style};
    explicit TPaintDoc(int64_t kind)
    {
        const int StyleNo = Style.TextStyles()->Count();
        TFontInfo* Font = Style.TextStyles()->Add();
        Font->SetStyleEx(kind == tkAllCaps ? TRVFontStyles{rvfsAllCaps} : TRVFontStyles{});
        Font->SetUnicode(kind == tkUnicode);
        Data.Width = ScreenWidth;
        Data.Height = ScreenHeight;
        std::string Line;
        for (int c = 0; Line.size() < 100; ++c)
            Line += c % 6 == 5 ? ' ' : static_cast<char>('a' + c % 26);
        for (int i = 0; i < Lines; ++i) {
            if (kind == tkUnicode)
                Data.AddNLWTag(WideString(Line.begin(), Line.end()), StyleNo, 0, TRVTag());
            else
                Data.AddNL(Line, StyleNo, 0);
        }
        Data.FormatAll();
    }
    // Paints the screen at the data's offset and moves it one screen down.
    void PaintScreen(TCanvas* canvas)
    {
        Data.PaintTo(canvas, Rect(0, 0, ScreenWidth, ScreenHeight));
        Data.VOffs += ScreenHeight;
        if (Data.VOffs + ScreenHeight > Data.DocumentHeight)
            Data.VOffs = 0;
    }
};

// Scrolls through the document on the recording canvas, one screen per iteration.
void BM_DocumentScreenPaint(benchmark::State& state)
{
    TPaintDoc Doc(state.range(0));
    TRecordingCanvas Canvas(ScreenWidth, ScreenHeight, 96);
    for (auto _ : state) {
        Canvas.Clear();
        Doc.PaintScreen(&Canvas);
        benchmark::DoNotOptimize(Canvas.Count());
    }
    state.counters["draw items"] = Doc.Data.DrawItems.Count();
}
BENCHMARK(BM_DocumentScreenPaint)
    ->Arg(tkPlain)
    ->Arg(tkAllCaps)
    ->Arg(tkUnicode)
    ->Unit(benchmark::kMicrosecond);

// The same on a 32-bit bitmap's canvas, after one screen that sets up the
// toolkit's fonts and glyphs.
void BM_DocumentScreenPaintOnBitmap(benchmark::State& state)
{
    TPaintDoc Doc(state.range(0));
    TBitmap Bitmap;
    Bitmap.SetPixelFormat(pf32bit);
    Bitmap.SetSize(ScreenWidth, ScreenHeight);
    Doc.PaintScreen(Bitmap.Canvas());
    for (auto _ : state)
        Doc.PaintScreen(Bitmap.Canvas());
}
BENCHMARK(BM_DocumentScreenPaintOnBitmap)
    ->Arg(tkPlain)
    ->Arg(tkAllCaps)
    ->Arg(tkUnicode)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
