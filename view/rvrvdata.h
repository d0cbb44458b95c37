// The viewer's root document data: TRVControlData (keyboard focus among the
// focusable items of a document, Tab navigation, the focus rectangle, painting
// through an off-screen bitmap) and TRollViewRVData (every setting, size,
// colour, scroll operation and event taken from the viewer control that owns it).
#pragma once

#include <cstdint>
#include <memory>

#include "view/crvfdata.h"
#include "view/rvviewtypes.h"

class TBitmap;
class TCustomRollView;
class TRVIntegerList;
class TRVMarkerList;
class TRVScroller;

// The vertical scroll unit that keeps a document of Height pixels within
// MaxUnits positions: CurrentStep while it does; else the smallest step that
// does; back to the normal step 10 once that fits again. Never below 1.
int RV_AdjustedVSmallStep(int64_t height, int currentStep, int64_t maxUnits);

// A formatted document with keyboard focus among its focusable items
// (hyperlinks, controls, items inside table cells). The top focus is the item
// TopFocusedItemNo of TopFocusedRVData, which may be this data or a
// sub-document (not owned); -1 and null when no item has the focus. Owns the
// off-screen bitmap that painting keeps from one paint to the next.
class TRVControlData : public TCustomRVFormattedData {
public:
    TRVControlData();
    ~TRVControlData() override;
    const char* ClassName() const override { return "TRVControlData"; }

    // Records the top focus besides the focused item.
    void AdjustFocus(int newFocusedItemNo, TCustomRVData* aTopFocusedRvData, int aTopFocusedItemNo) override;
    bool FocusesClickedItems() override { return true; }
    // Frees the draw items; the top focus goes with them.
    void ClearTemporal() override;
    // Also takes the focus from the focused item.
    void Deselect(TCustomRVItemInfo* newPartiallySelected, bool makeEvent) override;
    // The focus rectangle is taken away while the release is handled.
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

    // Moves the focus to the next (or previous) focusable item, or out of the
    // document to the next control of the form in tab order. PrevControl is
    // the control the focus comes from (the viewer itself when Tab is pressed
    // in it), or null.
    void DoTabNavigation(bool goForward, TWinControl* prevControl);
    // The dotted rectangle around the focused item (XOR: drawing it twice
    // removes it); nothing unless the item asks for one.
    void DrawFocusedRect(TCanvas* canvas);
    // Enter on the focused item: its hypertext action.
    void ExecuteFocused();
    // Paints the canvas's clip rectangle of the parent control: background and
    // document into an off-screen bitmap, then copied at once. An exception
    // raised while painting is drawn as "Error:" and its message at the top
    // left of Canvas (null: the parent control's canvas); it never escapes.
    void PaintBuffered(TCanvas* canvas = nullptr);

    TRVTabNavigationType TabNavigation = rvtnTab;
    int TopFocusedItemNo = -1;
    TCustomRVData* TopFocusedRVData = nullptr;

private:
    // The next control of the form in tab order after (or before) Control,
    // skipping this document's control and everything inside it; null when none.
    TWinControl* FindNextFormControl(TWinControl* control, bool goForward);

    // The off-screen bitmap of PaintBuffered, made on the first paint; a
    // paint nested in another (while FPainting) uses a bitmap of its own.
    std::unique_ptr<TBitmap> FPaintBuffer;
    bool FPainting = false;
};

// The root document data of a viewer. It keeps no settings of its own:
// options, margins, sizes, colours, scroll offsets and the style sheet are
// the control's; every event hook fires the control's handler when it is
// assigned, with the control as sender. The control owns this data and
// outlives it. Owns the list-marker list of the document (created on demand)
// and the style maps of an RVF read in progress.
class TRollViewRVData : public TRVControlData {
public:
    explicit TRollViewRVData(TCustomRollView* aRollView);
    ~TRollViewRVData() override;
    const char* ClassName() const override { return "TRollViewRVData"; }

    // A class reference: makes the data of a viewer (the editor has its own).
    static TRollViewRVData* Create(TCustomRollView* aRollView) { return new TRollViewRVData(aRollView); }

    TCustomRollView* RollView() const { return FRollView; }

    // ---- Settings of the control
    TRVOptions GetOptions() override;
    void SetOptions(TRVOptions value) override;
    TRVFOptions GetRVFOptions() override;
    void SetRVFOptions(TRVFOptions value) override;
    TRVRTFOptions GetRTFOptions() override;
    void SetRTFOptions(TRVRTFOptions value) override;
    TRVFWarnings GetRVFWarnings() override;
    void SetRVFWarnings(TRVFWarnings value) override;
    TRVFReaderStyleMode GetRVFTextStylesReadMode() override;
    TRVFReaderStyleMode GetRVFParaStylesReadMode() override;
    TRVFlags GetFlags() override;
    void SetFlags(TRVFlags value) override;
    TRVPaletteAction GetDoInPaletteMode() override;
    HPALETTE GetRVPalette() override;
    PLogPalette GetRVLogPalette() override;
    TRVBiDiMode GetBiDiMode() override;
    TRVStyle* GetRVStyle() override;
    TWinControl* GetParentControl() override;
    AnsiString GetDelimiters() override;
    TRVRTFReaderProperties* GetRTFProperties() override;
    bool CanLoadLayout() const override { return true; }
    TCPEventKind GetCPEventKind() override;

    // ---- Geometry of the control
    TCanvas* GetCanvas() override;
    // The viewer's measuring canvas; null before the window exists.
    TCanvas* GetFormattingCanvas() override;
    int GetWidth() override;
    int GetHeight() override;
    int GetAreaWidth() override;
    int GetHOffs() override;
    // VPos x VSmallStep, computed in 64 bits (kept within 32).
    int GetVOffs() override;
    int GetLeftMargin() override;
    int GetRightMargin() override;
    int GetTopMargin() override;
    int GetBottomMargin() override;
    int GetMinTextWidth() override;
    int GetMaxTextWidth() override;
    TRVBackground* GetBackground() override;
    TColor GetColor() override;
    TCursor GetNormalCursor() override;
    int GetVSmallStep() override;

    // ---- Scrolling
    // Nothing while rvstNoScroll is set.
    void ScrollTo(int y, bool redraw) override;
    void HScrollTo(int x) override;
    // The height in units, rounded up in 64 bits.
    void SetDocumentAreaSize(int width, int height, bool updateH) override;
    void SetVScrollBarKept(bool kept) override;
    // Chooses the step so that DocumentHeight fits the 32-bit scroll positions
    // (RV_AdjustedVSmallStep): the normal step 10 for every document whose
    // height in units of 10 fits, a larger one only beyond that.
    void AdjustVScrollUnits() override;
    static constexpr int64_t MaxVScrollUnits = INT32_MAX;

    // ---- Clearing and tail layouts
    void ClearTemporal() override;
    // Lays out the items appended since the last layout (the whole document
    // when the engine cannot continue the last one). Either way the selection,
    // a drag selection in progress, the hovered and the pressed hyperlink and
    // the keyboard focus stay as they were: a pane that is appended to while
    // the user drags keeps the drag.
    void FormatTailKeepingState(TCanvas* canvas);

    // ---- Style maps of an RVF read and list markers
    void InitStyleMappings(TRVIntegerList*& pTextStylesMapping, TRVIntegerList*& pParaStylesMapping,
                           TRVIntegerList*& pListStylesMapping) override;
    void DoneStyleMappings(TRVIntegerList* pTextStylesMapping, TRVIntegerList* pParaStylesMapping,
                           TRVIntegerList* pListStylesMapping) override;
    TRVMarkerList* GetMarkers(bool allowCreate) override;
    void DestroyMarkers() override;

    // ---- The chosen sub-document and its in-place editor (the scroller's)
    TCustomRVData* GetChosenRVData() override;
    TCustomRVItemInfo* GetChosenItem() override;
    void AssignChosenRVData(TCustomRVData* rvData, TCustomRVItemInfo* item) override;
    void SilentReplaceChosenRVData(TCustomRVData* rvData) override;
    void UnassignChosenRVData(TCustomRVData* rvData) override;
    TWinControl* GetInplaceEditor() override;
    void DestroyInplaceEditor() override;

    // ---- Event hooks: the control's handlers
    AnsiString GetURL(int id) override;
    AnsiString GetExtraRTFCode(TRVRTFSaveArea area, TObject* obj, int index1, int index2,
                               bool inStyleSheet) override;
    AnsiString GetExtraHTMLCode(TRVHTMLSaveArea area, bool cssVersion) override;
    // A bullet read as a hyperlink becomes a hot spot, a picture a hypertext
    // picture, before the handler sees it.
    void ReadHyperlink(const AnsiString& target, const AnsiString& extras, TRVLoadFormat docFormat,
                       int& styleNo, TRVTag& itemTag, AnsiString& itemName) override;
    TGraphic* RVFPictureNeeded(const AnsiString& itemName, const TRVTag& itemTag) override;
    TControl* RVFControlNeeded(const AnsiString& itemName, const TRVTag& itemTag) override;
    TCustomImageList* RVFImageListNeeded(int imageListTag) override;
    AnsiString SaveComponentToFile(const AnsiString& path, TComponent* saveMe,
                                   TRVSaveFormat saveFormat) override;
    void HTMLSaveImage(TCustomRVData* rvData, int itemNo, const AnsiString& path, TColor backgroundColor,
                       AnsiString& location, bool& doDefault) override;
    void ControlAction2(TRVControlAction controlAction, int itemNo, TControl*& ctrl) override;
    void ItemAction(TRVItemAction itemAction, TCustomRVItemInfo* item, AnsiString& text,
                    TCustomRVData* rvData) override;
    void DoJump(int id) override;
    bool IsAssignedJump() override;
    void DoRVMouseMove(int id) override;
    void DoRVMouseDown(TMouseButton button, TShiftState shift, int itemNo, int x, int y) override;
    void DoRVMouseUp(TMouseButton button, TShiftState shift, int itemNo, int x, int y) override;
    bool IsAssignedRVMouseDown() override;
    bool IsAssignedRVMouseUp() override;
    void DoRVRightClick(const AnsiString& clickedWord, int styleNo, int x, int y) override;
    bool IsAssignedRVRightClick() override;
    void DoRVDblClick(const AnsiString& clickedWord, int styleNo) override;
    bool IsAssignedRVDblClick() override;
    void DoCheckpointVisible(TRVCPInfo* checkpointData) override;
    bool IsAssignedCheckpointVisible() override;
    void DoCopy() override;
    bool IsAssignedCopy() override;
    // OnSelect, only while the control is not being destroyed and its window exists.
    void DoSelect() override;

    // The style maps of the RVF read in progress (null outside one).
    TRVIntegerList* TextStylesMapping = nullptr;
    TRVIntegerList* ParaStylesMapping = nullptr;
    TRVIntegerList* ListStylesMapping = nullptr;

private:
    TCustomRollView* FRollView;
    std::unique_ptr<TRVMarkerList> FMarkers;
    // Set while a tail layout runs: ClearTemporal then keeps the mouse state.
    bool FKeepingState = false;
    bool FClearedDuringTail = false;
};
