// kelvor_bench's special words, made for the made-up service log of the bench:
// its lines hold a time stamp, a level, a thread, an id and words of a small
// vocabulary, each word followed by one that the word before it decides.
#include "bench/kelvor_bench_words.h"

#include <cstdio>

#include "app/U_kelvor.h"
#include "document/rvstyle.h"

namespace {

// The vocabulary of the bench's log lines, in its order there.
const char* const LineWords[] = {"request", "served", "cache",     "miss",     "for",     "user",
                                 "session", "token",  "refreshed", "upstream", "latency", "ok"};

// Value in at least Digits decimal digits, zeros in front.
std::string Digits(int value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", digits, value);
    return text;
}

} // namespace

std::vector<std::string> OverlappingWords(int count)
{
    std::vector<std::string> words = {"ERROR", "FATAL", "WARN"};
    // Pairs of the lines' words that never follow each other there (a line's
    // word W is followed by word (7 W + 3) mod 12): each begins as many lines
    // go on, and ends as others begin.
    for (int a = 0; a < 12; ++a)
        for (int b = 0; b < 12; ++b)
            if (b != (7 * a + 3) % 12)
                words.push_back(std::string(LineWords[a]) + ' ' + LineWords[b]);
    for (int i = 0; static_cast<int>(words.size()) < count; ++i) {
        if (i % 4 == 0) // a thread that never logs this id: (i + 1) % 16 is never 0
            words.push_back("[worker-" + Digits((i + 1) % 16, 2) + "] id=" + Digits(i * 16, 7));
        else if (i % 4 == 1) // an hour of the day the lines never reach
            words.push_back("2024-05-01 " + Digits(12 + i % 12, 2) + ":" + Digits(i % 60, 2) + ":");
        else if (i % 4 == 2) // the id of one line
            words.push_back("id=" + Digits(i * 397 % 200000, 7) + " ");
        else // an id beyond those of the lines
            words.push_back("id=9" + Digits(i, 6));
    }
    words.resize(static_cast<size_t>(count));
    return words;
}

void SetSpecialWords(const std::vector<std::string>& words)
{
    TFontInfos* texts = Form1->RVStyle->TextStyles();
    while (texts->Count() <= static_cast<int>(words.size())) {
        TFontInfo* style = texts->Add();
        style->Assign(texts->Items(0));
        style->SetColor(static_cast<TColor>(0x40 + texts->Count() * 0x010203 % 0xC0C0C0));
    }
    TStringList* list = Form1->SpecialWords.get();
    list->BeginUpdate();
    list->Clear();
    for (size_t i = 0; i < words.size(); ++i)
        list->AddObject(words[i], TForm1::SpecialWordStyleObject(static_cast<int>(i) + 1));
    list->EndUpdate();
}
