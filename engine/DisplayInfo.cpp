#include "engine/DisplayInfo.h"

#include "engine/Text.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace plimsett {
namespace {

// Rounds halves away from zero. Non-finite values count as 0 and values beyond the 64-bit range
// are clamped to it, so a broken frame still yields a stable fingerprint.
std::int64_t roundedPoint(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::round(value);
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (rounded >= limit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (rounded < -limit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(rounded);
}

} // namespace

std::string DisplayInfo::fingerprint() const {
    const Rect r = frame.standardized();
    std::string out = upperCased(uuid);
    out += '|';
    out += std::to_string(roundedPoint(r.width));
    out += 'x';
    out += std::to_string(roundedPoint(r.height));
    out += '|';
    out += std::to_string(roundedPoint(r.x));
    out += ',';
    out += std::to_string(roundedPoint(r.y));
    return out;
}

} // namespace plimsett
