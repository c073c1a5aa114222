#pragma once

#include "platform/macos/WorkspaceApi.h"

#include <string>
#include <vector>

namespace plimsett::testing {

// A stand-in for the workspace: a list of running applications and a record of opened addresses.
class FakeWorkspaceApi : public WorkspaceApi {
public:
    std::int32_t ownPid = 1;
    std::vector<RunningApplication> applications;
    int listings = 0;
    std::vector<std::string> opened;

    // A regular application.
    static RunningApplication application(std::int32_t pid, std::string bundleID,
                                          std::string name) {
        RunningApplication app;
        app.processIdentifier = pid;
        app.bundleIdentifier = std::move(bundleID);
        app.localizedName = std::move(name);
        return app;
    }

    std::int32_t ownProcessIdentifier() override { return ownPid; }
    std::vector<RunningApplication> runningApplications() override {
        ++listings;
        return applications;
    }
    bool openURL(const std::string& address) override {
        opened.push_back(address);
        return true;
    }
};

} // namespace plimsett::testing
