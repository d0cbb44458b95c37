// The standard scroll bars: our state with the platform's rules, shown by two
// toolkit scroll bars in the window's frame that only display it and report
// their use as WM_VSCROLL and WM_HSCROLL.
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <algorithm>
#include <climits>

#include "platform/controls/controls_qt.h"
#include "platform/controls/scrollbars.h"
#include "platform/controls/winapi.h"

namespace {

TWindowData* DataOf(HWND Wnd)
{
    return WindowDataOf(FindControl(Wnd));
}

bool ValidBar(int Bar)
{
    return Bar == SB_HORZ || Bar == SB_VERT;
}

// Wheel turns over a bar scroll the window, as over its client area.
class TWheelRedirect : public QObject {
protected:
    bool eventFilter(QObject* Object, QEvent* Event) override
    {
        if (Event->type() != QEvent::Wheel)
            return false;
        if (TWinControl* control = ControlOfWidget(static_cast<QWidget*>(Object)))
            RunGuarded(control, [&] { DeliverWheelEvent(control, static_cast<QWheelEvent*>(Event)); });
        return true;
    }
};

// A toolkit scroll bar that repaints on a new range, page or position only
// when the thumb moves or changes size on screen, or reaches or leaves an end
// (the arrows show it). A log's pane gains lines all the time; once it holds
// more than a few screens, most new lines move the thumb by less than a pixel,
// and a scroll bar costs as much to paint as a screenful of text.
class TScrollBarWidget : public QScrollBar {
public:
    TScrollBarWidget(Qt::Orientation Orientation, QWidget* Parent) : QScrollBar(Orientation, Parent) {}

    // Applies Change (which sets the range, steps and position) without the
    // repaint each of them asks for. Whether the bar looks different is decided
    // once the event loop runs again: a window often sets a new range and then
    // a new position, and the thumb may end where it was.
    template <typename F> void ChangeQuietly(F Change)
    {
        const bool wasDisabled = testAttribute(Qt::WA_UpdatesDisabled);
        setAttribute(Qt::WA_UpdatesDisabled, true);
        Change();
        setAttribute(Qt::WA_UpdatesDisabled, wasDisabled);
        if (FCheckPosted)
            return;
        FCheckPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                FCheckPosted = false;
                if (!(Appearance() == FPainted))
                    update();
            },
            Qt::QueuedConnection);
    }

protected:
    void paintEvent(QPaintEvent* Event) override
    {
        FPainted = Appearance();
        QScrollBar::paintEvent(Event);
    }

private:
    struct TAppearance {
        QRect Thumb;
        bool AtMinimum = false;
        bool AtMaximum = false;
        bool operator==(const TAppearance& Other) const
        {
            return Thumb == Other.Thumb && AtMinimum == Other.AtMinimum && AtMaximum == Other.AtMaximum;
        }
    };
    TAppearance Appearance() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        TAppearance result;
        result.Thumb =
            style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
        result.AtMinimum = value() == minimum();
        result.AtMaximum = value() == maximum();
        return result;
    }

    TAppearance FPainted; // as last painted; an empty thumb before the first paint
    bool FCheckPosted = false;
};

// Keeps the position within the range and the page, as the platform does.
void Normalize(TScrollBarData& Bar)
{
    const long long size = static_cast<long long>(Bar.Max) - Bar.Min + 1;
    if (Bar.Page > size)
        Bar.Page = static_cast<int>(size);
    const long long last = static_cast<long long>(Bar.Max) - std::max(Bar.Page - 1, 0);
    Bar.Pos = static_cast<int>(std::clamp<long long>(Bar.Pos, Bar.Min, std::max<long long>(last, Bar.Min)));
    if (!Bar.Tracking)
        Bar.TrackPos = Bar.Pos;
}

bool Scrollable(const TScrollBarData& Bar)
{
    const long long size = static_cast<long long>(Bar.Max) - Bar.Min + 1;
    return Bar.Max > Bar.Min && Bar.Page < size;
}

// Shows or hides a bar; the client area and WM_SIZE follow at once.
void SetShown(TWindowData* Data, int Which, bool Shown)
{
    TScrollBarData& bar = Data->Bars[Which];
    if (Shown)
        Data->EnsureBar(Which);
    ApplyScrollBarState(Data, Which);
    if (bar.Shown == Shown)
        return;
    bar.Shown = Shown;
    TWinControl* control = Data->Control;
    Data->Layout();
    TWindowAdapter::ClientSizeMayHaveChanged(control);
}

// The window's answer to a use of the bar.
void SendScroll(TFrameWidget* Frame, int Which, int Code, int Pos)
{
    TWinControl* control = Frame->Control;
    if (!control)
        return;
    const HWND wnd = control->Handle();
    const UINT msg = Which == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    RunGuarded(control, [&] { SendMessage(wnd, msg, MAKEWPARAM(Code, Pos), 0); });
}

} // namespace

QScrollBar* TWindowData::EnsureBar(int Which)
{
    TScrollBarData& bar = Bars[Which];
    if (!bar.Bar) {
        bar.Bar = new TScrollBarWidget(Which == SB_VERT ? Qt::Vertical : Qt::Horizontal, Frame);
        bar.Bar->setFocusPolicy(Qt::NoFocus);
        bar.Bar->hide();
        ConnectScrollBar(this, Which);
    }
    return bar.Bar;
}

void ConnectScrollBar(TWindowData* Data, int Which)
{
    static TWheelRedirect* redirect = new TWheelRedirect;
    QScrollBar* bar = Data->Bars[Which].Bar;
    TFrameWidget* frame = Data->Frame;
    bar->installEventFilter(redirect);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [frame, bar, Which](int action) {
        TWinControl* control = frame->Control;
        if (!control)
            return;
        TEventScope scope(frame);
        int code;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = SB_LINEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = SB_PAGEUP;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = SB_BOTTOM;
            break;
        case QAbstractSlider::SliderMove: {
            // The thumb follows the pointer; the window decides what to show.
            TScrollBarData& state = WindowDataOf(control)->Bars[Which];
            state.Tracking = true;
            state.TrackPos = bar->sliderPosition();
            SendScroll(frame, Which, SB_THUMBTRACK, state.TrackPos);
            return;
        }
        default:
            return;
        }
        SendScroll(frame, Which, code, 0);
        SendScroll(frame, Which, SB_ENDSCROLL, 0);
        // The bar shows the position the window kept, not the one it proposed.
        if (frame->Control == control)
            bar->setSliderPosition(WindowDataOf(control)->Bars[Which].Pos);
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [frame, Which]() {
        TWinControl* control = frame->Control;
        if (!control)
            return;
        TEventScope scope(frame);
        // The drag ends after SB_THUMBPOSITION: while the window handles it,
        // SIF_TRACKPOS still gives the full position the thumb was let go at.
        const int track = WindowDataOf(control)->Bars[Which].TrackPos;
        SendScroll(frame, Which, SB_THUMBPOSITION, track);
        // The handler may have destroyed the window.
        if (TWindowData* data = WindowDataOf(frame->Control)) {
            data->Bars[Which].Tracking = false;
            data->Bars[Which].TrackPos = data->Bars[Which].Pos;
        }
        SendScroll(frame, Which, SB_ENDSCROLL, 0);
        if (TWindowData* data = WindowDataOf(frame->Control))
            ApplyScrollBarState(data, Which);
    });
}

void ApplyScrollBarState(TWindowData* Data, int Which)
{
    TScrollBarData& state = Data->Bars[Which];
    QScrollBar* bar = state.Bar;
    if (!bar)
        return;
    const QSignalBlocker blocker(bar);
    const int page = std::max(state.Page, 1);
    const long long last = static_cast<long long>(state.Max) - page + 1;
    static_cast<TScrollBarWidget*>(bar)->ChangeQuietly([&] {
        bar->setRange(state.Min, static_cast<int>(std::max<long long>(last, state.Min)));
        bar->setPageStep(page);
        bar->setSingleStep(1);
        if (!state.Tracking)
            bar->setValue(state.Pos);
    });
    bar->setEnabled(!state.Disabled);
}

int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO* Info, bool)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || !Info || !ValidBar(Bar))
        return 0;
    TScrollBarData& bar = data->Bars[Bar];
    if (Info->fMask & SIF_RANGE) {
        bar.Min = Info->nMin;
        bar.Max = std::max(Info->nMax, Info->nMin);
    }
    if (Info->fMask & SIF_PAGE)
        bar.Page = static_cast<int>(std::min<UINT>(Info->nPage, INT_MAX));
    if (Info->fMask & SIF_POS)
        bar.Pos = Info->nPos;
    Normalize(bar);
    const int pos = bar.Pos;
    // Only a new range or page (or SIF_DISABLENOSCROLL) decides whether the bar
    // shows: a position alone leaves a bar kept shown, disabled, as it is.
    if (!(Info->fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL))) {
        ApplyScrollBarState(data, Bar);
        return pos;
    }
    const bool scrollable = Scrollable(bar);
    bar.Disabled = !scrollable;
    SetShown(data, Bar, scrollable || (Info->fMask & SIF_DISABLENOSCROLL));
    return pos;
}

bool GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO* Info)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || !Info || !ValidBar(Bar))
        return false;
    const TScrollBarData& bar = data->Bars[Bar];
    if (Info->fMask & SIF_RANGE) {
        Info->nMin = bar.Min;
        Info->nMax = bar.Max;
    }
    if (Info->fMask & SIF_PAGE)
        Info->nPage = static_cast<UINT>(bar.Page);
    if (Info->fMask & SIF_POS)
        Info->nPos = bar.Pos;
    if (Info->fMask & SIF_TRACKPOS)
        Info->nTrackPos = bar.Tracking ? bar.TrackPos : bar.Pos;
    return true;
}

int SetScrollPos(HWND Wnd, int Bar, int Pos, bool Redraw)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || !ValidBar(Bar))
        return 0;
    const int previous = data->Bars[Bar].Pos;
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = Pos;
    SetScrollInfo(Wnd, Bar, &info, Redraw);
    return previous;
}

int GetScrollPos(HWND Wnd, int Bar)
{
    TWindowData* data = DataOf(Wnd);
    return data && ValidBar(Bar) ? data->Bars[Bar].Pos : 0;
}

bool SetScrollRange(HWND Wnd, int Bar, int MinPos, int MaxPos, bool Redraw)
{
    if (!DataOf(Wnd) || !ValidBar(Bar))
        return false;
    SCROLLINFO info;
    info.fMask = SIF_RANGE;
    info.nMin = MinPos;
    info.nMax = MaxPos;
    SetScrollInfo(Wnd, Bar, &info, Redraw);
    return true;
}

bool GetScrollRange(HWND Wnd, int Bar, int* MinPos, int* MaxPos)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || !ValidBar(Bar) || !MinPos || !MaxPos)
        return false;
    *MinPos = data->Bars[Bar].Min;
    *MaxPos = data->Bars[Bar].Max;
    return true;
}

bool ShowScrollBar(HWND Wnd, int Bar, bool Show)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || (!ValidBar(Bar) && Bar != SB_BOTH))
        return false;
    for (int which : {SB_HORZ, SB_VERT})
        if (Bar == which || Bar == SB_BOTH) {
            // The window may be gone after the WM_SIZE of the first bar.
            data = DataOf(Wnd);
            if (data)
                SetShown(data, which, Show);
        }
    return true;
}

bool EnableScrollBar(HWND Wnd, UINT Bar, UINT Arrows)
{
    TWindowData* data = DataOf(Wnd);
    if (!data || (Bar != SB_HORZ && Bar != SB_VERT && Bar != SB_BOTH))
        return false;
    for (int which : {SB_HORZ, SB_VERT})
        if (static_cast<int>(Bar) == which || Bar == SB_BOTH) {
            data->Bars[which].Disabled = Arrows == ESB_DISABLE_BOTH;
            ApplyScrollBarState(data, which);
        }
    return true;
}
