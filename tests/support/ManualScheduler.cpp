#include "tests/support/ManualScheduler.h"

#include <algorithm>

namespace plimsett::testing {

class ManualScheduler::Task : public ScheduledTask {
public:
    explicit Task(std::function<void()> action) : action_(std::move(action)) {}
    void cancel() override { cancelled_ = true; }
    bool isCancelled() const { return cancelled_; }
    std::function<void()> take() { return std::move(action_); }

private:
    std::function<void()> action_;
    bool cancelled_ = false;
};

ManualScheduler::ManualScheduler(Date start)
    : start_(start), elapsed_(std::make_shared<double>(0.0)) {}

std::shared_ptr<ScheduledTask> ManualScheduler::schedule(double delaySeconds,
                                                         std::function<void()> action) {
    auto task = std::make_shared<Task>(std::move(action));
    queue_.push_back(Entry{*elapsed_ + std::max(0.0, delaySeconds), nextOrder_++, task});
    return task;
}

void ManualScheduler::advance(double seconds) {
    const double target = *elapsed_ + std::max(0.0, seconds);
    for (;;) {
        auto next = queue_.end();
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->deadline <= target &&
                (next == queue_.end() || it->deadline < next->deadline ||
                 (it->deadline == next->deadline && it->order < next->order))) {
                next = it;
            }
        }
        if (next == queue_.end()) {
            break;
        }
        const Entry entry = *next;
        queue_.erase(next);
        *elapsed_ = std::max(*elapsed_, entry.deadline);
        if (!entry.task->isCancelled()) {
            // The closure is taken out of the task so that it stays alive while it runs, whatever
            // it does to the task.
            const std::function<void()> action = entry.task->take();
            entry.task->cancel();
            if (action) {
                action();
            }
        }
    }
    *elapsed_ = target;
}

Date ManualScheduler::now() const {
    return start_ +
           std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(*elapsed_));
}

std::function<Date()> ManualScheduler::clock() const {
    const Date start = start_;
    const std::shared_ptr<double> elapsed = elapsed_;
    return [start, elapsed] {
        return start +
               std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(*elapsed));
    };
}

std::size_t ManualScheduler::pendingCount() const {
    return static_cast<std::size_t>(std::count_if(
        queue_.begin(), queue_.end(), [](const Entry& e) { return !e.task->isCancelled(); }));
}

double ManualScheduler::nextDueIn() const {
    double best = -1;
    for (const Entry& e : queue_) {
        if (!e.task->isCancelled() && (best < 0 || e.deadline - *elapsed_ < best)) {
            best = e.deadline - *elapsed_;
        }
    }
    return best;
}

} // namespace plimsett::testing
