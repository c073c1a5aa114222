#pragma once

#include "engine/WindowEvent.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <string>

namespace plimsett {

// Passes a desktop's window events on at most once per window every `interval`: a window that
// appears or goes is reported at once; a change is reported at once when the window's last report
// is older than the interval, else once at the end of it, however many changes came meanwhile (a
// drag is one report every interval, never one per frame). Runs on the main thread.
class WindowEventThrottle : public QObject {
    Q_OBJECT

public:
    using Deliver = std::function<void(const WindowEvent&)>;
    static constexpr std::chrono::milliseconds defaultInterval{250};

    explicit WindowEventThrottle(Deliver deliver,
                                 std::chrono::milliseconds interval = defaultInterval);

    void report(const WindowEvent& event);
    // Forgets what waits; nothing more is delivered until the next report.
    void clear();

private:
    void deliverDue();

    struct Window {
        std::chrono::steady_clock::time_point lastReport;
        bool pending = false;
    };

    Deliver deliver_;
    std::chrono::milliseconds interval_;
    std::map<std::string, Window> windows_;
    QTimer timer_;
};

} // namespace plimsett
