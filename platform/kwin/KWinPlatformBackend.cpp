#include "platform/kwin/KWinPlatformBackend.h"

#include "platform/wayland/AdvisedAccessPermission.h"
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/wayland/WaylandPlatformBackend.h"

#include <QCoreApplication>
#include <QDBusConnection>

namespace plimsett {

PlatformBackend makeKWinPlatformBackend() {
    // A connection of the channel's own: what the application does on the shared one (blocking
    // calls, its hooks) must not hold up the script's calls.
    auto channel = std::make_shared<KWinScriptChannel>(QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("plimsett-kwin-channel")));
    std::string problem;
    if (!channel->load()) {
        problem = channel->problem();
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
    PlatformBackend backend = makeWaylandPlatformBackend(
        channel, WaylandDisplayProvider::Identity::anyEdid, std::move(problem));
    backend.permission = std::make_shared<AdvisedAccessPermission>(
        std::move(backend.permission), [channel] { return channel->advice(); });
    return backend;
}

} // namespace plimsett
