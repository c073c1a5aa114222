#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>

class QTimer;

namespace plimsett {

// The object on the session bus that Plimsett's KWin script talks to. The script cannot be
// called, so it asks: it calls poll(), which is answered (late) with the requests waiting for it,
// and sends each result back with reply(). Between requests a poll is answered with an empty list
// after `idleReply`, so that no call of the script ever runs into its D-Bus timeout.
//
// It lives on a thread of its own so that the script's calls are taken while the main thread
// waits for a result. post(), waitFor() and the state queries are safe from any thread; the slots
// run on the endpoint's thread. Calls from anyone but the expected sender are refused.
class KWinChannelEndpoint : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.plimsett.KWinChannel")

public:
    static constexpr std::chrono::milliseconds idleReply{10000};

    explicit KWinChannelEndpoint(QDBusConnection bus);

    // Only calls from this unique bus name are taken (KWin's); empty: none.
    void setExpectedSender(const QString& uniqueName);
    // Queues a request ({"op": ..., ...}) for the script and hands it over at once when the
    // script is waiting. Returns its id, for waitFor().
    std::int64_t post(QJsonObject request);
    // The result of request `id`, waiting until `deadline`; nothing when none came in time. The
    // request is forgotten either way (a late result is dropped); without a result the script
    // counts as not answering until it calls again.
    std::optional<QJsonValue> waitFor(std::int64_t id,
                                      std::chrono::steady_clock::time_point deadline);
    // Waits until the script has called at least once since the last reset(), until `deadline`.
    bool waitForContact(std::chrono::steady_clock::time_point deadline);
    // Tells a waiting script to end its loop, and forgets every request.
    void reset();
    // True while the script waits in poll() or called within the last idle period and a margin.
    bool isAnswering() const;

public slots:
    // Called by the script: answered with {"requests": [...]} or {"quit": true}.
    QString poll();
    // Called by the script with {"id": N, "result": ...}.
    void reply(const QString& json);
    // Called by the script when the monitors ("monitors") or work areas ("workAreas") changed.
    void changed(const QString& what);
    // Called by the script with a batch of window events (a JSON array).
    void windows(const QString& events);

signals:
    // A result for request `id` came in; waitFor() now returns it at once.
    void resultArrived(qint64 id);
    void monitorsChanged();
    void workAreasChanged();
    void windowsReported(const QString& events);

private:
    bool fromExpectedSender();
    // With mutex_ held: answers the waiting poll with `body`.
    void answerLocked(const QJsonObject& body);
    void answerIdle();

    QDBusConnection bus_;
    QTimer* idleTimer_;

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    QString expectedSender_;
    std::optional<QDBusMessage> waitingPoll_;
    std::deque<QJsonObject> queue_;
    std::set<std::int64_t> awaited_;
    std::map<std::int64_t, QJsonValue> results_;
    std::int64_t nextID_ = 1;
    bool contacted_ = false;
    std::optional<std::chrono::steady_clock::time_point> lastContact_;
};

} // namespace plimsett
