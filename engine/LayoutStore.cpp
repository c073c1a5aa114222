#include "engine/LayoutStore.h"

#include "engine/AtomicFile.h"
#include "engine/InternetDate.h"
#include "engine/LayoutFileCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <set>
#include <unistd.h>

namespace plimsett {
namespace {

enum class LoadStatus { loaded, missing, unusable };

struct LoadOutcome {
    LoadStatus status = LoadStatus::missing;
    LayoutStore::Layouts layouts;
};

LoadOutcome readFile(const std::filesystem::path& path) {
    const AtomicFile::ReadResult file = AtomicFile::read(path);
    if (file.status == AtomicFile::ReadStatus::missing) {
        return {LoadStatus::missing, {}};
    }
    if (file.status == AtomicFile::ReadStatus::unreadable) {
        return {LoadStatus::unusable, {}};
    }
    std::optional<std::vector<SavedLayout>> decoded = LayoutFileCodec::decode(file.bytes);
    if (!decoded) {
        return {LoadStatus::unusable, {}};
    }
    LoadOutcome outcome{LoadStatus::loaded, {}};
    for (SavedLayout& layout : *decoded) {
        const std::string key = layout.displaySetID;
        outcome.layouts.try_emplace(key, std::move(layout));
    }
    return outcome;
}

// $HOME, else the home folder of the user's account entry. Never a shared folder such as /tmp,
// where another user could hold the folder name first.
std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return "/";
}

} // namespace

LayoutStore::LayoutStore(std::filesystem::path fileURL) : fileURL_(std::move(fileURL)) {
    AtomicFile::removeLeftovers(fileURL_, std::chrono::minutes(1));
    LoadOutcome outcome = readFile(fileURL_);
    layouts_ = std::move(outcome.layouts);
    unreadableFileFound_ = outcome.status == LoadStatus::unusable;
}

std::optional<LayoutStore::Layouts> LayoutStore::load(const std::filesystem::path& from) {
    LoadOutcome outcome = readFile(from);
    if (outcome.status != LoadStatus::loaded) {
        return std::nullopt;
    }
    return std::move(outcome.layouts);
}

std::filesystem::path LayoutStore::defaultFileURL(const std::string& bundleIdentifier) {
    std::filesystem::path base;
#ifdef __APPLE__
    base = homeFolder() / "Library" / "Application Support";
#else
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        base = data;
    } else {
        base = homeFolder() / ".local" / "share";
    }
#endif
    return base / bundleIdentifier / "layouts.json";
}

std::optional<SavedLayout> LayoutStore::layout(const std::string& displaySetID) const {
    const auto it = layouts_.find(displaySetID);
    if (it == layouts_.end()) {
        return std::nullopt;
    }
    return it->second;
}

SavedLayout LayoutStore::save(SavedLayout layout, bool merge) {
    const auto old = layouts_.find(layout.displaySetID);
    if (merge && old != layouts_.end()) {
        std::set<std::string> present;
        for (const SavedWindow& w : layout.windows) {
            present.insert(w.bundleID);
        }
        for (const SavedWindow& w : old->second.windows) {
            if (!present.contains(w.bundleID)) {
                layout.windows.push_back(w);
            }
        }
    }
    // A layout that only got a newer time is not worth a write: the file changes when the layout
    // does (the time in memory is the newer one, and the next write takes it along).
    bool changed = true;
    if (old != layouts_.end()) {
        SavedLayout previous = old->second;
        previous.savedAt = layout.savedAt;
        changed = previous != layout;
    }
    layouts_.insert_or_assign(layout.displaySetID, layout);
    if (changed) {
        persist();
    }
    return layout;
}

void LayoutStore::forget(const std::string& displaySetID) {
    layouts_.erase(displaySetID);
    persist();
}

namespace {

bool newerFirst(const SavedLayout* a, const SavedLayout* b) {
    return a->savedAt > b->savedAt;
}

} // namespace

std::vector<const SavedLayout*> LayoutStore::sortedPointers() const {
    std::vector<const SavedLayout*> sorted;
    sorted.reserve(layouts_.size());
    for (const auto& entry : layouts_) {
        sorted.push_back(&entry.second);
    }
    std::stable_sort(sorted.begin(), sorted.end(), newerFirst);
    return sorted;
}

std::vector<SavedLayout> LayoutStore::sortedLayouts() const {
    std::vector<SavedLayout> sorted;
    sorted.reserve(layouts_.size());
    for (const SavedLayout* layout : sortedPointers()) {
        sorted.push_back(*layout);
    }
    return sorted;
}

bool LayoutStore::persist() {
    const std::string bytes = LayoutFileCodec::encodeReferences(sortedPointers());
    // A failure to make the folder shows up as a failed write below.
    AtomicFile::makePrivateDirectory(fileURL_.parent_path());
    if (unreadableFileFound_ && !setAsideUnreadableFile()) {
        return false;
    }
    return AtomicFile::write(fileURL_, bytes);
}

// Keeps a file that could not be read beside the new one instead of overwriting it, so the
// user's layouts in it can still be recovered by hand.
bool LayoutStore::setAsideUnreadableFile() {
    const std::string stamp = InternetDate::format(std::chrono::system_clock::now());
    std::string compact;
    for (const char c : stamp) {
        if (c != '-' && c != ':') {
            compact += c;
        }
    }
    const std::string base = fileURL_.string() + ".unreadable-" + compact;
    std::filesystem::path target = base;
    std::error_code error;
    for (int n = 1; n < 1000 && std::filesystem::symlink_status(target, error).type() !=
                                    std::filesystem::file_type::not_found;
         ++n) {
        target = base + "-" + std::to_string(n);
    }
    if (std::rename(fileURL_.c_str(), target.c_str()) == 0) {
        preservedFile_ = target;
    } else if (errno != ENOENT) {
        return false;
    }
    unreadableFileFound_ = false;
    return true;
}

} // namespace plimsett
