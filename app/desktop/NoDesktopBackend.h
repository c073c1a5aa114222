#pragma once

#include "platform/PlatformBackend.h"

#include <string>

namespace plimsett {

// A backend for when no desktop can be reached: no windows, no displays, no access, and a
// monitor that reports nothing. `problem` says why.
class NoDesktopBackend {
public:
    static PlatformBackend make(std::string problem);
    // Fills the members that `backend` lacks with the inert ones.
    static PlatformBackend completed(PlatformBackend backend);
};

} // namespace plimsett
