#pragma once

#include "engine/Rect.h"

#include <cmath>

namespace plimsett::testing {

// Whether two frames differ by less than two pixels in position and size: compositors round what
// they are asked for to whole (and, scaled, to device) pixels.
inline bool near(const Rect& a, const Rect& b) {
    return std::fabs(a.x - b.x) < 2 && std::fabs(a.y - b.y) < 2 &&
           std::fabs(a.width - b.width) < 2 && std::fabs(a.height - b.height) < 2;
}

} // namespace plimsett::testing
