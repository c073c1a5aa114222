#include "platform/gnome/GnomePlatformBackend.h"

#include "platform/gnome/GnomeAccessPermission.h"
#include "platform/gnome/GnomeDisplayEventMonitor.h"
#include "platform/gnome/GnomeDisplayProvider.h"
#include "platform/gnome/GnomeShellProxy.h"
#include "platform/gnome/GnomeWindowSystem.h"

namespace plimsett {

PlatformBackend makeGnomePlatformBackend() {
    PlatformBackend backend;
    auto shell = std::make_shared<GnomeShellProxy>();
    if (!shell->connection().isConnected()) {
        backend.problem = "There is no session bus to reach GNOME Shell on.";
    }
    backend.windowSystem = std::make_shared<GnomeWindowSystem>(shell);
    backend.displayProvider = std::make_shared<GnomeDisplayProvider>(shell);
    backend.permission = std::make_shared<GnomeAccessPermission>(shell);
    backend.makeEventMonitor = [](std::weak_ptr<LayoutController> controller) {
        return std::unique_ptr<EventMonitor>(
            std::make_unique<GnomeDisplayEventMonitor>(std::move(controller)));
    };
    return backend;
}

} // namespace plimsett
