#pragma once

#include "app/AppModel.h"
#include "app/desktop/DirectUpdater.h"
#include "app/desktop/LoginItem.h"
#include "app/desktop/UpdateController.h"
#include "engine/InMemoryDefaultsDatabase.h"
#include "tests/support/FakeDisplayProvider.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/TemporaryDirectory.h"

#include <memory>
#include <string>
#include <vector>

namespace plimsett::testing {

// What happened to the shell's collaborators, in order.
using EventLog = std::shared_ptr<std::vector<std::string>>;

class RecordingPermission : public AccessPermission {
public:
    explicit RecordingPermission(std::shared_ptr<FakeWindowSystem> windows)
        : windows_(std::move(windows)) {}
    bool isTrusted() const override { return windows_->isTrusted(); }
    void requestAccess() override { ++requests; }
    std::string advice() const override { return isTrusted() ? std::string() : adviceText; }
    int requests = 0;
    // What the desktop would say while access is missing.
    std::string adviceText;

private:
    std::shared_ptr<FakeWindowSystem> windows_;
};

class RecordingMonitor : public EventMonitor {
public:
    explicit RecordingMonitor(EventLog log) : log_(std::move(log)) {}
    void start() override {
        running = true;
        log_->push_back("monitor.start");
    }
    void stop() override {
        running = false;
        log_->push_back("monitor.stop");
    }
    bool running = false;

private:
    EventLog log_;
};

// A manual scheduler that notes when the controller arms or cancels a timer.
class RecordingScheduler : public Scheduler {
public:
    RecordingScheduler(std::shared_ptr<ManualScheduler> inner, EventLog log)
        : inner_(std::move(inner)), log_(std::move(log)) {}

    std::shared_ptr<ScheduledTask> schedule(double delaySeconds,
                                            std::function<void()> action) override {
        log_->push_back("schedule " + std::to_string(static_cast<int>(delaySeconds * 10)));
        return std::make_shared<Task>(inner_->schedule(delaySeconds, std::move(action)), log_);
    }

private:
    class Task : public ScheduledTask {
    public:
        Task(std::shared_ptr<ScheduledTask> inner, EventLog log)
            : inner_(std::move(inner)), log_(std::move(log)) {}
        void cancel() override {
            log_->push_back("cancel");
            inner_->cancel();
        }

    private:
        std::shared_ptr<ScheduledTask> inner_;
        EventLog log_;
    };

    std::shared_ptr<ManualScheduler> inner_;
    EventLog log_;
};

class FakeLoginItem : public LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    bool setEnabled(bool on) override {
        ++calls;
        if (failing) {
            return false;
        }
        enabled = on;
        return true;
    }
    bool enabled = false;
    bool failing = false;
    int calls = 0;
};

class RecordingUpdateController : public UpdateController {
public:
    explicit RecordingUpdateController(EventLog log) : log_(std::move(log)) {}
    void checkForUpdates() override { log_->push_back("updater.check"); }
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool on) override { automatic = on; }
    bool automatic = false;

private:
    EventLog log_;
};

// An application model over fakes: two displays, a few windows, settings in memory and the
// layout file in a temporary folder.
struct ShellHarness {
    EventLog log = std::make_shared<std::vector<std::string>>();
    std::shared_ptr<FakeWindowSystem> windows = std::make_shared<FakeWindowSystem>();
    std::shared_ptr<FakeDisplayProvider> displays =
        std::make_shared<FakeDisplayProvider>(std::vector<DisplayInfo>{
            FakeDisplayProvider::display("LAPTOP", {0, 0, 1440, 900}, "Color LCD", true),
            FakeDisplayProvider::display("DELL", {1440, 0, 2560, 1440}, "DELL U2720Q")});
    std::shared_ptr<RecordingPermission> permission =
        std::make_shared<RecordingPermission>(windows);
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<InMemoryDefaultsDatabase> defaults =
        std::make_shared<InMemoryDefaultsDatabase>();
    std::shared_ptr<FakeLoginItem> loginItem = std::make_shared<FakeLoginItem>();
    TemporaryDirectory folder;
    RecordingMonitor* monitor = nullptr;
    int backendsMade = 0;
    int beeps = 0;
    // As on GNOME, where the top bar shows the menu.
    bool desktopShowsMenu = false;

    ShellHarness() {
        windows->addWindow("com.example.editor", "Notes", {100, 100, 800, 600});
        windows->addWindow("com.example.editor", "Draft", {1600, 100, 900, 700});
        windows->addWindow("com.example.terminal", "Shell", {200, 300, 640, 400});
    }

    std::filesystem::path layoutFile() const { return folder / "layouts.json"; }

    AppModel::Environment environment() {
        AppModel::Environment env;
        env.defaults = defaults;
        env.layoutFile = layoutFile();
        env.makeBackend = [this] {
            ++backendsMade;
            log->push_back("backend");
            PlatformBackend backend;
            backend.windowSystem = windows;
            backend.displayProvider = displays;
            backend.permission = permission;
            backend.desktopShowsMenu = desktopShowsMenu;
            backend.makeEventMonitor = [this](std::weak_ptr<LayoutController>) {
                auto made = std::make_unique<RecordingMonitor>(log);
                monitor = made.get();
                return made;
            };
            return backend;
        };
        env.scheduler = std::make_shared<RecordingScheduler>(scheduler, log);
        env.now = scheduler->clock();
        env.loginItem = loginItem;
        env.updater = std::make_shared<DirectUpdater>([log = log] {
            log->push_back("updater.start");
            return std::make_unique<RecordingUpdateController>(log);
        });
        env.beep = [this] { ++beeps; };
        return env;
    }

    std::unique_ptr<AppModel> makeModel() { return std::make_unique<AppModel>(environment()); }

    void setTrusted(bool trusted) { windows->setTrusted(trusted); }
};

} // namespace plimsett::testing
