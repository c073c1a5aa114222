#pragma once

#include <cstdint>

namespace plimsett {

// Where a window is among the desktop's workspaces (virtual desktops): on one of them, counted
// from 0, or on every one of them.
struct Workspace {
    static constexpr std::int64_t everyIndex = -1;

    std::int64_t index = 0;

    static constexpr Workspace every() { return Workspace{everyIndex}; }
    bool isEvery() const { return index == everyIndex; }

    bool operator==(const Workspace&) const = default;
};

} // namespace plimsett
