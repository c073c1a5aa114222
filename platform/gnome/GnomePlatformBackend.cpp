#include "platform/gnome/GnomePlatformBackend.h"

#include "platform/wayland/AdvisedAccessPermission.h"
#include "platform/gnome/GnomeShellChannel.h"
#include "platform/wayland/WaylandPlatformBackend.h"

namespace plimsett {

PlatformBackend makeGnomePlatformBackend() {
    auto channel = std::make_shared<GnomeShellChannel>();
    PlatformBackend backend = makeWaylandPlatformBackend(
        channel, WaylandDisplayProvider::Identity::wholeEdid,
        channel->isConnected() ? "" : "There is no session bus to reach GNOME Shell on.");
    backend.permission = std::make_shared<AdvisedAccessPermission>(
        std::move(backend.permission), [channel] { return channel->advice().toStdString(); });
    backend.conflict = [channel] { return channel->conflict().toStdString(); };
    // The extension shows the menu in the top bar; stock GNOME has no tray.
    backend.desktopShowsMenu = true;
    return backend;
}

} // namespace plimsett
