#include "platform/gnome/GnomeShellChannel.h"

#include "platform/gnome/GnomeExtensionInstaller.h"
#include "platform/gnome/GnomeExtensionState.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QHash>
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

// How many channels on each connection have claimed Plimsett's name: it is given up when the
// last of them goes (tests make several; the program one).
QHash<QString, int>& claims() {
    static QHash<QString, int> counts;
    return counts;
}

// Who runs behind a bus connection, for the user: "pid 123, /usr/bin/something".
QString processOf(const QDBusConnection& bus, const QString& name) {
    const QDBusReply<uint> pid = bus.interface()->servicePid(name);
    if (!pid.isValid()) {
        return name;
    }
    const QString program =
        QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid.value())).symLinkTarget();
    return program.isEmpty() ? QStringLiteral("pid %1").arg(pid.value())
                             : QStringLiteral("pid %1, %2").arg(pid.value()).arg(program);
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
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
    watcher_->addWatchedService(QString::fromLatin1(shellBusName));
    watcher_->addWatchedService(QString::fromLatin1(programBusName));
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &GnomeShellChannel::ownersChanged);
    // Nothing listens yet, so what it reports goes nowhere.
    ownersChanged();
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
    if (claimedName_ && --claims()[connection_.name()] == 0) {
        connection_.interface()->unregisterService(QString::fromLatin1(programBusName));
    }
}

bool GnomeShellChannel::claimProgramName() const {
    if (!connection_.isConnected()) {
        return false;
    }
    if (!claimedName_) {
        // Not queued: while another process holds the name, Plimsett says so and tries again
        // later rather than waiting in line unseen.
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            connection_.interface()->registerService(QString::fromLatin1(programBusName),
                                                     QDBusConnectionInterface::DontQueueService,
                                                     QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            claimedName_ = true;
            ++claims()[connection_.name()];
        }
    }
    ownsName_ = claimedName_ &&
                ownerOf(QString::fromLatin1(programBusName)) == connection_.baseService();
    return ownsName_;
}

QString GnomeShellChannel::ownerOf(const QString& name) const {
    const QDBusReply<QString> owner = connection_.interface()->serviceOwner(name);
    return owner.isValid() ? owner.value() : QString();
}

void GnomeShellChannel::ownersChanged() {
    claimProgramName();
    const QString shell = ownerOf(QString::fromLatin1(shellBusName));
    const QString helper = ownerOf(QString::fromLatin1(busName));
    helper_ = !helper.isEmpty() && helper == shell ? helper : QString();
    const bool usable = ownsName_ && !helper_.isEmpty();
    if (usable == usable_) {
        return;
    }
    usable_ = usable;
    if (usable) {
        emit accessReturned();
    } else {
        emit accessLost();
    }
}

void GnomeShellChannel::shellMonitorsChanged() {
    if (usable_) {
        emit monitorsChanged();
    }
}

void GnomeShellChannel::shellWorkAreasChanged() {
    if (usable_) {
        emit workAreasChanged();
    }
}

void GnomeShellChannel::shellWindowsChanged(const QString& events) {
    if (usable_) {
        reportWindowEvents(events.toUtf8());
    }
}

bool GnomeShellChannel::isAnswering() const {
    if (!connection_.isConnected()) {
        return false;
    }
    auto* self = const_cast<GnomeShellChannel*>(this);
    // The names may have changed hands before their notice has come: asked again whenever the
    // answer would be no.
    if (!usable_) {
        self->ownersChanged();
    }
    const auto ping = [&] {
        const QDBusMessage call = QDBusMessage::createMethodCall(
            helper_, objectPath, interfaceName, QStringLiteral("GetVersion"));
        const QDBusMessage reply =
            connection_.call(call, QDBus::Block, static_cast<int>(pingTimeout.count()));
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
    };
    if (usable_ && ping()) {
        return true;
    }
    self->ownersChanged();
    return usable_ && ping();
}

QDBusMessage GnomeShellChannel::callMessage(Request request, const QJsonValue& argument) const {
    QDBusMessage call =
        QDBusMessage::createMethodCall(helper_, objectPath, interfaceName, methodOf(request));
    // The moves and the openings travel as one JSON text; the questions carry nothing.
    if (request == Request::move || request == Request::expect) {
        call << QString::fromUtf8(QJsonDocument(argument.toArray()).toJson(QJsonDocument::Compact));
    }
    return call;
}

std::optional<QJsonValue> GnomeShellChannel::request(Request request, const QJsonValue& argument,
                                                     std::chrono::milliseconds timeout) {
    if (!usable_) {
        return std::nullopt;
    }
    // A batch of moves waits for the one under way.
    if (request == Request::move && moving_ && movingCall_) {
        movingCall_->waitForFinished();
    }
    return jsonReply(connection_.call(callMessage(request, argument), QDBus::Block,
                                      static_cast<int>(timeout.count())));
}

void GnomeShellChannel::requestAsync(Request request, const QJsonValue& argument,
                                     std::chrono::milliseconds timeout, Answered answered) {
    if (!usable_) {
        answered(std::nullopt);
        return;
    }
    if (request == Request::move) {
        QueuedMove move{argument, timeout, std::move(answered)};
        if (moving_) {
            queuedMoves_.push_back(std::move(move));
        } else {
            sendMove(std::move(move));
        }
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

void GnomeShellChannel::sendMove(QueuedMove move) {
    if (!usable_) {
        move.answered(std::nullopt);
        return;
    }
    moving_ = true;
    movingCall_ = connection_.asyncCall(callMessage(Request::move, move.argument),
                                        static_cast<int>(move.timeout.count()));
    auto* watcher = new QDBusPendingCallWatcher(*movingCall_, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, answered = std::move(move.answered)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                moving_ = false;
                answered(jsonReply(finished->reply()));
                if (!moving_ && !queuedMoves_.empty()) {
                    QueuedMove next = std::move(queuedMoves_.front());
                    queuedMoves_.pop_front();
                    sendMove(std::move(next));
                }
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
    if (const QString other = conflict(); !other.isEmpty()) {
        return other;
    }
    const GnomeExtensionState state = GnomeExtensionState::read(connection_);
    if (state.kind == GnomeExtensionState::Kind::on) {
        return QStringLiteral("GNOME Shell runs Plimsett's extension, but the extension does not "
                              "answer Plimsett. Log out and back in to start it afresh.");
    }
    if (state.kind == GnomeExtensionState::Kind::switchedOff &&
        GnomeExtensionInstaller::userExtensionsSwitchedOff()) {
        return QStringLiteral("GNOME runs no extensions of yours, Plimsett's included: user "
                              "extensions are switched off. Switch them on in the Extensions app "
                              "(or run `gsettings set org.gnome.shell disable-user-extensions "
                              "false`).");
    }
    return state.advice();
}

QString GnomeShellChannel::conflict() const {
    if (!connection_.isConnected()) {
        return {};
    }
    if (!claimProgramName()) {
        return QStringLiteral("Another program (%1) holds Plimsett's name on the session bus "
                              "(%2), and Plimsett's GNOME Shell extension answers only that "
                              "name's owner, so Plimsett reads no windows. Quit that program; "
                              "Plimsett takes its name as soon as it is free.")
            .arg(processOf(connection_, QString::fromLatin1(programBusName)),
                 QString::fromLatin1(programBusName));
    }
    const QString helper = ownerOf(QString::fromLatin1(busName));
    if (!helper.isEmpty() && helper != ownerOf(QString::fromLatin1(shellBusName))) {
        return QStringLiteral("Another program (%1) holds the bus name of Plimsett's GNOME Shell "
                              "extension (%2), so Plimsett does not talk to it: Plimsett talks "
                              "only to GNOME Shell. Quit that program, then switch the extension "
                              "off and on in the Extensions app.")
            .arg(processOf(connection_, QString::fromLatin1(busName)), QString::fromLatin1(busName));
    }
    return {};
}

std::optional<QJsonValue> GnomeShellChannel::jsonReply(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName().startsWith(QLatin1String("tamblin_engineering.Plimsett.Shell1.Error."))) {
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
