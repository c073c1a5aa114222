// The product's job end to end in a Plasma Wayland session, through the real program and its
// command line: save, switch an output off and on again, and every window is back on its frame;
// then the same after a restart of the program, by request.
#include "tests/kwin/support/KWinInspector.h"
#include "tests/kwin/support/KWinSessionTest.h"
#include "tests/kwin/support/KWinTestSession.h"
#include "tests/support/NearRect.h"
#include "tests/support/ProgramCommands.h"
#include "tests/x11/support/Polling.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <thread>

#include <cmath>

namespace plimsett {
namespace {

using testing::ChildProcess;
using testing::KWinSessionTest;
using testing::near;
using testing::ProgramCommands;
using testing::waitUntil;

class KWinEndToEndTest : public KWinSessionTest {
protected:
    void SetUp() override {
        KWinSessionTest::SetUp();
        if (IsSkipped()) {
            return;
        }
#ifdef PLIMSETT_BUILT_PROGRAM
        program = QStringLiteral(PLIMSETT_BUILT_PROGRAM);
#endif
        ASSERT_TRUE(QFileInfo(program).isExecutable()) << "build the plimsett target first";
        for (const auto& [key, value] : session->environment()) {
            environment.insert(QString::fromStdString(key), QString::fromStdString(value));
        }
        environment.insert("XDG_SESSION_TYPE", "wayland");
        environment.insert("XDG_CURRENT_DESKTOP", "KDE");
        environment.remove("DISPLAY");
        // The program's own windows are not under test; the offscreen platform keeps them away.
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    }
    void TearDown() override {
        if (instance && instance->state() != QProcess::NotRunning) {
            instance->kill();
            instance->waitForFinished(5000);
        }
    }

    void startProgram() {
        instance = std::make_unique<QProcess>();
        instance->setProcessEnvironment(environment);
        instance->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        instance->start(program, {});
        ASSERT_TRUE(instance->waitForStarted(10000));
    }
    QJsonObject command(const QStringList& arguments, int* exitCode = nullptr) {
        return ProgramCommands(program, environment).run(arguments, exitCode);
    }
    // A failure also says what KWin has made of its outputs, and the end of its log.
    ::testing::AssertionResult settledOn(int count) {
        ::testing::AssertionResult result =
            ProgramCommands(program, environment).settledOn(count);
        if (!result) {
            QFile log(QString::fromStdString((session->directory() / "kwin.log").string()));
            log.open(QIODevice::ReadOnly);
            result << "\nkscreen-doctor -o:\n"
                   << ChildProcess::run("kscreen-doctor", {"-o"}, session->environment(),
                                        std::chrono::seconds(10))
                          .second
                   << "\nKWin's log:\n"
                   << log.readAll().right(4000).toStdString();
        }
        return result;
    }
    bool allBackAt(const std::map<std::string, Rect>& frames) {
        return waitUntil(
            [&] {
                const std::map<std::string, Rect> now = inspector->frames();
                for (const auto& [title, frame] : frames) {
                    if (!now.count(title) || !near(now.at(title), frame)) {
                        return false;
                    }
                }
                return true;
            },
            std::chrono::seconds(15));
    }

    // Puts the windows on their frames through KWin, and waits until they are there.
    void placeAll(const std::map<std::string, Rect>& frames) {
        for (const auto& [title, frame] : frames) {
            ASSERT_TRUE(inspector->move(title, frame));
        }
        ASSERT_TRUE(allBackAt(frames));
    }

    QProcessEnvironment environment;
    QString program;
    std::unique_ptr<QProcess> instance;
};

TEST_F(KWinEndToEndTest, AMoveJustBeforeAnUnplugStaysAndAWindowOpenedAgainGoesBack) {
    auto notes = session->startClient("org.plimsett.Notes", "400x300", {"Notes"});
    auto mail = session->startClient("org.plimsett.Mail", "400x300", {"Mail"});
    auto music = session->startClient("org.plimsett.Music", "400x300", {"Music"});
    const std::map<std::string, Rect> saved = {{"Notes", {60, 90, 420, 320}},
                                               {"Mail", {1400, 130, 500, 400}},
                                               {"Music", {1900, 380, 420, 330}}};
    ASSERT_NO_FATAL_FAILURE(placeAll(saved));
    startProgram();
    ASSERT_TRUE(settledOn(2));
    int exitCode = -1;
    command({"save"}, &exitCode);
    ASSERT_EQ(exitCode, 0);

    // Moved a tenth of a second before the unplug, before the layout followed it. KWin itself
    // puts the windows back on the output when it returns; Plimsett then has nothing to undo, and
    // KWin's piling never reached the layout.
    auto expected = saved;
    expected["Mail"] = Rect{1500, 250, 500, 400};
    ASSERT_TRUE(inspector->move("Mail", expected["Mail"]));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", false));
    ASSERT_TRUE(settledOn(1));
    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", true));
    ASSERT_TRUE(settledOn(2));
    EXPECT_TRUE(allBackAt(expected));
    EXPECT_EQ(command({"status"})["lastRestore"].toObject()["moved"].toInt(), 0);

    // A loose cable: off and on again twice, each time quicker than a settle.
    for (int flap = 0; flap < 2; ++flap) {
        ASSERT_TRUE(session->setOutputEnabled("Virtual-1", false));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        ASSERT_TRUE(session->setOutputEnabled("Virtual-1", true));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(settledOn(2));
    EXPECT_TRUE(allBackAt(expected));

    // Its application quits and starts again: the window opens where it was saved.
    music.reset();
    ASSERT_TRUE(waitUntil([&] { return !inspector->frames().count("Music"); }));
    music = session->startClient("org.plimsett.Music", "400x300", {"Music"});
    EXPECT_TRUE(allBackAt({{"Music", saved.at("Music")}}));
    command({"quit"}, &exitCode);
    EXPECT_TRUE(instance->waitForFinished(10000));
}

TEST_F(KWinEndToEndTest, WindowsReturnToOutputsOfMixedScales) {
    // The left output at scale 2 beside the right one at 1: in KWin's logical coordinates the
    // left one is 640 x 400 and the right one starts at 640.
    ASSERT_TRUE(session->configureOutputs(
        {"output.Virtual-0.scale.2", "output.Virtual-1.position.640,0"}));
    auto notes = session->startClient("org.plimsett.Notes", "300x200", {"Notes", "Journal"});
    auto mail = session->startClient("org.plimsett.Mail", "300x200", {"Mail"});
    const std::map<std::string, Rect> saved = {{"Notes", {30, 40, 300, 200}},
                                               {"Journal", {300, 150, 320, 220}},
                                               {"Mail", {900, 130, 500, 400}}};
    ASSERT_NO_FATAL_FAILURE(placeAll(saved));

    startProgram();
    ASSERT_TRUE(settledOn(2));
    const QJsonArray displays =
        command({"status"})["displaySet"].toObject()["displays"].toArray();
    ASSERT_EQ(displays.size(), 2);
    EXPECT_EQ(displays[0].toObject()["frame"].toObject()["width"].toDouble(), 640)
        << QJsonDocument(displays).toJson().toStdString();
    int exitCode = -1;
    command({"save"}, &exitCode);
    ASSERT_EQ(exitCode, 0);

    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", false));
    ASSERT_TRUE(settledOn(1));
    ASSERT_TRUE(waitUntil([&] { return inspector->frames().at("Mail").x < 640; }));
    ASSERT_TRUE(inspector->move("Journal", {100, 100, 320, 220}));
    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", true));
    ASSERT_TRUE(settledOn(2));
    EXPECT_TRUE(allBackAt(saved));
    for (const auto& [title, frame] : inspector->frames()) {
        EXPECT_TRUE(near(frame, saved.at(title))) << title;
    }
}

TEST_F(KWinEndToEndTest, WindowsReturnWhenTheOutputComesBackAndAfterARestart) {
    auto notes = session->startClient("org.plimsett.Notes", "400x300", {"Notes", "Journal"});
    auto mail = session->startClient("org.plimsett.Mail", "400x300", {"Mail"});
    auto music = session->startClient("org.plimsett.Music", "400x300", {"Music"});
    const std::map<std::string, Rect> saved = {{"Notes", {60, 90, 420, 320}},
                                               {"Journal", {600, 300, 380, 300}},
                                               {"Mail", {1400, 130, 500, 400}},
                                               {"Music", {1900, 380, 420, 330}}};
    ASSERT_NO_FATAL_FAILURE(placeAll(saved));

    startProgram();
    ASSERT_TRUE(settledOn(2)) << QJsonDocument(command({"status"})).toJson().toStdString();
    QJsonObject status = command({"status"});
    EXPECT_TRUE(status["access"].toBool()) << QJsonDocument(status).toJson().toStdString();
    int exitCode = -1;
    const QJsonObject savedReply = command({"save"}, &exitCode);
    ASSERT_EQ(exitCode, 0);
    EXPECT_EQ(savedReply["windowCount"].toInt(), 4);

    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", false));
    ASSERT_TRUE(settledOn(1));
    // KWin piled the windows of the lost output onto the one that remains; the user moves one.
    ASSERT_TRUE(waitUntil([&] { return inspector->frames().at("Mail").x < 1280; }));
    ASSERT_TRUE(inspector->move("Music", {300, 200, 420, 330}));

    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", true));
    ASSERT_TRUE(settledOn(2));
    EXPECT_TRUE(allBackAt(saved));
    for (const auto& [title, frame] : inspector->frames()) {
        EXPECT_TRUE(near(frame, saved.at(title))) << title;
    }
    status = command({"status"});
    // The last pass (the second) found every window in place.
    const QJsonObject last = status["lastRestore"].toObject();
    EXPECT_EQ(last["moved"].toInt() + last["alreadyInPlace"].toInt(), 4);
    EXPECT_EQ(last["failed"].toInt(), 0);

    // Quit, move the windows, start again and ask for a restore.
    command({"quit"}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    ASSERT_TRUE(instance->waitForFinished(10000));
    EXPECT_EQ(instance->exitCode(), 0);
    EXPECT_FALSE(session->isScriptLoaded(QStringLiteral("plimsett")));
    ASSERT_TRUE(inspector->move("Notes", {700, 400, 300, 200}));
    ASSERT_TRUE(inspector->move("Mail", {100, 100, 500, 400}));
    startProgram();
    ASSERT_TRUE(settledOn(2));
    const QJsonObject restored = command({"restore"}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(restored["moved"].toInt(), 2) << QJsonDocument(restored).toJson().toStdString();
    EXPECT_TRUE(allBackAt(saved));
    command({"quit"}, &exitCode);
    EXPECT_TRUE(instance->waitForFinished(10000));
}

// Windows on three desktops and one on every desktop, moved by hand while the program is
// stopped: a restore puts each back on its desktop and frame, and a window of desktop 2 opened
// again goes there; the user stays on the desktop they look at, with the window they work in.
TEST_F(KWinEndToEndTest, WindowsGoBackToTheirDesktopsWithoutSwitchingTheOneShown) {
    ASSERT_TRUE(inspector->makeDesktops(3));
    auto notes = session->startClient("org.plimsett.Notes", "400x300", {"Notes", "Journal"});
    auto mail = session->startClient("org.plimsett.Mail", "400x300", {"Mail"});
    auto music = session->startClient("org.plimsett.Music", "400x300", {"Music"});
    const std::map<std::string, Rect> saved = {{"Notes", {60, 90, 420, 320}},
                                               {"Journal", {600, 300, 380, 300}},
                                               {"Mail", {1400, 130, 500, 400}},
                                               {"Music", {1900, 380, 420, 330}}};
    ASSERT_NO_FATAL_FAILURE(placeAll(saved));
    const std::map<std::string, int> desktops = {
        {"Notes", 0}, {"Journal", 1}, {"Mail", 2}, {"Music", -1}};
    for (const auto& [title, desktop] : desktops) {
        ASSERT_TRUE(inspector->toDesktop(title, desktop)) << title;
    }
    const auto onTheirDesktops = [&] {
        for (const auto& [title, desktop] : desktops) {
            if (inspector->desktopOf(title) != desktop) {
                return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(waitUntil(onTheirDesktops));
    startProgram();
    ASSERT_TRUE(settledOn(2));
    int exitCode = -1;
    command({"save"}, &exitCode);
    ASSERT_EQ(exitCode, 0);
    command({"quit"}, &exitCode);
    ASSERT_TRUE(instance->waitForFinished(10000));

    // After a restart: moved by hand meanwhile, and the user looks at desktop 1.
    ASSERT_TRUE(inspector->toDesktop("Notes", 2));
    ASSERT_TRUE(inspector->toDesktop("Journal", 0));
    ASSERT_TRUE(inspector->toDesktop("Music", 1));
    ASSERT_TRUE(inspector->move("Mail", {100, 100, 500, 400}));
    ASSERT_TRUE(inspector->showDesktop(1));
    const std::string active = inspector->activeCaption();
    startProgram();
    ASSERT_TRUE(settledOn(2));
    command({"restore"}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(waitUntil(onTheirDesktops));
    EXPECT_TRUE(allBackAt(saved));
    EXPECT_EQ(inspector->shownDesktop(), 1);
    EXPECT_EQ(inspector->activeCaption(), active);

    // Reopened by a new process while desktop 1 is shown: on desktop 2 and its frame.
    mail.reset();
    ASSERT_TRUE(waitUntil([&] { return !inspector->frames().count("Mail"); }));
    mail = session->startClient("org.plimsett.Mail", "400x300", {"Mail"});
    EXPECT_TRUE(allBackAt({{"Mail", saved.at("Mail")}}));
    EXPECT_EQ(inspector->desktopOf("Mail"), 2);
    EXPECT_EQ(inspector->shownDesktop(), 1);
    EXPECT_EQ(inspector->activeCaption(), active);
    command({"quit"}, &exitCode);
    EXPECT_TRUE(instance->waitForFinished(10000));
}

} // namespace
} // namespace plimsett
