// Forms and the application: TCustomForm/TForm (top-level windows), TScreen (the
// screen's cursor table and active form), TApplication (start-up, message loop,
// the exception barrier) and TTimer. The globals Application and Screen exist
// from program start-up on.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/core/callhold.h"

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = TEvent<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = TEvent<void(TObject* sender, bool& canClose)>;

// A top-level window with a caption. Bounds are those of the window without the
// window manager's decorations, so that a form placed at its saved bounds comes
// back exactly there and its client area is its whole size.
//
// Creation and destruction: OnCreate runs from AfterConstruction, after the whole
// constructor chain (Application->CreateForm calls it); OnDestroy runs from
// BeforeDestruction, before any destructor. Free a form with Free or Release, or
// let the application free it at the end of Run; a plain delete still runs
// OnDestroy, but only from the base destructor, when the derived parts are gone.
class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* aOwner);
    ~TCustomForm() override;
    const char* ClassName() const override { return "TCustomForm"; }

    virtual void AfterConstruction();
    // OnDestroy, once.
    virtual void BeforeDestruction();
    // BeforeDestruction, then delete.
    void Free();
    // Frees the form once the message being handled is done (CM_RELEASE).
    void Release();

    TFormStyle FormStyle() const { return FFormStyle; }
    // fsStayOnTop keeps the window above all others.
    void SetFormStyle(TFormStyle value);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    // bsNone: a window without the window manager's frame; the other styles get
    // its usual frame. A change makes the window again.
    void SetBorderStyle(TFormBorderStyle value);
    // The form sees the keys of its controls first (OnKeyDown, OnKeyPress, OnKeyUp).
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool value) { FKeyPreview = value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState value);

    // The control that has (or gets, when the form is activated) the focus.
    TWinControl* ActiveControl() const { return FActiveControl; }
    // EInvalidOperation "Cannot focus a disabled or invisible window" for a
    // control of another form or one that cannot take the focus.
    void SetActiveControl(TWinControl* control);
    // The form is the active window of the application.
    bool Active() const { return FActive; }

    void Show();
    void Hide() { SetVisible(false); }
    // OnCloseQuery, then OnClose with its action (caHide for a form, and the end of
    // the application for the main form).
    void Close();
    bool CloseQuery();
    // Activates the form and gives the focus to its active control.
    void SetFocus() override;
    void FocusControl(TWinControl* control);
    // WM_SETFOCUS of a control of this form: it becomes the active control
    // (OnExit of the previous, OnEnter of the new). False to refuse.
    bool SetFocusedControl(TWinControl* control);
    // Control (or its window) is going: the form forgets it as its active control.
    void DefocusControl(TWinControl* control, bool removing);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    void Dispatch(TMessage& message) override;

    // Activation, from the window or Screen. FocusWindow gives the focus to the
    // active control (or the form); the platform's SetFocus on a window of an
    // inactive form activates it without that, as the focus is going elsewhere.
    void Activate(bool focusWindow = true);
    void Deactivate();

protected:
    bool IsTopLevel() const override { return Parent() == nullptr; }
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void UpdateShowing() override;
    void Notification(TComponent* aComponent, TOperation operation) override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    friend class TScreen;
    friend class TApplication;
    void SetWindowFocus();
    void ApplyStayOnTop();
    void WMClose(TMessage& message);
    void WMSysCommand(TMessage& message);

    TFormStyle FFormStyle = fsNormal;
    TFormBorderStyle FBorderStyle = bsSizeable;
    bool FKeyPreview = false;
    TWindowState FWindowState = wsNormal;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    bool FActive = false;
    bool FDestroyed = false;
    bool FCreated = false;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
    const char* ClassName() const override { return "TForm"; }
};

// The screen: its size, the cursor shown everywhere (crDefault: each control's
// own), the table of cursor shapes by number, the forms and the active one.
class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* aOwner);
    ~TScreen() override;
    const char* ClassName() const override { return "TScreen"; }

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);
    // The shape of a cursor number: the built-in numbers map to system shapes;
    // others to what SetCursors registered (null when none).
    HCURSOR Cursors(int index) const;
    void SetCursors(int index, HCURSOR handle);
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const;
    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int index) const;

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void SetActiveForm(TCustomForm* form, bool focusWindow = true);

    TCursor FCursor = crDefault;
    std::vector<std::pair<int, HCURSOR>> FCursors;
    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
};

extern TScreen* Screen;

using TExceptionEvent = TEvent<void(TObject* sender, const Exception& e)>;

// The application: makes the toolkit's application object, creates forms (the
// first becomes the main form), runs the message loop until the main form closes
// or Terminate, and is the barrier for exceptions that escape event handlers.
class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* aOwner);
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    void Initialize();
    // Creates a form owned by the application, stores it in Reference, then runs
    // its AfterConstruction (OnCreate). The first form is the main form.
    template <class T> void CreateForm(T*& reference)
    {
        Initialize();
        T* form = new T(this);
        reference = form;
        FormCreated(form);
    }
    // Shows the main form and runs the message loop until it closes or Terminate
    // is called; then frees the forms (OnDestroy) and drops queued messages.
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Handles the messages waiting now, without waiting for more. Every handler
    // may run inside it: call it only where re-entry can do no harm.
    void ProcessMessages();
    // Waits for messages and handles them.
    void HandleMessage();

    // The barrier: call from a catch block. OnException when assigned, else the
    // error box with the exception's message (ShowException).
    void HandleException(TObject* sender);
    // The error box: the message (with a full stop added when its last character
    // comes after '.' in code order: a letter, a digit, a quote), the
    // application's title, an error icon and OK.
    void ShowException(const Exception& e);

    void Minimize();
    void Restore();
    void BringToFront();

    // The application's own handle: it stands for the program's presence on the
    // task bar (ShowWindow, GetWindowLong/SetWindowLong with GWL_EXSTYLE).
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    TCustomForm* MainForm() const { return FMainForm; }
    const AnsiString& Title() const { return FTitle; }
    // Also what the toolkit's boxes given no caption show (DefaultBoxCaption).
    void SetTitle(const AnsiString& value) { FTitle = value; }
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& value);
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool value) { FShowMainForm = value; }
    // Messages sent or posted to the application's handle.
    virtual void WndProc(TMessage& message);

    TExceptionEvent OnException;
    TNotifyEvent OnHint;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

private:
    friend class TCustomForm;
    void FormCreated(TCustomForm* form);
    void DestroyForms();

    bool FInitialized = false;
    bool FTerminated = false;
    bool FRunning = false;
    bool FShowMainForm = true;
    TCustomForm* FMainForm = nullptr;
    AnsiString FTitle;
    AnsiString FHint;
    HWND FHandle = nullptr;
};

extern TApplication* Application;

// A component that calls OnTimer (when set) every Interval milliseconds while
// Enabled and Interval is above 0. Exceptions escaping OnTimer go to
// Application->HandleException.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* aOwner);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned value);
    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    struct TTimerObject;
    friend struct TTimerObject;
    void UpdateTimer();
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TTimerObject* FObject = nullptr;
};
