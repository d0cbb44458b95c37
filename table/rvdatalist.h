// Sub-documents inside items: TRVItemFormattedData, a laid-out document with no
// window of its own that asks the document holding its item for everything a
// control would answer, and TRVDataList, the owning list of such documents.
#pragma once

#include "document/rvclasses.h"
#include "view/crvfdata.h"

class TCustomRVData;

// An owning list of sub-documents (a table row owns its cells). Flags are the
// layout and behaviour flags every sub-document held by the list reports as
// its own.
class TRVDataList : public TRVList {
public:
    // Flags start as rvflTrim and rvflMouseXYAlwaysCorrect. RVData is not kept here.
    explicit TRVDataList(TCustomRVData* rvData);
    // Frees the sub-documents while the list still answers for them.
    ~TRVDataList() override { Clear(); }
    const char* ClassName() const override { return "TRVDataList"; }
    // The document that holds the item the list belongs to; none here.
    virtual TCustomRVData* GetParentRVData();

    TRVFlags Flags;
};

// A sub-document: belongs to a list (not owned; the list owns it) and shares
// the list's flags. It has no margins, scrolling or events of its own; a root
// question (canvas, style sheet, cursor, hyperlink addresses) goes to the root
// of the document holding the owner item. The creator adds it to the list.
class TRVItemFormattedData : public TCustomRVFormattedData {
public:
    explicit TRVItemFormattedData(TRVDataList* aList);
    ~TRVItemFormattedData() override;
    const char* ClassName() const override { return "TRVItemFormattedData"; }

    TRVDataList* List;
    // Moves the sub-document to another list (null: none). Answers kept
    // about holders (TRVSaveAnswers) are dropped when the list changes.
    void SetList(TRVDataList* list);

    TCustomRVData* GetParentData() override;
    TCustomRVData* GetRootData() override;
    TCustomRVData* GetAbsoluteParentData() override;
    TCustomRVData* GetAbsoluteRootData() override;
    TRVFlags GetFlags() override;
    // ERollViewError: flags are set on the list only.
    void SetFlags(TRVFlags value) override;
    int GetAreaWidth() override { return 0; }
    int GetLeftMargin() override { return 0; }
    int GetRightMargin() override { return 0; }
    int GetTopMargin() override { return 0; }
    int GetBottomMargin() override { return 0; }
    int GetMinTextWidth() override { return 0; }
    int GetMaxTextWidth() override { return 0; }
    TRVBackground* GetBackground() override { return nullptr; }
    void AdjustVScrollUnits() override {}
    void SetDocumentAreaSize(int, int, bool) override {}
    bool RepaintsPartialLayout() override { return false; }
    void ScrollTo(int, bool) override {}
    void HScrollTo(int) override {}
    int GetVSmallStep() override { return 0; }

    // A sub-document shows whole: from its item 0 (also when empty) to its
    // last item (-1 when empty).
    int GetFirstItemVisible() override { return 0; }
    int GetLastItemVisible() override { return GetItemCount() - 1; }
    // Scrolls the root so that a rectangle of this sub-document shows.
    void ShowRectangle(int left, int top, int width, int height) override;
    AnsiString GetURL(int id) override;
    bool IsAssignedRVMouseDown() override { return false; }
    bool IsAssignedRVMouseUp() override { return false; }
    bool IsAssignedJump() override { return false; }
    bool IsAssignedCheckpointVisible() override { return false; }
    void DoRVMouseMove(int) override {}
    void DoRVMouseDown(TMouseButton, TShiftState, int, int, int) override {}
    void DoRVMouseUp(TMouseButton, TShiftState, int, int, int) override {}
    void DoCheckpointVisible(TRVCPInfo*) override {}
    void DoJump(int) override {}
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    // Pictures inside sub-documents are saved by the root's HTML image event.
    void HTMLSaveImage(TCustomRVData* rvData, int itemNo, const AnsiString& path, TColor backgroundColor,
                       AnsiString& location, bool& doDefault) override;
    TCursor GetNormalCursor() override;
};
