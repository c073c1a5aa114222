#pragma once

#include "engine/WindowSystem.h"
#include "platform/gnome/GnomeShellProxy.h"

#include <QJsonArray>

#include <memory>

namespace plimsett {

// The windows of other applications in a GNOME Shell session, read and moved by Plimsett's Shell
// extension.
//
// An application is the set of normal windows of one process with one WM_CLASS (on Wayland, the
// client's app id); that class is its bundle identifier, the Shell's name of its desktop entry
// (else the class) its name. Applications come in the order of their first window in the Shell's
// creation order, and each one's windows in that order, numbered from 0. Frames are outer frames
// in the Shell's logical layout, the space of its monitor geometries.
class GnomeWindowSystem : public WindowSystem {
public:
    explicit GnomeWindowSystem(std::shared_ptr<GnomeShellProxy> shell);

    bool isTrusted() const override;
    std::vector<LiveWindow> windows() override;
    // One window through the batch below.
    bool move(const LiveWindow& window, const Rect& frame) override;
    // Hands the whole pass to the Shell in one call, which answers once every window has its
    // frame or after its own bounded wait; a window counts as moved by the rules of WindowMove.
    std::vector<bool> moveAll(const std::vector<WindowMove>& moves) override;
    // The same call, answered when the Shell answers: the main thread goes on meanwhile.
    void moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) override;

    // The windows of a ListWindows answer, as windows() gives them; `ownPid`'s are left out.
    static std::vector<LiveWindow> windowsFrom(const QJsonArray& listing, qint64 ownPid);

private:
    // The moves the Shell can be asked for, and for each its place in `moves`.
    static QJsonArray request(const std::vector<WindowMove>& moves, std::vector<std::size_t>& sent);
    // Each move's answer from the Shell's answers to `requests`.
    static std::vector<bool> results(const std::optional<QJsonArray>& answers,
                                     const QJsonArray& requests,
                                     const std::vector<std::size_t>& sent,
                                     const std::vector<WindowMove>& moves);

    std::shared_ptr<GnomeShellProxy> shell_;
};

} // namespace plimsett
