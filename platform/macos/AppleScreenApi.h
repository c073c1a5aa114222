#pragma once

#include "platform/macos/ScreenApi.h"

namespace plimsett {

// ScreenApi over NSScreen. Apple only; main thread.
class AppleScreenApi : public ScreenApi {
public:
    std::vector<Screen> screens() override;
};

} // namespace plimsett
