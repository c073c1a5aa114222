#include "engine/WindowFollower.h"

#include "engine/RestorePlan.h"
#include "engine/Weakly.h"
#include "engine/WindowPairing.h"

#include <utility>

namespace plimsett {

std::shared_ptr<WindowFollower> WindowFollower::make(std::shared_ptr<WindowSystem> windowSystem,
                                                     std::shared_ptr<LayoutStore> store,
                                                     std::shared_ptr<Preferences> preferences,
                                                     std::shared_ptr<Scheduler> scheduler,
                                                     std::weak_ptr<Owner> owner) {
    return std::shared_ptr<WindowFollower>(
        new WindowFollower(std::move(windowSystem), std::move(store), std::move(preferences),
                           std::move(scheduler), std::move(owner)));
}

WindowFollower::WindowFollower(std::shared_ptr<WindowSystem> windowSystem,
                               std::shared_ptr<LayoutStore> store,
                               std::shared_ptr<Preferences> preferences,
                               std::shared_ptr<Scheduler> scheduler, std::weak_ptr<Owner> owner)
    : windowSystem_(std::move(windowSystem)), store_(std::move(store)),
      preferences_(std::move(preferences)), debouncer_(Debouncer::make(followDelay, scheduler)),
      owner_(std::move(owner)), scheduler_(std::move(scheduler)) {}

void WindowFollower::windowEvent(const WindowEvent& event) {
    if (event.kind == WindowEvent::Kind::gone) {
        reportedFrames_.erase(event.windowKey);
        reportedGone_.insert(event.windowKey);
    } else if (event.frame && !event.windowKey.empty()) {
        reportedFrames_[event.windowKey] = *event.frame;
    }
    if (event.kind == WindowEvent::Kind::appeared && preferences_->placeOpeningWindows() &&
        !event.windowKey.empty()) {
        appeared_.push_back(event.windowKey);
        scheduleBurst();
    }
    // A window that went may open again at once: its place is told before the layout follows.
    if (event.kind == WindowEvent::Kind::gone) {
        openingsStale_ = true;
        scheduleBurst();
    }
    debouncer_->schedule(weakly(weak_from_this(), &WindowFollower::follow));
}

void WindowFollower::scheduleBurst() {
    if (!burstTask_) {
        burstTask_ =
            scheduler_->schedule(0, weakly(weak_from_this(), &WindowFollower::handleBurst));
    }
}

void WindowFollower::handleBurst() {
    burstTask_.reset();
    const std::vector<std::string> appeared = std::move(appeared_);
    appeared_.clear();
    const bool openingsStale = std::exchange(openingsStale_, false);
    if (!appeared.empty()) {
        placeOpenedWindows(appeared);
    }
    const auto owner = owner_.lock();
    if (openingsStale && owner && !owner->isRestoring()) {
        announceOpenings();
    }
}

void WindowFollower::cancel() {
    debouncer_->cancel();
    cancelAndRelease(burstTask_);
    appeared_.clear();
    openingsStale_ = false;
    forgetReports();
}

void WindowFollower::forgetReports() {
    reportedFrames_.clear();
    reportedGone_.clear();
}

void WindowFollower::follow() {
    // A restore pass moves the windows back, and its follow-up saves them.
    const auto owner = owner_.lock();
    if (!owner || !owner->stableSet() || owner->isRestoring()) {
        return;
    }
    owner->snapshotWindows();
    announceOpenings();
}

void WindowFollower::announceOpenings() {
    if (!windowSystem_->placesOpenings()) {
        return;
    }
    std::vector<Opening> openings;
    const auto owner = owner_.lock();
    const std::optional<DisplaySet> set = owner ? owner->stableSet() : std::nullopt;
    const std::optional<SavedLayout> layout =
        set && preferences_->placeOpeningWindows() && !set->displays.empty()
            ? store_->layout(set->id)
            : std::nullopt;
    if (layout && windowSystem_->isTrusted()) {
        const WindowPairing pairing(windowSystem_->windows(), layout->windows,
                                    preferences_->excludedBundleIDs());
        std::vector<Rect> screens;
        for (const DisplayInfo& display : set->displays) {
            screens.push_back(display.visibleFrame);
        }
        for (const SavedWindow& w : pairing.unheld()) {
            const std::optional<Rect> frame = RestorePlan::fittedFrame(w.frame, screens);
            if (frame && !w.isMinimized && !w.isFullScreen) {
                openings.push_back(Opening{w.bundleID, w.title, *frame, w.isMaximizedHorizontally,
                                           w.isMaximizedVertically, w.workspace});
            }
        }
    }
    if (openings.empty() && !openingsAnnounced_) {
        return;
    }
    openingsAnnounced_ = !openings.empty();
    windowSystem_->expectOpenings(openings);
}

void WindowFollower::withdrawOpenings() {
    if (openingsAnnounced_) {
        openingsAnnounced_ = false;
        windowSystem_->expectOpenings({});
    }
}

void WindowFollower::placeOpenedWindows(const std::vector<std::string>& keys) {
    const auto owner = owner_.lock();
    const std::optional<DisplaySet> set = owner ? owner->stableSet() : std::nullopt;
    const std::optional<SavedLayout> layout = set ? store_->layout(set->id) : std::nullopt;
    if (!layout || !windowSystem_->isTrusted()) {
        return;
    }
    // Paired among all open windows, each new one gets a saved window that no other one holds.
    const WindowPairing pairing(windowSystem_->windows(), layout->windows,
                                preferences_->excludedBundleIDs());
    std::vector<WindowMove> moves;
    for (const std::string& key : keys) {
        if (const std::optional<WindowPairing::Pair> pair = pairing.pairOf(key)) {
            const RestorePlan plan({pair->live}, {pair->saved}, set->displays, false);
            moves.insert(moves.end(), plan.moves().begin(), plan.moves().end());
        }
    }
    if (moves.empty()) {
        return;
    }
    ++placing_;
    windowSystem_->moveAllAsync(
        moves, weakly(weak_from_this(),
                      [](WindowFollower& self, const std::vector<bool>&) { --self.placing_; }));
}

} // namespace plimsett
