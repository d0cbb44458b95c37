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
    void timerEvent(QTimerEvent* Event) override;

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

void TCaretBlinker::timerEvent(QTimerEvent* Event)
{
    if (Event->timerId() != FTimer)
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

bool CreateCaret(HWND Wnd, void*, int Width, int Height)
{
    if (!FindControl(Wnd))
        return false;
    DestroyCaret();
    TCaret& caret = Caret();
    caret.Owner = Wnd;
    caret.Width = Width > 0 ? Width : GetSystemMetrics(SM_CXBORDER);
    caret.Height = Height > 0 ? Height : GetSystemMetrics(SM_CYBORDER);
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

bool SetCaretPos(int X, int Y)
{
    TCaret& caret = Caret();
    if (!caret.Owner)
        return false;
    UpdateCaretArea();
    caret.Pos = TPoint{X, Y};
    RestartBlink();
    UpdateCaretArea();
    return true;
}

bool GetCaretPos(TPoint& Point)
{
    const TCaret& caret = Caret();
    if (!caret.Owner)
        return false;
    Point = caret.Pos;
    return true;
}

bool ShowCaret(HWND Wnd)
{
    TCaret& caret = Caret();
    if (!caret.Owner || (Wnd && Wnd != caret.Owner))
        return false;
    if (caret.HideCount > 0 && --caret.HideCount == 0) {
        RestartBlink();
        UpdateCaretArea();
    }
    return true;
}

bool HideCaret(HWND Wnd)
{
    TCaret& caret = Caret();
    if (!caret.Owner || (Wnd && Wnd != caret.Owner))
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

void DrawCaretOverlay(TWinControl* Control, QPainter& Painter)
{
    const TCaret& caret = Caret();
    if (!caret.Owner || caret.Owner != TWindowAdapter::HandleOf(Control) || caret.HideCount != 0 ||
        !caret.BlinkOn)
        return;
    Painter.save();
    Painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    Painter.fillRect(caret.Pos.X, caret.Pos.Y, caret.Width, caret.Height, Qt::white);
    Painter.restore();
}

void CaretWindowGone(HWND Wnd)
{
    if (Caret().Owner == Wnd)
        DestroyCaret();
}

void CaretScrolled(HWND Wnd, const TRect& Area, int Dx, int Dy)
{
    TCaret& caret = Caret();
    if (caret.Owner != Wnd || !Area.Contains(caret.Pos))
        return;
    UpdateCaretArea();
    caret.Pos.X += Dx;
    caret.Pos.Y += Dy;
    UpdateCaretArea();
}

bool CaretOwnedBy(HWND Wnd, TPoint& Pos)
{
    const TCaret& caret = Caret();
    if (!caret.Owner || caret.Owner != Wnd)
        return false;
    Pos = caret.Pos;
    return true;
}

int CaretHeight()
{
    return Caret().Height;
}
