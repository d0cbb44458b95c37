// Family names resolved through fontconfig's substitution rules (aliases such
// as a metric-compatible family for a face of another system), with the
// answers kept: a document asks for few faces, often. Documents are untrusted
// and may name any number: the answers kept start again past a few thousand.
#include "platform/graphics/fontsubst.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <utility>

namespace {

struct TPatternFree {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using TPattern = std::unique_ptr<FcPattern, TPatternFree>;

// The family of the face the configuration matches for Family (none: the
// default face), fixed pitch asked with FixedPitch.
AnsiString MatchedFamily(const AnsiString* family, bool fixedPitch)
{
    TPattern pattern(FcPatternCreate());
    if (!pattern)
        return AnsiString();
    if (family != nullptr)
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family->c_str()));
    if (fixedPitch)
        FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern))
        return AnsiString();
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    TPattern match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* matched = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &matched) != FcResultMatch ||
        matched == nullptr)
        return AnsiString();
    return AnsiString(reinterpret_cast<const char*>(matched));
}

} // namespace

AnsiString SystemFontSubstitute(const AnsiString& name, bool fixedPitch)
{
    if (name.empty() || name.find('\0') != AnsiString::npos)
        return AnsiString();
    static auto* known = new std::map<std::pair<AnsiString, bool>, AnsiString>;
    const auto key = std::make_pair(name, fixedPitch);
    auto it = known->find(key);
    if (it != known->end())
        return it->second;
    if (known->size() >= 4096)
        known->clear();
    AnsiString result;
    if (FcInit()) {
        // A family the configuration knows nothing of gets its default face:
        // that is no substitute.
        const AnsiString matched = MatchedFamily(&name, fixedPitch);
        if (!matched.empty() && matched != MatchedFamily(nullptr, fixedPitch))
            result = matched;
    }
    known->emplace(key, result);
    return result;
}
