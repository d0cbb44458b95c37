// Font faces through the system's font substitution: a face this system does
// not have is drawn with the face the font configuration gives for it (its
// metric-compatible substitute when one is installed), else with the fixed
// fallback of its kind; text measures the same under the asked name as under
// the substitute's; a family that several foundries ship is found by its name.
// The expected substitutes are fontconfig's own answers (fc-match); cases
// whose fonts are not installed skip.
#include <gtest/gtest.h>

#include <memory>

#include "platform/core/sysutils.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"
#include "tests/support/headlessbrowser.h"

namespace {

bool LiberationInstalled()
{
    return FontFamiliesInstalled({"Liberation Sans", "Liberation Mono", "Liberation Serif"});
}

bool DejaVuInstalled()
{
    return FontFamiliesInstalled({"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"});
}

// fontconfig's substitute for Name: the family it matches, or empty when that
// is only its default face (no substitute of its own).
std::string SystemSubstitute(const std::string& Name, bool Mono)
{
    const std::string Matched = FontConfigMatch(Name, Mono);
    return Matched == FontConfigMatch("", Mono) ? std::string() : Matched;
}

TEST(FontFaceTest, InstalledFacesAndFallbacksOfTheirKind)
{
    if (!DejaVuInstalled() || FontConfigMatch("", false).empty())
        GTEST_SKIP() << "the DejaVu fonts or fc-match are not installed";
    const std::string LucidaConsole = SystemSubstitute("Lucida Console", false);
    struct TCase {
        const char* Name;
        TFontPitch Pitch;
        const char* Face;
    };
    const TCase Cases[] = {
        {"DejaVu Serif", fpDefault, "DejaVu Serif"},
        {"dejavu sans mono", fpVariable, "DejaVu Sans Mono"},
        {"No Such Face 123", fpDefault, "DejaVu Sans"},
        {"No Such Face 123", fpFixed, "DejaVu Sans Mono"},
        {"Lucida Console", fpDefault, LucidaConsole.empty() ? "DejaVu Sans Mono" : LucidaConsole.c_str()},
        {"", fpDefault, "DejaVu Sans"},
    };
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ResolveFontFace(c.Name, c.Pitch), c.Face);
    }
}

TEST(FontFaceTest, FacesTheSystemSubstitutesAreDrawnWithTheirSubstitutes)
{
    if (!LiberationInstalled() || FontConfigMatch("", false).empty())
        GTEST_SKIP() << "the Liberation fonts or fc-match are not installed";
    // Whatever the configuration prefers (a metric-compatible family, or the
    // URW family of the same shapes where those are installed) is what is drawn.
    for (const char* Name : {"Arial", "Helvetica", "Times New Roman", "Courier New"}) {
        SCOPED_TRACE(Name);
        const std::string Face = SystemSubstitute(Name, false);
        if (Face.empty())
            continue;
        EXPECT_EQ(ResolveFontFace(Name, fpDefault), Face);
    }
    // Text in "Arial" has the substitute's metrics.
    const std::string ArialFace = SystemSubstitute("Arial", false);
    if (ArialFace.empty())
        return;
    TPixelBuffer Buffer(200, 50);
    std::unique_ptr<TCanvas> Canvas = CreateBufferCanvas(Buffer);
    Canvas->Font()->SetHeight(-40);
    Canvas->Font()->SetName(ArialFace);
    const int Substitute = Canvas->TextWidth("Metrics kept");
    Canvas->Font()->SetName("Arial");
    EXPECT_EQ(Canvas->TextWidth("Metrics kept"), Substitute);
    Canvas->Font()->SetName("DejaVu Sans");
    EXPECT_NE(Canvas->TextWidth("Metrics kept"), Substitute);
}

// Families that two foundries ship are listed by Qt with the foundry after
// the name ("Nimbus Sans [urw]"); documents and fontconfig name them alone.
TEST(FontFaceTest, FamiliesOfSeveralFoundriesAreFoundByTheirNames)
{
    if (!DejaVuInstalled())
        GTEST_SKIP() << "the DejaVu fonts are not installed";
    int Found = 0;
    for (const char* Family : {"Nimbus Sans", "Nimbus Roman", "Nimbus Mono PS", "C059", "P052"}) {
        SCOPED_TRACE(Family);
        if (FontConfigMatch(Family, false) != Family)
            continue;
        ++Found;
        EXPECT_EQ(ResolveFontFace(Family, fpDefault), Family);
        EXPECT_EQ(ResolveFontFace(LowerCase(Family), fpDefault), Family);
        // The family is drawn, not the fallback.
        TPixelBuffer Buffer(400, 60);
        std::unique_ptr<TCanvas> Canvas = CreateBufferCanvas(Buffer);
        Canvas->Font()->SetHeight(-40);
        Canvas->Font()->SetName(Family);
        const int Width = Canvas->TextWidth("Shapes of the family");
        Canvas->Font()->SetName("DejaVu Sans");
        EXPECT_NE(Canvas->TextWidth("Shapes of the family"), Width);
    }
    if (Found == 0)
        GTEST_SKIP() << "no family of two foundries (the URW fonts) is installed";
}

} // namespace
