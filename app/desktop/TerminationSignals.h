#pragma once

#include <QObject>

class QSocketNotifier;

namespace plimsett {

// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit of the event loop, so that a session
// ending or a `kill` goes through the same termination as the menu's Quit.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signal);

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace plimsett
