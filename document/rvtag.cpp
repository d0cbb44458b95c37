// Tag values: comparison and copying.
#include "document/rvtag.h"

const AnsiString& TRVTag::AsString() const
{
    static const AnsiString empty;
    return IsString() ? *Text() : empty;
}

bool TRVTag::operator==(const TRVTag& other) const
{
    if (IsString() != other.IsString())
        return false;
    return IsString() ? *Text() == *other.Text() : FBits == other.FBits;
}

TRVTag RV_CopyTag(const TRVTag& tag, bool /*TagsArePChars*/)
{
    return tag;
}

bool RV_CompareTags(const TRVTag& tag1, const TRVTag& tag2, bool /*TagsArePChars*/)
{
    return tag1 == tag2;
}
