// What the Wayland backend makes of its helpers' replies, including replies it should never get.
#include "platform/wayland/WaylandDisplayProvider.h"
#include "platform/wayland/WaylandWindowHandle.h"
#include "platform/wayland/WaylandWindowSystem.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace plimsett {
namespace {

QJsonValue json(const char* text) {
    return QJsonDocument::fromJson(QByteArray("[") + text + "]").array().at(0);
}

// One window record as the helpers send it; the flags in the order minimised, full screen,
// maximised horizontally.
std::string window(const char* id, const char* appClass, int pid, const char* title,
                   const char* frame, bool minimized = false, bool fullScreen = false,
                   bool horizontally = false) {
    const auto flag = [](bool on) { return on ? "true" : "false"; };
    return std::string(R"({"id": ")") + id + R"(", "appClass": ")" + appClass +
           R"(", "instanceName": "", "appId": "", "appName": "", "pid": )" + std::to_string(pid) +
           R"(, "title": ")" + title + R"(", "frame": )" + frame + R"(, "minimized": )" +
           flag(minimized) + R"(, "fullScreen": )" + flag(fullScreen) +
           R"(, "maximizedHorizontally": )" + flag(horizontally) +
           R"(, "maximizedVertically": false})";
}

// One monitor record as the helpers send it.
std::string monitor(const char* connector, const char* vendor, const char* product,
                    const char* serial, const char* displayName, bool builtIn, const char* geometry,
                    const char* workArea) {
    return std::string(R"({"connector": ")") + connector + R"(", "vendor": ")" + vendor +
           R"(", "product": ")" + product + R"(", "serial": ")" + serial +
           R"(", "displayName": ")" + displayName + R"(", "builtIn": )" +
           (builtIn ? "true" : "false") + R"(, "geometry": )" + geometry + R"(, "workArea": )" +
           workArea + "}";
}

const std::string twoApplications =
    "[" +
    window("{a}", "org.example.Notes", 10, "One",
           R"({"x": 0, "y": 0, "width": 400, "height": 300})", false, false, true) +
    ", " +
    window("{b}", "org.example.Mail", 11, "Inbox",
           R"({"x": 10, "y": 20, "width": 300, "height": 200})", true) +
    ", " +
    window("{c}", "org.example.Notes", 10, "Two",
           R"({"x": 5, "y": 5, "width": 400, "height": 300})", false, true) +
    ", " +
    window("{own}", "plimsett", 99, "Settings",
           R"({"x": 5, "y": 5, "width": 400, "height": 300})") +
    "]";

TEST(WaylandListingTest, GroupsWindowsByApplicationAndLeavesOutItsOwn) {
    const DesktopEntryCatalog noEntries({}, "");
    const std::vector<LiveWindow> windows =
        WaylandWindowSystem::listing(json(twoApplications.c_str()), 99, noEntries);
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0].title, "One");
    EXPECT_EQ(windows[1].title, "Two");
    EXPECT_EQ(windows[1].index, 1);
    EXPECT_TRUE(windows[1].isFullScreen);
    EXPECT_EQ(windows[2].bundleID, "org.example.Mail");
    EXPECT_EQ(windows[2].appName, "org.example.Mail");
    EXPECT_EQ(windows[2].index, 0);
    EXPECT_TRUE(windows[2].isMinimized);
    EXPECT_EQ(windows[2].frame, (Rect{10, 20, 300, 200}));
    EXPECT_TRUE(windows[0].isMaximizedHorizontally);
    EXPECT_FALSE(windows[0].isMaximizedVertically);
}

TEST(WaylandListingTest, ABadReplyGivesNoWindowsAndBadAnswersNoMoves) {
    const DesktopEntryCatalog noEntries({}, "");
    QString missingField = QString::fromStdString(twoApplications);
    missingField.replace(QStringLiteral("\"title\": \"Inbox\","), QString());
    QString wrongType = QString::fromStdString(twoApplications);
    wrongType.replace(QStringLiteral("\"width\": 300"), QStringLiteral("\"width\": \"300\""));
    for (const QString& reply : {missingField, wrongType, QStringLiteral("{}"),
                                 QStringLiteral("null"), QStringLiteral("\"windows\"")}) {
        EXPECT_TRUE(
            WaylandWindowSystem::listing(json(reply.toUtf8().constData()), 0, noEntries).empty())
            << reply.toStdString();
    }
    // Four moves asked for; the answers are checked against what each asked for.
    std::vector<WindowMove> moves;
    for (const char* id : {"{a}", "{b}", "{c}", "{d}"}) {
        LiveWindow window;
        window.handle = std::make_shared<WaylandWindowHandle>(QString::fromLatin1(id));
        moves.push_back(WindowMove{window, Rect{100, 100, 400, 300}});
    }
    std::vector<std::size_t> sent;
    const QJsonArray requests = WaylandWindowSystem::request(moves, sent);
    ASSERT_EQ(sent.size(), 4u);
    const auto results = [&](const char* answer) {
        return WaylandWindowSystem::results(json(answer), requests, sent, moves);
    };
    const char* frame = R"("frame": {"x": 101, "y": 100, "width": 400, "height": 300})";
    EXPECT_EQ(results((std::string(R"([{"id": "{a}", "exists": true, )") + frame +
                       R"(}, {"id": "{b}", "exists": false}, {"id": "{c}", "exists": true},
                           1])")
                          .c_str()),
              (std::vector<bool>{true, false, false, false}));
    // A reply for another number of windows, or none at all, moved nothing that can be told.
    EXPECT_EQ(results((std::string(R"([{"id": "{a}", "exists": true, )") + frame + "}]").c_str()),
              (std::vector<bool>(4, false)));
    EXPECT_EQ(WaylandWindowSystem::results(std::nullopt, requests, sent, moves),
              std::vector<bool>(4, false));
}

TEST(WaylandMonitorsTest, IdentifiesMonitorsAsOnX11AndCountsMirrorsOnce) {
    const std::vector<DisplayInfo> displays = WaylandDisplayProvider::displays(
        json(("[" +
              monitor("eDP-1", "BOE", "NE135FBM-N41", "", "", false,
                      R"({"x": 0, "y": 0, "width": 1504, "height": 1003})",
                      R"({"x": 0, "y": 0, "width": 1504, "height": 959})") +
              ", " +
              monitor("DP-2", "Dell Inc.", "DELL U2720Q", "8CQ9V13", "", false,
                      R"({"x": 1504, "y": 0, "width": 2560, "height": 1440})",
                      R"({"x": 1504, "y": 0, "width": 2560, "height": 1440})") +
              ", " +
              monitor("HDMI-A-1", "", "", "", "", false,
                      R"({"x": 1504, "y": 0, "width": 2560, "height": 1440})",
                      R"({"x": 1504, "y": 0, "width": 2560, "height": 1440})") +
              ", " +
              monitor("Virtual-1", "", "", "", "", false,
                      R"({"x": 4064, "y": 0, "width": 1280, "height": 800})",
                      R"({"x": 0, "y": 0, "width": 1280, "height": 800})") +
              "]")
                 .c_str()),
        WaylandDisplayProvider::Identity::anyEdid);
    ASSERT_EQ(displays.size(), 3u);
    EXPECT_EQ(displays[0].uuid, "BOE-NE135FBM-N41-");
    EXPECT_EQ(displays[0].name, "NE135FBM-N41");
    EXPECT_TRUE(displays[0].isBuiltIn);
    EXPECT_EQ(displays[0].visibleFrame, (Rect{0, 0, 1504, 959}));
    EXPECT_EQ(displays[1].uuid, "Dell Inc.-DELL U2720Q-8CQ9V13");
    EXPECT_FALSE(displays[1].isBuiltIn);
    EXPECT_EQ(displays[2].uuid, "Virtual-1");
    EXPECT_EQ(displays[2].name, "Virtual-1");
    // A placement area off the output (read mid-change) is not taken for its visible frame.
    EXPECT_EQ(displays[2].visibleFrame, displays[2].frame);

    EXPECT_TRUE(WaylandDisplayProvider::displays(json(R"([{"connector": "DP-1",
        "geometry": {"x": 0, "y": 0, "width": 800, "height": 600},
        "workArea": {"x": 0, "y": 0, "width": 800, "height": 600}}])"),
                                                 WaylandDisplayProvider::Identity::anyEdid)
                    .empty());
    // On GNOME a monitor is told by its EDID only when Mutter knows all of it.
    const std::vector<DisplayInfo> onGnome = WaylandDisplayProvider::displays(
        json(
            ("[" +
             monitor("Meta-0", "MetaProducts Inc.", "MetaMonitor", "0x1234", "MetaProducts 15-inch",
                     true, R"({"x": 0, "y": 0, "width": 1920, "height": 1080})",
                     R"({"x": 0, "y": 32, "width": 1920, "height": 1048})") +
             ", " +
             monitor("Meta-1", "MetaProducts Inc.", "MetaMonitor", "unknown", "", false,
                     R"({"x": 1920, "y": 0, "width": 1280, "height": 800})",
                     R"({"x": 1920, "y": 0, "width": 1280, "height": 800})") +
             "]")
                .c_str()),
        WaylandDisplayProvider::Identity::wholeEdid);
    ASSERT_EQ(onGnome.size(), 2u);
    EXPECT_EQ(onGnome[0].uuid, "MetaProducts Inc.-MetaMonitor-0x1234");
    EXPECT_EQ(onGnome[0].name, "MetaProducts 15-inch");
    EXPECT_TRUE(onGnome[0].isBuiltIn);
    EXPECT_EQ(onGnome[1].uuid, "Meta-1");
}

} // namespace
} // namespace plimsett
