// The RTF import into documents: list markers from old-style paragraph
// numbering and from the lists of the list table, merged into the list styles
// of the target's style sheet.
#include <algorithm>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvstyle_list.h"
#include "platform/core/codepages.h"
#include "platform/core/sysutils.h"
#include "rtf/rvrtfimport.h"

namespace {

TRVListType ListTypeOf(TRVRTFParaListType type)
{
    switch (type) {
    case rtf_pn_LowerLetter:
        return rvlstLowerAlpha;
    case rtf_pn_UpperLetter:
        return rvlstUpperAlpha;
    case rtf_pn_LowerRoman:
        return rvlstLowerRoman;
    case rtf_pn_UpperRoman:
        return rvlstUpperRoman;
    case rtf_pn_Bullet:
        return rvlstBullet;
    default:
        return rvlstDecimal;
    }
}

// Level texts hold the numbers of the levels as the bytes 0 to 8; a marker
// format names them "%N:s".
template <typename S> S LevelFormat(const S& text)
{
    S result;
    for (auto c : text) {
        if (static_cast<unsigned>(c) < 9) {
            const std::string placeholder = "%" + std::to_string(static_cast<unsigned>(c)) + ":s";
            result.append(placeholder.begin(), placeholder.end());
        } else {
            result += c;
        }
    }
    return result;
}

bool SameFirstLevels(const TRVListInfo& style, const TRVListInfo& wanted)
{
    const int count = wanted.Levels()->Count();
    if (style.Levels()->Count() < count)
        return false;
    for (int i = 0; i < count; ++i)
        if (!style.Levels()->Items(i)->IsSimpleEqual(wanted.Levels()->Items(i)))
            return false;
    return true;
}

} // namespace

bool TRVRTFImport::ParagraphNumbered() const
{
    if (FProps->ParaStyleMode() != rvrsAddIfNeeded)
        return false;
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    return para.ListOverrideIndex >= 0 || (para.HasMarker() && para.MarkerProps->Level >= 1);
}

bool TRVRTFImport::InsertMarker(int paraNo)
{
    if (FProps->ParaStyleMode() != rvrsAddIfNeeded)
        return false;
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    // A list override of the list table is the paragraph's numbering; the
    // old-style numbering that writers add beside it is its older copy.
    if (para.ListOverrideIndex >= 0 && InsertMarker97(paraNo))
        return true;
    if (!para.HasMarker() || para.MarkerProps->Level < 1)
        return false;
    const int listNo = GetMarkerIndex(*para.MarkerProps);
    if (listNo < 0)
        return false;
    auto marker = std::make_unique<TRVMarkerItemInfo>(FTarget, listNo, 0, para.MarkerProps->Start, false);
    marker->ParaNo = paraNo;
    marker->BeforeLoading(rvlfRTF);
    AnsiString text;
    InsertItem(text, std::move(marker), rtf_ts_NewPara);
    FPendingMarker = FLastInserted;
    return true;
}

bool TRVRTFImport::InsertMarker97(int paraNo)
{
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    const auto& overrides = FReader->ListOverrideTable().Items;
    if (para.ListOverrideIndex < 0 || para.ListOverrideIndex >= int(overrides.size()))
        return false;
    const TRVRTFListOverride97& override = *overrides[para.ListOverrideIndex];
    MergeListTable97();
    // An override whose list is missing makes no marker.
    if (override.ListIndex < 0 || override.ListIndex >= int(FLists97.size()))
        return false;
    const int listNo = FLists97[override.ListIndex];
    if (listNo < 0 || listNo >= FStyle->ListStyles()->Count())
        return false;
    // The list's own levels bound the paragraph's; the style chosen for it may have more.
    const int levels = std::min(int(FReader->ListTable().Items[override.ListIndex]->Levels.size()),
                                FStyle->ListStyles()->Items(listNo)->Levels()->Count());
    if (levels == 0)
        return false;
    const int level = std::clamp(para.ListLevel, 0, levels - 1);
    int startFrom = 1;
    bool reset = false;
    if (level < int(override.Levels.size()) && override.Levels[level]) {
        startFrom = override.Levels[level]->Start;
        reset = override.Levels[level]->UseStart;
    }
    auto marker = std::make_unique<TRVMarkerItemInfo>(FTarget, listNo, level, startFrom, reset);
    marker->ParaNo = paraNo;
    marker->BeforeLoading(rvlfRTF);
    AnsiString text;
    InsertItem(text, std::move(marker), rtf_ts_NewPara);
    FPendingMarker = -1;
    return true;
}

void TRVRTFImport::UpdateMarker()
{
    if (FPendingMarker < 0)
        return;
    const int itemNo = FPendingMarker;
    FPendingMarker = -1;
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    if (!para.HasMarker() || itemNo >= FTarget->GetItemCount())
        return;
    auto* marker = dynamic_cast<TRVMarkerItemInfo*>(FTarget->GetItem(itemNo));
    if (!marker)
        return;
    // By now the numbering carries the formatting of the paragraph's text.
    const int listNo = GetMarkerIndex(*para.MarkerProps);
    if (listNo < 0 || (listNo == marker->ListNo && marker->Level == 0))
        return;
    marker->ListNo = listNo;
    marker->Level = 0;
    FTarget->RecalcMarker(itemNo, true);
}

void TRVRTFImport::CloseMarker()
{
    int last = -1;
    if (InMain()) {
        if (!FFirstItem)
            last = FIndex - 1;
    } else {
        last = FTarget->GetItemCount() - 1;
    }
    if (last < 0 || FTarget->GetItemStyle(last) != rvsListMarker)
        return;
    const bool pageBreak = FPageBreak;
    FPageBreak = false;
    AnsiString empty;
    InsertItem(empty, MakeEmptyText(), rtf_ts_ContinuePara);
    FPageBreak = pageBreak;
}

int TRVRTFImport::GetMarkerIndex(const TRVRTFMarkerProperties& marker)
{
    TRVListInfos* lists = FStyle->ListStyles();
    auto wanted = std::make_unique<TRVListInfo>(nullptr);
    TRVListLevel* level = wanted->Levels()->Add();
    const bool bullet = marker.Level == 11 || (marker.Level == 10 && marker.ListType == rtf_pn_Default);
    if (bullet) {
        level->SetListType(rvlstBullet);
        level->SetFormatString(marker.TextBefore);
    } else {
        level->SetListType(ListTypeOf(marker.ListType == rtf_pn_Bullet ? rtf_pn_Decimal : marker.ListType));
        level->SetFormatString(marker.TextBefore + "%s" + marker.TextAfter);
        const AnsiString wide = marker.TextBefore + "%0:s" + marker.TextAfter;
        level->SetFormatStringW(WideString(wide.begin(), wide.end()));
    }
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    level->SetLeftIndent(std::max(0, Px(para.LeftIndent)));
    level->SetMarkerIndent(std::max(0, Px(para.LeftIndent + para.FirstIndent)));
    level->SetFirstIndent(marker.Hanging ? 0 : std::max(0, Px(marker.Indent)));
    level->SetStartFrom(marker.Start);
    level->SetMarkerAlignment(marker.Alignment == rtf_al_Right    ? rvmaRight
                              : marker.Alignment == rtf_al_Center ? rvmaCenter
                                                                  : rvmaLeft);
    TRVMarkerFont* font = level->Font();
    const auto& fonts = FReader->FontTable().Items;
    if (marker.FontIndex >= 0 && marker.FontIndex < int(fonts.size())) {
        font->SetName(fonts[marker.FontIndex]->Name);
        font->SetCharset(fonts[marker.FontIndex]->Charset);
    }
    font->SetSize(marker.FontSize > 0 ? marker.FontSize : 10);
    font->SetStyle(marker.FontStyle);
    font->SetColor(marker.Color == rtfNoColor ? clWindowText : marker.Color);

    for (int i = 0; i < lists->Count(); ++i)
        if (lists->Items(i)->Levels()->Count() > 0 &&
            lists->Items(i)->Levels()->Items(0)->IsSimpleEqual(level))
            return i;
    TRVListInfo* added = lists->Add();
    added->SetLevels(wanted->Levels());
    added->SetStandard(false);
    return lists->Count() - 1;
}

void TRVRTFImport::FillLevel97(TRVListLevel& level, const TRVRTFListLevel97& source) const
{
    const bool bullet = source.ListType == rtf_pn_Bullet;
    // A bullet given as Unicode characters is a Unicode bullet, except in a
    // symbol font, whose bullets are its bytes.
    const bool unicodeBullet =
        bullet && !source.TextW.empty() && FReader->FontCodePage(source.FontIndex) != CP_SYMBOL;
    level.SetListType(unicodeBullet ? rvlstUnicodeBullet
                      : bullet      ? rvlstBullet
                                    : ListTypeOf(source.ListType));
    level.SetFormatString(LevelFormat(source.Text));
    level.SetFormatStringW(LevelFormat(source.TextW));
    level.SetLeftIndent(std::max(0, Px(source.LeftIndent)));
    level.SetMarkerIndent(std::max(0, Px(source.LeftIndent + source.FirstIndent)));
    level.SetFirstIndent(0);
    level.SetStartFrom(source.Start);
    TRVListLevelOptions options;
    if (!source.NoRestart)
        options.Include(rvloLevelReset);
    if (source.Legal)
        options.Include(rvloLegalStyleNumbering);
    level.SetOptions(options);
    TRVMarkerFont* font = level.Font();
    const auto& fonts = FReader->FontTable().Items;
    if (source.FontIndex >= 0 && source.FontIndex < int(fonts.size())) {
        font->SetName(fonts[source.FontIndex]->Name);
        font->SetCharset(fonts[source.FontIndex]->Charset);
    }
    font->SetSize(source.FontSize > 0 ? source.FontSize : 10);
    font->SetStyle(source.FontStyle);
    font->SetColor(source.Color == rtfNoColor ? clWindowText : source.Color);
}

void TRVRTFImport::MergeListTable97()
{
    const int table = FReader->ListTable().GetClearCount();
    if (FListsMergedAt == table || FProps->ParaStyleMode() != rvrsAddIfNeeded)
        return;
    FListsMergedAt = table;
    FLists97.clear();
    TRVListInfos* lists = FStyle->ListStyles();
    std::vector<bool> taken(lists->Count(), false);
    for (const auto& list : FReader->ListTable().Items) {
        auto wanted = std::make_unique<TRVListInfo>(nullptr);
        for (const auto& source : list->Levels)
            FillLevel97(*wanted->Levels()->Add(), *source);
        int chosen = -1;
        for (int i = 0; i < int(taken.size()) && chosen < 0; ++i)
            if (!taken[i] && SameFirstLevels(*lists->Items(i), *wanted))
                chosen = i;
        if (chosen < 0) {
            TRVListInfo* added = lists->Add();
            added->SetLevels(wanted->Levels());
            added->SetStandard(false);
            chosen = lists->Count() - 1;
            taken.push_back(false);
        }
        taken[chosen] = true;
        FLists97.push_back(chosen);
    }
}
