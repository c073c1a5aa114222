#pragma once

#include "engine/WindowSystem.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "platform/wayland/HelperChannel.h"

#include <QJsonArray>
#include <QJsonValue>

#include <chrono>
#include <cstdint>
#include <memory>

namespace plimsett {

// The windows of a Wayland session, read and moved by Plimsett's helper inside the compositor.
// Applications are grouped as on every Linux desktop (ApplicationGrouping); frames are outer
// frames in the compositor's logical layout.
class WaylandWindowSystem : public WindowSystem {
public:
    static constexpr std::chrono::milliseconds listingTimeout{2000};
    // The helpers answer a pass once every window has its frame or after their own bounded wait
    // (GNOME Shell 1.5 s, KWin 0.6 s).
    static constexpr std::chrono::milliseconds moveTimeout{4000};

    explicit WaylandWindowSystem(std::shared_ptr<HelperChannel> channel);

    bool isTrusted() const override;
    std::vector<LiveWindow> windows() override;
    // One window through the batch below.
    bool move(const LiveWindow& window, const Rect& frame) override;
    // One request for the whole pass and one bounded wait for its answer. A window is answered
    // true when it exists and has its frame within the frame tolerance (or, asked to be
    // maximised, is maximised that way with its centre inside the frame).
    std::vector<bool> moveAll(const std::vector<WindowMove>& moves) override;
    // The same request, answered when the helper answers: the main thread goes on meanwhile.
    void moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) override;
    // Hands the helper the openings, without waiting: it puts a window that appears with the
    // application and title of exactly one of them on its frame before the window is first
    // shown.
    void expectOpenings(const std::vector<Opening>& openings) override;
    bool placesOpenings() const override { return true; }

    // The windows of a `windows` answer, as windows() gives them: empty unless it is an array of
    // complete window records. Windows of `ownPid` are left out.
    static std::vector<LiveWindow> listing(const QJsonValue& reply, std::int64_t ownPid,
                                           const DesktopEntryCatalog& entries);
    // The moves the helper can be asked for (a window of this backend, a sane frame), and for
    // each its place in `moves`.
    static QJsonArray request(const std::vector<WindowMove>& moves, std::vector<std::size_t>& sent);
    // Each move's answer from the helper's answer to `requests`: all false unless it is an array
    // of one record per request, for the same windows.
    static std::vector<bool> results(const std::optional<QJsonValue>& answer,
                                     const QJsonArray& requests,
                                     const std::vector<std::size_t>& sent,
                                     const std::vector<WindowMove>& moves);

private:
    std::shared_ptr<HelperChannel> channel_;
    DesktopEntryCatalog desktopEntries_;
    std::int64_t ownPid_;
};

} // namespace plimsett
