#include "engine/LayoutController.h"

#include "engine/RearrangedLayout.h"
#include "engine/WindowMatcher.h"

#include <algorithm>

#include <functional>

namespace plimsett {
namespace {

// `windows` without those of the applications the user excluded.
template <typename Window>
std::vector<Window> included(std::vector<Window> windows, const std::set<std::string>& excluded) {
    std::erase_if(windows, [&](const Window& w) { return excluded.contains(w.bundleID); });
    return windows;
}

// `action` (a member function, or a function given the controller first) as a closure that holds
// the controller weakly and does nothing once it is gone.
template <typename Action> auto weakly(std::weak_ptr<LayoutController> controller, Action action) {
    return [controller = std::move(controller), action = std::move(action)](const auto&... args) {
        if (const auto self = controller.lock()) {
            std::invoke(action, *self, args...);
        }
    };
}

} // namespace

std::shared_ptr<LayoutController>
LayoutController::make(std::shared_ptr<WindowSystem> windowSystem,
                       std::shared_ptr<DisplayProvider> displayProvider,
                       std::shared_ptr<LayoutStore> store, std::shared_ptr<Preferences> preferences,
                       std::shared_ptr<Scheduler> scheduler, Clock now, std::string builtInName) {
    return std::shared_ptr<LayoutController>(new LayoutController(
        std::move(windowSystem), std::move(displayProvider), std::move(store),
        std::move(preferences), std::move(scheduler), std::move(now), std::move(builtInName)));
}

LayoutController::LayoutController(std::shared_ptr<WindowSystem> windowSystem,
                                   std::shared_ptr<DisplayProvider> displayProvider,
                                   std::shared_ptr<LayoutStore> store,
                                   std::shared_ptr<Preferences> preferences,
                                   std::shared_ptr<Scheduler> scheduler, Clock now,
                                   std::string builtInName)
    : windowSystem_(std::move(windowSystem)), displayProvider_(std::move(displayProvider)),
      store_(std::move(store)), preferences_(std::move(preferences)),
      scheduler_(std::move(scheduler)), now_(std::move(now)),
      settleDebouncer_(Debouncer::make(settleDelay, scheduler_)),
      followDebouncer_(Debouncer::make(followDelay, scheduler_)),
      currentSet_(displayProvider_->currentDisplaySet()), onChange_([] {}),
      builtInName_(std::move(builtInName)) {}

void LayoutController::setOnChange(std::function<void()> onChange) {
    onChange_ = onChange ? std::move(onChange) : [] {};
}

void LayoutController::onChange() const {
    // A copy, so that the callback may replace itself.
    const std::function<void()> callback = onChange_;
    callback();
}

// MARK: Snapshots

std::optional<SavedLayout> LayoutController::takeSnapshot(const DisplaySet& set) {
    // Across a gap in access the windows may lie where the desktop piled them for a display
    // change nobody saw: nothing is saved until the settle after access returned.
    if (gapUnsettled_ || !windowSystem_->isTrusted() || set.displays.empty()) {
        return std::nullopt;
    }
    std::vector<SavedWindow> windows;
    for (const LiveWindow& window :
         included(windowSystem_->windows(), preferences_->excludedBundleIDs())) {
        windows.push_back(window.savedWindow());
    }
    // An empty snapshot never replaces a saved layout.
    if (windows.empty()) {
        return std::nullopt;
    }
    const Date taken = now_();
    SavedLayout layout{set.id, set.name(builtInName_), set.displays, taken, std::move(windows)};
    lastSnapshotAt_ = taken;
    return store_->save(std::move(layout), /*merge=*/true);
}

void LayoutController::scheduleSnapshot() {
    if (snapshotTask_) {
        snapshotTask_->cancel();
    }
    snapshotTask_ = scheduler_->schedule(
        snapshotInterval, weakly(weak_from_this(), &LayoutController::snapshotTimerFired));
}

void LayoutController::snapshotTimerFired() {
    snapshotTask_.reset();
    if (phase_ != Phase::stable) {
        return;
    }
    if (passesInFlight_ > 0) {
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
        handle(DisplayEvent::screenParameters);
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
    phase_ = Phase::stable;
    scheduleSnapshot();
    onChange();
}

void LayoutController::stop() {
    eras_.beginNew();
    cancelTimers();
}

// MARK: Restore

std::optional<Rect> LayoutController::fittedFrame(const Rect& frame,
                                                  const std::vector<Rect>& screens) {
    return RestorePlan::fittedFrame(frame, screens);
}

std::optional<SavedLayout> LayoutController::layoutToRestore(const DisplaySet& set) const {
    if (std::optional<SavedLayout> own = store_->layout(set.id)) {
        return own;
    }
    if (!preferences_->restoreOtherArrangements()) {
        return std::nullopt;
    }
    return RearrangedLayout::find(*store_, set);
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
    runPass(&layout, displays, /*rescueStranded=*/false,
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
    runPass(
        &layout, set.displays, /*rescueStranded=*/true, {},
        weakly(weak_from_this(), [layout, set](LayoutController& self, const RestoreResult& first) {
            self.scheduleSecondPass(layout, set, first);
        }));
}

void LayoutController::scheduleSecondPass(const SavedLayout& layout, const DisplaySet& set,
                                          const RestoreResult& first) {
    secondPassTask_ = scheduler_->schedule(
        secondPassDelay, weakly(weak_from_this(), [layout, set, first](LayoutController& self) {
            self.runSecondPass(layout, set, first);
        }));
}

void LayoutController::runSecondPass(const SavedLayout& layout, const DisplaySet& set,
                                     const RestoreResult& first) {
    // A display change began in the meantime: its settle decides anew and re-arms the snapshot.
    if (phase_ != Phase::stable) {
        return;
    }
    secondPassTask_.reset();
    if (currentSet_.id != set.id) {
        // A manual snapshot or restore adopted another display set without any event, so no
        // settle is coming. Leave that set alone, but keep the periodic snapshot going: it is
        // what notices display changes that arrive without events.
        scheduleSnapshot();
        return;
    }
    // The counts of both passes are filed however long the answers take; the snapshot is armed
    // again only if no display change came meanwhile, for then its settle does that.
    runPass(&layout, set.displays, /*rescueStranded=*/true,
            weakly(weak_from_this(),
                   [first](LayoutController& self, const RestoreResult& second) {
                       RestoreResult both = second;
                       both.moved += first.moved;
                       self.lastRestore_ = LastRestore{self.now_(), both};
                   }),
            weakly(weak_from_this(),
                   [](LayoutController& self, const RestoreResult&) { self.scheduleSnapshot(); }));
    onChange();
}

RestorePlan LayoutController::planPass(const SavedLayout* layout,
                                       const std::vector<DisplayInfo>& displays,
                                       bool rescueStranded) const {
    const std::set<std::string> excluded = preferences_->excludedBundleIDs();
    return RestorePlan(included(windowSystem_->windows(), excluded),
                       layout ? included(layout->windows, excluded) : std::vector<SavedWindow>{},
                       displays, rescueStranded);
}

void LayoutController::runPass(const SavedLayout* layout, const std::vector<DisplayInfo>& displays,
                               bool rescueStranded, RestorePass::Counts answered,
                               RestorePass::Counts followUp) {
    if (!windowSystem_->isTrusted()) {
        // Nothing to look at or move, and nothing to record; what waits for the pass goes on.
        RestorePass(RestorePlan{}, eras_.current(), std::move(answered), std::move(followUp))
            .finish(RestoreResult{}, eras_);
        return;
    }
    const RestorePass pass(planPass(layout, displays, rescueStranded), eras_.current(),
                           std::move(answered), std::move(followUp));
    if (!pass.hasMoves()) {
        if (layout) {
            lastRestore_ = LastRestore{now_(), pass.plan().counts()};
        }
        pass.finish(pass.plan().counts(), eras_);
        if (!isRestoring()) {
            announceOpenings();
        }
        return;
    }
    ++passesInFlight_;
    pass.send(*windowSystem_, weakly(weak_from_this(), &LayoutController::passAnswered));
}

void LayoutController::passAnswered(const RestorePass& pass, const RestoreResult& counts,
                                    bool late) {
    --passesInFlight_;
    lastRestore_ = LastRestore{now_(), counts};
    pass.finish(counts, eras_);
    // Whoever sent the pass announced what it did then; what came later is announced here.
    if (late) {
        onChange();
    }
    if (!isRestoring()) {
        announceOpenings();
    }
}

// MARK: Window events

bool LayoutController::isRestoring() const {
    return passesInFlight_ > 0 || secondPassTask_ != nullptr;
}

void LayoutController::windowEvent(const WindowEvent& event) {
    // While settling, the windows move because displays went or came: that is never the layout
    // to keep. Asleep or without access, nothing is looked at.
    if (phase_ != Phase::stable || accessMissing_) {
        return;
    }
    if (event.kind == WindowEvent::Kind::appeared && preferences_->placeOpeningWindows()) {
        placeOpenedWindow(event.windowKey);
    }
    // A window that went may open again at once: its place is told before the layout follows.
    if (event.kind == WindowEvent::Kind::gone && !isRestoring()) {
        announceOpenings();
    }
    followDebouncer_->schedule(weakly(weak_from_this(), &LayoutController::followWindows));
}

void LayoutController::followWindows() {
    // A restore pass moves the windows back, and its follow-up saves them.
    if (phase_ != Phase::stable || isRestoring()) {
        return;
    }
    if (snapshotIfStillCurrent()) {
        onChange();
    }
    announceOpenings();
}

void LayoutController::announceOpenings() {
    if (!windowSystem_->placesOpenings()) {
        return;
    }
    std::vector<Opening> openings;
    const std::optional<SavedLayout> layout =
        phase_ == Phase::stable && preferences_->placeOpeningWindows() &&
                !currentSet_.displays.empty()
            ? store_->layout(currentSet_.id)
            : std::nullopt;
    if (layout && windowSystem_->isTrusted()) {
        const std::set<std::string> excluded = preferences_->excludedBundleIDs();
        const std::vector<LiveWindow> live = included(windowSystem_->windows(), excluded);
        std::vector<SavedWindow> unheld = included(layout->windows, excluded);
        for (const auto& pair : WindowMatcher::match(live, unheld)) {
            if (const auto held = std::find(unheld.begin(), unheld.end(), pair.saved);
                held != unheld.end()) {
                unheld.erase(held);
            }
        }
        std::vector<Rect> screens;
        for (const DisplayInfo& display : currentSet_.displays) {
            screens.push_back(display.visibleFrame);
        }
        for (const SavedWindow& w : unheld) {
            const std::optional<Rect> frame = RestorePlan::fittedFrame(w.frame, screens);
            if (frame && !w.isMinimized && !w.isFullScreen) {
                openings.push_back(Opening{w.bundleID, w.title, *frame,
                                           w.isMaximizedHorizontally, w.isMaximizedVertically});
            }
        }
    }
    if (openings.empty() && !openingsAnnounced_) {
        return;
    }
    openingsAnnounced_ = !openings.empty();
    windowSystem_->expectOpenings(openings);
}

void LayoutController::withdrawOpenings() {
    if (openingsAnnounced_) {
        openingsAnnounced_ = false;
        windowSystem_->expectOpenings({});
    }
}

void LayoutController::placeOpenedWindow(const std::string& key) {
    const std::optional<SavedLayout> layout = store_->layout(currentSet_.id);
    if (key.empty() || !layout || !windowSystem_->isTrusted()) {
        return;
    }
    const std::set<std::string> excluded = preferences_->excludedBundleIDs();
    const std::vector<LiveWindow> live = included(windowSystem_->windows(), excluded);
    const auto opened = std::find_if(live.begin(), live.end(), [&](const LiveWindow& w) {
        return w.handle && w.handle->key() == key;
    });
    if (opened == live.end()) {
        return;
    }
    // Paired among all open windows, the new one gets a saved window that no other one holds.
    const std::vector<SavedWindow> saved = included(layout->windows, excluded);
    for (const auto& pair : WindowMatcher::match(live, saved)) {
        if (pair.live.handle == opened->handle) {
            const RestorePlan plan({pair.live}, {pair.saved}, currentSet_.displays, false);
            if (plan.moves().empty()) {
                return;
            }
            ++passesInFlight_;
            windowSystem_->moveAllAsync(
                plan.moves(),
                weakly(weak_from_this(), [](LayoutController& self, const std::vector<bool>&) {
                    --self.passesInFlight_;
                }));
            return;
        }
    }
}

// MARK: Display events

void LayoutController::dropSnapshotAndSecondPass() {
    if (snapshotTask_) {
        snapshotTask_->cancel();
        snapshotTask_.reset();
    }
    if (secondPassTask_) {
        secondPassTask_->cancel();
        secondPassTask_.reset();
    }
}

void LayoutController::cancelTimers() {
    dropSnapshotAndSecondPass();
    settleDebouncer_->cancel();
    followDebouncer_->cancel();
}

void LayoutController::beginSettling() {
    eras_.beginNew();
    phase_ = Phase::settling;
    dropSnapshotAndSecondPass();
    // What the windows did just before is the desktop piling them, not the user.
    followDebouncer_->cancel();
    // The frames were fitted to displays that are changing.
    withdrawOpenings();
}

void LayoutController::scheduleSettle() {
    settleDebouncer_->schedule(weakly(weak_from_this(), &LayoutController::settle));
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

void LayoutController::handle(DisplayEvent event) {
    pendingEvents_.insert(event);
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
    phase_ = Phase::asleep;
    eras_.beginNew();
    cancelTimers();
    withdrawOpenings();
}

void LayoutController::didWake() {
    phase_ = Phase::settling;
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
        eras_.beginNew();
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

bool LayoutController::shouldRestore(bool identifierChanged,
                                     const std::set<DisplayEvent>& events) const {
    if (!preferences_->autoRestoreOnDisplayChange()) {
        return false;
    }
    if (identifierChanged || events.contains(DisplayEvent::reconfigured)) {
        return true;
    }
    return events.contains(DisplayEvent::wake) && preferences_->restoreAfterWake();
}

void LayoutController::rescueStrandedWindows() {
    // A client may still answer an earlier configure after it was moved (an un-maximise, say)
    // and put its old frame back: once something was moved, look once more a little later.
    runPass(nullptr, currentSet_.displays, /*rescueStranded=*/true, {},
            weakly(weak_from_this(), [](LayoutController& self, const RestoreResult& first) {
                if (first.moved + first.failed == 0) {
                    return;
                }
                self.secondPassTask_ = self.scheduler_->schedule(
                    secondPassDelay, weakly(self.weak_from_this(), [](LayoutController& again) {
                        if (again.phase_ != Phase::stable) {
                            return;
                        }
                        again.secondPassTask_.reset();
                        again.runPass(nullptr, again.currentSet_.displays,
                                      /*rescueStranded=*/true, {});
                    }));
            }));
}

void LayoutController::settle() {
    const std::string previousID = currentSet_.id;
    DisplaySet set = displayProvider_->currentDisplaySet();
    std::set<DisplayEvent> events;
    events.swap(pendingEvents_);
    currentSet_ = std::move(set);
    phase_ = Phase::stable;
    if (!accessMissing_) {
        gapUnsettled_ = false;
    }
    std::optional<SavedLayout> layout;
    if (shouldRestore(currentSet_.id != previousID, events) && !currentSet_.displays.empty()) {
        layout = layoutToRestore(currentSet_);
    }
    if (layout) {
        restoreAutomatically(currentSet_, *layout);
    } else {
        // Whatever the decision, a window that no display shows is brought back into view.
        if (preferences_->autoRestoreOnDisplayChange() && !currentSet_.displays.empty()) {
            rescueStrandedWindows();
        }
        scheduleSnapshot();
    }
    if (!isRestoring()) {
        announceOpenings();
    }
    onChange();
}

} // namespace plimsett
