#include "platform/macos/AXWindowSystem.h"

#include "platform/macos/AXElementHandle.h"

#include <cstdint>
#include <utility>

namespace plimsett {
namespace {

const std::string windowsAttribute = "AXWindows";
const std::string subroleAttribute = "AXSubrole";
const std::string positionAttribute = "AXPosition";
const std::string sizeAttribute = "AXSize";
const std::string titleAttribute = "AXTitle";
const std::string minimizedAttribute = "AXMinimized";
const std::string fullScreenAttribute = "AXFullScreen";
const std::string standardWindowSubrole = "AXStandardWindow";

} // namespace

AXWindowSystem::AXWindowSystem(std::shared_ptr<AccessibilityApi> accessibility,
                               std::shared_ptr<WorkspaceApi> workspace)
    : accessibility_(std::move(accessibility)), workspace_(std::move(workspace)) {}

bool AXWindowSystem::isTrusted() const {
    return accessibility_->isProcessTrusted();
}

std::vector<LiveWindow> AXWindowSystem::windows() {
    std::vector<LiveWindow> result;
    if (!accessibility_->isProcessTrusted()) {
        return result;
    }
    const std::int32_t ownProcess = workspace_->ownProcessIdentifier();
    for (const WorkspaceApi::RunningApplication& application : workspace_->runningApplications()) {
        // Accessory and background-only applications never own windows worth keeping.
        if (application.activationPolicy != WorkspaceApi::regularActivationPolicy ||
            application.processIdentifier == ownProcess || application.isTerminated ||
            !application.bundleIdentifier) {
            continue;
        }
        appendWindows(application, result);
    }
    return result;
}

void AXWindowSystem::appendWindows(const WorkspaceApi::RunningApplication& application,
                                   std::vector<LiveWindow>& out) const {
    const CFRef element = accessibility_->createApplicationElement(application.processIdentifier);
    if (!element) {
        return;
    }
    accessibility_->setMessagingTimeout(element, messagingTimeout);
    const std::optional<std::vector<CFRef>> windows = windowElements(element);
    if (!windows) {
        return;
    }
    const std::string& bundleID = *application.bundleIdentifier;
    const std::string appName = application.localizedName.value_or(bundleID);
    // Skipped windows take no number, so one application's indexes run 0, 1, 2, ...
    std::int64_t index = 0;
    for (const CFRef& window : *windows) {
        const std::optional<std::string> subrole = readString(window, subroleAttribute);
        if (!subrole || *subrole != standardWindowSubrole) {
            continue;
        }
        const std::optional<Rect> frame = readFrame(window);
        if (!frame || !(frame->width > 0) || !(frame->height > 0)) {
            continue;
        }
        LiveWindow live;
        live.handle = std::make_shared<AXElementHandle>(window);
        live.bundleID = bundleID;
        live.appName = appName;
        live.title = readString(window, titleAttribute).value_or(std::string());
        live.index = index;
        live.frame = *frame;
        live.isMinimized = readBoolean(window, minimizedAttribute);
        live.isFullScreen = readBoolean(window, fullScreenAttribute);
        out.push_back(std::move(live));
        ++index;
    }
}

std::optional<std::vector<CFRef>> AXWindowSystem::windowElements(const CFRef& application) const {
    CFRef value;
    if (accessibility_->copyAttributeValue(application, windowsAttribute, value) !=
            AccessibilityApi::success ||
        !value) {
        return std::nullopt;
    }
    std::optional<std::vector<CFRef>> items = accessibility_->arrayItems(value);
    if (!items) {
        return std::nullopt;
    }
    const AccessibilityApi::TypeID elementType = accessibility_->axUIElementTypeID();
    for (const CFRef& item : *items) {
        if (!item || accessibility_->typeID(item) != elementType) {
            return std::nullopt;
        }
    }
    return items;
}

std::optional<Rect> AXWindowSystem::readFrame(const CFRef& window) const {
    CFRef position;
    if (accessibility_->copyAttributeValue(window, positionAttribute, position) !=
        AccessibilityApi::success) {
        return std::nullopt;
    }
    CFRef size;
    if (accessibility_->copyAttributeValue(window, sizeAttribute, size) !=
        AccessibilityApi::success) {
        return std::nullopt;
    }
    const AccessibilityApi::TypeID valueType = accessibility_->axValueTypeID();
    if (!position || !size || accessibility_->typeID(position) != valueType ||
        accessibility_->typeID(size) != valueType) {
        return std::nullopt;
    }
    AccessibilityApi::Point point;
    if (!accessibility_->getPointValue(position, point)) {
        return std::nullopt;
    }
    AccessibilityApi::Size extent;
    if (!accessibility_->getSizeValue(size, extent)) {
        return std::nullopt;
    }
    return Rect{point.x, point.y, extent.width, extent.height};
}

std::optional<std::string> AXWindowSystem::readString(const CFRef& element,
                                                      const std::string& attribute) const {
    CFRef value;
    if (accessibility_->copyAttributeValue(element, attribute, value) !=
            AccessibilityApi::success ||
        !value) {
        return std::nullopt;
    }
    return accessibility_->stringValue(value);
}

bool AXWindowSystem::readBoolean(const CFRef& element, const std::string& attribute) const {
    CFRef value;
    if (accessibility_->copyAttributeValue(element, attribute, value) !=
            AccessibilityApi::success ||
        !value) {
        return false;
    }
    return accessibility_->booleanValue(value).value_or(false);
}

bool AXWindowSystem::setSize(const CFRef& window, const Rect& frame) const {
    const CFRef size = accessibility_->createSizeValue({frame.width, frame.height});
    return size && accessibility_->setAttributeValue(window, sizeAttribute, size) ==
                       AccessibilityApi::success;
}

bool AXWindowSystem::move(const LiveWindow& window, const Rect& frame) {
    if (!accessibility_->isProcessTrusted()) {
        return false;
    }
    const auto* handle = dynamic_cast<const AXElementHandle*>(window.handle.get());
    if (handle == nullptr || !handle->element() ||
        accessibility_->typeID(handle->element()) != accessibility_->axUIElementTypeID()) {
        return false;
    }
    const CFRef& element = handle->element();
    const bool sizeAccepted = setSize(element, frame);
    bool moved = false;
    if (const CFRef position = accessibility_->createPointValue({frame.x, frame.y})) {
        moved = accessibility_->setAttributeValue(element, positionAttribute, position) ==
                    AccessibilityApi::success &&
                sizeAccepted;
    }
    // The size once more, for applications that clamped it to the screen the window was on
    // before the position moved it. Its outcome does not change the result.
    setSize(element, frame);
    return moved;
}

} // namespace plimsett
