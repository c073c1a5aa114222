#pragma once

#include <cstdint>

namespace plimsett {

// The outcome of a restore: every pair of a live and a saved window lands in one counter.
struct RestoreResult {
    std::int64_t moved = 0;
    std::int64_t alreadyInPlace = 0;
    std::int64_t skipped = 0;
    std::int64_t failed = 0;

    bool operator==(const RestoreResult&) const = default;
};

} // namespace plimsett
