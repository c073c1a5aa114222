#include "tests/engine/LayoutControllerHarness.h"

namespace plimsett::testing {
namespace {

using LayoutControllerFidelityTest = LayoutControllerTest;

RestoreResult counts(std::int64_t moved, std::int64_t inPlace, std::int64_t skipped,
                     std::int64_t failed) {
    return RestoreResult{moved, inPlace, skipped, failed};
}

TEST_F(LayoutControllerFidelityTest, AMaximisedWindowComesBackMaximisedOnItsDisplayInOnePass) {
    windows->setFrame(notes, studioVisible);
    windows->setMaximized(notes, true, true);
    saveCurrentWindows(bothDisplays());
    makeController();
    unplugStudio(); // the window manager keeps it maximised, on the laptop
    windows->setFrame(notes, laptopVisible);
    plugStudio();

    EXPECT_EQ(restoreNow(), counts(2, 1, 0, 0));
    EXPECT_EQ(windows->moveAllCallCount(), 1u);
    EXPECT_EQ(windows->frame(notes), studioVisible);
    EXPECT_TRUE(windows->live(notes).isMaximizedHorizontally);
    EXPECT_TRUE(windows->live(notes).isMaximizedVertically);

    // Maximised on the right display is in place, even where the window manager's maximised
    // area is not exactly the saved one.
    windows->setFrame(notes, Rect{1440, 30, 2550, 1405});
    EXPECT_EQ(restoreNow(), counts(0, 3, 0, 0));
    // Maximised only vertically where it was maximised both ways is out of place.
    windows->setMaximized(notes, false, true);
    EXPECT_EQ(restoreNow(), counts(1, 2, 0, 0));
    EXPECT_TRUE(windows->live(notes).isMaximizedHorizontally);
}

TEST_F(LayoutControllerFidelityTest, AfterASettleWindowsThatNoDisplayShowsAreBroughtIntoView) {
    startController();
    // No layout is saved. The window manager left Home where the studio display was, and Notes
    // straddles the laptop's right edge.
    displays->setDisplays({laptop()});
    windows->setFrame(notes, Rect{1300, 200, 800, 600});
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);

    EXPECT_EQ(windows->frame(home), (Rect{440, 200, 1000, 700}));
    EXPECT_EQ(windows->frame(notes), (Rect{1300, 200, 800, 600}));
    EXPECT_EQ(windows->frame(report), reportFrame);
    ASSERT_TRUE(controller->lastRestore());
    EXPECT_EQ(controller->lastRestore()->result, counts(1, 0, 0, 0));

    // With automatic restoring off nothing is moved, not even a stranded window.
    preferences->setAutoRestoreOnDisplayChange(false);
    windows->setFrame(home, homeFrame);
    controller->handle(DisplayEvent::screenParameters);
    scheduler->advance(2.5);
    EXPECT_EQ(windows->frame(home), homeFrame);
}

TEST_F(LayoutControllerFidelityTest, AStrandedMaximisedWindowComesBackMaximisedAndStaysInView) {
    startController();
    // The studio display went and the window manager left Home maximised where it was.
    displays->setDisplays({laptop()});
    windows->setFrame(home, studioVisible);
    windows->setMaximized(home, true, true);
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);
    EXPECT_GT(laptopFrame.intersection(windows->frame(home)).area(), 0);
    EXPECT_TRUE(windows->live(home).isMaximizedHorizontally);
    EXPECT_TRUE(windows->live(home).isMaximizedVertically);

    // The client's late answer to the un-maximise puts its old frame back: a second later it is
    // brought into view again, and only once more.
    windows->setFrame(home, studioVisible);
    windows->setMaximized(home, false, false);
    scheduler->advance(1.0);
    EXPECT_GT(laptopFrame.intersection(windows->frame(home)).area(), 0);
    windows->setFrame(home, studioVisible);
    scheduler->advance(5.0);
    EXPECT_EQ(windows->frame(home), studioVisible);
}

TEST_F(LayoutControllerFidelityTest, TheSameDisplaysInAnotherArrangementGetTheirWindowsBack) {
    saveCurrentWindows(bothDisplays());
    startController();
    // The studio display now stands left of the laptop, at half its former resolution.
    const DisplayInfo studioLeft = FakeDisplayProvider::display(
        "studio-uuid", Rect{-1280, 0, 1280, 720}, Rect{-1280, 25, 1280, 695}, "Studio");
    displays->setDisplays({laptop(), studioLeft});
    windows->setFrame(notes, Rect{40, 60, 800, 600});
    windows->setFrame(home, Rect{300, 80, 1000, 700});
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(2.5);

    // Same place relative to the studio's visible frame, scaled by half in each direction.
    const double sx = 1280.0 / 2560.0, sy = 695.0 / 1415.0;
    const Rect notesThere{-1280 + (1600 - 1440) * sx, 25 + (200 - 25) * sy, 800 * sx, 600 * sy};
    EXPECT_EQ(windows->frame(notes), notesThere);
    EXPECT_EQ(windows->frame(report), reportFrame);

    // Once the new arrangement has its own layout, that layout wins.
    scheduler->advance(1 + 30);
    ASSERT_TRUE(layoutOf(DisplaySet({laptop(), studioLeft})));
    windows->setFrame(notes, Rect{-1200, 100, 300, 200});
    scheduler->advance(30);
    windows->setFrame(notes, Rect{40, 60, 800, 600});
    EXPECT_TRUE(restoreNow());
    EXPECT_EQ(windows->frame(notes), (Rect{-1200, 100, 300, 200}));

    // Without the preference another arrangement restores nothing.
    store->forget(DisplaySet({laptop(), studioLeft}).id);
    preferences->setRestoreOtherArrangements(false);
    EXPECT_FALSE(restoreNow());
}

TEST_F(LayoutControllerFidelityTest,
       APassAnsweredLaterIsFollowedUpOnlyOnceAnsweredAndIfNothingChanged) {
    saveCurrentWindows(bothDisplays());
    startController();
    // The studio display goes and comes back; the restore pass at the settle is answered late.
    const auto replugWithAnswersHeld = [this] {
        unplugStudio();
        controller->handle(DisplayEvent::reconfigured);
        scheduler->advance(2.5);
        windows->holdAnswers();
        plugStudio();
        controller->handle(DisplayEvent::reconfigured);
        scheduler->advance(2.5);
    };
    replugWithAnswersHeld();
    ASSERT_EQ(windows->moveAllCallCount(), 1u);
    EXPECT_EQ(windows->frame(notes), notesFrame);
    // No second pass and no snapshot while the answers are out: windows on their way would be
    // saved half-way.
    const auto snapshotBefore = controller->lastSnapshotAt();
    scheduler->advance(40);
    EXPECT_EQ(windows->moveAllCallCount(), 1u);
    EXPECT_EQ(controller->lastSnapshotAt(), snapshotBefore);
    EXPECT_FALSE(controller->lastRestore());

    const int changesBefore = changes;
    windows->releaseAnswers();
    ASSERT_TRUE(controller->lastRestore());
    EXPECT_EQ(controller->lastRestore()->result, counts(2, 1, 0, 0));
    EXPECT_GT(changes, changesBefore);
    scheduler->advance(1.0);
    EXPECT_EQ(controller->lastRestore()->result, counts(2, 3, 0, 0)); // the second pass
    scheduler->advance(30);
    EXPECT_NE(controller->lastSnapshotAt(), snapshotBefore);

    // A display change while the windows move: its own settle decides, the stale pass has no
    // follow-up.
    replugWithAnswersHeld();
    const std::size_t passes = windows->moveAllCallCount();
    controller->handle(DisplayEvent::screenParameters);
    windows->releaseAnswers();
    scheduler->advance(1.0);
    EXPECT_EQ(windows->moveAllCallCount(), passes);
}

} // namespace
} // namespace plimsett::testing
