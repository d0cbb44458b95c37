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

int TCustomRVFormattedData::CalculateMinDocWidthPlus(const TRVScreenAndDevice* sad, TCanvas* canvas)
{
    int paraStartItem = 0;
    return CalculateParaSectionsMinWidth(0, GetItemCount() - 1, paraStartItem, EffectiveSaD(sad), canvas);
}

int TCustomRVFormattedData::CalculateParaSectionsMinWidth(int first, int last, int& paraStartItem,
                                                          const TRVScreenAndDevice* sad, TCanvas* canvas)
{
    if (canvas == nullptr)
        canvas = GetFormattingCanvas();
    if (first > last || GetItemCount() == 0)
        return 0;
    int from, to;
    ExpandToParaSection(first, last, from, to);
    int result = 0;
    for (int i = from; i <= to; ++i) {
        if (IsParaStart(i))
            paraStartItem = i;
        if (IsFromNewLine(i) || i == from)
            result = std::max(result, CalculateParaSectionMinWidth(i, paraStartItem, sad, canvas));
    }
    return result;
}

int TCustomRVFormattedData::CalculateParaSectionMinWidth(int itemNo, int& paraStartItem,
                                                         const TRVScreenAndDevice* sad, TCanvas* canvas)
{
    int first, last;
    ExpandToParaSection(itemNo, itemNo, first, last);
    TRVStyle* style = GetRVStyle();
    const bool noWrap =
        style != nullptr && style->ParaStyles()->Items(GetItemPara(itemNo))->Options().Contains(rvpaoNoWrap);
    if (!noWrap)
        return CalculateMinItemsWidthPlus(first, last, paraStartItem, sad, canvas);

    // The whole section stays on one line: its indents and everything in it.
    return CalculatePureParaSectionWidth(itemNo, paraStartItem, sad, canvas) +
           CalculateUnwrappedItemsWidth(first, last, sad, canvas);
}

int TCustomRVFormattedData::CalculateUnwrappedItemsWidth(int first, int last, const TRVScreenAndDevice* sad,
                                                         TCanvas* canvas)
{
    if (canvas == nullptr)
        canvas = GetFormattingCanvas();
    TRVStyle* style = GetRVStyle();
    int result = 0;
    // The style applied by the section measured before, when the minimum
    // width measures section after section on one canvas.
    const bool keepApplied = FNotedSizes.Noting && canvas == FNotedSizes.Canvas;
    int appliedStyle = keepApplied ? FNotedSizes.AppliedStyleNo : -1;
    TRVBiDiMode appliedBiDiMode = FNotedSizes.AppliedBiDiMode;
    for (int i = first; i <= last; ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (item->StyleNo < 0) {
            result += item->GetMinWidth(sad, canvas, this);
            // A marker or an inserted document may have set a font of its own.
            appliedStyle = -1;
            continue;
        }
        if (canvas == nullptr || style == nullptr)
            continue;
        const TFontInfo* textStyle = style->TextStyles()->Items(item->StyleNo);
        const TRVBiDiMode biDiMode = GetParaBiDiMode(item->ParaNo);
        if (item->StyleNo != appliedStyle || biDiMode != appliedBiDiMode) {
            textStyle->Apply(canvas, biDiMode);
            appliedStyle = item->StyleNo;
            appliedBiDiMode = biDiMode;
        }
        result += MeasureUnwrappedText(i, textStyle, canvas);
    }
    if (keepApplied) {
        FNotedSizes.AppliedStyleNo = appliedStyle;
        FNotedSizes.AppliedBiDiMode = appliedBiDiMode;
    }
    return result;
}

int TCustomRVFormattedData::MeasureUnwrappedText(int itemNo, const TFontInfo* textStyle, TCanvas* canvas)
{
    // Measured as the layout shows it: in capitals for an all-capitals style;
    // other text as it stands, without a copy.
    const TCustomRVItemInfo* item = GetItem(itemNo);
    const std::string_view text = Items->GetView(itemNo);
    if (textStyle->StyleEx().Contains(rvfsAllCaps))
        return RVU_TextWidth(RV_ReturnCapitalized(AnsiString(text), textStyle), canvas, item->ItemOptions);
    TRVNotedTextSizes& noted = FNotedSizes;
    const int slot = itemNo - noted.FirstItemNo;
    // The layout measures the text again in the same font and reading
    // direction only when no style hook and no character spacing apply.
    const bool note = noted.Noting && canvas == noted.Canvas && slot >= 0 && slot < MaxNotedTextSizes &&
                      !text.empty() && textStyle->CharSpacing() == 0 && !GetRVStyle()->OnApplyStyle &&
                      (canvas->GetTextAlign() & TA_RTLREADING) == 0;
    TSize size;
    const bool measured = RVU_TextExtent(text, canvas, item->ItemOptions, size);
    if (note && measured) {
        if (noted.Sizes.size() <= static_cast<size_t>(slot))
            noted.Sizes.resize(static_cast<size_t>(slot) + 1, TSize{-1, 0});
        noted.Sizes[static_cast<size_t>(slot)] = size;
    }
    return size.cx;
}

bool TCustomRVFormattedData::TakeNotedTextSize(int itemNo, TCanvas* canvas, TSize& size)
{
    TRVNotedTextSizes& noted = FNotedSizes;
    const int slot = itemNo - noted.FirstItemNo;
    if (canvas != noted.Canvas || slot < 0 || static_cast<size_t>(slot) >= noted.Sizes.size() ||
        noted.Sizes[static_cast<size_t>(slot)].cx < 0 || (canvas->GetTextAlign() & TA_RTLREADING) != 0)
        return false;
    const TCustomRVItemInfo* item = GetItem(itemNo);
    const TFontInfo* textStyle = GetRVStyle()->TextStyles()->Items(item->StyleNo);
    if (textStyle->CharSpacing() != 0 || textStyle->StyleEx().Contains(rvfsAllCaps) ||
        GetRVStyle()->OnApplyStyle)
        return false;
    size = noted.Sizes[static_cast<size_t>(slot)];
    noted.Sizes[static_cast<size_t>(slot)].cx = -1;
    return true;
}

void TCustomRVFormattedData::ForgetNotedTextSizes()
{
    FNotedSizes.Noting = false;
    FNotedSizes.Canvas = nullptr;
    // The pane keeps no room for the next layout: a log window holds many panes.
    std::vector<TSize>().swap(FNotedSizes.Sizes);
}

int TCustomRVFormattedData::CalculatePureParaSectionWidth(int itemNo, int& paraStartItem,
                                                          const TRVScreenAndDevice* sad, TCanvas* canvas)
{
    (void)canvas;
    return ScaleX(GetMaxIndent(GetFirstParaSectionItem(itemNo), paraStartItem), sad);
}

int TCustomRVFormattedData::CalculateMinItemsWidthPlus(int first, int last, int& paraStartItem,
                                                       const TRVScreenAndDevice* sad, TCanvas* canvas)
{
    if (canvas == nullptr)
        canvas = GetFormattingCanvas();
    int result = 0;
    int indents = 0;
    for (int i = first; i <= last; ++i) {
        if (IsParaStart(i))
            paraStartItem = i;
        if (i == first || IsFromNewLine(i))
            indents = CalculatePureParaSectionWidth(i, paraStartItem, sad, canvas);
        result = std::max(result, CalculateMinItemWidthPlus_WithoutPSWidth(i, sad, canvas) + indents);
    }
    // The items applied fonts of their own.
    FNotedSizes.AppliedStyleNo = -1;
    return result;
}

int TCustomRVFormattedData::CalculateMinItemWidthPlus_WithoutPSWidth(int itemNo,
                                                                     const TRVScreenAndDevice* sad,
                                                                     TCanvas* canvas)
{
    if (canvas == nullptr)
        canvas = GetFormattingCanvas();
    TCustomRVItemInfo* item = GetItem(itemNo);
    int result = item->GetMinWidth(sad, canvas, this);
    // A list marker and the item after it on its line cannot be parted.
    if (itemNo > 0 && item->GetSameAsPrev()) {
        TCustomRVItemInfo* prev = GetItem(itemNo - 1);
        if (prev->StyleNo == rvsListMarker)
            result += prev->GetMinWidth(sad, canvas, this);
    }
    return result;
}

int TCustomRVFormattedData::CalculateParaSectionsMinWidthDef(int first, int last)
{
    int paraStartItem = -1;
    return CalculateParaSectionsMinWidth(first, last, paraStartItem, nullptr, GetFormattingCanvas());
}

int TCustomRVFormattedData::CalculateParaSectionMinWidthDef(int itemNo)
{
    int paraStartItem = -1;
    return CalculateParaSectionMinWidth(itemNo, paraStartItem, nullptr, GetFormattingCanvas());
}

int TCustomRVFormattedData::CalculateMinItemWidthPlusEx(int itemNo)
{
    int paraStartItem = -1;
    return CalculateMinItemsWidthPlus(itemNo, itemNo, paraStartItem, nullptr, GetFormattingCanvas());
}

int TCustomRVFormattedData::CalculateMinItemsWidthPlusEx(int first, int last)
{
    if (first > last)
        return 0;
    TRVStyle* style = GetRVStyle();
    auto noWrap = [&](int itemNo) {
        return style != nullptr &&
               style->ParaStyles()->Items(GetItemPara(itemNo))->Options().Contains(rvpaoNoWrap);
    };
    int s1First, s1Last, s2First, s2Last;
    ExpandToParaSection(first, first, s1First, s1Last);
    ExpandToParaSection(last, last, s2First, s2Last);
    int paraStartItem = -1;
    int result;
    // The part of First's section from First on.
    if (noWrap(first))
        result = CalculateParaSectionMinWidthDef(first);
    else
        result = CalculateMinItemsWidthPlus(first, std::min(s1Last, last), paraStartItem, nullptr,
                                            GetFormattingCanvas());
    if (s1Last >= last)
        return result;
    // The part of Last's section up to Last.
    paraStartItem = -1;
    if (noWrap(last))
        result = std::max(result, CalculateParaSectionMinWidthDef(last));
    else
        result = std::max(
            result, CalculateMinItemsWidthPlus(s2First, last, paraStartItem, nullptr, GetFormattingCanvas()));
    // The whole sections between the two.
    if (s2First > s1Last + 1)
        result = std::max(result, CalculateParaSectionsMinWidthDef(s1Last + 1, s2First - 1));
    return result;
}

int TCustomRVFormattedData::CalculateMinWidthAfterInsert(TCustomRVItemInfo* item, int itemNo)
{
    int result = item->GetMinWidth(nullptr, nullptr, this);
    TRVStyle* style = GetRVStyle();
    if (style != nullptr && style->ParaStyles()->Items(GetItemPara(itemNo))->Options().Contains(rvpaoNoWrap))
        result += CalculateParaSectionMinWidthDef(itemNo);
    return result;
}

int TCustomRVFormattedData::GetMaxIndent(int itemNo, int& paraStartItem)
{
    if (paraStartItem < 0)
        paraStartItem = GetFirstParaItem(itemNo);
    TRVStyle* style = GetRVStyle();
    if (style == nullptr)
        return 0;
    TCustomRVItemInfo* item = GetItem(itemNo);
    const TParaInfo* para = style->ParaStyles()->Items(item->ParaNo);

    // A list paragraph takes its indents from the list level: the level of its
    // marker, or of the marker of a first paragraph begun elsewhere.
    TRVListLevel* level = nullptr;
    TCustomRVItemInfo* first = GetItem(paraStartItem);
    // Text items are never markers: no type query for them.
    if (auto* marker = first->StyleNo < 0 ? dynamic_cast<TRVMarkerItemInfo*>(first) : nullptr)
        level = marker->GetLevelInfo(style);
    if (level == nullptr && paraStartItem == 0 && State.Contains(rvstFirstParaAborted)) {
        int listNo, levelNo;
        if (GetFirstItemMarker(listNo, levelNo))
            level = RVGetLevelInfo(style, listNo, levelNo);
    }
    if (level != nullptr) {
        int result = level->LeftIndent() + std::max(level->FirstIndent(), 0);
        if (GetParaBiDiMode(item->ParaNo) == rvbdRightToLeft)
            result += para->LeftIndent();
        else
            result += para->RightIndent();
        return result;
    }
    int result = para->LeftIndent() + para->RightIndent();
    if (para->FirstIndent() > 0 && !item->GetBoolValue(rvbpFullWidth))
        result += para->FirstIndent();
    return result;
}
