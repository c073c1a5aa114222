#pragma once

#include <concepts>
#include <cstdint>
#include <string>

namespace plimsett {

// What the matcher needs of a window: the owning application, the title and the position among
// the application's windows.
template <typename T>
concept WindowDescriptor = requires(const T& window) {
    { window.bundleID } -> std::convertible_to<std::string>;
    { window.title } -> std::convertible_to<std::string>;
    { window.index } -> std::convertible_to<std::int64_t>;
};

} // namespace plimsett
