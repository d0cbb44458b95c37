// TApplication: the toolkit's application object, forms, the message loop, the
// exception barrier with its error box, minimising, and the application's own
// handle, which stands for the program's presence on the task bar.
#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <exception>

#include "platform/controls/controls_qt.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/controls/uiservices.h"
#include "platform/controls/winapi.h"

TApplication* Application = new TApplication(nullptr);

namespace {

LONG GExStyle = 0;
bool GWindowVisible = true;

// Receives the messages posted to the application's handle.
class TApplicationReceiver : public QObject {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == PostedMessageEventType()) {
            TEventScope scope(this);
            DeliverApplicationMessage(event);
            return true;
        }
        return QObject::event(event);
    }
};

} // namespace

// ---------------------------------------------------------------------------
// The application's handle

bool IsApplicationHandle(HWND wnd)
{
    return wnd && Application && Application->HandleAllocated() && Application->Handle() == wnd;
}

LONG ApplicationExStyle()
{
    return GExStyle;
}

void SetApplicationExStyle(LONG value)
{
    const bool changed = ((GExStyle ^ value) & static_cast<LONG>(WS_EX_TOOLWINDOW)) != 0;
    GExStyle = value;
    // The main form carries the program's task-bar button here.
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (changed && main && main->HandleAllocated())
        UIServices().SetSkipTaskbar(main->Handle(), (value & WS_EX_TOOLWINDOW) != 0);
}

bool ShowApplicationWindow(int cmd)
{
    const bool wasVisible = GWindowVisible;
    switch (cmd) {
    case SW_HIDE:
        GWindowVisible = false;
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        GWindowVisible = true;
        if (Application)
            Application->Minimize();
        break;
    default:
        GWindowVisible = true;
        if (Application)
            Application->Restore();
        break;
    }
    return wasVisible;
}

bool ApplicationWindowVisible()
{
    return GWindowVisible;
}

QObject* ApplicationReceiver()
{
    EnsureControlsRuntime();
    static TApplicationReceiver* receiver = new TApplicationReceiver;
    return receiver;
}

void HandleEventException(TObject* sender)
{
    try {
        if (Application)
            Application->HandleException(sender);
    } catch (...) {
        // The error box itself failed: nothing is left to tell the user with.
    }
}

// ---------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* aOwner) : TComponent(aOwner) {}

TApplication::~TApplication()
{
    DestroyForms();
    DiscardPostedMessages();
}

void TApplication::Initialize()
{
    if (FInitialized)
        return;
    FInitialized = true;
    EnsureControlsRuntime();
}

void TApplication::FormCreated(TCustomForm* form)
{
    form->AfterConstruction();
    if (!FMainForm) {
        FMainForm = form;
        form->HandleNeeded();
        // The form carries the program's taskbar button from now on: an
        // application style set before (by the form's own OnCreate) applies
        // to it now.
        if (GExStyle & static_cast<LONG>(WS_EX_TOOLWINDOW))
            UIServices().SetSkipTaskbar(form->Handle(), true);
    }
}

HWND TApplication::Handle()
{
    if (!FHandle)
        FHandle = AllocateWindowHandle(nullptr);
    return FHandle;
}

void TApplication::Run()
{
    Initialize();
    if (!FMainForm)
        return;
    FRunning = true;
    if (FShowMainForm && !FTerminated)
        RunGuarded(this, [&] { FMainForm->Show(); });
    while (!FTerminated) {
        try {
            QApplication::exec();
        } catch (...) {
            HandleEventException(this);
        }
    }
    FRunning = false;
    DestroyForms();
    DiscardPostedMessages();
}

void TApplication::Terminate()
{
    FTerminated = true;
    if (QCoreApplication::instance())
        QCoreApplication::quit();
}

void TApplication::ProcessMessages()
{
    // Inside a paint (a program's paint handler) the toolkit takes no other
    // event: the messages wait until the paint is done.
    if (QCoreApplication::instance() && !InToolkitPaint())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage()
{
    Initialize();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::DestroyForms()
{
    // OnDestroy of every form first, while all of them still exist.
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (auto* form = dynamic_cast<TCustomForm*>(Components(i)))
            form->BeforeDestruction();
    DestroyComponents();
    FMainForm = nullptr;
}

void TApplication::HandleException(TObject* sender)
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return;
    try {
        std::rethrow_exception(current);
    } catch (const Exception& e) {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (const std::exception& e) {
        const Exception wrapped(e.what());
        if (OnException)
            OnException(sender, wrapped);
        else
            ShowException(wrapped);
    } catch (...) {
        const Exception wrapped("Unknown exception");
        if (OnException)
            OnException(sender, wrapped);
        else
            ShowException(wrapped);
    }
}

void TApplication::ShowException(const Exception& e)
{
    AnsiString message = e.Message();
    // A message that ends in a letter or digit (any character after '.') gets its full stop.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    AnsiString title = FTitle;
    if (title.empty() && QCoreApplication::instance())
        title = QCoreApplication::applicationName().toStdString();
    UIServices().MessageBox(message, title, MB_OK | MB_ICONSTOP);
}

void TApplication::Minimize()
{
    if (FMainForm)
        FMainForm->SetWindowState(wsMinimized);
    if (OnMinimize)
        OnMinimize(this);
}

void TApplication::Restore()
{
    if (FMainForm && FMainForm->WindowState() == wsMinimized)
        FMainForm->SetWindowState(wsNormal);
    if (OnRestore)
        OnRestore(this);
}

void TApplication::BringToFront()
{
    if (!FMainForm)
        return;
    if (QWidget* frame = FrameWidgetOf(FMainForm)) {
        frame->raise();
        frame->activateWindow();
    }
}

void TApplication::SetHint(const AnsiString& value)
{
    if (FHint == value)
        return;
    FHint = value;
    if (OnHint)
        OnHint(this);
}

void TApplication::WndProc(TMessage& message)
{
    message.Result = 0;
}
