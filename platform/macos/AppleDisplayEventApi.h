#pragma once

#include "platform/macos/DisplayEventApi.h"

namespace plimsett {

// DisplayEventApi over CoreGraphics, the notification centres and the main dispatch queue. Apple
// only.
class AppleDisplayEventApi : public DisplayEventApi {
public:
    void registerReconfigurationCallback(void* userInfo) override;
    void removeReconfigurationCallback(void* userInfo) override;
    CFRef addObserver(Center center, Notification name, std::function<void()> block) override;
    void removeObserver(Center center, const CFRef& token) override;
    bool isMainThread() override;
    void dispatchToMain(std::function<void()> work) override;
};

} // namespace plimsett
