#pragma once

namespace plimsett {

// Whether this process may read and move other applications' windows, and how to ask for it.
class AccessPermission {
public:
    virtual ~AccessPermission() = default;
    // Asked afresh at every call; never cached.
    virtual bool isTrusted() const = 0;
    // Asks the system for access (a prompt or the relevant settings); may do nothing where the
    // desktop offers no such thing.
    virtual void requestAccess() = 0;
};

} // namespace plimsett
