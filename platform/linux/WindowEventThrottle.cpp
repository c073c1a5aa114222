#include "platform/linux/WindowEventThrottle.h"

namespace plimsett {

WindowEventThrottle::WindowEventThrottle(Deliver deliver, std::chrono::milliseconds interval)
    : deliver_(std::move(deliver)), interval_(interval) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &WindowEventThrottle::deliverDue);
}

void WindowEventThrottle::report(const WindowEvent& event) {
    const auto now = std::chrono::steady_clock::now();
    if (event.kind == WindowEvent::Kind::gone) {
        windows_.erase(event.windowKey);
        deliver_(event);
        return;
    }
    auto [it, fresh] = windows_.try_emplace(event.windowKey);
    Window& window = it->second;
    if (event.kind == WindowEvent::Kind::appeared || fresh ||
        now - window.lastReport >= interval_) {
        window.lastReport = now;
        window.pending = false;
        deliver_(event);
        return;
    }
    window.pending = true;
    if (!timer_.isActive()) {
        timer_.start(std::chrono::duration_cast<std::chrono::milliseconds>(window.lastReport +
                                                                           interval_ - now));
    }
}

void WindowEventThrottle::clear() {
    windows_.clear();
    timer_.stop();
}

void WindowEventThrottle::deliverDue() {
    const auto now = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration next = interval_;
    bool waiting = false;
    // Collected first: delivering may report again.
    std::vector<std::string> due;
    for (auto& [key, window] : windows_) {
        if (!window.pending) {
            continue;
        }
        const auto age = now - window.lastReport;
        if (age >= interval_) {
            window.pending = false;
            window.lastReport = now;
            due.push_back(key);
        } else {
            waiting = true;
            next = std::min(next, interval_ - age);
        }
    }
    for (const std::string& key : due) {
        deliver_(WindowEvent{WindowEvent::Kind::changed, key});
    }
    if (waiting && !timer_.isActive()) {
        timer_.start(std::chrono::duration_cast<std::chrono::milliseconds>(next) +
                     std::chrono::milliseconds(1));
    }
}

} // namespace plimsett
