#include "app/AccessibilityWatcher.h"

#include <utility>

namespace plimsett {

std::shared_ptr<AccessibilityWatcher>
AccessibilityWatcher::make(std::shared_ptr<AccessPermission> permission,
                           std::shared_ptr<TimerApi> timers) {
    return std::shared_ptr<AccessibilityWatcher>(
        new AccessibilityWatcher(std::move(permission), std::move(timers)));
}

AccessibilityWatcher::AccessibilityWatcher(std::shared_ptr<AccessPermission> permission,
                                           std::shared_ptr<TimerApi> timers)
    : permission_(std::move(permission)), timers_(std::move(timers)),
      isTrusted_(permission_->isTrusted()), onGranted_([] {}), onChange_([] {}) {}

AccessibilityWatcher::~AccessibilityWatcher() {
    stop();
}

void AccessibilityWatcher::setOnGranted(std::function<void()> onGranted) {
    onGranted_ = onGranted ? std::move(onGranted) : [] {};
}

void AccessibilityWatcher::setOnChange(std::function<void()> onChange) {
    onChange_ = onChange ? std::move(onChange) : [] {};
}

void AccessibilityWatcher::start() {
    if (timer_) {
        return;
    }
    // The timer is armed before the first check, whose callbacks may stop the watcher again.
    std::weak_ptr<AccessibilityWatcher> weakSelf = weak_from_this();
    timer_ = timers_->scheduleRepeatingTimer(pollInterval, [weakSelf] {
        if (const std::shared_ptr<AccessibilityWatcher> self = weakSelf.lock()) {
            self->check();
        }
    });
    check();
}

void AccessibilityWatcher::stop() {
    if (timer_) {
        timer_->invalidate();
    }
    timer_.reset();
}

void AccessibilityWatcher::check() {
    const bool trusted = permission_->isTrusted();
    if (trusted == isTrusted_) {
        return;
    }
    isTrusted_ = trusted;
    // Copies, so that a callback may replace itself.
    const std::function<void()> changed = onChange_;
    changed();
    if (trusted) {
        const std::function<void()> granted = onGranted_;
        granted();
    }
}

} // namespace plimsett
