#pragma once

#include "engine/DisplaySet.h"

namespace plimsett {

// Where the displays connected right now are read.
class DisplayProvider {
public:
    virtual ~DisplayProvider() = default;
    // The set without displays when nothing can be read.
    virtual DisplaySet currentDisplaySet() = 0;
};

} // namespace plimsett
