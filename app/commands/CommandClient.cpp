#include "app/commands/CommandClient.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QLocalSocket>

namespace plimsett {

CommandClient::Result CommandClient::send(const QString& socketPath, const QJsonObject& request,
                                          int timeoutMs) {
    Result result;
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        const auto error = socket.error();
        if (error == QLocalSocket::ServerNotFoundError ||
            error == QLocalSocket::ConnectionRefusedError) {
            result.status = Status::noInstance;
        }
        result.error = socket.errorString();
        return result;
    }
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
        result.error = socket.errorString();
        return result;
    }
    QByteArray received;
    while (!received.contains('\n')) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            // The instance may have answered and closed in one go.
            received.append(socket.readAll());
            break;
        }
        received.append(socket.readAll());
    }
    const qsizetype end = received.indexOf('\n');
    QJsonParseError parseError{};
    const QJsonDocument reply =
        QJsonDocument::fromJson(end < 0 ? received : received.left(end), &parseError);
    if (parseError.error != QJsonParseError::NoError || !reply.isObject()) {
        result.error = deadline.hasExpired() ? QStringLiteral("no answer in time")
                                             : QStringLiteral("unreadable answer");
        return result;
    }
    result.status = Status::replied;
    result.reply = reply.object();
    return result;
}

} // namespace plimsett
