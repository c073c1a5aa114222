#include "platform/kwin/KWinScriptChannel.h"

#include "engine/AtomicFile.h"
#include "platform/kwin/KWinChannelEndpoint.h"
#include "platform/kwin/KWinScriptSource.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace plimsett {
namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString scriptingPath = QStringLiteral("/Scripting");
const QString scriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
const QString scriptInterface = QStringLiteral("org.kde.kwin.Script");

// What to do when a try may work the second time: a new start loads the script anew.
const std::string startAgain = "Start Plimsett again: `plimsett quit`, then `plimsett`.";
const std::string startAgainLower = "then start Plimsett again: `plimsett quit`, then `plimsett`.";

int timeoutMs(std::chrono::milliseconds timeout) {
    return static_cast<int>(timeout.count());
}

bool isMissingScripting(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
           name == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface") ||
           name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod");
}

} // namespace

KWinScriptChannel::KWinScriptChannel(QDBusConnection bus)
    : bus_(std::move(bus)), thread_(std::make_unique<QThread>()),
      endpoint_(new KWinChannelEndpoint(bus_)) {
    thread_->setObjectName(QStringLiteral("plimsett-kwin-channel"));
    endpoint_->moveToThread(thread_.get());
    QObject::connect(thread_.get(), &QThread::finished, endpoint_, &QObject::deleteLater);
    connect(endpoint_, &KWinChannelEndpoint::monitorsChanged, this, &HelperChannel::monitorsChanged,
            Qt::QueuedConnection);
    connect(endpoint_, &KWinChannelEndpoint::workAreasChanged, this,
            &HelperChannel::workAreasChanged, Qt::QueuedConnection);
    connect(
        endpoint_, &KWinChannelEndpoint::windowsReported, this,
        [this](const QString& events) { reportWindowEvents(events.toUtf8()); },
        Qt::QueuedConnection);
    connect(
        endpoint_, &KWinChannelEndpoint::resultArrived, this,
        [this](qint64 id) { finishPending(id); }, Qt::QueuedConnection);
    thread_->start();
    registered_ =
        bus_.isConnected() && bus_.registerObject(QString::fromLatin1(objectPath), endpoint_,
                                                  QDBusConnection::ExportAllSlots);
}

KWinScriptChannel::~KWinScriptChannel() {
    unload();
    if (registered_) {
        bus_.unregisterObject(QString::fromLatin1(objectPath));
    }
    thread_->quit();
    thread_->wait();
}

bool KWinScriptChannel::fail(std::string problem, std::string advice) {
    problem_ = std::move(problem);
    advice_ = std::move(advice);
    return false;
}

std::string KWinScriptChannel::advice() const {
    if (isAnswering()) {
        return {};
    }
    if (problem_.empty()) {
        return "Plimsett's KWin script stopped answering (KWin may have restarted). " + startAgain;
    }
    return advice_;
}

bool KWinScriptChannel::load() {
    if (loaded_ && isAnswering()) {
        return true;
    }
    unload();
    if (!bus_.isConnected()) {
        return fail("There is no session bus, so Plimsett cannot reach KWin.",
                    "Start Plimsett inside your Plasma session.");
    }
    if (!registered_) {
        return fail("Plimsett could not offer its KWin script a way back on the session bus (" +
                    bus_.lastError().message().toStdString() + ").",
                    startAgain);
    }
    const QDBusReply<QString> owner = bus_.interface()->serviceOwner(kwinService);
    if (!owner.isValid() || owner.value().isEmpty()) {
        return fail("KWin is not on the session bus (org.kde.KWin), so Plimsett cannot read or "
                    "move the windows of this session.",
                    "On Plasma, Plimsett reaches the windows through KWin: start it inside a "
                    "Plasma Wayland session, once KWin runs.");
    }
    endpoint_->setExpectedSender(owner.value());

    QDBusMessage isLoaded = QDBusMessage::createMethodCall(kwinService, scriptingPath,
                                                           scriptingInterface, "isScriptLoaded");
    isLoaded << QString::fromLatin1(pluginName);
    const QDBusMessage loadedReply = bus_.call(isLoaded, QDBus::Block, timeoutMs(callTimeout));
    if (loadedReply.type() != QDBusMessage::ReplyMessage) {
        if (isMissingScripting(loadedReply)) {
            return fail("KWin offers no scripting on the session bus (/Scripting): scripting may "
                        "be switched off in this Plasma session.",
                        "Plimsett needs KWin's scripting. KWin's log (`journalctl --user -b`) "
                        "may say why it offers none; " + startAgainLower);
        }
        return fail("KWin did not answer Plimsett (" + loadedReply.errorMessage().toStdString() +
                        ").",
                    startAgain);
    }
    if (!loadedReply.arguments().isEmpty() && loadedReply.arguments().constFirst().toBool()) {
        // Left behind by an earlier run that ended without unloading it.
        QDBusMessage stale = QDBusMessage::createMethodCall(kwinService, scriptingPath,
                                                            scriptingInterface, "unloadScript");
        stale << QString::fromLatin1(pluginName);
        bus_.call(stale, QDBus::Block, timeoutMs(callTimeout));
    }

    // The user's own runtime folder, else a folder of the user's cache that only they may enter:
    // never a shared folder such as /tmp, where another user could plant a file or a link first.
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty()) {
        directory = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                    QStringLiteral("/plimsett");
        if (!AtomicFile::makePrivateDirectory(directory.toStdString())) {
            return fail("Plimsett could not make the folder " + directory.toStdString() +
                            " for its KWin script.",
                        "Make room in your home folder, " + startAgainLower);
        }
    }
    scriptFile_ =
        directory + QStringLiteral("/plimsett-kwin-%1.js").arg(QCoreApplication::applicationPid());
    // Written beside and renamed over the name: a link planted there is replaced, not followed.
    const QByteArray script = scriptFor(bus_.baseService()).toUtf8();
    if (!AtomicFile::write(scriptFile_.toStdString(),
                           std::string_view(script.constData(),
                                            static_cast<std::size_t>(script.size())))) {
        const std::string where = scriptFile_.toStdString();
        scriptFile_.clear();
        return fail("Plimsett could not write its KWin script to " + where + ".",
                    "Make room in the runtime folder ($XDG_RUNTIME_DIR), " + startAgainLower);
    }

    std::string problem;
    const std::optional<int> id = loadScriptFile(scriptFile_, problem);
    if (!id) {
        removeScriptFile();
        return fail(problem, "KWin's log (`journalctl --user -b`) says why it refused the script; " +
                                 startAgainLower);
    }
    loaded_ = true;
    runScript(*id);
    if (!endpoint_->waitForContact(std::chrono::steady_clock::now() + firstContactTimeout)) {
        unload();
        return fail("KWin loaded Plimsett's script, but the script does not answer: scripting "
                    "may be switched off or broken in this Plasma session.",
                    "KWin did not run the script: its log (`journalctl --user -b`) shows the "
                    "script's errors, if any; " + startAgainLower);
    }
    problem_.clear();
    advice_.clear();
    // Loaded again after it was not answering: what happened meanwhile was not seen.
    emit accessReturned();
    return true;
}

std::optional<int> KWinScriptChannel::loadScriptFile(const QString& path, std::string& problem) {
    QDBusMessage call = QDBusMessage::createMethodCall(kwinService, scriptingPath,
                                                       scriptingInterface, "loadScript");
    call << path << QString::fromLatin1(pluginName);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, timeoutMs(callTimeout));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        problem =
            "KWin refused to load Plimsett's script (" + reply.errorMessage().toStdString() + ").";
        return std::nullopt;
    }
    bool ok = false;
    const int id = reply.arguments().constFirst().toInt(&ok);
    if (!ok || id < 0) {
        problem = "KWin refused to load Plimsett's script.";
        return std::nullopt;
    }
    return id;
}

void KWinScriptChannel::runScript(int id) {
    // KWin 6 (and late 5.27) registers a loaded script under /Scripting/ScriptN, earlier
    // releases under /N. Run answers once the script has been evaluated.
    for (const QString& path :
         {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)}) {
        const QDBusMessage run = QDBusMessage::createMethodCall(kwinService, path, scriptInterface,
                                                                QStringLiteral("run"));
        const QDBusMessage reply = bus_.call(run, QDBus::Block, timeoutMs(callTimeout));
        if (reply.type() == QDBusMessage::ReplyMessage || !isMissingScripting(reply)) {
            return;
        }
    }
}

void KWinScriptChannel::unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    endpoint_->reset();
    QDBusMessage call = QDBusMessage::createMethodCall(kwinService, scriptingPath,
                                                       scriptingInterface, "unloadScript");
    call << QString::fromLatin1(pluginName);
    bus_.call(call, QDBus::Block, timeoutMs(callTimeout));
    endpoint_->setExpectedSender(QString());
    removeScriptFile();
}

void KWinScriptChannel::removeScriptFile() {
    if (!scriptFile_.isEmpty()) {
        QFile::remove(scriptFile_);
        scriptFile_.clear();
    }
}

bool KWinScriptChannel::isAnswering() const {
    return loaded_ && endpoint_->isAnswering();
}

std::int64_t KWinScriptChannel::post(Request request, const QJsonValue& argument) {
    QJsonObject body;
    switch (request) {
    case Request::windows:
        body.insert(QStringLiteral("op"), QStringLiteral("windows"));
        break;
    case Request::monitors:
        body.insert(QStringLiteral("op"), QStringLiteral("monitors"));
        break;
    case Request::move:
        body.insert(QStringLiteral("op"), QStringLiteral("move"));
        body.insert(QStringLiteral("moves"), argument);
        break;
    case Request::expect:
        body.insert(QStringLiteral("op"), QStringLiteral("expect"));
        body.insert(QStringLiteral("openings"), argument);
        break;
    }
    return endpoint_->post(std::move(body));
}

std::optional<QJsonValue> KWinScriptChannel::request(Request request, const QJsonValue& argument,
                                                     std::chrono::milliseconds timeout) {
    if (!isAnswering()) {
        return std::nullopt;
    }
    const std::int64_t id = post(request, argument);
    return endpoint_->waitFor(id, std::chrono::steady_clock::now() + timeout);
}

void KWinScriptChannel::requestAccess() {
    if (!isAnswering()) {
        load();
    }
}

QString KWinScriptChannel::scriptSource() {
    return QString::fromUtf8(kwinScriptSource);
}

QString KWinScriptChannel::scriptFor(const QString& service) {
    return QStringLiteral("var plimsettService = \"%1\";\nvar plimsettPath = \"%2\";\n")
               .arg(service, QString::fromLatin1(objectPath)) +
           scriptSource();
}

void KWinScriptChannel::requestAsync(Request request, const QJsonValue& argument,
                                     std::chrono::milliseconds timeout, Answered answered) {
    if (!isAnswering()) {
        // Still later, as promised: the caller may not expect its answer inside this call.
        QTimer::singleShot(0, this, [answered = std::move(answered)] { answered(std::nullopt); });
        return;
    }
    const std::int64_t id = post(request, argument);
    pending_.emplace(id, std::move(answered));
    QTimer::singleShot(timeout, this, [this, id] { finishPending(id); });
}

void KWinScriptChannel::finishPending(std::int64_t id) {
    const auto found = pending_.find(id);
    if (found == pending_.end()) {
        return;
    }
    const Answered answered = std::move(found->second);
    pending_.erase(found);
    // Returns at once: the result is there, or the time is up and the request is dropped.
    answered(endpoint_->waitFor(id, std::chrono::steady_clock::now()));
}

} // namespace plimsett
