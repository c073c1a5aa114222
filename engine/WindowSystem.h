#pragma once

#include "engine/LiveWindow.h"
#include "engine/Rect.h"

#include <vector>

namespace plimsett {

// Where the live windows of other applications are read and moved.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // True when this process may currently read and move other applications' windows. Asked
    // afresh before every snapshot and every restore pass.
    virtual bool isTrusted() const = 0;
    // The standard windows of other applications, grouped by application; empty when nothing
    // can be read.
    virtual std::vector<LiveWindow> windows() = 0;
    // Moves the window identified by `window.handle` to `frame` (outer frame, global points).
    // True when the window took the frame.
    virtual bool move(const LiveWindow& window, const Rect& frame) = 0;
};

} // namespace plimsett
