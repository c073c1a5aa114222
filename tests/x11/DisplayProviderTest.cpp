#include "platform/x11/RandRDisplayProvider.h"

#include "tests/x11/support/EdidBuilder.h"
#include "tests/x11/support/Polling.h"
#include "tests/x11/support/TestClient.h"
#include "tests/x11/support/XTestSession.h"

#include <gtest/gtest.h>

namespace plimsett {
namespace {

using testing::TestClient;
using testing::waitUntil;
using testing::XTestSession;

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
    return TestClient::hex(std::string(bytes.begin(), bytes.end()));
}

DisplayInfo plain(const std::string& output, Rect frame) {
    return DisplayInfo{output, output, false, frame, frame};
}

class X11DisplayProviderTest : public ::testing::Test {
protected:
    X11DisplayProviderTest() {
        std::string problem;
        connection = X11Connection::open(session.display(), problem);
        if (!connection) {
            throw std::runtime_error(problem);
        }
        provider = std::make_unique<RandRDisplayProvider>(connection);
    }

    XTestSession session;
    std::shared_ptr<X11Connection> connection;
    std::unique_ptr<RandRDisplayProvider> provider;
};

TEST_F(X11DisplayProviderTest, OneTwoAndThreeOutputs) {
    const DisplaySet one = provider->currentDisplaySet();
    EXPECT_EQ(one.displays, (std::vector<DisplayInfo>{plain("DUMMY0", {0, 0, 1024, 768})}));

    ASSERT_TRUE(session.plug(1, {"--right-of", "DUMMY0"}));
    const DisplaySet two = provider->currentDisplaySet();
    EXPECT_EQ(two.displays, (std::vector<DisplayInfo>{plain("DUMMY0", {0, 0, 1024, 768}),
                                                      plain("DUMMY1", {1024, 0, 1024, 768})}));

    ASSERT_TRUE(session.plug(2, {"--below", "DUMMY0"}));
    const DisplaySet three = provider->currentDisplaySet();
    EXPECT_EQ(three.displays, (std::vector<DisplayInfo>{plain("DUMMY0", {0, 0, 1024, 768}),
                                                        plain("DUMMY2", {0, 768, 1024, 768}),
                                                        plain("DUMMY1", {1024, 0, 1024, 768})}));

    // Unplugging gives the earlier set back, with the same identifier.
    ASSERT_TRUE(session.unplug(2));
    EXPECT_EQ(provider->currentDisplaySet(), two);
    ASSERT_TRUE(session.unplug(1));
    EXPECT_EQ(provider->currentDisplaySet(), one);
    EXPECT_NE(one.id, two.id);
    EXPECT_NE(two.id, three.id);
}

TEST_F(X11DisplayProviderTest, AMirroredPairIsOneDisplay) {
    ASSERT_TRUE(session.plug(1, {"--same-as", "DUMMY0"}));
    const DisplaySet mirrored = provider->currentDisplaySet();
    // The primary output stands for the pair.
    EXPECT_EQ(mirrored.displays, (std::vector<DisplayInfo>{plain("DUMMY0", {0, 0, 1024, 768})}));

    ASSERT_TRUE(session.xrandr({"--output", "DUMMY1", "--primary"}));
    EXPECT_EQ(provider->currentDisplaySet().displays,
              (std::vector<DisplayInfo>{plain("DUMMY1", {0, 0, 1024, 768})}));
}

TEST_F(X11DisplayProviderTest, TheEdidNamesAndIdentifiesTheMonitor) {
    TestClient client(session);
    const auto edid = testing::makeEdid("DEL", 41073, 808469068, "DELL U2720Q", "7XK1");
    client.command("edid DUMMY1 " + hexOf(edid));
    ASSERT_TRUE(session.plug(1, {"--right-of", "DUMMY0"}));
    const DisplaySet onFirstPort = provider->currentDisplaySet();
    ASSERT_EQ(onFirstPort.displays.size(), 2u);
    // DUMMY0 has no EDID: named and identified by its output.
    EXPECT_EQ(onFirstPort.displays[0], plain("DUMMY0", {0, 0, 1024, 768}));
    EXPECT_EQ(onFirstPort.displays[1].uuid, "DEL-41073-808469068-7XK1");
    EXPECT_EQ(onFirstPort.displays[1].name, "DELL U2720Q");
    EXPECT_FALSE(onFirstPort.displays[1].isBuiltIn);

    // The same monitor on another connector, in the same place: the same display set.
    ASSERT_TRUE(session.unplug(1));
    client.command("edid DUMMY1 none");
    client.command("edid DUMMY3 " + hexOf(edid));
    ASSERT_TRUE(session.plug(3, {"--right-of", "DUMMY0"}));
    EXPECT_EQ(provider->currentDisplaySet().id, onFirstPort.id);

    // A different unit of the same model is another display.
    client.command("edid DUMMY3 " +
                   hexOf(testing::makeEdid("DEL", 41073, 808469069, "DELL U2720Q", "7XK2")));
    EXPECT_NE(provider->currentDisplaySet().id, onFirstPort.id);
}

TEST_F(X11DisplayProviderTest, VisibleFrameLeavesOutDockStruts) {
    ASSERT_TRUE(session.plug(1, {"--right-of", "DUMMY0"}));
    TestClient client(session);
    // A 30-pixel panel along the top of the right display, and an older-style 40-pixel dock
    // along the left edge of the screen.
    client.createWindow({{"class", "Panel"},
                         {"type", "dock"},
                         {"x", "1024"},
                         {"y", "0"},
                         {"w", "1024"},
                         {"h", "30"},
                         {"strut-partial", "0,0,30,0,0,0,0,0,1024,2047,0,0"}},
                        /*waitManaged=*/false);
    client.createWindow({{"class", "Dock"},
                         {"type", "dock"},
                         {"x", "0"},
                         {"y", "0"},
                         {"w", "40"},
                         {"h", "768"},
                         {"strut", "40,0,0,0"}},
                        /*waitManaged=*/false);
    ASSERT_TRUE(waitUntil([&] { return session.inspector().clientList().size() == 2; }));
    const DisplaySet set = provider->currentDisplaySet();
    ASSERT_EQ(set.displays.size(), 2u);
    EXPECT_EQ(set.displays[0].frame, (Rect{0, 0, 1024, 768}));
    EXPECT_EQ(set.displays[0].visibleFrame, (Rect{40, 0, 984, 768}));
    EXPECT_EQ(set.displays[1].frame, (Rect{1024, 0, 1024, 768}));
    EXPECT_EQ(set.displays[1].visibleFrame, (Rect{1024, 30, 1024, 738}));
}

TEST(X11DisplayProviderWithoutServer, HasNoDisplays) {
    RandRDisplayProvider provider(nullptr);
    EXPECT_TRUE(provider.currentDisplaySet().displays.empty());
    EXPECT_EQ(provider.currentDisplaySet().id, DisplaySet().id);
}

} // namespace
} // namespace plimsett
