#include "platform/linux/WindowEventThrottle.h"

#include <vector>

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
        window.held.reset();
        deliver_(event);
        return;
    }
    // A held change keeps the last frame any report gave.
    WindowEvent held = event;
    if (!held.frame && window.held) {
        held.frame = window.held->frame;
    }
    window.held = std::move(held);
    if (!timer_.isActive()) {
        timer_.start(std::chrono::duration_cast<std::chrono::milliseconds>(window.lastReport +
                                                                           interval_ - now));
    }
}

void WindowEventThrottle::flush() {
    std::vector<WindowEvent> due;
    const auto now = std::chrono::steady_clock::now();
    for (auto& [key, window] : windows_) {
        if (window.held) {
            due.push_back(std::move(*window.held));
            window.held.reset();
            window.lastReport = now;
        }
    }
    for (const WindowEvent& event : due) {
        deliver_(event);
    }
}

void WindowEventThrottle::forget(const std::string& windowKey) {
    const auto it = windows_.find(windowKey);
    if (it == windows_.end()) {
        return;
    }
    std::optional<WindowEvent> held = std::move(it->second.held);
    windows_.erase(it);
    if (held) {
        deliver_(*held);
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
    std::vector<WindowEvent> due;
    for (auto& [key, window] : windows_) {
        if (!window.held) {
            continue;
        }
        const auto age = now - window.lastReport;
        if (age >= interval_) {
            due.push_back(std::move(*window.held));
            window.held.reset();
            window.lastReport = now;
        } else {
            waiting = true;
            next = std::min(next, interval_ - age);
        }
    }
    for (const WindowEvent& event : due) {
        deliver_(event);
    }
    if (waiting && !timer_.isActive()) {
        timer_.start(std::chrono::duration_cast<std::chrono::milliseconds>(next) +
                     std::chrono::milliseconds(1));
    }
}

} // namespace plimsett
