#include "app/desktop/DirectUpdater.h"

#include "app/windows/NoUpdaterNote.h"

#ifdef PLIMSETT_HAVE_SPARKLE
#include "app/desktop/SparkleUpdateController.h"
#endif

namespace plimsett {

DirectUpdater::DirectUpdater(ControllerFactory makeController,
                             std::function<void()> checkWithoutController)
    : makeController_(std::move(makeController)),
      checkWithoutController_(std::move(checkWithoutController)) {}

std::shared_ptr<DirectUpdater> DirectUpdater::forThisBuild() {
#ifdef PLIMSETT_HAVE_SPARKLE
    return std::make_shared<DirectUpdater>(
        [] { return std::make_unique<SparkleUpdateController>(); });
#else
    auto note = std::make_shared<NoUpdaterNote>();
    return std::make_shared<DirectUpdater>(nullptr, [note] { note->show(); });
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
    } else if (checkWithoutController_) {
        checkWithoutController_();
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
