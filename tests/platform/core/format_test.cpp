// Format: the conversions the system uses, their errors, and floats that ignore the locale.
#include "platform/core/sysutils.h"

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

TEST(Format, ConversionsWidthsAndFloats)
{
    struct Case {
        const char* format;
        std::initializer_list<TFormatArg> args;
        const char* expected;
    };
    const Case cases[] = {
        {"%d %s %x %%", {42, "abc", 255}, "42 abc FF %"},
        {"%s=%d", {AnsiString("Width"), 7}, "Width=7"},
        {"%u", {3000000000u}, "3000000000"},
        {"%c%c", {'o', 107}, "ok"},
        {"%d", {INT_MIN}, "-2147483648"},
        {"%d", {static_cast<int64_t>(-9223372036854775807LL - 1)}, "-9223372036854775808"},
        {"%*d|", {6, 12}, "    12|"},
        {"%.*x", {4, 10}, "000A"},
        {"%-*s|", {3, "a"}, "a  |"},
        // Negative hexadecimal is the thirty-two-bit pattern; unsigned stays as it is.
        {"%x", {-1}, "FFFFFFFF"},
        {"%x", {static_cast<int64_t>(-4294967296LL)}, "FFFFFFFF00000000"},
        {"%x", {0xFFFFFFFF80000000ULL}, "FFFFFFFF80000000"},
        {"%u", {-1}, "4294967295"},
        {"%d", {1, 2}, "1"},     // arguments left over are ignored
        {"%.1f", {2.25}, "2.2"}, // an exact binary half goes to even
        {"%f", {1.5}, "1.50"},
        {"%.0f", {1e20}, "100000000000000000000"},
        {"%g", {0.1}, "0.1"},
        {"%E", {12345.0}, "1.23E+04"},
        {"%7.2f|", {3.14159}, "   3.14|"},
        {"%f", {3}, "3.00"}, // an integer is accepted for a float
    };
    for (const Case& c : cases)
        EXPECT_EQ(Format(c.format, c.args), c.expected) << c.format;
    EXPECT_EQ(Format("%.2f", {1e300}).size(), 304u);
}

TEST(Format, MismatchedOrMissingArgumentsRaise)
{
    // An aggregate, so that the argument lists live as long as the table.
    const struct {
        const char* format;
        std::initializer_list<TFormatArg> args;
    } cases[] = {
        {"%d", {"text"}}, {"%s", {5}}, {"%x", {1.5}},     {"%d %d", {1}},           {"%d", {}}, {"100%", {}},
        {"%q", {1}},      {"%-", {1}}, {"%*d", {"x", 1}}, {"%*d", {2000000000, 1}}, // no gigabyte of blanks
    };
    for (const auto& c : cases)
        EXPECT_THROW(Format(c.format, c.args), EConvertError) << c.format;
    try {
        Format("%d", {"x"});
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
    }
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
