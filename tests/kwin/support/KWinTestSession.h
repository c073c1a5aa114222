#pragma once

#include "tests/x11/support/ChildProcess.h"
#include "tests/x11/support/PrivateSystemBus.h"

#include <QDBusConnection>
#include <QString>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plimsett::testing {

// A Plasma compositor of the test's own: a session bus (a dbus-daemon) and kwin_wayland (or a copy
// of it without its file capabilities, which a container may refuse to run) with two virtual
// outputs, Virtual-0 and Virtual-1, 1280 x 800 side by side, composited in software
// (QPainter), in a private runtime directory. Everything stops, and the directory goes, when the
// session is destroyed.
class KWinTestSession {
public:
    KWinTestSession();
    ~KWinTestSession();
    KWinTestSession(const KWinTestSession&) = delete;
    KWinTestSession& operator=(const KWinTestSession&) = delete;

    const std::filesystem::path& directory() const { return directory_; }
    const std::string& busAddress() const { return bus_->address(); }
    // The test's own connection to the session bus.
    QDBusConnection bus() const;
    // XDG_RUNTIME_DIR, HOME, the session bus and the Wayland display, for the programs the test
    // starts.
    std::map<std::string, std::string> environment() const;

    // Starts a Wayland client showing one window per title, `size` like "400x300", and waits until
    // they are on screen.
    std::unique_ptr<ChildProcess> startClient(const std::string& appID, const std::string& size,
                                              const std::vector<std::string>& titles);
    // Switches an output off or on with kscreen-doctor; true when it succeeded.
    bool setOutputEnabled(const std::string& output, bool enabled);
    // kscreen-doctor's settings, such as "output.Virtual-0.scale.2"; true when it took them.
    bool configureOutputs(const std::vector<std::string>& settings);
    // Whether KWin has a script of that plugin name loaded.
    bool isScriptLoaded(const QString& pluginName) const;

private:
    std::filesystem::path directory_;
    std::string socket_;
    std::unique_ptr<PrivateSystemBus> bus_;
    std::unique_ptr<ChildProcess> kwin_;
    QString connectionName_;
};

} // namespace plimsett::testing
