// Linked into the program only when this build has no desktop backend.
#include "app/desktop/NoDesktopBackend.h"

namespace plimsett {

PlatformBackend makePlatformBackend() {
    return NoDesktopBackend::make("this build of Plimsett has no backend for this desktop");
}

} // namespace plimsett
