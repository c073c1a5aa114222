#include "platform/linux/DesktopSession.h"

#include <gtest/gtest.h>

#include <map>

namespace plimsett {
namespace {

DesktopSession::Kind kindOf(std::map<std::string, std::string> variables) {
    return DesktopSession::detect([&](const char* name) -> std::optional<std::string> {
               const auto it = variables.find(name);
               return it != variables.end() ? std::optional(it->second) : std::nullopt;
           })
        .kind;
}

using Kind = DesktopSession::Kind;

TEST(DesktopSession, TheSessionTypeDecidesAndXwaylandIsNeverTheDesktop) {
    EXPECT_EQ(kindOf({{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}), Kind::x11);
    // Without session variables an X server in DISPLAY is an X11 desktop, as under startx.
    EXPECT_EQ(kindOf({{"DISPLAY", ":0"}}), Kind::x11);
    EXPECT_EQ(kindOf({}), Kind::none);
    // GNOME and Plasma on Wayland set DISPLAY for Xwayland.
    EXPECT_EQ(kindOf({{"XDG_SESSION_TYPE", "wayland"},
                      {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"},
                      {"DISPLAY", ":0"}}),
              Kind::gnomeWayland);
    EXPECT_EQ(kindOf({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "KDE"}}),
              Kind::kdeWayland);
    EXPECT_EQ(kindOf({{"WAYLAND_DISPLAY", "wayland-0"},
                      {"DISPLAY", ":1"},
                      {"XDG_CURRENT_DESKTOP", "sway"}}),
              Kind::otherWayland);
    // A name that merely contains another desktop's does not count.
    EXPECT_EQ(kindOf({{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "GNOME-Flashback"}}),
              Kind::otherWayland);
}

} // namespace
} // namespace plimsett
