#pragma once

#include <string>

namespace plimsett {

// The window system's own object for a window. The engine never looks inside; a backend
// derives from this and casts back when it is handed a window to move.
class WindowHandle {
public:
    virtual ~WindowHandle() = default;
    // What tells this window apart from every other one while it exists, as window events name
    // it; empty where the backend reports no window events.
    virtual std::string key() const { return {}; }
};

} // namespace plimsett
