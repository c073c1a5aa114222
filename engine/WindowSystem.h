#pragma once

#include "engine/LiveWindow.h"
#include "engine/Opening.h"
#include "engine/Rect.h"
#include "engine/WindowMove.h"

#include <functional>
#include <vector>

namespace plimsett {

// Where the live windows of other applications are read and moved.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // True when this process may currently read and move other applications' windows. Asked
    // afresh before every snapshot and every restore pass.
    virtual bool isTrusted() const = 0;
    // The standard windows of other applications, grouped by application; empty when nothing
    // can be read.
    virtual std::vector<LiveWindow> windows() = 0;
    // Moves the window identified by `window.handle` to `frame` (outer frame, global points).
    // True when the window took the frame.
    virtual bool move(const LiveWindow& window, const Rect& frame) = 0;
    // Moves every window of a restore pass; the answer holds, in the order of `moves`, whether
    // each window took its frame (and, when asked to, is maximised again with its centre inside
    // that frame). A window system that can send all requests before confirming any overrides
    // this; the default moves the windows one after the other and maximises nothing.
    virtual std::vector<bool> moveAll(const std::vector<WindowMove>& moves);
    // The same pass without waiting: `answered` gets moveAll's answer on the calling (main)
    // thread exactly once, before this returns or later. A window system whose confirmation
    // takes a round trip to another process overrides this so that the wait does not block the
    // main thread; the default answers at once from moveAll().
    using MoveAnswers = std::function<void(std::vector<bool>)>;
    virtual void moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered);
    // Where windows that open from now on should go (empty: nowhere in particular). A window
    // system that can place a new window before it is first shown does so with the one opening
    // of the same application and title; the default does nothing, and the controller places
    // every window that appears anyway.
    virtual void expectOpenings(const std::vector<Opening>& openings) { (void)openings; }
    // Whether expectOpenings() does anything here; the controller works the openings out only
    // for a window system that uses them.
    virtual bool placesOpenings() const { return false; }
};

} // namespace plimsett
