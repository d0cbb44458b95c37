// The base style entry and collection: copying, the mapping comparison and the
// three ways of merging one style collection into another; the text writers
// that every output format uses.
#include "document/rvstyle_info.h"

#include <limits>

#include "document/rvstyle_list.h"
#include "document/rvstyle_text.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "platform/core/stringlist.h"

bool RollViewResetStandardFlag = true;

// ---------------------------------------------------------------------------
// TCustomRVInfo

TCustomRVInfo::TCustomRVInfo(TCollection* Collection) : TCollectionItem(Collection) {}

void TCustomRVInfo::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TCustomRVInfo*>(Source)) {
        FStyleName = src->FStyleName;
        FBaseStyleNo = src->FBaseStyleNo;
        FStandard = src->FStandard;
        return;
    }
    TCollectionItem::Assign(Source);
}

bool TCustomRVInfo::IsSimpleEqualEx(TCustomRVInfo* Value, const TRVIntegerList* Mapping)
{
    if (!IsSimpleEqual(Value, true))
        return false;
    int* ref = Value->NextStyleReference();
    if (ref == nullptr || *ref < 0)
        return true;
    const int mapped = Mapping ? Mapping->Count() : 0;
    if (*ref >= mapped) {
        // A reference forward to an incoming entry that has no target yet: it
        // cannot be checked, so it is dropped.
        *ref = -1;
        return true;
    }
    const int* own = NextStyleReference();
    return own != nullptr && Mapping->Get(*ref) == *own;
}

void TCustomRVInfo::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs,
                                const AnsiString& DefName)
{
    FStyleName = ini->ReadString(Section, RVIniKey(fs, "StyleName"), DefName);
    FBaseStyleNo = ini->ReadInteger(Section, RVIniKey(fs, "BaseStyleNo"), -1);
    FStandard = ini->ReadInteger(Section, RVIniKey(fs, "Standard"), 1) != 0;
}

void TCustomRVInfo::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    WriteIniString(ini, Section, RVIniKey(fs, "StyleName"), FStyleName);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "BaseStyleNo"), FBaseStyleNo, -1);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Standard"), FStandard ? 1 : 0, 1);
}

// ---------------------------------------------------------------------------
// TCustomRVInfos

TCustomRVInfos::TCustomRVInfos(TCollectionItemClass ItemClass, TPersistent* Owner)
    : TCollection(std::move(ItemClass), Owner)
{}

void TCustomRVInfos::AssignTo(TPersistent* Dest) const
{
    if (auto* strings = dynamic_cast<TStringList*>(Dest)) {
        strings->BeginUpdate();
        strings->Clear();
        for (int i = 0; i < Count(); ++i)
            strings->Add(Info(i)->StyleName());
        strings->EndUpdate();
        return;
    }
    TCollection::AssignTo(Dest);
}

void TCustomRVInfos::MergeWith(TCustomRVInfos* Styles, TRVStyleMergeMode Mode, TRVIntegerList* Mapping)
{
    Mapping->Clear();
    const int oldCount = Count();
    switch (Mode) {
    case rvs_merge_SmartMerge:
        SmartMerge(Styles, Mapping);
        break;
    case rvs_merge_Map:
        MapMerge(Styles, Mapping);
        break;
    case rvs_merge_Append: {
        const int n = Styles->Count();
        for (int i = 0; i < n; ++i) {
            Mapping->Add(Count());
            static_cast<TCustomRVInfo*>(Add())->Assign(Styles->Info(i));
        }
        break;
    }
    }

    // The appended entries still refer to other entries by their incoming
    // indexes. A reference that no incoming entry answers (a damaged document)
    // is dropped rather than left pointing anywhere, and renumbering goes on,
    // so the collection is never left half renumbered.
    auto remap = [Mapping](int ref) {
        if (ref < 0)
            return ref;
        return ref < Mapping->Count() ? Mapping->Get(ref) : -1;
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

void TCustomRVInfos::SmartMerge(TCustomRVInfos* Styles, TRVIntegerList* Mapping)
{
    // A numbered list style of the target takes only one incoming numbered
    // list, so that two numberings are never joined into one.
    const bool lists = dynamic_cast<TRVListInfos*>(this) != nullptr;
    TRVIntegerList usedNumbered;
    auto usable = [&](int j) { return usedNumbered.IndexOf(j) < 0; };

    const int n = Styles->Count();
    for (int i = 0; i < n; ++i) {
        TCustomRVInfo* value = Styles->Info(i);
        int target = -1;
        if (i < Count() && Info(i)->IsSimpleEqualEx(value, Mapping) && usable(i)) {
            target = i;
        } else {
            for (int j = 0; j < Count(); ++j)
                if (Info(j)->IsSimpleEqualEx(value, Mapping) && usable(j)) {
                    target = j;
                    break;
                }
        }
        if (target < 0) {
            target = Count();
            static_cast<TCustomRVInfo*>(Add())->Assign(value);
        }
        Mapping->Add(target);
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
int TCustomRVInfos::BestMatch(const TCustomRVInfo* Value, int Pass) const
{
    const auto* font = dynamic_cast<const TFontInfo*>(Value);
    int best = -1;
    int bestScore = std::numeric_limits<int>::min();
    for (int j = 0; j < Count(); ++j) {
        const TCustomRVInfo* candidate = Info(j);
        if (font != nullptr && Pass < 4) {
            const auto* f = dynamic_cast<const TFontInfo*>(candidate);
            if (f == nullptr)
                continue;
            const bool sameJump = f->Jump() == font->Jump();
            const bool sameUnicode = f->Unicode() == font->Unicode();
            if ((Pass == 1 && !(sameJump && sameUnicode)) || (Pass == 2 && !sameJump) ||
                (Pass == 3 && !sameUnicode))
                continue;
        }
        const int score = candidate->SimilarityValue(Value);
        if (best < 0 || score > bestScore) {
            best = j;
            bestScore = score;
        }
    }
    return best;
}

void TCustomRVInfos::MapMerge(TCustomRVInfos* Styles, TRVIntegerList* Mapping)
{
    const int n = Styles->Count();
    for (int i = 0; i < n; ++i) {
        const TCustomRVInfo* value = Styles->Info(i);
        int target = -1;
        const int firstPass = dynamic_cast<const TFontInfo*>(value) != nullptr ? 1 : 4;
        for (int pass = firstPass; pass <= 4 && target < 0; ++pass)
            target = BestMatch(value, pass);
        Mapping->Add(target);
    }
}

// ---------------------------------------------------------------------------
// Text output

void RVWrite(TStream* Stream, const AnsiString& s)
{
    if (!s.empty())
        Stream->WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

void RVWriteLn(TStream* Stream, const AnsiString& s)
{
    RVWrite(Stream, s);
    Stream->WriteBuffer("\r\n", 2);
}
