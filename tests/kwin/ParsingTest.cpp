// What the backend makes of the script's replies, including replies it should never get.
#include "platform/kwin/KWinDisplayProvider.h"
#include "platform/kwin/KWinWindowSystem.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace plimsett {
namespace {

QJsonValue json(const char* text) {
    return QJsonDocument::fromJson(QByteArray("[") + text + "]").array().at(0);
}

const char* twoApplications = R"([
  {"id": "{a}", "resourceClass": "org.example.Notes", "resourceName": "notes",
   "desktopFileName": "", "pid": 10, "caption": "One",
   "frame": {"x": 0, "y": 0, "width": 400, "height": 300}, "minimized": false,
   "fullScreen": false, "maximizedHorizontally": true, "maximizedVertically": false},
  {"id": "{b}", "resourceClass": "org.example.Mail", "resourceName": "mail",
   "desktopFileName": "", "pid": 11, "caption": "Inbox",
   "frame": {"x": 10, "y": 20, "width": 300, "height": 200}, "minimized": true,
   "fullScreen": false, "maximizedHorizontally": false, "maximizedVertically": false},
  {"id": "{c}", "resourceClass": "org.example.Notes", "resourceName": "notes",
   "desktopFileName": "", "pid": 10, "caption": "Two",
   "frame": {"x": 5, "y": 5, "width": 400, "height": 300}, "minimized": false,
   "fullScreen": true, "maximizedHorizontally": false, "maximizedVertically": false},
  {"id": "{own}", "resourceClass": "plimsett", "resourceName": "plimsett",
   "desktopFileName": "plimsett", "pid": 99, "caption": "Settings",
   "frame": {"x": 5, "y": 5, "width": 400, "height": 300}, "minimized": false,
   "fullScreen": false, "maximizedHorizontally": false, "maximizedVertically": false}
])";

TEST(KWinListingTest, GroupsWindowsByApplicationAndLeavesOutItsOwn) {
    const DesktopEntryCatalog noEntries({}, "");
    const std::vector<LiveWindow> windows =
        KWinWindowSystem::listing(json(twoApplications), 99, noEntries);
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

TEST(KWinListingTest, ABadReplyGivesNoWindowsAndBadAnswersNoMoves) {
    const DesktopEntryCatalog noEntries({}, "");
    QString missingField = QString::fromUtf8(twoApplications);
    missingField.replace(QStringLiteral("\"caption\": \"Inbox\","), QString());
    QString wrongType = QString::fromUtf8(twoApplications);
    wrongType.replace(QStringLiteral("\"width\": 300"), QStringLiteral("\"width\": \"300\""));
    for (const QString& reply : {missingField, wrongType, QStringLiteral("{}"),
                                 QStringLiteral("null"), QStringLiteral("\"windows\"")}) {
        EXPECT_TRUE(
            KWinWindowSystem::listing(json(reply.toUtf8().constData()), 0, noEntries).empty())
            << reply.toStdString();
    }
    EXPECT_EQ(KWinWindowSystem::answers(
                  json(R"([{"exists": true, "placed": true}, {"exists": false, "placed": true},
                           {"exists": true}, 1])"),
                  4),
              (std::vector<bool>{true, false, false, false}));
    // A reply for another number of windows, or none at all, moved nothing that can be told.
    EXPECT_EQ(KWinWindowSystem::answers(json(R"([{"exists": true, "placed": true}])"), 2),
              (std::vector<bool>{false, false}));
    EXPECT_EQ(KWinWindowSystem::answers(std::nullopt, 1), std::vector<bool>{false});
}

TEST(KWinOutputsTest, IdentifiesMonitorsAsOnX11AndCountsMirrorsOnce) {
    const std::vector<DisplayInfo> displays = KWinDisplayProvider::displays(json(R"([
      {"name": "eDP-1", "manufacturer": "BOE", "model": "NE135FBM-N41", "serial": "",
       "geometry": {"x": 0, "y": 0, "width": 1504, "height": 1003},
       "placementArea": {"x": 0, "y": 0, "width": 1504, "height": 959}},
      {"name": "DP-2", "manufacturer": "Dell Inc.", "model": "DELL U2720Q", "serial": "8CQ9V13",
       "geometry": {"x": 1504, "y": 0, "width": 2560, "height": 1440},
       "placementArea": {"x": 1504, "y": 0, "width": 2560, "height": 1440}},
      {"name": "HDMI-A-1", "manufacturer": "", "model": "", "serial": "",
       "geometry": {"x": 1504, "y": 0, "width": 2560, "height": 1440},
       "placementArea": {"x": 1504, "y": 0, "width": 2560, "height": 1440}},
      {"name": "Virtual-1", "manufacturer": "", "model": "", "serial": "",
       "geometry": {"x": 4064, "y": 0, "width": 1280, "height": 800},
       "placementArea": {"x": 0, "y": 0, "width": 1280, "height": 800}}
    ])"));
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

    EXPECT_TRUE(KWinDisplayProvider::displays(json(R"([{"name": "DP-1",
        "geometry": {"x": 0, "y": 0, "width": 800, "height": 600},
        "placementArea": {"x": 0, "y": 0, "width": 800, "height": 600}}])"))
                    .empty());
}

} // namespace
} // namespace plimsett
