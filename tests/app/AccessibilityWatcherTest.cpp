#include "app/AccessibilityWatcher.h"

#include "platform/macos/AccessibilityPermission.h"
#include "tests/macos/FakeAccessibilityApi.h"
#include "tests/app/FakeTimerApi.h"
#include "tests/macos/FakeWorkspaceApi.h"
#include "tests/support/ManualScheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::FakeAccessibilityApi;
using testing::FakeTimerApi;
using testing::FakeWorkspaceApi;
using testing::ManualScheduler;

class AccessibilityWatcherTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeAccessibilityApi> ax = std::make_shared<FakeAccessibilityApi>();
    std::shared_ptr<FakeWorkspaceApi> workspace = std::make_shared<FakeWorkspaceApi>();
    std::shared_ptr<AccessibilityPermission> permission =
        std::make_shared<AccessibilityPermission>(ax, workspace);
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<FakeTimerApi> timers = std::make_shared<FakeTimerApi>(scheduler);
    int granted = 0;
    int changes = 0;

    std::shared_ptr<AccessibilityWatcher> makeWatcher(bool trustedNow) {
        ax->trusted = trustedNow;
        auto watcher = AccessibilityWatcher::make(permission, timers);
        watcher->setOnGranted([this] { ++granted; });
        watcher->setOnChange([this] { ++changes; });
        return watcher;
    }
};

TEST_F(AccessibilityWatcherTest, AlreadyTrustedStartsTrueAndStartGrantsNothing) {
    const auto watcher = makeWatcher(true);
    EXPECT_TRUE(watcher->isTrusted());

    watcher->start();
    scheduler->advance(5);

    EXPECT_EQ(granted, 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(AccessibilityWatcherTest, AGrantIsSeenOnceAtTheFirstCheckAfterIt) {
    const auto watcher = makeWatcher(false);
    watcher->start();
    scheduler->advance(2.5);
    EXPECT_FALSE(watcher->isTrusted());
    EXPECT_EQ(changes, 0);

    ax->trusted = true;
    scheduler->advance(0.4);
    EXPECT_EQ(granted, 0);
    scheduler->advance(0.1);
    EXPECT_TRUE(watcher->isTrusted());
    EXPECT_EQ(granted, 1);
    EXPECT_EQ(changes, 1);

    // The polling goes on, and a grant that stays is not granted again.
    scheduler->advance(10);
    EXPECT_TRUE(watcher->isPolling());
    EXPECT_EQ(granted, 1);
    EXPECT_EQ(changes, 1);
}

TEST_F(AccessibilityWatcherTest, AWithdrawalIsPublishedAndALaterGrantCountsAgain) {
    const auto watcher = makeWatcher(true);
    watcher->start();

    ax->trusted = false;
    scheduler->advance(1);
    EXPECT_FALSE(watcher->isTrusted());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(granted, 0);

    ax->trusted = true;
    scheduler->advance(1);
    EXPECT_TRUE(watcher->isTrusted());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(granted, 1);
}

TEST_F(AccessibilityWatcherTest, StartChecksAtOnceThenOnceASecond) {
    const auto watcher = makeWatcher(false);
    ax->trustQueries = 0;

    watcher->start();
    EXPECT_EQ(ax->trustQueries, 1);
    watcher->start();
    EXPECT_EQ(ax->trustQueries, 1);
    EXPECT_EQ(timers->timersMade(), 1);

    scheduler->advance(3);
    EXPECT_EQ(ax->trustQueries, 4);

    watcher->stop();
    EXPECT_FALSE(watcher->isPolling());
    EXPECT_EQ(timers->runningTimers(), 0);
    scheduler->advance(3);
    EXPECT_EQ(ax->trustQueries, 4);

    // Started again, it checks at once again.
    ax->trusted = true;
    watcher->start();
    EXPECT_EQ(granted, 1);
    EXPECT_EQ(timers->runningTimers(), 1);
}

TEST_F(AccessibilityWatcherTest, StopWithoutStartDoesNothing) {
    const auto watcher = makeWatcher(false);
    watcher->stop();
    EXPECT_FALSE(watcher->isPolling());
    EXPECT_EQ(timers->timersMade(), 0);
}

TEST_F(AccessibilityWatcherTest, AReleasedWatcherStopsItsTimer) {
    auto watcher = makeWatcher(false);
    watcher->start();
    ASSERT_EQ(timers->runningTimers(), 1);

    watcher.reset();
    ax->trustQueries = 0;
    ax->trusted = true;
    scheduler->advance(5);

    EXPECT_EQ(timers->runningTimers(), 0);
    EXPECT_EQ(ax->trustQueries, 0);
    EXPECT_EQ(granted, 0);
}

TEST_F(AccessibilityWatcherTest, AGrantedActionMayStopTheWatcher) {
    const auto watcher = makeWatcher(false);
    watcher->setOnGranted([&] {
        ++granted;
        watcher->stop();
    });
    ax->trusted = true;

    watcher->start();

    EXPECT_EQ(granted, 1);
    EXPECT_FALSE(watcher->isPolling());
    EXPECT_EQ(timers->runningTimers(), 0);
}

} // namespace
} // namespace plimsett
