#include "app/commands/CommandLine.h"
#include "tests/support/ProgramCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace plimsett {
namespace {

using testing::ProgramCommands;

struct Frame {
    int x = 0, y = 0, width = 0, height = 0;
};

bool near(const Frame& a, const Frame& b) {
    return std::abs(a.x - b.x) <= 2 && std::abs(a.y - b.y) <= 2 &&
           std::abs(a.width - b.width) <= 2 && std::abs(a.height - b.height) <= 2;
}

std::ostream& operator<<(std::ostream& out, const Frame& f) {
    return out << f.x << "," << f.y << " " << f.width << "x" << f.height;
}

bool waitUntil(const std::function<bool()>& condition, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

// A desktop of its own for the program: Xorg with the dummy driver (outputs plugged and unplugged
// with xrandr), openbox and a few xmessage windows, all stopped with the object.
class VirtualDesktop {
public:
    VirtualDesktop() {
        const std::filesystem::path source =
            std::filesystem::path(__FILE__).parent_path().parent_path();
        xorgConfig_ = QString::fromStdString((source / "x11" / "xorg-dummy.conf").string());
        openboxConfig_ = QString::fromStdString((source / "x11" / "openbox-rc.xml").string());
        QDir(dir_.path()).mkdir("conf.d");
        QFile none(dir_.path() + "/conf.d/00-none.conf");
        none.open(QIODevice::WriteOnly);
        none.write("# nothing\n");
    }
    ~VirtualDesktop() {
        for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(5000)) {
                (*it)->kill();
                (*it)->waitForFinished(5000);
            }
        }
    }

    bool start(QString* problem) {
        // -displayfd 1: the server writes its display number to standard output once it accepts
        // connections.
        QProcess* server =
            spawn("Xorg",
                  {"-displayfd", "1", "-config", xorgConfig_, "-configdir", dir_.path() + "/conf.d",
                   "-logfile", dir_.path() + "/Xorg.log", "-seat", "seat-plimsett-e2e", "-noreset",
                   "-nolisten", "tcp", "-novtswitch"},
                  QProcessEnvironment::systemEnvironment());
        // Its log goes to standard error meanwhile, which also wakes waitForReadyRead.
        if (!waitUntil(
                [&] {
                    server->waitForReadyRead(100);
                    return server->canReadLine() || server->state() == QProcess::NotRunning;
                },
                30) ||
            !server->canReadLine()) {
            *problem = "Xorg did not start: " + QString::fromUtf8(server->readAllStandardError());
            return false;
        }
        display_ = ":" + QString::fromUtf8(server->readLine()).trimmed();
        environment_ = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "SESSION_MANAGER"}) {
            environment_.remove(name);
        }
        environment_.insert("DISPLAY", display_);
        if (!run("xrandr",
                 {"--output", "DUMMY0", "--mode", "1024x768", "--pos", "0x0", "--primary"}) ||
            !plug()) {
            *problem = "xrandr could not set up the outputs";
            return false;
        }
        spawn("openbox", {"--config-file", openboxConfig_, "--sm-disable"}, environment_);
        if (!waitUntil(
                [&] {
                    return output("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"})
                        .contains("window id");
                },
                20)) {
            *problem = "openbox did not start";
            return false;
        }
        return true;
    }

    bool plug() {
        run("xrandr", {"--addmode", "DUMMY1", "1024x768"});
        return run("xrandr", {"--output", "DUMMY1", "--mode", "1024x768", "--right-of", "DUMMY0"});
    }
    bool unplug() { return run("xrandr", {"--output", "DUMMY1", "--off"}); }

    void openWindow(const QString& title, const QString& geometry) {
        spawn("xmessage",
              {"-name", title, "-title", title, "-geometry", geometry, "-buttons", "", title},
              environment_);
    }

    // Frames of the managed windows by title, as the X server reports them.
    std::map<QString, Frame> frames() {
        std::map<QString, Frame> out;
        for (const QString& line : output("wmctrl", {"-lG"}).split('\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.simplified().split(' ');
            if (f.size() >= 8) {
                out[f.last()] = {f[2].toInt(), f[3].toInt(), f[4].toInt(), f[5].toInt()};
            }
        }
        return out;
    }
    bool closeWindow(const QString& title) { return run("wmctrl", {"-c", title}); }
    bool moveWindow(const QString& title, const Frame& f) {
        return run("wmctrl",
                   {"-r", title, "-e",
                    QStringLiteral("0,%1,%2,%3,%4").arg(f.x).arg(f.y).arg(f.width).arg(f.height)});
    }

    QProcess* spawn(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(program, arguments);
        process->waitForStarted(10000);
        processes_.push_back(std::move(process));
        return processes_.back().get();
    }
    bool run(const QString& program, const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(environment_);
        p.start(program, arguments);
        return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }
    QString output(const QString& program, const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(environment_);
        p.start(program, arguments);
        p.waitForFinished(20000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    const QProcessEnvironment& environment() const { return environment_; }
    QString path() const { return dir_.path(); }
    QString xorgConfig() const { return xorgConfig_; }

private:
    QTemporaryDir dir_;
    QString xorgConfig_;
    QString openboxConfig_;
    QString display_;
    QProcessEnvironment environment_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

// The product's job end to end, through the real program and its command line: save, unplug a
// display, plug it back, and every window is back on its frame.
class ProgramOnXServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("Xorg").isEmpty() ||
            QStandardPaths::findExecutable("openbox").isEmpty()) {
            GTEST_SKIP() << "Xorg and openbox are needed (scripts/setup installs them)";
        }
        if (!QFileInfo::exists(desktop.xorgConfig())) {
            GTEST_SKIP() << "the X test bench (tests/x11) is not in this tree";
        }
        if (::getuid() != 0) {
            GTEST_SKIP() << "Xorg with the repository's configuration needs root";
        }
        program = qEnvironmentVariable("PLIMSETT_EXECUTABLE");
        if (program.isEmpty()) {
            program = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../../plimsett");
        }
        ASSERT_TRUE(QFileInfo(program).isExecutable()) << "build the plimsett target first";
        QString problem;
        ASSERT_TRUE(desktop.start(&problem)) << problem.toStdString();
        for (const char* sub : {"config", "data", "runtime"}) {
            QDir(desktop.path()).mkdir(sub);
        }
        QFile::setPermissions(desktop.path() + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment = desktop.environment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("XDG_CONFIG_HOME", desktop.path() + "/config");
        environment.insert("XDG_DATA_HOME", desktop.path() + "/data");
        environment.insert("XDG_RUNTIME_DIR", desktop.path() + "/runtime");
    }

    QJsonObject command(const QStringList& arguments, int* exitCode = nullptr) {
        return ProgramCommands(program, environment).run(arguments, exitCode);
    }
    ::testing::AssertionResult settledOn(int count) {
        return ProgramCommands(program, environment).settledOn(count);
    }
    bool frameIsNear(const QString& title, const Frame& frame, int seconds = 10) {
        return waitUntil(
            [&] {
                const std::map<QString, Frame> now = desktop.frames();
                return now.count(title) && near(now.at(title), frame);
            },
            seconds);
    }

    VirtualDesktop desktop;
    QProcessEnvironment environment;
    QString program;
};

TEST_F(ProgramOnXServerTest, WindowsReturnWhenTheDisplayIsPluggedBack) {
    const std::map<QString, QString> windows = {{"Notes", "330x200+60+90"},
                                                {"Mail", "330x200+430+300"},
                                                {"Music", "330x200+1110+130"},
                                                {"Terminal", "330x200+1520+420"}};
    for (const auto& [title, geometry] : windows) {
        desktop.openWindow(title, geometry);
    }
    ASSERT_TRUE(waitUntil([&] { return desktop.frames().size() >= 4; }, 20));

    QProcess* instance = desktop.spawn(program, {}, environment);
    ASSERT_TRUE(settledOn(2)) << instance->readAllStandardError().toStdString();
    QJsonObject status = command({"status"});
    EXPECT_TRUE(status["access"].toBool());
    EXPECT_FALSE(status["layout"].toObject()["saved"].toBool());

    const std::map<QString, Frame> before = desktop.frames();
    int exitCode = -1;
    const QJsonObject saved = command({"save"}, &exitCode);
    ASSERT_EQ(exitCode, 0);
    EXPECT_EQ(saved["windowCount"].toInt(), 4);

    ASSERT_TRUE(desktop.unplug());
    ASSERT_TRUE(settledOn(1));
    const std::map<QString, Frame> unplugged = desktop.frames();
    // The window manager moved the windows of the unplugged display onto the one that remains.
    EXPECT_LT(unplugged.at("Terminal").x, 1024);
    EXPECT_LT(unplugged.at("Music").x, 1024);

    ASSERT_TRUE(desktop.plug());
    ASSERT_TRUE(settledOn(2));
    // The second pass follows the first by a second; both are counted in the last restore.
    ASSERT_TRUE(waitUntil(
        [&] {
            const std::map<QString, Frame> now = desktop.frames();
            for (const auto& [title, frame] : before) {
                if (!now.count(title) || !near(now.at(title), frame)) {
                    return false;
                }
            }
            return true;
        },
        10));
    const std::map<QString, Frame> after = desktop.frames();
    for (const auto& [title, frame] : before) {
        EXPECT_TRUE(near(after.at(title), frame))
            << title.toStdString() << " was " << frame << ", is " << after.at(title);
    }
    // The second pass finds every window in place; until it has run it could undo the move
    // by hand below.
    ASSERT_TRUE(waitUntil(
        [&] {
            status = command({"status"});
            return status["lastRestore"].toObject()["alreadyInPlace"].toInt() == 4;
        },
        10));
    const QJsonObject last = status["lastRestore"].toObject();
    EXPECT_GE(last["moved"].toInt(), 2);
    EXPECT_EQ(last["failed"].toInt(), 0);
    EXPECT_TRUE(status["layout"].toObject()["saved"].toBool());

    // A move by hand two seconds before an unplug is where the user left it after the replug,
    // and the desktop's piling of the windows never reaches the two displays' layout.
    ASSERT_TRUE(desktop.moveWindow("Music", {1400, 250, 330, 200}));
    ASSERT_TRUE(
        waitUntil([&] { return !near(desktop.frames().at("Music"), before.at("Music")); }, 10));
    // Where the window manager put it, decorations and all.
    const Frame moved = desktop.frames().at("Music");
    QThread::sleep(2);
    const QJsonArray layoutBeforeUnplug = testing::savedLayoutWindows(desktop.path() + "/data", 2);
    ASSERT_TRUE(desktop.unplug());
    ASSERT_TRUE(settledOn(1));
    EXPECT_EQ(testing::savedLayoutWindows(desktop.path() + "/data", 2), layoutBeforeUnplug);
    ASSERT_TRUE(desktop.plug());
    ASSERT_TRUE(settledOn(2));
    EXPECT_TRUE(frameIsNear("Music", moved)) << "the user's last move was undone";
    EXPECT_TRUE(frameIsNear("Terminal", before.at("Terminal")));

    // A window that its application closes and opens again (a new process, the same title)
    // opens where it was, not where it asks to be.
    ASSERT_TRUE(desktop.closeWindow("Mail"));
    ASSERT_TRUE(waitUntil([&] { return !desktop.frames().count("Mail"); }, 10));
    desktop.openWindow("Mail", "330x200+40+40");
    EXPECT_TRUE(frameIsNear("Mail", before.at("Mail")));

    // A restore on request puts back a window moved while Plimsett did not run.
    command({"quit"}, &exitCode);
    EXPECT_TRUE(instance->waitForFinished(10000));
    ASSERT_TRUE(desktop.moveWindow("Notes", {500, 500, 330, 200}));
    ASSERT_TRUE(
        waitUntil([&] { return !near(desktop.frames().at("Notes"), before.at("Notes")); }, 10));
    instance = desktop.spawn(program, {}, environment);
    ASSERT_TRUE(settledOn(2));
    const QJsonObject restored = command({"restore"}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(restored["moved"].toInt(), 1);
    EXPECT_TRUE(frameIsNear("Notes", before.at("Notes")));

    // With "Put windows back where they were when they open" off, a window opened again stays
    // where the window manager put it.
    command({"quit"}, &exitCode);
    EXPECT_TRUE(instance->waitForFinished(10000));
    QSettings settings(desktop.path() + "/config/Plimsett/Plimsett.conf", QSettings::IniFormat);
    settings.setValue("placeOpeningWindows", false);
    settings.sync();
    instance = desktop.spawn(program, {}, environment);
    ASSERT_TRUE(settledOn(2));
    ASSERT_TRUE(desktop.closeWindow("Mail"));
    ASSERT_TRUE(waitUntil([&] { return !desktop.frames().count("Mail"); }, 10));
    desktop.openWindow("Mail", "330x200+40+40");
    ASSERT_TRUE(waitUntil([&] { return desktop.frames().count("Mail") > 0; }, 10));
    // An opening is placed within milliseconds when it is placed at all.
    QThread::msleep(1500);
    EXPECT_FALSE(near(desktop.frames().at("Mail"), before.at("Mail")))
        << "placed with the preference off";

    command({"quit"}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(instance->waitForFinished(10000));
    EXPECT_EQ(instance->exitCode(), 0);
}

} // namespace
} // namespace plimsett
