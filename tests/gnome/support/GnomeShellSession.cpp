#include "tests/gnome/support/GnomeShellSession.h"

#include "tests/x11/support/LogTail.h"
#include "tests/x11/support/Polling.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace plimsett::testing {
namespace {

namespace fs = std::filesystem;

const char* const probeName = "tamblin_engineering.Plimsett.TestProbe";
const char* const probeUuid = "plimsett-test-probe@tamblin-engineering";
const char* const extensionName = "tamblin_engineering.Plimsett.Shell";

std::unique_ptr<GnomeShellSession>& instance() {
    static std::unique_ptr<GnomeShellSession> session;
    return session;
}

bool hasOwner(const char* name) {
    const auto reply = QDBusConnection::sessionBus().interface()->isServiceRegistered(name);
    return reply.isValid() && reply.value();
}

QDBusMessage probeMessage(const std::string& method) {
    return QDBusMessage::createMethodCall(probeName, "/tamblin_engineering/Plimsett/TestProbe",
                                          probeName, QString::fromStdString(method));
}

std::string readFile(const fs::path& file) {
    std::ifstream stream(file);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

// The probe in the form of the Shell that runs: ES modules from GNOME 45 on.
std::string probeSource() {
    const int major = GnomeShellSession::shellMajorVersion();
    const fs::path probe = fs::path(PLIMSETT_GNOME_TEST_DIR) / "probe";
    std::string source = readFile(probe / (major >= 45 ? "module.js" : "legacy.js"));
    const std::string marker = "@PROBE_BODY@";
    source.replace(source.find(marker), marker.size(), readFile(probe / "body.js"));
    return source;
}

} // namespace

int GnomeShellSession::shellMajorVersion() {
    const auto [status, version] =
        ChildProcess::run("gnome-shell", {"--version"}, {}, std::chrono::seconds(30));
    const std::size_t digit = version.find_first_of("0123456789");
    return status == 0 && digit != std::string::npos ? std::atoi(version.c_str() + digit) : 0;
}

GnomeShellSession& GnomeShellSession::shared() {
    if (!instance()) {
        instance().reset(new GnomeShellSession());
    }
    return *instance();
}

void GnomeShellSession::shutDown() {
    instance().reset();
}

GnomeShellSession::GnomeShellSession() {
    std::string pattern = (fs::temp_directory_path() / "plimsett-gnome-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    directory_ = pattern;
    for (const char* sub :
         {"home", "config/glib-2.0/settings", "cache", "data", "runtime", "session", "system"}) {
        fs::create_directories(directory_ / sub);
    }
    fs::permissions(directory_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);

    // The settings, in a key file: the probe is on from the start; Plimsett's extension is added
    // by the program's own installer below.
    std::ofstream(directory_ / "config/glib-2.0/settings/keyfile")
        << "[org/gnome/shell]\n"
        << "enabled-extensions=['" << probeUuid << "']\n"
        << "welcome-dialog-last-shown-version='999'\n"
        // Monitors laid out in logical (scaled) coordinates, as where fractional scaling is on.
        // With every scale at 1 the layout is the same as without.
        << "[org/gnome/mutter]\n"
        << "experimental-features=['scale-monitor-framebuffer']\n";
    const fs::path probeDirectory = directory_ / "data/gnome-shell/extensions" / probeUuid;
    fs::create_directories(probeDirectory);
    fs::copy_file(fs::path(PLIMSETT_GNOME_TEST_DIR) / "probe" / "metadata.json",
                  probeDirectory / "metadata.json");
    std::ofstream(probeDirectory / "extension.js") << probeSource();

    const std::map<std::string, std::string> environment = {
        {"HOME", (directory_ / "home").string()},
        {"XDG_CONFIG_HOME", (directory_ / "config").string()},
        {"XDG_CACHE_HOME", (directory_ / "cache").string()},
        {"XDG_DATA_HOME", (directory_ / "data").string()},
        {"XDG_RUNTIME_DIR", (directory_ / "runtime").string()},
        {"GSETTINGS_BACKEND", "keyfile"},
        {"XDG_SESSION_TYPE", "wayland"},
        {"XDG_CURRENT_DESKTOP", "GNOME"},
        {"NO_AT_BRIDGE", "1"},
    };
    for (const auto& [key, value] : environment) {
        setenv(key.c_str(), value.c_str(), 1);
    }
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");

    // A dbus-daemon of the tests' own for the session bus, as dbus-run-session would give.
    ChildProcess::Options busOptions;
    busOptions.extraPipeFd = 3;
    busOptions.logFile = (directory_ / "session-bus.log").string();
    sessionBus_ = std::make_unique<ChildProcess>(
        "dbus-daemon",
        std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--print-address=3",
                                 "--address=unix:path=" + (directory_ / "session/bus").string()},
        busOptions);
    const auto sessionAddress = sessionBus_->readLine(std::chrono::seconds(20), true);
    if (!sessionAddress || sessionAddress->empty()) {
        throw std::runtime_error("the session dbus-daemon did not start");
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", sessionAddress->c_str(), 1);
    systemBus_ = std::make_unique<PrivateSystemBus>(directory_ / "system");
    setenv("DBUS_SYSTEM_BUS_ADDRESS", systemBus_->address().c_str(), 1);
    logind_ = std::make_unique<FakeLogind>(systemBus_->address());

    // Installed and switched on the way a user does it.
    const auto [status, output] =
        ChildProcess::run(PLIMSETT_PROGRAM, {"install-extension"}, {}, std::chrono::seconds(30));
    if (status != 0) {
        throw std::runtime_error("plimsett install-extension failed: " + output);
    }

    ChildProcess::Options shellOptions;
    shellOptions.logFile = (directory_ / "gnome-shell.log").string();
    shell_ = std::make_unique<ChildProcess>(
        "gnome-shell",
        std::vector<std::string>{"--headless", "--wayland", "--no-x11", "--virtual-monitor",
                                 "1920x1080", "--virtual-monitor", "1280x800"},
        shellOptions);
    const bool ready = waitUntil(
        [&] { return !shell_->isRunning() || (hasOwner(extensionName) && hasOwner(probeName)); },
        std::chrono::seconds(90));
    if (!ready || !shell_->isRunning()) {
        throw std::runtime_error("GNOME Shell did not come up with both extensions:\n" +
                                 tail(directory_ / "gnome-shell.log", 40));
    }
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
}

GnomeShellSession::~GnomeShellSession() {
    shell_.reset();
    logind_.reset();
    systemBus_.reset();
    sessionBus_.reset();
    // PLIMSETT_KEEP_GNOME_BENCH keeps the logs and settings for a look afterwards.
    if (std::getenv("PLIMSETT_KEEP_GNOME_BENCH") == nullptr) {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
}

std::string GnomeShellSession::probeCall(const std::string& method,
                                         const std::vector<std::string>& arguments) {
    QDBusMessage call = probeMessage(method);
    for (const std::string& argument : arguments) {
        call << QString::fromStdString(argument);
    }
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        throw std::runtime_error("probe " + method + ": " + reply.errorMessage().toStdString());
    }
    if (reply.arguments().isEmpty()) {
        return {};
    }
    const QVariant first = reply.arguments().constFirst();
    if (first.typeId() == QMetaType::Bool) {
        return first.toBool() ? "true" : "false";
    }
    return first.toString().toStdString();
}

std::vector<GnomeShellSession::Frame> GnomeShellSession::frames() {
    const QJsonArray all =
        QJsonDocument::fromJson(QByteArray::fromStdString(probeCall("Frames", {}))).array();
    std::vector<Frame> result;
    for (const QJsonValue& value : all) {
        const QJsonObject o = value.toObject();
        result.push_back(Frame{o.value("title").toString().toStdString(),
                               Rect{o.value("x").toDouble(), o.value("y").toDouble(),
                                    o.value("width").toDouble(), o.value("height").toDouble()},
                               o.value("minimized").toBool(), o.value("workspace").toInt()});
    }
    return result;
}

std::optional<GnomeShellSession::Frame> GnomeShellSession::frame(const std::string& title) {
    for (Frame& f : frames()) {
        if (f.title == title) {
            return f;
        }
    }
    return std::nullopt;
}

bool GnomeShellSession::unplugSecondMonitor() {
    return probeCall("Unplug", {"Meta-1"}) == "true";
}

bool GnomeShellSession::plugBack() {
    return probeCall("PlugBack", {}) == "true";
}

std::optional<Rect> GnomeShellSession::firstFrame(const std::string& title) {
    const QJsonObject o =
        QJsonDocument::fromJson(QByteArray::fromStdString(probeCall("FirstFrame", {title})))
            .object();
    if (o.isEmpty()) {
        return std::nullopt;
    }
    return Rect{o["x"].toDouble(), o["y"].toDouble(), o["width"].toDouble(),
                o["height"].toDouble()};
}

bool GnomeShellSession::setScale(const std::string& connector, double scale) {
    return probeCall("SetScale", {connector, std::to_string(scale)}) == "true";
}

void GnomeShellSession::setBottomBar(bool shown) {
    QDBusMessage call = probeMessage("SetBottomBar");
    call << shown;
    QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
}

bool GnomeShellSession::indicatorShown() {
    return probeCall("IndicatorShown", {}) == "true";
}

bool GnomeShellSession::openTopBarMenu() {
    return probeCall("OpenTopBarMenu", {}) == "true";
}

std::string GnomeShellSession::topBarMenu() {
    return probeCall("TopBarMenu", {});
}

bool GnomeShellSession::activateTopBarItem(const std::string& title) {
    return probeCall("ActivateTopBarItem", {title}) == "true";
}

bool GnomeShellSession::screenshot(const std::filesystem::path& file) {
    return probeCall("Screenshot", {file.string()}) == "true";
}

bool GnomeShellSession::place(const std::string& title, const Rect& frame) {
    const std::string json = "{\"x\":" + std::to_string(frame.x) +
                             ",\"y\":" + std::to_string(frame.y) +
                             ",\"width\":" + std::to_string(frame.width) +
                             ",\"height\":" + std::to_string(frame.height) + "}";
    return probeCall("Place", {title, json}) == "true";
}

bool GnomeShellSession::toWorkspace(const std::string& title, const std::string& workspace) {
    return probeCall("ToWorkspace", {title, workspace}) == "true";
}

bool GnomeShellSession::activateWorkspace(int index) {
    return probeCall("ActivateWorkspace", {std::to_string(index)}) == "true";
}

int GnomeShellSession::activeWorkspace() {
    return std::stoi(probeCall("ActiveWorkspace", {}));
}

bool GnomeShellSession::focus(const std::string& title) {
    return probeCall("Focus", {title}) == "true";
}

std::string GnomeShellSession::focused() {
    return probeCall("Focused", {});
}

bool GnomeShellSession::lock() {
    return probeCall("Lock", {}) == "true";
}

bool GnomeShellSession::unlock() {
    return probeCall("Unlock", {}) == "true";
}

bool GnomeShellSession::setExtensionEnabled(bool enabled) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
        enabled ? "EnableExtension" : "DisableExtension");
    call << QStringLiteral("plimsett@tamblin-engineering");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

WaylandClient::WaylandClient(const std::string& appID) {
    ChildProcess::Options options;
    options.pipeStdin = true;
    options.pipeStdout = true;
    options.environment = {{"QT_QPA_PLATFORM", "wayland"},
                           {"QT_WAYLAND_DISABLE_WINDOWDECORATION", "1"}};
    process_ = std::make_unique<ChildProcess>(PLIMSETT_WAYLAND_CLIENT,
                                              std::vector<std::string>{appID}, options);
    const auto ready = process_->readLine(std::chrono::seconds(20));
    if (!ready || *ready != "ready") {
        throw std::runtime_error("the Wayland client did not start: " +
                                 ready.value_or("(nothing)"));
    }
}

void WaylandClient::command(const std::string& line) {
    if (!process_->writeLine(line)) {
        throw std::runtime_error("the Wayland client is gone");
    }
    const auto answer = process_->readLine(std::chrono::seconds(20));
    if (!answer || *answer != "ok") {
        throw std::runtime_error("'" + line + "' failed: " + answer.value_or("(no answer)"));
    }
}

void WaylandClient::open(const std::string& title, int width, int height, const std::string& mode) {
    command("open " + title + " " + std::to_string(width) + " " + std::to_string(height) +
            (mode.empty() ? "" : " " + mode));
    // Shown, and at the size asked for: the client has answered the Shell's first configure.
    if (!waitUntil(
            [&] {
                const auto f = GnomeShellSession::shared().frame(title);
                return f && f->frame.width == width && f->frame.height == height;
            },
            std::chrono::seconds(20))) {
        throw std::runtime_error("the Shell does not show the window " + title);
    }
}

void WaylandClient::minimize(const std::string& title) {
    command("minimize " + title);
    if (!waitUntil(
            [&] {
                const auto f = GnomeShellSession::shared().frame(title);
                return f && f->minimized;
            },
            std::chrono::seconds(20))) {
        throw std::runtime_error("the Shell did not minimise " + title);
    }
}

void WaylandClient::maximize(const std::string& title) {
    command("maximize " + title);
}

void WaylandClient::close(const std::string& title) {
    command("close " + title);
    if (!waitUntil([&] { return !GnomeShellSession::shared().frame(title).has_value(); },
                   std::chrono::seconds(20))) {
        throw std::runtime_error("the Shell still shows the window " + title);
    }
}

} // namespace plimsett::testing
