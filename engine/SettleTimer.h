#pragma once

#include "engine/Debouncer.h"
#include "engine/DisplayProvider.h"
#include "engine/RestoreChoice.h"
#include "engine/Scheduler.h"

#include <functional>
#include <memory>
#include <optional>

namespace plimsett {

// Waits for the displays to settle after the last display event: the full delay, or, with a quiet
// delay set, only that long when the displays read then are a set with a layout saved for exactly
// that arrangement (the change is over and the windows can go back at once).
class SettleTimer {
public:
    SettleTimer(double fullDelay, std::shared_ptr<Scheduler> scheduler,
                std::shared_ptr<DisplayProvider> displayProvider, const RestoreChoice& choice);

    void setQuietDelay(std::optional<double> seconds) { quietDelay_ = seconds; }
    // (Re)starts the wait for `settle`; `mayEndEarly` false keeps the full delay (after a wake or
    // a gap in access the displays may still be coming).
    void schedule(std::function<void()> settle, bool mayEndEarly);
    void cancel() { debouncer_->cancel(); }

private:
    const double fullDelay_;
    const std::shared_ptr<Debouncer> debouncer_;
    const std::shared_ptr<DisplayProvider> displayProvider_;
    const RestoreChoice& choice_;
    std::optional<double> quietDelay_;
};

} // namespace plimsett
