#include "app/windows/OnboardingView.h"

#include "app/AppModel.h"
#include "app/desktop/QtTimerApi.h"
#include "app/AccessibilityWatcher.h"
#include "tests/app/ShellHarness.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::ShellHarness;

// Repeating timers that fire when the test says a tick has passed.
class ManualTimerApi : public TimerApi {
public:
    struct Entry {
        double interval;
        std::function<void()> action;
        bool valid = true;
    };
    class Handle : public RepeatingTimer {
    public:
        explicit Handle(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
        void invalidate() override { entry_->valid = false; }

    private:
        std::shared_ptr<Entry> entry_;
    };

    std::shared_ptr<RepeatingTimer> scheduleRepeatingTimer(double interval,
                                                           std::function<void()> action) override {
        entries.push_back(std::make_shared<Entry>(Entry{interval, std::move(action)}));
        return std::make_shared<Handle>(entries.back());
    }
    // One interval passes for every running timer.
    void tick() {
        const auto now = entries;
        for (const auto& e : now) {
            if (e->valid) {
                e->action();
            }
        }
    }
    int running() const {
        return static_cast<int>(
            std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e->valid; }));
    }
    std::vector<std::shared_ptr<Entry>> entries;
};

class OnboardingViewTest : public ::testing::Test {
protected:
    std::unique_ptr<AppModel> makeModel() {
        AppModel::Environment env = harness.environment();
        env.timers = timers;
        return std::make_unique<AppModel>(std::move(env));
    }
    OnboardingView* view(AppModel& model) {
        QWidget* window = model.windows().window(AppModel::onboardingKey);
        return window ? window->findChild<OnboardingView*>() : nullptr;
    }

    ShellHarness harness;
    std::shared_ptr<ManualTimerApi> timers = std::make_shared<ManualTimerApi>();
};

TEST_F(OnboardingViewTest, TheStatusRowSwitchesAtTheNextSecondlyCheckAndTheLayoutIsSavedOnceSettled) {
    harness.setTrusted(false);
    auto model = makeModel();
    model->start();
    OnboardingView* onboarding = view(*model);
    ASSERT_NE(onboarding, nullptr);
    EXPECT_TRUE(onboarding->isShowingSpinner());
    EXPECT_FALSE(onboarding->isShowingGranted());
    EXPECT_EQ(onboarding->statusText(), OnboardingView::textsForThisDesktop().waiting);
    EXPECT_EQ(onboarding->button()->text(), OnboardingView::textsForThisDesktop().waitingButton);
    ASSERT_EQ(timers->running(), 1);
    EXPECT_EQ(timers->entries[0]->interval, 1.0);

    timers->tick();
    EXPECT_TRUE(onboarding->isShowingSpinner());
    EXPECT_FALSE(model->controller()->currentLayout());

    harness.setTrusted(true);
    QSignalSpy changes(model.get(), &AppModel::changed);
    timers->tick();
    EXPECT_FALSE(onboarding->isShowingSpinner());
    EXPECT_TRUE(onboarding->isShowingGranted());
    EXPECT_EQ(onboarding->statusText(),
              QStringLiteral("Access is on. Plimsett is saving your window layout."));
    EXPECT_EQ(onboarding->button()->text(), QStringLiteral("Done"));
    // Saved once the displays have settled: the windows may have been moved while access was
    // missing.
    EXPECT_FALSE(model->controller()->currentLayout());
    harness.scheduler->advance(LayoutController::settleDelay + LayoutController::snapshotInterval);
    ASSERT_TRUE(model->controller()->currentLayout());
    EXPECT_EQ(model->controller()->currentLayout()->windows.size(), 3u);
    EXPECT_GE(changes.count(), 1);

    // Access withdrawn: back to waiting, and nothing is saved.
    harness.setTrusted(false);
    timers->tick();
    EXPECT_TRUE(onboarding->isShowingSpinner());
    EXPECT_EQ(onboarding->button()->text(), OnboardingView::textsForThisDesktop().waitingButton);
}

TEST_F(OnboardingViewTest, ClosingStopsTheChecksAndReopeningRestartsTheSameWatcher) {
    harness.setTrusted(false);
    auto model = makeModel();
    model->showOnboarding();
    OnboardingView* onboarding = view(*model);
    ASSERT_NE(onboarding, nullptr);
    const std::shared_ptr<AccessibilityWatcher> watcher = onboarding->watcher();
    ASSERT_EQ(timers->running(), 1);

    model->windows().window(AppModel::onboardingKey)->close();
    EXPECT_EQ(timers->running(), 0);
    EXPECT_FALSE(watcher->isPolling());

    model->showOnboarding();
    EXPECT_EQ(view(*model), onboarding);
    EXPECT_EQ(onboarding->watcher(), watcher);
    EXPECT_EQ(timers->running(), 1);
    EXPECT_TRUE(watcher->isPolling());
}

TEST_F(OnboardingViewTest, WithAccessAlreadyOnItShowsDoneAtOnceAndDoneCloses) {
    auto model = makeModel();
    model->showOnboarding();
    OnboardingView* onboarding = view(*model);
    ASSERT_NE(onboarding, nullptr);
    EXPECT_TRUE(onboarding->isShowingGranted());
    EXPECT_FALSE(onboarding->isShowingSpinner());
    // Nothing changed, so nothing was granted: no snapshot.
    EXPECT_FALSE(model->controller()->currentLayout());

    onboarding->button()->click();
    EXPECT_FALSE(model->windows().window(AppModel::onboardingKey)->isVisible());
    EXPECT_EQ(timers->running(), 0);
}

TEST_F(OnboardingViewTest, ReturnPressesTheButtonOfTheState) {
    harness.setTrusted(false);
    int requests = 0;
    int dones = 0;
    auto watcher = AccessibilityWatcher::make(harness.permission, timers);
    OnboardingView onboarding(
        watcher, [&] { ++dones; }, [&] { ++requests; }, QString(), OnboardingView::macTexts());
    onboarding.show();
    EXPECT_EQ(onboarding.button()->text(), QStringLiteral("Open Accessibility Settings"));
    QTest::keyClick(&onboarding, Qt::Key_Return);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(dones, 0);

    harness.setTrusted(true);
    timers->tick();
    QTest::keyClick(&onboarding, Qt::Key_Enter);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(dones, 1);
}

TEST_F(OnboardingViewTest, WhereAccessCanNeverComeTheProblemStandsInForTheSpinner) {
    harness.setTrusted(false);
    int dones = 0;
    auto watcher = AccessibilityWatcher::make(harness.permission, timers);
    OnboardingView onboarding(
        watcher, [&] { ++dones; }, [] {}, QStringLiteral("No X server: $DISPLAY is not set."),
        OnboardingView::x11Texts());
    onboarding.show();
    EXPECT_FALSE(onboarding.isShowingSpinner());
    EXPECT_EQ(onboarding.statusText(), QStringLiteral("No X server: $DISPLAY is not set."));
    // There are no settings to open on X11: the button closes the window.
    onboarding.button()->click();
    EXPECT_EQ(dones, 1);
}

TEST_F(OnboardingViewTest, AGnomeSessionGetsTheExtensionTextsAndItsButtonInstallsIt) {
    harness.setTrusted(false);
    int requests = 0;
    auto watcher = AccessibilityWatcher::make(harness.permission, timers);
    qputenv("XDG_SESSION_TYPE", "wayland");
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    const OnboardingView::Texts texts = OnboardingView::textsForThisDesktop();
    qunsetenv("XDG_SESSION_TYPE");
    qunsetenv("XDG_CURRENT_DESKTOP");
    OnboardingView onboarding(
        watcher, [] {}, [&] { ++requests; }, QString(), texts);
    onboarding.show();
    EXPECT_EQ(onboarding.titleText(), QStringLiteral("Plimsett needs its GNOME Shell extension"));
    EXPECT_TRUE(onboarding.stepTexts().join(' ').contains("only after you log in again"));
    onboarding.button()->click();
    EXPECT_EQ(requests, 1);
}

TEST(QtTimerApiTest, FiresUntilInvalidatedAlsoWhenTheHandleIsDropped) {
    QtTimerApi timers;
    int kept = 0;
    int dropped = 0;
    auto handle = timers.scheduleRepeatingTimer(0.01, [&] { ++kept; });
    timers.scheduleRepeatingTimer(0.01, [&] { ++dropped; });
    QTRY_VERIFY_WITH_TIMEOUT(kept >= 2 && dropped >= 2, 5000);
    EXPECT_EQ(timers.runningTimers(), 2);

    handle->invalidate();
    handle->invalidate();
    EXPECT_EQ(timers.runningTimers(), 1);
    const int stoppedAt = kept;
    const int droppedAt = dropped;
    QTRY_VERIFY_WITH_TIMEOUT(dropped >= droppedAt + 2, 5000);
    EXPECT_EQ(kept, stoppedAt);
}

TEST(QtTimerApiTest, ATimerMayInvalidateItselfFromItsAction) {
    QtTimerApi timers;
    int fired = 0;
    std::shared_ptr<TimerApi::RepeatingTimer> handle;
    handle = timers.scheduleRepeatingTimer(0.001, [&] {
        ++fired;
        handle->invalidate();
    });
    QTRY_VERIFY_WITH_TIMEOUT(fired == 1, 5000);
    QTest::qWait(20);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(timers.runningTimers(), 0);
}

} // namespace
} // namespace plimsett
