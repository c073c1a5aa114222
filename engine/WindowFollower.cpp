#include "engine/WindowFollower.h"

#include "engine/RestorePlan.h"
#include "engine/Weakly.h"
#include "engine/WindowPairing.h"

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
      preferences_(std::move(preferences)),
      debouncer_(Debouncer::make(followDelay, std::move(scheduler))), owner_(std::move(owner)) {}

void WindowFollower::windowEvent(const WindowEvent& event) {
    if (event.kind == WindowEvent::Kind::gone) {
        reportedFrames_.erase(event.windowKey);
        reportedGone_.insert(event.windowKey);
    } else if (event.frame && !event.windowKey.empty()) {
        reportedFrames_[event.windowKey] = *event.frame;
    }
    if (event.kind == WindowEvent::Kind::appeared && preferences_->placeOpeningWindows()) {
        placeOpenedWindow(event.windowKey);
    }
    // A window that went may open again at once: its place is told before the layout follows.
    const auto owner = owner_.lock();
    if (event.kind == WindowEvent::Kind::gone && owner && !owner->isRestoring()) {
        announceOpenings();
    }
    debouncer_->schedule(weakly(weak_from_this(), &WindowFollower::follow));
}

void WindowFollower::cancel() {
    debouncer_->cancel();
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
                                           w.isMaximizedVertically});
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

void WindowFollower::placeOpenedWindow(const std::string& key) {
    const auto owner = owner_.lock();
    const std::optional<DisplaySet> set = owner ? owner->stableSet() : std::nullopt;
    const std::optional<SavedLayout> layout = set ? store_->layout(set->id) : std::nullopt;
    if (key.empty() || !layout || !windowSystem_->isTrusted()) {
        return;
    }
    // Paired among all open windows, the new one gets a saved window that no other one holds.
    const std::optional<WindowPairing::Pair> pair =
        WindowPairing(windowSystem_->windows(), layout->windows, preferences_->excludedBundleIDs())
            .pairOf(key);
    if (!pair) {
        return;
    }
    const RestorePlan plan({pair->live}, {pair->saved}, set->displays, false);
    if (plan.moves().empty()) {
        return;
    }
    ++placing_;
    windowSystem_->moveAllAsync(
        plan.moves(), weakly(weak_from_this(), [](WindowFollower& self, const std::vector<bool>&) {
            --self.placing_;
        }));
}

} // namespace plimsett
