#pragma once

namespace plimsett {

// A closure waiting on a scheduler. Cancelling one that ran already, or twice, does nothing.
class ScheduledTask {
public:
    virtual ~ScheduledTask() = default;
    virtual void cancel() = 0;
};

} // namespace plimsett
