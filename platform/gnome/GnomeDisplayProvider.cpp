#include "platform/gnome/GnomeDisplayProvider.h"

#include <QJsonObject>

namespace plimsett {
namespace {

Rect rectFrom(const QJsonObject& r) {
    return Rect{r.value(QStringLiteral("x")).toDouble(), r.value(QStringLiteral("y")).toDouble(),
                r.value(QStringLiteral("width")).toDouble(),
                r.value(QStringLiteral("height")).toDouble()};
}

// Mutter says "unknown" for what a monitor without an EDID does not tell.
bool known(const QString& value) {
    return !value.trimmed().isEmpty() &&
           value.compare(QStringLiteral("unknown"), Qt::CaseInsensitive) != 0;
}

} // namespace

GnomeDisplayProvider::GnomeDisplayProvider(std::shared_ptr<GnomeShellProxy> shell)
    : shell_(std::move(shell)) {}

DisplaySet GnomeDisplayProvider::currentDisplaySet() {
    const std::optional<QJsonArray> monitors = shell_->listMonitors();
    if (!monitors) {
        return DisplaySet();
    }
    return DisplaySet(displaysFrom(*monitors));
}

std::vector<DisplayInfo> GnomeDisplayProvider::displaysFrom(const QJsonArray& monitors) {
    std::vector<DisplayInfo> displays;
    for (const QJsonValue& value : monitors) {
        const QJsonObject m = value.toObject();
        DisplayInfo display;
        display.frame = rectFrom(m.value(QStringLiteral("geometry")).toObject());
        if (!(display.frame.width > 0) || !(display.frame.height > 0)) {
            continue;
        }
        const QString connector = m.value(QStringLiteral("connector")).toString();
        const QString vendor = m.value(QStringLiteral("vendor")).toString();
        const QString product = m.value(QStringLiteral("product")).toString();
        const QString serial = m.value(QStringLiteral("serial")).toString();
        QString uuid;
        if (known(vendor) && known(product) && known(serial)) {
            uuid = vendor + QLatin1Char('-') + product + QLatin1Char('-') + serial;
        } else if (!connector.isEmpty()) {
            uuid = connector;
        } else {
            uuid = QStringLiteral("monitor-%1").arg(m.value(QStringLiteral("index")).toInt());
        }
        display.uuid = uuid.toStdString();
        const QString name = m.value(QStringLiteral("displayName")).toString();
        display.name = (!name.isEmpty()        ? name
                        : !connector.isEmpty() ? connector
                                               : uuid)
                           .toStdString();
        display.isBuiltIn = m.value(QStringLiteral("builtin")).toBool();
        const Rect workArea = rectFrom(m.value(QStringLiteral("workArea")).toObject());
        display.visibleFrame = workArea.width > 0 && workArea.height > 0 ? workArea : display.frame;
        displays.push_back(std::move(display));
    }
    return displays;
}

} // namespace plimsett
