#include "platform/macos/SystemDisplayProvider.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace plimsett {

SystemDisplayProvider::SystemDisplayProvider(std::shared_ptr<DisplayApi> displays,
                                             std::shared_ptr<ScreenApi> screens)
    : displays_(std::move(displays)), screens_(std::move(screens)) {}

DisplaySet SystemDisplayProvider::currentDisplaySet() {
    return DisplaySet(displays());
}

Rect SystemDisplayProvider::flipped(const Rect& appKitRect, double mainDisplayHeight) {
    const Rect r = appKitRect.standardized();
    return Rect{r.x, mainDisplayHeight - r.maxY(), r.width, r.height};
}

std::vector<DisplayApi::DisplayID> SystemDisplayProvider::activeDisplays() {
    std::uint32_t count = 0;
    if (displays_->getActiveDisplayList(0, nullptr, &count) != 0 || count == 0) {
        return {};
    }
    std::vector<DisplayApi::DisplayID> ids(count);
    std::uint32_t reported = 0;
    if (displays_->getActiveDisplayList(count, ids.data(), &reported) != 0) {
        return {};
    }
    // A display may have gone between the two questions.
    ids.resize(std::min<std::size_t>(reported, ids.size()));
    return ids;
}

std::vector<DisplayInfo> SystemDisplayProvider::displays() {
    const std::vector<DisplayApi::DisplayID> ids = activeDisplays();
    if (ids.empty()) {
        return {};
    }
    const double mainHeight =
        displays_->displayBounds(displays_->mainDisplayID()).standardized().height;

    const std::vector<ScreenApi::Screen> screens = screens_->screens();
    std::map<DisplayApi::DisplayID, const ScreenApi::Screen*> screenOf;
    for (const ScreenApi::Screen& screen : screens) {
        if (screen.screenNumber) {
            // The first screen that claims a display keeps it.
            screenOf.emplace(*screen.screenNumber, &screen);
        }
    }

    std::vector<DisplayInfo> result;
    for (const DisplayApi::DisplayID id : ids) {
        // A mirror set contributes only the display that the others mirror.
        if (displays_->displayMirrorsDisplay(id) != 0) {
            continue;
        }
        DisplayInfo info;
        info.frame = displays_->displayBounds(id);
        const auto found = screenOf.find(id);
        const ScreenApi::Screen* screen = found == screenOf.end() ? nullptr : found->second;
        info.visibleFrame = screen ? flipped(screen->visibleFrame, mainHeight) : info.frame;
        if (std::optional<std::string> uuid = displays_->displayUUIDString(id)) {
            info.uuid = std::move(*uuid);
        } else {
            info.uuid = std::to_string(displays_->displayVendorNumber(id)) + "-" +
                        std::to_string(displays_->displayModelNumber(id)) + "-" +
                        std::to_string(displays_->displaySerialNumber(id));
        }
        if (screen && screen->localizedName) {
            info.name = *screen->localizedName;
        } else {
            info.name = "Display " + std::to_string(id);
        }
        info.isBuiltIn = displays_->displayIsBuiltin(id);
        result.push_back(std::move(info));
    }
    return result;
}

} // namespace plimsett
