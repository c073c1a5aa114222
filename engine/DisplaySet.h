#pragma once

#include "engine/DisplayInfo.h"

#include <string>
#include <vector>

namespace plimsett {

// The connected displays in canonical order, and the identifier under which layouts are saved.
struct DisplaySet {
    std::vector<DisplayInfo> displays;
    std::string id;

    // The set without displays.
    DisplaySet();
    // Sorts `displays` into canonical order and computes the identifier.
    explicit DisplaySet(std::vector<DisplayInfo> displays);

    // 16 lowercase hex digits of the SHA-256 of the sorted fingerprints joined by line feeds;
    // independent of the order of `displays`.
    static std::string identifier(const std::vector<DisplayInfo>& displays);
    // Built-in first, then by minimum x, minimum y and uuid.
    static bool canonicallyBefore(const DisplayInfo& a, const DisplayInfo& b);

    // The displays' names joined by " + ", with `builtInName` standing for built-in displays.
    std::string name(const std::string& builtInName) const;

    bool operator==(const DisplaySet&) const = default;
};

} // namespace plimsett
