#pragma once

#include "app/windows/AppEntry.h"
#include "app/windows/RunningApplication.h"
#include "engine/LiveWindow.h"
#include "engine/SavedLayout.h"

#include <QLocale>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plimsett {

// The applications offered for exclusion: every application of a saved layout, every ordinary
// running application but this one, and every excluded identifier, sorted by name.
class ExcludedAppsList {
public:
    // The icon of the application registered for a bundle identifier; null when none is.
    using IconLookup = std::function<QIcon(const std::string& bundleID)>;

    // `newestFirst` are the saved layouts newest first, as the store sorts them: where they name
    // an application differently, the oldest layout's name wins, and a running application's
    // name beats them all. Names compare case-insensitively in `locale`'s collation.
    static std::vector<AppEntry> build(const std::vector<SavedLayout>& newestFirst,
                                       const std::vector<RunningApplication>& running,
                                       const std::optional<std::string>& ownBundleID,
                                       const std::set<std::string>& excluded,
                                       const IconLookup& iconFor, const QLocale& locale);

    // The applications behind `windows`, once each in the order of their first window. Every
    // listed window is a standard window of an ordinary application, so each is regular.
    static std::vector<RunningApplication> fromWindows(const std::vector<LiveWindow>& windows);
};

} // namespace plimsett
