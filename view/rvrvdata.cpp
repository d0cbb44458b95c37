// TRollViewRVData: the viewer's root document data, answering every setting,
// size, colour and scroll operation from the control, firing the control's
// events, keeping the style maps of an RVF read and the list-marker list, and
// keeping the mouse state across a tail layout. The vertical scroll unit.
#include "view/rvrvdata.h"

#include <algorithm>
#include <climits>

#include "document/rvclasses.h"
#include "document/rvmarker.h"
#include "document/rvset.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "view/rollview.h"

namespace {

// The normal vertical scroll unit, in pixels.
constexpr int NormalVSmallStep = 10;

} // namespace

int RV_AdjustedVSmallStep(int64_t height, int currentStep, int64_t maxUnits)
{
    currentStep = std::max(currentStep, 1);
    maxUnits = std::max<int64_t>(maxUnits, 1);
    height = std::max<int64_t>(height, 0);
    if (height / currentStep <= maxUnits) {
        // Back to the normal unit as soon as the document fits in it.
        if (currentStep > NormalVSmallStep && height / NormalVSmallStep <= maxUnits)
            return NormalVSmallStep;
        return currentStep;
    }
    int64_t step = height / maxUnits;
    if (step < 1 || height / step > maxUnits)
        ++step;
    return RV_Clamp32(step);
}

// ---------------------------------------------------------------------------
// Construction and settings

TRollViewRVData::TRollViewRVData(TCustomRollView* aRollView) : FRollView(aRollView) {}

TRollViewRVData::~TRollViewRVData()
{
    // The items go while this class still answers the hooks they call.
    Clear();
    DoneStyleMappings(TextStylesMapping, ParaStylesMapping, ListStylesMapping);
    FMarkers.reset();
}

TRVOptions TRollViewRVData::GetOptions()
{
    return FRollView->Options();
}

void TRollViewRVData::SetOptions(TRVOptions value)
{
    FRollView->SetOptions(value);
}

TRVFOptions TRollViewRVData::GetRVFOptions()
{
    return FRollView->RVFOptions();
}

void TRollViewRVData::SetRVFOptions(TRVFOptions value)
{
    FRollView->SetRVFOptions(value);
}

TRVRTFOptions TRollViewRVData::GetRTFOptions()
{
    return FRollView->RTFOptions();
}

void TRollViewRVData::SetRTFOptions(TRVRTFOptions value)
{
    FRollView->SetRTFOptions(value);
}

TRVFWarnings TRollViewRVData::GetRVFWarnings()
{
    return FRollView->RVFWarnings();
}

void TRollViewRVData::SetRVFWarnings(TRVFWarnings value)
{
    FRollView->SetRVFWarnings(value);
}

TRVFReaderStyleMode TRollViewRVData::GetRVFTextStylesReadMode()
{
    return FRollView->RVFTextStylesReadMode();
}

TRVFReaderStyleMode TRollViewRVData::GetRVFParaStylesReadMode()
{
    return FRollView->RVFParaStylesReadMode();
}

TRVFlags TRollViewRVData::GetFlags()
{
    return FRollView->Flags();
}

void TRollViewRVData::SetFlags(TRVFlags value)
{
    FRollView->SetFlags(value);
}

TRVPaletteAction TRollViewRVData::GetDoInPaletteMode()
{
    return FRollView->DoInPaletteMode();
}

HPALETTE TRollViewRVData::GetRVPalette()
{
    return FRollView->GetPalette();
}

PLogPalette TRollViewRVData::GetRVLogPalette()
{
    return FRollView->GetLogPalette();
}

TRVBiDiMode TRollViewRVData::GetBiDiMode()
{
    return FRollView->BiDiMode();
}

TRVStyle* TRollViewRVData::GetRVStyle()
{
    return FRollView->Style();
}

TWinControl* TRollViewRVData::GetParentControl()
{
    return FRollView;
}

AnsiString TRollViewRVData::GetDelimiters()
{
    return FRollView->Delimiters();
}

TRVRTFReaderProperties* TRollViewRVData::GetRTFProperties()
{
    return FRollView->GetRTFReadProperties();
}

TCPEventKind TRollViewRVData::GetCPEventKind()
{
    return FRollView->CPEventKind();
}

// ---------------------------------------------------------------------------
// Geometry

TCanvas* TRollViewRVData::GetCanvas()
{
    // Feedback is drawn on the window's canvas; there is none before the window.
    return FRollView->HandleAllocated() ? FRollView->Canvas() : nullptr;
}

TCanvas* TRollViewRVData::GetFormattingCanvas()
{
    return FRollView->HandleAllocated() ? FRollView->GetFormattingCanvas() : nullptr;
}

int TRollViewRVData::GetWidth()
{
    return FRollView->ClientWidth();
}

int TRollViewRVData::GetHeight()
{
    return FRollView->ClientHeight();
}

int TRollViewRVData::GetAreaWidth()
{
    return FRollView->GetAreaWidth();
}

int TRollViewRVData::GetHOffs()
{
    return FRollView->HPos();
}

int TRollViewRVData::GetVOffs()
{
    return RV_Clamp32(static_cast<int64_t>(FRollView->VPos()) * FRollView->VSmallStep());
}

int TRollViewRVData::GetLeftMargin()
{
    return FRollView->LeftMargin();
}

int TRollViewRVData::GetRightMargin()
{
    return FRollView->RightMargin();
}

int TRollViewRVData::GetTopMargin()
{
    return FRollView->TopMargin();
}

int TRollViewRVData::GetBottomMargin()
{
    return FRollView->BottomMargin();
}

int TRollViewRVData::GetMinTextWidth()
{
    return FRollView->MinTextWidth();
}

int TRollViewRVData::GetMaxTextWidth()
{
    return FRollView->MaxTextWidth();
}

TRVBackground* TRollViewRVData::GetBackground()
{
    return FRollView->Background();
}

TColor TRollViewRVData::GetColor()
{
    return FRollView->GetColor();
}

TCursor TRollViewRVData::GetNormalCursor()
{
    return FRollView->Cursor();
}

int TRollViewRVData::GetVSmallStep()
{
    return FRollView->VSmallStep();
}

// ---------------------------------------------------------------------------
// Scrolling

void TRollViewRVData::ScrollTo(int y, bool redraw)
{
    if (State.Contains(rvstNoScroll))
        return;
    if (redraw)
        FRollView->ScrollTo(y);
    else
        FRollView->ScrollToNoRedraw(y);
}

void TRollViewRVData::HScrollTo(int x)
{
    if (State.Contains(rvstNoScroll))
        return;
    FRollView->SetHPos(x);
}

void TRollViewRVData::SetDocumentAreaSize(int width, int height, bool updateH)
{
    const int64_t step = std::max(FRollView->VSmallStep(), 1);
    const int64_t units = (std::max<int64_t>(height, 0) + step - 1) / step;
    FRollView->UpdateScrollBars(width, RV_Clamp32(units), true, updateH);
}

void TRollViewRVData::SetVScrollBarKept(bool kept)
{
    FRollView->SetVScrollKept(kept);
}

void TRollViewRVData::AdjustVScrollUnits()
{
    const int step = RV_AdjustedVSmallStep(DocumentHeight, FRollView->VSmallStep(), MaxVScrollUnits);
    if (step != FRollView->VSmallStep())
        FRollView->SetVSmallStep(step);
}

// ---------------------------------------------------------------------------
// Clearing and tail layouts

void TRollViewRVData::ClearTemporal()
{
    if (!FKeepingState) {
        TRVControlData::ClearTemporal();
        return;
    }
    // A tail layout that lays everything out again: the draw items go, but the
    // mouse state is put back afterwards (FormatTailKeepingState), so the
    // hovered hyperlink is forgotten without reporting that the pointer left
    // it, and the keyboard focus stays on its item.
    FClearedDuringTail = true;
    HoverJumpData = nullptr;
    TCustomRVFormattedData::ClearTemporal();
}

void TRollViewRVData::FormatTailKeepingState(TCanvas* canvas)
{
    TRVMouseStateNote Note;
    SaveMouseState(Note);
    TRVCPInfo* const reportedCp = LastReportedCP;
    FKeepingState = true;
    FClearedDuringTail = false;
    // Whatever the layout did to the draw items, the state goes back on them,
    // also when it failed halfway.
    auto restore = [&]() {
        FKeepingState = false;
        if (!FClearedDuringTail)
            return;
        RestoreMouseState(Note);
        // The checkpoint last reported is still the one the view shows.
        LastReportedCP = reportedCp;
    };
    try {
        Format_(false, true, false, 0, canvas, true, true);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

// ---------------------------------------------------------------------------
// Style maps and markers

void TRollViewRVData::InitStyleMappings(TRVIntegerList*& pTextStylesMapping,
                                        TRVIntegerList*& pParaStylesMapping,
                                        TRVIntegerList*& pListStylesMapping)
{
    // One set of maps for the whole read, sub-documents included.
    if (!TextStylesMapping)
        TextStylesMapping = new TRVIntegerList();
    if (!ParaStylesMapping)
        ParaStylesMapping = new TRVIntegerList();
    if (!ListStylesMapping)
        ListStylesMapping = new TRVIntegerList();
    pTextStylesMapping = TextStylesMapping;
    pParaStylesMapping = ParaStylesMapping;
    pListStylesMapping = ListStylesMapping;
}

void TRollViewRVData::DoneStyleMappings(TRVIntegerList*, TRVIntegerList*, TRVIntegerList*)
{
    delete TextStylesMapping;
    delete ParaStylesMapping;
    delete ListStylesMapping;
    TextStylesMapping = nullptr;
    ParaStylesMapping = nullptr;
    ListStylesMapping = nullptr;
}

TRVMarkerList* TRollViewRVData::GetMarkers(bool allowCreate)
{
    if (!GetFlags().Contains(rvflRoot))
        return TRVControlData::GetMarkers(allowCreate);
    if (!FMarkers && allowCreate)
        FMarkers = std::make_unique<TRVMarkerList>();
    return FMarkers.get();
}

void TRollViewRVData::DestroyMarkers()
{
    if (!GetFlags().Contains(rvflRoot)) {
        TRVControlData::DestroyMarkers();
        return;
    }
    FMarkers.reset();
}

// ---------------------------------------------------------------------------
// The chosen sub-document

TCustomRVData* TRollViewRVData::GetChosenRVData()
{
    return FRollView->GetChosenRVData();
}

TCustomRVItemInfo* TRollViewRVData::GetChosenItem()
{
    return FRollView->ChosenItem();
}

void TRollViewRVData::AssignChosenRVData(TCustomRVData* rvData, TCustomRVItemInfo* item)
{
    FRollView->AssignChosenRVData(rvData, item);
    TRVControlData::AssignChosenRVData(rvData, item);
}

void TRollViewRVData::SilentReplaceChosenRVData(TCustomRVData* rvData)
{
    FRollView->SilentReplaceChosenRVData(rvData);
}

TWinControl* TRollViewRVData::GetInplaceEditor()
{
    return FRollView->GetInplaceEditor();
}

void TRollViewRVData::UnassignChosenRVData(TCustomRVData* rvData)
{
    if (State.Contains(rvstUnAssigningChosen))
        return;
    // Letting the chosen document go deselects the documents nested in it
    // and closes their cell editors: the program hears of those ends once
    // this viewer has let go (TRVEndEditsHeld), and until then nothing that
    // code may still use is freed. (A call made meanwhile is one this one
    // makes, and is answered by it.)
    const TCallHold hold;
    const TRVEndEditsHeld ends;
    TRVFlagGuard unassigning(State, rvstUnAssigningChosen);
    TRVControlData::UnassignChosenRVData(rvData);
    FRollView->UnassignChosenRVData(rvData);
}

void TRollViewRVData::DestroyInplaceEditor()
{
    FRollView->DestroyInplace();
}

// ---------------------------------------------------------------------------
// Event hooks

AnsiString TRollViewRVData::GetURL(int id)
{
    AnsiString result;
    if (FRollView->OnURLNeeded)
        FRollView->OnURLNeeded(FRollView, id, result);
    return result;
}

AnsiString TRollViewRVData::GetExtraRTFCode(TRVRTFSaveArea area, TObject* obj, int index1, int index2,
                                            bool inStyleSheet)
{
    AnsiString result;
    if (FRollView->OnSaveRTFExtra)
        FRollView->OnSaveRTFExtra(FRollView, area, obj, index1, index2, inStyleSheet, result);
    return result;
}

AnsiString TRollViewRVData::GetExtraHTMLCode(TRVHTMLSaveArea area, bool cssVersion)
{
    AnsiString result;
    if (FRollView->OnSaveHTMLExtra)
        FRollView->OnSaveHTMLExtra(FRollView, area, cssVersion, result);
    return result;
}

void TRollViewRVData::ReadHyperlink(const AnsiString& target, const AnsiString& extras,
                                    TRVLoadFormat docFormat, int& styleNo, TRVTag& itemTag,
                                    AnsiString& itemName)
{
    // A bullet or a picture that is a hyperlink is read as its hypertext kind.
    if (styleNo == rvsBullet)
        styleNo = rvsHotspot;
    else if (styleNo == rvsPicture)
        styleNo = rvsHotPicture;
    if (FRollView->OnReadHyperlink)
        FRollView->OnReadHyperlink(FRollView, target, extras, docFormat, styleNo, itemTag, itemName);
}

TGraphic* TRollViewRVData::RVFPictureNeeded(const AnsiString& itemName, const TRVTag& itemTag)
{
    TGraphic* result = nullptr;
    if (FRollView->OnRVFPictureNeeded)
        FRollView->OnRVFPictureNeeded(FRollView, itemName, itemTag, result);
    return result;
}

TControl* TRollViewRVData::RVFControlNeeded(const AnsiString& itemName, const TRVTag& itemTag)
{
    TControl* result = nullptr;
    if (FRollView->OnRVFControlNeeded)
        FRollView->OnRVFControlNeeded(FRollView, itemName, itemTag, result);
    return result;
}

TCustomImageList* TRollViewRVData::RVFImageListNeeded(int imageListTag)
{
    TCustomImageList* result = nullptr;
    if (FRollView->OnRVFImageListNeeded)
        FRollView->OnRVFImageListNeeded(FRollView, imageListTag, result);
    return result;
}

AnsiString TRollViewRVData::SaveComponentToFile(const AnsiString& path, TComponent* saveMe,
                                                TRVSaveFormat saveFormat)
{
    AnsiString result;
    if (FRollView->OnSaveComponentToFile)
        FRollView->OnSaveComponentToFile(FRollView, path, saveMe, saveFormat, result);
    return result;
}

void TRollViewRVData::HTMLSaveImage(TCustomRVData* rvData, int itemNo, const AnsiString& path,
                                    TColor backgroundColor, AnsiString& location, bool& doDefault)
{
    location.clear();
    doDefault = true;
    if (FRollView->OnHTMLSaveImage)
        FRollView->OnHTMLSaveImage(FRollView, rvData, itemNo, path, backgroundColor, location, doDefault);
}

void TRollViewRVData::ControlAction2(TRVControlAction controlAction, int itemNo, TControl*& ctrl)
{
    if (FRollView->OnControlAction)
        FRollView->OnControlAction(FRollView, controlAction, itemNo, ctrl);
}

void TRollViewRVData::ItemAction(TRVItemAction itemAction, TCustomRVItemInfo* item, AnsiString& text,
                                 TCustomRVData* rvData)
{
    if (FRollView->OnItemAction)
        FRollView->OnItemAction(FRollView, itemAction, item, text, rvData);
}

void TRollViewRVData::DoJump(int id)
{
    if (FRollView->OnJump)
        FRollView->OnJump(FRollView, id);
}

bool TRollViewRVData::IsAssignedJump()
{
    return static_cast<bool>(FRollView->OnJump);
}

void TRollViewRVData::DoRVMouseMove(int id)
{
    if (FRollView->OnRVMouseMove)
        FRollView->OnRVMouseMove(FRollView, id);
}

void TRollViewRVData::DoRVMouseDown(TMouseButton button, TShiftState shift, int itemNo, int x, int y)
{
    if (FRollView->OnRVMouseDown)
        FRollView->OnRVMouseDown(FRollView, button, shift, itemNo, x, y);
}

void TRollViewRVData::DoRVMouseUp(TMouseButton button, TShiftState shift, int itemNo, int x, int y)
{
    if (FRollView->OnRVMouseUp)
        FRollView->OnRVMouseUp(FRollView, button, shift, itemNo, x, y);
}

bool TRollViewRVData::IsAssignedRVMouseDown()
{
    return static_cast<bool>(FRollView->OnRVMouseDown);
}

bool TRollViewRVData::IsAssignedRVMouseUp()
{
    return static_cast<bool>(FRollView->OnRVMouseUp);
}

void TRollViewRVData::DoRVRightClick(const AnsiString& clickedWord, int styleNo, int x, int y)
{
    if (FRollView->OnRVRightClick)
        FRollView->OnRVRightClick(FRollView, clickedWord, styleNo, x, y);
}

bool TRollViewRVData::IsAssignedRVRightClick()
{
    return static_cast<bool>(FRollView->OnRVRightClick);
}

void TRollViewRVData::DoRVDblClick(const AnsiString& clickedWord, int styleNo)
{
    if (FRollView->OnRVDblClick)
        FRollView->OnRVDblClick(FRollView, clickedWord, styleNo);
}

bool TRollViewRVData::IsAssignedRVDblClick()
{
    return static_cast<bool>(FRollView->OnRVDblClick);
}

void TRollViewRVData::DoCheckpointVisible(TRVCPInfo* checkpointData)
{
    if (FRollView->OnCheckpointVisible)
        FRollView->OnCheckpointVisible(FRollView, checkpointData);
}

bool TRollViewRVData::IsAssignedCheckpointVisible()
{
    return static_cast<bool>(FRollView->OnCheckpointVisible);
}

void TRollViewRVData::DoCopy()
{
    if (FRollView->OnCopy)
        FRollView->OnCopy(FRollView);
}

bool TRollViewRVData::IsAssignedCopy()
{
    return static_cast<bool>(FRollView->OnCopy);
}

void TRollViewRVData::DoSelect()
{
    if ((FRollView->ComponentState() & csDestroying) || !FRollView->HandleAllocated() ||
        FRollView->HoldNotice(TCustomRollView::rvnSelect))
        return;
    if (FRollView->OnSelect)
        FRollView->OnSelect(FRollView);
}
