#include "tests/x11/support/XTestSession.h"

#include "tests/x11/support/LogTail.h"
#include "tests/x11/support/Polling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <unistd.h>

namespace plimsett::testing {
namespace {

namespace fs = std::filesystem;

bool currentTestFailed() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info != nullptr && info->result()->Failed();
}

} // namespace

XTestSession::XTestSession(Options options) : windowManagerName_(options.windowManagerName) {
    std::string pattern = (fs::temp_directory_path() / "plimsett-x11-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    directory_ = pattern;
    for (const char* sub : {"conf.d", "home", "config", "cache", "data"}) {
        fs::create_directories(directory_ / sub);
    }
    // Xorg ignores an empty configuration directory and falls back to the system one.
    std::ofstream(directory_ / "conf.d" / "00-none.conf") << "# nothing\n";

    ChildProcess::Options serverOptions;
    serverOptions.extraPipeFd = 3;
    serverOptions.logFile = (directory_ / "Xorg.out").string();
    // -displayfd: the server picks a free display number and writes it there once it accepts
    // connections. A seat other than seat0 keeps it away from the virtual terminals.
    server_ = std::make_unique<ChildProcess>(
        "Xorg",
        std::vector<std::string>{
            "-displayfd", "3", "-config", PLIMSETT_X11_TEST_DIR "/xorg-dummy.conf", "-configdir",
            (directory_ / "conf.d").string(), "-logfile", (directory_ / "Xorg.log").string(),
            "-seat", "seat1", "-noreset", "-nolisten", "tcp", "-novtswitch"},
        serverOptions);
    try {
        const std::optional<std::string> number = server_->readLine(std::chrono::seconds(30), true);
        if (!number || number->empty()) {
            throw std::runtime_error(
                std::string("Xorg did not start") +
                (geteuid() != 0 ? " (these tests start Xorg with a configuration file of their "
                                  "own, which needs root)"
                                : "") +
                ":\n" + tail(directory_ / "Xorg.out", 20) + tail(directory_ / "Xorg.log", 40));
        }
        display_ = ":" + *number;
        inspector_ = std::make_unique<XInspector>(display_);
        if (!xrandr({"--output", "DUMMY0", "--mode", "1024x768", "--pos", "0x0", "--primary"})) {
            throw std::runtime_error("xrandr could not set up DUMMY0");
        }
        if (options.windowManager) {
            startWindowManager();
        }
    } catch (...) {
        // The destructor does not run for a half-built session: clean up here.
        inspector_.reset();
        windowManager_.reset();
        server_.reset();
        std::error_code error;
        fs::remove_all(directory_, error);
        throw;
    }
}

XTestSession::~XTestSession() {
    inspector_.reset();
    if (windowManager_ && !windowManager_->isRunning() && currentTestFailed()) {
        std::cerr << windowManagerName_ << " ended early, status " << windowManager_->stop()
                  << "\n";
    }
    windowManager_.reset();
    if (server_) {
        server_->stop();
    }
    if (currentTestFailed()) {
        std::cerr << "--- Xorg log (" << display_ << ") ---\n"
                  << tail(directory_ / "Xorg.log", 30) << "--- " << windowManagerName_
                  << " log ---\n"
                  << tail(directory_ / (windowManagerName_ + ".log"), 30);
    }
    // PLIMSETT_KEEP_X11_SESSION keeps the logs of a failed test for a closer look.
    std::error_code error;
    if (currentTestFailed() && std::getenv("PLIMSETT_KEEP_X11_SESSION") != nullptr) {
        std::cerr << "kept " << directory_ << "\n";
    } else {
        fs::remove_all(directory_, error);
    }
}

std::map<std::string, std::string> XTestSession::environment() const {
    return {{"DISPLAY", display_},
            {"HOME", (directory_ / "home").string()},
            {"XDG_CONFIG_HOME", (directory_ / "config").string()},
            {"XDG_CACHE_HOME", (directory_ / "cache").string()},
            {"XDG_DATA_HOME", (directory_ / "data").string()},
            // openbox gives up without a theme, and finds its themes there.
            {"XDG_DATA_DIRS", "/usr/local/share:/usr/share"}};
}

bool XTestSession::xrandr(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{"-display", display_};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return ChildProcess::run("xrandr", all, {}, std::chrono::seconds(20)).first == 0;
}

bool XTestSession::plug(int output, const std::vector<std::string>& placement) {
    const std::string name = "DUMMY" + std::to_string(output);
    if (output != 0 &&
        std::find(modesAdded_.begin(), modesAdded_.end(), output) == modesAdded_.end()) {
        if (!xrandr({"--addmode", name, "1024x768"})) {
            return false;
        }
        modesAdded_.push_back(output);
    }
    std::vector<std::string> arguments{"--output", name, "--mode", "1024x768"};
    arguments.insert(arguments.end(), placement.begin(), placement.end());
    if (!xrandr(arguments)) {
        return false;
    }
    const std::optional<Rect> set = inspector_->outputGeometry(name);
    if (!set || !windowManager_) {
        return set.has_value();
    }
    // The window manager takes the new output in at its own pace; until its work area reaches
    // onto the output, it would keep a new window off it. Some give a new output a mode of
    // their own choosing meanwhile: once the work area is there, the output is checked, and
    // given its mode again when it has another, as a monitor would.
    for (int attempt = 0; attempt < 3; ++attempt) {
        waitUntil(
            [&] {
                const auto area = inspector_->property32(inspector_->root(), "_NET_WORKAREA");
                return area.size() >= 4 && area[0] < set->x + set->width &&
                       area[0] + area[2] > set->x && area[1] < set->y + set->height &&
                       area[1] + area[3] > set->y;
            },
            std::chrono::seconds(10));
        const std::optional<Rect> now = inspector_->outputGeometry(name);
        if (now && *now == *set) {
            return true;
        }
        std::cerr << windowManagerName_ << " changed " << name << " to "
                  << (now ? std::to_string(now->width) + "x" + std::to_string(now->height)
                          : std::string("off"))
                  << "; setting its mode again\n";
        if (!xrandr(arguments)) {
            return false;
        }
    }
    return inspector_->outputGeometry(name) == set;
}

bool XTestSession::unplug(int output) {
    return xrandr({"--output", "DUMMY" + std::to_string(output), "--off"});
}

void XTestSession::startWindowManager() {
    const std::string& name = windowManagerName_;
    if (!TestWindowManager::isInstalled(name)) {
        throw std::runtime_error(name + " is not installed (scripts/setup installs it)");
    }
    windowManager_ = std::make_unique<TestWindowManager>(name, environment(), directory_);
    const fs::path log = windowManager_->logFile();
    if (!waitUntil([this] { return inspector_->hasWindowManager(); }, std::chrono::seconds(30))) {
        throw std::runtime_error(name + " did not start:\n" + tail(log, 20));
    }
    // Window managers announce themselves before they have finished starting, and a window
    // mapped in between may never be managed. A window one does manage shows that it is ready.
    xcb_connection_t* c = inspector_->connection();
    const xcb_window_t probe = xcb_generate_id(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 50, 50, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool managed = false;
    while (!managed && std::chrono::steady_clock::now() < deadline) {
        xcb_map_window(c, probe);
        xcb_flush(c);
        managed =
            waitUntil([&] { return inspector_->isManaged(probe); }, std::chrono::milliseconds(150));
        if (!managed) {
            xcb_unmap_window(c, probe);
        }
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    if (!managed || !waitUntil([&] {
            const auto clients = inspector_->clientList();
            return std::find(clients.begin(), clients.end(), probe) == clients.end();
        })) {
        throw std::runtime_error(name + " does not manage windows:\n" + tail(log, 20));
    }
}

void XTestSession::stopWindowManager() {
    windowManager_.reset();
    waitUntil([this] { return !inspector_->hasWindowManager(); }, std::chrono::seconds(10));
}

} // namespace plimsett::testing
