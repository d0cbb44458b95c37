// TTimer: a component ticking on the toolkit's timers.
#include <QObject>
#include <QTimerEvent>

#include <algorithm>

#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/graphics/qtsupport.h"

struct TTimer::TTimerObject : public QObject {
    TTimer* Owner = nullptr;
    int Id = 0;

protected:
    void timerEvent(QTimerEvent* event) override
    {
        if (event->timerId() != Id || !Owner)
            return;
        TEventScope scope(this);
        TTimer* timer = Owner;
        RunGuarded(timer, [&] { timer->Timer(); });
    }
};

TTimer::TTimer(TComponent* aOwner) : TComponent(aOwner)
{
    UpdateTimer();
}

TTimer::~TTimer()
{
    if (!FObject)
        return;
    FObject->Owner = nullptr;
    if (FObject->Id)
        FObject->killTimer(FObject->Id);
    // A timer freed by its own OnTimer is deleted once the tick is over.
    if (TEventScope::Busy(FObject))
        FObject->deleteLater();
    else
        delete FObject;
}

void TTimer::SetEnabled(bool value)
{
    if (FEnabled == value)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value)
{
    if (FInterval == value)
        return;
    FInterval = value;
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    if (FObject && FObject->Id) {
        FObject->killTimer(FObject->Id);
        FObject->Id = 0;
    }
    if (!FEnabled || FInterval == 0)
        return;
    if (!FObject) {
        EnsureQtApplication();
        FObject = new TTimerObject;
        FObject->Owner = this;
    }
    FObject->Id = FObject->startTimer(static_cast<int>(std::min<unsigned>(FInterval, 0x7FFFFFFFu)));
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}
