#pragma once

#include "engine/SavedLayout.h"
#include "engine/Scheduler.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace plimsett::testing {

// A scheduler on a virtual clock: nothing runs until the test advances time, and then everything
// that has fallen due runs in order of its deadline (ties in order of scheduling).
class ManualScheduler : public Scheduler {
public:
    explicit ManualScheduler(Date start = Date{} + std::chrono::hours(24 * 365 * 56));

    std::shared_ptr<ScheduledTask> schedule(double delaySeconds,
                                            std::function<void()> action) override;

    // Moves the clock forward by `seconds`, running every task that falls due on the way,
    // including tasks scheduled by those tasks.
    void advance(double seconds);
    // Runs everything that is due now without moving the clock.
    void runDue() { advance(0); }

    Date now() const;
    // The virtual clock as a function, for the controller.
    std::function<Date()> clock() const;
    double elapsedSeconds() const { return *elapsed_; }
    // Tasks neither run nor cancelled.
    std::size_t pendingCount() const;
    // Seconds from now to the earliest pending task, or a negative number when there is none.
    double nextDueIn() const;

private:
    class Task;
    struct Entry {
        double deadline;
        std::uint64_t order;
        std::shared_ptr<Task> task;
    };

    Date start_;
    // Shared with the clock functions handed out, which may outlive the scheduler.
    std::shared_ptr<double> elapsed_;
    std::uint64_t nextOrder_ = 0;
    std::vector<Entry> queue_;
};

} // namespace plimsett::testing
