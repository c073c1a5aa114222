#include "platform/wayland/HelperChannel.h"

#include "engine/WindowEvent.h"
#include "platform/wayland/HelperJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace plimsett {

void HelperChannel::reportWindowEvents(const QByteArray& json) {
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray()) {
        return;
    }
    for (const QJsonValue& value : document.array()) {
        const QJsonObject record = value.toObject();
        const QJsonValue id = record.value(QStringLiteral("id"));
        const QString change = record.value(QStringLiteral("change")).toString();
        if (!id.isString() || id.toString().isEmpty()) {
            continue;
        }
        std::optional<WindowEvent::Kind> kind;
        if (change == QLatin1String("appeared")) {
            kind = WindowEvent::Kind::appeared;
        } else if (change == QLatin1String("changed")) {
            kind = WindowEvent::Kind::changed;
        } else if (change == QLatin1String("gone")) {
            kind = WindowEvent::Kind::gone;
        }
        if (!kind) {
            continue;
        }
        QRectF frame;
        if (const std::optional<Rect> reported = HelperJson::rect(record.value("frame"));
            reported && reported->isFinite() && reported->width > 0 && reported->height > 0) {
            frame = QRectF(reported->x, reported->y, reported->width, reported->height);
        }
        emit windowChanged(static_cast<int>(*kind), id.toString(), frame);
    }
}

} // namespace plimsett
