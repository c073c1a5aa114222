#include "app/windows/PreferencesView.h"

#include "app/AppModel.h"
#include "app/windows/LayoutRow.h"
#include "app/StatusMenuController.h"
#include "tests/app/ShellHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::ShellHarness;

class PreferencesViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        model = harness.makeModel();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    PreferencesView* open() {
        model->showPreferences();
        QWidget* window = model->windows().window(AppModel::preferencesKey);
        return window ? window->findChild<PreferencesView*>() : nullptr;
    }
    // A layout of another display set, saved `age` seconds before the current one.
    void saveElsewhere(const std::string& id, const std::string& name, double age) {
        SavedLayout layout;
        layout.displaySetID = id;
        layout.displaySetName = name;
        layout.savedAt =
            harness.scheduler->now() - std::chrono::milliseconds(static_cast<long>(age * 1000));
        layout.windows.push_back({"org.x", "X", "x", 0, {0, 0, 10, 10}, false, false});
        model->store()->save(layout, false);
    }
    static std::vector<std::string> rowIDs(const PreferencesView& view) {
        std::vector<std::string> out;
        for (const LayoutRow* row : view.layoutRows()) {
            out.push_back(row->displaySetID());
        }
        return out;
    }
    std::vector<QString> menuTitles() {
        StatusMenuController menu(*model, harness.scheduler->clock());
        QMenu shown;
        menu.fill(shown);
        std::vector<QString> out;
        for (const QAction* a : shown.actions()) {
            out.push_back(a->text());
        }
        return out;
    }

    ShellHarness harness;
    std::unique_ptr<AppModel> model;
};

TEST_F(PreferencesViewTest, TheOtherArrangementsSwitchIsOnByDefaultAndStoresItsValue) {
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->otherArrangementsToggle()->isChecked());
    view->otherArrangementsToggle()->click();
    EXPECT_FALSE(model->restoreOtherArrangements());
}

TEST_F(PreferencesViewTest, TheWakeSwitchIsDimmedWhileAutomaticRestoringIsOff) {
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->autoRestoreToggle()->isChecked());
    EXPECT_TRUE(view->wakeToggle()->isEnabled());
    EXPECT_TRUE(view->wakeToggle()->isChecked());

    view->autoRestoreToggle()->click();
    EXPECT_FALSE(model->autoRestoreOnDisplayChange());
    EXPECT_FALSE(view->wakeToggle()->isEnabled());
    // A click on a dimmed switch does nothing, and the stored value stays.
    view->wakeToggle()->click();
    EXPECT_TRUE(model->restoreAfterWake());
    EXPECT_TRUE(view->wakeToggle()->isChecked());

    // Turning automatic restoring on from elsewhere (the tray menu) brings the switch back.
    model->setAutoRestoreOnDisplayChange(true);
    EXPECT_TRUE(view->autoRestoreToggle()->isChecked());
    EXPECT_TRUE(view->wakeToggle()->isEnabled());
    view->wakeToggle()->click();
    EXPECT_FALSE(model->restoreAfterWake());
    EXPECT_FALSE(view->wakeToggle()->isChecked());
}

TEST_F(PreferencesViewTest, LayoutsAreListedNewestFirstAndOnlyTheConnectedOneIsMarked) {
    saveElsewhere("00000000000000aa", "Projector", 7200);
    ASSERT_TRUE(model->controller()->snapshotNow());
    saveElsewhere("00000000000000bb", "Office", 60);
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    const std::string current = model->controller()->currentSet().id;
    ASSERT_EQ(rowIDs(*view),
              (std::vector<std::string>{current, "00000000000000bb", "00000000000000aa"}));
    const std::vector<LayoutRow*> rows = view->layoutRows();
    EXPECT_TRUE(rows[0]->isCurrent());
    EXPECT_FALSE(rows[1]->isCurrent());
    EXPECT_FALSE(rows[2]->isCurrent());
    EXPECT_EQ(rows[0]->nameText(), QStringLiteral("Built-in + DELL U2720Q"));
    EXPECT_TRUE(rows[0]->detail().startsWith(QStringLiteral("3 windows · saved ")));
    // One window is still "windows".
    EXPECT_TRUE(rows[1]->detail().startsWith(QStringLiteral("1 windows · saved ")));
    EXPECT_EQ(rows[1]->forgetButton()->accessibleName(),
              QStringLiteral("Forget layout for Office"));
    EXPECT_EQ(view->noLayoutsLabel(), nullptr);
}

TEST_F(PreferencesViewTest, ForgettingTheCurrentLayoutEmptiesTheMenuEntryAtOnce) {
    ASSERT_TRUE(model->controller()->snapshotNow());
    saveElsewhere("00000000000000aa", "Projector", 60);
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->layoutRows().size(), 2u);
    ASSERT_TRUE(view->layoutRows()[0]->isCurrent());
    EXPECT_NE(menuTitles()[1], QStringLiteral("No layout saved for these displays yet"));

    QSignalSpy changes(model.get(), &AppModel::changed);
    // No confirmation step.
    view->layoutRows()[0]->forgetButton()->click();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_FALSE(model->controller()->currentLayout());
    EXPECT_EQ(rowIDs(*view), (std::vector<std::string>{"00000000000000aa"}));
    EXPECT_EQ(menuTitles()[1], QStringLiteral("No layout saved for these displays yet"));
    // The file was written without it.
    const auto onDisk = LayoutStore::load(harness.layoutFile());
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->count(model->controller()->currentSet().id), 0u);

    view->layoutRows()[0]->forgetButton()->click();
    EXPECT_TRUE(view->layoutRows().empty());
    ASSERT_NE(view->noLayoutsLabel(), nullptr);
    EXPECT_EQ(view->noLayoutsLabel()->text(), QStringLiteral("No layouts saved yet."));
}

TEST_F(PreferencesViewTest, TheAccessSectionFollowsTrustAtEveryRedraw) {
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->accessText(), QStringLiteral("Access is on"));
    EXPECT_EQ(view->allowAccessButton(), nullptr);

    harness.setTrusted(false);
    model->notifyChanged();
    EXPECT_EQ(view->accessText(),
              QStringLiteral("Access is off. Plimsett cannot read or move windows."));
    ASSERT_NE(view->allowAccessButton(), nullptr);
    view->allowAccessButton()->click();
    EXPECT_NE(model->windows().window(AppModel::onboardingKey), nullptr);
}

TEST_F(PreferencesViewTest, TheLoginSwitchShowsWhatTheSystemReports) {
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    view->loginToggle()->click();
    EXPECT_TRUE(harness.loginItem->enabled);
    EXPECT_TRUE(view->loginToggle()->isChecked());
    harness.loginItem->failing = true;
    view->loginToggle()->click();
    EXPECT_EQ(harness.beeps, 1);
    EXPECT_TRUE(view->loginToggle()->isChecked());
}

TEST_F(PreferencesViewTest, TheUpdateSwitchWritesOnlyToAnExistingUpdater) {
    // Before the updater started there is nothing to write to: the switch starts on and moves.
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->automaticUpdatesToggle()->isChecked());
    view->automaticUpdatesToggle()->click();
    EXPECT_FALSE(view->automaticUpdatesToggle()->isChecked());
    EXPECT_FALSE(model->updater()->hasController());

    // "Check for Updates…" makes the updater; from then on the switch writes through.
    view->checkForUpdatesButton()->click();
    EXPECT_EQ(harness.log->back(), "updater.check");
    view->automaticUpdatesToggle()->click();
    EXPECT_TRUE(model->updater()->automaticallyChecksForUpdates());
    // The switch keeps its own value across redraws.
    model->notifyChanged();
    EXPECT_TRUE(view->automaticUpdatesToggle()->isChecked());
}

TEST_F(PreferencesViewTest, WithoutAnUpdateFrameworkOnlyTheVersionIsShown) {
    AppModel::Environment env = harness.environment();
    env.updater = std::make_shared<DirectUpdater>(nullptr);
    model = std::make_unique<AppModel>(std::move(env));
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->automaticUpdatesToggle(), nullptr);
    EXPECT_EQ(view->checkForUpdatesButton(), nullptr);
    for (const QAbstractButton* button : view->findChildren<QAbstractButton*>()) {
        EXPECT_FALSE(button->text().contains("update", Qt::CaseInsensitive))
            << button->text().toStdString();
    }
    EXPECT_EQ(view->versionValue(), PreferencesView::buildVersionText());
}

TEST_F(PreferencesViewTest, TheVersionLineStandsInForMissingParts) {
    EXPECT_EQ(PreferencesView::versionText(QStringLiteral("1.2"), QStringLiteral("34")),
              QStringLiteral("1.2 (34)"));
    EXPECT_EQ(PreferencesView::versionText(QStringLiteral("1.2"), std::nullopt),
              QStringLiteral("1.2 (?)"));
    EXPECT_EQ(PreferencesView::versionText(std::nullopt, QString()), QStringLiteral("? (?)"));
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->versionValue(), PreferencesView::buildVersionText());
    EXPECT_TRUE(view->versionValue().startsWith(QStringLiteral(PLIMSETT_VERSION " (")));
}

TEST_F(PreferencesViewTest, TheFormIsFourHundredSixtyWideAndAtLeastFiveHundredTwentyHigh) {
    PreferencesView* view = open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->width(), PreferencesView::fixedWidth);
    EXPECT_GE(view->sizeHint().height(), PreferencesView::minimumHeight);
    for (int i = 0; i < 40; ++i) {
        saveElsewhere("00000000000000" + std::to_string(10 + i), "Set " + std::to_string(i), i);
    }
    model->notifyChanged();
    // Many layouts scroll instead of growing the window past the screen.
    EXPECT_EQ(view->sizeHint().height(), PreferencesView::maximumHeight);
    EXPECT_EQ(view->layoutRows().size(), 40u);
}

TEST(LayoutRowTest, DatesUseTheLocaleAbbreviatedDateAndShortTime) {
    // Noon UTC on 15 January 2025 is the 15th in every time zone people live in.
    const Date noon = Date{} + std::chrono::seconds(1736942400);
    SavedLayout layout;
    layout.savedAt = noon;
    layout.windows.resize(12);
    const QString english = LayoutRow::detailText(layout, QLocale(QLocale::English));
    EXPECT_TRUE(english.startsWith(QStringLiteral("12 windows · saved Jan 15, 2025")))
        << english.toStdString();
    const QString german =
        LayoutRow::dateTimeText(noon, QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(german.startsWith(QStringLiteral("15.01.2025"))) << german.toStdString();
}

} // namespace
} // namespace plimsett
