#include "platform/x11/X11AccessPermission.h"

namespace plimsett {

X11AccessPermission::X11AccessPermission(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {}

bool X11AccessPermission::isTrusted() const {
    return connection_ && !connection_->isBroken() && connection_->hasEwmhWindowManager();
}

std::string X11AccessPermission::advice() const {
    if (!connection_ || connection_->isBroken() || connection_->hasEwmhWindowManager()) {
        return {};
    }
    return "No window manager that follows EWMH runs on this X display. Start one (openbox, "
           "kwin_x11, marco, fluxbox or icewm, for example); Plimsett notices it within a second.";
}

} // namespace plimsett
