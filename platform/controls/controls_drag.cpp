// Drag and drop between the program's controls over the toolkit's drag and
// drop: a drag begun on a control waits for the pointer to move, then runs as
// the toolkit's drag of data that names it; the client areas of the program's
// windows take the toolkit's drag events for it and ask their controls
// (DragOver, DragDrop); when the toolkit's drag ends the source hears of it
// (DoEndDrag).
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QStyleHints>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/controls/controls_qt.h"

namespace {

// The toolkit's data of a drag between controls: a token that names the drag
// within this process, so that data of another program or of an earlier drag
// is never taken for it.
const char* const kControlDragMime = "application/x-kelvor-control-drag";

} // namespace

// The one drag that runs (or waits for the pointer to move). The source and
// the target are cleared when their controls go.
struct TDragSession {
    TControl* Source = nullptr;
    TDragObject* Object = nullptr;
    std::unique_ptr<TDragObject> OwnObject; // the control's own drag object
    QByteArray Token;
    TPoint StartPos; // on the screen
    bool Immediate = false;
    int Threshold = 0;
    bool Started = false; // the toolkit's drag runs
    TControl* Target = nullptr;
    TPoint TargetPos; // in the target's client coordinates
    bool Accepted = false;
    bool Dropped = false;
    // Client areas made drop sites for the time of the drag.
    std::vector<QPointer<QWidget>> Opened;

    // What targets see as the source: the control, when the drag carries its own object.
    TObject* SourceArg() const { return OwnObject ? static_cast<TObject*>(Source) : Object; }

    static void Over(TControl* target, TObject* source, const TPoint& pos, TDragState state, bool& accept)
    {
        target->DragOver(source, pos.X, pos.Y, state, accept);
    }
    static void EndOf(TControl* source, TObject* target, const TPoint& pos)
    {
        source->FControlState &= ~(csLButtonDown | csClicked);
        if (source->MouseCapture())
            source->SetMouseCapture(false);
        source->DoEndDrag(target, pos.X, pos.Y);
    }
};

namespace {

std::unique_ptr<TDragSession> GDrag;
unsigned GDragCount = 0;
// The innermost press being handled, if any.
const TDragPressPoint* GPress = nullptr;

// The pointer left the target (or the drag ended elsewhere): it hears so.
void LeaveTarget(TDragSession& s)
{
    TControl* target = s.Target;
    s.Target = nullptr;
    s.Accepted = false;
    if (!target)
        return;
    bool accept = false;
    TDragSession::Over(target, s.SourceArg(), s.TargetPos, dsDragLeave, accept);
}

void OpenDropSites(TDragSession& s)
{
    for (QWidget* widget : QApplication::allWidgets())
        if (dynamic_cast<TClientWidget*>(widget) && !widget->acceptDrops()) {
            widget->setAcceptDrops(true);
            s.Opened.emplace_back(widget);
        }
}

void CloseDropSites(TDragSession& s)
{
    for (const QPointer<QWidget>& widget : s.Opened)
        if (widget)
            widget->setAcceptDrops(false);
    s.Opened.clear();
}

// Ends the drag that runs: a target that was not dropped on hears that the
// pointer left, then the source its end.
void FinishDrag()
{
    std::unique_ptr<TDragSession> s = std::move(GDrag);
    if (!s)
        return;
    CloseDropSites(*s);
    TControl* target = s->Dropped ? s->Target : nullptr;
    const TPoint pos = target ? s->TargetPos : TPoint{0, 0};
    if (!s->Dropped)
        LeaveTarget(*s);
    s->Object->Dropped = s->Dropped;
    s->Object->DragTarget = target;
    if (s->Source)
        TDragSession::EndOf(s->Source, target, pos);
}

// Runs the toolkit's drag from the source's window until it ends.
void RunToolkitDrag(TWinControl* source)
{
    TDragSession* s = GDrag.get();
    QWidget* client = ClientWidgetOf(source);
    if (!client) {
        FinishDrag();
        return;
    }
    s->Started = true;
    OpenDropSites(*s);
    auto* data = new QMimeData;
    data->setData(kControlDragMime, s->Token);
    auto* drag = new QDrag(client); // the toolkit deletes it when the drag ends
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    if (GDrag.get() == s)
        FinishDrag();
}

} // namespace

TDragPressPoint::TDragPressPoint(const TPoint& screenPos) : FOuter(GPress), FPos(screenPos)
{
    GPress = this;
}

TDragPressPoint::~TDragPressPoint()
{
    GPress = FOuter;
}

bool IsControlDrag(const QMimeData* data)
{
    return data && data->hasFormat(kControlDragMime);
}

bool DragMouseMessage(TControl* control, TMessage& message)
{
    TDragSession* s = GDrag.get();
    if (!s || s->Source != control || s->Started)
        return false;
    switch (message.Msg) {
    case WM_MOUSEMOVE: {
        auto* source = dynamic_cast<TWinControl*>(control);
        if (!(message.WParam & MK_LBUTTON) || !source) {
            // The toolkit drags only while the button is down.
            FinishDrag();
            return true;
        }
        const TPoint p = control->ClientToScreen(PointFromLParam(message.LParam));
        const int dx = std::abs(p.X - s->StartPos.X);
        const int dy = std::abs(p.Y - s->StartPos.Y);
        if (s->Immediate || dx > s->Threshold || dy > s->Threshold)
            RunToolkitDrag(source);
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_CANCELMODE:
        FinishDrag();
        return message.Msg != WM_CANCELMODE;
    default:
        return false;
    }
}

void DragControlGone(TControl* control)
{
    TDragSession* s = GDrag.get();
    if (!s)
        return;
    if (s->Target == control) {
        s->Target = nullptr;
        s->Accepted = false;
    }
    if (s->Source == control) {
        s->Source = nullptr;
        if (auto* own = dynamic_cast<TDragControlObject*>(s->OwnObject.get()))
            own->Control = nullptr;
        if (s->Started)
            QDrag::cancel();
        else
            GDrag.reset();
    }
}

bool DeliverControlDrag(TWinControl* control, QWidget* client, QEvent* event)
{
    TDragSession* s = GDrag.get();
    if (!s || !s->Started)
        return false;
    if (event->type() == QEvent::DragLeave) {
        if (s->Target == control && !s->Dropped)
            RunGuarded(control, [&] { LeaveTarget(*s); });
        return true;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    if (!drop->mimeData() || drop->mimeData()->data(kControlDragMime) != s->Token)
        return false;
    const QPoint at = drop->position().toPoint();
    // Only the innermost control under the pointer answers: the toolkit hands
    // a refused drag on to the window around it, which does not take it.
    if (QWidget* child = client->childAt(at); child && ControlOfWidget(child) != control) {
        drop->ignore();
        return true;
    }
    const TPoint pos{at.x(), at.y()};
    s->Object->DragPos = control->ClientToScreen(pos);
    if (event->type() == QEvent::Drop) {
        if (s->Target != control || !s->Accepted) {
            drop->ignore();
            return true;
        }
        s->TargetPos = pos;
        s->Dropped = true;
        drop->acceptProposedAction();
        RunGuarded(control, [&] { control->DragDrop(s->SourceArg(), pos.X, pos.Y); });
        return true;
    }
    TDragState state = dsDragMove;
    if (s->Target != control) {
        RunGuarded(control, [&] { LeaveTarget(*s); });
        if (GDrag.get() != s) {
            drop->ignore();
            return true;
        }
        s->Target = control;
        state = dsDragEnter;
    }
    s->TargetPos = pos;
    s->Object->DragTarget = control;
    bool accept = false;
    RunGuarded(control, [&] { TDragSession::Over(control, s->SourceArg(), pos, state, accept); });
    if (GDrag.get() != s || s->Target != control) {
        drop->ignore();
        return true;
    }
    s->Accepted = accept;
    if (accept)
        drop->acceptProposedAction();
    else
        drop->ignore();
    return true;
}

// ---------------------------------------------------------------------------
// TControl

void TControl::BeginDrag(bool immediate, int threshold)
{
    // A docking drag is not done here: such a control begins none.
    if (GDrag || FDragKind == dkDock || !dynamic_cast<TWinControl*>(this))
        return;
    auto session = std::make_unique<TDragSession>();
    session->Source = this;
    session->Immediate = immediate;
    session->Threshold = threshold >= 0 ? threshold : QGuiApplication::styleHints()->startDragDistance();
    session->StartPos = GPress ? GPress->Pos() : Mouse->CursorPos();
    session->Token =
        QByteArray::number(static_cast<qint64>(getpid())) + ':' + QByteArray::number(++GDragCount);
    TDragSession* s = session.get();
    GDrag = std::move(session);
    TDragObject* object = nullptr;
    try {
        DoStartDrag(object);
    } catch (...) {
        if (GDrag.get() == s)
            GDrag.reset();
        throw;
    }
    if (GDrag.get() != s)
        return;
    if (!object) {
        s->OwnObject = std::make_unique<TDragControlObject>(this);
        object = s->OwnObject.get();
    }
    s->Object = object;
    object->DragPos = s->StartPos;
    object->DragTarget = nullptr;
    object->Dropped = false;
    SetMouseCapture(true);
}

void TControl::EndDrag(bool drop)
{
    TDragSession* s = GDrag.get();
    if (!s || s->Source != this)
        return;
    if (drop && s->Target && s->Accepted && !s->Dropped) {
        s->Dropped = true;
        s->Target->DragDrop(s->SourceArg(), s->TargetPos.X, s->TargetPos.Y);
    }
    if (GDrag.get() != s)
        return;
    // A running toolkit drag is cancelled; the drag ends when it has returned.
    if (s->Started)
        QDrag::cancel();
    else
        FinishDrag();
}

bool TControl::Dragging() const
{
    return GDrag && GDrag->Source == this;
}

void TControl::DoStartDrag(TDragObject*& dragObject)
{
    if (OnStartDrag)
        OnStartDrag(this, dragObject);
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept)
{
    accept = false;
    if (OnDragOver) {
        accept = true;
        OnDragOver(this, source, x, y, state, accept);
    }
}

void TControl::DragDrop(TObject* source, int x, int y)
{
    if (OnDragDrop)
        OnDragDrop(this, source, x, y);
}

void TControl::DoEndDrag(TObject* target, int x, int y)
{
    if (OnEndDrag)
        OnEndDrag(this, target, x, y);
}
