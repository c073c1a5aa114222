#pragma once

#include "app/UpdateController.h"

#include <functional>
#include <memory>

namespace plimsett {

// The application's one updater. It makes its update controller on the first start() or
// checkForUpdates() and never replaces it.
class DirectUpdater {
public:
    using ControllerFactory = std::function<std::unique_ptr<UpdateController>()>;

    explicit DirectUpdater(ControllerFactory makeController);

    // Makes the controller when there is none yet; otherwise does nothing.
    void start();
    // Makes the controller if needed, then runs a user-initiated check.
    void checkForUpdates();
    // True while there is no controller.
    bool automaticallyChecksForUpdates() const;
    // Does nothing while there is no controller.
    void setAutomaticallyChecksForUpdates(bool on);

    bool hasController() const { return controller_ != nullptr; }

private:
    ControllerFactory makeController_;
    std::unique_ptr<UpdateController> controller_;
};

} // namespace plimsett
