#include "app/desktop/DirectUpdater.h"

#include "tests/app/ShellHarness.h"

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

TEST(DirectUpdaterTest, ThisBuildWithoutAFrameworkNeverHasAController) {
#ifdef PLIMSETT_HAVE_SPARKLE
    GTEST_SKIP() << "this build updates through Sparkle, which needs the application bundle";
#endif
    std::shared_ptr<DirectUpdater> updater = DirectUpdater::forThisBuild();
    EXPECT_FALSE(updater->hasFramework());
    updater->start();
    updater->checkForUpdates();
    EXPECT_FALSE(updater->hasController());
    // The automatic-check setting reads on and cannot be written.
    updater->setAutomaticallyChecksForUpdates(false);
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
}

} // namespace
} // namespace plimsett
