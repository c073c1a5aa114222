#include "app/desktop/SparkleUpdateController.h"

#import <Foundation/Foundation.h>
#import <Sparkle/Sparkle.h>

namespace plimsett {

struct SparkleUpdateController::Objects {
    SPUStandardUpdaterController* controller = nil;
};

SparkleUpdateController::SparkleUpdateController() : objects_(std::make_unique<Objects>()) {
    // Started at once: Sparkle schedules its automatic checks from here on.
    objects_->controller = [[SPUStandardUpdaterController alloc] initWithStartingUpdater:YES
                                                                         updaterDelegate:nil
                                                                      userDriverDelegate:nil];
}

SparkleUpdateController::~SparkleUpdateController() = default;

void SparkleUpdateController::checkForUpdates() {
    [objects_->controller checkForUpdates:nil];
}

bool SparkleUpdateController::automaticallyChecksForUpdates() const {
    return objects_->controller.updater.automaticallyChecksForUpdates;
}

void SparkleUpdateController::setAutomaticallyChecksForUpdates(bool on) {
    objects_->controller.updater.automaticallyChecksForUpdates = on ? YES : NO;
}

} // namespace plimsett
