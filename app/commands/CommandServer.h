#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace plimsett {

// One running instance per user: the instance holds a lock file and answers commands on a local
// socket that only the user can open. A request is one line of JSON, and so is the reply.
class CommandServer : public QObject {
    Q_OBJECT
public:
    struct Reply {
        QJsonObject body;
        // Runs once the reply has been handed to the client (used to quit after answering).
        std::function<void()> afterSent;
    };
    // Hands the reply to the client; call it once, now or later (a client gone by then gets
    // nothing).
    using Respond = std::function<void(Reply reply)>;
    using Handler = std::function<void(const QJsonObject& request, Respond respond)>;
    enum class Claim { claimed, alreadyRunning, failed };

    static constexpr qint64 maximumRequestSize = 64 * 1024;
    static constexpr int clientTimeoutMs = 10000;

    // `directory` must be private to the user (see InstancePaths).
    explicit CommandServer(const QString& directory, QObject* parent = nullptr);
    ~CommandServer() override;

    // Takes the instance lock. alreadyRunning when a live process holds it; a lock left by a
    // process that is gone is taken over.
    Claim claim();
    // Listens on the socket, replacing one that a previous instance left behind. Needs the lock.
    bool listen();
    void setHandler(Handler handler) { handler_ = std::move(handler); }

    QString socketPath() const { return socketPath_; }
    QString errorString() const { return error_; }

private:
    void accept();
    void serve(QLocalSocket* socket);

    QString socketPath_;
    QString lockPath_;
    QString error_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
    Handler handler_;
};

} // namespace plimsett
