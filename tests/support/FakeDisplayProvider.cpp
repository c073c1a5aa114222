#include "tests/support/FakeDisplayProvider.h"

namespace plimsett::testing {

namespace {
constexpr double menuBarHeight = 25;
}

DisplayInfo FakeDisplayProvider::display(std::string uuid, Rect frame, std::string name,
                                         bool isBuiltIn) {
    const Rect visible{frame.x, frame.y + menuBarHeight, frame.width, frame.height - menuBarHeight};
    return display(std::move(uuid), frame, visible, std::move(name), isBuiltIn);
}

DisplayInfo FakeDisplayProvider::display(std::string uuid, Rect frame, Rect visibleFrame,
                                         std::string name, bool isBuiltIn) {
    if (name.empty()) {
        name = uuid;
    }
    return DisplayInfo{std::move(uuid), std::move(name), isBuiltIn, frame, visibleFrame};
}

DisplaySet FakeDisplayProvider::currentDisplaySet() {
    ++calls_;
    return DisplaySet(displays_);
}

} // namespace plimsett::testing
