// TCustomRollView: construction and destruction with the defaults, the style
// sheet and its notification, the background, the RTF import settings, tab
// order, layout info, copying events, and the deferred events.
#include "view/rollview.h"

#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/core/lists.h"
#include "platform/graphics/bitmap.h"
#include "view/rvback.h"

namespace {

// The hyperlink cursor of the style sheets (crJump) is the program's own
// "RV_JUMP_CURSOR": registered with the screen once, when the first viewer is made.
void RegisterJumpCursor()
{
    if (!Screen || Screen->Cursors(crJump))
        return;
    if (HCURSOR Handle = LoadCursor(HInstance, "RV_JUMP_CURSOR"))
        Screen->SetCursors(crJump, Handle);
}

} // namespace

const char* const TCustomRollView::DefaultDelimiters = " .;,:(){}\"/\\";

TCustomRollView::TCustomRollView(TComponent* AOwner) : TCustomRollView(AOwner, &TRollViewRVData::Create) {}

TCustomRollView::TCustomRollView(TComponent* AOwner, TRollViewRVDataClass DataClass)
    : TRVScroller(AOwner), FDataClass(DataClass ? DataClass : &TRollViewRVData::Create)
{
    Init();
}

void TCustomRollView::Init()
{
    RegisterJumpCursor();
    FOptions = {rvoAllowSelection,      rvoScrollToEnd,    rvoShowPageBreaks, rvoAutoCopyText,
                rvoAutoCopyRVF,         rvoAutoCopyImage,  rvoAutoCopyRTF,    rvoFormatInvalidate,
                rvoDblClickSelectsWord, rvoRClickDeselects};
    FRTFOptions = {rvrtfDuplicateUnicode, rvrtfSaveEMFAsWMF, rvrtfSaveJpegAsJpeg};
    FDelimiters = DefaultDelimiters;
    FRVFOptions = {rvfoSavePicturesBody, rvfoSaveControlsBody, rvfoSaveBinary};
    FFlags = {rvflUseJumps, rvflTrim, rvflUseExternalLeading, rvflRoot};
    FHTMLBullets = std::make_unique<TRVList>();
    RVData = FDataClass(this);
    FBackground = std::make_unique<TRVBackground>(true);
    if (TBitmap* Bitmap = FBackground->GetBitmap())
        Bitmap->OnChange = [this](TObject* Sender) { DoOnBackBitmapChange(Sender); };
    SetColor(clNone);
    SetBounds(Left(), Top(), 100, 40);
    SetBorderStyle(bsSingle);
}

TCustomRollView::~TCustomRollView()
{
    Destroying();
    // The window goes first, while this class still handles its WM_DESTROY.
    DestroyHandle();
    if (TBitmap* Bitmap = FBackground ? FBackground->GetBitmap() : nullptr)
        Bitmap->OnChange = nullptr;
    FBackground.reset();
    if (RVData) {
        Clear();
        delete RVData;
        RVData = nullptr;
    }
    SetRTFReadProperties(nullptr);
}

// ---------------------------------------------------------------------------
// Settings

bool TCustomRollView::StoreDelimiters() const
{
    return FDelimiters != DefaultDelimiters;
}

void TCustomRollView::SetCursor(TCursor Value)
{
    FCursor = Value;
    TControl::SetCursor(Value);
}

void TCustomRollView::SetStyle(TRVStyle* Value)
{
    if (FStyle == Value)
        return;
    if (FStyle && !(FStyle->ComponentState() & csDestroying))
        FStyle->RemoveFreeNotification(this);
    FStyle = Value;
    if (FStyle)
        FStyle->FreeNotification(this);
    if ((ComponentState() & csDesigning) || FOptions.Contains(rvoFormatInvalidate))
        Invalidate();
}

void TCustomRollView::Notification(TComponent* AComponent, TOperation Operation)
{
    TRVScroller::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent != nullptr && AComponent == FStyle)
        SetStyle(nullptr);
}

TBitmap* TCustomRollView::GetBackBitmap() const
{
    return FBackground ? FBackground->GetBitmap() : nullptr;
}

void TCustomRollView::SetBackBitmap(TBitmap* Value)
{
    if (TBitmap* Bitmap = GetBackBitmap())
        Bitmap->Assign(Value);
}

TBackgroundStyle TCustomRollView::GetBackgroundStyle() const
{
    return FBackground->BackgroundStyle();
}

void TCustomRollView::SetBackgroundStyle(TBackgroundStyle Value)
{
    FBackground->SetBackgroundStyle(Value);
    DoOnBackBitmapChange(this);
}

void TCustomRollView::DoOnBackBitmapChange(TObject*)
{
    if (!RVData || !FBackground || RVData->UpdatingBackgroundPalette())
        return;
    SetFullRedrawOnScroll(FBackground->ScrollRequiresFullRedraw());
    RVData->UpdateBackgroundPaletteInfo(FBackground.get());
    if (FOptions.Contains(rvoFormatInvalidate))
        Invalidate();
}

void TCustomRollView::UpdatePaletteInfo()
{
    TRVScroller::UpdatePaletteInfo();
    RVData->UpdateItemsPaletteInfo();
    RVData->UpdateBackgroundPaletteInfo(FBackground.get());
    Invalidate();
}

void TCustomRollView::SetBiDiModeRV(TRVBiDiMode Value)
{
    if (Value == BiDiMode())
        return;
    TRVScroller::SetBiDiModeRV(Value);
    Format();
}

TRVRTFReaderProperties* TCustomRollView::GetRTFReadProperties()
{
    if (!FRTFReadProperties)
        FRTFReadProperties = std::make_unique<TRVRTFReaderProperties>();
    return FRTFReadProperties.get();
}

void TCustomRollView::SetRTFReadProperties(TRVRTFReaderProperties* Value)
{
    if (!Value) {
        FRTFReadProperties.reset();
        return;
    }
    if (Value != FRTFReadProperties.get())
        GetRTFReadProperties()->Assign(Value);
}

void TCustomRollView::AssignEvents(TCustomRollView* Source)
{
    if (!Source || Source == this)
        return;
    OnCheckpointVisible = Source->OnCheckpointVisible;
    OnControlAction = Source->OnControlAction;
    OnCopy = Source->OnCopy;
    OnItemAction = Source->OnItemAction;
    OnJump = Source->OnJump;
    OnHTMLSaveImage = Source->OnHTMLSaveImage;
    OnPaint = Source->OnPaint;
    OnReadHyperlink = Source->OnReadHyperlink;
    OnRVDblClick = Source->OnRVDblClick;
    OnRVFImageListNeeded = Source->OnRVFImageListNeeded;
    OnRVFControlNeeded = Source->OnRVFControlNeeded;
    OnRVFPictureNeeded = Source->OnRVFPictureNeeded;
    OnRVMouseDown = Source->OnRVMouseDown;
    OnRVMouseMove = Source->OnRVMouseMove;
    OnRVMouseUp = Source->OnRVMouseUp;
    OnRVRightClick = Source->OnRVRightClick;
    OnSaveComponentToFile = Source->OnSaveComponentToFile;
    OnSaveHTMLExtra = Source->OnSaveHTMLExtra;
    OnSaveRTFExtra = Source->OnSaveRTFExtra;
    OnSelect = Source->OnSelect;
    OnURLNeeded = Source->OnURLNeeded;
    OnDragDrop = Source->OnDragDrop;
    OnEndDrag = Source->OnEndDrag;
    OnVScrolled = Source->OnVScrolled;
    OnHScrolled = Source->OnHScrolled;
}

void TCustomRollView::SetName(const AnsiString& NewName)
{
    // Designer defaults are a design-time matter: a running program only renames.
    TRVScroller::SetName(NewName);
}

void TCustomRollView::GetTabOrderList(TList* List)
{
    TRVScroller::GetTabOrderList(List);
    if (TabNavigation() == rvtnNone)
        return;
    // The viewer comes again between the controls of its document, so that
    // Tab from one of them returns to the viewer and its focusable items.
    for (int i = List->Count() - 1; i >= 1; --i)
        if (static_cast<TControl*>(List->Get(i))->Parent() == this)
            List->Insert(i, this);
    if (List->Count() > 1)
        List->Add(this);
}

// ---------------------------------------------------------------------------
// Layout info

TRVLayoutInfo* TCustomRollView::CreateLayoutInfo() const
{
    auto* Layout = new TRVLayoutInfo();
    Layout->LeftMargin = FLeftMargin;
    Layout->RightMargin = FRightMargin;
    Layout->TopMargin = FTopMargin;
    Layout->BottomMargin = FBottomMargin;
    Layout->MinTextWidth = FMinTextWidth;
    Layout->MaxTextWidth = FMaxTextWidth;
    Layout->BiDiMode = BiDiMode();
    return Layout;
}

void TCustomRollView::ApplyLayoutInfo(TRVLayoutInfo* Layout)
{
    if (!Layout)
        return;
    FLeftMargin = Layout->LeftMargin;
    FRightMargin = Layout->RightMargin;
    FTopMargin = Layout->TopMargin;
    FBottomMargin = Layout->BottomMargin;
    FMinTextWidth = Layout->MinTextWidth;
    FMaxTextWidth = Layout->MaxTextWidth;
    SetBiDiModeRV(Layout->BiDiMode);
}

// ---------------------------------------------------------------------------
// Deferred events

bool TCustomRollView::PostRVEvent(std::unique_ptr<TRVMessageData> Data)
{
    if (!Data || !HandleAllocated())
        return false;
    return PostMessage(Handle(), WM_RVEVENT, std::unique_ptr<TObject>(Data.release()), 0);
}

void TCustomRollView::WMRVEvent(TMessage& Message)
{
    // The record belongs to the message, which frees it after this returns.
    auto* Data = reinterpret_cast<TRVMessageData*>(Message.WParam);
    if (!Data)
        return;
    switch (Data->Event) {
    case rvetRVDblClick:
        if (auto* D = dynamic_cast<TRVDblClickMessageData*>(Data))
            RVData->DoRVDblClick(D->ClickedWord, D->StyleNo);
        break;
    case rvetJump:
        if (auto* D = dynamic_cast<TRVJumpMessageData*>(Data))
            RVData->DoJump(D->Id);
        break;
    case rvetRVMouseUp:
        if (auto* D = dynamic_cast<TRVMouseUpDownMessageData*>(Data))
            RVData->DoRVMouseUp(D->Button, D->Shift, D->ItemNo, D->X, D->Y);
        break;
    case rvetRVMouseDown:
        if (auto* D = dynamic_cast<TRVMouseUpDownMessageData*>(Data))
            RVData->DoRVMouseDown(D->Button, D->Shift, D->ItemNo, D->X, D->Y);
        break;
    case rvetClick:
        Click();
        break;
    case rvetDblClick:
        DblClick();
        break;
    case rvetMouseMove:
        if (auto* D = dynamic_cast<TRVMouseMoveMessageData*>(Data))
            MouseMove(D->Shift, D->X, D->Y);
        break;
    case rvetDragDrop:
        if (auto* D = dynamic_cast<TRVDNDMessageData*>(Data))
            DragDrop(D->Obj, D->X, D->Y);
        break;
    case rvetEndDrag:
        if (auto* D = dynamic_cast<TRVDNDMessageData*>(Data))
            DoEndDrag(D->Obj, D->X, D->Y);
        break;
    }
}

void TCustomRollView::DragDrop(TObject* Source, int X, int Y)
{
    if (OnDragDrop)
        OnDragDrop(this, Source, X, Y);
}

void TCustomRollView::DoEndDrag(TObject* Target, int X, int Y)
{
    if (OnEndDrag)
        OnEndDrag(this, Target, X, Y);
}
