#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace plimsett {

// Whole-file reads and crash-safe writes of small private files.
class AtomicFile {
public:
    enum class ReadStatus { ok, missing, unreadable };
    struct ReadResult {
        ReadStatus status = ReadStatus::missing;
        std::string bytes;
    };

    static ReadResult read(const std::filesystem::path& path);

    // Writes `bytes` to a temporary file beside `path` (mode 0600), flushes it to disk and renames
    // it over `path`, then flushes the folder. On failure the old file is left as it was and the
    // temporary file is removed.
    static bool write(const std::filesystem::path& path, std::string_view bytes);

    // Removes the temporary files that write() leaves beside `path` when the process dies in the
    // middle of it, once they are older than `olderThan` (a younger one may belong to a write in
    // progress). Only plain files of this user with exactly write()'s names; returns how many.
    static std::size_t removeLeftovers(const std::filesystem::path& path,
                                       std::chrono::seconds olderThan);

    // Creates the folder and any missing parents, new ones readable only by the user (0700).
    // The last component is also restricted to 0700 when it already exists.
    static bool makePrivateDirectory(const std::filesystem::path& path);
};

} // namespace plimsett
