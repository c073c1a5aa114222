#pragma once

#include "engine/AccessPermission.h"
#include "platform/wayland/HelperChannel.h"

#include <memory>

namespace plimsett {

// On Wayland Plimsett may read and move windows while its helper inside the compositor runs and
// answers. There is no one to ask: requestAccess() has the channel do what it can (install the
// GNOME extension, load the KWin script again).
class WaylandAccessPermission : public AccessPermission {
public:
    explicit WaylandAccessPermission(std::shared_ptr<HelperChannel> channel);

    bool isTrusted() const override;
    void requestAccess() override;

private:
    std::shared_ptr<HelperChannel> channel_;
};

} // namespace plimsett
