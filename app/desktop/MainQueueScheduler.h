#pragma once

#include "engine/Scheduler.h"

#include <QPointer>
#include <QTimer>

namespace plimsett {

// Runs closures on the Qt main thread after a delay, on single-shot timers of the main event loop.
// Releasing a task does not cancel it: the timer belongs to the application, not to the task.
class MainQueueScheduler : public Scheduler {
public:
    class Task : public ScheduledTask {
    public:
        explicit Task(QTimer* timer) : timer_(timer) {}
        void cancel() override;

    private:
        QPointer<QTimer> timer_;
    };

    std::shared_ptr<ScheduledTask> schedule(double delaySeconds,
                                            std::function<void()> action) override;
};

} // namespace plimsett
