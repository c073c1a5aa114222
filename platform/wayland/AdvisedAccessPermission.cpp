#include "platform/wayland/AdvisedAccessPermission.h"

namespace plimsett {

AdvisedAccessPermission::AdvisedAccessPermission(std::shared_ptr<AccessPermission> inner,
                                                 std::function<std::string()> advise)
    : inner_(std::move(inner)), advise_(std::move(advise)) {}

bool AdvisedAccessPermission::isTrusted() const {
    return inner_ && inner_->isTrusted();
}

void AdvisedAccessPermission::requestAccess() {
    if (inner_) {
        inner_->requestAccess();
    }
}

std::string AdvisedAccessPermission::advice() const {
    if (isTrusted()) {
        return {};
    }
    if (advise_) {
        return advise_();
    }
    return inner_ ? inner_->advice() : std::string();
}

} // namespace plimsett
