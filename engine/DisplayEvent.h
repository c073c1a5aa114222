#pragma once

namespace plimsett {

enum class DisplayEvent {
    // A display reconfiguration reported by the system has finished.
    reconfigured,
    // The screens' parameters changed, or the display set changed without an announcement.
    screenParameters,
    // The system woke from sleep.
    wake,
};

} // namespace plimsett
