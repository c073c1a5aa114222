#include "platform/kwin/KWinDisplayProvider.h"

#include "engine/Text.h"
#include "platform/kwin/KWinJson.h"
#include "platform/x11/RandRDisplayList.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace plimsett {

KWinDisplayProvider::KWinDisplayProvider(std::shared_ptr<KWinScriptChannel> channel)
    : channel_(std::move(channel)) {}

DisplaySet KWinDisplayProvider::currentDisplaySet() {
    if (!channel_) {
        return DisplaySet();
    }
    const std::optional<QJsonValue> reply =
        channel_->request(QStringLiteral("outputs"), {}, timeout);
    return reply ? DisplaySet(displays(*reply)) : DisplaySet();
}

std::vector<DisplayInfo> KWinDisplayProvider::displays(const QJsonValue& reply) {
    if (!reply.isArray()) {
        return {};
    }
    std::vector<DisplayInfo> result;
    for (const QJsonValue& value : reply.toArray()) {
        const QJsonObject o = value.toObject();
        const QJsonValue name = o.value(QStringLiteral("name")),
                         manufacturer = o.value(QStringLiteral("manufacturer")),
                         model = o.value(QStringLiteral("model")),
                         serial = o.value(QStringLiteral("serial"));
        const std::optional<Rect> frame = KWinJson::rect(o.value(QStringLiteral("geometry")));
        const std::optional<Rect> placement =
            KWinJson::rect(o.value(QStringLiteral("placementArea")));
        if (!name.isString() || !manufacturer.isString() || !model.isString() ||
            !serial.isString() || !frame || !placement) {
            return {};
        }
        if (!(frame->width > 0) || !(frame->height > 0)) {
            continue;
        }
        if (std::any_of(result.begin(), result.end(),
                        [&](const DisplayInfo& d) { return d.frame == *frame; })) {
            continue;
        }
        const std::string outputName = repairedUtf8(name.toString().toStdString());
        const std::string maker = repairedUtf8(manufacturer.toString().trimmed().toStdString());
        const std::string product = repairedUtf8(model.toString().trimmed().toStdString());
        const std::string number = repairedUtf8(serial.toString().trimmed().toStdString());
        DisplayInfo display;
        if (!maker.empty() || !product.empty()) {
            display.uuid = maker + "-" + product + "-" + number;
        } else {
            display.uuid = outputName;
        }
        display.name = !product.empty() ? product : outputName;
        display.isBuiltIn = RandRDisplayList::isBuiltInConnector(outputName);
        display.frame = *frame;
        // A placement area outside the output (a stale answer mid-change) is no visible frame.
        display.visibleFrame =
            frame->contains(*placement) && placement->width > 0 && placement->height > 0
                ? *placement
                : *frame;
        result.push_back(std::move(display));
    }
    return result;
}

} // namespace plimsett
