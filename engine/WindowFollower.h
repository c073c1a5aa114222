#pragma once

#include "engine/Debouncer.h"
#include "engine/DisplaySet.h"
#include "engine/LayoutStore.h"
#include "engine/Preferences.h"
#include "engine/Scheduler.h"
#include "engine/WindowEvent.h"
#include "engine/WindowSystem.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plimsett {

// Keeps the current layout in step with the windows while the displays are stable: the layout
// follows the windows followDelay after the last window event, a window that appears goes where
// the layout saved it when the preference allows, and a window system that places new windows
// itself is told where the saved windows that no open window holds would go. Runs on the main
// thread; delayed work holds the follower weakly, so create it with make().
class WindowFollower : public std::enable_shared_from_this<WindowFollower> {
public:
    // How long after the last window event the layout follows the windows.
    static constexpr double followDelay = 1.0;

    // What the follower asks of the controller that owns it.
    class Owner {
    public:
        virtual ~Owner() = default;
        // The current display set while the displays are stable; nothing while they settle or
        // the computer sleeps.
        virtual std::optional<DisplaySet> stableSet() const = 0;
        // Windows are being moved back, or will be: what they do is no user's doing.
        virtual bool isRestoring() const = 0;
        // Saves the windows, when the display set read now is still the current one.
        virtual void snapshotWindows() = 0;
    };

    static std::shared_ptr<WindowFollower> make(std::shared_ptr<WindowSystem> windowSystem,
                                                std::shared_ptr<LayoutStore> store,
                                                std::shared_ptr<Preferences> preferences,
                                                std::shared_ptr<Scheduler> scheduler,
                                                std::weak_ptr<Owner> owner);

    WindowFollower(const WindowFollower&) = delete;
    WindowFollower& operator=(const WindowFollower&) = delete;

    // A window event the owner let through: stable, and the windows can be reached.
    void windowEvent(const WindowEvent& event);
    // Drops the follow that waits, if any, and what was reported.
    void cancel();

    // What the desktop reported since the windows were last read: the latest frame of each
    // window that reported one, and the windows that went.
    const std::map<std::string, Rect>& reportedFrames() const { return reportedFrames_; }
    const std::set<std::string>& reportedGone() const { return reportedGone_; }
    bool hasReports() const { return !reportedFrames_.empty() || !reportedGone_.empty(); }
    // The windows were read again: what was reported is in what was read.
    void forgetReports();
    // Tells the window system where windows that open now should go: the saved windows of the
    // current layout that no open window holds. Only while stable and placing openings is on;
    // otherwise takes back what was told.
    void announceOpenings();
    // Takes back what announceOpenings() told, when it told anything.
    void withdrawOpenings();
    // A window that appeared is still on its way to its saved frame.
    bool isPlacing() const { return placing_ > 0; }

private:
    WindowFollower(std::shared_ptr<WindowSystem> windowSystem, std::shared_ptr<LayoutStore> store,
                   std::shared_ptr<Preferences> preferences, std::shared_ptr<Scheduler> scheduler,
                   std::weak_ptr<Owner> owner);

    void follow();
    // Runs once the events that came together are in: one listing places every window that
    // appeared among them, and one tells the openings again after windows went.
    void scheduleBurst();
    void handleBurst();
    void placeOpenedWindows(const std::vector<std::string>& keys);

    const std::shared_ptr<WindowSystem> windowSystem_;
    const std::shared_ptr<LayoutStore> store_;
    const std::shared_ptr<Preferences> preferences_;
    const std::shared_ptr<Debouncer> debouncer_;
    const std::weak_ptr<Owner> owner_;
    const std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<ScheduledTask> burstTask_;
    std::vector<std::string> appeared_;
    bool openingsStale_ = false;
    std::map<std::string, Rect> reportedFrames_;
    std::set<std::string> reportedGone_;
    int placing_ = 0;
    bool openingsAnnounced_ = false;
};

} // namespace plimsett
