// Sub-documents inside items and their owning list.
#include "table/rvdatalist.h"

#include "document/rvtypes.h"

TRVDataList::TRVDataList(TCustomRVData* rvData) : Flags{rvflTrim, rvflMouseXYAlwaysCorrect}
{
    (void)rvData;
}

TCustomRVData* TRVDataList::GetParentRVData()
{
    return nullptr;
}

TRVItemFormattedData::TRVItemFormattedData(TRVDataList* aList) : List(aList) {}

// Detached first: a sub-document going away raises no event in the document
// that holds its item.
TRVItemFormattedData::~TRVItemFormattedData()
{
    List = nullptr;
    TRVSaveAnswers::Forget(this);
    Clear();
}

void TRVItemFormattedData::SetList(TRVDataList* list)
{
    if (list == List)
        return;
    List = list;
    TRVSaveAnswers::Forget(nullptr);
}

TCustomRVData* TRVItemFormattedData::GetParentData()
{
    return List != nullptr ? List->GetParentRVData() : nullptr;
}

TCustomRVData* TRVItemFormattedData::GetRootData()
{
    TRVSaveAnswers* answers = TRVSaveAnswers::Active();
    if (answers) {
        const auto known = answers->Roots.find(this);
        if (known != answers->Roots.end())
            return known->second;
    }
    TCustomRVData* parent = GetParentData();
    TCustomRVData* root = parent != nullptr ? parent->GetRootData() : this;
    if (answers)
        answers->Roots.emplace(this, root);
    return root;
}

TCustomRVData* TRVItemFormattedData::GetAbsoluteParentData()
{
    return GetParentData();
}

TCustomRVData* TRVItemFormattedData::GetAbsoluteRootData()
{
    TCustomRVData* parent = GetAbsoluteParentData();
    return parent != nullptr ? parent->GetAbsoluteRootData() : this;
}

TRVFlags TRVItemFormattedData::GetFlags()
{
    return List != nullptr ? List->Flags : TRVFlags();
}

void TRVItemFormattedData::SetFlags(TRVFlags value)
{
    (void)value;
    throw ERollViewError("This method is not supported for TRVItemFormattedData");
}

void TRVItemFormattedData::ShowRectangle(int left, int top, int width, int height)
{
    TCustomRVData* root = GetRootData();
    auto* fRoot = dynamic_cast<TCustomRVFormattedData*>(root);
    if (fRoot == nullptr || root == this)
        return;
    int x = 0;
    int y = 0;
    GetOriginEx(x, y);
    fRoot->ShowRectangle(left + x, top + y, width, height);
}

AnsiString TRVItemFormattedData::GetURL(int id)
{
    TCustomRVData* root = GetRootData();
    return root != this ? root->GetURL(id) : AnsiString();
}

void TRVItemFormattedData::HTMLSaveImage(TCustomRVData* rvData, int itemNo, const AnsiString& path,
                                         TColor backgroundColor, AnsiString& location, bool& doDefault)
{
    TCustomRVData* root = GetRootData();
    if (root != this)
        root->HTMLSaveImage(rvData, itemNo, path, backgroundColor, location, doDefault);
}

TCursor TRVItemFormattedData::GetNormalCursor()
{
    auto* root = dynamic_cast<TCustomRVFormattedData*>(GetRootData());
    return root != nullptr && root != this ? root->GetNormalCursor() : TCursor(0);
}
