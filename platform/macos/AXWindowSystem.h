#pragma once

#include "engine/WindowSystem.h"
#include "platform/macos/AccessibilityApi.h"
#include "platform/macos/WorkspaceApi.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plimsett {

// Reads and moves the standard windows of ordinary applications through the Accessibility
// interface. Keeps no state: every call asks the system afresh.
class AXWindowSystem : public WindowSystem {
public:
    // Bounds the wait for every request to one application, so that a hung application delays a
    // listing by at most this long per request.
    static constexpr float messagingTimeout = 0.5f;

    AXWindowSystem(std::shared_ptr<AccessibilityApi> accessibility,
                   std::shared_ptr<WorkspaceApi> workspace);

    bool isTrusted() const override;
    std::vector<LiveWindow> windows() override;
    // Size, then position, then size again: an application may refuse a position that would put
    // the old size off screen, or clamp a size to the screen the window is still on.
    bool move(const LiveWindow& window, const Rect& frame) override;

private:
    void appendWindows(const WorkspaceApi::RunningApplication& application,
                       std::vector<LiveWindow>& out) const;
    std::optional<std::vector<CFRef>> windowElements(const CFRef& application) const;
    std::optional<Rect> readFrame(const CFRef& window) const;
    std::optional<std::string> readString(const CFRef& element, const std::string& attribute) const;
    bool readBoolean(const CFRef& element, const std::string& attribute) const;
    bool setSize(const CFRef& window, const Rect& frame) const;

    std::shared_ptr<AccessibilityApi> accessibility_;
    std::shared_ptr<WorkspaceApi> workspace_;
};

} // namespace plimsett
