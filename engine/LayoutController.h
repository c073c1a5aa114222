#pragma once

#include "engine/Debouncer.h"
#include "engine/DisplayEvent.h"
#include "engine/DisplayProvider.h"
#include "engine/LayoutStore.h"
#include "engine/Preferences.h"
#include "engine/RestoreChoice.h"
#include "engine/RestoreResult.h"
#include "engine/RestoreRunner.h"
#include "engine/Scheduler.h"
#include "engine/SettleTimer.h"
#include "engine/SnapshotTaker.h"
#include "engine/WindowEvent.h"
#include "engine/WindowFollower.h"
#include "engine/WindowSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plimsett {

// Decides when to save the windows of the current display set and when to put them back.
// Everything runs on the main thread; delayed work goes through the scheduler and holds the
// controller weakly, so create it with make().
class LayoutController : public std::enable_shared_from_this<LayoutController>,
                         public WindowFollower::Owner {
public:
    enum class Phase { stable, settling, asleep };
    using LastRestore = RestoreRunner::LastRestore;
    using Clock = std::function<Date()>;

    static constexpr double snapshotInterval = 30.0;
    static constexpr double settleDelay = 2.5;
    // How many settles in a row that read no display look again, a full delay later, before the
    // set without displays is taken: the desktop may not have answered, or be still adding them.
    static constexpr int emptyReadsBeforeNoDisplays = 4;
    // How long a settle waits after the last display event on a desktop that reports a change
    // once it is done (see setQuietDelay()).
    static constexpr double quietDelay = 0.3;
    static constexpr double secondPassDelay = 1.0;

    static std::shared_ptr<LayoutController> make(std::shared_ptr<WindowSystem> windowSystem,
                                                  std::shared_ptr<DisplayProvider> displayProvider,
                                                  std::shared_ptr<LayoutStore> store,
                                                  std::shared_ptr<Preferences> preferences,
                                                  std::shared_ptr<Scheduler> scheduler, Clock now,
                                                  std::string builtInName);

    LayoutController(const LayoutController&) = delete;
    LayoutController& operator=(const LayoutController&) = delete;

    // Adopts the current display set and arms the periodic snapshot.
    void start();
    // Cancels the periodic snapshot, the second pass and the settle. Saves nothing.
    void stop();

    // Saves the windows of the display set connected now, in any phase.
    std::optional<SavedLayout> snapshotNow();
    // The saved layout of `currentSet`, from memory.
    std::optional<SavedLayout> currentLayout() const;
    // Gets a pass's counts once the window system has answered for every window; nothing for a
    // restore when no layout is saved. May run before the call that started the pass returns.
    using RestoreDone = std::function<void(std::optional<RestoreResult>)>;
    // One restore pass of the current display set's layout.
    void restoreNow(RestoreDone done = {});

    // Event operations, called by the display event monitor.
    void displaysWillChange();
    void handle(DisplayEvent event);
    void willSleep();
    void didWake();
    // Called by a backend that reports its windows' changes. While stable, the layout follows
    // the windows (see WindowFollower): a snapshot is taken WindowFollower::followDelay after the
    // last change (the display set read then must still be the current one), and a window that
    // appears goes where the current layout saved it, when the preference allows.
    void windowEvent(const WindowEvent& event);
    // The helper inside the compositor that reaches the windows went away. Until it is back the
    // controller waits in settling (or asleep), settles nothing and saves nothing: whatever it
    // could read would be an empty or piled-up desktop.
    void accessLost();
    // The window system can be reached again. The gap may have hidden a display change, so it
    // counts as a reconfiguration and the controller settles anew; nothing is saved before that
    // settle. Also right when access was never lost.
    void accessReturned();

    // One restore pass of `layout` onto `displays`; `done` always gets counts.
    void restore(const SavedLayout& layout, const std::vector<DisplayInfo>& displays,
                 RestoreDone done = {});
    // The layout saved for `set`; else, when the preference allows it, the newest layout of the
    // same displays in another arrangement, carried over to this one.
    std::optional<SavedLayout> layoutToRestore(const DisplaySet& set) const;

    Phase phase() const { return phase_; }
    bool accessMissing() const { return accessMissing_; }
    const DisplaySet& currentSet() const { return currentSet_; }
    const std::set<DisplayEvent>& pendingEvents() const { return pendingEvents_; }
    const std::optional<Date>& lastSnapshotAt() const { return snapshots_.lastTakenAt(); }
    const std::optional<LastRestore>& lastRestore() const { return passes_->lastRestore(); }
    const std::string& builtInName() const { return builtInName_; }
    const std::shared_ptr<LayoutStore>& store() const { return store_; }
    const std::shared_ptr<Preferences>& preferences() const { return preferences_; }

    // With a delay, a settle ends that long after the last display event when the displays read
    // then are a set with a layout saved for exactly that arrangement: the change is over, and the
    // windows go back at once. An unknown set, a wake or a gap in access still waits settleDelay.
    // For desktops that report a finished change in one go (RandR, Mutter, KWin); without a
    // delay (the default, and macOS, whose reports trickle in) every settle waits settleDelay.
    void setQuietDelay(std::optional<double> seconds) { settleTimer_.setQuietDelay(seconds); }

    // Called after operations that change what a user interface shows.
    void setOnChange(std::function<void()> onChange);
    void onChange() const;

private:
    LayoutController(std::shared_ptr<WindowSystem> windowSystem,
                     std::shared_ptr<DisplayProvider> displayProvider,
                     std::shared_ptr<LayoutStore> store, std::shared_ptr<Preferences> preferences,
                     std::shared_ptr<Scheduler> scheduler, Clock now, std::string builtInName);

    // The one place the phase changes.
    void enterPhase(Phase phase);
    // Nothing while a gap in access is unsettled.
    std::optional<SavedLayout> takeSnapshot(const DisplaySet& set);
    void scheduleSnapshot();
    void snapshotTimerFired();
    // Saves the windows when the display set read now is still the current one; else handles
    // the change as a display event, and saves nothing.
    bool snapshotIfStillCurrent();
    // Cancels and forgets the periodic snapshot and the second pass.
    void dropSnapshotAndSecondPass();
    // Those, the settle and the follow.
    void cancelTimers();
    // A restore pass or a window placed on opening is moving windows.
    bool windowsMoving() const;
    // Windows are moving, or a second pass is yet to come.
    bool isRestoring() const override;
    std::optional<DisplaySet> stableSet() const override;
    void snapshotWindows() override;
    // A pass is over (see RestoreRunner::Over): the openings are told again once nothing moves.
    void passOver(bool late);
    void beginSettling();
    // What the desktop reported before a display change was done on the displays of the current
    // set: it goes into that set's layout, from the reports, since the windows read now may
    // already lie where the desktop piled them.
    void keepReportedChanges();
    // A display event, or a change seen without one.
    void displaysChanged(DisplayEvent event);
    // `fullDelay` waits the whole settle delay, and reads no displays to decide whether it may
    // end sooner.
    void scheduleSettle(bool fullDelay = false);
    void settle();
    void restoreAutomatically(const DisplaySet& set, const SavedLayout& layout);
    // Runs `pass` secondPassDelay from now, unless the displays are no longer stable then.
    void scheduleSecondPass(std::function<void(LayoutController&)> pass);
    void runSecondPass(const SavedLayout& layout, const DisplaySet& set,
                       const RestoreResult& first);
    // Brings every window that no display shows into view, and looks again a second later when
    // it moved any.
    void rescueStrandedWindows();

    const std::shared_ptr<WindowSystem> windowSystem_;
    const std::shared_ptr<DisplayProvider> displayProvider_;
    const std::shared_ptr<LayoutStore> store_;
    const std::shared_ptr<Preferences> preferences_;
    const std::shared_ptr<Scheduler> scheduler_;
    const Clock now_;
    const std::string builtInName_;
    SnapshotTaker snapshots_;
    const RestoreChoice choice_;
    SettleTimer settleTimer_;
    // Both made in make(), once the controller can be held weakly: they ask it back.
    std::shared_ptr<RestoreRunner> passes_;
    std::shared_ptr<WindowFollower> follower_;
    std::shared_ptr<ScheduledTask> snapshotTask_;
    std::shared_ptr<ScheduledTask> secondPassTask_;
    std::set<DisplayEvent> pendingEvents_;
    Phase phase_ = Phase::stable;
    // Between accessLost() and accessReturned().
    bool accessMissing_ = false;
    // From accessLost() until the first settle after access returned: no snapshot of any kind.
    bool gapUnsettled_ = false;
    DisplaySet currentSet_;
    // Settles since the last display event that read no display.
    int emptyReads_ = 0;
    std::function<void()> onChange_;
};

} // namespace plimsett
