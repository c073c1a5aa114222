#pragma once

#include "platform/TimerApi.h"

namespace plimsett {

// TimerApi over NSTimer on the current run loop. Apple only; main thread.
class AppleTimerApi : public TimerApi {
public:
    std::shared_ptr<RepeatingTimer> scheduleRepeatingTimer(double intervalSeconds,
                                                           std::function<void()> action) override;
};

} // namespace plimsett
