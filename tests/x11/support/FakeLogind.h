#pragma once

#include "tests/x11/support/ChildProcess.h"

#include <memory>
#include <string>

namespace plimsett::testing {

// plimsett_fake_logind on a bus: owns org.freedesktop.login1 (or, as an impostor, nothing) and
// sends PrepareForSleep on command.
class FakeLogind {
public:
    FakeLogind(const std::string& address, bool impostor = false);

    // Each returns once the bus has routed the signal.
    void sleep();
    void wake();
    // How many inhibitor locks handed out are still held.
    int heldInhibitors();

private:
    std::string command(const std::string& line);

    std::unique_ptr<ChildProcess> process_;
};

} // namespace plimsett::testing
