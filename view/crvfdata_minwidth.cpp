// Minimum widths: the narrowest width a document, a paragraph section or a
// range of items can be laid out in (the widest piece that cannot be broken,
// plus its indents). The layout takes the document's as the lower bound of
// its text width; tables and the editor compare them.
#include <algorithm>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/numbers.h"
#include "view/crvfdata.h"

namespace {

// A record of equal resolutions scales nothing: treat it as none.
const TRVScreenAndDevice* EffectiveSaD(const TRVScreenAndDevice* sad)
{
    if (sad != nullptr && sad->ScreenPpiX == sad->DevicePpiX && sad->ScreenPpiY == sad->DevicePpiY)
        return nullptr;
    return sad;
}

int ScaleX(int v, const TRVScreenAndDevice* sad)
{
    return sad != nullptr ? MulDiv(v, sad->DevicePpiX, sad->ScreenPpiX) : v;
}

} // namespace

int TCustomRVFormattedData::CalculateMinDocWidthPlus(const TRVScreenAndDevice* sad, TCanvas* Canvas)
{
    int ParaStartItem = 0;
    return CalculateParaSectionsMinWidth(0, GetItemCount() - 1, ParaStartItem, EffectiveSaD(sad), Canvas);
}

int TCustomRVFormattedData::CalculateParaSectionsMinWidth(int First, int Last, int& ParaStartItem,
                                                          const TRVScreenAndDevice* sad, TCanvas* Canvas)
{
    if (Canvas == nullptr)
        Canvas = GetCanvas();
    if (First > Last || GetItemCount() == 0)
        return 0;
    int From, To;
    ExpandToParaSection(First, Last, From, To);
    int Result = 0;
    for (int i = From; i <= To; ++i) {
        if (IsParaStart(i))
            ParaStartItem = i;
        if (IsFromNewLine(i) || i == From)
            Result = std::max(Result, CalculateParaSectionMinWidth(i, ParaStartItem, sad, Canvas));
    }
    return Result;
}

int TCustomRVFormattedData::CalculateParaSectionMinWidth(int ItemNo, int& ParaStartItem,
                                                         const TRVScreenAndDevice* sad, TCanvas* Canvas)
{
    int First, Last;
    ExpandToParaSection(ItemNo, ItemNo, First, Last);
    TRVStyle* Style = GetRVStyle();
    const bool NoWrap =
        Style != nullptr && Style->ParaStyles()->Items(GetItemPara(ItemNo))->Options().Contains(rvpaoNoWrap);
    if (!NoWrap)
        return CalculateMinItemsWidthPlus(First, Last, ParaStartItem, sad, Canvas);

    // The whole section stays on one line: its indents and everything in it.
    if (Canvas == nullptr)
        Canvas = GetCanvas();
    int Result = CalculatePureParaSectionWidth(ItemNo, ParaStartItem, sad, Canvas);
    int AppliedStyle = -1;
    for (int i = First; i <= Last; ++i) {
        TCustomRVItemInfo* Item = GetItem(i);
        if (Item->StyleNo < 0) {
            Result += Item->GetMinWidth(sad, Canvas, this);
            continue;
        }
        if (Canvas == nullptr)
            continue;
        const TFontInfo* TextStyle = Style->TextStyles()->Items(Item->StyleNo);
        if (Item->StyleNo != AppliedStyle) {
            TextStyle->Apply(Canvas, GetParaBiDiMode(Item->ParaNo));
            AppliedStyle = Item->StyleNo;
        }
        // Measured as the layout shows it: in capitals for an all-capitals style.
        Result += RVU_TextWidth(RV_ReturnCapitalized(GetItemText(i), TextStyle), Canvas, Item->ItemOptions);
    }
    return Result;
}

int TCustomRVFormattedData::CalculatePureParaSectionWidth(int ItemNo, int& ParaStartItem,
                                                          const TRVScreenAndDevice* sad, TCanvas* Canvas)
{
    (void)Canvas;
    return ScaleX(GetMaxIndent(GetFirstParaSectionItem(ItemNo), ParaStartItem), sad);
}

int TCustomRVFormattedData::CalculateMinItemsWidthPlus(int First, int Last, int& ParaStartItem,
                                                       const TRVScreenAndDevice* sad, TCanvas* Canvas)
{
    if (Canvas == nullptr)
        Canvas = GetCanvas();
    int Result = 0;
    int Indents = 0;
    for (int i = First; i <= Last; ++i) {
        if (IsParaStart(i))
            ParaStartItem = i;
        if (i == First || IsFromNewLine(i))
            Indents = CalculatePureParaSectionWidth(i, ParaStartItem, sad, Canvas);
        Result = std::max(Result, CalculateMinItemWidthPlus_WithoutPSWidth(i, sad, Canvas) + Indents);
    }
    return Result;
}

int TCustomRVFormattedData::CalculateMinItemWidthPlus_WithoutPSWidth(int ItemNo,
                                                                     const TRVScreenAndDevice* sad,
                                                                     TCanvas* Canvas)
{
    if (Canvas == nullptr)
        Canvas = GetCanvas();
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    int Result = Item->GetMinWidth(sad, Canvas, this);
    // A list marker and the item after it on its line cannot be parted.
    if (ItemNo > 0 && Item->GetSameAsPrev()) {
        TCustomRVItemInfo* Prev = GetItem(ItemNo - 1);
        if (Prev->StyleNo == rvsListMarker)
            Result += Prev->GetMinWidth(sad, Canvas, this);
    }
    return Result;
}

int TCustomRVFormattedData::CalculateParaSectionsMinWidthDef(int First, int Last)
{
    int ParaStartItem = -1;
    return CalculateParaSectionsMinWidth(First, Last, ParaStartItem, nullptr, GetCanvas());
}

int TCustomRVFormattedData::CalculateParaSectionMinWidthDef(int ItemNo)
{
    int ParaStartItem = -1;
    return CalculateParaSectionMinWidth(ItemNo, ParaStartItem, nullptr, GetCanvas());
}

int TCustomRVFormattedData::CalculateMinItemWidthPlusEx(int ItemNo)
{
    int ParaStartItem = -1;
    return CalculateMinItemsWidthPlus(ItemNo, ItemNo, ParaStartItem, nullptr, GetCanvas());
}

int TCustomRVFormattedData::CalculateMinItemsWidthPlusEx(int First, int Last)
{
    if (First > Last)
        return 0;
    TRVStyle* Style = GetRVStyle();
    auto NoWrap = [&](int ItemNo) {
        return Style != nullptr &&
               Style->ParaStyles()->Items(GetItemPara(ItemNo))->Options().Contains(rvpaoNoWrap);
    };
    int S1First, S1Last, S2First, S2Last;
    ExpandToParaSection(First, First, S1First, S1Last);
    ExpandToParaSection(Last, Last, S2First, S2Last);
    int ParaStartItem = -1;
    int Result;
    // The part of First's section from First on.
    if (NoWrap(First))
        Result = CalculateParaSectionMinWidthDef(First);
    else
        Result =
            CalculateMinItemsWidthPlus(First, std::min(S1Last, Last), ParaStartItem, nullptr, GetCanvas());
    if (S1Last >= Last)
        return Result;
    // The part of Last's section up to Last.
    ParaStartItem = -1;
    if (NoWrap(Last))
        Result = std::max(Result, CalculateParaSectionMinWidthDef(Last));
    else
        Result =
            std::max(Result, CalculateMinItemsWidthPlus(S2First, Last, ParaStartItem, nullptr, GetCanvas()));
    // The whole sections between the two.
    if (S2First > S1Last + 1)
        Result = std::max(Result, CalculateParaSectionsMinWidthDef(S1Last + 1, S2First - 1));
    return Result;
}

int TCustomRVFormattedData::CalculateMinWidthAfterInsert(TCustomRVItemInfo* Item, int ItemNo)
{
    int Result = Item->GetMinWidth(nullptr, nullptr, this);
    TRVStyle* Style = GetRVStyle();
    if (Style != nullptr && Style->ParaStyles()->Items(GetItemPara(ItemNo))->Options().Contains(rvpaoNoWrap))
        Result += CalculateParaSectionMinWidthDef(ItemNo);
    return Result;
}

int TCustomRVFormattedData::GetMaxIndent(int ItemNo, int& ParaStartItem)
{
    if (ParaStartItem < 0)
        ParaStartItem = GetFirstParaItem(ItemNo);
    TRVStyle* Style = GetRVStyle();
    if (Style == nullptr)
        return 0;
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    const TParaInfo* Para = Style->ParaStyles()->Items(Item->ParaNo);

    // A list paragraph takes its indents from the list level: the level of its
    // marker, or of the marker of a first paragraph begun elsewhere.
    TRVListLevel* Level = nullptr;
    if (auto* Marker = dynamic_cast<TRVMarkerItemInfo*>(GetItem(ParaStartItem)))
        Level = Marker->GetLevelInfo(Style);
    if (Level == nullptr && ParaStartItem == 0 && State.Contains(rvstFirstParaAborted)) {
        int ListNo, LevelNo;
        if (GetFirstItemMarker(ListNo, LevelNo))
            Level = RVGetLevelInfo(Style, ListNo, LevelNo);
    }
    if (Level != nullptr) {
        int Result = Level->LeftIndent() + std::max(Level->FirstIndent(), 0);
        if (GetParaBiDiMode(Item->ParaNo) == rvbdRightToLeft)
            Result += Para->LeftIndent();
        else
            Result += Para->RightIndent();
        return Result;
    }
    int Result = Para->LeftIndent() + Para->RightIndent();
    if (Para->FirstIndent() > 0 && !Item->GetBoolValue(rvbpFullWidth))
        Result += Para->FirstIndent();
    return Result;
}
