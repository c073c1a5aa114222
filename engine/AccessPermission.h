#pragma once

#include <string>

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
    // While access is missing: why, as far as the desktop tells, and what the user can do about
    // it, in full sentences. Empty when access is on or there is nothing to add. Asked afresh at
    // every call, so it may take a round trip to the desktop.
    virtual std::string advice() const { return {}; }
};

} // namespace plimsett
