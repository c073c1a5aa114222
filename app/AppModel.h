#pragma once

#include "app/desktop/DirectUpdater.h"
#include "app/desktop/LoginItem.h"
#include "app/windows/WindowPresenter.h"
#include "engine/AccessPermission.h"
#include "engine/DefaultsDatabase.h"
#include "engine/EventMonitor.h"
#include "engine/LayoutController.h"
#include "engine/LayoutStore.h"
#include "engine/Preferences.h"
#include "engine/Scheduler.h"
#include "platform/PlatformBackend.h"
#include "platform/TimerApi.h"

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace plimsett {

// Owns the running program's object graph and is the one object the user interface talks to.
// Construction builds the graph and starts nothing; start() starts it. `changed()` is the
// model's change notification: views that show the model redraw when it fires.
class AppModel : public QObject {
    Q_OBJECT
public:
    // What the model is built from. The standard environment is the user's settings, layout
    // file, login item and the desktop of this build; tests pass their own.
    struct Environment {
        std::shared_ptr<DefaultsDatabase> defaults;
        std::filesystem::path layoutFile;
        // Called once, after the store is loaded.
        std::function<PlatformBackend()> makeBackend;
        std::shared_ptr<Scheduler> scheduler;
        LayoutController::Clock now;
        std::shared_ptr<LoginItem> loginItem;
        std::shared_ptr<DirectUpdater> updater;
        // The alert sound of a failed change.
        std::function<void()> beep;
        // The permission watcher's timers; Qt timers when not given.
        std::shared_ptr<TimerApi> timers;

        static Environment standard(std::function<PlatformBackend()> makeBackend);
    };

    static constexpr const char* onboardingKey = "onboarding";
    static constexpr const char* preferencesKey = "preferences";
    static constexpr const char* excludeKey = "exclude";

    explicit AppModel(Environment environment, QObject* parent = nullptr);
    ~AppModel() override;

    // Starts the controller, the event monitor and the updater, then opens the onboarding window
    // when the program may not read and move windows.
    void start();

    // True when the program may read and move other applications' windows right now.
    bool isTrusted() const;
    // While access is missing, why and what to do, as the desktop's backend tells; else empty.
    std::string accessAdvice() const;
    // Restores the current display set's layout; without access it opens the onboarding window
    // instead.
    void restoreNow();
    // Saves the current display set's layout; without access it opens the onboarding window
    // instead. Nothing when nothing was saved.
    std::optional<SavedLayout> saveNow();
    // What the permission watcher calls once access is granted: a first snapshot at once.
    void accessGranted();

    void showOnboarding();
    void showPreferences();
    void showExcludeApps();

    bool autoRestoreOnDisplayChange() const;
    void setAutoRestoreOnDisplayChange(bool on);
    bool restoreAfterWake() const;
    void setRestoreAfterWake(bool on);
    bool restoreOtherArrangements() const;
    void setRestoreOtherArrangements(bool on);
    bool placeOpeningWindows() const;
    void setPlaceOpeningWindows(bool on);
    bool launchAtLogin() const;
    // A failed change beeps; the change notification follows either way.
    void setLaunchAtLogin(bool on);
    void setExcluded(const std::string& bundleID, bool excluded);

    // Sends the change notification, for writers outside the model.
    void notifyChanged() { emit changed(); }

    const std::shared_ptr<Preferences>& preferences() const { return preferences_; }
    const std::shared_ptr<LayoutStore>& store() const { return store_; }
    const std::shared_ptr<LayoutController>& controller() const { return controller_; }
    // Where the windows of other applications are read, for views that list applications.
    const std::shared_ptr<WindowSystem>& windowSystem() const { return windowSystem_; }
    EventMonitor* monitor() const { return monitor_.get(); }
    WindowPresenter& windows() const { return *windows_; }
    const std::shared_ptr<DirectUpdater>& updater() const { return updater_; }
    // Why the desktop could not be reached, or empty.
    const std::string& desktopProblem() const { return desktopProblem_; }
    // True where the desktop shows the program's menu itself, so that no tray icon is needed.
    bool desktopShowsMenu() const { return desktopShowsMenu_; }

signals:
    void changed();

private:
    std::shared_ptr<Preferences> preferences_;
    std::unique_ptr<WindowPresenter> windows_;
    std::shared_ptr<LayoutStore> store_;
    std::shared_ptr<WindowSystem> windowSystem_;
    std::shared_ptr<AccessPermission> permission_;
    std::string desktopProblem_;
    std::function<std::string()> desktopConflict_;
    bool desktopShowsMenu_ = false;
    std::shared_ptr<LayoutController> controller_;
    std::unique_ptr<EventMonitor> monitor_;
    std::shared_ptr<LoginItem> loginItem_;
    std::shared_ptr<DirectUpdater> updater_;
    std::function<void()> beep_;
    std::shared_ptr<TimerApi> timers_;
};

} // namespace plimsett
