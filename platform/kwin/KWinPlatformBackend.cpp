#include "platform/kwin/KWinPlatformBackend.h"

#include "platform/kwin/KWinAccessPermission.h"
#include "platform/kwin/KWinDisplayEventMonitor.h"
#include "platform/kwin/KWinDisplayProvider.h"
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/kwin/KWinWindowSystem.h"

#include <QCoreApplication>
#include <QDBusConnection>

namespace plimsett {

PlatformBackend makeKWinPlatformBackend() {
    // A connection of the channel's own: what the application does on the shared one (blocking
    // calls, its hooks) must not hold up the script's calls.
    auto channel = std::make_shared<KWinScriptChannel>(QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("plimsett-kwin-channel")));
    PlatformBackend backend;
    if (!channel->load()) {
        backend.problem = channel->problem();
    }
    // The script goes when the program does, even if a closure keeps the channel a little longer.
    if (auto* app = QCoreApplication::instance()) {
        QObject::connect(app, &QCoreApplication::aboutToQuit, channel.get(),
                         [weak = std::weak_ptr<KWinScriptChannel>(channel)] {
                             if (const auto c = weak.lock()) {
                                 c->unload();
                             }
                         });
    }
    backend.windowSystem = std::make_shared<KWinWindowSystem>(channel);
    backend.displayProvider = std::make_shared<KWinDisplayProvider>(channel);
    backend.permission = std::make_shared<KWinAccessPermission>(channel);
    backend.makeEventMonitor = [channel](std::weak_ptr<LayoutController> controller) {
        return std::unique_ptr<EventMonitor>(
            std::make_unique<KWinDisplayEventMonitor>(std::move(controller), channel));
    };
    return backend;
}

} // namespace plimsett
