#include "app/desktop/QtTimerApi.h"

#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace plimsett {

class QtTimerApi::Timer : public TimerApi::RepeatingTimer {
public:
    explicit Timer(QTimer* timer) : timer_(timer) {}

    void invalidate() override {
        if (timer_) {
            timer_->stop();
            // Later: the timer's own action may be what invalidates it.
            timer_->deleteLater();
            timer_->setParent(nullptr);
            timer_.clear();
        }
    }

private:
    QPointer<QTimer> timer_;
};

QtTimerApi::QtTimerApi() : owner_(std::make_unique<QObject>()) {}

QtTimerApi::~QtTimerApi() = default;

std::shared_ptr<TimerApi::RepeatingTimer>
QtTimerApi::scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) {
    auto* timer = new QTimer(owner_.get());
    const double millis = std::isfinite(intervalSeconds) ? intervalSeconds * 1000.0 : 0.0;
    timer->setInterval(static_cast<int>(std::lround(std::clamp(millis, 0.0, 2.0e9))));
    timer->setTimerType(Qt::CoarseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [action = std::move(action)] {
        if (action) {
            action();
        }
    });
    timer->start();
    return std::make_shared<Timer>(timer);
}

int QtTimerApi::runningTimers() const {
    return static_cast<int>(owner_->findChildren<QTimer*>(Qt::FindDirectChildrenOnly).size());
}

} // namespace plimsett
