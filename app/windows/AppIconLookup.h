#pragma once

#include "platform/linux/DesktopEntryCatalog.h"

#include <QIcon>
#include <QString>
#include <map>
#include <string>

namespace plimsett {

// Finds an application's icon from its identifier (the WM_CLASS class on X11, a reverse-DNS
// name for some applications) through its desktop entry in the catalog. The entry's Icon= is a
// file or a name in the icon theme; an entry whose icon the theme lacks gets a generic
// application icon, and an identifier without an entry gets none.
class AppIconLookup {
public:
    // Reads the catalog's entries now.
    explicit AppIconLookup(DesktopEntryCatalog catalog);
    // The desktop entries of $XDG_DATA_HOME and $XDG_DATA_DIRS.
    static AppIconLookup forEnvironment();

    // Re-reads the entries when a directory was added, removed or changed since the last read.
    void refresh();
    // Null when no entry matches.
    QIcon iconFor(const std::string& identifier);
    // The Icon= value of the matching entry, or empty.
    QString iconNameFor(const std::string& identifier) const;

private:
    DesktopEntryCatalog catalog_;
    std::map<std::string, QIcon> resolved_;
};

} // namespace plimsett
