// Font faces through the system's font substitution: a face this system does
// not have is drawn with the face the font configuration gives for it (its
// metric-compatible substitute when one is installed), else with the fixed
// fallback of its kind; text measures the same under the asked name as under
// the substitute's. The cases that need the Liberation fonts skip without them.
#include <gtest/gtest.h>

#include <memory>

#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"
#include "tests/support/headlessbrowser.h"

namespace {

bool LiberationInstalled()
{
    return FontFamiliesInstalled({"Liberation Sans", "Liberation Mono", "Liberation Serif"});
}

TEST(FontFaceTest, InstalledFacesAndFallbacksOfTheirKind)
{
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
        {"Lucida Console", fpDefault, "DejaVu Sans Mono"},
        {"", fpDefault, "DejaVu Sans"},
    };
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ResolveFontFace(c.Name, c.Pitch), c.Face);
    }
}

TEST(FontFaceTest, FacesTheSystemSubstitutesAreDrawnWithTheirSubstitutes)
{
    if (!LiberationInstalled())
        GTEST_SKIP() << "the Liberation fonts are not installed";
    struct TCase {
        const char* Name;
        const char* Face;
    };
    const TCase Cases[] = {{"Arial", "Liberation Sans"},
                           {"Helvetica", "Liberation Sans"},
                           {"Times New Roman", "Liberation Serif"},
                           {"Courier New", "Liberation Mono"}};
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ResolveFontFace(c.Name, fpDefault), c.Face);
    }
    // Text in "Arial" has the substitute's metrics.
    TPixelBuffer Buffer(200, 50);
    std::unique_ptr<TCanvas> Canvas = CreateBufferCanvas(Buffer);
    Canvas->Font()->SetHeight(-40);
    Canvas->Font()->SetName("Liberation Sans");
    const int Substitute = Canvas->TextWidth("Metrics kept");
    Canvas->Font()->SetName("Arial");
    EXPECT_EQ(Canvas->TextWidth("Metrics kept"), Substitute);
    Canvas->Font()->SetName("DejaVu Sans");
    EXPECT_NE(Canvas->TextWidth("Metrics kept"), Substitute);
}

} // namespace
