#pragma once

#include "platform/wayland/HelperChannel.h"

#include <QDBusConnection>
#include <QString>
#include <QVariantList>

#include <chrono>

class QDBusMessage;
class QDBusServiceWatcher;

namespace plimsett {

// The way to Plimsett's GNOME Shell extension: method calls on its object on the session bus,
// each with a bounded wait, and its signals. The records travel as JSON texts, which keeps the
// interface small on both sides. Only what the extension's bus name sends counts; the extension
// coming onto the bus (switched on, or the Shell restarted) counts as a change of the monitors,
// since the monitors read before it came were none.
class GnomeShellChannel : public HelperChannel {
    Q_OBJECT

public:
    static constexpr const char* busName = "tamblin_engineering.Plimsett.Shell";
    static constexpr const char* objectPath = "/tamblin_engineering/Plimsett/Shell";
    static constexpr const char* interfaceName = "tamblin_engineering.Plimsett.Shell1";
    // The error the extension answers a request it refuses with; its message says why.
    static constexpr const char* refusedError = "tamblin_engineering.Plimsett.Shell1.Error.InvalidArgs";
    static constexpr std::chrono::milliseconds pingTimeout{500};

    explicit GnomeShellChannel(QDBusConnection connection = QDBusConnection::sessionBus());
    ~GnomeShellChannel() override;

    bool isConnected() const { return connection_.isConnected(); }

    bool isAnswering() const override;
    std::optional<QJsonValue> request(Request request, const QJsonValue& argument,
                                      std::chrono::milliseconds timeout) override;
    void requestAsync(Request request, const QJsonValue& argument,
                      std::chrono::milliseconds timeout, Answered answered) override;
    // Installs the extension and switches it on; what the user must still do (log in again)
    // goes to standard error.
    void requestAccess() override;
    // While the extension does not answer: why, from what the Shell says of it, and what the
    // user can do; empty while it answers.
    QString advice() const;

private slots:
    void shellMonitorsChanged();
    void shellWorkAreasChanged();
    void shellWindowsChanged(const QString& events);

private:
    QDBusMessage callMessage(Request request, const QJsonValue& argument) const;
    // The JSON that a reply carries; nothing for an error or anything else.
    static std::optional<QJsonValue> jsonReply(const QDBusMessage& reply);

    QDBusConnection connection_;
    QDBusServiceWatcher* watcher_ = nullptr;
};

} // namespace plimsett
