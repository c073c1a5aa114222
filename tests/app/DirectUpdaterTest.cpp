#include "app/desktop/DirectUpdater.h"

#include "app/windows/NoUpdaterNote.h"
#include "tests/app/ShellHarness.h"

#include <QApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::EventLog;
using testing::RecordingUpdateController;

std::vector<QMessageBox*> visibleMessageBoxes() {
    std::vector<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
            boxes.push_back(box);
        }
    }
    return boxes;
}

TEST(DirectUpdaterTest, MakesItsControllerOnceOnFirstUse) {
    EventLog log = std::make_shared<std::vector<std::string>>();
    int made = 0;
    RecordingUpdateController* controller = nullptr;
    DirectUpdater updater([&] {
        ++made;
        auto c = std::make_unique<RecordingUpdateController>(log);
        controller = c.get();
        return c;
    });
    // Before a controller exists automatic checks read as on, and writing them does nothing.
    EXPECT_TRUE(updater.automaticallyChecksForUpdates());
    updater.setAutomaticallyChecksForUpdates(false);
    EXPECT_EQ(made, 0);

    // A check before start makes the controller, and a later start keeps it.
    updater.checkForUpdates();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(*log, (std::vector<std::string>{"updater.check"}));
    updater.start();
    updater.checkForUpdates();
    EXPECT_EQ(made, 1);
    EXPECT_FALSE(updater.automaticallyChecksForUpdates());
    updater.setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(controller->automatic);
}

TEST(DirectUpdaterTest, WithoutAFrameworkThereIsNeverAControllerAndACheckAnswersAnyway) {
    int answered = 0;
    DirectUpdater updater(nullptr, [&] { ++answered; });
    updater.start();
    updater.checkForUpdates();
    updater.checkForUpdates();
    EXPECT_FALSE(updater.hasController());
    EXPECT_EQ(answered, 2);
    // The automatic-check setting reads on and cannot be written.
    updater.setAutomaticallyChecksForUpdates(false);
    EXPECT_TRUE(updater.automaticallyChecksForUpdates());
}

TEST(DirectUpdaterTest, ThisBuildsUpdaterIsTheContractWithoutAFramework) {
#ifdef PLIMSETT_HAVE_SPARKLE
    GTEST_SKIP() << "this build updates through Sparkle, which needs the application bundle";
#endif
    ASSERT_TRUE(visibleMessageBoxes().empty());
    std::shared_ptr<DirectUpdater> updater = DirectUpdater::forThisBuild();
    updater->start();
    EXPECT_FALSE(updater->hasController());
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    updater->setAutomaticallyChecksForUpdates(false);
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());

    // A check shows a note saying where new versions come from; a second brings it forward.
    updater->checkForUpdates();
    std::vector<QMessageBox*> boxes = visibleMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
#ifdef __APPLE__
    EXPECT_TRUE(boxes.front()->text().contains("without an update framework"));
#else
    EXPECT_TRUE(boxes.front()->text().contains("package manager"));
#endif
    EXPECT_FALSE(boxes.front()->isModal());
    updater->checkForUpdates();
    EXPECT_EQ(visibleMessageBoxes(), boxes);

    // The note goes with the updater.
    updater.reset();
    EXPECT_TRUE(visibleMessageBoxes().empty());
}

TEST(DirectUpdaterTest, TheNoteComesBackAfterTheUserClosedIt) {
    NoUpdaterNote note;
    note.show();
    QPointer<QMessageBox> first = note.dialog();
    ASSERT_NE(first, nullptr);
    first->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(first, nullptr);
    note.show();
    ASSERT_NE(note.dialog(), nullptr);
    EXPECT_TRUE(note.dialog()->isVisible());
}

} // namespace
} // namespace plimsett
