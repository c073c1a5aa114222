#include "engine/Rect.h"

#include <algorithm>
#include <cmath>

namespace plimsett {

Rect Rect::standardized() const {
    return Rect{minX(), minY(), std::fabs(width), std::fabs(height)};
}

double Rect::area() const {
    const Rect r = standardized();
    return r.width > 0 && r.height > 0 ? r.width * r.height : 0;
}

bool Rect::contains(const Rect& other) const {
    const Rect a = standardized();
    const Rect b = other.standardized();
    return b.minX() >= a.minX() && b.minY() >= a.minY() && b.maxX() <= a.maxX() &&
           b.maxY() <= a.maxY();
}

bool Rect::contains(const Point& point) const {
    return point.x >= minX() && point.x <= maxX() && point.y >= minY() && point.y <= maxY();
}

bool Rect::isWithin(const Rect& other, double tolerance) const {
    return std::fabs(x - other.x) < tolerance && std::fabs(y - other.y) < tolerance &&
           std::fabs(width - other.width) < tolerance &&
           std::fabs(height - other.height) < tolerance;
}

Rect Rect::intersection(const Rect& other) const {
    const Rect a = standardized();
    const Rect b = other.standardized();
    const double left = std::max(a.minX(), b.minX());
    const double top = std::max(a.minY(), b.minY());
    const double right = std::min(a.maxX(), b.maxX());
    const double bottom = std::min(a.maxY(), b.maxY());
    if (right <= left || bottom <= top) {
        return Rect{};
    }
    return Rect{left, top, right - left, bottom - top};
}

bool Rect::isFinite() const {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height);
}

} // namespace plimsett
