#pragma once

#include "engine/DisplayProvider.h"
#include "platform/macos/DisplayApi.h"
#include "platform/macos/ScreenApi.h"

#include <memory>
#include <vector>

namespace plimsett {

// The connected displays, from the CoreGraphics active display list (identity, bounds,
// mirroring) and AppKit's screens (names, the area left free by the menu bar and the Dock).
// Keeps no state: every call asks the system afresh.
class SystemDisplayProvider : public DisplayProvider {
public:
    SystemDisplayProvider(std::shared_ptr<DisplayApi> displays, std::shared_ptr<ScreenApi> screens);

    DisplaySet currentDisplaySet() override;
    // The displays in the order of the active display list; a mirror set counts once.
    std::vector<DisplayInfo> displays();

    // AppKit's bottom-left, y-up rectangle in the top-left, y-down space, on a main display of
    // height `mainDisplayHeight`.
    static Rect flipped(const Rect& appKitRect, double mainDisplayHeight);

private:
    std::vector<DisplayApi::DisplayID> activeDisplays();

    std::shared_ptr<DisplayApi> displays_;
    std::shared_ptr<ScreenApi> screens_;
};

} // namespace plimsett
