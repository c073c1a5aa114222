#pragma once

#include "platform/macos/DisplayApi.h"

#include <map>
#include <optional>
#include <vector>

namespace plimsett::testing {

// A stand-in for the CoreGraphics display services over a table of displays.
class FakeDisplayApi : public DisplayApi {
public:
    struct Display {
        Rect bounds;
        DisplayID mirrors = 0;
        bool builtIn = false;
        std::uint32_t vendor = 0;
        std::uint32_t model = 0;
        std::uint32_t serial = 0;
        std::optional<std::string> uuid;
    };

    // The active display list, in the order the system gives it.
    std::vector<DisplayID> active;
    std::map<DisplayID, Display> displays;
    DisplayID mainDisplay = 1;
    Error countError = 0;
    Error listError = 0;
    // The active list at the second question, when it differs from the first.
    std::optional<std::vector<DisplayID>> activeAtSecondCall;
    // A count the second question reports whatever it filled in.
    std::optional<std::uint32_t> reportedCount;
    int listCalls = 0;

    Error getActiveDisplayList(std::uint32_t maxDisplays, DisplayID* activeDisplays,
                               std::uint32_t* displayCount) override {
        ++listCalls;
        if (activeDisplays == nullptr) {
            *displayCount = static_cast<std::uint32_t>(active.size());
            return countError;
        }
        if (listError != 0) {
            return listError;
        }
        const std::vector<DisplayID>& now = activeAtSecondCall ? *activeAtSecondCall : active;
        std::uint32_t filled = 0;
        for (; filled < maxDisplays && filled < now.size(); ++filled) {
            activeDisplays[filled] = now[filled];
        }
        *displayCount = reportedCount.value_or(filled);
        return 0;
    }
    DisplayID mainDisplayID() override { return mainDisplay; }
    // Like the system, an unknown display has empty bounds.
    Rect displayBounds(DisplayID display) override {
        const auto found = displays.find(display);
        return found == displays.end() ? Rect{} : found->second.bounds;
    }
    DisplayID displayMirrorsDisplay(DisplayID display) override {
        return displays.at(display).mirrors;
    }
    bool displayIsBuiltin(DisplayID display) override { return displays.at(display).builtIn; }
    std::uint32_t displayVendorNumber(DisplayID display) override {
        return displays.at(display).vendor;
    }
    std::uint32_t displayModelNumber(DisplayID display) override {
        return displays.at(display).model;
    }
    std::uint32_t displaySerialNumber(DisplayID display) override {
        return displays.at(display).serial;
    }
    std::optional<std::string> displayUUIDString(DisplayID display) override {
        return displays.at(display).uuid;
    }
};

} // namespace plimsett::testing
