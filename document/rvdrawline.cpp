// The draw-item base: position and size, and no page splitting.
#include "document/rvdrawline.h"

TRVDrawLineInfo::TRVDrawLineInfo(int aLeft, int aTop, int aWidth, int aHeight, int aItemNo, bool aFromNewLine)
    : TRVDrawLineInfo()
{
    SetData(aLeft, aTop, aItemNo, aFromNewLine);
    SetSize(aWidth, aHeight);
}

void TRVDrawLineInfo::SetData(int aLeft, int aTop, int aItemNo, bool aFromNewLine)
{
    Left = aLeft;
    Top = aTop;
    ItemNo = aItemNo;
    FromNewLine = aFromNewLine;
}

void TRVDrawLineInfo::SetSize(int aWidth, int aHeight)
{
    Width = aWidth;
    Height = aHeight;
}

bool TRVDrawLineInfo::InitSplit()
{
    return false;
}

bool TRVDrawLineInfo::CanSplitFirst(int height)
{
    (void)height;
    return false;
}

bool TRVDrawLineInfo::SplitAt(int height)
{
    (void)height;
    return false;
}

int TRVMultiDrawItemPart::GetSoftPageBreakInfo() const
{
    return -1;
}
