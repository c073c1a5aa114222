#include "engine/LayoutController.h"

#include "engine/RestorePlan.h"
#include "engine/Weakly.h"

#include <utility>

namespace plimsett {

std::shared_ptr<LayoutController>
LayoutController::make(std::shared_ptr<WindowSystem> windowSystem,
                       std::shared_ptr<DisplayProvider> displayProvider,
                       std::shared_ptr<LayoutStore> store, std::shared_ptr<Preferences> preferences,
                       std::shared_ptr<Scheduler> scheduler, Clock now, std::string builtInName) {
    std::shared_ptr<LayoutController> controller(new LayoutController(
        std::move(windowSystem), std::move(displayProvider), std::move(store),
        std::move(preferences), std::move(scheduler), std::move(now), std::move(builtInName)));
    controller->follower_ =
        WindowFollower::make(controller->windowSystem_, controller->store_,
                             controller->preferences_, controller->scheduler_, controller);
    controller->passes_ =
        RestoreRunner::make(controller->windowSystem_, controller->preferences_, controller->now_,
                            weakly(controller->weak_from_this(), &LayoutController::passOver));
    return controller;
}

LayoutController::LayoutController(std::shared_ptr<WindowSystem> windowSystem,
                                   std::shared_ptr<DisplayProvider> displayProvider,
                                   std::shared_ptr<LayoutStore> store,
                                   std::shared_ptr<Preferences> preferences,
                                   std::shared_ptr<Scheduler> scheduler, Clock now,
                                   std::string builtInName)
    : windowSystem_(std::move(windowSystem)), displayProvider_(std::move(displayProvider)),
      store_(std::move(store)), preferences_(std::move(preferences)),
      scheduler_(std::move(scheduler)), now_(std::move(now)), builtInName_(std::move(builtInName)),
      snapshots_(windowSystem_, store_, preferences_, now_, builtInName_),
      choice_(store_, preferences_),
      settleTimer_(settleDelay, scheduler_, displayProvider_, choice_),
      currentSet_(displayProvider_->currentDisplaySet()), onChange_([] {}) {}

void LayoutController::setOnChange(std::function<void()> onChange) {
    onChange_ = onChange ? std::move(onChange) : [] {};
}

void LayoutController::onChange() const {
    // A copy, so that the callback may replace itself.
    const std::function<void()> callback = onChange_;
    callback();
}

void LayoutController::enterPhase(Phase phase) {
    phase_ = phase;
}

// MARK: Snapshots

std::optional<SavedLayout> LayoutController::takeSnapshot(const DisplaySet& set) {
    // Across a gap in access the windows may lie where the desktop piled them for a display
    // change nobody saw: nothing is saved until the settle after access returned.
    if (gapUnsettled_) {
        return std::nullopt;
    }
    std::optional<SavedLayout> layout = snapshots_.take(set);
    follower_->forgetReports();
    return layout;
}

void LayoutController::scheduleSnapshot() {
    cancelAndRelease(snapshotTask_);
    snapshotTask_ = scheduler_->schedule(
        snapshotInterval, weakly(weak_from_this(), &LayoutController::snapshotTimerFired));
}

void LayoutController::snapshotTimerFired() {
    snapshotTask_.reset();
    if (phase_ != Phase::stable) {
        return;
    }
    if (windowsMoving()) {
        // Windows on their way would be saved half-way.
        scheduleSnapshot();
        return;
    }
    if (snapshotIfStillCurrent()) {
        scheduleSnapshot();
        onChange();
    }
}

bool LayoutController::snapshotIfStillCurrent() {
    const DisplaySet set = displayProvider_->currentDisplaySet();
    if (set.id != currentSet_.id) {
        // The displays changed without an event (or before it came): treat it as one, and save
        // nothing for either set, since the windows moved for the change.
        displaysChanged(DisplayEvent::screenParameters);
        return false;
    }
    takeSnapshot(set);
    return true;
}

std::optional<SavedLayout> LayoutController::snapshotNow() {
    if (gapUnsettled_) {
        return std::nullopt;
    }
    const DisplaySet set = displayProvider_->currentDisplaySet();
    if (set.displays.empty()) {
        return std::nullopt;
    }
    currentSet_ = set;
    std::optional<SavedLayout> layout = takeSnapshot(set);
    onChange();
    return layout;
}

std::optional<SavedLayout> LayoutController::currentLayout() const {
    return store_->layout(currentSet_.id);
}

void LayoutController::start() {
    currentSet_ = displayProvider_->currentDisplaySet();
    enterPhase(Phase::stable);
    scheduleSnapshot();
    onChange();
}

void LayoutController::stop() {
    passes_->beginNewEra();
    cancelTimers();
}

// MARK: Restore

std::optional<SavedLayout> LayoutController::layoutToRestore(const DisplaySet& set) const {
    return choice_.layoutFor(set);
}

void LayoutController::restoreNow(RestoreDone done) {
    currentSet_ = displayProvider_->currentDisplaySet();
    if (const std::optional<SavedLayout> layout = layoutToRestore(currentSet_)) {
        restore(*layout, currentSet_.displays, std::move(done));
    } else if (done) {
        done(std::nullopt);
    }
    onChange();
}

void LayoutController::restore(const SavedLayout& layout, const std::vector<DisplayInfo>& displays,
                               RestoreDone done) {
    passes_->run(&layout, displays, /*rescueStranded=*/false,
                 [done = std::move(done)](const RestoreResult& counts) {
                     if (done) {
                         done(counts);
                     }
                 });
}

void LayoutController::restoreAutomatically(const DisplaySet& set, const SavedLayout& layout) {
    // Nothing may snapshot between the two passes, and at most one second pass may wait. Settling
    // normally cancelled both already; a wake without a preceding sleep does not.
    dropSnapshotAndSecondPass();
    passes_->run(
        &layout, set.displays, /*rescueStranded=*/true, {},
        weakly(weak_from_this(), [layout, set](LayoutController& self, const RestoreResult& first) {
            self.scheduleSecondPass([layout, set, first](LayoutController& again) {
                again.runSecondPass(layout, set, first);
            });
        }));
}

void LayoutController::scheduleSecondPass(std::function<void(LayoutController&)> pass) {
    secondPassTask_ = scheduler_->schedule(
        secondPassDelay, weakly(weak_from_this(), [pass = std::move(pass)](LayoutController& self) {
            // A display change began in the meantime: its settle decides anew and re-arms the
            // snapshot.
            if (self.phase_ != Phase::stable) {
                return;
            }
            self.secondPassTask_.reset();
            pass(self);
        }));
}

void LayoutController::runSecondPass(const SavedLayout& layout, const DisplaySet& set,
                                     const RestoreResult& first) {
    if (currentSet_.id != set.id) {
        // A manual snapshot or restore adopted another display set without any event, so no
        // settle is coming. Leave that set alone, but keep the periodic snapshot going: it is
        // what notices display changes that arrive without events.
        scheduleSnapshot();
        return;
    }
    // The counts of both passes are filed however long the answers take; the snapshot is armed
    // again only if no display change came meanwhile, for then its settle does that.
    passes_->run(&layout, set.displays, /*rescueStranded=*/true,
                 weakly(weak_from_this(),
                        [first](LayoutController& self, const RestoreResult& second) {
                            RestoreResult both = second;
                            both.moved += first.moved;
                            self.passes_->record(both);
                        }),
                 weakly(weak_from_this(), [](LayoutController& self, const RestoreResult&) {
                     self.scheduleSnapshot();
                 }));
    onChange();
}

// MARK: Window events

std::optional<DisplaySet> LayoutController::stableSet() const {
    return phase_ == Phase::stable ? std::optional(currentSet_) : std::nullopt;
}

void LayoutController::snapshotWindows() {
    if (snapshotIfStillCurrent()) {
        onChange();
    }
}

void LayoutController::passOver(bool late) {
    // Whoever sent the pass announced what it did then; what came later is announced here.
    if (late) {
        onChange();
    }
    if (!isRestoring()) {
        follower_->announceOpenings();
    }
}

bool LayoutController::windowsMoving() const {
    return passes_->isMoving() || follower_->isPlacing();
}

bool LayoutController::isRestoring() const {
    return windowsMoving() || secondPassTask_ != nullptr;
}

void LayoutController::windowEvent(const WindowEvent& event) {
    // While settling, the windows move because displays went or came: that is never the layout
    // to keep. Asleep or without access, nothing is looked at.
    if (phase_ == Phase::stable && !accessMissing_) {
        follower_->windowEvent(event);
    }
}

// MARK: Display events

void LayoutController::dropSnapshotAndSecondPass() {
    cancelAndRelease(snapshotTask_);
    cancelAndRelease(secondPassTask_);
}

void LayoutController::cancelTimers() {
    dropSnapshotAndSecondPass();
    settleTimer_.cancel();
    follower_->cancel();
}

void LayoutController::beginSettling() {
    passes_->beginNewEra();
    enterPhase(Phase::settling);
    dropSnapshotAndSecondPass();
    // What the windows did just before is the desktop piling them, not the user.
    follower_->cancel();
    // The frames were fitted to displays that are changing.
    follower_->withdrawOpenings();
}

void LayoutController::scheduleSettle(bool fullDelay) {
    // After a wake or a gap in access the displays may still be coming: the full delay.
    settleTimer_.schedule(weakly(weak_from_this(), &LayoutController::settle),
                          !fullDelay && !gapUnsettled_ &&
                              pendingEvents_.count(DisplayEvent::wake) == 0);
}

void LayoutController::displaysWillChange() {
    if (phase_ != Phase::stable) {
        return;
    }
    const DisplaySet set = displayProvider_->currentDisplaySet();
    if (set.id == currentSet_.id) {
        takeSnapshot(set);
    }
    beginSettling();
}

void LayoutController::keepReportedChanges() {
    // What was reported is let go when settling begins.
    if (phase_ == Phase::stable && !gapUnsettled_ && !isRestoring() && follower_->hasReports()) {
        snapshots_.takeReported(currentSet_, follower_->reportedFrames(),
                                follower_->reportedGone());
    }
}

void LayoutController::handle(DisplayEvent event) {
    // The backend delivers what it held back before the display event, so the reports are all in.
    keepReportedChanges();
    displaysChanged(event);
}

void LayoutController::displaysChanged(DisplayEvent event) {
    pendingEvents_.insert(event);
    emptyReads_ = 0;
    if (phase_ == Phase::asleep) {
        return;
    }
    beginSettling();
    // Without access the displays cannot be read; the settle waits for accessReturned().
    if (!accessMissing_) {
        scheduleSettle();
    }
}

void LayoutController::willSleep() {
    if (phase_ == Phase::stable) {
        const DisplaySet set = displayProvider_->currentDisplaySet();
        if (set.id == currentSet_.id) {
            takeSnapshot(set);
        }
    }
    enterPhase(Phase::asleep);
    passes_->beginNewEra();
    cancelTimers();
    follower_->withdrawOpenings();
}

void LayoutController::didWake() {
    enterPhase(Phase::settling);
    pendingEvents_.insert(DisplayEvent::wake);
    if (!accessMissing_) {
        scheduleSettle();
    }
}

void LayoutController::accessLost() {
    accessMissing_ = true;
    gapUnsettled_ = true;
    // What was waiting was planned for a desktop that can no longer be seen.
    if (phase_ == Phase::stable) {
        beginSettling();
    } else {
        passes_->beginNewEra();
    }
    cancelTimers();
    onChange();
}

void LayoutController::accessReturned() {
    accessMissing_ = false;
    // The gap may have hidden a display change: settle as after a reconfiguration.
    pendingEvents_.insert(DisplayEvent::reconfigured);
    if (phase_ != Phase::asleep) {
        beginSettling();
        scheduleSettle();
    }
    onChange();
}

void LayoutController::rescueStrandedWindows() {
    // A client may still answer an earlier configure after it was moved (an un-maximise, say)
    // and put its old frame back: once something was moved, look once more a little later.
    passes_->run(nullptr, currentSet_.displays, /*rescueStranded=*/true, {},
                 weakly(weak_from_this(), [](LayoutController& self, const RestoreResult& first) {
                     if (first.moved + first.failed == 0) {
                         return;
                     }
                     self.scheduleSecondPass([](LayoutController& again) {
                         again.passes_->run(nullptr, again.currentSet_.displays,
                                            /*rescueStranded=*/true, {});
                     });
                 }));
}

void LayoutController::settle() {
    DisplaySet set = displayProvider_->currentDisplaySet();
    if (set.displays.empty() && !accessMissing_ && emptyReads_ < emptyReadsBeforeNoDisplays) {
        ++emptyReads_;
        scheduleSettle(/*fullDelay=*/true);
        return;
    }
    emptyReads_ = 0;
    const std::string previousID = std::exchange(currentSet_, std::move(set)).id;
    const std::set<DisplayEvent> events = std::exchange(pendingEvents_, {});
    enterPhase(Phase::stable);
    if (!accessMissing_) {
        gapUnsettled_ = false;
    }
    const bool restores = choice_.restoresAfter(currentSet_.id != previousID, events) &&
                          !currentSet_.displays.empty();
    if (const std::optional<SavedLayout> layout =
            restores ? layoutToRestore(currentSet_) : std::nullopt) {
        restoreAutomatically(currentSet_, *layout);
    } else {
        // Whatever the decision, a window that no display shows is brought back into view.
        if (preferences_->autoRestoreOnDisplayChange() && !currentSet_.displays.empty()) {
            rescueStrandedWindows();
        }
        scheduleSnapshot();
    }
    if (!isRestoring()) {
        follower_->announceOpenings();
    }
    onChange();
}

} // namespace plimsett
