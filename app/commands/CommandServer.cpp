#include "app/commands/CommandServer.h"

#include "app/commands/InstancePaths.h"

#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>

namespace plimsett {

CommandServer::CommandServer(const QString& directory, QObject* parent)
    : QObject(parent), socketPath_(directory + QLatin1Char('/') + InstancePaths::socketName()),
      lockPath_(directory + QLatin1Char('/') + InstancePaths::lockName()) {}

CommandServer::~CommandServer() {
    if (server_) {
        server_->close();
    }
    if (lock_) {
        lock_->unlock();
    }
}

CommandServer::Claim CommandServer::claim() {
    if (lock_ && lock_->isLocked()) {
        return Claim::claimed;
    }
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock is stale only when its process is gone, however old it is.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        return Claim::claimed;
    }
    if (lock_->error() == QLockFile::LockFailedError) {
        return Claim::alreadyRunning;
    }
    error_ = QStringLiteral("cannot take the lock %1").arg(lockPath_);
    return Claim::failed;
}

bool CommandServer::listen() {
    if (!lock_ || !lock_->isLocked()) {
        error_ = QStringLiteral("the instance lock is not held");
        return false;
    }
    // Holding the lock, any socket there is a leftover of an instance that ended abruptly.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &CommandServer::accept);
    if (!server_->listen(socketPath_)) {
        error_ = server_->errorString();
        server_.reset();
        return false;
    }
    return true;
}

void CommandServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        serve(socket);
    }
}

void CommandServer::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A client that sends nothing is dropped rather than kept open forever.
    QTimer::singleShot(clientTimeoutMs, socket, [socket] { socket->abort(); });
    auto buffer = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer, answered] {
        if (*answered) {
            socket->readAll();
            return;
        }
        buffer->append(socket->readAll());
        const qsizetype end = buffer->indexOf('\n');
        if (end < 0 && buffer->size() <= maximumRequestSize) {
            return;
        }
        *answered = true;
        const QPointer<QLocalSocket> client(socket);
        const Respond respond = [this, client](const Reply& reply) {
            if (!client) {
                return;
            }
            client->write(QJsonDocument(reply.body).toJson(QJsonDocument::Compact) + '\n');
            if (reply.afterSent) {
                connect(client, &QLocalSocket::disconnected, this, reply.afterSent,
                        Qt::QueuedConnection);
            }
            // Closes once everything is written.
            client->disconnectFromServer();
        };
        QJsonParseError parseError{};
        const QJsonDocument request =
            end < 0 ? QJsonDocument() : QJsonDocument::fromJson(buffer->left(end), &parseError);
        if (end < 0 || parseError.error != QJsonParseError::NoError || !request.isObject()) {
            respond({{{QStringLiteral("ok"), false},
                      {QStringLiteral("error"), QStringLiteral("malformed request")}},
                     nullptr});
        } else if (!handler_) {
            respond({{{QStringLiteral("ok"), false},
                      {QStringLiteral("error"), QStringLiteral("Plimsett is still starting")}},
                     nullptr});
        } else {
            handler_(request.object(), respond);
        }
    });
}

} // namespace plimsett
