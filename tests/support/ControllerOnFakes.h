#pragma once

#include "engine/InMemoryDefaultsDatabase.h"
#include "engine/LayoutController.h"
#include "tests/support/FakeDisplayProvider.h"
#include "tests/support/ManualScheduler.h"

#include <filesystem>
#include <memory>
#include <string>

namespace plimsett::testing {

// A real, started controller on a fake desktop of one display and a manual clock, for the tests
// of event monitors: the settle never runs, so every event a monitor delivers stays visible in
// the controller's phase and pending events.
inline std::shared_ptr<LayoutController>
startedControllerOnFakes(std::shared_ptr<WindowSystem> windowSystem, const std::string& display,
                         const Rect& frame, const std::filesystem::path& layoutFile,
                         const std::shared_ptr<ManualScheduler>& scheduler) {
    auto controller = LayoutController::make(
        std::move(windowSystem),
        std::make_shared<FakeDisplayProvider>(
            std::vector<DisplayInfo>{FakeDisplayProvider::display(display, frame)}),
        std::make_shared<LayoutStore>(layoutFile),
        std::make_shared<Preferences>(std::make_shared<InMemoryDefaultsDatabase>()), scheduler,
        scheduler->clock(), "Built-in");
    controller->start();
    return controller;
}

} // namespace plimsett::testing
