#include "platform/wayland/HelperChannel.h"

#include "engine/WindowEvent.h"

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
        if (change == QLatin1String("appeared")) {
            emit windowChanged(static_cast<int>(WindowEvent::Kind::appeared), id.toString());
        } else if (change == QLatin1String("changed")) {
            emit windowChanged(static_cast<int>(WindowEvent::Kind::changed), id.toString());
        } else if (change == QLatin1String("gone")) {
            emit windowChanged(static_cast<int>(WindowEvent::Kind::gone), id.toString());
        }
    }
}

} // namespace plimsett
