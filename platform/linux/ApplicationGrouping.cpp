#include "platform/linux/ApplicationGrouping.h"

#include <map>
#include <optional>
#include <utility>

namespace plimsett {
namespace {

std::string applicationName(const WindowRecord& first, const DesktopEntryCatalog& entries) {
    if (!first.appName.empty()) {
        return first.appName;
    }
    std::optional<DesktopEntryCatalog::Entry> entry;
    if (!first.desktopEntryID.empty()) {
        entry = entries.find(first.desktopEntryID);
    }
    if (!entry) {
        entry = entries.find(first.appClass, first.instanceName);
    }
    return entry ? entry->name : first.appClass;
}

} // namespace

std::vector<LiveWindow> ApplicationGrouping::liveWindows(const std::vector<WindowRecord>& records,
                                                         const DesktopEntryCatalog& entries) {
    std::vector<std::vector<const WindowRecord*>> applications;
    std::map<std::pair<std::string, std::string>, std::size_t> applicationIndex;
    for (const WindowRecord& record : records) {
        const auto key = std::make_pair(record.process, record.appClass);
        auto [it, inserted] = applicationIndex.emplace(key, applications.size());
        if (inserted) {
            applications.emplace_back();
        }
        applications[it->second].push_back(&record);
    }
    std::vector<LiveWindow> result;
    result.reserve(records.size());
    for (const auto& application : applications) {
        const std::string appName = applicationName(*application.front(), entries);
        std::int64_t index = 0;
        for (const WindowRecord* record : application) {
            LiveWindow window;
            window.handle = record->handle;
            window.bundleID = record->appClass;
            window.appName = appName;
            window.title = record->title;
            window.index = index++;
            window.frame = record->frame;
            window.isMinimized = record->minimized;
            window.isFullScreen = record->fullScreen;
            window.isMaximizedHorizontally = record->maximizedHorizontally;
            window.isMaximizedVertically = record->maximizedVertically;
            window.workspace = record->workspace;
            result.push_back(std::move(window));
        }
    }
    return result;
}

} // namespace plimsett
