#pragma once

#include "engine/WindowSystem.h"
#include "platform/DesktopEntryCatalog.h"
#include "platform/kwin/KWinScriptChannel.h"

#include <QJsonArray>
#include <QJsonValue>

#include <chrono>
#include <cstdint>
#include <memory>

namespace plimsett {

// The windows of a Plasma Wayland session, read and moved by Plimsett's KWin script.
//
// An application is the set of normal windows of one process with one resource class (the
// Wayland app id, or WM_CLASS for X11 windows); the class is its bundle identifier, the Name of
// its desktop entry (else the class) its name. Applications come in the order of their first
// window in KWin's list, and each one's windows in that order, numbered from 0.
class KWinWindowSystem : public WindowSystem {
public:
    static constexpr std::chrono::milliseconds listingTimeout{2000};
    // The script answers a pass once every window shows its frame, or after 600 ms.
    static constexpr std::chrono::milliseconds moveTimeout{2000};

    explicit KWinWindowSystem(std::shared_ptr<KWinScriptChannel> channel);

    bool isTrusted() const override;
    std::vector<LiveWindow> windows() override;
    bool move(const LiveWindow& window, const Rect& frame) override;
    // One request for the whole pass and one bounded wait for its answer. A window is answered
    // true when it exists and shows its frame within 2 points (or, asked to be maximised, is
    // maximised that way with its centre inside the frame).
    std::vector<bool> moveAll(const std::vector<WindowMove>& moves) override;
    // The same request, answered when the script's answer comes: the main thread goes on
    // meanwhile.
    void moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) override;

    // The listing in the script's reply: empty unless it is an array of complete window
    // records. Windows of `ownPid` are left out.
    static std::vector<LiveWindow> listing(const QJsonValue& reply, std::int64_t ownPid,
                                           const DesktopEntryCatalog& entries);
    // The answers in the script's reply to a pass of `count` windows: all false unless it is an
    // array of that many {"exists", "placed"} records.
    static std::vector<bool> answers(const std::optional<QJsonValue>& reply, std::size_t count);

private:
    // The moves the script can be asked for, and for each its place in `moves`.
    static QJsonArray request(const std::vector<WindowMove>& moves,
                              std::vector<std::size_t>& sentIndex);
    // `answered` (one per sent move) spread over a pass of `count` moves.
    static std::vector<bool> spread(const std::vector<bool>& answered,
                                    const std::vector<std::size_t>& sentIndex, std::size_t count);

    std::shared_ptr<KWinScriptChannel> channel_;
    DesktopEntryCatalog desktopEntries_;
    std::int64_t ownPid_;
};

} // namespace plimsett
