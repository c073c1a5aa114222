#pragma once

#include <functional>
#include <memory>

namespace plimsett {

// Repeating timers on the main run loop (NSTimer).
class TimerApi {
public:
    class RepeatingTimer {
    public:
        virtual ~RepeatingTimer() = default;
        // Stops the timer for good; further calls do nothing.
        virtual void invalidate() = 0;
    };

    virtual ~TimerApi() = default;
    // scheduledTimerWithTimeInterval:repeats:YES block: on the current (main) run loop. The
    // timer keeps firing until it is invalidated, also when the returned object is dropped.
    virtual std::shared_ptr<RepeatingTimer>
    scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) = 0;
};

} // namespace plimsett
