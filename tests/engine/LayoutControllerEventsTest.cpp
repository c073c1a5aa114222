#include "tests/engine/LayoutControllerHarness.h"

namespace plimsett::testing {
namespace {

using Phase = LayoutController::Phase;
using LayoutControllerEventsTest = LayoutControllerTest;

// MARK: Bursts and the settle

TEST_F(LayoutControllerEventsTest, ABurstOfEventsSettlesOnceAfterTheLastOne) {
    saveCurrentWindows(bothDisplays());
    startController();
    windows->setFrame(report, Rect{0, 25, 600, 400});
    const DisplayEvent burst[] = {DisplayEvent::reconfigured, DisplayEvent::screenParameters,
                                  DisplayEvent::reconfigured, DisplayEvent::screenParameters};
    for (const DisplayEvent event : burst) {
        controller->handle(event);
        EXPECT_EQ(controller->phase(), Phase::settling);
        scheduler->advance(1);
    }
    // The last event came at 3 seconds; 2.5 seconds later it settles.
    scheduler->advance(1);
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_FALSE(controller->lastRestore());
    EXPECT_EQ(changes, 1);
    scheduler->advance(0.5);
    EXPECT_EQ(controller->phase(), Phase::stable);
    ASSERT_TRUE(controller->lastRestore());
    EXPECT_EQ(controller->lastRestore()->date, at(5.5));
    EXPECT_EQ(changes, 2);

    scheduler->advance(61);
    EXPECT_EQ(windows->moves().size(), 1u);
    EXPECT_EQ(controller->lastRestore()->date, at(6.5)); // its second pass
    EXPECT_EQ(changes, 5);                               // the second pass and two snapshots
}

TEST_F(LayoutControllerEventsTest, UnplugAndReplugWithinTheSettleDelayRestores) {
    startController();
    scheduler->advance(30);
    // The last snapshot before the change keeps what the user did just before unplugging.
    windows->setFrame(report, Rect{120, 100, 600, 400});
    controller->displaysWillChange();
    EXPECT_EQ(layoutOf(bothDisplays())->windows.at(0).frame, (Rect{120, 100, 600, 400}));
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_EQ(scheduler->pendingCount(), 0u);

    unplugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(1);
    plugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);

    EXPECT_EQ(controller->currentSet(), bothDisplays());
    EXPECT_EQ(controller->lastRestore()->result, (RestoreResult{2, 1, 0, 0}));
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->frame(home), homeFrame);
}

TEST_F(LayoutControllerEventsTest, UnplugSavesTheSmallerSetLaterAndReplugPutsEverythingBack) {
    startController();
    scheduler->advance(30);
    const SavedLayout both = *layoutOf(bothDisplays());

    controller->displaysWillChange();
    unplugStudio();
    controller->handle(DisplayEvent::reconfigured);
    controller->handle(DisplayEvent::screenParameters);
    scheduler->advance(2.5);
    EXPECT_EQ(controller->currentSet(), laptopOnly());
    EXPECT_FALSE(controller->lastRestore()); // nothing saved for the laptop alone
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 30);
    scheduler->advance(30);
    const std::optional<SavedLayout> alone = layoutOf(laptopOnly());
    ASSERT_TRUE(alone);
    EXPECT_EQ(alone->windows.at(1).frame, (Rect{40, 60, 800, 600}));
    EXPECT_EQ(layoutOf(bothDisplays())->windows, both.windows);

    controller->displaysWillChange(); // takes the laptop's last snapshot
    plugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);
    EXPECT_EQ(controller->currentSet(), bothDisplays());
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->frame(home), homeFrame);
    EXPECT_EQ(windows->frame(report), reportFrame);
}

TEST_F(LayoutControllerEventsTest, OnlyScreenParametersWithTheSameDisplaysRestoresNothing) {
    startController();
    scheduler->advance(30);
    windows->setFrame(report, Rect{0, 25, 600, 400}); // say, the Dock moved
    controller->handle(DisplayEvent::screenParameters);
    scheduler->advance(2.5);
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_TRUE(windows->moves().empty());
    EXPECT_FALSE(controller->lastRestore());
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 30);
    scheduler->advance(30);
    EXPECT_EQ(layoutOf(bothDisplays())->savedAt, at(62.5));
    EXPECT_EQ(layoutOf(bothDisplays())->windows.at(0).frame, (Rect{0, 25, 600, 400}));
}

TEST_F(LayoutControllerEventsTest, ASettleWithoutDisplaysLooksAgainThenAdoptsThem) {
    saveLayout(DisplaySet(), {{editor, editor, "Report", 0, Rect{0, 0, 10, 10}, false, false}});
    startController();
    // A desktop that did not answer in time: the displays read later are the ones taken.
    displays->setDisplays({});
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);
    EXPECT_EQ(controller->phase(), Phase::settling);
    displays->setDisplays({laptop()});
    scheduler->advance(2.5);
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_EQ(controller->currentSet().id, laptopOnly().id);

    // No display for good: taken after a few looks, and nothing is restored onto it.
    displays->setDisplays({});
    controller->handle(DisplayEvent::reconfigured);
    const std::size_t listings = windows->windowsCallCount();
    scheduler->advance(2.5 * (LayoutController::emptyReadsBeforeNoDisplays + 1));
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_EQ(controller->currentSet(), DisplaySet());
    EXPECT_EQ(windows->windowsCallCount(), listings);
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 30);
}

// MARK: The decision

struct DecisionCase {
    const char* name;
    bool autoRestore;
    bool restoreAfterWake;
    bool setChanges;
    bool reconfigured;
    bool wake;
    bool restores;
};

void PrintTo(const DecisionCase& c, std::ostream* os) {
    *os << c.name;
}

class LayoutControllerDecisionTest : public LayoutControllerTest,
                                     public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(LayoutControllerDecisionTest, SettleRestoresExactlyWhenTheTableSays) {
    const DecisionCase c = GetParam();
    preferences->setAutoRestoreOnDisplayChange(c.autoRestore);
    preferences->setRestoreAfterWake(c.restoreAfterWake);
    saveCurrentWindows(bothDisplays());
    saveCurrentWindows(laptopOnly());
    startController();
    if (c.wake) {
        controller->willSleep();
    }
    windows->setFrame(report, Rect{0, 25, 600, 400});
    if (c.setChanges) {
        displays->setDisplays({laptop()});
    }
    if (c.reconfigured) {
        controller->handle(DisplayEvent::reconfigured);
    }
    controller->handle(DisplayEvent::screenParameters);
    if (c.wake) {
        controller->didWake();
    }
    scheduler->advance(2.5);

    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_EQ(controller->currentSet().id, (c.setChanges ? laptopOnly() : bothDisplays()).id);
    EXPECT_EQ(controller->lastRestore().has_value(), c.restores);
    EXPECT_EQ(windows->frame(report), (c.restores ? reportFrame : Rect{0, 25, 600, 400}));
    // A restore leaves the second pass waiting; otherwise the periodic snapshot is armed.
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), c.restores ? 1 : 30);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LayoutControllerDecisionTest,
    ::testing::Values(
        DecisionCase{"OffEvenWhenEverythingHappened", false, true, true, true, true, false},
        DecisionCase{"OffWithReconfiguration", false, true, false, true, false, false},
        DecisionCase{"NewSet", true, false, true, false, false, true},
        DecisionCase{"NewSetAfterWakeWithoutRestoreAfterWake", true, false, true, false, true,
                     true},
        DecisionCase{"SameSetReconfigured", true, false, false, true, false, true},
        DecisionCase{"SameSetWakeWithRestoreAfterWake", true, true, false, false, true, true},
        DecisionCase{"SameSetWakeWithoutRestoreAfterWake", true, false, false, false, true, false},
        DecisionCase{"ReconfiguredWhileAsleep", true, false, false, true, true, true},
        DecisionCase{"SameSetParametersOnly", true, true, false, false, false, false}),
    [](const ::testing::TestParamInfo<DecisionCase>& info) { return info.param.name; });

TEST_F(LayoutControllerEventsTest, WithAutomaticRestoreOffTheNewSetIsStillAdoptedAndSaved) {
    preferences->setAutoRestoreOnDisplayChange(false);
    saveCurrentWindows(bothDisplays());
    startController();
    unplugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);
    EXPECT_EQ(controller->currentSet(), laptopOnly());
    scheduler->advance(30);
    EXPECT_EQ(layoutOf(laptopOnly())->savedAt, at(32.5));

    plugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);
    EXPECT_EQ(controller->currentSet(), bothDisplays());
    EXPECT_TRUE(windows->moves().empty());
    EXPECT_FALSE(controller->lastRestore());
}

// MARK: Announcements of a change

TEST_F(LayoutControllerEventsTest, AnAnnouncementAfterTheDisplaysChangedTakesNoSnapshot) {
    startController();
    scheduler->advance(30);
    const SavedLayout before = *layoutOf(bothDisplays());
    unplugStudio();
    controller->displaysWillChange();
    EXPECT_EQ(layoutOf(bothDisplays()), before);
    EXPECT_FALSE(layoutOf(laptopOnly()));
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_EQ(controller->currentSet(), bothDisplays());
}

TEST_F(LayoutControllerEventsTest, AnAnnouncementWithoutEventsWaitsInSettlingWithoutSnapshots) {
    startController();
    controller->displaysWillChange();
    EXPECT_EQ(scheduler->pendingCount(), 0u);
    const std::size_t reads = displays->callCount();
    controller->displaysWillChange(); // a second one changes nothing
    EXPECT_EQ(displays->callCount(), reads);
    scheduler->advance(600);
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_EQ(displays->callCount(), reads);
    EXPECT_EQ(layoutOf(bothDisplays())->savedAt, at(0));

    controller->handle(DisplayEvent::screenParameters);
    scheduler->advance(2.5);
    EXPECT_EQ(controller->phase(), Phase::stable);
}

TEST_F(LayoutControllerEventsTest, AnEventWhileStableCancelsThePeriodicSnapshot) {
    startController();
    scheduler->advance(20);
    controller->handle(DisplayEvent::screenParameters);
    EXPECT_EQ(scheduler->pendingCount(), 1u); // the settle only
    scheduler->advance(2.5);
    scheduler->advance(29.5);
    EXPECT_FALSE(layoutOf(bothDisplays()));
    scheduler->advance(0.5);
    EXPECT_EQ(layoutOf(bothDisplays())->savedAt, at(52.5));
}

// MARK: Sleep and wake

TEST_F(LayoutControllerEventsTest, SleepTakesALastSnapshotAndDisarmsEverything) {
    startController();
    scheduler->advance(10);
    controller->willSleep();
    EXPECT_EQ(controller->phase(), Phase::asleep);
    EXPECT_EQ(layoutOf(bothDisplays())->savedAt, at(10));
    EXPECT_EQ(scheduler->pendingCount(), 0u);
    scheduler->advance(3600);
    EXPECT_EQ(controller->phase(), Phase::asleep);
    EXPECT_EQ(layoutOf(bothDisplays())->savedAt, at(10));
}

TEST_F(LayoutControllerEventsTest, SleepAfterTheDisplaysChangedTakesNoSnapshot) {
    startController();
    displays->setDisplays({laptop()});
    controller->willSleep();
    EXPECT_TRUE(store->layouts().empty());
}

TEST_F(LayoutControllerEventsTest, SleepWhileSettlingCancelsTheSettleAndKeepsItsEvents) {
    saveCurrentWindows(bothDisplays());
    preferences->setRestoreAfterWake(false);
    startController();
    controller->handle(DisplayEvent::reconfigured);
    const std::size_t reads = displays->callCount();
    controller->willSleep();
    EXPECT_EQ(displays->callCount(), reads); // no snapshot while settling
    EXPECT_EQ(scheduler->pendingCount(), 0u);
    scheduler->advance(10);
    EXPECT_EQ(controller->phase(), Phase::asleep);

    // The reconfiguration from before the sleep still counts at the settle after the wake.
    windows->setFrame(report, Rect{0, 25, 600, 400});
    controller->didWake();
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_EQ(controller->pendingEvents(),
              (std::set{DisplayEvent::reconfigured, DisplayEvent::wake}));
    scheduler->advance(2.5);
    EXPECT_EQ(windows->frame(report), reportFrame);
    EXPECT_TRUE(controller->pendingEvents().empty());
}

TEST_F(LayoutControllerEventsTest, EventsWhileAsleepAreOnlyRecorded) {
    startController();
    controller->willSleep();
    const std::size_t reads = displays->callCount();
    controller->handle(DisplayEvent::reconfigured);
    controller->handle(DisplayEvent::screenParameters);
    controller->displaysWillChange();
    EXPECT_EQ(controller->phase(), Phase::asleep);
    EXPECT_EQ(controller->pendingEvents(),
              (std::set{DisplayEvent::reconfigured, DisplayEvent::screenParameters}));
    EXPECT_EQ(scheduler->pendingCount(), 0u);
    EXPECT_EQ(displays->callCount(), reads);
    EXPECT_EQ(changes, 1);
}

TEST_F(LayoutControllerEventsTest, ASecondWakeRestartsTheSettleDelay) {
    startController();
    controller->willSleep();
    controller->didWake();
    scheduler->advance(2);
    controller->didWake();
    scheduler->advance(2);
    EXPECT_EQ(controller->phase(), Phase::settling);
    scheduler->advance(0.5);
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_EQ(changes, 2);
}

TEST_F(LayoutControllerEventsTest, WakeWithADifferentSetRestoresWhateverRestoreAfterWakeSays) {
    preferences->setRestoreAfterWake(false);
    saveCurrentWindows(bothDisplays());
    unplugStudio();
    startController();
    controller->willSleep();
    plugStudio();
    controller->didWake();
    scheduler->advance(2.5);
    EXPECT_EQ(controller->currentSet(), bothDisplays());
    EXPECT_EQ(controller->lastRestore()->result, (RestoreResult{2, 1, 0, 0}));
}

TEST_F(LayoutControllerEventsTest, AWakeWithoutASleepStillKeepsSnapshotsAwayFromTheRestore) {
    saveCurrentWindows(bothDisplays());
    startController();
    scheduler->advance(27);
    windows->setFrame(report, Rect{0, 25, 600, 400});
    controller->didWake(); // the periodic snapshot, due at 30, was never cancelled by a sleep
    scheduler->advance(2.5);
    ASSERT_TRUE(controller->lastRestore());
    EXPECT_EQ(scheduler->pendingCount(), 1u); // the second pass alone
    scheduler->advance(1);
    EXPECT_EQ(layoutOf(bothDisplays())->savedAt, at(0));
    EXPECT_EQ(controller->lastRestore()->result, (RestoreResult{1, 3, 0, 0}));
    scheduler->advance(30);
    EXPECT_EQ(layoutOf(bothDisplays())->savedAt, at(60.5));
}

// MARK: A gap in access to the windows

TEST_F(LayoutControllerEventsTest, AChangeHiddenInAGapInAccessIsRestoredAndNeverSaved) {
    saveCurrentWindows(bothDisplays());
    startController();
    const LayoutStore::Layouts saved = store->layouts();

    controller->accessLost();
    EXPECT_TRUE(controller->accessMissing());
    EXPECT_EQ(controller->phase(), Phase::settling);
    unplugStudio();
    controller->windowEvent({WindowEvent::Kind::changed, windows->live(notes).handle->key()});
    scheduler->advance(LayoutController::snapshotInterval + 1);
    EXPECT_FALSE(controller->snapshotNow());
    EXPECT_EQ(store->layouts(), saved);

    // The studio is back before access is; the piled windows must not be taken for its layout.
    plugStudio();
    controller->accessReturned();
    EXPECT_FALSE(controller->accessMissing());
    EXPECT_FALSE(controller->snapshotNow());
    controller->displaysWillChange();
    scheduler->advance(LayoutController::settleDelay - 0.5);
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_EQ(store->layouts(), saved);

    scheduler->advance(0.5);
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->frame(home), homeFrame);
    EXPECT_EQ(store->layouts(), saved);

    // Once settled, the periodic snapshot saves again, and what it saves is the restored layout.
    scheduler->advance(LayoutController::secondPassDelay + LayoutController::snapshotInterval);
    const std::optional<SavedLayout> after = layoutOf(bothDisplays());
    ASSERT_TRUE(after);
    EXPECT_GT(after->savedAt, saved.begin()->second.savedAt);
    EXPECT_EQ(after->windows, saved.begin()->second.windows);
}

TEST_F(LayoutControllerEventsTest, ASleepInsideAGapInAccessSettlesOnlyOnceAccessReturns) {
    preferences->setRestoreAfterWake(false);
    saveCurrentWindows(bothDisplays());
    startController();
    const LayoutStore::Layouts saved = store->layouts();

    controller->accessLost();
    controller->willSleep();
    EXPECT_EQ(controller->phase(), Phase::asleep);
    windows->setFrame(report, Rect{0, 25, 600, 400});
    controller->handle(DisplayEvent::screenParameters);
    controller->didWake();
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_EQ(scheduler->pendingCount(), 0u);
    scheduler->advance(600);
    EXPECT_EQ(controller->phase(), Phase::settling);
    EXPECT_TRUE(windows->moves().empty());

    controller->accessReturned();
    EXPECT_EQ(
        controller->pendingEvents(),
        (std::set{DisplayEvent::reconfigured, DisplayEvent::screenParameters, DisplayEvent::wake}));
    scheduler->advance(LayoutController::settleDelay);
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_EQ(windows->frame(report), reportFrame);
    EXPECT_EQ(store->layouts(), saved);
}

// MARK: Stopping and releasing

enum class Pending { snapshot, settle, secondPass };

void PrintTo(Pending pending, std::ostream* os) {
    *os << static_cast<int>(pending);
}

class LayoutControllerPendingWorkTest : public LayoutControllerTest,
                                        public ::testing::WithParamInterface<Pending> {
protected:
    // Leaves exactly one piece of delayed work waiting.
    void arm() {
        saveCurrentWindows(bothDisplays());
        startController();
        if (GetParam() != Pending::snapshot) {
            windows->setFrame(report, Rect{0, 25, 600, 400});
            controller->handle(DisplayEvent::reconfigured);
        }
        if (GetParam() == Pending::secondPass) {
            scheduler->advance(2.5);
            windows->setFrame(report, Rect{0, 25, 600, 400});
        }
        ASSERT_EQ(scheduler->pendingCount(), 1u);
        changes = 0;
        windows->clearMoves();
        reads = displays->callCount();
        listings = windows->windowsCallCount();
    }

    void expectNothingRan() {
        EXPECT_EQ(changes, 0);
        EXPECT_TRUE(windows->moves().empty());
        EXPECT_EQ(displays->callCount(), reads);
        EXPECT_EQ(windows->windowsCallCount(), listings);
    }

    std::size_t reads = 0;
    std::size_t listings = 0;
};

TEST_P(LayoutControllerPendingWorkTest, StopCancelsItAndLeavesThePhase) {
    arm();
    const Phase phase = controller->phase();
    controller->stop();
    EXPECT_EQ(scheduler->pendingCount(), 0u);
    scheduler->advance(3600);
    expectNothingRan();
    EXPECT_EQ(controller->phase(), phase);
}

TEST_P(LayoutControllerPendingWorkTest, AReleasedControllersWorkDoesNothing) {
    arm();
    const std::weak_ptr<LayoutController> weak = controller;
    controller.reset();
    EXPECT_TRUE(weak.expired()); // nothing scheduled keeps it alive
    scheduler->advance(3600);
    expectNothingRan();
}

INSTANTIATE_TEST_SUITE_P(Work, LayoutControllerPendingWorkTest,
                         ::testing::Values(Pending::snapshot, Pending::settle, Pending::secondPass),
                         [](const ::testing::TestParamInfo<Pending>& info) {
                             switch (info.param) {
                             case Pending::snapshot:
                                 return "Snapshot";
                             case Pending::settle:
                                 return "Settle";
                             case Pending::secondPass:
                                 return "SecondPass";
                             }
                             return "Unknown";
                         });

} // namespace
} // namespace plimsett::testing

namespace plimsett::testing {
namespace {

class DisplayChangeOnLinuxTest : public LayoutControllerTest {
protected:
    void changed(WindowId window, std::optional<Rect> frame) {
        controller->windowEvent(
            {WindowEvent::Kind::changed, windows->live(window).handle->key(), frame});
    }
};

// A desktop that announces no change: what it reported just before the event is kept, with the
// frames it reported, and what it reports after (its piling) is not.
TEST_F(DisplayChangeOnLinuxTest, AMoveJustBeforeTheUnplugIsWhereTheReplugPutsTheWindow) {
    startController();
    controller->snapshotNow();
    const Rect moved{2100, 320, 800, 600};
    windows->setFrame(notes, moved);
    changed(notes, moved);
    scheduler->advance(0.1);

    unplugStudio();
    controller->handle(DisplayEvent::reconfigured);
    changed(notes, windows->frame(notes));
    scheduler->advance(LayoutController::settleDelay + 1);
    EXPECT_EQ(controller->currentSet(), laptopOnly());

    plugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(LayoutController::settleDelay + LayoutController::secondPassDelay + 1);
    EXPECT_EQ(windows->frame(notes), moved);
    EXPECT_EQ(windows->frame(home), homeFrame);
}

// A known set in its saved arrangement ends the settle after the quiet delay; an unknown one and a
// wake wait the full delay; a cable that comes back within the quiet delay ends in place.
TEST_F(DisplayChangeOnLinuxTest, AKnownSetIsRestoredAfterTheQuietDelayAndAnUnknownOneWaits) {
    makeController();
    controller->setQuietDelay(LayoutController::quietDelay);
    startController();
    controller->snapshotNow();

    unplugStudio(); // the laptop alone has no layout yet
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(LayoutController::quietDelay + 0.05);
    EXPECT_EQ(controller->phase(), Phase::settling);
    scheduler->advance(LayoutController::settleDelay);
    EXPECT_EQ(controller->phase(), Phase::stable);

    plugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(LayoutController::quietDelay + 0.05);
    EXPECT_EQ(controller->phase(), Phase::stable);
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->frame(home), homeFrame);

    // Off and on again at once.
    unplugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(0.1);
    plugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(LayoutController::quietDelay + LayoutController::secondPassDelay + 0.1);
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->frame(home), homeFrame);

    controller->willSleep();
    controller->didWake();
    scheduler->advance(LayoutController::quietDelay + 0.05);
    EXPECT_EQ(controller->phase(), Phase::settling);
}

} // namespace
} // namespace plimsett::testing
