#include "platform/x11/DockStrut.h"

#include <algorithm>

namespace plimsett {
namespace {

// X coordinates are 16-bit; "to the end of the edge".
constexpr std::uint32_t wholeEdge = 0xFFFF;

double span(std::uint32_t start, std::uint32_t end) {
    return end >= start ? static_cast<double>(end) - start + 1 : 0;
}

} // namespace

std::optional<DockStrut> DockStrut::fromPartial(std::span<const std::uint32_t> v) {
    if (v.size() < 12) {
        return std::nullopt;
    }
    return DockStrut{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]};
}

std::optional<DockStrut> DockStrut::fromStrut(std::span<const std::uint32_t> v) {
    if (v.size() < 4) {
        return std::nullopt;
    }
    return DockStrut{v[0], v[1],      v[2], v[3],      0, wholeEdge,
                     0,    wholeEdge, 0,    wholeEdge, 0, wholeEdge};
}

Rect DockStrut::appliedTo(const Rect& frame, double screenWidth, double screenHeight) const {
    const Rect f = frame.standardized();
    double minX = f.minX(), minY = f.minY(), maxX = f.maxX(), maxY = f.maxY();
    const auto overlaps = [&f](const Rect& band) { return f.intersection(band).area() > 0; };
    if (left > 0 && overlaps(Rect{0, static_cast<double>(leftStartY), static_cast<double>(left),
                                  span(leftStartY, leftEndY)})) {
        if (left < maxX) {
            minX = std::max(minX, static_cast<double>(left));
        }
    }
    if (right > 0 && overlaps(Rect{screenWidth - right, static_cast<double>(rightStartY),
                                   static_cast<double>(right), span(rightStartY, rightEndY)})) {
        if (screenWidth - right > minX) {
            maxX = std::min(maxX, screenWidth - right);
        }
    }
    if (top > 0 && overlaps(Rect{static_cast<double>(topStartX), 0, span(topStartX, topEndX),
                                 static_cast<double>(top)})) {
        if (top < maxY) {
            minY = std::max(minY, static_cast<double>(top));
        }
    }
    if (bottom > 0 && overlaps(Rect{static_cast<double>(bottomStartX), screenHeight - bottom,
                                    span(bottomStartX, bottomEndX), static_cast<double>(bottom)})) {
        if (screenHeight - bottom > minY) {
            maxY = std::min(maxY, screenHeight - bottom);
        }
    }
    return Rect{minX, minY, maxX - minX, maxY - minY};
}

} // namespace plimsett
