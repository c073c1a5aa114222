#include "platform/kwin/KWinDisplayEventMonitor.h"

namespace plimsett {

KWinDisplayEventMonitor::KWinDisplayEventMonitor(std::weak_ptr<LayoutController> controller,
                                                 std::shared_ptr<KWinScriptChannel> channel)
    : controller_(controller), channel_(std::move(channel)),
      sleepMonitor_(std::make_unique<LogindSleepMonitor>(std::move(controller))) {}

KWinDisplayEventMonitor::~KWinDisplayEventMonitor() {
    stop();
}

void KWinDisplayEventMonitor::start() {
    if (registered_) {
        return;
    }
    registered_ = true;
    if (channel_) {
        outputs_ = connect(channel_.get(), &KWinScriptChannel::outputsChanged, this,
                           [this] { deliver(DisplayEvent::reconfigured); });
        workArea_ = connect(channel_.get(), &KWinScriptChannel::workAreaChanged, this,
                            [this] { deliver(DisplayEvent::screenParameters); });
    }
    sleepMonitor_->start();
}

void KWinDisplayEventMonitor::stop() {
    if (!registered_) {
        return;
    }
    registered_ = false;
    disconnect(outputs_);
    disconnect(workArea_);
    sleepMonitor_->stop();
}

void KWinDisplayEventMonitor::deliver(DisplayEvent event) {
    if (!registered_) {
        return;
    }
    if (const auto controller = controller_.lock()) {
        controller->handle(event);
    }
}

} // namespace plimsett
