#pragma once

#include "engine/EventMonitor.h"
#include "engine/LayoutController.h"
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/linux/LogindSleepMonitor.h"

#include <QMetaObject>
#include <QObject>

#include <memory>

namespace plimsett {

// Feeds the layout controller the display events of a Plasma Wayland session:
//
// - the script's report that the outputs changed: handle(reconfigured) (KWin announces no
//   beginning, so displaysWillChange() is never called);
// - its report that a work area changed: handle(screenParameters);
// - sleep and wake from logind, through a LogindSleepMonitor.
//
// Create, start and stop it on the main thread; start() and stop() are idempotent, and
// destroying the monitor stops it.
class KWinDisplayEventMonitor : public QObject, public EventMonitor {
    Q_OBJECT

public:
    KWinDisplayEventMonitor(std::weak_ptr<LayoutController> controller,
                            std::shared_ptr<KWinScriptChannel> channel);
    ~KWinDisplayEventMonitor() override;

    void start() override;
    void stop() override;

    bool isRegistered() const { return registered_; }
    bool holdsSleepDelay() const { return sleepMonitor_->holdsSleepDelay(); }

private:
    void deliver(DisplayEvent event);

    std::weak_ptr<LayoutController> controller_;
    std::shared_ptr<KWinScriptChannel> channel_;
    bool registered_ = false;
    QMetaObject::Connection outputs_;
    QMetaObject::Connection workArea_;
    std::unique_ptr<LogindSleepMonitor> sleepMonitor_;
};

} // namespace plimsett
