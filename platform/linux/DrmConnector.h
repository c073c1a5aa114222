#pragma once

#include <string>

namespace plimsett {

// What a kernel (DRM) connector name says about the display on it. RandR on X11 and the
// compositors on Wayland name outputs after their connectors.
class DrmConnector {
public:
    // Connectors of panels built into the computer: eDP, LVDS and DSI (any letter case).
    static bool isBuiltIn(const std::string& name);
};

} // namespace plimsett
