#pragma once

#include <QJsonValue>
#include <QObject>
#include <QRectF>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace plimsett {

// The way to Plimsett's helper inside a Wayland compositor: requests that carry JSON and get JSON
// back, and the helper's change events (platform/wayland/README.md has the records). A transport
// per desktop implements it; the window system, display provider, event monitor and access
// permission of the Wayland backend need nothing else.
//
// Create and use it on the main thread; the signals arrive there.
class HelperChannel : public QObject {
    Q_OBJECT

public:
    // `expect` hands the helper the openings (where windows that open should go); its answer
    // carries nothing.
    enum class Request { windows, monitors, move, expect };
    using Answered = std::function<void(std::optional<QJsonValue>)>;

    ~HelperChannel() override = default;

    // The helper runs and answers now.
    virtual bool isAnswering() const = 0;
    // `argument` is the request's JSON (the moves for `move`); the helper's answer, or nothing
    // when it did not answer within `timeout` or answered with an error.
    virtual std::optional<QJsonValue> request(Request request, const QJsonValue& argument,
                                              std::chrono::milliseconds timeout) = 0;
    // The same without waiting: `answered` gets the answer (or nothing) later on the main thread,
    // exactly once, unless the channel goes away first.
    virtual void requestAsync(Request request, const QJsonValue& argument,
                              std::chrono::milliseconds timeout, Answered answered) = 0;
    // Does what can be done so that the helper runs (install it, load it again); what the user
    // must still do goes to standard error.
    virtual void requestAccess() = 0;

signals:
    void monitorsChanged();
    void workAreasChanged();
    // One window appeared, changed or went (WindowEvent::Kind as a number), with the frame the
    // helper read when it changed, when it sent one (else `frame` is not valid).
    void windowChanged(int kind, const QString& id, const QRectF& frame);
    // The helper stopped being reachable (switched off, its compositor restarted, its name taken
    // by someone else), and became reachable again. What happened in between was not seen.
    void accessLost();
    void accessReturned();

protected:
    // Emits windowChanged() for every well-formed record of a batch of window events (an array
    // of {"id", "change", optionally "frame"}); anything else in it is passed over, and so is a
    // frame that is not one.
    void reportWindowEvents(const QByteArray& json);
};

} // namespace plimsett
