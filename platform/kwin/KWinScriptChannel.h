#pragma once

#include "platform/wayland/HelperChannel.h"

#include <QDBusConnection>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QThread;

namespace plimsett {

class KWinChannelEndpoint;

// Plimsett's script inside KWin and the way to it. load() writes the script (shipped inside the
// program) to a private file, has KWin load and run it through org.kde.KWin /Scripting under the
// plugin name "plimsett" (unloading a copy left behind by an earlier run first, so that it never
// runs twice) and waits a bounded time for its first call; unload() ends it, and so does
// destruction. request() hands the script one request and waits a bounded time for the answer:
// the script's calls are taken on a thread of their own, so the main thread is blocked only for
// the round trip and never longer than the timeout.
//
// Create and use it on the main thread. The change signals arrive there.
class KWinScriptChannel : public HelperChannel {
    Q_OBJECT

public:
    static constexpr const char* pluginName = "plimsett";
    static constexpr const char* objectPath = "/org/plimsett/KWinChannel";
    static constexpr std::chrono::milliseconds callTimeout{3000};
    static constexpr std::chrono::milliseconds firstContactTimeout{5000};

    // `bus` is the session bus of the KWin to talk to.
    explicit KWinScriptChannel(QDBusConnection bus);
    ~KWinScriptChannel() override;

    // Loads the script; true when it runs and has called. Otherwise problem() says why.
    bool load();
    // Ends the script and unloads it from KWin; does nothing when it is not loaded.
    void unload();
    bool isLoaded() const { return loaded_; }
    // Loaded, and the script keeps calling.
    bool isAnswering() const override;
    // Why the last load() failed; empty after a load that worked.
    const std::string& problem() const { return problem_; }
    // While the script does not answer: what the user can do about it, after the problem (or,
    // when a script that ran has stopped answering, that too); empty while it answers.
    std::string advice() const;

    // Sends the script {"op": ..., "moves": argument} and returns its result; nothing when the
    // script is not answering or no answer came within `timeout`.
    std::optional<QJsonValue> request(Request request, const QJsonValue& argument,
                                      std::chrono::milliseconds timeout) override;
    void requestAsync(Request request, const QJsonValue& argument,
                      std::chrono::milliseconds timeout, Answered answered) override;
    // Loads the script again when it is not answering (KWin restarted, or scripting was switched
    // on since).
    void requestAccess() override;

    // The script text as the program ships it, and as written for a connection with the given
    // unique bus name.
    static QString scriptSource();
    static QString scriptFor(const QString& service);

private:
    bool fail(std::string problem, std::string advice);
    // Queues the request for the script's next poll; its number.
    std::int64_t post(Request request, const QJsonValue& argument);
    // The number KWin gave the loaded script, or the reason it gave none.
    std::optional<int> loadScriptFile(const QString& path, std::string& problem);
    void runScript(int id);
    void removeScriptFile();
    // Hands a waiting requestAsync() its result, or nothing; once.
    void finishPending(std::int64_t id);

    QDBusConnection bus_;
    std::unique_ptr<QThread> thread_;
    KWinChannelEndpoint* endpoint_;
    bool registered_ = false;
    bool loaded_ = false;
    QString scriptFile_;
    std::string problem_;
    std::string advice_;
    std::map<std::int64_t, Answered> pending_;
};

} // namespace plimsett
