#include "engine/SettleTimer.h"

namespace plimsett {

SettleTimer::SettleTimer(double fullDelay, std::shared_ptr<Scheduler> scheduler,
                         std::shared_ptr<DisplayProvider> displayProvider,
                         const RestoreChoice& choice)
    : fullDelay_(fullDelay), debouncer_(Debouncer::make(fullDelay, std::move(scheduler))),
      displayProvider_(std::move(displayProvider)), choice_(choice) {}

void SettleTimer::schedule(std::function<void()> settle, bool mayEndEarly) {
    const bool quiet = quietDelay_ && mayEndEarly &&
                       choice_.isSavedArrangement(displayProvider_->currentDisplaySet());
    debouncer_->schedule(std::move(settle), quiet ? *quietDelay_ : fullDelay_);
}

} // namespace plimsett
