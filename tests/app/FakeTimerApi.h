#pragma once

#include "platform/TimerApi.h"
#include "tests/support/ManualScheduler.h"

#include <memory>
#include <vector>

namespace plimsett::testing {

// Repeating timers on the virtual clock of a ManualScheduler. Like the system's, a timer keeps
// firing after its holder drops it, until it is invalidated.
class FakeTimerApi : public TimerApi {
public:
    explicit FakeTimerApi(std::shared_ptr<ManualScheduler> scheduler);

    std::shared_ptr<RepeatingTimer> scheduleRepeatingTimer(double intervalSeconds,
                                                           std::function<void()> action) override;

    // Timers made and not invalidated.
    int runningTimers() const;
    int timersMade() const { return static_cast<int>(timers_.size()); }

private:
    class Timer;
    std::shared_ptr<ManualScheduler> scheduler_;
    std::vector<std::shared_ptr<Timer>> timers_;
};

} // namespace plimsett::testing
