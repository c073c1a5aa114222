#pragma once

#include "platform/macos/WorkspaceApi.h"

namespace plimsett {

// WorkspaceApi over Foundation and NSWorkspace. Apple only; main thread.
class AppleWorkspaceApi : public WorkspaceApi {
public:
    std::int32_t ownProcessIdentifier() override;
    std::vector<RunningApplication> runningApplications() override;
    bool openURL(const std::string& address) override;
};

} // namespace plimsett
