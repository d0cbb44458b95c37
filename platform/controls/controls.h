// Controls: TControl (bounds, alignment, visibility, colour, font, cursor, mouse
// events, drag and drop between controls), TWinControl (a window: children, keyboard focus, tab order, keys,
// painting, scroll bars, message handling) and TCustomControl (a window that
// paints itself on a canvas). The window of a control is a toolkit widget behind
// an internal adapter; every input, paint, timer and posted message reaches the
// control as a TMessage through WndProc and Dispatch, in the class library's
// order.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/controls/cursors.h"
#include "platform/controls/messages.h"
#include "platform/core/callhold.h"
#include "platform/core/component.h"
#include "platform/core/sysutils.h"

class TCanvas;
class TControl;
class TCustomForm;
class TFont;
class TList;
class TPopupMenu;
class TWinControl;
struct TWindowData;
using HPALETTE = uint32_t;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The sides of its parent's client area that a control keeps its distance to
// when the parent's size changes (Anchors).
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
struct TAnchors {
    uint8_t Bits = 0;

    TAnchors() = default;
    TAnchors(std::initializer_list<TAnchorKind> kinds)
    {
        for (TAnchorKind k : kinds)
            Bits = static_cast<uint8_t>(Bits | (1u << k));
    }
    bool Contains(TAnchorKind k) const { return (Bits >> k) & 1; }
    bool operator==(const TAnchors& o) const { return Bits == o.Bits; }
    bool operator!=(const TAnchors& o) const { return Bits != o.Bits; }
};

// Border styles of controls (bsNone, bsSingle) and forms (all).
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// Control style: what a control does by itself.
enum TControlStyleFlag : unsigned {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1, // the mouse is captured while the left button is down
    csClickEvents = 1u << 2,  // a press and release inside makes Click, a double click DblClick
    csOpaque = 1u << 3,       // paints every pixel of its client area
    csDoubleClicks = 1u << 4, // a second press soon after the first is a double click
    csNoStdEvents = 1u << 5,  // no OnMouseDown/Move/Up
    csFramed = 1u << 6,
    csSetCaption = 1u << 7,
};
using TControlStyle = unsigned;

// Control state: what a control is doing now.
enum TControlStateFlag : unsigned {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csFocusing = 1u << 2,
    csCreating = 1u << 3,
    csAlignmentNeeded = 1u << 4,
    csDestroyingHandle = 1u << 5,
};
using TControlState = unsigned;

using TMouseEvent = TEvent<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = TEvent<void(TObject* sender, TShiftState shift, int x, int y)>;
// MousePos is in screen coordinates.
using TMouseWheelEvent =
    TEvent<void(TObject* sender, TShiftState shift, int wheelDelta, TPoint mousePos, bool& handled)>;
using TMouseWheelUpDownEvent =
    TEvent<void(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled)>;
using TKeyEvent = TEvent<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = TEvent<void(TObject* sender, char& key)>;
// MousePos in client coordinates, (-1, -1) when the menu was asked for from the keyboard.
using TContextPopupEvent = TEvent<void(TObject* sender, TPoint mousePos, bool& handled)>;

// Drag and drop between controls of the program.
enum TDragMode { dmManual, dmAutomatic };
// What a drag of the control is: drag and drop, or docking, which controls
// here do not do (a control of dkDock begins no drag).
enum TDragKind { dkDrag, dkDock };
// Where a drag is in respect of the control asked (OnDragOver).
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// What a drag carries. OnStartDrag may give one of its own (which stays its
// own: the drag never frees it); otherwise the control makes a
// TDragControlObject for the drag and frees it when the drag ends.
class TDragObject : public TObject {
public:
    const char* ClassName() const override { return "TDragObject"; }
    // The control the pointer is over now, or null; the point is on the screen.
    TControl* DragTarget = nullptr;
    TPoint DragPos;
    // The drag ended with a drop on a target that accepted it.
    bool Dropped = false;
};

// The drag object a control makes for itself: the control is the drag's
// source that targets see.
class TDragControlObject : public TDragObject {
public:
    explicit TDragControlObject(TControl* aControl) : Control(aControl) {}
    const char* ClassName() const override { return "TDragControlObject"; }
    TControl* Control;
};

using TStartDragEvent = TEvent<void(TObject* sender, TDragObject*& dragObject)>;
// Source is the control dragged from when the drag carries the control's own
// drag object, else the drag object; X and Y are in the sender's client
// coordinates. Accept starts true.
using TDragOverEvent =
    TEvent<void(TObject* sender, TObject* source, int x, int y, TDragState state, bool& accept)>;
using TDragDropEvent = TEvent<void(TObject* sender, TObject* source, int x, int y)>;
// Target is the control dropped on (null when the drag ended without a drop);
// X and Y are in the target's client coordinates (0, 0 without one).
using TEndDragEvent = TEvent<void(TObject* sender, TObject* target, int x, int y)>;

// Limits of a control's size; 0 is no limit.
class TSizeConstraints : public TPersistent {
public:
    const char* ClassName() const override { return "TSizeConstraints"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* source) override;
    int MinWidth() const { return FMinWidth; }
    int MinHeight() const { return FMinHeight; }
    int MaxWidth() const { return FMaxWidth; }
    int MaxHeight() const { return FMaxHeight; }
    void SetMinWidth(int value);
    void SetMinHeight(int value);
    void SetMaxWidth(int value);
    void SetMaxHeight(int value);
    // Applies the limits to a width and a height.
    void Constrain(int& width, int& height) const;
    TNotifyEvent OnChange;

private:
    void Changed();
    int FMinWidth = 0;
    int FMinHeight = 0;
    int FMaxWidth = 0;
    int FMaxHeight = 0;
};

// What CreateParams fills in before a window is made.
struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

// The base of all controls: a component with a parent window, a place in it and
// the mouse events. Every concrete control is a TWinControl; TControl holds what
// all of them share. A control is owned by its owner component and belongs to its
// parent, which frees it when the parent goes (a control freed first leaves its
// parent). Bounds are in the parent's client coordinates.
//
// Published (component streams): Left, Top, Width and Height (always
// written), Align, Anchors, Constraints, Ctl3D (stored while it does not follow
// the parent's), DragKind, DragMode, Enabled, HelpContext, ParentCtl3D,
// PopupMenu (by the menu's name), ShowHint, TabOrder (a windowed control's)
// and Visible, the others written only when they differ from their default.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* aOwner);
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }
    const TPropertyTable* PropertyTable() const override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* aParent);

    // ---- Place and size
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
    void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
    void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
    void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
    // Width and height are kept within the constraints and at 0 or more.
    virtual void SetBounds(int aLeft, int aTop, int aWidth, int aHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    // The screen position of the client area's top left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& point) const;
    TPoint ScreenToClient(const TPoint& point) const;
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value);
    TSizeConstraints* Constraints() const { return FConstraints.get(); }
    // A control that is not aligned keeps its distances to the anchored sides
    // of its parent's client area, measured when its bounds, its anchors or
    // its parent were last set: anchored left and right it stretches with the
    // parent (top and bottom likewise), anchored right only it moves with the
    // right side; anchored on neither side of an axis, its centre keeps its
    // place in proportion to the parent's size on that axis. Default
    // [akLeft, akTop]: the control stays where it is.
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors value);

    // ---- State and looks
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    bool Ctl3D() const { return FCtl3D; }
    // A Ctl3D set on the control itself stops it following its parent's.
    void SetCtl3D(bool value);
    // The control takes its parent's Ctl3D, and follows its changes (default).
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool value);
    // The number of the control's topic in the program's help; nothing here shows help.
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);
    const AnsiString& Caption() const { return FText; }
    void SetCaption(const AnsiString& value);
    const AnsiString& Text() const { return FText; }
    void SetText(const AnsiString& value) { SetCaption(value); }
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& value) { FHint = value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value) { FShowHint = value; }
    // The menu shown on a right click (or the menu key); not owned.
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* value);
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle value) { FControlStyle = value; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState value) { FControlState = value; }
    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    // ---- Painting
    virtual void Invalidate() {}
    virtual void Update() {}
    virtual void Repaint() {}
    void Refresh() { Repaint(); }
    // Draws the control's picture, Width x Height, on Canvas with its top left
    // corner at (X, Y): what a document shows and prints in the control's place.
    // Each kind of control paints its own; a control that is no window has none
    // (nothing is drawn).
    virtual void PaintImage(TCanvas* canvas, int x, int y);
    void BringToFront();
    void SendToBack();

    // ---- Messages
    // Sends a message to the control itself, through WndProc; returns its result.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Sees every message first (mouse bookkeeping), then passes it to Dispatch.
    virtual void WndProc(TMessage& message);
    // The message map: calls the handler of the message's number, or
    // DefaultHandler. A subclass handles its own numbers and passes the rest to
    // its base's Dispatch; a handler's "inherited handling" is the base's Dispatch.
    virtual void Dispatch(TMessage& message);
    // What the platform does with a message nobody handled.
    virtual void DefaultHandler(TMessage& message);

    virtual void Click();
    virtual void DblClick();

    // ---- Drag and drop (controls_drag.cpp). A drag runs over the toolkit's
    // drag and drop within the program: targets are the program's controls
    // under the pointer, asked by DragOver as it enters, moves and leaves;
    // releasing the left button over one that accepted drops there
    // (DragDrop), Esc or the right button cancels; then the source's
    // DoEndDrag. One drag at a time.
    TDragMode DragMode() const { return FDragMode; }
    // dmAutomatic: a left-button press begins a drag (no OnMouseDown then).
    void SetDragMode(TDragMode value) { FDragMode = value; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind value) { FDragKind = value; }
    // Begins a drag from this control (OnStartDrag first), unless its DragKind
    // is dkDock. Immediate: the drag
    // goes with the pointer's next move while the left button is down;
    // otherwise once the pointer has moved more than Threshold pixels (-1:
    // the desktop's drag distance). Released before that, the drag ends
    // without a target. Nothing when a drag runs already.
    void BeginDrag(bool immediate, int threshold = -1);
    // Ends this control's drag: with Drop, on the target under the pointer
    // when it accepted the drag; otherwise without a target.
    void EndDrag(bool drop);
    // This control's drag runs.
    bool Dragging() const;
    // A drag was dropped on the control: OnDragDrop.
    virtual void DragDrop(TObject* source, int x, int y);

    TStartDragEvent OnStartDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    // The logical palette to realise when the control paints; none here (no
    // screen of this system is palette-based).
    virtual HPALETTE GetPalette() { return 0; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TContextPopupEvent OnContextPopup;

protected:
    friend class TWinControl;
    friend struct TDragSession;

    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // The wheel: OnMouseWheel first; unless it handled the turn, the distance is
    // added to an accumulator and every whole notch (WHEEL_DELTA) taken from it
    // calls DoMouseWheelDown or DoMouseWheelUp. True when handled.
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
    virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
    virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
    virtual void DoContextPopup(TPoint mousePos, bool& handled);
    // The drag begins: OnStartDrag, which may give a drag object.
    virtual void DoStartDrag(TDragObject*& dragObject);
    // Whether the control takes a drag at a client point: false without
    // OnDragOver, else what OnDragOver answers (it starts true).
    virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
    // The control's drag ended: OnEndDrag.
    virtual void DoEndDrag(TObject* target, int x, int y);
    // The client size changed: OnResize.
    virtual void Resize();
    void Notification(TComponent* aComponent, TOperation operation) override;
    // The control's place or visibility changed: the parent aligns its children again.
    void RequestAlign();
    // Called when the font or the colour changes (parent's or own).
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void VisibleChanging() {}

    // ---- Message handlers of the mouse
    void WMMouseButton(TMessage& message);
    void WMMouseMove(TMessage& message);
    void WMMouseWheel(TMessage& message);
    void WMContextMenu(TMessage& message);
    void WMCancelMode(TMessage& message);
    void CMParentFontChanged(TMessage& message);
    void CMParentColorChanged(TMessage& message);
    void CMParentCtl3DChanged(TMessage& message);

    // Raises OnMouseDown etc. with the message's point and flags.
    void DoMouseDown(const TMessage& message, TMouseButton button, TShiftState shift);
    void DoMouseUp(const TMessage& message, TMouseButton button);
    // Asks every form on the parent chain to end modes (drags) of its active control.
    void SendCancelMode(TControl* sender);
    // Keeps the size within the constraints and stores the bounds; false when
    // nothing changed.
    bool StoreBounds(int aLeft, int aTop, int aWidth, int aHeight);

    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;

private:
    void ParentFontChangedNotify();
    void FontChange(TObject* sender);
    // Measures the distances that the anchors keep, against the parent's client area now.
    void UpdateAnchorRules();
    // Places the control by its anchors in a parent client area of that size.
    void AnchorTo(const TSize& parentSize);
    bool Anchored() const { return FAnchors != TAnchors{akLeft, akTop}; }

    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    // What the anchors keep on each axis (X across, Y down): the distance to
    // the far side when anchored there, else the centre; and the parent's
    // client size they were measured against.
    TPoint FAnchorRules;
    TSize FOriginalParentSize{0, 0};
    // Set while the anchors move the control: that is not a new place to keep.
    bool FAnchorMove = false;
    std::unique_ptr<TSizeConstraints> FConstraints;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor;
    bool FParentColor = true;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FSettingParentFont = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    int FHelpContext = 0;
    TCursor FCursor = crDefault;
    AnsiString FText;
    AnsiString FHint;
    bool FShowHint = false;
    TPopupMenu* FPopupMenu = nullptr;
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    TControlState FControlState = 0;
    int FWheelAccumulator = 0;
    TDragMode FDragMode = dmManual;
    TDragKind FDragKind = dkDrag;
};

// A control with a window: it holds child controls, can have the keyboard focus,
// takes part in the tab order, receives keys, paints through WM_PAINT and has two
// standard scroll bars (scrollbars.h). The window is made when it is first needed
// (Handle, or the control becoming visible inside a visible parent) and goes
// with DestroyHandle, RecreateWnd or the control. Children are freed with their
// parent. A window destroyed by the base destructor no longer reaches the
// subclass's handlers: a subclass that handles WM_DESTROY calls DestroyHandle in
// its own destructor.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* aOwner);
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    // ---- The window
    // Makes the window when it does not exist. EInvalidOperation "Control '%s' has
    // no parent window" for a child control without a parent.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys the window and makes it again (with a new handle) when it exists.
    void RecreateWnd();
    void DestroyHandle();
    // The control and all its parents are visible and the top-level window is shown.
    bool Showing() const { return FShowing; }

    // ---- Children
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* aControl);
    void RemoveControl(TControl* aControl);
    bool ContainsControl(const TControl* control) const;
    // The visible child at a client point, the last in the list winning.
    TControl* ControlAtPos(const TPoint& pos, bool allowDisabled) const;
    void DisableAlign();
    void EnableAlign();
    bool AlignDisabled() const { return FAlignLevel != 0; }
    // Aligns the children again.
    void Realign();
    // Children compared and placed by alignment so far: what aligning costs.
    int64_t GetAlignSteps() const { return FAlignSteps; }

    // ---- Focus and tab order
    // The control, and every parent up to its form, is visible and enabled.
    bool CanFocus() const;
    // Gives the control the keyboard focus. EInvalidOperation "Cannot focus a
    // disabled or invisible window" when it cannot take it.
    virtual void SetFocus();
    bool Focused() const;
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value) { FTabStop = value; }
    // The position among the parent's windowed children in tab order. Without
    // a parent: the position set since (taken when the control joins a
    // parent, as a control read from a stream before it is placed), else -1.
    int TabOrder() const;
    void SetTabOrder(int value);
    // Fills List with the windowed controls inside this one in tab order, depth first.
    virtual void GetTabOrderList(TList* list);
    // The next control inside this one after CurControl, wrapping around.
    TWinControl* FindNextControl(TWinControl* curControl, bool goForward, bool checkTabStop,
                                 bool checkParent);
    void SelectNext(TWinControl* curControl, bool goForward, bool checkTabStop);

    // ---- Painting
    void Invalidate() override;
    // Adds a client rectangle to the update region (Erase: background first).
    void InvalidateRect(const TRect& rect, bool erase = true);
    void Update() override;
    void Repaint() override;
    // Paints the control and its visible children onto Canvas with the client
    // area's top left corner at (X, Y): WM_ERASEBKGND and WM_PAINT with Canvas as WParam.
    void PaintTo(TCanvas* canvas, int x, int y);
    // A window's picture is the platform's picture of it: PaintTo.
    void PaintImage(TCanvas* canvas, int x, int y) override;

    void SetBounds(int aLeft, int aTop, int aWidth, int aHeight) override;
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    void SetEnabled(bool value) override;

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    friend class TControl;
    friend class TWindowAdapter;

    // ---- Window making
    // Window styles: WS_BORDER gives a one-pixel border, WS_EX_CLIENTEDGE a
    // two-pixel sunken one, WS_EX_LEFTSCROLLBAR puts the vertical bar on the left.
    virtual void CreateParams(TCreateParams& params);
    // Makes the window (and sends WM_SIZE with its client size).
    virtual void CreateWnd();
    // Sends WM_DESTROY, then destroys the window; timers, the caret and queued
    // messages of the window go with it.
    virtual void DestroyWnd();
    void CreateHandle();
    // A top-level window is shown or hidden with its Visible.
    virtual void UpdateShowing();
    virtual bool IsTopLevel() const { return false; }

    // ---- Keys
    // Key-down with the form's key preview first; true when the key was used up.
    bool DoKeyDown(TMessage& message);
    bool DoKeyUp(TMessage& message);
    bool DoKeyPress(TMessage& message);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    // Characters below 128 only; other text reaches WM_CHAR handlers as UTF-16 units.
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();

    // ---- Painting
    // Paints on Canvas (the window's own during WM_PAINT); nothing here.
    virtual void PaintWindow(TCanvas* canvas);
    // The canvas of the current WM_PAINT, or the window's pixels outside one.
    TCanvas* WindowCanvas();

    // ---- Alignment
    virtual void AlignControls(TControl* aControl, TRect& rect);
    virtual void AdjustClientRect(TRect& rect) const;
    void AlignControl(TControl* aControl);

    // ---- Message handlers
    void WMPaint(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
    void WMSize(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    void WMKeyDown(TMessage& message);
    void WMKeyUp(TMessage& message);
    void WMChar(TMessage& message);
    void CNKeyDown(TMessage& message);
    // A key that is the shortcut of an item of the popup menu of this control
    // or of a control around it (the nearest first) clicks that item.
    bool IsMenuKey(TMessage& message);
    void CMDialogKey(TMessage& message);
    void CMCtl3DChanged(TMessage& message);
    void WMSetCursor(TMessage& message);

    // The canvas of the WM_PAINT being handled, null outside one.
    TCanvas* FPaintCanvas = nullptr;

private:
    friend struct TWindowData;
    using HPALETTE = uint32_t;
    friend class TCustomForm;

    void UpdateControlState();
    void SetShowing(bool value);
    void ApplyBounds();
    void DoAlignPass(TControl* aControl);
    void InsertTabOrder(TWinControl* control);
    void RemoveTabOrder(TWinControl* control);
    void ClientSizeMayHaveChanged();
    void NotifyChildrenFontChanged();
    void NotifyChildrenColorChanged();
    void RemoveFocus(bool removing);
    int BorderWidthForParams();
    // Moves Child to position Order among the children (its place in front-to-back order).
    void SetChildOrder(TControl* child, int order);

    HWND FHandle = nullptr;
    // The canvas of the window's pixels: made with the first window and kept for
    // the control's life, so that pointers to it survive resizes and new windows.
    std::unique_ptr<TCanvas> FCanvas;
    std::unique_ptr<TWindowData> FWindow;
    // DragAcceptFiles was given true: every window made for the control accepts files.
    bool FAcceptsFiles = false;
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    bool FShowing = false;
    bool FTabStop = false;
    int FPendingTabOrder = -1;
    int FAlignLevel = 0;
    int64_t FAlignSteps = 0;
    // Set by the parent while it shows its children: no later sibling has a window.
    bool FNoLaterWindowedSibling = false;
    TSize FLastClientSize{-1, -1};
};

// A window that paints itself: Paint draws on Canvas, which during a paint is the
// canvas of the window's pixels clipped to what needs painting.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* aOwner);
    const char* ClassName() const override { return "TCustomControl"; }
    // The canvas to draw on: the paint's canvas inside Paint; outside a paint the
    // window's pixels (what is drawn there shows at once, until the area is painted).
    TCanvas* Canvas();

protected:
    virtual void Paint();
    void PaintWindow(TCanvas* canvas) override;
};

// The mouse: the pointer's position and the wheel.
class TMouse {
public:
    TPoint CursorPos() const;
    void SetCursorPos(const TPoint& pos);
    bool WheelPresent() const { return true; }
    // Lines a notch scrolls, as the desktop's setting says.
    int WheelScrollLines() const;
};
extern TMouse* Mouse;

// The control whose window this is, or null (also for a window that has gone).
TWinControl* FindControl(HWND wnd);
// The control of ours under a screen point (the innermost), or null.
TWinControl* FindVCLWindow(const TPoint& pos);
// The form the control is on (the control itself when it is a form), or null.
TCustomForm* GetParentForm(const TControl* control);
// Like GetParentForm, raising EInvalidOperation "Control '%s' has no parent window" for none.
TCustomForm* ValidParentForm(const TControl* control);
