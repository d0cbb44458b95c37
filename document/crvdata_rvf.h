// What the RVF writer and reader of the item store share: the document a
// list-style collection is streamed for, so that its levels can name their
// image lists by tag. Used by crvdata_rvfsave.cpp and crvdata_rvfload.cpp only.
#pragma once

#include "document/crvdata.h"
#include "document/rvstyle_list.h"

// Stands for a document while a list-style collection is written or read
// inside its RVF: the levels ask it for the image lists named by tag. Refers
// to the document without owning it.
class TRVFListDocument : public TPersistent, public TRVImageListProvider {
public:
    explicit TRVFListDocument(TCustomRVData* rvData) : FRVData(rvData) {}
    const char* ClassName() const override { return "TRVFListDocument"; }
    TCustomImageList* RVFImageListNeeded(int imageListTag) override
    {
        return FRVData->RVFImageListNeeded(imageListTag);
    }

private:
    TCustomRVData* FRVData;
};

// Gives a list-style collection the document for the lifetime of the guard
// and takes it back afterwards, however the block is left.
class TRVFListDocumentGuard {
public:
    TRVFListDocumentGuard(TRVListInfos* lists, TCustomRVData* rvData)
        : FLists(lists), FDocument(rvData), FOld(lists->RVData())
    {
        FLists->SetRVData(&FDocument);
    }
    ~TRVFListDocumentGuard() { FLists->SetRVData(FOld); }
    TRVFListDocumentGuard(const TRVFListDocumentGuard&) = delete;
    TRVFListDocumentGuard& operator=(const TRVFListDocumentGuard&) = delete;

private:
    TRVListInfos* FLists;
    TRVFListDocument FDocument;
    TPersistent* FOld;
};
