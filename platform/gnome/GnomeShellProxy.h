#pragma once

#include <QDBusConnection>
#include <QJsonArray>
#include <QString>
#include <QVariantList>

#include <chrono>
#include <functional>
#include <optional>

namespace plimsett {

// The client side of Plimsett's Shell extension: its calls on the session bus, each with a
// bounded wait. Lists and moves travel as JSON texts, which keeps the interface small on both
// sides. Every call answers nothing when the extension does not answer in time.
class GnomeShellProxy {
public:
    static constexpr const char* busName = "tamblin_engineering.Plimsett.Shell";
    static constexpr const char* objectPath = "/tamblin_engineering/Plimsett/Shell";
    static constexpr const char* interfaceName = "tamblin_engineering.Plimsett.Shell1";

    // How long a question may take; a batch of moves waits longer, since the extension answers
    // it only once the windows have their frames (or after its own 1.5 seconds).
    static constexpr std::chrono::milliseconds pingTimeout{500};
    static constexpr std::chrono::milliseconds listTimeout{2000};
    static constexpr std::chrono::milliseconds moveTimeout{4000};

    explicit GnomeShellProxy(QDBusConnection connection = QDBusConnection::sessionBus());

    // True when the extension runs and answers; asked afresh every time.
    bool answers() const;
    std::optional<QJsonArray> listWindows() const;
    std::optional<QJsonArray> listMonitors() const;
    // One answer per move, in the order of `moves`.
    std::optional<QJsonArray> moveWindows(const QJsonArray& moves) const;
    // The same without waiting: `answered` gets the answers (or nothing) later, on this thread.
    using Answered = std::function<void(std::optional<QJsonArray>)>;
    void moveWindowsAsync(const QJsonArray& moves, Answered answered) const;

    const QDBusConnection& connection() const { return connection_; }

private:
    QDBusMessage jsonCallMessage(const QString& method, const QVariantList& arguments) const;
    // The JSON array that a reply carries; nothing for an error or anything else.
    static std::optional<QJsonArray> jsonReply(const QDBusMessage& reply);
    std::optional<QJsonArray> jsonCall(const QString& method, const QVariantList& arguments,
                                       std::chrono::milliseconds timeout) const;

    QDBusConnection connection_;
};

} // namespace plimsett
