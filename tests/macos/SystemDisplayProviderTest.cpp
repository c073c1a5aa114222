#include "platform/macos/SystemDisplayProvider.h"

#include "tests/macos/FakeDisplayApi.h"
#include "tests/macos/FakeScreenApi.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

using ::testing::ElementsAre;
using testing::FakeDisplayApi;
using testing::FakeScreenApi;
using ::testing::IsEmpty;

class SystemDisplayProviderTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeDisplayApi> cg = std::make_shared<FakeDisplayApi>();
    std::shared_ptr<FakeScreenApi> appKit = std::make_shared<FakeScreenApi>();
    SystemDisplayProvider provider{cg, appKit};

    void addDisplay(DisplayApi::DisplayID id, Rect bounds, std::string uuid, bool builtIn = false) {
        cg->active.push_back(id);
        FakeDisplayApi::Display display;
        display.bounds = bounds;
        display.builtIn = builtIn;
        display.vendor = 1552;
        display.model = 40960;
        display.serial = 7;
        display.uuid = std::move(uuid);
        cg->displays[id] = display;
    }
    void addScreen(std::optional<std::uint32_t> number, Rect visibleFrame,
                   std::optional<std::string> name) {
        appKit->list.push_back(ScreenApi::Screen{number, visibleFrame, std::move(name)});
    }
    // The provider reports one display, with this name and visible frame.
    void expectOneDisplay(const std::string& name, Rect visibleFrame) {
        const std::vector<DisplayInfo> displays = provider.displays();
        ASSERT_EQ(displays.size(), 1u);
        EXPECT_EQ(displays[0].name, name);
        EXPECT_EQ(displays[0].visibleFrame, visibleFrame);
    }

    static std::vector<std::string> uuids(const std::vector<DisplayInfo>& displays) {
        std::vector<std::string> out;
        for (const DisplayInfo& d : displays) {
            out.push_back(d.uuid);
        }
        return out;
    }
};

TEST_F(SystemDisplayProviderTest, VisibleFramesAreTurnedIntoTheTopLeftSpace) {
    addDisplay(1, {0, 0, 1920, 1080}, "MAIN", true);
    // Above the main display; AppKit puts its bottom edge at the main display's top.
    addDisplay(2, {0, -1440, 2560, 1440}, "ABOVE");
    // Right of the main display, top edges aligned.
    addDisplay(3, {1920, 0, 2560, 1440}, "RIGHT");
    // Dock 70 high at the bottom, menu bar 25 high at the top.
    addScreen(1, {0, 70, 1920, 985}, "Built-in Retina Display");
    addScreen(2, {0, 1080, 2560, 1415}, "Studio Display");
    addScreen(3, {1920, -360, 2560, 1415}, "Office Monitor");

    const std::vector<DisplayInfo> displays = provider.displays();

    ASSERT_EQ(displays.size(), 3u);
    EXPECT_EQ(displays[0].frame, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(displays[0].visibleFrame, (Rect{0, 25, 1920, 985}));
    EXPECT_EQ(displays[0].name, "Built-in Retina Display");
    EXPECT_TRUE(displays[0].isBuiltIn);
    EXPECT_EQ(displays[1].frame, (Rect{0, -1440, 2560, 1440}));
    EXPECT_EQ(displays[1].visibleFrame, (Rect{0, -1415, 2560, 1415}));
    EXPECT_EQ(displays[1].name, "Studio Display");
    EXPECT_FALSE(displays[1].isBuiltIn);
    EXPECT_EQ(displays[2].visibleFrame, (Rect{1920, 25, 2560, 1415}));
}

TEST_F(SystemDisplayProviderTest, ADisplayWithoutUUIDIsNamedByVendorModelAndSerial) {
    addDisplay(1, {0, 0, 1920, 1080}, "");
    cg->displays[1].uuid.reset();
    cg->displays[1].vendor = 16;
    cg->displays[1].model = 2;
    cg->displays[1].serial = 0;
    addDisplay(2, {1920, 0, 1920, 1080}, "");
    cg->displays[2].uuid.reset();
    cg->displays[2].vendor = 4294967295u;
    cg->displays[2].model = 3;
    cg->displays[2].serial = 2147483648u;
    addDisplay(3, {3840, 0, 1920, 1080}, "37D8832A-2D66-02CA-B9F7-8F30A301B230");

    EXPECT_THAT(uuids(provider.displays()), ElementsAre("16-2-0", "4294967295-3-2147483648",
                                                        "37D8832A-2D66-02CA-B9F7-8F30A301B230"));
}

TEST_F(SystemDisplayProviderTest, ADisplayWithoutScreenIsNumberedAndFullyVisible) {
    addDisplay(1, {0, 0, 1920, 1080}, "A");
    addDisplay(2, {1920, 0, 1280, 1024}, "B");
    addScreen(1, {0, 0, 1920, 1055}, "Main");
    addScreen(std::nullopt, {1920, 56, 1280, 999}, "Unnumbered");

    const std::vector<DisplayInfo> displays = provider.displays();

    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(displays[1].name, "Display 2");
    EXPECT_EQ(displays[1].visibleFrame, displays[1].frame);
}

TEST_F(SystemDisplayProviderTest, TheFirstScreenClaimingADisplayWins) {
    addDisplay(1, {0, 0, 1920, 1080}, "A");
    addScreen(1, {0, 0, 1920, 1055}, "First");
    addScreen(1, {0, 0, 1920, 1080}, "Second");

    expectOneDisplay("First", {0, 25, 1920, 1055});
}

TEST_F(SystemDisplayProviderTest, AScreenWithoutNameLeavesTheNumberedName) {
    addDisplay(5, {0, 0, 1920, 1080}, "A");
    cg->mainDisplay = 5;
    addScreen(5, {0, 0, 1920, 1055}, std::nullopt);

    expectOneDisplay("Display 5", {0, 25, 1920, 1055});
}

TEST_F(SystemDisplayProviderTest, AMirrorSetCountsAsTheDisplayItMirrors) {
    // The mirror is listed first, so that its position in the list decides nothing.
    addDisplay(7, {0, 0, 1920, 1080}, "MIRROR");
    cg->displays[7].mirrors = 3;
    addDisplay(3, {0, 0, 1920, 1080}, "PRIMARY");
    cg->mainDisplay = 3;
    addScreen(3, {0, 0, 1920, 1055}, "Projector");

    const std::vector<DisplayInfo> displays = provider.displays();

    EXPECT_THAT(uuids(displays), ElementsAre("PRIMARY"));
}

TEST_F(SystemDisplayProviderTest, NoDisplaysOrAFailingListGiveNothingAndAskNoScreen) {
    EXPECT_THAT(provider.displays(), IsEmpty());
    EXPECT_EQ(cg->listCalls, 1);

    addDisplay(1, {0, 0, 1920, 1080}, "A");
    addScreen(1, {0, 0, 1920, 1055}, "Main");
    cg->countError = 1001; // kCGErrorFailure
    EXPECT_THAT(provider.displays(), IsEmpty());

    cg->countError = 0;
    cg->listError = 1001;
    EXPECT_THAT(provider.displays(), IsEmpty());
    EXPECT_EQ(appKit->queries, 0);
    EXPECT_TRUE(provider.currentDisplaySet().displays.empty());
}

TEST_F(SystemDisplayProviderTest, OnlyTheDisplaysTheSecondQuestionReportsAreUsed) {
    addDisplay(1, {0, 0, 1920, 1080}, "A");
    addDisplay(2, {1920, 0, 1920, 1080}, "B");
    addDisplay(3, {3840, 0, 1920, 1080}, "C");

    // One went away between the two questions.
    cg->activeAtSecondCall = std::vector<DisplayApi::DisplayID>{2, 3};
    EXPECT_THAT(uuids(provider.displays()), ElementsAre("B", "C"));

    // A count beyond the buffer is not believed.
    cg->activeAtSecondCall.reset();
    cg->reportedCount = 9;
    EXPECT_THAT(uuids(provider.displays()), ElementsAre("A", "B", "C"));
}

TEST_F(SystemDisplayProviderTest, TheDisplaySetIsInCanonicalOrderTheListInTheSystemsOrder) {
    addDisplay(4, {-2560, 0, 2560, 1440}, "LEFT");
    addDisplay(1, {0, 0, 1512, 982}, "PANEL", true);
    cg->mainDisplay = 1;

    EXPECT_THAT(uuids(provider.displays()), ElementsAre("LEFT", "PANEL"));
    const DisplaySet set = provider.currentDisplaySet();
    EXPECT_THAT(uuids(set.displays), ElementsAre("PANEL", "LEFT"));
    EXPECT_EQ(set.id, DisplaySet::identifier(provider.displays()));
}

} // namespace
} // namespace plimsett
