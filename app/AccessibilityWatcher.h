#pragma once

#include "engine/AccessPermission.h"
#include "platform/TimerApi.h"

#include <functional>
#include <memory>

namespace plimsett {

// Follows the Accessibility grant while the onboarding window is open: asks for the trust state
// once a second, publishes it, and calls `onGranted` each time it sees access turn on. Main thread
// only.
class AccessibilityWatcher : public std::enable_shared_from_this<AccessibilityWatcher> {
public:
    static constexpr double pollInterval = 1.0;

    // isTrusted() starts as the trust state at this moment.
    static std::shared_ptr<AccessibilityWatcher> make(std::shared_ptr<AccessPermission> permission,
                                                      std::shared_ptr<TimerApi> timers);
    // Ends the polling: no timer outlives its watcher.
    ~AccessibilityWatcher();

    AccessibilityWatcher(const AccessibilityWatcher&) = delete;
    AccessibilityWatcher& operator=(const AccessibilityWatcher&) = delete;

    bool isTrusted() const { return isTrusted_; }
    bool isPolling() const { return timer_ != nullptr; }

    // Called when a check sees access turn from off to on.
    void setOnGranted(std::function<void()> onGranted);
    // The change notification: called after every assignment of isTrusted().
    void setOnChange(std::function<void()> onChange);

    // A check now, then one every second; does nothing while polling.
    void start();
    void stop();

private:
    AccessibilityWatcher(std::shared_ptr<AccessPermission> permission,
                         std::shared_ptr<TimerApi> timers);
    void check();

    const std::shared_ptr<AccessPermission> permission_;
    const std::shared_ptr<TimerApi> timers_;
    bool isTrusted_;
    std::shared_ptr<TimerApi::RepeatingTimer> timer_;
    std::function<void()> onGranted_;
    std::function<void()> onChange_;
};

} // namespace plimsett
