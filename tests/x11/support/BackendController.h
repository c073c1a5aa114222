#pragma once

#include "app/desktop/MainQueueScheduler.h"
#include "engine/InMemoryDefaultsDatabase.h"
#include "engine/LayoutController.h"
#include "platform/PlatformBackend.h"
#include "tests/x11/support/Polling.h"
#include "tests/support/TemporaryDirectory.h"

#include <chrono>
#include <memory>

namespace plimsett::testing {

// A real controller over a desktop backend, on the Qt event loop and the system clock, with its
// event monitor, started; its layout file lives as long as it does.
struct BackendController {
    explicit BackendController(const PlatformBackend& backend)
        : controller(LayoutController::make(
              backend.windowSystem, backend.displayProvider,
              std::make_shared<LayoutStore>(files / "layouts.json"),
              std::make_shared<Preferences>(std::make_shared<InMemoryDefaultsDatabase>()),
              std::make_shared<MainQueueScheduler>(),
              [] { return std::chrono::system_clock::now(); }, "Built-in")),
          monitor(backend.makeEventMonitor(controller)) {
        controller->setQuietDelay(backend.settleQuietDelay);
        controller->start();
        monitor->start();
    }

    // Waits (20 s at most) until the controller is stable on `count` displays.
    bool settledOn(std::size_t count) const {
        return waitUntil(
            [&] {
                return controller->phase() == LayoutController::Phase::stable &&
                       controller->currentSet().displays.size() == count;
            },
            std::chrono::seconds(20));
    }
    // Waits (20 s at most) until it is stable on the set `id` and has restored.
    bool restoredOn(const std::string& id) const {
        return waitUntil(
            [&] {
                return controller->phase() == LayoutController::Phase::stable &&
                       controller->currentSet().id == id && controller->lastRestore();
            },
            std::chrono::seconds(20));
    }

    TemporaryDirectory files;
    std::shared_ptr<LayoutController> controller;
    std::unique_ptr<EventMonitor> monitor;
};

} // namespace plimsett::testing
