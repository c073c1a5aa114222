#include "platform/PlatformBackend.h"

#include "platform/gnome/GnomePlatformBackend.h"
#include "platform/kwin/KWinPlatformBackend.h"
#include "platform/linux/DesktopSession.h"
#include "platform/x11/X11PlatformBackend.h"

namespace plimsett {

PlatformBackend makePlatformBackend() {
    const DesktopSession session = DesktopSession::current();
    switch (session.kind) {
    case DesktopSession::Kind::x11:
    case DesktopSession::Kind::none:
        return makeX11PlatformBackend();
    case DesktopSession::Kind::gnomeWayland:
        return makeGnomePlatformBackend();
    case DesktopSession::Kind::kdeWayland:
        return makeKWinPlatformBackend();
    case DesktopSession::Kind::otherWayland:
        break;
    }
    // Only the problem: the application fills in a backend that sees no windows, no displays
    // and no access.
    const std::string desktop = session.desktop.empty() ? "an unnamed desktop" : session.desktop;
    PlatformBackend unsupported;
    unsupported.problem = "This is a Wayland session of " + desktop +
                          ", which Plimsett does not support yet: there it cannot read or move "
                          "other applications' windows. GNOME and KDE Plasma on Wayland, and "
                          "X11 sessions, are supported.";
    return unsupported;
}

} // namespace plimsett
