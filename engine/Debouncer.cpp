#include "engine/Debouncer.h"

namespace plimsett {

std::shared_ptr<Debouncer> Debouncer::make(double delaySeconds,
                                           std::shared_ptr<Scheduler> scheduler) {
    return std::shared_ptr<Debouncer>(new Debouncer(delaySeconds, std::move(scheduler)));
}

Debouncer::Debouncer(double delaySeconds, std::shared_ptr<Scheduler> scheduler)
    : delay_(delaySeconds), scheduler_(std::move(scheduler)) {}

void Debouncer::schedule(std::function<void()> action) {
    schedule(std::move(action), delay_);
}

void Debouncer::schedule(std::function<void()> action, double delaySeconds) {
    if (pending_) {
        pending_->cancel();
    }
    const std::int64_t generation = ++generation_;
    std::weak_ptr<Debouncer> weakSelf = weak_from_this();
    pending_ = scheduler_->schedule(delaySeconds, [weakSelf, generation, action = std::move(action)] {
        const std::shared_ptr<Debouncer> self = weakSelf.lock();
        if (!self || self->generation_ != generation) {
            return;
        }
        // Cleared first so that the action may schedule this debouncer again. The copy keeps the
        // action alive even if dropping the task releases this closure.
        const std::function<void()> run = action;
        self->pending_.reset();
        run();
    });
}

void Debouncer::cancel() {
    if (pending_) {
        pending_->cancel();
        pending_.reset();
    }
    ++generation_;
}

} // namespace plimsett
