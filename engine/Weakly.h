#pragma once

#include <functional>
#include <memory>

namespace plimsett {

// `action` (a member function, or a function given the object first) as a closure that holds
// `owner` weakly and does nothing once it is gone. Delayed work holds its owner this way.
template <typename Owner, typename Action> auto weakly(std::weak_ptr<Owner> owner, Action action) {
    return [owner = std::move(owner), action = std::move(action)](const auto&... args) {
        if (const auto self = owner.lock()) {
            std::invoke(action, *self, args...);
        }
    };
}

} // namespace plimsett
