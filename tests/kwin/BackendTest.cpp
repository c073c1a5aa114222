// The KWin backend on a compositor of the test's own: the script, the windows, the outputs.
#include "platform/wayland/WaylandDisplayProvider.h"
#include "platform/kwin/KWinScriptChannel.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "tests/kwin/support/KWinInspector.h"
#include "tests/kwin/support/KWinSessionTest.h"
#include "tests/kwin/support/KWinTestSession.h"
#include "tests/support/NearRect.h"
#include "tests/x11/support/Polling.h"
#include "tests/x11/support/PrivateSystemBus.h"

#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace plimsett {
namespace {

using testing::KWinSessionTest;
using testing::near;
using testing::waitUntil;

// The scripts KWin holds: their objects are numbered, under / (5.27) or /Scripting (6).
int loadedScripts(QDBusConnection bus) {
    int count = 0;
    for (const QString& path : {QStringLiteral("/"), QStringLiteral("/Scripting")}) {
        const QDBusMessage reply =
            bus.call(QDBusMessage::createMethodCall(
                         "org.kde.KWin", path, "org.freedesktop.DBus.Introspectable", "Introspect"),
                     QDBus::Block, 3000);
        const QString xml = reply.arguments().value(0).toString();
        count += static_cast<int>(
            xml.count(QRegularExpression(QStringLiteral("<node name=\"(Script)?\\d+\"/>"))));
    }
    return count;
}

class KWinBackendTest : public KWinSessionTest {};

TEST_F(KWinBackendTest, ListsAndMovesWindowsAndFailsForOneThatIsGone) {
    auto client = session->startClient("org.plimsett.Notes", "400x300", {"Alpha", "Beta"});
    auto other = session->startClient("org.plimsett.Mail", "300x200", {"Inbox"});
    auto channel = std::make_shared<KWinScriptChannel>(session->bus());
    ASSERT_TRUE(channel->load()) << channel->problem();
    WaylandWindowSystem windowSystem(channel);
    EXPECT_TRUE(windowSystem.isTrusted());

    const std::vector<LiveWindow> windows = windowSystem.windows();
    ASSERT_EQ(windows.size(), 3u);
    const std::map<std::string, Rect> frames = inspector->frames();
    std::map<std::string, const LiveWindow*> byTitle;
    for (const LiveWindow& w : windows) {
        byTitle[w.title] = &w;
        ASSERT_TRUE(frames.count(w.title)) << w.title;
        EXPECT_EQ(w.frame, frames.at(w.title)) << w.title;
        EXPECT_FALSE(w.isMinimized || w.isFullScreen || w.isMaximized()) << w.title;
    }
    EXPECT_EQ(byTitle.at("Alpha")->bundleID, "org.plimsett.Notes");
    EXPECT_EQ(byTitle.at("Alpha")->index, 0);
    EXPECT_EQ(byTitle.at("Beta")->index, 1);
    EXPECT_EQ(byTitle.at("Inbox")->bundleID, "org.plimsett.Mail");
    EXPECT_EQ(byTitle.at("Inbox")->index, 0);

    // One pass: a move onto the other output, a resize, and a window maximised there again.
    const Rect onRight{1400, 120, 500, 400};
    const Rect resized{60, 80, 640, 480};
    const Rect maximizedOn{1300, 20, 1240, 760};
    const std::vector<bool> moved = windowSystem.moveAll(
        {WindowMove{*byTitle.at("Alpha"), onRight}, WindowMove{*byTitle.at("Inbox"), resized},
         WindowMove{*byTitle.at("Beta"), maximizedOn, true, true}});
    EXPECT_EQ(moved, (std::vector<bool>{true, true, true}));
    const std::map<std::string, Rect> after = inspector->frames();
    EXPECT_TRUE(near(after.at("Alpha"), onRight));
    EXPECT_TRUE(near(after.at("Inbox"), resized));
    EXPECT_EQ(after.at("Beta"), (Rect{1280, 0, 1280, 800}));
    const auto listedBeta = [&] {
        for (const LiveWindow& w : windowSystem.windows()) {
            if (w.title == "Beta") {
                return w;
            }
        }
        return LiveWindow{};
    };
    EXPECT_TRUE(listedBeta().isMaximizedHorizontally && listedBeta().isMaximizedVertically);
    // Asked to go somewhere without maximising, it is un-maximised first.
    EXPECT_TRUE(windowSystem.move(listedBeta(), Rect{200, 200, 450, 350}));
    EXPECT_FALSE(listedBeta().isMaximized());

    // The window is gone: the move fails, the other window of the pass is still moved. The pass
    // goes as the program sends its passes, answered later on this thread.
    const LiveWindow inbox = *byTitle.at("Inbox");
    other.reset();
    ASSERT_TRUE(waitUntil([&] { return inspector->frames().count("Inbox") == 0; }));
    std::optional<std::vector<bool>> answers;
    windowSystem.moveAllAsync(
        {WindowMove{inbox, onRight}, WindowMove{*byTitle.at("Alpha"), resized}},
        [&](std::vector<bool> answered) { answers = std::move(answered); });
    EXPECT_FALSE(answers);
    ASSERT_TRUE(waitUntil([&] { return answers.has_value(); }));
    EXPECT_EQ(*answers, (std::vector<bool>{false, true}));
    EXPECT_TRUE(near(inspector->frames().at("Alpha"), resized));

    // Workspaces: KWin's one desktop here is 0; a window put on every desktop and back.
    const auto listed = [&](const std::string& title) {
        for (const LiveWindow& w : windowSystem.windows()) {
            if (w.title == title) {
                return w;
            }
        }
        return LiveWindow{};
    };
    EXPECT_EQ(listed("Alpha").workspace, Workspace{0});
    EXPECT_EQ(windowSystem.moveAll({WindowMove{listed("Alpha"), resized, false, false,
                                               Workspace::every()}}),
              std::vector<bool>{true});
    EXPECT_EQ(listed("Alpha").workspace, Workspace::every());
    EXPECT_EQ(windowSystem.moveAll({WindowMove{listed("Alpha"), resized, false, false,
                                               Workspace{3}}}),
              std::vector<bool>{true});
    EXPECT_EQ(listed("Alpha").workspace, Workspace{0}) << "a desktop that is not there is the last";
}

TEST_F(KWinBackendTest, ReportsOutputsWithTheirWorkAreasAndTellsWhenTheyChange) {
    auto channel = std::make_shared<KWinScriptChannel>(session->bus());
    ASSERT_TRUE(channel->load()) << channel->problem();
    int outputChanges = 0;
    QObject::connect(channel.get(), &KWinScriptChannel::monitorsChanged, [&] { ++outputChanges; });
    WaylandDisplayProvider provider(channel, WaylandDisplayProvider::Identity::anyEdid);

    DisplaySet set = provider.currentDisplaySet();
    ASSERT_EQ(set.displays.size(), 2u);
    // KWin 5.27 tells no monitor identity to scripts, so the output name stands for it.
    EXPECT_EQ(set.displays[0].uuid, "Virtual-0");
    EXPECT_EQ(set.displays[0].frame, (Rect{0, 0, 1280, 800}));
    EXPECT_EQ(set.displays[1].uuid, "Virtual-1");
    EXPECT_EQ(set.displays[1].frame, (Rect{1280, 0, 1280, 800}));
    // No panel: the placement area is the whole output.
    EXPECT_EQ(set.displays[1].visibleFrame, set.displays[1].frame);
    const std::string twoOutputs = set.id;

    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", false));
    ASSERT_TRUE(waitUntil([&] { return outputChanges > 0; }));
    set = provider.currentDisplaySet();
    ASSERT_EQ(set.displays.size(), 1u);
    EXPECT_EQ(set.displays[0].uuid, "Virtual-0");

    outputChanges = 0;
    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", true));
    ASSERT_TRUE(waitUntil([&] { return outputChanges > 0; }));
    EXPECT_EQ(provider.currentDisplaySet().id, twoOutputs);
}

TEST_F(KWinBackendTest, AWindowThatOpensTakesItsExpectedFrame) {
    auto channel = std::make_shared<KWinScriptChannel>(session->bus());
    ASSERT_TRUE(channel->load()) << channel->problem();
    const Rect expected{1400, 150, 400, 300};
    WaylandWindowSystem(channel).expectOpenings({Opening{"org.plimsett.Placed", "Expected", expected}});
    auto client = session->startClient("org.plimsett.Placed", "400x300", {"Expected"});
    EXPECT_TRUE(waitUntil([&] { return near(inspector->frames().at("Expected"), expected); }))
        << "Expected is at x " << inspector->frames().at("Expected").x;
}

TEST_F(KWinBackendTest, HostileRequestsAreRefusedWithAReasonAndKWinGoesOn) {
    auto client = session->startClient("org.plimsett.Notes", "400x300", {"Target"});
    auto channel = std::make_shared<KWinScriptChannel>(session->bus());
    ASSERT_TRUE(channel->load()) << channel->problem();
    WaylandWindowSystem windowSystem(channel);
    const std::vector<LiveWindow> windows = windowSystem.windows();
    ASSERT_EQ(windows.size(), 1u);
    const QString id = QString::fromStdString(windows[0].handle->key());
    const std::filesystem::path log = session->directory() / "kwin.log";
    const auto logBefore = std::filesystem::file_size(log);
    const auto move = [&](const QJsonValue& moves) {
        return channel->request(HelperChannel::Request::move, moves, std::chrono::seconds(5));
    };
    const auto frame = [](double x, double y, double width, double height) {
        return QJsonObject{{"x", x}, {"y", y}, {"width", width}, {"height", height}};
    };
    QJsonArray hundredThousand;
    for (int i = 0; i < 100000; ++i) {
        hundredThousand.append(QJsonObject{{"id", id}, {"frame", frame(0, 0, 300, 200)}});
    }

    // Refused as a whole, each with its reason in the program's log.
    const std::vector<std::pair<QJsonValue, std::string>> refused = {
        {QJsonObject{{"id", id}}, "not a list"},
        {QJsonArray{1, 2}, "move 0 is not an object"},
        {QJsonArray{QJsonObject{{"frame", frame(0, 0, 300, 200)}}}, "move 0 has no window id"},
        {QJsonArray{QJsonObject{{"id", 7}}}, "move 0 has no window id"},
        {hundredThousand, "at most 2000"},
    };
    for (const auto& [moves, reason] : refused) {
        ::testing::internal::CaptureStderr();
        const std::optional<QJsonValue> answer = move(moves);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(answer && answer->isArray()) << reason;
        EXPECT_NE(said.find(reason), std::string::npos) << said;
    }
    // Taken, but a move that cannot be done says why and leaves its window alone.
    const Rect before = inspector->frames().at("Target");
    const std::vector<std::pair<QJsonObject, std::string>> answered = {
        {{{"id", id}, {"frame", frame(1e308, 0, 300, 200)}}, "x (1e+308) is outside"},
        {{{"id", id}, {"frame", frame(0, -1e308, 300, 200)}}, "y (-1e+308) is outside"},
        {{{"id", id}, {"frame", frame(0, 0, -300, 200)}}, "width (-300) is outside"},
        {{{"id", id}, {"frame", frame(NAN, 0, 300, 200)}}, "x is not a finite number"},
        {{{"id", id}, {"frame", frame(0, 0, 300, 200)}, {"maximizeVertically", "yes"}},
         "maximizeVertically is not true or false"},
        {{{"id", id}, {"frame", QJsonValue::Null}}, "not an object"},
    };
    for (const auto& [one, reason] : answered) {
        const std::optional<QJsonValue> answer = move(QJsonArray{one});
        ASSERT_TRUE(answer && answer->isArray()) << reason;
        const QJsonObject record = answer->toArray().at(0).toObject();
        EXPECT_TRUE(record["exists"].toBool());
        EXPECT_TRUE(record["error"].toString().contains(QString::fromStdString(reason)))
            << reason << " -> " << record["error"].toString().toStdString();
    }
    EXPECT_EQ(inspector->frames().at("Target"), before);
    const std::optional<QJsonValue> gone =
        move(QJsonArray{QJsonObject{{"id", "{00000000-0000-0000-0000-000000000000}"},
                                    {"frame", frame(0, 0, 300, 200)}}});
    ASSERT_TRUE(gone && gone->isArray());
    EXPECT_FALSE(gone->toArray().at(0).toObject()["exists"].toBool());

    // In the middle of an unplug: a move onto the output that goes, and the listings.
    std::optional<std::vector<bool>> answers;
    windowSystem.moveAllAsync({WindowMove{windows[0], Rect{1400, 100, 400, 300}}},
                              [&](std::vector<bool> a) { answers = std::move(a); });
    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", false));
    EXPECT_EQ(windowSystem.windows().size(), 1u);
    EXPECT_TRUE(channel->request(HelperChannel::Request::monitors, {}, std::chrono::seconds(5)));
    EXPECT_TRUE(waitUntil([&] { return answers.has_value(); }));
    ASSERT_TRUE(session->setOutputEnabled("Virtual-1", true));

    // KWin goes on with the script loaded, and logged no error of the script's.
    EXPECT_TRUE(channel->isAnswering());
    EXPECT_TRUE(session->isScriptLoaded(KWinScriptChannel::pluginName));
    std::ifstream in(log);
    in.seekg(static_cast<std::streamoff>(logBefore));
    for (std::string line; std::getline(in, line);) {
        EXPECT_EQ(line.find("plimsett"), std::string::npos) << line;
    }
}

TEST_F(KWinBackendTest, TheScriptRunsOnceAndGoesWithTheProgram) {
    auto client = session->startClient("org.plimsett.Notes", "400x300", {"Alpha"});
    {
        auto first = std::make_shared<KWinScriptChannel>(session->bus());
        ASSERT_TRUE(first->load()) << first->problem();
        // Loading again (a new run after one that never unloaded) replaces the copy.
        auto second = std::make_shared<KWinScriptChannel>(QDBusConnection::connectToBus(
            QString::fromStdString(session->busAddress()), QStringLiteral("plimsett-second")));
        ASSERT_TRUE(second->load()) << second->problem();
        EXPECT_TRUE(session->isScriptLoaded(KWinScriptChannel::pluginName));
        EXPECT_EQ(loadedScripts(session->bus()), 1);
        EXPECT_EQ(WaylandWindowSystem(second).windows().size(), 1u);

        // Unloaded behind the program's back: the answer never comes, and the listing is empty
        // after a bounded wait instead of hanging.
        first.reset();
        session->bus().call(QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting",
                                                           "org.kde.kwin.Scripting", "unloadScript")
                                << QString::fromLatin1(KWinScriptChannel::pluginName),
                            QDBus::Block, 3000);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_TRUE(WaylandWindowSystem(second).windows().empty());
        EXPECT_LT(std::chrono::steady_clock::now() - started,
                  WaylandWindowSystem::listingTimeout + std::chrono::milliseconds(500));
        // Asking for access again brings it back.
        EXPECT_TRUE(second->load());
        EXPECT_EQ(WaylandWindowSystem(second).windows().size(), 1u);
        second.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("plimsett-second"));
    }
    EXPECT_FALSE(session->isScriptLoaded(KWinScriptChannel::pluginName));
    EXPECT_EQ(loadedScripts(session->bus()), 0);
}

TEST(KWinScriptChannelTest, SaysWhyWhenThereIsNoKWin) {
    const auto directory =
        std::filesystem::temp_directory_path() / ("plimsett-nokwin-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    {
        testing::PrivateSystemBus bus(directory);
        const QString name = QStringLiteral("plimsett-nokwin");
        auto channel = std::make_shared<KWinScriptChannel>(
            QDBusConnection::connectToBus(QString::fromStdString(bus.address()), name));
        EXPECT_FALSE(channel->load());
        EXPECT_EQ(channel->problem(), "KWin is not on the session bus (org.kde.KWin), so Plimsett "
                                      "cannot read or move the windows of this session.");
        // What to do follows the problem.
        EXPECT_EQ(channel->advice(), "On Plasma, Plimsett reaches the windows through KWin: "
                                     "start it inside a Plasma Wayland session, once KWin runs.");
        EXPECT_FALSE(channel->isAnswering());
        EXPECT_TRUE(WaylandWindowSystem(channel).windows().empty());
        EXPECT_TRUE(WaylandDisplayProvider(channel, WaylandDisplayProvider::Identity::anyEdid).currentDisplaySet().displays.empty());
        channel.reset();
        QDBusConnection::disconnectFromBus(name);
    }
    std::filesystem::remove_all(directory);
}

} // namespace
} // namespace plimsett
