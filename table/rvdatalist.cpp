// Sub-documents inside items and their owning list.
#include "table/rvdatalist.h"

#include "document/rvtypes.h"

TRVDataList::TRVDataList(TCustomRVData* RVData) : Flags{rvflTrim, rvflMouseXYAlwaysCorrect}
{
    (void)RVData;
}

TCustomRVData* TRVDataList::GetParentRVData()
{
    return nullptr;
}

TRVItemFormattedData::TRVItemFormattedData(TRVDataList* AList) : List(AList) {}

// Detached first: a sub-document going away raises no event in the document
// that holds its item.
TRVItemFormattedData::~TRVItemFormattedData()
{
    List = nullptr;
    Clear();
}

TCustomRVData* TRVItemFormattedData::GetParentData()
{
    return List != nullptr ? List->GetParentRVData() : nullptr;
}

TCustomRVData* TRVItemFormattedData::GetRootData()
{
    TCustomRVData* Parent = GetParentData();
    return Parent != nullptr ? Parent->GetRootData() : this;
}

TCustomRVData* TRVItemFormattedData::GetAbsoluteParentData()
{
    return GetParentData();
}

TCustomRVData* TRVItemFormattedData::GetAbsoluteRootData()
{
    TCustomRVData* Parent = GetAbsoluteParentData();
    return Parent != nullptr ? Parent->GetAbsoluteRootData() : this;
}

TRVFlags TRVItemFormattedData::GetFlags()
{
    return List != nullptr ? List->Flags : TRVFlags();
}

void TRVItemFormattedData::SetFlags(TRVFlags Value)
{
    (void)Value;
    throw ERollViewError("This method is not supported for TRVItemFormattedData");
}

void TRVItemFormattedData::ShowRectangle(int Left, int Top, int Width, int Height)
{
    TCustomRVData* Root = GetRootData();
    auto* FRoot = dynamic_cast<TCustomRVFormattedData*>(Root);
    if (FRoot == nullptr || Root == this)
        return;
    int X = 0;
    int Y = 0;
    GetOriginEx(X, Y);
    FRoot->ShowRectangle(Left + X, Top + Y, Width, Height);
}

AnsiString TRVItemFormattedData::GetURL(int Id)
{
    TCustomRVData* Root = GetRootData();
    return Root != this ? Root->GetURL(Id) : AnsiString();
}

void TRVItemFormattedData::HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const AnsiString& Path,
                                         TColor BackgroundColor, AnsiString& Location, bool& DoDefault)
{
    TCustomRVData* Root = GetRootData();
    if (Root != this)
        Root->HTMLSaveImage(RVData, ItemNo, Path, BackgroundColor, Location, DoDefault);
}

TCursor TRVItemFormattedData::GetNormalCursor()
{
    auto* Root = dynamic_cast<TCustomRVFormattedData*>(GetRootData());
    return Root != nullptr && Root != this ? Root->GetNormalCursor() : TCursor(0);
}
