// The base style entry and collection: copying, the mapping comparison and the
// three ways of merging one style collection into another; the text writers
// that every output format uses.
#include "document/rvstyle_info.h"

#include <limits>

#include "document/rvstyle.h"
#include "document/rvstyle_list.h"
#include "document/rvstyle_text.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "platform/core/stringlist.h"

bool RollViewResetStandardFlag = true;

// ---------------------------------------------------------------------------
// TCustomRVInfo

TCustomRVInfo::TCustomRVInfo(TCollection* collection) : TCollectionItem(collection) {}

void TCustomRVInfo::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TCustomRVInfo*>(source)) {
        FStyleName = src->FStyleName;
        FBaseStyleNo = src->FBaseStyleNo;
        FStandard = src->FStandard;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(source);
}

bool TCustomRVInfo::IsSimpleEqualEx(TCustomRVInfo* value, const TRVIntegerList* mapping)
{
    if (!IsSimpleEqual(value, true))
        return false;
    int* ref = value->NextStyleReference();
    if (ref == nullptr || *ref < 0)
        return true;
    const int mapped = mapping ? mapping->Count() : 0;
    if (*ref >= mapped) {
        // A reference forward to an incoming entry that has no target yet: it
        // cannot be checked, so it is dropped.
        *ref = -1;
        return true;
    }
    const int* own = NextStyleReference();
    return own != nullptr && mapping->Get(*ref) == *own;
}

void TCustomRVInfo::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs,
                                const AnsiString& defName)
{
    TRVIniKeys key(fs);
    FStyleName = ini->ReadString(section, key("StyleName"), defName);
    FBaseStyleNo = ini->ReadInteger(section, key("BaseStyleNo"), -1);
    FStandard = ini->ReadInteger(section, key("Standard"), 1) != 0;
}

void TCustomRVInfo::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    WriteIniString(ini, section, key("StyleName"), FStyleName);
    WriteIntToIniIfNE(ini, section, key("BaseStyleNo"), FBaseStyleNo, -1);
    WriteIntToIniIfNE(ini, section, key("Standard"), FStandard ? 1 : 0, 1);
}

// ---------------------------------------------------------------------------
// TCustomRVInfos

TCustomRVInfos::TCustomRVInfos(TCollectionItemClass itemClass, TPersistent* owner)
    : TCollection(std::move(itemClass), owner)
{}

void TCustomRVInfos::Update(TCollectionItem* item)
{
    TCollection::Update(item);
    if (auto* style = dynamic_cast<TRVStyle*>(GetOwner()))
        style->NoteChange();
}

void TCustomRVInfos::AssignTo(TPersistent* dest) const
{
    if (auto* strings = dynamic_cast<TStringList*>(dest)) {
        strings->BeginUpdate();
        strings->Clear();
        for (int i = 0; i < Count(); ++i)
            strings->Add(Info(i)->StyleName());
        strings->EndUpdate();
        return;
    }
    TCollection::AssignTo(dest);
}

void TCustomRVInfos::MergeWith(TCustomRVInfos* styles, TRVStyleMergeMode mode, TRVIntegerList* mapping)
{
    mapping->Clear();
    const int oldCount = Count();
    switch (mode) {
    case rvs_merge_SmartMerge:
        SmartMerge(styles, mapping);
        break;
    case rvs_merge_Map:
        MapMerge(styles, mapping);
        break;
    case rvs_merge_Append: {
        const int n = styles->Count();
        for (int i = 0; i < n; ++i) {
            mapping->Add(Count());
            static_cast<TCustomRVInfo*>(Add())->Assign(styles->Info(i));
        }
        break;
    }
    }

    // The appended entries still refer to other entries by their incoming
    // indexes. A reference that no incoming entry answers (a damaged document)
    // is dropped rather than left pointing anywhere, and renumbering goes on,
    // so the collection is never left half renumbered.
    auto remap = [mapping](int ref) {
        if (ref < 0)
            return ref;
        return ref < mapping->Count() ? mapping->Get(ref) : -1;
    };
    for (int i = oldCount; i < Count(); ++i) {
        TCustomRVInfo* info = Info(i);
        if (RollViewResetStandardFlag)
            info->SetStandard(false);
        info->SetBaseStyleNo(remap(info->BaseStyleNo()));
        if (int* ref = info->NextStyleReference())
            *ref = remap(*ref);
    }
}

void TCustomRVInfos::SmartMerge(TCustomRVInfos* styles, TRVIntegerList* mapping)
{
    // A numbered list style of the target takes only one incoming numbered
    // list, so that two numberings are never joined into one.
    const bool lists = dynamic_cast<TRVListInfos*>(this) != nullptr;
    TRVIntegerList usedNumbered;
    auto usable = [&](int j) { return usedNumbered.IndexOf(j) < 0; };

    const int n = styles->Count();
    for (int i = 0; i < n; ++i) {
        TCustomRVInfo* value = styles->Info(i);
        int target = -1;
        if (i < Count() && Info(i)->IsSimpleEqualEx(value, mapping) && usable(i)) {
            target = i;
        } else {
            for (int j = 0; j < Count(); ++j)
                if (Info(j)->IsSimpleEqualEx(value, mapping) && usable(j)) {
                    target = j;
                    break;
                }
        }
        if (target < 0) {
            target = Count();
            static_cast<TCustomRVInfo*>(Add())->Assign(value);
        }
        mapping->Add(target);
        if (lists) {
            const auto* list = dynamic_cast<const TRVListInfo*>(value);
            if (list != nullptr && list->HasNumbering())
                usedNumbered.Add(target);
        }
    }
}

// The candidates of one pass of the map merge: text styles are narrowed to
// those of the same hyperlink and Unicode kind first (pass 1), then the same
// hyperlink kind (2), then the same Unicode kind (3); pass 4 takes every entry.
// Returns the best candidate (the lowest index among equal scores), or -1 when
// the pass has none.
int TCustomRVInfos::BestMatch(const TCustomRVInfo* value, int pass) const
{
    const auto* font = dynamic_cast<const TFontInfo*>(value);
    int best = -1;
    int bestScore = std::numeric_limits<int>::min();
    for (int j = 0; j < Count(); ++j) {
        const TCustomRVInfo* candidate = Info(j);
        if (font != nullptr && pass < 4) {
            const auto* f = dynamic_cast<const TFontInfo*>(candidate);
            if (f == nullptr)
                continue;
            const bool sameJump = f->Jump() == font->Jump();
            const bool sameUnicode = f->Unicode() == font->Unicode();
            if ((pass == 1 && !(sameJump && sameUnicode)) || (pass == 2 && !sameJump) ||
                (pass == 3 && !sameUnicode))
                continue;
        }
        const int score = candidate->SimilarityValue(value);
        if (best < 0 || score > bestScore) {
            best = j;
            bestScore = score;
        }
    }
    return best;
}

void TCustomRVInfos::MapMerge(TCustomRVInfos* styles, TRVIntegerList* mapping)
{
    const int n = styles->Count();
    for (int i = 0; i < n; ++i) {
        const TCustomRVInfo* value = styles->Info(i);
        int target = -1;
        const int firstPass = dynamic_cast<const TFontInfo*>(value) != nullptr ? 1 : 4;
        for (int pass = firstPass; pass <= 4 && target < 0; ++pass)
            target = BestMatch(value, pass);
        mapping->Add(target);
    }
}

// ---------------------------------------------------------------------------
// Text output

void RVWrite(TStream* stream, const AnsiString& s)
{
    if (!s.empty())
        stream->WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

void RVWriteLn(TStream* stream, const AnsiString& s)
{
    RVWrite(stream, s);
    stream->WriteBuffer("\r\n", 2);
}
