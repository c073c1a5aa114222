#pragma once

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

    // Creates the folder and any missing parents, new ones readable only by the user (0700).
    // The last component is also restricted to 0700 when it already exists.
    static bool makePrivateDirectory(const std::filesystem::path& path);
};

} // namespace plimsett
