#include "platform/x11/RandRDisplayList.h"

#include "platform/linux/DrmConnector.h"
#include "platform/x11/Edid.h"

#include <algorithm>

namespace plimsett {

std::vector<DisplayInfo> RandRDisplayList::displays(const std::vector<Output>& outputs,
                                                    const std::vector<DockStrut>& struts,
                                                    double screenWidth, double screenHeight) {
    // The outputs that stand for each area shown, in the order the areas first appear.
    std::vector<const Output*> shown;
    for (const Output& output : outputs) {
        if (!output.frame || !(output.frame->width > 0) || !(output.frame->height > 0)) {
            continue;
        }
        const auto same = std::find_if(shown.begin(), shown.end(), [&](const Output* other) {
            return *other->frame == *output.frame;
        });
        if (same == shown.end()) {
            shown.push_back(&output);
        } else if (output.isPrimary && !(*same)->isPrimary) {
            *same = &output;
        }
    }

    std::vector<DisplayInfo> displays;
    for (const Output* output : shown) {
        DisplayInfo display;
        const std::optional<Edid> edid = Edid::parse(output->edid);
        display.uuid = edid ? edid->identity() : output->name;
        display.name = edid && !edid->monitorName().empty() ? edid->monitorName() : output->name;
        display.isBuiltIn = DrmConnector::isBuiltIn(output->name);
        display.frame = *output->frame;
        Rect visible = display.frame;
        for (const DockStrut& strut : struts) {
            visible = strut.appliedTo(visible, screenWidth, screenHeight);
        }
        display.visibleFrame = visible;
        displays.push_back(std::move(display));
    }
    return displays;
}

} // namespace plimsett
