#include "platform/linux/DesktopSession.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace plimsett {
namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// XDG_CURRENT_DESKTOP is a colon-separated list ("ubuntu:GNOME", "KDE").
bool namesDesktop(const std::string& desktops, const std::string& wanted) {
    std::istringstream list(desktops);
    std::string entry;
    while (std::getline(list, entry, ':')) {
        if (lowered(entry) == wanted) {
            return true;
        }
    }
    return false;
}

} // namespace

DesktopSession DesktopSession::detect(const Environment& environment) {
    const auto value = [&](const char* name) { return environment(name).value_or(""); };
    DesktopSession session;
    session.desktop = value("XDG_CURRENT_DESKTOP");
    const std::string type = lowered(value("XDG_SESSION_TYPE"));
    const bool wayland = type == "wayland" || (type.empty() && !value("WAYLAND_DISPLAY").empty());
    if (wayland) {
        if (namesDesktop(session.desktop, "gnome")) {
            session.kind = Kind::gnomeWayland;
        } else if (namesDesktop(session.desktop, "kde")) {
            session.kind = Kind::kdeWayland;
        } else {
            session.kind = Kind::otherWayland;
        }
    } else if (type == "x11" || !value("DISPLAY").empty()) {
        session.kind = Kind::x11;
    }
    return session;
}

DesktopSession DesktopSession::current() {
    return detect([](const char* name) -> std::optional<std::string> {
        const char* v = std::getenv(name);
        return v != nullptr ? std::optional<std::string>(v) : std::nullopt;
    });
}

} // namespace plimsett
