#pragma once

#include "platform/macos/DisplayApi.h"

namespace plimsett {

// DisplayApi over the CoreGraphics display services. Apple only.
class AppleDisplayApi : public DisplayApi {
public:
    Error getActiveDisplayList(std::uint32_t maxDisplays, DisplayID* activeDisplays,
                               std::uint32_t* displayCount) override;
    DisplayID mainDisplayID() override;
    Rect displayBounds(DisplayID display) override;
    DisplayID displayMirrorsDisplay(DisplayID display) override;
    bool displayIsBuiltin(DisplayID display) override;
    std::uint32_t displayVendorNumber(DisplayID display) override;
    std::uint32_t displayModelNumber(DisplayID display) override;
    std::uint32_t displaySerialNumber(DisplayID display) override;
    std::optional<std::string> displayUUIDString(DisplayID display) override;
};

} // namespace plimsett
