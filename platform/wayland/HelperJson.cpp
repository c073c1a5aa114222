#include "platform/wayland/HelperJson.h"

#include "engine/Text.h"

namespace plimsett {

std::optional<Rect> HelperJson::rect(const QJsonValue& value) {
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

QJsonObject HelperJson::object(const Rect& r) {
    return QJsonObject{{QStringLiteral("x"), r.x},
                       {QStringLiteral("y"), r.y},
                       {QStringLiteral("width"), r.width},
                       {QStringLiteral("height"), r.height}};
}

std::optional<std::string> HelperJson::string(const QJsonObject& object, const char* key) {
    const QJsonValue v = object.value(QLatin1String(key));
    if (!v.isString()) {
        return std::nullopt;
    }
    return repairedUtf8(v.toString().toStdString());
}

std::optional<bool> HelperJson::flag(const QJsonObject& object, const char* key) {
    const QJsonValue v = object.value(QLatin1String(key));
    return v.isBool() ? std::optional<bool>(v.toBool()) : std::nullopt;
}

std::optional<Workspace> HelperJson::workspace(const QJsonValue& value) {
    if (value.isString()) {
        return value.toString() == QLatin1String("all") ? std::optional(Workspace::every())
                                                        : std::nullopt;
    }
    const double index = value.toDouble(-1);
    if (!value.isDouble() || index < 0 || index >= 1024 || index != static_cast<int>(index)) {
        return std::nullopt;
    }
    return Workspace{static_cast<std::int64_t>(index)};
}

QJsonValue HelperJson::value(const Workspace& workspace) {
    return workspace.isEvery() ? QJsonValue(QStringLiteral("all"))
                               : QJsonValue(static_cast<qint64>(workspace.index));
}

} // namespace plimsett
