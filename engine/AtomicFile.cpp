#include "engine/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plimsett {
namespace {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded (it can report a late write error).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

AtomicFile::ReadResult AtomicFile::read(const std::filesystem::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return ReadResult{errno == ENOENT ? ReadStatus::missing : ReadStatus::unreadable, {}};
    }
    ReadResult result{ReadStatus::ok, {}};
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadResult{ReadStatus::unreadable, {}};
        }
        if (n == 0) {
            break;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return result;
}

std::size_t AtomicFile::removeLeftovers(const std::filesystem::path& path,
                                        std::chrono::seconds olderThan) {
    // write() names its temporary files after `path` with mkstemp's six letters or digits.
    const std::string prefix = path.filename().string() + ".";
    const auto isOurs = [&](const std::string& name) {
        if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) {
            return false;
        }
        return std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                           [](unsigned char c) { return std::isalnum(c) != 0; });
    };
    const auto cutoff = std::filesystem::file_time_type::clock::now() - olderThan;
    std::size_t removed = 0;
    std::error_code error;
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        // A symbolic link or anything but a plain file is not one of ours, whatever its name.
        std::error_code entryError;
        if (!isOurs(it->path().filename().string()) || !it->is_regular_file(entryError) ||
            it->is_symlink(entryError)) {
            continue;
        }
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0 || info.st_uid != ::geteuid()) {
            continue;
        }
        const auto written = std::filesystem::last_write_time(it->path(), entryError);
        if (!entryError && written < cutoff && std::filesystem::remove(it->path(), entryError)) {
            ++removed;
        }
    }
    return removed;
}

bool AtomicFile::write(const std::filesystem::path& path, std::string_view bytes) {
    std::string pattern = path.string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    FileDescriptor fd(::mkstemp(name.data()));
    if (!fd.valid()) {
        return false;
    }
    const std::string temporary(name.data());
    const bool written = ::fchmod(fd.get(), S_IRUSR | S_IWUSR) == 0 && writeAll(fd.get(), bytes) &&
                         ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable.
    FileDescriptor folder(::open(path.parent_path().empty() ? "." : path.parent_path().c_str(),
                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) {
        ::fsync(folder.get());
    }
    return true;
}

bool AtomicFile::makePrivateDirectory(const std::filesystem::path& path) {
    std::filesystem::path partial;
    for (const auto& part : path) {
        partial /= part;
        if (::mkdir(partial.c_str(), S_IRWXU) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0 && info.st_uid == ::getuid()) {
        ::chmod(path.c_str(), S_IRWXU);
    }
    return true;
}

} // namespace plimsett
