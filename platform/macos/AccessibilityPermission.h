#pragma once

#include "engine/AccessPermission.h"
#include "platform/macos/AccessibilityApi.h"
#include "platform/macos/WorkspaceApi.h"

#include <memory>

namespace plimsett {

// Accessibility access: the trust answer, and the system's prompt followed, while access is still
// missing, by the Accessibility pane of the system settings.
class AccessibilityPermission : public AccessPermission {
public:
    static constexpr const char* settingsAddress =
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

    AccessibilityPermission(std::shared_ptr<AccessibilityApi> accessibility,
                            std::shared_ptr<WorkspaceApi> workspace);

    bool isTrusted() const override;
    void requestAccess() override;
    // Where to switch access on, while it is off.
    std::string advice() const override;

private:
    std::shared_ptr<AccessibilityApi> accessibility_;
    std::shared_ptr<WorkspaceApi> workspace_;
};

} // namespace plimsett
