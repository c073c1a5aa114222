#include "platform/x11/X11DisplayEventMonitor.h"

#include "engine/InMemoryDefaultsDatabase.h"
#include "tests/support/ControllerOnFakes.h"
#include "tests/support/FakeDisplayProvider.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/x11/support/FakeLogind.h"
#include "tests/x11/support/Polling.h"
#include "tests/x11/support/PrivateSystemBus.h"
#include "tests/x11/support/TestClient.h"
#include "tests/x11/support/XTestSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace plimsett {
namespace {

using testing::FakeDisplayProvider;
using testing::FakeLogind;
using testing::FakeWindowSystem;
using testing::ManualScheduler;
using testing::PrivateSystemBus;
using testing::TemporaryDirectory;
using testing::TestClient;
using testing::waitUntil;
using testing::XTestSession;

// Notes the thread of every listing, so that the tests can see where the controller was called.
class ThreadNotingWindowSystem : public FakeWindowSystem {
public:
    std::vector<LiveWindow> windows() override {
        threads.push_back(std::this_thread::get_id());
        return FakeWindowSystem::windows();
    }
    std::vector<std::thread::id> threads;
};

// A real controller on fakes and a manual clock: the settle never runs, so every event the
// monitor delivers stays visible in the controller's phase and pending events.
class X11DisplayEventMonitorTest : public ::testing::Test {
protected:
    X11DisplayEventMonitorTest() : bus(session.directory()) {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().c_str(), 1);
        windowSystem->addWindow("org.example.Editor", "Notes", Rect{100, 100, 400, 300});
        controller = makeController();
    }

    std::shared_ptr<LayoutController> makeController() {
        return testing::startedControllerOnFakes(windowSystem, "DUMMY0", Rect{0, 0, 1024, 768},
                                                 files / "layouts.json", scheduler);
    }

    std::unique_ptr<X11DisplayEventMonitor> makeMonitor(std::weak_ptr<LayoutController> c) {
        return std::make_unique<X11DisplayEventMonitor>(std::move(c), session.display());
    }

    bool received(DisplayEvent event) const { return controller->pendingEvents().contains(event); }

    XTestSession session;
    PrivateSystemBus bus;
    TemporaryDirectory files;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<ThreadNotingWindowSystem> windowSystem =
        std::make_shared<ThreadNotingWindowSystem>();
    std::shared_ptr<LayoutController> controller;
};

TEST_F(X11DisplayEventMonitorTest, OutputChangesArriveAsReconfigured) {
    auto monitor = makeMonitor(controller);
    monitor->start();
    ASSERT_TRUE(session.plug(1, {"--right-of", "DUMMY0"}));
    ASSERT_TRUE(waitUntil([&] { return received(DisplayEvent::reconfigured); }));
    EXPECT_EQ(controller->phase(), LayoutController::Phase::settling);
    // X11 announces no beginning: no last snapshot was taken for a displaysWillChange().
    EXPECT_EQ(windowSystem->windowsCallCount(), 0u);
}

TEST_F(X11DisplayEventMonitorTest, AWorkAreaChangeArrivesAsScreenParameters) {
    auto monitor = makeMonitor(controller);
    monitor->start();
    const auto before = session.inspector().property32(session.inspector().root(), "_NET_WORKAREA");
    TestClient client(session);
    client.createWindow({{"class", "Panel"},
                         {"type", "dock"},
                         {"w", "1024"},
                         {"h", "30"},
                         {"strut-partial", "0,0,30,0,0,0,0,0,0,1023,0,0"}},
                        /*waitManaged=*/false);
    ASSERT_TRUE(waitUntil([&] {
        return session.inspector().property32(session.inspector().root(), "_NET_WORKAREA") !=
               before;
    }));
    ASSERT_TRUE(waitUntil([&] { return received(DisplayEvent::screenParameters); }));
    EXPECT_FALSE(received(DisplayEvent::reconfigured));
    EXPECT_EQ(controller->phase(), LayoutController::Phase::settling);
}

TEST_F(X11DisplayEventMonitorTest, StartAndStopAreIdempotentAndReleaseTheirConnection) {
    auto& inspector = session.inspector();
    const int baseline = inspector.clientCount();
    auto monitor = makeMonitor(controller);
    monitor->stop();
    EXPECT_EQ(inspector.clientCount(), baseline);
    monitor->start();
    monitor->start();
    EXPECT_TRUE(monitor->isRegistered());
    EXPECT_EQ(inspector.clientCount(), baseline + 1);
    monitor->stop();
    monitor->stop();
    EXPECT_FALSE(monitor->isRegistered());
    EXPECT_TRUE(waitUntil([&] { return inspector.clientCount() == baseline; }));

    // A stopped monitor reports nothing, while a running one sees the change.
    auto otherController = makeController();
    auto other = makeMonitor(otherController);
    other->start();
    ASSERT_TRUE(session.plug(1, {"--right-of", "DUMMY0"}));
    ASSERT_TRUE(waitUntil(
        [&] { return otherController->pendingEvents().contains(DisplayEvent::reconfigured); }));
    EXPECT_TRUE(controller->pendingEvents().empty());
    EXPECT_EQ(controller->phase(), LayoutController::Phase::stable);

    // Started again, it reports again.
    monitor->start();
    ASSERT_TRUE(session.unplug(1));
    EXPECT_TRUE(waitUntil([&] { return received(DisplayEvent::reconfigured); }));
}

TEST_F(X11DisplayEventMonitorTest, DestroyingTheMonitorUnregistersEverything) {
    FakeLogind logind(bus.address());
    const int baseline = session.inspector().clientCount();
    auto monitor = makeMonitor(controller);
    monitor->start();
    EXPECT_EQ(session.inspector().clientCount(), baseline + 1);
    ASSERT_TRUE(waitUntil([&] { return logind.heldInhibitors() == 1; }));
    monitor.reset();
    EXPECT_TRUE(waitUntil([&] { return session.inspector().clientCount() == baseline; }));
    EXPECT_TRUE(waitUntil([&] { return logind.heldInhibitors() == 0; }));
}

TEST_F(X11DisplayEventMonitorTest, AReleasedControllerIsLeftAlone) {
    std::weak_ptr<LayoutController> weak = controller;
    auto monitor = makeMonitor(weak);
    monitor->start();
    controller.reset();
    ASSERT_TRUE(weak.expired());
    // A second monitor shows when the events have been delivered.
    auto witness = makeController();
    auto witnessMonitor = makeMonitor(witness);
    witnessMonitor->start();
    ASSERT_TRUE(session.plug(1, {"--right-of", "DUMMY0"}));
    ASSERT_TRUE(
        waitUntil([&] { return witness->pendingEvents().contains(DisplayEvent::reconfigured); }));
    monitor->stop();
}

TEST_F(X11DisplayEventMonitorTest, LogindSleepAndWakeReachTheControllerOnTheMainThread) {
    FakeLogind logind(bus.address());
    auto monitor = makeMonitor(controller);
    monitor->start();
    // The delay lock is taken at start...
    ASSERT_TRUE(waitUntil([&] { return monitor->holdsSleepDelay(); }));
    EXPECT_EQ(logind.heldInhibitors(), 1);

    logind.sleep();
    ASSERT_TRUE(waitUntil([&] { return controller->phase() == LayoutController::Phase::asleep; }));
    // ...the last snapshot before sleep is taken, on this (the main) thread...
    ASSERT_EQ(windowSystem->threads.size(), 1u);
    EXPECT_EQ(windowSystem->threads[0], std::this_thread::get_id());
    EXPECT_TRUE(controller->lastSnapshotAt().has_value());
    // ...and then the lock is let go, so that the system can sleep.
    EXPECT_FALSE(monitor->holdsSleepDelay());
    EXPECT_TRUE(waitUntil([&] { return logind.heldInhibitors() == 0; }));

    logind.wake();
    ASSERT_TRUE(waitUntil([&] { return received(DisplayEvent::wake); }));
    EXPECT_EQ(controller->phase(), LayoutController::Phase::settling);
    // Awake again: the lock is taken again for the next sleep.
    EXPECT_TRUE(waitUntil([&] { return logind.heldInhibitors() == 1; }));
}

TEST_F(X11DisplayEventMonitorTest, OnlyLogindItselfCanAnnounceSleep) {
    FakeLogind logind(bus.address());
    FakeLogind impostor(bus.address(), /*impostor=*/true);
    auto monitor = makeMonitor(controller);
    monitor->start();
    ASSERT_TRUE(waitUntil([&] { return monitor->holdsSleepDelay(); }));

    // The impostor's signal is routed before the real one that follows it.
    impostor.sleep();
    logind.wake();
    ASSERT_TRUE(waitUntil([&] { return received(DisplayEvent::wake); }));
    // Had the impostor's sleep counted, the controller would have taken its last snapshot.
    EXPECT_EQ(windowSystem->windowsCallCount(), 0u);
    EXPECT_TRUE(monitor->holdsSleepDelay());
}

TEST_F(X11DisplayEventMonitorTest, AfterStopSleepIsNoLongerReported) {
    FakeLogind logind(bus.address());
    auto monitor = makeMonitor(controller);
    monitor->start();
    ASSERT_TRUE(waitUntil([&] { return logind.heldInhibitors() == 1; }));
    monitor->stop();
    EXPECT_TRUE(waitUntil([&] { return logind.heldInhibitors() == 0; }));

    // A running monitor of another controller shows when the signal has arrived.
    auto witness = makeController();
    auto witnessMonitor = makeMonitor(witness);
    witnessMonitor->start();
    ASSERT_TRUE(waitUntil([&] { return witnessMonitor->holdsSleepDelay(); }));
    logind.sleep();
    ASSERT_TRUE(waitUntil([&] { return witness->phase() == LayoutController::Phase::asleep; }));
    EXPECT_EQ(controller->phase(), LayoutController::Phase::stable);
}

} // namespace
} // namespace plimsett
