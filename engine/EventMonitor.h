#pragma once

namespace plimsett {

// A source of display, screen-parameter and sleep/wake events for the layout controller. Each
// desktop backend has one. start() and stop() are idempotent; releasing a monitor unregisters
// whatever it registered.
class EventMonitor {
public:
    virtual ~EventMonitor() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
};

} // namespace plimsett
