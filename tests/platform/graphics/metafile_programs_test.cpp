// Metafiles written by LibreOffice, Inkscape and gnuplot, made afresh where
// the program is installed or kept as fixtures (each test skips without the
// program it needs), play whole and look as a program draws them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/png.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/picturecompare.h"
#include "tests/support/tempdir.h"
#include "tests/support/testdata.h"
#include "tests/support/xvfbchild.h"

namespace {

// Runs a shell command in Dir, its output dropped.
void RunIn(const TempDir& dir, const std::string& command)
{
    int status = 0;
    RunCommand("cd '" + dir.Path() + "' && " + command + " >/dev/null 2>&1", status);
}

// The metafile drawn at its own size on a white bitmap, expected to play
// every record.
TPixelBuffer Ours(const std::string& bytes)
{
    const auto metafile = metafilebuilder::LoadMetafile(bytes);
    TPixelBuffer pixels = metafilebuilder::ShownMetafile(*metafile, metafile->Width(), metafile->Height());
    EXPECT_TRUE(!metafile->LastPlay().Stopped && metafile->LastPlay().Records > 0) << "drawn whole";
    return pixels;
}

TPixelBuffer PngPixels(const std::string& file)
{
    TPNGImage png;
    png.LoadFromFile(file);
    const TPinnedPixels pixels = png.Pixels();
    return *pixels;
}

void ExpectLooksAlike(const TPixelBuffer& ours, const TPixelBuffer& theirs, int cols = 40, int rows = 30)
{
    const picturecompare::TCellComparison c = picturecompare::CompareCells(ours, theirs, cols, rows);
    EXPECT_GT(c.Coloured, c.Cells / 5) << "the drawing covers a good part of the picture";
    EXPECT_LT(c.Differ, c.Cells / 25) << c.Differ << " of " << c.Cells << " cells differ";
}

// Black where the pixels are near black, white elsewhere.
TPixelBuffer BlackInk(TPixelBuffer px)
{
    for (uint32_t& p : px.Pixels)
        p = picturecompare::Near(p, 0xFF000000u, 100) ? 0xFF000000u : 0xFFFFFFFFu;
    return px;
}

// A drawing of a slide's size: one rectangle filled with a gradient of a
// kind from blue to yellow, turned by 30 degrees, and a title over it.
std::string GradientDrawing(const std::string& kind)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.graphics">
<office:styles><draw:gradient draw:name="g1" draw:style=")" +
           kind + R"(" draw:cx="50%" draw:cy="50%" draw:start-color="#0000ff"
 draw:end-color="#ffff00" draw:start-intensity="100%" draw:end-intensity="100%" draw:angle="300"
 draw:border="0%"/></office:styles><office:automatic-styles>
<style:style style:name="gr1" style:family="graphic"><style:graphic-properties draw:stroke="none"
 draw:fill="gradient" draw:fill-gradient-name="g1"/></style:style>
<style:style style:name="gr2" style:family="graphic"><style:graphic-properties draw:stroke="none"
 draw:fill="none"/><style:text-properties fo:font-size="40pt" fo:color="#000000"/></style:style>
</office:automatic-styles><office:body><office:drawing><draw:page draw:name="p1">
<draw:rect draw:style-name="gr1" svg:x="0cm" svg:y="0cm" svg:width="28cm" svg:height="15.75cm"/>
<draw:frame draw:style-name="gr2" svg:x="2cm" svg:y="1cm" svg:width="24cm" svg:height="3cm">
<draw:text-box><text:p>Gradient title</text:p></draw:text-box></draw:frame>
</draw:page></office:drawing></office:body></office:document>)";
}

} // namespace

// Each of LibreOffice's gradients (linear, axial, radial, ellipsoid, square,
// rectangular) fills a slide with thousands of bands or rings: written in
// either format, it draws whole, title and all, as LibreOffice draws it.
TEST(MetafilePrograms, LibreOfficesGradientsAtSlideSizeDrawWhole)
{
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    TempDir Dir;
    const std::vector<std::string> Kinds = {"linear",    "axial",  "radial",
                                            "ellipsoid", "square", "rectangular"};
    const auto Files = [&](const std::string& extension) {
        std::vector<std::string> files;
        for (const std::string& Kind : Kinds)
            files.push_back(Kind + extension);
        return files;
    };
    for (const std::string& Kind : Kinds)
        Dir.Write(Kind + ".fodg", GradientDrawing(Kind));
    for (const std::string Format : {"emf", "wmf"}) {
        SCOPED_TRACE(Format);
        if (!LibreOfficeConvert(Dir.Path(), Format, Dir.Path(), Files(".fodg")) ||
            Dir.Read("linear." + Format).empty())
            GTEST_SKIP() << "LibreOffice cannot write metafiles here (no drawing component)";
        const std::string Out = Dir.Path() + "/" + Format;
        ASSERT_TRUE(LibreOfficeConvert(Dir.Path(), "png", Out, Files("." + Format)));
        for (const std::string& Kind : Kinds) {
            SCOPED_TRACE(Kind);
            ExpectLooksAlike(Ours(Dir.Read(Kind + "." + Format)), PngPixels(Out + "/" + Kind + ".png"));
        }
    }
}

// Inkscape's metafiles of a picture of two curves, a rectangle, a word and
// a small bitmap, in both formats, play whole and look as Inkscape draws
// the picture itself.
TEST(MetafilePrograms, InkscapesMetafilesLookAsInkscapeDrawsThePicture)
{
    const std::string Inkscape = FindProgram("inkscape");
    if (Inkscape.empty())
        GTEST_SKIP() << "Inkscape is not installed";
    TempDir Dir;
    Dir.Write("picture.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="240" height="120"
 viewBox="0 0 240 120"><path d="M 20 20 C 40 100 80 100 100 20 M 120 20 C 140 100 180 100 200 20"
 fill="none" stroke="#000000" stroke-width="4"/><rect x="20" y="80" width="60" height="30" fill="#ff0000"/>
<ellipse cx="170" cy="95" rx="40" ry="15" fill="#0000ff"/></svg>)");
    RunIn(Dir, "HOME='" + Dir.Path() + "' '" + Inkscape +
                   "' --export-type=emf,wmf,png --export-background=white --export-background-opacity=1 "
                   "picture.svg");
    if (Dir.Read("picture.png").empty() || Dir.Read("picture.emf").empty())
        GTEST_SKIP() << "Inkscape could not export here";
    const TPixelBuffer Theirs = PngPixels(Dir.Path() + "/picture.png");
    for (const char* Name : {"picture.emf", "picture.wmf"}) {
        SCOPED_TRACE(Name);
        ExpectLooksAlike(Ours(Dir.Read(Name)), Theirs, 24, 12);
    }
}

// gnuplot's plot of lines, points and labels plays whole and looks as
// LibreOffice draws it.
TEST(MetafilePrograms, GnuplotsPlotLooksAsLibreOfficeDrawsIt)
{
    const std::string Gnuplot = FindProgram("gnuplot");
    if (Gnuplot.empty())
        GTEST_SKIP() << "gnuplot is not installed";
    TempDir Dir;
    Dir.Write("plot.gp",
              "set terminal emf size 480,360 font \"Arial,12\"\nset output \"plot.emf\"\n"
              "set samples 80\nplot sin(x) title \"sin\" lw 3, cos(x) with points pt 7 title \"cos\"\n");
    RunIn(Dir, "'" + Gnuplot + "' plot.gp");
    if (Dir.Read("plot.emf").empty())
        GTEST_SKIP() << "gnuplot has no metafile terminal here";
    const TPixelBuffer Px = Ours(Dir.Read("plot.emf"));
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed to draw it";
    const std::string Out = Dir.Path() + "/png";
    ASSERT_TRUE(LibreOfficeConvert(Dir.Path(), "png", Out, {"plot.emf"}));
    ExpectLooksAlike(Px, PngPixels(Out + "/plot.png"), 24, 18);
}

// Kept as fixtures: gnuplot's histogram and boxes in fill patterns look as
// LibreOffice draws their outlines, axes and labels (it leaves out patterns
// without a table of colours), and Inkscape's lines 16 pixels wide with flat
// and square caps and mitered and bevelled turns as Inkscape draws the
// picture, in cells of 5 x 5 pixels (a round end or turn fills cells that
// Inkscape leaves white).
TEST(MetafilePrograms, GnuplotsFillPatternsPlotLooksAsLibreOfficeDrawsIt)
{
    const std::string File = TestDataPath("fixtures/metafile/gnuplot_patterns.emf");
    TempDir Dir;
    const TPixelBuffer Px = Ours(Dir.Read(File));
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed to draw it";
    const std::string Out = Dir.Path() + "/png";
    ASSERT_TRUE(LibreOfficeConvert(Dir.Path(), "png", Out, {File}));
    ExpectLooksAlike(BlackInk(Px), BlackInk(PngPixels(Out + "/gnuplot_patterns.png")), 24, 18);
}

TEST(MetafilePrograms, InkscapesCapsAndJoinsLookAsInkscapeDrawsThePicture)
{
    const std::string Inkscape = FindProgram("inkscape");
    if (Inkscape.empty())
        GTEST_SKIP() << "Inkscape is not installed";
    TempDir Dir;
    for (const char* Name : {"inkscape_caps_joins.svg", "inkscape_caps_joins.wmf"})
        Dir.Write(Name, Dir.Read(TestDataPath("fixtures/metafile/" + std::string(Name))));
    RunIn(Dir, "HOME='" + Dir.Path() + "' '" + Inkscape +
                   "' --export-type=png --export-background=white --export-background-opacity=1 "
                   "inkscape_caps_joins.svg");
    if (Dir.Read("inkscape_caps_joins.png").empty())
        GTEST_SKIP() << "Inkscape could not export here";
    ExpectLooksAlike(Ours(Dir.Read("inkscape_caps_joins.wmf")),
                     PngPixels(Dir.Path() + "/inkscape_caps_joins.png"), 48, 32);
}
