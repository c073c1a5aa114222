#include "tests/app/FakeTimerApi.h"

namespace plimsett::testing {

class FakeTimerApi::Timer : public TimerApi::RepeatingTimer,
                            public std::enable_shared_from_this<Timer> {
public:
    Timer(std::shared_ptr<ManualScheduler> scheduler, double interval, std::function<void()> action)
        : scheduler_(std::move(scheduler)), interval_(interval), action_(std::move(action)) {}

    void arm() {
        std::weak_ptr<Timer> weakSelf = weak_from_this();
        pending_ = scheduler_->schedule(interval_, [weakSelf] {
            if (const auto self = weakSelf.lock(); self && self->valid_) {
                self->action_();
                if (self->valid_) {
                    self->arm();
                }
            }
        });
    }
    void invalidate() override {
        valid_ = false;
        if (pending_) {
            pending_->cancel();
        }
    }
    bool valid() const { return valid_; }

private:
    std::shared_ptr<ManualScheduler> scheduler_;
    double interval_;
    std::function<void()> action_;
    std::shared_ptr<ScheduledTask> pending_;
    bool valid_ = true;
};

FakeTimerApi::FakeTimerApi(std::shared_ptr<ManualScheduler> scheduler)
    : scheduler_(std::move(scheduler)) {}

std::shared_ptr<TimerApi::RepeatingTimer>
FakeTimerApi::scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) {
    auto timer = std::make_shared<Timer>(scheduler_, intervalSeconds, std::move(action));
    timer->arm();
    timers_.push_back(timer);
    return timer;
}

int FakeTimerApi::runningTimers() const {
    int running = 0;
    for (const auto& timer : timers_) {
        running += timer->valid() ? 1 : 0;
    }
    return running;
}

} // namespace plimsett::testing
