#include "platform/wayland/WaylandDisplayProvider.h"

#include "platform/linux/DrmConnector.h"
#include "platform/wayland/HelperJson.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cctype>

namespace plimsett {
namespace {

// What a monitor without an EDID does not tell is empty, or "unknown" (Mutter).
bool known(const std::string& value) {
    std::string lower = value;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return !lower.empty() && lower != "unknown";
}

std::string trimmed(const std::string& value) {
    const auto first = value.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

} // namespace

WaylandDisplayProvider::WaylandDisplayProvider(std::shared_ptr<HelperChannel> channel,
                                               Identity identity)
    : channel_(std::move(channel)), identity_(identity) {}

DisplaySet WaylandDisplayProvider::currentDisplaySet() {
    if (!channel_) {
        return DisplaySet();
    }
    const std::optional<QJsonValue> reply =
        channel_->request(HelperChannel::Request::monitors, {}, timeout);
    return reply ? DisplaySet(displays(*reply, identity_)) : DisplaySet();
}

std::vector<DisplayInfo> WaylandDisplayProvider::displays(const QJsonValue& reply,
                                                          Identity identity) {
    if (!reply.isArray()) {
        return {};
    }
    std::vector<DisplayInfo> result;
    int index = 0;
    for (const QJsonValue& value : reply.toArray()) {
        const QJsonObject o = value.toObject();
        const auto connector = HelperJson::string(o, "connector");
        const auto vendor = HelperJson::string(o, "vendor");
        const auto product = HelperJson::string(o, "product");
        const auto serial = HelperJson::string(o, "serial");
        const auto displayName = HelperJson::string(o, "displayName");
        const auto builtIn = HelperJson::flag(o, "builtIn");
        const auto frame = HelperJson::rect(o.value(QStringLiteral("geometry")));
        const auto workArea = HelperJson::rect(o.value(QStringLiteral("workArea")));
        if (!connector || !vendor || !product || !serial || !displayName || !builtIn || !frame ||
            !workArea) {
            return {};
        }
        const int position = index++;
        if (!(frame->width > 0) || !(frame->height > 0) ||
            std::any_of(result.begin(), result.end(),
                        [&](const DisplayInfo& d) { return d.frame == *frame; })) {
            continue;
        }
        const std::string maker = trimmed(*vendor), model = trimmed(*product),
                          number = trimmed(*serial);
        const bool identified = identity == Identity::wholeEdid
                                    ? known(maker) && known(model) && known(number)
                                    : known(maker) || known(model);
        DisplayInfo display;
        if (identified) {
            display.uuid = maker + "-" + model + "-" + (known(number) ? number : "");
        } else if (!connector->empty()) {
            display.uuid = *connector;
        } else {
            display.uuid = "monitor-" + std::to_string(position);
        }
        display.name = !displayName->empty() ? *displayName
                       : known(model)        ? model
                       : !connector->empty() ? *connector
                                             : display.uuid;
        display.isBuiltIn = *builtIn || DrmConnector::isBuiltIn(*connector);
        display.frame = *frame;
        // A work area outside the monitor (a stale answer mid-change) is no visible frame.
        display.visibleFrame =
            frame->contains(*workArea) && workArea->width > 0 && workArea->height > 0 ? *workArea
                                                                                      : *frame;
        result.push_back(std::move(display));
    }
    return result;
}

} // namespace plimsett
