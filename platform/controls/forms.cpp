// TCustomForm: top-level windows, their activation, active control, closing,
// window state and stay-on-top style; TScreen: cursors, forms, the active form.
#include <QApplication>
#include <QCursor>
#include <QWidget>

#include <algorithm>

#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/controls/uiservices.h"
#include "platform/controls/winapi.h"
#include "platform/core/colors.h"
#include "platform/core/sysutils.h"

namespace {

const char* const SCannotFocus = "Cannot focus a disabled or invisible window";

// References read from component streams that name a form ("Form1.Style1")
// find it among the screen's forms.
TComponent* FindForm(const AnsiString& name)
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (SameText(Screen->Forms(i)->Name(), name))
            return Screen->Forms(i);
    return nullptr;
}

const bool FormFinderRegistered = (RegisterFindGlobalComponentProc(FindForm), true);

} // namespace

TScreen* Screen = new TScreen(nullptr);

// ---------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* aOwner) : TWinControl(aOwner)
{
    SetVisible(false);
    SetColor(clBtnFace);
    SetParentFont(false);
    StoreBounds(0, 0, 320, 240);
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    // A form deleted without Free or Release still runs OnDestroy, but only here.
    BeforeDestruction();
    if (Screen)
        Screen->RemoveForm(this);
    if (Application && Application->FMainForm == this)
        Application->FMainForm = nullptr;
}

void TCustomForm::AfterConstruction()
{
    if (FCreated)
        return;
    FCreated = true;
    DoCreate();
}

void TCustomForm::BeforeDestruction()
{
    if (FDestroyed)
        return;
    FDestroyed = true;
    Destroying();
    DoDestroy();
}

void TCustomForm::Free()
{
    BeforeDestruction();
    delete this;
}

void TCustomForm::Release()
{
    PostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::DoCreate()
{
    // An exception in OnCreate is shown, not passed to the creator.
    if (OnCreate)
        RunGuarded(this, [&] { OnCreate(this); });
}

void TCustomForm::DoDestroy()
{
    if (OnDestroy)
        RunGuarded(this, [&] { OnDestroy(this); });
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(this, action);
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    if (!Parent()) {
        params.Style = WS_POPUP | WS_CLIPCHILDREN;
        params.ExStyle = FFormStyle == fsStayOnTop ? static_cast<DWORD>(WS_EX_TOPMOST) : 0u;
    }
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!Parent()) {
        if (FBorderStyle == bsNone)
            FrameWidgetOf(this)->setWindowFlag(Qt::FramelessWindowHint, true);
        if (FFormStyle == fsStayOnTop)
            UIServices().SetStayOnTop(Handle(), true);
        if (Application && Application->MainForm() == this && (ApplicationExStyle() & WS_EX_TOOLWINDOW))
            UIServices().SetSkipTaskbar(Handle(), true);
    }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (FBorderStyle == value)
        return;
    FBorderStyle = value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (FFormStyle == value)
        return;
    const bool wasOnTop = FFormStyle == fsStayOnTop;
    FFormStyle = value;
    if (HandleAllocated() && wasOnTop != (value == fsStayOnTop))
        ApplyStayOnTop();
}

void TCustomForm::ApplyStayOnTop()
{
    const bool onTop = FFormStyle == fsStayOnTop;
    const HWND wnd = Handle();
    SetWindowLong(wnd, GWL_EXSTYLE,
                  onTop ? (GetWindowLong(wnd, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_TOPMOST))
                        : (GetWindowLong(wnd, GWL_EXSTYLE) & ~static_cast<LONG>(WS_EX_TOPMOST)));
}

void TCustomForm::SetWindowState(TWindowState value)
{
    if (FWindowState == value)
        return;
    FWindowState = value;
    QWidget* frame = FrameWidgetOf(this);
    if (!frame || Parent())
        return;
    Qt::WindowStates state = frame->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (value == wsMinimized)
        state |= Qt::WindowMinimized;
    else if (value == wsMaximized)
        state |= Qt::WindowMaximized;
    if (state != frame->windowState())
        frame->setWindowState(state);
}

void TCustomForm::UpdateShowing()
{
    if (Parent()) {
        TWinControl::UpdateShowing();
        return;
    }
    QWidget* frame = FrameWidgetOf(this);
    if (!frame)
        return;
    if (Showing()) {
        if (frame->isVisible())
            return;
        DoShow();
        SetWindowState(FWindowState);
        // A window hidden while minimised comes back in the state the form has.
        if (FWindowState != wsMinimized && (frame->windowState() & Qt::WindowMinimized))
            frame->setWindowState(frame->windowState() & ~Qt::WindowMinimized);
        frame->show();
        if (Screen)
            Screen->SetActiveForm(this);
        frame->activateWindow();
    } else {
        if (!frame->isVisible())
            return;
        DoHide();
        frame->hide();
        if (Screen && Screen->ActiveForm() == this) {
            TCustomForm* next = Application ? Application->MainForm() : nullptr;
            Screen->SetActiveForm(next && next != this && next->Visible() ? next : nullptr);
        }
        FActive = false;
        // A hidden window keeps no focus.
        if (TWinControl* focused = FindControl(GetFocus()))
            if (GetParentForm(focused) == this)
                ::SetFocus(nullptr);
    }
}

void TCustomForm::Show()
{
    SetVisible(true);
    BringToFront();
    if (QWidget* frame = FrameWidgetOf(this); frame && !Parent())
        frame->raise();
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

// ---------------------------------------------------------------------------
// Activation and focus

void TCustomForm::Activate(bool focusWindow)
{
    if (FActive)
        return;
    FActive = true;
    if (Screen)
        Screen->SetActiveForm(this, focusWindow);
    if (focusWindow)
        SetWindowFocus();
    if (OnActivate)
        OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (!FActive)
        return;
    FActive = false;
    if (Screen && Screen->ActiveForm() == this)
        Screen->SetActiveForm(nullptr);
    // The application lost the activation: the focus leaves this form's windows.
    if (TWinControl* focused = FindControl(GetFocus()))
        if (GetParentForm(focused) == this && (!Screen || !Screen->ActiveForm()))
            ::SetFocus(nullptr);
    if (OnDeactivate)
        OnDeactivate(this);
}

void TCustomForm::SetWindowFocus()
{
    if (!HandleAllocated() && !Showing())
        return;
    const HWND wnd = FActiveControl && FActiveControl->CanFocus() ? FActiveControl->Handle() : Handle();
    if (GetFocus() != wnd)
        ::SetFocus(wnd);
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (FActiveControl == control)
        return;
    if (control && (control == this || GetParentForm(control) != this ||
                    (!(ComponentState() & csLoading) && !control->CanFocus())))
        throw EInvalidOperation(SCannotFocus);
    FActiveControl = control;
    if (FActive)
        SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* control)
{
    const bool wasActive = FActive;
    SetActiveControl(control);
    if (!wasActive)
        SetFocus();
}

void TCustomForm::SetFocus()
{
    if (FActive)
        return;
    if (!Visible() || !Enabled())
        throw EInvalidOperation(SCannotFocus);
    Activate();
    if (QWidget* frame = FrameWidgetOf(this))
        frame->activateWindow();
}

bool TCustomForm::SetFocusedControl(TWinControl* control)
{
    FActiveControl = control != this ? control : nullptr;
    if (FFocusedControl == control)
        return true;
    TWinControl* previous = FFocusedControl;
    FFocusedControl = control;
    if (previous && !(previous->ComponentState() & csDestroying))
        previous->Perform(CM_EXIT, 0, 0);
    if (FFocusedControl == control && control && control != this)
        control->Perform(CM_ENTER, 0, 0);
    return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing)
{
    if (removing && control->ContainsControl(FFocusedControl))
        FFocusedControl = nullptr;
    if (!control->ContainsControl(FActiveControl))
        return;
    FActiveControl = nullptr;
    // The focus goes back to the form itself.
    if (FActive && !(ComponentState() & csDestroying) && HandleAllocated())
        SetWindowFocus();
}

void TCustomForm::Notification(TComponent* aComponent, TOperation operation)
{
    TWinControl::Notification(aComponent, operation);
    if (operation != opRemove)
        return;
    if (aComponent == FActiveControl)
        FActiveControl = nullptr;
    if (aComponent == FFocusedControl)
        FFocusedControl = nullptr;
}

// ---------------------------------------------------------------------------
// Messages

void TCustomForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_RELEASE:
        Free();
        return;
    case WM_CLOSE:
        WMClose(message);
        return;
    case WM_SYSCOMMAND:
        WMSysCommand(message);
        return;
    case CM_TEXTCHANGED:
        if (QWidget* frame = FrameWidgetOf(this); frame && !Parent())
            frame->setWindowTitle(QString::fromUtf8(Caption().c_str()));
        return;
    case CM_DIALOGKEY:
        // Tab moves through the form's controls; the arrows within a parent.
        if (GetKeyState(VK_MENU) >= 0) {
            const WORD key = LOWORD(message.WParam);
            if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                message.Result = 1;
                return;
            }
            if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
                if (FActiveControl && FActiveControl->Parent()) {
                    FActiveControl->Parent()->SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN,
                                                         false);
                    message.Result = 1;
                }
                return;
            }
        }
        break;
    default:
        break;
    }
    TWinControl::Dispatch(message);
}

void TCustomForm::WMClose(TMessage&)
{
    Close();
}

void TCustomForm::WMSysCommand(TMessage& message)
{
    switch (message.WParam & 0xFFF0) {
    case SC_MINIMIZE:
        if (Application && Application->MainForm() == this)
            Application->Minimize();
        else
            SetWindowState(wsMinimized);
        break;
    case SC_MAXIMIZE:
        SetWindowState(wsMaximized);
        break;
    case SC_RESTORE:
        SetWindowState(wsNormal);
        break;
    case SC_CLOSE:
        Perform(WM_CLOSE, 0, 0);
        break;
    default:
        DefaultHandler(message);
        break;
    }
}

// ---------------------------------------------------------------------------
// TScreen

TScreen::TScreen(TComponent* aOwner) : TComponent(aOwner) {}

TScreen::~TScreen()
{
    if (FCursor != crDefault && QCoreApplication::instance())
        QApplication::restoreOverrideCursor();
}

void TScreen::SetCursor(TCursor value)
{
    if (FCursor == value)
        return;
    const bool had = FCursor != crDefault;
    FCursor = value;
    if (!QCoreApplication::instance())
        return;
    const QCursor* shape = value != crDefault ? CursorOfHandle(Cursors(value)) : nullptr;
    if (had && shape)
        QApplication::changeOverrideCursor(*shape);
    else if (had)
        QApplication::restoreOverrideCursor();
    else if (shape)
        QApplication::setOverrideCursor(*shape);
    else
        FCursor = crDefault;
}

HCURSOR TScreen::Cursors(int index) const
{
    for (const auto& entry : FCursors)
        if (entry.first == index)
            return entry.second;
    return BuiltInCursor(index);
}

void TScreen::SetCursors(int index, HCURSOR handle)
{
    for (auto& entry : FCursors)
        if (entry.first == index) {
            entry.second = handle;
            return;
        }
    FCursors.emplace_back(index, handle);
}

int TScreen::Width() const
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height() const
{
    return GetSystemMetrics(SM_CYSCREEN);
}

TWinControl* TScreen::ActiveControl() const
{
    return FActiveForm ? FActiveForm->ActiveControl() : nullptr;
}

TCustomForm* TScreen::Forms(int index) const
{
    if (index < 0 || index >= FormCount())
        throw EListError(Format(SysConst::SListIndexError, {index}));
    return FForms[static_cast<size_t>(index)];
}

void TScreen::AddForm(TCustomForm* form)
{
    FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form)
{
    FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
    if (FActiveForm == form)
        FActiveForm = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* form, bool focusWindow)
{
    if (FActiveForm == form)
        return;
    TCustomForm* previous = FActiveForm;
    FActiveForm = form;
    if (previous && previous->FActive) {
        // Another form of ours takes the activation: the focus moves there, not away.
        previous->FActive = false;
        if (previous->OnDeactivate)
            previous->OnDeactivate(previous);
    }
    if (form)
        form->Activate(focusWindow);
}
