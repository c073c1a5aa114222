#include "app/commands/CommandLine.h"

#include "app/AppModel.h"
#include "app/commands/CommandClient.h"
#include "app/commands/CommandProcessor.h"
#include "app/commands/CommandServer.h"
#include "app/commands/InstancePaths.h"
#include "engine/InternetDate.h"
#include "tests/app/ShellHarness.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace plimsett {
namespace {

using testing::ShellHarness;
using Action = CommandLine::Action;

TEST(CommandLineParseTest, CommandsOptionsAndMistakes) {
    struct Case {
        QStringList args;
        Action action;
        QString command;
        bool json;
    };
    const std::vector<Case> cases = {
        {{}, Action::runApplication, "", false},
        {{"-platform", "offscreen"}, Action::runApplication, "", false},
        {{"status"}, Action::send, "status", false},
        {{"status", "--json"}, Action::send, "status", true},
        {{"--json", "save"}, Action::send, "save", true},
        {{"restore"}, Action::send, "restore", false},
        {{"quit"}, Action::send, "quit", false},
        {{"--help"}, Action::help, "", false},
        {{"status", "-h"}, Action::help, "status", false},
        {{"--version"}, Action::version, "", false},
        {{"frobnicate"}, Action::usageError, "", false},
        {{"status", "save"}, Action::usageError, "status", false},
        {{"status", "--verbose"}, Action::usageError, "status", false},
        {{"--json"}, Action::usageError, "", true},
        {{"install-extension"}, Action::installExtension, "install-extension", false},
        {{"install-extension", "--json"}, Action::usageError, "install-extension", true},
        {{"install-extension", "save"}, Action::usageError, "install-extension", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CommandLine::Invocation inv = CommandLine::parse(c.args);
        EXPECT_EQ(inv.action, c.action);
        EXPECT_EQ(inv.command, c.command);
        EXPECT_EQ(inv.json, c.json);
        EXPECT_EQ(inv.error.isEmpty(), c.action != Action::usageError);
    }
}

TEST(CommandLineParseTest, HelpAndVersionPrintWithoutAnInstance) {
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(CommandLine::execute(CommandLine::parse({"--version"}), "/nonexistent", o, e), 0);
    o.flush();
    EXPECT_EQ(out, QStringLiteral("Plimsett %1\n").arg(PLIMSETT_VERSION));
    out.clear();
    EXPECT_EQ(CommandLine::execute(CommandLine::parse({"--help"}), "/nonexistent", o, e), 0);
    o.flush();
    for (const char* word : {"save", "restore", "status", "quit", "--json"}) {
        EXPECT_TRUE(out.contains(word)) << word;
    }
    EXPECT_EQ(CommandLine::execute(CommandLine::parse({"frobnicate"}), "/nonexistent", o, e),
              CommandLine::exitUsage);
    e.flush();
    EXPECT_TRUE(err.contains("unknown command \"frobnicate\""));
}

// A private runtime folder for one test, standing in for $XDG_RUNTIME_DIR.
class RuntimeFolder {
public:
    RuntimeFolder() : saved_(qgetenv("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_.path()));
    }
    ~RuntimeFolder() {
        if (saved_.isNull()) {
            qunsetenv("XDG_RUNTIME_DIR");
        } else {
            qputenv("XDG_RUNTIME_DIR", saved_);
        }
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray saved_;
};

// Sends a command from another thread, as a separate process would, while this thread runs
// the event loop that serves it.
CommandClient::Result roundTrip(const QString& socket, const QString& command) {
    auto future = std::async(std::launch::async, [socket, command] {
        return CommandClient::send(socket, {{QStringLiteral("command"), command}}, 5000);
    });
    while (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return future.get();
}

class CommandServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InstancePaths::directory());
        directory = *InstancePaths::directory();
        model = harness.makeModel();
        server = std::make_unique<CommandServer>(directory);
        ASSERT_EQ(server->claim(), CommandServer::Claim::claimed);
        server->setHandler([this](const QJsonObject& request, CommandServer::Respond respond) {
            processor.handle(request, respond);
        });
        ASSERT_TRUE(server->listen()) << server->errorString().toStdString();
    }

    RuntimeFolder runtime;
    QString directory;
    ShellHarness harness;
    std::unique_ptr<AppModel> model;
    int quits = 0;
    CommandProcessor processor{[this] { return model.get(); }, [this] { ++quits; }};
    std::unique_ptr<CommandServer> server;
};

TEST_F(CommandServerTest, TheSocketLivesInTheRuntimeFolderAndOnlyTheUserMayOpenIt) {
    EXPECT_EQ(directory, QDir::cleanPath(runtime.path()));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(server->socketPath()).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 077, 0u);
}

TEST_F(CommandServerTest, StatusSaveRestoreAndQuitRoundTrip) {
    auto status = roundTrip(server->socketPath(), "status");
    ASSERT_EQ(status.status, CommandClient::Status::replied) << status.error.toStdString();
    const QJsonObject& s = status.reply;
    EXPECT_TRUE(s["ok"].toBool());
    EXPECT_EQ(s["pid"].toInteger(), QCoreApplication::applicationPid());
    EXPECT_EQ(s["phase"].toString(), "stable");
    EXPECT_TRUE(s["access"].toBool());
    const QJsonObject set = s["displaySet"].toObject();
    EXPECT_EQ(set["id"].toString().toStdString(), harness.displays->displaySet().id);
    EXPECT_EQ(set["name"].toString(), "Built-in + DELL U2720Q");
    ASSERT_EQ(set["displays"].toArray().size(), 2);
    EXPECT_EQ(set["displays"].toArray()[1].toObject()["frame"].toObject()["x"].toDouble(), 1440);
    EXPECT_FALSE(s["layout"].toObject()["saved"].toBool());
    EXPECT_TRUE(s["lastRestore"].isNull());

    auto save = roundTrip(server->socketPath(), "save");
    ASSERT_EQ(save.status, CommandClient::Status::replied);
    EXPECT_TRUE(save.reply["ok"].toBool());
    EXPECT_EQ(save.reply["windowCount"].toInt(), 3);

    harness.windows->setFrame(2, {0, 0, 10, 10});
    auto restore = roundTrip(server->socketPath(), "restore");
    ASSERT_EQ(restore.status, CommandClient::Status::replied);
    EXPECT_TRUE(restore.reply["ok"].toBool());
    EXPECT_EQ(restore.reply["moved"].toInt(), 1);
    EXPECT_EQ(restore.reply["alreadyInPlace"].toInt(), 2);
    EXPECT_EQ(harness.windows->frame(2), (Rect{200, 300, 640, 400}));

    status = roundTrip(server->socketPath(), "status");
    const QJsonObject layout = status.reply["layout"].toObject();
    EXPECT_TRUE(layout["saved"].toBool());
    EXPECT_EQ(layout["windowCount"].toInt(), 3);
    EXPECT_EQ(layout["savedAt"].toString().toStdString(),
              InternetDate::format(harness.scheduler->now()));
    EXPECT_EQ(status.reply["lastRestore"].toObject()["moved"].toInt(), 1);

    const QString text = CommandLine::formatStatus(status.reply, harness.scheduler->now(),
                                                   QLocale(QLocale::English));
    EXPECT_TRUE(text.contains("Displays:      Built-in + DELL U2720Q (set "));
    EXPECT_TRUE(text.contains("DELL U2720Q: 2560×1440 at 1440,0"));
    EXPECT_TRUE(text.contains("Saved layout:  3 windows, saved "));
    EXPECT_TRUE(text.contains("1 moved, 2 already in place, 0 skipped, 0 failed"));
    EXPECT_TRUE(text.contains("Phase:         stable"));

    EXPECT_EQ(quits, 0);
    auto quit = roundTrip(server->socketPath(), "quit");
    ASSERT_EQ(quit.status, CommandClient::Status::replied);
    EXPECT_TRUE(quit.reply["ok"].toBool());
    EXPECT_TRUE(QTest::qWaitFor([this] { return quits == 1; }, 2000));
}

TEST_F(CommandServerTest, FailuresAreReportedAsSuch) {
    harness.setTrusted(false);
    auto save = roundTrip(server->socketPath(), "save");
    ASSERT_EQ(save.status, CommandClient::Status::replied);
    EXPECT_FALSE(save.reply["ok"].toBool());
    EXPECT_TRUE(save.reply["error"].toString().contains("cannot read or move windows"));
    // Unlike the menu, the command line opens no window.
    EXPECT_EQ(model->windows().windowCount(), 0u);

    // The desktop's advice follows the first sentence, in the save's answer and in the status.
    harness.permission->adviceText = "The helper is switched off. Switch it on.";
    save = roundTrip(server->socketPath(), "save");
    EXPECT_EQ(save.reply["error"].toString(), "Plimsett cannot read or move windows on this "
                                              "desktop. The helper is switched off. Switch it on.");
    auto status = roundTrip(server->socketPath(), "status");
    EXPECT_EQ(status.reply["advice"].toString(), "The helper is switched off. Switch it on.");
    const QString text = CommandLine::formatStatus(status.reply, harness.scheduler->now(),
                                                   QLocale(QLocale::English));
    EXPECT_TRUE(text.contains("Window access: no\n               The helper is switched off. "
                              "Switch it on.\nLayout file:"))
        << text.toStdString();

    harness.setTrusted(true);
    EXPECT_FALSE(roundTrip(server->socketPath(), "status").reply.contains("advice"));
    auto restore = roundTrip(server->socketPath(), "restore");
    EXPECT_FALSE(restore.reply["ok"].toBool());
    EXPECT_EQ(restore.reply["error"].toString(), "No layout is saved for these displays");

    auto unknown = roundTrip(server->socketPath(), "launch-missiles");
    EXPECT_FALSE(unknown.reply["ok"].toBool());

    model.reset();
    auto starting = roundTrip(server->socketPath(), "status");
    EXPECT_EQ(starting.reply["error"].toString(), "Plimsett is still starting");
}

TEST_F(CommandServerTest, ASecondInstanceFindsTheFirst) {
    CommandServer second(directory);
    EXPECT_EQ(second.claim(), CommandServer::Claim::alreadyRunning);
    EXPECT_FALSE(second.listen());
    auto hello = roundTrip(second.socketPath(), "hello");
    ASSERT_EQ(hello.status, CommandClient::Status::replied);
    EXPECT_TRUE(CommandLine::alreadyRunningMessage(hello.reply)
                    .startsWith(QStringLiteral("Plimsett is already running (process %1)")
                                    .arg(QCoreApplication::applicationPid())));
}

TEST(CommandClientTest, NoInstanceIsReportedClearly) {
    RuntimeFolder runtime;
    const QString socket = runtime.path() + "/" + InstancePaths::socketName();
    EXPECT_EQ(CommandClient::send(socket, {{"command", "status"}}, 1000).status,
              CommandClient::Status::noInstance);
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(CommandLine::execute(CommandLine::parse({"status"}), socket, o, e),
              CommandLine::exitNotRunning);
    e.flush();
    EXPECT_TRUE(err.contains("Plimsett is not running"));
    EXPECT_TRUE(out.isEmpty());
}

TEST(CommandServerRecoveryTest, LeftoversOfAVanishedInstanceAreTakenOver) {
    RuntimeFolder runtime;
    // A lock of a process that no longer exists, and a socket file nobody listens on.
    {
        QFile lock(runtime.path() + "/" + InstancePaths::lockName());
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write("2147483646\nplimsett\n\n");
    }
    {
        // A socket bound and never unlinked, as a killed instance leaves it.
        const QByteArray path =
            QFile::encodeName(runtime.path() + "/" + InstancePaths::socketName());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
    }
    EXPECT_EQ(CommandClient::send(runtime.path() + "/" + InstancePaths::socketName(),
                                  {{"command", "status"}}, 1000)
                  .status,
              CommandClient::Status::noInstance);
    CommandServer server(runtime.path());
    EXPECT_EQ(server.claim(), CommandServer::Claim::claimed);
    EXPECT_TRUE(server.listen()) << server.errorString().toStdString();
}

TEST(InstancePathsTest, OnlyAPrivateFolderOfTheUserIsUsed) {
    QTemporaryDir dir;
    const QString open = dir.path() + "/open";
    ASSERT_TRUE(QDir().mkdir(open));
    ::chmod(QFile::encodeName(open).constData(), 0755);
    EXPECT_FALSE(InstancePaths::isPrivateDirectory(open));
    ::chmod(QFile::encodeName(open).constData(), 0700);
    EXPECT_TRUE(InstancePaths::isPrivateDirectory(open));
    QFile::link(open, dir.path() + "/link");
    EXPECT_FALSE(InstancePaths::isPrivateDirectory(dir.path() + "/link"));

    // A runtime folder others may enter is passed over for one of our own.
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    ::chmod(QFile::encodeName(open).constData(), 0755);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(open));
    const auto chosen = InstancePaths::directory();
    ASSERT_TRUE(chosen);
    EXPECT_NE(*chosen, open);
    EXPECT_TRUE(InstancePaths::isPrivateDirectory(*chosen));
    qputenv("XDG_RUNTIME_DIR", saved);
}

} // namespace
} // namespace plimsett
