// Places where text may be cut into pieces shown alone: between two characters
// that read left to right of their own, outside any direction embedding and,
// in text that the bidirectional algorithm reorders, outside any brackets.
#include "platform/graphics/textcut.h"

#include <unicode/uchar.h>

#include <string>
#include <vector>

#include "platform/core/codepages.h"
#include "platform/graphics/canvas_clusters.h"

namespace {

// A character that reads left to right of its own (a combining mark, which
// may too, belongs to the character before it). Between two of them the
// bidirectional algorithm resolves what lies on either side alone (in a
// left-to-right paragraph): no run of right-to-left text, no neutral taking
// its direction from both sides and no joining-script word spans the place.
bool ReadsLeftToRight(UChar32 c)
{
    if (c < 0x80)
        return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
    return u_charDirection(c) == U_LEFT_TO_RIGHT;
}

// A character that has the bidirectional algorithm reorder its text: of a
// right-to-left script, an Arabic digit, or an explicit direction control.
bool AsksForReordering(UChar32 c)
{
    if (c < 0x590)
        return false;
    switch (u_charDirection(c)) {
    case U_RIGHT_TO_LEFT:
    case U_RIGHT_TO_LEFT_ARABIC:
    case U_ARABIC_NUMBER:
    case U_LEFT_TO_RIGHT_EMBEDDING:
    case U_LEFT_TO_RIGHT_OVERRIDE:
    case U_RIGHT_TO_LEFT_EMBEDDING:
    case U_RIGHT_TO_LEFT_OVERRIDE:
    case U_LEFT_TO_RIGHT_ISOLATE:
    case U_RIGHT_TO_LEFT_ISOLATE:
    case U_FIRST_STRONG_ISOLATE:
        return true;
    default:
        return false;
    }
}

// What is open at a place, as the bidirectional algorithm matches the ends:
// explicit embeddings, overrides and isolates (innermost last: a PDF ends the
// innermost embedding or override, never an isolate; a PDI ends the innermost
// isolate with what was opened inside it), and paired brackets (a closing one
// ends the innermost opening one of its pair with those opened inside it; past
// 63 open, pairing stops). A paragraph separator (U+0085 and U+2029 in a line)
// ends all; an end that matches nothing is ignored.
class TOpenPairs {
public:
    bool EmbeddingOpen() const { return !FEmbeddings.empty(); }
    bool BracketOpen() const { return !FBrackets.empty() || FBracketsOverflowed; }

    void Note(UChar32 c)
    {
        if (c < 0x80) {
            if (c == '(' || c == '[' || c == '{')
                OpenBracket(c);
            else if (c == ')' || c == ']' || c == '}')
                CloseBracket(c == ')' ? '(' : c == ']' ? '[' : '{');
            return;
        }
        if ((c >= 0x202A && c <= 0x202E && c != 0x202C) || (c >= 0x2066 && c <= 0x2068)) {
            FEmbeddings.push_back(c >= 0x2066 ? Isolate : Embedding);
        } else if (c == 0x202C) {
            if (!FEmbeddings.empty() && FEmbeddings.back() == Embedding)
                FEmbeddings.pop_back();
        } else if (c == 0x2069) {
            const size_t isolate = FEmbeddings.find_last_of(Isolate);
            if (isolate != std::string::npos)
                FEmbeddings.resize(isolate);
        } else if (u_charDirection(c) == U_BLOCK_SEPARATOR) {
            FEmbeddings.clear();
            FBrackets.clear();
            FBracketsOverflowed = false;
        } else {
            const int type = u_getIntPropertyValue(c, UCHAR_BIDI_PAIRED_BRACKET_TYPE);
            if (type == U_BPT_OPEN)
                OpenBracket(Canonical(c));
            else if (type == U_BPT_CLOSE)
                CloseBracket(Canonical(u_getBidiPairedBracket(c)));
        }
    }

private:
    static constexpr char Embedding = 'e';
    static constexpr char Isolate = 'i';

    // The angle brackets of U+2329 and U+232A pair with those of U+3008 and U+3009.
    static UChar32 Canonical(UChar32 c) { return c == 0x2329 ? 0x3008 : c == 0x232A ? 0x3009 : c; }
    void OpenBracket(UChar32 opening)
    {
        if (FBrackets.size() >= 63)
            FBracketsOverflowed = true;
        else
            FBrackets.push_back(opening);
    }
    void CloseBracket(UChar32 opening)
    {
        for (size_t k = FBrackets.size(); k-- > 0;)
            if (FBrackets[k] == opening) {
                FBrackets.resize(k);
                return;
            }
    }

    std::string FEmbeddings;
    std::vector<UChar32> FBrackets;
    bool FBracketsOverflowed = false;
};

// Reads Text a character at a time in its code page: the code point (the
// first of its code units outside UTF-8) and the start of the next.
class TCharacterReader {
public:
    TCharacterReader(std::string_view text, unsigned codePage)
        : FBegin(text.data()), FEnd(text.data() + text.size()), FCodePage(codePage),
          // Only UTF-8 reads characters of up to four bytes.
          FUtf8(CodePageMaxCharSize(codePage) == 4)
    {}
    const char* Begin() const { return FBegin; }
    const char* End() const { return FEnd; }
    const char* Read(const char* p, UChar32& c) const
    {
        if (FUtf8) {
            unsigned codePoint = 0;
            const char* next = Utf8CharAt(p, FEnd, codePoint);
            c = static_cast<UChar32>(codePoint);
            return next;
        }
        const char* next = CharNextExA(FCodePage, p, FEnd);
        if (next <= p)
            next = p + 1;
        WideChar units[8];
        const int n = MultiByteToWideChar(FCodePage, 0, p, static_cast<int>(next - p), units, 8);
        c = n > 0 ? units[0] : 0;
        return next;
    }
    // The first character from P on that has the text reordered; End when none.
    const char* FindReorderingFrom(const char* p) const
    {
        for (UChar32 c = 0; p < FEnd;) {
            const char* next = Read(p, c);
            if (AsksForReordering(c))
                return p;
            p = next;
        }
        return FEnd;
    }

private:
    const char* FBegin;
    const char* FEnd;
    unsigned FCodePage;
    bool FUtf8;
};

} // namespace

size_t TextCutNear(std::string_view text, size_t limit, unsigned codePage, TTextCutMemo* memo)
{
    if (limit >= text.size())
        return text.size();
    const TCharacterReader reader(text, codePage);
    size_t last = text.size();
    TOpenPairs open;
    // Whether the text holds what has it reordered (-1: not looked for yet).
    // A pair of brackets around a place matters only then.
    int reordered = -1;
    bool previousLeft = false;
    for (const char* p = reader.Begin(); p < reader.End();) {
        UChar32 c = 0;
        const char* next = reader.Read(p, c);
        const bool left = ReadsLeftToRight(c);
        const size_t at = static_cast<size_t>(p - reader.Begin());
        bool place = left && previousLeft && !open.EmbeddingOpen() && !textclusters::IsCombining(c);
        if (place && open.BracketOpen()) {
            if (reordered < 0 && memo && memo->FReorderingTail <= text.size()) {
                reordered = memo->FReorderingTail > 0;
            } else if (reordered < 0) {
                const char* found = reader.FindReorderingFrom(reader.Begin());
                reordered = found < reader.End();
                if (memo)
                    memo->FReorderingTail = static_cast<size_t>(reader.End() - found);
            }
            place = reordered == 0;
        }
        if (place) {
            if (at > limit)
                return last < text.size() ? last : at;
            last = at;
        } else if (at > limit && last < text.size()) {
            return last;
        }
        open.Note(c);
        previousLeft = left;
        p = next;
    }
    return last;
}
