#pragma once

#include <chrono>
#include <functional>

namespace plimsett::testing {

// Checks `condition` until it holds or `timeout` has passed; in between it runs the Qt event loop
// for a few milliseconds when there is a QCoreApplication (so that notifiers and timers fire),
// else it pauses briefly. True when the condition held.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

} // namespace plimsett::testing
