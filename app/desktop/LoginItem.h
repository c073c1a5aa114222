#pragma once

namespace plimsett {

// Whether the desktop opens this program when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    // True exactly when the desktop will open the program at the next login.
    virtual bool isEnabled() const = 0;
    // Registers (true) or unregisters (false) the program. False when that failed; the previous
    // state is then left as it was.
    virtual bool setEnabled(bool enabled) = 0;
};

} // namespace plimsett
