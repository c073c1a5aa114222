#include "app/AppModel.h"

#include "app/windows/OnboardingView.h"
#include "tests/app/ShellHarness.h"

#include <QSignalSpy>
#include <QWidget>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::ShellHarness;

class AppModelTest : public ::testing::Test {
protected:
    ShellHarness harness;
};

TEST_F(AppModelTest, ConstructionBuildsTheGraphAndStartsNothing) {
    auto model = harness.makeModel();
    EXPECT_EQ(harness.backendsMade, 1);
    EXPECT_EQ(harness.displays->callCount(), 1u);
    EXPECT_EQ(model->controller()->currentSet(), harness.displays->displaySet());
    EXPECT_EQ(model->controller()->builtInName(), "Built-in");
    EXPECT_EQ(model->store()->fileURL(), harness.layoutFile());
    ASSERT_NE(harness.monitor, nullptr);
    EXPECT_FALSE(harness.monitor->running);
    EXPECT_EQ(harness.scheduler->pendingCount(), 0u);
    EXPECT_FALSE(model->updater()->hasController());
    EXPECT_EQ(model->windows().windowCount(), 0u);
    EXPECT_EQ(*harness.log, (std::vector<std::string>{"backend"}));
    // The preferences registered their defaults over the given database.
    EXPECT_TRUE(model->autoRestoreOnDisplayChange());
    EXPECT_TRUE(harness.defaults->persisted().empty());
}

TEST_F(AppModelTest, StartRunsControllerMonitorUpdaterThenOnboardingWithoutAccess) {
    harness.setTrusted(false);
    auto model = harness.makeModel();
    QObject::connect(model.get(), &AppModel::changed, [&] { harness.log->push_back("changed"); });
    QObject::connect(&model->windows(), &WindowPresenter::shown, [&](const QString& key, bool) {
        harness.log->push_back("show " + key.toStdString());
    });
    harness.log->clear();
    model->start();
    EXPECT_EQ(*harness.log, (std::vector<std::string>{"schedule 300", "changed", "monitor.start",
                                                      "updater.start", "show onboarding"}));
    QWidget* onboarding = model->windows().window(AppModel::onboardingKey);
    ASSERT_NE(onboarding, nullptr);
    EXPECT_EQ(onboarding->windowTitle(), QStringLiteral("Welcome to Plimsett"));
}

TEST_F(AppModelTest, StartWithAccessOpensNoWindow) {
    auto model = harness.makeModel();
    model->start();
    EXPECT_EQ(model->windows().windowCount(), 0u);
    // The first periodic snapshot falls 30 seconds after start.
    harness.scheduler->advance(30);
    ASSERT_TRUE(model->controller()->currentLayout());
    EXPECT_EQ(model->controller()->currentLayout()->windows.size(), 3u);
}

TEST_F(AppModelTest, ControllerChangesReachTheChangeNotification) {
    auto model = harness.makeModel();
    QSignalSpy changes(model.get(), &AppModel::changed);
    model->start();
    EXPECT_EQ(changes.count(), 1);
    harness.scheduler->advance(30);
    EXPECT_EQ(changes.count(), 2);
    model->controller()->snapshotNow();
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(AppModelTest, RestoreNowWithoutAccessOpensTheOnboardingAndLeavesTheControllerAlone) {
    auto model = harness.makeModel();
    ASSERT_TRUE(model->controller()->snapshotNow());
    harness.windows->setFrame(1, {0, 0, 300, 200});
    harness.setTrusted(false);
    QSignalSpy changes(model.get(), &AppModel::changed);
    model->restoreNow();
    EXPECT_NE(model->windows().window(AppModel::onboardingKey), nullptr);
    EXPECT_FALSE(model->controller()->lastRestore());
    EXPECT_TRUE(harness.windows->moves().empty());
    EXPECT_EQ(changes.count(), 0);

    harness.setTrusted(true);
    model->restoreNow();
    EXPECT_EQ(harness.windows->frame(1), (Rect{1600, 100, 900, 700}));
    EXPECT_EQ(changes.count(), 1);
}

// The windows may have been piled by a display change while access was missing: the displays
// are settled first, and the layout is saved only by the snapshot that follows.
TEST_F(AppModelTest, AccessGrantedSettlesBeforeAnythingIsSaved) {
    auto model = harness.makeModel();
    model->start();
    QSignalSpy changes(model.get(), &AppModel::changed);
    model->accessGranted();
    EXPECT_GE(changes.count(), 1);
    EXPECT_EQ(model->controller()->phase(), LayoutController::Phase::settling);
    EXPECT_FALSE(std::filesystem::exists(harness.layoutFile()));
    harness.scheduler->advance(LayoutController::settleDelay + LayoutController::snapshotInterval);
    EXPECT_TRUE(model->controller()->currentLayout());
    EXPECT_TRUE(std::filesystem::exists(harness.layoutFile()));
}

TEST_F(AppModelTest, SettingsAreStoredAndNotified) {
    auto model = harness.makeModel();
    QSignalSpy changes(model.get(), &AppModel::changed);
    model->setAutoRestoreOnDisplayChange(false);
    model->setRestoreAfterWake(false);
    EXPECT_FALSE(model->autoRestoreOnDisplayChange());
    EXPECT_FALSE(model->restoreAfterWake());
    EXPECT_FALSE(std::get<bool>(harness.defaults->persisted().at("restoreAfterWake")));
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(AppModelTest, ExclusionWritesTheWholeSetEveryTime) {
    auto model = harness.makeModel();
    QSignalSpy changes(model.get(), &AppModel::changed);
    model->setExcluded("com.b", true);
    model->setExcluded("com.a", true);
    model->setExcluded("com.a", true);
    const auto stored = [&] {
        return std::get<DefaultsDatabase::StringArray>(
            harness.defaults->persisted().at("excludedBundleIDs"));
    };
    EXPECT_EQ(stored(), (DefaultsDatabase::StringArray{"com.a", "com.b"}));
    model->setExcluded("com.zzz", false);
    EXPECT_EQ(stored(), (DefaultsDatabase::StringArray{"com.a", "com.b"}));
    model->setExcluded("com.a", false);
    model->setExcluded("com.b", false);
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(changes.count(), 6);

    // The controller uses the set at its next snapshot.
    model->setExcluded("com.example.editor", true);
    const auto layout = model->controller()->snapshotNow();
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->windows.size(), 1u);
    EXPECT_EQ(layout->windows[0].bundleID, "com.example.terminal");
}

TEST_F(AppModelTest, LaunchAtLoginReportsTheRealStateAndBeepsOnFailure) {
    auto model = harness.makeModel();
    QSignalSpy changes(model.get(), &AppModel::changed);
    EXPECT_FALSE(model->launchAtLogin());
    model->setLaunchAtLogin(true);
    EXPECT_TRUE(model->launchAtLogin());
    EXPECT_EQ(harness.beeps, 0);
    EXPECT_EQ(changes.count(), 1);

    harness.loginItem->failing = true;
    model->setLaunchAtLogin(false);
    EXPECT_TRUE(model->launchAtLogin());
    EXPECT_EQ(harness.beeps, 1);
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(AppModelTest, ShowingAWindowTwiceMakesOne) {
    auto model = harness.makeModel();
    model->showPreferences();
    QWidget* first = model->windows().window(AppModel::preferencesKey);
    ASSERT_NE(first, nullptr);
    first->close();
    model->showPreferences();
    EXPECT_EQ(model->windows().window(AppModel::preferencesKey), first);
    EXPECT_EQ(model->windows().windowCount(), 1u);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Plimsett Settings"));
    model->showExcludeApps();
    EXPECT_EQ(model->windows().window(AppModel::excludeKey)->windowTitle(),
              QStringLiteral("Exclude Apps"));
}

TEST_F(AppModelTest, TheOnboardingNamesTheDesktopProblem) {
    auto env = harness.environment();
    auto make = env.makeBackend;
    env.makeBackend = [make] {
        PlatformBackend backend = make();
        backend.problem = "no window manager follows EWMH on this display";
        return backend;
    };
    harness.setTrusted(false);
    AppModel model(std::move(env));
    model.start();
    QWidget* onboarding = model.windows().window(AppModel::onboardingKey);
    ASSERT_NE(onboarding, nullptr);
    auto* page = onboarding->findChild<OnboardingView*>();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->statusText().contains("no window manager follows EWMH"));
}

TEST_F(AppModelTest, AMissingBackendLeavesAModelWithoutDisplaysOrAccess) {
    auto env = harness.environment();
    env.makeBackend = [] { return PlatformBackend{}; };
    AppModel model(std::move(env));
    model.start();
    EXPECT_FALSE(model.isTrusted());
    EXPECT_TRUE(model.controller()->currentSet().displays.empty());
    EXPECT_FALSE(model.controller()->snapshotNow());
}

TEST_F(AppModelTest, AControllerThatOutlivesTheModelNotifiesNobody) {
    std::shared_ptr<LayoutController> controller;
    {
        auto model = harness.makeModel();
        controller = model->controller();
    }
    EXPECT_TRUE(controller->snapshotNow());
}

} // namespace
} // namespace plimsett
