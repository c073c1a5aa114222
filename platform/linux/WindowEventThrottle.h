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
// drag is one report every interval, never one per frame). A held change carries the latest frame
// reported. Runs on the main thread.
//
// It remembers only windows it was told of and has not been told to forget, so a desktop that
// forgets its windows when they go keeps it bounded.
class WindowEventThrottle : public QObject {
    Q_OBJECT

public:
    using Deliver = std::function<void(const WindowEvent&)>;
    static constexpr std::chrono::milliseconds defaultInterval{250};

    explicit WindowEventThrottle(Deliver deliver,
                                 std::chrono::milliseconds interval = defaultInterval);

    void report(const WindowEvent& event);
    // Delivers every held change now: called before a display change is delivered, so that what
    // the desktop reported before the change reaches the controller before the change does.
    void flush();
    // Delivers what is held for the window, then forgets it (it was destroyed or hidden).
    void forget(const std::string& windowKey);
    // Forgets what waits; nothing more is delivered until the next report.
    void clear();

    std::size_t rememberedWindows() const { return windows_.size(); }

private:
    void deliverDue();

    struct Window {
        std::chrono::steady_clock::time_point lastReport;
        // The latest change not yet delivered.
        std::optional<WindowEvent> held;
    };

    Deliver deliver_;
    std::chrono::milliseconds interval_;
    std::map<std::string, Window> windows_;
    QTimer timer_;
};

} // namespace plimsett
