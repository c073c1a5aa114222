#include "app/desktop/NoDesktopBackend.h"

namespace plimsett {
namespace {

class NoWindows : public WindowSystem {
public:
    bool isTrusted() const override { return false; }
    std::vector<LiveWindow> windows() override { return {}; }
    bool move(const LiveWindow&, const Rect&) override { return false; }
};

class NoDisplays : public DisplayProvider {
public:
    DisplaySet currentDisplaySet() override { return DisplaySet(); }
};

class NoAccess : public AccessPermission {
public:
    bool isTrusted() const override { return false; }
    void requestAccess() override {}
};

class NoEvents : public EventMonitor {
public:
    void start() override {}
    void stop() override {}
};

} // namespace

PlatformBackend NoDesktopBackend::make(std::string problem) {
    PlatformBackend backend;
    backend.problem = std::move(problem);
    return completed(std::move(backend));
}

PlatformBackend NoDesktopBackend::completed(PlatformBackend backend) {
    if (!backend.windowSystem) {
        backend.windowSystem = std::make_shared<NoWindows>();
    }
    if (!backend.displayProvider) {
        backend.displayProvider = std::make_shared<NoDisplays>();
    }
    if (!backend.permission) {
        backend.permission = std::make_shared<NoAccess>();
    }
    if (!backend.makeEventMonitor) {
        backend.makeEventMonitor = [](std::weak_ptr<LayoutController>) {
            return std::make_unique<NoEvents>();
        };
    }
    return backend;
}

} // namespace plimsett
