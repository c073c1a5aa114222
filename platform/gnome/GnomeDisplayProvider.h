#pragma once

#include "engine/DisplayProvider.h"
#include "platform/gnome/GnomeShellProxy.h"

#include <QJsonArray>

#include <memory>
#include <vector>

namespace plimsett {

// The Shell's monitors, as Plimsett's Shell extension reports them. The uuid is the monitor's
// vendor, product and serial joined by "-" when Mutter knows all three from the EDID (so a monitor
// keeps its identity on any connector), else the connector; the name is Mutter's display name,
// else the connector; the frame is the monitor's geometry in the Shell's logical layout and the
// visible frame its work area (less the top bar and any struts).
class GnomeDisplayProvider : public DisplayProvider {
public:
    explicit GnomeDisplayProvider(std::shared_ptr<GnomeShellProxy> shell);

    DisplaySet currentDisplaySet() override;

    // The displays of a ListMonitors answer.
    static std::vector<DisplayInfo> displaysFrom(const QJsonArray& monitors);

private:
    std::shared_ptr<GnomeShellProxy> shell_;
};

} // namespace plimsett
