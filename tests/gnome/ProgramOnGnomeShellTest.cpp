// The real program on the headless GNOME Shell: a monitor unplugged and plugged back under a
// running Plimsett, also while the screen is locked, asleep or the extension is off, and a
// restore on command after a restart. Where the windows end up is read, and the bench's own
// moves are made, through the probe extension, not through Plimsett's.
#include "platform/gnome/GnomeShellChannel.h"
#include "platform/wayland/WaylandDisplayProvider.h"
#include "tests/gnome/support/GnomeShellSession.h"
#include "tests/support/ProgramCommands.h"
#include "tests/x11/support/ChildProcess.h"
#include "tests/x11/support/Polling.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <map>

namespace plimsett {
namespace {

using testing::ChildProcess;
using testing::GnomeShellSession;
using testing::waitUntil;
using testing::WaylandClient;

const QString menuService = QStringLiteral("tamblin_engineering.Plimsett");
const QString menuPath = QStringLiteral("/tamblin_engineering/Plimsett/Menu");
const QString menuInterface = QStringLiteral("tamblin_engineering.Plimsett.Menu1");

bool near(const Rect& a, const Rect& b) {
    return std::fabs(a.x - b.x) <= 2 && std::fabs(a.y - b.y) <= 2 &&
           std::fabs(a.width - b.width) <= 2 && std::fabs(a.height - b.height) <= 2;
}

std::string describe(const Rect& r) {
    return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) +
           ", " + std::to_string(r.height) + ")";
}

class ProgramOnGnomeShellTest : public ::testing::Test {
protected:
    ProgramOnGnomeShellTest() {
        notes.open("Shopping", 500, 350);
        notes.open("Letter", 600, 420);
        mail.open("Inbox", 700, 450);
        mail.open("Outbox", 520, 380);
        // Two windows on each monitor.
        place({{"Shopping", Rect{100, 120, 500, 350}},
               {"Letter", Rect{2000, 150, 600, 420}},
               {"Inbox", Rect{2300, 300, 700, 450}},
               {"Outbox", Rect{700, 500, 520, 380}}});
    }

    // In TearDown, not the destructor: a Shell that is gone makes these throw, and the test
    // then fails with the reason instead of ending the run.
    void TearDown() override {
        if (program && program->isRunning()) {
            plimsett({"quit"});
            program->wait(std::chrono::seconds(10));
        }
        // What a failed test may have left.
        session.unlock();
        session.setExtensionEnabled(true);
        session.plugBack();
    }

    // Puts windows at frames through the probe (the bench's own doing, not under test here),
    // asking again while one is elsewhere: on Mutter 48 a client's late answer to its first
    // configure can put a window that has just opened back where it was.
    void place(const std::map<std::string, Rect>& wanted) {
        auto asked = std::chrono::steady_clock::time_point();
        ASSERT_TRUE(waitUntil([&] {
            const auto now = frames();
            const bool again =
                std::chrono::steady_clock::now() - asked > std::chrono::milliseconds(300);
            bool placed = true;
            for (const auto& [title, frame] : wanted) {
                if (!now.contains(title) || !near(now.at(title), frame)) {
                    placed = false;
                    if (again) {
                        session.place(title, frame);
                    }
                }
            }
            if (again) {
                asked = std::chrono::steady_clock::now();
            }
            return placed;
        })) << "the windows were not placed";
    }

    std::pair<int, std::string> plimsett(const std::vector<std::string>& arguments) {
        return ChildProcess::run(PLIMSETT_PROGRAM, arguments, {}, std::chrono::seconds(30));
    }

    QJsonObject status() {
        const auto [code, out] = plimsett({"status", "--json"});
        return code == 0 ? QJsonDocument::fromJson(QByteArray::fromStdString(out)).object()
                         : QJsonObject();
    }

    void startProgram(bool withAccess = true) {
        ChildProcess::Options options;
        options.environment = {{"QT_QPA_PLATFORM", "wayland"}};
        options.logFile = (session.directory() / "plimsett.log").string();
        program =
            std::make_unique<ChildProcess>(PLIMSETT_PROGRAM, std::vector<std::string>{}, options);
        ASSERT_TRUE(waitUntil([&] { return status().value("access").toBool() == withAccess; },
                              std::chrono::seconds(30)))
            << "the program's access is not " << withAccess;
    }

    // The saved windows of the layout of both monitors, by title.
    std::map<std::string, Rect> dockedLayout() {
        std::map<std::string, Rect> out;
        for (const QJsonValue& w :
             testing::savedLayoutWindows(qEnvironmentVariable("XDG_DATA_HOME"), 2)) {
            // [[x, y], [width, height]]
            const QJsonArray frame = w.toObject().value("frame").toArray();
            out[w.toObject().value("title").toString().toStdString()] =
                Rect{frame[0][0].toDouble(), frame[0][1].toDouble(), frame[1][0].toDouble(),
                     frame[1][1].toDouble()};
        }
        return out;
    }

    // The docked layout still holds every window where it was saved: never a piled frame.
    void expectDockedLayout(const std::map<std::string, Rect>& saved) {
        const auto docked = dockedLayout();
        for (const auto& [title, frame] : saved) {
            ASSERT_TRUE(docked.contains(title)) << title;
            EXPECT_TRUE(near(docked.at(title), frame))
                << title << " is saved at " << describe(docked.at(title)) << ", was at "
                << describe(frame);
        }
    }

    // The Shell has piled the right monitor's windows onto the left one.
    bool allOnTheFirstMonitor() {
        for (const auto& [title, frame] : frames()) {
            if (frame.x >= 1920) {
                return false;
            }
        }
        return true;
    }

    void unplug() {
        ASSERT_TRUE(session.unplugSecondMonitor());
        ASSERT_TRUE(waitUntil([&] { return displaysAre(1); }, std::chrono::seconds(20)));
    }

    void replug() {
        ASSERT_TRUE(session.plugBack());
        ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
    }

    bool displaysAre(int count) {
        const QJsonObject s = status();
        return s.value("phase").toString() == "stable" &&
               s.value("displaySet").toObject().value("displays").toArray().size() == count;
    }

    std::map<std::string, Rect> frames() {
        std::map<std::string, Rect> out;
        for (const auto& f : session.frames()) {
            if (f.title == "Shopping" || f.title == "Letter" || f.title == "Inbox" ||
                f.title == "Outbox") {
                out[f.title] = f.frame;
            }
        }
        return out;
    }

    bool allBack(const std::map<std::string, Rect>& saved) {
        const auto now = frames();
        for (const auto& [title, frame] : saved) {
            const auto found = now.find(title);
            if (found == now.end() || !near(found->second, frame)) {
                return false;
            }
        }
        return true;
    }

    void expectAllBack(const std::map<std::string, Rect>& saved) {
        EXPECT_TRUE(waitUntil([&] { return allBack(saved); }, std::chrono::seconds(10)));
        const auto now = frames();
        for (const auto& [title, frame] : saved) {
            ASSERT_TRUE(now.contains(title)) << title;
            EXPECT_TRUE(near(now.at(title), frame)) << title << " is at " << describe(now.at(title))
                                                    << ", saved at " << describe(frame);
        }
    }

    GnomeShellSession& session = GnomeShellSession::shared();
    WaylandClient notes{"org.example.Notes"};
    WaylandClient mail{"org.example.Mail"};
    std::unique_ptr<ChildProcess> program;
};

TEST_F(ProgramOnGnomeShellTest, WindowsGoBackWhenTheirMonitorReturns) {
    startProgram();
    // The program's menu answers GNOME Shell alone: another process neither reads it nor
    // chooses from it.
    for (const char* method : {"GetItems", "Activate"}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(menuService, menuPath, menuInterface, method);
        if (QString(method) == "Activate") {
            call << 0u << QString("Quit Plimsett");
        }
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
        EXPECT_EQ(reply.errorName(), "org.freedesktop.DBus.Error.AccessDenied") << method;
    }
    // Saved from the top bar's menu, as a user chooses it there.
    ASSERT_TRUE(waitUntil([&] { return session.indicatorShown(); }));
    ASSERT_TRUE(session.openTopBarMenu());
    ASSERT_TRUE(waitUntil([&] { return session.activateTopBarItem("Save Layout Now"); }));
    ASSERT_TRUE(waitUntil(
        [&] { return status().value("layout").toObject().value("windowCount").toInt() == 4; }));
    const auto saved = frames();
    ASSERT_EQ(saved.size(), 4u);

    EXPECT_TRUE(program->isRunning());

    // Unplugged: the Shell piles the right monitor's windows onto the left one.
    ASSERT_TRUE(session.unplugSecondMonitor());
    ASSERT_TRUE(waitUntil([&] { return allOnTheFirstMonitor(); }, std::chrono::seconds(10)));
    ASSERT_TRUE(waitUntil([&] { return displaysAre(1); }, std::chrono::seconds(20)));
    EXPECT_FALSE(allBack(saved));

    // Plugged back: after the settle, every window is where it was saved.
    ASSERT_TRUE(session.plugBack());
    ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
    expectAllBack(saved);
    EXPECT_EQ(status().value("lastRestore").toObject().value("failed").toInt(), 0);

    // A loose cable: off and on again twice, each time quicker than a settle.
    for (int flap = 0; flap < 2; ++flap) {
        ASSERT_TRUE(session.unplugSecondMonitor());
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        ASSERT_TRUE(session.plugBack());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
    expectAllBack(saved);
    expectDockedLayout(saved);
}

TEST_F(ProgramOnGnomeShellTest, TheLayoutFollowsAMoveAndAWindowOpenedAgainGoesBack) {
    startProgram();
    ASSERT_EQ(plimsett({"save"}).first, 0);
    const auto saved = frames();

    // Moved a tenth of a second before the unplug, before the layout followed it: after the
    // replug it is where it was moved to, and the Shell's piling never reached the layout of
    // both monitors.
    const Rect moved{2500, 350, 700, 450};
    place({{"Inbox", moved}});
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(session.unplugSecondMonitor());
    ASSERT_TRUE(waitUntil([&] { return displaysAre(1); }, std::chrono::seconds(20)));
    ASSERT_TRUE(session.plugBack());
    ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
    auto expected = saved;
    expected["Inbox"] = moved;
    expectAllBack(expected);

    // Closed with its application's other window, and opened again a while later by a new
    // process of the application: where it was saved, on the second monitor, not where the
    // Shell opens new windows.
    notes.close("Shopping");
    notes.close("Letter");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    WaylandClient again("org.example.Notes");
    again.open("Letter", 600, 420);
    EXPECT_TRUE(waitUntil(
        [&] {
            return allBack({{"Letter", saved.at("Letter")}});
        },
        std::chrono::seconds(10)))
        << "Letter is at " << describe(frames()["Letter"]);
    // It was there from its first frame on: the extension put it there before the Shell
    // painted it, and did not let it jump.
    ASSERT_TRUE(session.firstFrame("Letter"));
    EXPECT_TRUE(near(*session.firstFrame("Letter"), saved.at("Letter")))
        << "first painted at " << describe(*session.firstFrame("Letter"));
}

TEST_F(ProgramOnGnomeShellTest, WindowsGoBackOnMonitorsOfMixedScales) {
    // The left monitor at scale 2 beside the right one at 1: in logical coordinates the left one
    // is 960 x 540 and the right one starts at 960.
    ASSERT_TRUE(session.setScale("Meta-0", 2));
    struct ScaleBack {
        GnomeShellSession& session;
        ~ScaleBack() {
            try {
                session.setScale("Meta-0", 1);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "the scale was not set back: " << e.what();
            }
        }
    } scaleBack{session};
    // Asked as Plimsett asks, by a channel that gives Plimsett's name up again before it starts.
    ASSERT_TRUE(waitUntil([&] {
        const auto displays = WaylandDisplayProvider(std::make_shared<GnomeShellChannel>(),
                                                     WaylandDisplayProvider::Identity::wholeEdid)
                                  .currentDisplaySet()
                                  .displays;
        return displays.size() == 2 && displays[0].frame == Rect{0, 0, 960, 540} &&
               displays[1].frame == Rect{960, 0, 1280, 800};
    }));
    const std::map<std::string, Rect> saved = {{"Shopping", Rect{40, 60, 500, 350}},
                                               {"Outbox", Rect{420, 120, 520, 380}},
                                               {"Letter", Rect{1000, 150, 600, 420}},
                                               {"Inbox", Rect{1400, 300, 700, 450}}};
    place(saved);
    startProgram();
    ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
    ASSERT_EQ(plimsett({"save"}).first, 0);

    ASSERT_TRUE(session.unplugSecondMonitor());
    ASSERT_TRUE(waitUntil([&] { return displaysAre(1); }, std::chrono::seconds(20)));
    EXPECT_FALSE(allBack(saved));
    ASSERT_TRUE(session.plugBack());
    ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
    expectAllBack(saved);
}

TEST_F(ProgramOnGnomeShellTest, AWindowMaximisedAsItsMonitorGoesComesBackMaximisedInView) {
    // No layout for the left monitor alone: what brings the window back is the rescue of windows
    // that no monitor shows.
    QFile::remove(qEnvironmentVariable("XDG_DATA_HOME") +
                  "/tamblin-engineering.Plimsett.direct/layouts.json");
    startProgram();
    // Maximised on the right monitor, which goes within a tenth of a second: the client's
    // answer to the maximise comes while the Shell is already moving the window.
    mail.maximize("Inbox");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(session.unplugSecondMonitor());
    ASSERT_TRUE(waitUntil([&] { return displaysAre(1); }, std::chrono::seconds(20)));
    const auto inView = [&] {
        const auto now = frames();
        return now.contains("Inbox") && now.at("Inbox").x >= 0 && now.at("Inbox").x < 1920 &&
               now.at("Inbox").width == 1920;
    };
    EXPECT_TRUE(waitUntil(inView, std::chrono::seconds(10)))
        << "Inbox is at " << describe(frames()["Inbox"]);
    // And it stays there: a late answer of the client does not take it off screen again.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(inView()) << "Inbox is at " << describe(frames()["Inbox"]);
    ASSERT_TRUE(session.plugBack());
    ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
}

TEST_F(ProgramOnGnomeShellTest, ARestoreAfterARestartPutsTheWindowsBack) {
    startProgram();
    ASSERT_EQ(plimsett({"save"}).first, 0);
    const auto saved = frames();
    ASSERT_EQ(plimsett({"quit"}).first, 0);
    ASSERT_TRUE(program->wait(std::chrono::seconds(10)));

    place({{"Shopping", Rect{300, 300, 400, 300}},
           {"Letter", Rect{50, 60, 500, 400}},
           {"Inbox", Rect{2100, 200, 600, 500}},
           {"Outbox", Rect{1980, 40, 300, 250}}});
    EXPECT_FALSE(allBack(saved));

    startProgram();
    const auto [code, out] = plimsett({"restore"});
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("4 moved"), std::string::npos) << out;
    expectAllBack(saved);
}

// A laptop is usually locked when it leaves its dock and when it comes back: the extension keeps
// serving at the lock screen, so the windows are back before the user unlocks.
TEST_F(ProgramOnGnomeShellTest, WindowsGoBackToTheirWorkspacesWithoutSwitchingTheOneShown) {
    // Workspaces on the primary monitor only (GNOME's default): the windows of the left
    // monitor have workspaces of their own, those of the right one are on every workspace.
    const auto workspaceOf = [&](const std::string& title) {
        const auto f = session.frame(title);
        return f ? f->workspace : -3;
    };
    // GNOME removes a dynamic workspace that empties, and the later ones move up: one window
    // stays on each.
    WaylandClient anchors("org.example.Anchors");
    anchors.open("Anchor0", 300, 200);
    anchors.open("Anchor1", 300, 200);
    anchors.open("Anchor2", 300, 200);
    ASSERT_TRUE(session.toWorkspace("Anchor1", "1"));
    ASSERT_TRUE(session.toWorkspace("Anchor2", "2"));
    ASSERT_TRUE(session.toWorkspace("Shopping", "2"));
    ASSERT_TRUE(session.toWorkspace("Outbox", "all"));
    startProgram();
    ASSERT_EQ(plimsett({"save"}).first, 0);
    const auto saved = frames();
    ASSERT_EQ(plimsett({"quit"}).first, 0);
    program->wait(std::chrono::seconds(10));

    // After a restart: while it was stopped, the user moved them and looks at workspace 1.
    ASSERT_TRUE(session.toWorkspace("Shopping", "1"));
    ASSERT_TRUE(session.toWorkspace("Outbox", "0"));
    ASSERT_TRUE(session.activateWorkspace(1));
    ASSERT_TRUE(session.focus("Anchor1"));
    startProgram();
    ASSERT_EQ(plimsett({"restore"}).first, 0);
    EXPECT_TRUE(waitUntil([&] {
        return workspaceOf("Shopping") == 2 && workspaceOf("Outbox") == -1;
    })) << "Shopping on "
        << workspaceOf("Shopping") << ", Outbox on " << workspaceOf("Outbox");
    EXPECT_EQ(session.activeWorkspace(), 1);
    EXPECT_EQ(session.focused(), "Anchor1");
    EXPECT_EQ(workspaceOf("Letter"), -1) << "a window of the right monitor was pinned";

    // Reopened: closed with its application's other window and opened again by a new process
    // while workspace 1 is shown, it goes to workspace 2 and its frame, and the user stays.
    notes.close("Shopping");
    notes.close("Letter");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    WaylandClient again("org.example.Notes");
    const std::string focusedBefore = session.focused();
    again.open("Shopping", 500, 350);
    EXPECT_TRUE(waitUntil([&] {
        return workspaceOf("Shopping") == 2 && allBack({{"Shopping", saved.at("Shopping")}});
    })) << "Shopping on " << workspaceOf("Shopping") << " at " << describe(frames()["Shopping"]);
    EXPECT_EQ(session.activeWorkspace(), 1);
    EXPECT_EQ(session.focused(), focusedBefore);
    again.open("Letter", 600, 420);

    // Unplugged and plugged back: the right monitor's windows are on every workspace again, as
    // Mutter keeps them, never pinned to the one they were piled onto.
    unplug();
    replug();
    expectAllBack({{"Letter", saved.at("Letter")}, {"Inbox", saved.at("Inbox")}});
    EXPECT_EQ(workspaceOf("Letter"), -1);
    EXPECT_EQ(workspaceOf("Inbox"), -1);
    session.activateWorkspace(0);
}

TEST_F(ProgramOnGnomeShellTest, WindowsGoBackWhileTheScreenIsLockedAcrossAMeetingAndASleep) {
    startProgram();
    ASSERT_EQ(plimsett({"save"}).first, 0);
    const auto saved = frames();

    // Lock, unplug, replug: back within the settle, still locked, and the menu is not on the
    // lock screen.
    ASSERT_TRUE(session.lock());
    EXPECT_TRUE(status().value("access").toBool());
    EXPECT_FALSE(session.indicatorShown());
    unplug();
    replug();
    expectAllBack(saved);
    ASSERT_TRUE(session.unlock());
    EXPECT_TRUE(waitUntil([&] { return session.indicatorShown(); }));
    expectDockedLayout(saved);

    // The meeting: locked and undocked, worked on the one monitor, locked and docked again.
    ASSERT_TRUE(session.lock());
    unplug();
    ASSERT_TRUE(session.unlock());
    place({{"Shopping", Rect{400, 300, 500, 350}}});
    // Long enough for the layout to follow the move.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_TRUE(session.lock());
    replug();
    expectAllBack(saved);
    ASSERT_TRUE(session.unlock());
    expectDockedLayout(saved);

    // Asleep while locked, the monitor unplugged and plugged back meanwhile: back after the wake.
    ASSERT_TRUE(session.lock());
    ASSERT_TRUE(waitUntil([&] { return session.logind().heldInhibitors() > 0; }));
    session.logind().sleep();
    ASSERT_TRUE(waitUntil([&] { return status().value("phase").toString() == "asleep"; }));
    ASSERT_TRUE(session.unplugSecondMonitor());
    ASSERT_TRUE(waitUntil([&] { return allOnTheFirstMonitor(); }, std::chrono::seconds(10)));
    ASSERT_TRUE(session.plugBack());
    session.logind().wake();
    ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
    expectAllBack(saved);
    ASSERT_TRUE(session.unlock());
    expectDockedLayout(saved);
}

// While the extension is off Plimsett sees nothing; what it could not see is treated as a
// display change, and nothing is saved before that has settled.
TEST_F(ProgramOnGnomeShellTest, AGapInAccessIsSettledBeforeAnythingIsSaved) {
    startProgram();
    ASSERT_EQ(plimsett({"save"}).first, 0);
    const auto saved = frames();
    ASSERT_EQ(plimsett({"quit"}).first, 0);
    ASSERT_TRUE(program->wait(std::chrono::seconds(10)));

    // Started while the extension is off: the first-run window stays open.
    ASSERT_TRUE(session.setExtensionEnabled(false));
    startProgram(/*withAccess=*/false);
    EXPECT_TRUE(waitUntil([&] { return session.frame("Welcome to Plimsett").has_value(); }));
    ASSERT_TRUE(session.setExtensionEnabled(true));
    ASSERT_TRUE(waitUntil([&] { return status().value("access").toBool(); }));
    ASSERT_TRUE(waitUntil([&] { return displaysAre(2); }, std::chrono::seconds(20)));
    ASSERT_TRUE(session.lock());
    unplug();
    replug();
    ASSERT_TRUE(session.unlock());
    expectAllBack(saved);
    expectDockedLayout(saved);

    // Switched off across an unplug and a replug, then on again.
    ASSERT_TRUE(session.setExtensionEnabled(false));
    ASSERT_TRUE(waitUntil([&] { return !status().value("access").toBool(); }));
    ASSERT_TRUE(session.unplugSecondMonitor());
    ASSERT_TRUE(waitUntil([&] { return allOnTheFirstMonitor(); }, std::chrono::seconds(10)));
    ASSERT_TRUE(session.plugBack());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    expectDockedLayout(saved);
    ASSERT_TRUE(session.setExtensionEnabled(true));
    expectAllBack(saved);
    expectDockedLayout(saved);
}

// Another process on Plimsett's own name: Plimsett says so, reads no windows, and takes its name
// once it is free.
TEST_F(ProgramOnGnomeShellTest, ANameHeldByAnotherProgramIsToldAndTakenOnceFree) {
    QDBusConnection squatter =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "squatter");
    struct Disconnect {
        ~Disconnect() { QDBusConnection::disconnectFromBus("squatter"); }
    } disconnect;
    ASSERT_TRUE(squatter.registerService(GnomeShellChannel::programBusName));
    startProgram(/*withAccess=*/false);
    EXPECT_TRUE(waitUntil([&] {
        return status().value("advice").toString().contains("holds Plimsett's name");
    })) << QJsonDocument(status()).toJson().toStdString();
    EXPECT_TRUE(waitUntil([&] { return session.frame("Welcome to Plimsett").has_value(); }));
    EXPECT_FALSE(session.indicatorShown());
    ASSERT_TRUE(squatter.unregisterService(GnomeShellChannel::programBusName));
    EXPECT_TRUE(waitUntil([&] { return status().value("access").toBool(); }));
    EXPECT_TRUE(waitUntil([&] { return session.indicatorShown(); }));
}

} // namespace
} // namespace plimsett
