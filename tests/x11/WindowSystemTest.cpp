#include "platform/x11/X11WindowHandle.h"
#include "platform/x11/X11WindowSystem.h"

#include "tests/support/TemporaryDirectory.h"
#include "tests/x11/support/Polling.h"
#include "tests/x11/support/TestClient.h"
#include "tests/x11/support/XTestSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <xcb/xcb_icccm.h>

namespace plimsett {
namespace {

using testing::TemporaryDirectory;
using testing::TestClient;
using testing::waitUntil;
using testing::XTestSession;

struct Listed {
    std::string bundleID;
    std::string title;
    std::int64_t index;
    bool operator==(const Listed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Listed& l) {
    return out << l.bundleID << "/" << l.title << "/" << l.index;
}

std::vector<Listed> summary(const std::vector<LiveWindow>& windows) {
    std::vector<Listed> result;
    for (const LiveWindow& w : windows) {
        result.push_back({w.bundleID, w.title, w.index});
    }
    return result;
}

xcb_window_t idOf(const LiveWindow& window) {
    return dynamic_cast<const X11WindowHandle&>(*window.handle).window();
}

const LiveWindow* find(const std::vector<LiveWindow>& windows, const std::string& title) {
    for (const LiveWindow& w : windows) {
        if (w.title == title) {
            return &w;
        }
    }
    return nullptr;
}

class X11WindowSystemTest : public ::testing::Test {
protected:
    X11WindowSystemTest() {
        // Desktop entries of the session's own data directory only.
        setenv("XDG_DATA_HOME", (session.directory() / "data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (session.directory() / "no-system-data").c_str(), 1);
        std::string problem;
        connection = X11Connection::open(session.display(), problem);
        if (!connection) {
            throw std::runtime_error(problem);
        }
        system = std::make_unique<X11WindowSystem>(connection);
    }

    XTestSession session;
    std::shared_ptr<X11Connection> connection;
    std::unique_ptr<X11WindowSystem> system;
};

TEST_F(X11WindowSystemTest, ListsNormalWindowsGroupedByProcessAndClass) {
    TestClient first(session);
    TestClient second(session);
    const xcb_window_t alpha = first.createWindow({{"class", "Editor"},
                                                   {"title", "Alpha"},
                                                   {"x", "100"},
                                                   {"y", "80"},
                                                   {"w", "300"},
                                                   {"h", "200"}});
    first.createWindow({{"class", "Editor"}, {"title", "A dialog"}, {"type", "dialog"}});
    first.createWindow({{"class", "Editor"}, {"title", "Beta"}, {"x", "500"}, {"y", "120"}});
    first.createWindow({{"class", "Editor"}, {"title", "Palette"}, {"type", "utility"}});
    // Without a type, a window that is transient for another is a dialog; any other is normal.
    first.createWindow({{"class", "Editor"},
                        {"title", "Transient"},
                        {"type", "none"},
                        {"transient", std::to_string(alpha)}});
    first.createWindow({{"class", "Editor"}, {"title", "Gamma"}, {"type", "none"}});
    first.createWindow({{"class", "none"}, {"title", "No class"}});
    second.createWindow({{"class", "Editor"}, {"title", "Other process"}});
    second.createWindow({{"class", "Viewer"}, {"title", "Viewer"}});
    second.createWindow({{"class", "Panel"},
                         {"title", "Dock"},
                         {"type", "dock"},
                         {"strut-partial", "0,0,20,0,0,0,0,0,0,1023,0,0"}});
    // A window that opens later still joins its application, after its earlier windows.
    first.createWindow({{"class", "Editor"}, {"title", "Delta"}});

    // A window of this very process (from another connection) is never listed.
    xcb_connection_t* own = session.inspector().connection();
    const xcb_window_t ownWindow = xcb_generate_id(own);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(own)).data;
    xcb_create_window(own, XCB_COPY_FROM_PARENT, ownWindow, screen->root, 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_icccm_set_wm_class(own, ownWindow, 18, "plimsett\0Plimsett");
    xcb_map_window(own, ownWindow);
    xcb_flush(own);
    ASSERT_TRUE(waitUntil([&] { return session.inspector().isManaged(ownWindow); }));

    const std::vector<LiveWindow> windows = system->windows();
    EXPECT_EQ(summary(windows), (std::vector<Listed>{{"Editor", "Alpha", 0},
                                                     {"Editor", "Beta", 1},
                                                     {"Editor", "Gamma", 2},
                                                     {"Editor", "Delta", 3},
                                                     {"Editor", "Other process", 0},
                                                     {"Viewer", "Viewer", 0}}));
    for (const LiveWindow& w : windows) {
        EXPECT_FALSE(w.isMinimized) << w.title;
        EXPECT_FALSE(w.isFullScreen) << w.title;
    }
}

TEST_F(X11WindowSystemTest, FrameIsTheOuterFrameInRootCoordinates) {
    session.plug(1, {"--right-of", "DUMMY0"});
    TestClient client(session);
    // The client asks for its frame's top-left corner (north-west gravity) and its own size.
    const xcb_window_t left = client.createWindow(
        {{"title", "Left"}, {"x", "100"}, {"y", "80"}, {"w", "300"}, {"h", "200"}});
    const xcb_window_t right = client.createWindow(
        {{"title", "Right"}, {"x", "1300"}, {"y", "150"}, {"w", "400"}, {"h", "250"}});
    const auto extents = session.inspector().property32(left, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(extents.size(), 4u);
    const double horizontal = extents[0] + extents[1];
    const double vertical = extents[2] + extents[3];
    // The test's premise: the window manager decorates windows.
    ASSERT_GT(vertical, 0);

    const auto windows = system->windows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(idOf(windows[0]), left);
    EXPECT_EQ(windows[0].frame, (Rect{100, 80, 300 + horizontal, 200 + vertical}));
    EXPECT_EQ(idOf(windows[1]), right);
    EXPECT_EQ(windows[1].frame, (Rect{1300, 150, 400 + horizontal, 250 + vertical}));
    EXPECT_EQ(windows[1].frame, session.inspector().outerFrame(right));
}

TEST_F(X11WindowSystemTest, TitlesAreUtf8WithFallbackAndRepair) {
    TestClient client(session);
    client.createWindow({{"title", "Gr\xC3\xBC\xC3\x9F"
                                   "e \xE2\x9C\x93"}});
    client.createWindow({{"title", "Broken \xFF\xFE end"}});
    client.createWindow({{"wmname", "Caf\xE9 latin"}});
    client.createWindow({{"title", "Net name wins"}, {"wmname", "Old name"}});
    client.createWindow({});

    const auto titles = [&] {
        std::vector<std::string> result;
        for (const LiveWindow& w : system->windows()) {
            result.push_back(w.title);
        }
        return result;
    }();
    EXPECT_EQ(titles, (std::vector<std::string>{"Gr\xC3\xBC\xC3\x9F"
                                                "e \xE2\x9C\x93",
                                                "Broken \xEF\xBF\xBD\xEF\xBF\xBD end",
                                                "Caf\xC3\xA9 latin", "Net name wins", ""}));
}

TEST_F(X11WindowSystemTest, MinimisedAndFullScreenWindowsAreListedAndFlagged) {
    TestClient client(session);
    client.createWindow({{"title", "Plain"}});
    const xcb_window_t iconic = client.createWindow({{"title", "Iconic"}, {"iconic", "1"}});
    client.createWindow({{"title", "Full"}, {"states", "fullscreen"}});
    const xcb_window_t later = client.createWindow({{"title", "Minimised later"}});
    client.command("iconify " + std::to_string(later));
    const auto hidden = session.inspector().atom("_NET_WM_STATE_HIDDEN");
    ASSERT_TRUE(waitUntil([&] {
        for (const xcb_window_t w : {iconic, later}) {
            const auto states = session.inspector().property32(w, "_NET_WM_STATE");
            if (std::find(states.begin(), states.end(), hidden) == states.end()) {
                return false;
            }
        }
        return true;
    }));

    const auto windows = system->windows();
    ASSERT_EQ(windows.size(), 4u);
    const auto* plain = find(windows, "Plain");
    const auto* iconicWindow = find(windows, "Iconic");
    const auto* full = find(windows, "Full");
    const auto* minimised = find(windows, "Minimised later");
    ASSERT_TRUE(plain && iconicWindow && full && minimised);
    EXPECT_FALSE(plain->isMinimized || plain->isFullScreen);
    EXPECT_TRUE(iconicWindow->isMinimized);
    EXPECT_TRUE(minimised->isMinimized);
    EXPECT_FALSE(minimised->isFullScreen);
    EXPECT_TRUE(full->isFullScreen);
    EXPECT_FALSE(full->isMinimized);
    // A full-screen window covers its display.
    EXPECT_EQ(full->frame, (Rect{0, 0, 1024, 768}));
}

TEST_F(X11WindowSystemTest, ApplicationNameComesFromTheDesktopEntry) {
    std::filesystem::create_directories(session.directory() / "data" / "applications");
    TemporaryDirectory::writeFile(session.directory() / "data" / "applications" /
                                      "editor-pro.desktop",
                                  "[Desktop Entry]\nType=Application\nName=Editor Pro\n"
                                  "StartupWMClass=Editor\n");
    TestClient client(session);
    client.createWindow({{"class", "Editor"}, {"title", "With entry"}});
    client.createWindow({{"class", "Viewer"}, {"title", "Without entry"}});
    const auto windows = system->windows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].appName, "Editor Pro");
    EXPECT_EQ(windows[1].appName, "Viewer");
}

TEST_F(X11WindowSystemTest, MoveGivesTheWindowItsOuterFrame) {
    session.plug(1, {"--right-of", "DUMMY0"});
    TestClient client(session);
    const xcb_window_t id = client.createWindow(
        {{"title", "Mover"}, {"x", "100"}, {"y", "100"}, {"w", "300"}, {"h", "200"}});
    const auto windows = system->windows();
    ASSERT_EQ(windows.size(), 1u);

    // To the other display, with another size.
    const Rect target{1200, 150, 520, 410};
    EXPECT_TRUE(system->move(windows[0], target));
    EXPECT_EQ(session.inspector().outerFrame(id), target);
    EXPECT_EQ(system->windows()[0].frame, target);

    // Fractions are rounded to whole pixels.
    const Rect fractional{40.4, 60.6, 300.2, 299.5};
    EXPECT_TRUE(system->move(windows[0], fractional));
    EXPECT_EQ(session.inspector().outerFrame(id), (Rect{40, 61, 300, 300}));
}

TEST_F(X11WindowSystemTest, MovesOfABorderedWindowLandExactlyAndDoNotDrift) {
    TestClient client(session);
    const xcb_window_t id = client.createWindow({{"title", "Bordered"},
                                                 {"x", "100"},
                                                 {"y", "100"},
                                                 {"w", "300"},
                                                 {"h", "200"},
                                                 {"border", "1"}});
    const Rect target{150, 120, 400, 300};
    for (int round = 0; round < 3; ++round) {
        const auto windows = system->windows();
        ASSERT_EQ(windows.size(), 1u);
        EXPECT_TRUE(system->move(windows[0], target)) << "round " << round;
        EXPECT_EQ(session.inspector().outerFrame(id), target) << "round " << round;
        EXPECT_EQ(system->windows()[0].frame, target) << "round " << round;
        // Away and back, as a replug does.
        ASSERT_TRUE(system->move(system->windows()[0], Rect{10, 10, 400, 300}));
    }
}

TEST_F(X11WindowSystemTest, MoveReleasesAMaximisedWindow) {
    TestClient client(session);
    const xcb_window_t id = client.createWindow({{"title", "Big"}, {"states", "maximized"}});
    const auto windows = system->windows();
    ASSERT_EQ(windows.size(), 1u);
    ASSERT_EQ(windows[0].frame, (Rect{0, 0, 1024, 768}));
    const Rect target{200, 100, 500, 400};
    EXPECT_TRUE(system->move(windows[0], target));
    EXPECT_EQ(session.inspector().outerFrame(id), target);
}

TEST_F(X11WindowSystemTest, MoveFailsForAWindowThatIsGone) {
    TestClient client(session);
    const xcb_window_t id = client.createWindow({{"title", "Short-lived"}});
    const auto windows = system->windows();
    ASSERT_EQ(windows.size(), 1u);
    client.destroy(id);
    ASSERT_FALSE(session.inspector().exists(id));
    EXPECT_FALSE(system->move(windows[0], Rect{10, 10, 300, 300}));
    // The connection survives the errors.
    EXPECT_FALSE(connection->isBroken());
    EXPECT_TRUE(system->windows().empty());
}

TEST_F(X11WindowSystemTest, MoveFailsWhenTheWindowManagerKeepsAnotherFrame) {
    TestClient client(session);
    const xcb_window_t id = client.createWindow(
        {{"title", "Stubborn"}, {"w", "600"}, {"h", "500"}, {"min", "600x500"}});
    const auto windows = system->windows();
    ASSERT_EQ(windows.size(), 1u);
    const Rect before = windows[0].frame;
    // Smaller than the window's minimum size: the window manager keeps the size.
    EXPECT_FALSE(system->move(windows[0], Rect{50, 50, 300, 200}));
    const auto after = session.inspector().outerFrame(id);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->width, before.width);
    EXPECT_EQ(after->height, before.height);
}

TEST_F(X11WindowSystemTest, MoveIgnoresHandlesOfOtherWindowSystems) {
    class ForeignHandle : public WindowHandle {};
    LiveWindow foreign;
    foreign.handle = std::make_shared<ForeignHandle>();
    EXPECT_FALSE(system->move(foreign, Rect{0, 0, 100, 100}));
    EXPECT_FALSE(system->move(LiveWindow{}, Rect{0, 0, 100, 100}));
}

TEST(X11WindowSystemWithoutServer, ListsAndMovesNothing) {
    X11WindowSystem system(nullptr);
    EXPECT_FALSE(system.isTrusted());
    EXPECT_TRUE(system.windows().empty());
    LiveWindow window;
    window.handle = std::make_shared<X11WindowHandle>(0x400001);
    EXPECT_FALSE(system.move(window, Rect{0, 0, 100, 100}));
}

} // namespace
} // namespace plimsett
