#include "tests/engine/LayoutControllerHarness.h"

namespace plimsett::testing {
namespace {

using LayoutControllerSnapshotTest = LayoutControllerTest;

TEST_F(LayoutControllerSnapshotTest, FreshControllerAdoptsTheDisplaysAndArmsNothing) {
    makeController();
    EXPECT_EQ(controller->phase(), LayoutController::Phase::stable);
    EXPECT_EQ(controller->currentSet(), bothDisplays());
    EXPECT_EQ(displays->callCount(), 1u);
    EXPECT_EQ(scheduler->pendingCount(), 0u);
    EXPECT_FALSE(controller->lastSnapshotAt());
    EXPECT_FALSE(controller->lastRestore());

    scheduler->advance(120);
    EXPECT_EQ(windows->windowsCallCount(), 0u);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(std::filesystem::exists(store->fileURL()));
}

TEST_F(LayoutControllerSnapshotTest, StartReadsTheDisplaysAgainAndSnapshotsEveryThirtySeconds) {
    makeController();
    displays->setDisplays({laptop()});
    controller->start();
    EXPECT_EQ(controller->currentSet(), laptopOnly());
    EXPECT_EQ(changes, 1);

    scheduler->advance(29.5);
    EXPECT_FALSE(layoutOf(laptopOnly()));
    scheduler->advance(0.5);
    const std::optional<SavedLayout> first = layoutOf(laptopOnly());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->savedAt, at(30));
    EXPECT_EQ(controller->lastSnapshotAt(), at(30));
    EXPECT_EQ(first->displaySetName, "Built-in");
    EXPECT_EQ(first->displays, laptopOnly().displays);
    EXPECT_EQ(changes, 2);

    windows->setFrame(report, Rect{10, 30, 500, 300});
    scheduler->advance(30);
    const std::optional<SavedLayout> second = layoutOf(laptopOnly());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->savedAt, at(60));
    EXPECT_EQ(second->windows.at(0).frame, (Rect{10, 30, 500, 300}));
    EXPECT_EQ(changes, 3);
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 30);
}

TEST_F(LayoutControllerSnapshotTest, SnapshotRecordsEveryWindowOfEveryProcessInListingOrder) {
    // A second process of the editor numbers its windows from 0 again.
    const auto secondEditor = windows->addApp(editor, "Editor");
    windows->addWindow(secondEditor, "", Rect{50, 50, 300, 200});
    windows->setMinimized(notes, true);
    windows->setFullScreen(home, true);
    makeController();

    const std::optional<SavedLayout> layout = controller->snapshotNow();
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->displaySetID, bothDisplays().id);
    EXPECT_EQ(layout->displaySetName, "Built-in + Studio");
    EXPECT_EQ(layout->savedAt, at(0));
    const std::vector<SavedWindow> expected{
        {editor, editor, "Report", 0, reportFrame, false, false},
        {editor, editor, "Notes", 1, notesFrame, true, false},
        {browser, browser, "Home", 0, homeFrame, false, true},
        {editor, "Editor", "", 0, Rect{50, 50, 300, 200}, false, false},
    };
    EXPECT_EQ(layout->windows, expected);
    EXPECT_EQ(layoutOf(bothDisplays()), layout);
    EXPECT_EQ(changes, 1);
}

TEST_F(LayoutControllerSnapshotTest, ExcludedApplicationsAreLeftOutWhileTheirSavedWindowsAreKept) {
    startController();
    scheduler->advance(30);
    ASSERT_EQ(layoutOf(bothDisplays())->windows.size(), 3u);

    // Once the editor is excluded, snapshots describe the browser alone; the store keeps the
    // editor's windows from the layout before.
    preferences->setExcludedBundleIDs({editor});
    windows->setFrame(home, Rect{2100, 300, 1000, 700});
    scheduler->advance(30);
    const std::optional<SavedLayout> layout = layoutOf(bothDisplays());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->savedAt, at(60));
    // The browser's window is new; the editor's are carried over from the previous layout.
    ASSERT_EQ(layout->windows.size(), 3u);
    EXPECT_EQ(layout->windows[0].bundleID, browser);
    EXPECT_EQ(layout->windows[0].frame, (Rect{2100, 300, 1000, 700}));
    EXPECT_EQ(layout->windows[1].title, "Report");
    EXPECT_EQ(layout->windows[2].title, "Notes");
}

TEST_F(LayoutControllerSnapshotTest, WithoutAccessNothingIsSavedButTheTimerKeepsFiring) {
    windows->setTrusted(false);
    startController();
    scheduler->advance(90);
    EXPECT_FALSE(layoutOf(bothDisplays()));
    EXPECT_FALSE(controller->lastSnapshotAt());
    EXPECT_EQ(changes, 4); // start and three snapshots that found the display set unchanged
    EXPECT_EQ(scheduler->pendingCount(), 1u);
    EXPECT_FALSE(controller->snapshotNow());
    EXPECT_FALSE(std::filesystem::exists(store->fileURL()));

    windows->setTrusted(true);
    scheduler->advance(30);
    ASSERT_TRUE(layoutOf(bothDisplays()));
    EXPECT_EQ(controller->lastSnapshotAt(), at(120));
}

TEST_F(LayoutControllerSnapshotTest, WithoutDisplaysNothingIsSaved) {
    displays->setDisplays({});
    startController();
    scheduler->advance(60);
    EXPECT_TRUE(store->layouts().empty());
    EXPECT_FALSE(controller->lastSnapshotAt());
    EXPECT_EQ(controller->phase(), LayoutController::Phase::stable);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(scheduler->pendingCount(), 1u);
}

TEST_F(LayoutControllerSnapshotTest,
       ManualSnapshotWithoutDisplaysReturnsNothingAndKeepsTheCurrentSet) {
    makeController();
    displays->setDisplays({});
    EXPECT_FALSE(controller->snapshotNow());
    EXPECT_EQ(controller->currentSet(), bothDisplays());
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(store->layouts().empty());
}

TEST_F(LayoutControllerSnapshotTest, OnlyExcludedWindowsNeverReplaceTheSavedLayout) {
    preferences->setExcludedBundleIDs({editor, browser});
    startController();
    scheduler->advance(30);
    EXPECT_FALSE(std::filesystem::exists(store->fileURL()));
    EXPECT_FALSE(controller->lastSnapshotAt());

    preferences->setExcludedBundleIDs({});
    scheduler->advance(30);
    const std::optional<SavedLayout> saved = layoutOf(bothDisplays());
    ASSERT_TRUE(saved);

    preferences->setExcludedBundleIDs({editor, browser});
    windows->setFrame(report, Rect{0, 25, 100, 100});
    scheduler->advance(30);
    EXPECT_EQ(layoutOf(bothDisplays()), saved);
    EXPECT_EQ(controller->lastSnapshotAt(), at(60));
    // Exclusion compares identifiers exactly.
    preferences->setExcludedBundleIDs({"COM.EXAMPLE.EDITOR", browser});
    EXPECT_EQ(controller->snapshotNow()->windows.size(), 3u); // Report, then Notes and Home kept
    EXPECT_EQ(layoutOf(bothDisplays())->windows.at(0).frame, (Rect{0, 25, 100, 100}));
}

TEST_F(LayoutControllerSnapshotTest, DisplaySetChangedUnderTheTimerSavesNeitherSetAndSettles) {
    startController();
    scheduler->advance(30);
    const std::optional<SavedLayout> before = layoutOf(bothDisplays());
    ASSERT_TRUE(before);
    const int changesBefore = changes;

    unplugStudio(); // and nobody told the controller
    scheduler->advance(30);
    EXPECT_EQ(controller->phase(), LayoutController::Phase::settling);
    EXPECT_EQ(controller->pendingEvents(), std::set{DisplayEvent::screenParameters});
    EXPECT_EQ(layoutOf(bothDisplays()), before);
    EXPECT_FALSE(layoutOf(laptopOnly()));
    EXPECT_EQ(controller->lastSnapshotAt(), at(30));
    EXPECT_EQ(changes, changesBefore);
    EXPECT_DOUBLE_EQ(scheduler->nextDueIn(), 2.5); // only the settle waits

    scheduler->advance(2.5);
    EXPECT_EQ(controller->phase(), LayoutController::Phase::stable);
    EXPECT_EQ(controller->currentSet(), laptopOnly());
    EXPECT_TRUE(controller->pendingEvents().empty());
    EXPECT_EQ(changes, changesBefore + 1);
    EXPECT_TRUE(windows->moves().empty()); // no layout for the laptop alone yet
    scheduler->advance(30);
    ASSERT_TRUE(layoutOf(laptopOnly()));
    EXPECT_EQ(layoutOf(laptopOnly())->savedAt, at(92.5));
    EXPECT_EQ(layoutOf(bothDisplays()), before);
}

TEST_F(LayoutControllerSnapshotTest, ManualSnapshotWhileSettlingAdoptsTheSetTheSettleThenCompares) {
    startController();
    scheduler->advance(30);
    displays->setDisplays({laptop()});
    controller->displaysWillChange();
    ASSERT_EQ(controller->phase(), LayoutController::Phase::settling);

    ASSERT_TRUE(controller->snapshotNow());
    EXPECT_EQ(controller->currentSet(), laptopOnly());
    EXPECT_EQ(layoutOf(laptopOnly())->savedAt, at(30));
    EXPECT_EQ(controller->phase(), LayoutController::Phase::settling);

    // The set now matches the adopted one and only the parameters changed: nothing to restore,
    // although the window was pushed away after the manual snapshot. Only the windows left on
    // the unplugged display are brought into view.
    windows->setFrame(report, Rect{700, 400, 600, 400});
    controller->handle(DisplayEvent::screenParameters);
    scheduler->advance(2.5);
    EXPECT_EQ(controller->phase(), LayoutController::Phase::stable);
    EXPECT_EQ(windows->frame(report), (Rect{700, 400, 600, 400}));
}

TEST_F(LayoutControllerSnapshotTest, CurrentLayoutIsTheStoredLayoutOfTheAdoptedSet) {
    makeController();
    EXPECT_FALSE(controller->currentLayout());
    const SavedLayout both = saveCurrentWindows(bothDisplays());
    const std::size_t reads = displays->callCount();
    EXPECT_EQ(controller->currentLayout(), both);
    EXPECT_EQ(displays->callCount(), reads);
    displays->setDisplays({laptop()});
    EXPECT_EQ(controller->currentLayout(), both); // until a new set is adopted
}

} // namespace
} // namespace plimsett::testing
