#include "platform/kwin/KWinChannelEndpoint.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>

namespace plimsett {
namespace {

// A script that answered a poll calls again at once; one silent for longer than an idle period
// and this margin is taken for gone.
constexpr std::chrono::milliseconds silenceMargin{5000};

} // namespace

KWinChannelEndpoint::KWinChannelEndpoint(QDBusConnection bus)
    : bus_(std::move(bus)), idleTimer_(new QTimer(this)) {
    idleTimer_->setSingleShot(true);
    idleTimer_->setInterval(idleReply);
    connect(idleTimer_, &QTimer::timeout, this, &KWinChannelEndpoint::answerIdle);
}

void KWinChannelEndpoint::setExpectedSender(const QString& uniqueName) {
    std::lock_guard lock(mutex_);
    expectedSender_ = uniqueName;
}

std::int64_t KWinChannelEndpoint::post(QJsonObject request) {
    std::lock_guard lock(mutex_);
    const std::int64_t id = nextID_++;
    request.insert(QStringLiteral("id"), static_cast<qint64>(id));
    awaited_.insert(id);
    queue_.push_back(std::move(request));
    if (waitingPoll_) {
        QJsonArray requests;
        for (const QJsonObject& r : queue_) {
            requests.append(r);
        }
        queue_.clear();
        answerLocked(QJsonObject{{QStringLiteral("requests"), requests}});
    }
    return id;
}

std::optional<QJsonValue>
KWinChannelEndpoint::waitFor(std::int64_t id, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    arrived_.wait_until(lock, deadline, [&] { return results_.count(id) != 0; });
    std::optional<QJsonValue> result;
    if (const auto found = results_.find(id); found != results_.end()) {
        result = found->second;
        results_.erase(found);
    }
    awaited_.erase(id);
    if (!result) {
        // Taken for gone until it calls again.
        lastContact_.reset();
    }
    // Never sent: the script should not do it later.
    std::erase_if(queue_, [id](const QJsonObject& r) {
        return r.value(QStringLiteral("id")).toInteger() == id;
    });
    return result;
}

bool KWinChannelEndpoint::waitForContact(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_until(lock, deadline, [&] { return contacted_; });
}

void KWinChannelEndpoint::reset() {
    std::lock_guard lock(mutex_);
    if (waitingPoll_) {
        answerLocked(QJsonObject{{QStringLiteral("quit"), true}});
    }
    queue_.clear();
    awaited_.clear();
    results_.clear();
    contacted_ = false;
    lastContact_.reset();
}

bool KWinChannelEndpoint::isAnswering() const {
    std::lock_guard lock(mutex_);
    if (waitingPoll_) {
        return true;
    }
    return lastContact_ &&
           std::chrono::steady_clock::now() - *lastContact_ < idleReply + silenceMargin;
}

bool KWinChannelEndpoint::fromExpectedSender() {
    if (!calledFromDBus()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    if (expectedSender_.isEmpty() || message().service() != expectedSender_) {
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Only KWin may call this."));
        return false;
    }
    contacted_ = true;
    lastContact_ = std::chrono::steady_clock::now();
    arrived_.notify_all();
    return true;
}

QString KWinChannelEndpoint::poll() {
    if (!fromExpectedSender()) {
        return {};
    }
    setDelayedReply(true);
    std::lock_guard lock(mutex_);
    // A second loop of the script (after a lost answer) replaces the first.
    if (waitingPoll_) {
        answerLocked(QJsonObject{{QStringLiteral("requests"), QJsonArray()}});
    }
    waitingPoll_ = message();
    if (!queue_.empty()) {
        QJsonArray requests;
        for (const QJsonObject& r : queue_) {
            requests.append(r);
        }
        queue_.clear();
        answerLocked(QJsonObject{{QStringLiteral("requests"), requests}});
    } else {
        idleTimer_->start();
    }
    return {};
}

void KWinChannelEndpoint::reply(const QString& json) {
    if (!fromExpectedSender()) {
        return;
    }
    const QJsonObject body = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonValue id = body.value(QStringLiteral("id"));
    if (!id.isDouble()) {
        return;
    }
    const std::int64_t key = id.toInteger();
    if (const QString refused = body.value(QStringLiteral("error")).toString(); !refused.isEmpty()) {
        QTextStream(stderr) << "plimsett: Plimsett's KWin script refused a request: " << refused
                            << "\n";
    }
    {
        std::lock_guard lock(mutex_);
        if (awaited_.count(key) == 0) {
            return;
        }
        results_[key] = body.value(QStringLiteral("result"));
        arrived_.notify_all();
    }
    emit resultArrived(key);
}

void KWinChannelEndpoint::changed(const QString& what) {
    if (!fromExpectedSender()) {
        return;
    }
    if (what == QLatin1String("monitors")) {
        emit monitorsChanged();
    } else if (what == QLatin1String("workAreas")) {
        emit workAreasChanged();
    }
}

void KWinChannelEndpoint::windows(const QString& events) {
    if (!fromExpectedSender()) {
        return;
    }
    emit windowsReported(events);
}

void KWinChannelEndpoint::answerLocked(const QJsonObject& body) {
    const QString text = QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact));
    bus_.send(waitingPoll_->createReply(text));
    waitingPoll_.reset();
}

void KWinChannelEndpoint::answerIdle() {
    std::lock_guard lock(mutex_);
    if (waitingPoll_) {
        answerLocked(QJsonObject{{QStringLiteral("requests"), QJsonArray()}});
    }
}

} // namespace plimsett
