#pragma once

#include "engine/EventMonitor.h"

#include <memory>
#include <utility>

namespace plimsett {

// Sole ownership of a monitor that needs shared ownership inside (work queued for the main thread
// keeps it alive). Releasing the handle stops the monitor at once; the monitor itself goes when
// the last queued work has run.
class EventMonitorHandle : public EventMonitor {
public:
    explicit EventMonitorHandle(std::shared_ptr<EventMonitor> monitor)
        : monitor_(std::move(monitor)) {}
    ~EventMonitorHandle() override { monitor_->stop(); }

    EventMonitorHandle(const EventMonitorHandle&) = delete;
    EventMonitorHandle& operator=(const EventMonitorHandle&) = delete;

    void start() override { monitor_->start(); }
    void stop() override { monitor_->stop(); }

private:
    std::shared_ptr<EventMonitor> monitor_;
};

} // namespace plimsett
