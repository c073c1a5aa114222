#include "app/desktop/DirectUpdater.h"

#ifdef PLIMSETT_HAVE_SPARKLE
#include "app/desktop/SparkleUpdateController.h"
#endif

namespace plimsett {

DirectUpdater::DirectUpdater(ControllerFactory makeController)
    : makeController_(std::move(makeController)) {}

std::shared_ptr<DirectUpdater> DirectUpdater::forThisBuild() {
#ifdef PLIMSETT_HAVE_SPARKLE
    return std::make_shared<DirectUpdater>(
        [] { return std::make_unique<SparkleUpdateController>(); });
#else
    return std::make_shared<DirectUpdater>(nullptr);
#endif
}

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
