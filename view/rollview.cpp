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
    if (HCURSOR handle = LoadCursor(HInstance, "RV_JUMP_CURSOR"))
        Screen->SetCursors(crJump, handle);
}

} // namespace

const char* const TCustomRollView::DefaultDelimiters = " .;,:(){}\"/\\";

TCustomRollView::TCustomRollView(TComponent* aOwner) : TCustomRollView(aOwner, &TRollViewRVData::Create) {}

TCustomRollView::TCustomRollView(TComponent* aOwner, TRollViewRVDataClass dataClass)
    : TRVScroller(aOwner), FDataClass(dataClass ? dataClass : &TRollViewRVData::Create)
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
    if (TBitmap* bitmap = FBackground->GetBitmap())
        bitmap->OnChange = [this](TObject* sender) { DoOnBackBitmapChange(sender); };
    SetColor(clNone);
    SetBounds(Left(), Top(), 100, 40);
    SetBorderStyle(bsSingle);
}

TCustomRollView::~TCustomRollView()
{
    ForgetHeldNotices();
    Destroying();
    // The window goes first, while this class still handles its WM_DESTROY.
    DestroyHandle();
    if (TBitmap* bitmap = FBackground ? FBackground->GetBitmap() : nullptr)
        bitmap->OnChange = nullptr;
    FBackground.reset();
    FreeDocument();
    SetRTFReadProperties(nullptr);
}

void TCustomRollView::FreeDocument()
{
    if (!RVData)
        return;
    Clear();
    delete RVData;
    RVData = nullptr;
}

// ---------------------------------------------------------------------------
// Settings

bool TCustomRollView::StoreDelimiters() const
{
    return FDelimiters != DefaultDelimiters;
}

void TCustomRollView::SetCursor(TCursor value)
{
    FCursor = value;
    TControl::SetCursor(value);
}

void TCustomRollView::SetStyle(TRVStyle* value)
{
    if (FStyle == value)
        return;
    if (FStyle && !(FStyle->ComponentState() & csDestroying))
        FStyle->RemoveFreeNotification(this);
    FStyle = value;
    if (FStyle)
        FStyle->FreeNotification(this);
    if ((ComponentState() & csDesigning) || FOptions.Contains(rvoFormatInvalidate))
        Invalidate();
}

void TCustomRollView::Notification(TComponent* aComponent, TOperation operation)
{
    TRVScroller::Notification(aComponent, operation);
    if (operation == opRemove && aComponent != nullptr && aComponent == FStyle)
        SetStyle(nullptr);
}

TBitmap* TCustomRollView::GetBackBitmap() const
{
    return FBackground ? FBackground->GetBitmap() : nullptr;
}

void TCustomRollView::SetBackBitmap(TBitmap* value)
{
    if (TBitmap* bitmap = GetBackBitmap())
        bitmap->Assign(value);
}

TBackgroundStyle TCustomRollView::GetBackgroundStyle() const
{
    return FBackground->BackgroundStyle();
}

void TCustomRollView::SetBackgroundStyle(TBackgroundStyle value)
{
    FBackground->SetBackgroundStyle(value);
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

void TCustomRollView::SetBiDiModeRV(TRVBiDiMode value)
{
    if (value == BiDiMode())
        return;
    TRVScroller::SetBiDiModeRV(value);
    Format();
}

TRVRTFReaderProperties* TCustomRollView::GetRTFReadProperties()
{
    if (!FRTFReadProperties)
        FRTFReadProperties = std::make_unique<TRVRTFReaderProperties>();
    return FRTFReadProperties.get();
}

void TCustomRollView::SetRTFReadProperties(TRVRTFReaderProperties* value)
{
    if (!value) {
        FRTFReadProperties.reset();
        return;
    }
    if (value != FRTFReadProperties.get())
        GetRTFReadProperties()->Assign(value);
}

void TCustomRollView::AssignEvents(TCustomRollView* source)
{
    if (!source || source == this)
        return;
    OnCheckpointVisible = source->OnCheckpointVisible;
    OnControlAction = source->OnControlAction;
    OnCopy = source->OnCopy;
    OnItemAction = source->OnItemAction;
    OnJump = source->OnJump;
    OnHTMLSaveImage = source->OnHTMLSaveImage;
    OnPaint = source->OnPaint;
    OnReadHyperlink = source->OnReadHyperlink;
    OnRVDblClick = source->OnRVDblClick;
    OnRVFImageListNeeded = source->OnRVFImageListNeeded;
    OnRVFControlNeeded = source->OnRVFControlNeeded;
    OnRVFPictureNeeded = source->OnRVFPictureNeeded;
    OnRVMouseDown = source->OnRVMouseDown;
    OnRVMouseMove = source->OnRVMouseMove;
    OnRVMouseUp = source->OnRVMouseUp;
    OnRVRightClick = source->OnRVRightClick;
    OnSaveComponentToFile = source->OnSaveComponentToFile;
    OnSaveHTMLExtra = source->OnSaveHTMLExtra;
    OnSaveRTFExtra = source->OnSaveRTFExtra;
    OnSelect = source->OnSelect;
    OnURLNeeded = source->OnURLNeeded;
    OnVScrolled = source->OnVScrolled;
    OnHScrolled = source->OnHScrolled;
    // The class library's events, so that a program's handlers run in a
    // viewer set up from another (a table's cell editor among them).
    OnClick = source->OnClick;
    OnDblClick = source->OnDblClick;
    OnResize = source->OnResize;
    OnMouseDown = source->OnMouseDown;
    OnMouseUp = source->OnMouseUp;
    OnMouseMove = source->OnMouseMove;
    OnMouseWheel = source->OnMouseWheel;
    OnMouseWheelDown = source->OnMouseWheelDown;
    OnMouseWheelUp = source->OnMouseWheelUp;
    OnContextPopup = source->OnContextPopup;
    OnKeyDown = source->OnKeyDown;
    OnKeyUp = source->OnKeyUp;
    OnKeyPress = source->OnKeyPress;
    OnEnter = source->OnEnter;
    OnExit = source->OnExit;
    OnStartDrag = source->OnStartDrag;
    OnDragOver = source->OnDragOver;
    OnDragDrop = source->OnDragDrop;
    OnEndDrag = source->OnEndDrag;
}

void TCustomRollView::SetName(const AnsiString& newName)
{
    // Designer defaults are a design-time matter: a running program only renames.
    TRVScroller::SetName(newName);
}

void TCustomRollView::GetTabOrderList(TList* list)
{
    TRVScroller::GetTabOrderList(list);
    if (TabNavigation() == rvtnNone)
        return;
    // The viewer comes again between the controls of its document, so that
    // Tab from one of them returns to the viewer and its focusable items.
    for (int i = list->Count() - 1; i >= 1; --i)
        if (static_cast<TControl*>(list->Get(i))->Parent() == this)
            list->Insert(i, this);
    if (list->Count() > 1)
        list->Add(this);
}

// ---------------------------------------------------------------------------
// Layout info

TRVLayoutInfo* TCustomRollView::CreateLayoutInfo() const
{
    auto* layout = new TRVLayoutInfo();
    layout->LeftMargin = FLeftMargin;
    layout->RightMargin = FRightMargin;
    layout->TopMargin = FTopMargin;
    layout->BottomMargin = FBottomMargin;
    layout->MinTextWidth = FMinTextWidth;
    layout->MaxTextWidth = FMaxTextWidth;
    layout->BiDiMode = BiDiMode();
    return layout;
}

void TCustomRollView::ApplyLayoutInfo(TRVLayoutInfo* layout)
{
    if (!layout)
        return;
    FLeftMargin = layout->LeftMargin;
    FRightMargin = layout->RightMargin;
    FTopMargin = layout->TopMargin;
    FBottomMargin = layout->BottomMargin;
    FMinTextWidth = layout->MinTextWidth;
    FMaxTextWidth = layout->MaxTextWidth;
    SetBiDiModeRV(layout->BiDiMode);
}

// ---------------------------------------------------------------------------
// Deferred events

bool TCustomRollView::PostRVEvent(std::unique_ptr<TRVMessageData> data)
{
    if (!data || !HandleAllocated())
        return false;
    return PostMessage(Handle(), WM_RVEVENT, std::unique_ptr<TObject>(data.release()), 0);
}

void TCustomRollView::WMRVEvent(TMessage& message)
{
    // The record belongs to the message, which frees it after this returns.
    auto* data = reinterpret_cast<TRVMessageData*>(message.WParam);
    if (!data)
        return;
    switch (data->Event) {
    case rvetRVDblClick:
        if (auto* d = dynamic_cast<TRVDblClickMessageData*>(data))
            RVData->DoRVDblClick(d->ClickedWord, d->StyleNo);
        break;
    case rvetJump:
        if (auto* d = dynamic_cast<TRVJumpMessageData*>(data))
            RVData->DoJump(d->Id);
        break;
    case rvetRVMouseUp:
        if (auto* d = dynamic_cast<TRVMouseUpDownMessageData*>(data))
            RVData->DoRVMouseUp(d->Button, d->Shift, d->ItemNo, d->X, d->Y);
        break;
    case rvetRVMouseDown:
        if (auto* d = dynamic_cast<TRVMouseUpDownMessageData*>(data))
            RVData->DoRVMouseDown(d->Button, d->Shift, d->ItemNo, d->X, d->Y);
        break;
    case rvetClick:
        Click();
        break;
    case rvetDblClick:
        DblClick();
        break;
    case rvetMouseMove:
        if (auto* d = dynamic_cast<TRVMouseMoveMessageData*>(data))
            MouseMove(d->Shift, d->X, d->Y);
        break;
    case rvetDragDrop:
        if (auto* d = dynamic_cast<TRVDNDMessageData*>(data))
            DragDrop(d->Obj, d->X, d->Y);
        break;
    case rvetEndDrag:
        if (auto* d = dynamic_cast<TRVDNDMessageData*>(data))
            DoEndDrag(d->Obj, d->X, d->Y);
        break;
    }
}
