#pragma once

#include "app/desktop/LoginItem.h"

namespace plimsett {

// Opening at login on macOS: the main application itself as a login item, through
// ServiceManagement's SMAppService (macOS 13 and later; on older systems it reads off and cannot
// be switched on). Apple only; main thread.
class SMAppServiceLoginItem : public LoginItem {
public:
    // True exactly when the service's status is "enabled"; "requires approval" and "not found"
    // read false.
    bool isEnabled() const override;
    // Registers or unregisters the main application. The system's error is dropped: the caller
    // beeps and shows the status that the system reports afterwards.
    bool setEnabled(bool enabled) override;
};

} // namespace plimsett
