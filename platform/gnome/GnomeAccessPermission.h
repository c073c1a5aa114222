#pragma once

#include "engine/AccessPermission.h"
#include "platform/gnome/GnomeShellProxy.h"

#include <memory>

namespace plimsett {

// In GNOME only the Shell may move other applications' windows, so access means that Plimsett's
// Shell extension runs and answers. Asking for access installs the extension and switches it on.
class GnomeAccessPermission : public AccessPermission {
public:
    explicit GnomeAccessPermission(std::shared_ptr<GnomeShellProxy> shell);

    bool isTrusted() const override;
    void requestAccess() override;

private:
    std::shared_ptr<GnomeShellProxy> shell_;
};

} // namespace plimsett
