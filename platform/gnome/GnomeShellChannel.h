#pragma once

#include "platform/wayland/HelperChannel.h"

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QString>

#include <chrono>
#include <deque>
#include <optional>

class QDBusMessage;
class QDBusServiceWatcher;

namespace plimsett {

// The way to Plimsett's GNOME Shell extension: method calls on its object on the session bus,
// each with a bounded wait, and its signals. The records travel as JSON texts, which keeps the
// interface small on both sides.
//
// The extension answers only the owner of Plimsett's own bus name, so the channel takes that name
// first (and tries again while someone else holds it). It talks to the extension only when the
// extension's name is held by GNOME Shell's own connection, and then calls that connection
// directly: a process that took the extension's name gets nothing from Plimsett, not even the
// titles of the windows it expects. Moves go one batch at a time, as the extension takes them.
class GnomeShellChannel : public HelperChannel {
    Q_OBJECT

public:
    static constexpr const char* busName = "tamblin_engineering.Plimsett.Shell";
    static constexpr const char* objectPath = "/tamblin_engineering/Plimsett/Shell";
    static constexpr const char* interfaceName = "tamblin_engineering.Plimsett.Shell1";
    // Plimsett's own name: the extension answers its owner alone.
    static constexpr const char* programBusName = "tamblin_engineering.Plimsett";
    static constexpr const char* shellBusName = "org.gnome.Shell";
    // The errors the extension answers a request it refuses with; the message says why.
    static constexpr const char* refusedError = "tamblin_engineering.Plimsett.Shell1.Error.InvalidArgs";
    static constexpr const char* busyError = "tamblin_engineering.Plimsett.Shell1.Error.Busy";
    static constexpr std::chrono::milliseconds pingTimeout{500};

    explicit GnomeShellChannel(QDBusConnection connection = QDBusConnection::sessionBus());
    ~GnomeShellChannel() override;

    bool isConnected() const { return connection_.isConnected(); }
    // This connection owns Plimsett's own name.
    bool ownsProgramName() const { return ownsName_; }
    // GNOME Shell's connection when it holds the extension's name, else empty.
    const QString& helperAddress() const { return helper_; }

    bool isAnswering() const override;
    std::optional<QJsonValue> request(Request request, const QJsonValue& argument,
                                      std::chrono::milliseconds timeout) override;
    void requestAsync(Request request, const QJsonValue& argument,
                      std::chrono::milliseconds timeout, Answered answered) override;
    // Installs the extension and switches it on; what the user must still do (log in again)
    // goes to standard error.
    void requestAccess() override;
    // While the extension does not answer: why, from what the Shell says of it and who holds the
    // names, and what the user can do; empty while it answers.
    QString advice() const;
    // Another program holds Plimsett's name or the extension's: which, and what to do; else empty.
    QString conflict() const;

private slots:
    void shellMonitorsChanged();
    void shellWorkAreasChanged();
    void shellWindowsChanged(const QString& events);

private:
    struct QueuedMove {
        QJsonValue argument;
        std::chrono::milliseconds timeout;
        Answered answered;
    };

    // Takes Plimsett's name when it is free; true while this connection owns it.
    bool claimProgramName() const;
    // Reads who holds the names again, and reports access lost or returned.
    void ownersChanged();
    QString ownerOf(const QString& name) const;
    QDBusMessage callMessage(Request request, const QJsonValue& argument) const;
    void sendMove(QueuedMove move);
    // The JSON that a reply carries; nothing for an error or anything else.
    static std::optional<QJsonValue> jsonReply(const QDBusMessage& reply);

    QDBusConnection connection_;
    QDBusServiceWatcher* watcher_ = nullptr;
    // Worked out again whenever a name changes hands; mutable since questions may claim the name.
    mutable bool ownsName_ = false;
    mutable bool claimedName_ = false;
    mutable QString helper_;
    mutable bool usable_ = false;
    bool moving_ = false;
    std::optional<QDBusPendingCall> movingCall_;
    std::deque<QueuedMove> queuedMoves_;
};

} // namespace plimsett
