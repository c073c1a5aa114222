#pragma once

#include "app/desktop/UpdateController.h"

#include <memory>

namespace plimsett {

// Updates through the Sparkle framework in the application bundle: its standard updater
// controller, made already started, with its own dialogs and its own stored automatic-check
// setting. The feed and the signing key are keys of the bundle's Info.plist. Apple only; main
// thread.
class SparkleUpdateController : public UpdateController {
public:
    SparkleUpdateController();
    ~SparkleUpdateController() override;
    SparkleUpdateController(const SparkleUpdateController&) = delete;
    SparkleUpdateController& operator=(const SparkleUpdateController&) = delete;

    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool on) override;

private:
    // Holds the Objective-C controller, so that this header stays plain C++.
    struct Objects;
    std::unique_ptr<Objects> objects_;
};

} // namespace plimsett
