#include "tests/macos/FakeDisplayEventApi.h"

#include "platform/macos/DisplayEventMonitor.h"

#include <algorithm>

namespace plimsett::testing {

void FakeDisplayEventApi::report(std::uint32_t flags, std::uint32_t display) {
    const std::vector<void*> registered = callbacks;
    for (void* userInfo : registered) {
        DisplayEventMonitor::reconfigurationCallback(display, flags, userInfo);
    }
}

void FakeDisplayEventApi::post(Notification name) {
    std::vector<std::function<void()>> blocks;
    for (const Observer& observer : observers) {
        if (observer.name == name) {
            blocks.push_back(observer.block);
        }
    }
    for (const auto& block : blocks) {
        block();
    }
}

std::size_t FakeDisplayEventApi::drainMainQueue() {
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> work;
        {
            const std::lock_guard lock(mutex_);
            if (mainQueue_.empty()) {
                return ran;
            }
            work = std::move(mainQueue_.front());
            mainQueue_.pop_front();
        }
        work();
        ++ran;
    }
}

std::size_t FakeDisplayEventApi::queuedWork() {
    const std::lock_guard lock(mutex_);
    return mainQueue_.size();
}

void FakeDisplayEventApi::registerReconfigurationCallback(void* userInfo) {
    ++registrations;
    callbacks.push_back(userInfo);
}

void FakeDisplayEventApi::removeReconfigurationCallback(void* userInfo) {
    ++callbackRemovals;
    const auto found = std::find(callbacks.begin(), callbacks.end(), userInfo);
    if (found == callbacks.end()) {
        problems.push_back("removed a callback that was not registered");
        return;
    }
    callbacks.erase(found);
}

CFRef FakeDisplayEventApi::addObserver(Center center, Notification name,
                                       std::function<void()> block) {
    CFRef token = std::make_shared<int>(0);
    observers.push_back(Observer{center, name, std::move(block), token});
    return token;
}

void FakeDisplayEventApi::removeObserver(Center center, const CFRef& token) {
    ++observerRemovals;
    const auto found = std::find_if(observers.begin(), observers.end(),
                                    [&](const Observer& o) { return o.token == token; });
    if (found == observers.end()) {
        problems.push_back("removed an unknown observer");
        return;
    }
    if (found->center != center) {
        problems.push_back("removed an observer from the wrong centre");
        return;
    }
    observers.erase(found);
}

bool FakeDisplayEventApi::isMainThread() {
    return std::this_thread::get_id() == mainThread_;
}

void FakeDisplayEventApi::dispatchToMain(std::function<void()> work) {
    const std::lock_guard lock(mutex_);
    mainQueue_.push_back(std::move(work));
}

} // namespace plimsett::testing
