#pragma once

#include "engine/LiveWindow.h"
#include "engine/SavedWindow.h"
#include "engine/WindowMatcher.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plimsett {

// The live and the saved windows of the applications the user did not exclude, paired by the
// matcher. A restore pass, the placing of a window that opens and the openings told to the
// desktop all pair the windows this way.
class WindowPairing {
public:
    using Pair = WindowMatcher::Pair<LiveWindow>;

    WindowPairing(std::vector<LiveWindow> live, std::vector<SavedWindow> saved,
                  const std::set<std::string>& excluded);

    // `windows` without those of the applications in `excluded`.
    template <typename Window>
    static std::vector<Window> included(std::vector<Window> windows,
                                        const std::set<std::string>& excluded) {
        std::erase_if(windows, [&](const Window& w) { return excluded.contains(w.bundleID); });
        return windows;
    }

    // The live windows left in, paired or not.
    const std::vector<LiveWindow>& live() const { return live_; }
    const std::vector<Pair>& pairs() const { return pairs_; }
    // The pair of the first live window whose handle has `key`; nothing when there is no such
    // window or it is not paired.
    std::optional<Pair> pairOf(const std::string& key) const;
    // The saved windows left in that no live window holds, in their order.
    std::vector<SavedWindow> unheld() const;

private:
    std::vector<LiveWindow> live_;
    std::vector<SavedWindow> saved_;
    std::vector<Pair> pairs_;
};

} // namespace plimsett
