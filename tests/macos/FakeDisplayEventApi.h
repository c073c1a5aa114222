#pragma once

#include "platform/macos/DisplayEventApi.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace plimsett::testing {

// A stand-in for the reconfiguration callback registry, the two notification centres and the main
// queue. The thread that made the fake is the main thread; work handed to the main queue waits
// until the test drains it.
class FakeDisplayEventApi : public DisplayEventApi {
public:
    struct Observer {
        Center center;
        Notification name;
        std::function<void()> block;
        CFRef token;
    };

    // The user data of every registered callback.
    std::vector<void*> callbacks;
    std::vector<Observer> observers;
    int registrations = 0;
    int callbackRemovals = 0;
    int observerRemovals = 0;
    // Removals the system would not accept: an unknown callback or token, or the wrong centre.
    std::vector<std::string> problems;

    // The system reports a reconfiguration of `display` with `flags` to every registered
    // callback, on the calling thread.
    void report(std::uint32_t flags, std::uint32_t display = 1);
    // A centre posts `name`; its observers run at once (the test runs on the main thread).
    void post(Notification name);
    // Runs the work waiting on the main queue, in order; returns how many ran.
    std::size_t drainMainQueue();
    std::size_t queuedWork();

    void registerReconfigurationCallback(void* userInfo) override;
    void removeReconfigurationCallback(void* userInfo) override;
    CFRef addObserver(Center center, Notification name, std::function<void()> block) override;
    void removeObserver(Center center, const CFRef& token) override;
    bool isMainThread() override;
    void dispatchToMain(std::function<void()> work) override;

private:
    const std::thread::id mainThread_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::deque<std::function<void()>> mainQueue_;
};

} // namespace plimsett::testing
