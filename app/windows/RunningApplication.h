#pragma once

#include <optional>
#include <string>

namespace plimsett {

// An application that is running now, as the desktop reports it.
struct RunningApplication {
    std::optional<std::string> bundleID;
    std::optional<std::string> localizedName;
    // An ordinary application with windows of its own, as opposed to a helper, agent or
    // background process.
    bool isRegular = true;
};

} // namespace plimsett
