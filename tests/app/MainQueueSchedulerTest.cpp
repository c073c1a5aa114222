#include "app/desktop/MainQueueScheduler.h"

#include "engine/Debouncer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace plimsett {
namespace {

// These tests run the real Qt timers, so they wait on the event loop; delays stay short.
class MainQueueSchedulerTest : public ::testing::Test {
protected:
    std::shared_ptr<MainQueueScheduler> scheduler = std::make_shared<MainQueueScheduler>();
};

TEST_F(MainQueueSchedulerTest, RunsOnceOnTheMainThreadNoEarlierThanTheDelay) {
    int runs = 0;
    qint64 ranAfter = -1;
    QThread* ranOn = nullptr;
    QElapsedTimer clock;
    clock.start();
    const auto task = scheduler->schedule(0.03, [&] {
        ++runs;
        ranAfter = clock.elapsed();
        ranOn = QThread::currentThread();
    });
    EXPECT_EQ(runs, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs > 0; }, 2000));
    EXPECT_GE(ranAfter, 30);
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
    QTest::qWait(60);
    EXPECT_EQ(runs, 1);
}

TEST_F(MainQueueSchedulerTest, RunsOnTheMainThreadWhenScheduledFromAnotherThread) {
    std::atomic<QThread*> ranOn = nullptr;
    std::shared_ptr<ScheduledTask> task;
    std::thread worker(
        [&] { task = scheduler->schedule(0.01, [&] { ranOn = QThread::currentThread(); }); });
    worker.join();
    ASSERT_TRUE(task);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ranOn.load() != nullptr; }, 2000));
    EXPECT_EQ(ranOn.load(), QCoreApplication::instance()->thread());
}

TEST_F(MainQueueSchedulerTest, CancelPreventsTheRun) {
    int cancelledRuns = 0;
    bool keptRan = false;
    const auto cancelled = scheduler->schedule(0.02, [&] { ++cancelledRuns; });
    const auto kept = scheduler->schedule(0.04, [&] { keptRan = true; });
    cancelled->cancel();
    cancelled->cancel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keptRan; }, 2000));
    QTest::qWait(20);
    EXPECT_EQ(cancelledRuns, 0);
}

TEST_F(MainQueueSchedulerTest, ReleasingTheTaskDoesNotCancelIt) {
    bool ran = false;
    scheduler->schedule(0.02, [&] { ran = true; }).reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ran; }, 2000));
}

TEST_F(MainQueueSchedulerTest, CancellingAfterTheRunIsHarmless) {
    int runs = 0;
    const auto task = scheduler->schedule(0.01, [&] { ++runs; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, 2000));
    // Once right after the run, and again after the timer is gone.
    task->cancel();
    QTest::qWait(20);
    task->cancel();
    EXPECT_EQ(runs, 1);
}

TEST_F(MainQueueSchedulerTest, ACancelFromInsideAnotherClosureStopsAPendingOne) {
    int lateRuns = 0;
    bool firstRan = false;
    const auto late = scheduler->schedule(0.05, [&] { ++lateRuns; });
    scheduler->schedule(0.01, [&] {
        firstRan = true;
        late->cancel();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return firstRan; }, 2000));
    QTest::qWait(80);
    EXPECT_EQ(lateRuns, 0);
}

TEST_F(MainQueueSchedulerTest, OddDelaysRunAtTheNextTurnOfTheLoop) {
    int runs = 0;
    for (const double delay : {-1.0, 0.0, std::nan(""), -HUGE_VAL}) {
        scheduler->schedule(delay, [&] { ++runs; });
    }
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 4; }, 2000));
}

TEST_F(MainQueueSchedulerTest, DebouncerOverTheMainQueueFiresOnceAfterABurst) {
    const auto debouncer = Debouncer::make(0.25, scheduler);
    int runs = 0;
    QElapsedTimer sinceLast;
    qint64 firedAfter = -1;
    for (int i = 0; i < 3; ++i) {
        sinceLast.start();
        debouncer->schedule([&] {
            ++runs;
            firedAfter = sinceLast.elapsed();
        });
        QTest::qWait(5);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs > 0; }, 2000));
    EXPECT_GE(firedAfter, 250);
    QTest::qWait(150);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(debouncer->isWaiting());
}

} // namespace
} // namespace plimsett
