#pragma once

#include "platform/macos/CFRef.h"

#include <functional>

namespace plimsett {

// What the display event monitor registers with the system, and the main thread it hands work
// to.
class DisplayEventApi {
public:
    enum class Center {
        // NSNotificationCenter.defaultCenter
        application,
        // NSWorkspace.sharedWorkspace.notificationCenter
        workspace,
    };
    enum class Notification {
        // NSApplicationDidChangeScreenParametersNotification
        screenParametersChanged,
        // NSWorkspaceWillSleepNotification
        willSleep,
        // NSWorkspaceDidWakeNotification
        didWake,
    };

    virtual ~DisplayEventApi() = default;

    // CGDisplayRegisterReconfigurationCallback / CGDisplayRemoveReconfigurationCallback with
    // `userInfo`. The callback, which may run on any thread, is
    // DisplayEventMonitor::reconfigurationCallback.
    virtual void registerReconfigurationCallback(void* userInfo) = 0;
    virtual void removeReconfigurationCallback(void* userInfo) = 0;

    // addObserverForName:object:queue:usingBlock: on `center`, object nil, the main operation
    // queue. Returns the observer token.
    virtual CFRef addObserver(Center center, Notification name, std::function<void()> block) = 0;
    // removeObserver: on `center`.
    virtual void removeObserver(Center center, const CFRef& token) = 0;

    // NSThread.isMainThread
    virtual bool isMainThread() = 0;
    // Asynchronous submission to the main dispatch queue.
    virtual void dispatchToMain(std::function<void()> work) = 0;
};

} // namespace plimsett
