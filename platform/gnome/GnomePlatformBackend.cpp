#include "platform/gnome/GnomePlatformBackend.h"

#include "platform/gnome/GnomeShellChannel.h"
#include "platform/wayland/WaylandPlatformBackend.h"

namespace plimsett {

PlatformBackend makeGnomePlatformBackend() {
    auto channel = std::make_shared<GnomeShellChannel>();
    return makeWaylandPlatformBackend(
        channel, WaylandDisplayProvider::Identity::wholeEdid,
        channel->isConnected() ? "" : "There is no session bus to reach GNOME Shell on.");
}

} // namespace plimsett
