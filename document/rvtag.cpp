// Tag values: comparison and copying.
#include "document/rvtag.h"

const AnsiString& TRVTag::AsString() const
{
    static const AnsiString empty;
    return FText ? *FText : empty;
}

bool TRVTag::operator==(const TRVTag& Other) const
{
    if (IsString() != Other.IsString())
        return false;
    return FText ? *FText == *Other.FText : FValue == Other.FValue;
}

TRVTag RV_CopyTag(const TRVTag& Tag, bool /*TagsArePChars*/)
{
    return Tag;
}

bool RV_CompareTags(const TRVTag& Tag1, const TRVTag& Tag2, bool /*TagsArePChars*/)
{
    return Tag1 == Tag2;
}
