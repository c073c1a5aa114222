#pragma once

namespace plimsett {

// The window system's own object for a window. The engine never looks inside; a backend
// derives from this and casts back when it is handed a window to move.
class WindowHandle {
public:
    virtual ~WindowHandle() = default;
};

} // namespace plimsett
