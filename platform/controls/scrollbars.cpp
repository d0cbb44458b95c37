// The standard scroll bars: our state with the platform's rules, shown by two
// toolkit scroll bars in the window's frame that only display it and report
// their use as WM_VSCROLL and WM_HSCROLL.
#include <QBackingStore>
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

TWindowData* DataOf(HWND wnd)
{
    return WindowDataOf(FindControl(wnd));
}

bool ValidBar(int bar)
{
    return bar == SB_HORZ || bar == SB_VERT;
}

// Wheel turns over a bar scroll the window, as over its client area.
class TWheelRedirect : public QObject {
protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        if (TWinControl* control = ControlOfWidget(static_cast<QWidget*>(object)))
            RunGuarded(control, [&] { DeliverWheelEvent(control, static_cast<QWheelEvent*>(event)); });
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
    TScrollBarWidget(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

    // Applies Change (which sets the range, steps and position) without the
    // repaint each of them asks for. Whether the bar looks different is decided
    // once the event loop runs again: a window often sets a new range and then
    // a new position, and the thumb may end where it was.
    template <typename F> void ChangeQuietly(F change)
    {
        const bool wasDisabled = testAttribute(Qt::WA_UpdatesDisabled);
        setAttribute(Qt::WA_UpdatesDisabled, true);
        change();
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
    void paintEvent(QPaintEvent* event) override
    {
        // Only a paint for the screen goes into the window's backing store; a
        // picture taken of the bar (a grab) paints it elsewhere, and leaves
        // the screen as it was.
        QBackingStore* store = window()->backingStore();
        if (store && redirected(nullptr) == store->paintDevice())
            FPainted = Appearance();
        QScrollBar::paintEvent(event);
    }

private:
    struct TAppearance {
        QRect Thumb;
        bool AtMinimum = false;
        bool AtMaximum = false;
        bool operator==(const TAppearance& other) const
        {
            return Thumb == other.Thumb && AtMinimum == other.AtMinimum && AtMaximum == other.AtMaximum;
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
void Normalize(TScrollBarData& bar)
{
    const long long size = static_cast<long long>(bar.Max) - bar.Min + 1;
    if (bar.Page > size)
        bar.Page = static_cast<int>(size);
    const long long last = static_cast<long long>(bar.Max) - std::max(bar.Page - 1, 0);
    bar.Pos = static_cast<int>(std::clamp<long long>(bar.Pos, bar.Min, std::max<long long>(last, bar.Min)));
    if (!bar.Tracking)
        bar.TrackPos = bar.Pos;
}

bool Scrollable(const TScrollBarData& bar)
{
    const long long size = static_cast<long long>(bar.Max) - bar.Min + 1;
    return bar.Max > bar.Min && bar.Page < size;
}

// Shows or hides a bar; the client area and WM_SIZE follow at once.
void SetShown(TWindowData* data, int which, bool shown)
{
    TScrollBarData& bar = data->Bars[which];
    if (shown)
        data->EnsureBar(which);
    ApplyScrollBarState(data, which);
    if (bar.Shown == shown)
        return;
    bar.Shown = shown;
    TWinControl* control = data->Control;
    data->Layout();
    TWindowAdapter::ClientSizeMayHaveChanged(control);
}

// The window's answer to a use of the bar.
void SendScroll(TFrameWidget* frame, int which, int code, int Pos)
{
    TWinControl* control = frame->Control;
    if (!control)
        return;
    const HWND wnd = control->Handle();
    const UINT msg = which == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    RunGuarded(control, [&] { SendMessage(wnd, msg, MAKEWPARAM(code, Pos), 0); });
}

} // namespace

QScrollBar* TWindowData::EnsureBar(int which)
{
    TScrollBarData& bar = Bars[which];
    if (!bar.Bar) {
        bar.Bar = new TScrollBarWidget(which == SB_VERT ? Qt::Vertical : Qt::Horizontal, Frame);
        bar.Bar->setFocusPolicy(Qt::NoFocus);
        bar.Bar->hide();
        ConnectScrollBar(this, which);
    }
    return bar.Bar;
}

void ConnectScrollBar(TWindowData* data, int which)
{
    static TWheelRedirect* redirect = new TWheelRedirect;
    QScrollBar* bar = data->Bars[which].Bar;
    TFrameWidget* frame = data->Frame;
    bar->installEventFilter(redirect);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [frame, bar, which](int action) {
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
            TScrollBarData& state = WindowDataOf(control)->Bars[which];
            state.Tracking = true;
            state.TrackPos = bar->sliderPosition();
            SendScroll(frame, which, SB_THUMBTRACK, state.TrackPos);
            return;
        }
        default:
            return;
        }
        SendScroll(frame, which, code, 0);
        SendScroll(frame, which, SB_ENDSCROLL, 0);
        // The bar shows the position the window kept, not the one it proposed.
        if (frame->Control == control)
            bar->setSliderPosition(WindowDataOf(control)->Bars[which].Pos);
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [frame, which]() {
        TWinControl* control = frame->Control;
        if (!control)
            return;
        TEventScope scope(frame);
        // The drag ends after SB_THUMBPOSITION: while the window handles it,
        // SIF_TRACKPOS still gives the full position the thumb was let go at.
        const int track = WindowDataOf(control)->Bars[which].TrackPos;
        SendScroll(frame, which, SB_THUMBPOSITION, track);
        // The handler may have destroyed the window.
        if (TWindowData* frameData = WindowDataOf(frame->Control)) {
            frameData->Bars[which].Tracking = false;
            frameData->Bars[which].TrackPos = frameData->Bars[which].Pos;
        }
        SendScroll(frame, which, SB_ENDSCROLL, 0);
        if (TWindowData* frameData = WindowDataOf(frame->Control))
            ApplyScrollBarState(frameData, which);
    });
}

void ApplyScrollBarState(TWindowData* data, int which)
{
    TScrollBarData& state = data->Bars[which];
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

int SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, bool)
{
    TWindowData* data = DataOf(wnd);
    if (!data || !info || !ValidBar(bar))
        return 0;
    TScrollBarData& barData = data->Bars[bar];
    if (info->fMask & SIF_RANGE) {
        barData.Min = info->nMin;
        barData.Max = std::max(info->nMax, info->nMin);
    }
    if (info->fMask & SIF_PAGE)
        barData.Page = static_cast<int>(std::min<UINT>(info->nPage, INT_MAX));
    if (info->fMask & SIF_POS)
        barData.Pos = info->nPos;
    Normalize(barData);
    const int pos = barData.Pos;
    // Only a new range or page (or SIF_DISABLENOSCROLL) decides whether the barData
    // shows: a position alone leaves a barData kept shown, disabled, as it is.
    if (!(info->fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL))) {
        ApplyScrollBarState(data, bar);
        return pos;
    }
    const bool scrollable = Scrollable(barData);
    barData.Disabled = !scrollable;
    SetShown(data, bar, scrollable || (info->fMask & SIF_DISABLENOSCROLL));
    return pos;
}

bool GetScrollInfo(HWND wnd, int bar, SCROLLINFO* info)
{
    TWindowData* data = DataOf(wnd);
    if (!data || !info || !ValidBar(bar))
        return false;
    const TScrollBarData& barData = data->Bars[bar];
    if (info->fMask & SIF_RANGE) {
        info->nMin = barData.Min;
        info->nMax = barData.Max;
    }
    if (info->fMask & SIF_PAGE)
        info->nPage = static_cast<UINT>(barData.Page);
    if (info->fMask & SIF_POS)
        info->nPos = barData.Pos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = barData.Tracking ? barData.TrackPos : barData.Pos;
    return true;
}

int SetScrollPos(HWND wnd, int bar, int pos, bool redraw)
{
    TWindowData* data = DataOf(wnd);
    if (!data || !ValidBar(bar))
        return 0;
    const int previous = data->Bars[bar].Pos;
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = pos;
    SetScrollInfo(wnd, bar, &info, redraw);
    return previous;
}

int GetScrollPos(HWND wnd, int bar)
{
    TWindowData* data = DataOf(wnd);
    return data && ValidBar(bar) ? data->Bars[bar].Pos : 0;
}

bool SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, bool redraw)
{
    if (!DataOf(wnd) || !ValidBar(bar))
        return false;
    SCROLLINFO info;
    info.fMask = SIF_RANGE;
    info.nMin = minPos;
    info.nMax = maxPos;
    SetScrollInfo(wnd, bar, &info, redraw);
    return true;
}

bool GetScrollRange(HWND wnd, int bar, int* minPos, int* maxPos)
{
    TWindowData* data = DataOf(wnd);
    if (!data || !ValidBar(bar) || !minPos || !maxPos)
        return false;
    *minPos = data->Bars[bar].Min;
    *maxPos = data->Bars[bar].Max;
    return true;
}

bool ShowScrollBar(HWND wnd, int bar, bool show)
{
    TWindowData* data = DataOf(wnd);
    if (!data || (!ValidBar(bar) && bar != SB_BOTH))
        return false;
    for (int which : {SB_HORZ, SB_VERT})
        if (bar == which || bar == SB_BOTH) {
            // The window may be gone after the WM_SIZE of the first bar.
            data = DataOf(wnd);
            if (data)
                SetShown(data, which, show);
        }
    return true;
}

bool EnableScrollBar(HWND wnd, UINT bar, UINT arrows)
{
    TWindowData* data = DataOf(wnd);
    if (!data || (bar != SB_HORZ && bar != SB_VERT && bar != SB_BOTH))
        return false;
    for (int which : {SB_HORZ, SB_VERT})
        if (static_cast<int>(bar) == which || bar == SB_BOTH) {
            data->Bars[which].Disabled = arrows == ESB_DISABLE_BOTH;
            ApplyScrollBarState(data, which);
        }
    return true;
}
