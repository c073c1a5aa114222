#pragma once

#include "platform/PlatformBackend.h"

#include <string>

namespace plimsett {

// The X11 backend over the server named by $DISPLAY.
PlatformBackend makeX11PlatformBackend();
// The X11 backend without a server: it reads and moves nothing, and says why with `problem`.
PlatformBackend makeUnreachableX11PlatformBackend(std::string problem);

} // namespace plimsett
