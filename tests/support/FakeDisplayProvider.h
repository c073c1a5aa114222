#pragma once

#include "engine/DisplayProvider.h"

#include <cstddef>
#include <string>
#include <vector>

namespace plimsett::testing {

// Reports whatever displays the test connected, and counts how often it was asked.
class FakeDisplayProvider : public DisplayProvider {
public:
    FakeDisplayProvider() = default;
    explicit FakeDisplayProvider(std::vector<DisplayInfo> displays)
        : displays_(std::move(displays)) {}

    // A display with a 25-point menu bar at the top of `frame`, unless a visible frame is given.
    static DisplayInfo display(std::string uuid, Rect frame, std::string name = {},
                               bool isBuiltIn = false);
    static DisplayInfo display(std::string uuid, Rect frame, Rect visibleFrame,
                               std::string name = {}, bool isBuiltIn = false);

    void setDisplays(std::vector<DisplayInfo> displays) { displays_ = std::move(displays); }
    const std::vector<DisplayInfo>& displays() const { return displays_; }
    // The set the displays make now, without counting a call.
    DisplaySet displaySet() const { return DisplaySet(displays_); }

    DisplaySet currentDisplaySet() override;
    std::size_t callCount() const { return calls_; }

private:
    std::vector<DisplayInfo> displays_;
    std::size_t calls_ = 0;
};

} // namespace plimsett::testing
