#pragma once

#include "engine/SavedWindow.h"
#include "engine/Text.h"
#include "engine/WindowDescriptor.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace plimsett {

// Pairs live windows with saved windows of the same application, first by title (closest index
// wins), then by position. Window handles do not survive relaunches, so this is all there is.
class WindowMatcher {
public:
    template <WindowDescriptor Live> struct Pair {
        Live live;
        SavedWindow saved;
    };

    // Applications in ascending bundle-identifier order; within one, the title pairs in the order
    // of the live windows' indexes, then the positional pairs. Each window is in at most one pair.
    // Canonically equivalent strings compare equal.
    template <WindowDescriptor Live>
    static std::vector<Pair<Live>> match(const std::vector<Live>& live,
                                         const std::vector<SavedWindow>& saved);

private:
    struct Entry {
        std::size_t position; // in the caller's list
        std::int64_t index;
        std::string title; // NFC
    };
    using Groups = std::map<std::string, std::vector<Entry>>;

    template <typename Window>
    static Groups groupByApplication(const std::vector<Window>& windows) {
        Groups groups;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            groups[nfc(windows[i].bundleID)].push_back(
                Entry{i, static_cast<std::int64_t>(windows[i].index), nfc(windows[i].title)});
        }
        for (auto& [bundleID, entries] : groups) {
            std::stable_sort(entries.begin(), entries.end(),
                             [](const Entry& a, const Entry& b) { return a.index < b.index; });
        }
        return groups;
    }

    // Appends to `out` the (live position, saved position) pairs of one application.
    static void pairApplication(const std::vector<Entry>& live, const std::vector<Entry>& saved,
                                std::vector<std::pair<std::size_t, std::size_t>>& out);
};

template <WindowDescriptor Live>
std::vector<WindowMatcher::Pair<Live>> WindowMatcher::match(const std::vector<Live>& live,
                                                            const std::vector<SavedWindow>& saved) {
    std::vector<Pair<Live>> result;
    if (live.empty() || saved.empty()) {
        return result;
    }
    const Groups liveGroups = groupByApplication(live);
    const Groups savedGroups = groupByApplication(saved);
    std::vector<std::pair<std::size_t, std::size_t>> positions;
    for (const auto& [bundleID, liveEntries] : liveGroups) {
        const auto savedEntries = savedGroups.find(bundleID);
        if (savedEntries != savedGroups.end()) {
            pairApplication(liveEntries, savedEntries->second, positions);
        }
    }
    result.reserve(positions.size());
    for (const auto& [l, s] : positions) {
        result.push_back(Pair<Live>{live[l], saved[s]});
    }
    return result;
}

} // namespace plimsett
