#pragma once

#include <memory>

namespace plimsett {

// A closure waiting on a scheduler. Cancelling one that ran already, or twice, does nothing.
class ScheduledTask {
public:
    virtual ~ScheduledTask() = default;
    virtual void cancel() = 0;
};

// Cancels the task held in `task`, if any, and lets it go.
inline void cancelAndRelease(std::shared_ptr<ScheduledTask>& task) {
    if (task) {
        task->cancel();
        task.reset();
    }
}

} // namespace plimsett
