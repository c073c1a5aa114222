#pragma once

#include "engine/Point.h"

namespace plimsett {

// A window is in place when every edge and side of its frame is off by strictly less than this
// from where it should be.
inline constexpr double frameTolerance = 2.0;

// A rectangle in points, in the global space whose origin is the top-left corner of the main
// display and whose y axis points down.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return width < 0 ? x + width : x; }
    double minY() const { return height < 0 ? y + height : y; }
    double maxX() const { return width < 0 ? x : x + width; }
    double maxY() const { return height < 0 ? y : y + height; }
    double midX() const { return (minX() + maxX()) / 2; }
    double midY() const { return (minY() + maxY()) / 2; }
    Point center() const { return Point{midX(), midY()}; }

    // The same rectangle with a non-negative width and height.
    Rect standardized() const;
    // Zero when the rectangle is empty or either side is not positive.
    double area() const;
    // True when `other` lies entirely inside this rectangle; touching edges count as inside.
    bool contains(const Rect& other) const;
    // True when `point` lies inside this rectangle or on its edge.
    bool contains(const Point& point) const;
    // True when x, y, width and height each differ from `other`'s by strictly less than
    // `tolerance`. Compared as given: standardise both first where the sign may differ.
    bool isWithin(const Rect& other, double tolerance) const;
    // The common part of both rectangles (standardised), or an empty rectangle.
    Rect intersection(const Rect& other) const;
    bool isFinite() const;

    bool operator==(const Rect&) const = default;
};

} // namespace plimsett
