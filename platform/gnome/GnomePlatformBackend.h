#pragma once

#include "platform/PlatformBackend.h"

namespace plimsett {

// The GNOME Shell backend: Plimsett's Shell extension on the session bus, logind for sleep.
PlatformBackend makeGnomePlatformBackend();

} // namespace plimsett
