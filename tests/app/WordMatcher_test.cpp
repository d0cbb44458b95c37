// The word matcher against the words searched one by one in their order, on
// random lists of words over small alphabets, with and without its automaton.
#include "app/WordMatcher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The first word, in the list's order, that the line holds; an empty word
// never matches.
int FirstWordByWalk(const TStringList& words, std::string_view line)
{
    for (int i = 0; i < words.Count(); ++i)
        if (!words.GetView(i).empty() && line.find(words.GetView(i)) != std::string_view::npos)
            return i;
    return TWordMatcher::NoWord;
}

std::string RandomText(std::mt19937& random, const std::string& alphabet, int maxLength)
{
    std::string text(std::uniform_int_distribution<int>(0, maxLength)(random), ' ');
    for (char& c : text)
        c = alphabet[random() % alphabet.size()];
    return text;
}

TEST(WordMatcherTest, AnswersAsTheWordsSearchedOneByOne)
{
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);
    const std::vector<std::string> alphabets = {"ab", std::string("a\x80\xFF", 3), "abcA", everyByte};
    std::mt19937 random(7);
    // One matcher built again and again: nothing of a list stays for the next.
    TWordMatcher matcher, plain;
    EXPECT_EQ(matcher.FirstWordIn("made for no words"), TWordMatcher::NoWord);
    plain.Build(nullptr);
    EXPECT_EQ(plain.FirstWordIn("built for no list"), TWordMatcher::NoWord);
    for (int round = 0; round < 4000; ++round) {
        const std::string& alphabet = alphabets[static_cast<size_t>(round) % alphabets.size()];
        const bool wide = alphabet.size() == 256;
        TStringList words;
        const int count = std::uniform_int_distribution<int>(0, wide ? 60 : 12)(random);
        for (int i = 0; i < count; ++i)
            words.Add(RandomText(random, alphabet, wide ? 2 : 4));
        matcher.Build(&words);
        plain.Build(&words, 1);
        ASSERT_TRUE(matcher.UsesAutomaton());
        for (int l = 0; l < 20; ++l) {
            const std::string line = RandomText(random, alphabet, wide ? 200 : 24);
            const int expected = FirstWordByWalk(words, line);
            SCOPED_TRACE(testing::Message() << "round " << round << ", words " << words.CommaText()
                                            << ", line \"" << line << "\"");
            ASSERT_EQ(matcher.FirstWordIn(line), expected);
            ASSERT_EQ(plain.FirstWordIn(line), expected);
        }
    }
    // 240 words of 20,000 bytes: more states than the table may hold.
    TStringList words;
    for (int i = 0; i < 240; ++i)
        words.Add(std::string(20000, 'x') + "<" + std::to_string(i % 200) + ">");
    matcher.Build(&words);
    EXPECT_FALSE(matcher.UsesAutomaton());
    EXPECT_EQ(matcher.FirstWordIn("a" + std::string(20000, 'x') + "<57>"), 57);
}

} // namespace
