#pragma once

namespace plimsett {

// The update mechanism behind DirectUpdater: one is made the first time it is needed, already
// started, and kept for the rest of the run.
class UpdateController {
public:
    virtual ~UpdateController() = default;
    // A check the user asked for; whatever it shows is the mechanism's own.
    virtual void checkForUpdates() = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
};

} // namespace plimsett
