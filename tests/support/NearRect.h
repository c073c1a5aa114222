#pragma once

#include "engine/Rect.h"

namespace plimsett::testing {

// Whether two frames differ by less than two pixels in position and size: compositors round what
// they are asked for to whole (and, scaled, to device) pixels.
inline bool near(const Rect& a, const Rect& b) {
    return a.isWithin(b, frameTolerance);
}

} // namespace plimsett::testing
