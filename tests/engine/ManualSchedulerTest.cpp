#include "tests/support/ManualScheduler.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::ManualScheduler;

TEST(ManualScheduler, RunsDueTasksInDeadlineOrderWithTheClockAtEachDeadline) {
    ManualScheduler scheduler;
    std::vector<std::pair<std::string, double>> runs;
    const auto log = [&](std::string name) {
        return [&runs, &scheduler, name] { runs.emplace_back(name, scheduler.elapsedSeconds()); };
    };
    const Date start = scheduler.now();
    scheduler.schedule(3, log("c"));
    scheduler.schedule(1, log("a"));
    scheduler.schedule(1, log("b"));
    scheduler.schedule(5, log("late"));
    EXPECT_EQ(scheduler.pendingCount(), 4u);
    EXPECT_DOUBLE_EQ(scheduler.nextDueIn(), 1);

    scheduler.advance(0.999);
    EXPECT_TRUE(runs.empty());
    scheduler.advance(3);
    EXPECT_EQ(runs, (std::vector<std::pair<std::string, double>>{{"a", 1}, {"b", 1}, {"c", 3}}));
    EXPECT_DOUBLE_EQ(scheduler.elapsedSeconds(), 3.999);
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    EXPECT_NEAR(scheduler.nextDueIn(), 1.001, 1e-9);
    EXPECT_EQ(scheduler.clock()(), scheduler.now());
    EXPECT_EQ(scheduler.now() - start, std::chrono::microseconds(3999000));
}

TEST(ManualScheduler, TasksScheduledByTasksRunInTheSameAdvanceWhenDue) {
    ManualScheduler scheduler;
    std::vector<double> runs;
    scheduler.schedule(1, [&] {
        runs.push_back(scheduler.elapsedSeconds());
        scheduler.schedule(0, [&] { runs.push_back(scheduler.elapsedSeconds()); });
        scheduler.schedule(2, [&] { runs.push_back(scheduler.elapsedSeconds()); });
        scheduler.schedule(9, [&] { runs.push_back(scheduler.elapsedSeconds()); });
    });
    scheduler.advance(4);
    EXPECT_EQ(runs, (std::vector<double>{1, 1, 3}));
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    EXPECT_LT(scheduler.nextDueIn(), 0 + 7);
}

TEST(ManualScheduler, CancelPreventsARunAndIsHarmlessAfterwards) {
    ManualScheduler scheduler;
    int cancelledRuns = 0;
    int keptRuns = 0;
    const auto cancelled = scheduler.schedule(1, [&] { ++cancelledRuns; });
    const auto kept = scheduler.schedule(1, [&] { ++keptRuns; });
    cancelled->cancel();
    cancelled->cancel();
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    scheduler.advance(2);
    kept->cancel();
    scheduler.advance(2);
    EXPECT_EQ(cancelledRuns, 0);
    EXPECT_EQ(keptRuns, 1);
    EXPECT_LT(scheduler.nextDueIn(), 0);
}

TEST(ManualScheduler, ReleasingATaskDoesNotCancelIt) {
    ManualScheduler scheduler;
    bool ran = false;
    scheduler.schedule(1, [&] { ran = true; }).reset();
    scheduler.runDue();
    EXPECT_FALSE(ran);
    scheduler.advance(1);
    EXPECT_TRUE(ran);
}

} // namespace
} // namespace plimsett
