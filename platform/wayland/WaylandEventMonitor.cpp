#include "platform/wayland/WaylandEventMonitor.h"

namespace plimsett {

WaylandEventMonitor::WaylandEventMonitor(std::weak_ptr<LayoutController> controller,
                                         std::shared_ptr<HelperChannel> channel)
    : controller_(controller), channel_(std::move(channel)),
      throttle_([this](const WindowEvent& event) {
          if (const auto c = controller_.lock(); c && registered_) {
              c->windowEvent(event);
          }
      }),
      sleepMonitor_(std::make_unique<LogindSleepMonitor>(std::move(controller))) {}

WaylandEventMonitor::~WaylandEventMonitor() {
    stop();
}

void WaylandEventMonitor::start() {
    if (registered_) {
        return;
    }
    registered_ = true;
    if (channel_) {
        monitors_ = connect(channel_.get(), &HelperChannel::monitorsChanged, this,
                            [this] { deliver(DisplayEvent::reconfigured); });
        workAreas_ = connect(channel_.get(), &HelperChannel::workAreasChanged, this,
                             [this] { deliver(DisplayEvent::screenParameters); });
        windows_ =
            connect(channel_.get(), &HelperChannel::windowChanged, this,
                    [this](int kind, const QString& id, const QRectF& frame) {
                        std::optional<Rect> reported;
                        if (frame.isValid()) {
                            reported = Rect{frame.x(), frame.y(), frame.width(), frame.height()};
                        }
                        throttle_.report(
                            {static_cast<WindowEvent::Kind>(kind), id.toStdString(), reported});
                    });
        lost_ = connect(channel_.get(), &HelperChannel::accessLost, this, [this] {
            throttle_.clear();
            if (const auto c = controller_.lock(); c && registered_) {
                c->accessLost();
            }
        });
        returned_ = connect(channel_.get(), &HelperChannel::accessReturned, this, [this] {
            if (const auto c = controller_.lock(); c && registered_) {
                c->accessReturned();
            }
        });
        // Started without the helper: whatever happens until it comes is not seen.
        if (!channel_->isAnswering()) {
            if (const auto c = controller_.lock()) {
                c->accessLost();
            }
        }
    }
    sleepMonitor_->start();
}

void WaylandEventMonitor::stop() {
    if (!registered_) {
        return;
    }
    registered_ = false;
    disconnect(monitors_);
    disconnect(workAreas_);
    disconnect(windows_);
    disconnect(lost_);
    disconnect(returned_);
    throttle_.clear();
    sleepMonitor_->stop();
}

void WaylandEventMonitor::deliver(DisplayEvent event) {
    if (!registered_) {
        return;
    }
    // The helper sends its window and monitor signals in the order it saw them, on one
    // connection, and Qt delivers them in that order; what this side still holds back goes first.
    throttle_.flush();
    if (const auto controller = controller_.lock()) {
        controller->handle(event);
    }
}

} // namespace plimsett
