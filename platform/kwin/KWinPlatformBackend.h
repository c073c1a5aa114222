#pragma once

#include "platform/PlatformBackend.h"

namespace plimsett {

// The backend of a Plasma Wayland session, over Plimsett's KWin script on the session bus. The
// script is loaded here (a bounded wait); when KWin will not run it, `problem` says why, and the
// backend reads and moves nothing until access is asked for again.
PlatformBackend makeKWinPlatformBackend();

} // namespace plimsett
