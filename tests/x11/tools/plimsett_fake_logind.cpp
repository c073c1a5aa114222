// Stands in for systemd-logind on a private bus, for the sleep and wake tests:
//
//   plimsett_fake_logind <bus address> [--impostor]
//
// owns org.freedesktop.login1 (unless --impostor: then it owns nothing, like any other client
// trying to fake the signal), answers Manager.Inhibit with a file descriptor, and reads commands
// on standard input, answering each with one line:
//
//   sleep / wake   emits PrepareForSleep(true / false) from /org/freedesktop/login1, then makes a
//                  round trip to the bus, so that the bus has routed the signal before "ok"
//   inhibitors     "ok <n>": how many inhibitor descriptors are still held by their takers
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const QString path = QStringLiteral("/org/freedesktop/login1");
const QString manager = QStringLiteral("org.freedesktop.login1.Manager");

// The read ends of the pipes handed out by Inhibit; a lock is released when every copy of the
// write end is closed.
std::vector<int> inhibitors;

class Login1 : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.freedesktop.login1.Manager\">"
            "<method name=\"Inhibit\"><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"s\" direction=\"in\"/><arg type=\"h\" direction=\"out\"/>"
            "</method><signal name=\"PrepareForSleep\"><arg type=\"b\"/></signal>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != manager || message.member() != QStringLiteral("Inhibit")) {
            return false;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            connection.send(message.createErrorReply(QDBusError::Failed, "pipe failed"));
            return true;
        }
        inhibitors.push_back(fds[0]);
        // The reply holds a copy of the write end; ours is closed right away.
        connection.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]))));
        close(fds[1]);
        return true;
    }
};

int heldInhibitors() {
    int held = 0;
    for (int fd : inhibitors) {
        pollfd p{fd, POLLIN, 0};
        // POLLHUP: every write end is closed.
        if (poll(&p, 1, 0) == 0) {
            ++held;
        }
    }
    return held;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::cout << "error usage" << std::endl;
        return 2;
    }
    const bool impostor = argc > 2 && std::string(argv[2]) == "--impostor";
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(argv[1]), "bus");
    if (!bus.isConnected()) {
        std::cout << "error cannot connect" << std::endl;
        return 1;
    }
    Login1 login1;
    if (!impostor) {
        bus.registerVirtualObject(path, &login1);
        if (!bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
            std::cout << "error cannot own org.freedesktop.login1" << std::endl;
            return 1;
        }
    }
    std::cout << "ready " << bus.baseService().toStdString() << std::endl;

    const auto handle = [&](const std::string& line) {
        if (line == "sleep" || line == "wake") {
            QDBusMessage signal = QDBusMessage::createSignal(path, manager, "PrepareForSleep");
            signal << (line == "sleep");
            bus.send(signal);
            // Messages of one connection are routed in order: once this answer is back, the
            // signal has been delivered to every matching connection.
            bus.interface()->call(QStringLiteral("GetId"));
            std::cout << "ok" << std::endl;
        } else if (line == "inhibitors") {
            std::cout << "ok " << heldInhibitors() << std::endl;
        } else {
            std::cout << "error unknown command" << std::endl;
        }
    };
    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[1024];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            input.setEnabled(false);
            app.quit();
            return;
        }
        pending.append(chunk, static_cast<std::size_t>(n));
        for (auto newline = pending.find('\n'); newline != std::string::npos;
             newline = pending.find('\n')) {
            const std::string line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            if (line == "quit") {
                app.quit();
                return;
            }
            handle(line);
        }
    });
    return app.exec();
}
