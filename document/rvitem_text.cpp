// The text item: a run of text of one text style, kept in the store's string.
// It is laid out and drawn by the layout engine through the style sheet; as an
// item it answers the hyperlink questions of its style and renumbers its style.
#include "document/rvitem.h"
#include "document/rvstyle.h"

TRVItemClass TRVTextItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVTextItemInfo>();
}

bool TRVTextItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const
{
    if (RVStyle == nullptr)
        return TCustomRVItemInfo::GetBoolValueEx(Prop, RVStyle);
    switch (Prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus:
        // The text styles answer every index (a substitute style outside the sheet).
        return RVStyle->TextStyles()->Items(StyleNo)->Jump();
    case rvbpHotColdJump:
        return RVStyle->TextStyles()->Items(StyleNo)->Jump() && RVStyle->StyleHoverSensitive(StyleNo);
    default:
        return TCustomRVItemInfo::GetBoolValueEx(Prop, RVStyle);
    }
}

void TRVTextItemInfo::MarkStylesInUse(TRVIntegerList* UsedTextStyles, TRVIntegerList* UsedParaStyles,
                                      TRVIntegerList* UsedListStyles)
{
    TCustomRVItemInfo::MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
    if (UsedTextStyles != nullptr && StyleNo >= 0 && StyleNo < UsedTextStyles->Count())
        UsedTextStyles->Put(StyleNo, 1);
}

void TRVTextItemInfo::UpdateStyles(TRVIntegerList* TextStylesShift, TRVIntegerList* ParaStylesShift,
                                   TRVIntegerList* ListStylesShift)
{
    TCustomRVItemInfo::UpdateStyles(TextStylesShift, ParaStylesShift, ListStylesShift);
    if (TextStylesShift != nullptr && StyleNo >= 0 && StyleNo < TextStylesShift->Count())
        StyleNo -= TextStylesShift->Get(StyleNo) - 1;
}
