#pragma once

#include <cmath>

namespace plimsett {

// A point in the same global space as Rect.
struct Point {
    double x = 0;
    double y = 0;

    double distanceTo(const Point& other) const { return std::hypot(x - other.x, y - other.y); }

    bool operator==(const Point&) const = default;
};

} // namespace plimsett
