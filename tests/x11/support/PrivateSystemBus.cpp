#include "tests/x11/support/PrivateSystemBus.h"

#include <stdexcept>

namespace plimsett::testing {

PrivateSystemBus::PrivateSystemBus(const std::filesystem::path& directory) {
    ChildProcess::Options options;
    options.extraPipeFd = 3;
    options.logFile = (directory / "dbus.log").string();
    daemon_ = std::make_unique<ChildProcess>(
        "dbus-daemon",
        std::vector<std::string>{"--session", "--nofork", "--nopidfile", "--print-address=3",
                                 "--address=unix:path=" + (directory / "system_bus").string()},
        options);
    const auto address = daemon_->readLine(std::chrono::seconds(20), true);
    if (!address || address->empty()) {
        throw std::runtime_error("dbus-daemon did not start");
    }
    address_ = *address;
}

} // namespace plimsett::testing
