#pragma once

#include <QJsonObject>
#include <QString>

namespace plimsett {

// Sends one command to the running instance and waits for its reply. Blocking: it needs no
// event loop.
class CommandClient {
public:
    enum class Status { replied, noInstance, failed };
    struct Result {
        Status status = Status::failed;
        QJsonObject reply;
        QString error;
    };

    static Result send(const QString& socketPath, const QJsonObject& request,
                       int timeoutMs = 30000);
};

} // namespace plimsett
