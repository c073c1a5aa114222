// The GNOME backend on a headless GNOME Shell with Plimsett's extension, real Wayland clients and
// two virtual monitors. What the backend reports is checked against the probe extension's view.
#include "engine/InMemoryDefaultsDatabase.h"
#include "platform/PlatformBackend.h"
#include "platform/gnome/GnomeExtensionInstaller.h"
#include "platform/gnome/GnomeShellChannel.h"
#include "platform/wayland/WaylandAccessPermission.h"
#include "platform/wayland/WaylandDisplayProvider.h"
#include "platform/wayland/WaylandEventMonitor.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "tests/gnome/support/GnomeShellSession.h"
#include "tests/support/ControllerOnFakes.h"
#include "tests/support/FakeDisplayProvider.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/NearRect.h"
#include "tests/support/TemporaryDirectory.h"
#include "tests/x11/support/ChildProcess.h"
#include "tests/x11/support/Polling.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QCoreApplication>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <thread>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace plimsett {
namespace {

using testing::FakeDisplayProvider;
using testing::FakeWindowSystem;
using testing::GnomeShellSession;
using testing::ManualScheduler;
using testing::near;
using testing::TemporaryDirectory;
using testing::waitUntil;
using testing::WaylandClient;

std::string describe(const Rect& r) {
    return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) +
           ", " + std::to_string(r.height) + ")";
}

// As wide as one of the two monitors: a maximised window whose client took the new size.
bool isMonitorWide(const Rect& frame) {
    return frame.width == 1920 || frame.width == 1280;
}

const LiveWindow* find(const std::vector<LiveWindow>& windows, const std::string& title) {
    for (const LiveWindow& w : windows) {
        if (w.title == title) {
            return &w;
        }
    }
    return nullptr;
}
// The answer points into the list, so the list must outlive it.
const LiveWindow* find(std::vector<LiveWindow>&& windows, const std::string& title) = delete;

class GnomeBackendTest : public ::testing::Test {
protected:
    GnomeShellSession& session = GnomeShellSession::shared();
    std::shared_ptr<GnomeShellChannel> shell = std::make_shared<GnomeShellChannel>();
    WaylandWindowSystem windowSystem{shell};
};

TEST_F(GnomeBackendTest, ListsTheNormalWindowsOfEachApplicationInOrder) {
    WaylandClient editor("org.example.Editor");
    WaylandClient viewer("org.example.Viewer");
    editor.open("Notes", 500, 400);
    viewer.open("Photo", 600, 450);
    editor.open("Draft", 400, 300);
    editor.open("Find", 300, 200, "dialog-of Notes");
    editor.open("Hidden", 300, 250);
    editor.minimize("Hidden");
    viewer.maximize("Photo");
    // Maximised, and the client has taken the size of the work area.
    ASSERT_TRUE(waitUntil([&] {
        const std::vector<LiveWindow> now = windowSystem.windows();
        const LiveWindow* photo = find(now, "Photo");
        return photo != nullptr && photo->isMaximizedHorizontally && photo->isMaximizedVertically &&
               isMonitorWide(photo->frame);
    }));

    const std::vector<LiveWindow> windows = windowSystem.windows();
    // The dialog is left out; each application numbers its own windows in the Shell's order.
    std::vector<std::string> listed;
    for (const LiveWindow& w : windows) {
        listed.push_back(w.bundleID + "/" + std::to_string(w.index) + "/" + w.title);
    }
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "org.example.Editor/0/Notes", "org.example.Editor/1/Draft",
                          "org.example.Editor/2/Hidden", "org.example.Viewer/0/Photo"}));
    for (const LiveWindow& w : windows) {
        // No desktop entry: the class is the name too.
        EXPECT_EQ(w.appName, w.bundleID);
        const auto probed = session.frame(w.title);
        ASSERT_TRUE(probed);
        EXPECT_TRUE(near(w.frame, probed->frame))
            << w.title << " listed at " << describe(w.frame) << ", the Shell has it at "
            << describe(probed->frame);
        EXPECT_EQ(w.isMinimized, w.title == "Hidden") << w.title;
        EXPECT_EQ(w.isMaximizedVertically, w.title == "Photo") << w.title;
        EXPECT_FALSE(w.isFullScreen);
    }
    const LiveWindow* notes = find(windows, "Notes");
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(near(notes->frame, Rect{notes->frame.x, notes->frame.y, 500, 400}))
        << describe(notes->frame);
}

TEST_F(GnomeBackendTest, AMoveTakesAWindowToItsWorkspaceOrOntoEveryOne) {
    WaylandClient client("org.example.Spaces");
    client.open("Here", 400, 300);
    client.open("There", 420, 300);
    std::vector<LiveWindow> windows = windowSystem.windows();
    const LiveWindow* here = find(windows, "Here");
    const LiveWindow* there = find(windows, "There");
    ASSERT_TRUE(here && there);
    EXPECT_EQ(here->workspace, Workspace{0});

    // A new size too: the client must still answer it on a workspace that is not shown.
    const std::vector<bool> results = windowSystem.moveAll({
        WindowMove{*here, Rect{100, 100, 460, 330}, false, false, Workspace{1}},
        WindowMove{*there, Rect{600, 100, 420, 300}, false, false, Workspace::every()},
    });
    EXPECT_EQ(results, (std::vector<bool>{true, true}));
    windows = windowSystem.windows();
    ASSERT_TRUE(find(windows, "Here") && find(windows, "There"));
    EXPECT_EQ(find(windows, "Here")->workspace, Workspace{1});
    EXPECT_TRUE(near(find(windows, "Here")->frame, Rect{100, 100, 460, 330}))
        << describe(find(windows, "Here")->frame);
    EXPECT_EQ(find(windows, "There")->workspace, Workspace::every());
}

TEST_F(GnomeBackendTest, MovesAPassAtOnceAndFailsAWindowClosedJustBefore) {
    WaylandClient client("org.example.Mover");
    client.open("Left", 400, 300);
    client.open("Right", 500, 350);
    client.open("Big", 450, 300);
    client.open("Gone", 300, 200);
    client.maximize("Big");
    ASSERT_TRUE(waitUntil([&] {
        const std::vector<LiveWindow> now = windowSystem.windows();
        const LiveWindow* big = find(now, "Big");
        return big != nullptr && big->isMaximized() && isMonitorWide(big->frame);
    }));
    const std::vector<LiveWindow> windows = windowSystem.windows();
    const LiveWindow* left = find(windows, "Left");
    const LiveWindow* right = find(windows, "Right");
    const LiveWindow* big = find(windows, "Big");
    const LiveWindow* gone = find(windows, "Gone");
    ASSERT_TRUE(left && right && big && gone);
    client.close("Gone");

    // One window resized on the left monitor, one sent to the right one and maximised again
    // there, one maximised now and asked to be plain, one closed just before.
    const Rect leftFrame{120, 140, 640, 480};
    const Rect rightFrame{2000, 100, 700, 500};
    const Rect bigFrame{300, 400, 800, 500};
    const std::vector<bool> results = windowSystem.moveAll({
        WindowMove{*left, leftFrame},
        WindowMove{*right, rightFrame, true, true},
        WindowMove{*big, bigFrame},
        WindowMove{*gone, Rect{10, 10, 300, 200}},
    });
    EXPECT_EQ(results, (std::vector<bool>{true, true, true, false}));

    EXPECT_TRUE(near(session.frame("Left")->frame, leftFrame))
        << describe(session.frame("Left")->frame);
    EXPECT_TRUE(near(session.frame("Big")->frame, bigFrame))
        << describe(session.frame("Big")->frame);
    // Maximised on the right monitor: its work area (1920, 0, 1280, 800).
    EXPECT_TRUE(near(session.frame("Right")->frame, Rect{1920, 0, 1280, 800}))
        << describe(session.frame("Right")->frame);
    const std::vector<LiveWindow> after = windowSystem.windows();
    EXPECT_TRUE(find(after, "Right")->isMaximized());
    EXPECT_FALSE(find(after, "Big")->isMaximized());

    // One window on its own, and a frame no window can take.
    EXPECT_TRUE(windowSystem.move(*left, Rect{50, 60, 300, 250}));
    EXPECT_TRUE(near(session.frame("Left")->frame, Rect{50, 60, 300, 250}));
    EXPECT_FALSE(windowSystem.move(*gone, Rect{50, 60, 300, 250}));
    EXPECT_FALSE(windowSystem.move(*left, Rect{NAN, 0, 300, 250}));
}

TEST_F(GnomeBackendTest, AWindowThatOpensIsOnItsExpectedFrameFromItsFirstFrameOn) {
    const Rect expected{2100, 200, 500, 350};
    windowSystem.expectOpenings({Opening{"org.example.Placed", "Expected", expected}});
    WaylandClient client("org.example.Placed");
    client.open("Expected", 500, 350);
    ASSERT_TRUE(waitUntil([&] { return session.firstFrame("Expected").has_value(); }));
    EXPECT_TRUE(near(*session.firstFrame("Expected"), expected))
        << describe(*session.firstFrame("Expected"));
    EXPECT_TRUE(near(session.frame("Expected")->frame, expected));
}

// An application that opens a window and closes it again at once, while the extension puts it on
// the other monitor: the Shell goes on, every time.
TEST_F(GnomeBackendTest, AWindowClosedAsItIsPlacedOnTheOtherMonitorLeavesTheShellRunning) {
    for (int i = 0; i < 16; ++i) {
        windowSystem.expectOpenings(
            {Opening{"org.example.Placed", "Brief", Rect{2100, 200, 500, 350}}});
        {
            WaylandClient client("org.example.Placed");
            client.open("Brief", 500, 350);
            std::this_thread::sleep_for(std::chrono::milliseconds(10 * (i % 8)));
        }
        ASSERT_TRUE(waitUntil([&] { return !session.frame("Brief").has_value(); })) << i;
    }
}

// What the Shell wrote to its log after `from` bytes.
std::string logSince(const std::filesystem::path& file, std::uintmax_t from) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(GnomeBackendTest, HostileRequestsAreRefusedWithAReasonAndTheShellGoesOn) {
    WaylandClient client("org.example.Target");
    client.open("Target", 400, 300);
    std::vector<LiveWindow> listed;
    ASSERT_TRUE(waitUntil([&] {
        listed = windowSystem.windows();
        return find(listed, "Target") != nullptr;
    }));
    const LiveWindow target = *find(listed, "Target");
    const std::string id = target.handle->key();
    const std::filesystem::path log = session.directory() / "gnome-shell.log";
    const std::uintmax_t logBefore = std::filesystem::file_size(log);

    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto call = [&](const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            GnomeShellChannel::busName, GnomeShellChannel::objectPath,
            GnomeShellChannel::interfaceName, method);
        message.setArguments(arguments);
        return bus.call(message, QDBus::Block, 10000);
    };
    const auto moves = [&](const std::string& json) {
        return call("MoveWindows", {QString::fromStdString(json)});
    };
    std::string hundredThousand = "[";
    for (int i = 0; i < 100000; ++i) {
        hundredThousand += (i ? "," : "") + std::string(R"({"id":")") + id +
                           R"(","frame":{"x":0,"y":0,"width":300,"height":200}})";
    }
    hundredThousand += "]";

    // Refused as a whole, each with its reason.
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"[{\"id\": ", "not JSON"},
        {"[NaN]", "not JSON"},
        {R"({"id": "1"})", "not a list"},
        {hundredThousand, "at most"},
    };
    for (const auto& [json, reason] : refused) {
        const QDBusMessage reply = moves(json);
        ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage) << json.substr(0, 80);
        EXPECT_EQ(reply.errorName(), GnomeShellChannel::refusedError);
        EXPECT_TRUE(reply.errorMessage().contains(QString::fromStdString(reason)))
            << reply.errorMessage().toStdString();
    }
    // Taken, but a move that cannot be done says why and leaves its window alone; a window that
    // is gone is answered as gone.
    const std::string frameOf = R"({"id":")" + id + R"(","frame":)";
    const std::vector<std::pair<std::string, std::string>> answered = {
        {frameOf + R"({"x":1e308,"y":0,"width":300,"height":200}})", "x (1e+308) is outside"},
        {frameOf + R"({"x":-1e308,"y":0,"width":300,"height":200}})", "x (-1e+308) is outside"},
        {frameOf + R"({"x":0,"y":0,"width":-300,"height":200}})", "width (-300) is outside"},
        {frameOf + R"({"x":"0","y":0,"width":300,"height":200}})", "x is not a finite number"},
        {frameOf + R"({"x":0,"y":0,"width":300,"height":200},"maximizeVertically":"yes"})",
         "maximizeVertically is not true or false"},
        {frameOf + "null}", "not an object"},
    };
    const Rect before = session.frame("Target")->frame;
    for (const auto& [json, reason] : answered) {
        const QDBusMessage reply = moves("[" + json + "]");
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        const QJsonObject one =
            QJsonDocument::fromJson(reply.arguments().value(0).toString().toUtf8())
                .array()
                .at(0)
                .toObject();
        EXPECT_TRUE(one["exists"].toBool());
        EXPECT_TRUE(one["error"].toString().contains(QString::fromStdString(reason)))
            << json << " -> " << one["error"].toString().toStdString();
    }
    EXPECT_TRUE(near(session.frame("Target")->frame, before));
    // A bad record is skipped with its reason; the others of the list are carried out.
    const std::string good = frameOf + R"({"x":150,"y":160,"width":400,"height":300}})";
    const QDBusMessage mixed = moves("[1, " + good + R"(, {"frame": {}}, {"id": 7}, )" + good + "]");
    ASSERT_EQ(mixed.type(), QDBusMessage::ReplyMessage) << mixed.errorMessage().toStdString();
    const QJsonArray records =
        QJsonDocument::fromJson(mixed.arguments().value(0).toString().toUtf8()).array();
    ASSERT_EQ(records.size(), 5);
    const std::vector<std::string> reasons = {"move 0 is not an object", "",
                                              "move 2 has no window id", "move 3 has no window id",
                                              "moved twice in one call"};
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QString error = records[i].toObject()["error"].toString();
        const std::string& reason = reasons[static_cast<std::size_t>(i)];
        EXPECT_TRUE(reason.empty() ? error.isEmpty() : error.contains(QString::fromStdString(reason)))
            << i << ": " << error.toStdString();
    }
    EXPECT_TRUE(near(session.frame("Target")->frame, Rect{150, 160, 400, 300}));
    const QDBusMessage gone = moves(R"([{"id":"999999999","frame":{"x":0,"y":0,"width":300,"height":200}}])");
    EXPECT_TRUE(gone.arguments().value(0).toString().contains(R"("exists":false)"));

    // In the middle of an unplug: a move onto the monitor that goes, and the listings.
    const Rect onSecond{2000, 100, 400, 300};
    windowSystem.moveAllAsync({WindowMove{target, onSecond}}, [](std::vector<bool>) {});
    ASSERT_TRUE(session.unplugSecondMonitor());
    EXPECT_EQ(call("ListMonitors", {}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call("ListWindows", {}).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(session.plugBack());

    // The Shell goes on, and no error or warning it logged comes from the extension's code (the
    // Shell's own overview complains about a monitor going, on its own).
    EXPECT_EQ(call("GetVersion", {}).type(), QDBusMessage::ReplyMessage);
    const std::string logged = logSince(log, logBefore);
    EXPECT_EQ(logged.find(GnomeExtensionInstaller::uuid), std::string::npos) << logged;
}

TEST_F(GnomeBackendTest, ReportsTheMonitorsWithTheirIdentityAndWorkArea) {
    WaylandDisplayProvider provider(shell, WaylandDisplayProvider::Identity::wholeEdid);
    const DisplaySet set = provider.currentDisplaySet();
    ASSERT_EQ(set.displays.size(), 2u);
    const DisplayInfo& left = set.displays[0];
    const DisplayInfo& right = set.displays[1];
    EXPECT_EQ(left.frame, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(right.frame, (Rect{1920, 0, 1280, 800}));
    // The top bar is on the primary monitor only.
    EXPECT_GT(left.visibleFrame.y, 0);
    EXPECT_EQ(left.visibleFrame.height, 1080 - left.visibleFrame.y);
    EXPECT_EQ(right.visibleFrame, right.frame);
    EXPECT_NE(left.uuid, right.uuid);
    for (const DisplayInfo& d : set.displays) {
        EXPECT_FALSE(d.uuid.empty());
        EXPECT_FALSE(d.name.empty());
        EXPECT_FALSE(d.isBuiltIn);
    }
    EXPECT_EQ(set.id.size(), 16u);

    WaylandAccessPermission permission(shell);
    EXPECT_TRUE(permission.isTrusted());
    EXPECT_TRUE(windowSystem.isTrusted());
}

TEST_F(GnomeBackendTest, AGnomeWaylandSessionGetsThisBackendAndNeverXwayland) {
    // The bench's session: Wayland, GNOME, and an Xwayland display that must not be taken.
    setenv("DISPLAY", ":99", 1);
    const PlatformBackend backend = makePlatformBackend();
    unsetenv("DISPLAY");
    EXPECT_TRUE(backend.problem.empty()) << backend.problem;
    EXPECT_NE(dynamic_cast<WaylandWindowSystem*>(backend.windowSystem.get()), nullptr);
    EXPECT_NE(dynamic_cast<WaylandDisplayProvider*>(backend.displayProvider.get()), nullptr);
    EXPECT_TRUE(backend.permission->isTrusted());
}

TEST_F(GnomeBackendTest, AnExtensionSwitchedOffIsExplainedAndInstallExtensionBringsItBack) {
    const PlatformBackend backend = makePlatformBackend();
    ASSERT_TRUE(backend.permission->isTrusted());
    EXPECT_TRUE(backend.desktopShowsMenu);
    EXPECT_EQ(backend.permission->advice(), "");

    // Switched off as the Extensions app does it: taken off the enabled list.
    const auto [offStatus, offOutput] = testing::ChildProcess::run(
        "gsettings",
        {"set", "org.gnome.shell", "enabled-extensions",
         "['plimsett-test-probe@tamblin-engineering']"},
        {}, std::chrono::seconds(30));
    ASSERT_EQ(offStatus, 0) << offOutput;
    ASSERT_TRUE(waitUntil([&] { return !backend.permission->isTrusted(); },
                          std::chrono::seconds(20)));
    const std::string advice = backend.permission->advice();
    EXPECT_NE(advice.find("installed but switched off"), std::string::npos) << advice;
    EXPECT_NE(advice.find("plimsett install-extension"), std::string::npos) << advice;

    // The program's installer switches it on again, and the Shell starts it at once.
    const auto [onStatus, onOutput] = testing::ChildProcess::run(
        PLIMSETT_PROGRAM, {"install-extension"}, {}, std::chrono::seconds(30));
    EXPECT_EQ(onStatus, 0) << onOutput;
    EXPECT_TRUE(waitUntil([&] { return backend.permission->isTrusted(); },
                          std::chrono::seconds(20)))
        << onOutput;
    EXPECT_EQ(backend.permission->advice(), "");
}

// A real controller on fakes and a manual clock: the settle never runs, so every event the
// monitor delivers stays visible in the controller's phase and pending events.
class GnomeEventMonitorTest : public ::testing::Test {
protected:
    GnomeEventMonitorTest() {
        windowSystem->addWindow("org.example.Editor", "Notes", Rect{100, 100, 400, 300});
        controller = makeController();
    }

    std::shared_ptr<LayoutController> makeController() {
        return testing::startedControllerOnFakes(windowSystem, "Meta-0", Rect{0, 0, 1920, 1080},
                                                 files / (std::to_string(++stores) + ".json"),
                                                 scheduler);
    }

    bool received(DisplayEvent event) const { return controller->pendingEvents().contains(event); }

    GnomeShellSession& session = GnomeShellSession::shared();
    TemporaryDirectory files;
    int stores = 0;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<FakeWindowSystem> windowSystem = std::make_shared<FakeWindowSystem>();
    std::shared_ptr<LayoutController> controller;
};

TEST_F(GnomeEventMonitorTest, EachSignalReachesTheControllerAndAStoppedMonitorIsSilent) {
    WaylandEventMonitor monitor(controller, std::make_shared<GnomeShellChannel>());
    monitor.start();
    monitor.start();
    auto quiet = makeController();
    WaylandEventMonitor stopped(quiet, std::make_shared<GnomeShellChannel>());
    stopped.start();
    stopped.stop();
    stopped.stop();
    EXPECT_FALSE(stopped.isRegistered());

    // A dock reserving space changes the work area only.
    session.setBottomBar(true);
    ASSERT_TRUE(waitUntil([&] { return received(DisplayEvent::screenParameters); }));
    session.setBottomBar(false);
    EXPECT_FALSE(received(DisplayEvent::reconfigured));

    ASSERT_TRUE(session.unplugSecondMonitor());
    ASSERT_TRUE(waitUntil([&] { return received(DisplayEvent::reconfigured); }));
    EXPECT_EQ(controller->phase(), LayoutController::Phase::settling);
    ASSERT_TRUE(session.plugBack());
    ASSERT_TRUE(waitUntil([&] {
        return WaylandDisplayProvider(std::make_shared<GnomeShellChannel>(),
                                      WaylandDisplayProvider::Identity::wholeEdid)
                   .currentDisplaySet()
                   .displays.size() == 2;
    }));

    // Sleep and wake come from logind, as in every Linux session.
    ASSERT_TRUE(waitUntil([&] { return monitor.holdsSleepDelay(); }));
    session.logind().sleep();
    ASSERT_TRUE(waitUntil([&] { return controller->phase() == LayoutController::Phase::asleep; }));
    session.logind().wake();
    ASSERT_TRUE(waitUntil([&] { return controller->phase() != LayoutController::Phase::asleep; }));

    EXPECT_TRUE(quiet->pendingEvents().empty());
    EXPECT_EQ(quiet->phase(), LayoutController::Phase::stable);
}

// The extension serves the owner of Plimsett's name alone (here the test, through its channel),
// and Plimsett talks only to an extension whose name GNOME Shell holds.
TEST_F(GnomeBackendTest, ForeignCallersAndAForeignHolderOfTheExtensionsNameGetNothing) {
    ASSERT_TRUE(shell->isAnswering());
    QDBusConnection foreign = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "foreign");
    struct Disconnect {
        ~Disconnect() { QDBusConnection::disconnectFromBus("foreign"); }
    } disconnect;
    ASSERT_TRUE(foreign.isConnected());
    for (const char* method :
         {"GetVersion", "ListWindows", "ListMonitors", "MoveWindows", "ExpectWindows"}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            GnomeShellChannel::busName, GnomeShellChannel::objectPath,
            GnomeShellChannel::interfaceName, method);
        if (QString(method) == "MoveWindows" || QString(method) == "ExpectWindows") {
            call << QString("[]");
        }
        const QDBusMessage reply = foreign.call(call, QDBus::Block, 5000);
        EXPECT_EQ(reply.errorName(), "org.freedesktop.DBus.Error.AccessDenied") << method;
    }
    // The test owns Plimsett's name, but is not the program that installed the extension: the
    // top bar shows nothing of its.
    EXPECT_TRUE(shell->ownsProgramName());
    EXPECT_FALSE(session.indicatorShown());

    // A process that takes the extension's name while the extension is off keeps it; the
    // extension, switched on again, waits behind it, and Plimsett sends that process nothing.
    ASSERT_TRUE(session.setExtensionEnabled(false));
    ASSERT_TRUE(waitUntil([&] { return !shell->isAnswering(); }));
    ASSERT_TRUE(foreign.registerService(GnomeShellChannel::busName));
    ASSERT_TRUE(session.setExtensionEnabled(true));
    struct Impostor : QDBusVirtualObject {
        int calls = 0;
        QString introspect(const QString&) const override { return {}; }
        bool handleMessage(const QDBusMessage&, const QDBusConnection&) override {
            ++calls;
            return false;
        }
    } impostor;
    ASSERT_TRUE(foreign.registerVirtualObject(GnomeShellChannel::objectPath, &impostor));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_FALSE(shell->isAnswering());
    EXPECT_NE(shell->advice().indexOf("holds the bus name of Plimsett's GNOME Shell extension"), -1)
        << shell->advice().toStdString();
    WaylandWindowSystem sender{shell};
    sender.expectOpenings({Opening{"org.example.Secret", "Payroll", Rect{0, 0, 400, 300}}});
    EXPECT_TRUE(sender.windows().empty());
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_EQ(impostor.calls, 0);
    // Once it lets go, the extension has its name and Plimsett its helper again.
    foreign.unregisterObject(GnomeShellChannel::objectPath);
    ASSERT_TRUE(foreign.unregisterService(GnomeShellChannel::busName));
    EXPECT_TRUE(waitUntil([&] { return shell->isAnswering(); }, std::chrono::seconds(10)));
}

TEST_F(GnomeBackendTest, OneBatchOfMovesRunsAtATimeAndTheShellStaysResponsive) {
    WaylandClient client("org.example.Target");
    client.open("Target", 400, 300);
    std::vector<LiveWindow> listed;
    ASSERT_TRUE(waitUntil([&] {
        listed = windowSystem.windows();
        return find(listed, "Target") != nullptr;
    }));
    const std::string id = find(listed, "Target")->handle->key();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto message = [&](const QString& method) {
        return QDBusMessage::createMethodCall(shell->helperAddress(), GnomeShellChannel::objectPath,
                                              GnomeShellChannel::interfaceName, method);
    };
    // Each batch asks for the frame the window has: what is measured is the extension's own
    // work, not the Shell repainting a moved window in software.
    const Rect now = session.frame("Target")->frame;
    const std::string batch = R"([{"id":")" + id + R"(","frame":{"x":)" + std::to_string(now.x) +
                              R"(,"y":)" + std::to_string(now.y) + R"(,"width":)" +
                              std::to_string(now.width) + R"(,"height":)" +
                              std::to_string(now.height) + "}}]";
    // Every answer to GetVersion over `span`, slowest first; nothing when one failed.
    using Micros = std::chrono::microseconds;
    const auto answerTimes = [&](std::chrono::milliseconds span) {
        std::vector<Micros> times;
        const auto until = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < until) {
            const auto asked = std::chrono::steady_clock::now();
            const QDBusMessage reply = bus.call(message("GetVersion"), QDBus::Block, 5000);
            if (reply.type() != QDBusMessage::ReplyMessage) {
                return std::vector<Micros>{};
            }
            times.push_back(
                std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - asked));
        }
        std::sort(times.rbegin(), times.rend());
        return times;
    };
    // The bench's Shell paints in software: a frame right after a window opened holds it for
    // well over 100 ms, and so does something of its own about every 11 seconds, with no load at
    // all (measured: 180 to 280 ms). Measured once it is quiet, and one such stall is allowed.
    for (int i = 0; i < 10; ++i) {
        const auto times = answerTimes(std::chrono::milliseconds(500));
        if (!times.empty() && times.front() < std::chrono::milliseconds(50)) {
            break;
        }
    }
    std::vector<QDBusPendingCall> calls;
    for (int i = 0; i < 50; ++i) {
        QDBusMessage call = message("MoveWindows");
        call << QString::fromStdString(batch);
        calls.push_back(bus.asyncCall(call, 10000));
    }
    // The Shell answers throughout the batch's confirmation.
    const std::vector<Micros> times = answerTimes(std::chrono::milliseconds(1800));
    ASSERT_GE(times.size(), 2u) << "GetVersion failed during the batches";
    int ran = 0;
    int refused = 0;
    for (QDBusPendingCall& call : calls) {
        call.waitForFinished();
        const QDBusMessage reply = call.reply();
        if (reply.type() == QDBusMessage::ReplyMessage) {
            ++ran;
        } else if (reply.errorName() == GnomeShellChannel::busyError) {
            ++refused;
        }
    }
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(refused, 49);
    std::cout << "GetVersion during 50 concurrent batches: " << times.size()
              << " answers, slowest " << times[0].count() / 1000.0 << " ms, next "
              << times[1].count() / 1000.0 << " ms, median "
              << times[times.size() / 2].count() / 1000.0 << " ms\n";
    EXPECT_LT(times[1], std::chrono::milliseconds(100));
    // The channel sends its own batches one after another, so none of them is refused.
    const Rect a{300, 200, 400, 300};
    const Rect b{350, 250, 400, 300};
    std::vector<std::vector<bool>> answers;
    windowSystem.moveAllAsync({WindowMove{*find(listed, "Target"), a}},
                              [&](std::vector<bool> r) { answers.push_back(r); });
    windowSystem.moveAllAsync({WindowMove{*find(listed, "Target"), b}},
                              [&](std::vector<bool> r) { answers.push_back(r); });
    ASSERT_TRUE(waitUntil([&] {
        QCoreApplication::processEvents();
        return answers.size() == 2;
    }));
    EXPECT_EQ(answers, (std::vector<std::vector<bool>>{{true}, {true}}));
}

} // namespace
} // namespace plimsett
