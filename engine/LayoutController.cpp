#include "engine/LayoutController.h"

#include "engine/RearrangedLayout.h"
#include "engine/WindowMatcher.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace plimsett {
namespace {

std::unordered_set<std::string> excludedSet(const Preferences& preferences) {
    const std::set<std::string> excluded = preferences.excludedBundleIDs();
    return std::unordered_set<std::string>(excluded.begin(), excluded.end());
}

double centreDistance(const Rect& a, const Rect& b) {
    return std::hypot(a.midX() - b.midX(), a.midY() - b.midY());
}

bool inPlace(const Rect& current, const Rect& target) {
    const Rect a = current.standardized();
    const Rect b = target.standardized();
    const double tolerance = LayoutController::frameTolerance;
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance &&
           std::fabs(a.width - b.width) < tolerance && std::fabs(a.height - b.height) < tolerance;
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
    if (!windowSystem_->isTrusted() || set.displays.empty()) {
        return std::nullopt;
    }
    const std::unordered_set<std::string> excluded = excludedSet(*preferences_);
    std::vector<SavedWindow> windows;
    for (const LiveWindow& window : windowSystem_->windows()) {
        if (!excluded.contains(window.bundleID)) {
            windows.push_back(window.savedWindow());
        }
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
    std::weak_ptr<LayoutController> weakSelf = weak_from_this();
    snapshotTask_ = scheduler_->schedule(snapshotInterval, [weakSelf] {
        if (const auto self = weakSelf.lock()) {
            self->snapshotTimerFired();
        }
    });
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
    const DisplaySet set = displayProvider_->currentDisplaySet();
    if (set.id != currentSet_.id) {
        // The displays changed without an event: treat it as one, and save nothing for either set.
        handle(DisplayEvent::screenParameters);
        return;
    }
    takeSnapshot(set);
    scheduleSnapshot();
    onChange();
}

std::optional<SavedLayout> LayoutController::snapshotNow() {
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

void LayoutController::cancelTimers() {
    if (snapshotTask_) {
        snapshotTask_->cancel();
    }
    if (secondPassTask_) {
        secondPassTask_->cancel();
    }
    settleDebouncer_->cancel();
}

void LayoutController::stop() {
    beginNewEra();
    cancelTimers();
}

// MARK: Restore

std::optional<Rect> LayoutController::fittedFrame(const Rect& frame,
                                                  const std::vector<Rect>& rects) {
    const Rect f = frame.standardized();
    std::vector<Rect> screens;
    for (const Rect& r : rects) {
        const Rect s = r.standardized();
        if (s.width > 0 && s.height > 0) {
            screens.push_back(s);
        }
    }
    if (screens.empty() || !f.isFinite()) {
        return std::nullopt;
    }
    for (const Rect& s : screens) {
        if (s.contains(f)) {
            return f;
        }
    }
    std::size_t best = 0;
    double bestArea = f.intersection(screens[0]).area();
    for (std::size_t i = 1; i < screens.size(); ++i) {
        const double area = f.intersection(screens[i]).area();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    if (!(bestArea > 0)) {
        best = 0;
        double bestDistance = centreDistance(f, screens[0]);
        for (std::size_t i = 1; i < screens.size(); ++i) {
            const double distance = centreDistance(f, screens[i]);
            if (distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
    }
    const Rect& b = screens[best];
    const double w = std::min(f.width, b.width);
    const double h = std::min(f.height, b.height);
    const double x = std::min(b.maxX() - w, std::max(f.minX(), b.minX()));
    const double y = std::min(b.maxY() - h, std::max(f.minY(), b.minY()));
    return Rect{x, y, w, h};
}

namespace {

// A maximised window is in place when it is maximised the same way with its centre on the
// target, which is the maximised area of its display.
bool maximizedInPlace(const LiveWindow& live, const SavedWindow& saved, const Rect& target) {
    const Rect t = target.standardized();
    const Rect f = live.frame.standardized();
    return live.isMaximizedHorizontally == saved.isMaximizedHorizontally &&
           live.isMaximizedVertically == saved.isMaximizedVertically && f.midX() >= t.minX() &&
           f.midX() <= t.maxX() && f.midY() >= t.minY() && f.midY() <= t.maxY();
}

// Shown by no display at all: not even a corner of it overlaps one.
bool isStranded(const LiveWindow& window, const std::vector<DisplayInfo>& displays) {
    if (window.isMinimized || window.isFullScreen || !window.frame.isFinite()) {
        return false;
    }
    const Rect frame = window.frame.standardized();
    return std::none_of(displays.begin(), displays.end(), [&](const DisplayInfo& d) {
        return frame.intersection(d.frame.standardized()).area() > 0;
    });
}

} // namespace

void LayoutController::restore(const SavedLayout& layout, const std::vector<DisplayInfo>& displays,
                               RestoreDone done) {
    runPass(&layout, displays, /*rescueStranded=*/false,
            [done = std::move(done)](std::optional<RestoreResult> result) {
                if (done) {
                    done(result.value_or(RestoreResult{}));
                }
            });
}

void LayoutController::runPass(const SavedLayout* layout, const std::vector<DisplayInfo>& displays,
                               bool rescueStranded, RestoreDone done) {
    if (!done) {
        done = [](std::optional<RestoreResult>) {};
    }
    if (!windowSystem_->isTrusted()) {
        done(layout ? std::optional(RestoreResult{}) : std::nullopt);
        return;
    }
    const std::unordered_set<std::string> excluded = excludedSet(*preferences_);
    std::vector<LiveWindow> live;
    for (LiveWindow& window : windowSystem_->windows()) {
        if (!excluded.contains(window.bundleID)) {
            live.push_back(std::move(window));
        }
    }
    std::vector<SavedWindow> saved;
    if (layout) {
        for (const SavedWindow& window : layout->windows) {
            if (!excluded.contains(window.bundleID)) {
                saved.push_back(window);
            }
        }
    }
    std::vector<Rect> screens;
    screens.reserve(displays.size());
    for (const DisplayInfo& display : displays) {
        screens.push_back(display.visibleFrame);
    }

    RestoreResult result;
    // Every request of the pass goes out at once; the window system confirms them together.
    std::vector<WindowMove> moves;
    std::unordered_set<const WindowHandle*> placed;
    for (const auto& pair : WindowMatcher::match(live, saved)) {
        placed.insert(pair.live.handle.get());
        if (pair.live.isMinimized || pair.live.isFullScreen || pair.saved.isMinimized ||
            pair.saved.isFullScreen) {
            // Left as the user has it, unless no display shows it: then it is rescued below.
            if (rescueStranded && isStranded(pair.live, displays)) {
                placed.erase(pair.live.handle.get());
            } else {
                ++result.skipped;
            }
            continue;
        }
        const std::optional<Rect> target = fittedFrame(pair.saved.frame, screens);
        if (!target) {
            ++result.skipped;
            continue;
        }
        const bool maximized = pair.saved.isMaximized();
        if (maximized ? maximizedInPlace(pair.live, pair.saved, *target)
                      : inPlace(pair.live.frame, *target)) {
            ++result.alreadyInPlace;
            continue;
        }
        moves.push_back(WindowMove{pair.live, *target, pair.saved.isMaximizedHorizontally,
                                   pair.saved.isMaximizedVertically});
    }
    if (rescueStranded) {
        for (const LiveWindow& window : live) {
            if (placed.contains(window.handle.get()) || !isStranded(window, displays)) {
                continue;
            }
            if (const std::optional<Rect> target = fittedFrame(window.frame, screens)) {
                moves.push_back(WindowMove{window, *target});
            }
        }
    }
    if (moves.empty()) {
        if (!layout) {
            done(std::nullopt);
            return;
        }
        lastRestore_ = LastRestore{now_(), result};
        done(result);
        return;
    }
    ++passesInFlight_;
    const auto returned = std::make_shared<bool>(false);
    std::weak_ptr<LayoutController> weakSelf = weak_from_this();
    windowSystem_->moveAllAsync(moves, [weakSelf, result, count = moves.size(), returned,
                                        done = std::move(done)](std::vector<bool> answers) mutable {
        const auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        --self->passesInFlight_;
        for (std::size_t i = 0; i < count; ++i) {
            if (i < answers.size() && answers[i]) {
                ++result.moved;
            } else {
                ++result.failed;
            }
        }
        self->lastRestore_ = LastRestore{self->now_(), result};
        done(result);
        if (*returned) {
            self->onChange();
        }
    });
    *returned = true;
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

void LayoutController::restoreAutomatically(const DisplaySet& set, const SavedLayout& layout) {
    // Nothing may snapshot between the two passes, and at most one second pass may wait. Settling
    // normally cancelled both already; a wake without a preceding sleep does not.
    dropSnapshotAndSecondPass();
    std::weak_ptr<LayoutController> weakSelf = weak_from_this();
    runPass(&layout, set.displays, /*rescueStranded=*/true,
            [weakSelf, layout, displays = set.displays, id = set.id,
             era = era_](std::optional<RestoreResult> result) {
                const auto self = weakSelf.lock();
                // A display change, a sleep or a stop came while the windows moved: it decides.
                if (!self || self->era_ != era) {
                    return;
                }
                const RestoreResult first = result.value_or(RestoreResult{});
                self->secondPassTask_ = self->scheduler_->schedule(
                    secondPassDelay, [weakSelf, layout, displays, id, first] {
                        if (const auto again = weakSelf.lock()) {
                            again->runSecondPass(layout, displays, id, first);
                        }
                    });
            });
}

void LayoutController::runSecondPass(const SavedLayout& layout,
                                     const std::vector<DisplayInfo>& displays,
                                     const std::string& displaySetID, const RestoreResult& first) {
    // A display change began in the meantime: its settle decides anew and re-arms the snapshot.
    if (phase_ != Phase::stable) {
        return;
    }
    if (currentSet_.id != displaySetID) {
        // A manual snapshot or restore adopted another display set without any event, so no
        // settle is coming. Leave that set alone, but keep the periodic snapshot going: it is
        // what notices display changes that arrive without events.
        secondPassTask_.reset();
        scheduleSnapshot();
        return;
    }
    secondPassTask_.reset();
    std::weak_ptr<LayoutController> weakSelf = weak_from_this();
    // A late answer is announced by the pass itself, after this has filed the combined counts.
    restore(layout, displays, [weakSelf, first, era = era_](std::optional<RestoreResult> result) {
        const auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        RestoreResult combined = result.value_or(RestoreResult{});
        combined.moved += first.moved;
        self->lastRestore_ = LastRestore{self->now_(), combined};
        // After a display change meanwhile, its settle re-arms the snapshot.
        if (self->era_ == era) {
            self->scheduleSnapshot();
        }
    });
    onChange();
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

void LayoutController::beginSettling() {
    beginNewEra();
    phase_ = Phase::settling;
    dropSnapshotAndSecondPass();
}

void LayoutController::scheduleSettle() {
    std::weak_ptr<LayoutController> weakSelf = weak_from_this();
    settleDebouncer_->schedule([weakSelf] {
        if (const auto self = weakSelf.lock()) {
            self->settle();
        }
    });
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
    scheduleSettle();
}

void LayoutController::willSleep() {
    if (phase_ == Phase::stable) {
        const DisplaySet set = displayProvider_->currentDisplaySet();
        if (set.id == currentSet_.id) {
            takeSnapshot(set);
        }
    }
    phase_ = Phase::asleep;
    beginNewEra();
    cancelTimers();
}

void LayoutController::didWake() {
    phase_ = Phase::settling;
    pendingEvents_.insert(DisplayEvent::wake);
    scheduleSettle();
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

void LayoutController::settle() {
    const std::string previousID = currentSet_.id;
    DisplaySet set = displayProvider_->currentDisplaySet();
    std::set<DisplayEvent> events;
    events.swap(pendingEvents_);
    currentSet_ = std::move(set);
    phase_ = Phase::stable;
    std::optional<SavedLayout> layout;
    if (shouldRestore(currentSet_.id != previousID, events) && !currentSet_.displays.empty()) {
        layout = layoutToRestore(currentSet_);
    }
    if (layout) {
        restoreAutomatically(currentSet_, *layout);
    } else {
        // Whatever the decision, a window that no display shows is brought back into view.
        if (preferences_->autoRestoreOnDisplayChange() && !currentSet_.displays.empty()) {
            runPass(nullptr, currentSet_.displays, /*rescueStranded=*/true, {});
        }
        scheduleSnapshot();
    }
    onChange();
}

} // namespace plimsett
