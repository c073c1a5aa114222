#pragma once

#include "engine/Rect.h"

#include <optional>
#include <string>
#include <utility>

namespace plimsett {

// What a desktop backend reports of one window between two listings: it appeared, its frame or
// its maximised or minimised state changed, or it went away. Backends report a window at most
// every quarter of a second or so, never once per frame of a drag.
struct WindowEvent {
    enum class Kind { appeared, changed, gone };

    WindowEvent() = default;
    WindowEvent(Kind kind, std::string windowKey, std::optional<Rect> frame = std::nullopt)
        : kind(kind), windowKey(std::move(windowKey)), frame(frame) {}

    Kind kind = Kind::changed;
    // The window's key (WindowHandle::key()); may be empty for a change that names no window.
    std::string windowKey;
    // The frame the desktop reported with the change, when it reported one: where the window was
    // at that moment, which a listing taken later (after a display change, say) may no longer show.
    std::optional<Rect> frame;
};

} // namespace plimsett
