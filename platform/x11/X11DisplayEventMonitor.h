#pragma once

#include "engine/EventMonitor.h"
#include "engine/LayoutController.h"
#include "platform/linux/LogindSleepMonitor.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;
struct xcb_connection_t;

namespace plimsett {

// Feeds the layout controller the display events of an X session:
//
// - RandR screen-change, CRTC-change and output-change notifications: handle(reconfigured), one
//   call per notification (X11 announces no beginning, so displaysWillChange() is never called);
// - a change of _NET_WORKAREA on the root window: handle(screenParameters);
// - sleep and wake from logind, through a LogindSleepMonitor.
//
// The X events come through a connection of the monitor's own, so that reading replies on the
// shared connection never swallows them. Create, start and stop the monitor on the main thread;
// everything reaches the controller there, from the Qt event loop. start() and stop() are
// idempotent; destroying the monitor stops it.
class X11DisplayEventMonitor : public QObject, public EventMonitor {
    Q_OBJECT

public:
    // `displayName` names the X server (the empty name means $DISPLAY); nothing means there is
    // none, and only sleep and wake are followed.
    X11DisplayEventMonitor(std::weak_ptr<LayoutController> controller,
                           std::optional<std::string> displayName);
    ~X11DisplayEventMonitor() override;

    void start() override;
    void stop() override;

    bool isRegistered() const { return registered_; }
    // True while the monitor holds logind's sleep delay lock.
    bool holdsSleepDelay() const { return sleepMonitor_->holdsSleepDelay(); }

private:
    void startX();
    void stopX();
    void readXEvents();

    std::weak_ptr<LayoutController> controller_;
    std::optional<std::string> displayName_;
    bool registered_ = false;

    xcb_connection_t* connection_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    unsigned randrEventBase_ = 0;
    std::uint32_t workAreaAtom_ = 0;

    std::unique_ptr<LogindSleepMonitor> sleepMonitor_;
};

} // namespace plimsett
