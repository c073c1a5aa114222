#include "app/AppModel.h"

#include "app/AutostartLoginItem.h"
#include "app/MainQueueScheduler.h"
#include "app/NoDesktopBackend.h"
#include "app/PackageManagerUpdateController.h"
#include "app/PlaceholderPage.h"
#include "app/QSettingsDefaultsDatabase.h"

#include <QApplication>
#include <QPointer>
#include <chrono>

#ifndef PLIMSETT_BUNDLE_ID
#define PLIMSETT_BUNDLE_ID "tamblin-engineering.Plimsett.direct"
#endif

namespace plimsett {

AppModel::Environment
AppModel::Environment::standard(std::function<PlatformBackend()> makeBackend) {
    Environment env;
    env.defaults = std::make_shared<QSettingsDefaultsDatabase>();
    env.layoutFile = LayoutStore::defaultFileURL(PLIMSETT_BUNDLE_ID);
    env.makeBackend = std::move(makeBackend);
    env.scheduler = std::make_shared<MainQueueScheduler>();
    env.now = [] { return std::chrono::system_clock::now(); };
    env.loginItem = std::make_shared<AutostartLoginItem>(AutostartLoginItem::forCurrentUser());
    env.updater = std::make_shared<DirectUpdater>(
        [] { return std::make_unique<PackageManagerUpdateController>(); });
    env.beep = [] { QApplication::beep(); };
    return env;
}

AppModel::AppModel(Environment env, QObject* parent)
    : QObject(parent), preferences_(std::make_shared<Preferences>(env.defaults)),
      windows_(std::make_unique<WindowPresenter>()),
      store_(std::make_shared<LayoutStore>(env.layoutFile)), loginItem_(std::move(env.loginItem)),
      updater_(env.updater ? std::move(env.updater) : std::make_shared<DirectUpdater>(nullptr)),
      beep_(env.beep ? std::move(env.beep) : [] {}) {
    PlatformBackend backend = NoDesktopBackend::completed(
        env.makeBackend ? env.makeBackend() : NoDesktopBackend::make("no desktop backend"));
    windowSystem_ = backend.windowSystem;
    permission_ = std::move(backend.permission);
    desktopProblem_ = std::move(backend.problem);
    const std::string builtInName = tr("Built-in").toStdString();
    controller_ = LayoutController::make(std::move(backend.windowSystem),
                                         std::move(backend.displayProvider), store_, preferences_,
                                         std::move(env.scheduler), std::move(env.now), builtInName);
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
    controller_->snapshotNow();
    emit changed();
}

void AppModel::showOnboarding() {
    const QString problem = QString::fromStdString(desktopProblem_);
    windows_->show(onboardingKey, tr("Welcome to Plimsett"), [problem] {
        QString text = tr("Plimsett reads where each application's windows are and moves them back "
                          "when your displays return. It needs an X11 desktop session with a "
                          "window manager that follows the EWMH conventions.");
        if (!problem.isEmpty()) {
            text += QStringLiteral("\n\n") + problem;
        }
        return new PlaceholderPage(tr("Plimsett cannot read or move windows yet"), text);
    });
}

void AppModel::showPreferences() {
    windows_->show(preferencesKey, tr("Plimsett Settings"), [] {
        return new PlaceholderPage(tr("Plimsett Settings"),
                                   tr("Settings will be shown here. Until then, the tray menu "
                                      "switches automatic restoring on and off."));
    });
}

void AppModel::showExcludeApps() {
    windows_->show(excludeKey, tr("Exclude Apps"), [] {
        return new PlaceholderPage(tr("Exclude Apps"),
                                   tr("Plimsett won't save or move windows of the apps you check "
                                      "here. The list of applications will be shown here."));
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
