#pragma once

namespace plimsett {

// The system alert sound on macOS, as the user has chosen it in the Sound settings. Apple only.
class AppleAlertSound {
public:
    static void play();
};

} // namespace plimsett
