// TRollViewRVData: the viewer's root document data, answering every setting,
// size, colour and scroll operation from the control, firing the control's
// events, keeping the style maps of an RVF read and the list-marker list, and
// keeping the mouse state across a tail layout. The vertical scroll unit.
#include "view/rvrvdata.h"

#include <algorithm>
#include <climits>

#include "document/rvclasses.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "view/rollview.h"

namespace {

int ClampToInt(int64_t Value)
{
    return static_cast<int>(std::clamp<int64_t>(Value, INT_MIN, INT_MAX));
}

// The normal vertical scroll unit, in pixels.
constexpr int NormalVSmallStep = 10;

} // namespace

int RV_AdjustedVSmallStep(int64_t Height, int CurrentStep, int64_t MaxUnits)
{
    CurrentStep = std::max(CurrentStep, 1);
    MaxUnits = std::max<int64_t>(MaxUnits, 1);
    Height = std::max<int64_t>(Height, 0);
    if (Height / CurrentStep <= MaxUnits) {
        // Back to the normal unit as soon as the document fits in it.
        if (CurrentStep > NormalVSmallStep && Height / NormalVSmallStep <= MaxUnits)
            return NormalVSmallStep;
        return CurrentStep;
    }
    int64_t Step = Height / MaxUnits;
    if (Step < 1 || Height / Step > MaxUnits)
        ++Step;
    return ClampToInt(Step);
}

// ---------------------------------------------------------------------------
// Construction and settings

TRollViewRVData::TRollViewRVData(TCustomRollView* ARollView) : FRollView(ARollView) {}

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

void TRollViewRVData::SetOptions(TRVOptions Value)
{
    FRollView->SetOptions(Value);
}

TRVFOptions TRollViewRVData::GetRVFOptions()
{
    return FRollView->RVFOptions();
}

void TRollViewRVData::SetRVFOptions(TRVFOptions Value)
{
    FRollView->SetRVFOptions(Value);
}

TRVRTFOptions TRollViewRVData::GetRTFOptions()
{
    return FRollView->RTFOptions();
}

void TRollViewRVData::SetRTFOptions(TRVRTFOptions Value)
{
    FRollView->SetRTFOptions(Value);
}

TRVFWarnings TRollViewRVData::GetRVFWarnings()
{
    return FRollView->RVFWarnings();
}

void TRollViewRVData::SetRVFWarnings(TRVFWarnings Value)
{
    FRollView->SetRVFWarnings(Value);
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

void TRollViewRVData::SetFlags(TRVFlags Value)
{
    FRollView->SetFlags(Value);
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
    // Measuring needs the window's canvas; there is none before the window.
    return FRollView->HandleAllocated() ? FRollView->Canvas() : nullptr;
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
    return ClampToInt(static_cast<int64_t>(FRollView->VPos()) * FRollView->VSmallStep());
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

void TRollViewRVData::ScrollTo(int Y, bool Redraw)
{
    if (State.Contains(rvstNoScroll))
        return;
    if (Redraw)
        FRollView->ScrollTo(Y);
    else
        FRollView->ScrollToNoRedraw(Y);
}

void TRollViewRVData::HScrollTo(int X)
{
    if (State.Contains(rvstNoScroll))
        return;
    FRollView->SetHPos(X);
}

void TRollViewRVData::SetDocumentAreaSize(int Width, int Height, bool UpdateH)
{
    const int64_t Step = std::max(FRollView->VSmallStep(), 1);
    const int64_t Units = (std::max<int64_t>(Height, 0) + Step - 1) / Step;
    FRollView->UpdateScrollBars(Width, ClampToInt(Units), true, UpdateH);
}

void TRollViewRVData::AdjustVScrollUnits()
{
    const int Step = RV_AdjustedVSmallStep(DocumentHeight, FRollView->VSmallStep(), MaxVScrollUnits);
    if (Step != FRollView->VSmallStep())
        FRollView->SetVSmallStep(Step);
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

void TRollViewRVData::FormatTailKeepingState(TCanvas* Canvas)
{
    TRVMouseStateNote Note;
    SaveMouseState(Note);
    TRVCPInfo* const ReportedCP = LastReportedCP;
    FKeepingState = true;
    FClearedDuringTail = false;
    // Whatever the layout did to the draw items, the state goes back on them,
    // also when it failed halfway.
    auto Restore = [&]() {
        FKeepingState = false;
        if (!FClearedDuringTail)
            return;
        RestoreMouseState(Note);
        // The checkpoint last reported is still the one the view shows.
        LastReportedCP = ReportedCP;
    };
    try {
        Format_(false, true, false, 0, Canvas, true, true);
    } catch (...) {
        Restore();
        throw;
    }
    Restore();
}

// ---------------------------------------------------------------------------
// Style maps and markers

void TRollViewRVData::InitStyleMappings(TRVIntegerList*& PTextStylesMapping,
                                        TRVIntegerList*& PParaStylesMapping,
                                        TRVIntegerList*& PListStylesMapping)
{
    // One set of maps for the whole read, sub-documents included.
    if (!TextStylesMapping)
        TextStylesMapping = new TRVIntegerList();
    if (!ParaStylesMapping)
        ParaStylesMapping = new TRVIntegerList();
    if (!ListStylesMapping)
        ListStylesMapping = new TRVIntegerList();
    PTextStylesMapping = TextStylesMapping;
    PParaStylesMapping = ParaStylesMapping;
    PListStylesMapping = ListStylesMapping;
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

TRVMarkerList* TRollViewRVData::GetMarkers(bool AllowCreate)
{
    if (!GetFlags().Contains(rvflRoot))
        return TRVControlData::GetMarkers(AllowCreate);
    if (!FMarkers && AllowCreate)
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

void TRollViewRVData::AssignChosenRVData(TCustomRVData* RVData, TCustomRVItemInfo* Item)
{
    FRollView->AssignChosenRVData(RVData, Item);
    TRVControlData::AssignChosenRVData(RVData, Item);
}

void TRollViewRVData::SilentReplaceChosenRVData(TCustomRVData* RVData)
{
    FRollView->SilentReplaceChosenRVData(RVData);
}

TWinControl* TRollViewRVData::GetInplaceEditor()
{
    return FRollView->GetInplaceEditor();
}

void TRollViewRVData::UnassignChosenRVData(TCustomRVData* RVData)
{
    if (State.Contains(rvstUnAssigningChosen))
        return;
    State.Include(rvstUnAssigningChosen);
    try {
        TRVControlData::UnassignChosenRVData(RVData);
        FRollView->UnassignChosenRVData(RVData);
    } catch (...) {
        State.Exclude(rvstUnAssigningChosen);
        throw;
    }
    State.Exclude(rvstUnAssigningChosen);
}

void TRollViewRVData::DestroyInplaceEditor()
{
    FRollView->DestroyInplace();
}

// ---------------------------------------------------------------------------
// Event hooks

AnsiString TRollViewRVData::GetURL(int Id)
{
    AnsiString Result;
    if (FRollView->OnURLNeeded)
        FRollView->OnURLNeeded(FRollView, Id, Result);
    return Result;
}

AnsiString TRollViewRVData::GetExtraRTFCode(TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2,
                                            bool InStyleSheet)
{
    AnsiString Result;
    if (FRollView->OnSaveRTFExtra)
        FRollView->OnSaveRTFExtra(FRollView, Area, Obj, Index1, Index2, InStyleSheet, Result);
    return Result;
}

AnsiString TRollViewRVData::GetExtraHTMLCode(TRVHTMLSaveArea Area, bool CSSVersion)
{
    AnsiString Result;
    if (FRollView->OnSaveHTMLExtra)
        FRollView->OnSaveHTMLExtra(FRollView, Area, CSSVersion, Result);
    return Result;
}

void TRollViewRVData::ReadHyperlink(const AnsiString& Target, const AnsiString& Extras,
                                    TRVLoadFormat DocFormat, int& StyleNo, TRVTag& ItemTag,
                                    AnsiString& ItemName)
{
    // A bullet or a picture that is a hyperlink is read as its hypertext kind.
    if (StyleNo == rvsBullet)
        StyleNo = rvsHotspot;
    else if (StyleNo == rvsPicture)
        StyleNo = rvsHotPicture;
    if (FRollView->OnReadHyperlink)
        FRollView->OnReadHyperlink(FRollView, Target, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

TGraphic* TRollViewRVData::RVFPictureNeeded(const AnsiString& ItemName, const TRVTag& ItemTag)
{
    TGraphic* Result = nullptr;
    if (FRollView->OnRVFPictureNeeded)
        FRollView->OnRVFPictureNeeded(FRollView, ItemName, ItemTag, Result);
    return Result;
}

TControl* TRollViewRVData::RVFControlNeeded(const AnsiString& ItemName, const TRVTag& ItemTag)
{
    TControl* Result = nullptr;
    if (FRollView->OnRVFControlNeeded)
        FRollView->OnRVFControlNeeded(FRollView, ItemName, ItemTag, Result);
    return Result;
}

TCustomImageList* TRollViewRVData::RVFImageListNeeded(int ImageListTag)
{
    TCustomImageList* Result = nullptr;
    if (FRollView->OnRVFImageListNeeded)
        FRollView->OnRVFImageListNeeded(FRollView, ImageListTag, Result);
    return Result;
}

AnsiString TRollViewRVData::SaveComponentToFile(const AnsiString& Path, TComponent* SaveMe,
                                                TRVSaveFormat SaveFormat)
{
    AnsiString Result;
    if (FRollView->OnSaveComponentToFile)
        FRollView->OnSaveComponentToFile(FRollView, Path, SaveMe, SaveFormat, Result);
    return Result;
}

void TRollViewRVData::HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const AnsiString& Path,
                                    TColor BackgroundColor, AnsiString& Location, bool& DoDefault)
{
    Location.clear();
    DoDefault = true;
    if (FRollView->OnHTMLSaveImage)
        FRollView->OnHTMLSaveImage(FRollView, RVData, ItemNo, Path, BackgroundColor, Location, DoDefault);
}

void TRollViewRVData::ControlAction2(TRVControlAction ControlAction, int ItemNo, TControl*& Ctrl)
{
    if (FRollView->OnControlAction)
        FRollView->OnControlAction(FRollView, ControlAction, ItemNo, Ctrl);
}

void TRollViewRVData::ItemAction(TRVItemAction ItemAction, TCustomRVItemInfo* Item, AnsiString& Text,
                                 TCustomRVData* RVData)
{
    if (FRollView->OnItemAction)
        FRollView->OnItemAction(FRollView, ItemAction, Item, Text, RVData);
}

void TRollViewRVData::DoJump(int Id)
{
    if (FRollView->OnJump)
        FRollView->OnJump(FRollView, Id);
}

bool TRollViewRVData::IsAssignedJump()
{
    return static_cast<bool>(FRollView->OnJump);
}

void TRollViewRVData::DoRVMouseMove(int Id)
{
    if (FRollView->OnRVMouseMove)
        FRollView->OnRVMouseMove(FRollView, Id);
}

void TRollViewRVData::DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y)
{
    if (FRollView->OnRVMouseDown)
        FRollView->OnRVMouseDown(FRollView, Button, Shift, ItemNo, X, Y);
}

void TRollViewRVData::DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y)
{
    if (FRollView->OnRVMouseUp)
        FRollView->OnRVMouseUp(FRollView, Button, Shift, ItemNo, X, Y);
}

bool TRollViewRVData::IsAssignedRVMouseDown()
{
    return static_cast<bool>(FRollView->OnRVMouseDown);
}

bool TRollViewRVData::IsAssignedRVMouseUp()
{
    return static_cast<bool>(FRollView->OnRVMouseUp);
}

void TRollViewRVData::DoRVRightClick(const AnsiString& ClickedWord, int StyleNo, int X, int Y)
{
    if (FRollView->OnRVRightClick)
        FRollView->OnRVRightClick(FRollView, ClickedWord, StyleNo, X, Y);
}

bool TRollViewRVData::IsAssignedRVRightClick()
{
    return static_cast<bool>(FRollView->OnRVRightClick);
}

void TRollViewRVData::DoRVDblClick(const AnsiString& ClickedWord, int StyleNo)
{
    if (FRollView->OnRVDblClick)
        FRollView->OnRVDblClick(FRollView, ClickedWord, StyleNo);
}

bool TRollViewRVData::IsAssignedRVDblClick()
{
    return static_cast<bool>(FRollView->OnRVDblClick);
}

void TRollViewRVData::DoCheckpointVisible(TRVCPInfo* CheckpointData)
{
    if (FRollView->OnCheckpointVisible)
        FRollView->OnCheckpointVisible(FRollView, CheckpointData);
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
    if ((FRollView->ComponentState() & csDestroying) || !FRollView->HandleAllocated())
        return;
    if (FRollView->OnSelect)
        FRollView->OnSelect(FRollView);
}
