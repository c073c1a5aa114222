#pragma once

#include "engine/Rect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plimsett {

// AppKit's screens (NSScreen.screens), read on the main thread.
class ScreenApi {
public:
    struct Screen {
        // The "NSScreenNumber" entry of deviceDescription: the CoreGraphics display number;
        // nothing when the entry is missing or not a number.
        std::optional<std::uint32_t> screenNumber;
        // visibleFrame, in AppKit's space: origin at the bottom-left of the main display, y up.
        Rect visibleFrame;
        // localizedName; nothing where the system does not offer it.
        std::optional<std::string> localizedName;
    };

    virtual ~ScreenApi() = default;
    // In NSScreen.screens order.
    virtual std::vector<Screen> screens() = 0;
};

} // namespace plimsett
