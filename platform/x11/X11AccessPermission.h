#pragma once

#include "engine/AccessPermission.h"
#include "platform/x11/X11Connection.h"

#include <memory>

namespace plimsett {

// On X11 every client may read and move the windows of others; what it needs is an X server with
// an EWMH window manager to ask. There is nobody to ask for access, so requestAccess() does
// nothing.
class X11AccessPermission : public AccessPermission {
public:
    // `connection` may be null (no X server): never trusted then.
    explicit X11AccessPermission(std::shared_ptr<X11Connection> connection);

    bool isTrusted() const override;
    void requestAccess() override {}
    // With an X server but no EWMH window manager: start one. Otherwise nothing to add to the
    // backend's problem.
    std::string advice() const override;

private:
    std::shared_ptr<X11Connection> connection_;
};

} // namespace plimsett
