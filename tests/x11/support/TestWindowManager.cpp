#include "tests/x11/support/TestWindowManager.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace plimsett::testing {
namespace {

namespace fs = std::filesystem;

struct Launch {
    std::string name;
    std::string program;
    std::vector<std::string> arguments;
    // It keeps its settings in a D-Bus service (dconf) or registers itself on the bus.
    bool sessionBus = false;
    // What its desktop session sets for it.
    std::map<std::string, std::string> environment;
};

const std::vector<Launch>& launches() {
    static const std::vector<Launch> all = {
        // The bench's own configuration: the defaults, on one desktop.
        {"openbox",
         "openbox",
         {"--config-file", PLIMSETT_X11_TEST_DIR "/openbox-rc.xml", "--sm-disable"},
         false,
         {}},
        // As Plasma's session starts it.
        {"kwin_x11",
         "kwin_x11",
         {"--replace"},
         true,
         {{"XDG_CURRENT_DESKTOP", "KDE"},
          {"KDE_FULL_SESSION", "true"},
          {"KDE_SESSION_VERSION", "5"}}},
        {"marco", "marco", {}, true, {{"XDG_CURRENT_DESKTOP", "MATE"}}},
        {"fluxbox", "fluxbox", {}, false, {}},
        {"icewm", "icewm", {}, false, {}},
    };
    return all;
}

const Launch& launchOf(const std::string& name) {
    const auto& all = launches();
    const auto found =
        std::find_if(all.begin(), all.end(), [&](const Launch& l) { return l.name == name; });
    if (found == all.end()) {
        throw std::runtime_error("the bench does not know the window manager " + name);
    }
    return *found;
}

} // namespace

const std::vector<std::string>& TestWindowManager::names() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> result;
        for (const Launch& l : launches()) {
            result.push_back(l.name);
        }
        return result;
    }();
    return all;
}

bool TestWindowManager::isInstalled(const std::string& name) {
    return ChildProcess::run("sh", {"-c", "command -v " + launchOf(name).program}, {},
                             std::chrono::seconds(10))
               .first == 0;
}

TestWindowManager::TestWindowManager(const std::string& name,
                                     const std::map<std::string, std::string>& environment,
                                     const fs::path& directory)
    : name_(name), logFile_(directory / (name + ".log")) {
    const Launch& launch = launchOf(name);
    std::map<std::string, std::string> wmEnvironment = environment;
    for (const auto& [key, value] : launch.environment) {
        wmEnvironment[key] = value;
    }
    // No session manager to register with, whatever the test process was started in.
    wmEnvironment["SESSION_MANAGER"] = "";
    const fs::path runtime = directory / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    wmEnvironment["XDG_RUNTIME_DIR"] = runtime.string();

    if (launch.sessionBus) {
        // A session bus of its own, whose activated services (dconf, kglobalaccel) see
        // the same display and directories.
        ChildProcess::Options busOptions;
        busOptions.environment = wmEnvironment;
        busOptions.extraPipeFd = 3;
        busOptions.logFile = (directory / "session-bus.log").string();
        busOptions.stopGroup = true;
        sessionBus_ = std::make_unique<ChildProcess>(
            "dbus-daemon",
            std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--print-address=3",
                                     "--address=unix:path=" + (runtime / "bus").string()},
            busOptions);
        const auto address = sessionBus_->readLine(std::chrono::seconds(20), true);
        if (!address || address->empty()) {
            throw std::runtime_error("the session bus for " + name + " did not start");
        }
        wmEnvironment["DBUS_SESSION_BUS_ADDRESS"] = *address;
    }

    ChildProcess::Options options;
    options.environment = wmEnvironment;
    options.logFile = logFile_.string();
    options.stopGroup = true;
    process_ = std::make_unique<ChildProcess>(launch.program, launch.arguments, options);
}

TestWindowManager::~TestWindowManager() {
    stop();
}

int TestWindowManager::stop() {
    const int status = process_->stop();
    if (sessionBus_) {
        sessionBus_->stop();
    }
    return status;
}

} // namespace plimsett::testing
