#pragma once

#include "engine/Rect.h"
#include "tests/x11/support/ChildProcess.h"
#include "tests/x11/support/FakeLogind.h"
#include "tests/x11/support/PrivateSystemBus.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plimsett::testing {

// A headless GNOME Shell of the tests' own, shared by every test of the process: a session bus,
// a stand-in system bus with the fake logind, a private home and XDG folders (settings in a
// GSettings key file), two virtual monitors (Meta-0 1920 x 1080 on the left, primary, and Meta-1
// 1280 x 800 on its right), Plimsett's extension installed with `plimsett install-extension`'s
// own code, and the tests' probe extension.
//
// The process's own environment is pointed at that session, so that the backend under test, the
// program and the clients that the tests start all reach it.
class GnomeShellSession {
public:
    struct Frame {
        std::string title;
        Rect frame;
        bool minimized = false;
        // Its workspace's number, -1 on every workspace.
        int workspace = 0;
    };

    // Started on first use; throws (with the Shell's log) when the Shell or an extension does not
    // come up.
    static GnomeShellSession& shared();
    // Stops the Shell and removes its folders; called at the end of the test program.
    static void shutDown();
    // The installed Shell's major version (`gnome-shell --version`), 0 when unknown.
    static int shellMajorVersion();

    ~GnomeShellSession();

    const std::filesystem::path& directory() const { return directory_; }
    FakeLogind& logind() { return *logind_; }

    // Read through the probe, not through Plimsett's extension: every window's title and frame.
    std::vector<Frame> frames();
    std::optional<Frame> frame(const std::string& title);
    // Where the window of that title (the latest one) was when the Shell first painted it.
    std::optional<Rect> firstFrame(const std::string& title);
    // Takes Meta-1 out of the layout, and puts the saved layout back (temporary configurations).
    bool unplugSecondMonitor();
    bool plugBack();
    // Gives a monitor (Meta-0, Meta-1) a scale its mode offers, the monitors side by side again.
    bool setScale(const std::string& connector, double scale);
    // A bar along the bottom of the left monitor that reserves its space, or none.
    void setBottomBar(bool shown);
    // Whether Plimsett's menu is in the top bar.
    bool indicatorShown();
    // Plimsett's top-bar menu, through the probe: opened as a click does; as shown (JSON: open,
    // items with title, sensitive, separator and checked, and the stage boxes of the menu, the
    // indicator and the primary monitor); an item chosen by its title (false when the menu is
    // closed or has no such sensitive item).
    bool openTopBarMenu();
    std::string topBarMenu();
    bool activateTopBarItem(const std::string& title);
    // The whole stage into a PNG, by the Shell's own screenshot.
    bool screenshot(const std::filesystem::path& file);
    // Puts the window of that title on a frame, through the probe (as a user's drag would).
    bool place(const std::string& title, const Rect& frame);
    // Puts that window on a workspace ("all", or a number), and shows a workspace, as a user does.
    bool toWorkspace(const std::string& title, const std::string& workspace);
    bool activateWorkspace(int index);
    int activeWorkspace();
    // Gives the window of that title the focus, as a click does; the title of the focused
    // window, or "" when none has it.
    bool focus(const std::string& title);
    std::string focused();
    // The screen locked and unlocked as the Shell's lock screen does to the session mode.
    bool lock();
    bool unlock();
    // Plimsett's extension switched on or off as the Extensions app does it.
    bool setExtensionEnabled(bool enabled);

private:
    GnomeShellSession();
    std::string probeCall(const std::string& method, const std::vector<std::string>& arguments);

    std::filesystem::path directory_;
    std::unique_ptr<ChildProcess> sessionBus_;
    std::unique_ptr<PrivateSystemBus> systemBus_;
    std::unique_ptr<FakeLogind> logind_;
    std::unique_ptr<ChildProcess> shell_;
};

// A process of plimsett_wayland_client on the shared Shell, with its own app id.
class WaylandClient {
public:
    explicit WaylandClient(const std::string& appID);

    // Opens a window and waits until the Shell shows it. `mode` is empty, or "dialog-of NAME".
    void open(const std::string& title, int width, int height, const std::string& mode = {});
    void minimize(const std::string& title);
    void maximize(const std::string& title);
    // Closes a window and waits until the Shell no longer has it.
    void close(const std::string& title);
    pid_t pid() const { return process_->pid(); }

private:
    void command(const std::string& line);

    std::unique_ptr<ChildProcess> process_;
};

} // namespace plimsett::testing
