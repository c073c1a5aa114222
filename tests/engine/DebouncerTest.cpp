#include "engine/Debouncer.h"

#include "tests/support/ManualScheduler.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::ManualScheduler;

class DebouncerTest : public ::testing::Test {
protected:
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<Debouncer> debouncer = Debouncer::make(2.5, scheduler);
    std::vector<double> firedAt;

    std::function<void()> record() {
        return [this] { firedAt.push_back(scheduler->elapsedSeconds()); };
    }
};

TEST_F(DebouncerTest, RunsOnceTheDelayAfterTheLastOfABurst) {
    debouncer->schedule(record());
    scheduler->advance(1);
    debouncer->schedule(record());
    scheduler->advance(1);
    debouncer->schedule(record());
    EXPECT_TRUE(debouncer->isWaiting());

    scheduler->advance(2.4);
    EXPECT_TRUE(firedAt.empty());
    scheduler->advance(10);
    EXPECT_EQ(firedAt, std::vector<double>{4.5});
    EXPECT_FALSE(debouncer->isWaiting());
    EXPECT_EQ(scheduler->pendingCount(), 0u);
}

TEST_F(DebouncerTest, CancelDropsTheRequestAndLeavesTheDebouncerUsable) {
    debouncer->schedule(record());
    debouncer->cancel();
    EXPECT_FALSE(debouncer->isWaiting());
    scheduler->advance(10);
    EXPECT_TRUE(firedAt.empty());

    debouncer->cancel();
    debouncer->schedule(record());
    scheduler->advance(2.5);
    EXPECT_EQ(firedAt, std::vector<double>{12.5});
}

TEST_F(DebouncerTest, AnActionMayScheduleItsOwnDebouncerAgain) {
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        firedAt.push_back(scheduler->elapsedSeconds());
        if (runs < 3) {
            debouncer->schedule(again);
        }
    };
    debouncer->schedule(again);
    scheduler->advance(20);
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(firedAt, (std::vector<double>{2.5, 5.0, 7.5}));
    EXPECT_FALSE(debouncer->isWaiting());
}

TEST_F(DebouncerTest, AReleasedDebouncerNeverCallsItsAction) {
    debouncer->schedule(record());
    debouncer.reset();
    scheduler->advance(10);
    EXPECT_TRUE(firedAt.empty());
}

// Hands out tasks whose cancel() does nothing, as if every closure had already started.
class UncancellableScheduler : public Scheduler {
public:
    explicit UncancellableScheduler(std::shared_ptr<Scheduler> inner) : inner_(std::move(inner)) {}
    std::shared_ptr<ScheduledTask> schedule(double delay, std::function<void()> action) override {
        inner_->schedule(delay, std::move(action));
        return std::make_shared<Ignored>();
    }

private:
    struct Ignored : ScheduledTask {
        void cancel() override {}
    };
    std::shared_ptr<Scheduler> inner_;
};

TEST_F(DebouncerTest, SupersededAndCancelledRequestsStayHarmlessWhenTheirClosuresRun) {
    const auto stubborn = Debouncer::make(2.5, std::make_shared<UncancellableScheduler>(scheduler));
    std::vector<std::string> calls;
    stubborn->schedule([&] { calls.push_back("first"); });
    scheduler->advance(1);
    stubborn->schedule([&] { calls.push_back("second"); });
    scheduler->advance(5);
    EXPECT_EQ(calls, std::vector<std::string>{"second"});

    stubborn->schedule([&] { calls.push_back("cancelled"); });
    stubborn->cancel();
    scheduler->advance(5);
    EXPECT_EQ(calls, std::vector<std::string>{"second"});
}

} // namespace
} // namespace plimsett
