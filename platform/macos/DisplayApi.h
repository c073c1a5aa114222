#pragma once

#include "engine/Rect.h"

#include <cstdint>
#include <optional>
#include <string>

namespace plimsett {

// The CoreGraphics display services, one member per call.
class DisplayApi {
public:
    using DisplayID = std::uint32_t; // CGDirectDisplayID
    using Error = std::int32_t;      // CGError, 0 is success

    virtual ~DisplayApi() = default;

    // CGGetActiveDisplayList(maxDisplays, activeDisplays, displayCount)
    virtual Error getActiveDisplayList(std::uint32_t maxDisplays, DisplayID* activeDisplays,
                                       std::uint32_t* displayCount) = 0;
    // CGMainDisplayID()
    virtual DisplayID mainDisplayID() = 0;
    // CGDisplayBounds(display), in the global top-left space.
    virtual Rect displayBounds(DisplayID display) = 0;
    // CGDisplayMirrorsDisplay(display): the display it mirrors, or 0.
    virtual DisplayID displayMirrorsDisplay(DisplayID display) = 0;
    // CGDisplayIsBuiltin(display) != 0
    virtual bool displayIsBuiltin(DisplayID display) = 0;
    // CGDisplayVendorNumber, CGDisplayModelNumber, CGDisplaySerialNumber
    virtual std::uint32_t displayVendorNumber(DisplayID display) = 0;
    virtual std::uint32_t displayModelNumber(DisplayID display) = 0;
    virtual std::uint32_t displaySerialNumber(DisplayID display) = 0;
    // CGDisplayCreateUUIDFromDisplayID(display) written out by CFUUIDCreateString; nothing when
    // either call yields NULL.
    virtual std::optional<std::string> displayUUIDString(DisplayID display) = 0;
};

} // namespace plimsett
