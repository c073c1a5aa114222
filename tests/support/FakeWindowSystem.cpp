#include "tests/support/FakeWindowSystem.h"

#include <algorithm>
#include <stdexcept>

namespace plimsett::testing {

class FakeWindowSystem::Handle : public WindowHandle {
public:
    explicit Handle(WindowId id) : id(id) {}
    std::string key() const override { return std::to_string(id); }
    const WindowId id;
};

FakeWindowSystem::AppId FakeWindowSystem::addApp(std::string bundleID, std::string appName) {
    if (appName.empty()) {
        appName = bundleID;
    }
    apps_.push_back(App{std::move(bundleID), std::move(appName), {}});
    return apps_.size() - 1;
}

FakeWindowSystem::WindowId FakeWindowSystem::addWindow(AppId app, std::string title, Rect frame) {
    if (app >= apps_.size()) {
        throw std::out_of_range("FakeWindowSystem: no such app");
    }
    const WindowId id = windows_.size();
    Window w;
    w.app = app;
    w.title = std::move(title);
    w.frame = frame;
    w.handle = std::make_shared<Handle>(id);
    windows_.push_back(std::move(w));
    apps_[app].windows.push_back(id);
    return id;
}

FakeWindowSystem::WindowId FakeWindowSystem::addWindow(const std::string& bundleID,
                                                       std::string title, Rect frame) {
    const auto app = std::find_if(apps_.begin(), apps_.end(),
                                  [&](const App& a) { return a.bundleID == bundleID; });
    const AppId appId =
        app != apps_.end() ? static_cast<AppId>(app - apps_.begin()) : addApp(bundleID);
    return addWindow(appId, std::move(title), frame);
}

FakeWindowSystem::Window& FakeWindowSystem::window(WindowId id) {
    if (id >= windows_.size()) {
        throw std::out_of_range("FakeWindowSystem: no such window");
    }
    return windows_[id];
}

const FakeWindowSystem::Window& FakeWindowSystem::window(WindowId id) const {
    if (id >= windows_.size()) {
        throw std::out_of_range("FakeWindowSystem: no such window");
    }
    return windows_[id];
}

void FakeWindowSystem::close(WindowId id) {
    Window& w = window(id);
    if (!w.isOpen) {
        return;
    }
    w.isOpen = false;
    std::erase(apps_[w.app].windows, id);
}

void FakeWindowSystem::quit(AppId app) {
    const std::vector<WindowId> open = apps_.at(app).windows;
    for (const WindowId id : open) {
        close(id);
    }
}

void FakeWindowSystem::setFrame(WindowId id, Rect frame) {
    window(id).frame = frame;
}
void FakeWindowSystem::setTitle(WindowId id, std::string title) {
    window(id).title = std::move(title);
}
void FakeWindowSystem::setMinimized(WindowId id, bool minimized) {
    window(id).isMinimized = minimized;
}
void FakeWindowSystem::setFullScreen(WindowId id, bool fullScreen) {
    window(id).isFullScreen = fullScreen;
}
void FakeWindowSystem::setMoveResponse(WindowId id, MoveResponse response) {
    window(id).response = response;
}

bool FakeWindowSystem::isOpen(WindowId id) const {
    return window(id).isOpen;
}
Rect FakeWindowSystem::frame(WindowId id) const {
    return window(id).frame;
}

LiveWindow FakeWindowSystem::listed(WindowId id, std::int64_t index) const {
    const Window& w = windows_[id];
    const App& app = apps_[w.app];
    return LiveWindow{w.handle,
                      app.bundleID,
                      app.appName,
                      w.title,
                      index,
                      w.frame,
                      w.isMinimized,
                      w.isFullScreen,
                      w.isMaximizedHorizontally,
                      w.isMaximizedVertically,
                      w.workspace};
}

LiveWindow FakeWindowSystem::live(WindowId id) const {
    const Window& w = window(id);
    const std::vector<WindowId>& siblings = apps_[w.app].windows;
    const auto at = std::find(siblings.begin(), siblings.end(), id);
    if (at == siblings.end()) {
        throw std::logic_error("FakeWindowSystem: window is closed");
    }
    return listed(id, static_cast<std::int64_t>(at - siblings.begin()));
}

FakeWindowSystem::WindowId FakeWindowSystem::id(const LiveWindow& window) {
    const auto* handle = dynamic_cast<const Handle*>(window.handle.get());
    if (handle == nullptr) {
        throw std::invalid_argument("FakeWindowSystem: not one of its windows");
    }
    return handle->id;
}

std::size_t FakeWindowSystem::movedCount() const {
    return static_cast<std::size_t>(
        std::count_if(moves_.begin(), moves_.end(), [](const Move& m) { return m.accepted; }));
}

std::vector<LiveWindow> FakeWindowSystem::windows() {
    ++windowsCalls_;
    std::vector<LiveWindow> result;
    if (!trusted_) {
        return result;
    }
    for (const App& app : apps_) {
        std::int64_t index = 0;
        for (const WindowId id : app.windows) {
            result.push_back(listed(id, index++));
        }
    }
    return result;
}

bool FakeWindowSystem::move(const LiveWindow& live, const Rect& frame) {
    const auto* handle = dynamic_cast<const Handle*>(live.handle.get());
    if (handle == nullptr || handle->id >= windows_.size()) {
        return false;
    }
    Window& w = windows_[handle->id];
    bool accepted = false;
    if (trusted_ && w.isOpen) {
        switch (w.response) {
        case MoveResponse::accept:
            // As a window manager does, a move releases the maximised state.
            w.frame = frame;
            w.isMaximizedHorizontally = false;
            w.isMaximizedVertically = false;
            accepted = true;
            break;
        case MoveResponse::refuse:
            break;
        case MoveResponse::vanish:
            close(handle->id);
            break;
        }
    }
    moves_.push_back(Move{handle->id, frame, accepted});
    return accepted;
}

std::vector<bool> FakeWindowSystem::moveAll(const std::vector<WindowMove>& moves) {
    ++moveAllCalls_;
    std::vector<bool> answers;
    for (const WindowMove& m : moves) {
        const bool accepted = move(m.window, m.frame);
        if (accepted && m.maximizes()) {
            Window& w = windows_[id(m.window)];
            w.isMaximizedHorizontally = m.maximizeHorizontally;
            w.isMaximizedVertically = m.maximizeVertically;
        }
        if (accepted && m.workspace) {
            windows_[id(m.window)].workspace = m.workspace;
        }
        answers.push_back(accepted);
    }
    return answers;
}

void FakeWindowSystem::moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) {
    std::vector<bool> answers = moveAll(moves);
    if (!holding_) {
        answered(std::move(answers));
        return;
    }
    held_.push_back(
        [answered = std::move(answered), answers = std::move(answers)] { answered(answers); });
}

void FakeWindowSystem::releaseAnswers() {
    holding_ = false;
    std::vector<std::function<void()>> held;
    held.swap(held_);
    for (const auto& answer : held) {
        answer();
    }
}

void FakeWindowSystem::setWorkspace(WindowId id, std::optional<Workspace> workspace) {
    window(id).workspace = workspace;
}

void FakeWindowSystem::setMaximized(WindowId id, bool horizontally, bool vertically) {
    window(id).isMaximizedHorizontally = horizontally;
    window(id).isMaximizedVertically = vertically;
}

} // namespace plimsett::testing
