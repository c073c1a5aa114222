#include "platform/gnome/GnomeShellChannel.h"

#include "platform/gnome/GnomeExtensionInstaller.h"
#include "platform/gnome/GnomeExtensionState.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace plimsett {
namespace {

QString methodOf(HelperChannel::Request request) {
    switch (request) {
    case HelperChannel::Request::windows:
        return QStringLiteral("ListWindows");
    case HelperChannel::Request::monitors:
        return QStringLiteral("ListMonitors");
    case HelperChannel::Request::move:
        return QStringLiteral("MoveWindows");
    case HelperChannel::Request::expect:
        return QStringLiteral("ExpectWindows");
    }
    return {};
}

} // namespace

GnomeShellChannel::GnomeShellChannel(QDBusConnection connection)
    : connection_(std::move(connection)) {
    if (!connection_.isConnected()) {
        return;
    }
    const QString service = QString::fromLatin1(busName);
    const QString path = QString::fromLatin1(objectPath);
    const QString interface = QString::fromLatin1(interfaceName);
    connection_.connect(service, path, interface, QStringLiteral("MonitorsChanged"), this,
                        SLOT(shellMonitorsChanged()));
    connection_.connect(service, path, interface, QStringLiteral("WorkAreasChanged"), this,
                        SLOT(shellWorkAreasChanged()));
    connection_.connect(service, path, interface, QStringLiteral("WindowsChanged"), this,
                        SLOT(shellWindowsChanged(QString)));
    watcher_ = new QDBusServiceWatcher(service, connection_,
                                       QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this,
            &HelperChannel::monitorsChanged);
}

GnomeShellChannel::~GnomeShellChannel() {
    if (!connection_.isConnected()) {
        return;
    }
    const QString service = QString::fromLatin1(busName);
    const QString path = QString::fromLatin1(objectPath);
    const QString interface = QString::fromLatin1(interfaceName);
    connection_.disconnect(service, path, interface, QStringLiteral("MonitorsChanged"), this,
                           SLOT(shellMonitorsChanged()));
    connection_.disconnect(service, path, interface, QStringLiteral("WorkAreasChanged"), this,
                           SLOT(shellWorkAreasChanged()));
    connection_.disconnect(service, path, interface, QStringLiteral("WindowsChanged"), this,
                           SLOT(shellWindowsChanged(QString)));
}

void GnomeShellChannel::shellMonitorsChanged() {
    emit monitorsChanged();
}

void GnomeShellChannel::shellWorkAreasChanged() {
    emit workAreasChanged();
}

void GnomeShellChannel::shellWindowsChanged(const QString& events) {
    reportWindowEvents(events.toUtf8());
}

bool GnomeShellChannel::isAnswering() const {
    if (!connection_.isConnected()) {
        return false;
    }
    const QDBusMessage call = QDBusMessage::createMethodCall(busName, objectPath, interfaceName,
                                                             QStringLiteral("GetVersion"));
    const QDBusMessage reply =
        connection_.call(call, QDBus::Block, static_cast<int>(pingTimeout.count()));
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

QDBusMessage GnomeShellChannel::callMessage(Request request, const QJsonValue& argument) const {
    QDBusMessage call =
        QDBusMessage::createMethodCall(busName, objectPath, interfaceName, methodOf(request));
    // The moves and the openings travel as one JSON text; the questions carry nothing.
    if (request == Request::move || request == Request::expect) {
        call << QString::fromUtf8(QJsonDocument(argument.toArray()).toJson(QJsonDocument::Compact));
    }
    return call;
}

std::optional<QJsonValue> GnomeShellChannel::request(Request request, const QJsonValue& argument,
                                                     std::chrono::milliseconds timeout) {
    if (!connection_.isConnected()) {
        return std::nullopt;
    }
    return jsonReply(connection_.call(callMessage(request, argument), QDBus::Block,
                                      static_cast<int>(timeout.count())));
}

void GnomeShellChannel::requestAsync(Request request, const QJsonValue& argument,
                                     std::chrono::milliseconds timeout, Answered answered) {
    if (!connection_.isConnected()) {
        answered(std::nullopt);
        return;
    }
    const QDBusPendingCall call =
        connection_.asyncCall(callMessage(request, argument), static_cast<int>(timeout.count()));
    // The watcher answers once, when the reply, an error or the timeout comes, and goes; it goes
    // with the channel too.
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            [answered = std::move(answered)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                answered(jsonReply(finished->reply()));
            });
}

void GnomeShellChannel::requestAccess() {
    // The first-run window says what comes next; the details go where a user starting Plimsett
    // from a terminal sees them.
    const GnomeExtensionInstaller::Result result = GnomeExtensionInstaller::install();
    QTextStream(stderr) << "plimsett: " << result.message << "\n";
}

QString GnomeShellChannel::advice() const {
    if (!connection_.isConnected() || isAnswering()) {
        return {};
    }
    const GnomeExtensionState state = GnomeExtensionState::read(connection_);
    if (state.kind == GnomeExtensionState::Kind::on) {
        return QStringLiteral("GNOME Shell runs Plimsett's extension, but the extension does not "
                              "answer Plimsett. Log out and back in to start it afresh.");
    }
    return state.advice();
}

std::optional<QJsonValue> GnomeShellChannel::jsonReply(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == QLatin1String(refusedError)) {
        QTextStream(stderr) << "plimsett: the Shell extension refused a request: "
                            << reply.errorMessage() << "\n";
    }
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(reply.arguments().constFirst().toString().toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return std::nullopt;
    }
    return QJsonValue(document.array());
}

} // namespace plimsett
