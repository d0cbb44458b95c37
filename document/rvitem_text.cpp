// The text item: a run of text of one text style, kept in the store's string.
// It is laid out and drawn by the layout engine through the style sheet; as an
// item it answers the hyperlink questions of its style and renumbers its style.
#include "document/rvitem.h"
#include "document/rvstyle.h"

TRVItemClass TRVTextItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVTextItemInfo>();
}

bool TRVTextItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    if (rvStyle == nullptr)
        return TCustomRVItemInfo::GetBoolValueEx(prop, rvStyle);
    switch (prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus:
        // The text styles answer every index (a substitute style outside the sheet).
        return rvStyle->TextStyles()->Items(StyleNo)->Jump();
    case rvbpHotColdJump:
        return rvStyle->TextStyles()->Items(StyleNo)->Jump() && rvStyle->StyleHoverSensitive(StyleNo);
    default:
        return TCustomRVItemInfo::GetBoolValueEx(prop, rvStyle);
    }
}

void TRVTextItemInfo::MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                                      TRVIntegerList* usedListStyles)
{
    TCustomRVItemInfo::MarkStylesInUse(usedTextStyles, usedParaStyles, usedListStyles);
    if (usedTextStyles != nullptr && StyleNo >= 0 && StyleNo < usedTextStyles->Count())
        usedTextStyles->Put(StyleNo, 1);
}

void TRVTextItemInfo::UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                                   TRVIntegerList* listStylesShift)
{
    TCustomRVItemInfo::UpdateStyles(textStylesShift, paraStylesShift, listStylesShift);
    if (textStylesShift != nullptr && StyleNo >= 0 && StyleNo < textStylesShift->Count())
        StyleNo -= textStylesShift->Get(StyleNo) - 1;
}
