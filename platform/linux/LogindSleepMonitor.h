#pragma once

#include "engine/LayoutController.h"

#include <QObject>
#include <QString>

#include <memory>

namespace plimsett {

// Follows logind's PrepareForSleep(true / false) on the system bus ($DBUS_SYSTEM_BUS_ADDRESS when
// set) and calls willSleep() / didWake() on the controller. Only the signal sent by the owner of
// org.freedesktop.login1 counts. While running it holds a "delay" sleep inhibitor so that
// willSleep() can save the layout before the system sleeps, and lets go of it right after.
//
// Every Linux desktop backend's event monitor owns one. Create, start and stop it on the main
// thread; start() and stop() are idempotent, and destroying it stops it.
class LogindSleepMonitor : public QObject {
    Q_OBJECT

public:
    explicit LogindSleepMonitor(std::weak_ptr<LayoutController> controller);
    ~LogindSleepMonitor() override;

    void start();
    void stop();

    // True while the monitor holds logind's sleep delay lock.
    bool holdsSleepDelay() const { return sleepDelayFd_ >= 0; }

private slots:
    void prepareForSleep(bool start);

private:
    void takeSleepDelay();
    void releaseSleepDelay();

    std::weak_ptr<LayoutController> controller_;
    bool running_ = false;
    QString busName_;
    int sleepDelayFd_ = -1;
};

} // namespace plimsett
