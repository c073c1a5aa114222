// The layout follows the windows as the user moves them, never the desktop's piling of them, and
// a window that opens again goes where it was saved.
#include "tests/engine/LayoutControllerHarness.h"

#include <algorithm>

namespace plimsett::testing {
namespace {

class WindowFollowerTest : public LayoutControllerTest {
protected:
    void changed(WindowId window) {
        controller->windowEvent({WindowEvent::Kind::changed, windows->live(window).handle->key()});
    }
    std::optional<Rect> savedFrame(const DisplaySet& set, const std::string& title) const {
        const auto layout = layoutOf(set);
        if (!layout) {
            return std::nullopt;
        }
        const auto found = std::find_if(layout->windows.begin(), layout->windows.end(),
                                        [&](const SavedWindow& w) { return w.title == title; });
        return found == layout->windows.end() ? std::nullopt : std::optional(found->frame);
    }
    std::filesystem::file_time_type written() const {
        return std::filesystem::last_write_time(store->fileURL());
    }
};

TEST_F(WindowFollowerTest, AMoveIsSavedASecondAfterTheLastChangeAndOnlyWhenItChangedAnything) {
    startController();
    controller->snapshotNow();
    const auto firstWrite = written();

    // A drag: a report every quarter second for two seconds, then quiet.
    for (int step = 1; step <= 8; ++step) {
        windows->setFrame(notes, Rect{1600.0 + 50 * step, 200, 800, 600});
        changed(notes);
        scheduler->advance(0.25);
    }
    EXPECT_EQ(savedFrame(bothDisplays(), "Notes"), notesFrame) << "saved in the middle of a drag";
    scheduler->advance(WindowFollower::followDelay);
    EXPECT_EQ(savedFrame(bothDisplays(), "Notes"), (Rect{2000, 200, 800, 600}));

    // A report that changed nothing leaves the file as it is.
    std::filesystem::last_write_time(store->fileURL(), firstWrite);
    changed(notes);
    scheduler->advance(WindowFollower::followDelay);
    EXPECT_EQ(written(), firstWrite);
}

TEST_F(WindowFollowerTest, TheDesktopsPilingIsNeverSavedWhicheverComesFirst) {
    startController();
    controller->snapshotNow();
    const SavedLayout before = *layoutOf(bothDisplays());

    // The display event first, then the piled windows' reports.
    unplugStudio();
    controller->handle(DisplayEvent::reconfigured);
    changed(notes);
    changed(home);
    scheduler->advance(LayoutController::settleDelay + WindowFollower::followDelay + 5);
    EXPECT_EQ(layoutOf(bothDisplays())->windows, before.windows);

    // The reports first, the display event not at all: the snapshot sees other displays.
    plugStudio();
    controller->handle(DisplayEvent::reconfigured);
    scheduler->advance(LayoutController::settleDelay + LayoutController::secondPassDelay + 5);
    const SavedLayout replugged = *layoutOf(bothDisplays());
    unplugStudio();
    changed(notes);
    changed(home);
    scheduler->advance(WindowFollower::followDelay);
    EXPECT_EQ(controller->phase(), LayoutController::Phase::settling);
    scheduler->advance(LayoutController::settleDelay + 5);
    EXPECT_EQ(layoutOf(bothDisplays())->windows, replugged.windows);
}

TEST_F(WindowFollowerTest, AWindowThatOpensAgainGoesWhereItWasUnlessSwitchedOffOrExcluded) {
    windows->setWorkspace(notes, Workspace{2});
    startController();
    controller->snapshotNow();
    const auto reopen = [&](const std::string& bundleID) {
        // A new process of the application, with a window of the same title where the desktop
        // puts new windows.
        windows->close(notes);
        const auto app = windows->addApp(bundleID);
        notes = windows->addWindow(app, "Notes", Rect{200, 150, 800, 600});
        windows->setWorkspace(notes, Workspace{0}); // the one the user looks at
        controller->windowEvent({WindowEvent::Kind::appeared, windows->live(notes).handle->key()});
        scheduler->advance(0); // the events that come together are handled together
    };

    reopen(editor);
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->workspace(notes), Workspace{2}) << "opened on another workspace";

    // When a window goes, and still once the layout has followed its application quitting, the
    // desktop is told where it would go, so that it can put it there before it is first shown;
    // a display change takes that back.
    windows->close(notes);
    controller->windowEvent({WindowEvent::Kind::gone, "closed"});
    scheduler->advance(0);
    ASSERT_EQ(windows->openings().size(), 1u);
    EXPECT_EQ(windows->openings()[0].title, "Notes");
    EXPECT_EQ(windows->openings()[0].frame, notesFrame);
    EXPECT_EQ(windows->openings()[0].workspace, Workspace{2});
    windows->close(report);
    controller->windowEvent({WindowEvent::Kind::gone, "closed too"});
    scheduler->advance(WindowFollower::followDelay + 0.1);
    EXPECT_EQ(windows->openings().size(), 2u);
    controller->handle(DisplayEvent::screenParameters);
    EXPECT_TRUE(windows->openings().empty());
    scheduler->advance(LayoutController::settleDelay + 0.1);
    EXPECT_EQ(windows->openings().size(), 2u);
    const auto app = windows->addApp(editor);
    notes = windows->addWindow(app, "Notes", Rect{200, 150, 800, 600});
    controller->windowEvent({WindowEvent::Kind::appeared, windows->live(notes).handle->key()});
    scheduler->advance(0);
    EXPECT_EQ(windows->frame(notes), notesFrame);

    preferences->setPlaceOpeningWindows(false);
    reopen(editor);
    EXPECT_EQ(windows->frame(notes), (Rect{200, 150, 800, 600}));

    preferences->setPlaceOpeningWindows(true);
    preferences->setExcludedBundleIDs({editor});
    reopen(editor);
    EXPECT_EQ(windows->frame(notes), (Rect{200, 150, 800, 600}));
}

TEST_F(WindowFollowerTest, WindowsThatOpenTogetherArePlacedWithOneListingAndOneMove) {
    startController();
    controller->snapshotNow();
    // An application restored with all its windows: they come back in one burst of events.
    windows->close(notes);
    windows->close(home);
    const auto app = windows->addApp(editor);
    notes = windows->addWindow(app, "Notes", Rect{200, 150, 800, 600});
    home = windows->addWindow(windows->addApp(browser), "Home", Rect{220, 170, 1000, 700});
    const std::size_t listings = windows->windowsCallCount();
    const std::size_t moves = windows->moveAllCallCount();
    controller->windowEvent({WindowEvent::Kind::gone, "closed"});
    controller->windowEvent({WindowEvent::Kind::appeared, windows->live(notes).handle->key()});
    controller->windowEvent({WindowEvent::Kind::appeared, windows->live(home).handle->key()});
    scheduler->advance(0);
    EXPECT_EQ(windows->frame(notes), notesFrame);
    EXPECT_EQ(windows->frame(home), homeFrame);
    EXPECT_EQ(windows->moveAllCallCount() - moves, 1u);
    // One listing places both, one tells the openings anew.
    EXPECT_EQ(windows->windowsCallCount() - listings, 2u);
}

} // namespace
} // namespace plimsett::testing
