#include "app/AppDelegate.h"

#include "tests/app/ShellHarness.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::ShellHarness;

class AppDelegateTest : public ::testing::Test {
protected:
    std::unique_ptr<AppDelegate> makeDelegate() {
        return std::make_unique<AppDelegate>(
            [this] {
                ++modelsMade;
                return harness.makeModel();
            },
            [this](AppModel& model) {
                harness.log->push_back("menu");
                return std::make_unique<StatusMenuController>(model, harness.scheduler->clock());
            });
    }
    long position(const std::string& entry) const {
        const auto& log = *harness.log;
        const auto it = std::find(log.begin(), log.end(), entry);
        return it == log.end() ? -1 : static_cast<long>(it - log.begin());
    }

    ShellHarness harness;
    int modelsMade = 0;
};

TEST_F(AppDelegateTest, LaunchesOnTheEventLoopThenBuildsMenuBeforeStarting) {
    harness.setTrusted(false);
    auto delegate = makeDelegate();
    EXPECT_EQ(delegate->model(), nullptr);
    EXPECT_EQ(modelsMade, 0);
    QCoreApplication::processEvents();
    ASSERT_NE(delegate->model(), nullptr);
    ASSERT_NE(delegate->menu(), nullptr);
    EXPECT_EQ(*harness.log, (std::vector<std::string>{"backend", "menu", "schedule 300",
                                                      "monitor.start", "updater.start"}));
    EXPECT_NE(delegate->model()->windows().window(AppModel::onboardingKey), nullptr);
    // Launching happens once.
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(modelsMade, 1);
}

TEST_F(AppDelegateTest, LaunchingWithAccessShowsNoWindow) {
    auto delegate = makeDelegate();
    QCoreApplication::processEvents();
    ASSERT_NE(delegate->model(), nullptr);
    EXPECT_EQ(delegate->model()->windows().windowCount(), 0u);
}

TEST_F(AppDelegateTest, TerminationBeforeLaunchingDoesNothing) {
    auto delegate = makeDelegate();
    delegate->applicationWillTerminate();
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate->model(), nullptr);
    EXPECT_EQ(modelsMade, 0);
    EXPECT_TRUE(harness.log->empty());
}

TEST_F(AppDelegateTest, QuittingFromTheMenuStopsTheMonitorBeforeTheController) {
    auto delegate = makeDelegate();
    QTimer::singleShot(0, [&] {
        ASSERT_NE(delegate->menu(), nullptr);
        // A display change is settling while the user quits.
        delegate->model()->controller()->displaysWillChange();
        delegate->model()->controller()->handle(DisplayEvent::reconfigured);
        harness.log->push_back("quit");
        delegate->menu()->quit();
    });
    QCoreApplication::exec();

    const long stopped = position("monitor.stop");
    const long quit = position("quit");
    ASSERT_GT(stopped, quit);
    const auto& log = *harness.log;
    const long cancels = std::count(log.begin() + stopped, log.end(), "cancel");
    // The periodic snapshot and the settle were both cancelled after the monitor stopped.
    EXPECT_GE(cancels, 1);
    EXPECT_FALSE(harness.monitor->running);

    // Nothing runs or is saved after termination.
    const auto moves = harness.windows->moves().size();
    const bool hadLayout = delegate->model()->controller()->currentLayout().has_value();
    harness.scheduler->advance(120);
    EXPECT_EQ(harness.scheduler->pendingCount(), 0u);
    EXPECT_EQ(harness.windows->moves().size(), moves);
    EXPECT_EQ(delegate->model()->controller()->currentLayout().has_value(), hadLayout);
    EXPECT_EQ(delegate->model()->controller()->phase(), LayoutController::Phase::settling);
}

} // namespace
} // namespace plimsett
