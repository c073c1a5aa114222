#include "platform/gnome/GnomeShellProxy.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QJsonDocument>

namespace plimsett {
namespace {

// A batch of moves travels as one JSON text.
QString movesText(const QJsonArray& moves) {
    return QString::fromUtf8(QJsonDocument(moves).toJson(QJsonDocument::Compact));
}

} // namespace

GnomeShellProxy::GnomeShellProxy(QDBusConnection connection) : connection_(std::move(connection)) {}

bool GnomeShellProxy::answers() const {
    if (!connection_.isConnected()) {
        return false;
    }
    const QDBusMessage call =
        QDBusMessage::createMethodCall(busName, objectPath, interfaceName, "GetVersion");
    const QDBusMessage reply =
        connection_.call(call, QDBus::Block, static_cast<int>(pingTimeout.count()));
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

std::optional<QJsonArray> GnomeShellProxy::listWindows() const {
    return jsonCall(QStringLiteral("ListWindows"), {}, listTimeout);
}

std::optional<QJsonArray> GnomeShellProxy::listMonitors() const {
    return jsonCall(QStringLiteral("ListMonitors"), {}, listTimeout);
}

std::optional<QJsonArray> GnomeShellProxy::moveWindows(const QJsonArray& moves) const {
    return jsonCall(QStringLiteral("MoveWindows"), {movesText(moves)}, moveTimeout);
}

void GnomeShellProxy::moveWindowsAsync(const QJsonArray& moves, Answered answered) const {
    if (!connection_.isConnected()) {
        answered(std::nullopt);
        return;
    }
    const QDBusPendingCall call =
        connection_.asyncCall(jsonCallMessage(QStringLiteral("MoveWindows"), {movesText(moves)}),
                              static_cast<int>(moveTimeout.count()));
    // The watcher answers once, when the reply, an error or the timeout comes, and goes.
    auto* watcher = new QDBusPendingCallWatcher(call);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [answered = std::move(answered)](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         answered(jsonReply(finished->reply()));
                     });
}

QDBusMessage GnomeShellProxy::jsonCallMessage(const QString& method,
                                              const QVariantList& arguments) const {
    QDBusMessage call = QDBusMessage::createMethodCall(busName, objectPath, interfaceName, method);
    call.setArguments(arguments);
    return call;
}

std::optional<QJsonArray> GnomeShellProxy::jsonCall(const QString& method,
                                                    const QVariantList& arguments,
                                                    std::chrono::milliseconds timeout) const {
    if (!connection_.isConnected()) {
        return std::nullopt;
    }
    return jsonReply(connection_.call(jsonCallMessage(method, arguments), QDBus::Block,
                                      static_cast<int>(timeout.count())));
}

std::optional<QJsonArray> GnomeShellProxy::jsonReply(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(reply.arguments().constFirst().toString().toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return std::nullopt;
    }
    return document.array();
}

} // namespace plimsett
