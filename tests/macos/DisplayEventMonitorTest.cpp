#include "platform/macos/DisplayEventMonitor.h"

#include "engine/InMemoryDefaultsDatabase.h"
#include "platform/macos/EventMonitorHandle.h"
#include "tests/macos/FakeDisplayEventApi.h"
#include "tests/support/ManualScheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace plimsett {
namespace {

using testing::FakeDisplayEventApi;
using ::testing::IsEmpty;
using testing::ManualScheduler;
using ::testing::UnorderedElementsAre;
using Center = DisplayEventApi::Center;
using Notification = DisplayEventApi::Notification;
using Phase = LayoutController::Phase;

constexpr std::uint32_t begin = DisplayEventMonitor::beginConfigurationFlag;
// kCGDisplayAddFlag and kCGDisplaySetModeFlag: reports that end a reconfiguration.
constexpr std::uint32_t added = 1u << 4;
constexpr std::uint32_t modeSet = 1u << 3;

// One display that never changes, and the threads that asked for it.
class StubDisplayProvider : public DisplayProvider {
public:
    int reads = 0;
    std::vector<std::thread::id> readers;

    DisplaySet currentDisplaySet() override {
        ++reads;
        readers.push_back(std::this_thread::get_id());
        return DisplaySet({DisplayInfo{"A", "Main", true, {0, 0, 1512, 982}, {0, 25, 1512, 957}}});
    }
};

// Without access: the controller takes no snapshot and moves nothing.
class UntrustedWindowSystem : public WindowSystem {
public:
    bool isTrusted() const override { return false; }
    std::vector<LiveWindow> windows() override { return {}; }
    bool move(const LiveWindow&, const Rect&) override { return false; }
};

class DisplayEventMonitorTest : public ::testing::Test {
protected:
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<StubDisplayProvider> displays = std::make_shared<StubDisplayProvider>();
    // Nothing is ever saved without access, so the layout file is never written.
    std::shared_ptr<LayoutController> controller = LayoutController::make(
        std::make_shared<UntrustedWindowSystem>(), displays,
        std::make_shared<LayoutStore>("/nonexistent/plimsett-macos-test/layouts.json"),
        std::make_shared<Preferences>(std::make_shared<InMemoryDefaultsDatabase>()), scheduler,
        scheduler->clock(), "Built-in");
    std::shared_ptr<FakeDisplayEventApi> api = std::make_shared<FakeDisplayEventApi>();
    std::shared_ptr<DisplayEventMonitor> monitor = DisplayEventMonitor::make(controller, api);

    void SetUp() override {
        controller->start();
        displays->reads = 0;
        displays->readers.clear();
    }

    // Lets the controller's settle run: 2.5 seconds after the last event.
    void settle() { scheduler->advance(LayoutController::settleDelay); }
};

TEST_F(DisplayEventMonitorTest, StartRegistersOnceAndStopRemovesEachFromItsOwnCentre) {
    monitor->stop();
    EXPECT_EQ(api->callbackRemovals + api->observerRemovals, 0);

    monitor->start();
    monitor->start();

    EXPECT_TRUE(monitor->isRegistered());
    EXPECT_EQ(api->registrations, 1);
    EXPECT_EQ(api->callbacks, std::vector<void*>{monitor.get()});
    std::vector<std::pair<Center, Notification>> observed;
    for (const auto& observer : api->observers) {
        observed.emplace_back(observer.center, observer.name);
    }
    EXPECT_THAT(observed, UnorderedElementsAre(
                              std::pair{Center::application, Notification::screenParametersChanged},
                              std::pair{Center::workspace, Notification::willSleep},
                              std::pair{Center::workspace, Notification::didWake}));

    monitor->stop();
    monitor->stop();

    EXPECT_FALSE(monitor->isRegistered());
    EXPECT_THAT(api->callbacks, IsEmpty());
    EXPECT_THAT(api->observers, IsEmpty());
    EXPECT_EQ(api->callbackRemovals, 1);
    EXPECT_EQ(api->observerRemovals, 3);
    EXPECT_THAT(api->problems, IsEmpty());

    // A later start registers everything afresh.
    monitor->start();
    EXPECT_EQ(api->callbacks.size(), 1u);
    EXPECT_EQ(api->observers.size(), 3u);
}

TEST_F(DisplayEventMonitorTest, NotificationsReachTheControllerUntilStop) {
    monitor->start();

    api->post(Notification::willSleep);
    EXPECT_EQ(controller->phase(), Phase::asleep);

    api->post(Notification::didWake);
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_TRUE(controller->pendingEvents().contains(DisplayEvent::wake));

    api->post(Notification::screenParametersChanged);
    EXPECT_TRUE(controller->pendingEvents().contains(DisplayEvent::screenParameters));
    settle();
    EXPECT_EQ(controller->phase(), Phase::stable);

    monitor->stop();
    api->post(Notification::willSleep);
    api->post(Notification::screenParametersChanged);
    api->report(begin);
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_THAT(controller->pendingEvents(), IsEmpty());
}

TEST_F(DisplayEventMonitorTest, BeginReportsOfOneReconfigurationAreFoldedIntoOne) {
    monitor->start();

    // Three displays announce the reconfiguration.
    api->report(begin, 1);
    EXPECT_TRUE(monitor->inBatch());
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_EQ(displays->reads, 1);

    // The screens' parameters change in between and the controller settles before the other
    // announcements arrive: were they passed on, the stable controller would start settling
    // again.
    api->post(Notification::screenParametersChanged);
    settle();
    ASSERT_EQ(controller->phase(), Phase::stable);
    const int readsAfterSettle = displays->reads;
    api->report(begin, 2);
    api->report(begin, 3);
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_EQ(displays->reads, readsAfterSettle);

    // Each of the reports that follow reaches the controller: each one restarts its settle.
    api->report(added, 1);
    EXPECT_FALSE(monitor->inBatch());
    scheduler->advance(2);
    api->report(modeSet, 2);
    scheduler->advance(2);
    api->report(0, 3);
    scheduler->advance(2);
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_TRUE(controller->pendingEvents().contains(DisplayEvent::reconfigured));
    EXPECT_FALSE(monitor->inBatch());
    scheduler->advance(0.5);
    EXPECT_EQ(controller->phase(), Phase::stable);

    // The next announcement is a new batch.
    api->report(begin);
    EXPECT_TRUE(monitor->inBatch());
    EXPECT_EQ(controller->phase(), Phase::settling);
}

TEST_F(DisplayEventMonitorTest, AReportOffTheMainThreadReachesTheControllerLaterOnTheMainThread) {
    monitor->start();
    const std::thread::id mainThread = std::this_thread::get_id();

    std::thread platformThread([this] { api->report(begin); });
    platformThread.join();

    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_FALSE(monitor->inBatch());
    EXPECT_EQ(displays->reads, 0);
    ASSERT_EQ(api->queuedWork(), 1u);

    EXPECT_EQ(api->drainMainQueue(), 1u);
    EXPECT_TRUE(monitor->inBatch());
    EXPECT_EQ(controller->phase(), Phase::settling);
    ASSERT_EQ(displays->readers.size(), 1u);
    EXPECT_EQ(displays->readers[0], mainThread);
}

TEST_F(DisplayEventMonitorTest, QueuedWorkKeepsTheMonitorAliveAfterItsOwnerLetsGo) {
    auto handle = std::make_unique<EventMonitorHandle>(monitor);
    const std::weak_ptr<DisplayEventMonitor> watch = monitor;
    monitor.reset();
    handle->start();

    std::thread platformThread([this] { api->report(0); });
    platformThread.join();
    handle.reset();

    // Released: nothing stays registered with the system, but the report still arrives.
    EXPECT_THAT(api->callbacks, IsEmpty());
    EXPECT_THAT(api->observers, IsEmpty());
    EXPECT_FALSE(watch.expired());
    api->drainMainQueue();
    EXPECT_TRUE(controller->pendingEvents().contains(DisplayEvent::reconfigured));
    EXPECT_TRUE(watch.expired());
    EXPECT_THAT(api->problems, IsEmpty());
}

TEST_F(DisplayEventMonitorTest, ReleasingAStartedMonitorUnregistersEverything) {
    monitor->start();
    ASSERT_EQ(api->callbacks.size(), 1u);

    monitor.reset();

    // The system would otherwise call back into freed memory.
    EXPECT_THAT(api->callbacks, IsEmpty());
    EXPECT_THAT(api->observers, IsEmpty());
    EXPECT_THAT(api->problems, IsEmpty());
    api->report(begin);
    EXPECT_EQ(controller->phase(), Phase::stable);
}

TEST_F(DisplayEventMonitorTest, WithoutControllerOnlyTheBatchStateChanges) {
    monitor->start();
    const std::weak_ptr<LayoutController> watch = controller;
    controller.reset();
    ASSERT_TRUE(watch.expired());

    api->report(begin);
    EXPECT_TRUE(monitor->inBatch());
    api->post(Notification::willSleep);
    api->post(Notification::didWake);
    api->post(Notification::screenParametersChanged);
    api->report(0);
    EXPECT_FALSE(monitor->inBatch());
    EXPECT_EQ(displays->reads, 0);
}

TEST_F(DisplayEventMonitorTest, AReportWithoutMonitorIsIgnored) {
    DisplayEventMonitor::reconfigurationCallback(1, begin, nullptr);
    EXPECT_EQ(api->queuedWork(), 0u);
    EXPECT_EQ(controller->phase(), Phase::stable);
}

} // namespace
} // namespace plimsett
