#pragma once

#include "tests/x11/support/ChildProcess.h"

#include <xcb/xcb.h>

#include <map>
#include <string>

namespace plimsett::testing {

class XTestSession;

// One process of plimsett_test_client on a session: creates and changes windows on command.
class TestClient {
public:
    explicit TestClient(XTestSession& session);

    pid_t pid() const { return process_.pid(); }
    // Sends one command and returns the answer after "ok" (throws on an error answer).
    std::string command(const std::string& line);
    // Creates a window (options as the client takes them; a "title" is given as plain text here)
    // and waits until the window manager manages it, unless `waitManaged` is false.
    xcb_window_t createWindow(std::map<std::string, std::string> options, bool waitManaged = true);
    void destroy(xcb_window_t window);

    static std::string hex(const std::string& bytes);

private:
    XTestSession& session_;
    ChildProcess process_;
};

} // namespace plimsett::testing
