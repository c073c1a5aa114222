#pragma once

#include "engine/LiveWindow.h"
#include "engine/Rect.h"
#include "engine/Workspace.h"

#include <optional>

namespace plimsett {

// One window of a restore pass and where it goes: the outer frame on its display and, when the
// window was maximised there, the directions in which it is maximised again after the move.
struct WindowMove {
    LiveWindow window;
    Rect frame;
    bool maximizeHorizontally = false;
    bool maximizeVertically = false;
    // The workspace it goes to as well, when it is to change workspace.
    std::optional<Workspace> workspace{};

    bool maximizes() const { return maximizeHorizontally || maximizeVertically; }
};

} // namespace plimsett
