#pragma once

#include <functional>
#include <memory>

namespace plimsett {

// Repeating timers on the main thread (NSTimer on macOS, QTimer in the Qt shell).
class TimerApi {
public:
    class RepeatingTimer {
    public:
        virtual ~RepeatingTimer() = default;
        // Stops the timer for good; further calls do nothing.
        virtual void invalidate() = 0;
    };

    virtual ~TimerApi() = default;
    // Fires on the main thread every interval. The
    // timer keeps firing until it is invalidated, also when the returned object is dropped.
    virtual std::shared_ptr<RepeatingTimer>
    scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) = 0;
};

} // namespace plimsett
