#pragma once

#include "tests/x11/support/ChildProcess.h"
#include "tests/x11/support/TestWindowManager.h"
#include "tests/x11/support/XInspector.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plimsett::testing {

// An X session of its own for one test: Xorg with the dummy driver on a free display number (with
// its log in a temporary directory), DUMMY0 at 1024 x 768 as the primary output, and a window
// manager (openbox unless asked for another).
// Everything is stopped and the directory removed when the session is destroyed, also when the
// test failed; the Xorg log is printed then.
class XTestSession {
public:
    struct Options {
        bool windowManager = true;
        // One of TestWindowManager::names().
        std::string windowManagerName = "openbox";
    };

    XTestSession() : XTestSession(Options{}) {}
    explicit XTestSession(Options options);
    ~XTestSession();
    XTestSession(const XTestSession&) = delete;
    XTestSession& operator=(const XTestSession&) = delete;

    // ":N"
    const std::string& display() const { return display_; }
    const std::filesystem::path& directory() const { return directory_; }
    // DISPLAY and a private HOME and XDG directories, for the programs the test starts.
    std::map<std::string, std::string> environment() const;
    XInspector& inspector() { return *inspector_; }

    // Runs xrandr on this server; true when it succeeded.
    bool xrandr(const std::vector<std::string>& arguments);
    // Switches DUMMYn on at 1024 x 768, `placement` being e.g. {"--right-of", "DUMMY0"}. The
    // first call for an output adds the mode to it, like plugging a monitor in. A monitor
    // insists on its mode: when the window manager, answering the new output, gives it another
    // mode or takes it away, the mode is set again.
    bool plug(int output, const std::vector<std::string>& placement);
    bool unplug(int output);

    void startWindowManager();
    void stopWindowManager();

private:
    std::filesystem::path directory_;
    std::string display_;
    std::unique_ptr<ChildProcess> server_;
    std::string windowManagerName_;
    std::unique_ptr<TestWindowManager> windowManager_;
    std::unique_ptr<XInspector> inspector_;
    std::vector<int> modesAdded_;
};

} // namespace plimsett::testing
