#pragma once

#include "engine/DisplayProvider.h"
#include "platform/wayland/HelperChannel.h"

#include <QJsonValue>

#include <chrono>
#include <memory>
#include <vector>

namespace plimsett {

// The monitors of a Wayland session as Plimsett's helper inside the compositor reports them: the
// logical layout (scaled coordinates), each monitor's work area as its visible frame. A monitor
// is identified by its EDID (vendor, product and serial), else by its connector.
class WaylandDisplayProvider : public DisplayProvider {
public:
    // How much of the EDID must be known for it to identify a monitor. The layouts that users
    // have saved are keyed by these identifiers, so each desktop keeps the rule it started with.
    enum class Identity {
        // Vendor, product and serial, all three (GNOME: Mutter says "unknown" for the rest).
        wholeEdid,
        // Vendor or product, with whatever serial there is (KWin).
        anyEdid,
    };
    static constexpr std::chrono::milliseconds timeout{2000};

    WaylandDisplayProvider(std::shared_ptr<HelperChannel> channel, Identity identity);

    DisplaySet currentDisplaySet() override;

    // The displays of a `monitors` answer: empty unless it is an array of complete monitor
    // records. Mirrored monitors (the same frame) count once.
    static std::vector<DisplayInfo> displays(const QJsonValue& reply, Identity identity);

private:
    std::shared_ptr<HelperChannel> channel_;
    Identity identity_;
};

} // namespace plimsett
