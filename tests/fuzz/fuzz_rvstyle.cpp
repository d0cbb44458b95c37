// Fuzz target of the style sheet's readers. The first byte chooses the reader:
// even, the rest is an ini file loaded as a style sheet section ("S"); odd, the
// rest is a component stream of a style collection (text styles for 1, paragraph
// styles for 3, list styles for 5 and 7). A failed load reports an exception
// and leaves a style sheet that can still be saved, drawn with and written as CSS.
// A count in the ini file makes the reader add that many styles (up to
// RVMaxIniStyleCount each): an input whose counts ask for more than eight
// styles in all is skipped, since it only repeats what small counts do, at
// thousands of times the cost. A count above the limit is not counted: the
// reader must refuse it, and the input still reaches the reader.
// The seeds' replay skips nothing.
#include <cstdint>
#include <string>
#include <string_view>

#include "document/rvstyle.h"
#include "platform/core/compstream.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "platform/core/stringlist.h"
#include "platform/core/sysutils.h"

namespace {

#ifdef KELVOR_FUZZ_REPLAY
// The seeds replay in full, however many styles they ask for.
constexpr int64_t MaxStylesRead = INT64_MAX;
#else
constexpr int64_t MaxStylesRead = 8;
#endif

// Whether the key's name holds "count" in any case of ASCII letters.
bool CountKey(std::string_view key)
{
    static const char Count[] = "count";
    for (size_t at = 0; at + 5 <= key.size(); ++at) {
        size_t i = 0;
        while (i < 5 && (key[at + i] | 0x20) == Count[i])
            ++i;
        if (i == 5)
            return true;
    }
    return false;
}

// Whether the counts of the section ask for few styles in all, or for too many.
bool FewStyles(TCustomIniFile& ini)
{
    TStringList keys;
    const AnsiString section = "S";
    ini.ReadSection(section, keys);
    int64_t total = 0;
    for (int i = 0; i < keys.Count(); ++i) {
        // FontsCount, ParasCount, ListCount and each list's LevelsCount key.
        if (!CountKey(keys.GetView(i)))
            continue;
        // A count above the limit is refused by the reader; the others are read.
        const int count = ini.ReadInteger(section, keys.Get(i), 0);
        if (count > 0 && count <= RVMaxIniStyleCount)
            total += count;
    }
    return total <= MaxStylesRead;
}

// False when the input is skipped.
bool LoadIni(TRVStyle& style, const std::string& text)
{
    TStringList lines;
    AnsiString line;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        line.assign(text, start, end == std::string::npos ? std::string::npos : end - start);
        lines.Add(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    TMemIniFile ini("");
    ini.SetStrings(lines);
    if (!FewStyles(ini))
        return false;
    style.LoadFromINI(&ini, "S");
    return true;
}

void LoadCollection(TRVStyle& style, uint8_t kind, const std::string& bytes)
{
    TStringStream stream(bytes);
    TReader reader(stream);
    switch ((kind >> 1) & 3) {
    case 0:
        reader.ReadCollection(style.TextStyles());
        break;
    case 1:
        reader.ReadCollection(style.ParaStyles());
        break;
    default:
        reader.ReadCollection(style.ListStyles());
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    TRVStyle style(nullptr);
    try {
        if (data[0] & 1)
            LoadCollection(style, data[0], rest);
        else if (!LoadIni(style, rest))
            return 0;
    } catch (const Exception&) {
        // Bad input: reported, and the style sheet stays usable.
    }
    // Whatever was read must save, merge and write CSS without failing.
    TMemIniFile out("");
    style.SaveToINI(&out, "S");
    TStringStream css;
    style.SaveCSSToStream(&css, {rvcssOnlyDifference});
    TRVStyle other(nullptr);
    TRVIntegerList mapping;
    other.TextStyles()->MergeWith(style.TextStyles(), rvs_merge_SmartMerge, &mapping);
    other.ParaStyles()->MergeWith(style.ParaStyles(), rvs_merge_Map, &mapping);
    other.ListStyles()->MergeWith(style.ListStyles(), rvs_merge_Append, &mapping);
    return 0;
}
