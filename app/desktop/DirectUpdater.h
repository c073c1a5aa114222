#pragma once

#include "app/desktop/UpdateController.h"

#include <functional>
#include <memory>

namespace plimsett {

// The application's one updater. It makes its update controller on the first start() or
// checkForUpdates() and never replaces it.
class DirectUpdater {
public:
    using ControllerFactory = std::function<std::unique_ptr<UpdateController>()>;

    // `makeController` is empty in a build without an update framework: there is never a
    // controller then, and the menu and the settings offer no check.
    explicit DirectUpdater(ControllerFactory makeController);

    // This build's updater: Sparkle when the build has it; otherwise none.
    static std::shared_ptr<DirectUpdater> forThisBuild();

    // Makes the controller when there is none yet; otherwise does nothing.
    void start();
    // Makes the controller if needed, then runs a user-initiated check; nothing without one.
    void checkForUpdates();
    // True while there is no controller.
    bool automaticallyChecksForUpdates() const;
    // Does nothing while there is no controller.
    void setAutomaticallyChecksForUpdates(bool on);

    bool hasController() const { return controller_ != nullptr; }
    // False in a build without an update framework: nothing will ever check by itself.
    bool hasFramework() const { return static_cast<bool>(makeController_); }

private:
    ControllerFactory makeController_;
    std::unique_ptr<UpdateController> controller_;
};

} // namespace plimsett
