#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace plimsett::testing {

// The last `lines` lines of a log file, each ending in a newline; empty when there is no file.
// Set-up failures quote it to say why a server or window manager did not start.
std::string tail(const std::filesystem::path& file, std::size_t lines);

} // namespace plimsett::testing
