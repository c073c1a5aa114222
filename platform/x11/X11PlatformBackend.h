#pragma once

#include "platform/PlatformBackend.h"

#include <string>

namespace plimsett {

// The X11 backend over the server named by $DISPLAY; without one it reads and moves nothing, and
// says why in `problem`.
PlatformBackend makeX11PlatformBackend();

} // namespace plimsett
