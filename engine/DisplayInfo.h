#pragma once

#include "engine/Rect.h"

#include <string>

namespace plimsett {

// One connected display, as the display provider reports it.
struct DisplayInfo {
    std::string uuid;
    std::string name;
    bool isBuiltIn = false;
    Rect frame;
    Rect visibleFrame;

    // The display's key in the display-set identifier: upper-cased uuid, then the frame's size
    // and origin rounded to whole points, e.g. "ABC-1|1512x982|0,0".
    std::string fingerprint() const;

    bool operator==(const DisplayInfo&) const = default;
};

} // namespace plimsett
