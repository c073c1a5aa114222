#pragma once

#include "platform/x11/X11WindowSystem.h"
#include "tests/x11/support/TestClient.h"
#include "tests/x11/support/XTestSession.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plimsett::bench {

// What an X11 bench runs on: an X server of its own with openbox (the X test bench's session:
// Xorg with the dummy driver, so it runs as root), the client processes that hold its windows,
// and the window system under test, connected to that server.
class XBenchSession {
public:
    // The main of an X11 bench: reads google-benchmark's flags, starts the session and hands it
    // to `bench`, which opens its windows, registers its benchmarks, runs them and returns the
    // exit status. A set-up that fails (an exception: a server that did not start, a window
    // system that could not connect, windows that are not all there) is reported on standard
    // error, with status 1.
    static int run(int argc, char** argv, const std::function<int(XBenchSession&)>& bench);

    XBenchSession(const XBenchSession&) = delete;
    XBenchSession& operator=(const XBenchSession&) = delete;

    // ":N"
    const std::string& display() const { return session_.display(); }
    // One more client process on the server; it lives as long as the session.
    testing::TestClient& startClient();
    // The window system under test, connected on first use (once the windows are open).
    X11WindowSystem& windowSystem();

private:
    XBenchSession() = default;

    testing::XTestSession session_;
    std::vector<std::unique_ptr<testing::TestClient>> clients_;
    std::unique_ptr<X11WindowSystem> windowSystem_;
};

} // namespace plimsett::bench
