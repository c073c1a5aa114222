#include "tests/x11/support/LogTail.h"

#include <fstream>
#include <vector>

namespace plimsett::testing {

std::string tail(const std::filesystem::path& file, std::size_t lines) {
    std::ifstream stream(file);
    std::vector<std::string> all;
    std::string line;
    while (std::getline(stream, line)) {
        all.push_back(line);
    }
    std::string result;
    for (std::size_t i = all.size() > lines ? all.size() - lines : 0; i < all.size(); ++i) {
        result += all[i] + "\n";
    }
    return result;
}

} // namespace plimsett::testing
