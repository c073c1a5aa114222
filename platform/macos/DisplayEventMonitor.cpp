#include "platform/macos/DisplayEventMonitor.h"

namespace plimsett {

std::shared_ptr<DisplayEventMonitor>
DisplayEventMonitor::make(std::weak_ptr<LayoutController> controller,
                          std::shared_ptr<DisplayEventApi> api) {
    return std::shared_ptr<DisplayEventMonitor>(
        new DisplayEventMonitor(std::move(controller), std::move(api)));
}

DisplayEventMonitor::DisplayEventMonitor(std::weak_ptr<LayoutController> controller,
                                         std::shared_ptr<DisplayEventApi> api)
    : controller_(std::move(controller)), api_(std::move(api)) {}

DisplayEventMonitor::~DisplayEventMonitor() {
    stop();
}

void DisplayEventMonitor::start() {
    if (registered_) {
        return;
    }
    registered_ = true;
    api_->registerReconfigurationCallback(this);
    using Center = DisplayEventApi::Center;
    using Notification = DisplayEventApi::Notification;
    observe(Center::application, Notification::screenParametersChanged,
            [](LayoutController& c) { c.handle(DisplayEvent::screenParameters); });
    observe(Center::workspace, Notification::willSleep, [](LayoutController& c) { c.willSleep(); });
    observe(Center::workspace, Notification::didWake, [](LayoutController& c) { c.didWake(); });
}

void DisplayEventMonitor::observe(DisplayEventApi::Center center,
                                  DisplayEventApi::Notification name,
                                  void (*deliver)(LayoutController&)) {
    std::weak_ptr<DisplayEventMonitor> weakSelf = weak_from_this();
    CFRef token = api_->addObserver(center, name, [weakSelf, deliver] {
        const std::shared_ptr<DisplayEventMonitor> self = weakSelf.lock();
        if (!self) {
            return;
        }
        if (const std::shared_ptr<LayoutController> controller = self->controller_.lock()) {
            deliver(*controller);
        }
    });
    observers_.emplace_back(center, std::move(token));
}

void DisplayEventMonitor::stop() {
    if (!registered_) {
        return;
    }
    registered_ = false;
    api_->removeReconfigurationCallback(this);
    for (const auto& [center, token] : observers_) {
        api_->removeObserver(center, token);
    }
    observers_.clear();
}

void DisplayEventMonitor::reconfigurationCallback(std::uint32_t /*display*/, std::uint32_t flags,
                                                  void* userInfo) {
    if (userInfo == nullptr) {
        return;
    }
    auto* monitor = static_cast<DisplayEventMonitor*>(userInfo);
    if (monitor->api_->isMainThread()) {
        monitor->handleReport(flags);
        return;
    }
    // Nothing else is touched off the main thread. The pending work keeps the monitor alive.
    std::shared_ptr<DisplayEventMonitor> strong = monitor->weak_from_this().lock();
    if (!strong) {
        return;
    }
    const std::shared_ptr<DisplayEventApi> api = strong->api_;
    api->dispatchToMain([strong = std::move(strong), flags] { strong->handleReport(flags); });
}

void DisplayEventMonitor::handleReport(std::uint32_t flags) {
    const std::shared_ptr<LayoutController> controller = controller_.lock();
    if ((flags & beginConfigurationFlag) != 0) {
        // The system announces a reconfiguration once per display; the first one counts.
        if (inBatch_) {
            return;
        }
        inBatch_ = true;
        if (controller) {
            controller->displaysWillChange();
        }
        return;
    }
    inBatch_ = false;
    if (controller) {
        controller->handle(DisplayEvent::reconfigured);
    }
}

} // namespace plimsett
