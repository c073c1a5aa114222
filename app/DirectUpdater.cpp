#include "app/DirectUpdater.h"

namespace plimsett {

DirectUpdater::DirectUpdater(ControllerFactory makeController)
    : makeController_(std::move(makeController)) {}

void DirectUpdater::start() {
    if (!controller_ && makeController_) {
        controller_ = makeController_();
    }
}

void DirectUpdater::checkForUpdates() {
    start();
    if (controller_) {
        controller_->checkForUpdates();
    }
}

bool DirectUpdater::automaticallyChecksForUpdates() const {
    return controller_ ? controller_->automaticallyChecksForUpdates() : true;
}

void DirectUpdater::setAutomaticallyChecksForUpdates(bool on) {
    if (controller_) {
        controller_->setAutomaticallyChecksForUpdates(on);
    }
}

} // namespace plimsett
