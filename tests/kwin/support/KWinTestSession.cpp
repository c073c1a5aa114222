#include "tests/kwin/support/KWinTestSession.h"

#include "tests/x11/support/Polling.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace plimsett::testing {
namespace {

std::filesystem::path makeDirectory() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "plimsett-kwin-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("no temporary directory");
    }
    return pattern;
}

} // namespace

KWinTestSession::KWinTestSession() : directory_(makeDirectory()) {
    static unsigned sessions = 0;
    socket_ = "plimsett-kwin-" + std::to_string(getpid()) + "-" + std::to_string(++sessions);
    std::filesystem::create_directories(directory_ / "run");
    std::filesystem::create_directories(directory_ / "home");
    chmod((directory_ / "run").c_str(), 0700);
    bus_ = std::make_unique<PrivateSystemBus>(directory_);

    // A container whose bounding set lacks the capability that the packaged binary carries
    // refuses to run it, but a copy (without the capability) runs: KWin 5.27. KWin 6 finds its
    // internal Qt platform plugin only beside its own path, so a copy of it does not start; where
    // the binary carries no capability (as in a root made by debootstrap), it runs as it is.
    std::filesystem::path kwin = PLIMSETT_KWIN_WAYLAND;
    if (getxattr(kwin.c_str(), "security.capability", nullptr, 0) >= 0) {
        kwin = directory_ / "kwin_wayland";
        std::filesystem::copy_file(PLIMSETT_KWIN_WAYLAND, kwin);
    }
    ChildProcess::Options options;
    options.environment = environment();
    options.environment.erase("WAYLAND_DISPLAY");
    options.environment["DISPLAY"] = "";
    options.environment["QT_QPA_PLATFORM"] = "";
    // Software compositing with QPainter: on a machine without a GPU, OpenGL through llvmpipe
    // keeps KWin's event loop (where the scripts run) busy for many milliseconds per frame.
    options.environment["KWIN_COMPOSE"] = "Q";
    options.logFile = (directory_ / "kwin.log").string();
    kwin_ = std::make_unique<ChildProcess>(
        kwin.string(),
        std::vector<std::string>{"--virtual", "--output-count", "2", "--width", "1280", "--height",
                                 "800", "--socket", socket_},
        options);

    connectionName_ = QString::fromStdString("plimsett-test-" + socket_);
    QDBusConnection::connectToBus(QString::fromStdString(bus_->address()), connectionName_);
    const bool ready = waitUntil(
        [&] {
            if (!kwin_->isRunning()) {
                return false;
            }
            const QDBusMessage reply = bus().call(
                QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting",
                                               "org.kde.kwin.Scripting", "isScriptLoaded")
                    << QStringLiteral("none"),
                QDBus::Block, 1000);
            return reply.type() == QDBusMessage::ReplyMessage &&
                   std::filesystem::exists(directory_ / "run" / socket_);
        },
        std::chrono::seconds(30));
    if (!ready) {
        throw std::runtime_error("kwin_wayland did not start; see " +
                                 (directory_ / "kwin.log").string());
    }
}

KWinTestSession::~KWinTestSession() {
    QDBusConnection::disconnectFromBus(connectionName_);
    kwin_.reset();
    bus_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

QDBusConnection KWinTestSession::bus() const {
    return QDBusConnection(connectionName_);
}

std::map<std::string, std::string> KWinTestSession::environment() const {
    return {
        {"XDG_RUNTIME_DIR", (directory_ / "run").string()},
        {"HOME", (directory_ / "home").string()},
        {"XDG_CONFIG_HOME", (directory_ / "home" / ".config").string()},
        {"XDG_DATA_HOME", (directory_ / "home" / ".local" / "share").string()},
        {"XDG_CACHE_HOME", (directory_ / "home" / ".cache").string()},
        {"DBUS_SESSION_BUS_ADDRESS", bus_->address()},
        {"WAYLAND_DISPLAY", socket_},
        {"QT_QPA_PLATFORM", "wayland"},
    };
}

std::unique_ptr<ChildProcess> KWinTestSession::startClient(const std::string& appID,
                                                           const std::string& size,
                                                           const std::vector<std::string>& titles) {
    ChildProcess::Options options;
    options.environment = environment();
    options.pipeStdout = true;
    std::vector<std::string> arguments{appID, size};
    arguments.insert(arguments.end(), titles.begin(), titles.end());
    auto client = std::make_unique<ChildProcess>(PLIMSETT_WAYLAND_CLIENT, arguments, options);
    const auto line = client->readLine(std::chrono::seconds(30));
    if (!line || *line != "ready") {
        throw std::runtime_error("the Wayland test client did not show its windows");
    }
    return client;
}

bool KWinTestSession::setOutputEnabled(const std::string& output, bool enabled) {
    return configureOutputs({"output." + output + (enabled ? ".enable" : ".disable")});
}

bool KWinTestSession::configureOutputs(const std::vector<std::string>& settings) {
    const auto [status, out] =
        ChildProcess::run("kscreen-doctor", settings, environment(), std::chrono::seconds(30));
    return status == 0;
}

bool KWinTestSession::isScriptLoaded(const QString& pluginName) const {
    const QDBusMessage reply =
        bus().call(QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting",
                                                  "org.kde.kwin.Scripting", "isScriptLoaded")
                       << pluginName,
                   QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toBool();
}

} // namespace plimsett::testing
