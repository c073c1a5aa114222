#include "engine/RearrangedLayout.h"

#include <algorithm>
#include <limits>
#include <string>

namespace plimsett {
namespace {

std::vector<std::string> sortedUuids(const std::vector<DisplayInfo>& displays) {
    std::vector<std::string> uuids;
    uuids.reserve(displays.size());
    for (const DisplayInfo& d : displays) {
        uuids.push_back(d.uuid);
    }
    std::sort(uuids.begin(), uuids.end());
    return uuids;
}

// The display a window was on: the one it overlaps most, else the one whose centre is nearest.
std::optional<std::size_t> displayOf(const Rect& frame, const std::vector<DisplayInfo>& displays) {
    std::optional<std::size_t> best;
    double bestArea = 0;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const double area = frame.intersection(displays[i].frame).area();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    if (best) {
        return best;
    }
    double bestDistance = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const double distance = frame.center().distanceTo(displays[i].frame.center());
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// The display of `to` that stands for `from[index]`: the same uuid, and among displays sharing
// a uuid the one at the same position in canonical order.
std::optional<std::size_t> counterpart(const std::vector<DisplayInfo>& from, std::size_t index,
                                       const std::vector<DisplayInfo>& to) {
    const std::string& uuid = from[index].uuid;
    const auto rank = std::count_if(from.begin(), from.begin() + static_cast<long>(index),
                                    [&](const DisplayInfo& d) { return d.uuid == uuid; });
    long seen = 0;
    for (std::size_t i = 0; i < to.size(); ++i) {
        if (to[i].uuid == uuid && seen++ == rank) {
            return i;
        }
    }
    return std::nullopt;
}

double ratio(double now, double then) {
    return then > 0 && now > 0 ? now / then : 1.0;
}

} // namespace

bool RearrangedLayout::sameDisplays(const std::vector<DisplayInfo>& a,
                                    const std::vector<DisplayInfo>& b) {
    return !a.empty() && sortedUuids(a) == sortedUuids(b);
}

std::optional<SavedLayout> RearrangedLayout::find(const LayoutStore& store, const DisplaySet& set) {
    if (set.displays.empty() || store.layout(set.id)) {
        return std::nullopt;
    }
    // Newest first.
    for (const SavedLayout& layout : store.sortedLayouts()) {
        if (sameDisplays(layout.displays, set.displays)) {
            return carriedOver(layout, set);
        }
    }
    return std::nullopt;
}

SavedLayout RearrangedLayout::carriedOver(const SavedLayout& layout, const DisplaySet& set) {
    SavedLayout result = layout;
    result.displays = set.displays;
    for (SavedWindow& window : result.windows) {
        const Rect frame = window.frame.standardized();
        const std::optional<std::size_t> from = displayOf(frame, layout.displays);
        if (!from) {
            continue;
        }
        const std::optional<std::size_t> to = counterpart(layout.displays, *from, set.displays);
        if (!to) {
            continue;
        }
        const Rect& then = layout.displays[*from].visibleFrame;
        const Rect& now = set.displays[*to].visibleFrame;
        const double sx = ratio(now.width, then.width);
        const double sy = ratio(now.height, then.height);
        window.frame = Rect{now.x + (frame.x - then.x) * sx, now.y + (frame.y - then.y) * sy,
                            frame.width * sx, frame.height * sy};
    }
    return result;
}

} // namespace plimsett
