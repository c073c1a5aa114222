#include "engine/WindowMatcher.h"

namespace plimsett {

void WindowMatcher::pairApplication(const std::vector<Entry>& live, const std::vector<Entry>& saved,
                                    std::vector<std::pair<std::size_t, std::size_t>>& out) {
    std::vector<bool> usedLive(live.size(), false);
    std::vector<bool> usedSaved(saved.size(), false);

    // Title pass: an untitled window is left for the positional pass.
    for (std::size_t l = 0; l < live.size(); ++l) {
        if (live[l].title.empty()) {
            continue;
        }
        std::size_t best = saved.size();
        for (std::size_t s = 0; s < saved.size(); ++s) {
            if (usedSaved[s] || saved[s].title != live[l].title) {
                continue;
            }
            if (best == saved.size()) {
                best = s;
                continue;
            }
            // Closest index; on a tie the smaller index; on equal indexes the earlier one.
            const auto distance = [&](std::size_t k) {
                // Unsigned arithmetic: indexes read from a file may lie anywhere in 64 bits.
                const auto a = static_cast<std::uint64_t>(saved[k].index);
                const auto b = static_cast<std::uint64_t>(live[l].index);
                return saved[k].index >= live[l].index ? a - b : b - a;
            };
            const std::uint64_t candidate = distance(s);
            const std::uint64_t current = distance(best);
            if (candidate < current ||
                (candidate == current && saved[s].index < saved[best].index)) {
                best = s;
            }
        }
        if (best != saved.size()) {
            usedLive[l] = true;
            usedSaved[best] = true;
            out.emplace_back(live[l].position, saved[best].position);
        }
    }

    // Positional pass over what is left, in index order.
    std::size_t s = 0;
    for (std::size_t l = 0; l < live.size(); ++l) {
        if (usedLive[l]) {
            continue;
        }
        while (s < saved.size() && usedSaved[s]) {
            ++s;
        }
        if (s == saved.size()) {
            break;
        }
        out.emplace_back(live[l].position, saved[s].position);
        ++s;
    }
}

} // namespace plimsett
