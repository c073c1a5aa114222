#pragma once

#include "engine/DisplayProvider.h"
#include "platform/kwin/KWinScriptChannel.h"

#include <QJsonValue>

#include <chrono>
#include <memory>

namespace plimsett {

// The outputs of a Plasma Wayland session, as Plimsett's KWin script reports them. A display is
// identified as on X11: manufacturer, model and serial joined by "-", else the output's name; its
// visible frame is KWin's placement area on it.
class KWinDisplayProvider : public DisplayProvider {
public:
    static constexpr std::chrono::milliseconds timeout{2000};

    explicit KWinDisplayProvider(std::shared_ptr<KWinScriptChannel> channel);

    DisplaySet currentDisplaySet() override;

    // The displays in the script's reply: empty unless it is an array of complete output records.
    // Outputs showing the same area (mirrors) count once.
    static std::vector<DisplayInfo> displays(const QJsonValue& reply);

private:
    std::shared_ptr<KWinScriptChannel> channel_;
};

} // namespace plimsett
