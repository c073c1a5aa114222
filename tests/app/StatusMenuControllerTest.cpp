#include "app/StatusMenuController.h"

#include "app/AppModel.h"
#include "tests/app/ShellHarness.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QWidget>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::ShellHarness;

// One row of the menu as a person sees it.
struct Row {
    QString title;
    bool separator = false;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    QKeySequence shortcut;
    bool hasIcon = false;
};

class StatusMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        model = harness.makeModel();
        controller = std::make_unique<StatusMenuController>(*model, harness.scheduler->clock());
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    std::vector<Row> rows() {
        controller->fill(menu);
        std::vector<Row> out;
        for (QAction* a : menu.actions()) {
            out.push_back({a->text(), a->isSeparator(), a->isEnabled(), a->isCheckable(),
                           a->isChecked(), a->shortcut(), !a->icon().isNull()});
        }
        return out;
    }
    QAction* action(const QString& title) {
        for (QAction* a : menu.actions()) {
            if (a->text() == title) {
                return a;
            }
        }
        return nullptr;
    }
    // A layout of `windowCount` windows saved `age` seconds before the menu opens.
    void saveLayout(double age) {
        harness.setTrusted(true);
        ASSERT_TRUE(model->controller()->snapshotNow());
        harness.scheduler->advance(age);
    }

    ShellHarness harness;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<StatusMenuController> controller;
    QMenu menu;
};

const QString setName = QStringLiteral("Built-in + DELL U2720Q");

TEST_F(StatusMenuTest, WithoutAccessTheMenuHasFourteenItemsAndWarns) {
    harness.setTrusted(false);
    const std::vector<Row> r = rows();
    ASSERT_EQ(r.size(), 14u);
    const std::vector<QString> titles = {setName,
                                         "No layout saved for these displays yet",
                                         "Set Up Window Access…",
                                         "",
                                         "Save Layout Now",
                                         "Restore Layout",
                                         "",
                                         "Auto-restore when displays change",
                                         "Exclude Apps…",
                                         "",
                                         "Settings…",
                                         "Check for Updates…",
                                         "",
                                         "Quit Plimsett"};
    const std::vector<bool> enabled = {false, false, true, true, false, false, true,
                                       true,  true,  true, true, true,  true,  true};
    for (std::size_t i = 0; i < r.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(r[i].title, titles[i]);
        EXPECT_EQ(r[i].separator, titles[i].isEmpty());
        if (!r[i].separator) {
            EXPECT_EQ(r[i].enabled, enabled[i]);
        }
    }
    EXPECT_TRUE(r[0].hasIcon);
    EXPECT_TRUE(r[2].hasIcon);
    // The ellipses are one character each.
    EXPECT_EQ(r[2].title.right(1), QString(QChar(0x2026)));
    EXPECT_EQ(r[8].title, QStringLiteral("Exclude Apps") + QChar(0x2026));

    // Saving is disabled without access even when a layout exists.
    saveLayout(120);
    harness.setTrusted(false);
    const std::vector<Row> withLayout = rows();
    ASSERT_EQ(withLayout.size(), 14u);
    EXPECT_FALSE(withLayout[4].enabled);
    EXPECT_FALSE(withLayout[5].enabled);
}

TEST_F(StatusMenuTest, WithAccessAndARecentLayoutTheMenuHasThirteenItems) {
    saveLayout(30);
    const std::vector<Row> r = rows();
    ASSERT_EQ(r.size(), 13u);
    EXPECT_EQ(r[0].title, setName);
    EXPECT_FALSE(r[0].enabled);
    EXPECT_EQ(r[1].title, QStringLiteral("Saved just now · 3 windows"));
    EXPECT_EQ(r[1].title.mid(14, 3), QStringLiteral(" ") + QChar(0x00B7) + QStringLiteral(" "));
    EXPECT_FALSE(r[1].enabled);
    EXPECT_TRUE(r[2].separator);
    EXPECT_EQ(r[3].title, QStringLiteral("Save Layout Now"));
    EXPECT_TRUE(r[3].enabled);
    EXPECT_EQ(r[3].shortcut, QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(r[4].title, QStringLiteral("Restore Layout"));
    EXPECT_TRUE(r[4].enabled);
    EXPECT_EQ(r[4].shortcut, QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_EQ(r[6].title, QStringLiteral("Auto-restore when displays change"));
    EXPECT_TRUE(r[6].checkable);
    EXPECT_TRUE(r[6].checked);
    EXPECT_EQ(r[6].shortcut, QKeySequence());
    EXPECT_EQ(r[9].title, QStringLiteral("Settings…"));
    EXPECT_EQ(r[9].shortcut, QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(r[12].title, QStringLiteral("Quit Plimsett"));
    EXPECT_EQ(r[12].shortcut, QKeySequence(Qt::CTRL | Qt::Key_Q));
}

TEST_F(StatusMenuTest, RelativeTimeSwitchesFromJustNowAtSixtySeconds) {
    saveLayout(59.9);
    EXPECT_EQ(rows()[1].title, QStringLiteral("Saved just now · 3 windows"));
    harness.scheduler->advance(0.1);
    EXPECT_EQ(rows()[1].title, QStringLiteral("Saved 1 minute ago · 3 windows"));
    harness.scheduler->advance(3 * 3600);
    EXPECT_EQ(rows()[1].title, QStringLiteral("Saved 3 hours ago · 3 windows"));
}

TEST_F(StatusMenuTest, SavedTextFollowsTheLocaleAndTreatsTheFutureAsJustNow) {
    SavedLayout layout;
    layout.windows.resize(12);
    layout.savedAt = harness.scheduler->now();
    const Date now = layout.savedAt + std::chrono::minutes(2);
    EXPECT_EQ(StatusMenuController::savedText(layout, now, QLocale(QLocale::German)),
              QStringLiteral("Saved vor 2 Minuten · 12 windows"));
    EXPECT_EQ(StatusMenuController::savedText(layout, layout.savedAt - std::chrono::hours(1),
                                              QLocale(QLocale::English)),
              QStringLiteral("Saved just now · 12 windows"));
    layout.windows.resize(1);
    EXPECT_EQ(StatusMenuController::savedText(layout, now + std::chrono::hours(24 * 10),
                                              QLocale(QLocale::English)),
              QStringLiteral("Saved 1 week ago · 1 windows"));
}

TEST_F(StatusMenuTest, WithAccessAndNoLayoutOnlyRestoringIsDisabled) {
    harness.setTrusted(true);
    const std::vector<Row> r = rows();
    ASSERT_EQ(r.size(), 13u);
    EXPECT_EQ(r[1].title, QStringLiteral("No layout saved for these displays yet"));
    EXPECT_TRUE(r[3].enabled);
    EXPECT_FALSE(r[4].enabled);
}

TEST_F(StatusMenuTest, NamesAnEmptyDisplaySet) {
    harness.displays->setDisplays({});
    harness.setTrusted(false);
    auto emptyModel = harness.makeModel();
    StatusMenuController emptyController(*emptyModel, harness.scheduler->clock());
    QMenu emptyMenu;
    emptyController.fill(emptyMenu);
    EXPECT_EQ(emptyMenu.actions().first()->text(), QStringLiteral("No displays"));
    EXPECT_EQ(emptyMenu.actions().size(), 14);
}

TEST_F(StatusMenuTest, TheToggleFlipsTheSettingAndNotifies) {
    QSignalSpy changes(model.get(), &AppModel::changed);
    rows();
    action("Auto-restore when displays change")->trigger();
    EXPECT_FALSE(model->preferences()->autoRestoreOnDisplayChange());
    EXPECT_EQ(changes.count(), 1);
    EXPECT_FALSE(rows()[6].checked);
    action("Auto-restore when displays change")->trigger();
    EXPECT_TRUE(rows()[6].checked);
    // The second toggle stores an explicit true.
    EXPECT_EQ(std::get<bool>(harness.defaults->persisted().at("autoRestoreOnDisplayChange")), true);
}

TEST_F(StatusMenuTest, ItemsReachTheirOperations) {
    harness.setTrusted(true);
    rows();
    action("Save Layout Now")->trigger();
    ASSERT_TRUE(model->controller()->currentLayout());
    EXPECT_EQ(model->controller()->currentLayout()->windows.size(), 3u);

    harness.windows->setFrame(0, {5, 5, 300, 300});
    rows();
    action("Restore Layout")->trigger();
    EXPECT_EQ(harness.windows->frame(0), (Rect{100, 100, 800, 600}));
    ASSERT_TRUE(model->controller()->lastRestore());
    EXPECT_EQ(model->controller()->lastRestore()->result.moved, 1);

    action("Settings…")->trigger();
    action("Exclude Apps…")->trigger();
    EXPECT_NE(model->windows().window(AppModel::preferencesKey), nullptr);
    EXPECT_NE(model->windows().window(AppModel::excludeKey), nullptr);
    EXPECT_EQ(model->windows().window(AppModel::onboardingKey), nullptr);

    action("Check for Updates…")->trigger();
    EXPECT_EQ(harness.log->back(), "updater.check");
}

TEST_F(StatusMenuTest, WithoutAnUpdaterThereIsNoCheckForUpdates) {
    AppModel::Environment env = harness.environment();
    env.updater = std::make_shared<DirectUpdater>(nullptr);
    controller.reset();
    model = std::make_unique<AppModel>(std::move(env));
    controller = std::make_unique<StatusMenuController>(*model, harness.scheduler->clock());
    harness.setTrusted(true);
    const std::vector<Row> r = rows();
    ASSERT_EQ(r.size(), 12u);
    EXPECT_EQ(action("Check for Updates…"), nullptr);
    // Settings… is followed directly by the separator above Quit.
    EXPECT_EQ(r[9].title, "Settings…");
    EXPECT_TRUE(r[10].separator);
    EXPECT_EQ(r[11].title, "Quit Plimsett");
}

TEST_F(StatusMenuTest, WhereTheDesktopShowsTheMenuThereIsNoTrayIcon) {
    harness.desktopShowsMenu = true;
    controller.reset();
    model = harness.makeModel();
    controller = std::make_unique<StatusMenuController>(*model, harness.scheduler->clock());
    EXPECT_EQ(controller->trayIcon(), nullptr);
    // The menu itself is still there, for the top bar to read.
    harness.setTrusted(true);
    EXPECT_EQ(rows().size(), 13u);
    EXPECT_NE(action("Save Layout Now"), nullptr);
}

TEST_F(StatusMenuTest, SavingAfterAccessWentAwayOpensTheOnboardingInstead) {
    harness.setTrusted(true);
    rows();
    harness.setTrusted(false);
    action("Save Layout Now")->trigger();
    action("Restore Layout")->trigger();
    EXPECT_FALSE(model->controller()->currentLayout());
    EXPECT_FALSE(model->controller()->lastRestore());
    EXPECT_NE(model->windows().window(AppModel::onboardingKey), nullptr);
    EXPECT_TRUE(harness.windows->moves().empty());
}

TEST_F(StatusMenuTest, TheMenuIsRebuiltEachTimeItOpens) {
    harness.setTrusted(false);
    QMenu* trayMenu = controller->menu();
    emit trayMenu->aboutToShow();
    EXPECT_EQ(trayMenu->actions().size(), 14);
    harness.setTrusted(true);
    emit trayMenu->aboutToShow();
    EXPECT_EQ(trayMenu->actions().size(), 13);
    EXPECT_FALSE(StatusMenuController::appIcon().isNull());
    EXPECT_FALSE(controller->trayIcon()->icon().isNull());
    EXPECT_EQ(controller->trayIcon()->contextMenu(), trayMenu);
}

} // namespace
} // namespace plimsett
