#include "tests/x11/support/Polling.h"

#include <QCoreApplication>
#include <thread>

namespace plimsett::testing {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace plimsett::testing
