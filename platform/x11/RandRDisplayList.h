#pragma once

#include "engine/DisplayInfo.h"
#include "platform/x11/DockStrut.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plimsett {

// Turns what RandR says about the outputs into the displays of a display set. Kept apart from the
// X requests so that the rules can be checked without a server.
class RandRDisplayList {
public:
    struct Output {
        std::string name;
        bool isPrimary = false;
        // The area of the output's CRTC in root coordinates; nothing when the output shows nothing.
        std::optional<Rect> frame;
        // The output's EDID property, empty when it has none.
        std::vector<std::uint8_t> edid;
    };

    // One display per area shown: outputs that show exactly the same area (two outputs on one
    // CRTC, or a mirror made of two CRTCs) count once, as the primary output if it is among them,
    // else the first in the server's order. The uuid is the EDID identity when there is a valid
    // EDID, else the output name; the name the EDID's monitor name, else the output name; the
    // visible frame is the frame less the struts of the windows that reserve space on it.
    static std::vector<DisplayInfo> displays(const std::vector<Output>& outputs,
                                             const std::vector<DockStrut>& struts,
                                             double screenWidth, double screenHeight);
};

} // namespace plimsett
