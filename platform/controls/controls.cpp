// TControl: parent, bounds, alignment requests, visibility, colour, font,
// cursor, caption, popup menu, and the message entry points (Perform, WndProc,
// Dispatch). The mouse handlers are in controls_mouse.cpp.
#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/controls/winapi.h"
#include "platform/core/colors.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdiobjects.h"

// ---------------------------------------------------------------------------
// TSizeConstraints

void TSizeConstraints::Assign(const TPersistent* source)
{
    if (auto* other = dynamic_cast<const TSizeConstraints*>(source)) {
        FMinWidth = other->FMinWidth;
        FMinHeight = other->FMinHeight;
        FMaxWidth = other->FMaxWidth;
        FMaxHeight = other->FMaxHeight;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TSizeConstraints::SetMinWidth(int value)
{
    FMinWidth = std::max(value, 0);
    Changed();
}

void TSizeConstraints::SetMinHeight(int value)
{
    FMinHeight = std::max(value, 0);
    Changed();
}

void TSizeConstraints::SetMaxWidth(int value)
{
    FMaxWidth = std::max(value, 0);
    Changed();
}

void TSizeConstraints::SetMaxHeight(int value)
{
    FMaxHeight = std::max(value, 0);
    Changed();
}

void TSizeConstraints::Constrain(int& width, int& height) const
{
    // A maximum wins over a minimum that exceeds it, as the class library has it.
    if (FMinWidth > 0 && width < FMinWidth)
        width = FMinWidth;
    if (FMaxWidth > 0 && width > FMaxWidth)
        width = FMaxWidth;
    if (FMinHeight > 0 && height < FMinHeight)
        height = FMinHeight;
    if (FMaxHeight > 0 && height > FMaxHeight)
        height = FMaxHeight;
}

void TSizeConstraints::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------
// TControl

// ---------------------------------------------------------------------------
// Anchors

void TControl::UpdateAnchorRules()
{
    FOriginalParentSize = TSize{0, 0};
    if (!Anchored() || !FParent)
        return;
    TRect client = FParent->ClientRect();
    FParent->AdjustClientRect(client);
    FOriginalParentSize = TSize{client.Width(), client.Height()};
    // Across and down alike: the distance to the far side when anchored
    // there, else the centre.
    FAnchorRules.X = FAnchors.Contains(akRight) ? client.Width() - (FLeft + FWidth) : FLeft + FWidth / 2;
    FAnchorRules.Y = FAnchors.Contains(akBottom) ? client.Height() - (FTop + FHeight) : FTop + FHeight / 2;
}

namespace {

// One axis of an anchored control: its start and extent in a parent of
// Size, from the rule measured in a parent of Original.
void AnchorAxis(bool nearSide, bool farSide, int rule, int original, int size, int& start, int& extent)
{
    if (farSide) {
        if (nearSide)
            extent = size - rule - start;
        else
            start = size - rule - extent;
    } else if (!nearSide && original > 0) {
        start = static_cast<int>(int64_t(rule) * size / original) - extent / 2;
    }
}

} // namespace

void TControl::AnchorTo(const TSize& parentSize)
{
    if (!Anchored() || FAlign != alNone || !FParent)
        return;
    int left = FLeft, top = FTop, width = FWidth, height = FHeight;
    AnchorAxis(FAnchors.Contains(akLeft), FAnchors.Contains(akRight), FAnchorRules.X, FOriginalParentSize.cx,
               parentSize.cx, left, width);
    AnchorAxis(FAnchors.Contains(akTop), FAnchors.Contains(akBottom), FAnchorRules.Y, FOriginalParentSize.cy,
               parentSize.cy, top, height);
    FAnchorMove = true;
    SetBounds(left, top, width, height);
    FAnchorMove = false;
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* aOwner)
    : TComponent(aOwner), FConstraints(std::make_unique<TSizeConstraints>()), FColor(clWindow),
      FFont(std::make_unique<TFont>())
{
    FFont->OnChange = [this](TObject* sender) { FontChange(sender); };
    FConstraints->OnChange = [this](TObject*) { SetBounds(FLeft, FTop, FWidth, FHeight); };
}

TControl::~TControl()
{
    DragControlGone(this);
    FFont->OnChange = nullptr;
    FConstraints->OnChange = nullptr;
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* aParent)
{
    if (FParent == aParent)
        return;
    if (aParent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (aParent)
        aParent->InsertControl(this);
}

bool TControl::StoreBounds(int aLeft, int aTop, int aWidth, int aHeight)
{
    aWidth = std::max(aWidth, 0);
    aHeight = std::max(aHeight, 0);
    FConstraints->Constrain(aWidth, aHeight);
    if (aLeft == FLeft && aTop == FTop && aWidth == FWidth && aHeight == FHeight)
        return false;
    FLeft = aLeft;
    FTop = aTop;
    FWidth = aWidth;
    FHeight = aHeight;
    if (!FAnchorMove)
        UpdateAnchorRules();
    return true;
}

void TControl::SetBounds(int aLeft, int aTop, int aWidth, int aHeight)
{
    if (StoreBounds(aLeft, aTop, aWidth, aHeight))
        RequestAlign();
}

TRect TControl::ClientRect() const
{
    return Rect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(int value)
{
    SetWidth(FWidth - ClientWidth() + value);
}

void TControl::SetClientHeight(int value)
{
    SetHeight(FHeight - ClientHeight() + value);
}

TPoint TControl::ClientOrigin() const
{
    TPoint origin{FLeft, FTop};
    if (FParent) {
        const TPoint parent = FParent->ClientOrigin();
        origin.X += parent.X;
        origin.Y += parent.Y;
    }
    return origin;
}

TPoint TControl::ClientToScreen(const TPoint& point) const
{
    const TPoint origin = ClientOrigin();
    return TPoint{point.X + origin.X, point.Y + origin.Y};
}

TPoint TControl::ScreenToClient(const TPoint& point) const
{
    const TPoint origin = ClientOrigin();
    return TPoint{point.X - origin.X, point.Y - origin.Y};
}

void TControl::SetAlign(TAlign value)
{
    if (FAlign == value)
        return;
    FAlign = value;
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value)
{
    if (FAnchors == value)
        return;
    FAnchors = value;
    UpdateAnchorRules();
}

void TControl::RequestAlign()
{
    if (FParent)
        FParent->AlignControl(this);
}

void TControl::SetVisible(bool value)
{
    if (FVisible == value)
        return;
    VisibleChanging();
    FVisible = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::SetEnabled(bool value)
{
    if (FEnabled == value)
        return;
    FEnabled = value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor value)
{
    if (FColor == value && !FParentColor)
        return;
    FColor = value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value)
{
    if (FParentColor == value)
        return;
    FParentColor = value;
    if (value && FParent)
        Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(const TFont* value)
{
    FFont->Assign(value);
}

void TControl::SetParentFont(bool value)
{
    if (FParentFont == value)
        return;
    FParentFont = value;
    if (value && FParent)
        Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::FontChange(TObject*)
{
    // A font set on the control itself ends the inheritance from the parent.
    if (!FSettingParentFont)
        FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::FontChanged()
{
    Invalidate();
}

void TControl::ColorChanged()
{
    Invalidate();
}

void TControl::CMParentFontChanged(TMessage&)
{
    if (!FParentFont || !FParent)
        return;
    FSettingParentFont = true;
    FFont->Assign(FParent->Font());
    FSettingParentFont = false;
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (!FParentColor || !FParent)
        return;
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED, 0, 0);
    // Setting the colour through CM_COLORCHANGED keeps the inheritance.
    FParentColor = true;
}

void TControl::SetCtl3D(bool value)
{
    if (FCtl3D == value)
        return;
    FCtl3D = value;
    FParentCtl3D = false;
    Perform(CM_CTL3DCHANGED, 0, 0);
}

void TControl::SetParentCtl3D(bool value)
{
    if (FParentCtl3D == value)
        return;
    FParentCtl3D = value;
    if (value && FParent)
        Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TControl::CMParentCtl3DChanged(TMessage&)
{
    if (!FParentCtl3D || !FParent)
        return;
    // Taking the parent's value keeps the control following it.
    SetCtl3D(FParent->Ctl3D());
    FParentCtl3D = true;
}

void TControl::SetCursor(TCursor value)
{
    if (FCursor == value)
        return;
    FCursor = value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetCaption(const AnsiString& value)
{
    if (FText == value)
        return;
    FText = value;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* value)
{
    if (FPopupMenu == value)
        return;
    if (FPopupMenu)
        FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = value;
    if (value)
        value->FreeNotification(this);
}

void TControl::Notification(TComponent* aComponent, TOperation operation)
{
    TComponent::Notification(aComponent, operation);
    if (operation == opRemove && aComponent == FPopupMenu)
        FPopupMenu = nullptr;
}

void TControl::BringToFront()
{
    if (FParent)
        FParent->SetChildOrder(this, FParent->ControlCount() - 1);
}

void TControl::SendToBack()
{
    if (FParent)
        FParent->SetChildOrder(this, 0);
}

void TControl::PaintImage(TCanvas*, int, int) {}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // A message sent to a control runs its code as a delivered one does.
    const TCallHold hold;
    TMessage message;
    message.Msg = msg;
    message.WParam = wParam;
    message.LParam = lParam;
    WndProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message)
{
    if (DragMouseMessage(this, message))
        return;
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // A drag that the press begins, here or in a handler, starts where
        // the button went down.
        const TDragPressPoint press(ClientToScreen(PointFromLParam(message.LParam)));
        if (FDragMode == dmAutomatic && FDragKind == dkDrag && !Dragging()) {
            // The press begins a drag, which goes once the pointer moves.
            BeginDrag(false);
            return;
        }
        FControlState |= csLButtonDown;
        Dispatch(message);
        return;
    }
    case WM_LBUTTONUP:
        FControlState &= ~csLButtonDown;
        break;
    default:
        break;
    }
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        WMMouseButton(message);
        break;
    case WM_MOUSEMOVE:
        WMMouseMove(message);
        break;
    case WM_MOUSEWHEEL:
        WMMouseWheel(message);
        break;
    case WM_CONTEXTMENU:
        WMContextMenu(message);
        break;
    case WM_CANCELMODE:
        WMCancelMode(message);
        break;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(message);
        break;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(message);
        break;
    case CM_PARENTCTL3DCHANGED:
        CMParentCtl3DChanged(message);
        break;
    case CM_FONTCHANGED:
        FontChanged();
        break;
    case CM_COLORCHANGED:
        ColorChanged();
        break;
    default:
        DefaultHandler(message);
        break;
    }
}

void TControl::DefaultHandler(TMessage&) {}
