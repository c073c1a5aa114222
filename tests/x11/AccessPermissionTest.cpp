#include "platform/PlatformBackend.h"
#include "platform/x11/X11AccessPermission.h"

#include "tests/x11/support/XTestSession.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace plimsett {
namespace {

using testing::XTestSession;

std::shared_ptr<X11Connection> connect(const XTestSession& session) {
    std::string problem;
    auto connection = X11Connection::open(session.display(), problem);
    if (!connection) {
        throw std::runtime_error(problem);
    }
    return connection;
}

TEST(X11AccessPermissionTest, TrustedWhileAnEwmhWindowManagerRuns) {
    XTestSession session;
    X11AccessPermission permission(connect(session));
    EXPECT_TRUE(permission.isTrusted());
    session.stopWindowManager();
    EXPECT_FALSE(permission.isTrusted());
    session.startWindowManager();
    EXPECT_TRUE(permission.isTrusted());
    // Asking does nothing on X11, and changes nothing.
    permission.requestAccess();
    EXPECT_TRUE(permission.isTrusted());
}

TEST(X11AccessPermissionTest, AStaleWindowManagerCheckDoesNotCount) {
    XTestSession session(XTestSession::Options{.windowManager = false});
    X11AccessPermission permission(connect(session));
    EXPECT_FALSE(permission.isTrusted());

    // A root property left behind names a window that does not confirm it...
    auto& inspector = session.inspector();
    xcb_connection_t* c = inspector.connection();
    const xcb_window_t check = xcb_generate_id(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, check, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t property = inspector.atom("_NET_SUPPORTING_WM_CHECK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, inspector.root(), property, XCB_ATOM_WINDOW, 32,
                        1, &check);
    xcb_flush(c);
    ASSERT_EQ(inspector.property32(inspector.root(), "_NET_SUPPORTING_WM_CHECK").size(), 1u);
    EXPECT_FALSE(permission.isTrusted());

    // ...until the window names itself, as a running window manager's does.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, check, property, XCB_ATOM_WINDOW, 32, 1, &check);
    xcb_flush(c);
    ASSERT_EQ(inspector.property32(check, "_NET_SUPPORTING_WM_CHECK").size(), 1u);
    EXPECT_TRUE(permission.isTrusted());
}

TEST(X11PlatformBackendTest, WithoutAnXServerEverythingIsEmptyAndTheProblemIsSaid) {
    unsetenv("DISPLAY");
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/plimsett-test-bus", 1);
    PlatformBackend backend = makePlatformBackend();
    EXPECT_FALSE(backend.problem.empty());
    ASSERT_TRUE(backend.windowSystem && backend.displayProvider && backend.permission);
    EXPECT_FALSE(backend.permission->isTrusted());
    EXPECT_FALSE(backend.windowSystem->isTrusted());
    EXPECT_TRUE(backend.windowSystem->windows().empty());
    EXPECT_TRUE(backend.displayProvider->currentDisplaySet().displays.empty());
    auto monitor = backend.makeEventMonitor({});
    ASSERT_TRUE(monitor);
    monitor->start();
    monitor->stop();

    setenv("DISPLAY", ":32761", 1);
    backend = makePlatformBackend();
    EXPECT_NE(backend.problem.find(":32761"), std::string::npos) << backend.problem;
    EXPECT_TRUE(backend.windowSystem->windows().empty());
}

TEST(X11PlatformBackendTest, ReachesTheServerNamedByDisplay) {
    XTestSession session;
    setenv("DISPLAY", session.display().c_str(), 1);
    PlatformBackend backend = makePlatformBackend();
    EXPECT_TRUE(backend.problem.empty()) << backend.problem;
    EXPECT_TRUE(backend.permission->isTrusted());
    EXPECT_TRUE(backend.windowSystem->isTrusted());
    EXPECT_EQ(backend.displayProvider->currentDisplaySet().displays.size(), 1u);
}

} // namespace
} // namespace plimsett
