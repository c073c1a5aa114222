#pragma once

#include "engine/EventMonitor.h"
#include "engine/LayoutController.h"
#include "platform/linux/LogindSleepMonitor.h"
#include "platform/linux/WindowEventThrottle.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QSocketNotifier;
struct xcb_connection_t;

namespace plimsett {

// Feeds the layout controller the display events of an X session:
//
// - RandR screen-change, CRTC-change and output-change notifications: handle(reconfigured), one
//   call per notification (X11 announces no beginning, so displaysWillChange() is never called);
// - a change of _NET_WORKAREA on the root window: handle(screenParameters);
// - the windows' own changes, throttled per window: a client that enters _NET_CLIENT_LIST
//   (appeared), leaves it (gone), changes its _NET_WM_STATE or _NET_WM_DESKTOP, or whose frame
//   (a child of the root) is moved, resized, mapped or unmapped (changed, with the frame the
//   server reported): windowEvent(). Override-redirect windows (menus, tooltips) are not
//   followed, and a frame destroyed or unmapped is forgotten, so what the monitor keeps grows
//   only with the clients; the changes held back by the throttle are delivered before a display
//   event;
// - sleep and wake from logind, through a LogindSleepMonitor.
//
// The X events come through a connection of the monitor's own, so that reading replies on the
// shared connection never swallows them. On that one connection the server's RandR notification
// of an output that went always comes before the window manager's moves of the windows it piles
// for it, so the controller is settling before it hears of them. Create, start and stop the monitor
// on the main thread; everything reaches the controller there, from the Qt event loop. start() and
// stop() are idempotent; destroying the monitor stops it.
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
    // Reads _NET_CLIENT_LIST and, with `report`, reports the clients that came and went since the
    // last read.
    void readClientList(bool report);
    // Finds the child of the root that holds each client: its window manager's frame, or the
    // client itself without one.
    void findTopLevels(const std::vector<std::uint32_t>& clients);
    void forgetTopLevel(std::uint32_t window);
    // A change of a child of the root, with the frame the server reported for it.
    void reportTopLevel(std::uint32_t window, std::optional<Rect> frame);
    void deliver(const WindowEvent& event);

    std::weak_ptr<LayoutController> controller_;
    std::optional<std::string> displayName_;
    bool registered_ = false;

    xcb_connection_t* connection_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    unsigned randrEventBase_ = 0;
    std::uint32_t workAreaAtom_ = 0;
    std::uint32_t clientListAtom_ = 0;
    std::uint32_t stateAtom_ = 0;
    std::uint32_t desktopAtom_ = 0;
    std::uint32_t root_ = 0;
    // _NET_CLIENT_LIST as last read, sorted.
    std::vector<std::uint32_t> clients_;
    std::unordered_map<std::uint32_t, std::uint32_t> clientOfTopLevel_;
    std::unordered_map<std::uint32_t, std::uint32_t> topLevelOfClient_;
    WindowEventThrottle throttle_;

    std::unique_ptr<LogindSleepMonitor> sleepMonitor_;
};

} // namespace plimsett
