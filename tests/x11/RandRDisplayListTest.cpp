#include "platform/x11/RandRDisplayList.h"

#include "platform/linux/DrmConnector.h"
#include "tests/x11/support/EdidBuilder.h"

#include <gtest/gtest.h>

#include <array>

namespace plimsett {
namespace {

using Output = RandRDisplayList::Output;

Output output(std::string name, std::optional<Rect> frame, bool primary = false,
              std::vector<std::uint8_t> edid = {}) {
    return Output{std::move(name), primary, frame, std::move(edid)};
}

TEST(X11RandRDisplayList, OutputsShowingTheSameAreaCountOnce) {
    const Rect area{0, 0, 1920, 1080};
    // Without a primary among them, the first output stands for the mirror.
    auto displays = RandRDisplayList::displays(
        {output("HDMI-1", area), output("DP-1", area), output("DP-2", Rect{1920, 0, 1920, 1080})},
        {}, 3840, 1080);
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(displays[0].uuid, "HDMI-1");
    EXPECT_EQ(displays[1].uuid, "DP-2");

    // The primary output stands for its mirror, wherever it is listed.
    displays = RandRDisplayList::displays(
        {output("HDMI-1", area), output("DP-1", area, /*primary=*/true)}, {}, 1920, 1080);
    ASSERT_EQ(displays.size(), 1u);
    EXPECT_EQ(displays[0].uuid, "DP-1");
}

TEST(X11RandRDisplayList, OutputsThatShowNothingAreLeftOut) {
    const auto displays = RandRDisplayList::displays({output("DP-1", std::nullopt),
                                                      output("DP-2", Rect{0, 0, 0, 768}),
                                                      output("DP-3", Rect{0, 0, 1024, 768})},
                                                     {}, 1024, 768);
    ASSERT_EQ(displays.size(), 1u);
    EXPECT_EQ(displays[0].uuid, "DP-3");
}

TEST(X11RandRDisplayList, IdentityAndNameComeFromTheEdidWhenThereIsOne) {
    const auto displays = RandRDisplayList::displays(
        {output("DP-1", Rect{0, 0, 2560, 1440}, false,
                testing::makeEdid("DEL", 41073, 808469068, "DELL U2720Q")),
         output("DP-2", Rect{2560, 0, 1920, 1080}, false, testing::makeEdid("GSM", 23305, 7)),
         output("HDMI-1", Rect{4480, 0, 1920, 1080}, false, {0x00, 0xFF, 0x12})},
        {}, 6400, 1440);
    ASSERT_EQ(displays.size(), 3u);
    EXPECT_EQ(displays[0].uuid, "DEL-41073-808469068");
    EXPECT_EQ(displays[0].name, "DELL U2720Q");
    // An EDID without a name descriptor: the identity still comes from it.
    EXPECT_EQ(displays[1].uuid, "GSM-23305-7");
    EXPECT_EQ(displays[1].name, "DP-2");
    // A broken EDID counts as none.
    EXPECT_EQ(displays[2].uuid, "HDMI-1");
    EXPECT_EQ(displays[2].name, "HDMI-1");
}

TEST(X11RandRDisplayList, TheSameMonitorKeepsItsIdentityOnAnotherConnector) {
    const auto edid = testing::makeEdid("DEL", 41073, 808469068, "DELL U2720Q");
    const auto onDP = RandRDisplayList::displays(
        {output("DP-1", Rect{0, 0, 2560, 1440}, false, edid)}, {}, 2560, 1440);
    const auto onHDMI = RandRDisplayList::displays(
        {output("HDMI-2", Rect{0, 0, 2560, 1440}, false, edid)}, {}, 2560, 1440);
    EXPECT_EQ(onDP, onHDMI);
}

TEST(X11RandRDisplayList, PanelConnectorsAreBuiltIn) {
    for (const char* name : {"eDP-1", "eDP1", "LVDS-1", "LVDS1", "DSI-1", "edp-2"}) {
        EXPECT_TRUE(DrmConnector::isBuiltIn(name)) << name;
    }
    for (const char* name : {"DP-1", "HDMI-A-1", "DUMMY0", "VGA-1", "DVI-D-1", "", "ED"}) {
        EXPECT_FALSE(DrmConnector::isBuiltIn(name)) << name;
    }
    const auto displays = RandRDisplayList::displays(
        {output("eDP-1", Rect{0, 0, 1920, 1200}), output("DP-1", Rect{1920, 0, 1920, 1080})}, {},
        3840, 1200);
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_TRUE(displays[0].isBuiltIn);
    EXPECT_FALSE(displays[1].isBuiltIn);
}

TEST(X11RandRDisplayList, VisibleFrameIsTheFrameLessTheStrutsOnIt) {
    // A 32-pixel panel at the top of the left display and a 48-pixel dock at the bottom of the
    // shorter right one. Struts count from the screen's edges, so the dock reserves the 176 rows
    // below the right display as well: 224 from the bottom.
    const std::array<std::uint32_t, 12> top{0, 0, 32, 0, 0, 0, 0, 0, 0, 1919, 0, 0};
    const std::array<std::uint32_t, 12> bottom{0, 0, 0, 224, 0, 0, 0, 0, 0, 0, 1920, 3199};
    const auto displays = RandRDisplayList::displays(
        {output("DP-1", Rect{0, 0, 1920, 1200}), output("DP-2", Rect{1920, 0, 1280, 1024})},
        {*DockStrut::fromPartial(top), *DockStrut::fromPartial(bottom)}, 3200, 1200);
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(displays[0].visibleFrame, (Rect{0, 32, 1920, 1168}));
    EXPECT_EQ(displays[1].visibleFrame, (Rect{1920, 0, 1280, 976}));
    EXPECT_EQ(displays[0].frame, (Rect{0, 0, 1920, 1200}));
    EXPECT_EQ(displays[1].frame, (Rect{1920, 0, 1280, 1024}));
}

} // namespace
} // namespace plimsett
