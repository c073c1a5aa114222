#include "tests/engine/LayoutControllerHarness.h"

namespace plimsett::testing {
namespace {

using LayoutControllerRestoreTest = LayoutControllerTest;
using MoveResponse = FakeWindowSystem::MoveResponse;

RestoreResult counts(std::int64_t moved, std::int64_t inPlace, std::int64_t skipped,
                     std::int64_t failed) {
    return RestoreResult{moved, inPlace, skipped, failed};
}

// MARK: One pass, run by hand

TEST_F(LayoutControllerRestoreTest, RestoreNowPutsWindowsBackAndCountsEveryPair) {
    saveCurrentWindows(bothDisplays());
    makeController();
    unplugStudio();
    plugStudio();

    const std::optional<RestoreResult> result = restoreNow();
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, counts(2, 1, 0, 0));
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->frame(home), homeFrame);
    // Applications in identifier order: the browser before the editor.
    ASSERT_EQ(windows->moves().size(), 2u);
    EXPECT_EQ(windows->moves()[0].window, home);
    EXPECT_EQ(windows->moves()[1].window, notes);
    ASSERT_TRUE(controller->lastRestore());
    EXPECT_EQ(controller->lastRestore()->date, at(0));
    EXPECT_EQ(controller->lastRestore()->result, *result);
    EXPECT_EQ(changes, 1);
    // One pass only: nothing is armed.
    EXPECT_EQ(scheduler->pendingCount(), 0u);

    // Everything is in place now: a second restore moves nothing.
    EXPECT_EQ(restoreNow(), counts(0, 3, 0, 0));
    EXPECT_EQ(windows->moves().size(), 2u);
}

TEST_F(LayoutControllerRestoreTest, AWindowOnAnotherWorkspaceIsMovedThereAndOneWithoutIsLeft) {
    windows->setWorkspace(report, Workspace{2});
    windows->setWorkspace(notes, Workspace::every());
    windows->setWorkspace(home, Workspace{0});
    saveCurrentWindows(bothDisplays());
    makeController();
    // Moved to other workspaces by hand, on the same frames.
    windows->setWorkspace(report, Workspace{0});
    windows->setWorkspace(notes, Workspace{1});
    EXPECT_EQ(restoreNow(), counts(2, 1, 0, 0));
    EXPECT_EQ(windows->workspace(report), Workspace{2});
    EXPECT_EQ(windows->workspace(notes), Workspace::every());

    // A record without a workspace (an older file) leaves the window on the one it is on.
    SavedLayout older = *layoutOf(bothDisplays());
    for (SavedWindow& w : older.windows) {
        w.workspace.reset();
    }
    saveLayout(bothDisplays(), older.windows);
    windows->setWorkspace(home, Workspace{3});
    EXPECT_EQ(restoreNow(), counts(0, 3, 0, 0));
    EXPECT_EQ(windows->workspace(home), Workspace{3});
}

TEST_F(LayoutControllerRestoreTest, SavedFramesAreFittedOntoTheDisplaysThatExistNow) {
    saveLayout(laptopOnly(), {{editor, editor, "Report", 0, Rect{1300, 100, 400, 300}},
                              {editor, editor, "Notes", 1, Rect{-50, 0, 2000, 1200}},
                              {browser, browser, "Home", 0, Rect{200, 100, 400, 300}}});
    displays->setDisplays({laptop()});
    makeController();
    EXPECT_EQ(restoreNow(), counts(3, 0, 0, 0));
    EXPECT_EQ(windows->frame(report), (Rect{1040, 100, 400, 300}));
    EXPECT_EQ(windows->frame(notes), laptopVisible);
    EXPECT_EQ(windows->frame(home), (Rect{200, 100, 400, 300}));
}

TEST_F(LayoutControllerRestoreTest, AWindowIsInPlaceWhenEveryEdgeIsOffByLessThanTwoPoints) {
    saveCurrentWindows(bothDisplays());
    makeController();
    struct Offset {
        double dx, dy, dw, dh;
        bool moves;
    };
    const Offset offsets[] = {
        {1.5, 0, 0, 0, false},         {2, 0, 0, 0, true},      {0, -1.99, 0, 0, false},
        {0, -2, 0, 0, true},           {0, 0, 1.999, 0, false}, {0, 0, 0, -2, true},
        {-1.9, 1.9, -1.9, 1.9, false},
    };
    for (const Offset& o : offsets) {
        windows->clearMoves();
        windows->setFrame(report, Rect{reportFrame.x + o.dx, reportFrame.y + o.dy,
                                       reportFrame.width + o.dw, reportFrame.height + o.dh});
        const RestoreResult result = *restoreNow();
        EXPECT_EQ(result, o.moves ? counts(1, 2, 0, 0) : counts(0, 3, 0, 0))
            << o.dx << " " << o.dy << " " << o.dw << " " << o.dh;
        EXPECT_EQ(windows->moves().size(), o.moves ? 1u : 0u);
    }
}

TEST_F(LayoutControllerRestoreTest, MinimisedOrFullScreenOnEitherSideIsSkipped) {
    const auto draft = windows->addWindow(editor, "Draft", Rect{300, 300, 400, 300});
    saveLayout(bothDisplays(), {{editor, editor, "Report", 0, reportFrame},
                                {editor, editor, "Notes", 1, notesFrame, true, false},
                                {editor, editor, "Draft", 2, Rect{200, 200, 400, 300}, false, true},
                                {browser, browser, "Home", 0, homeFrame}});
    windows->setFrame(report, Rect{0, 25, 600, 400});
    windows->setMinimized(report, true);
    windows->setFrame(notes, Rect{0, 25, 800, 600}); // only the saved one was minimised
    windows->setFrame(draft, Rect{0, 25, 400, 300});
    windows->setFrame(home, Rect{0, 25, 1000, 700});
    windows->setFullScreen(home, true);
    makeController();
    EXPECT_EQ(restoreNow(), counts(0, 0, 4, 0));
    EXPECT_TRUE(windows->moves().empty());
}

TEST_F(LayoutControllerRestoreTest, FramesThatFitNoDisplayAreSkipped) {
    saveCurrentWindows(bothDisplays());
    makeController();
    DisplayInfo blank = laptop();
    blank.visibleFrame = Rect{0, 0, 0, 875};
    const SavedLayout layout = *layoutOf(bothDisplays());
    EXPECT_EQ(restore(layout, {blank}), counts(0, 0, 3, 0));
    EXPECT_EQ(restore(layout, {}), counts(0, 0, 3, 0));
    EXPECT_TRUE(windows->moves().empty());
}

TEST_F(LayoutControllerRestoreTest, RefusedAndVanishedWindowsFailWithoutStoppingThePass) {
    saveCurrentWindows(bothDisplays());
    makeController();
    unplugStudio();
    plugStudio();
    windows->setFrame(report, Rect{0, 25, 600, 400});
    windows->setMoveResponse(home, MoveResponse::refuse);
    windows->setMoveResponse(report, MoveResponse::vanish);

    EXPECT_EQ(restoreNow(), counts(1, 0, 0, 2));
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->frame(home), (Rect{300, 80, 1000, 700}));
    EXPECT_FALSE(windows->isOpen(report));
    EXPECT_EQ(controller->lastRestore()->result, counts(1, 0, 0, 2));
}

TEST_F(LayoutControllerRestoreTest, ExcludedApplicationsAreNeitherMovedNorCounted) {
    saveCurrentWindows(bothDisplays());
    makeController();
    unplugStudio();
    plugStudio();
    preferences->setExcludedBundleIDs({browser});
    EXPECT_EQ(restoreNow(), counts(1, 1, 0, 0));
    EXPECT_EQ(windows->frame(home), (Rect{300, 80, 1000, 700}));
    ASSERT_EQ(windows->moves().size(), 1u);
    EXPECT_EQ(windows->moves()[0].window, notes);
}

TEST_F(LayoutControllerRestoreTest, ALayoutOfAppsThatDoNotRunStillRecordsTheRestore) {
    saveLayout(bothDisplays(), {{"com.example.mail", "Mail", "Inbox", 0, reportFrame}});
    makeController();
    scheduler->advance(5);
    EXPECT_EQ(restoreNow(), counts(0, 0, 0, 0));
    ASSERT_TRUE(controller->lastRestore());
    EXPECT_EQ(controller->lastRestore()->date, at(5));
}

TEST_F(LayoutControllerRestoreTest, WithoutAccessThePassDoesNothingButTheManualRestoreStillAdopts) {
    saveCurrentWindows(laptopOnly());
    makeController();
    displays->setDisplays({laptop()});
    windows->setTrusted(false);
    const std::size_t listings = windows->windowsCallCount();

    EXPECT_EQ(restoreNow(), counts(0, 0, 0, 0));
    EXPECT_EQ(windows->windowsCallCount(), listings);
    EXPECT_FALSE(controller->lastRestore());
    EXPECT_EQ(controller->currentSet(), laptopOnly());
    EXPECT_EQ(changes, 1);
}

TEST_F(LayoutControllerRestoreTest, RestoreNowWithoutALayoutReturnsNothingButAdoptsAndNotifies) {
    makeController();
    displays->setDisplays({});
    EXPECT_FALSE(restoreNow());
    EXPECT_EQ(controller->currentSet(), DisplaySet());
    EXPECT_FALSE(controller->lastRestore());
    EXPECT_EQ(changes, 1);
}

TEST_F(LayoutControllerRestoreTest, RestoreNowLeavesPhaseEventsAndTimersAlone) {
    saveCurrentWindows(bothDisplays());
    startController();
    controller->displaysWillChange();
    controller->handle(DisplayEvent::reconfigured);
    ASSERT_EQ(scheduler->pendingCount(), 1u);
    EXPECT_TRUE(restoreNow());
    EXPECT_EQ(controller->phase(), LayoutController::Phase::settling);
    EXPECT_EQ(controller->pendingEvents(), std::set{DisplayEvent::reconfigured});
    EXPECT_EQ(scheduler->pendingCount(), 1u);
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 2.5);
}

// MARK: Automatic restore and its second pass

class LayoutControllerAutoRestoreTest : public LayoutControllerTest {
protected:
    // Four windows out of place, one of which refuses its first move; a reconfiguration that
    // ends with the same displays settles 2.5 seconds later and restores.
    void SetUp() override {
        LayoutControllerTest::SetUp();
        draft = windows->addWindow(browser, "Draft", Rect{1500, 900, 500, 400});
        saveCurrentWindows(bothDisplays());
        startController();
        unplugStudio();
        plugStudio();
        windows->setFrame(draft, Rect{500, 100, 500, 400});
        windows->setMoveResponse(draft, MoveResponse::refuse);
        controller->handle(DisplayEvent::reconfigured);
        scheduler->advance(2.5);
        changesAfterSettle = changes;
    }

    WindowId draft = 0;
    int changesAfterSettle = 0;
};

TEST_F(LayoutControllerAutoRestoreTest, SecondPassCombinesTheMovesOfBothPasses) {
    ASSERT_TRUE(controller->lastRestore());
    EXPECT_EQ(controller->lastRestore()->date, at(2.5));
    EXPECT_EQ(controller->lastRestore()->result, counts(2, 1, 0, 1));
    // Only the second pass waits; the periodic snapshot is not armed yet.
    EXPECT_EQ(scheduler->pendingCount(), 1u);
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 1);

    windows->setMoveResponse(draft, MoveResponse::accept);
    windows->setFrame(report, Rect{0, 25, 600, 400}); // pushed away once more
    const std::size_t reads = displays->callCount();
    scheduler->advance(1);
    // First pass: Home, Notes moved, Report in place, Draft refused. Second pass: Draft and
    // Report moved, Home and Notes in place.
    EXPECT_EQ(controller->lastRestore()->result, counts(4, 2, 0, 0));
    EXPECT_EQ(controller->lastRestore()->date, at(3.5));
    EXPECT_EQ(windows->frame(draft), (Rect{1500, 900, 500, 400}));
    EXPECT_EQ(windows->frame(report), reportFrame);
    EXPECT_EQ(displays->callCount(), reads); // the captured displays, not read again
    EXPECT_EQ(changes, changesAfterSettle + 1);
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 30);

    scheduler->advance(30);
    EXPECT_EQ(layoutOf(bothDisplays())->savedAt, at(33.5));
}

TEST_F(LayoutControllerAutoRestoreTest, ThreeMovedThenOneMovedAndThreeInPlaceMakeFourAndThree) {
    // A fresh change in which every window accepts its frame and three of four are out of place.
    windows->setMoveResponse(draft, MoveResponse::accept);
    windows->setFrame(draft, Rect{500, 100, 500, 400});
    windows->setFrame(home, Rect{300, 80, 1000, 700});
    windows->setFrame(notes, Rect{40, 60, 800, 600});
    windows->setFrame(report, reportFrame);
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);
    ASSERT_EQ(controller->lastRestore()->result, counts(3, 1, 0, 0));

    // Before the second pass the system shoves one window again.
    scheduler->advance(0.5);
    windows->setFrame(notes, Rect{40, 60, 800, 600});
    scheduler->advance(0.5);
    EXPECT_EQ(controller->lastRestore()->result, counts(4, 3, 0, 0));
}

TEST_F(LayoutControllerAutoRestoreTest, ANewChangeWithinTheSecondCancelsTheSecondPass) {
    const std::function<void(LayoutController&)> triggers[] = {
        [](LayoutController& c) { c.displaysWillChange(); },
        [](LayoutController& c) { c.handle(DisplayEvent::screenParameters); },
        [](LayoutController& c) { c.willSleep(); },
    };
    for (const auto& change : triggers) {
        SCOPED_TRACE(&change - triggers);
        TearDown();
        SetUp();
        const auto first = controller->lastRestore();
        ASSERT_TRUE(first);
        windows->setMoveResponse(draft, MoveResponse::accept);
        const std::size_t moves = windows->moves().size();

        scheduler->advance(0.5);
        change(*controller);
        scheduler->advance(0.5);
        EXPECT_EQ(controller->lastRestore()->date, first->date);
        EXPECT_EQ(controller->lastRestore()->result, first->result);
        EXPECT_EQ(windows->moves().size(), moves);
        EXPECT_NE(controller->phase(), LayoutController::Phase::stable);
    }
}

TEST_F(LayoutControllerAutoRestoreTest, AnotherSetAdoptedByHandLeavesItAloneButSnapshotsGoOn) {
    scheduler->advance(0.5);
    displays->setDisplays({laptop()});
    EXPECT_FALSE(restoreNow()); // adopts the laptop alone; nothing saved for it
    windows->setMoveResponse(draft, MoveResponse::accept);
    const std::size_t moves = windows->moves().size();

    scheduler->advance(0.5);
    EXPECT_EQ(windows->moves().size(), moves);
    EXPECT_EQ(controller->lastRestore()->result, counts(2, 1, 0, 1));
    EXPECT_EQ(controller->phase(), LayoutController::Phase::stable);
    // No settle is coming for a change nobody announced, so the periodic snapshot carries on.
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 30);
    scheduler->advance(30);
    ASSERT_TRUE(layoutOf(laptopOnly()));
    EXPECT_EQ(layoutOf(laptopOnly())->savedAt, at(33.5));
}

} // namespace
} // namespace plimsett::testing
