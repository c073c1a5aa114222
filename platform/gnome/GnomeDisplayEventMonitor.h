#pragma once

#include "engine/EventMonitor.h"
#include "engine/LayoutController.h"
#include "platform/linux/LogindSleepMonitor.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

class QDBusServiceWatcher;

namespace plimsett {

// Feeds the layout controller the display events of a GNOME Shell session, from Plimsett's Shell
// extension on the session bus:
//
// - MonitorsChanged (a monitor added, removed or rearranged): handle(reconfigured);
// - WorkAreasChanged (the top bar, a dock or a strut changed the usable area): handle
//   (screenParameters);
// - the extension coming onto the bus (enabled, or the Shell restarted): handle(reconfigured),
//   since the displays read before it came were none;
// - sleep and wake from logind, through a LogindSleepMonitor.
//
// Only what the extension's bus name sends counts. Create, start and stop the monitor on the main
// thread; start() and stop() are idempotent, and destroying the monitor stops it.
class GnomeDisplayEventMonitor : public QObject, public EventMonitor {
    Q_OBJECT

public:
    GnomeDisplayEventMonitor(std::weak_ptr<LayoutController> controller,
                             QDBusConnection connection = QDBusConnection::sessionBus());
    ~GnomeDisplayEventMonitor() override;

    void start() override;
    void stop() override;

    bool isRegistered() const { return registered_; }
    bool holdsSleepDelay() const { return sleepMonitor_->holdsSleepDelay(); }

private slots:
    void monitorsChanged();
    void workAreasChanged();

private:
    void deliver(DisplayEvent event);

    std::weak_ptr<LayoutController> controller_;
    QDBusConnection connection_;
    bool registered_ = false;
    QDBusServiceWatcher* watcher_ = nullptr;
    std::unique_ptr<LogindSleepMonitor> sleepMonitor_;
};

} // namespace plimsett
