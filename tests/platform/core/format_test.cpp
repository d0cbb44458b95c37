// Format: the conversions the system uses, their errors, and floats that ignore the locale.
#include "platform/core/sysutils.h"

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

TEST(Format, BasicConversions)
{
    EXPECT_EQ(Format("%d %s %x %%", {42, "abc", 255}), "42 abc FF %");
    EXPECT_EQ(Format("List index out of bounds (%d)", {-1}), "List index out of bounds (-1)");
    EXPECT_EQ(Format("%s=%d", {AnsiString("Width"), 7}), "Width=7");
    EXPECT_EQ(Format("no specifiers", {}), "no specifiers");
    EXPECT_EQ(Format("%u", {3000000000u}), "3000000000");
    EXPECT_EQ(Format("%c%c", {'o', 107}), "ok");
    EXPECT_EQ(Format("%d", {INT_MIN}), "-2147483648");
    EXPECT_EQ(Format("%d", {static_cast<int64_t>(-9223372036854775807LL - 1)}), "-9223372036854775808");
}

TEST(Format, StarTakesWidthAndPrecisionFromTheArguments)
{
    EXPECT_EQ(Format("%*d|", {6, 12}), "    12|");
    EXPECT_EQ(Format("%.*x", {4, 10}), "000A");
    EXPECT_EQ(Format("%-*s|", {3, "a"}), "a  |");
    EXPECT_THROW(Format("%*d", {"x", 1}), EConvertError);
    EXPECT_THROW(Format("%*d", {2000000000, 1}), EConvertError); // no gigabyte of blanks
}

TEST(Format, NegativeHexIsTheThirtyTwoBitPatternInUpperCase)
{
    EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
    EXPECT_EQ(Format("%x", {INT_MIN}), "80000000");
    EXPECT_EQ(Format("%X", {-2}), "FFFFFFFE");
    EXPECT_EQ(Format("%x", {static_cast<int64_t>(-4294967296LL)}), "FFFFFFFF00000000");
    EXPECT_EQ(Format("%x", {0xFFFFFFFF80000000ULL}), "FFFFFFFF80000000"); // unsigned stays as it is
    EXPECT_EQ(Format("%u", {-1}), "4294967295");
}

TEST(Format, MismatchedOrMissingArgumentsRaise)
{
    EXPECT_THROW(Format("%d", {"text"}), EConvertError);
    EXPECT_THROW(Format("%s", {5}), EConvertError);
    EXPECT_THROW(Format("%x", {1.5}), EConvertError);
    EXPECT_THROW(Format("%d %d", {1}), EConvertError);
    EXPECT_THROW(Format("%d", {}), EConvertError);
    EXPECT_THROW(Format("100%", {}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
    EXPECT_THROW(Format("%-", {1}), EConvertError);
    try {
        Format("%d", {"x"});
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
    }
    // Arguments left over are ignored, as in the class library.
    EXPECT_EQ(Format("%d", {1, 2}), "1");
}

TEST(Format, Floats)
{
    EXPECT_EQ(Format("%f", {1.5}), "1.50");
    EXPECT_EQ(Format("%.1f", {2.25}), "2.2"); // exact binary half: to even
    EXPECT_EQ(Format("%.3f", {-0.5}), "-0.500");
    EXPECT_EQ(Format("%.0f", {1e20}), "100000000000000000000");
    EXPECT_EQ(Format("%g", {0.1}), "0.1");
    EXPECT_EQ(Format("%e", {12345.0}), "1.23e+04");
    EXPECT_EQ(Format("%E", {12345.0}), "1.23E+04");
    EXPECT_EQ(Format("%7.2f|", {3.14159}), "   3.14|");
    EXPECT_EQ(Format("%f", {3}), "3.00"); // an integer is accepted for a float
    EXPECT_EQ(Format("%.2f", {1e300}).size(), 304u);
}

namespace {

// A locale whose decimal point is a comma for LC_NUMERIC: an installed one, or
// one compiled into the temporary folder when the locale sources are there.
bool UseDecimalCommaLocale(const TempDir& dir)
{
    const auto comma = [] { return std::string(std::localeconv()->decimal_point) == ","; };
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
        if (std::setlocale(LC_NUMERIC, name) && comma())
            return true;
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    setenv("LOCPATH", dir.Path().c_str(), 1);
    const bool ok = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && comma();
    unsetenv("LOCPATH");
    return ok;
}

} // namespace

// The Qt application calls setlocale(LC_ALL, ""); a locale with a decimal comma
// must not change the text.
TEST(Format, FloatsIgnoreTheProcessLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    TempDir dir;
    if (!UseDecimalCommaLocale(dir))
        GTEST_SKIP() << "no locale with a decimal comma can be had here";
    char check[16];
    std::snprintf(check, sizeof check, "%.1f", 1.5);
    EXPECT_STREQ(check, "1,5"); // the locale is in force for the C library
    EXPECT_EQ(Format("%.1f", {1.5}), "1.5");
    EXPECT_EQ(Format("%g", {2.75}), "2.75");
    EXPECT_EQ(Format("%e", {1.5}), "1.50e+00");
    std::setlocale(LC_NUMERIC, saved.c_str());
}
