#include "platform/linux/LogindSleepMonitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace plimsett {
namespace {

const QString login1Service = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString login1Manager = QStringLiteral("org.freedesktop.login1.Manager");
const QString defaultSystemBus = QStringLiteral("unix:path=/run/dbus/system_bus_socket");
constexpr std::chrono::milliseconds inhibitTimeout{1000};

} // namespace

LogindSleepMonitor::LogindSleepMonitor(std::weak_ptr<LayoutController> controller)
    : controller_(std::move(controller)) {}

LogindSleepMonitor::~LogindSleepMonitor() {
    stop();
}

void LogindSleepMonitor::start() {
    if (running_) {
        return;
    }
    running_ = true;
    static unsigned connectionCount = 0;
    const QString address = qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")
                                ? defaultSystemBus
                                : qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    busName_ = QStringLiteral("plimsett-login1-%1").arg(++connectionCount);
    QDBusConnection bus = QDBusConnection::connectToBus(address, busName_);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(busName_);
        busName_.clear();
        return;
    }
    // Naming the service makes the bus deliver only what its current owner sends.
    bus.connect(login1Service, login1Path, login1Manager, QStringLiteral("PrepareForSleep"), this,
                SLOT(prepareForSleep(bool)));
    takeSleepDelay();
}

void LogindSleepMonitor::stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    releaseSleepDelay();
    if (busName_.isEmpty()) {
        return;
    }
    QDBusConnection bus(busName_);
    bus.disconnect(login1Service, login1Path, login1Manager, QStringLiteral("PrepareForSleep"),
                   this, SLOT(prepareForSleep(bool)));
    QDBusConnection::disconnectFromBus(busName_);
    busName_.clear();
}

void LogindSleepMonitor::prepareForSleep(bool start) {
    if (!running_) {
        return;
    }
    const auto controller = controller_.lock();
    if (start) {
        if (controller) {
            controller->willSleep();
        }
        // The layout is saved: the system may sleep now.
        releaseSleepDelay();
    } else {
        if (controller) {
            controller->didWake();
        }
        takeSleepDelay();
    }
}

void LogindSleepMonitor::takeSleepDelay() {
    if (busName_.isEmpty() || sleepDelayFd_ >= 0) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(login1Service, login1Path, login1Manager, "Inhibit");
    call << QStringLiteral("sleep") << QStringLiteral("Plimsett")
         << QStringLiteral("Saving the window layout before the system sleeps")
         << QStringLiteral("delay");
    // Asked and answered at once: logind replies within milliseconds, the wait is bounded, and
    // a request left pending at stop() would keep its lock alive in the reply.
    const QDBusMessage reply = QDBusConnection(busName_).call(
        call, QDBus::Block, static_cast<int>(inhibitTimeout.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return;
    }
    const auto lock = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
    if (lock.isValid()) {
        sleepDelayFd_ = fcntl(lock.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
    }
}

void LogindSleepMonitor::releaseSleepDelay() {
    if (sleepDelayFd_ >= 0) {
        ::close(sleepDelayFd_);
        sleepDelayFd_ = -1;
    }
}

} // namespace plimsett
