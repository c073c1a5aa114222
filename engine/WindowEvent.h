#pragma once

#include <string>

namespace plimsett {

// What a desktop backend reports of one window between two listings: it appeared, its frame or
// its maximised or minimised state changed, or it went away. Backends report a window at most
// every quarter of a second or so, never once per frame of a drag.
struct WindowEvent {
    enum class Kind { appeared, changed, gone };

    Kind kind = Kind::changed;
    // The window's key (WindowHandle::key()); may be empty for a change that names no window.
    std::string windowKey;
};

} // namespace plimsett
