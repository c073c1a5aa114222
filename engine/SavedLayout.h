#pragma once

#include "engine/DisplayInfo.h"
#include "engine/SavedWindow.h"

#include <chrono>
#include <string>
#include <vector>

namespace plimsett {

using Date = std::chrono::system_clock::time_point;

// All saved windows of one display set, with the displays they were saved on.
struct SavedLayout {
    std::string displaySetID;
    std::string displaySetName;
    std::vector<DisplayInfo> displays;
    Date savedAt;
    std::vector<SavedWindow> windows;

    bool operator==(const SavedLayout&) const = default;
};

} // namespace plimsett
