#include "platform/kwin/KWinJson.h"

namespace plimsett {

std::optional<Rect> KWinJson::rect(const QJsonValue& value) {
    const QJsonObject o = value.toObject();
    const QJsonValue x = o.value(QStringLiteral("x")), y = o.value(QStringLiteral("y")),
                     width = o.value(QStringLiteral("width")),
                     height = o.value(QStringLiteral("height"));
    if (!x.isDouble() || !y.isDouble() || !width.isDouble() || !height.isDouble()) {
        return std::nullopt;
    }
    const Rect r{x.toDouble(), y.toDouble(), width.toDouble(), height.toDouble()};
    return r.isFinite() ? std::optional<Rect>(r) : std::nullopt;
}

QJsonObject KWinJson::object(const Rect& r) {
    return QJsonObject{{QStringLiteral("x"), r.x},
                       {QStringLiteral("y"), r.y},
                       {QStringLiteral("width"), r.width},
                       {QStringLiteral("height"), r.height}};
}

} // namespace plimsett
