#include "platform/linux/DrmConnector.h"

#include <algorithm>
#include <cctype>

namespace plimsett {

bool DrmConnector::isBuiltIn(const std::string& name) {
    for (const std::string prefix : {"edp", "lvds", "dsi"}) {
        if (name.size() >= prefix.size() &&
            std::equal(prefix.begin(), prefix.end(), name.begin(), [](char p, char n) {
                return p == std::tolower(static_cast<unsigned char>(n));
            })) {
            return true;
        }
    }
    return false;
}

} // namespace plimsett
