// The draw-item base: position and size, and no page splitting.
#include "document/rvdrawline.h"

TRVDrawLineInfo::TRVDrawLineInfo(int ALeft, int ATop, int AWidth, int AHeight, int AItemNo, bool AFromNewLine)
{
    SetData(ALeft, ATop, AItemNo, AFromNewLine);
    SetSize(AWidth, AHeight);
}

void TRVDrawLineInfo::SetData(int ALeft, int ATop, int AItemNo, bool AFromNewLine)
{
    Left = ALeft;
    Top = ATop;
    ItemNo = AItemNo;
    FromNewLine = AFromNewLine;
}

void TRVDrawLineInfo::SetSize(int AWidth, int AHeight)
{
    Width = AWidth;
    Height = AHeight;
}

bool TRVDrawLineInfo::InitSplit()
{
    return false;
}

bool TRVDrawLineInfo::CanSplitFirst(int Height)
{
    (void)Height;
    return false;
}

bool TRVDrawLineInfo::SplitAt(int Height)
{
    (void)Height;
    return false;
}

int TRVMultiDrawItemPart::GetSoftPageBreakInfo() const
{
    return -1;
}
