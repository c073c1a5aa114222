#pragma once

#include "engine/EventMonitor.h"
#include "engine/LayoutController.h"
#include "platform/linux/LogindSleepMonitor.h"
#include "platform/linux/WindowEventThrottle.h"
#include "platform/wayland/HelperChannel.h"

#include <QObject>

#include <memory>

namespace plimsett {

// Feeds the layout controller the display events of a Wayland session, from Plimsett's helper
// inside the compositor:
//
// - monitorsChanged (a monitor added, removed or rearranged): handle(reconfigured);
// - workAreasChanged (a panel, a dock or a strut changed the usable area):
//   handle(screenParameters);
// - windowChanged (a window appeared, changed or went; the helper throttles these per window
//   already, and so does the monitor): windowEvent(). The compositor piles the windows of a
//   monitor that went only once it has dropped the monitor, and the helper tells of both in that
//   order on the one connection, so the controller is settling before it hears of the piling.
// - accessLost and accessReturned (the helper switched off and on again, its compositor
//   restarted, its name taken): accessLost() and accessReturned(). A helper that does not answer
//   at start counts as lost. Nothing is saved in between, and the return is settled as a display
//   change that could not be seen.
// - sleep and wake from logind, through a LogindSleepMonitor.
//
// Create, start and stop the monitor on the main thread; start() and stop() are idempotent, and
// destroying the monitor stops it.
class WaylandEventMonitor : public QObject, public EventMonitor {
    Q_OBJECT

public:
    WaylandEventMonitor(std::weak_ptr<LayoutController> controller,
                        std::shared_ptr<HelperChannel> channel);
    ~WaylandEventMonitor() override;

    void start() override;
    void stop() override;

    bool isRegistered() const { return registered_; }
    bool holdsSleepDelay() const { return sleepMonitor_->holdsSleepDelay(); }

private:
    void deliver(DisplayEvent event);

    std::weak_ptr<LayoutController> controller_;
    std::shared_ptr<HelperChannel> channel_;
    bool registered_ = false;
    QMetaObject::Connection monitors_;
    QMetaObject::Connection workAreas_;
    QMetaObject::Connection windows_;
    QMetaObject::Connection lost_;
    QMetaObject::Connection returned_;
    WindowEventThrottle throttle_;
    std::unique_ptr<LogindSleepMonitor> sleepMonitor_;
};

} // namespace plimsett
