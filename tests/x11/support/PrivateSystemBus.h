#pragma once

#include "tests/x11/support/ChildProcess.h"

#include <filesystem>
#include <memory>
#include <string>

namespace plimsett::testing {

// A dbus-daemon of the test's own, standing in for the system bus: anyone may own any name on it.
class PrivateSystemBus {
public:
    explicit PrivateSystemBus(const std::filesystem::path& directory);

    // The address to put in DBUS_SYSTEM_BUS_ADDRESS.
    const std::string& address() const { return address_; }

private:
    std::unique_ptr<ChildProcess> daemon_;
    std::string address_;
};

} // namespace plimsett::testing
