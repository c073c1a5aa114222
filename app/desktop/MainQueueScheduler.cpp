#include "app/desktop/MainQueueScheduler.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace plimsett {

void MainQueueScheduler::Task::cancel() {
    // The timer deletes itself after it fired, and QPointer then reads null: cancelling a task
    // that already ran does nothing.
    if (timer_) {
        timer_->stop();
        timer_->deleteLater();
        timer_ = nullptr;
    }
}

std::shared_ptr<ScheduledTask> MainQueueScheduler::schedule(double delaySeconds,
                                                            std::function<void()> action) {
    // Delays are measured on the monotonic clock of Qt's timers, not on the wall clock. The
    // timer lives on the application's (main) thread; the closure runs there.
    const double clamped = std::isfinite(delaySeconds) ? std::clamp(delaySeconds, 0.0, 2.0e6) : 0.0;
    const auto milliseconds =
        std::chrono::milliseconds(static_cast<long long>(std::ceil(clamped * 1000.0)));
    auto* timer = new QTimer();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        timer->moveToThread(app->thread());
    }
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
        // Deleted later, so that the closure stays alive while it runs.
        timer->deleteLater();
        action();
    });
    // Parented on the main thread to the application, which deletes a timer that never fired (and
    // the closure with it) when it goes; without a parent the timer would outlive everything.
    QMetaObject::invokeMethod(
        timer,
        [timer, milliseconds] {
            timer->setParent(QCoreApplication::instance());
            timer->start(milliseconds);
        },
        Qt::AutoConnection);
    return std::make_shared<Task>(timer);
}

} // namespace plimsett
