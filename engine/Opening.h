#pragma once

#include "engine/Rect.h"
#include "engine/Workspace.h"

#include <optional>

#include <string>

namespace plimsett {

// Where a window that opens should go: a saved window of the current layout that no open window
// holds now, its frame fitted to today's displays. A desktop that places new windows itself can
// put one there before its first frame is shown.
struct Opening {
    std::string bundleID;
    std::string title;
    Rect frame;
    bool maximizeHorizontally = false;
    bool maximizeVertically = false;
    // The saved window's workspace, when it had one.
    std::optional<Workspace> workspace{};

    bool operator==(const Opening&) const = default;
};

} // namespace plimsett
