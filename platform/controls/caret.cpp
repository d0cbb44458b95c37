// The caret: one per application, owned by a window, drawn by us over the
// window's pixels as an inverted rectangle that blinks.
#include <QGuiApplication>
#include <QObject>
#include <QPainter>
#include <QStyleHints>
#include <QTimerEvent>

#include "platform/controls/controls_qt.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/qtsupport.h"

namespace {

// Turns the caret on and off at the blink rate.
class TCaretBlinker : public QObject {
public:
    void Restart();
    void Stop();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    int FTimer = 0;
};

struct TCaret {
    HWND Owner = nullptr;
    int Width = 0;
    int Height = 0;
    TPoint Pos;
    int HideCount = 1;
    bool BlinkOn = true;
    TCaretBlinker* Blinker = nullptr;
};

TCaret& Caret()
{
    static TCaret caret;
    return caret;
}

// Repaints the caret's rectangle of its window (the toolkit shows the change later).
void UpdateCaretArea()
{
    TCaret& caret = Caret();
    if (QWidget* client = ClientWidgetOf(FindControl(caret.Owner)))
        client->update(caret.Pos.X, caret.Pos.Y, caret.Width, caret.Height);
}

void TCaretBlinker::Restart()
{
    Stop();
    const UINT blink = GetCaretBlinkTime();
    if (blink != 0xFFFFFFFFu)
        FTimer = startTimer(static_cast<int>(blink));
}

void TCaretBlinker::Stop()
{
    if (FTimer)
        killTimer(FTimer);
    FTimer = 0;
}

void TCaretBlinker::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != FTimer)
        return;
    TCaret& caret = Caret();
    caret.BlinkOn = !caret.BlinkOn;
    UpdateCaretArea();
}

// A caret change shows the caret at once, then blinking resumes.
void RestartBlink()
{
    TCaret& caret = Caret();
    caret.BlinkOn = true;
    if (!caret.Blinker)
        caret.Blinker = new TCaretBlinker;
    if (caret.Owner && caret.HideCount == 0)
        caret.Blinker->Restart();
    else
        caret.Blinker->Stop();
}

} // namespace

bool CreateCaret(HWND wnd, void*, int width, int height)
{
    if (!FindControl(wnd))
        return false;
    DestroyCaret();
    TCaret& caret = Caret();
    caret.Owner = wnd;
    caret.Width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
    caret.Height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
    caret.Pos = TPoint{0, 0};
    caret.HideCount = 1;
    RestartBlink();
    return true;
}

bool DestroyCaret()
{
    TCaret& caret = Caret();
    if (!caret.Owner)
        return false;
    UpdateCaretArea();
    caret.Owner = nullptr;
    caret.HideCount = 1;
    RestartBlink();
    return true;
}

bool SetCaretPos(int x, int y)
{
    TCaret& caret = Caret();
    if (!caret.Owner)
        return false;
    UpdateCaretArea();
    caret.Pos = TPoint{x, y};
    RestartBlink();
    UpdateCaretArea();
    return true;
}

bool GetCaretPos(TPoint& point)
{
    const TCaret& caret = Caret();
    if (!caret.Owner)
        return false;
    point = caret.Pos;
    return true;
}

bool ShowCaret(HWND wnd)
{
    TCaret& caret = Caret();
    if (!caret.Owner || (wnd && wnd != caret.Owner))
        return false;
    if (caret.HideCount > 0 && --caret.HideCount == 0) {
        RestartBlink();
        UpdateCaretArea();
    }
    return true;
}

bool HideCaret(HWND wnd)
{
    TCaret& caret = Caret();
    if (!caret.Owner || (wnd && wnd != caret.Owner))
        return false;
    if (caret.HideCount++ == 0) {
        UpdateCaretArea();
        RestartBlink();
    }
    return true;
}

UINT GetCaretBlinkTime()
{
    EnsureQtApplication();
    // The toolkit gives a whole on-off cycle; the platform the time of one phase.
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    return flash > 0 ? static_cast<UINT>(flash / 2) : 0xFFFFFFFFu;
}

void DrawCaretOverlay(TWinControl* control, QPainter& painter)
{
    const TCaret& caret = Caret();
    if (!caret.Owner || caret.Owner != TWindowAdapter::HandleOf(control) || caret.HideCount != 0 ||
        !caret.BlinkOn)
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(caret.Pos.X, caret.Pos.Y, caret.Width, caret.Height, Qt::white);
    painter.restore();
}

void CaretWindowGone(HWND wnd)
{
    if (Caret().Owner == wnd)
        DestroyCaret();
}

void CaretScrolled(HWND wnd, const TRect& area, int dx, int dy)
{
    TCaret& caret = Caret();
    if (caret.Owner != wnd || !area.Contains(caret.Pos))
        return;
    UpdateCaretArea();
    caret.Pos.X += dx;
    caret.Pos.Y += dy;
    UpdateCaretArea();
}

bool CaretOwnedBy(HWND wnd, TPoint& pos)
{
    const TCaret& caret = Caret();
    if (!caret.Owner || caret.Owner != wnd)
        return false;
    pos = caret.Pos;
    return true;
}

int CaretHeight()
{
    return Caret().Height;
}
