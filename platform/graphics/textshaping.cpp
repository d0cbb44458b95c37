// Joining-script stretches, and the canvas's measuring of them as shaped words.
#include "platform/graphics/textshaping.h"

#include <unicode/uchar.h>

#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_clusters.h"

namespace {

using textclusters::CodePointAt;
using textclusters::IsCombining;

bool IsJoinControl(UChar32 c)
{
    return c == 0x200C || c == 0x200D;
}

} // namespace

bool CharacterStartsAt(const WideChar* s, int n, int i)
{
    if (i <= 0 || i >= n)
        return true;
    if (s[i] >= 0xDC00 && s[i] <= 0xDFFF && s[i - 1] >= 0xD800 && s[i - 1] <= 0xDBFF)
        return false;
    int units = 1;
    return !IsCombining(CodePointAt(s, n, i, units));
}

TJoiningScript JoiningScriptOf(unsigned c)
{
    // The blocks of the scripts (their presentation forms are already shaped
    // and stand alone).
    if ((c >= 0x0600 && c <= 0x06FF) || (c >= 0x0750 && c <= 0x077F) || (c >= 0x0870 && c <= 0x08FF))
        return TJoiningScript::Arabic;
    if ((c >= 0x0700 && c <= 0x074F) || (c >= 0x0860 && c <= 0x086F))
        return TJoiningScript::Syriac;
    if (c >= 0x07C0 && c <= 0x07FF)
        return TJoiningScript::NKo;
    return TJoiningScript::None;
}

bool HasJoiningScript(const WideChar* str, int count)
{
    // Every block of the scripts lies in [0x600, 0x8FF]: most text is told
    // apart by that alone.
    for (int i = 0; i < count; ++i)
        if (str[i] >= 0x0600 && str[i] <= 0x08FF && JoiningScriptOf(str[i]) != TJoiningScript::None)
            return true;
    return false;
}

bool JoinsWithPrevious(const WideChar* str, int count, int i)
{
    if (!str || i <= 0 || i >= count)
        return false;
    auto inWord = [&](int k) {
        const WideChar c = str[k];
        // Marks and joiners outside the scripts' blocks (and halves of
        // surrogate pairs, which hold marks too) count as possible members.
        return JoiningScriptOf(c) != TJoiningScript::None || IsJoinControl(c) ||
               (c >= 0xD800 && c <= 0xDFFF) || (c >= 0x300 && IsCombining(c));
    };
    return inWord(i) && inWord(i - 1);
}

std::vector<TJoiningStretch> FindJoiningStretches(const WideChar* str, int count)
{
    std::vector<TJoiningStretch> stretches;
    if (!str || count <= 0 || !HasJoiningScript(str, count))
        return stretches;
    TJoiningScript current = TJoiningScript::None;
    int start = 0;
    auto close = [&](int end) {
        if (current != TJoiningScript::None)
            stretches.push_back({start, end - start});
        current = TJoiningScript::None;
    };
    for (int i = 0; i < count;) {
        int units = 1;
        const UChar32 c = CodePointAt(str, count, i, units);
        // Outside a stretch, only a letter of the scripts' blocks begins one.
        if (current == TJoiningScript::None && (c < 0x600 || c > 0x8FF)) {
            i += units;
            continue;
        }
        const TJoiningScript script = JoiningScriptOf(static_cast<unsigned>(c));
        if (IsCombining(c) || IsJoinControl(c)) {
            // A mark or joiner belongs to the word it stands in; it begins none,
            // since it belongs to the character before it.
        } else if (script == TJoiningScript::None) {
            close(i);
        } else if (script != current) {
            close(i);
            current = script;
            start = i;
        }
        i += units;
    }
    close(count);
    return stretches;
}

// ---- The canvas's hook

bool TCanvas::ShapeJoiningText(const WideChar*, int, int*, uint8_t*)
{
    return false;
}

void TCanvas::ShapeJoiningStretches(const WideChar* str, int count, std::vector<int>& advances,
                                    std::vector<uint8_t>* starts)
{
    for (const TJoiningStretch& s : FindJoiningStretches(str, count)) {
        const size_t at = static_cast<size_t>(s.Start);
        std::vector<int> shaped(static_cast<size_t>(s.Count), 0);
        std::vector<uint8_t> clusterStarts(static_cast<size_t>(s.Count), 0);
        if (!ShapeJoiningText(str + s.Start, s.Count, shaped.data(), clusterStarts.data()))
            continue;
        // A cluster begins where the shaping and the characters both begin one
        // (a ligature joins characters; no cluster splits a character); what
        // the shaping gave elsewhere belongs to the cluster before it.
        size_t owner = 0;
        for (size_t k = 0; k < shaped.size(); ++k) {
            const bool begins =
                k == 0 || (clusterStarts[k] && CharacterStartsAt(str, count, s.Start + int(k)));
            if (begins) {
                owner = k;
            } else {
                shaped[owner] += shaped[k];
                shaped[k] = 0;
            }
            clusterStarts[k] = begins;
        }
        for (size_t k = 0; k < shaped.size(); ++k) {
            advances[at + k] = clusterStarts[k] ? shaped[k] + GetTextCharacterExtra() : 0;
            if (starts)
                (*starts)[at + k] = clusterStarts[k];
        }
    }
}
