#include "platform/wayland/WaylandAccessPermission.h"

namespace plimsett {

WaylandAccessPermission::WaylandAccessPermission(std::shared_ptr<HelperChannel> channel)
    : channel_(std::move(channel)) {}

bool WaylandAccessPermission::isTrusted() const {
    return channel_ && channel_->isAnswering();
}

void WaylandAccessPermission::requestAccess() {
    if (channel_ && !channel_->isAnswering()) {
        channel_->requestAccess();
    }
}

} // namespace plimsett
