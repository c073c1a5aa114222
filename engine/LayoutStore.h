#pragma once

#include "engine/SavedLayout.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plimsett {

// Every saved layout, one per display set, in memory and in one JSON file. The whole file is
// rewritten on every save that changes a layout, and on every forget.
class LayoutStore {
public:
    using Layouts = std::map<std::string, SavedLayout>;

    // Loads the file; never fails and never writes it. Temporary files that an interrupted write
    // left beside it more than a minute ago are removed.
    explicit LayoutStore(std::filesystem::path fileURL);

    // The layouts of the file keyed by display-set identifier (the first of duplicates wins), or
    // nothing when the file is missing, unreadable or malformed.
    static std::optional<Layouts> load(const std::filesystem::path& from);

    // `<data home>/<bundle id>/layouts.json`: $XDG_DATA_HOME, else ~/.local/share.
    static std::filesystem::path defaultFileURL(const std::string& bundleIdentifier);

    std::optional<SavedLayout> layout(const std::string& displaySetID) const;
    // Files the layout under its identifier, first keeping the old layout's windows of
    // applications absent from it when `merge` is set, and returns what was filed. The file is
    // written unless the layout is the one filed already but for its time.
    SavedLayout save(SavedLayout layout, bool merge);
    // Removes the layout if there is one, and writes the file either way.
    void forget(const std::string& displaySetID);
    // Newest first.
    std::vector<SavedLayout> sortedLayouts() const;
    // Writes the whole store. False when the file could not be written; the memory keeps the
    // change and the next write catches the file up.
    bool persist();

    const std::filesystem::path& fileURL() const { return fileURL_; }
    const Layouts& layouts() const { return layouts_; }
    // Where an unreadable file found at start-up was moved before the first write replaced it.
    const std::optional<std::filesystem::path>& preservedFile() const { return preservedFile_; }

private:
    bool setAsideUnreadableFile();
    // The stored layouts, newest first, without copying them.
    std::vector<const SavedLayout*> sortedPointers() const;

    std::filesystem::path fileURL_;
    Layouts layouts_;
    bool unreadableFileFound_ = false;
    std::optional<std::filesystem::path> preservedFile_;
};

} // namespace plimsett
