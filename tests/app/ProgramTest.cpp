#include "app/commands/CommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

// The built program, run as a user would run it: on Qt's offscreen platform, with its own
// settings, data and runtime folders, and without an X display, so it can never touch the
// windows of a desktop that the test happens to run in.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        program = qEnvironmentVariable("PLIMSETT_EXECUTABLE");
        if (program.isEmpty()) {
#ifdef PLIMSETT_BUILT_PROGRAM
            program = QStringLiteral(PLIMSETT_BUILT_PROGRAM);
#else
            program = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../../plimsett");
#endif
        }
        ASSERT_TRUE(QFileInfo(program).isExecutable()) << "build the plimsett target first";
        for (const char* sub : {"config", "data", "runtime"}) {
            ASSERT_TRUE(QDir(home.path()).mkdir(sub));
        }
        QFile::setPermissions(home.path() + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
        environment.insert("XDG_DATA_HOME", home.path() + "/data");
        environment.insert("XDG_RUNTIME_DIR", home.path() + "/runtime");
    }
    void TearDown() override {
        if (instance.state() != QProcess::NotRunning) {
            instance.kill();
            instance.waitForFinished(5000);
        }
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(program, arguments);
        p.waitForFinished(20000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    // Starts the program and waits until it answers on its socket.
    bool startInstance() {
        instance.setProcessEnvironment(environment);
        instance.start(program, {});
        if (!instance.waitForStarted(10000)) {
            return false;
        }
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (run({"status"}).exitCode == 0) {
                return true;
            }
            if (instance.waitForFinished(50)) {
                return false;
            }
        }
        return false;
    }

    QString program;
    QTemporaryDir home;
    QProcessEnvironment environment;
    QProcess instance;
};

TEST_F(ProgramTest, OneInstanceAnswersTheCommandLineAndQuitsOnRequest) {
    Run notRunning = run({"status"});
    EXPECT_EQ(notRunning.exitCode, CommandLine::exitNotRunning);
    EXPECT_TRUE(notRunning.err.contains("Plimsett is not running")) << notRunning.err.toStdString();

    ASSERT_TRUE(startInstance()) << instance.readAllStandardError().toStdString();
    const qint64 pid = instance.processId();

    Run status = run({"status", "--json"});
    ASSERT_EQ(status.exitCode, 0) << status.err.toStdString();
    const QJsonObject s = QJsonDocument::fromJson(status.out.toUtf8()).object();
    EXPECT_EQ(s["pid"].toInteger(), pid);
    EXPECT_EQ(s["phase"].toString(), "stable");
    EXPECT_FALSE(s["access"].toBool());
    EXPECT_TRUE(s["layoutFile"].toString().startsWith(home.path() + "/data/"));

    // Started again, it opens the running instance's settings window.
    Run second = run({});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.out.contains(
        QStringLiteral("already running (process %1); its settings window is open").arg(pid)))
        << second.out.toStdString() << second.err.toStdString();
    EXPECT_EQ(instance.state(), QProcess::Running);

    Run save = run({"save"});
    EXPECT_EQ(save.exitCode, CommandLine::exitFailed);
    EXPECT_TRUE(save.err.contains("cannot read or move windows")) << save.err.toStdString();

    Run quit = run({"quit"});
    EXPECT_EQ(quit.exitCode, 0) << quit.err.toStdString();
    ASSERT_TRUE(instance.waitForFinished(10000));
    EXPECT_EQ(instance.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(instance.exitCode(), 0);
    // The lock and the socket go with the instance.
    EXPECT_TRUE(QDir(home.path() + "/runtime")
                    .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                    .isEmpty());
    EXPECT_EQ(run({"status"}).exitCode, CommandLine::exitNotRunning);
}

TEST_F(ProgramTest, TerminationSignalsQuitInOrder) {
    ASSERT_TRUE(startInstance());
    instance.terminate();
    ASSERT_TRUE(instance.waitForFinished(10000));
    EXPECT_EQ(instance.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(instance.exitCode(), 0);
    // A new instance starts cleanly afterwards.
    ASSERT_TRUE(startInstance());
    EXPECT_EQ(run({"quit"}).exitCode, 0);
    EXPECT_TRUE(instance.waitForFinished(10000));
}

TEST_F(ProgramTest, UnknownOptionsAreRefused) {
    Run bogus = run({"--frobnicate"});
    EXPECT_EQ(bogus.exitCode, CommandLine::exitUsage);
    EXPECT_TRUE(bogus.err.contains("--frobnicate"));
    Run version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("Plimsett %1\n").arg(PLIMSETT_VERSION));
}

} // namespace
} // namespace plimsett
