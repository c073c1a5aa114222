#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plimsett {

// The Foundation and NSWorkspace calls of the backend: this process, the running applications
// and the opening of an address.
class WorkspaceApi {
public:
    // NSApplicationActivationPolicyRegular: an application with a Dock icon and windows.
    static constexpr std::int64_t regularActivationPolicy = 0;

    // What the window listing reads of one NSRunningApplication.
    struct RunningApplication {
        std::int64_t activationPolicy = regularActivationPolicy;
        std::int32_t processIdentifier = 0;
        bool isTerminated = false;
        std::optional<std::string> bundleIdentifier;
        std::optional<std::string> localizedName;
    };

    virtual ~WorkspaceApi() = default;

    // NSProcessInfo.processInfo.processIdentifier
    virtual std::int32_t ownProcessIdentifier() = 0;
    // NSWorkspace.sharedWorkspace.runningApplications, in its order.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    // NSWorkspace.sharedWorkspace openURL: of the address; false when no URL can be made of it or
    // it could not be opened.
    virtual bool openURL(const std::string& address) = 0;
};

} // namespace plimsett
