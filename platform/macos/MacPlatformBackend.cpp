// The macOS backend: Accessibility, CoreGraphics and AppKit behind the engine's interfaces.

#include "platform/PlatformBackend.h"

#include "platform/macos/AXWindowSystem.h"
#include "platform/macos/AccessibilityPermission.h"
#include "platform/macos/AppleAccessibilityApi.h"
#include "platform/macos/AppleDisplayApi.h"
#include "platform/macos/AppleDisplayEventApi.h"
#include "platform/macos/AppleScreenApi.h"
#include "platform/macos/AppleWorkspaceApi.h"
#include "platform/macos/DisplayEventMonitor.h"
#include "platform/macos/EventMonitorHandle.h"
#include "platform/macos/SystemDisplayProvider.h"

namespace plimsett {

PlatformBackend makePlatformBackend() {
    auto accessibility = std::make_shared<AppleAccessibilityApi>();
    auto workspace = std::make_shared<AppleWorkspaceApi>();
    auto events = std::make_shared<AppleDisplayEventApi>();

    PlatformBackend backend;
    backend.windowSystem = std::make_shared<AXWindowSystem>(accessibility, workspace);
    backend.displayProvider = std::make_shared<SystemDisplayProvider>(
        std::make_shared<AppleDisplayApi>(), std::make_shared<AppleScreenApi>());
    backend.permission = std::make_shared<AccessibilityPermission>(accessibility, workspace);
    backend.makeEventMonitor =
        [events](std::weak_ptr<LayoutController> controller) -> std::unique_ptr<EventMonitor> {
        return std::make_unique<EventMonitorHandle>(
            DisplayEventMonitor::make(std::move(controller), events));
    };
    return backend;
}

} // namespace plimsett
