#pragma once

#include "platform/TimerApi.h"

#include <QObject>
#include <memory>

namespace plimsett {

// Repeating timers on the Qt event loop of the thread that makes them (the main thread). A timer
// keeps firing until it is invalidated or this object goes away.
class QtTimerApi : public TimerApi {
public:
    QtTimerApi();
    ~QtTimerApi() override;

    std::shared_ptr<RepeatingTimer> scheduleRepeatingTimer(double intervalSeconds,
                                                           std::function<void()> action) override;

    // Timers made and not invalidated.
    int runningTimers() const;

private:
    class Timer;
    // Parent of the running timers.
    std::unique_ptr<QObject> owner_;
};

} // namespace plimsett
