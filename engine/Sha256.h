#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace plimsett {

using Sha256Digest = std::array<std::uint8_t, 32>;

// SHA-256 of the bytes of `data`. Backed by the platform's crypto library, chosen at build time.
Sha256Digest sha256(std::string_view data);

} // namespace plimsett
