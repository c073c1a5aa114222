#pragma once

#include <functional>
#include <optional>
#include <string>

namespace plimsett {

// The kind of desktop session this process runs in, read from the variables that the session
// sets: XDG_SESSION_TYPE (else WAYLAND_DISPLAY), XDG_CURRENT_DESKTOP and DISPLAY. In a Wayland
// session DISPLAY names Xwayland, which holds only the X11 applications, so a Wayland session is
// never taken for an X11 one.
struct DesktopSession {
    enum class Kind {
        x11,          // an X11 session, or no session variables but an X server in DISPLAY
        gnomeWayland, // GNOME Shell on Wayland
        kdeWayland,   // KDE Plasma (KWin) on Wayland
        otherWayland, // a Wayland session of a desktop without a backend
        none,         // neither a Wayland session nor an X server
    };

    Kind kind = Kind::none;
    // XDG_CURRENT_DESKTOP as set, for messages ("sway", "Hyprland"); may be empty.
    std::string desktop;

    using Environment = std::function<std::optional<std::string>(const char* name)>;
    static DesktopSession detect(const Environment& environment);
    static DesktopSession current();

    bool operator==(const DesktopSession&) const = default;
};

} // namespace plimsett
