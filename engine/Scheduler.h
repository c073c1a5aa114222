#pragma once

#include "engine/ScheduledTask.h"

#include <functional>
#include <memory>

namespace plimsett {

// Runs a closure once, on the main thread, no earlier than `delaySeconds` from now. Dropping the
// returned task does not cancel it.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual std::shared_ptr<ScheduledTask> schedule(double delaySeconds,
                                                    std::function<void()> action) = 0;
};

} // namespace plimsett
