#include "app/windows/ExcludedAppsList.h"

#include <QCollator>
#include <algorithm>
#include <map>

namespace plimsett {

std::vector<AppEntry> ExcludedAppsList::build(const std::vector<SavedLayout>& newestFirst,
                                              const std::vector<RunningApplication>& running,
                                              const std::optional<std::string>& ownBundleID,
                                              const std::set<std::string>& excluded,
                                              const IconLookup& iconFor, const QLocale& locale) {
    std::map<std::string, std::string> names;
    // Newest first, each assignment replacing the one before: the oldest layout's name stays.
    for (const SavedLayout& layout : newestFirst) {
        for (const SavedWindow& window : layout.windows) {
            names[window.bundleID] = window.appName;
        }
    }
    for (const RunningApplication& app : running) {
        if (!app.isRegular || !app.bundleID) {
            continue;
        }
        if (ownBundleID && *app.bundleID == *ownBundleID) {
            continue;
        }
        names[*app.bundleID] = app.localizedName.value_or(*app.bundleID);
    }
    // An excluded application that is gone from everywhere else must still be findable, so that
    // it can be included again.
    for (const std::string& id : excluded) {
        names.try_emplace(id, id);
    }

    std::vector<AppEntry> entries;
    entries.reserve(names.size());
    for (const auto& [id, name] : names) {
        entries.push_back({id, QString::fromStdString(name), iconFor ? iconFor(id) : QIcon()});
    }
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Equal names fall back to the identifier, so that the order does not change between redraws.
    std::sort(entries.begin(), entries.end(), [&collator](const AppEntry& a, const AppEntry& b) {
        const int order = collator.compare(a.name, b.name);
        return order != 0 ? order < 0 : a.id < b.id;
    });
    return entries;
}

std::vector<RunningApplication>
ExcludedAppsList::fromWindows(const std::vector<LiveWindow>& windows) {
    std::vector<RunningApplication> apps;
    std::set<std::string> seen;
    for (const LiveWindow& window : windows) {
        if (!seen.insert(window.bundleID).second) {
            continue;
        }
        RunningApplication app;
        // A window without an identifier belongs to no application that could be excluded.
        if (!window.bundleID.empty()) {
            app.bundleID = window.bundleID;
        }
        if (!window.appName.empty()) {
            app.localizedName = window.appName;
        }
        apps.push_back(app);
    }
    return apps;
}

} // namespace plimsett
