#pragma once

#include "engine/WindowSystem.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "platform/x11/X11Connection.h"

#include <chrono>
#include <memory>
#include <optional>
#include <sys/types.h>

namespace plimsett {

// The windows of other applications on an X server with an EWMH window manager.
//
// An application is the set of normal managed windows of one process with one WM_CLASS class;
// the class is its bundle identifier, the Name of its desktop entry (else the class) its name.
// Applications come in the order of their first window in _NET_CLIENT_LIST, and each one's
// windows in that order, numbered from 0. A listing sends every request for every window before
// it reads the first reply, so it costs two round trips whatever the number of windows.
class X11WindowSystem : public WindowSystem {
public:
    // How long a pass waits, in all, for the window manager to give its windows their frames.
    static constexpr std::chrono::milliseconds moveConfirmationTimeout{300};

    // `connection` may be null (no X server): nothing is then listed, moved or trusted.
    explicit X11WindowSystem(std::shared_ptr<X11Connection> connection);

    bool isTrusted() const override;
    std::vector<LiveWindow> windows() override;
    // Asks the window manager (as a pager would) to give the window the outer frame `frame`, then
    // reads the window's frame back until every edge is within the controller's tolerance of the
    // target, for at most moveConfirmationTimeout. True only when that happened: false when the
    // window is gone, the window manager refused or changed the frame (size limits, for
    // instance), or did not act in time.
    bool move(const LiveWindow& window, const Rect& frame) override;
    // The same for a whole pass: every request is sent before any frame is read back, and the
    // frames of all windows are confirmed together within one moveConfirmationTimeout. A window
    // that is to be maximised again is asked to maximise once it is on its target display (and
    // has one more moveConfirmationTimeout from then), and counts when it is maximised that way
    // with its centre inside the target.
    std::vector<bool> moveAll(const std::vector<WindowMove>& moves) override;

private:
    struct Placement {
        Rect outer;
        std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
        std::uint32_t border = 0;
        bool maximizedHorizontally = false;
        bool maximizedVertically = false;
    };
    // Each window's outer frame, frame extents and maximised state (nothing for one that is
    // gone), read in one round trip.
    std::vector<std::optional<Placement>>
    readPlacements(const std::vector<xcb_window_t>& windows) const;

    std::shared_ptr<X11Connection> connection_;
    DesktopEntryCatalog desktopEntries_;
    pid_t ownPid_;
};

} // namespace plimsett
