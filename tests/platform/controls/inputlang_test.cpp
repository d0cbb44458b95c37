// Keyboard-language notices: the character sets of languages and XKB layouts,
// and the layout of a group (the focused editor's answer is tested with the editor).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/inputlang.h"

namespace {

struct TNamed {
    const char* Name;
    TFontCharset Charset;
};

TEST(InputLanguage, LanguagesGiveTheCharsetsOfTheirScripts)
{
    const std::vector<TNamed> cases{
        {"ru", RUSSIAN_CHARSET},    {"uk_UA", RUSSIAN_CHARSET}, {"BG", RUSSIAN_CHARSET},
        {"el", GREEK_CHARSET},      {"tr-TR", TURKISH_CHARSET}, {"cs", EASTEUROPE_CHARSET},
        {"pl", EASTEUROPE_CHARSET}, {"lt", BALTIC_CHARSET},     {"he", HEBREW_CHARSET},
        {"ar", ARABIC_CHARSET},     {"th", THAI_CHARSET},       {"vi", VIETNAMESE_CHARSET},
        {"en_US", ANSI_CHARSET},    {"de", ANSI_CHARSET},       {"ja", ANSI_CHARSET},
        {"", ANSI_CHARSET},         {"ee", ANSI_CHARSET},
    };
    for (const TNamed& c : cases)
        EXPECT_EQ(CharsetOfLanguage(c.Name), c.Charset) << c.Name;
}

TEST(InputLanguage, XkbLayoutsGiveTheCharsetsOfTheirLanguages)
{
    const std::vector<TNamed> cases{
        {"ru", RUSSIAN_CHARSET},
        {"ua", RUSSIAN_CHARSET},
        {"ru(phonetic)", RUSSIAN_CHARSET},
        {"gr", GREEK_CHARSET},
        {"tr", TURKISH_CHARSET},
        {"cz", EASTEUROPE_CHARSET},
        {"hu:2", EASTEUROPE_CHARSET},
        {"ee", BALTIC_CHARSET},
        {"il", HEBREW_CHARSET},
        {"ara", ARABIC_CHARSET},
        {"th", THAI_CHARSET},
        {"vn", VIETNAMESE_CHARSET},
        {"us", ANSI_CHARSET},
        {"de(nodeadkeys)", ANSI_CHARSET},
    };
    for (const TNamed& c : cases)
        EXPECT_EQ(CharsetOfXkbLayout(c.Name), c.Charset) << c.Name;
}

TEST(InputLanguage, TheLayoutOfAGroup)
{
    EXPECT_EQ(XkbLayoutOfGroup("us,ru", 0), "us");
    EXPECT_EQ(XkbLayoutOfGroup("us,ru", 1), "ru");
    EXPECT_EQ(XkbLayoutOfGroup("us, gr ,il", 1), "gr");
    EXPECT_EQ(XkbLayoutOfGroup("us,ru", 2), "");
    EXPECT_EQ(XkbLayoutOfGroup("us", -1), "");
    EXPECT_EQ(XkbLayoutOfGroup("", 0), "");
}

} // namespace
