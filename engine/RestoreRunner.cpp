#include "engine/RestoreRunner.h"

#include "engine/Weakly.h"
#include "engine/WindowPairing.h"

namespace plimsett {

std::shared_ptr<RestoreRunner> RestoreRunner::make(std::shared_ptr<WindowSystem> windowSystem,
                                                   std::shared_ptr<Preferences> preferences,
                                                   Clock now, Over over) {
    return std::shared_ptr<RestoreRunner>(new RestoreRunner(
        std::move(windowSystem), std::move(preferences), std::move(now), std::move(over)));
}

RestoreRunner::RestoreRunner(std::shared_ptr<WindowSystem> windowSystem,
                             std::shared_ptr<Preferences> preferences, Clock now, Over over)
    : windowSystem_(std::move(windowSystem)), preferences_(std::move(preferences)),
      now_(std::move(now)), over_(std::move(over)) {}

void RestoreRunner::run(const SavedLayout* layout, const std::vector<DisplayInfo>& displays,
                        bool rescueStranded, RestorePass::Counts answered,
                        RestorePass::Counts followUp) {
    if (!windowSystem_->isTrusted()) {
        // Nothing to look at or move, and nothing to record; what waits for the pass goes on.
        RestorePass(RestorePlan{}, eras_.current(), std::move(answered), std::move(followUp))
            .finish(RestoreResult{}, eras_);
        return;
    }
    const WindowPairing windows(windowSystem_->windows(),
                                layout ? layout->windows : std::vector<SavedWindow>{},
                                preferences_->excludedBundleIDs());
    const RestorePass pass(RestorePlan(windows, displays, rescueStranded), eras_.current(),
                           std::move(answered), std::move(followUp));
    if (!pass.hasMoves()) {
        if (layout) {
            record(pass.plan().counts());
        }
        pass.finish(pass.plan().counts(), eras_);
        over_(/*late=*/false);
        return;
    }
    ++passesInFlight_;
    pass.send(*windowSystem_, weakly(weak_from_this(), &RestoreRunner::answered));
}

void RestoreRunner::record(const RestoreResult& counts) {
    lastRestore_ = LastRestore{now_(), counts};
}

void RestoreRunner::answered(const RestorePass& pass, const RestoreResult& counts, bool late) {
    --passesInFlight_;
    record(counts);
    pass.finish(counts, eras_);
    over_(late);
}

} // namespace plimsett
