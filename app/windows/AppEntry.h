#pragma once

#include <QIcon>
#include <QString>
#include <string>

namespace plimsett {

// One application in the excluded-apps list.
struct AppEntry {
    // The bundle identifier (the WM_CLASS class on X11); unique in a list.
    std::string id;
    // Shown as it is, never translated.
    QString name;
    // Null when the application could not be located.
    QIcon icon;
};

} // namespace plimsett
