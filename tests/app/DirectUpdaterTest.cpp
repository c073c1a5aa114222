#include "app/DirectUpdater.h"

#include "app/PackageManagerUpdateController.h"
#include "tests/app/ShellHarness.h"

#include <QMessageBox>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::EventLog;
using testing::RecordingUpdateController;

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

TEST(DirectUpdaterTest, OnThisDesktopACheckExplainsWhereUpdatesComeFrom) {
    PackageManagerUpdateController controller;
    EXPECT_FALSE(controller.automaticallyChecksForUpdates());
    controller.checkForUpdates();
    QMessageBox* dialog = controller.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(dialog->text().contains("package manager"));
    // A second check brings the same dialog forward.
    controller.checkForUpdates();
    EXPECT_EQ(controller.dialog(), dialog);
}

} // namespace
} // namespace plimsett
