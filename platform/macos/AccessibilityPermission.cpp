#include "platform/macos/AccessibilityPermission.h"

#include <utility>

namespace plimsett {

AccessibilityPermission::AccessibilityPermission(std::shared_ptr<AccessibilityApi> accessibility,
                                                 std::shared_ptr<WorkspaceApi> workspace)
    : accessibility_(std::move(accessibility)), workspace_(std::move(workspace)) {}

bool AccessibilityPermission::isTrusted() const {
    return accessibility_->isProcessTrusted();
}

void AccessibilityPermission::requestAccess() {
    if (accessibility_->isProcessTrustedWithPrompt()) {
        return;
    }
    // Whether the pane opened is not examined: the user can simply ask again.
    workspace_->openURL(settingsAddress);
}

std::string AccessibilityPermission::advice() const {
    if (isTrusted()) {
        return {};
    }
    return "Switch Plimsett on in System Settings › Privacy & Security › Accessibility (the "
           "first-run window's button opens it).";
}

} // namespace plimsett
