#include "platform/kwin/KWinAccessPermission.h"

namespace plimsett {

KWinAccessPermission::KWinAccessPermission(std::shared_ptr<KWinScriptChannel> channel)
    : channel_(std::move(channel)) {}

bool KWinAccessPermission::isTrusted() const {
    return channel_ && channel_->isAnswering();
}

void KWinAccessPermission::requestAccess() {
    if (channel_ && !channel_->isAnswering()) {
        channel_->load();
    }
}

} // namespace plimsett
