#include "engine/WindowPairing.h"

#include <algorithm>

namespace plimsett {

WindowPairing::WindowPairing(std::vector<LiveWindow> live, std::vector<SavedWindow> saved,
                             const std::set<std::string>& excluded)
    : live_(included(std::move(live), excluded)), saved_(included(std::move(saved), excluded)),
      pairs_(WindowMatcher::match(live_, saved_)) {}

std::optional<WindowPairing::Pair> WindowPairing::pairOf(const std::string& key) const {
    const auto window = std::find_if(live_.begin(), live_.end(), [&](const LiveWindow& w) {
        return w.handle && w.handle->key() == key;
    });
    if (window == live_.end()) {
        return std::nullopt;
    }
    const auto pair = std::find_if(pairs_.begin(), pairs_.end(),
                                   [&](const Pair& p) { return p.live.handle == window->handle; });
    return pair == pairs_.end() ? std::nullopt : std::optional(*pair);
}

std::vector<SavedWindow> WindowPairing::unheld() const {
    std::vector<SavedWindow> unheld = saved_;
    for (const Pair& pair : pairs_) {
        if (const auto held = std::find(unheld.begin(), unheld.end(), pair.saved);
            held != unheld.end()) {
            unheld.erase(held);
        }
    }
    return unheld;
}

} // namespace plimsett
