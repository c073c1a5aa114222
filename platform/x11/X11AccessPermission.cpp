#include "platform/x11/X11AccessPermission.h"

namespace plimsett {

X11AccessPermission::X11AccessPermission(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {}

bool X11AccessPermission::isTrusted() const {
    return connection_ && !connection_->isBroken() && connection_->hasEwmhWindowManager();
}

} // namespace plimsett
