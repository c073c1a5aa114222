#pragma once

#include "engine/Rect.h"

#include <cstdint>
#include <optional>
#include <span>

namespace plimsett {

// The space that a window (a panel or dock) reserves along the edges of the X screen, as
// _NET_WM_STRUT_PARTIAL says: a width from each edge of the whole screen, and on each edge the
// range of rows or columns it covers (first and last, inclusive).
struct DockStrut {
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
    std::uint32_t leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    std::uint32_t topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;

    // From the 12 values of _NET_WM_STRUT_PARTIAL; nothing when fewer are given.
    static std::optional<DockStrut> fromPartial(std::span<const std::uint32_t> values);
    // From the 4 values of the older _NET_WM_STRUT, which covers each edge along its whole length.
    static std::optional<DockStrut> fromStrut(std::span<const std::uint32_t> values);

    // `frame` (a display's area in root coordinates, on a screen of the given size) less what
    // this strut reserves on it: each edge's reserved band that overlaps the frame pushes that side
    // of the frame in. A band that would leave nothing of the frame is ignored.
    Rect appliedTo(const Rect& frame, double screenWidth, double screenHeight) const;

    bool operator==(const DockStrut&) const = default;
};

} // namespace plimsett
