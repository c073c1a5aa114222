#include "platform/gnome/GnomeDisplayEventMonitor.h"

#include "platform/gnome/GnomeShellProxy.h"

#include <QDBusServiceWatcher>

namespace plimsett {

GnomeDisplayEventMonitor::GnomeDisplayEventMonitor(std::weak_ptr<LayoutController> controller,
                                                   QDBusConnection connection)
    : controller_(controller), connection_(std::move(connection)),
      sleepMonitor_(std::make_unique<LogindSleepMonitor>(std::move(controller))) {}

GnomeDisplayEventMonitor::~GnomeDisplayEventMonitor() {
    stop();
}

void GnomeDisplayEventMonitor::start() {
    if (registered_) {
        return;
    }
    registered_ = true;
    const QString service = QString::fromLatin1(GnomeShellProxy::busName);
    const QString path = QString::fromLatin1(GnomeShellProxy::objectPath);
    const QString interface = QString::fromLatin1(GnomeShellProxy::interfaceName);
    connection_.connect(service, path, interface, QStringLiteral("MonitorsChanged"), this,
                        SLOT(monitorsChanged()));
    connection_.connect(service, path, interface, QStringLiteral("WorkAreasChanged"), this,
                        SLOT(workAreasChanged()));
    watcher_ = new QDBusServiceWatcher(service, connection_,
                                       QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this,
            [this] { deliver(DisplayEvent::reconfigured); });
    sleepMonitor_->start();
}

void GnomeDisplayEventMonitor::stop() {
    if (!registered_) {
        return;
    }
    registered_ = false;
    const QString service = QString::fromLatin1(GnomeShellProxy::busName);
    const QString path = QString::fromLatin1(GnomeShellProxy::objectPath);
    const QString interface = QString::fromLatin1(GnomeShellProxy::interfaceName);
    connection_.disconnect(service, path, interface, QStringLiteral("MonitorsChanged"), this,
                           SLOT(monitorsChanged()));
    connection_.disconnect(service, path, interface, QStringLiteral("WorkAreasChanged"), this,
                           SLOT(workAreasChanged()));
    delete watcher_;
    watcher_ = nullptr;
    sleepMonitor_->stop();
}

void GnomeDisplayEventMonitor::monitorsChanged() {
    deliver(DisplayEvent::reconfigured);
}

void GnomeDisplayEventMonitor::workAreasChanged() {
    deliver(DisplayEvent::screenParameters);
}

void GnomeDisplayEventMonitor::deliver(DisplayEvent event) {
    if (!registered_) {
        return;
    }
    if (const auto controller = controller_.lock()) {
        controller->handle(event);
    }
}

} // namespace plimsett
