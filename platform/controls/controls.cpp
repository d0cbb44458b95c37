// TControl: parent, bounds, alignment requests, visibility, colour, font,
// cursor, caption, popup menu, and the message entry points (Perform, WndProc,
// Dispatch). The mouse handlers are in controls_mouse.cpp.
#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/controls/winapi.h"
#include "platform/core/colors.h"
#include "platform/graphics/gdiobjects.h"

// ---------------------------------------------------------------------------
// TSizeConstraints

void TSizeConstraints::Assign(const TPersistent* Source)
{
    if (auto* source = dynamic_cast<const TSizeConstraints*>(Source)) {
        FMinWidth = source->FMinWidth;
        FMinHeight = source->FMinHeight;
        FMaxWidth = source->FMaxWidth;
        FMaxHeight = source->FMaxHeight;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::SetMinWidth(int Value)
{
    FMinWidth = std::max(Value, 0);
    Changed();
}

void TSizeConstraints::SetMinHeight(int Value)
{
    FMinHeight = std::max(Value, 0);
    Changed();
}

void TSizeConstraints::SetMaxWidth(int Value)
{
    FMaxWidth = std::max(Value, 0);
    Changed();
}

void TSizeConstraints::SetMaxHeight(int Value)
{
    FMaxHeight = std::max(Value, 0);
    Changed();
}

void TSizeConstraints::Constrain(int& Width, int& Height) const
{
    // A maximum wins over a minimum that exceeds it, as the class library has it.
    if (FMinWidth > 0 && Width < FMinWidth)
        Width = FMinWidth;
    if (FMaxWidth > 0 && Width > FMaxWidth)
        Width = FMaxWidth;
    if (FMinHeight > 0 && Height < FMinHeight)
        Height = FMinHeight;
    if (FMaxHeight > 0 && Height > FMaxHeight)
        Height = FMaxHeight;
}

void TSizeConstraints::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FConstraints(std::make_unique<TSizeConstraints>()), FColor(clWindow),
      FFont(std::make_unique<TFont>())
{
    FFont->OnChange = [this](TObject* Sender) { FontChange(Sender); };
    FConstraints->OnChange = [this](TObject*) { SetBounds(FLeft, FTop, FWidth, FHeight); };
}

TControl::~TControl()
{
    FFont->OnChange = nullptr;
    FConstraints->OnChange = nullptr;
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent)
{
    if (FParent == AParent)
        return;
    if (AParent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

bool TControl::StoreBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    FConstraints->Constrain(AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return false;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    return true;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (StoreBounds(ALeft, ATop, AWidth, AHeight))
        RequestAlign();
}

TRect TControl::ClientRect() const
{
    return Rect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(int Value)
{
    SetWidth(FWidth - ClientWidth() + Value);
}

void TControl::SetClientHeight(int Value)
{
    SetHeight(FHeight - ClientHeight() + Value);
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

TPoint TControl::ClientToScreen(const TPoint& Point) const
{
    const TPoint origin = ClientOrigin();
    return TPoint{Point.X + origin.X, Point.Y + origin.Y};
}

TPoint TControl::ScreenToClient(const TPoint& Point) const
{
    const TPoint origin = ClientOrigin();
    return TPoint{Point.X - origin.X, Point.Y - origin.Y};
}

void TControl::SetAlign(TAlign Value)
{
    if (FAlign == Value)
        return;
    FAlign = Value;
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (FParent)
        FParent->AlignControl(this);
}

void TControl::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    VisibleChanging();
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::SetEnabled(bool Value)
{
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value)
{
    if (FColor == Value && !FParentColor)
        return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value)
{
    if (FParentColor == Value)
        return;
    FParentColor = Value;
    if (Value && FParent)
        Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(const TFont* Value)
{
    FFont->Assign(Value);
}

void TControl::SetParentFont(bool Value)
{
    if (FParentFont == Value)
        return;
    FParentFont = Value;
    if (Value && FParent)
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

void TControl::SetCtl3D(bool Value)
{
    if (FCtl3D == Value)
        return;
    FCtl3D = Value;
    Perform(CM_CTL3DCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value)
{
    if (FCursor == Value)
        return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetCaption(const AnsiString& Value)
{
    if (FText == Value)
        return;
    FText = Value;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* Value)
{
    if (FPopupMenu == Value)
        return;
    if (FPopupMenu)
        FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupMenu)
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

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage message;
    message.Msg = Msg;
    message.WParam = WParam;
    message.LParam = LParam;
    WndProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FControlState |= csLButtonDown;
        break;
    case WM_LBUTTONUP:
        FControlState &= ~csLButtonDown;
        break;
    default:
        break;
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        WMMouseButton(Message);
        break;
    case WM_MOUSEMOVE:
        WMMouseMove(Message);
        break;
    case WM_MOUSEWHEEL:
        WMMouseWheel(Message);
        break;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        break;
    case WM_CANCELMODE:
        WMCancelMode(Message);
        break;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(Message);
        break;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(Message);
        break;
    case CM_FONTCHANGED:
        FontChanged();
        break;
    case CM_COLORCHANGED:
        ColorChanged();
        break;
    default:
        DefaultHandler(Message);
        break;
    }
}

void TControl::DefaultHandler(TMessage&) {}
