#pragma once

#include "engine/WindowSystem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plimsett::testing {

// A window system in memory. Applications are processes, listed in the order they were added;
// each lists its windows in the order they were opened, and a window's index counts among its
// own process's listed windows, as a real window system reports them. Moving a window that
// accepts changes its frame; every attempt is recorded.
class FakeWindowSystem : public WindowSystem {
public:
    using AppId = std::size_t;
    using WindowId = std::size_t;

    enum class MoveResponse {
        accept, // takes the frame
        refuse, // stays where it is; move returns false
        vanish, // is closed when the move reaches it; move returns false
    };

    struct Move {
        WindowId window;
        Rect frame;
        bool accepted;
    };

    // A new process. Two processes may share a bundle identifier; each numbers its windows anew.
    AppId addApp(std::string bundleID, std::string appName = {});
    // Opens a window in `app`, listed after the app's other windows.
    WindowId addWindow(AppId app, std::string title, Rect frame);
    // Opens a window in the first process with `bundleID`, adding one (named after the
    // identifier) when there is none.
    WindowId addWindow(const std::string& bundleID, std::string title, Rect frame);

    // Removes the window; moves of copies of it that were listed earlier return false.
    void close(WindowId window);
    // Quits the process: all its windows close.
    void quit(AppId app);

    void setFrame(WindowId window, Rect frame);
    void setTitle(WindowId window, std::string title);
    void setMinimized(WindowId window, bool minimized);
    void setFullScreen(WindowId window, bool fullScreen);
    void setMaximized(WindowId window, bool horizontally, bool vertically);
    // A desktop with workspaces: the window is on `workspace`. A move that names a workspace
    // takes it there.
    void setWorkspace(WindowId window, std::optional<Workspace> workspace);
    std::optional<Workspace> workspace(WindowId window) const {
        return this->window(window).workspace;
    }
    void setMoveResponse(WindowId window, MoveResponse response);
    void setTrusted(bool trusted) { trusted_ = trusted; }
    // While held, a pass moves the windows at once but its answers wait for releaseAnswers(), as
    // a window system's that confirms over a round trip.
    void holdAnswers() { holding_ = true; }
    void releaseAnswers();
    std::size_t heldAnswerCount() const { return held_.size(); }

    bool isOpen(WindowId window) const;
    // The window's current frame; the last one it had when it is closed.
    Rect frame(WindowId window) const;
    // The window as `windows()` would list it now.
    LiveWindow live(WindowId window) const;
    // The window that a listed copy stands for.
    static WindowId id(const LiveWindow& window);

    const std::vector<Move>& moves() const { return moves_; }
    // Moves that were accepted.
    std::size_t movedCount() const;
    void clearMoves() { moves_.clear(); }
    std::size_t windowsCallCount() const { return windowsCalls_; }
    // How often a whole pass was handed over at once.
    std::size_t moveAllCallCount() const { return moveAllCalls_; }

    bool isTrusted() const override { return trusted_; }
    std::vector<LiveWindow> windows() override;
    bool move(const LiveWindow& window, const Rect& frame) override;
    // Each move as move() does it; an accepted one then maximises as asked.
    std::vector<bool> moveAll(const std::vector<WindowMove>& moves) override;
    void moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) override;
    void expectOpenings(const std::vector<Opening>& openings) override { openings_ = openings; }
    bool placesOpenings() const override { return true; }
    // What the controller last said windows that open should take.
    const std::vector<Opening>& openings() const { return openings_; }

private:
    std::vector<Opening> openings_;
    class Handle;
    struct App {
        std::string bundleID;
        std::string appName;
        std::vector<WindowId> windows; // open ones, in listing order
    };
    struct Window {
        AppId app = 0;
        std::string title;
        Rect frame;
        bool isMinimized = false;
        bool isFullScreen = false;
        bool isMaximizedHorizontally = false;
        bool isMaximizedVertically = false;
        std::optional<Workspace> workspace;
        bool isOpen = true;
        MoveResponse response = MoveResponse::accept;
        std::shared_ptr<Handle> handle;
    };

    Window& window(WindowId id);
    const Window& window(WindowId id) const;
    LiveWindow listed(WindowId id, std::int64_t index) const;

    std::vector<App> apps_;
    std::vector<Window> windows_; // by id; closed ones stay, marked
    std::vector<Move> moves_;
    std::size_t windowsCalls_ = 0;
    std::size_t moveAllCalls_ = 0;
    bool trusted_ = true;
    bool holding_ = false;
    std::vector<std::function<void()>> held_;
};

} // namespace plimsett::testing
