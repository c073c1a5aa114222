#include "engine/RestorePlan.h"

#include <algorithm>
#include <unordered_set>

namespace plimsett {
namespace {

bool inPlace(const Rect& current, const Rect& target) {
    return current.standardized().isWithin(target.standardized(), frameTolerance);
}

// A maximised window is in place when it is maximised the same way with its centre on the
// target, which is the maximised area of its display.
bool maximizedInPlace(const LiveWindow& live, const SavedWindow& saved, const Rect& target) {
    return live.isMaximizedHorizontally == saved.isMaximizedHorizontally &&
           live.isMaximizedVertically == saved.isMaximizedVertically &&
           target.contains(live.frame.center());
}

// Shown by no display at all: not even a corner of it overlaps one.
bool isStranded(const LiveWindow& window, const std::vector<DisplayInfo>& displays) {
    if (window.isMinimized || window.isFullScreen || !window.frame.isFinite()) {
        return false;
    }
    const Rect frame = window.frame.standardized();
    return std::none_of(displays.begin(), displays.end(), [&](const DisplayInfo& d) {
        return frame.intersection(d.frame.standardized()).area() > 0;
    });
}

} // namespace

RestorePlan::RestorePlan(const std::vector<LiveWindow>& live, const std::vector<SavedWindow>& saved,
                         const std::vector<DisplayInfo>& displays, bool rescueStranded)
    : RestorePlan(WindowPairing(live, saved, {}), displays, rescueStranded) {}

RestorePlan::RestorePlan(const WindowPairing& windows, const std::vector<DisplayInfo>& displays,
                         bool rescueStranded) {
    std::vector<Rect> screens;
    screens.reserve(displays.size());
    for (const DisplayInfo& display : displays) {
        screens.push_back(display.visibleFrame);
    }
    std::unordered_set<const WindowHandle*> placed;
    for (const WindowPairing::Pair& pair : windows.pairs()) {
        placed.insert(pair.live.handle.get());
        if (pair.live.isMinimized || pair.live.isFullScreen || pair.saved.isMinimized ||
            pair.saved.isFullScreen) {
            // Left as the user has it, unless no display shows it: then it is rescued below.
            if (rescueStranded && isStranded(pair.live, displays)) {
                placed.erase(pair.live.handle.get());
            } else {
                ++counts_.skipped;
            }
            continue;
        }
        const std::optional<Rect> target = fittedFrame(pair.saved.frame, screens);
        if (!target) {
            ++counts_.skipped;
            continue;
        }
        // A saved workspace that the desktop can tell and that differs is a move too; a record
        // without one, or a desktop without workspaces, leaves the window where it is.
        const std::optional<Workspace> workspace =
            pair.saved.workspace && pair.live.workspace &&
                    pair.saved.workspace != pair.live.workspace
                ? pair.saved.workspace
                : std::nullopt;
        const bool maximized = pair.saved.isMaximized();
        if (!workspace && (maximized ? maximizedInPlace(pair.live, pair.saved, *target)
                                     : inPlace(pair.live.frame, *target))) {
            ++counts_.alreadyInPlace;
            continue;
        }
        moves_.push_back(WindowMove{pair.live, *target, pair.saved.isMaximizedHorizontally,
                                    pair.saved.isMaximizedVertically, workspace});
    }
    if (!rescueStranded) {
        return;
    }
    for (const LiveWindow& window : windows.live()) {
        if (placed.contains(window.handle.get()) || !isStranded(window, displays)) {
            continue;
        }
        // A maximised one is maximised again on the display it is brought onto.
        if (const std::optional<Rect> target = fittedFrame(window.frame, screens)) {
            moves_.push_back(WindowMove{window, *target, window.isMaximizedHorizontally,
                                        window.isMaximizedVertically});
        }
    }
}

RestoreResult RestorePlan::answered(const std::vector<bool>& answers) const {
    RestoreResult result = counts_;
    for (std::size_t i = 0; i < moves_.size(); ++i) {
        if (i < answers.size() && answers[i]) {
            ++result.moved;
        } else {
            ++result.failed;
        }
    }
    return result;
}

std::optional<Rect> RestorePlan::fittedFrame(const Rect& frame, const std::vector<Rect>& rects) {
    const Rect f = frame.standardized();
    std::vector<Rect> screens;
    for (const Rect& r : rects) {
        const Rect s = r.standardized();
        if (s.width > 0 && s.height > 0) {
            screens.push_back(s);
        }
    }
    if (screens.empty() || !f.isFinite()) {
        return std::nullopt;
    }
    for (const Rect& s : screens) {
        if (s.contains(f)) {
            return f;
        }
    }
    std::size_t best = 0;
    double bestArea = f.intersection(screens[0]).area();
    for (std::size_t i = 1; i < screens.size(); ++i) {
        const double area = f.intersection(screens[i]).area();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    if (!(bestArea > 0)) {
        best = 0;
        double bestDistance = f.center().distanceTo(screens[0].center());
        for (std::size_t i = 1; i < screens.size(); ++i) {
            const double distance = f.center().distanceTo(screens[i].center());
            if (distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
    }
    const Rect& b = screens[best];
    const double w = std::min(f.width, b.width);
    const double h = std::min(f.height, b.height);
    const double x = std::min(b.maxX() - w, std::max(f.minX(), b.minX()));
    const double y = std::min(b.maxY() - h, std::max(f.minY(), b.minY()));
    return Rect{x, y, w, h};
}

} // namespace plimsett
