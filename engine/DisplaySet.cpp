#include "engine/DisplaySet.h"

#include "engine/Sha256.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plimsett {

DisplaySet::DisplaySet() : id(identifier({})) {}

DisplaySet::DisplaySet(std::vector<DisplayInfo> list) : displays(std::move(list)) {
    std::stable_sort(displays.begin(), displays.end(), canonicallyBefore);
    id = identifier(displays);
}

namespace {

// NaN sorts after every number, so that a broken frame cannot break the ordering.
double orderKey(double value) {
    return std::isnan(value) ? std::numeric_limits<double>::infinity() : value;
}

} // namespace

bool DisplaySet::canonicallyBefore(const DisplayInfo& a, const DisplayInfo& b) {
    if (a.isBuiltIn != b.isBuiltIn) {
        return a.isBuiltIn;
    }
    const double ax = orderKey(a.frame.minX());
    const double bx = orderKey(b.frame.minX());
    if (ax != bx) {
        return ax < bx;
    }
    const double ay = orderKey(a.frame.minY());
    const double by = orderKey(b.frame.minY());
    if (ay != by) {
        return ay < by;
    }
    return a.uuid < b.uuid;
}

std::string DisplaySet::identifier(const std::vector<DisplayInfo>& list) {
    std::vector<std::string> prints;
    prints.reserve(list.size());
    for (const DisplayInfo& display : list) {
        prints.push_back(display.fingerprint());
    }
    std::sort(prints.begin(), prints.end());
    std::string joined;
    for (std::size_t i = 0; i < prints.size(); ++i) {
        if (i > 0) {
            joined += '\n';
        }
        joined += prints[i];
    }
    const Sha256Digest digest = sha256(joined);
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(16);
    for (std::size_t i = 0; i < 8; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 0xF];
    }
    return out;
}

std::string DisplaySet::name(const std::string& builtInName) const {
    std::string out;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        if (i > 0) {
            out += " + ";
        }
        out += displays[i].isBuiltIn ? builtInName : displays[i].name;
    }
    return out;
}

} // namespace plimsett
