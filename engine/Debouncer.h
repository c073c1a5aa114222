#pragma once

#include "engine/Scheduler.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace plimsett {

// Runs an action `delay` seconds after the last of a series of requests. A request that was
// superseded or cancelled never runs its action, even if its closure gets to run.
class Debouncer : public std::enable_shared_from_this<Debouncer> {
public:
    static std::shared_ptr<Debouncer> make(double delaySeconds,
                                           std::shared_ptr<Scheduler> scheduler);

    // (Re)starts the wait for `action`.
    void schedule(std::function<void()> action);
    // The same with another wait than delay() for this request.
    void schedule(std::function<void()> action, double delaySeconds);
    // Drops the waiting request, if any.
    void cancel();

    double delay() const { return delay_; }
    bool isWaiting() const { return pending_ != nullptr; }

private:
    Debouncer(double delaySeconds, std::shared_ptr<Scheduler> scheduler);

    const double delay_;
    const std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<ScheduledTask> pending_;
    std::int64_t generation_ = 0;
};

} // namespace plimsett
