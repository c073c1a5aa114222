#include "app/windows/ExcludeAppsView.h"

#include "app/windows/AppCheckRow.h"
#include "app/AppModel.h"
#include "tests/app/ShellHarness.h"

#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::ShellHarness;

class ExcludeAppsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        harness.windows->addWindow(harness.windows->addApp("org.browser", "Browser"), "Start",
                                   {0, 0, 500, 500});
        // This program's own windows, were the window system to list them.
        harness.windows->addWindow(harness.windows->addApp(PLIMSETT_BUNDLE_ID, "Plimsett"),
                                   "Settings", {0, 0, 460, 520});
        model = harness.makeModel();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    ExcludeAppsView* open() {
        model->showExcludeApps();
        QWidget* window = model->windows().window(AppModel::excludeKey);
        return window ? window->findChild<ExcludeAppsView*>() : nullptr;
    }
    static std::vector<std::string> ids(const ExcludeAppsView& view) {
        std::vector<std::string> out;
        for (const AppCheckRow* row : view.rows()) {
            out.push_back(row->id());
        }
        return out;
    }
    static std::vector<QString> names(const ExcludeAppsView& view) {
        std::vector<QString> out;
        for (const AppCheckRow* row : view.rows()) {
            out.push_back(row->name());
        }
        return out;
    }

    ShellHarness harness;
    std::unique_ptr<AppModel> model;
};

TEST_F(ExcludeAppsViewTest, ListsRunningAndSavedAppsButNotItself) {
    SavedLayout old;
    old.displaySetID = "0000000000000001";
    old.displaySetName = "Elsewhere";
    old.windows.push_back({"org.mail", "Mail", "Inbox", 0, {0, 0, 10, 10}, false, false});
    model->store()->save(old, false);

    ExcludeAppsView* view = open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->noteText(),
              QStringLiteral("Plimsett won't save or move windows of the apps you check here."));
    // The fake names applications opened by identifier after the identifier.
    EXPECT_EQ(names(*view), (std::vector<QString>{"Browser", "com.example.editor",
                                                  "com.example.terminal", "Mail"}));
    for (const AppCheckRow* row : view->rows()) {
        EXPECT_FALSE(row->isChecked());
    }
    EXPECT_EQ(view->width(), ExcludeAppsView::fixedWidth);
}

TEST_F(ExcludeAppsViewTest, CheckingAnAppExcludesItFromTheNextSnapshot) {
    ExcludeAppsView* view = open();
    ASSERT_NE(view, nullptr);
    AppCheckRow* browser = view->row("org.browser");
    ASSERT_NE(browser, nullptr);
    QSignalSpy changes(model.get(), &AppModel::changed);
    // A click on the name, not only on the box, toggles the row.
    QTest::mouseClick(browser, Qt::LeftButton, {}, QPoint(browser->width() / 2, 5));
    EXPECT_EQ(model->preferences()->excludedBundleIDs(), (std::set<std::string>{"org.browser"}));
    EXPECT_EQ(changes.count(), 1);
    ASSERT_NE(view->row("org.browser"), nullptr);
    EXPECT_TRUE(view->row("org.browser")->isChecked());

    const std::optional<SavedLayout> saved = model->controller()->snapshotNow();
    ASSERT_TRUE(saved);
    // Two editor windows, the terminal and the stand-in for this program.
    EXPECT_EQ(saved->windows.size(), 4u);
    for (const SavedWindow& w : saved->windows) {
        EXPECT_NE(w.bundleID, "org.browser");
    }

    // Included again from the same window.
    view->row("org.browser")->checkBox()->click();
    EXPECT_TRUE(model->preferences()->excludedBundleIDs().empty());
    EXPECT_FALSE(view->row("org.browser")->isChecked());
}

TEST_F(ExcludeAppsViewTest, AnExcludedAppFoundNowhereElseCanBeFoundAndIncludedAgain) {
    model->setExcluded("org.retired", true);
    ExcludeAppsView* view = open();
    ASSERT_NE(view, nullptr);
    AppCheckRow* retired = view->row("org.retired");
    ASSERT_NE(retired, nullptr);
    EXPECT_EQ(retired->name(), QStringLiteral("org.retired"));
    EXPECT_TRUE(retired->isChecked());

    retired->checkBox()->click();
    EXPECT_TRUE(model->preferences()->excludedBundleIDs().empty());
    EXPECT_EQ(view->row("org.retired"), nullptr);
    EXPECT_EQ(ids(*view), (std::vector<std::string>{"org.browser", "com.example.editor",
                                                    "com.example.terminal"}));
}

TEST_F(ExcludeAppsViewTest, FollowsChangesMadeElsewhere) {
    ExcludeAppsView* view = open();
    ASSERT_NE(view, nullptr);
    harness.windows->addWindow(harness.windows->addApp("org.atlas", "atlas"), "Map",
                               {0, 0, 300, 300});
    // Another part of the program (the command line, say) excludes an application.
    model->setExcluded("com.example.terminal", true);
    EXPECT_EQ(names(*view), (std::vector<QString>{"atlas", "Browser", "com.example.editor",
                                                  "com.example.terminal"}));
    EXPECT_TRUE(view->row("com.example.terminal")->isChecked());
    EXPECT_FALSE(view->row("org.atlas")->isChecked());
}

TEST_F(ExcludeAppsViewTest, AClosedWindowCatchesUpWhenItOpensAgain) {
    ExcludeAppsView* view = open();
    ASSERT_NE(view, nullptr);
    model->windows().close(AppModel::excludeKey);
    const std::size_t listings = harness.windows->windowsCallCount();
    harness.windows->addWindow(harness.windows->addApp("org.atlas", "atlas"), "Map",
                               {0, 0, 300, 300});
    model->notifyChanged();
    model->notifyChanged();
    EXPECT_EQ(harness.windows->windowsCallCount(), listings);

    EXPECT_EQ(open(), view);
    EXPECT_NE(view->row("org.atlas"), nullptr);
    EXPECT_EQ(harness.windows->windowsCallCount(), listings + 1);
}

TEST_F(ExcludeAppsViewTest, WithoutAccessOnlySavedAndExcludedAppsAreListed) {
    ASSERT_TRUE(model->controller()->snapshotNow());
    harness.setTrusted(false);
    model->setExcluded("org.retired", true);
    ExcludeAppsView* view = open();
    ASSERT_NE(view, nullptr);
    // A saved layout is the one way this program's own identifier gets into the list.
    EXPECT_EQ(ids(*view),
              (std::vector<std::string>{"org.browser", "com.example.editor", "com.example.terminal",
                                        "org.retired", PLIMSETT_BUNDLE_ID}));
}

} // namespace
} // namespace plimsett
