#include "app/AppModel.h"

#include "app/desktop/MainQueueScheduler.h"
#include "app/desktop/NoDesktopBackend.h"
#include "app/desktop/QSettingsDefaultsDatabase.h"
#include "app/desktop/QtTimerApi.h"
#include "app/windows/ExcludeAppsView.h"
#include "app/windows/OnboardingView.h"
#include "app/windows/PreferencesView.h"
#include "app/AccessibilityWatcher.h"

#ifdef __APPLE__
#include "app/desktop/AppleAlertSound.h"
#include "app/desktop/SMAppServiceLoginItem.h"
#include "platform/macos/AppleTimerApi.h"
#else
#include "app/desktop/AutostartLoginItem.h"
#endif

#include <QApplication>
#include <QPointer>
#include <chrono>

namespace plimsett {

AppModel::Environment
AppModel::Environment::standard(std::function<PlatformBackend()> makeBackend) {
    Environment env;
    env.defaults = std::make_shared<QSettingsDefaultsDatabase>();
    env.layoutFile = LayoutStore::defaultFileURL(PLIMSETT_BUNDLE_ID);
    env.makeBackend = std::move(makeBackend);
    env.scheduler = std::make_shared<MainQueueScheduler>();
    env.now = [] { return std::chrono::system_clock::now(); };
    env.updater = DirectUpdater::forThisBuild();
#ifdef __APPLE__
    env.loginItem = std::make_shared<SMAppServiceLoginItem>();
    env.beep = [] { AppleAlertSound::play(); };
    // The permission poll on the main run loop, as AppKit's own timers run.
    env.timers = std::make_shared<AppleTimerApi>();
#else
    env.loginItem = std::make_shared<AutostartLoginItem>(AutostartLoginItem::forCurrentUser());
    env.beep = [] { QApplication::beep(); };
#endif
    return env;
}

AppModel::AppModel(Environment env, QObject* parent)
    : QObject(parent), preferences_(std::make_shared<Preferences>(env.defaults)),
      windows_(std::make_unique<WindowPresenter>()),
      store_(std::make_shared<LayoutStore>(env.layoutFile)), loginItem_(std::move(env.loginItem)),
      updater_(env.updater ? std::move(env.updater) : std::make_shared<DirectUpdater>(nullptr)),
      beep_(env.beep ? std::move(env.beep) : [] {}),
      timers_(env.timers ? std::move(env.timers) : std::make_shared<QtTimerApi>()) {
    PlatformBackend backend = NoDesktopBackend::completed(
        env.makeBackend ? env.makeBackend() : NoDesktopBackend::make("no desktop backend"));
    windowSystem_ = backend.windowSystem;
    permission_ = std::move(backend.permission);
    desktopProblem_ = std::move(backend.problem);
    desktopConflict_ = std::move(backend.conflict);
    desktopShowsMenu_ = backend.desktopShowsMenu;
    const std::string builtInName = tr("Built-in").toStdString();
    controller_ = LayoutController::make(std::move(backend.windowSystem),
                                         std::move(backend.displayProvider), store_, preferences_,
                                         std::move(env.scheduler), std::move(env.now), builtInName);
    controller_->setQuietDelay(backend.settleQuietDelay);
    monitor_ = backend.makeEventMonitor(controller_);
    // The controller may outlive the model (closures hold it); the notification then does nothing.
    QPointer<AppModel> self(this);
    controller_->setOnChange([self] {
        if (self) {
            emit self->changed();
        }
    });
}

AppModel::~AppModel() {
    if (monitor_) {
        monitor_->stop();
    }
    controller_->stop();
    controller_->setOnChange(nullptr);
}

void AppModel::start() {
    controller_->start();
    if (monitor_) {
        monitor_->start();
    }
    updater_->start();
    if (!isTrusted()) {
        showOnboarding();
    }
}

bool AppModel::isTrusted() const {
    return permission_ && permission_->isTrusted();
}

std::string AppModel::accessAdvice() const {
    return permission_ ? permission_->advice() : std::string();
}

void AppModel::restoreNow() {
    if (!isTrusted()) {
        showOnboarding();
        return;
    }
    controller_->restoreNow();
}

std::optional<SavedLayout> AppModel::saveNow() {
    if (!isTrusted()) {
        showOnboarding();
        return std::nullopt;
    }
    return controller_->snapshotNow();
}

void AppModel::accessGranted() {
#ifdef __APPLE__
    controller_->snapshotNow();
#else
    // The windows may lie piled by a display change nobody saw: settle before saving anything.
    controller_->accessReturned();
#endif
    emit changed();
}

void AppModel::showOnboarding() {
    // A new watcher for every request; an open window keeps the one it was made with.
    std::shared_ptr<AccessibilityWatcher> watcher =
        AccessibilityWatcher::make(permission_, timers_);
    QPointer<AppModel> self(this);
    watcher->setOnGranted([self] {
        if (self) {
            self->accessGranted();
        }
    });
    windows_->show(onboardingKey, tr("Welcome to Plimsett"), [&] {
        return new OnboardingView(
            watcher,
            [self] {
                if (self) {
                    self->windows_->close(onboardingKey);
                }
            },
            [permission = permission_] { permission->requestAccess(); },
            QString::fromStdString(!desktopProblem_.empty() || !desktopConflict_
                                       ? desktopProblem_
                                       : desktopConflict_()));
    });
}

void AppModel::showPreferences() {
    windows_->show(preferencesKey, tr("Plimsett Settings"), [this] {
        return new PreferencesView(*this, updater_->automaticallyChecksForUpdates());
    });
}

void AppModel::showExcludeApps() {
    windows_->show(excludeKey, tr("Exclude Apps"), [this] {
        return new ExcludeAppsView(*this, ExcludeAppsView::standardSources(*this));
    });
}

bool AppModel::autoRestoreOnDisplayChange() const {
    return preferences_->autoRestoreOnDisplayChange();
}

void AppModel::setAutoRestoreOnDisplayChange(bool on) {
    preferences_->setAutoRestoreOnDisplayChange(on);
    emit changed();
}

bool AppModel::restoreAfterWake() const {
    return preferences_->restoreAfterWake();
}

void AppModel::setRestoreAfterWake(bool on) {
    preferences_->setRestoreAfterWake(on);
    emit changed();
}

bool AppModel::restoreOtherArrangements() const {
    return preferences_->restoreOtherArrangements();
}

void AppModel::setRestoreOtherArrangements(bool on) {
    preferences_->setRestoreOtherArrangements(on);
    emit changed();
}

bool AppModel::placeOpeningWindows() const {
    return preferences_->placeOpeningWindows();
}

void AppModel::setPlaceOpeningWindows(bool on) {
    preferences_->setPlaceOpeningWindows(on);
    emit changed();
}

bool AppModel::launchAtLogin() const {
    return loginItem_ && loginItem_->isEnabled();
}

void AppModel::setLaunchAtLogin(bool on) {
    if (!loginItem_ || !loginItem_->setEnabled(on)) {
        beep_();
    }
    emit changed();
}

void AppModel::setExcluded(const std::string& bundleID, bool excluded) {
    std::set<std::string> ids = preferences_->excludedBundleIDs();
    if (excluded) {
        ids.insert(bundleID);
    } else {
        ids.erase(bundleID);
    }
    preferences_->setExcludedBundleIDs(ids);
    emit changed();
}

} // namespace plimsett
